// The metafile device: a worksheet-like page drawn on it comes out as EMF and placeable WMF that
// independent readers (LibreOffice Draw, libwmf's wmf2svg, poppler on LibreOffice's PDF) show
// with their texts, size, positions and picture colours; the files' own structure holds.

#include "platform/cp1252.h"
#include "worksheet/metafiledevice.h"

#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

const QSize pageUnits(1001, 1625);
// Small enough for LibreOffice's A4 page with its margins, so that it does not shrink the picture
const QSizeF pageMm(160, 259.74);

const QString title = QStringLiteral("Flüsse Europas – Übung");
const QString body = QStringLiteral("Größe der Flüsse: 12 € je Karte");

// Left half red, right half blue, the bottom quarter green: a swap of red and blue or a picture
// upside down shows at once.
QImage testPicture(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(size.width() / 2, 0, size.width() - size.width() / 2, size.height(), Qt::blue);
    painter.fillRect(0, size.height() * 3 / 4, size.width(), size.height() - size.height() * 3 / 4, Qt::green);
    return image;
}

// What the worksheet composer draws, in small: title, rule, frame, body text, picture.
void drawPage(MetafileDevice& device)
{
    QPainter painter(&device);
    painter.setPen(Qt::black);
    QFont titleFont("Arial", 30);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.drawText(QPointF(100, 150), title);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawLine(QPointF(100, 180), QPointF(900, 180));
    painter.setBrush(Qt::transparent);
    painter.drawRect(QRectF(80, 220, 840, 200));
    painter.setPen(Qt::black);
    painter.setFont(QFont("Arial", 12));
    painter.drawText(QPointF(100, 300), body);
    painter.drawText(QPointF(100, 500), QStringLiteral("Links"));
    painter.drawText(QPointF(600, 500), QStringLiteral("Rechts"));
    painter.drawImage(QRectF(100, 600, 400, 200), testPicture(QSize(200, 100)));
}

struct Result
{
    int exitCode = -1;
    QByteArray output;
    QString error;
};

Result run(const QString& program, const QStringList& arguments, int timeoutMs = 120000)
{
    Result result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        result.error = program + ": " + process.errorString();
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    result.error = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

quint32 u32(const QByteArray& data, qsizetype offset)
{
    return qFromLittleEndian<quint32>(data.constData() + offset);
}

quint16 u16(const QByteArray& data, qsizetype offset)
{
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

struct EmfRecord
{
    quint32 type;
    QByteArray data;
};

// The records of an EMF; empty when a size does not fit the file.
QList<EmfRecord> emfRecords(const QByteArray& file)
{
    QList<EmfRecord> records;
    qsizetype offset = 0;
    while (offset + 8 <= file.size()) {
        const quint32 size = u32(file, offset + 4);
        if (size < 8 || size % 4 != 0 || offset + size > file.size())
            return {};
        records.append({u32(file, offset), file.mid(offset, size)});
        offset += size;
    }
    return offset == file.size() ? records : QList<EmfRecord> {};
}

// The records of a placeable WMF after its two headers; empty when a size does not fit.
QList<QByteArray> wmfRecords(const QByteArray& file)
{
    QList<QByteArray> records;
    qsizetype offset = 22 + 18;
    while (offset + 6 <= file.size()) {
        const quint64 size = quint64(u32(file, offset)) * 2;
        if (size < 6 || offset + qsizetype(size) > file.size())
            return {};
        records.append(file.mid(offset, qsizetype(size)));
        offset += qsizetype(size);
    }
    return offset == file.size() ? records : QList<QByteArray> {};
}

constexpr quint32 emrHeader = 1;
constexpr quint32 emrEof = 14;
constexpr quint32 emrSelectObject = 37;
constexpr quint32 emrCreatePen = 38;
constexpr quint32 emrCreateBrush = 39;
constexpr quint32 emrDeleteObject = 40;
constexpr quint32 emrExtCreateFontW = 82;
constexpr quint32 emrExtTextOutW = 84;
constexpr quint16 wmrEof = 0x0000;
constexpr quint16 wmrDeleteObject = 0x01F0;
constexpr quint16 wmrExtTextOut = 0x0A32;
constexpr quint16 wmrCreateFontIndirect = 0x02FB;
constexpr quint16 wmrCreateBrushIndirect = 0x02FC;

// A word's box in `pdftotext -bbox` output (points), or a null rectangle.
QRectF wordBox(const QString& xhtml, const QString& word)
{
    static const QRegularExpression pattern(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = pattern.globalMatch(xhtml); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(5) == word) {
            return QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()));
        }
    }
    return {};
}

