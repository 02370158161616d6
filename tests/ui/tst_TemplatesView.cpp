#include "model/BuiltInTemplates.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "support/TestEnvironment.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateRowView.h"
#include "ui/templates/TemplatesView.h"

#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QFontMetrics>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

FileTemplate custom(const QString& name, const QString& content = {}, const QString& extension = "txt")
{
    return {QUuid::createUuid(), name, extension, content, false};
}

QStringList names(const QList<FileTemplate>& templates)
{
    QStringList result;
    for (const FileTemplate& t : templates)
        result << t.name;
    return result;
}

} // namespace

class TestTemplatesView : public QObject {
    Q_OBJECT

    std::unique_ptr<TemporaryHome> m_home;
    QString m_file;
    std::unique_ptr<TemplateStore> m_store;
    std::unique_ptr<TemplateManager> m_manager;
    std::unique_ptr<TemplatesView> m_view;

    QTreeWidget* list() const { return m_view->findChild<QTreeWidget*>("templateList"); }
    // Section headers by their titles and rows by their templates' names, top to bottom.
    QList<std::pair<QString, QTreeWidgetItem*>> entries() const
    {
        QList<std::pair<QString, QTreeWidgetItem*>> result;
        for (QTreeWidgetItemIterator it(list()); *it; ++it) {
            QWidget* shown = list()->itemWidget(*it, 0);
            auto* row = qobject_cast<TemplateRowView*>(shown);
            result.append({row ? row->fileTemplate().name : qobject_cast<QLabel*>(shown)->text(), *it});
        }
        return result;
    }
    QStringList listed() const
    {
        QStringList result;
        for (const auto& entry : entries())
            result << entry.first;
        return result;
    }
    QTreeWidgetItem* item(const QString& name) const
    {
        for (const auto& [shown, item] : entries())
            if (shown == name && item->parent())
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
        m_store->customTemplates().clear();
        for (const QString& name : names)
            m_store->customTemplates() << custom(name);
        m_store->save();
        QTRY_COMPARE(listed().mid(9), names.isEmpty() ? QStringList() : QStringList{"Custom"} + names);
    }
    // What another program reads from the settings file now.
    QStringList storedNames() const
    {
        const TemplateStore fresh([this] { return SettingsDomain(m_file); });
        return names(fresh.customTemplates());
    }
    QStringList storedEnabledSet() const
    {
        QStringList ids = QJsonDocument::fromJson(readAll(m_file))["enabledBuiltIns"].toVariant().toStringList();
        ids.sort();
        return ids;
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_file = m_home->configHome() + QStringLiteral("/suite.json");
        m_store = std::make_unique<TemplateStore>([path = m_file] { return SettingsDomain(path); });
        m_manager = std::make_unique<TemplateManager>(*m_store);
        m_view = std::make_unique<TemplatesView>(*m_manager);
        m_view->resize(620, 900); // every row on screen, so every row can be clicked
        m_view->show();
    }
    void cleanup() { m_view.reset(), m_manager.reset(), m_store.reset(), m_home.reset(); }

    void customSectionOnlyWithCustomTemplates()
    {
        const QStringList builtInSection = QStringList{"Built-in"} + names(builtInTemplates());
        QCOMPARE(listed(), builtInSection);
        QVERIFY(!button("deleteButton")->isEnabled()); // nothing selected
        QCOMPARE(button("addButton")->toolTip(), QStringLiteral("Add custom template"));
        QCOMPARE(button("deleteButton")->toolTip(), QStringLiteral("Delete selected template"));
        setCustom({"Notes", "Script"});
        m_store->setEnabledBuiltIns({});
        setCustom({});
        QCOMPARE(listed(), builtInSection); // switched off, yet listed
        QVERIFY(!toggle("HTML")->isChecked());
    }

