#include "platform/wavbuilder.h"
#include "platform/wavinfo.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace wavbuilder;

Q_DECLARE_METATYPE(std::optional<int>)

// A device that hands out its bytes without allowing seeks, like a pipe or a network stream.
class SequentialDevice : public QIODevice
{
public:
    explicit SequentialDevice(const QByteArray& bytes)
        : m_bytes(bytes)
    { }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_bytes.size() - m_offset + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 count = std::min(maxSize, qint64(m_bytes.size()) - m_offset);
        memcpy(data, m_bytes.constData() + m_offset, size_t(count));
        m_offset += count;
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_offset = 0;
};

class TestWavInfo : public QObject
{
    Q_OBJECT

private slots:
    void duration_data();
    void duration();
    void sequentialDevice();
    void filePath();
};

void TestWavInfo::duration_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::optional<int>>("expected");

    const QByteArray monoFmt = fmtChunk(1, 8000, 16);
    const QByteArray halfSecond = chunk("data", silence(500, 1, 8000, 16));
    const QByteArray list = chunk("LIST", QByteArray("INFOISFT\x05\0\0\0Test\0", 17));

    QTest::newRow("mono 16 bit") << riff(monoFmt + halfSecond) << std::optional(500);
    QTest::newRow("stereo 44.1 kHz") << riff(fmtChunk(2, 44100, 16) + chunk("data", silence(1000, 2, 44100, 16)))
                                     << std::optional(1000);
    QTest::newRow("float samples") << riff(
        chunk("fmt ", fmtBody(3, 1, 8000, 32)) + chunk("data", silence(250, 1, 8000, 32)))
                                   << std::optional(250);
    QTest::newRow("one frame rounds up") << riff(monoFmt + chunk("data", QByteArray(2, '\0'))) << std::optional(1);
    QTest::newRow("empty data") << riff(monoFmt + chunk("data", {})) << std::optional(0);
    QTest::newRow("chunk before fmt") << riff(list + monoFmt + halfSecond) << std::optional(500);
    QTest::newRow("chunk between fmt and data") << riff(monoFmt + list + halfSecond) << std::optional(500);
    QTest::newRow("data before fmt") << riff(halfSecond + monoFmt) << std::optional(500);
    QTest::newRow("odd-sized chunk padded") << riff(monoFmt + chunk("junk", "abc") + halfSecond) << std::optional(500);
    // WAVE_FORMAT_EXTENSIBLE: cbSize, valid bits, channel mask, then the sub-format GUID whose
    // first two bytes are the format code.
    const QByteArray guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    const QByteArray extensiblePcm = fmtBody(0xFFFE, 1, 8000, 16) + le16(22) + le16(16) + le32(4) + le16(1) + guidTail;
    QTest::newRow("extensible PCM") << riff(chunk("fmt ", extensiblePcm) + halfSecond) << std::optional(500);
    const QByteArray extensibleAdpcm
        = fmtBody(0xFFFE, 1, 8000, 16) + le16(22) + le16(16) + le32(4) + le16(2) + guidTail;
    QTest::newRow("extensible ADPCM") << riff(chunk("fmt ", extensibleAdpcm) + halfSecond) << std::optional<int>();
    // A size field larger than the file: only the bytes present can be played.
    QTest::newRow("data size beyond end")
        << riff(monoFmt + chunk("data", silence(500, 1, 8000, 16), 80000)) << std::optional(500);
    QTest::newRow("riff size beyond end")
        << (QByteArray("RIFF") + le32(1000000) + "WAVE" + monoFmt + halfSecond) << std::optional(500);
    QTest::newRow("fmt size beyond end") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 16), 4000)) << std::optional<int>();
    QTest::newRow("chunk size beyond end before data")
        << riff(monoFmt + chunk("LIST", "ab", 100000) + halfSecond) << std::optional<int>();

    QTest::newRow("empty") << QByteArray() << std::optional<int>();
    QTest::newRow("cut inside riff header") << riff(monoFmt + halfSecond).left(10) << std::optional<int>();
    QTest::newRow("cut inside fmt") << riff(monoFmt + halfSecond).left(12 + 8 + 10) << std::optional<int>();
    QTest::newRow("cut inside chunk header") << riff(monoFmt + halfSecond).left(12 + 24 + 5) << std::optional<int>();
    QTest::newRow("wrong magic RIFX") << "RIFX" + riff(monoFmt + halfSecond).mid(4) << std::optional<int>();
    QTest::newRow("wrong form type") << riff(monoFmt + halfSecond).replace("WAVE", "AVI ") << std::optional<int>();
    QTest::newRow("no data chunk") << riff(monoFmt + list) << std::optional<int>();
    QTest::newRow("no fmt chunk") << riff(list + halfSecond) << std::optional<int>();
    QTest::newRow("two fmt chunks") << riff(monoFmt + monoFmt + halfSecond) << std::optional<int>();
    QTest::newRow("fmt too short") << riff(chunk("fmt ", fmtBody(1, 1, 8000, 16).left(14)) + halfSecond)
                                   << std::optional<int>();
    QTest::newRow("compressed format") << riff(chunk("fmt ", fmtBody(2, 1, 8000, 4)) + halfSecond)
                                       << std::optional<int>();
    QTest::newRow("zero sample rate") << riff(chunk("fmt ", fmtBody(1, 1, 0, 16)) + halfSecond) << std::optional<int>();
    QTest::newRow("zero channels") << riff(chunk("fmt ", fmtBody(1, 0, 8000, 16)) + halfSecond) << std::optional<int>();
}

void TestWavInfo::duration()
{
    QFETCH(QByteArray, bytes);
    QFETCH(std::optional<int>, expected);

    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(wavDurationMs(buffer), expected);
}

void TestWavInfo::sequentialDevice()
{
    SequentialDevice device(
        riff(fmtChunk(1, 8000, 16) + chunk("LIST", "abc") + chunk("data", silence(300, 1, 8000, 16))));
    QVERIFY(device.open(QIODevice::ReadOnly));
    QCOMPARE(wavDurationMs(device), std::optional(300));

    SequentialDevice overlong(riff(fmtChunk(1, 8000, 16) + chunk("data", silence(300, 1, 8000, 16), 0x7FFFFFFF)));
    QVERIFY(overlong.open(QIODevice::ReadOnly));
    QCOMPARE(wavDurationMs(overlong), std::optional(300));

    SequentialDevice cut(riff(fmtChunk(1, 8000, 16) + chunk("data", silence(300, 1, 8000, 16))).left(30));
    QVERIFY(cut.open(QIODevice::ReadOnly));
    QCOMPARE(wavDurationMs(cut), std::optional<int>());
}

void TestWavInfo::filePath()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString good = dir.filePath("Richtig1.wav");
    QVERIFY(writeFile(good, silentWave(750)));
    QCOMPARE(wavDurationMs(good), std::optional(750));

    QCOMPARE(wavDurationMs(dir.filePath("fehlt.wav")), std::optional<int>());
    QCOMPARE(wavDurationMs(dir.path()), std::optional<int>());
}

QTEST_GUILESS_MAIN(TestWavInfo)
#include "tst_wavinfo.moc"