constexpr double mmPerPoint = 25.4 / 72;

} // namespace

class TestMetafile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readersShowTheTexts_data();
    void readersShowTheTexts();
    void pageHasThePhysicalSize_data();
    void pageHasThePhysicalSize();
    void textAndPictureSitWhereDrawn_data();
    void textAndPictureSitWhereDrawn();
    void emfStructure();
    void wmfStructure();
    void advancesAreTheFontsOwn_data();
    void advancesAreTheFontsOwn();
    void objectTableStaysSmall();
    void translucentColoursAsOnPaper_data();
    void translucentColoursAsOnPaper();
    void translucencyOverDrawingIsReported_data();
    void translucencyOverDrawingIsReported();
    void underlineIsDrawnOnce_data();
    void underlineIsDrawnOnce();
    void bigPicture();
    void unusableSizesGiveNothing_data();
    void unusableSizesGiveNothing();

private:
    QString tool(const QString& name);

    QTemporaryDir m_dir;
    QByteArray m_emf;
    QByteArray m_wmf;
    QString m_pdftotext;
    QString m_pdfinfo;
    QString m_pdftoppm;
};

QString TestMetafile::tool(const QString& name)
{
    const QString path = QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        qWarning("%s is missing: install the packages of tools/packages.txt", qPrintable(name));
    return path;
}

// Draws the page once, writes both files and lets LibreOffice and libwmf read them.
void TestMetafile::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString soffice = tool("soffice");
    const QString wmf2svg = tool("wmf2svg");
    m_pdftotext = tool("pdftotext");
    m_pdfinfo = tool("pdfinfo");
    m_pdftoppm = tool("pdftoppm");
    QVERIFY2(!soffice.isEmpty(), "soffice (libreoffice-draw-nogui) is needed to read the metafiles");
    QVERIFY2(!wmf2svg.isEmpty(), "wmf2svg (libwmf-bin) is needed to read the WMF");
    QVERIFY2(!m_pdftotext.isEmpty() && !m_pdfinfo.isEmpty() && !m_pdftoppm.isEmpty(),
        "pdftotext, pdfinfo and pdftoppm (poppler-utils) are needed");

    MetafileDevice device(pageUnits, pageMm);
    drawPage(device);
    m_emf = device.toBytes(MetafileDevice::Format::Emf);
    m_wmf = device.toBytes(MetafileDevice::Format::Wmf);
    QVERIFY(!m_emf.isEmpty());
    QVERIFY(!m_wmf.isEmpty());
    for (const auto& [name, bytes] : {std::pair {"blatt.emf", m_emf}, std::pair {"blatt.wmf", m_wmf}}) {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    qInfo("EMF %lld bytes, WMF %lld bytes", qlonglong(m_emf.size()), qlonglong(m_wmf.size()));

    // Both into PDF in one start of LibreOffice; the EMF's PDF first, as both would be blatt.pdf.
    for (const QString& suffix : {QStringLiteral("emf"), QStringLiteral("wmf")}) {
        const QString outDir = m_dir.filePath(suffix);
        const Result converted = run(soffice,
            {"-env:UserInstallation=file://" + m_dir.filePath("lo"), "--headless", "--convert-to", "pdf", "--outdir",
                outDir, m_dir.filePath("blatt." + suffix)});
        QVERIFY2(converted.exitCode == 0, qPrintable(converted.error));
        QVERIFY2(QFile::exists(outDir + "/blatt.pdf"), qPrintable("LibreOffice made no PDF of the " + suffix));
    }
    const Result svg = run(wmf2svg, {"-o", m_dir.filePath("blatt.svg"), m_dir.filePath("blatt.wmf")});
    QVERIFY2(svg.exitCode == 0, qPrintable(svg.error));
}

