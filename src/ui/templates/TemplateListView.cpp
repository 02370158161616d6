#include "ui/templates/TemplateListView.h"

#include "ui/common/Style.h"
#include "ui/templates/TemplateListModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int rowPadding = 4;
constexpr int checkGap = 6;
constexpr int textGap = 1;
constexpr int headerIndent = 10;
constexpr int headerBottom = 4;
constexpr int focusRingWidth = 2;

// A row: the switch, the name and under it the extension, dimmed. A section header: its title,
// small and dimmed, with room above it that sets the sections apart.
class RowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem row(option);
        initStyleOption(&row, index);
        const QWidget* widget = row.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        painter->save();
        if (index.data(TemplateListModel::HeaderRole).toBool()) {
            painter->setFont(headerFont(row.font));
            painter->setPen(Style::secondary(row.palette));
            painter->drawText(row.rect.adjusted(headerIndent, 0, -headerIndent, -headerBottom),
                              Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine, row.text);
            painter->restore();
            return;
        }
        const QString name = row.text;
        row.text.clear();
        const bool focused = row.state & QStyle::State_HasFocus;
        row.state &= ~QStyle::State_HasFocus; // drawn below, where every style shows it
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, widget);
        // Some styles outline a check box in a shade of the window, which vanishes on a dark sidebar.
        const QRectF check = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &row, widget);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Style::secondary(row.palette, 0.7), 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(check.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);

        const QRect texts =
            style->subElementRect(QStyle::SE_ItemViewItemText, &row, widget).adjusted(checkGap, 0, -4, 0);
        const bool selected = row.state & QStyle::State_Selected;
        const QFont nameFont = Style::font(row.font, Style::body);
        const QFont extensionFont = Style::font(row.font, Style::caption2);
        const int nameHeight = QFontMetrics(nameFont).height();
        const int top = texts.center().y() - (nameHeight + textGap + QFontMetrics(extensionFont).height()) / 2;
        painter->setFont(nameFont);
        painter->setPen(row.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(texts.left(), top, texts.width(), nameHeight), Qt::AlignLeft | Qt::TextSingleLine,
                          QFontMetrics(nameFont).elidedText(name, Qt::ElideRight, texts.width()));
        painter->setFont(extensionFont);
        painter->setPen(selected ? row.palette.color(QPalette::HighlightedText) : Style::secondary(row.palette));
        QRect kind(texts.left(), top + nameHeight + textGap, texts.width(), texts.height());
        if (index.data(TemplateListModel::FolderRole).toBool()) {
            // The theme's folder, as the file manager shows one, at the height of the line it leads.
            const int side = QFontMetrics(extensionFont).height();
            style->standardIcon(QStyle::SP_DirIcon, &row, widget)
                .paint(painter, QRect(kind.left(), kind.top(), side, side), Qt::AlignCenter,
                       selected ? QIcon::Selected : QIcon::Normal);
            kind.setLeft(kind.left() + side + 4);
        }
        painter->drawText(
            kind, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
            QFontMetrics(extensionFont)
                .elidedText(index.data(TemplateListModel::ExtensionRole).toString(), Qt::ElideRight, kind.width()));
        if (focused) {
            QPen ring(row.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight), focusRingWidth);
            painter->setPen(ring);
            painter->setBrush(Qt::NoBrush);
            painter->setRenderHint(QPainter::Antialiasing);
            painter->drawRoundedRect(QRectF(row.rect).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        if (index.data(TemplateListModel::HeaderRole).toBool()) {
            const int above = index.row() == 0 ? 8 : 14;
            return {base.width(), QFontMetrics(headerFont(option.font)).height() + above + headerBottom};
        }
        const int texts = QFontMetrics(Style::font(option.font, Style::body)).height() + textGap +
                          QFontMetrics(Style::font(option.font, Style::caption2)).height();
        return {base.width(), std::max(base.height(), texts) + 2 * rowPadding};
    }

private:
    static QFont headerFont(const QFont& base) { return Style::font(base, Style::caption, QFont::DemiBold); }
};

} // namespace

TemplateListView::TemplateListView(TemplateListModel& model, QWidget* parent) : QListView(parent), m_model(model)
{
    setObjectName(QStringLiteral("templateList"));
    setModel(&model);
    setItemDelegate(new RowDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setUniformItemSizes(false);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
    Style::makeSlim(verticalScrollBar());
}

void TemplateListView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const int row = currentIndex().row();
    const qsizetype position = m_model.customPosition(row);
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        if (position >= 0)
            Q_EMIT deleteRequested(position);
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Up || key == Qt::Key_Down) &&
        (modifiers == Qt::AltModifier || modifiers == Qt::ControlModifier)) {
        // The row travels with the selection and the keyboard, as a dragged row does.
        if (position >= 0)
            m_model.moveRow({}, row, {}, key == Qt::Key_Up ? row - 1 : row + 2);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

QModelIndex TemplateListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (action == MoveLeft || action == MoveRight)
        return currentIndex();
    const QModelIndex target = QListView::moveCursor(action, modifiers);
    if (!target.isValid() || !m_model.isHeader(target.row()))
        return target;
    // A header is passed over in the direction of travel; at either end of the list the cursor
    // turns back to the nearest row instead.
    const bool down = action == MoveDown || action == MoveNext || action == MovePageDown || action == MoveHome;
    for (const int step : {down ? 1 : -1, down ? -1 : 1}) {
        for (int row = target.row(); row >= 0 && row < m_model.rowCount(); row += step) {
            if (!m_model.isHeader(row))
                return m_model.index(row);
        }
    }
    return currentIndex();
}

void TemplateListView::focusInEvent(QFocusEvent* event)
{
    // Arriving with nothing current, the keyboard would have no visible place in the list.
    if (!currentIndex().isValid() && m_model.rowCount() > 1)
        selectionModel()->setCurrentIndex(m_model.index(1), QItemSelectionModel::NoUpdate);
    QListView::focusInEvent(event);
}
