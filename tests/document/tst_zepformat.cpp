// The topic file format: files laid out byte by byte read correctly in every combination of
// optional keys, bad files fail the way the program reports them, and what the program writes
// reads back identical.

#include "document/zepformat.h"
#include "support/failingdevice.h"
#include "zepbytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

#include <optional>

namespace {

const QByteArray fullKeys = zepKeyList;
const QByteArray keysWithoutPage = QByteArray(zepKeyList).replace("OB-FrageNummer|", "");
const QByteArray keysWithoutHeaderOptions = "|HD-vers|HD-titel|HD-autor|HD-bemerkung|OB-Sx|OB-Sy|OB-Kx|OB-Ky|OB-Cap|"
                                            "OB-KAusr|OB-TAusr|OB-Ebene|OB-Typ|OB-Sline|OB-Fsize|OB-KAusrAkt|";

// The header items 1 to 6 of a file.
ZepBytes header(const QByteArray& magic, const QByteArray& keys, const QByteArray& titel = "Flaggen")
{
    ZepBytes file;
    file.text(magic).text(keys).text("1.00").text(titel).text("Frau M\xfcller").text("Bemerkung");
    return file;
}

// A file with every optional key, two objects, and the fixture picture.
QByteArray fullFile()
{
    ZepBytes file = header("ALF-1.01", fullKeys,
        "Gr\xfc\xdf"
        "e \x84"
        "Euro\x93 \x80");
    file.text("L\xfc"
              "ckentext\r\nZeile 2")
        .text("Frage // Antwort");
    file.int32(3).int32(2);
    file.real(0.1).real(0.2).real(0.3).real(0.4);
    file.int32(1).int32(0);
    file.int32(2);
    file.record(0.25, 0.5, 0.75, 1.5, "\"a, b\",zweite", 1, 2, 1, 0, 1, -2, 3, 7);
    file.record(-0.5, 2.0, 0.125, 0.0625, "", 4, 0, 2, 10, 0, 5, 0, -1);
    file.raw(fixturePng());
    return file.bytes;
}

ZepReadStatus readBytes(const QByteArray& bytes, TopicDocument& doc)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readTopicFile(buffer, doc);
}

QByteArray writeBytes(const TopicDocument& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeTopicFile(buffer, doc))
        return {};
    return bytes;
}

DocObject object(double kx, double ky, const QString& cap, qint32 typ, qint32 page = -1)
{
    DocObject o;
    o.Sx = kx - 0.05;
    o.Sy = ky + 0.05;
    o.Kx = kx;
    o.Ky = ky;
    o.Cap = cap;
    o.Typ = typ;
    o.Ebene = 1;
    o.KAusr = 1;
    o.Sline = 1;
    o.FrageNummer = page;
    return o;
}

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 7 % 256, y * 13 % 256, (x + y) % 256, 255 - (x % 3) * 60));
    return image;
}

} // namespace

class TestZepFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryField();
    void optionalKeys_data();
    void optionalKeys();
    void magic_data();
    void magic();
    void truncatedAnywhereFails();
    void badTextLength_data();
    void badTextLength();
    void hugeObjectCountFailsWithoutAllocating();
    void negativeObjectCountMeansNoObjects();
    void questionNumberCaptionsAreEmptied();
    void runTimeStateIsReset();
    void failedReadLeavesDocumentAlone();

    void roundTrip_data();
    void roundTrip();
    void writerLayout();
    void writeFailure_data();
    void writeFailure();

    void peekReadsOnlyTheStart();
    void peekRejects_data();
    void peekRejects();

    void committedFixtures_data();
    void committedFixtures();
};

