#include "document/jpegcodec.h"
#include "picturebytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QtTest>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

// Test pictures come from writers that are not the program's: Qt's JPEG writer, and libjpeg's
// compressor driven here for what Qt cannot write (CMYK, YCCK, arithmetic coding). Every decoded
// picture is compared with Qt's own JPEG reader, and its quarters with the colours it was made of.

using namespace picturebytes;

Q_DECLARE_METATYPE(PictureFault)

namespace {

struct Compression
{
    jpeg_error_mgr errors;
    std::jmp_buf jump;
    const QImage* picture;
    J_COLOR_SPACE stored; // JCS_YCbCr, JCS_CMYK or JCS_YCCK
    bool arithmetic;
    JSAMPLE* row;
    unsigned char* out;
    unsigned long outSize;
};

[[noreturn]] void onCompressError(j_common_ptr cinfo)
{
    std::longjmp(static_cast<Compression*>(cinfo->client_data)->jump, 1);
}

bool compress(jpeg_compress_struct* cinfo, Compression* job)
{
    if (setjmp(job->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, &job->out, &job->outSize);
    const bool cmyk = job->stored != JCS_YCbCr;
    cinfo->image_width = JDIMENSION(job->picture->width());
    cinfo->image_height = JDIMENSION(job->picture->height());
    cinfo->input_components = cmyk ? 4 : 3;
    cinfo->in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_colorspace(cinfo, job->stored);
    jpeg_set_quality(cinfo, 92, TRUE);
    cinfo->arith_code = job->arithmetic ? TRUE : FALSE;
    jpeg_start_compress(cinfo, TRUE);
    while (cinfo->next_scanline < cinfo->image_height) {
        JSAMPLE* sample = job->row;
        for (int x = 0; x < job->picture->width(); ++x) {
            const QRgb pixel = job->picture->pixel(x, int(cinfo->next_scanline));
            // Adobe's CMYK stores 255 minus the ink; the darkest channel becomes K.
            const int k = cmyk ? std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}) : 255;
            for (const int channel : {qRed(pixel), qGreen(pixel), qBlue(pixel)})
                *sample++ = JSAMPLE(k == 0 ? 255 : (channel * 255 + k / 2) / k);
            if (cmyk)
                *sample++ = JSAMPLE(k);
        }
        JSAMPROW rows[1] = {job->row};
        jpeg_write_scanlines(cinfo, rows, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

QByteArray libjpegJpeg(const QImage& picture, J_COLOR_SPACE stored, bool arithmetic = false)
{
    QByteArray row(qsizetype(picture.width()) * 4, Qt::Uninitialized);
    Compression job {};
    job.picture = &picture;
    job.stored = stored;
    job.arithmetic = arithmetic;
    job.row = reinterpret_cast<JSAMPLE*>(row.data());
    jpeg_compress_struct cinfo {};
    cinfo.err = jpeg_std_error(&job.errors);
    job.errors.error_exit = onCompressError;
    cinfo.client_data = &job;
    const bool written = compress(&cinfo, &job);
    jpeg_destroy_compress(&cinfo);
    const QByteArray bytes
        = written ? QByteArray(reinterpret_cast<const char*>(job.out), qsizetype(job.outSize)) : QByteArray();
    std::free(job.out);
    return bytes;
}

// The JPEG with an APP1 segment right after its start, where a camera puts its Exif data.
QByteArray withApp1(const QByteArray& jpeg, const QByteArray& data)
{
    const qsizetype length = data.size() + 2;
    return jpeg.left(2) + "\xff\xe1" + char(length >> 8) + char(length) + data + jpeg.mid(2);
}

// Exif data whose first directory holds one entry, the orientation tag (0x0112).
QByteArray exif(int orientation, bool intel = false, quint32 directory = 8, quint16 type = 3)
{
    QByteArray tiff = intel ? "II" : "MM";
    const auto put = [&](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            tiff += char(value >> (8 * (intel ? i : bytes - 1 - i)));
    };
    const std::pair<quint32, int> fields[]
        = {{42, 2}, {directory, 4}, {1, 2}, {0x0112, 2}, {type, 2}, {1, 4}, {quint32(orientation), 2}, {0, 2}, {0, 4}};
    for (const auto& [value, bytes] : fields)
        put(value, bytes);
    return QByteArray("Exif\0\0", 6) + tiff;
}

bool decode(const QByteArray& jpeg, QImage& image, QString* error, PictureFault* fault = nullptr)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    return readJpeg(buffer, image, error, fault);
}

// The largest difference of one channel from Qt's reader; decoders may round differently.
int differenceFromQt(const QImage& image, const QByteArray& jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setAutoTransform(true);
    const QImage qt = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (qt.size() != image.size())
        return 256;
    int worst = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            worst = std::max(worst, channelDistance(image.pixel(x, y), qt.pixel(x, y)));
    }
    return worst;
}

} // namespace

