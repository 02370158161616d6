#include "ui/templates/TemplateEditorView.h"

#include "model/HorizontalSpace.h"
#include "ui/common/FormGroup.h"
#include "ui/common/Style.h"
#include "ui/common/WindowKeys.h"
#include "ui/common/WindowPlacement.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int sheetWidth = 500;
constexpr int sheetHeight = 500;
constexpr int formHeight = 210;
constexpr int minimumEditorHeight = 130;
// Vertical padding of the bars: with the full default padding the fixed sheet would leave the
// content editor less than its minimum height.
constexpr int barPadding = 12;

// The texts of the template editor.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(TemplateEditorView)

public:
    QString newTitle = tr("New Template");
    QString editTitle = tr("Edit Template");
    QString name = tr("&Template Name");
    QString extension = tr("E&xtension");
    QString extensionHint = tr("e.g.  txt  ·  md  ·  json  ·  py");
    QString baseName = tr("File Na&me");
    // The variable names are part of the template syntax and stay as they are.
    QString baseNameHint = tr("e.g.  {{year}} Budget  ·  Notes on {{folder}}");
    QString group = tr("&Group");
    QString groupHint = tr("A submenu of “New File”; empty for none");
    QString content = tr("C&ontent");
    // The variable names themselves are part of the template syntax and stay as they are.
    QString contentHint = tr("Variables: {{date}}  {{time}}  {{folder}}  {{username}}  {{year}}");
    QString folderNote = tr("A new folder holds what this template’s folder holds, its variables filled in. "
                            "To change that, open the folder from the template’s page.");
    QString cancel = tr("&Cancel");
    QString add = tr("&Add");
    QString save = tr("&Save");
};

