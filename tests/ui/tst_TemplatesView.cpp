#include "model/BuiltInTemplates.h"
#include "store/FolderTemplateTree.h"
#include "store/TemplateImporter.h"
#include "support/Fakes.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplatesView.h"

#include <QComboBox>
#include <QtTest>
#include <QtWidgets>

// The Templates tab: the list, the detail page and the editor sheet, over a store in a throw-away home.
class TestTemplatesView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::unique_ptr<TemplatesView> m_view;
    FakeFilePicker m_picker;
    FakeWorkspace m_workspace;
    QList<FileTemplate> m_saved; // by an editor opened on its own

    QListView* list() const { return m_view->findChild<QListView*>("templateList"); }
    QAbstractItemModel* model() const { return list()->model(); }
    // Section titles and template names, top to bottom.
    QStringList listed() const
    {
        QStringList result;
        for (int row = 0; row < model()->rowCount(); ++row)
            result << model()->index(row, 0).data().toString();
        return result;
    }
    QModelIndex item(const QString& name) const { return model()->index(int(listed().indexOf(name)), 0); }
    bool isSelected(const QString& name) const { return list()->selectionModel()->isSelected(item(name)); }
    bool isOn(const QString& name) const { return item(name).data(Qt::CheckStateRole) == Qt::Checked; }
    void click(const QString& name) const
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(item(name)).center());
    }
    QToolButton* button(const char* name) const { return m_view->findChild<QToolButton*>(name); }
    QWidget* rightPane() const { return m_view->findChild<QStackedWidget*>("detailPane")->currentWidget(); }
    void setCustom(const QStringList& names)
    {
        m_fixture->storeCustom(names);
        QTRY_COMPARE(listed().mid(9), QStringList{"Custom"} + names);
    }
    QStringList storedEnabledSet() const
    {
        QStringList ids =
            QJsonDocument::fromJson(readAll(m_fixture->settingsFile))["enabledBuiltIns"].toVariant().toStringList();
        ids.sort();
        return ids;
    }
    TemplateEditorView* openEditor()
    {
        const FileTemplate stored{QUuid::createUuid(), "Notes", "Tar.GZ", {}, false};
        auto* editor = new TemplateEditorView(
            stored, false, [this](const FileTemplate& t) { m_saved << t; }, m_view.get());
        editor->show();
        QApplication::setActiveWindow(editor); // for the window's keys
        return editor;
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_view = std::make_unique<TemplatesView>(m_fixture->manager, m_picker, m_workspace);
        m_view->resize(620, 900); // every row on screen, so every row can be clicked
        m_view->show();
    }
    void cleanup() { m_view.reset(), m_fixture.reset(), m_saved.clear(), m_picker.requests.clear(); }

    // Import… opens the picker in the user's templates folder; the files chosen there are imported,
    // the last one made is selected, and a summary says what became of each.
    void importButtonImportsThePickedFiles_data()
    {
        // userDirs: the desktop's user-dirs.dirs; the folders in it exist
        // start: below the home
        addColumns<QString, QString, QStringList, QString>("userDirs", "start", "picked", "summary");
        QTest::newRow("named folder") << "XDG_TEMPLATES_DIR=\"$HOME/My \\\"T\\\"\""
                                      << "/My \"T\"" << QStringList{"notes.txt", "photo.png"}
                                      << "Imported as templates:\nnotes.txt as “notes”\n\n"
                                         "Not imported:\nphoto.png: not UTF-8 text";
        QStringList gone, lines{"Not imported:"};
        for (int i = 1; i <= 10; ++i)
            gone << QString("gone%1").arg(i), lines << QString("gone%1: no such file").arg(i);
        QTest::newRow("named as home: ~/Templates") << QString("XDG_TEMPLATES_DIR=\"$HOME/\"") << QString("/Templates")
                                                    << gone << (lines.mid(0, 9) << "and 2 more").join('\n');
        QTest::newRow("eight refused: all shown")
            << QString() << QString() << gone.mid(0, 8) << lines.mid(0, 9).join('\n');
        QTest::newRow("none: home, cancelled") << QString() << QString() << QStringList() << QString();
    }
    void importButtonImportsThePickedFiles()
    {
        const auto [userDirs, start, picked, summary] =
            fetch<QString, QString, QStringList, QString>("userDirs", "start", "picked", "summary");
        const QString home = m_fixture->home.path();
        if (!userDirs.isEmpty()) {
            writeAll(m_fixture->home.configHome() + "/user-dirs.dirs",
                     "# written by the desktop\n" + userDirs.toUtf8());
            QVERIFY(QDir().mkpath(home + start));
        }
        writeAll(home + "/notes.txt", "{{date}}\n");
        writeAll(home + "/photo.png", "\x89PNG\r\n\x1a\n");
        setCustom({"A"});
        button("importButton")->click();
        QCOMPARE(m_picker.requests.size(), 1);
        QCOMPARE(m_picker.requests.first().startFolder, home + start);
        QStringList paths;
        for (const QString& file : picked)
            paths << home + '/' + file;
        m_picker.answer(paths);
        QCOMPARE(m_view->importSummary() ? m_view->importSummary()->text() : QString(), summary);
        const bool made = summary.startsWith("Imported");
        QCOMPARE(m_fixture->storedNames(), made ? QStringList({"A", "notes"}) : QStringList{"A"});
        QTRY_COMPARE(listed().mid(10), m_fixture->storedNames());
        QCOMPARE(isSelected("notes"), made);
    }

    // Edit, cancelled and confirmed adding, a drop, deletion by key and by button and its undoing, on one list.
    void customListFollowsEveryChange()
    {
        setCustom({"A", "B", "C"});
        const QUuid id = m_fixture->store.customTemplates().at(1).id;
        const auto closeEditor = [this](bool isNew, const char* buttonName) {
            QCOMPARE(std::pair(m_view->showingEditor(), m_view->editor()->isNew()), std::pair(true, isNew));
            m_view->editor()->findChild<QPushButton*>(buttonName)->click();
            QTRY_VERIFY(!m_view->editor() && !m_view->showingEditor());
        };
        // The template on the detail page, which is also the selected row.
        const auto shown = [this] {
            auto* page = qobject_cast<TemplateDetailView*>(rightPane());
            return page && isSelected(page->fileTemplate().name) ? page->fileTemplate() : FileTemplate{};
        };
        const auto listFollows = [this](const QStringList& names) {
            QCOMPARE(m_fixture->storedNames(), names);
            QTRY_COMPARE(listed().mid(10), names);
        };
        click("B");
        rightPane()->findChild<QPushButton*>("editButton")->click();
        m_view->editor()->findChild<QLineEdit*>("nameField")->setText("Renamed");
        m_view->editor()->findChild<QLineEdit*>("baseNameField")->setText(" {{year}} B ");
        m_view->editor()->findChild<QComboBox*>("groupField")->setEditText("\tWork ");
        closeEditor(false, "confirmButton");
        button("addButton")->click();
        auto* groups = m_view->editor()->findChild<QComboBox*>("groupField");
        QCOMPARE(std::pair(groups->count(), groups->currentText()), std::pair(1, QString()));
        QCOMPARE(groups->itemText(0), "Work"); // the groups in use are offered
        closeEditor(true, "cancelButton");
        listFollows({"A", "Renamed", "C"});
        const FileTemplate& renamed = m_fixture->store.customTemplates().at(1);
        QCOMPARE(std::pair(renamed.baseName, renamed.group), std::pair(QString("{{year}} B"), QString("Work")));
        QTRY_COMPARE(shown(), m_fixture->store.customTemplates().at(1));
        QCOMPARE(shown().id, id); // edited in place
        button("addButton")->click();
        closeEditor(true, "confirmButton");
        QTRY_COMPARE(m_fixture->store.customTemplates().last(), shown());
        QCOMPARE(std::tuple(shown().name, shown().fileExtension, shown().isBuiltIn),
                 std::tuple("My Template", "txt", false));
        QVERIFY(model()->moveRow({}, 10, {}, 13)); // what a drop of "A" after "C" hands over
        listFollows({"Renamed", "C", "A", "My Template"});
        // Dropped between custom rows, after the last or below the list; never among the built-ins.
        const std::unique_ptr<QMimeData> dragged(model()->mimeData({item("A")}));
        QList<bool> allowed;
        for (const int row : {9, 10, 14, 15, -1})
            allowed << model()->canDropMimeData(dragged.get(), Qt::MoveAction, row, 0, {});
        QCOMPARE(allowed, (QList<bool>{false, true, true, false, true}));
        QVERIFY(shown().name == "My Template" && m_view->selection()->name == "My Template");
        // A built-in cannot be deleted; a key deletes the row the keyboard is on, not the selected one.
        click("HTML");
        QVERIFY(!button("deleteButton")->isEnabled());
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(shown().name, "HTML");
        click("C");
        list()->selectionModel()->setCurrentIndex(item("A"), QItemSelectionModel::NoUpdate);
        QTest::keyClick(list(), Qt::Key_Backspace);
        listFollows({"Renamed", "C", "My Template"});
        QCOMPARE(rightPane()->objectName(), "placeholder");
        click("Renamed");
        button("deleteButton")->click();
        listFollows({"C", "My Template"});
        // Undone last first, each back where it was and selected; then nothing is left to undo.
        QVERIFY(button("undoButton")->isVisible());
        QApplication::setActiveWindow(m_view.get()); // the shortcut is the focused window's
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        listFollows({"Renamed", "C", "My Template"});
        QCOMPARE(shown().name, "Renamed");
        button("undoButton")->click();
        listFollows({"Renamed", "C", "A", "My Template"});
        QCOMPARE(shown().name, "A");
        QVERIFY(!button("undoButton")->isVisible());
        // Closing the window ends what can be undone.
        click("C");
        button("deleteButton")->click();
        m_view->hide();
        m_view->show();
        QVERIFY(!button("undoButton")->isVisible());
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        listFollows({"Renamed", "A", "My Template"});
    }

    // A built-in's switch writes the stored set, by key or by the model a click goes through; a screen
    // reader hears each row's name, kind and state. A custom template is always on.
    void builtInSwitchWritesTheEnabledSet()
    {
        QStringList all;
        for (const FileTemplate& t : builtInTemplates())
            all << t.idText();
        const QStringList others = all.filter(QRegularExpression("[^2]$"));
        const auto heard = [this](const QString& name) {
            QAccessibleInterface* row =
                QAccessible::queryAccessibleInterface(list())->child(int(listed().indexOf(name)));
            return QStringList{row->text(QAccessible::Name), row->text(QAccessible::Description),
                               row->state().checked ? "on" : "off", item(name).data(Qt::ToolTipRole).toString()};
        };
        list()->setCurrentIndex(item("Markdown"));
        QTest::keyClick(list(), Qt::Key_Space);
        QCOMPARE(storedEnabledSet(), others);
        QCOMPARE(heard("Markdown"), (QStringList{"Markdown", "Built-in template, .md, off", "off", "Markdown"}));
        QVERIFY(model()->setData(item("Markdown"), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(storedEnabledSet(), all);
        QVERIFY(model()->setData(item("Markdown"), Qt::Unchecked, Qt::CheckStateRole));
        QCOMPARE(storedEnabledSet(), others);
        setCustom({"Notes"});
        QVERIFY(!model()->setData(item("Notes"), Qt::Unchecked, Qt::CheckStateRole));
        list()->setCurrentIndex(item("Notes"));
        QTest::keyClick(list(), Qt::Key_Space);
        QVERIFY(isOn("Notes") && !isOn("Markdown"));
        QCOMPARE(heard("Notes"), (QStringList{"Notes", "Custom template, .txt", "on",
                                              "Notes\nDrag, or press Alt+Up or Alt+Down, to move it"}));
        QCOMPARE(storedEnabledSet(), others);
    }

    // A folder template's page shows its tree and opens its folder; its editor has no extension and no
    // content; its tree stays while its deletion can be undone and goes with the window.
    void folderTemplateShowsItsTreeAndKeepsItWhileItCanComeBack()
    {
        const QString source = m_fixture->home.folder("Site");
        writeAll(source + "/css/site.css", "a");
        writeAll(source + "/index.html", "<p>{{folder}}</p>");
        const auto made = TemplateImporter(m_fixture->store)
                              .add({std::get<TemplateImporter::Candidate>(TemplateImporter::examine(source))});
        const QString tree = FolderTemplateTree::path(std::get<FileTemplate>(made.value(0).result).id);
        QTRY_COMPARE(listed().mid(10), QStringList{"Site"});
        QCOMPARE(model()->index(10, 0).data(Qt::AccessibleDescriptionRole), "Custom template, folder");
        click("Site");
        QCOMPARE(rightPane()->findChild<QWidget*>("contentText")->accessibleName(), "css/\n    site.css\nindex.html");
        rightPane()->findChild<QPushButton*>("openFolderButton")->click();
        QCOMPARE(m_workspace.opened, QList<QUrl>{QUrl::fromLocalFile(tree)});
        rightPane()->findChild<QPushButton*>("editButton")->click();
        QVERIFY(m_view->editor()->findChild<QLabel*>("folderNote") &&
                !m_view->editor()->findChild<QWidget*>("contentEditor") &&
                m_view->editor()->findChild<QWidget*>("extensionField")->isHidden());
        m_view->editor()->reject();
        for (const char* then : {"undoButton", ""}) {
            QTRY_VERIFY(button("deleteButton")->isEnabled()); // the template selected, brought back
            button("deleteButton")->click();
            QVERIFY(QFileInfo(tree).isDir());
            if (*then)
                button(then)->click();
        }
        m_view->hide();
        QCOMPARE(std::pair(m_fixture->storedNames(), QFileInfo(tree).exists()), std::pair(QStringList(), false));
    }

    // The page shows the record as stored, its content cut after 16 KiB or 400 lines, never inside a character;
    // only a custom template has Edit.
    void detailShowsTheRecordVerbatim_data()
    {
        // preview: of a long content: its beginning, then "…"
        addColumns<FileTemplate, QString, QString>("shown", "extension", "preview");
        const auto row = [](const char* tag, const FileTemplate& shown, const char* extension,
                            const QString& preview = {}) {
            QTest::newRow(tag) << shown << QString(extension) << preview;
        };
        row("built-in rich text", builtInTemplates().at(3), ".rtf");
        row("custom, empty body", customTemplate("Blank"), ".txt");
        row("custom, no extension", customTemplate("Bare", "Made {{date}}\n", ""), "");
        FileTemplate named = customTemplate("Named");
        std::tie(named.baseName, named.group) = std::tuple("{{year}} Budget", "Work");
        row("custom, own name and group", named, ".txt");
        row("custom, a megabyte on one line", customTemplate("Min", QString(1 << 20, 'a'), "js"), ".js",
            QString(16 * 1024, 'a') + "\n…");
        row("custom, 400 lines", customTemplate("Log", QString("x\n").repeated(400)), ".txt");
        row("custom, 401 lines", customTemplate("Log", QString("x\n").repeated(401)), ".txt",
            QString("x\n").repeated(400) + "…");
        row("custom, a character cut in two at the bound",
            customTemplate("Emoji", QString(16 * 1024 - 1, 'a') + "\U0001F600"), ".txt",
            QString(16 * 1024 - 1, 'a') + "\n…");
    }
    void detailShowsTheRecordVerbatim()
    {
        const auto [shown, extension, preview] = fetch<FileTemplate, QString, QString>("shown", "extension", "preview");
        int edits = 0;
        TemplateDetailView page(shown, [&edits] { ++edits; });
        QCOMPARE(page.findChild<QWidget*>("detailName")->accessibleName() +
                     page.findChild<QLabel*>("detailExtension")->text(),
                 shown.name + extension);
        if (auto* edit = page.findChild<QPushButton*>("editButton"))
            edit->click();
        QCOMPARE(edits, shown.isBuiltIn ? 0 : 1);
        auto* naming = page.findChild<QLabel*>("detailNaming");
        QCOMPARE(naming ? naming->text() : QString(),
                 shown.group.isEmpty() ? QString() : "New files named “{{year}} Budget”  ·  Listed under “Work”");
        auto* empty = page.findChild<QLabel*>("emptyContent");
        QCOMPARE(empty ? empty->text() : page.findChild<QWidget*>("contentText")->accessibleName(),
                 shown.content.isEmpty() ? "(empty file)"
                 : !preview.isEmpty()    ? preview
                                         : shown.content); // braces and control words as stored
    }

    // The keys move through both sections as one list, past the headers; with Alt or Ctrl, Up and
    // Down move a custom row within its section, and the selection with it.
    void keysMoveAcrossSections_data()
    {
        addColumns<QString, QKeyCombination, QString, QString>("from", "key", "to", "order");
        const auto row = [](const char* tag, const char* from, QKeyCombination key, const char* to,
                            const char* order = "ABC") {
            QTest::newRow(tag) << QString(from) << key << QString(to) << QString(order);
        };
        row("down from the last built-in", "CSS", Qt::Key_Down, "A");
        row("up from the first custom", "A", Qt::Key_Up, "CSS");
        row("up from the first row", "Text File", Qt::Key_Up, "Text File");
        row("down from the last row", "C", Qt::Key_Down, "C");
        row("home", "B", Qt::Key_Home, "Text File");
        row("end", "Text File", Qt::Key_End, "C");
        row("left stays", "A", Qt::Key_Left, "A");
        row("alt+down moves", "A", Qt::AltModifier | Qt::Key_Down, "A", "BAC");
        row("ctrl+up moves", "C", Qt::ControlModifier | Qt::Key_Up, "C", "ACB");
        row("alt+up: the first custom stays", "A", Qt::AltModifier | Qt::Key_Up, "A");
        row("alt+down: the last custom stays", "C", Qt::AltModifier | Qt::Key_Down, "C");
        row("alt+down: a built-in stays", "CSS", Qt::AltModifier | Qt::Key_Down, "CSS");
    }
    void keysMoveAcrossSections()
    {
        const auto [from, key, to, order] =
            fetch<QString, QKeyCombination, QString, QString>("from", "key", "to", "order");
        setCustom({"A", "B", "C"});
        click(from);
        QTest::keyClick(list(), key.key(), key.keyboardModifiers());
        QCOMPARE(m_view->selection().value_or(FileTemplate{}).name, to);
        QCOMPARE(list()->currentIndex(), item(to));
        QCOMPARE(m_fixture->storedNames().join(""), order);
        QTRY_COMPARE(listed().mid(10).join(""), order);
    }

    void editorCleansAndClosesAsAsked_data()
    {
        // extension: typed key by key; pasted at once after a "|"
        // saved: "-": the confirm button stays disabled
        // how: empty: Return in the name field; else a key sent to Cancel, or a button
        addColumns<QString, QString, QString, QString, QString>("name", "extension", "shown", "saved", "how");
        const auto row = [](const char* tag, const char* extension, const char* shown, const char* saved,
                            const char* how = "", const char* name = "Notes") {
            QTest::newRow(tag) << QString(name) << QString(extension) << QString(shown) << QString(saved)
                               << QString(how);
        };
        row("dot before capitals, Save button", ".MD", "MD", "md", "confirmButton");
        row("dots between letters, trailing space, Return at Cancel", "t.a.r ", "tar", "tar", "Return");
        row("pasted double extension", "| tar.gz ", "targz", "targz");
        row("pasted, space inside", "|tar gz", "tar gz", "tar gz");
        row("pasted, dot before a space, Cancel button", "|. md", "md", "md", "cancelButton");
        row("pasted tab and no-break space, Escape", "|\tpy\u00A0", "py", "py", "Escape");
        row("Ctrl+W in the content", "md", "md", "md", "Ctrl+W");
        row("dotted capital I", "|\u0130NI", "\u0130NI", "i\u0307ni");
        row("name with spaces around", "txt", "txt", "txt", "", "  My  Notes ");
        row("tab-only name", "txt", "txt", "-", "", "\t ");
        row("dots-only extension: none, a Makefile's", "...", "", "");
        row("stored extension, shown until edited", "=", "Tar.GZ", "targz");
    }
    void editorCleansAndClosesAsAsked()
    {
        const auto [name, extension, shown, saved, how] =
            fetch<QString, QString, QString, QString, QString>("name", "extension", "shown", "saved", "how");
        TemplateEditorView* editor = openEditor();
        editor->findChild<QLineEdit*>("nameField")->setText(name);
        auto* field = editor->findChild<QLineEdit*>("extensionField");
        if (extension != "=") {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            extension.startsWith('|') ? field->insert(extension.mid(1)) : QTest::keyClicks(field, extension);
        }
        QCOMPARE(field->text(), shown);
        QCOMPARE(editor->findChild<QPushButton*>("confirmButton")->isEnabled(), saved != "-");
        if (how.endsWith("Button"))
            editor->findChild<QPushButton*>(how)->click();
        else if (how == "Ctrl+W")
            QTest::keyClick(editor->findChild<QWidget*>("contentEditor"), Qt::Key_W, Qt::ControlModifier);
        else // Return is the confirm button's wherever the focus is
            QTest::keyClick(editor->findChild<QWidget*>(how.isEmpty() ? "nameField" : "cancelButton"),
                            how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        const bool saves = saved != "-" && !how.contains(QRegularExpression("Escape|cancel|Ctrl"));
        QVERIFY(!editor->isVisible() || how.isEmpty());
        QCOMPARE(std::pair(editor->result(), int(m_saved.size())),
                 std::pair(int(saves ? QDialog::Accepted : QDialog::Rejected), saves ? 1 : 0));
        if (saves)
            QCOMPARE(m_saved.first().name + '.' + m_saved.first().fileExtension, name.trimmed() + '.' + saved);
    }

    void editorKeepsWhatWasTyped()
    {
        TemplateEditorView* editor = openEditor();
        auto* field = editor->findChild<QLineEdit*>("extensionField");
        field->setCursorPosition(3);
        QTest::keyClick(field, Qt::Key_X);
        QCOMPARE(std::pair(field->text(), field->cursorPosition()), std::pair(QStringLiteral("TarxGZ"), 4));
        auto* content = editor->findChild<QPlainTextEdit*>("contentEditor");
        QTest::keyClicks(content, "  # {{date}}");
        QTest::keyClick(content, Qt::Key_Return);
        QTest::keyClick(content, Qt::Key_Tab);
        QTest::keyClick(content, Qt::Key_Return, Qt::ShiftModifier);
        content->insertPlainText("a\u00A0b\n\n ");
        content->setFocus();
        QTest::keyClick(content, Qt::Key_Tab, Qt::ControlModifier); // the way out, typing nothing
        QVERIFY(!content->hasFocus());
        editor->findChild<QPushButton*>("confirmButton")->click();
        QCOMPARE(m_saved.size(), 1);
        QCOMPARE(m_saved.first().content, "  # {{date}}\n\t\na\u00A0b\n\n ");
    }
};

QTEST_MAIN(TestTemplatesView)
#include "tst_TemplatesView.moc"
