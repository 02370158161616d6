#include "ui/common/ApplicationIconView.h"

#include "ui/common/Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// The stand-in below is drawn on a grid of this many units a side and scaled to the view's size.
constexpr qreal fallbackGrid = 84;

// Until the drawn icon is available: a rounded tile in the accent colour holding a page.
void paintFallback(QPainter& painter, const QColor& accent)
{
    QLinearGradient tile(0, 0, 0, fallbackGrid);
    tile.setColorAt(0, accent.lighter(125));
    tile.setColorAt(1, accent.darker(115));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(4, 4, fallbackGrid - 8, fallbackGrid - 8), 18, 18);

    const QRectF page(28, 20, 28, 40);
    const qreal fold = 9;
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    painter.setBrush(Qt::white);
    painter.drawPath(sheet);
    painter.setPen(QPen(accent, 2.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF plus(page.center().x(), page.center().y() + 3);
    painter.drawLine(plus - QPointF(6, 0), plus + QPointF(6, 0));
    painter.drawLine(plus - QPointF(0, 6), plus + QPointF(0, 6));
}

} // namespace

ApplicationIconView::ApplicationIconView(int size, QWidget* parent) : QWidget(parent), m_size(size)
{
    setObjectName(QStringLiteral("applicationIcon"));
    setFixedSize(size, size);
}

void ApplicationIconView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap icon = Symbols::applicationPixmap(m_size, devicePixelRatioF());
    if (!icon.isNull()) {
        painter.drawPixmap(QRectF(rect()), icon, icon.rect());
        return;
    }
    painter.scale(m_size / fallbackGrid, m_size / fallbackGrid);
    paintFallback(painter, palette().color(QPalette::Highlight));
}