    void addThenConfirmOrCancel_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Add") << true;
        QTest::newRow("Cancel") << false;
    }
    void addThenConfirmOrCancel()
    {
        QFETCH(bool, confirm);
        setCustom({"Notes"});
        click("Notes");
        const QByteArray before = readAll(m_file);
        button("addButton")->click();
        QVERIFY(m_view->showingEditor() && m_view->editor()->isNew());
        m_view->editor()->findChild<QPushButton*>(confirm ? "confirmButton" : "cancelButton")->click();
        QTRY_VERIFY(!m_view->editor());
        QVERIFY(!m_view->showingEditor());
        if (!confirm) {
            QCOMPARE(readAll(m_file), before);
            QCOMPARE(m_view->selection()->name, QStringLiteral("Notes"));
            return;
        }
        QCOMPARE(storedNames(), (QStringList{"Notes", "My Template"}));
        const FileTemplate added = m_store->customTemplates().last();
        QCOMPARE(std::tuple(added.fileExtension, added.content, added.isBuiltIn), std::tuple("txt", QString(), false));
        QCOMPARE(m_view->selection(), added);
        QCOMPARE(qobject_cast<TemplateDetailView*>(rightPane())->fileTemplate(), added);
        QTRY_VERIFY(item("My Template") && item("My Template")->isSelected());
        QVERIFY(!item("Notes")->isSelected());
    }

    void editSavesInPlace()
    {
        setCustom({"A", "B", "C"});
        const QUuid id = m_store->customTemplates().at(1).id;
        click("B");
        rightPane()->findChild<QPushButton*>("editButton")->click();
        QVERIFY(!m_view->editor()->isNew());
        auto* name = m_view->editor()->findChild<QLineEdit*>("nameField");
        name->selectAll();
        QTest::keyClicks(name, "Renamed");
        m_view->editor()->findChild<QPushButton*>("confirmButton")->click();
        QCOMPARE(storedNames(), (QStringList{"A", "Renamed", "C"}));
        QCOMPARE(m_store->customTemplates().at(1).id, id);
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
        if (key)
            QTest::keyClick(list(), Qt::Key(key));
        else
            button("deleteButton")->click();
        QCOMPARE(storedNames(), left);
        QTRY_COMPARE(listed().mid(10), left);
        const bool deleted = left.size() < 3;
        QCOMPARE(m_view->selection().has_value(), !deleted);
        QCOMPARE(rightPane()->objectName(), deleted ? QStringLiteral("placeholder") : "templateDetailView");
        QCOMPARE(m_view->findChild<QLabel*>("placeholderText")->text(), QStringLiteral("Select a template to preview"));
    }

    void reorderThroughTheDropPath_data()
    {
        QTest::addColumn<qsizetype>("row");
        QTest::addColumn<qsizetype>("destination");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("first to before the last") << qsizetype(0) << qsizetype(3) << QStringList{"B", "C", "A", "D"};
        QTest::newRow("last to the top") << qsizetype(3) << qsizetype(0) << QStringList{"D", "A", "B", "C"};
    }
    void reorderThroughTheDropPath()
    {
        QFETCH(qsizetype, row);
        QFETCH(qsizetype, destination);
        QFETCH(QStringList, order);
        setCustom({"A", "B", "C", "D"});
        click("C");
        m_view->moveCustomRows({row}, destination);
        QCOMPARE(storedNames(), order);
        QTRY_COMPARE(listed().mid(10), order);
        QCOMPARE(m_view->selection()->name, QStringLiteral("C"));
        QVERIFY(item("C")->isSelected());
    }

    void builtInSwitchWritesTheEnabledSet()
    {
        QStringList all;
        for (const FileTemplate& t : builtInTemplates())
            all << t.idText();
        all.sort();
        QStringList others = all;
        others.removeOne(builtInTemplates().at(1).idText());
        QVERIFY(toggle("Markdown")->isChecked());
        QSignalSpy willChange(m_manager.get(), &TemplateManager::objectWillChange);
        QTest::mouseClick(toggle("Markdown"), Qt::LeftButton);
        QCOMPARE(storedEnabledSet(), others);
        QVERIFY(!willChange.isEmpty());
        QVERIFY(!toggle("Markdown")->isChecked());
        QVERIFY(toggle("Text File")->isChecked());
        QTest::mouseClick(toggle("Markdown"), Qt::LeftButton);
        QCOMPARE(storedEnabledSet(), all);
        QVERIFY(toggle("Markdown")->isChecked());
        list()->setCurrentItem(item("Markdown"));
        QTest::keyClick(list(), Qt::Key_Space); // the keyboard's way to the switch
        QCOMPARE(storedEnabledSet(), others);
        // A custom template's switch writes the set back unchanged and stays on.
        setCustom({"Notes"});
        QTest::mouseClick(toggle("Notes"), Qt::LeftButton);
        QVERIFY(toggle("Notes")->isChecked());
        QCOMPARE(storedEnabledSet(), others);
    }

    void detailShowsTheRecordVerbatim_data()
    {
        QTest::addColumn<FileTemplate>("shown");
        QTest::addColumn<QString>("extension");
        QTest::newRow("built-in rich text") << builtInTemplates().at(3) << ".rtf";
        QTest::newRow("custom, empty body") << custom("Blank") << ".txt";
        QTest::newRow("custom, variables") << custom("Log", "Made {{date}} in {{folder}}\n") << ".txt";
        QTest::newRow("custom, no extension") << custom("Bare", "x", "") << ".";
    }
    void detailShowsTheRecordVerbatim()
    {
        QFETCH(FileTemplate, shown);
        QFETCH(QString, extension);
        int edits = 0;
        TemplateDetailView page(shown, [&edits] { ++edits; });
        page.resize(400, 500);
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
        QCOMPARE(std::pair(empty != nullptr, body != nullptr),
                 std::pair(shown.content.isEmpty(), !shown.content.isEmpty()));
        if (empty) {
            QCOMPARE(empty->text(), QStringLiteral("(empty file)"));
            QVERIFY(empty->font().italic());
            QVERIFY(page.findChild<QWidget*>("contentBox")->width() < page.viewport()->width() / 2);
        } else {
            QCOMPARE(body->accessibleName(), shown.content); // braces and control words as stored
            // Monospaced as drawn: narrow and wide letters take the same room.
            const QFontMetrics metrics(body->font());
            QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")), metrics.horizontalAdvance(QStringLiteral("MMMM")));
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
        TemplateDetailView page(custom("Long", content), {});
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
