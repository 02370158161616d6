#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/Fakes.h"
#include "support/LogCapture.h"
#include "support/TestEnvironment.h"
#include "ui/common/FolderPicker.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/welcome/StepRow.h"
#include "ui/welcome/WelcomeView.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Keeps the open request until the test answers it as the user would: a folder, or nothing (cancel).
class CloseCounter final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            closed.append(watched);
        return false;
    }
    QObjectList closed;
};

// Runs everything queued so far, including the deferred end of the picker flow.
void flushEventLoop()
{
    bool flushed = false;
    QTimer::singleShot(0, [&flushed] { flushed = true; });
    QTRY_VERIFY(flushed);
}

QStringList texts(const QWidget& view, int step)
{
    const auto* row = view.findChild<StepRow*>(QStringLiteral("step%1").arg(step));
    const auto* button = row->findChild<QPushButton*>(QStringLiteral("stepButton"));
    return {row->findChild<QLabel*>(QStringLiteral("stepTitle"))->text(),
            row->findChild<QLabel*>(QStringLiteral("stepDescription"))->text(),
            button->isVisibleTo(row) ? button->text() : QString()};
}

const QStringList step1 = {"Enable the Finder extension",
                           "Open System Settings → Privacy & Security → Extensions → Added Extensions, then turn on "
                           "“Quintara”.",
                           "Open Extension Settings"};
const QStringList step2NotGranted = {"Grant folder access",
                                     "Choose your Home folder so the extension can create files anywhere on your "
                                     "Mac. macOS will show a folder picker.",
                                     "Grant Folder Access…"};
const QStringList step2Granted = {"Folder access granted",
                                  "The extension can now create files in your Home folder and all subfolders.",
                                  "Update Access…"};
const QStringList step3 = {"Right-click any folder in Finder",
                           "Pick a template (“New Text File”, “New Markdown”, etc.) from the menu. The new file "
                           "appears instantly.",
                           QString()};

} // namespace

class TestWelcomeView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void stepTwoFollowsThePickedFolder_data();
    void stepTwoFollowsThePickedFolder();
    void grantRemovedWhileOpenIsNoticedOnActivation();
    void buttonsRunTheirActions();
    void returnActivatesDone();
    void doneClosesTheActiveWindowElseTheWelcomeWindow_data();
    void doneClosesTheActiveWindowElseTheWelcomeWindow();
    void sharedFlowLogsAFailedGrantWhenAsked();
    void sharedFlowLeavesAGoneCallerAlone();

private:
    QString folder(const QString& name) const { return m_home->path() + QLatin1Char('/') + name; }
    // A button of the bottom bar, or of the numbered step.
    QPushButton* button(const QString& name, int step = 0) const
    {
        QWidget* scope = step ? m_view->findChild<QWidget*>(QStringLiteral("step%1").arg(step)) : m_view.get();
        return scope->findChild<QPushButton*>(name);
    }

    std::unique_ptr<TemporaryHome> m_home;
    QString m_settingsFile;
    std::unique_ptr<TemplateStore> m_store;
    std::unique_ptr<TemplateManager> m_manager;
    FakeFolderPicker m_picker;
    FakeWorkspace m_workspace;
    FakeUserAccount m_account;
    int m_settingsOpened = 0;
    int m_quitCalls = 0;
    std::unique_ptr<WelcomeView> m_view;
};

void TestWelcomeView::init()
{
    m_home = std::make_unique<TemporaryHome>();
    m_settingsFile = m_home->configHome() + QStringLiteral("/suite.json");
    m_store = std::make_unique<TemplateStore>([path = m_settingsFile] { return SettingsDomain(path); });
    m_manager = std::make_unique<TemplateManager>(*m_store);
    m_picker.requests.clear();
    m_workspace.opened.clear();
    m_settingsOpened = m_quitCalls = 0;
    m_view = std::make_unique<WelcomeView>(
        *m_manager, m_picker, m_workspace, m_account, [this] { ++m_settingsOpened; }, [this] { ++m_quitCalls; });
    m_view->setWindowTitle(QStringLiteral("Welcome to Quintara"));
    QDir().mkpath(folder(QStringLiteral("other")));
}

