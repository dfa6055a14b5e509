// The program's generated content: the pixels the theme reads from the textures, the cursors'
// hot spots, the icons, the start pictures, the feedback sounds and the help page.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>
#include <QtEndian>

#include <png.h>

#include <optional>
#include <vector>

namespace {

const QString binDir = QStringLiteral(TALLOWMERE_BIN_DIR);

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

struct WaveInfo
{
    quint16 format = 0;
    quint16 channels = 0;
    quint32 sampleRate = 0;
    quint32 byteRate = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
    QByteArray data;
};

// Walks the RIFF chunks the way a tolerant player does, so that a missing or misplaced
// chunk, or a size that runs past the end of the file, fails here rather than in the program.
std::optional<WaveInfo> parseWave(const QByteArray& file, QString* problem)
{
    const auto u16 = [&file](qsizetype at) { return qFromLittleEndian<quint16>(file.constData() + at); };
    const auto u32 = [&file](qsizetype at) { return qFromLittleEndian<quint32>(file.constData() + at); };
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE") {
        *problem = QStringLiteral("keine RIFF/WAVE-Kopfzeile");
        return std::nullopt;
    }
    if (u32(4) != quint32(file.size() - 8)) {
        *problem = QStringLiteral("RIFF-Größe %1 passt nicht zur Dateigröße %2").arg(u32(4)).arg(file.size());
        return std::nullopt;
    }
    WaveInfo info;
    bool haveFormat = false;
    bool haveData = false;
    qsizetype at = 12;
    while (at + 8 <= file.size()) {
        const QByteArray id = file.mid(at, 4);
        const quint32 size = u32(at + 4);
        const qsizetype body = at + 8;
        if (size > quint32(file.size() - body)) {
            *problem = QStringLiteral("Block %1 reicht über das Dateiende hinaus").arg(QString::fromLatin1(id));
            return std::nullopt;
        }
        if (id == "fmt " && size >= 16) {
            info.format = u16(body);
            info.channels = u16(body + 2);
            info.sampleRate = u32(body + 4);
            info.byteRate = u32(body + 8);
            info.blockAlign = u16(body + 12);
            info.bitsPerSample = u16(body + 14);
            haveFormat = true;
        } else if (id == "data") {
            info.data = file.mid(body, size);
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData) {
        *problem = QStringLiteral("fmt- oder data-Block fehlt");
        return std::nullopt;
    }
    return info;
}

qint16 sampleAt(const QByteArray& data, qsizetype index)
{
    return qFromLittleEndian<qint16>(data.constData() + index * 2);
}

} // namespace

class TestContent : public QObject
{
    Q_OBJECT

private slots:
    void themePixels_data();
    void themePixels();
    void textureCentreIsUniform_data();
    void textureCentreIsUniform();
    void cursors_data();
    void cursors();
    void icons_data();
    void icons();
    void startBasePicture();
    void startPicture();
    void startPictureReadsWithLibpng();
    void sounds_data();
    void sounds();
    void soundsDiffer();
    void helpPage();
    void helpPageCovers_data();
    void helpPageCovers();
    void coinFolderExists();
};

void TestContent::themePixels_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("window background") << ":/textures/texture1.png" << QPoint(0, 0) << QColor(220, 222, 212);
    QTest::newRow("panel") << ":/textures/texture1.png" << QPoint(30, 30) << QColor(246, 246, 241);
    QTest::newRow("dialog accent") << ":/textures/texture2.png" << QPoint(30, 30) << QColor(232, 234, 224);
    QTest::newRow("title background") << ":/textures/texture1title.png" << QPoint(0, 0) << QColor(220, 222, 212);
    QTest::newRow("title panel") << ":/textures/texture1title.png" << QPoint(30, 30) << QColor(246, 246, 241);
}

void TestContent::themePixels()
{
    QFETCH(QString, resource);
    QFETCH(QPoint, pixel);
    QFETCH(QColor, expected);

    const QImage texture(resource);
    QVERIFY2(!texture.isNull(), qPrintable(resource));
    const QColor actual = texture.pixelColor(pixel);
    QCOMPARE(actual.alpha(), 255);
    QCOMPARE(actual.name(), expected.name());
}

