#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The symbol images and the application icon, drawn for the project as SVG and compiled in
// (":/icons/<name>.svg"). Symbols are single-colour shapes tinted at draw time.
namespace Symbols {

// `name` is the symbol's name, such as "checkmark" or "gearshape.fill". A null pixmap for an
// unknown name. `size` is in device-independent pixels.
QPixmap pixmap(const QString& name, const QColor& color, int size, qreal devicePixelRatio = 1.0);
QIcon icon(const QString& name, const QColor& color);

// The application's own icon, full colour.
QPixmap applicationPixmap(int size, qreal devicePixelRatio = 1.0);
QIcon applicationIcon();

} // namespace Symbols
