#include "ui/templates/TemplatesView.h"

#include "model/BuiltInTemplates.h"
#include "store/TemplateManager.h"
#include "store/TemplateStore.h"
#include "ui/common/Style.h"
#include "ui/common/Symbols.h"
#include "ui/templates/TemplateDetailView.h"
#include "ui/templates/TemplateEditorView.h"
#include "ui/templates/TemplateRowView.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

constexpr int sidebarMinimumWidth = 200;
constexpr int sidebarMaximumWidth = 240;
constexpr int sidebarInitialWidth = 220;
constexpr int placeholderSymbolSize = 44;
constexpr int barButtonSize = 20;
constexpr int barSymbolSize = 14;
const QString customRowsMimeType = QStringLiteral("application/x-quintara-custom-rows");

// Marks the section items, so the list can tell the "Custom" section from the "Built-in" one.
constexpr int sectionRole = Qt::UserRole + 1;
const QString customSectionTag = QStringLiteral("custom");

// The list's background: a shade darker than the window, as a sidebar is.
QColor sidebarColor(const QPalette& palette)
{
    return palette.color(QPalette::Window).darker(104);
}

// The accent line (with a ring at its start) that shows where dragged rows will land. A child of the
// list's viewport above the row widgets, which would otherwise hide a line painted by the list itself.
class DropIndicator final : public QWidget {
public:
    static constexpr int thickness = 8;

    explicit DropIndicator(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        hide();
    }
    void showAt(int y)
    {
        setGeometry(0, y - thickness / 2, parentWidget()->width(), thickness);
        raise();
        show();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal middle = height() / 2.0;
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(10, middle), 3, 3);
        painter.drawLine(QPointF(13, middle), QPointF(width() - 8, middle));
    }
};

// Section headers are never the keyboard's target, so they are never drawn as focused.
class ListDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem shown(option);
        if (!index.parent().isValid())
            shown.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, shown, index);
    }
};

// The template list. Only rows of the "Custom" section can be dragged, and they land only between
// rows of that same section; the drop itself moves nothing here but hands positions to `moveRows`,
// so the store stays the one place where the order changes. Delete or Backspace hands the row with the
// keyboard focus to `deleteRows` when it is a custom row; Space switches that row on or off.
class TemplateList final : public QTreeWidget {
public:
    using DeleteRows = std::function<void(const QList<qsizetype>&)>;
    using MoveRows = std::function<void(const QList<qsizetype>&, qsizetype)>;

    TemplateList(QWidget* parent, DeleteRows deleteRows, MoveRows moveRows)
        : QTreeWidget(parent), m_deleteRows(std::move(deleteRows)), m_moveRows(std::move(moveRows)),
          m_indicator(new DropIndicator(viewport()))
    {
        setObjectName(QStringLiteral("templateList"));
        setHeaderHidden(true);
        header()->setStretchLastSection(true);
        setColumnCount(1);
        setRootIsDecorated(false);
        setIndentation(0);
        setItemsExpandable(false);
        setExpandsOnDoubleClick(false);
        setUniformRowHeights(false);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        setDragEnabled(true);
        setAcceptDrops(true);
        viewport()->setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDefaultDropAction(Qt::MoveAction);
        setDropIndicatorShown(false);
        setItemDelegate(new ListDelegate(this));
        Style::makeSlim(verticalScrollBar());
    }

    QTreeWidgetItem* customSection() const
    {
        for (int i = 0; i < topLevelItemCount(); ++i) {
            if (topLevelItem(i)->data(0, sectionRole).toString() == customSectionTag)
                return topLevelItem(i);
        }
        return nullptr;
    }

    // The item's position in the "Custom" section, or -1 for any other item.
    qsizetype customPosition(QTreeWidgetItem* item) const
    {
        QTreeWidgetItem* section = customSection();
        return item && section && item->parent() == section ? section->indexOfChild(item) : -1;
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        // A section header is neither a row nor empty space: pressing it leaves the selection alone.
        const QTreeWidgetItem* item = itemAt(event->position().toPoint());
        if (item && !item->parent())
            return;
        QTreeWidget::mousePressEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const int key = event->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            const qsizetype position = customPosition(currentItem());
            if (position >= 0)
                m_deleteRows({position});
            event->accept();
            return;
        }
        if (key == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
            if (auto* row = qobject_cast<TemplateRowView*>(currentItem() ? itemWidget(currentItem(), 0) : nullptr))
                row->setOn(!row->isOn());
            event->accept();
            return;
        }
        QTreeWidget::keyPressEvent(event);
    }

    void startDrag(Qt::DropActions) override
    {
        const QList<QTreeWidgetItem*> selected = selectedItems();
        const qsizetype position = selected.isEmpty() ? -1 : customPosition(selected.first());
        if (position < 0)
            return;
        auto* mime = new QMimeData;
        mime->setData(customRowsMimeType, QByteArray::number(position));
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        if (QWidget* row = itemWidget(selected.first(), 0)) {
            drag->setPixmap(row->grab());
            drag->setHotSpot(row->mapFromGlobal(QCursor::pos()));
        }
        drag->exec(Qt::MoveAction, Qt::MoveAction);
        m_indicator->hide();
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (ownDrag(event))
            event->acceptProposedAction();
        else
            event->ignore();
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        QTreeWidget::dragMoveEvent(event); // scrolls the list near its edges
        const Landing landing = landingAt(event->position().toPoint());
        if (!ownDrag(event) || landing.destination < 0) {
            m_indicator->hide();
            event->ignore();
            return;
        }
        m_indicator->showAt(landing.y);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        QTreeWidget::dragLeaveEvent(event);
        m_indicator->hide();
    }

    void dropEvent(QDropEvent* event) override
    {
        m_indicator->hide();
        stopAutoScroll();
        setState(NoState);
        const Landing landing = landingAt(event->position().toPoint());
        bool ok = false;
        const qsizetype position = event->mimeData()->data(customRowsMimeType).toLongLong(&ok);
        if (!ownDrag(event) || !ok || landing.destination < 0) {
            event->ignore();
            return;
        }
        // Accepted as a copy: the rows are moved by the store, not by the list.
        event->setDropAction(Qt::CopyAction);
        event->accept();
        m_moveRows({position}, landing.destination);
    }