void TestZepFormat::readsEveryField()
{
    TopicDocument doc;
    QCOMPARE(readBytes(fullFile(), doc), ZepReadStatus::Ok);
    QCOMPARE(doc.vers, QStringLiteral("1.00"));
    QCOMPARE(doc.titel, QStringLiteral("Grüße „Euro“ €"));
    QCOMPARE(doc.autor, QStringLiteral("Frau Müller"));
    QCOMPARE(doc.bemerkung, QStringLiteral("Bemerkung"));
    QCOMPARE(doc.lueckentext, QStringLiteral("Lückentext\r\nZeile 2"));
    QCOMPARE(doc.fragentext, QStringLiteral("Frage // Antwort"));
    QCOMPARE(doc.AnzFrageNummern, 3);
    QCOMPARE(doc.DokTyp, DocType::SingleQuestions);
    QCOMPARE(doc.RandErw, (std::array<double, 4> {0.1, 0.2, 0.3, 0.4}));
    QCOMPARE(doc.NumArt, 1);
    QCOMPARE(doc.GeordnetArt, 0);
    QCOMPARE(doc.objects.size(), 2);

    const DocObject& first = doc.objects.at(0);
    QCOMPARE(first.Sx, 0.25);
    QCOMPARE(first.Sy, 0.5);
    QCOMPARE(first.Kx, 0.75);
    QCOMPARE(first.Ky, 1.5);
    QCOMPARE(first.Cap, QStringLiteral("a, b\r\nzweite"));
    QCOMPARE(first.KAusr, 1);
    QCOMPARE(first.TAusr, 2);
    QCOMPARE(first.Ebene, 1);
    QCOMPARE(first.Typ, 0);
    QCOMPARE(first.Sline, 1);
    QCOMPARE(first.Fsize, -2);
    QCOMPARE(first.KAusrAkt, 3);
    QCOMPARE(first.FrageNummer, 7);
    const DocObject& second = doc.objects.at(1);
    QCOMPARE(second.Sx, -0.5);
    QCOMPARE(second.Cap, QString());
    QCOMPARE(second.Typ, 10);
    QCOMPARE(second.Fsize, 5);
    QCOMPARE(second.FrageNummer, -1);

    QCOMPARE(doc.picture.size(), QSize(3, 2));
    QCOMPARE(doc.picture.pixel(2, 1), fixturePicture().pixel(2, 1));
    QCOMPARE(doc.picture.pixel(0, 0), qRgba(255, 0, 0, 255));
}

void TestZepFormat::optionalKeys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<bool>("headerOptions");
    QTest::addColumn<bool>("pageNumbers");

    QTest::newRow("every key") << fullKeys << true << true;
    QTest::newRow("without OB-FrageNummer") << keysWithoutPage << true << false;
    QTest::newRow("without any HD- option") << keysWithoutHeaderOptions << false << false;
    QTest::newRow("without HD- options, with pages")
        << QByteArray(keysWithoutHeaderOptions + "OB-FrageNummer|") << false << true;
    QTest::newRow("keys in another order, no separators") << QByteArray(
        "OB-FrageNummerHD-GeordnetArtHD-NumArtHD-RandErwHD-DokTypHD-AnzFrageNummernHD-fragentext"
        "HD-lueckentext") << true << true;
    // The "always" fields are read whether listed or not.
    QTest::newRow("empty key list") << QByteArray() << false << false;
}

void TestZepFormat::optionalKeys()
{
    QFETCH(QByteArray, keys);
    QFETCH(bool, headerOptions);
    QFETCH(bool, pageNumbers);

    ZepBytes file = header("ALF-1.01", keys);
    if (headerOptions) {
        file.text("L\xfc"
                  "cke")
            .text("F // A")
            .int32(4)
            .int32(1);
        file.real(0.5).real(0).real(0).real(0.25).int32(1).int32(1);
    }
    file.int32(2);
    const int recordStart = file.bytes.size();
    file.record(0.1, 0.2, 0.3, 0.4, "x,y", 0, 1, 2, 3, 1, 2, 3, pageNumbers ? std::optional<qint32>(5) : std::nullopt);
    // A record is 64 + n bytes long without the page number and 68 + n with it.
    QCOMPARE(file.bytes.size() - recordStart, (pageNumbers ? 68 : 64) + 3);
    file.record(0.5, 0.5, 0.5, 0.5, "z", 0, 0, 0, 0, 0, 0, 0, pageNumbers ? std::optional<qint32>(6) : std::nullopt);
    file.raw(fixturePng());

    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), ZepReadStatus::Ok);
    QCOMPARE(doc.lueckentext, headerOptions ? QStringLiteral("Lücke") : QString());
    QCOMPARE(doc.AnzFrageNummern, headerOptions ? 4 : 0);
    QCOMPARE(doc.DokTyp, headerOptions ? DocType::ClozeText : DocType::ImageLabelling);
    QCOMPARE(doc.RandErw[0], headerOptions ? 0.5 : 0.0);
    QCOMPARE(doc.RandErw[3], headerOptions ? 0.25 : 0.0);
    QCOMPARE(doc.NumArt, headerOptions ? 1 : 0);
    QCOMPARE(doc.GeordnetArt, headerOptions ? 1 : 0);
    QCOMPARE(doc.objects.size(), 2);
    QCOMPARE(doc.objects.at(0).Cap, QStringLiteral("x\r\ny"));
    QCOMPARE(doc.objects.at(0).FrageNummer, pageNumbers ? 5 : -1);
    QCOMPARE(doc.objects.at(1).FrageNummer, pageNumbers ? 6 : -1);
    QCOMPARE(doc.objects.at(1).Cap, QStringLiteral("z"));
    QCOMPARE(doc.picture.size(), QSize(3, 2));
}

