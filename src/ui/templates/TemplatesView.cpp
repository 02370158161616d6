#include "ui/templates/TemplatesView.h"

#include "model/BuiltInTemplates.h"
#include "platform/FilePicker.h"
#include "platform/UserFolders.h"
#include "platform/Workspace.h"
#include "store/FolderTemplateTree.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/DividerSplitter.h"
#include "ui/common/Style.h"
#include "ui/common/SymbolView.h"
#include "ui/common/Symbols.h"
#include "ui/templates/ImportConsentDialog.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateListModel.h"
#include "ui/templates/TemplateListView.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int sidebarMinimumWidth = 200;
constexpr int sidebarMaximumWidth = 240;
constexpr int sidebarInitialWidth = 220;
constexpr int placeholderSymbolSize = 44;
constexpr int barButtonSize = 20;
constexpr int barSymbolSize = 14;
// Lines of each part of the import summary, before the rest are only counted.
constexpr int summaryLines = 8;

// The texts of the Templates tab; template names are the user's or the catalogue's, never translated.
struct Texts {
    Q_DECLARE_TR_FUNCTIONS(TemplatesView)

public:
    QString placeholder = tr("Select a template to preview");
    QString add = tr("Add custom template");
    QString remove = tr("Delete selected template");
    QString list = tr("Templates");
    QString undo = tr("&Undo");
    static QString undoToolTip(const QString& name) { return tr("Bring back “%1” (Ctrl+Z)").arg(name); }
    QString importFiles = tr("&Import…");
    QString importToolTip = tr("Import files as custom templates");
    QString importTitle = tr("Import Templates");
    QString importPrompt = tr("Import");

    QString imported = tr("Imported as templates:");
    QString refused = tr("Not imported:");
    static QString importedAs(const QString& file, const QString& name) { return tr("%1 as “%2”").arg(file, name); }
    static QString more(qsizetype count) { return tr("and %1 more").arg(count); }
};

// A part of the import summary: its heading, then at most summaryLines lines.
QString summaryPart(const QString& heading, const QStringList& lines)
{
    QString part = heading;
    for (const QString& line : lines.first(qMin(lines.size(), qsizetype(summaryLines))))
        part += QLatin1Char('\n') + line;
    if (lines.size() > summaryLines)
        part += QLatin1Char('\n') + Texts::more(lines.size() - summaryLines);
    return part;
}

// The list's background: a shade darker than the window, as a sidebar is.
QColor sidebarColor(const QPalette& palette)
{
    return palette.color(QPalette::Window).darker(104);
}

QToolButton* barButton(const QString& symbol, const QString& toolTip, const QString& name, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setAutoRaise(true);
    button->setFixedSize(barButtonSize, barButtonSize);
    Style::follow(button, [symbol](QWidget& target) {
        static_cast<QToolButton&>(target).setIcon(
            Symbols::icon(symbol, Style::inherited(target).color(QPalette::WindowText)));
    });
    button->setIconSize(QSize(barSymbolSize, barSymbolSize));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip); // it shows only a symbol
    return button;
}

} // namespace

TemplatesView::TemplatesView(TemplateManager& manager, FilePicker& picker, Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_picker(picker), m_workspace(workspace)
{
    setObjectName(QStringLiteral("templatesView"));

    m_detailPane = new QStackedWidget(this);
    m_detailPane->setObjectName(QStringLiteral("detailPane"));
    m_placeholder = new QWidget(m_detailPane);
    m_placeholder->setObjectName(QStringLiteral("placeholder"));
    auto* placeholderColumn = new QVBoxLayout(m_placeholder);
    placeholderColumn->setSpacing(12);
    placeholderColumn->addStretch(1);
    placeholderColumn->addWidget(
        new SymbolView(QStringLiteral("doc.text.magnifyingglass"), placeholderSymbolSize, m_placeholder), 0,
        Qt::AlignHCenter);
    placeholderColumn->addWidget(Style::secondaryLabel(Texts().placeholder, Style::font(font(), Style::body),
                                                       QStringLiteral("placeholderText"), m_placeholder),
                                 0, Qt::AlignHCenter);
    placeholderColumn->addStretch(1);
    m_detailPane->addWidget(m_placeholder);

    auto* splitter = new DividerSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("templatesSplitter"));
    splitter->setHandleWidth(1);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(sidebar());
    splitter->addWidget(m_detailPane);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({sidebarInitialWidth, 10000});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    // Both signals: objectWillChange alone comes before the manager's list has changed, and is all
    // that a switched built-in fires.
    connect(&m_manager, &TemplateManager::objectWillChange, this, &TemplatesView::reload);
    connect(&m_manager, &TemplateManager::customTemplatesChanged, this, &TemplatesView::reload);
    setSelection(std::nullopt);
    reload();
}

