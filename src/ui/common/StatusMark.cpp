#include "ui/common/StatusMark.h"

#include <QPalette>

namespace StatusMark {

QString symbol(bool done)
{
    return done ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("exclamationmark.triangle.fill");
}

QColor colour(bool done, const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    if (done)
        return dark ? QColor(0x32, 0xD7, 0x4B) : QColor(0x1E, 0x8E, 0x3E);
    return dark ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xC8, 0x5F, 0x00);
}

} // namespace StatusMark
