#include "model/BuiltInTemplates.h"
#include "support/Fakes.h"
#include "support/StoreFixture.h"
#include "support/Table.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateRowView.h"
#include "ui/templates/TemplatesView.h"

#include <QtTest>
#include <QtWidgets>

// The Templates tab: the list, the detail page and the editor sheet, over a store in a throw-away home.
class TestTemplatesView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::unique_ptr<TemplatesView> m_view;
    FakeFilePicker m_picker;
    QList<FileTemplate> m_saved; // by an editor opened on its own

    QTreeWidget* list() const { return m_view->findChild<QTreeWidget*>("templateList"); }
    // Section titles and template names, top to bottom.
    QStringList listed() const
    {
        QStringList result;
        for (QTreeWidgetItemIterator it(list()); *it; ++it) {
            auto* row = qobject_cast<TemplateRowView*>(list()->itemWidget(*it, 0));
            result << (row ? row->fileTemplate().name : qobject_cast<QLabel*>(list()->itemWidget(*it, 0))->text());
        }
        return result;
    }
    QTreeWidgetItem* item(const QString& name) const
    {
        QTreeWidgetItemIterator it(list());
        for (qsizetype n = listed().indexOf(name); n > 0; --n)
            ++it;
        return *it;
    }
    QCheckBox* toggle(const QString& name) const { return list()->itemWidget(item(name), 0)->findChild<QCheckBox*>(); }
    void click(const QString& name) const
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualItemRect(item(name)).center());
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
        return editor;
    }

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_view = std::make_unique<TemplatesView>(m_fixture->manager, m_picker);
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
        QCOMPARE(item("notes") && item("notes")->isSelected(), made);
    }

    // Edit, cancelled and confirmed adding, a drop, and deletion by key and by button, on one list.
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
            return page && item(page->fileTemplate().name)->isSelected() ? page->fileTemplate() : FileTemplate{};
        };
        click("B");
        rightPane()->findChild<QPushButton*>("editButton")->click();
        m_view->editor()->findChild<QLineEdit*>("nameField")->setText("Renamed");
        closeEditor(false, "confirmButton");
        button("addButton")->click();
        closeEditor(true, "cancelButton");
        QCOMPARE(m_fixture->storedNames(), (QStringList{"A", "Renamed", "C"}));
        QCOMPARE(shown(), m_fixture->store.customTemplates().at(1));
        QCOMPARE(shown().id, id); // edited in place
        button("addButton")->click();
        closeEditor(true, "confirmButton");
        QCOMPARE(m_fixture->store.customTemplates().last(), shown());
        QCOMPARE(std::tuple(shown().name, shown().fileExtension, shown().isBuiltIn),
                 std::tuple("My Template", "txt", false));
        m_view->moveCustomRows({0}, 3); // what a drop hands over
        QCOMPARE(m_fixture->storedNames(), (QStringList{"Renamed", "C", "A", "My Template"}));
        QTRY_COMPARE(listed().mid(10), m_fixture->storedNames());
        QVERIFY(shown().name == "My Template" && m_view->selection()->name == "My Template");
        // A built-in cannot be deleted; a key deletes the row the keyboard is on, not the selected one.
        click("HTML");
        QVERIFY(!button("deleteButton")->isEnabled());
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(shown().name, "HTML");
        click("C");
        list()->setCurrentItem(item("A"), 0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(list(), Qt::Key_Backspace);
        QCOMPARE(m_fixture->storedNames(), (QStringList{"Renamed", "C", "My Template"}));
        QTRY_COMPARE(listed().mid(10), m_fixture->storedNames());
        QCOMPARE(rightPane()->objectName(), "placeholder");
        click("My Template");
        button("deleteButton")->click();
        QCOMPARE(m_fixture->storedNames(), (QStringList{"Renamed", "C"}));
        QTRY_COMPARE(listed().mid(10), m_fixture->storedNames());
        QCOMPARE(rightPane()->objectName(), "placeholder");
    }

    void builtInSwitchWritesTheEnabledSet()
    {
        QStringList all;
        for (const FileTemplate& t : builtInTemplates())
            all << t.idText();
        const QStringList others = all.filter(QRegularExpression("[^2]$"));
        QTest::mouseClick(toggle("Markdown"), Qt::LeftButton);
        QCOMPARE(storedEnabledSet(), others);
        QTest::mouseClick(toggle("Markdown"), Qt::LeftButton);
        QCOMPARE(storedEnabledSet(), all);
        list()->setCurrentItem(item("Markdown"));
        QTest::keyClick(list(), Qt::Key_Space); // the keyboard's way to the switch
        QCOMPARE(storedEnabledSet(), others);
        // A switched-off built-in stays listed; a custom template's switch stays on.
        setCustom({"Notes"});
        QTest::mouseClick(toggle("Notes"), Qt::LeftButton);
        QVERIFY(toggle("Notes")->isChecked() && !toggle("Markdown")->isChecked());
        QCOMPARE(storedEnabledSet(), others);
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
        row("custom, no extension", customTemplate("Bare", "Made {{date}}\n", ""), ".");
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
        auto* empty = page.findChild<QLabel*>("emptyContent");
        QCOMPARE(empty ? empty->text() : page.findChild<QWidget*>("contentText")->accessibleName(),
                 shown.content.isEmpty() ? "(empty file)"
                 : !preview.isEmpty()    ? preview
                                         : shown.content); // braces and control words as stored
    }

    // The keys move through both sections as one list, past the headers.
    void keysMoveAcrossSections_data()
    {
        addColumns<QString, int, QString>("from", "key", "to");
        QTest::newRow("down from the last built-in") << "CSS" << int(Qt::Key_Down) << "A";
        QTest::newRow("up from the first custom") << "A" << int(Qt::Key_Up) << "CSS";
        QTest::newRow("up from the first row") << "Text File" << int(Qt::Key_Up) << "Text File";
        QTest::newRow("down from the last row") << "B" << int(Qt::Key_Down) << "B";
        QTest::newRow("home") << "B" << int(Qt::Key_Home) << "Text File";
        QTest::newRow("end") << "Text File" << int(Qt::Key_End) << "B";
        QTest::newRow("left stays") << "A" << int(Qt::Key_Left) << "A";
    }
    void keysMoveAcrossSections()
    {
        const auto [from, key, to] = fetch<QString, int, QString>("from", "key", "to");
        setCustom({"A", "B"});
        click(from);
        QTest::keyClick(list(), Qt::Key(key));
        QCOMPARE(m_view->selection().value_or(FileTemplate{}).name, to);
        QCOMPARE(list()->currentItem(), item(to));
    }

    void editorCleansAndClosesAsAsked_data()
    {
        // extension: typed key by key; pasted at once after a "|"
        // saved: empty: the confirm button stays disabled
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
        row("dotted capital I", "|\u0130NI", "\u0130NI", "i\u0307ni");
        row("name with spaces around", "txt", "txt", "txt", "", "  My  Notes ");
        row("tab-only name", "txt", "txt", "", "", "\t ");
        row("dots-only extension", "...", "", "");
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
        QCOMPARE(editor->findChild<QPushButton*>("confirmButton")->isEnabled(), !saved.isEmpty());
        if (how.endsWith("Button"))
            editor->findChild<QPushButton*>(how)->click();
        else // Return is the confirm button's wherever the focus is
            QTest::keyClick(editor->findChild<QWidget*>(how.isEmpty() ? "nameField" : "cancelButton"),
                            how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        const bool saves = !saved.isEmpty() && !how.contains(QRegularExpression("Escape|cancel"));
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
        editor->findChild<QPushButton*>("confirmButton")->click();
        QCOMPARE(m_saved.size(), 1);
        QCOMPARE(m_saved.first().content, "  # {{date}}\n\t\na\u00A0b\n\n ");
    }
};

QTEST_MAIN(TestTemplatesView)
#include "tst_TemplatesView.moc"