void TestMetafile::readersShowTheTexts_data()
{
    QTest::addColumn<QString>("reader");
    QTest::newRow("EMF in LibreOffice") << "emf";
    QTest::newRow("WMF in LibreOffice") << "wmf";
    // libwmf writes the texts' bytes as they are: Windows-1252.
    QTest::newRow("WMF in libwmf") << "svg";
}

void TestMetafile::readersShowTheTexts()
{
    QFETCH(QString, reader);
    QString text;
    if (reader == "svg") {
        QFile svg(m_dir.filePath("blatt.svg"));
        QVERIFY(svg.open(QIODevice::ReadOnly));
        // libwmf sets every character as a text element of its own, at its advance.
        static const QRegularExpression element(QStringLiteral(">([^<]*)</text>"));
        for (auto it = element.globalMatch(fromCp1252(svg.readAll())); it.hasNext();) {
            const QString character = it.next().captured(1).trimmed();
            text += character.isEmpty() ? QStringLiteral(" ") : character;
        }
    } else {
        const Result extracted = run(m_pdftotext, {m_dir.filePath(reader + "/blatt.pdf"), "-"});
        QVERIFY2(extracted.exitCode == 0, qPrintable(extracted.error));
        text = QString::fromUtf8(extracted.output);
    }
    for (const QString& expected : {title, body, QStringLiteral("Links"), QStringLiteral("Rechts")})
        QVERIFY2(text.contains(expected), qPrintable(expected + " is missing from: " + text.left(2000)));
}

void TestMetafile::pageHasThePhysicalSize_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("EMF") << "emf";
    QTest::newRow("WMF") << "wmf";
}

// LibreOffice lays the picture onto an A4 page of its own; the picture keeps its physical size:
// text drawn 500 units apart across and 200 units apart down lies that many millimetres apart.
void TestMetafile::pageHasThePhysicalSize()
{
    QFETCH(QString, format);
    const Result boxes = run(m_pdftotext, {"-bbox", m_dir.filePath(format + "/blatt.pdf"), "-"});
    QVERIFY2(boxes.exitCode == 0, qPrintable(boxes.error));
    const QString xhtml = QString::fromUtf8(boxes.output);
    const QRectF body = wordBox(xhtml, QStringLiteral("Größe"));
    const QRectF left = wordBox(xhtml, "Links");
    const QRectF right = wordBox(xhtml, "Rechts");
    QVERIFY2(!body.isNull() && !left.isNull() && !right.isNull(), qPrintable(xhtml.left(3000)));
    const double mmPerUnit = pageMm.width() / pageUnits.width();
    const double across = (right.left() - left.left()) * mmPerPoint;
    const double down = (left.bottom() - body.bottom()) * mmPerPoint;
    QVERIFY2(std::abs(across - 500 * mmPerUnit) < 2, qPrintable(QString::number(across)));
    QVERIFY2(std::abs(down - 200 * mmPerUnit) < 2, qPrintable(QString::number(down)));
    // Same baseline for the two words of one line
    QVERIFY(std::abs(left.bottom() - right.bottom()) < 1);
}

void TestMetafile::textAndPictureSitWhereDrawn_data()
{
    pageHasThePhysicalSize_data();
}

