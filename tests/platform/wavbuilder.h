#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

// Builds small wave files for the tests, chunk by chunk, so that tests can also make the broken
// ones: chunks out of order, odd sizes, size fields that lie.
namespace wavbuilder {

inline QByteArray le16(quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 2);
}

inline QByteArray le32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    return QByteArray(bytes, 4);
}

// A chunk whose size field says declaredSize (by default the true size), with the pad byte
// that an odd size needs.
inline QByteArray chunk(const char* id, const QByteArray& body, qint64 declaredSize = -1)
{
    QByteArray bytes = QByteArray(id, 4) + le32(quint32(declaredSize < 0 ? body.size() : declaredSize)) + body;
    if (body.size() % 2 != 0)
        bytes += '\0';
    return bytes;
}

inline QByteArray fmtBody(quint16 format, quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 blockAlign = quint16(channels * ((bits + 7) / 8));
    return le16(format) + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign) + le16(bits);
}

inline QByteArray fmtChunk(quint16 channels, quint32 rate, quint16 bits)
{
    return chunk("fmt ", fmtBody(1, channels, rate, bits));
}

// The frames of silence for ms milliseconds at the given format.
inline QByteArray silence(int ms, quint16 channels, quint32 rate, quint16 bits)
{
    return QByteArray(qsizetype(qint64(rate) * ms / 1000) * channels * ((bits + 7) / 8), '\0');
}

inline QByteArray riff(const QByteArray& chunks)
{
    return QByteArray("RIFF") + le32(quint32(4 + chunks.size())) + QByteArray("WAVE") + chunks;
}

// A playable mono 16-bit wave of ms milliseconds of silence at 8000 Hz.
inline QByteArray silentWave(int ms)
{
    return riff(fmtChunk(1, 8000, 16) + chunk("data", silence(ms, 1, 8000, 16)));
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace wavbuilder
