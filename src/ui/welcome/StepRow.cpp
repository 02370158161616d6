#include "ui/welcome/StepRow.h"

#include "ui/common/Style.h"
#include "ui/common/Symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int badgeSize = 30;
constexpr int badgeSpacing = 14;
constexpr int glyphSize = 14;
// The drawn symbols leave a margin inside their square; at this size the check mark itself is about
// as tall as the 14 px digits of the other badges.
constexpr int checkmarkSize = 18;

// The platform's "success" green: bright enough to read as done, dark enough for a white mark.
const QColor completeColor(0x30, 0xB0, 0x50);

} // namespace

StepRow::StepRow(Step step, QWidget* parent)
    : QWidget(parent), m_title(Style::label(QString(), Style::font(font(), Style::headline, QFont::DemiBold),
                                            QStringLiteral("stepTitle"), this)),
      m_description(Style::secondaryLabel(QString(), Style::font(font(), Style::subheadline),
                                          QStringLiteral("stepDescription"), this)),
      m_text(new QVBoxLayout), m_buttonBar(new QWidget(this)), m_button(new QPushButton(m_buttonBar))
{
    // Titles wrap too: a longer language must not cut one off at the row's edge.
    m_title->setWordWrap(true);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_button->setObjectName(QStringLiteral("stepButton"));
    m_button->setAttribute(Qt::WA_MacSmallSize); // the small control size, in styles that have one
    m_button->setFont(Style::font(font(), Style::caption));
    connect(m_button, &QPushButton::clicked, this, &StepRow::runAction);
    // The button's own 4 px above come on top of the column's spacing, and go away with the button.
    auto* buttonLayout = new QHBoxLayout(m_buttonBar);
    buttonLayout->setContentsMargins(0, 4, 0, 0);
    buttonLayout->addWidget(m_button);
    buttonLayout->addStretch(1);

    m_text->setContentsMargins(0, 0, 0, 0);
    m_text->setSpacing(4);
    m_text->addWidget(m_title);
    m_text->addWidget(m_description);
    m_text->addWidget(m_buttonBar);

    // The badge is painted, not laid out: the left margin keeps its place. The text column takes the
    // rest of the row, so the descriptions wrap at the row's width and stay at its leading edge.
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(badgeSize + badgeSpacing, 0, 0, 0);
    row->setSpacing(0);
    row->addLayout(m_text, 1);

    setMinimumHeight(badgeSize);
    setStep(std::move(step));
}

void StepRow::setStep(Step step)
{
    m_step = std::move(step);
    m_title->setText(m_step.title);
    m_description->setText(m_step.description);
    const bool hasButton = m_step.actionLabel && m_step.action;
    m_button->setText(m_step.actionLabel.value_or(QString()));
    Style::giveTitleRoom(m_button);
    m_buttonBar->setVisible(hasButton);
    update();
}

void StepRow::setContent(QWidget* content)
{
    content->setParent(this);
    m_text->insertWidget(m_text->indexOf(m_buttonBar), content);
    // Shown above the step's button, so reached by Tab before it: after the content's last control.
    QWidget* last = content;
    for (QWidget* next = content->nextInFocusChain(); content->isAncestorOf(next); next = next->nextInFocusChain())
        last = next;
    QWidget::setTabOrder(last, m_button);
}

void StepRow::runAction()
{
    // A copy: the action may change this step, and with it m_step.action, while it runs.
    const std::function<void()> action = m_step.action;
    if (action)
        action();
}

void StepRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF badge(0, 0, badgeSize, badgeSize);
    const QColor accent = palette().color(QPalette::Highlight);
    const bool complete = m_step.isComplete.value_or(false);

    QColor fill = complete ? completeColor : accent;
    if (!complete)
        fill.setAlphaF(0.18f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(badge);

    if (!complete) {
        painter.setPen(accent);
        painter.setFont(Style::font(font(), glyphSize, QFont::Bold));
        painter.drawText(badge, Qt::AlignCenter, QString::number(m_step.number));
        return;
    }
    const QPixmap check = Symbols::pixmap(QStringLiteral("checkmark"), Qt::white, checkmarkSize, devicePixelRatioF());
    if (!check.isNull()) {
        const QRectF target(badge.center() - QPointF(checkmarkSize / 2.0, checkmarkSize / 2.0),
                            QSizeF(checkmarkSize, checkmarkSize));
        painter.drawPixmap(target, check, check.rect());
        return;
    }
    // Without the drawn symbol, a stroked check stands in, so a done step never shows an empty circle.
    QPainterPath mark;
    const QPointF c = badge.center();
    mark.moveTo(c + QPointF(-5.0, 0.5));
    mark.lineTo(c + QPointF(-1.5, 4.0));
    mark.lineTo(c + QPointF(5.0, -4.0));
    painter.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mark);
}
