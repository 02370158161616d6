#include "support/Fakes.h"
#include "support/IntegrationMachine.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/common/DialogFilePicker.h"
#include "ui/common/DialogFolderPicker.h"
#include "ui/common/GuideWindow.h"
#include "ui/common/HomeFolderAccess.h"
#include "ui/settings/GeneralSettingsView.h"

#include <QtTest>
#include <QtWidgets>

class TestGeneralSettingsView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    FakeFolderPicker m_picker;
    FakeWorkspace m_workspace;
    FakeUserAccount m_account;
    std::optional<IntegrationMachine> m_machine;
    std::unique_ptr<GeneralSettingsView> m_view;

    QLineEdit* field() const { return m_view->findChild<QLineEdit*>("baseNameField"); }
    std::optional<QString> storedName() const { return m_fixture->domain().text("defaultBaseName"); }
    // What the pane knows, and whether it shows the granted form rather than the request.
    std::pair<bool, bool> access() const
    {
        return {m_view->hasAccess(), m_view->findChild<QWidget*>("accessGrantedForm")->isVisibleTo(m_view.get())};
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_machine.emplace();
        m_workspace.opened.clear();
        m_view = std::make_unique<GeneralSettingsView>(m_fixture->manager, m_picker, m_workspace, m_machine->probe,
                                                       m_account);
    }
    void cleanup() { m_view.reset(), m_machine.reset(), m_fixture.reset(); }

    // What Quintara can put in place itself it does, and shows once the state is read again; what only
    // changes outside shows when the application becomes active again.
    void fileManagerRowsTurnGreenAfterTheirFix()
    {
        m_machine->install("dolphin");
        m_machine->install("caja");
        m_view->show();
        const auto shown = [](const char* dolphin, const char* caja, const char* links) {
            return QString("Dolphin %1 / Caja %2 / quintara: links %3").arg(dolphin, caja, links);
        };
        const QString missingModules = " / Install the quintara package to add the missing menus.";
        const char* linksElsewhere = "! Do not reach Quintara [Make Quintara the Handler]";
        QTRY_COMPARE(shownIntegration(*m_view),
                     shown("! [Add Menu]", "! Menu missing", linksElsewhere) + missingModules);
        m_view->findChild<QWidget*>("dolphinRow")->findChild<QPushButton*>()->click();
        QTRY_COMPARE(shownIntegration(*m_view),
                     shown("✓ Menu installed", "! Menu missing", linksElsewhere) + missingModules);
        m_view->findChild<QWidget*>("schemeRow")->findChild<QPushButton*>()->click();
        QTRY_COMPARE(shownIntegration(*m_view),
                     shown("✓ Menu installed", "! Menu missing", "✓ Open in Quintara") + missingModules);
        QCOMPARE(m_machine->handlerChanges(), "default app.quintara.Quintara.desktop x-scheme-handler/quintara\n");
        m_machine->addModule("caja");
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QTRY_COMPARE(shownIntegration(*m_view), shown("✓ Menu installed", "✓ Menu installed", "✓ Open in Quintara"));
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
        m_view->show();
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
        m_view->show();
        auto* box = m_view->findChild<QCheckBox*>("askForNameSwitch");
        // Showing the stored value stores nothing.
        QCOMPARE(std::pair(box->isChecked(), m_fixture->domain().flag("askForFileName")), std::pair(on, stored));
        box->click();
        QCOMPARE(m_fixture->domain().flag("askForFileName"), std::optional(!on));
    }

    void folderAccessFollowsThePick_data()
    {
        addColumns<bool, QString>("earlierGrant", "picked");
        QTest::newRow("grant") << false << "other";
        QTest::newRow("grant a missing folder") << false << "missing";
        QTest::newRow("update to a missing folder") << true << "missing";
    }
    void folderAccessFollowsThePick()
    {
        const auto [earlierGrant, picked] = fetch<bool, QString>("earlierGrant", "picked");
        QVERIFY(!earlierGrant || m_fixture->grant());
        m_view->show();
        QCOMPARE(access(), std::pair(earlierGrant, earlierGrant));
        m_view->findChild<QPushButton*>(earlierGrant ? "updateAccessButton" : "grantAccessButton")->click();
        LogCapture log;
        m_fixture->home.folder("other");
        m_picker.answer(m_fixture->home.path() + '/' + picked);
        flushEventLoop();
        const bool granted = picked == "other";
        QCOMPARE(access(), std::pair(granted, granted));
        QCOMPARE(log.lines().size(), granted ? 0 : 2); // the store's line, then the pane's
        QCOMPARE(log.lines().value(1),
                 granted ? QString() : "[QNT] Bookmark save failed for url: " + m_fixture->home.path() + "/missing");
    }

    void reloadsWhenShownButNotOnActivation()
    {
        m_view->show();
        QVERIFY(m_fixture->grant());
        m_fixture->store.setDefaultBaseName("Memo");
        Q_EMIT qApp->applicationStateChanged(Qt::ApplicationActive);
        QCOMPARE(std::pair(m_view->hasAccess(), m_view->baseName()), std::pair(false, QStringLiteral("Untitled")));
        m_view->hide();
        m_view->show();
        QCOMPARE(std::pair(m_view->hasAccess(), m_view->baseName()), std::pair(true, QStringLiteral("Memo")));
        m_view->findChild<QPushButton*>("openExtensionSettingsButton")->click();
        // The guide is in the program's own window, the one there is: asking again brings it forward.
        std::unique_ptr<GuideWindow> guide(GuideWindow::present(m_workspace, {}));
        QCOMPARE(std::pair(guide->source(), guide->isVisible()),
                 std::pair(QUrl::fromLocalFile(QUINTARA_EXTENSION_GUIDE), true));
        QVERIFY(m_workspace.opened.isEmpty());
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
};

QTEST_MAIN(TestGeneralSettingsView)
#include "tst_GeneralSettingsView.moc"
