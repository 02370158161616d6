#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "model/AppIdentity.h"
#include "platform/FileWriter.h"
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
    RecordingSecurityScope m_scope;
    std::optional<ConfinedFileWriter> m_writer;
    std::optional<FileCreationService> m_engine;
    FakeWorkspace m_workspace;
    FakeFolderPicker m_picker;
    FakeUserAccount m_account;
    FakeClock m_clock{QDateTime(QDate(2026, 12, 5), QTime(6, 46), Qt::UTC)};
    std::unique_ptr<AppDelegate> m_delegate;

    QUrl request(int index, const QString& folder) const
    {
        return QUrl(QStringLiteral("quintara://create?t=%1&d=%2").arg(index).arg(folder));
    }
    int visibleWindows() const
    {
        const QWidgetList all = QApplication::topLevelWidgets();
        return int(std::count_if(all.begin(), all.end(), [](const QWidget* w) { return w->isVisible(); }));
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_writer.emplace(m_scope);
        m_engine.emplace(m_fixture->store, *m_writer);
        m_workspace = FakeWorkspace();
        m_scope.starts = m_scope.stops = 0;
        m_scope.refuseStarts = false;
        m_delegate = std::make_unique<AppDelegate>(AppDelegate::Services{
            m_fixture->store, m_fixture->manager, *m_engine, m_scope, m_workspace, m_picker, m_account, m_clock});
        m_delegate->applicationWillFinishLaunching();
    }
    void cleanup() { m_delegate.reset(), m_fixture.reset(); }

    void plainStartShowsTheWelcomeWindowOnce()
    {
        m_delegate->applicationDidFinishLaunching();
        QTRY_COMPARE(visibleWindows(), 1);
        QWidget* window = m_delegate->welcomeWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Welcome to Quintara"));
        QCOMPARE(window->minimumSize(), window->maximumSize()); // never resized
        // Closing hides it, and the program stays; showing again brings back the very same window.
        window->close();
        QCOMPARE(QApplication::quitOnLastWindowClosed(), false);
        m_delegate->showWelcomeWindow();
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(m_delegate->welcomeWindow(), window);
    }

    void startForARequest_data()
    {
        QTest::addColumn<bool>("granted");
        QTest::newRow("granted: no window") << true;
        QTest::newRow("not granted: the welcome window, once") << false;
    }
    void startForARequest()
    {
        QFETCH(bool, granted);
        if (granted)
            QVERIFY(m_fixture->grant());
        const QString notes = m_fixture->home.folder(QStringLiteral("Notes"));
        LogCapture log;
        m_delegate->handleGetURLEvent(request(0, notes).toString());
        m_delegate->applicationDidFinishLaunching();
        flushEventLoop();
        QCOMPARE(m_delegate->launchedForURL(), granted);
        QTRY_COMPARE(visibleWindows(), granted ? 0 : 1);
        QCOMPARE(m_workspace.revealed, granted ? QStringList{notes + "/Untitled.txt"} : QStringList());
        QCOMPARE(log.lines(), (granted ? QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.txt"}
                                       : QStringList{"[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults",
                                                     "[QNT] processCreateURL: no bookmark — opening welcome window"}));
    }

    void reopenShowsTheWindowOnlyWhenNoneIsVisible()
    {
        QWidget other;
        other.show();
        QVERIFY(m_delegate->applicationShouldHandleReopen());
        flushEventLoop();
        QVERIFY(!m_delegate->welcomeWindow());
        other.hide();
        QVERIFY(m_delegate->applicationShouldHandleReopen());
        QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
    }

    void accessIsStoppedOnlyWhenItWasStarted()
    {
        QVERIFY(m_fixture->grant());
        const QString notes = m_fixture->home.folder(QStringLiteral("Notes"));
        m_delegate->processCreateURL(request(0, notes));              // success
        m_delegate->processCreateURL(request(0, notes + "/missing")); // engine failure
        m_delegate->processCreateURL(request(8, notes));              // no such template: nothing at all
        QCOMPARE(std::pair(m_scope.starts, m_scope.stops), std::pair(2, 2));
        QVERIFY(!m_scope.contains(QDir(m_fixture->home.path()).canonicalPath()));
        // A start that fails is not an error, but there is then nothing to stop.
        m_scope.refuseStarts = true;
        LogCapture log;
        m_delegate->processCreateURL(request(0, notes));
        QCOMPARE(m_scope.stops, 2);
        QCOMPARE(log.lines(),
                 QStringList{"[QNT] processCreateURL error: Permission denied. Cannot write to this location."});
    }

    void settingsWindowComesBackAsTheSameWindow()
    {
        // "Manage Templates…" opens Settings and leaves the welcome window open.
        m_delegate->showWelcomeWindow();
        QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
        m_delegate->welcomeWindow()->findChild<QPushButton*>(QStringLiteral("manageTemplatesButton"))->click();
        QTRY_VERIFY(m_delegate->settingsWindow() && m_delegate->settingsWindow()->isVisible());
        QVERIFY(m_delegate->welcomeWindow()->isVisible());
        QWidget* window = m_delegate->settingsWindow();
        const auto* tabs = window->findChild<SettingsView*>();
        QCOMPARE(std::pair(tabs->count(), tabs->currentIndex()), std::pair(3, 0));
        window->close();
        m_delegate->openSettingsWindow();
        m_delegate->openSettingsWindow();
        QTRY_VERIFY(window->isVisible());
        QCOMPARE(m_delegate->settingsWindow(), window);
        m_delegate->showAbout();
        QTRY_COMPARE(tabs->currentIndex(), int(SettingsView::AboutTab));
    }

    void menuActionsDoWhatTheySay()
    {
        m_delegate->openSettingsWindow();
        QTRY_VERIFY(m_delegate->settingsWindow());
        const QList<QAction*> help = m_delegate->settingsWindow()->findChild<QMenu*>("helpMenu")->actions();
        help.at(2)->trigger();
        help.at(3)->trigger();
        QCOMPARE(m_workspace.opened, (QList<QUrl>{QUrl(AppIdentity::supportUrl), QUrl(AppIdentity::privacyUrl)}));
        help.at(0)->trigger(); // Welcome to Quintara
        QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->welcomeWindow()->isVisible());
        const QList<QAction*> app = m_delegate->welcomeWindow()->findChild<QMenu*>("applicationMenu")->actions();
        m_delegate->settingsWindow()->close();
        app.at(2)->trigger(); // Settings…
        QTRY_VERIFY(m_delegate->settingsWindow()->isVisible());
        m_delegate->settingsWindow()->findChild<SettingsView*>()->setCurrentIndex(0);
        app.at(0)->trigger(); // About Quintara
        QTRY_COMPARE(m_delegate->settingsWindow()->findChild<SettingsView*>()->currentIndex(),
                     int(SettingsView::AboutTab));
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
