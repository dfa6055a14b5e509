#pragma once

// Topic files put together byte by byte, without the program's own writer, so that the reader
// is checked against the file layout itself.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QtEndian>

struct ZepBytes
{
    QByteArray bytes;

    ZepBytes& int32(qint32 value)
    {
        char raw[4];
        qToLittleEndian(value, raw);
        bytes.append(raw, 4);
        return *this;
    }
    ZepBytes& real(double value)
    {
        char raw[8];
        qToLittleEndian(value, raw);
        bytes.append(raw, 8);
        return *this;
    }
    // A text item: byte count, then the bytes as given (Windows-1252 already).
    ZepBytes& text(const QByteArray& raw)
    {
        int32(qint32(raw.size()));
        bytes.append(raw);
        return *this;
    }
    ZepBytes& raw(const QByteArray& raw)
    {
        bytes.append(raw);
        return *this;
    }
    // One object record; the page number only when the key list names it.
    ZepBytes& record(double sx, double sy, double kx, double ky, const QByteArray& commaText, qint32 kausr,
        qint32 tausr, qint32 ebene, qint32 typ, qint32 sline, qint32 fsize, qint32 kausrAkt,
        std::optional<qint32> frageNummer)
    {
        real(sx).real(sy).real(kx).real(ky).text(commaText);
        int32(kausr).int32(tausr).int32(ebene).int32(typ).int32(sline).int32(fsize).int32(kausrAkt);
        if (frageNummer)
            int32(*frageNummer);
        return *this;
    }
};

// A small picture with distinct pixels, as a PNG datastream written by Qt.
inline QImage fixturePicture()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(1, 0, QColor(0, 255, 0));
    image.setPixelColor(2, 0, QColor(0, 0, 255));
    image.setPixelColor(0, 1, QColor(255, 255, 255));
    image.setPixelColor(1, 1, QColor(0, 0, 0));
    image.setPixelColor(2, 1, QColor(10, 20, 30, 128));
    return image;
}

inline QByteArray fixturePng()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    fixturePicture().save(&buffer, "PNG");
    return png;
}
