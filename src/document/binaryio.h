#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

// The one reader and the one writer of every binary file of the program (topic documents,
// high-score lists, the network settings file): little-endian 32-bit integers, 8-byte IEEE
// doubles and texts as a 32-bit byte count followed by that many Windows-1252 bytes.
// Both work in one pass from the device's current position and never seek.

// Reads from an open device. The first failure (short data, a read error of the device, a
// negative text length or one longer than the data) makes ok() false for good; from then on
// every read returns 0 or an empty value without touching the device, so a caller can read a
// whole record and check ok() once at its end.
//
// No read allocates more than the data actually holds: on a device of known size (a file, a
// buffer) a length beyond what remains fails before any allocation; on a sequential device
// (a pipe, a socket) the bytes are taken in bounded steps, so that a false length fails when
// the data ends. The reader takes what the device has and does not wait for more to arrive.
class BinaryReader
{
public:
    explicit BinaryReader(QIODevice& device);

    bool ok() const { return m_ok; }

    qint32 readInt32();
    // Bit for bit, NaN payloads and negative zero included.
    double readDouble();
    // A 32-bit byte count, then the Windows-1252 bytes.
    QString readString();
    // Exactly count bytes, or an empty array and a failure.
    QByteArray readBytes(qint64 count);

    QIODevice& device() const { return m_device; }

private:
    bool readExactly(char* data, qint64 count);
    QByteArray readSequential(qint64 count);
    void fail();

    QIODevice& m_device;
    bool m_ok = true;
};

// Writes to an open device. The first short or failed write makes ok() false for good and
// nothing further is written, so what reaches the device is always a prefix of what was asked.
// A buffered device may take bytes it later fails to store: the caller checks the device's own
// flush or commit (or opens it unbuffered) before believing a write.
class BinaryWriter
{
public:
    explicit BinaryWriter(QIODevice& device);

    bool ok() const { return m_ok; }

    void writeInt32(qint32 value);
    void writeDouble(double value);
    // Windows-1252; characters the code page lacks are written as '?'.
    void writeString(const QString& text);
    void writeBytes(const QByteArray& bytes);

    QIODevice& device() const { return m_device; }

private:
    void writeRaw(const char* data, qint64 count);

    QIODevice& m_device;
    bool m_ok = true;
};