void TestZepFormat::magic_data()
{
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<ZepReadStatus>("status");

    QTest::newRow("ALF-1.01") << QByteArray("ALF-1.01") << ZepReadStatus::Ok;
    QTest::newRow("ALF-2.00 is accepted") << QByteArray("ALF-2.00") << ZepReadStatus::Ok;
    QTest::newRow("ALF- alone") << QByteArray("ALF-") << ZepReadStatus::Ok;
    QTest::newRow("foreign magic") << QByteArray("ZEP-HSC-1.00") << ZepReadStatus::BadMagic;
    QTest::newRow("lower case") << QByteArray("alf-1.01") << ZepReadStatus::BadMagic;
    QTest::newRow("too short") << QByteArray("ALF") << ZepReadStatus::BadMagic;
    QTest::newRow("empty") << QByteArray() << ZepReadStatus::BadMagic;
}

void TestZepFormat::magic()
{
    QFETCH(QByteArray, magic);
    QFETCH(ZepReadStatus, status);
    ZepBytes file = header(magic, fullKeys);
    file.text("").text("").int32(0).int32(0).real(0).real(0).real(0).real(0).int32(0).int32(0).int32(0);
    file.raw(fixturePng());
    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), status);
}

void TestZepFormat::truncatedAnywhereFails()
{
    const QByteArray bytes = fullFile();
    const int pngStart = bytes.size() - fixturePng().size();
    // Every cut point, inside the header, inside a record and inside the picture.
    for (int length = 0; length < bytes.size(); ++length) {
        TopicDocument doc;
        const ZepReadStatus status = readBytes(bytes.left(length), doc);
        const QByteArray where = length < pngStart ? "before the picture" : "inside the picture";
        QVERIFY2(status == ZepReadStatus::ReadError,
            qPrintable(QStringLiteral("cut at %1 (%2)").arg(length).arg(QString::fromLatin1(where))));
    }
}

void TestZepFormat::badTextLength_data()
{
    QTest::addColumn<qint32>("length");
    QTest::newRow("negative") << qint32(-1);
    QTest::newRow("most negative") << qint32(std::numeric_limits<qint32>::min());
    QTest::newRow("huge") << qint32(std::numeric_limits<qint32>::max());
    QTest::newRow("one more than the rest") << qint32(9);
}

void TestZepFormat::badTextLength()
{
    QFETCH(qint32, length);
    // The title's byte count lies; eight bytes follow it.
    ZepBytes file;
    file.text("ALF-1.01").text(fullKeys).text("1.00").int32(length).raw("12345678");
    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), ZepReadStatus::ReadError);
    ZepPeek peek;
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::ReadOnly);
    QVERIFY(!peekTopicFile(buffer, peek));
}

void TestZepFormat::hugeObjectCountFailsWithoutAllocating()
{
    ZepBytes file = header("ALF-1.01", keysWithoutHeaderOptions);
    file.int32(std::numeric_limits<qint32>::max());
    file.record(0.1, 0.1, 0.1, 0.1, "a", 0, 0, 0, 0, 0, 0, 0, std::nullopt);
    file.raw(fixturePng());
    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), ZepReadStatus::ReadError);
}

void TestZepFormat::negativeObjectCountMeansNoObjects()
{
    ZepBytes file = header("ALF-1.01", keysWithoutHeaderOptions);
    file.int32(-3);
    file.raw(fixturePng());
    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), ZepReadStatus::Ok);
    QVERIFY(doc.objects.isEmpty());
    QCOMPARE(doc.picture.size(), QSize(3, 2));
}

