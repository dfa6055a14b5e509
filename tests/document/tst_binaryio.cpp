#include "document/binaryio.h"

#include "support/failingdevice.h"

#include <QBuffer>
#include <QTest>
#include <QtEndian>

#include <bit>
#include <functional>
#include <limits>

namespace {

// In-memory data behind a device that can pass for a pipe (sequential, size unknown) and can
// hand out its bytes a few at a time, as pipes and sockets do. It remembers the largest read
// it was asked for, which shows how much memory the reader set aside.
class MemoryDevice final : public QIODevice
{
public:
    MemoryDevice(const QByteArray& data, bool sequential, qint64 maxPerRead = std::numeric_limits<qint64>::max())
        : m_data(data)
        , m_sequential(sequential)
        , m_maxPerRead(maxPerRead)
    {
        // Unbuffered, so every read request of the reader reaches readData() as it was made.
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    bool isSequential() const override { return m_sequential; }
    qint64 size() const override { return m_sequential ? 0 : m_data.size(); }
    qint64 largestRequest() const { return m_largestRequest; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        m_largestRequest = std::max(m_largestRequest, maxSize);
        const qint64 count = std::min({maxSize, m_maxPerRead, qint64(m_data.size()) - m_offset});
        if (count <= 0)
            return m_sequential ? -1 : 0;
        memcpy(data, m_data.constData() + m_offset, size_t(count));
        m_offset += count;
        return count;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    bool m_sequential;
    qint64 m_maxPerRead;
    qint64 m_offset = 0;
    qint64 m_largestRequest = 0;
};

QByteArray int32Bytes(qint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray written(const std::function<void(BinaryWriter&)>& write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    BinaryWriter writer(buffer);
    write(writer);
    return writer.ok() ? buffer.data() : QByteArray("writer failed");
}

} // namespace

class TestBinaryIo : public QObject
{
    Q_OBJECT

private slots:
    void int32Layout_data();
    void int32Layout();
    void doubleBitExact_data();
    void doubleBitExact();
    void stringLayout_data();
    void stringLayout();
    void truncatedData_data();
    void truncatedData();
    void failureIsFinal();
    void badCount_data();
    void badCount();
    void countExactlyToTheEnd_data();
    void countExactlyToTheEnd();
    void sequentialLongText();
    void writeFailsAfterBytes_data();
    void writeFailsAfterBytes();
    void writerStopsAfterFailure();
};

void TestBinaryIo::int32Layout_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one") << 1 << QByteArray::fromHex("01000000");
    QTest::newRow("byte order") << 0x12345678 << QByteArray::fromHex("78563412");
    QTest::newRow("minus one") << -1 << QByteArray::fromHex("ffffffff");
    QTest::newRow("largest") << std::numeric_limits<qint32>::max() << QByteArray::fromHex("ffffff7f");
    QTest::newRow("smallest") << std::numeric_limits<qint32>::min() << QByteArray::fromHex("00000080");
}

void TestBinaryIo::int32Layout()
{
    QFETCH(qint32, value);
    QFETCH(QByteArray, bytes);
    QCOMPARE(written([&](BinaryWriter& w) { w.writeInt32(value); }), bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryReader reader(buffer);
    QCOMPARE(reader.readInt32(), value);
    QVERIFY(reader.ok());
}

void TestBinaryIo::doubleBitExact_data()
{
    QTest::addColumn<quint64>("bits");
    QTest::newRow("one") << std::bit_cast<quint64>(1.0);
    QTest::newRow("negative zero") << std::bit_cast<quint64>(-0.0);
    QTest::newRow("smallest denormal") << std::bit_cast<quint64>(std::numeric_limits<double>::denorm_min());
    QTest::newRow("largest denormal") << quint64(0x000fffffffffffffULL);
    QTest::newRow("largest") << std::bit_cast<quint64>(std::numeric_limits<double>::max());
    QTest::newRow("minus infinity") << std::bit_cast<quint64>(-std::numeric_limits<double>::infinity());
    QTest::newRow("quiet NaN with payload") << quint64(0x7ff8000000000123ULL);
    QTest::newRow("signalling NaN") << quint64(0x7ff0000000000001ULL);
    QTest::newRow("negative NaN") << quint64(0xfff80000deadbeefULL);
    QTest::newRow("an OLE date") << std::bit_cast<quint64>(46218.604166666664);
}

void TestBinaryIo::doubleBitExact()
{
    QFETCH(quint64, bits);
    QByteArray expected(8, Qt::Uninitialized);
    qToLittleEndian(bits, expected.data());
    QByteArray bytes = written([&](BinaryWriter& w) { w.writeDouble(std::bit_cast<double>(bits)); });
    QCOMPARE(bytes, expected);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryReader reader(buffer);
    QCOMPARE(std::bit_cast<quint64>(reader.readDouble()), bits);
    QVERIFY(reader.ok());
}

void TestBinaryIo::stringLayout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack");
    QTest::newRow("empty") << QString() << QByteArray::fromHex("00000000") << QString();
    QTest::newRow("ASCII") << QStringLiteral("ALF-1.01") << QByteArray("\x08\0\0\0ALF-1.01", 12)
                           << QStringLiteral("ALF-1.01");
    QTest::newRow("German") << QStringLiteral("Größe")
                            << QByteArray::fromHex("05000000"
                                                   "4772f6df65")
                            << QStringLiteral("Größe");
    QTest::newRow("typographic") << QStringLiteral("„5 €“")
                                 << QByteArray::fromHex("05000000"
                                                        "8435208093")
                                 << QStringLiteral("„5 €“");
    QTest::newRow("line break kept") << QStringLiteral("a\r\nb")
                                     << QByteArray::fromHex("04000000"
                                                            "610d0a62")
                                     << QStringLiteral("a\r\nb");
    QTest::newRow("not in the code page") << QStringLiteral("łx")
                                          << QByteArray::fromHex("02000000"
                                                                 "3f78")
                                          << QStringLiteral("?x");
}

void TestBinaryIo::stringLayout()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readBack);
    QCOMPARE(written([&](BinaryWriter& w) { w.writeString(text); }), bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryReader reader(buffer);
    QCOMPARE(reader.readString(), readBack);
    QVERIFY(reader.ok());
    QVERIFY(buffer.atEnd());
}

void TestBinaryIo::truncatedData_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("item");
    QTest::newRow("int, nothing") << QByteArray() << QStringLiteral("int");
    QTest::newRow("int, three bytes") << QByteArray::fromHex("010203") << QStringLiteral("int");
    QTest::newRow("double, seven bytes") << QByteArray::fromHex("00000000000000") << QStringLiteral("double");
    QTest::newRow("text, half a count") << QByteArray::fromHex("0500") << QStringLiteral("text");
    QTest::newRow("text, short body") << QByteArray::fromHex("05000000"
                                                             "414243")
                                      << QStringLiteral("text");
    QTest::newRow("bytes, one short") << QByteArray::fromHex("41424344") << QStringLiteral("five bytes");
}