class TestJpegCodec : public QObject
{
    Q_OBJECT

private slots:
    void decodesLikeAnIndependentReader_data();
    void decodesLikeAnIndependentReader();
    void turnsPhotographsUpright_data();
    void turnsPhotographsUpright();
    void refusesBadStreams_data();
    void refusesBadStreams();
};

void TestJpegCodec::decodesLikeAnIndependentReader_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QImage>("source");

    const QImage colour = quarters(61, 45);
    const QImage grey = colour.convertToFormat(QImage::Format_Grayscale8);
    const QImage photo = quarters(1283, 967);
    QTest::newRow("baseline") << qtJpeg(colour) << colour;
    QTest::newRow("progressive") << qtJpeg(colour, true) << colour;
    QTest::newRow("greyscale") << qtJpeg(grey) << grey.convertToFormat(QImage::Format_ARGB32);
    QTest::newRow("greyscale progressive") << qtJpeg(grey, true) << grey.convertToFormat(QImage::Format_ARGB32);
    QTest::newRow("arithmetic coding") << libjpegJpeg(colour, JCS_YCbCr, true) << colour;
    QTest::newRow("CMYK, Adobe") << libjpegJpeg(colour, JCS_CMYK) << colour;
    QTest::newRow("YCCK") << libjpegJpeg(colour, JCS_YCCK) << colour;
    QTest::newRow("photograph size, progressive") << qtJpeg(photo, true) << photo;
    QTest::newRow("one pixel") << qtJpeg(quarters(1, 1)) << quarters(1, 1);
}

void TestJpegCodec::decodesLikeAnIndependentReader()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QImage, source);

    QImage image;
    QString error;
    QVERIFY2(decode(jpeg, image, &error), qPrintable(error));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    QCOMPARE(image.size(), source.size());
    QVERIFY(differenceFromQt(image, jpeg) <= 2);
    // Opaque: dropping the alpha channel changes nothing.
    QCOMPARE(image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32), image);
    // Both readers could agree on a wrong colour: the quarters must hold the picture's own.
    for (const bool left : {true, false}) {
        for (const bool top : {true, false})
            QVERIFY(channelDistance(quarterColour(image, left, top), quarterColour(source, left, top)) <= 24);
    }
}

void TestJpegCodec::turnsPhotographsUpright_data()
{
    QTest::addColumn<QByteArray>("app1");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRgb>("uprightTopLeft");
    QTest::addColumn<QRgb>("uprightTopRight");

    const QSize wide(40, 24);
    const QSize tall(24, 40);
    QTest::newRow("1 upright") << exif(1) << wide << topLeft << topRight;
    QTest::newRow("2 mirrored") << exif(2) << wide << topRight << topLeft;
    QTest::newRow("5 transposed") << exif(5) << tall << topLeft << bottomLeft;
    QTest::newRow("6 quarter clockwise") << exif(6) << tall << bottomLeft << topLeft;
    QTest::newRow("8 quarter anticlockwise") << exif(8) << tall << topRight << bottomRight;
    QTest::newRow("6, Intel byte order") << exif(6, true) << tall << bottomLeft << topLeft;
    QTest::newRow("no such orientation") << exif(9) << wide << topLeft << topRight;
    QTest::newRow("directory beyond the segment") << exif(6, false, 4000) << wide << topLeft << topRight;
    QTest::newRow("segment cut short") << exif(6).left(12) << wide << topLeft << topRight;
}