void TestZepFormat::questionNumberCaptionsAreEmptied()
{
    ZepBytes file = header("ALF-1.01", fullKeys);
    file.text("").text("").int32(1).int32(2).real(0).real(0).real(0).real(0).int32(0).int32(0);
    file.int32(4);
    file.record(0, 0, 0, 0, "\"Frage Nr. 1\"", 1, 0, 1, 11, 0, 0, 0, 1);
    file.record(0, 0, 0, 0, "\"Wie heißt Frage Nr. 2?\"", 1, 0, 1, 11, 0, 0, 0, 1);
    file.record(0, 0, 0, 0, "\"Frage Nr. 1\"", 1, 0, 1, 10, 0, 0, 0, 1);
    file.record(0, 0, 0, 0, "\"Frage Nr 1\"", 1, 0, 1, 11, 0, 0, 0, 1);
    file.raw(fixturePng());
    TopicDocument doc;
    QCOMPARE(readBytes(file.bytes, doc), ZepReadStatus::Ok);
    QCOMPARE(doc.objects.at(0).Cap, QString());
    QCOMPARE(doc.objects.at(1).Cap, QString());
    QCOMPARE(doc.objects.at(2).Cap, QStringLiteral("Frage Nr. 1"));
    QCOMPARE(doc.objects.at(3).Cap, QStringLiteral("Frage Nr 1"));
}

void TestZepFormat::runTimeStateIsReset()
{
    TopicDocument doc;
    QCOMPARE(readBytes(fullFile(), doc), ZepReadStatus::Ok);
    for (const DocObject& o : std::as_const(doc.objects)) {
        QCOMPARE(o.coverState, qint32(CoverState::Covered));
        QCOMPARE(o.displayNumber, -1);
        QCOMPARE(o.failsAsTarget, 0);
        QCOMPARE(o.failsAsText, 0);
        QCOMPARE(o.boxRect, (std::array<double, 4> {-1, -1, -1, -1}));
        QCOMPARE(o.boxWidth, 0.0);
        QCOMPARE(o.boxPixelLeft, -1);
        QCOMPARE(o.boxPixelTop, -1);
    }
}

void TestZepFormat::failedReadLeavesDocumentAlone()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("bisher");
    doc.objects.append(object(0.5, 0.5, "alt", 0));
    const QByteArray bytes = fullFile();
    QCOMPARE(readBytes(bytes.left(bytes.size() - 20), doc), ZepReadStatus::ReadError);
    QCOMPARE(doc.titel, QStringLiteral("bisher"));
    QCOMPARE(doc.objects.size(), 1);
}

void TestZepFormat::roundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("image labelling") << 0;
    QTest::newRow("cloze text") << 1;
    QTest::newRow("single questions") << 2;
    QTest::newRow("empty document") << 3;
}

void TestZepFormat::roundTrip()
{
    QFETCH(int, kind);
    TopicDocument doc;
    doc.vers = QStringLiteral("1.01");
    doc.titel = QStringLiteral("Euromünzen – Länderseiten „zufällig“");
    doc.autor = QStringLiteral("Ä. Öztürk");
    doc.bemerkung = QStringLiteral("Zeile 1\r\nZeile 2 – mit € und ‚Zitat‘…");
    doc.RandErw = {0.1, 0.05, 0.2, 0.125};
    doc.NumArt = kind == 1 ? 1 : 0;
    doc.GeordnetArt = kind;
    doc.picture = picture(37, 23);
    switch (kind) {
    case 0:
        doc.objects = {object(0.2, 0.3, "Wertseite", 0), object(0.7, 0.3, "Land, Jahr", 0),
            object(0.5, 0.9, "Sie sagte \"Hallo\"\r\nund ging", 1), object(0.1, 0.1, "https://www.ecb.europa.eu/", 4),
            object(0.3, 0.1, "Info\r\n\r\nmit Lücke", 2)};
        break;
    case 1:
        doc.DokTyp = DocType::ClozeText;
        doc.lueckentext = QStringLiteral("Der <Euro> wurde <2002> als Bargeld eingeführt.");
        doc.objects = {object(0.1, 0.1, "Euro", 3), object(0.4, 0.1, "2002", 3)};
        break;
    case 2:
        doc.DokTyp = DocType::SingleQuestions;
        doc.fragentext = QStringLiteral("<@flaggenfrage><@img=de.png> // Deutschland\r\nHauptstadt? // Berlin");
        doc.AnzFrageNummern = 2;
        for (int page = 1; page <= 2; ++page) {
            doc.objects.append(object(0.1, 0.175, "Frage:", 11, page));
            doc.objects.append(object(0.1, 0.4, page == 1 ? "<@flaggenfrage><@img=de.png>" : "Hauptstadt?", 11, page));
            doc.objects.append(object(0.1, 0.6, "Antwort:", 17, page));
            doc.objects.append(object(0.225, 0.6, page == 1 ? "Deutschland" : "Berlin", 10, page));
        }
        for (int typ : {14, 12, 13, 15, 16})
            doc.objects.append(object(0.1 + (typ - 12) * 0.06, 0.775, "", typ));
        break;
    default:
        doc.picture = picture(1, 1);
        break;
    }
    for (DocObject& o : doc.objects) {
        o.Fsize = int(o.Kx * 10) - 2;
        o.KAusrAkt = 2;
        o.TAusr = 1;
    }

    const QByteArray bytes = writeBytes(doc);
    QVERIFY(!bytes.isEmpty());
    TopicDocument back;
    QCOMPARE(readBytes(bytes, back), ZepReadStatus::Ok);
    QVERIFY(back.sameContent(doc));
    QCOMPARE(back.picture.size(), doc.picture.size());
    QCOMPARE(back.picture.convertToFormat(QImage::Format_ARGB32), doc.picture);

    // Written again, the file is the same to the byte.
    QCOMPARE(writeBytes(back), bytes);
}

