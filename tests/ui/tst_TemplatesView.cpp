#include "model/BuiltInTemplates.h"
#include "support/StoreFixture.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateRowView.h"
#include "ui/templates/TemplatesView.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

Q_DECLARE_METATYPE(FileTemplate)

class TestTemplatesView : public QObject {
    Q_OBJECT

    std::optional<StoreFixture> m_fixture;
    std::unique_ptr<TemplatesView> m_view;

    QTreeWidget* list() const { return m_view->findChild<QTreeWidget*>("templateList"); }
    // Section titles and template names, top to bottom, with their items.
    QList<std::pair<QString, QTreeWidgetItem*>> shown() const
    {
        QList<std::pair<QString, QTreeWidgetItem*>> result;
        for (QTreeWidgetItemIterator it(list()); *it; ++it) {
            QWidget* widget = list()->itemWidget(*it, 0);
            auto* row = qobject_cast<TemplateRowView*>(widget);
            result.append({row ? row->fileTemplate().name : qobject_cast<QLabel*>(widget)->text(), *it});
        }
        return result;
    }
    QStringList listed() const
    {
        QStringList result;
        for (const auto& entry : shown())
            result << entry.first;
        return result;
    }
    QTreeWidgetItem* item(const QString& name) const
    {
        for (const auto& [text, item] : shown())
            if (text == name && item->parent())
                return item;
        return nullptr;
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

private Q_SLOTS:
    void init()
    {
        m_fixture.emplace();
        m_view = std::make_unique<TemplatesView>(m_fixture->manager);
        m_view->resize(620, 900); // every row on screen, so every row can be clicked
        m_view->show();
    }
    void cleanup() { m_view.reset(), m_fixture.reset(); }

    void addThenConfirmOrCancel_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Add") << true;
        QTest::newRow("Cancel") << false;
    }
    void addThenConfirmOrCancel()
    {
        QFETCH(bool, confirm);
        QCOMPARE(listed(), QStringList{"Built-in"} + names(builtInTemplates())); // no "Custom" section yet
        setCustom({"Notes"});
        click("Notes");
        const QByteArray before = readAll(m_fixture->settingsFile);
        button("addButton")->click();
        QVERIFY(m_view->showingEditor() && m_view->editor()->isNew());
        m_view->editor()->findChild<QPushButton*>(confirm ? "confirmButton" : "cancelButton")->click();
        QTRY_VERIFY(!m_view->editor());
        QVERIFY(!m_view->showingEditor());
        if (!confirm) {
            QCOMPARE(readAll(m_fixture->settingsFile), before);
            QCOMPARE(m_view->selection()->name, QStringLiteral("Notes"));
            return;
        }
        QCOMPARE(m_fixture->storedNames(), (QStringList{"Notes", "My Template"}));
        const FileTemplate added = m_fixture->store.customTemplates().last();
        QCOMPARE(std::tuple(added.fileExtension, added.content, added.isBuiltIn), std::tuple("txt", QString(), false));
        QCOMPARE(qobject_cast<TemplateDetailView*>(rightPane())->fileTemplate(), added);
        QTRY_VERIFY(item("My Template") && item("My Template")->isSelected());
        QVERIFY(!item("Notes")->isSelected());
    }

    void editSavesInPlace()
    {
        setCustom({"A", "B", "C"});
        const QUuid id = m_fixture->store.customTemplates().at(1).id;
        click("B");
        rightPane()->findChild<QPushButton*>("editButton")->click();
        QVERIFY(!m_view->editor()->isNew());
        m_view->editor()->findChild<QLineEdit*>("nameField")->setText(QStringLiteral("Renamed"));
        m_view->editor()->findChild<QPushButton*>("confirmButton")->click();
        QCOMPARE(m_fixture->storedNames(), (QStringList{"A", "Renamed", "C"}));
        QCOMPARE(m_fixture->store.customTemplates().at(1).id, id);
        QTRY_VERIFY(item("Renamed") && item("Renamed")->isSelected());
        QCOMPARE(rightPane()->findChild<QLabel*>("detailName")->text(), QStringLiteral("Renamed"));
    }

