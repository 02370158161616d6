#include "app/WindowMenus.h"

#include "app/AppDelegate.h"
#include "model/AppIdentity.h"
#include "platform/Workspace.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>

namespace {

void openPage(Workspace& workspace, const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (url.isValid())
        workspace.openUrl(url);
}

} // namespace

namespace WindowMenus {

void install(QMainWindow& window, AppDelegate& delegate, Workspace& workspace)
{
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* application = bar->addMenu(QStringLiteral("&Quintara"));
    application->setObjectName(QStringLiteral("applicationMenu"));
    QAction* about =
        application->addAction(QObject::tr("&About Quintara"), &delegate, [&delegate] { delegate.showAbout(); });
    about->setMenuRole(QAction::AboutRole);
    application->addSeparator();
    QAction* settings =
        application->addAction(QObject::tr("&Settings…"), &delegate, [&delegate] { delegate.openSettingsWindow(); });
    settings->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    settings->setMenuRole(QAction::PreferencesRole);
    application->addSeparator();
    QAction* quit = application->addAction(QObject::tr("&Quit Quintara"), qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    // The Help menu holds exactly these, with no shortcuts.
    QMenu* help = bar->addMenu(QObject::tr("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(QObject::tr("&Welcome to Quintara"), &delegate, [&delegate] { delegate.showWelcomeWindow(); });
    help->addSeparator();
    help->addAction(QObject::tr("&Support"), &delegate, [&workspace] { openPage(workspace, AppIdentity::supportUrl); });
    help->addAction(QObject::tr("&Privacy Policy"), &delegate,
                    [&workspace] { openPage(workspace, AppIdentity::privacyUrl); });

    // F10 opens the first menu, as on the desktops the program runs on.
    auto* openMenus = new QAction(&window);
    openMenus->setShortcut(QKeySequence(Qt::Key_F10));
    openMenus->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(openMenus, &QAction::triggered, bar,
                     [bar, application] { bar->setActiveAction(application->menuAction()); });
    window.addAction(openMenus);
}

} // namespace WindowMenus
