#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class FolderPicker;
class QWidget;
class TemplateManager;
class UserAccount;
class Workspace;

// The two setup actions that both the welcome window and the General settings pane offer: granting
// the program access to the home folder, and opening the system's extension settings.

// Asks the user for the folder to grant and stores the grant. Returns at once; once a folder has
// been chosen and saved, `setAccess` is told (on a later turn of the event loop) whether a grant is
// now stored, unless `parent` is gone by then. Cancelling changes nothing. With `logFailure`, a
// grant that did not stick is also logged with the chosen folder's path.
void requestHomeFolderAccess(TemplateManager& manager, FolderPicker& picker, const UserAccount& account,
                             QWidget* parent, std::function<void(bool)> setAccess, bool logFailure);

// Opens the guide to turning the file manager extension on, installed with the program; nothing
// opens when the guide is missing. Whether anything opened is not reported.
void openExtensionSettings(Workspace& workspace);

// The file URL of the extension guide that belongs with a program running from `programFolder`;
// empty when there is none.
QUrl extensionGuideUrl(const QString& programFolder);