void TestWelcomeView::cleanup()
{
    m_view.reset();
    m_manager.reset();
    m_store.reset();
    m_home.reset();
}

void TestWelcomeView::stepTwoFollowsThePickedFolder_data()
{
    QTest::addColumn<bool>("earlierGrant");
    QTest::addColumn<QString>("picked"); // a folder in the temporary home, or the user's cancel
    QTest::addColumn<bool>("granted");

    QTest::newRow("home") << false << "home" << true;
    QTest::newRow("another folder") << false << "other" << true;
    QTest::newRow("cancel") << false << "cancel" << false;
    QTest::newRow("cancel over an earlier grant") << true << "cancel" << true;
    QTest::newRow("missing folder") << false << "missing" << false;
    QTest::newRow("missing folder over an earlier grant") << true << "missing" << false;
}

void TestWelcomeView::stepTwoFollowsThePickedFolder()
{
    QFETCH(bool, earlierGrant);
    QFETCH(QString, picked);
    QFETCH(bool, granted);
    if (earlierGrant)
        QVERIFY(m_store->saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    const QByteArray stored = readAll(m_settingsFile);
    m_view->show();
    QCOMPARE(m_view->hasFolderAccess(), earlierGrant);
    QCOMPARE(texts(*m_view, 2), earlierGrant ? step2Granted : step2NotGranted);

    button(QStringLiteral("stepButton"), 2)->click();
    QCOMPARE(m_picker.requests.size(), 1);
    QCOMPARE(m_picker.requests.first().message,
             QStringLiteral("Select your Home folder (/home/ada) to let Quintara create files anywhere on your Mac."));
    QCOMPARE(m_picker.requests.first().prompt, QStringLiteral("Grant Access"));
    QCOMPARE(m_picker.requests.first().startFolder, QStringLiteral("/home/ada"));

    QSignalSpy willChange(m_manager.get(), &TemplateManager::objectWillChange);
    LogCapture log;
    const bool cancelled = picked == QStringLiteral("cancel");
    m_picker.answer(cancelled ? std::nullopt : std::optional(picked == "home" ? m_home->path() : folder(picked)));
    QCOMPARE(willChange.count(), cancelled ? 0 : 1);
    QCOMPARE(m_view->hasFolderAccess(), earlierGrant); // only once the answer has been handled
    flushEventLoop();

    QCOMPARE(m_view->hasFolderAccess(), granted);
    QCOMPARE(texts(*m_view, 1), step1);
    QCOMPARE(texts(*m_view, 2), granted ? step2Granted : step2NotGranted);
    QCOMPARE(texts(*m_view, 3), step3);
    if (cancelled)
        QCOMPARE(readAll(m_settingsFile), stored);
    // The window adds no log line of its own to the store's.
    QCOMPARE(log.lines().size(), picked == QStringLiteral("missing") ? 1 : 0);
    if (!log.lines().isEmpty())
        QVERIFY(log.lines().first().startsWith(QStringLiteral("[QNT] bookmark save FAILED: ")));

    // The badge is never blank: a light mark on green once granted, a dark digit on a light tint before.
    const QImage badge = m_view->findChild<StepRow*>(QStringLiteral("step2"))->grab().toImage();
    const QColor fill = badge.pixelColor(15, 4);
    QCOMPARE(fill.green() > fill.red() + 60 && fill.green() > fill.blue() + 60, granted);
    int lighter = 0, darker = 0;
    for (int i = 0; i < 14 * 14; ++i) {
        const int contrast = badge.pixelColor(8 + i % 14, 8 + i / 14).red() - fill.red();
        lighter += contrast > 80;
        darker += contrast < -80;
    }
    QCOMPARE(std::pair(lighter > 0, darker > 0), std::pair(granted, !granted));
}

void TestWelcomeView::grantRemovedWhileOpenIsNoticedOnActivation()
{
    QVERIFY(m_store->saveHomeFolderBookmark(QUrl::fromLocalFile(m_home->path())));
    m_view->show();
    QVERIFY(m_view->hasFolderAccess());
    writeAll(m_settingsFile, "{}");
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(m_view->hasFolderAccess());
    Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!m_view->hasFolderAccess());
    QCOMPARE(texts(*m_view, 2), step2NotGranted);
}

