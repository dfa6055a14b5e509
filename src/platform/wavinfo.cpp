#include "platform/wavinfo.h"

#include <QFile>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace {

constexpr quint16 formatPcm = 0x0001;
constexpr quint16 formatFloat = 0x0003;
constexpr quint16 formatExtensible = 0xFFFE;

// The part of the "fmt " chunk that the playing time depends on.
struct WaveFormat
{
    quint32 sampleRate = 0;
    quint16 blockAlign = 0;
};

bool readExact(QIODevice& device, char* target, qint64 size)
{
    return device.read(target, size) == size;
}

// Moves past count bytes; returns how many were really there.
qint64 skipBytes(QIODevice& device, qint64 count)
{
    if (count <= 0)
        return 0;
    if (!device.isSequential()) {
        const qint64 present = std::min(count, std::max<qint64>(0, device.size() - device.pos()));
        return device.seek(device.pos() + present) ? present : 0;
    }
    const qint64 skipped = device.skip(count);
    return std::max<qint64>(0, skipped);
}

std::optional<WaveFormat> readFormat(QIODevice& device, quint32 chunkSize)
{
    // 16 bytes is the plain PCM layout; the extensible layout adds 24 more, of which the
    // sub-format's leading format code is all that matters here.
    if (chunkSize < 16)
        return std::nullopt;
    char fields[16];
    if (!readExact(device, fields, sizeof fields))
        return std::nullopt;
    quint16 format = qFromLittleEndian<quint16>(fields);
    const quint16 channels = qFromLittleEndian<quint16>(fields + 2);
    WaveFormat result;
    result.sampleRate = qFromLittleEndian<quint32>(fields + 4);
    result.blockAlign = qFromLittleEndian<quint16>(fields + 12);
    const quint16 bitsPerSample = qFromLittleEndian<quint16>(fields + 14);

    qint64 rest = qint64(chunkSize) - 16;
    if (format == formatExtensible) {
        char extension[10];
        if (chunkSize < 16 + 2 + 22 || !readExact(device, extension, sizeof extension))
            return std::nullopt;
        // cbSize, valid bits and channel mask come first, then the sub-format GUID.
        format = qFromLittleEndian<quint16>(extension + 8);
        rest -= qint64(sizeof extension);
    }
    if (skipBytes(device, rest) != rest)
        return std::nullopt;

    if ((format != formatPcm && format != formatFloat) || channels == 0 || bitsPerSample == 0 || result.sampleRate == 0
        || result.blockAlign == 0)
        return std::nullopt;
    return result;
}

} // namespace

std::optional<int> wavDurationMs(QIODevice& device)
{
    if (!device.isReadable())
        return std::nullopt;

    char riff[12];
    if (!readExact(device, riff, sizeof riff) || qstrncmp(riff, "RIFF", 4) != 0 || qstrncmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;
    // The size in the RIFF header is often wrong in files written by streaming recorders, so
    // the chunks are walked until the device ends instead.

    std::optional<WaveFormat> format;
    std::optional<qint64> dataBytes;
    char header[8];
    while (!(format && dataBytes) && readExact(device, header, sizeof header)) {
        const quint32 chunkSize = qFromLittleEndian<quint32>(header + 4);
        // Chunks start on even offsets: an odd-sized chunk is followed by one pad byte.
        const qint64 padding = chunkSize % 2;
        if (qstrncmp(header, "fmt ", 4) == 0) {
            if (format)
                return std::nullopt;
            format = readFormat(device, chunkSize);
            if (!format)
                return std::nullopt;
            skipBytes(device, padding);
        } else if (qstrncmp(header, "data", 4) == 0) {
            if (dataBytes)
                return std::nullopt;
            dataBytes = skipBytes(device, chunkSize);
            skipBytes(device, padding);
        } else if (skipBytes(device, chunkSize + padding) < chunkSize) {
            break;
        }
    }
    if (!format || !dataBytes)
        return std::nullopt;

    const qint64 frames = *dataBytes / format->blockAlign;
    const qint64 ms = (frames * 1000 + format->sampleRate - 1) / format->sampleRate;
    return int(std::min<qint64>(ms, std::numeric_limits<int>::max()));
}

std::optional<int> wavDurationMs(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return wavDurationMs(file);
}