private:
    struct Landing {
        qsizetype destination = -1; // a position in the "Custom" section before the move, or -1
        int y = 0;                  // where the indicator goes, in viewport coordinates
    };

    bool ownDrag(const QDropEvent* event) const
    {
        return event->source() == this && event->mimeData()->hasFormat(customRowsMimeType);
    }

    Landing landingAt(const QPoint& point) const
    {
        QTreeWidgetItem* section = customSection();
        if (!section || section->childCount() == 0)
            return {};
        const int count = section->childCount();
        const auto top = [&](int index) {
            return visualItemRect(section->child(index)).top();
        };
        const int end = visualItemRect(section->child(count - 1)).bottom() + 1;
        QTreeWidgetItem* item = itemAt(point);
        if (item == section)
            return {0, top(0)};
        if (item && item->parent() == section) {
            int index = section->indexOfChild(item);
            if (point.y() >= visualItemRect(item).center().y())
                ++index;
            return {index, index < count ? top(index) : end};
        }
        // Below the last row: the "Custom" section is the last one.
        if (!item && point.y() >= end)
            return {count, end};
        return {};
    }

    DeleteRows m_deleteRows;
    MoveRows m_moveRows;
    DropIndicator* m_indicator;
};

// A symbol drawn at the density of the screen that shows it.
class SymbolView final : public QWidget {
public:
    SymbolView(const QString& symbol, int size, QWidget* parent) : QWidget(parent), m_symbol(symbol), m_size(size)
    {
        setFixedSize(size, size);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QPixmap image = Symbols::pixmap(m_symbol, Style::secondary(palette()), m_size, devicePixelRatioF());
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRectF(rect()), image, image.rect());
    }

private:
    QString m_symbol;
    int m_size;
};

// The divider between list and page: a one-pixel line, which the splitter still lets the pointer grab
// a few pixels either side of.
class DividerHandle final : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(contentsRect(), palette().color(QPalette::Mid));
    }
};

class DividerSplitter final : public QSplitter {
public:
    using QSplitter::QSplitter;

protected:
    QSplitterHandle* createHandle() override { return new DividerHandle(orientation(), this); }
};

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

TemplatesView::TemplatesView(TemplateManager& manager, QWidget* parent) : QWidget(parent), m_manager(manager)
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
    placeholderColumn->addWidget(Style::secondaryLabel(QStringLiteral("Select a template to preview"),
                                                       Style::font(font(), Style::body),
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

    auto* list = new TemplateList(
        pane, [this](const QList<qsizetype>& rows) { deleteCustomRows(rows); },
        [this](const QList<qsizetype>& rows, qsizetype destination) { moveCustomRows(rows, destination); });
    m_list = list;
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TemplatesView::listSelectionChanged);
    QTreeWidgetItem* builtIns = addSection(QStringLiteral("Built-in"), false);
    for (const FileTemplate& builtIn : builtInTemplates())
        addRow(builtIns, builtIn);

    auto* bar = new QWidget(pane);
    bar->setObjectName(QStringLiteral("bottomBar"));
    auto* addButton =
        barButton(QStringLiteral("plus"), QStringLiteral("Add custom template"), QStringLiteral("addButton"), bar);
    connect(addButton, &QToolButton::clicked, this, &TemplatesView::addTemplate);
    m_deleteButton = barButton(QStringLiteral("minus"), QStringLiteral("Delete selected template"),
                               QStringLiteral("deleteButton"), bar);
    connect(m_deleteButton, &QToolButton::clicked, this, &TemplatesView::deleteSelectedTemplate);
    auto* buttons = new QHBoxLayout(bar);
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->setSpacing(4);
    buttons->addWidget(addButton, 0, Qt::AlignVCenter);
    buttons->addWidget(m_deleteButton, 0, Qt::AlignVCenter);
    buttons->addStretch(1);

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
    auto* section = new QTreeWidgetItem;
    section->setFlags(Qt::ItemIsEnabled);
    section->setData(0, sectionRole, custom ? customSectionTag : QStringLiteral("builtIn"));
    m_list->insertTopLevelItem(custom ? 1 : 0, section);
    QLabel* header = Style::secondaryLabel(title, Style::font(font(), Style::caption, QFont::DemiBold),
                                           QStringLiteral("sectionHeader"), m_list->viewport());
    header->setContentsMargins(10, custom ? 14 : 8, 8, 4);
    header->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_list->setItemWidget(section, 0, header);
    section->setSizeHint(0, header->sizeHint());
    section->setExpanded(true);
    return section;
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
        m_customSection = addSection(QStringLiteral("Custom"), true);
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

void TemplatesView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}
