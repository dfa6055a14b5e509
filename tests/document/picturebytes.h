#pragma once

// Test pictures for the JPEG reader and the picture import: four flat coloured quarters (so that
// JPEG's losses stay small at their centres), JPEGs of them from Qt's writer, and the byte
// surgery that turns a good JPEG into a hostile one.

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <algorithm>
#include <cstdlib>

namespace picturebytes {

inline const QRgb topLeft = qRgb(220, 30, 30);
inline const QRgb topRight = qRgb(30, 200, 60);
inline const QRgb bottomLeft = qRgb(40, 60, 210);
inline const QRgb bottomRight = qRgb(240, 220, 40);

inline QImage quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool left = x < width / 2;
            image.setPixel(x, y, y < height / 2 ? (left ? topLeft : topRight) : (left ? bottomLeft : bottomRight));
        }
    }
    return image;
}

inline QRgb quarterColour(const QImage& picture, bool left, bool top)
{
    return picture.pixel(picture.width() * (left ? 1 : 3) / 4, picture.height() * (top ? 1 : 3) / 4);
}

inline int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
        std::abs(qAlpha(a) - qAlpha(b))});
}

inline QByteArray qtJpeg(const QImage& image, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(90);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image) ? bytes : QByteArray();
}

// Where the first marker with this code stands at or after from; only for markers before the
// scan data, and for SOS, which entropy-coded data never holds.
inline qsizetype markerAt(const QByteArray& jpeg, uchar code, qsizetype from = 0)
{
    const char marker[2] = {char(0xff), char(code)};
    return jpeg.indexOf(QByteArrayView(marker, 2), from);
}

// The JPEG with its frame header declaring another size, for which no pixel data follows.
inline QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = std::max(markerAt(jpeg, 0xc0), markerAt(jpeg, 0xc2));
    const char size[4] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return jpeg.replace(sof + 5, 4, size, 4);
}

} // namespace picturebytes
