#include "ui/common/SymbolView.h"

#include "ui/common/Style.h"
#include "ui/common/Symbols.h"

#include <QPainter>

SymbolView::SymbolView(const QString& symbol, int size, QWidget* parent) : QWidget(parent), m_symbol(symbol)
{
    setFixedSize(size, size);
}

void SymbolView::setSymbol(const QString& symbol)
{
    m_symbol = symbol;
    update();
}

void SymbolView::setColour(std::function<QColor(const QPalette&)> colour)
{
    m_colour = std::move(colour);
    update();
}

void SymbolView::paintEvent(QPaintEvent*)
{
    const QColor tint = m_colour ? m_colour(palette()) : Style::secondary(palette());
    const QPixmap image = Symbols::pixmap(m_symbol, tint, width(), devicePixelRatioF());
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(rect()), image, image.rect());
}
