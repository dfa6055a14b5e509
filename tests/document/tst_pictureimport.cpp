#include "document/pictureimport.h"
#include "picturebytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <zlib.h>

// A teacher picks a picture file for a new topic: whatever the file holds, the import either
// gives the picture or a German message that names the file and says why not.

using namespace picturebytes;

Q_DECLARE_METATYPE(PictureImport::Failure)

namespace {

using Failure = PictureImport::Failure;

QByteArray qtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The PNG with its header chunk declaring another size, its CRC made right again.
QByteArray pngWithSize(QByteArray png, quint32 width, quint32 height)
{
    constexpr qsizetype ihdrType = 12;
    constexpr qsizetype ihdrData = 16;
    constexpr qsizetype ihdrCrc = 29;
    qToBigEndian(width, png.data() + ihdrData);
    qToBigEndian(height, png.data() + ihdrData + 4);
    const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + ihdrType), 4 + 13));
    qToBigEndian(crc, png.data() + ihdrCrc);
    return png;
}

} // namespace

class TestPictureImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsByContent_data();
    void readsByContent();
    void fileProblems();
    void scaleOffer_data();
    void scaleOffer();

private:
    QTemporaryDir m_folder;
};

void TestPictureImport::initTestCase()
{
    QVERIFY(m_folder.isValid());
}

void TestPictureImport::readsByContent_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("reason");

    const QByteArray jpeg = qtJpeg(quarters(64, 48));
    const QByteArray png = qtPng(quarters(64, 48));
    QByteArray badCrc = png;
    badCrc[17] = char(badCrc[17] ^ 0x01);
    QByteArray twelveBits = jpeg;
    twelveBits[markerAt(jpeg, 0xc0) + 4] = 12;
    const qsizetype scan = markerAt(jpeg, 0xda);
    const QByteArray halfScan = jpeg.left(scan + (jpeg.size() - scan) / 2);

    QTest::newRow("JPEG") << "foto.jpg" << jpeg << Failure::None << QString();
    QTest::newRow("JPEG named .png") << "foto.png" << jpeg << Failure::None << QString();
    QTest::newRow("PNG named .jpg") << "bild.jpg" << png << Failure::None << QString();

    QTest::newRow("zero bytes") << "leer.jpg" << QByteArray() << Failure::Empty << "leer";
    QTest::newRow("text named .jpg") << "Übung 1.jpg" << QByteArray("Hallo Welt\r\n") << Failure::NotAPicture
                                     << "kein Bild im Format PNG oder JPEG";
    QTest::newRow("JPEG cut") << "abgeschnitten.jpg" << halfScan << Failure::Truncated << "JPEG-Bild ist unvollständig";
    QTest::newRow("PNG cut") << "abgeschnitten.png" << png.left(png.size() - 20) << Failure::Truncated
                             << "PNG-Bild ist unvollständig";
    QTest::newRow("JPEG cut, end marker appended")
        << "grau.jpg" << halfScan + QByteArray("\xff\xd9", 2) << Failure::Damaged << "JPEG-Bild ist beschädigt";
    QTest::newRow("PNG header CRC") << "kaputt.png" << badCrc << Failure::Damaged << "PNG-Bild ist beschädigt";
    QTest::newRow("JPEG 60000 x 60000") << "riesig.jpg" << withFrameSize(jpeg, 60000, 60000) << Failure::TooLarge
                                        << "100 Millionen Bildpunkte";
    QTest::newRow("PNG 20000 x 20000") << "riesig.png" << pngWithSize(png, 20000, 20000) << Failure::TooLarge
                                       << "100 Millionen Bildpunkte";
    QTest::newRow("PNG 2000000 x 1") << "streifen.png" << pngWithSize(png, 2'000'000, 1) << Failure::TooLarge
                                     << "1.000.000 Bildpunkte je Seite";
    QTest::newRow("12-bit JPEG") << "medizin.jpg" << twelveBits << Failure::Unsupported
                                 << "JPEG-Bild wird nicht unterstützt";
}

