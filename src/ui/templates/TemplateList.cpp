#include "ui/templates/TemplateList.h"

#include "ui/common/Style.h"
#include "ui/templates/TemplateRowView.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

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

namespace {

const QString customRowsMimeType = QStringLiteral("application/x-quintara-custom-rows");

// Marks the section items, so the list can tell the "Custom" section from the "Built-in" one.
constexpr int sectionRole = Qt::UserRole + 1;
const QString customSectionTag = QStringLiteral("custom");

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

} // namespace

TemplateList::TemplateList(QWidget* parent, DeleteRows deleteRows, MoveRows moveRows)
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

QTreeWidgetItem* TemplateList::addSection(QWidget* header, bool custom)
{
    auto* section = new QTreeWidgetItem;
    section->setFlags(Qt::ItemIsEnabled);
    section->setData(0, sectionRole, custom ? customSectionTag : QStringLiteral("builtIn"));
    insertTopLevelItem(custom ? topLevelItemCount() : 0, section);
    setItemWidget(section, 0, header);
    section->setSizeHint(0, header->sizeHint());
    section->setExpanded(true);
    return section;
}

QTreeWidgetItem* TemplateList::customSection() const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (topLevelItem(i)->data(0, sectionRole).toString() == customSectionTag)
            return topLevelItem(i);
    }
    return nullptr;
}

qsizetype TemplateList::customPosition(QTreeWidgetItem* item) const
{
    QTreeWidgetItem* section = customSection();
    return item && section && item->parent() == section ? section->indexOfChild(item) : -1;
}

void TemplateList::mousePressEvent(QMouseEvent* event)
{
    // A section header is neither a row nor empty space: pressing it leaves the selection alone.
    const QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item && !item->parent())
        return;
    QTreeWidget::mousePressEvent(event);
}

void TemplateList::keyPressEvent(QKeyEvent* event)
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

QModelIndex TemplateList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The rows form one list across both sections; Left and Right would only climb to a header.
    if (action == MoveLeft || action == MoveRight)
        return currentIndex();
    const QModelIndex target = QTreeWidget::moveCursor(action, modifiers);
    if (!target.isValid() || target.parent().isValid())
        return target;
    // A header is passed over in the direction of travel; at either end of the list the cursor
    // turns back to the nearest row instead.
    const bool down = action == MoveDown || action == MoveNext || action == MovePageDown || action == MoveHome;
    for (const bool forward : {down, !down}) {
        for (QModelIndex next = target; next.isValid(); next = forward ? indexBelow(next) : indexAbove(next)) {
            if (next.parent().isValid())
                return next;
        }
    }
    return currentIndex();
}

void TemplateList::startDrag(Qt::DropActions)
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

void TemplateList::dragEnterEvent(QDragEnterEvent* event)
{
    if (ownDrag(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TemplateList::dragMoveEvent(QDragMoveEvent* event)
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

void TemplateList::dragLeaveEvent(QDragLeaveEvent* event)
{
    QTreeWidget::dragLeaveEvent(event);
    m_indicator->hide();
}

void TemplateList::dropEvent(QDropEvent* event)
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

bool TemplateList::ownDrag(const QDropEvent* event) const
{
    return event->source() == this && event->mimeData()->hasFormat(customRowsMimeType);
}

TemplateList::Landing TemplateList::landingAt(const QPoint& point) const
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
