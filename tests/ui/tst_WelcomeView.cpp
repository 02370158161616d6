#include "support/Fakes.h"
#include "support/IntegrationMachine.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/welcome/StepRow.h"
#include "ui/welcome/WelcomeView.h"

#include <QtTest>
#include <QtWidgets>

class TestWelcomeView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    FakeFolderPicker m_picker;
    FakeWorkspace m_workspace;
    FakeUserAccount m_account;
    std::optional<IntegrationMachine> m_machine;
    int m_quitCalls = 0;
    std::unique_ptr<WelcomeView> m_view;

    QPushButton* button(const QString& name, int step = 0) const
    {
        return (step ? m_view->findChild<QWidget*>(QStringLiteral("step%1").arg(step)) : m_view.get())
            ->findChild<QPushButton*>(name);
    }
    QString folderStep() const
    {
        return m_view->findChild<StepRow*>("step2")->findChild<QLabel*>("stepTitle")->text() + " / " +
               button("stepButton", 2)->text();
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_machine.emplace();
        m_workspace.opened.clear();
        m_quitCalls = 0;
        // Manage Templates is followed to the settings window in tst_AppDelegate.
        m_view = std::make_unique<WelcomeView>(
            m_fixture->manager, m_picker, m_workspace, m_machine->probe, m_account, [] {}, [this] { ++m_quitCalls; });
    }
    void cleanup() { m_view.reset(), m_machine.reset(), m_fixture.reset(); }

    void stepOneShowsEachInstalledFileManager_data()
    {
        addColumns<QStringList, QStringList, QByteArray, QString, bool>("programs", "modules", "handler", "shown",
                                                                        "complete");
        const auto row = [](const char* tag, const char* programs, const char* modules, const char* handler,
                            const QString& shown, bool complete) {
            QTest::newRow(tag) << QString(programs).split(' ', Qt::SkipEmptyParts) << QString(modules).split(' ')
                               << QByteArray(handler) << shown << complete;
        };
        const QString links = "quintara: links ✓ Open in Quintara";
        const char* ours = "app.quintara.Quintara.desktop";
        row("all in place", "thunar nautilus", "nautilus thunar", ours,
            "GNOME Files ✓ Menu installed / Thunar ✓ Menu installed / " + links, true);
        row("module missing, links elsewhere", "caja nemo", "nemo", "other.desktop",
            "Nemo ✓ Menu installed / Caja ! Menu missing / quintara: links ! Do not reach Quintara [Make Quintara the "
            "Handler] / Install the quintara package to add the missing menus.",
            false);
        row("module without its program, links elsewhere", "nemo", "nemo caja", "other.desktop",
            "Nemo ✓ Menu installed / quintara: links ! Do not reach Quintara [Make Quintara the Handler]", false);
        row("none installed", "", "nautilus", ours,
            links + " / No supported file manager is installed. Quintara works with GNOME Files, Dolphin, Nemo, Caja "
                    "and Thunar.",
            false);
    }
    void stepOneShowsEachInstalledFileManager()
    {
        const auto [programs, modules, handler, shown, complete] =
            fetch<QStringList, QStringList, QByteArray, QString, bool>("programs", "modules", "handler", "shown",
                                                                       "complete");
        for (const QString& program : programs)
            m_machine->install(program);
        for (const QString& module : modules)
            m_machine->addModule(module);
        m_machine->setHandler(handler);
        m_view->show();
        QTRY_COMPARE(shownIntegration(*m_view), shown);
        QCOMPARE(m_view->findChild<StepRow*>("step1")->step().isComplete, complete);
        // A window closed before the answer arrives is no longer told.
        QSignalSpy answered(&m_machine->probe, &IntegrationProbe::stateRead);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        m_view.reset();
        QVERIFY(answered.wait());
    }

    void stepTwoFollowsThePickedFolder_data()
    {
        // picked: a folder in the temporary home, or the user's cancel
        addColumns<bool, QString, bool>("earlierGrant", "picked", "granted");
        QTest::newRow("another folder") << false << "other" << true;
        QTest::newRow("cancel") << false << "cancel" << false;
        QTest::newRow("cancel over an earlier grant") << true << "cancel" << true;
        QTest::newRow("missing folder over an earlier grant") << true << "missing" << false;
    }
    void stepTwoFollowsThePickedFolder()
    {
        const auto [earlierGrant, picked, granted] = fetch<bool, QString, bool>("earlierGrant", "picked", "granted");
        QVERIFY(!earlierGrant || m_fixture->grant());
        m_fixture->home.folder("other");
        const QByteArray stored = readAll(m_fixture->settingsFile);
        const QString shown[] = {"Grant folder access / Grant Folder Access…",
                                 "Folder access granted / Update Access…"};
        m_view->show();
        QCOMPARE(folderStep(), shown[earlierGrant]);
        button("stepButton", 2)->click();
        // The account's real home, not one made up from the login name.
        const FolderPicker::Request asked = m_picker.requests.last();
        QCOMPARE(std::tuple(asked.message.contains("(/home/ada)"), asked.title, asked.startFolder),
                 std::tuple(true, QString("Grant Folder Access"), QString("/home/ada")));
        QSignalSpy willChange(&m_fixture->manager, &TemplateManager::objectWillChange);
        LogCapture log;
        const bool cancelled = picked == "cancel";
        m_picker.answer(cancelled ? std::nullopt : std::optional(m_fixture->home.path() + '/' + picked));
        QCOMPARE(std::pair(int(willChange.count()), m_view->hasFolderAccess()),
                 std::pair(cancelled ? 0 : 1, earlierGrant));
        flushEventLoop(); // only once the answer has been handled
        QCOMPARE(std::pair(m_view->hasFolderAccess(), folderStep()), std::pair(granted, shown[granted]));
        QVERIFY(!cancelled || readAll(m_fixture->settingsFile) == stored);
        QCOMPARE(log.lines().size(), picked == "missing" ? 1 : 0); // the store's line, none of its own
        // The badge: a green fill once granted, a light tint before.
        const QColor fill = m_view->findChild<StepRow*>("step2")->grab().toImage().pixelColor(15, 4);
        QCOMPARE(fill.green() > fill.red() + 60 && fill.green() > fill.blue() + 60, granted);
    }

    // A grant removed while the window is open is noticed when the application comes back to the front.
    void buttonsRunTheirActionsAndActivationRechecksAccess()
    {
        QVERIFY(m_fixture->grant());
        m_view->show();
        button("quitButton")->click();
        button("stepButton", 1)->click();
        QCOMPARE(m_quitCalls, 1);
        // The guide opens in the program's own window (the one there is), not through the desktop.
        std::unique_ptr<GuideWindow> guide(GuideWindow::present(m_workspace, {}));
        QCOMPARE(std::pair(guide->source(), m_workspace.opened.size()),
                 std::pair(QUrl::fromLocalFile(QUINTARA_EXTENSION_GUIDE), qsizetype(0)));
        writeAll(m_fixture->settingsFile, "{}");
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(m_view->hasFolderAccess());
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QVERIFY(!m_view->hasFolderAccess());
    }

    // Return is Done's only where the focused control has no use for it.
    void returnPressesTheFocusedButtonElseDone_data()
    {
        // focused: empty: the view itself
        // guides: times the extension guide opened
        addColumns<QString, int, int, int>("focused", "key", "quits", "guides");
        QTest::newRow("Return on Quit") << "quitButton" << int(Qt::Key_Return) << 1 << 0;
        QTest::newRow("keypad Enter on Quit") << "quitButton" << int(Qt::Key_Enter) << 1 << 0;
        QTest::newRow("Return on a step's button") << "stepButton" << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("Return on Done") << "doneButton" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("Return, no button focused") << "" << int(Qt::Key_Return) << 0 << 0;
    }
    void returnPressesTheFocusedButtonElseDone()
    {
        const auto [focused, key, quits, guides] = fetch<QString, int, int, int>("focused", "key", "quits", "guides");
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        QWidget* target =
            focused.isEmpty() ? static_cast<QWidget*>(m_view.get()) : button(focused, focused == "stepButton");
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QWidgetList opened;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == "guideWindow" && window->isVisible())
                opened.append(window);
        QCOMPARE(std::tuple(m_quitCalls, int(opened.size()), m_view->isVisible()),
                 std::tuple(quits, guides, quits + guides > 0));
        qDeleteAll(opened);
    }

    void doneClosesTheActiveWindowElseTheWelcomeWindow()
    {
        QWidget other;
        other.show();
        m_view->setAttribute(Qt::WA_DontShowOnScreen);
        m_view->show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        button("doneButton")->click();
        QCOMPARE(std::pair(other.isVisible(), m_view->isVisible()), std::pair(false, true));
        QTRY_VERIFY(!QApplication::activeWindow());
        button("doneButton")->click();
        QVERIFY(!m_view->isVisible());
    }

    void sharedFlowLeavesAGoneCallerAlone()
    {
        auto caller = std::make_unique<QWidget>();
        bool called = false;
        requestHomeFolderAccess(
            m_fixture->manager, m_picker, m_account, caller.get(), [&called](bool) { called = true; }, false);
        m_picker.answer(m_fixture->home.path());
        caller.reset();
        flushEventLoop();
        QVERIFY(!called);
        QVERIFY(m_fixture->store.hasHomeFolderBookmark()); // the user's choice is kept all the same
    }
};

QTEST_MAIN(TestWelcomeView)
#include "tst_WelcomeView.moc"