QWidget* TemplatesView::sidebar()
{
    auto* pane = new QWidget(this);
    pane->setObjectName(QStringLiteral("sidebar"));
    pane->setMinimumWidth(sidebarMinimumWidth);
    pane->setMaximumWidth(sidebarMaximumWidth);
    for (const auto role : {QPalette::Window, QPalette::Base})
        Style::derive(pane, role, sidebarColor);
    pane->setAutoFillBackground(true);

    m_model = new TemplateListModel(m_manager, this);
    m_list = new TemplateListView(*m_model, pane);
    m_list->setAccessibleName(Texts().list);
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TemplatesView::listSelectionChanged);
    // A reset (templates added or removed elsewhere) drops the list's selection; the view keeps its own.
    connect(m_model, &QAbstractItemModel::modelReset, this, &TemplatesView::showSelectionInList);
    connect(m_list, &TemplateListView::deleteRequested, this, &TemplatesView::deleteCustomTemplate);

    auto* bar = new QWidget(pane);
    bar->setObjectName(QStringLiteral("bottomBar"));
    auto* addButton = barButton(QStringLiteral("plus"), Texts().add, QStringLiteral("addButton"), bar);
    connect(addButton, &QToolButton::clicked, this, &TemplatesView::addTemplate);
    m_deleteButton = barButton(QStringLiteral("minus"), Texts().remove, QStringLiteral("deleteButton"), bar);
    connect(m_deleteButton, &QToolButton::clicked, this, &TemplatesView::deleteSelectedTemplate);
    m_undoButton = new QToolButton(bar);
    m_undoButton->setObjectName(QStringLiteral("undoButton"));
    m_undoButton->setAutoRaise(true);
    m_undoButton->setText(Texts().undo);
    m_undoButton->setFixedHeight(barButtonSize);
    connect(m_undoButton, &QToolButton::clicked, this, &TemplatesView::undoDelete);
    auto* undo = new QAction(this);
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(undo, &QAction::triggered, this, &TemplatesView::undoDelete);
    addAction(undo);
    auto* importButton = new QToolButton(bar);
    importButton->setObjectName(QStringLiteral("importButton"));
    importButton->setAutoRaise(true);
    importButton->setText(Texts().importFiles);
    importButton->setToolTip(Texts().importToolTip);
    importButton->setFixedHeight(barButtonSize);
    connect(importButton, &QToolButton::clicked, this, &TemplatesView::importTemplates);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->setSpacing(4);
    buttons->addWidget(addButton, 0, Qt::AlignVCenter);
    buttons->addWidget(m_deleteButton, 0, Qt::AlignVCenter);
    buttons->addWidget(m_undoButton, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(importButton, 0, Qt::AlignVCenter);

    auto* column = new QVBoxLayout(pane);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_list, 1);
    column->addWidget(Style::divider(pane));
    column->addWidget(bar);
    return pane;
}

std::optional<FileTemplate> TemplatesView::selection() const
{
    return m_selection ? m_model->templateAt(m_model->indexOf(*m_selection).row()) : std::nullopt;
}

void TemplatesView::reload()
{
    m_model->reload();
    // The id outlives its row: a template saved or brought back is selected once it is listed.
    setSelection(m_selection);
}

void TemplatesView::setSelection(const std::optional<QUuid>& id)
{
    m_selection = id;
    showSelectionInList();
    showDetail();
    const std::optional<FileTemplate> selected = selection();
    m_deleteButton->setEnabled(selected && !selected->isBuiltIn);
    showUndo();
}

void TemplatesView::showSelectionInList()
{
    const QScopedValueRollback guard(m_updatingList, true);
    const QModelIndex match = m_selection ? m_model->indexOf(*m_selection) : QModelIndex();
    if (!match.isValid())
        m_list->selectionModel()->clearSelection();
    else if (!m_list->selectionModel()->isSelected(match))
        m_list->selectionModel()->setCurrentIndex(match, QItemSelectionModel::ClearAndSelect);
}

