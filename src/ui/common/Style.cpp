#include "ui/common/Style.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace Style {

namespace {

qreal sizeOf(const QFont& font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
}

void resize(QFont& font, qreal factor)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    else
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * factor)));
}

// Keeps the text styles in proportion when the desktop's font size changes while the program runs:
// a font set on a widget does not follow the application font by itself, so each is scaled by the
// factor the application font changed by.
class FontFollower final : public QObject {
public:
    static void start()
    {
        static FontFollower* const follower = qApp ? new FontFollower : nullptr;
        Q_UNUSED(follower);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // Every widget hears of the change; the first to hear of it has them all rescaled.
        if (event->type() != QEvent::ApplicationFontChange)
            return false;
        const qreal now = sizeOf(QGuiApplication::font());
        if (now <= 0 || m_size <= 0 || qFuzzyCompare(now, m_size))
            return false;
        const qreal factor = now / m_size;
        m_size = now;
        for (QWidget* widget : QApplication::allWidgets()) {
            if (widget->testAttribute(Qt::WA_SetFont)) {
                QFont font = widget->font();
                resize(font, factor);
                widget->setFont(font);
            }
        }
        return false;
    }

private:
    FontFollower() : QObject(qApp), m_size(sizeOf(QGuiApplication::font())) { qApp->installEventFilter(this); }

    qreal m_size;
};

// `font` at `size` in proportion to the application font as `body` is.
void scale(QFont& font, int size)
{
    FontFollower::start();
    const QFont reference = QGuiApplication::font();
    if (reference.pointSizeF() > 0)
        font.setPointSizeF(reference.pointSizeF() * size / body);
    else
        font.setPixelSize(qMax(1, qRound(double(reference.pixelSize()) * size / body)));
}

// Re-applies a derivation when the palette a widget inherits changes. Its own change of the
// widget's palette comes back as a change event too, which it lets pass.
class PaletteFollower final : public QObject {
public:
    PaletteFollower(QWidget* widget, std::function<void(QWidget&)> apply)
        : QObject(widget), m_widget(widget), m_apply(std::move(apply))
    {
        reapply();
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_widget && (type == QEvent::PaletteChange || type == QEvent::ParentChange ||
                                    type == QEvent::ApplicationPaletteChange || type == QEvent::StyleChange))
            reapply();
        return false;
    }

private:
    void reapply()
    {
        if (m_applying)
            return;
        m_applying = true;
        m_apply(*m_widget);
        m_applying = false;
    }

    QWidget* m_widget;
    std::function<void(QWidget&)> m_apply;
    bool m_applying = false;
};

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

QFont font(const QFont& base, int size, QFont::Weight weight)
{
    QFont result = base;
    scale(result, size);
    result.setWeight(weight);
    return result;
}

QFont monospaced(int size)
{
    QFont result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    result.setStyleHint(QFont::Monospace);
    scale(result, size);
    return result;
}

QPalette inherited(const QWidget& widget)
{
    const QWidget* parent = widget.isWindow() ? nullptr : widget.parentWidget();
    return parent ? parent->palette() : QApplication::palette(&widget);
}

void follow(QWidget* widget, std::function<void(QWidget&)> apply)
{
    new PaletteFollower(widget, std::move(apply));
}

void derive(QWidget* widget, QPalette::ColorRole role, Derivation colour)
{
    follow(widget, [role, colour = std::move(colour)](QWidget& target) {
        QPalette palette = target.palette();
        palette.setColor(role, colour(inherited(target)));
        target.setPalette(palette);
    });
}

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

QColor readable(const QColor& colour, const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Window);
    const QColor base = palette.color(QPalette::Base);
    const bool dark = window.lightness() < 128;
    QColor result = colour;
    for (int step = 0; step < 20 && std::min(contrast(result, window), contrast(result, base)) < readableContrast;
         ++step)
        result = dark ? result.lighter(108) : result.darker(108);
    return result;
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
    derive(result, QPalette::PlaceholderText, [](const QPalette& palette) { return secondary(palette); });
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

QFrame* divider(QWidget* parent, Derivation colour)
{
    QFrame* line = divider(parent);
    line->setBackgroundRole(QPalette::Window);
    derive(line, QPalette::Window, std::move(colour));
    return line;
}

void makeProminent(QPushButton* button)
{
    follow(button, [](QWidget& target) {
        const QPalette from = inherited(target);
        const QColor text = from.color(QPalette::HighlightedText);
        // A fifth more than readable text needs, for the lighter top of a style's gradient fill.
        QColor fill = from.color(QPalette::Highlight);
        for (int step = 0; step < 12 && contrast(fill, text) < readableContrast * 1.2; ++step)
            fill = text.lightness() > 128 ? fill.darker(110) : fill.lighter(110);
        QPalette prominent = target.palette();
        prominent.setColor(QPalette::Button, fill);
        prominent.setColor(QPalette::ButtonText, text);
        prominent.setColor(QPalette::Highlight, text);
        target.setPalette(prominent);
    });
}

void giveTitleRoom(QPushButton* button, int minimumWidth)
{
    button->setMinimumWidth(qMax(minimumWidth, button->sizeHint().width() + 12));
}

void makeSlim(QScrollBar* scrollBar)
{
    follow(scrollBar, [](QWidget& target) {
        const QColor thumb = secondary(inherited(target), 0.8);
        const QString sheet =
            QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 0; }"
                           "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 24px;"
                           " margin: 2px; }"
                           "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
                           "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }")
                .arg(thumb.name(QColor::HexArgb));
        if (target.styleSheet() != sheet)
            target.setStyleSheet(sheet);
    });
}

} // namespace Style
