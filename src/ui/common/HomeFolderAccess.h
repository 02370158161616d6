#pragma once

#include <QLocale>
#include <QString>
#include <QUrl>

#include <functional>

class FolderPicker;
class QWidget;
class TemplateManager;
class UserAccount;
class Workspace;

// The two setup actions that both the welcome window and the General settings pane offer: granting
// the program access to the home folder, and showing the guide to the file manager menus.

// Asks the user for the folder to grant and stores the grant. Returns at once; once a folder has
// been chosen and saved, `setAccess` is told (on a later turn of the event loop) whether a grant is
// now stored, unless `parent` is gone by then. Cancelling changes nothing. With `logFailure`, a
// grant that did not stick is also logged with the chosen folder's path.
void requestHomeFolderAccess(TemplateManager& manager, FolderPicker& picker, const UserAccount& account,
                             QWidget* parent, std::function<void(bool)> setAccess, bool logFailure);

// Shows the guide to setting up the file manager menus, installed with the program, in the program's
// own guide window; when the guide is missing, the window says so. Web links in it open through
// `workspace`.
void openExtensionSettings(Workspace& workspace);

// The file URL of the extension guide that belongs with a program running from `programFolder`, in
// the first of the locale's languages that has one, else in English; empty when there is none.
QUrl extensionGuideUrl(const QString& programFolder, const QLocale& locale = QLocale());