// The picture sits where it was drawn relative to the text (x=100, baseline 500 for "Links") and
// keeps its colours, the right way round and up; the frame's inside stays white.
void TestMetafile::textAndPictureSitWhereDrawn()
{
    QFETCH(QString, format);
    const QString pdf = m_dir.filePath(format + "/blatt.pdf");
    const Result boxes = run(m_pdftotext, {"-bbox", pdf, "-"});
    QVERIFY2(boxes.exitCode == 0, qPrintable(boxes.error));
    const QRectF left = wordBox(QString::fromUtf8(boxes.output), "Links");
    QVERIFY(!left.isNull());
    const QString png = m_dir.filePath(format + "/seite");
    const Result rendered = run(m_pdftoppm, {"-r", "72", "-png", "-singlefile", pdf, png});
    QVERIFY2(rendered.exitCode == 0, qPrintable(rendered.error));
    const QImage page(png + ".png");
    QVERIFY(!page.isNull());
    // One point is one pixel at 72 dpi. The box's bottom is a descent below the baseline: about
    // a millimetre, far less than the distance of the samples from the picture's edges.
    const double pointsPerUnit = pageMm.width() / pageUnits.width() / mmPerPoint;
    const double originX = left.left() - 100 * pointsPerUnit;
    const double originY = left.bottom() - 500 * pointsPerUnit;
    const auto at = [&](double x, double y) {
        return page.pixelColor(int(originX + x * pointsPerUnit), int(originY + y * pointsPerUnit));
    };
    // The picture covers (100, 600) to (500, 800): red left, blue right, green along the bottom.
    const QColor red = at(200, 650);
    const QColor blue = at(400, 650);
    const QColor green = at(300, 785);
    QVERIFY2(red.red() > 200 && red.blue() < 60 && red.green() < 60, qPrintable(red.name()));
    QVERIFY2(blue.blue() > 200 && blue.red() < 60 && blue.green() < 60, qPrintable(blue.name()));
    QVERIFY2(green.green() > 200 && green.red() < 60 && green.blue() < 60, qPrintable(green.name()));
    QCOMPARE(at(500, 380), QColor(Qt::white));
}

void TestMetafile::emfStructure()
{
    const QList<EmfRecord> records = emfRecords(m_emf);
    QVERIFY(!records.isEmpty());
    const QByteArray& header = records.first().data;
    QCOMPARE(records.first().type, emrHeader);
    QCOMPARE(u32(header, 40), 0x464D4520u); // " EMF"
    QCOMPARE(u32(header, 48), quint32(m_emf.size()));
    QCOMPARE(u32(header, 52), quint32(records.size()));
    QCOMPARE(records.last().type, emrEof);
    // The frame in 0.01 mm is the physical size.
    QVERIFY(std::abs(int(u32(header, 24 + 8)) - 16000) <= 1);
    QVERIFY(std::abs(int(u32(header, 24 + 12)) - 25974) <= 1);
    // Every object made is deleted again, and none is selected after its deletion.
    QSet<quint32> live;
    for (const EmfRecord& record : records) {
        if (record.type == emrCreatePen || record.type == emrCreateBrush || record.type == emrExtCreateFontW) {
            const quint32 handle = u32(record.data, 8);
            QVERIFY2(!live.contains(handle), "an object slot is reused while taken");
            live.insert(handle);
        } else if (record.type == emrDeleteObject) {
            QVERIFY(live.remove(u32(record.data, 8)));
        } else if (record.type == emrSelectObject) {
            const quint32 handle = u32(record.data, 8);
            QVERIFY((handle & 0x80000000u) || live.contains(handle));
        }
    }
    QVERIFY(live.isEmpty());
}

void TestMetafile::wmfStructure()
{
    QCOMPARE(u32(m_wmf, 0), 0x9AC6CDD7u);
    // Bounding box in logical units and the units per inch that give the physical width
    QCOMPARE(u16(m_wmf, 10), quint16(pageUnits.width()));
    QCOMPARE(u16(m_wmf, 12), quint16(pageUnits.height()));
    const double inches = pageUnits.width() / double(u16(m_wmf, 14));
    QVERIFY(std::abs(inches * 25.4 - pageMm.width()) < 1);
    quint16 checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= u16(m_wmf, 2 * i);
    QCOMPARE(u16(m_wmf, 20), checksum);
    const QList<QByteArray> records = wmfRecords(m_wmf);
    QVERIFY(!records.isEmpty());
    QCOMPARE(u16(records.last(), 4), wmrEof);
    // The header counts the metafile after the placeable header, in 16-bit words.
    QCOMPARE(qsizetype(u32(m_wmf, 22 + 6)) * 2, m_wmf.size() - 22);
    quint32 largest = 0;
    for (const QByteArray& record : records)
        largest = std::max(largest, quint32(record.size() / 2));
    QCOMPARE(u32(m_wmf, 22 + 12), largest);
}

