#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "support/Fakes.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "ui/settings/SettingsView.h"

#include <QtTest>
#include <QtWidgets>

// The start-up decisions and the create-request road, in process, with the real store and engine.
class TestAppDelegate : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::optional<RecordingSecurityScope> m_scope;
    std::optional<ConfinedFileWriter> m_writer;
    std::optional<FileCreationService> m_engine;
    std::optional<FakeWorkspace> m_workspace;
    FakeFolderPicker m_picker;
    FakeUserAccount m_account;
    FakeClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(6, 46), Qt::UTC)};
    SilentIntegrationProbe m_integration;
    std::unique_ptr<AppDelegate> m_delegate;

    static QString request(int index, const QString& folder)
    {
        return QStringLiteral("quintara://create?t=%1&d=%2").arg(index).arg(folder);
    }
    static int visibleWindows()
    {
        const QWidgetList all = QApplication::topLevelWidgets();
        return int(std::count_if(all.begin(), all.end(), [](const QWidget* w) { return w->isVisible(); }));
    }
    QMenu* menu(QWidget* window, const char* name) const { return window->findChild<QMenu*>(name); }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_workspace.emplace();
        m_writer.emplace(m_scope.emplace());
        m_engine.emplace(m_fixture->store, *m_writer);
        m_delegate = std::make_unique<AppDelegate>(AppDelegate::Services{m_fixture->store, m_fixture->manager,
                                                                         *m_engine, *m_scope, *m_workspace, m_picker,
                                                                         m_account, m_clock, m_integration});
        m_delegate->applicationWillFinishLaunching();
    }
    void cleanup() { m_delegate.reset(), m_fixture.reset(); }

    void startShowsTheWelcomeWindowUnlessARequestIsServed_data()
    {
        QTest::addColumn<bool>("withRequest");
        QTest::addColumn<bool>("granted");
        QTest::newRow("plain start") << false << false;
        QTest::newRow("request, granted: no window") << true << true;
        QTest::newRow("request, not granted") << true << false;
    }
    void startShowsTheWelcomeWindowUnlessARequestIsServed()
    {
        QFETCH(bool, withRequest);
        QFETCH(bool, granted);
        if (granted)
            QVERIFY(m_fixture->grant());
        const QString notes = m_fixture->home.folder("Notes");
        LogCapture log;
        if (withRequest)
            m_delegate->handleGetURLEvent(request(0, notes));
        m_delegate->applicationDidFinishLaunching();
        QVERIFY(!m_delegate->welcomeWindow()); // deferred to the event loop
        flushEventLoop();
        QCOMPARE(m_delegate->launchedForURL(), granted);
        QTRY_COMPARE(visibleWindows(), granted ? 0 : 1); // once, though asked twice without a grant
        QCOMPARE(m_workspace->revealed, granted ? QStringList{notes + "/Untitled.txt"} : QStringList());
        QCOMPARE(log.lines().join('|'), !withRequest ? ""
                                        : granted    ? "[QNT] processCreateURL: created " + notes + "/Untitled.txt"
                                                     : "[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults|"
                                                       "[QNT] processCreateURL: no bookmark — opening welcome window");
    }

    void windowsAreMadeOnceAndComeBack()
    {
        // A reopen shows the welcome window only when no window is visible.
        QWidget other;
        other.show();
        QVERIFY(m_delegate->applicationShouldHandleReopen());
        flushEventLoop();
        QVERIFY(!m_delegate->welcomeWindow());
        other.hide();
        m_delegate->applicationShouldHandleReopen();
        QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
        QWidget* welcome = m_delegate->welcomeWindow();
        // "Manage Templates…" opens Settings and leaves the welcome window open.
        welcome->findChild<QPushButton*>("manageTemplatesButton")->click();
        QTRY_VERIFY(m_delegate->settingsWindow() && m_delegate->settingsWindow()->isVisible());
        QWidget* settings = m_delegate->settingsWindow();
        // Closing hides a window and the program stays; the menus bring back the very same ones.
        welcome->close();
        settings->close();
        QCOMPARE(std::pair(visibleWindows(), QApplication::quitOnLastWindowClosed()), std::pair(0, false));
        const QList<QAction*> help = menu(settings, "helpMenu")->actions();
        help.at(0)->trigger();                                        // Welcome to Quintara
        menu(welcome, "applicationMenu")->actions().at(2)->trigger(); // Settings…
        QTRY_VERIFY(welcome->isVisible() && settings->isVisible());
        QCOMPARE(std::pair(m_delegate->welcomeWindow(), m_delegate->settingsWindow()), std::pair(welcome, settings));
        menu(welcome, "applicationMenu")->actions().at(0)->trigger(); // About Quintara
        QTRY_COMPARE(settings->findChild<SettingsView*>()->currentIndex(), int(SettingsView::AboutTab));
    }

    void accessIsStoppedOnlyWhenItWasStarted()
    {
        QVERIFY(m_fixture->grant());
        const QString notes = m_fixture->home.folder("Notes");
        LogCapture log;
        m_delegate->processCreateURL(request(0, notes));              // success
        m_delegate->processCreateURL(request(0, notes + "/missing")); // engine failure
        m_delegate->processCreateURL(request(8, notes));              // no such template: nothing at all
        m_delegate->processCreateURL(request(-1, notes));
        QCOMPARE(std::pair(m_scope->starts, m_scope->stops), std::pair(2, 2));
        QVERIFY(!m_scope->contains(QDir(m_fixture->home.path()).canonicalPath()));
        // A start that fails is not an error, but there is then nothing to stop.
        m_scope->refuseStarts = true;
        m_delegate->processCreateURL(request(0, notes));
        QCOMPARE(m_scope->stops, 2);
        QCOMPARE(log.lines(), (QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.txt",
                                           "[QNT] processCreateURL error: The target directory could not be found.",
                                           "[QNT] processCreateURL error: Permission denied. Cannot write to this "
                                           "location."}));
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