void TestPictureImport::readsByContent()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(Failure, failure);
    QFETCH(QString, reason);

    const QString path = m_folder.filePath(fileName);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();

    const PictureImport result = importPicture(path);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.ok(), failure == Failure::None);
    if (!result.ok()) {
        QVERIFY(result.image.isNull());
        QVERIFY2(result.message.contains(u'"' + path + u'"'), qPrintable(result.message));
        QVERIFY2(result.message.contains(reason), qPrintable(result.message));
        return;
    }
    QVERIFY(result.message.isEmpty());
    QCOMPARE(result.image.format(), QImage::Format_ARGB32);
    const QImage expected = quarters(64, 48);
    // A PNG is lossless; a JPEG comes close at the centres of the quarters.
    if (bytes.startsWith("\x89PNG")) {
        QCOMPARE(result.image, expected);
        return;
    }
    QCOMPARE(result.image.size(), expected.size());
    for (const bool left : {true, false}) {
        for (const bool top : {true, false})
            QVERIFY(channelDistance(quarterColour(result.image, left, top), quarterColour(expected, left, top)) <= 24);
    }
}

void TestPictureImport::fileProblems()
{
    const QString missing = m_folder.filePath(QStringLiteral("fehlt.jpg"));
    PictureImport result = importPicture(missing);
    QCOMPARE(result.failure, Failure::Missing);
    QVERIFY(result.message.contains(QStringLiteral("\"%1\" existiert nicht").arg(missing)));

    const QString folder = m_folder.filePath(QStringLiteral("ordner.jpg"));
    QVERIFY(QDir().mkdir(folder));
    result = importPicture(folder);
    QCOMPARE(result.failure, Failure::CannotOpen);
    QVERIFY(result.message.contains(QStringLiteral("\"%1\" kann nicht gelesen werden").arg(folder)));

    // A sparse file: the size alone refuses it, nothing of it is read.
    const QString huge = m_folder.filePath(QStringLiteral("riesig.jpg"));
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("\xff\xd8\xff", 3) == 3);
    QVERIFY(file.resize(maxPictureFileBytes + 1));
    file.close();
    result = importPicture(huge);
    QCOMPARE(result.failure, Failure::FileTooLarge);
    QVERIFY(result.message.contains(u'"' + huge + u'"'));
    QVERIFY(result.message.contains(QStringLiteral("höchstens 256 MB")));
    QFile::remove(huge);
}

void TestPictureImport::scaleOffer_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QSize>("scaled");

    QTest::newRow("1999 wide") << QSize(1999, 1200) << false << QSize();
    QTest::newRow("2000 wide") << QSize(2000, 1200) << false << QSize();
    QTest::newRow("2000 tall") << QSize(1200, 2000) << false << QSize();
    QTest::newRow("2001 wide") << QSize(2001, 1200) << true << QSize(2000, 1199);
    QTest::newRow("2001 tall") << QSize(1200, 2001) << true << QSize(1199, 2000);
    QTest::newRow("square") << QSize(2300, 2300) << true << QSize(2000, 2000);
    QTest::newRow("thin strip") << QSize(6000, 2) << true << QSize(2000, 1);
    QTest::newRow("one-pixel column") << QSize(1, 6000) << true << QSize(1, 2000);
}

void TestPictureImport::scaleOffer()
{
    QFETCH(QSize, size);
    QFETCH(bool, offered);
    QFETCH(QSize, scaled);

    QCOMPARE(offersScaleDown(size), offered);
    if (!offered)
        return;
    const QImage smaller = scaledToLongSide(quarters(size.width(), size.height()), offeredLongSide);
    QCOMPARE(smaller.size(), scaled);
    QCOMPARE(smaller.format(), QImage::Format_ARGB32);
    // The quarters stay where they were, in their colours (a strip one pixel thin mixes them).
    if (scaled.width() > 1 && scaled.height() > 1) {
        QCOMPARE(quarterColour(smaller, true, true), topLeft);
        QCOMPARE(quarterColour(smaller, false, false), bottomRight);
    }
}

QTEST_GUILESS_MAIN(TestPictureImport)
#include "tst_pictureimport.moc"
