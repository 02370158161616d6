#include "ui/common/StatusMark.h"

#include "ui/common/Style.h"

#include <QPalette>

namespace StatusMark {

QString symbol(bool done)
{
    return done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.triangle.fill");
}

QColor colour(bool done, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    // The status title is text in this colour, so it is kept readable on whatever the desktop's window is.
    if (done)
        return Style::readable(dark ? QColor(0x32, 0xD7, 0x4B) : QColor(0x1E, 0x8E, 0x3E), palette);
    return Style::readable(dark ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xC8, 0x5F, 0x00), palette);
}

} // namespace StatusMark
