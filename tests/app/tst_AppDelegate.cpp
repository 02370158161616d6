#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "model/AppIdentity.h"
#include "platform/FileWriter.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "ui/common/FolderPicker.h"
#include "ui/settings/SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWidget>

// The start-up decisions and the create-request road, in process, with the real store and engine.
class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void plainStartShowsTheWelcomeWindowOnce();
    void startForARequestShowsNoWindow();
    void startForARequestWithoutGrantShowsTheWindowOnce();
    void reopenShowsTheWindowOnlyWhenNoneIsVisible();
    void accessIsStoppedOnlyWhenItWasStarted();
    void handedOverUrlsOfOtherSchemesAreSkipped();
    void settingsWindowHasItsTabsAndComesBackAsTheSameWindow();
    void everyWindowCarriesTheMenus();

private:
    QString request(int index, const QString& folder) const
    {
        return QStringLiteral("quintara://create?t=%1&d=%2").arg(index).arg(folder);
    }
    void grant() { QVERIFY(m_store->saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path()))); }
    QWidgetList visibleWindows() const;

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<TemplateStore> m_store;
    std::unique_ptr<TemplateManager> m_manager;
    RecordingSecurityScope m_scope;
    std::unique_ptr<ConfinedFileWriter> m_writer;
    std::unique_ptr<FileCreationService> m_engine;
    FakeWorkspace m_workspace;
    FakeFolderPicker m_picker;
    FakeUserAccount m_account;
    FakeClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(6, 46), Qt::UTC)};
    std::unique_ptr<AppDelegate> m_delegate;
};

void TestAppDelegate::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_store = std::make_unique<TemplateStore>(
        [path = m_home->configHome() + QStringLiteral("/suite.json")] { return SettingsDomain(path); });
    m_manager = std::make_unique<TemplateManager>(*m_store);
    m_writer = std::make_unique<ConfinedFileWriter>(m_scope);
    m_engine = std::make_unique<FileCreationService>(*m_store, *m_writer);
    m_workspace = FakeWorkspace();
    m_scope.starts = m_scope.stops = 0;
    m_scope.refuseStarts = false;
    m_delegate = std::make_unique<AppDelegate>(
        AppDelegate::Services{*m_store, *m_manager, *m_engine, m_scope, m_workspace, m_picker, m_account, m_clock});
    m_delegate->applicationWillFinishLaunching();
}

void TestAppDelegate::cleanup()
{
    m_delegate.reset();
    m_home.reset();
}

QWidgetList TestAppDelegate::visibleWindows() const
{
    QWidgetList visible;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            visible.append(w);
    }
    return visible;
}

void TestAppDelegate::plainStartShowsTheWelcomeWindowOnce()
{
    m_delegate->applicationDidFinishLaunching();
    QVERIFY(!m_delegate->welcomeWindow()); // deferred to the event loop
    m_delegate->showWelcomeWindow();
    QTRY_COMPARE(visibleWindows().size(), 1);
    QWidget* window = m_delegate->welcomeWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Welcome to Quintara"));
    QCOMPARE(window->findChild<QWidget*>(QStringLiteral("welcomeView"))->size(), QSize(600, 580));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);

    // Closing hides it; showing again brings back the very same window.
    window->close();
    QVERIFY(!window->isVisible());
    QCOMPARE(QApplication::quitOnLastWindowClosed(), false);
    m_delegate->showWelcomeWindow();
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(m_delegate->welcomeWindow(), window);
}

void TestAppDelegate::startForARequestShowsNoWindow()
{
    grant();
    const QString notes = m_home->path() + QStringLiteral("/Notes");
    QDir().mkpath(notes);
    LogCapture log;
    m_delegate->handleGetURLEvent(request(0, notes));
    m_delegate->applicationDidFinishLaunching();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QVERIFY(m_delegate->launchedForURL());
    QVERIFY(!m_delegate->welcomeWindow());
    QCOMPARE(m_workspace.revealed, QStringList{notes + QStringLiteral("/Untitled.txt")});
    QCOMPARE(log.lines(), QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.txt"});
}

void TestAppDelegate::startForARequestWithoutGrantShowsTheWindowOnce()
{
    LogCapture log;
    m_delegate->handleGetURLEvent(request(0, m_home->path()));
    QVERIFY(!m_delegate->launchedForURL());
    m_delegate->applicationDidFinishLaunching(); // asks again; still one window
    QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
    QCOMPARE(visibleWindows().size(), 1);
    QCOMPARE(log.lines(), (QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults",
                                       "[QNT] processCreateURL: no bookmark — opening welcome window"}));
}

void TestAppDelegate::reopenShowsTheWindowOnlyWhenNoneIsVisible()
{
    QWidget other;
    other.show();
    QVERIFY(m_delegate->applicationShouldHandleReopen());
    QCoreApplication::processEvents();
    QVERIFY(!m_delegate->welcomeWindow());
    other.hide();
    QVERIFY(m_delegate->applicationShouldHandleReopen());
    QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
}