void TemplatesView::listSelectionChanged()
{
    if (m_updatingList)
        return;
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    setSelection(selected.isEmpty() ? std::nullopt
                                    : std::optional(selected.first().data(TemplateListModel::IdRole).toUuid()));
}

void TemplatesView::showDetail()
{
    const std::optional<FileTemplate> selected = selection();
    if (!selected) {
        m_detailPane->setCurrentWidget(m_placeholder);
        return;
    }
    if (m_detail && m_detail->fileTemplate() == *selected) {
        m_detailPane->setCurrentWidget(m_detail);
        return;
    }
    // The page keeps the record it was built with: Edit opens exactly what the page shows.
    auto* detail = new TemplateDetailView(
        *selected, [this, shown = *selected] { editTemplate(shown); },
        [this, id = selected->id] { m_workspace.openUrl(QUrl::fromLocalFile(FolderTemplateTree::path(id))); },
        m_detailPane);
    m_detailPane->addWidget(detail);
    m_detailPane->setCurrentWidget(detail);
    if (m_detail) {
        m_detailPane->removeWidget(m_detail);
        m_detail->deleteLater();
    }
    m_detail = detail;
}

void TemplatesView::addTemplate()
{
    m_templateToEdit =
        FileTemplate{QUuid::createUuid(), QStringLiteral("My Template"), QStringLiteral("txt"), QString(), false};
    showEditor();
}

void TemplatesView::editTemplate(const FileTemplate& fileTemplate)
{
    m_templateToEdit = fileTemplate;
    showEditor();
}

void TemplatesView::showEditor()
{
    if (m_editor)
        m_editor->reject();
    const QList<FileTemplate>& custom = m_manager.customTemplates();
    const bool isNew =
        std::none_of(custom.begin(), custom.end(), [&](const FileTemplate& t) { return t.id == m_templateToEdit->id; });
    auto* editor = new TemplateEditorView(
        *m_templateToEdit, isNew, [this](const FileTemplate& saved) { saveTemplate(saved); }, this);
    QStringList groups;
    for (const FileTemplate& t : custom)
        if (!t.group.isEmpty() && !groups.contains(t.group))
            groups.append(t.group);
    // Without a name of its own, a new folder takes its template's name, a new file the default.
    editor->setChoices(groups,
                       m_templateToEdit->isFolder ? m_templateToEdit->name : m_manager.store().defaultBaseName());
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &QDialog::finished, this, [this] { m_showingEditor = false; });
    m_editor = editor;
    m_showingEditor = true;
    editor->open();
}

void TemplatesView::saveTemplate(const FileTemplate& fileTemplate)
{
    TemplateStore& store = m_manager.store();
    const QList<FileTemplate>& custom = m_manager.customTemplates();
    const bool known =
        std::any_of(custom.begin(), custom.end(), [&](const FileTemplate& t) { return t.id == fileTemplate.id; });
    if (known) {
        store.updateTemplate(fileTemplate);
    } else {
        store.customTemplates().append(fileTemplate);
        store.save();
    }
    // Listed once the manager catches up, and selected then.
    m_selection = fileTemplate.id;
}

void TemplatesView::deleteSelectedTemplate()
{
    if (m_selection)
        deleteCustomTemplate(m_model->customPosition(m_model->indexOf(*m_selection).row()));
}

void TemplatesView::deleteCustomTemplate(qsizetype position)
{
    // The store's list, not the manager's copy: a move made a moment ago is in the one at once.
    TemplateStore& store = m_manager.store();
    if (position < 0 || position >= store.customTemplates().size())
        return;
    const FileTemplate deleted = store.customTemplates().at(position);
    store.deleteTemplates({position});
    m_deleted.append({position, deleted});
    setSelection(std::nullopt);
}

void TemplatesView::undoDelete()
{
    if (m_deleted.isEmpty())
        return;
    const auto [position, deleted] = m_deleted.takeLast();
    TemplateStore& store = m_manager.store();
    QList<FileTemplate>& custom = store.customTemplates();
    // Imported again since, or brought back by another window: it is there already.
    if (std::none_of(custom.begin(), custom.end(), [&](const FileTemplate& t) { return t.id == deleted.id; })) {
        custom.insert(qMin(position, custom.size()), deleted);
        store.save();
    }
    m_selection = deleted.id;
    showUndo();
}

