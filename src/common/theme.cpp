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

// Whether every pixel of area has the same colour.
bool isUniform(const QImage& image, const QRect& area)
{
    const QRgb first = image.pixel(area.topLeft());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
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

void drawNineSlice(QPainter& painter, const QRect& target, const QImage& texture)
{
    painter.fillRect(target, pixelOr(texture, border, border));
    if (texture.width() <= 2 * border || texture.height() <= 2 * border)
        return;

    const int tw = texture.width(), th = texture.height();
    const int x = target.x(), y = target.y(), w = target.width(), h = target.height();
    const int innerTw = tw - 2 * border, innerTh = th - 2 * border;
    const int innerW = qMax(0, w - 2 * border), innerH = qMax(0, h - 2 * border);

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Corners, unscaled.
    painter.drawImage(QPoint(x, y), texture, QRect(0, 0, border, border));
    painter.drawImage(QPoint(x + w - border, y), texture, QRect(tw - border, 0, border, border));
    painter.drawImage(QPoint(x, y + h - border), texture, QRect(0, th - border, border, border));
    painter.drawImage(QPoint(x + w - border, y + h - border), texture, QRect(tw - border, th - border, border, border));
    if (innerW > 0) {
        painter.drawImage(QRect(x + border, y, innerW, border), texture, QRect(border, 0, innerTw, border));
        painter.drawImage(
            QRect(x + border, y + h - border, innerW, border), texture, QRect(border, th - border, innerTw, border));
    }
    if (innerH > 0) {
        painter.drawImage(QRect(x, y + border, border, innerH), texture, QRect(0, border, border, innerTh));
        painter.drawImage(
            QRect(x + w - border, y + border, border, innerH), texture, QRect(tw - border, border, border, innerTh));
    }
    if (innerW > 0 && innerH > 0) {
        const QRect centre(x + border, y + border, innerW, innerH);
        const QRect source(border, border, innerTw, innerTh);
        // Stretching a plain centre over a whole window would filter every pixel for one colour.
        if (isUniform(texture, source))
            painter.fillRect(centre, texture.pixelColor(source.topLeft()));
        else
            painter.drawImage(centre, texture, source);
    }
    painter.restore();
}

QImage paintNineSlice(const QSize& size, const QImage& texture)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawNineSlice(painter, image.rect(), texture);
    return image;
}