void TestMetafile::translucentColoursAsOnPaper_data()
{
    pageHasThePhysicalSize_data();
}

// A metafile's colours have no alpha: red at opacity 0.2 is drawn as the pink it gives on paper,
// not as red.
void TestMetafile::translucentColoursAsOnPaper()
{
    QFETCH(QString, format);
    MetafileDevice device(pageUnits, pageMm);
    {
        QPainter painter(&device);
        painter.setOpacity(0.2);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0));
        painter.drawRect(QRectF(100, 100, 200, 100));
    }
    QList<QRgb> brushes;
    if (format == "emf") {
        for (const EmfRecord& record : emfRecords(device.toBytes(MetafileDevice::Format::Emf))) {
            // EMRCREATEBRUSHINDIRECT: ihBrush at 8, the LOGBRUSH32's colour (R, G, B, 0) at 16.
            if (record.type == emrCreateBrush)
                brushes.append(
                    qRgb(quint8(record.data.at(16)), quint8(record.data.at(17)), quint8(record.data.at(18))));
        }
    } else {
        for (const QByteArray& record : wmfRecords(device.toBytes(MetafileDevice::Format::Wmf))) {
            // META_CREATEBRUSHINDIRECT: the style at 6, the colour (R, G, B, 0) at 8.
            if (u16(record, 4) == wmrCreateBrushIndirect)
                brushes.append(qRgb(quint8(record.at(8)), quint8(record.at(9)), quint8(record.at(10))));
        }
    }
    QVERIFY(brushes.contains(qRgb(255, 204, 204)));
    QVERIFY(!brushes.contains(qRgb(255, 0, 0)));
}

void TestMetafile::translucencyOverDrawingIsReported_data()
{
    QTest::addColumn<QRectF>("below"); // an empty rectangle for nothing below
    QTest::addColumn<bool>("filled");
    QTest::addColumn<bool>("picture"); // a half transparent picture instead of a translucent fill
    QTest::addColumn<bool>("reported");
    QTest::newRow("fill on white paper") << QRectF() << true << false << false;
    QTest::newRow("fill inside an outline") << QRectF(50, 50, 400, 300) << false << false << false;
    QTest::newRow("fill over a fill") << QRectF(50, 50, 400, 300) << true << false << true;
    QTest::newRow("fill over a frame line") << QRectF(150, 50, 400, 300) << false << false << true;
    QTest::newRow("picture on white paper") << QRectF() << true << true << false;
    QTest::newRow("picture over a fill") << QRectF(50, 50, 400, 300) << true << true << true;
}

// Blending against white is right on white paper only: drawn over something else it would
// cover it, which the drawing code must not ask for. Debug builds stop at it; this build warns.
void TestMetafile::translucencyOverDrawingIsReported()
{
#ifndef QT_NO_DEBUG
    QSKIP("debug builds stop at the mistake");
#endif
    QFETCH(QRectF, below);
    QFETCH(bool, filled);
    QFETCH(bool, picture);
    QFETCH(bool, reported);
    if (reported)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Metafile: a translucent")));
    else
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^Metafile: a translucent")));
    MetafileDevice device(pageUnits, pageMm);
    QPainter painter(&device);
    if (!below.isEmpty()) {
        painter.setPen(QPen(Qt::black, 2));
        painter.setBrush(filled ? QBrush(Qt::blue) : QBrush(Qt::NoBrush));
        painter.drawRect(below);
    }
    const QRectF top(100, 100, 200, 100);
    if (picture) {
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(QColor(255, 0, 0, 128));
        painter.drawImage(top, image);
    } else {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0, 60));
        painter.drawRect(top);
    }
}

void TestMetafile::underlineIsDrawnOnce_data()
{
    pageHasThePhysicalSize_data();
}