// The content editor. Shift+Return would put a line separator (U+2028) into the text, which is not a
// line break in a file; here it breaks the line like Return. Tab types a tab, so Ctrl+Tab and
// Ctrl+Shift+Tab are the keyboard's way out, as in every text editor that keeps its tabs.
class ContentEditor final : public QPlainTextEdit {
public:
    explicit ContentEditor(QWidget* parent) : QPlainTextEdit(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::InsertLineSeparator)) {
            insertPlainText(QStringLiteral("\n"));
            return;
        }
        const int key = event->key();
        if ((event->modifiers() & Qt::ControlModifier) && (key == Qt::Key_Tab || key == Qt::Key_Backtab)) {
            // The text edit itself refuses to pass the focus on while Tab types a tab.
            QAbstractScrollArea::focusNextPrevChild(key == Qt::Key_Tab && !(event->modifiers() & Qt::ShiftModifier));
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

// The editor's outline: a rounded rectangle on the text background, drawn faintly, or in the
// accent colour while the editor has the focus (the editor itself draws no frame).
class EditorFrame final : public QWidget {
public:
    EditorFrame(QWidget* editor, QWidget* parent) : QWidget(parent), m_editor(editor)
    {
        // Two pixels keep the editor's square corners inside the rounded outline.
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(2, 2, 2, 2);
        layout->addWidget(editor);
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_editor && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
            update();
        return QWidget::eventFilter(watched, event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor outline =
            m_editor->hasFocus() ? palette().color(QPalette::Highlight) : Style::secondary(palette(), 0.25);
        painter.setPen(QPen(outline, 1));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }

private:
    QWidget* m_editor;
};

} // namespace

TemplateEditorView::TemplateEditorView(const FileTemplate& draft, bool isNew,
                                       std::function<void(const FileTemplate&)> onSave, QWidget* parent)
    : QDialog(parent), m_draft(draft), m_isNew(isNew), m_onSave(std::move(onSave))
{
    setObjectName(QStringLiteral("templateEditorView"));
    const QString title = isNew ? Texts().newTitle : Texts().editTitle;
    setWindowTitle(title);
    WindowKeys::closeWithKeys(this);
    setWindowModality(Qt::WindowModal);
    setFixedSize(WindowPlacement::fitting(this, QSize(sheetWidth, sheetHeight)));

    auto* header = new QHBoxLayout;
    header->setContentsMargins(Style::padding, barPadding, Style::padding, barPadding);
    header->addWidget(Style::label(title, Style::font(font(), Style::headline, QFont::DemiBold),
                                   QStringLiteral("editorTitle"), this));
    header->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(header);
    column->addWidget(Style::divider(this));
    column->addWidget(fields());
    column->addWidget(Style::divider(this));
    column->addWidget(m_draft.isFolder ? folderNote() : contentArea(), 1);
    column->addWidget(Style::divider(this));
    column->addWidget(buttonBar());

    updateConfirmButton();
    m_nameField->setFocus();
    m_nameField->selectAll();
}

QWidget* TemplateEditorView::fields()
{
    auto* host = new QWidget(this);
    host->setFixedHeight(formHeight);
    auto* group = new FormGroup(host);
    const QFont body = Style::font(font(), Style::body);
    const Texts text;

    m_nameField = new QLineEdit(m_draft.name, group);
    m_nameField->setObjectName(QStringLiteral("nameField"));
    m_nameField->setFont(body);
    connect(m_nameField, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_draft.name = text;
        updateConfirmButton();
    });

    // Filled before the cleaning is connected: a stored extension shows as it is until the user edits it.
    m_extensionField = new QLineEdit(m_draft.fileExtension, group);
    m_extensionField->setObjectName(QStringLiteral("extensionField"));
    m_extensionField->setFont(body);
    m_extensionField->setFixedWidth(100);
    connect(m_extensionField, &QLineEdit::textChanged, this, &TemplateEditorView::extensionEdited);

    m_baseNameField = new QLineEdit(m_draft.baseName, group);
    m_baseNameField->setObjectName(QStringLiteral("baseNameField"));
    m_baseNameField->setFont(body);
    m_baseNameField->setToolTip(text.baseNameHint);
    connect(m_baseNameField, &QLineEdit::textChanged, this, [this](const QString& text) { m_draft.baseName = text; });

    m_groupField = new QComboBox(group);
    m_groupField->setObjectName(QStringLiteral("groupField"));
    m_groupField->setEditable(true);
    m_groupField->setInsertPolicy(QComboBox::NoInsert);
    m_groupField->setFont(body);
    m_groupField->setEditText(m_draft.group);
    m_groupField->setToolTip(text.groupHint);
    // The field typed in is the combo box's own line edit, which takes no name from the label.
    m_groupField->lineEdit()->setAccessibleName(QString(text.group).remove(QLatin1Char('&')));
    connect(m_groupField, &QComboBox::editTextChanged, this, [this](const QString& text) { m_draft.group = text; });

    const QFont caption = Style::font(font(), Style::caption);
    const std::pair<QString, QWidget*> rows[] = {{text.name, m_nameField},
                                                 {text.extension, m_extensionField},
                                                 {text.baseName, m_baseNameField},
                                                 {text.group, m_groupField}};
    QList<QLabel*> labels;
    for (const auto& [title, field] : rows) {
        labels.append(Style::label(title, body,
                                   field->objectName().replace(QLatin1String("Field"), QLatin1String("Label")), group));
        labels.last()->setBuddy(field);
    }
    // One width for all labels, so the fields start at the same place.
    // Measured as shown, the access key's marker dropped: a label's own hint can miss its last letter.
    int labelWidth = 0;
    for (const QLabel* label : labels)
        labelWidth = qMax(labelWidth, label->fontMetrics().size(Qt::TextShowMnemonic, label->text()).width() +
                                          label->margin() * 2 + 2);
    for (int i = 0; i < labels.size(); ++i) {
        labels[i]->setFixedWidth(labelWidth);
        // A folder's files keep their own names.
        if (m_draft.isFolder && rows[i].second == m_extensionField) {
            labels[i]->hide();
            m_extensionField->hide();
            continue;
        }
        auto* row = new QHBoxLayout;
        row->setSpacing(12);
        row->addWidget(labels[i]);
        QWidget* field = rows[i].second;
        row->addWidget(field, field == m_extensionField ? 0 : 1);
        if (field == m_extensionField) {
            row->addWidget(Style::secondaryLabel(text.extensionHint, caption, QStringLiteral("extensionHint"), group));
            row->addStretch(1);
        }
        group->addRow(row);
    }

    auto* layout = new QVBoxLayout(host);
    layout->setContentsMargins(20, 0, 20, 0);
    layout->addWidget(group, 0, Qt::AlignVCenter);
    return host;
}