void TestBinaryIo::truncatedData()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, item);
    for (const bool sequential : {false, true}) {
        MemoryDevice device(bytes, sequential);
        BinaryReader reader(device);
        if (item == u"int")
            QCOMPARE(reader.readInt32(), 0);
        else if (item == u"double")
            QCOMPARE(reader.readDouble(), 0.0);
        else if (item == u"text")
            QCOMPARE(reader.readString(), QString());
        else
            QCOMPARE(reader.readBytes(5), QByteArray());
        QVERIFY2(!reader.ok(), sequential ? "sequential" : "random access");
    }
}

void TestBinaryIo::failureIsFinal()
{
    // A bad count, then perfectly good data: once failed, the reader reads nothing more.
    QByteArray bytes = int32Bytes(-3) + int32Bytes(42) + int32Bytes(7);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    BinaryReader reader(buffer);
    QCOMPARE(reader.readString(), QString());
    QVERIFY(!reader.ok());
    const qint64 where = buffer.pos();
    QCOMPARE(reader.readInt32(), 0);
    QCOMPARE(reader.readDouble(), 0.0);
    QCOMPARE(reader.readBytes(4), QByteArray());
    QVERIFY(!reader.ok());
    QCOMPARE(buffer.pos(), where);
}

void TestBinaryIo::badCount_data()
{
    QTest::addColumn<qint32>("count");
    QTest::addColumn<bool>("sequential");
    const QList<std::pair<const char*, qint32>> counts = {
        {"minus one", -1},
        {"most negative", std::numeric_limits<qint32>::min()},
        {"one more than there is", 11},
        {"huge", std::numeric_limits<qint32>::max()},
    };
    for (const auto& [name, count] : counts) {
        QTest::addRow("%s, file", name) << count << false;
        QTest::addRow("%s, pipe", name) << count << true;
    }
}

