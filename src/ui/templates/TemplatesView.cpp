#include "ui/templates/TemplatesView.h"

#include "model/BuiltInTemplates.h"
#include "platform/FilePicker.h"
#include "platform/UserFolders.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/DividerSplitter.h"
#include "ui/common/Style.h"
#include "ui/common/SymbolView.h"
#include "ui/common/Symbols.h"
#include "ui/templates/ImportConsentDialog.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateList.h"
#include "ui/templates/TemplateRowView.h"

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
    QString builtIn = tr("Built-in");
    QString custom = tr("Custom");
    QString add = tr("Add custom template");
    QString remove = tr("Delete selected template");
    QString importFiles = tr("Import…");
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
    button->setIcon(Symbols::icon(symbol, parent->palette().color(QPalette::WindowText)));
    button->setIconSize(QSize(barSymbolSize, barSymbolSize));
    button->setToolTip(toolTip);
    return button;
}

} // namespace

TemplatesView::TemplatesView(TemplateManager& manager, FilePicker& picker, QWidget* parent)
    : QWidget(parent), m_manager(manager), m_picker(picker)
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
    QPalette shade = pane->palette();
    shade.setColor(QPalette::Window, sidebarColor(shade));
    shade.setColor(QPalette::Base, sidebarColor(shade));
    pane->setPalette(shade);
    pane->setAutoFillBackground(true);

    m_list = new TemplateList(
        pane, [this](const QList<qsizetype>& rows) { deleteCustomRows(rows); },
        [this](const QList<qsizetype>& rows, qsizetype destination) { moveCustomRows(rows, destination); });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TemplatesView::listSelectionChanged);
    QTreeWidgetItem* builtIns = addSection(Texts().builtIn, false);
    for (const FileTemplate& builtIn : builtInTemplates())
        addRow(builtIns, builtIn);

    auto* bar = new QWidget(pane);
    bar->setObjectName(QStringLiteral("bottomBar"));
    auto* addButton = barButton(QStringLiteral("plus"), Texts().add, QStringLiteral("addButton"), bar);
    connect(addButton, &QToolButton::clicked, this, &TemplatesView::addTemplate);
    m_deleteButton = barButton(QStringLiteral("minus"), Texts().remove, QStringLiteral("deleteButton"), bar);
    connect(m_deleteButton, &QToolButton::clicked, this, &TemplatesView::deleteSelectedTemplate);
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

QTreeWidgetItem* TemplatesView::addSection(const QString& title, bool custom)
{
    QLabel* header = Style::secondaryLabel(title, Style::font(font(), Style::caption, QFont::DemiBold),
                                           QStringLiteral("sectionHeader"), m_list->viewport());
    header->setContentsMargins(10, custom ? 14 : 8, 8, 4);
    header->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    return m_list->addSection(header, custom);
}

void TemplatesView::addRow(QTreeWidgetItem* section, const FileTemplate& fileTemplate)
{
    auto* item = new QTreeWidgetItem(section);
    // Rows are dragged by the section they are in, whatever their records say of themselves.
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (section == m_customSection)
        flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    auto* row = new TemplateRowView(m_manager, fileTemplate, m_list->viewport());
    m_list->setItemWidget(item, 0, row);
    item->setSizeHint(0, row->sizeHint());
}

TemplateRowView* TemplatesView::rowView(QTreeWidgetItem* item) const
{
    return item ? qobject_cast<TemplateRowView*>(m_list->itemWidget(item, 0)) : nullptr;
}

void TemplatesView::reload()
{
    if (m_manager.customTemplates() != m_listedCustom)
        rebuildCustomSection();
    for (int s = 0; s < m_list->topLevelItemCount(); ++s) {
        QTreeWidgetItem* section = m_list->topLevelItem(s);
        for (int r = 0; r < section->childCount(); ++r) {
            if (TemplateRowView* row = rowView(section->child(r)))
                row->refresh();
        }
    }
    showSelectionInList();
}

