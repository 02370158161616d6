#include "ui/common/HomeFolderAccess.h"

#include "platform/FolderPicker.h"
#include "platform/Log.h"
#include "platform/ProgramImage.h"
#include "platform/UserAccount.h"
#include "platform/Workspace.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/GuideWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

// The texts of the folder picker that asks for the grant.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(HomeFolderAccess)

public:
    QString title = tr("Grant Folder Access");
    // %1 is the path of the user's home folder.
    QString message = tr("Select your Home folder (%1) to let Quintara create files anywhere in it.");
    QString prompt = tr("Grant Access");
};

} // namespace

void requestHomeFolderAccess(TemplateManager& manager, FolderPicker& picker, const UserAccount& account,
                             QWidget* parent, std::function<void(bool)> setAccess, bool logFailure)
{
    const Texts text;
    FolderPicker::Request request;
    request.title = text.title;
    // The real home path, not one made up from the login name: homes do not all live under one folder.
    request.message = text.message.arg(account.homePath());
    request.prompt = text.prompt;
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

QUrl extensionGuideUrl(const QString& programFolder, const QLocale& locale)
{
    // "extension-guide.de_DE.html", then "extension-guide.de.html" and so on for each language the
    // user prefers, then the English "extension-guide.html".
    QStringList names;
    for (QString language : locale.uiLanguages()) {
        language.replace(QLatin1Char('-'), QLatin1Char('_'));
        names.append(QStringLiteral("extension-guide.%1.html").arg(language));
    }
    names.append(QStringLiteral("extension-guide.html"));
    // In a build the program runs from bin/, beside share/; once installed, the windows run from
    // the private program folder, whose way to the data folder the build records.
    for (const QString& name : std::as_const(names)) {
        for (const QString& relative :
             {QStringLiteral("../share/quintara"), QStringLiteral(QUINTARA_INSTALLED_DATA_FROM_PROGRAM)}) {
            const QFileInfo guide(
                QDir::cleanPath(programFolder + QLatin1Char('/') + relative + QLatin1Char('/') + name));
            if (guide.isFile())
                return QUrl::fromLocalFile(guide.absoluteFilePath());
        }
    }
    return {};
}

void openExtensionSettings(Workspace& workspace)
{
    GuideWindow::present(workspace, extensionGuideUrl(ProgramImage::folder()));
}
