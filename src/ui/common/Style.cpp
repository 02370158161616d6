#include "ui/common/Style.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

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

namespace {

// Relative luminance and contrast ratio as the web's accessibility guidelines define them.
double luminance(const QColor& colour)
{
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const auto [darker, lighter] = std::minmax({luminance(a), luminance(b)});
    return (lighter + 0.05) / (darker + 0.05);
}

// `to` laid over `from` at `amount`, opaque.
QColor blend(const QColor& from, const QColor& to, qreal amount)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * amount),
                            float(from.greenF() + (to.greenF() - from.greenF()) * amount),
                            float(from.blueF() + (to.blueF() - from.blueF()) * amount));
}

// What small text needs against its background to stay readable.
constexpr double readableContrast = 4.5;

} // namespace

QColor secondary(const QPalette& palette, qreal opacity)
{
    // The palette's dimmed text as it shows on the window, darkened (or, on a dark window,
    // lightened) towards the full text colour until it reads on both the window and the base.
    const QColor window = palette.color(QPalette::Window);
    const QColor base = palette.color(QPalette::Base);
    const QColor placeholder = palette.color(QPalette::PlaceholderText);
    const QColor dimmed = blend(window, placeholder, placeholder.alphaF());
    QColor colour = palette.color(QPalette::WindowText);
    for (int step = 0; step < 20; ++step) {
        const QColor candidate = blend(dimmed, colour, step / 20.0);
        if (std::min(contrast(candidate, window), contrast(candidate, base)) >= readableContrast) {
            colour = candidate;
            break;
        }
    }
    colour.setAlphaF(float(opacity));
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
    QPalette palette = result->palette();
    palette.setColor(QPalette::PlaceholderText, secondary(palette));
    result->setPalette(palette);
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
