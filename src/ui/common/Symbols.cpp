#include "ui/common/Symbols.h"

// Placeholder until the drawn icons land; replaced by the real renderer.
namespace Symbols {

QPixmap pixmap(const QString&, const QColor&, int, qreal)
{
    return {};
}

QIcon icon(const QString&, const QColor&)
{
    return {};
}

QPixmap applicationPixmap(int, qreal)
{
    return {};
}

QIcon applicationIcon()
{
    return {};
}

} // namespace Symbols
