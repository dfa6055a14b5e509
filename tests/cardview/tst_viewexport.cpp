#include "cardview/viewexport.h"
#include "common/filemessages.h"
#include "support/failingdevice.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include <cstdlib>

// Saved views are checked with decoders that share no code with the writers: Qt's image
// plugins and ImageMagick.

namespace {

const QString imageMagick = QStringLiteral("/usr/bin/convert");
const QString imageMagickIdentify = QStringLiteral("/usr/bin/identify");

const QColor quadrantColours[4] = {{200, 30, 40}, {30, 160, 60}, {20, 40, 210}, {250, 240, 90}};

// Four flat quadrants (so that JPEG's blocks are uniform around their centres) and two
// single-pixel marks in opposite corners, which catch flipped or shifted rows in the exact formats.
QImage testPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int quadrant = (x >= width / 2 ? 1 : 0) + (y >= height / 2 ? 2 : 0);
            picture.setPixelColor(x, y, quadrantColours[quadrant]);
        }
    }
    picture.setPixelColor(0, 0, QColor(1, 2, 3));
    picture.setPixelColor(width - 1, height - 1, QColor(254, 253, 252));
    return picture;
}

QList<QPoint> quadrantCentres(const QSize& size)
{
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    return {{w / 2, h / 2}, {w + w / 2, h / 2}, {w / 2, h + h / 2}, {w + w / 2, h + h / 2}};
}

// ImageMagick's decoding of path as 8-bit RGB; a null image when it fails.
QImage decodeWithImageMagick(const QString& path)
{
    QProcess process;
    process.start(imageMagick, {path, QStringLiteral("-depth"), QStringLiteral("8"), QStringLiteral("ppm:-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    const QByteArray ppm = process.readAllStandardOutput();
    // "P6" width height maxval, separated by single whitespace characters in ImageMagick's output.
    const QList<QByteArray> fields = ppm.left(64).simplified().split(' ');
    if (fields.size() < 4 || fields.at(0) != "P6" || fields.at(3) != "255")
        return {};
    const int width = fields.at(1).toInt();
    const int height = fields.at(2).toInt();
    qsizetype offset = 0;
    for (int i = 0; i < 4; ++i) {
        while (offset < ppm.size() && QChar::isSpace(uchar(ppm.at(offset))))
            ++offset;
        while (offset < ppm.size() && !QChar::isSpace(uchar(ppm.at(offset))))
            ++offset;
    }
    ++offset;
    if (width <= 0 || height <= 0 || ppm.size() - offset != qsizetype(width) * height * 3)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    const auto* sample = reinterpret_cast<const uchar*>(ppm.constData() + offset);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, sample += 3)
            image.setPixel(x, y, qRgb(sample[0], sample[1], sample[2]));
    }
    return image;
}

// Empty when decoded matches the picture (all pixels exactly, or the quadrant centres within
// tolerance); otherwise the first difference.
QString compareWithPicture(const QImage& decoded, const QImage& picture, int tolerance)
{
    if (decoded.size() != picture.size())
        return QStringLiteral("size %1 x %2").arg(decoded.width()).arg(decoded.height());
    const auto differs = [&](int x, int y) {
        const QRgb a = decoded.pixel(x, y);
        const QRgb b = picture.pixel(x, y);
        if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance
            || std::abs(qBlue(a) - qBlue(b)) > tolerance)
            return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                .arg(x)
                .arg(y)
                .arg(QColor(a).name(), QColor(b).name());
        return QString();
    };
    if (tolerance > 0) {
        for (const QPoint& point : quadrantCentres(picture.size())) {
            if (const QString difference = differs(point.x(), point.y()); !difference.isEmpty())
                return difference;
        }
        return {};
    }
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (const QString difference = differs(x, y); !difference.isEmpty())
                return difference;
        }
    }
    return {};
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

Q_DECLARE_METATYPE(ViewImageFormat)

class TestViewExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void extensionPicksFormat_data();
    void extensionPicksFormat();
    void independentDecoders_data();
    void independentDecoders();
    void failingDevice_data();
    void failingDevice();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
    QTemporaryDir m_dir;
};

void TestViewExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestViewExport::extensionPicksFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ViewImageFormat>("format");
    QTest::addColumn<QByteArray>("magic");

    QTest::newRow(".png") << "a.png" << ViewImageFormat::Png << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow(".PNG") << "b.PNG" << ViewImageFormat::Png << QByteArray("\x89PNG\r\n\x1a\n");
    QTest::newRow(".jpg") << "c.jpg" << ViewImageFormat::Jpeg << QByteArray("\xff\xd8\xff");
    QTest::newRow(".JPG") << "d.JPG" << ViewImageFormat::Jpeg << QByteArray("\xff\xd8\xff");
    QTest::newRow(".bmp") << "e.bmp" << ViewImageFormat::Bmp << QByteArray("BM");
    QTest::newRow(".Bmp, two dots") << "f.jpg.Bmp" << ViewImageFormat::Bmp << QByteArray("BM");
    QTest::newRow(".gif") << "g.gif" << ViewImageFormat::Unknown << QByteArray();
    QTest::newRow(".jpeg") << "h.jpeg" << ViewImageFormat::Unknown << QByteArray();
    QTest::newRow("no extension") << "i" << ViewImageFormat::Unknown << QByteArray();
    QTest::newRow("trailing dot") << "j." << ViewImageFormat::Unknown << QByteArray();
    QTest::newRow("extension on the folder") << "k.png/bild" << ViewImageFormat::Unknown << QByteArray();
}