void TestContent::textureCentreIsUniform_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<QSize>("minimumSize");

    QTest::newRow("window") << ":/textures/texture1.png" << QSize(96, 96);
    QTest::newRow("dialog") << ":/textures/texture2.png" << QSize(96, 96);
    QTest::newRow("title") << ":/textures/texture1title.png" << QSize(61, 61);
}

// The nine-slice stretches the centre over the whole window: any detail there would be
// smeared across it. The texture must also be opaque, or the window colour shows through.
void TestContent::textureCentreIsUniform()
{
    QFETCH(QString, resource);
    QFETCH(QSize, minimumSize);

    const QImage texture(resource);
    QVERIFY2(!texture.isNull(), qPrintable(resource));
    QVERIFY(texture.width() >= minimumSize.width());
    QVERIFY(texture.height() >= minimumSize.height());

    const QRgb centre = texture.pixel(30, 30);
    for (int y = 0; y < texture.height(); ++y) {
        for (int x = 0; x < texture.width(); ++x) {
            const QRgb pixel = texture.pixel(x, y);
            if (qAlpha(pixel) != 255)
                QFAIL(qPrintable(QStringLiteral("durchsichtiges Pixel bei %1,%2").arg(x).arg(y)));
            const bool inCentre = x >= 30 && y >= 30 && x < texture.width() - 30 && y < texture.height() - 30;
            if (inCentre && pixel != centre)
                QFAIL(qPrintable(QStringLiteral("Mitte nicht einfarbig bei %1,%2").arg(x).arg(y)));
        }
    }
}

void TestContent::cursors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("requiredHotSpot"); // (-1, -1): any point inside the cursor.

    const QPoint anywhere(-1, -1);
    QTest::newRow("pen") << "STIFT5" << anywhere;
    QTest::newRow("marker") << "MARKER25" << anywhere;
    // The eraser restores the 32 x 32 square whose top left corner is 16 pixels up and left
    // of the mouse: its cursor, which outlines that square, must be held at the same point.
    QTest::newRow("eraser") << "RADIER32" << QPoint(16, 16);
    QTest::newRow("move") << "PFEILMOVE" << anywhere;
    QTest::newRow("tick") << "HAEKCHEN" << anywhere;
    QTest::newRow("cross") << "KREUZ" << anywhere;
    QTest::newRow("text entry") << "TEXTEINGABE" << anywhere;
    QTest::newRow("hand") << "HAND" << anywhere;
    QTest::newRow("drag") << "DRAGBLACK" << anywhere;
}

void TestContent::cursors()
{
    QFETCH(QString, name);
    QFETCH(QPoint, requiredHotSpot);

    const QImage cursor(QStringLiteral(":/cursors/%1.png").arg(name));
    QVERIFY2(!cursor.isNull(), qPrintable(name));
    QCOMPARE(cursor.size(), QSize(32, 32));
    QVERIFY(cursor.hasAlphaChannel());

    const QStringList coordinates = cursor.text(QStringLiteral("hotspot")).split(QLatin1Char(','));
    QCOMPARE(coordinates.size(), 2);
    bool xOk = false;
    bool yOk = false;
    const QPoint hotSpot(coordinates.at(0).toInt(&xOk), coordinates.at(1).toInt(&yOk));
    QVERIFY(xOk && yOk);
    QVERIFY2(cursor.rect().contains(hotSpot), qPrintable(cursor.text(QStringLiteral("hotspot"))));
    if (requiredHotSpot != QPoint(-1, -1))
        QCOMPARE(hotSpot, requiredHotSpot);

    // Seen on any background: the cursor needs opaque dark pixels for light pictures and
    // opaque light ones for dark pictures, and must leave most of its square see-through.
    int dark = 0;
    int light = 0;
    int clear = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QColor pixel = cursor.pixelColor(x, y);
            if (pixel.alpha() == 0)
                ++clear;
            else if (pixel.alpha() >= 200 && pixel.lightness() < 60)
                ++dark;
            else if (pixel.alpha() >= 200 && pixel.lightness() > 200)
                ++light;
        }
    }
    QVERIFY2(dark >= 10, qPrintable(QStringLiteral("%1 dunkle Pixel").arg(dark)));
    QVERIFY2(light >= 10, qPrintable(QStringLiteral("%1 helle Pixel").arg(light)));
    QVERIFY2(clear >= 32 * 32 / 3, qPrintable(QStringLiteral("%1 durchsichtige Pixel").arg(clear)));
}