void TestAppDelegate::accessIsStoppedOnlyWhenItWasStarted()
{
    grant();
    const QString notes = m_home->path() + QStringLiteral("/Notes");
    QDir().mkpath(notes);
    m_delegate->processCreateURL(request(0, notes));              // success
    m_delegate->processCreateURL(request(0, notes + "/missing")); // engine failure
    QCOMPARE(m_scope.starts, 2);
    QCOMPARE(m_scope.stops, 2);
    QVERIFY(!m_scope.contains(QDir(m_home->path()).canonicalPath()));

    // A start that fails is not an error, but there is then nothing to stop.
    m_scope.refuseStarts = true;
    LogCapture log;
    m_delegate->processCreateURL(request(0, notes));
    QCOMPARE(m_scope.stops, 2);
    QCOMPARE(log.lines(),
             QStringList{"[QNT] processCreateURL error: Permission denied. Cannot write to this location."});
}

void TestAppDelegate::handedOverUrlsOfOtherSchemesAreSkipped()
{
    grant();
    LogCapture log;
    m_delegate->openUrls(
        {QStringLiteral("https://create?t=0&d=") + m_home->path(), QString(), request(0, m_home->path())});
    QCOMPARE(log.lines().size(), 1);
    QVERIFY(QFile::exists(m_home->path() + QStringLiteral("/Untitled.txt")));
    QVERIFY(!m_delegate->launchedForURL());
}

void TestAppDelegate::settingsWindowHasItsTabsAndComesBackAsTheSameWindow()
{
    // "Manage Templates…" in the welcome window opens Settings and leaves the welcome window open.
    m_delegate->showWelcomeWindow();
    QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
    m_delegate->welcomeWindow()->findChild<QPushButton*>(QStringLiteral("manageTemplatesButton"))->click();
    QTRY_VERIFY(m_delegate->settingsWindow() && m_delegate->settingsWindow()->isVisible());
    QVERIFY(m_delegate->welcomeWindow()->isVisible());

    QWidget* window = m_delegate->settingsWindow();
    const auto* tabs = window->findChild<SettingsView*>();
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i) {
        labels.append(tabs->tabText(i));
        QCOMPARE(tabs->widget(i)->size(), QSize(620, 460));
        QVERIFY(!tabs->tabIcon(i).isNull());
    }
    QCOMPARE(labels, (QStringList{"Templates", "General", "About"}));
    QCOMPARE(tabs->currentIndex(), 0);

    window->close();
    m_delegate->openSettingsWindow();
    m_delegate->openSettingsWindow();
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(m_delegate->settingsWindow(), window);
    m_delegate->showAbout();
    QTRY_COMPARE(tabs->currentIndex(), int(SettingsView::AboutTab));
}

void TestAppDelegate::everyWindowCarriesTheMenus()
{
    m_delegate->showWelcomeWindow();
    m_delegate->openSettingsWindow();
    QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->settingsWindow());
    for (QWidget* window : {m_delegate->welcomeWindow(), m_delegate->settingsWindow()}) {
        const auto* bar = window->findChild<QMenuBar*>();
        QVERIFY(bar);
        QStringList menus;
        QStringList help;
        for (QAction* menu : bar->actions())
            menus.append(menu->text());
        const QMenu* helpMenu = window->findChild<QMenu*>(QStringLiteral("helpMenu"));
        for (QAction* item : helpMenu->actions()) {
            help.append(item->isSeparator() ? QStringLiteral("---") : item->text());
            QVERIFY(item->shortcut().isEmpty());
        }
        QCOMPARE(menus, (QStringList{"Quintara", "Help"}));
        QCOMPARE(help, (QStringList{"Welcome to Quintara", "---", "Support", "Privacy Policy"}));
        QStringList application;
        for (QAction* item : window->findChild<QMenu*>(QStringLiteral("applicationMenu"))->actions()) {
            if (!item->isSeparator())
                application.append(item->text());
        }
        QCOMPARE(application, (QStringList{"About Quintara", "Settings…", "Quit Quintara"}));
    }
    // The links open the maker's pages and change nothing else.
    const QList<QAction*> items =
        m_delegate->settingsWindow()->findChild<QMenu*>(QStringLiteral("helpMenu"))->actions();
    items.at(2)->trigger();
    items.at(3)->trigger();
    QCOMPARE(m_workspace.opened, (QList<QUrl>{QUrl(AppIdentity::supportUrl), QUrl(AppIdentity::privacyUrl)}));

    // "Welcome to Quintara" brings the closed welcome window back.
    m_delegate->welcomeWindow()->close();
    items.at(0)->trigger();
    QTRY_VERIFY(m_delegate->welcomeWindow()->isVisible());
}

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
