#include "ui/templates/TemplateEditorView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestTemplateEditorView : public QObject {
    Q_OBJECT

    const FileTemplate m_stored{QUuid::createUuid(), QStringLiteral("Notes"), QStringLiteral("txt"), {}, false};
    std::unique_ptr<TemplateEditorView> m_editor;
    QList<FileTemplate> m_saved;

    void open(const FileTemplate& draft, bool isNew = false)
    {
        m_editor = std::make_unique<TemplateEditorView>(draft, isNew, [this](const FileTemplate& t) { m_saved << t; });
        m_editor->show();
    }
    template <typename T>
    T* child(const char* name) const
    {
        return m_editor->findChild<T*>(name);
    }
    // Replaces the field's text key by key, as the user types.
    void retype(const char* field, const QString& text) const
    {
        child<QLineEdit>(field)->selectAll();
        QTest::keyClick(child<QLineEdit>(field), Qt::Key_Delete);
        QTest::keyClicks(child<QLineEdit>(field), text);
    }

private Q_SLOTS:
    void cleanup() { m_editor.reset(), m_saved.clear(); }

    void modeAndClosing_data()
    {
        QTest::addColumn<bool>("isNew");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saves");
        QTest::newRow("new, Return") << true << "Return" << true;
        QTest::newRow("edit, confirm button") << false << "confirmButton" << true;
        QTest::newRow("new, Escape") << true << "Escape" << false;
        QTest::newRow("edit, Cancel button") << false << "cancelButton" << false;
    }
    void modeAndClosing()
    {
        QFETCH(bool, isNew);
        QFETCH(QString, how);
        QFETCH(bool, saves);
        open(m_stored, isNew);
        QCOMPARE(child<QLabel>("editorTitle")->text(), isNew ? "New Template" : "Edit Template");
        QCOMPARE(child<QPushButton>("confirmButton")->text(), isNew ? "Add" : "Save");
        QCOMPARE(m_editor->size(), QSize(500, 420));
        QCOMPARE(m_editor->windowModality(), Qt::WindowModal);
        QCOMPARE(child<QLabel>("extensionHint")->text(),
                 QStringLiteral("e.g.  txt  \u00B7  md  \u00B7  json  \u00B7  py"));
        QCOMPARE(child<QLabel>("contentHint")->text(),
                 QStringLiteral("Variables: {{date}}  {{time}}  {{folder}}  {{username}}  {{year}}"));
        QVERIFY(child<QPlainTextEdit>("contentEditor")->height() >= 130);

        retype("nameField", "Changed");
        if (how == "Return" || how == "Escape") // sent to Cancel: Return is the confirm button's all the same
            QTest::keyClick(child<QPushButton>("cancelButton"), how == "Return" ? Qt::Key_Return : Qt::Key_Escape);
        else
            child<QPushButton>(how.toLatin1().constData())->click();
        QVERIFY(!m_editor->isVisible());
        QCOMPARE(m_editor->result(), saves ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(m_saved.size(), saves ? 1 : 0);
        if (saves)
            QCOMPARE(m_saved.first().name, QStringLiteral("Changed"));
    }

    void namesAndExtensionsAreCleaned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("typed"); // the extension key by key, or pasted at once
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("saved"); // empty: the confirm button stays disabled
        QTest::newRow("dot before capitals") << "Notes" << true << ".MD"
                                             << "MD"
                                             << "md";
        QTest::newRow("dots between letters") << "Notes" << true << "t.a.r"
                                              << "tar"
                                              << "tar";
        QTest::newRow("trailing space") << "Notes" << true << "md "
                                        << "md"
                                        << "md";
        QTest::newRow("double extension") << "Notes" << false << " tar.gz "
                                          << "targz"
                                          << "targz";
        QTest::newRow("space inside") << "Notes" << false << "tar gz"
                                      << "tar gz"
                                      << "tar gz";
        QTest::newRow("dot before a space") << "Notes" << false << ". md"
                                            << "md"
                                            << "md";
        QTest::newRow("tab and no-break space") << "Notes" << false << "\tpy\u00A0"
                                                << "py"
                                                << "py";
        QTest::newRow("dotted capital I") << "Notes" << false << "\u0130NI"
                                          << "\u0130NI"
                                          << "i\u0307ni";
        QTest::newRow("name with spaces around") << "  My  Notes " << true << "txt"
                                                 << "txt"
                                                 << "txt";
        QTest::newRow("spaces-only name") << "   " << true << "txt"
                                          << "txt" << QString();
        QTest::newRow("tab-only name") << "\t" << true << "txt"
                                       << "txt" << QString();
        QTest::newRow("empty extension") << "Notes" << true << ""
                                         << "" << QString();
        QTest::newRow("dots-only extension") << "Notes" << true << "..."
                                             << "" << QString();
    }
    void namesAndExtensionsAreCleaned()
    {
        QFETCH(QString, name);
        QFETCH(bool, typed);
        QFETCH(QString, extension);
        QFETCH(QString, shown);
        QFETCH(QString, saved);
        open(m_stored);
        child<QLineEdit>("nameField")->setText(name);
        auto* field = child<QLineEdit>("extensionField");
        if (typed)
            retype("extensionField", extension);
        else
            field->selectAll(), field->insert(extension);
        QCOMPARE(field->text(), shown);
        QCOMPARE(child<QPushButton>("confirmButton")->isEnabled(), !saved.isEmpty());
        QTest::keyClick(child<QLineEdit>("nameField"), Qt::Key_Return);
        QCOMPARE(m_saved.size(), saved.isEmpty() ? 0 : 1);
        if (!m_saved.isEmpty())
            QCOMPARE(std::pair(m_saved.first().name, m_saved.first().fileExtension), std::pair(name.trimmed(), saved));
    }

    void storedDotShowsUntilEdited()
    {
        open({m_stored.id, m_stored.name, QStringLiteral("Tar.GZ"), {}, false});
        auto* field = child<QLineEdit>("extensionField");
        QCOMPARE(field->text(), QStringLiteral("Tar.GZ"));
        field->setCursorPosition(3);
        QTest::keyClick(field, Qt::Key_X);
        QCOMPARE(field->text(), QStringLiteral("TarxGZ"));
        QCOMPARE(field->cursorPosition(), 4); // right behind what was typed, not at the end
    }

    void contentIsSavedExactlyAsTyped()
    {
        open(m_stored);
        auto* editor = child<QPlainTextEdit>("contentEditor");
        QTest::keyClicks(editor, "  # {{date}}");
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::keyClick(editor, Qt::Key_Tab);
        QTest::keyClicks(editor, "x");
        QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
        editor->insertPlainText(QStringLiteral("a\u00A0b\n\n "));
        child<QPushButton>("confirmButton")->click();
        QCOMPARE(m_saved.size(), 1);
        QCOMPARE(m_saved.first().content, QStringLiteral("  # {{date}}\n\tx\na\u00A0b\n\n "));
        QCOMPARE(std::pair(m_saved.first().id, m_saved.first().isBuiltIn), std::pair(m_stored.id, false));
    }
};

QTEST_MAIN(TestTemplateEditorView)
#include "tst_TemplateEditorView.moc"