// Underlined and struck-out text (the markup's <U> and <S>): Qt draws the lines itself, so the
// font records ask for neither, and the lines are there.
void TestMetafile::underlineIsDrawnOnce()
{
    QFETCH(QString, format);
    const auto draw = [](MetafileDevice& device, bool decorated) {
        QPainter painter(&device);
        QFont font("Arial", 20);
        font.setUnderline(decorated);
        font.setStrikeOut(decorated);
        painter.setFont(font);
        painter.drawText(QPointF(50, 100), QStringLiteral("unterstrichen"));
    };
    MetafileDevice device(pageUnits, pageMm);
    draw(device, true);
    MetafileDevice plain(pageUnits, pageMm);
    draw(plain, false);
    const auto kind = format == "emf" ? MetafileDevice::Format::Emf : MetafileDevice::Format::Wmf;
    // Qt's two lines: the decorated text takes more records than the plain one.
    QVERIFY(device.toBytes(kind).size() > plain.toBytes(kind).size());
    int fonts = 0;
    if (format == "emf") {
        for (const EmfRecord& record : emfRecords(device.toBytes(MetafileDevice::Format::Emf))) {
            if (record.type == emrExtCreateFontW) {
                ++fonts;
                // EMREXTCREATEFONTINDIRECTW: ihFont at 8, the LOGFONTW from 12: lfUnderline at 12 + 21.
                QCOMPARE(int(record.data.at(33)), 0);
                QCOMPARE(int(record.data.at(34)), 0);
            }
        }
    } else {
        for (const QByteArray& record : wmfRecords(device.toBytes(MetafileDevice::Format::Wmf))) {
            if (u16(record, 4) == wmrCreateFontIndirect) {
                ++fonts;
                // META_CREATEFONTINDIRECT: the LOGFONT from 6: lfUnderline at 6 + 11.
                QCOMPARE(int(record.at(17)), 0);
                QCOMPARE(int(record.at(18)), 0);
            }
        }
    }
    QVERIFY(fonts > 0);
}

void TestMetafile::advancesAreTheFontsOwn_data()
{
    pageHasThePhysicalSize_data();
}

// "WiW": the narrow i gets a smaller advance than the W beside it, and together they span what
// Qt measures for the font at that size.
void TestMetafile::advancesAreTheFontsOwn()
{
    QFETCH(QString, format);
    MetafileDevice device(pageUnits, pageMm);
    QFont font("Arial", 20);
    {
        QPainter painter(&device);
        painter.setFont(font);
        painter.drawText(QPointF(50, 100), QStringLiteral("WiW"));
    }
    const double width = QFontMetricsF(font, &device).horizontalAdvance(QStringLiteral("WiW"));
    QList<int> advances;
    if (format == "emf") {
        for (const EmfRecord& record : emfRecords(device.toBytes(MetafileDevice::Format::Emf))) {
            if (record.type != emrExtTextOutW)
                continue;
            // EMREXTTEXTOUTW: the EmrText starts at 36; its nChars at 44, offDx at 76.
            const quint32 count = u32(record.data, 44);
            const quint32 offDx = u32(record.data, 72);
            QVERIFY(offDx + 4 * count <= quint32(record.data.size()));
            for (quint32 i = 0; i < count; ++i)
                advances.append(int(u32(record.data, offDx + 4 * i)));
        }
    } else {
        for (const QByteArray& record : wmfRecords(device.toBytes(MetafileDevice::Format::Wmf))) {
            if (u16(record, 4) != wmrExtTextOut)
                continue;
            const int length = qint16(u16(record, 10));
            const int dxOffset = 14 + ((length + 1) & ~1);
            for (int i = 0; i < length; ++i)
                advances.append(qint16(u16(record, dxOffset + 2 * i)));
        }
    }
    QCOMPARE(advances.size(), 3);
    QVERIFY2(advances[1] < advances[0] / 2, qPrintable(QString::number(advances[1])));
    QVERIFY(std::abs(advances[0] + advances[1] + advances[2] - width) <= 1);
}

