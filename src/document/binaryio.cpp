#include "binaryio.h"

#include "platform/cp1252.h"

#include <QIODevice>
#include <QtEndian>

#include <bit>
#include <limits>

namespace {

// The step by which a text of unknown true length grows while it is read from a sequential
// device: a false length costs at most this much memory beyond the data that is really there.
constexpr qint64 sequentialStep = 1024 * 1024;

} // namespace

BinaryReader::BinaryReader(QIODevice& device)
    : m_device(device)
{ }

void BinaryReader::fail()
{
    m_ok = false;
}

bool BinaryReader::readExactly(char* data, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        const qint64 got = m_device.read(data + done, count - done);
        if (got <= 0) {
            fail();
            return false;
        }
        done += got;
    }
    return true;
}

qint32 BinaryReader::readInt32()
{
    char bytes[4];
    if (!m_ok || !readExactly(bytes, sizeof bytes))
        return 0;
    return qFromLittleEndian<qint32>(bytes);
}

double BinaryReader::readDouble()
{
    char bytes[8];
    if (!m_ok || !readExactly(bytes, sizeof bytes))
        return 0;
    return std::bit_cast<double>(qFromLittleEndian<quint64>(bytes));
}

QString BinaryReader::readString()
{
    const qint32 count = readInt32();
    const QByteArray bytes = readBytes(count);
    return m_ok ? fromCp1252(bytes) : QString();
}

QByteArray BinaryReader::readBytes(qint64 count)
{
    if (!m_ok)
        return {};
    if (count < 0) {
        fail();
        return {};
    }
    if (count == 0)
        return {};
    if (m_device.isSequential())
        return readSequential(count);
    if (count > m_device.size() - m_device.pos()) {
        fail();
        return {};
    }
    QByteArray bytes(count, Qt::Uninitialized);
    if (!readExactly(bytes.data(), count))
        return {};
    return bytes;
}

QByteArray BinaryReader::readSequential(qint64 count)
{
    QByteArray bytes;
    qint64 done = 0;
    while (done < count) {
        const qint64 step = std::min(sequentialStep, count - done);
        // Reserving the exact size keeps the array from doubling its capacity on its own.
        bytes.reserve(done + step);
        bytes.resize(done + step);
        if (!readExactly(bytes.data() + done, step))
            return {};
        done += step;
    }
    return bytes;
}

BinaryWriter::BinaryWriter(QIODevice& device)
    : m_device(device)
{ }

void BinaryWriter::writeRaw(const char* data, qint64 count)
{
    qint64 done = 0;
    while (m_ok && done < count) {
        const qint64 written = m_device.write(data + done, count - done);
        if (written <= 0)
            m_ok = false;
        else
            done += written;
    }
}

void BinaryWriter::writeInt32(qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    writeRaw(bytes, sizeof bytes);
}

void BinaryWriter::writeDouble(double value)
{
    char bytes[8];
    qToLittleEndian(std::bit_cast<quint64>(value), bytes);
    writeRaw(bytes, sizeof bytes);
}

void BinaryWriter::writeString(const QString& text)
{
    const QByteArray bytes = toCp1252(text);
    // A count the field cannot hold would make the rest of the file unreadable.
    if (bytes.size() > std::numeric_limits<qint32>::max()) {
        m_ok = false;
        return;
    }
    writeInt32(qint32(bytes.size()));
    writeBytes(bytes);
}

void BinaryWriter::writeBytes(const QByteArray& bytes)
{
    writeRaw(bytes.constData(), bytes.size());
}
