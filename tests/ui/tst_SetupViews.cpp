#include "model/BundleInfo.h"
#include "model/Version.h"
#include "support/AccessKeys.h"
#include "support/Fakes.h"
#include "support/IntegrationMachine.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/common/DialogFilePicker.h"
#include "ui/common/DialogFolderPicker.h"
#include "ui/common/FormGroup.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/common/Style.h"
#include "ui/settings/AboutView.h"
#include "ui/settings/GeneralSettingsView.h"
#include "ui/settings/SettingsView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/welcome/StepRow.h"
#include "ui/welcome/WelcomeView.h"

#include <QtTest>
#include <QtWidgets>

namespace {

// What the file-manager rows say when links go elsewhere, and when a file manager's module is missing.
const QString linksElsewhere = "! Do not reach Quintara [Make Quintara the Handler]";
const QString packageHint = " / Install the quintara package to add the missing menus.";
const QByteArray ours = "app.quintara.Quintara.desktop";

} // namespace

// Where Quintara is set up: the welcome window and the Settings window's General pane, both over one
// store as in the program, with the pieces they share; and the About pane.
class TestSetupViews : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    FakeFolderPicker m_picker;
    FakeWorkspace m_workspace;
    FakeUserAccount m_account;
    std::optional<IntegrationMachine> m_machine;
    int m_quitCalls = 0;
    std::unique_ptr<WelcomeView> m_welcome;
    std::unique_ptr<GeneralSettingsView> m_general;
    // Qt's own settings (the file dialog's) fix their folder on first use, so theirs outlives every home.
    QTemporaryDir m_qtSettings;

    QPushButton* button(const QString& name, int step = 0) const
    {
        return (step ? m_welcome->findChild<QWidget*>(QStringLiteral("step%1").arg(step)) : m_welcome.get())
            ->findChild<QPushButton*>(name);
    }
    QLineEdit* field() const { return m_general->findChild<QLineEdit*>("baseNameField"); }
    std::optional<QString> storedName() const { return m_fixture->domain().text("defaultBaseName"); }

