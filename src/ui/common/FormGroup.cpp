#include "ui/common/FormGroup.h"

#include "ui/common/Style.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int rowPadding = 12;
constexpr int rowSpacing = 10;
constexpr qreal cornerRadius = 7;

QColor mix(const QColor& from, const QColor& to, qreal amount)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
                            from.greenF() + (to.greenF() - from.greenF()) * amount,
                            from.blueF() + (to.blueF() - from.blueF()) * amount);
}

} // namespace

FormGroup::FormGroup(QWidget* parent) : QWidget(parent), m_rows(new QVBoxLayout(this))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
}

void FormGroup::addRow(QLayout* content)
{
    if (m_rows->count() > 0) {
        auto* inset = new QHBoxLayout;
        inset->setContentsMargins(rowPadding, 0, rowPadding, 0);
        inset->addWidget(Style::divider(this, &FormGroup::lineColour));
        m_rows->addLayout(inset);
    }
    content->setContentsMargins(rowPadding, rowSpacing, rowPadding, rowSpacing);
    m_rows->addLayout(content);
}

void FormGroup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(lineColour(palette()), 1));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

// The text colour faintly over the panel: visible on light and dark panels alike.
QColor FormGroup::lineColour(const QPalette& palette)
{
    return mix(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.12);
}