void TemplatesView::showUndo()
{
    m_undoButton->setVisible(!m_deleted.isEmpty());
    if (!m_deleted.isEmpty())
        m_undoButton->setToolTip(Texts::undoToolTip(m_deleted.constLast().second.name));
}

void TemplatesView::importTemplates()
{
    const Texts text;
    // The view may be gone by the time the picker answers.
    m_picker.pickFiles({text.importTitle, text.importPrompt, UserFolders::templates()}, window(),
                       [view = QPointer(this)](const QStringList& files) {
                           if (view && !files.isEmpty())
                               view->importFiles(files);
                       });
}

void TemplatesView::importFiles(const QStringList& paths)
{
    QList<TemplateImporter::Outcome> refused;
    QList<TemplateImporter::Candidate> fit, ownerOnly;
    for (const QString& path : paths) {
        QStringList notes;
        std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal> examined =
            TemplateImporter::examine(path, &notes);
        if (auto* candidate = std::get_if<TemplateImporter::Candidate>(&examined))
            (candidate->ownerOnly ? ownerOnly : fit).append(std::move(*candidate));
        else
            refused.append({path, std::get<TemplateImporter::Refusal>(examined), notes});
    }
    ImportConsentDialog::confirmEach(ownerOnly, this, [this, fit, refused](const auto& agreed, const auto& declined) {
        const QList<TemplateImporter::Outcome> outcomes =
            TemplateImporter(m_manager.store()).add(fit + agreed) + refused + declined;
        selectImported(outcomes);
        showImportSummary(outcomes);
    });
}

void TemplatesView::selectImported(const QList<TemplateImporter::Outcome>& outcomes)
{
    for (auto it = outcomes.rbegin(); it != outcomes.rend(); ++it) {
        if (const auto* made = std::get_if<FileTemplate>(&it->result)) {
            setSelection(made->id);
            return;
        }
    }
}

void TemplatesView::showImportSummary(const QList<TemplateImporter::Outcome>& outcomes)
{
    QStringList imported, refused;
    for (const TemplateImporter::Outcome& outcome : outcomes) {
        const QString file = QFileInfo(outcome.path).fileName();
        // A folder's items at fault, or its links left out, each on a line of its own.
        const QString notes = outcome.notes.isEmpty()
                                  ? QString()
                                  : QStringLiteral("\n    ") + outcome.notes.join(QStringLiteral("\n    "));
        if (const auto* made = std::get_if<FileTemplate>(&outcome.result))
            imported.append(Texts::importedAs(file, made->name) + notes);
        else
            refused.append(
                file + QStringLiteral(": ") +
                QCoreApplication::translate(
                    "TemplateImporter", TemplateImporter::reason(std::get<TemplateImporter::Refusal>(outcome.result))) +
                notes);
    }
    const Texts text;
    QStringList parts;
    if (!imported.isEmpty())
        parts.append(summaryPart(text.imported, imported));
    if (!refused.isEmpty())
        parts.append(summaryPart(text.refused, refused));
    if (m_importSummary)
        m_importSummary->close();
    // File names are shown as they are, never read as markup.
    auto* summary = new QMessageBox(refused.isEmpty() ? QMessageBox::Information : QMessageBox::Warning,
                                    text.importTitle, parts.join(QStringLiteral("\n\n")), QMessageBox::Ok, this);
    summary->setObjectName(QStringLiteral("importSummary"));
    summary->setTextFormat(Qt::PlainText);
    summary->setAttribute(Qt::WA_DeleteOnClose);
    m_importSummary = summary;
    summary->open();
}

void TemplatesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

void TemplatesView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Deletions can be undone until the window closes, not merely until another tab is chosen; a
    // closing window is no longer visible by the time its pages hear of it.
    if (!window()->isVisible()) {
        forgetDeleted();
        showUndo();
    }
}

TemplatesView::~TemplatesView()
{
    forgetDeleted();
}

void TemplatesView::forgetDeleted()
{
    // A deleted folder template's tree is kept for as long as the deletion can be undone.
    const QList<FileTemplate>& custom = std::as_const(m_manager.store()).customTemplates();
    for (const auto& [position, deleted] : std::as_const(m_deleted)) {
        if (deleted.isFolder &&
            std::none_of(custom.begin(), custom.end(), [&](const FileTemplate& t) { return t.id == deleted.id; }))
            FolderTemplateTree().remove(deleted.id);
    }
    m_deleted.clear();
}