void TestBinaryIo::badCount()
{
    QFETCH(qint32, count);
    QFETCH(bool, sequential);
    MemoryDevice device(int32Bytes(count) + QByteArray(10, 'x'), sequential);
    BinaryReader reader(device);
    QCOMPARE(reader.readString(), QString());
    QVERIFY(!reader.ok());
    // A device of known size is not even asked for the text; a pipe is read in bounded steps
    // (the 4 bytes of the count, then at most one step of text).
    QCOMPARE_LE(device.largestRequest(), sequential ? qint64(1024 * 1024) : qint64(4));
}

void TestBinaryIo::countExactlyToTheEnd_data()
{
    QTest::addColumn<bool>("sequential");
    QTest::addColumn<qint64>("maxPerRead");
    QTest::newRow("file") << false << std::numeric_limits<qint64>::max();
    QTest::newRow("pipe") << true << std::numeric_limits<qint64>::max();
    QTest::newRow("pipe, a few bytes at a time") << true << qint64(3);
}

void TestBinaryIo::countExactlyToTheEnd()
{
    QFETCH(bool, sequential);
    QFETCH(qint64, maxPerRead);
    MemoryDevice device(int32Bytes(10) + QByteArray("Kartoffeln") + int32Bytes(-7), sequential, maxPerRead);
    BinaryReader reader(device);
    QCOMPARE(reader.readString(), QStringLiteral("Kartoffeln"));
    QCOMPARE(reader.readInt32(), -7);
    QVERIFY(reader.ok());
}

void TestBinaryIo::sequentialLongText()
{
    // Longer than one read step, so the text is put together from several.
    QByteArray text(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = char('a' + i % 26);
    MemoryDevice device(int32Bytes(qint32(text.size())) + text, true);
    BinaryReader reader(device);
    const QString read = reader.readString();
    QVERIFY(reader.ok());
    QCOMPARE(read.size(), text.size());
    QVERIFY(read == QLatin1String(text));
}

void TestBinaryIo::writeFailsAfterBytes_data()
{
    // The record: int 7, text "Öl" (4 + 2 bytes), double 0.5: 18 bytes.
    QTest::addColumn<qint64>("capacity");
    for (const qint64 capacity : {0, 1, 4, 5, 9, 10, 17})
        QTest::addRow("%lld bytes", capacity) << capacity;
    QTest::newRow("just enough") << qint64(18);
}

void TestBinaryIo::writeFailsAfterBytes()
{
    QFETCH(qint64, capacity);
    const auto record = [](BinaryWriter& w) {
        w.writeInt32(7);
        w.writeString(QStringLiteral("Öl"));
        w.writeDouble(0.5);
    };
    const QByteArray whole = written(record);
    QCOMPARE(whole.size(), 18);
    FailingDevice device(capacity);
    BinaryWriter writer(device);
    record(writer);
    QCOMPARE(writer.ok(), capacity >= whole.size());
    QCOMPARE(device.data(), whole.left(capacity));
}

void TestBinaryIo::writerStopsAfterFailure()
{
    FailingDevice device(2);
    BinaryWriter writer(device);
    writer.writeInt32(0x01020304);
    QVERIFY(!writer.ok());
    const int calls = device.writeCalls();
    device.setCapacity(100);
    writer.writeInt32(5);
    writer.writeString(QStringLiteral("danach"));
    writer.writeBytes("xyz");
    QVERIFY(!writer.ok());
    QCOMPARE(device.writeCalls(), calls);
    QCOMPARE(device.data(), QByteArray::fromHex("0403"));
}

QTEST_GUILESS_MAIN(TestBinaryIo)
#include "tst_binaryio.moc"