QWidget* TemplateEditorView::contentArea()
{
    const Texts text;
    auto* host = new QWidget(this);
    auto* heading = new QHBoxLayout;
    QLabel* contentHeading = Style::label(text.content, Style::font(font(), Style::headline, QFont::DemiBold),
                                          QStringLiteral("contentHeading"), host);
    heading->addWidget(contentHeading);
    heading->addStretch(1);
    heading->addWidget(Style::secondaryLabel(text.contentHint, Style::font(font(), Style::caption),
                                             QStringLiteral("contentHint"), host));

    m_contentEditor = new ContentEditor(host);
    m_contentEditor->setObjectName(QStringLiteral("contentEditor"));
    contentHeading->setBuddy(m_contentEditor);
    // A text edit does not take its name from a buddy, as a line edit does.
    m_contentEditor->setAccessibleName(QString(text.content).remove(QLatin1Char('&')));
    m_contentEditor->setFrameShape(QFrame::NoFrame);
    m_contentEditor->setFont(Style::monospaced(Style::body));
    m_contentEditor->document()->setDocumentMargin(6);
    Style::makeSlim(m_contentEditor->verticalScrollBar());
    m_contentEditor->setTabStopDistance(m_contentEditor->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 4);
    m_contentEditor->setPlainText(m_draft.content);
    // Connected after filling, so the draft keeps the content exactly as stored until the user edits it.
    connect(m_contentEditor, &QPlainTextEdit::textChanged, this, [this] {
        // The raw text, not toPlainText(), which would turn no-break spaces into plain ones.
        m_draft.content =
            m_contentEditor->document()->toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    });
    auto* frame = new EditorFrame(m_contentEditor, host);
    frame->setMinimumHeight(minimumEditorHeight);

    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(Style::padding, barPadding, Style::padding, barPadding);
    column->setSpacing(6);
    column->addLayout(heading);
    column->addWidget(frame, 1);
    return host;
}

QWidget* TemplateEditorView::folderNote()
{
    auto* host = new QWidget(this);
    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(Style::padding, barPadding, Style::padding, barPadding);
    QLabel* note =
        Style::secondaryLabel(Texts().folderNote, Style::font(font(), Style::body), QStringLiteral("folderNote"), host);
    note->setWordWrap(true);
    column->addWidget(note);
    column->addStretch(1);
    return host;
}

QWidget* TemplateEditorView::buttonBar()
{
    const Texts text;
    auto* host = new QWidget(this);
    auto* cancel = new QPushButton(text.cancel, host);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    // Return belongs to the confirm button even while Cancel has the focus.
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_confirmButton = new QPushButton(m_isNew ? text.add : text.save, host);
    m_confirmButton->setObjectName(QStringLiteral("confirmButton"));
    m_confirmButton->setDefault(true);
    connect(m_confirmButton, &QPushButton::clicked, this, &TemplateEditorView::saveDraft);

    for (QPushButton* button : {cancel, m_confirmButton})
        Style::giveTitleRoom(button, 80);

    auto* row = new QHBoxLayout(host);
    row->setContentsMargins(Style::padding, barPadding, Style::padding, barPadding);
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(m_confirmButton);
    return host;
}

void TemplateEditorView::setChoices(const QStringList& groupsInUse, const QString& defaultBaseName)
{
    const QString typed = m_groupField->currentText();
    m_groupField->clear();
    m_groupField->addItems(groupsInUse);
    m_groupField->setEditText(typed);
    m_baseNameField->setPlaceholderText(defaultBaseName);
}

bool TemplateEditorView::isValid() const
{
    // An empty extension is a template for files like "Makefile".
    return !HorizontalSpace::trimmed(m_draft.name).isEmpty();
}

void TemplateEditorView::saveDraft()
{
    if (m_saved || !isValid())
        return;
    m_saved = true;
    m_draft.name = HorizontalSpace::trimmed(m_draft.name);
    m_draft.baseName = HorizontalSpace::trimmed(m_draft.baseName);
    m_draft.group = HorizontalSpace::trimmed(m_draft.group);
    m_draft.fileExtension = FileTemplate::cleanedExtension(m_draft.fileExtension);
    if (m_onSave)
        m_onSave(m_draft);
    accept();
}

void TemplateEditorView::extensionEdited(const QString& text)
{
    const auto [cleaned, cursor] = FileTemplate::cleanExtension(text, m_extensionField->cursorPosition());
    if (cleaned != text) {
        const QSignalBlocker blocker(m_extensionField);
        m_extensionField->setText(cleaned);
        m_extensionField->setCursorPosition(cursor);
    }
    m_draft.fileExtension = cleaned;
    updateConfirmButton();
}

void TemplateEditorView::updateConfirmButton()
{
    m_confirmButton->setEnabled(isValid());
}