void TestContent::icons_data()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("edge");

    QTest::newRow("large") << ":/icons/tallowmere.png" << 256;
    QTest::newRow("small") << ":/icons/tallowmere-32.png" << 32;
}

void TestContent::icons()
{
    QFETCH(QString, resource);
    QFETCH(int, edge);

    const QImage icon(resource);
    QVERIFY2(!icon.isNull(), qPrintable(resource));
    QCOMPARE(icon.size(), QSize(edge, edge));
    // A rounded tile: see-through in the corner, solid in the middle.
    QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(icon.pixelColor(edge / 2, edge / 2).alpha(), 255);
}

void TestContent::startBasePicture()
{
    const QImage picture(QStringLiteral(":/pictures/startbasisbild.png"));
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 700 && picture.width() <= 900);
    QVERIFY(picture.height() >= 450 && picture.height() <= 600);
    QCOMPARE(picture.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(picture.pixelColor(picture.width() - 1, picture.height() - 1), QColor(Qt::white));
}

void TestContent::startPicture()
{
    const QString path = binDir + QStringLiteral("data/tallowq.png");
    const QImage picture(path);
    QVERIFY2(!picture.isNull(), qPrintable(path));
    // The start panel centres a 450 x 160 click zone on the picture, so it must be larger.
    QVERIFY(picture.width() > 450 && picture.height() > 160);
    QVERIFY(picture.width() <= 800 && picture.height() <= 450);
    // It sits on the white start panel: its border must be white or very light.
    for (const QPoint corner : {QPoint(0, 0), QPoint(picture.width() - 1, 0), QPoint(0, picture.height() - 1),
             QPoint(picture.width() - 1, picture.height() - 1)}) {
        const QColor pixel = picture.pixelColor(corner);
        QCOMPARE(pixel.alpha(), 255);
        QVERIFY2(pixel.lightness() >= 240, qPrintable(pixel.name()));
    }
}

// The program reads the start picture with libpng, not with Qt; both must agree on it.
void TestContent::startPictureReadsWithLibpng()
{
    const QString path = binDir + QStringLiteral("data/tallowq.png");
    const QImage viaQt = QImage(path).convertToFormat(QImage::Format_RGBA8888);
    QVERIFY(!viaQt.isNull());

    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    QVERIFY(png_image_begin_read_from_file(&image, QFile::encodeName(path).constData()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    QVERIFY2(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr), image.message);
    QCOMPARE(int(image.width), viaQt.width());
    QCOMPARE(int(image.height), viaQt.height());
    for (int y = 0; y < viaQt.height(); ++y) {
        const uchar* qtRow = viaQt.constScanLine(y);
        const png_byte* pngRow = pixels.data() + size_t(y) * PNG_IMAGE_ROW_STRIDE(image);
        if (memcmp(qtRow, pngRow, size_t(viaQt.width()) * 4) != 0)
            QFAIL(qPrintable(QStringLiteral("Zeile %1 unterscheidet sich").arg(y)));
    }
    png_image_free(&image);
}

void TestContent::sounds_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("right") << "Richtig1.wav";
    QTest::newRow("wrong") << "Falsch1.wav";
}

void TestContent::sounds()
{
    QFETCH(QString, name);

    const QByteArray file = readAll(binDir + QStringLiteral("sound/") + name);
    QVERIFY2(!file.isEmpty(), qPrintable(name));
    QString problem;
    const std::optional<WaveInfo> wave = parseWave(file, &problem);
    QVERIFY2(wave.has_value(), qPrintable(problem));

    QCOMPARE(wave->format, quint16(1));
    QCOMPARE(wave->channels, quint16(1));
    QCOMPARE(wave->bitsPerSample, quint16(16));
    QVERIFY(wave->sampleRate == 22050 || wave->sampleRate == 44100);
    QCOMPARE(wave->blockAlign, quint16(2));
    QCOMPARE(wave->byteRate, wave->sampleRate * 2);
    QCOMPARE(wave->data.size() % 2, 0);

    // The program bounds its wait for a sound by the length in the header.
    const qsizetype samples = wave->data.size() / 2;
    const double seconds = double(samples) / wave->sampleRate;
    QVERIFY2(seconds >= 0.2 && seconds <= 0.8, qPrintable(QString::number(seconds)));

    // Audible but not clipped, and silent at both ends so that it does not click.
    int peak = 0;
    for (qsizetype i = 0; i < samples; ++i)
        peak = qMax(peak, qAbs(int(sampleAt(wave->data, i))));
    QVERIFY2(peak >= 8000 && peak < 32767, qPrintable(QString::number(peak)));
    QVERIFY(qAbs(sampleAt(wave->data, 0)) < 330);
    QVERIFY(qAbs(sampleAt(wave->data, samples - 1)) < 330);
}