void TestViewExport::extensionPicksFormat()
{
    QFETCH(QString, name);
    QFETCH(ViewImageFormat, format);
    QFETCH(QByteArray, magic);

    const QString path = m_dir.filePath(name);
    QCOMPARE(viewImageFormatForPath(path), format);

    QString message;
    if (format == ViewImageFormat::Unknown) {
        QVERIFY(!saveViewImage(testPicture(8, 6), path, &message));
        QCOMPARE(message, QStringLiteral("Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung."));
        QVERIFY(!QFileInfo::exists(path));
        return;
    }
    // An existing file is replaced by the new picture.
    QVERIFY(writeFile(path, "old contents"));
    QVERIFY2(saveViewImage(testPicture(8, 6), path, &message), qPrintable(message));
    QVERIFY(readAll(path).startsWith(magic));
}

void TestViewExport::independentDecoders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QByteArray>("quality"); // ImageMagick's estimate of a JPEG's quality

    QTest::newRow("png") << "view.png" << QSize(50, 34) << 0 << QByteArray();
    QTest::newRow("jpg, quality 99") << "view.jpg" << QSize(50, 34) << 6 << QByteArray("99");
    // Rows of 150 and of 3 bytes need two and one bytes of padding.
    QTest::newRow("bmp, padded rows") << "view.bmp" << QSize(50, 34) << 0 << QByteArray();
    QTest::newRow("bmp, one pixel") << "dot.bmp" << QSize(1, 1) << 0 << QByteArray();
    QTest::newRow("bmp, no padding") << "wide.bmp" << QSize(64, 5) << 0 << QByteArray();
}

void TestViewExport::independentDecoders()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(int, tolerance);
    QFETCH(QByteArray, quality);

    const QImage picture = testPicture(size.width(), size.height());
    const QString path = m_dir.filePath(name);
    QString message;
    QVERIFY2(saveViewImage(picture, path, &message), qPrintable(message));

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage byQt = reader.read();
    QVERIFY2(!byQt.isNull(), qPrintable(reader.errorString()));
    const QString qtDifference = compareWithPicture(byQt, picture, tolerance);
    QVERIFY2(qtDifference.isEmpty(), qPrintable(QStringLiteral("Qt: ") + qtDifference));

    if (!QFileInfo(imageMagick).isExecutable())
        QSKIP("ImageMagick is not installed");
    const QImage byImageMagick = decodeWithImageMagick(path);
    QVERIFY(!byImageMagick.isNull());
    const QString magickDifference = compareWithPicture(byImageMagick, picture, tolerance);
    QVERIFY2(magickDifference.isEmpty(), qPrintable(QStringLiteral("ImageMagick: ") + magickDifference));

    if (!quality.isEmpty()) {
        QProcess identify;
        identify.start(imageMagickIdentify, {QStringLiteral("-format"), QStringLiteral("%Q"), path});
        QVERIFY(identify.waitForFinished(30000));
        QCOMPARE(identify.readAllStandardOutput().trimmed(), quality);
    }
}

void TestViewExport::failingDevice_data()
{
    QTest::addColumn<ViewImageFormat>("format");
    QTest::addColumn<qint64>("missing"); // bytes the device lacks for the whole file; -1 takes nothing

    for (const ViewImageFormat format : {ViewImageFormat::Jpeg, ViewImageFormat::Bmp}) {
        const char* name = format == ViewImageFormat::Jpeg ? "jpg" : "bmp";
        QTest::addRow("%s, nothing taken", name) << format << qint64(-1);
        QTest::addRow("%s, half taken", name) << format << qint64(0);
        // The last byte goes out when the writer finishes, after all pixels.
        QTest::addRow("%s, last byte refused", name) << format << qint64(1);
    }
}

void TestViewExport::failingDevice()
{
    QFETCH(ViewImageFormat, format);
    QFETCH(qint64, missing);

    // A picture large enough for JPEG to fill its output buffer several times.
    QImage picture(600, 400, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb((x * 7) & 0xff, (y * 13) & 0xff, (x * y) & 0xff));
    }
    const auto write = [&](QIODevice& device) {
        return format == ViewImageFormat::Jpeg ? writeJpeg(device, picture, 99) : writeBmp(device, picture);
    };
    QBuffer whole;
    whole.open(QIODevice::WriteOnly);
    QVERIFY(write(whole));
    const qint64 size = whole.data().size();

    const qint64 capacity = missing < 0 ? 0 : missing == 0 ? size / 2 : size - missing;
    FailingDevice device(capacity);
    QVERIFY(!write(device));
    QCOMPARE(device.data(), whole.data().left(capacity));
}

void TestViewExport::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("failure");

    QTest::newRow("path below a regular file") << "below file";
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("picture too wide for JPEG") << "too wide";
    QTest::newRow("empty picture") << "empty";
}

void TestViewExport::failedSaveKeepsOldFile()
{
    QFETCH(QString, failure);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray oldContents = "the picture saved before";
    QString oldPath = dir.filePath(QStringLiteral("view.jpg"));
    QVERIFY(writeFile(oldPath, oldContents));
    QString path = oldPath;
    QImage picture = testPicture(8, 6);

    if (failure == QLatin1String("below file")) {
        path = oldPath + QStringLiteral("/view.png");
    } else if (failure == QLatin1String("read-only")) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else if (failure == QLatin1String("too wide")) {
        picture = QImage(65501, 1, QImage::Format_ARGB32);
        picture.fill(Qt::white);
    } else {
        picture = QImage();
    }

    QString message;
    const bool saved = saveViewImage(picture, path, &message);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!saved);
    QCOMPARE(message, fileUnwritableText(path));
    QCOMPARE(readAll(oldPath), oldContents);
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("view.jpg")});
}

QTEST_GUILESS_MAIN(TestViewExport)
#include "tst_viewexport.moc"
