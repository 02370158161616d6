#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPalette;
class QPushButton;
class QScrollBar;
class QWidget;

// The text styles, colours and spacing that the whole user interface shares, so that every window
// agrees on what "caption" or "secondary" means.
namespace Style {

// Pixel sizes of the text styles, in proportion to 13 px body text.
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

// `base` at a pixel size, keeping its family, so the styles follow the application font.
QFont font(const QFont& base, int pixelSize, QFont::Weight weight = QFont::Normal);
// The system's fixed-pitch font at a pixel size.
QFont monospaced(int pixelSize);

// The secondary (dimmed) text colour, at `opacity`. Fully opaque, it keeps a contrast of at least
// 4.5:1 against both the palette's window and its base, so small captions stay readable.
QColor secondary(const QPalette& palette, qreal opacity = 1.0);

// A label that shows its text verbatim: never interpreted as markup.
QLabel* label(const QString& text, const QFont& font, const QString& objectName, QWidget* parent);
// The same in the secondary colour of the palette it has under `parent`.
QLabel* secondaryLabel(const QString& text, const QFont& font, const QString& objectName, QWidget* parent);

// A one-pixel horizontal rule.
QFrame* divider(QWidget* parent);
// The same in `colour`, for a surface where the usual shade would not stand out.
QFrame* divider(QWidget* parent, const QColor& colour);

// The prominent style, for the button a window most wants pressed: the accent colour behind light
// text, a shade deeper since styles lighten button fills.
void makeProminent(QPushButton* button);

// Some styles leave a button's title tight against its frame: this gives the title a little room
// either side, and the button at least `minimumWidth`. Called again after the title changes.
void giveTitleRoom(QPushButton* button, int minimumWidth = 0);

// A narrow vertical scroll bar without arrows: a rounded thumb on a clear track. Every scroll area
// of the program has it, so that all of them look alike.
void makeSlim(QScrollBar* scrollBar);

} // namespace Style