void TemplatesView::rebuildCustomSection()
{
    const QScopedValueRollback guard(m_updatingList, true);
    m_listedCustom = m_manager.customTemplates();
    if (m_listedCustom.isEmpty()) {
        delete m_customSection;
        m_customSection = nullptr;
        return;
    }
    if (m_customSection)
        qDeleteAll(m_customSection->takeChildren());
    else
        m_customSection = addSection(Texts().custom, true);
    for (const FileTemplate& custom : std::as_const(m_listedCustom))
        addRow(m_customSection, custom);
}

void TemplatesView::setSelection(const std::optional<FileTemplate>& selection)
{
    m_selection = selection;
    showSelectionInList();
    showDetail();
    m_deleteButton->setEnabled(m_selection && !m_selection->isBuiltIn);
}

void TemplatesView::showSelectionInList()
{
    {
        const QScopedValueRollback guard(m_updatingList, true);
        QTreeWidgetItem* match = nullptr;
        for (int s = 0; m_selection && !match && s < m_list->topLevelItemCount(); ++s) {
            QTreeWidgetItem* section = m_list->topLevelItem(s);
            for (int r = 0; !match && r < section->childCount(); ++r) {
                const TemplateRowView* row = rowView(section->child(r));
                if (row && row->fileTemplate() == *m_selection)
                    match = section->child(r);
            }
        }
        if (!match)
            m_list->selectionModel()->clear();
        else if (!match->isSelected())
            m_list->setCurrentItem(match, 0, QItemSelectionModel::ClearAndSelect);
    }
    for (int s = 0; s < m_list->topLevelItemCount(); ++s) {
        QTreeWidgetItem* section = m_list->topLevelItem(s);
        for (int r = 0; r < section->childCount(); ++r) {
            if (TemplateRowView* row = rowView(section->child(r)))
                row->setSelected(section->child(r)->isSelected());
        }
    }
}

void TemplatesView::listSelectionChanged()
{
    if (m_updatingList)
        return;
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const TemplateRowView* row = selected.isEmpty() ? nullptr : rowView(selected.first());
    setSelection(row ? std::optional(row->fileTemplate()) : std::nullopt);
}

void TemplatesView::showDetail()
{
    if (!m_selection) {
        m_detailPane->setCurrentWidget(m_placeholder);
        return;
    }
    if (m_detail && m_detail->fileTemplate() == *m_selection) {
        m_detailPane->setCurrentWidget(m_detail);
        return;
    }
    // The page keeps the record it was built with: Edit opens exactly what the page shows.
    auto* detail = new TemplateDetailView(
        *m_selection, [this, shown = *m_selection] { editTemplate(shown); }, m_detailPane);
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
    setSelection(fileTemplate);
}

void TemplatesView::deleteSelectedTemplate()
{
    if (!m_selection || m_selection->isBuiltIn)
        return;
    TemplateStore& store = m_manager.store();
    const QUuid id = m_selection->id;
    store.customTemplates().removeIf([&](const FileTemplate& t) { return t.id == id; });
    store.save();
    setSelection(std::nullopt);
}

void TemplatesView::deleteCustomRows(const QList<qsizetype>& rows)
{
    m_manager.store().deleteTemplates(rows);
    setSelection(std::nullopt);
}

void TemplatesView::moveCustomRows(const QList<qsizetype>& rows, qsizetype destination)
{
    m_manager.store().moveTemplates(rows, destination);
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
        std::variant<TemplateImporter::Candidate, TemplateImporter::Refusal> examined = TemplateImporter::examine(path);
        if (auto* candidate = std::get_if<TemplateImporter::Candidate>(&examined))
            (candidate->ownerOnly ? ownerOnly : fit).append(std::move(*candidate));
        else
            refused.append({path, std::get<TemplateImporter::Refusal>(examined)});
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
            setSelection(*made);
            return;
        }
    }
}

void TemplatesView::showImportSummary(const QList<TemplateImporter::Outcome>& outcomes)
{
    QStringList imported, refused;
    for (const TemplateImporter::Outcome& outcome : outcomes) {
        const QString file = QFileInfo(outcome.path).fileName();
        if (const auto* made = std::get_if<FileTemplate>(&outcome.result))
            imported.append(Texts::importedAs(file, made->name));
        else
            refused.append(
                file + QStringLiteral(": ") +
                QCoreApplication::translate(
                    "TemplateImporter", TemplateImporter::reason(std::get<TemplateImporter::Refusal>(outcome.result))));
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
