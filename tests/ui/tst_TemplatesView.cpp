#include "model/BuiltInTemplates.h"
#include "support/StoreFixture.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateRowView.h"
#include "ui/templates/TemplatesView.h"

#include <QtTest>
#include <QtWidgets>

Q_DECLARE_METATYPE(FileTemplate)

// The Templates tab: the list, the detail page and the editor sheet, over a store in a throw-away home.
class TestTemplatesView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::unique_ptr<TemplatesView> m_view;
    QList<FileTemplate> m_saved; // by an editor opened on its own

    QTreeWidget* list() const { return m_view->findChild<QTreeWidget*>("templateList"); }
    // Section titles and template names, top to bottom; or the row of one template.
    QStringList listed(const QString& name = {}, QTreeWidgetItem** row = nullptr) const
    {
        QStringList result;
        for (QTreeWidgetItemIterator it(list()); *it; ++it) {
            auto* rowView = qobject_cast<TemplateRowView*>(list()->itemWidget(*it, 0));
            result << (rowView ? rowView->fileTemplate().name
                               : qobject_cast<QLabel*>(list()->itemWidget(*it, 0))->text());
            if (row && rowView && result.last() == name)
                *row = *it;
        }
        return result;
    }
    QTreeWidgetItem* item(const QString& name) const
    {
        QTreeWidgetItem* row = nullptr;
        listed(name, &row);
        return row;
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
        QTRY_COMPARE(listed().mid(9), names.isEmpty() ? QStringList() : QStringList{"Custom"} + names);
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
        m_view = std::make_unique<TemplatesView>(m_fixture->manager);
        m_view->resize(620, 900); // every row on screen, so every row can be clicked
        m_view->show();
    }
    void cleanup() { m_view.reset(), m_fixture.reset(), m_saved.clear(); }

    void addEditOrCancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("stored");
        QTest::newRow("add") << "addButton" << QStringList{"A", "B", "My Template"};
        QTest::newRow("cancel adding") << "cancelButton" << QStringList{"A", "B"};
        QTest::newRow("edit") << "editButton" << QStringList{"A", "Renamed"};
    }
    void addEditOrCancel()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, stored);
        setCustom({"A", "B"});
        click("B");
        const QUuid id = m_fixture->store.customTemplates().at(1).id;
        if (how == "editButton") {
            rightPane()->findChild<QPushButton*>("editButton")->click();
            QVERIFY(!m_view->editor()->isNew());
            m_view->editor()->findChild<QLineEdit*>("nameField")->setText("Renamed");
        } else {
            button("addButton")->click();
            QVERIFY(m_view->showingEditor() && m_view->editor()->isNew());
        }
        m_view->editor()->findChild<QPushButton*>(how == "cancelButton" ? "cancelButton" : "confirmButton")->click();
        QTRY_VERIFY(!m_view->editor() && !m_view->showingEditor());
        QCOMPARE(m_fixture->storedNames(), stored);
        QCOMPARE(m_fixture->store.customTemplates().at(1).id, id);
        const FileTemplate selected = m_fixture->store.customTemplates().at(how == "addButton" ? 2 : 1);
        QCOMPARE(qobject_cast<TemplateDetailView*>(rightPane())->fileTemplate(), selected);
        QTRY_VERIFY(item(selected.name) && item(selected.name)->isSelected());
        QCOMPARE(std::tuple(selected.fileExtension, selected.isBuiltIn), std::tuple("txt", false));
    }

    void deleteByButtonOrKey_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("focused"); // the row the keyboard is on, if not the selected one
        QTest::addColumn<int>("key");         // 0: the delete button
        QTest::addColumn<QStringList>("left");
        QTest::newRow("button") << "B" << QString() << 0 << QStringList{"A", "C"};
        QTest::newRow("Backspace, other row") << "B" << QString("C") << int(Qt::Key_Backspace) << QStringList{"A", "B"};
        QTest::newRow("Delete, built-in") << "HTML" << QString() << int(Qt::Key_Delete) << QStringList{"A", "B", "C"};
    }
    void deleteByButtonOrKey()
    {
        QFETCH(QString, selected);
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(QStringList, left);
        setCustom({"A", "B", "C"});
        click(selected);
        QCOMPARE(button("deleteButton")->isEnabled(), selected != "HTML");
        if (!focused.isEmpty())
            list()->setCurrentItem(item(focused), 0, QItemSelectionModel::NoUpdate);
        key ? QTest::keyClick(list(), Qt::Key(key)) : button("deleteButton")->click();
        QCOMPARE(m_fixture->storedNames(), left);
        QTRY_COMPARE(listed().mid(10), left);
        QCOMPARE(rightPane()->objectName(), left.size() < 3 ? "placeholder" : "templateDetailView");
    }

    void reorderKeepsTheSelection()
    {
        setCustom({"A", "B", "C", "D"});
        click("C");
        m_view->moveCustomRows({0}, 3); // what a drop hands over
        QCOMPARE(m_fixture->storedNames(), (QStringList{"B", "C", "A", "D"}));
        QTRY_COMPARE(listed().mid(10), (QStringList{"B", "C", "A", "D"}));
        QVERIFY(m_view->selection()->name == "C" && item("C")->isSelected());
    }

    void builtInSwitchWritesTheEnabledSet()
    {
        QStringList all;
        for (const FileTemplate& t : builtInTemplates())
            all << t.idText();
        const QStringList others = all.filter(QRegularExpression("[^2]$"));
        QTest::mouseClick(toggle("Markdown"), Qt::LeftButton);
        QCOMPARE(storedEnabledSet(), others);
        QVERIFY(!toggle("Markdown")->isChecked() && toggle("Text File")->isChecked());
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

    void detailShowsTheRecordVerbatim_data()
    {
        QTest::addColumn<FileTemplate>("shown");
        QTest::addColumn<QString>("extension");
        QTest::newRow("built-in rich text") << builtInTemplates().at(3) << ".rtf";
        QTest::newRow("custom, empty body") << customTemplate("Blank") << ".txt";
        QTest::newRow("custom, no extension") << customTemplate("Bare", "Made {{date}}\n", "") << ".";
    }
    void detailShowsTheRecordVerbatim()
    {
        QFETCH(FileTemplate, shown);
        QFETCH(QString, extension);
        int edits = 0;
        TemplateDetailView page(shown, [&edits] { ++edits; });
        page.show();
        QCOMPARE(page.findChild<QLabel*>("detailName")->text() + page.findChild<QLabel*>("detailExtension")->text(),
                 shown.name + extension);
        if (auto* edit = page.findChild<QPushButton*>("editButton"))
            edit->click();
        QCOMPARE(edits, shown.isBuiltIn ? 0 : 1);
        auto* empty = page.findChild<QLabel*>("emptyContent");
        QWidget* body = page.findChild<QWidget*>("contentText");
        QCOMPARE(empty ? empty->text() : body->accessibleName(), // braces and control words as stored
                 shown.content.isEmpty() ? "(empty file)" : shown.content);
    }

    void editorCleansAndClosesAsAsked_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension"); // typed key by key; pasted at once after a "|"
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved"); // empty: the confirm button stays disabled
        QTest::addColumn<QString>("how");   // empty: Return in the name field; else a key sent to Cancel, or a button
        const auto row = [](const char* tag, const char* extension, const char* shown, const char* saved,
                            const char* name = "Notes", const char* how = "") {
            QTest::newRow(tag) << QString(name) << QString(extension) << QString(shown) << QString(saved)
                               << QString(how);
        };
        row("dot before capitals", ".MD", "MD", "md");
        row("dots between letters, trailing space", "t.a.r ", "tar", "tar");
        row("pasted double extension", "| tar.gz ", "targz", "targz");
        row("pasted, space inside", "|tar gz", "tar gz", "tar gz");
        row("pasted, dot before a space", "|. md", "md", "md");
        row("pasted tab and no-break space", "|\tpy\u00A0", "py", "py");
        row("dotted capital I", "|\u0130NI", "\u0130NI", "i\u0307ni");
        row("name with spaces around", "txt", "txt", "txt", "  My  Notes ");
        row("tab-only name", "txt", "txt", "", "\t ");
        row("dots-only extension", "...", "", "");
        // The stored extension shows until edited, and is saved cleaned.
        row("Save button", "=", "Tar.GZ", "targz", "Notes", "confirmButton");
        row("Return at Cancel", "=", "Tar.GZ", "targz", "Notes", "Return");
        row("Escape", "=", "Tar.GZ", "targz", "Notes", "Escape");
        row("Cancel button", "=", "Tar.GZ", "targz", "Notes", "cancelButton");
    }
    void editorCleansAndClosesAsAsked()
    {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        QFETCH(QString, how);
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