void TestZepFormat::writerLayout()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("T");
    doc.picture = picture(2, 2);
    doc.objects = {object(0.5, 0.25, "a, b", 0, 3)};
    const QByteArray bytes = writeBytes(doc);

    ZepBytes start;
    start.text("ALF-1.01").text(fullKeys).text("1.00").text("T").text("").text("").text("").text("");
    start.int32(0).int32(0).real(0).real(0).real(0).real(0).int32(0).int32(0).int32(1);
    start.record(0.45, 0.3, 0.5, 0.25, "\"a, b\"", 1, 0, 1, 0, 1, 0, 0, 3);
    QVERIFY(bytes.startsWith(start.bytes));
    // The picture follows at once, as a complete PNG datastream.
    QVERIFY(bytes.mid(start.bytes.size()).startsWith("\x89PNG\r\n\x1a\n"));
    QVERIFY(bytes.endsWith(QByteArray::fromHex("0000000049454e44ae426082")));
}

void TestZepFormat::writeFailure_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::newRow("nothing fits") << qint64(0);
    QTest::newRow("inside the magic") << qint64(6);
    QTest::newRow("inside the header") << qint64(300);
    QTest::newRow("inside an object") << qint64(420);
    QTest::newRow("inside the picture") << qint64(600);
}

void TestZepFormat::writeFailure()
{
    QFETCH(qint64, limit);
    TopicDocument doc;
    doc.picture = picture(40, 40);
    doc.objects = {object(0.5, 0.5, "Objekt", 0), object(0.6, 0.6, "Objekt", 0)};
    QVERIFY(writeBytes(doc).size() > 600);
    FailingDevice device(limit);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(!writeTopicFile(device, doc));
}

void TestZepFormat::peekReadsOnlyTheStart()
{
    // Magic, key list, version and title, then garbage: peeking never looks further.
    ZepBytes file;
    file.text("ALF-1.01").text(fullKeys).text("1.02").text("Flaggen der Eurozone");
    const qint64 end = file.bytes.size();
    file.int32(-7).raw("no picture here");
    QBuffer buffer(&file.bytes);
    buffer.open(QIODevice::ReadOnly);
    ZepPeek peek;
    QVERIFY(peekTopicFile(buffer, peek));
    QCOMPARE(peek.vers, QStringLiteral("1.02"));
    QCOMPARE(peek.titel, QStringLiteral("Flaggen der Eurozone"));
    QCOMPARE(buffer.pos(), end);
}

void TestZepFormat::peekRejects_data()
{
    QTest::addColumn<QByteArray>("bytes");
    ZepBytes foreign;
    foreign.text("ZEP-HSC-1.00").text("").text("1.00").text("x");
    ZepBytes cut;
    cut.text("ALF-1.01").text(fullKeys).text("1.00").int32(5).raw("ab");
    QTest::newRow("foreign magic") << foreign.bytes;
    QTest::newRow("title cut off") << cut.bytes;
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("three bytes") << QByteArray("ALF");
}

