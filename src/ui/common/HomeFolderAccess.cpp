#include "ui/common/HomeFolderAccess.h"

#include "platform/FolderPicker.h"
#include "platform/Log.h"
#include "platform/ProgramImage.h"
#include "platform/UserAccount.h"
#include "platform/Workspace.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

void requestHomeFolderAccess(TemplateManager& manager, FolderPicker& picker, const UserAccount& account,
                             QWidget* parent, std::function<void(bool)> setAccess, bool logFailure)
{
    FolderPicker::Request request;
    request.title = QObject::tr("Grant Folder Access");
    // The real home path, not one made up from the login name: homes do not all live under one folder.
    request.message = QStringLiteral("Select your Home folder (") + account.homePath() +
                      QStringLiteral(") to let Quintara create files anywhere on your Mac.");
    request.prompt = QStringLiteral("Grant Access");
    request.startFolder = account.homePath();

    // The caller's state lives in `parent`, which may be gone by the time the user answers; without a
    // parent, the manager (which outlives every view) stands in as the context.
    const bool hasParent = parent != nullptr;
    picker.pickFolder(request, parent,
                      [&manager, guard = QPointer<QWidget>(parent), hasParent, setAccess = std::move(setAccess),
                       logFailure](const std::optional<QString>& folder) {
                          if (!folder)
                              return;
                          const QUrl location = QUrl::fromLocalFile(*folder);
                          const bool saved = manager.store().saveHomeFolderBookmark(location);
                          manager.announceChange();
                          QObject* context = hasParent ? static_cast<QObject*>(guard.data()) : &manager;
                          if (!context)
                              return;
                          // Deferred so the caller sees the new state only after the picker's answer has been
                          // handled; the timer dies with its context.
                          QTimer::singleShot(0, context, [&manager, saved, setAccess, logFailure, location] {
                              const bool granted = saved && manager.store().hasHomeFolderBookmark();
                              if (setAccess)
                                  setAccess(granted);
                              if (logFailure && !granted)
                                  Log::line(QStringLiteral("[QNT] Bookmark save failed for url: ") +
                                            location.toLocalFile());
                          });
                      });
}

QUrl extensionGuideUrl(const QString& programFolder)
{
    // In a build the program runs from bin/, beside share/; once installed, the windows run from
    // the private program folder, whose way to the data folder the build records.
    for (const QString& relative :
         {QStringLiteral("../share/quintara"), QStringLiteral(QUINTARA_INSTALLED_DATA_FROM_PROGRAM)}) {
        const QFileInfo guide(
            QDir::cleanPath(programFolder + QLatin1Char('/') + relative + QStringLiteral("/extension-guide.html")));
        if (guide.isFile())
            return QUrl::fromLocalFile(guide.absoluteFilePath());
    }
    return {};
}

void openExtensionSettings(Workspace& workspace)
{
    const QUrl url = extensionGuideUrl(ProgramImage::folder());
    if (url.isValid())
        workspace.openUrl(url);
}