private Q_SLOTS:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_qtSettings.path()); }
    void init()
    {
        m_fixture.emplace();
        m_machine.emplace();
        m_workspace.opened.clear();
        m_quitCalls = 0;
        // Manage Templates is followed to the settings window in tst_AppDelegate.
        m_welcome = std::make_unique<WelcomeView>(
            m_fixture->manager, m_picker, m_workspace, m_machine->probe, m_account, [] {}, [this] { ++m_quitCalls; });
        m_general = std::make_unique<GeneralSettingsView>(m_fixture->manager, m_picker, m_workspace, m_machine->probe,
                                                          m_account);
    }
    void cleanup() { m_welcome.reset(), m_general.reset(), m_machine.reset(), m_fixture.reset(); }

    // Both views show a row for each installed file manager and one for quintara: links. What Quintara can put
    // in place itself it does, and shows once the state is read again; what only changes outside shows when the
    // application becomes active again. A window closed before an answer arrives is no longer told.
    void fileManagerRowsFollowTheMachine_data()
    {
        addColumns<QString, QString, QByteArray, QString>("programs", "modules", "handler", "shown");
        const auto row = [](const char* tag, const char* programs, const char* modules, const QByteArray& handler,
                            const QString& shown) {
            QTest::newRow(tag) << QString(programs) << QString(modules) << handler << shown;
        };
        const QString links = "quintara: links ✓ Open in Quintara", elsewhere = "quintara: links " + linksElsewhere;
        row("all in place", "thunar nautilus", "nautilus thunar", ours,
            "GNOME Files ✓ Menu installed / Thunar ✓ Menu installed / " + links);
        row("module missing, links elsewhere", "caja nemo", "nemo", "other.desktop",
            "Nemo ✓ Menu installed / Caja ! Menu missing / " + elsewhere + packageHint);
        row("module without its program, links elsewhere", "nemo", "nemo caja", "other.desktop",
            "Nemo ✓ Menu installed / " + elsewhere);
        row("none installed", "", "nautilus", ours,
            links + " / No supported file manager is installed. Quintara works with GNOME Files, Dolphin, Nemo, Caja "
                    "and Thunar.");
        row("Dolphin's menu missing", "dolphin caja", "", ours,
            "Dolphin ! [Add Menu] / Caja ! Menu missing / " + links + packageHint);
    }
    void fileManagerRowsFollowTheMachine()
    {
        const auto [programs, modules, handler, shown] =
            fetch<QString, QString, QByteArray, QString>("programs", "modules", "handler", "shown");
        for (const QString& program : programs.split(' ', Qt::SkipEmptyParts))
            m_machine->install(program);
        for (const QString& module : modules.split(' ', Qt::SkipEmptyParts))
            m_machine->addModule(module);
        m_machine->setHandler(handler);
        m_welcome->show(), m_general->show();
        // Step 1 is done once some file manager is installed and no row is left to fix.
        const auto complete = [&](const QString& rows) {
            return std::optional(!programs.isEmpty() && !rows.contains('!'));
        };
        const StepRow* step = m_welcome->findChild<StepRow*>("step1");
        QTRY_COMPARE(shownIntegration(*m_welcome), shown);
        QCOMPARE(std::pair(shownIntegration(*m_general), step->step().isComplete), std::pair(shown, complete(shown)));
        for (QWidget* row : m_welcome->findChildren<QWidget*>(QRegularExpression("Row$")))
            if (QPushButton* fix = row->findChild<QPushButton*>(); fix->isVisibleTo(m_welcome.get()))
                fix->click();
        QString fixed =
            QString(shown).replace("! [Add Menu]", "✓ Menu installed").replace(linksElsewhere, "✓ Open in Quintara");
        QTRY_COMPARE(shownIntegration(*m_welcome), fixed);
        QCOMPARE(m_machine->handlerChanges(),
                 handler == ours ? "" : "default app.quintara.Quintara.desktop x-scheme-handler/quintara\n");
        for (const QString& program : programs.split(' ', Qt::SkipEmptyParts))
            m_machine->addModule(program);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        fixed.replace("! Menu missing", "✓ Menu installed").remove(packageHint);
        QTRY_COMPARE(shownIntegration(*m_welcome), fixed);
        QCOMPARE(std::pair(shownIntegration(*m_general), step->step().isComplete), std::pair(fixed, complete(fixed)));
        QSignalSpy answered(&m_machine->probe, &IntegrationProbe::stateRead);
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        m_welcome.reset();
        QVERIFY(answered.wait());
    }

    // The folder grant, asked for in either view, shows once the picker's answer has been handled: in the view
    // that asked, and a grant made or kept in the other one too. A cancel changes nothing; a folder that cannot be
    // granted is the asking view's to report, and the General pane logs it.
    void aGrantShowsInBothViews_data()
    {
        // picked: a folder in the temporary home, or the user's cancel
        addColumns<bool, bool, QString, bool>("inGeneral", "earlierGrant", "picked", "granted");
        QTest::newRow("welcome: another folder") << false << false << "other" << true;
        QTest::newRow("welcome: cancel") << false << false << "cancel" << false;
        QTest::newRow("welcome: cancel over an earlier grant") << false << true << "cancel" << true;
        QTest::newRow("welcome: a missing folder over an earlier grant") << false << true << "missing" << false;
        QTest::newRow("General: another folder") << true << false << "other" << true;
        QTest::newRow("General: a missing folder") << true << false << "missing" << false;
        QTest::newRow("General: update to a missing folder") << true << true << "missing" << false;
    }
    void aGrantShowsInBothViews()
    {
        const auto [inGeneral, earlierGrant, picked, granted] =
            fetch<bool, bool, QString, bool>("inGeneral", "earlierGrant", "picked", "granted");
        QVERIFY(!earlierGrant || m_fixture->grant());
        m_fixture->home.folder("other");
        m_welcome->show(), m_general->show();
        const QByteArray stored = readAll(m_fixture->settingsFile);
        const auto* step = m_welcome->findChild<StepRow*>("step2");
        const auto inWelcome = [&] {
            return std::tuple(step->findChild<QLabel*>("stepTitle")->text() + " / " +
                                  button("stepButton", 2)->text().remove('&'),
                              step->step().isComplete, m_welcome->hasFolderAccess());
        };
        const auto inPane = [&] {
            return std::pair(m_general->hasAccess(),
                             m_general->findChild<QWidget*>("accessGrantedForm")->isVisibleTo(m_general.get()));
        };
        const auto welcomeShowing = [](bool access) {
            return std::tuple(QString(access ? "Folder access granted / Update Access…"
                                             : "Grant folder access / Grant Folder Access…"),
                              std::optional(access), access);
        };
        QCOMPARE(std::pair(inWelcome(), inPane()),
                 std::pair(welcomeShowing(earlierGrant), std::pair(earlierGrant, earlierGrant)));
        (inGeneral ? m_general->findChild<QPushButton*>(earlierGrant ? "updateAccessButton" : "grantAccessButton")
                   : button("stepButton", 2))
            ->click();
        // The account's real home, not one made up from the login name.
        const FolderPicker::Request asked = m_picker.requests.last();
        QCOMPARE(std::tuple(asked.message.contains("(/home/ada)"), asked.title, asked.startFolder),
                 std::tuple(true, QString("Grant Folder Access"), QString("/home/ada")));
        QSignalSpy willChange(&m_fixture->manager, &TemplateManager::objectWillChange);
        LogCapture log;
        const bool cancelled = picked == "cancel";
        m_picker.answer(cancelled ? std::nullopt : std::optional(m_fixture->home.path() + '/' + picked));
        QCOMPARE(std::tuple(int(willChange.count()), inWelcome(), inPane()),
                 std::tuple(cancelled ? 0 : 1, welcomeShowing(earlierGrant), std::pair(earlierGrant, earlierGrant)));
        flushEventLoop(); // only once the answer has been handled
        if (!inGeneral || picked != "missing")
            QCOMPARE(inWelcome(), welcomeShowing(granted));
        if (inGeneral || picked != "missing")
            QCOMPARE(inPane(), std::pair(granted, granted));
        QVERIFY(!cancelled || readAll(m_fixture->settingsFile) == stored);
        QCOMPARE(log.lines().size(), picked == "missing" ? 1 + inGeneral : 0); // the store's line, then the pane's
    }

    void aGrantOutlivesTheViewThatAskedForIt()
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

    // A change made elsewhere shows in the welcome window when the application comes back to the front;
    // the General pane reads the settings again only when it is shown.
    void changesMadeElsewhereShowOnActivationOrWhenShown()
    {
        QVERIFY(m_fixture->grant());
        m_welcome->show(), m_general->show();
        writeAll(m_fixture->settingsFile, "{}");
        m_fixture->store.setDefaultBaseName("Memo");
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationInactive);
        QVERIFY(m_welcome->hasFolderAccess());
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(std::tuple(m_welcome->hasFolderAccess(), m_general->hasAccess(), m_general->baseName()),
                 std::tuple(false, true, QStringLiteral("Untitled")));
        m_general->hide();
        m_general->show();
        QCOMPARE(std::pair(m_general->hasAccess(), m_general->baseName()), std::pair(false, QStringLiteral("Memo")));
        // The guide is in the program's own window, the one there is, not in the desktop's browser.
        m_general->findChild<QPushButton*>("openExtensionSettingsButton")->click();
        std::unique_ptr<GuideWindow> guide(GuideWindow::present(m_workspace, {}));
        QCOMPARE(std::pair(guide->source(), m_workspace.opened.size()),
                 std::pair(QUrl::fromLocalFile(QUINTARA_EXTENSION_GUIDE), qsizetype(0)));
    }

    // Return is Done's only where the focused control has no use for it.
    void returnPressesTheFocusedButtonElseDone_data()
    {
        // focused: empty: the view itself; "fresh": as the window opens
        // guides: times the extension guide opened
        addColumns<QString, int, int, int>("focused", "key", "quits", "guides");
        QTest::newRow("Return on Quit") << "quitButton" << int(Qt::Key_Return) << 1 << 0;
        QTest::newRow("keypad Enter on Quit") << "quitButton" << int(Qt::Key_Enter) << 1 << 0;
        QTest::newRow("Return on a step's button") << "stepButton" << int(Qt::Key_Return) << 0 << 1;
        QTest::newRow("Return on Done") << "doneButton" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("Return, no button focused") << "" << int(Qt::Key_Return) << 0 << 0;
        QTest::newRow("Return on a fresh window") << "fresh" << int(Qt::Key_Return) << 0 << 0;
    }
    void returnPressesTheFocusedButtonElseDone()
    {
        const auto [focused, key, quits, guides] = fetch<QString, int, int, int>("focused", "key", "quits", "guides");
        m_welcome->show();
        m_welcome->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_welcome.get()));
        QWidget* target = focused == "fresh"  ? QApplication::focusWidget()
                          : focused.isEmpty() ? static_cast<QWidget*>(m_welcome.get())
                                              : button(focused, focused == "stepButton");
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QWidgetList opened;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->objectName() == "guideWindow" && window->isVisible())
                opened.append(window);
        QCOMPARE(std::tuple(m_quitCalls, int(opened.size()), m_welcome->isVisible()),
                 std::tuple(quits, guides, quits + guides > 0));
        qDeleteAll(opened);
    }

    void doneClosesTheActiveWindowElseTheWelcomeWindow()
    {
        QWidget other;
        other.show();
        m_welcome->setAttribute(Qt::WA_DontShowOnScreen);
        m_welcome->show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        button("doneButton")->click();
        QCOMPARE(std::pair(other.isVisible(), m_welcome->isVisible()), std::pair(false, true));
        QTRY_VERIFY(!QApplication::activeWindow());
        button("doneButton")->click();
        QVERIFY(!m_welcome->isVisible());
    }

    void baseNameIsShownAndStoredTrimmed_data()
    {
        // stored: before the pane is shown
        // typed: after: "=" keeps the field as it is
        addColumns<std::optional<QString>, QString, QString, QString>("stored", "typed", "shown", "storedAfter");
        const auto row = [](const char* tag, std::optional<QString> stored, const char* typed, const char* shown,
                            const char* after) {
            QTest::newRow(tag) << stored << QString(typed) << QString(shown) << QString(after);
        };
        row("nothing stored", {}, "=", "Untitled", "Untitled");
        row("empty stored", "", "=", "", "");
        row("stored with spaces around", "\tMemo\u00A0", "=", "\tMemo\u00A0", "Memo");
        row("typed with spaces around", {}, "\u3000Notes\u00A0 ", "\u3000Notes\u00A0 ", "Notes");
        row("line separator is no space", {}, "Notes\u2028", "Notes\u2028", "Notes\u2028");
        row("only spaces", {}, "   ", "   ", "Untitled");
        row("cleared", "Memo", "", "", "Memo");
    }
    void baseNameIsShownAndStoredTrimmed()
    {
        const auto [stored, typed, shown, storedAfter] =
            fetch<std::optional<QString>, QString, QString, QString>("stored", "typed", "shown", "storedAfter");
        if (stored)
            m_fixture->store.setDefaultBaseName(*stored);
        m_general->show();
        if (typed != "=") {
            field()->selectAll();
            QTest::keyClick(field(), Qt::Key_Backspace);
            for (const QChar c : typed) // one key per character, including ones the test keyboard lacks
                QTest::sendKeyEvent(QTest::Click, field(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QCOMPARE(std::pair(field()->text(), storedName()), std::pair(shown, std::optional(storedAfter)));
        // Return stores the field again, over a change made elsewhere.
        m_fixture->store.setDefaultBaseName("Changed elsewhere");
        QTest::keyClick(field(), Qt::Key_Return);
        QCOMPARE(storedName(), shown.trimmed().isEmpty() ? "Changed elsewhere" : storedAfter);
    }

    void askForNameSwitchShowsAndStoresTheFlag_data()
    {
        QTest::addColumn<std::optional<bool>>("stored");
        QTest::newRow("nothing stored: off") << std::optional<bool>();
        QTest::newRow("off") << std::optional(false);
        QTest::newRow("on") << std::optional(true);
    }
    void askForNameSwitchShowsAndStoresTheFlag()
    {
        QFETCH(std::optional<bool>, stored);
        const bool on = stored.value_or(false);
        if (stored)
            m_fixture->store.setAsksForFileName(on);
        m_general->show();
        auto* box = m_general->findChild<QCheckBox*>("askForNameSwitch");
        // Showing the stored value stores nothing.
        QCOMPARE(std::pair(box->isChecked(), m_fixture->domain().flag("askForFileName")), std::pair(on, stored));
        box->click();
        QCOMPARE(m_fixture->domain().flag("askForFileName"), std::optional(!on));
    }

    // Open Extension Settings finds the guide beside the program, built or installed, in the user's language
    // where there is one, and no folder in its place.
    void guideIsFoundBesideTheProgram_data()
    {
        // programFolder: inside a temporary prefix
        // placed: guides beside the English one: "name" files, "name/" folders
        // found: "" for none
        addColumns<QString, QString, QString, QString>("programFolder", "placed", "locale", "found");
        const auto row = [](const char* tag, const char* folder, const char* placed, const char* locale,
                            const char* found) {
            QTest::newRow(tag) << QString(folder) << QString(placed) << QString(locale) << QString(found);
        };
        const char *guide = "extension-guide.html", *german = "extension-guide.de.html";
        row("build tree", "bin", "", "en_US", guide);
        row("installed, private program folder", "libexec/quintara", "", "en_US", guide);
        row("a folder where the guide should be", "bin", "extension-guide.html/", "en_US", "");
        row("German", "libexec/quintara", german, "de_DE", german);
        row("German, in English", "bin", german, "en_GB", guide);
        row("Austrian German before German", "bin", "extension-guide.de.html extension-guide.de_AT.html", "de_AT",
            "extension-guide.de_AT.html");
    }
    void guideIsFoundBesideTheProgram()
    {
        const auto [programFolder, placed, locale, found] =
            fetch<QString, QString, QString, QString>("programFolder", "placed", "locale", "found");
        QTemporaryDir prefix;
        const QDir data(prefix.filePath("share/quintara"));
        QVERIFY(QDir(prefix.path()).mkpath(programFolder) && data.mkpath("."));
        for (const QString& name : placed.split(' ', Qt::SkipEmptyParts))
            name.endsWith('/') ? void(data.mkpath(name)) : writeAll(data.filePath(name), "<html/>");
        if (!data.exists("extension-guide.html"))
            writeAll(data.filePath("extension-guide.html"), "<html/>");
        QCOMPARE(extensionGuideUrl(prefix.filePath(programFolder), QLocale(locale)),
                 found.isEmpty() ? QUrl() : QUrl::fromLocalFile(data.filePath(found)));
    }

    // The guide window needs no browser: only web pages leave it, and a missing guide leaves a note, not nothing.
    void guideWindowShowsTheGuideAndOpensOnlyWebPages_data()
    {
        addColumns<bool, QUrl, bool, QKeySequence>("installed", "link", "opened", "closeKey");
        const QKeySequence escape(Qt::Key_Escape), ctrlW(Qt::CTRL | Qt::Key_W);
        QTest::newRow("web page") << true << QUrl("https://quintara.app/support") << true << escape;
        QTest::newRow("plain web page") << true << QUrl("http://example.org/a") << true << ctrlW;
        QTest::newRow("place in the guide") << true << QUrl("#grant") << false << escape;
        QTest::newRow("local file") << true << QUrl("file:///etc/passwd") << false << escape;
        QTest::newRow("create request") << true << QUrl("quintara://create?t=0&d=/tmp") << false << escape;
        QTest::newRow("guide missing") << false << QUrl("https://quintara.app/") << true << ctrlW;
    }
    void guideWindowShowsTheGuideAndOpensOnlyWebPages()
    {
        const auto [installed, link, opened, closeKey] =
            fetch<bool, QUrl, bool, QKeySequence>("installed", "link", "opened", "closeKey");
        QPointer<GuideWindow> guide =
            GuideWindow::present(m_workspace, installed ? QUrl::fromLocalFile(QUINTARA_EXTENSION_GUIDE)
                                                        : QUrl::fromLocalFile("/nonexistent/guide.html"));
        QCOMPARE(GuideWindow::present(m_workspace, {}), guide);
        QVERIFY(guide->toPlainText().contains(installed ? "nautilus -q" : "The guide is not installed"));
        Q_EMIT guide->anchorClicked(link);
        QCOMPARE(m_workspace.opened, opened ? QList<QUrl>{link} : QList<QUrl>{});
        QVERIFY(QTest::qWaitForWindowActive(guide));
        QTest::keySequence(guide, closeKey);
        QTRY_VERIFY(!guide); // closed, and gone: the next request reads the guide afresh
    }

    // Qt's own dialogs, where no portal chooses: one answer each; nothing when cancelled or gone with the window.
    void dialogPickersAnswerOnce_data()
    {
        addColumns<bool, QString>("files", "end");
        for (const bool files : {false, true})
            for (const char* end : {"accept", "reject", "parent gone"})
                QTest::addRow("%s, %s", files ? "files" : "folder", end) << files << QString(end);
    }
    void dialogPickersAnswerOnce()
    {
        const auto [files, end] = fetch<bool, QString>("files", "end");
        const QString home = m_fixture->home.path();
        writeAll(home + "/a.txt", ""), writeAll(home + "/b.txt", "");
        auto parent = std::make_unique<QWidget>();
        QList<QStringList> answers;
        if (files)
            DialogFilePicker().pickFiles({"Import", "Import", home}, parent.get(),
                                         [&answers](const QStringList& chosen) { answers << chosen; });
        else
            DialogFolderPicker().pickFolder(
                {"Grant", "Choose", "Grant", home}, parent.get(),
                [&answers](const std::optional<QString>& f) { answers << QStringList(f.value_or("-")); });
        auto* dialog = parent->findChild<QFileDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        dialog->selectFile(files ? "\"a.txt\" \"b.txt\"" : home);
        if (end == "parent gone")
            parent.reset();
        else
            QMetaObject::invokeMethod(dialog, end.toLatin1());
        flushEventLoop();
        const QStringList chosen = files ? QStringList{home + "/a.txt", home + "/b.txt"} : QStringList{home};
        QCOMPARE(answers, QList<QStringList>{end == "accept" ? chosen : files ? QStringList() : QStringList("-")});
    }

    void aboutShowsThisBuildAndTheClocksYear()
    {
        const FakeClock clock(QDateTime(QDate(1999, 12, 31), QTime(23, 0), Qt::UTC));
        AboutView view(BundleInfo::dictionary(), clock, m_workspace);
        view.show();
        QCOMPARE(view.findChild<QLabel*>("versionLabel")->text() + " | " +
                     view.findChild<QLabel*>("copyrightLabel")->text(),
                 "Version " QUINTARA_VERSION " (" QUINTARA_BUILD_NUMBER ") | © 1999 Quintara. Free software under "
                 "the MIT License.");
        QTest::mouseClick(view.findChild<QAbstractButton*>("supportLink"), Qt::LeftButton);
        QTest::mouseClick(view.findChild<QAbstractButton*>("privacyLink"), Qt::LeftButton);
        QCOMPARE(m_workspace.opened,
                 (QList<QUrl>{QUrl("https://quintara.app/support"), QUrl("https://quintara.app/privacy")}));
    }

    // Through the welcome window, every Settings pane and the editor: every control the keyboard
    // reaches has a name a screen reader reads, each access key leads to one control, and every text
    // keeps a contrast of 4.5:1 on what it is drawn on while the desktop switches from light to dark
    // and back with the windows open; and the text grows with the desktop's font.
    void everyControlIsNamedKeyedAndReadable()
    {
        // Relative luminance as the web's accessibility guidelines define it, plus their flare term.
        const auto luminance = [](const QColor& c) {
            const auto linear = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF()) + 0.05;
        };
        // What a widget is drawn on: the nearest filled or panel surface under it, else its window.
        const auto surface = [](const QWidget* widget) {
            for (const QWidget* under = widget->parentWidget(); under; under = under->parentWidget()) {
                if (dynamic_cast<const FormGroup*>(under))
                    return under->palette().color(QPalette::Base);
                if (under->autoFillBackground() || under->isWindow())
                    return under->palette().color(under->backgroundRole());
            }
            return widget->palette().color(QPalette::Window);
        };
        FakeFilePicker files;
        FakeClock clock(QDateTime::currentDateTime());
        m_fixture->storeCustom({"Notes"});
        SettingsView settings(m_fixture->manager, m_picker, files, m_workspace, m_machine->probe, m_account, clock,
                              BundleInfo::dictionary());
        TemplateEditorView editor(customTemplate("Notes"), false, {});
        QList<QWidget*> pages{m_welcome.get(), &editor};
        for (int tab = 0; tab < settings.count(); ++tab)
            pages << settings.widget(tab);
        const QPalette light = QApplication::palette();
        QPalette dark(QColor(0x3a, 0x3a, 0x3a), QColor(0x2e, 0x2e, 0x2e));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(role, QColor(0xf2, 0xf2, 0xf2));
        dark.setColor(QPalette::Base, QColor(0x24, 0x24, 0x24));
        dark.setColor(QPalette::PlaceholderText, QColor(0xf2, 0xf2, 0xf2, 110));
        dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
        QStringList problems;
        for (const auto& [step, palette] : {std::pair("light", light), {"dark", dark}, {"light again", light}}) {
            QApplication::setPalette(palette);
            QCoreApplication::processEvents(); // the change reaches the widgets as posted events
            for (QWidget* page : pages) {
                page->window()->show();
                settings.setCurrentWidget(page);
                if (palette == light)
                    problems << sharedAccessKeys(page);
                for (const QWidget* widget : page->findChildren<QWidget*>()) {
                    if (!widget->isVisibleTo(page))
                        continue;
                    if (widget->focusPolicy() != Qt::NoFocus &&
                        QAccessible::queryAccessibleInterface(const_cast<QWidget*>(widget))
                            ->text(QAccessible::Name)
                            .isEmpty())
                        problems << QString("%1 %2 has no name")
                                        .arg(widget->metaObject()->className(), widget->objectName());
                    const auto* label = qobject_cast<const QLabel*>(widget);
                    const auto* button = qobject_cast<const QPushButton*>(widget);
                    if (!(label && !label->text().isEmpty()) &&
                        !(button && !button->isFlat() && button->styleSheet().isEmpty()))
                        continue;
                    const QColor text =
                        widget->palette().color(button ? QPalette::ButtonText : widget->foregroundRole());
                    const QColor under = button ? widget->palette().color(QPalette::Button) : surface(widget);
                    const auto [low, high] = std::minmax({luminance(text), luminance(under)});
                    if (high / low < 4.5)
                        problems << QString("%1 %2 (%3 on %4: %5)")
                                        .arg(step, widget->objectName(), text.name(), under.name())
                                        .arg(high / low, 0, 'f', 1);
                }
            }
        }
        QApplication::setPalette(light);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        // The desktop's font grown by half while the windows are open: every text style with it.
        const auto* title = m_welcome->findChild<QLabel*>("welcomeTitle");
        const qreal before = title->font().pointSizeF();
        const QFont usual = QApplication::font();
        QFont larger = usual;
        larger.setPointSizeF(larger.pointSizeF() * 1.5);
        QApplication::setFont(larger);
        QCoreApplication::processEvents();
        const qreal after = title->font().pointSizeF();
        QApplication::setFont(usual);
        QCOMPARE(after, before * 1.5);
    }
};

QTEST_MAIN(TestSetupViews)
#include "tst_SetupViews.moc"
