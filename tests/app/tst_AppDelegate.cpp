#include "app/AppDelegate.h"
#include "creation/FileCreationService.h"
#include "creation/ImportRequest.h"
#include "support/Fakes.h"
#include "support/LogCapture.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/naming/NewFileNameDialog.h"
#include "ui/settings/SettingsView.h"
#include "ui/templates/TemplatesView.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

// The start-up decisions and the create-request road, in process, with the real store and engine.
class TestAppDelegate : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::optional<RecordingSecurityScope> m_scope;
    std::optional<ConfinedFileWriter> m_writer;
    std::optional<FileCreationService> m_engine;
    std::optional<FakeWorkspace> m_workspace;
    FakeFolderPicker m_picker;
    FakeFilePicker m_filePicker;
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
        m_delegate = std::make_unique<AppDelegate>(
            AppDelegate::Services{m_fixture->store, m_fixture->manager, *m_engine, *m_scope, *m_workspace, m_picker,
                                  m_filePicker, m_account, m_clock, m_integration});
        m_delegate->applicationWillFinishLaunching();
    }
    void cleanup() { m_delegate.reset(), m_fixture.reset(); }

    void startShowsTheWelcomeWindowUnlessARequestIsServed_data()
    {
        addColumns<bool, bool>("withRequest", "granted");
        QTest::newRow("plain start") << false << false;
        QTest::newRow("request, granted: no window") << true << true;
        QTest::newRow("request, not granted") << true << false;
    }
    void startShowsTheWelcomeWindowUnlessARequestIsServed()
    {
        const auto [withRequest, granted] = fetch<bool, bool>("withRequest", "granted");
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
        // A create that made nothing says so; one that made its file is shown, never announced.
        QCOMPARE(m_workspace->notified.join('|').section(':', 0, 0),
                 withRequest && !granted ? "No file was created" : "");
        QCOMPARE(log.lines().join('|'), !withRequest ? ""
                                        : granted    ? "[QNT] processCreateURL: created " + notes + "/Untitled.txt"
                                                     : "[QNT] resolveHomeFolderURL: no bookmark data in UserDefaults|"
                                                       "[QNT] processCreateURL: no bookmark — opening welcome window");
    }

    // The test screen (800 × 600) is smaller than the welcome window wants: each window lies whole
    // on it, and its content scrolls so that the last control is reached.
    void windowsFitASmallScreen()
    {
        m_delegate->showWelcomeWindow();
        m_delegate->openSettingsWindow();
        QTRY_VERIFY(m_delegate->welcomeWindow() && m_delegate->settingsWindow());
        for (QWidget* window : {m_delegate->welcomeWindow(), m_delegate->settingsWindow()}) {
            const QRect screen = window->screen()->availableGeometry();
            // Whole on the screen, with room above it for the title bar the desktop adds.
            QVERIFY(screen.contains(window->geometry()) && window->height() <= screen.height() - 32);
            auto* last = window->findChildren<QAbstractButton*>().constLast();
            window->findChild<QScrollArea*>()->ensureWidgetVisible(last);
            const QRect shown(last->mapTo(window, QPoint()), last->size());
            QVERIFY2(window->rect().contains(shown), qPrintable(last->objectName()));
        }
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
        // F10 opens the first menu. Escape and Ctrl+W close a window as its close button does: it hides, and the
        // program stays; the menus bring back the very same windows.
        QMenu* first = menu(settings, "applicationMenu");
        for (const auto& [window, keys] : {std::pair(settings, QKeySequence(Qt::Key_F10)),
                                           {welcome, QKeySequence(Qt::Key_Escape)},
                                           {settings, QKeySequence(Qt::CTRL | Qt::Key_W)}}) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keySequence(window, keys);
            QCOMPARE(first->isVisible(), keys == QKeySequence(Qt::Key_F10));
            first->close();
        }
        QCOMPARE(std::pair(visibleWindows(), QApplication::quitOnLastWindowClosed()), std::pair(0, false));
        const QList<QAction*> help = menu(settings, "helpMenu")->actions();
        help.at(0)->trigger();                        // Welcome to Quintara
        help.at(2)->trigger(), help.at(3)->trigger(); // Support, Privacy Policy
        QCOMPARE(m_workspace->opened,
                 (QList<QUrl>{QUrl("https://quintara.app/support"), QUrl("https://quintara.app/privacy")}));
        menu(welcome, "applicationMenu")->actions().at(2)->trigger(); // Settings…
        QTRY_VERIFY(welcome->isVisible() && settings->isVisible());
        QCOMPARE(std::pair(m_delegate->welcomeWindow(), m_delegate->settingsWindow()), std::pair(welcome, settings));
        menu(welcome, "applicationMenu")->actions().at(0)->trigger(); // About Quintara
        QTRY_COMPARE(settings->findChild<SettingsView*>()->currentIndex(), int(SettingsView::AboutTab));
        welcome->findChild<QPushButton*>("manageTemplatesButton")->click(); // whichever tab was last shown
        QTRY_COMPARE(settings->findChild<SettingsView*>()->currentIndex(), int(SettingsView::TemplatesTab));
    }

    // Switched on, a request waits in the naming window for a name; Create writes through the engine
    // and closes it only on success, Cancel and Escape leave nothing behind.
    void askingForANameCreatesOnlyWhatIsConfirmed_data()
    {
        // typed: "=" keeps the name it was given
        // created: in Notes, besides Untitled.txt; empty: nothing, and a Create keeps it open
        // own: the template's own base name; without one, the Text template
        const auto row = columns<QString, QString, QString, QString>("typed", "action", "created", "own");
        row("=, create", "=", "create", "Untitled 2.txt", "");
        row("Draft, return", "Draft", "return", "Draft.txt", "");
        row("Untitled, create", "Untitled", "create", "", ""); // taken
        row("../Draft, create", "../Draft", "create", "", "");
        row("Draft, cancel", "Draft", "cancel", "", "");
        row("Draft, escape", "Draft", "escape", "", "");
        // Filled in and kept to one name, shown whole and selected whole: it has no extension.
        row("own base name, create", "=", "create", "On Notes -{{x}}", "On {{folder}} /{{x}}");
    }
    void askingForANameCreatesOnlyWhatIsConfirmed()
    {
        const auto [typed, action, created, own] =
            fetch<QString, QString, QString, QString>("typed", "action", "created", "own");
        QVERIFY(m_fixture->grant());
        m_fixture->store.setAsksForFileName(true);
        if (!own.isEmpty()) {
            m_fixture->store.customTemplates().append(customTemplate("Minutes", "", ""));
            m_fixture->store.customTemplates().last().baseName = own;
            QVERIFY(m_fixture->store.save());
        }
        const QString notes = m_fixture->home.folder("Notes");
        writeAll(notes + "/Untitled.txt", "");
        LogCapture log;
        m_delegate->processCreateURL(
            request(own.isEmpty() ? 0 : m_fixture->store.enabledTemplates().size() - 1, notes));
        QPointer<NewFileNameDialog> window = m_delegate->namingWindow();
        QVERIFY(window && window->isVisible());
        auto* field = window->findChild<QLineEdit*>("nameField");
        const auto shown = own.isEmpty()
                               ? std::tuple(QString("New Text File"), QString("Untitled 2.txt"), QString("Untitled 2"))
                               : std::tuple(QString("New Minutes"), created, created);
        QCOMPARE(std::tuple(window->windowTitle(), field->text(), field->selectedText(), entries(notes).size()),
                 std::tuple_cat(shown, std::tuple(1)));
        if (typed != "=")
            field->setText(typed);
        if (action == "create" || action == "cancel")
            window->findChild<QPushButton*>(action + "Button")->click();
        else
            QTest::keyClick(field, action == "return" ? Qt::Key_Return : Qt::Key_Escape);
        flushEventLoop();
        const bool staysOpen = created.isEmpty() && action == "create";
        QCOMPARE(std::pair(!window.isNull() && window->isVisible(), window && !window->message().isEmpty()),
                 std::pair(staysOpen, staysOpen));
        if (staysOpen) // the message goes once the name is changed
            QTest::keyClick(field, Qt::Key_X);
        QCOMPARE(window ? window->message() : QString(), QString());
        const QStringList made = created.isEmpty() ? QStringList() : QStringList(notes + '/' + created);
        QCOMPARE(std::tuple(entries(notes).size(), log.lines(), m_workspace->revealed),
                 std::tuple(made.size() + 1,
                            made.isEmpty() ? made : QStringList("[QNT] processCreateURL: created " + made[0]), made));
    }

    void namesAreAskedOneRequestAtATimeAndNeverWithoutDisplay()
    {
        QVERIFY(m_fixture->grant());
        m_fixture->store.setAsksForFileName(true);
        const QString notes = m_fixture->home.folder("Notes");
        LogCapture log;
        m_delegate->openUrls({request(0, notes), request(1, notes)});
        QCOMPARE(m_delegate->namingWindow()->windowTitle(), "New Text File");
        m_delegate->namingWindow()->findChild<QPushButton*>("cancelButton")->click();
        QTRY_COMPARE(m_delegate->namingWindow() ? m_delegate->namingWindow()->windowTitle() : "", "New Markdown");
        QCOMPARE(visibleWindows(), 1);
        m_delegate->namingWindow()->findChild<QPushButton*>("createButton")->click();
        flushEventLoop();
        QVERIFY(!m_delegate->namingWindow());
        m_delegate->setDisplayAvailable(false);
        m_delegate->processCreateURL(request(0, notes));
        QCOMPARE(log.take(), (QStringList{"[QNT] processCreateURL: created " + notes + "/Untitled.md",
                                          "[QNT] processCreateURL: no display — creating without asking for a name",
                                          "[QNT] processCreateURL: created " + notes + "/Untitled.txt"}));
        // A flood waits only up to a bound, and one click cancels what waits.
        m_delegate->setDisplayAvailable(true);
        const QStringList failures = m_delegate->openUrls(QStringList(20, request(0, notes)));
        QCOMPARE(failures, QStringList(4, "no file was made: too many files wait for a name already"));
        m_delegate->namingWindow()->findChild<QPushButton*>("cancelAllButton")->click();
        flushEventLoop();
        QCOMPARE(std::pair(m_delegate->namingWindow() == nullptr, entries(notes).size()),
                 std::pair(true, qsizetype(2)));
    }

    // A file named by an import request becomes a custom template, or is refused with a log line and,
    // in a Settings window on screen, a notice; nothing of a refused file is stored. A link anyone may
    // open, or a file only its owner may read, needs the user's agreement first.
    void importRequestsMakeTemplates_data()
    {
        // file: below the home; "name/" a folder, "name|" a named pipe, "name@" a link to a file of the
        // system, "name#" a file only its owner may read
        // answer: what is done in the window asking for agreement, "" when none is asked
        // window: the Settings window "open", or opened and "closed"
        // expected: "name.extension" stored, else the reason logged
        const auto row = columns<QString, QByteArray, bool, QString, QString, QString>("file", "content", "link",
                                                                                       "answer", "window", "expected");
        const QByteArray mebibyte(1024 * 1024, 'a');
        row("text, Settings open", "Meeting Notes.MD", "# {{date}}\r\n\u00e9", false, "", "open", "Meeting Notes.md");
        row("no extension", "Makefile", "all:\n\tcc a.c\n", false, "", "", "Makefile.");
        row("several dots", "archive.tar. GZ", {}, false, "", "", "archive.tar.gz");
        row("leading dot", ".profile", "x", false, "", "", ".profile.");
        row("a built-in's name", "HTML.htm", "<p>", false, "", "", "HTML 2.htm");
        row("exactly 1 MiB, Settings closed", "big.txt", mebibyte, false, "", "closed", "big.txt");
        row("one byte more, Settings open", "big.txt", mebibyte + 'a', false, "", "open", "larger than 1 MiB");
        row("Latin-1, Settings closed", "old.txt", "caf\xe9", false, "", "closed", "not UTF-8 text");
        row("NUL byte", "a.txt", QByteArray("a\0b", 3), false, "", "", "not UTF-8 text");
        row("folder: a folder template", "Folder.txt/", {}, false, "", "", "Folder.txt.");
        row("named pipe", "pipe.txt|", {}, false, "", "", "not a regular file");
        row("missing", "gone.txt", {}, false, "", "", "no such file");
        row("the kernel's file, through a link", "environ@", {}, false, "", "open",
            "a file of the system, not a document");
        // Text of control characters grows eightfold in the settings; they already hold 12 MiB.
        row("no room left", "full.txt", QByteArray(1 << 20, '\x01'), false, "", "open",
            "no room left in Quintara’s settings");
        const char* headless = "needs your confirmation, and there is no display to ask on";
        row("link, agreed", "id_key", "secret\n", true, "makeTemplate", "", "id_key.");
        row("link, cancelled", "id_key", "secret\n", true, "cancel", "", "not confirmed");
        row("link, Return pressed at once", "id_key", "secret\n", true, "return", "", "not confirmed");
        row("link, no display", "id_key", "secret\n", true, "no display", "", headless);
        row("private file, agreed", "id_key#", "secret\n", false, "makeTemplate", "", "id_key.");
        row("private file, Escape", "id_key#", "secret\n", false, "escape", "", "not confirmed");
        row("private file, no display", "id_key#", "secret\n", false, "no display", "", headless);
    }
    void importRequestsMakeTemplates()
    {
        const auto [file, content, link, answer, window, expected] =
            fetch<QString, QByteArray, bool, QString, QString, QString>("file", "content", "link", "answer", "window",
                                                                        "expected");
        const QString path = m_fixture->home.path() + '/' + file.chopped(QString("/|@#").contains(file.back()));
        if (file.endsWith('/'))
            QVERIFY(QDir().mkdir(path));
        else if (file.endsWith('|'))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (file.endsWith('@'))
            QVERIFY(QFile::link("/proc/self/environ", path));
        else if (!file.startsWith("gone"))
            writeAll(path, content);
        QVERIFY(!file.endsWith('#') || QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        m_fixture->storeCustom({"Memo"});
        if (file == "full.txt")
            m_fixture->store.customTemplates().append(customTemplate("Big", QString(3 << 19, QChar(1))));
        QVERIFY(m_fixture->store.save());
        if (!window.isEmpty()) {
            m_delegate->openSettingsWindow();
            QTRY_VERIFY(m_delegate->settingsWindow() && m_delegate->settingsWindow()->isVisible());
            m_delegate->settingsWindow()->setVisible(window == "open");
        }
        m_delegate->setDisplayAvailable(answer != "no display");
        LogCapture log;
        // The second is relative.
        const QStringList failures =
            m_delegate->openUrls({ImportRequest::url(path), "quintara://import?f=" + file}, {}, {!link, true});
        // Where agreement is asked, nothing is done before the answer.
        const bool asked = !answer.isEmpty() && answer != "no display";
        QCOMPARE(m_delegate->consentWindow() != nullptr, asked);
        if (QDialog* consent = m_delegate->consentWindow()) {
            QCOMPARE(std::pair(log.lines(), m_fixture->storedNames()), std::pair(QStringList(), QStringList{"Memo"}));
            QCOMPARE(consent->findChild<QLabel*>("consentQuestion")->text() +
                         consent->findChild<QLabel*>("consentFolder")->text() +
                         consent->findChild<QLabel*>("consentSize")->text(),
                     "Make a template of “id_key”?" + m_fixture->home.path() + "7 bytes");
            if (answer == "return" || answer == "escape")
                QTest::keyClick(consent, answer == "return" ? Qt::Key_Return : Qt::Key_Escape);
            else
                consent->findChild<QPushButton*>(answer + "Button")->click();
        }
        const bool stored = expected.contains('.');
        QCOMPARE(failures.join('|'), (stored || asked ? "" : path + ": " + expected + "|") +
                                         "'quintara://import?f=" + file + "' is not a request Quintara knows");
        QTRY_COMPARE(log.lines().mid(file == "full.txt"), // after the settings' own line
                     QStringList{stored ? "[QNT] import: added " + expected.section('.', 0, -2) + " from " + path
                                        : "[QNT] import refused: " + path + ": " + expected});
        const FileTemplate last = m_fixture->store.customTemplates().constLast();
        QCOMPARE(m_fixture->storedNames().size(), (stored ? 2 : 1) + (file == "full.txt"));
        if (stored)
            QCOMPARE(std::tuple(last.name + '.' + last.fileExtension, last.content, last.isBuiltIn),
                     std::tuple(expected, QString::fromUtf8(content), false));
        // With no window to show it, what became of the file is a notification.
        QCOMPARE(m_workspace->notified.join('|'),
                 window == "open" ? ""
                 : stored
                     ? "Template added: “" + QFileInfo(path).fileName() + "” is now the template “" + last.name + "”."
                     : "Not added as a template: " + QFileInfo(path).fileName() + ": " + expected);
        if (const auto* view = window.isEmpty() ? nullptr : m_delegate->settingsWindow()->findChild<TemplatesView*>()) {
            QTRY_COMPARE(view->selection() == last, stored);
            QCOMPARE(view->importSummary() ? view->importSummary()->text().section(": ", -1) : QString(),
                     !stored && window == "open" ? expected : QString());
        }
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