    void deleteByButtonOrKey_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("focused"); // the row the keyboard is on, if not the selected one
        QTest::addColumn<int>("key");         // 0: the delete button
        QTest::addColumn<QStringList>("left");
        QTest::newRow("button") << "B" << QString() << 0 << QStringList{"A", "C"};
        QTest::newRow("Delete") << "B" << QString() << int(Qt::Key_Delete) << QStringList{"A", "C"};
        QTest::newRow("Backspace, other row") << "B"
                                              << "C" << int(Qt::Key_Backspace) << QStringList{"A", "B"};
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
        QCOMPARE(button("deleteButton")->isEnabled(), selected != QStringLiteral("HTML"));
        if (!focused.isEmpty())
            list()->setCurrentItem(item(focused), 0, QItemSelectionModel::NoUpdate);
        key ? QTest::keyClick(list(), Qt::Key(key)) : button("deleteButton")->click();
        QCOMPARE(m_fixture->storedNames(), left);
        QTRY_COMPARE(listed().mid(10), left);
        const bool deleted = left.size() < 3;
        QCOMPARE(m_view->selection().has_value(), !deleted);
        QCOMPARE(rightPane()->objectName(), deleted ? QStringLiteral("placeholder") : "templateDetailView");
    }

    void reorderKeepsTheSelection_data()
    {
        QTest::addColumn<qsizetype>("row");
        QTest::addColumn<qsizetype>("destination");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("first to before the last") << qsizetype(0) << qsizetype(3) << QStringList{"B", "C", "A", "D"};
        QTest::newRow("last to the top") << qsizetype(3) << qsizetype(0) << QStringList{"D", "A", "B", "C"};
    }
    void reorderKeepsTheSelection()
    {
        QFETCH(qsizetype, row);
        QFETCH(qsizetype, destination);
        QFETCH(QStringList, order);
        setCustom({"A", "B", "C", "D"});
        click("C");
        m_view->moveCustomRows({row}, destination); // what a drop hands over
        QCOMPARE(m_fixture->storedNames(), order);
        QTRY_COMPARE(listed().mid(10), order);
        QCOMPARE(m_view->selection()->name, QStringLiteral("C"));
        QVERIFY(item("C")->isSelected());
    }

    void builtInSwitchWritesTheEnabledSet()
    {
        QStringList all;
        for (const FileTemplate& t : builtInTemplates())
            all << t.idText();
        QStringList others = all;
        others.removeOne(builtInTemplates().at(1).idText());
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
        QVERIFY(!toggle("Markdown")->isChecked());
        QTest::mouseClick(toggle("Notes"), Qt::LeftButton);
        QVERIFY(toggle("Notes")->isChecked());
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
        QCOMPARE(page.findChild<QLabel*>("detailName")->text(), shown.name);
        QCOMPARE(page.findChild<QLabel*>("detailExtension")->text(), extension);
        auto* edit = page.findChild<QPushButton*>("editButton");
        QCOMPARE(edit != nullptr, !shown.isBuiltIn);
        if (edit)
            edit->click();
        QCOMPARE(edits, shown.isBuiltIn ? 0 : 1);
        auto* empty = page.findChild<QLabel*>("emptyContent");
        QWidget* body = page.findChild<QWidget*>("contentText");
        QCOMPARE(empty ? empty->text() : body->accessibleName(), // braces and control words as stored
                 shown.content.isEmpty() ? QStringLiteral("(empty file)") : shown.content);
        if (body) { // monospaced as drawn: narrow and wide letters take the same room
            const QFontMetrics metrics(body->font());
            QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")),
                     metrics.horizontalAdvance(QStringLiteral("MMMM")));
        }
        QStringList chips;
        for (const QLabel* chip : page.findChildren<QLabel*>("variableChip"))
            chips << chip->text();
        QCOMPARE(chips, (QStringList{"{{date}}", "{{time}}", "{{folder}}", "{{username}}", "{{year}}"}));
    }

    void longContentScrollsThePage()
    {
        QString content;
        for (int i = 0; i < 120; ++i)
            content += QStringLiteral("line %1 ").arg(i).repeated(8) + QLatin1Char('\n');
        TemplateDetailView page(customTemplate("Long", content), {});
        page.resize(400, 300);
        page.show();
        QTRY_VERIFY(page.verticalScrollBar()->maximum() > 0);
        // Every line is on the page, wrapped to its width, rather than scrolled inside the box.
        QWidget* body = page.findChild<QWidget*>("contentText");
        QVERIFY(body->height() >= 240 * QFontMetricsF(body->font()).lineSpacing());
        QVERIFY(body->width() <= page.viewport()->width());
    }
};

QTEST_MAIN(TestTemplatesView)
#include "tst_TemplatesView.moc"
