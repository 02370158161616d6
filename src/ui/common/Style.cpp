#include "ui/common/Style.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

namespace Style {

QFont font(const QFont& base, int pixelSize, QFont::Weight weight)
{
    QFont result = base;
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    return result;
}

QFont monospaced(int pixelSize)
{
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result.setStyleHint(QFont::Monospace);
    result.setPixelSize(pixelSize);
    return result;
}

QColor secondary(const QPalette& palette, qreal opacity)
{
    QColor colour = palette.color(QPalette::PlaceholderText);
    colour.setAlphaF(colour.alphaF() * opacity);
    return colour;
}

QLabel* label(const QString& text, const QFont& font, const QString& objectName, QWidget* parent)
{
    auto* result = new QLabel(text, parent);
    result->setObjectName(objectName);
    result->setFont(font);
    result->setTextFormat(Qt::PlainText);
    return result;
}

QLabel* secondaryLabel(const QString& text, const QFont& font, const QString& objectName, QWidget* parent)
{
    QLabel* result = label(text, font, objectName, parent);
    result->setForegroundRole(QPalette::PlaceholderText);
    return result;
}

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Midlight);
    return line;
}

QFrame* divider(QWidget* parent, const QColor& colour)
{
    QFrame* line = divider(parent);
    line->setBackgroundRole(QPalette::Window);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

void makeProminent(QPushButton* button)
{
    QPalette prominent = button->palette();
    prominent.setColor(QPalette::Button, prominent.color(QPalette::Highlight).darker(115));
    prominent.setColor(QPalette::ButtonText, prominent.color(QPalette::HighlightedText));
    button->setPalette(prominent);
}

void giveTitleRoom(QPushButton* button, int minimumWidth)
{
    button->setMinimumWidth(qMax(minimumWidth, button->sizeHint().width() + 12));
}

void makeSlim(QScrollBar* scrollBar)
{
    const QColor thumb = secondary(scrollBar->palette(), 0.8);
    scrollBar->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 24px;"
                       " margin: 2px; }"
                       "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                       "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
            .arg(thumb.name(QColor::HexArgb)));
}

} // namespace Style
