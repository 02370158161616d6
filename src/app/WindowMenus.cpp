#include "app/WindowMenus.h"

#include "app/AppDelegate.h"
#include "model/AppIdentity.h"
#include "platform/Workspace.h"

#include <QAction>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>

namespace {

// The texts of the menus every window shares.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(WindowMenus)

public:
    QString about = tr("&About Quintara");
    QString settings = tr("&Settings…");
    QString quit = tr("&Quit Quintara");
    QString help = tr("&Help");
    QString welcome = tr("&Welcome to Quintara");
    QString support = tr("&Support");
    QString privacy = tr("&Privacy Policy");
};

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
    const Texts text;
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));

    QMenu* application = bar->addMenu(QStringLiteral("&Quintara"));
    application->setObjectName(QStringLiteral("applicationMenu"));
    QAction* about = application->addAction(text.about, &delegate, [&delegate] { delegate.showAbout(); });
    about->setMenuRole(QAction::AboutRole);
    application->addSeparator();
    QAction* settings =
        application->addAction(text.settings, &delegate, [&delegate] { delegate.openSettingsWindow(); });
    settings->setShortcut(QKeySequence(QStringLiteral("Ctrl+,")));
    settings->setMenuRole(QAction::PreferencesRole);
    application->addSeparator();
    QAction* quit = application->addAction(text.quit, qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);

    // The Help menu holds exactly these, with no shortcuts.
    QMenu* help = bar->addMenu(text.help);
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(text.welcome, &delegate, [&delegate] { delegate.showWelcomeWindow(); });
    help->addSeparator();
    help->addAction(text.support, &delegate, [&workspace] { openPage(workspace, AppIdentity::supportUrl); });
    help->addAction(text.privacy, &delegate, [&workspace] { openPage(workspace, AppIdentity::privacyUrl); });

    // F10 opens the first menu, as on the desktops the program runs on.
    auto* openMenus = new QAction(&window);
    openMenus->setShortcut(QKeySequence(Qt::Key_F10));
    openMenus->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(openMenus, &QAction::triggered, bar,
                     [bar, application] { bar->setActiveAction(application->menuAction()); });
    window.addAction(openMenus);
}

} // namespace WindowMenus