// Many colours and fonts one after another: each object is deleted when the next replaces it,
// so the table needs only a few slots.
void TestMetafile::objectTableStaysSmall()
{
    MetafileDevice device(pageUnits, pageMm);
    {
        QPainter painter(&device);
        for (int i = 0; i < 60; ++i) {
            painter.setPen(QPen(QColor::fromHsv(i * 6, 255, 200), 1 + i % 4));
            painter.setBrush(QColor::fromHsv(i * 6, 128, 255));
            painter.drawRect(QRectF(10 + i * 10, 10, 8, 8));
            QFont font("Arial", 8 + i % 10);
            font.setItalic(i % 2);
            painter.setFont(font);
            painter.drawText(QPointF(10, 40 + i * 20), QString::number(i));
        }
    }
    const QByteArray emf = device.toBytes(MetafileDevice::Format::Emf);
    QVERIFY(u32(emf, 56) <= 5); // nHandles, with the reserved slot 0
    const QByteArray wmf = device.toBytes(MetafileDevice::Format::Wmf);
    QVERIFY(u16(wmf, 22 + 10) <= 4); // NumberOfObjects
    int deletes = 0;
    for (const QByteArray& record : wmfRecords(wmf))
        deletes += u16(record, 4) == wmrDeleteObject;
    QVERIFY(deletes >= 60 * 3 - 3);
}

// A picture of 1600 x 1000 pixels goes into both formats whole and comes out in libwmf.
void TestMetafile::bigPicture()
{
    MetafileDevice device(pageUnits, pageMm);
    {
        QPainter painter(&device);
        painter.drawImage(QRectF(50, 50, 900, 562.5), testPicture(QSize(1600, 1000)));
    }
    const qsizetype pixelBytes = 1600 * 3 * 1000;
    const QByteArray emf = device.toBytes(MetafileDevice::Format::Emf);
    const QByteArray wmf = device.toBytes(MetafileDevice::Format::Wmf);
    QVERIFY(emf.size() > pixelBytes && emfRecords(emf).size() > 2);
    QVERIFY(wmf.size() > pixelBytes && wmfRecords(wmf).size() > 2);
    qInfo("with a 1600 x 1000 picture: EMF %lld bytes, WMF %lld bytes", qlonglong(emf.size()), qlonglong(wmf.size()));
    QFile file(m_dir.filePath("gross.wmf"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(wmf);
    file.close();
    const Result svg
        = run(QStandardPaths::findExecutable("wmf2svg"), {"-o", m_dir.filePath("gross.svg"), file.fileName()});
    QVERIFY2(svg.exitCode == 0, qPrintable(svg.error));
    QFile out(m_dir.filePath("gross.svg"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QVERIFY(out.readAll().contains("<image"));
}

void TestMetafile::unusableSizesGiveNothing_data()
{
    QTest::addColumn<QSize>("units");
    QTest::addColumn<QSizeF>("millimetres");
    QTest::addColumn<bool>("emf");
    QTest::addColumn<bool>("wmf");
    QTest::newRow("page") << pageUnits << pageMm << true << true;
    QTest::newRow("no units") << QSize(0, 0) << pageMm << false << false;
    QTest::newRow("no millimetres") << pageUnits << QSizeF(0, 0) << false << false;
    QTest::newRow("negative millimetres") << pageUnits << QSizeF(-10, 20) << false << false;
    // WMF counts in 16 bits; EMF has room.
    QTest::newRow("beyond 16 bits") << QSize(40000, 50000) << QSizeF(400, 500) << true << false;
    // Units per inch must be a 16-bit number too.
    QTest::newRow("tiny millimetres") << pageUnits << QSizeF(0.5, 0.8) << true << false;
}

void TestMetafile::unusableSizesGiveNothing()
{
    QFETCH(QSize, units);
    QFETCH(QSizeF, millimetres);
    QFETCH(bool, emf);
    QFETCH(bool, wmf);
    MetafileDevice device(units, millimetres);
    {
        QPainter painter(&device);
        painter.drawLine(QPointF(10, 10), QPointF(30000, 30000));
        painter.drawText(QPointF(20, 20), QStringLiteral("x"));
    }
    QCOMPARE(!device.toBytes(MetafileDevice::Format::Emf).isEmpty(), emf);
    QCOMPARE(!device.toBytes(MetafileDevice::Format::Wmf).isEmpty(), wmf);
}

QTEST_MAIN(TestMetafile)
#include "tst_metafile.moc"