void TestWelcomeView::buttonsRunTheirActions()
{
    m_view->show();
    button(QStringLiteral("manageTemplatesButton"))->click();
    QCOMPARE(std::pair(m_settingsOpened, m_quitCalls), std::pair(1, 0));
    button(QStringLiteral("quitButton"))->click();
    QCOMPARE(std::pair(m_settingsOpened, m_quitCalls), std::pair(1, 1));
    button(QStringLiteral("stepButton"), 1)->click();
    QCOMPARE(m_workspace.opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral(QUINTARA_EXTENSION_GUIDE))});
    QVERIFY(m_view->isVisible());
}

void TestWelcomeView::returnActivatesDone()
{
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    button(QStringLiteral("quitButton"))->setFocus(); // Return is not the focused button's
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QTRY_VERIFY(!m_view->isVisible());
    QCOMPARE(m_quitCalls, 0);
}

void TestWelcomeView::doneClosesTheActiveWindowElseTheWelcomeWindow_data()
{
    QTest::addColumn<bool>("otherActive");
    QTest::newRow("another window is active") << true;
    QTest::newRow("no window is active") << false;
}

void TestWelcomeView::doneClosesTheActiveWindowElseTheWelcomeWindow()
{
    QFETCH(bool, otherActive);
    QWidget other;
    other.setWindowTitle(QStringLiteral("Settings"));
    CloseCounter closes;
    other.installEventFilter(&closes);
    m_view->installEventFilter(&closes);
    if (otherActive) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    QCOMPARE(QApplication::activeWindow() != nullptr, otherActive);

    button(QStringLiteral("doneButton"))->click();
    QCOMPARE(closes.closed, QObjectList{otherActive ? static_cast<QObject*>(&other) : m_view.get()});
}

void TestWelcomeView::sharedFlowLogsAFailedGrantWhenAsked()
{
    QWidget caller;
    std::optional<bool> access;
    LogCapture log;
    for (const QString& picked : {QStringLiteral("missing"), QStringLiteral("other")}) {
        requestHomeFolderAccess(
            *m_manager, m_picker, m_account, &caller, [&access](bool value) { access = value; }, true);
        m_picker.answer(folder(picked));
        flushEventLoop();
        const bool granted = picked == QStringLiteral("other");
        QCOMPARE(access, granted);
        const QStringList lines = log.take();
        QCOMPARE(lines.size(), granted ? 0 : 2);
        if (!granted)
            QCOMPARE(lines.last(), QStringLiteral("[QNT] Bookmark save failed for url: ") + folder(picked));
    }
}

void TestWelcomeView::sharedFlowLeavesAGoneCallerAlone()
{
    auto caller = std::make_unique<QWidget>();
    bool called = false;
    requestHomeFolderAccess(
        *m_manager, m_picker, m_account, caller.get(), [&called](bool) { called = true; }, false);
    m_picker.answer(folder(QStringLiteral("other")));
    caller.reset();
    flushEventLoop();
    QVERIFY(!called);
    QVERIFY(m_store->hasHomeFolderBookmark()); // the user's choice is kept all the same
}

QTEST_MAIN(TestWelcomeView)
#include "tst_WelcomeView.moc"