void TestContent::soundsDiffer()
{
    QString problem;
    const auto right = parseWave(readAll(binDir + QStringLiteral("sound/Richtig1.wav")), &problem);
    const auto wrong = parseWave(readAll(binDir + QStringLiteral("sound/Falsch1.wav")), &problem);
    QVERIFY2(right && wrong, qPrintable(problem));
    QVERIFY(right->data != wrong->data);
}

void TestContent::helpPage()
{
    const QDir helpDir(binDir + QStringLiteral("hilfe"));
    const QByteArray bytes = readAll(helpDir.filePath(QStringLiteral("index.html")));
    QVERIFY2(!bytes.isEmpty(), qPrintable(helpDir.filePath(QStringLiteral("index.html"))));

    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString page = decoder(bytes);
    QVERIFY2(!decoder.hasError(), "kein gültiges UTF-8");
    QVERIFY(page.contains(QStringLiteral("<html lang=\"de\"")));
    QVERIFY(page.contains(QStringLiteral("<meta charset=\"utf-8\">"), Qt::CaseInsensitive));
    QVERIFY(page.contains(QStringLiteral("„Quizauswahl“")));

    // Pages open from disk, perhaps on a school machine without internet: everything they
    // load must lie beside them, and every link inside the page must have its target.
    static const QRegularExpression reference(QStringLiteral("\\b(?:href|src)=\"([^\"]*)\""));
    static const QRegularExpression anchor(QStringLiteral("\\bid=\"([^\"]+)\""));
    QStringList ids;
    for (const QRegularExpressionMatch& match : anchor.globalMatch(page))
        ids << match.captured(1);
    for (const QRegularExpressionMatch& match : reference.globalMatch(page)) {
        const QString target = match.captured(1);
        if (target.startsWith(QLatin1Char('#'))) {
            const QString id = target.mid(1);
            QVERIFY2(id.isEmpty() || ids.contains(id), qPrintable(target));
        } else {
            QVERIFY2(!target.contains(QLatin1Char(':')) && !target.startsWith(QLatin1String("//")), qPrintable(target));
            QVERIFY2(helpDir.exists(target), qPrintable(target));
        }
    }
}

void TestContent::helpPageCovers_data()
{
    QTest::addColumn<QString>("term");
    for (const char* term : {"Quizauswahl", "Richtige Antworten", "Fehlversuche", "Erfolgsquote", "Offene Fragen",
             "Gesamtleistung", "Benötigte Zeit", "Zeitlimit", "ungenügend", "Protokoll", "RTF", "Bestenliste",
             "Netzwerkordner", "Tonausgabe", "Namenseingabe bei Quiz-Start", "Protokolle automatisch speichern",
             "Ergebnisse automatisch in Bestenliste eintragen", "Ordner für Protokolle und Bestenlisten", "Vollbild",
             "Minimieren", ".zep", "Bild&nbsp;↓", "Ohne Maus spielen"})
        QTest::newRow(term) << QString::fromUtf8(term);
}

void TestContent::helpPageCovers()
{
    QFETCH(QString, term);
    const QString page = QString::fromUtf8(readAll(binDir + QStringLiteral("hilfe/index.html")));
    QVERIFY(page.contains(term));
}

void TestContent::coinFolderExists()
{
    QVERIFY(QFileInfo(binDir + QStringLiteral("euromuenzen")).isDir());
}

QTEST_GUILESS_MAIN(TestContent)
#include "tst_content.moc"