void TestZepFormat::peekRejects()
{
    QFETCH(QByteArray, bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    ZepPeek peek;
    QVERIFY(!peekTopicFile(buffer, peek));
}

void TestZepFormat::committedFixtures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("objects");
    QTest::addColumn<int>("firstPage");

    QTest::newRow("every key") << "alle-schluessel.zep" << int(ZepReadStatus::Ok) << 2 << 7;
    QTest::newRow("no page numbers") << "ohne-fragenummer.zep" << int(ZepReadStatus::Ok) << 2 << -1;
    QTest::newRow("no header options") << "ohne-hd-optionen.zep" << int(ZepReadStatus::Ok) << 2 << -1;
    QTest::newRow("version 2.00") << "version-2.zep" << int(ZepReadStatus::Ok) << 2 << 7;
    QTest::newRow("foreign magic") << "fremdes-format.zep" << int(ZepReadStatus::BadMagic) << 0 << 0;
    QTest::newRow("cut in a record") << "abgeschnitten-objekt.zep" << int(ZepReadStatus::ReadError) << 0 << 0;
    QTest::newRow("cut in the picture") << "abgeschnitten-bild.zep" << int(ZepReadStatus::ReadError) << 0 << 0;
    QTest::newRow("negative text length") << "negative-laenge.zep" << int(ZepReadStatus::ReadError) << 0 << 0;
    QTest::newRow("huge text length") << "riesige-laenge.zep" << int(ZepReadStatus::ReadError) << 0 << 0;
}

void TestZepFormat::committedFixtures()
{
    QFETCH(QString, name);
    QFETCH(int, status);
    QFETCH(int, objects);
    QFETCH(int, firstPage);

    // The fixtures were laid out byte by byte by the recipes in this file; TALLOWMERE_WRITE_FIXTURES=1
    // writes them anew into the source tree.
    const QByteArray full = fullFile();
    ZepBytes noPage = header("ALF-1.01", keysWithoutPage);
    noPage.text("").text("").int32(0).int32(0).real(0).real(0).real(0).real(0).int32(0).int32(0).int32(2);
    noPage.record(0.1, 0.2, 0.3, 0.4, "eins", 0, 0, 1, 0, 1, 0, 0, std::nullopt);
    noPage.record(0.5, 0.6, 0.7, 0.8, "zwei", 0, 0, 1, 0, 1, 0, 0, std::nullopt).raw(fixturePng());
    ZepBytes noOptions = header("ALF-1.01", keysWithoutHeaderOptions).int32(2);
    noOptions.record(0.1, 0.2, 0.3, 0.4, "eins", 0, 0, 1, 0, 1, 0, 0, std::nullopt);
    noOptions.record(0.5, 0.6, 0.7, 0.8, "zwei", 0, 0, 1, 0, 1, 0, 0, std::nullopt).raw(fixturePng());
    QByteArray version2 = full;
    version2.replace(4, 8, "ALF-2.00");
    QByteArray foreign = full;
    foreign.replace(4, 8, "ZEP-1.01");
    ZepBytes negative;
    negative.text("ALF-1.01").text(fullKeys).text("1.00").int32(-5).raw(fixturePng());
    ZepBytes huge;
    huge.text("ALF-1.01").text(fullKeys).text("1.00").int32(0x7fffffff).raw(fixturePng());
    const QHash<QString, QByteArray> recipes {
        {"alle-schluessel.zep", full},
        {"ohne-fragenummer.zep", noPage.bytes},
        {"ohne-hd-optionen.zep", noOptions.bytes},
        {"version-2.zep", version2},
        {"fremdes-format.zep", foreign},
        {"abgeschnitten-objekt.zep", full.left(full.indexOf("zweite") + 10)},
        {"abgeschnitten-bild.zep", full.left(full.size() - 30)},
        {"negative-laenge.zep", negative.bytes},
        {"riesige-laenge.zep", huge.bytes},
    };
    const QString path = QStringLiteral(TALLOWMERE_TEST_DATA "zep/") + name;
    if (qEnvironmentVariableIntValue("TALLOWMERE_WRITE_FIXTURES") == 1) {
        QDir().mkpath(QStringLiteral(TALLOWMERE_TEST_DATA "zep"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(recipes.value(name));
    }

    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    TopicDocument doc;
    QCOMPARE(int(readTopicFile(file, doc)), status);
    if (status == int(ZepReadStatus::Ok)) {
        QCOMPARE(doc.objects.size(), objects);
        QCOMPARE(doc.objects.first().FrageNummer, firstPage);
        QCOMPARE(doc.picture.size(), QSize(3, 2));
    }
}

QTEST_GUILESS_MAIN(TestZepFormat)
#include "tst_zepformat.moc"
