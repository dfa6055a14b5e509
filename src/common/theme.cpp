#include "theme.h"

#include <QPainter>

namespace {

constexpr int border = 30;

QColor pixelOr(const QImage& image, int x, int y)
{
    if (!image.valid(x, y))
        return QColor(128, 128, 128);
    return image.pixelColor(x, y);
}

} // namespace

ThemeColours ThemeColours::fromTextures(const QImage& texture1, const QImage& texture2)
{
    return {pixelOr(texture1, 0, 0), pixelOr(texture1, border, border), pixelOr(texture2, border, border)};
}

const ThemeTextures& ThemeTextures::builtIn()
{
    static const ThemeTextures textures {QImage(QStringLiteral(":/textures/texture1.png")),
        QImage(QStringLiteral(":/textures/texture2.png")), QImage(QStringLiteral(":/textures/texture1title.png"))};
    return textures;
}

const ThemeColours& theme()
{
    static const ThemeColours colours
        = ThemeColours::fromTextures(ThemeTextures::builtIn().texture1, ThemeTextures::builtIn().texture2);
    return colours;
}

QImage paintNineSlice(const QSize& size, const QImage& texture)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    image.fill(pixelOr(texture, border, border));
    if (texture.width() <= 2 * border || texture.height() <= 2 * border)
        return image;

    const int tw = texture.width(), th = texture.height();
    const int w = image.width(), h = image.height();
    const int innerTw = tw - 2 * border, innerTh = th - 2 * border;
    const int innerW = qMax(0, w - 2 * border), innerH = qMax(0, h - 2 * border);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Corners, unscaled.
    painter.drawImage(QPoint(0, 0), texture, QRect(0, 0, border, border));
    painter.drawImage(QPoint(w - border, 0), texture, QRect(tw - border, 0, border, border));
    painter.drawImage(QPoint(0, h - border), texture, QRect(0, th - border, border, border));
    painter.drawImage(QPoint(w - border, h - border), texture, QRect(tw - border, th - border, border, border));
    if (innerW > 0) {
        painter.drawImage(QRect(border, 0, innerW, border), texture, QRect(border, 0, innerTw, border));
        painter.drawImage(
            QRect(border, h - border, innerW, border), texture, QRect(border, th - border, innerTw, border));
    }
    if (innerH > 0) {
        painter.drawImage(QRect(0, border, border, innerH), texture, QRect(0, border, border, innerTh));
        painter.drawImage(
            QRect(w - border, border, border, innerH), texture, QRect(tw - border, border, border, innerTh));
    }
    if (innerW > 0 && innerH > 0)
        painter.drawImage(QRect(border, border, innerW, innerH), texture, QRect(border, border, innerTw, innerTh));
    return image;
}
