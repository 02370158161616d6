#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

// The text styles, colours and spacing that the whole user interface shares, so that every window
// agrees on what "caption" or "secondary" means.
namespace Style {

// Sizes of the text styles as ratios to body text at 13: body text is the desktop's own font size,
// and every other style is scaled from it.
inline constexpr int largeTitle = 26;
inline constexpr int title1 = 22;
inline constexpr int title2 = 17;
inline constexpr int title3 = 15;
inline constexpr int body = 13;
inline constexpr int caption = 11;
inline constexpr int caption2 = 10;
inline constexpr int headline = 13;
inline constexpr int subheadline = 12;
inline constexpr int footnote = 11;

// The space a padded stack keeps from its edges when no amount is given.
inline constexpr int padding = 16;

// `base` in one of the text styles above, keeping its family: `size` against the application
// font's size as 13 against it, so that the desktop's font size setting scales every style.
QFont font(const QFont& base, int size, QFont::Weight weight = QFont::Normal);
// The system's fixed-pitch font in one of the text styles.
QFont monospaced(int size);

// The secondary (dimmed) text colour, at `opacity`. Fully opaque, it keeps a contrast of at least
// 4.5:1 against both the palette's window and its base, so small captions stay readable.
QColor secondary(const QPalette& palette, qreal opacity = 1.0);

// The palette `widget` inherits: its parent's, or the application's for a window.
QPalette inherited(const QWidget& widget);
// Runs `apply` on `widget` now, and again whenever the palette it inherits changes (the desktop
// switching between light and dark while the program runs), so that colours derived from the
// palette stay derived from the current one rather than the one there was at the start.
void follow(QWidget* widget, std::function<void(QWidget&)> apply);
// `role` of `widget`'s palette, as `colour` derives it from the palette the widget inherits.
using Derivation = std::function<QColor(const QPalette&)>;
void derive(QWidget* widget, QPalette::ColorRole role, Derivation colour);

// `colour` deepened on a light window, or brightened on a dark one, until text in it keeps a contrast
// of at least 4.5:1 against both the palette's window and its base.
QColor readable(const QColor& colour, const QPalette& palette);

// A label that shows its text verbatim: never interpreted as markup.
QLabel* label(const QString& text, const QFont& font, const QString& objectName, QWidget* parent);
// The same in the secondary colour of the palette it has under `parent`.
QLabel* secondaryLabel(const QString& text, const QFont& font, const QString& objectName, QWidget* parent);

// A one-pixel horizontal rule.
QFrame* divider(QWidget* parent);
// The same in a colour of its own, for a surface where the usual shade would not stand out.
QFrame* divider(QWidget* parent, Derivation colour);

// The prominent style, for the button a window most wants pressed: the accent colour behind light
// text, deepened until the text reads on it with room to spare, since styles lighten button fills;
// its focus ring drawn in the text colour, which the accent fill would hide.
void makeProminent(QPushButton* button);

// Some styles leave a button's title tight against its frame: this gives the title a little room
// either side, and the button at least `minimumWidth`. Called again after the title changes.
void giveTitleRoom(QPushButton* button, int minimumWidth = 0);

// A narrow vertical scroll bar without arrows: a rounded thumb on a clear track. Every scroll area
// of the program has it, so that all of them look alike.
void makeSlim(QScrollBar* scrollBar);

} // namespace Style
