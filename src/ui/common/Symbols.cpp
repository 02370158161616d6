#include "ui/common/Symbols.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <array>

namespace Symbols {

namespace {

const QString applicationIconName = QStringLiteral("app.quintara.Quintara");

// Pixel sizes offered by icon(); a QIcon picks the nearest one and scales only when none fits.
constexpr std::array iconSizes{16, 20, 24, 32, 44, 64};

// Symbols are drawn in pure black and nothing else, so every spelling of black is the ink to tint.
// The lookahead keeps "#000" from matching the start of a longer colour such as "#000080".
const QRegularExpression& inkPattern()
{
    static const QRegularExpression pattern(QStringLiteral("#000000(?![0-9a-f])|#000(?![0-9a-f])|\\bblack\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

QByteArray loadSvg(const QString& name)
{
    QFile file(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// An invalid `color` means "as drawn", which is how the application icon keeps its own colours.
QPixmap render(const QString& name, const QColor& color, int size, qreal devicePixelRatio)
{
    if (name.isEmpty() || size <= 0 || !(devicePixelRatio > 0)) {
        return {};
    }
    // QPixmapCache, like QPixmap itself, belongs to the GUI thread, and so do these functions.
    // The colour is part of the key with its alpha, so two tints differing only in opacity stay apart.
    const QString key = QStringLiteral("quintara.symbol/%1/%2/%3/%4")
                            .arg(name, color.isValid() ? color.name(QColor::HexArgb) : QStringLiteral("-"))
                            .arg(size)
                            .arg(devicePixelRatio);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) {
        return cached;
    }

    QByteArray svg = loadSvg(name);
    if (svg.isEmpty()) {
        return {};
    }
    if (color.isValid()) {
        svg = QString::fromUtf8(svg).replace(inkPattern(), color.name(QColor::HexRgb)).toUtf8();
    }
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        return {};
    }
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);

    const int pixels = qRound(size * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (color.isValid()) {
            painter.setOpacity(color.alphaF());
        }
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    image.setDevicePixelRatio(devicePixelRatio);

    QPixmap result = QPixmap::fromImage(std::move(image));
    QPixmapCache::insert(key, result);
    return result;
}

QIcon buildIcon(const QString& name, const QColor& color)
{
    QIcon result;
    for (int size : iconSizes) {
        const QPixmap image = render(name, color, size, 1.0);
        if (image.isNull()) {
            return {};
        }
        result.addPixmap(image);
    }
    return result;
}

} // namespace

QPixmap pixmap(const QString& name, const QColor& color, int size, qreal devicePixelRatio)
{
    return render(name, color, size, devicePixelRatio);
}

QIcon icon(const QString& name, const QColor& color)
{
    return buildIcon(name, color);
}

QPixmap applicationPixmap(int size, qreal devicePixelRatio)
{
    return render(applicationIconName, QColor(), size, devicePixelRatio);
}

QIcon applicationIcon()
{
    return buildIcon(applicationIconName, QColor());
}

} // namespace Symbols