void TestJpegCodec::turnsPhotographsUpright()
{
    QFETCH(QByteArray, app1);
    QFETCH(QSize, size);
    QFETCH(QRgb, uprightTopLeft);
    QFETCH(QRgb, uprightTopRight);

    const QByteArray jpeg = withApp1(qtJpeg(quarters(40, 24)), app1);
    QImage image;
    QString error;
    QVERIFY2(decode(jpeg, image, &error), qPrintable(error));
    QCOMPARE(image.size(), size);
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    QVERIFY(channelDistance(quarterColour(image, true, true), uprightTopLeft) <= 24);
    QVERIFY(channelDistance(quarterColour(image, false, true), uprightTopRight) <= 24);
    QVERIFY(differenceFromQt(image, jpeg) <= 2);
}

void TestJpegCodec::refusesBadStreams_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<PictureFault>("fault");
    QTest::addColumn<QString>("errorPart");

    const QByteArray good = qtJpeg(quarters(64, 48));
    const QByteArray progressive = qtJpeg(quarters(64, 48), true);
    const qsizetype sof = markerAt(good, 0xc0);
    const qsizetype scan = markerAt(good, 0xda);
    const QByteArray halfScan = good.left(scan + (good.size() - scan) / 2);
    const qsizetype firstScan = markerAt(progressive, 0xda);
    const qsizetype lastScan = progressive.lastIndexOf("\xff\xda");
    // The last scan again and again, each one more pass over the whole picture.
    const QByteArray endless = progressive.chopped(2)
        + progressive.mid(lastScan, progressive.size() - 2 - lastScan).repeated(maxJpegScans) + "\xff\xd9";
    QByteArray badTable = good;
    badTable[markerAt(good, 0xdb) + 4] = char(0x0f); // quantisation table 15
    QByteArray twelveBits = good;
    twelveBits[sof + 4] = 12;
    QByteArray lossless = good;
    lossless[sof + 1] = char(0xc3);

    QTest::newRow("no bytes") << QByteArray() << PictureFault::Truncated << "end of data";
    QTest::newRow("text") << QByteArray("Hallo, ich bin kein Bild.") << PictureFault::NotThisFormat << "Not a JPEG";
    QTest::newRow("cut in the header") << good.left(sof + 6) << PictureFault::Truncated << "end of data";
    QTest::newRow("cut in the scan") << halfScan << PictureFault::Truncated << "end of data";
    QTest::newRow("end marker missing") << good.chopped(2) << PictureFault::Truncated << "end of data";
    QTest::newRow("progressive cut") << progressive.left(firstScan + (progressive.size() - firstScan) * 2 / 3)
                                     << PictureFault::Truncated << "end of data";
    // What other readers show with grey below the cut.
    QTest::newRow("cut, end marker appended") << halfScan + "\xff\xd9" << PictureFault::Damaged << "premature end";
    QTest::newRow("bad table number") << badTable << PictureFault::Damaged << "DQT";
    QTest::newRow("60000 x 60000") << withFrameSize(good, 60000, 60000) << PictureFault::TooLarge << "60000 x 60000";
    QTest::newRow("60000 x 60000 progressive")
        << withFrameSize(progressive, 60000, 60000) << PictureFault::TooLarge << "60000 x 60000";
    QTest::newRow("12 bits per sample") << twelveBits << PictureFault::Unsupported << "precision 12";
    QTest::newRow("lossless") << lossless << PictureFault::Unsupported << "SOF type 0xc3";
    QTest::newRow("endless scans") << endless << PictureFault::Damaged << "scans";
}

void TestJpegCodec::refusesBadStreams()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(PictureFault, fault);
    QFETCH(QString, errorPart);

    QImage image(3, 3, QImage::Format_ARGB32);
    QString error;
    PictureFault got = PictureFault::None;
    QVERIFY(!decode(jpeg, image, &error, &got));
    QVERIFY(image.isNull());
    QVERIFY2(error.startsWith(QLatin1String("JPEG: ")) && error.contains(errorPart), qPrintable(error));
    QCOMPARE(got, fault);
}

QTEST_GUILESS_MAIN(TestJpegCodec)
#include "tst_jpegcodec.moc"
