#include "cardview/viewexport.h"
#include "common/filemessages.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"
#include "topicheaderjson.h"
#include "zeptoolrun.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "document/zepbytes.h"

namespace {

// The console form of a program message: one line break per line, as zeptool prints it.
QByteArray consoleText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).toUtf8() + '\n';
}

QImage smallPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(QColor(40, 120, 200));
    return picture;
}

DocObject makeObject(
    double sx, double sy, double kx, double ky, const QString& caption, qint32 typ, qint32 frageNummer = -1)
{
    DocObject object;
    object.Sx = sx;
    object.Sy = sy;
    object.Kx = kx;
    object.Ky = ky;
    object.Cap = caption;
    object.KAusr = 3;
    object.TAusr = 1;
    object.Ebene = 1;
    object.Typ = typ;
    object.Sline = 1;
    object.Fsize = -2;
    object.KAusrAkt = 4;
    object.FrageNummer = frageNummer;
    return object;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The raw text of the value after "key": in the first place it occurs.
QByteArray rawValue(const QByteArray& json, const char* key)
{
    const QRegularExpression pattern(QStringLiteral("\"%1\": (\"[^\"]*\"|[^,}\\]\\s]+)").arg(QLatin1String(key)));
    return pattern.match(QString::fromUtf8(json)).captured(1).toUtf8();
}

// The topic the render tests draw: a picture of one colour with a white margin on the right
// half as wide as the picture, and one covered label at (0.1, 0.5) whose box lies to the right
// of that point.
const QColor renderPictureColour(40, 120, 200);
const QColor coverColour(202, 228, 255);

DocObject rightOf(double x, double y, const QString& caption, qint32 kind, qint32 page = -1)
{
    DocObject object = makeObject(x, y, x, y, caption, kind, page);
    object.KAusr = 1;
    object.KAusrAkt = 1;
    object.Sline = 0;
    return object;
}

TopicDocument renderTopic()
{
    TopicDocument document;
    document.picture = QImage(200, 100, QImage::Format_ARGB32);
    document.picture.fill(renderPictureColour);
    document.RandErw = {0, 0, 0.5, 0};
    document.objects = {rightOf(0.1, 0.5, QStringLiteral("Bauchspeicheldrüse"), ObjectKind::Label)};
    return document;
}

// Single questions on the same picture without margin: two pages, each with its question and
// its answer at (0.1, 0.6).
TopicDocument questionsTopic()
{
    TopicDocument document;
    document.DokTyp = DocType::SingleQuestions;
    document.AnzFrageNummern = 2;
    document.picture = QImage(200, 100, QImage::Format_ARGB32);
    document.picture.fill(renderPictureColour);
    for (qint32 page = 1; page <= 2; ++page) {
        document.objects.append(
            rightOf(0.1, 0.3, QStringLiteral("Frage %1?").arg(page), ObjectKind::QuestionText, page));
        document.objects.append(rightOf(0.1, 0.6, QStringLiteral("Antwort %1").arg(page), ObjectKind::Answer, page));
    }
    return document;
}

// Every pixel of rect has the colour, or (when equal is false) none has it.
struct PixelProbe
{
    QRect rect;
    QColor colour;
    bool equal = true;
};

QString failedProbe(const QImage& image, const PixelProbe& probe)
{
    for (int y = probe.rect.top(); y <= probe.rect.bottom(); ++y) {
        for (int x = probe.rect.left(); x <= probe.rect.right(); ++x) {
            const QColor found = image.pixelColor(x, y);
            if ((found == probe.colour) != probe.equal)
                return QStringLiteral("pixel (%1, %2) is %3, %4 %5")
                    .arg(x)
                    .arg(y)
                    .arg(found.name(), probe.equal ? QStringLiteral("expected") : QStringLiteral("not expected"),
                        probe.colour.name());
        }
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(PixelProbe)
Q_DECLARE_METATYPE(TopicDocument)

class TestZeptool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void infoShowsWrittenDocument_data();
    void infoShowsWrittenDocument();
    void infoKeysInFileOrder();
    void infoHandMadeFiles_data();
    void infoHandMadeFiles();
    void infoDoublesReadBackExactly_data();
    void infoDoublesReadBackExactly();
    void infoBadFiles_data();
    void infoBadFiles();

    void peekListsTopicFilesAndFolders();

    void renderDrawsTheCard_data();
    void renderDrawsTheCard();
    void renderRefuses_data();
    void renderRefuses();
    void drawingCommandsAreQuietWithoutSession_data();
    void drawingCommandsAreQuietWithoutSession();

    void wrongUsage_data();
    void wrongUsage();
    void help_data();
    void help();
    void commandHelp_data();
    void commandHelp();
    void wmfWarnsOfLostCharacters_data();
    void wmfWarnsOfLostCharacters();

private:
    QString writeTopic(const QString& name, const TopicDocument& document);
    QString writeBytes(const QString& name, const QByteArray& bytes);
    QJsonObject infoJson(const QString& path, QByteArray* raw = nullptr);

    QTemporaryDir m_dir;
};

void TestZeptool::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(ZEPTOOL_PATH)).isExecutable());
}

QString TestZeptool::writeTopic(const QString& name, const TopicDocument& document)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeTopicFile(file, document))
        return {};
    return path;
}

QString TestZeptool::writeBytes(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QJsonObject TestZeptool::infoJson(const QString& path, QByteArray* raw)
{
    const ToolResult result = runZeptool({QStringLiteral("info"), path});
    if (result.exitCode != 0) {
        qWarning() << "zeptool info failed:" << result.exitCode << result.err;
        return {};
    }
    if (!result.err.isEmpty())
        qWarning() << "zeptool info wrote to stderr:" << result.err;
    if (raw)
        *raw = result.out;
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(result.out, &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << "not JSON:" << error.errorString() << result.out.left(500);
    return json.object();
}

void compareWithDocument(const QJsonObject& json, const TopicDocument& expected)
{
    compareTopicHeader(json, expected);
    if (QTest::currentTestFailed())
        return;
    const QJsonObject picture = json.value("picture").toObject();
    QCOMPARE(picture.value("width").toInt(-1), expected.picture.width());
    QCOMPARE(picture.value("height").toInt(-1), expected.picture.height());

    const QJsonArray objects = json.value("objects").toArray();
    QCOMPARE(objects.size(), expected.objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject o = objects.at(i).toObject();
        const DocObject& e = expected.objects.at(i);
        QCOMPARE(o.size(), 13);
        QCOMPARE(o.value("Sx").toDouble(), e.Sx);
        QCOMPARE(o.value("Sy").toDouble(), e.Sy);
        QCOMPARE(o.value("Kx").toDouble(), e.Kx);
        QCOMPARE(o.value("Ky").toDouble(), e.Ky);
        QCOMPARE(o.value("Cap").toString(), e.Cap);
        QCOMPARE(o.value("KAusr").toInt(-99), e.KAusr);
        QCOMPARE(o.value("TAusr").toInt(-99), e.TAusr);
        QCOMPARE(o.value("Ebene").toInt(-99), e.Ebene);
        QCOMPARE(o.value("Typ").toInt(-99), e.Typ);
        QCOMPARE(o.value("Sline").toInt(-99), e.Sline);
        QCOMPARE(o.value("Fsize").toInt(-99), e.Fsize);
        QCOMPARE(o.value("KAusrAkt").toInt(-99), e.KAusrAkt);
        QCOMPARE(o.value("FrageNummer").toInt(-99), e.FrageNummer);
    }
}

void TestZeptool::infoShowsWrittenDocument_data()
{
    QTest::addColumn<TopicDocument>("document");

    TopicDocument empty;
    empty.picture = smallPicture(1, 1);
    QTest::newRow("start values, no objects") << empty;

    TopicDocument labelling;
    labelling.vers = QStringLiteral("2.10");
    labelling.titel = QStringLiteral("Größe – „Maße“ € ‚x‘ … Straße");
    labelling.autor = QStringLiteral("Jürgen Öztürk");
    labelling.bemerkung = QStringLiteral("Zeile 1\r\nZeile 2\r\n\r\n\tEingerückt \"zitiert\" C:\\Pfad\\");
    labelling.RandErw = {0.25, 0, 0.125, 1.5};
    labelling.NumArt = 1;
    labelling.GeordnetArt = 7;
    labelling.picture = smallPicture(7, 5);
    labelling.objects = {
        makeObject(0.1, 0.2, 0.3, 0.4, QStringLiteral("Leber"), ObjectKind::Label),
        makeObject(
            -0.5, 1.5, 2, -3, QStringLiteral("Zeile eins\r\nzwei, mit Komma\r\n\"drei\""), ObjectKind::FixedText),
        makeObject(0.5, 0.5, 0.5, 0.5, QStringLiteral("Info <b>fett</b>"), ObjectKind::InfoPoint),
        makeObject(0.9, 0.1, 0.8, 0.2, QStringLiteral("http://example.org/a,b"), ObjectKind::WebLink),
        makeObject(0.9, 0.9, 0.8, 0.8, QStringLiteral("..\\Themen\\Herz.zep"), ObjectKind::DocumentLink),
    };
    QTest::newRow("image labelling") << labelling;

    TopicDocument cloze;
    cloze.titel = QStringLiteral("Lückentext");
    cloze.DokTyp = DocType::ClozeText;
    cloze.lueckentext = QStringLiteral("Der <Rhein> fließt in die <Nordsee>.\r\nZweite Zeile.");
    cloze.picture = smallPicture(20, 3);
    DocObject gap = makeObject(0.2, 0.3, 0.2, 0.3, QStringLiteral("Rhein"), ObjectKind::ClozeGap);
    gap.KAusr = 2;
    gap.Sline = 0;
    cloze.objects = {gap, makeObject(0.6, 0.3, 0.6, 0.3, QStringLiteral("Nordsee"), ObjectKind::ClozeGap)};
    QTest::newRow("cloze text") << cloze;

    TopicDocument questions;
    questions.titel = QStringLiteral("Flaggen zufällig");
    questions.DokTyp = DocType::SingleQuestions;
    questions.fragentext = QStringLiteral("Hauptstadt von Malta?//Valletta\r\n<@flaggenfrage>//Estland\r\n");
    questions.AnzFrageNummern = 2;
    questions.picture = smallPicture(4, 4);
    for (qint32 page = 1; page <= 2; ++page) {
        questions.objects.append(
            makeObject(0.1, 0.175, 0.1, 0.175, QStringLiteral("Frage:"), ObjectKind::QuestionText, page));
        questions.objects.append(
            makeObject(0.1, 0.4, 0.1, 0.4, QStringLiteral("Hauptstadt?"), ObjectKind::QuestionText, page));
        questions.objects.append(
            makeObject(0.1, 0.6, 0.1, 0.6, QStringLiteral("Antwort:"), ObjectKind::PageText, page));
        questions.objects.append(
            makeObject(0.225, 0.6, 0.225, 0.6, QStringLiteral("Valletta"), ObjectKind::Answer, page));
    }
    const qint32 buttons[] = {ObjectKind::PageFirst, ObjectKind::PagePrevious, ObjectKind::PageNext,
        ObjectKind::PageLast, ObjectKind::PageRandom};
    double x = 0.1;
    for (qint32 kind : buttons) {
        questions.objects.append(makeObject(x, 0.775, x, 0.775, QString(), kind));
        x += 0.06;
    }
    QTest::newRow("single questions") << questions;
}

void TestZeptool::infoShowsWrittenDocument()
{
    QFETCH(TopicDocument, document);
    const QString path = writeTopic(QStringLiteral("written.zep"), document);
    QVERIFY(!path.isEmpty());
    const QJsonObject json = infoJson(path);
    QVERIFY(!json.isEmpty());
    compareWithDocument(json, document);
    if (QTest::currentTestFailed())
        return;

    // What zeptool shows is what the program itself reads.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    TopicDocument read;
    QCOMPARE(readTopicFile(file, read), ZepReadStatus::Ok);
    compareWithDocument(json, read);
}

void TestZeptool::infoKeysInFileOrder()
{
    TopicDocument document;
    document.picture = smallPicture(2, 2);
    document.objects = {makeObject(1, 2, 3, 4, QStringLiteral("a"), 0, 3)};
    const QString path = writeTopic(QStringLiteral("order.zep"), document);
    QByteArray raw;
    QVERIFY(!infoJson(path, &raw).isEmpty());

    const char* keys[] = {"vers", "titel", "autor", "bemerkung", "lueckentext", "fragentext", "AnzFrageNummern",
        "DokTyp", "RandErw", "NumArt", "GeordnetArt", "picture", "width", "height", "objects", "Sx", "Sy", "Kx", "Ky",
        "Cap", "KAusr", "TAusr", "Ebene", "Typ", "Sline", "Fsize", "KAusrAkt", "FrageNummer"};
    qsizetype previous = -1;
    for (const char* key : keys) {
        const qsizetype at = raw.indexOf(QByteArray("\"") + key + "\":");
        QVERIFY2(at > previous, key);
        previous = at;
    }
}

void TestZeptool::infoHandMadeFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TopicDocument>("expected");

    const QByteArray png = fixturePng();
    const QByteArray fullKeys(zepKeyList);

    TopicDocument withoutPage;
    withoutPage.vers = QStringLiteral("1.00");
    withoutPage.titel = QStringLiteral("Ohne Seitennummer");
    withoutPage.lueckentext = QStringLiteral("L");
    withoutPage.fragentext = QStringLiteral("F");
    withoutPage.AnzFrageNummern = 3;
    withoutPage.DokTyp = DocType::ClozeText;
    withoutPage.RandErw = {0.5, 0.25, 0, 1};
    withoutPage.NumArt = 1;
    withoutPage.GeordnetArt = 1;
    withoutPage.picture = fixturePicture();
    withoutPage.objects = {makeObject(0.5, 0.25, 0.75, 1, QStringLiteral("Zwei Wörter"), 0, -1),
        makeObject(0, 0, 1, 1, QStringLiteral("x\r\ny"), 1, -1)};
    QByteArray keysWithoutPage = fullKeys;
    keysWithoutPage.replace("|OB-FrageNummer|", "|");
    ZepBytes file1;
    file1.text("ALF-1.01").text(keysWithoutPage).text("1.00").text("Ohne Seitennummer").text("").text("");
    file1.text("L").text("F").int32(3).int32(1).real(0.5).real(0.25).real(0).real(1).int32(1).int32(1);
    file1.int32(2);
    file1.record(0.5, 0.25, 0.75, 1, "\"Zwei W\xf6rter\"", 3, 1, 1, 0, 1, -2, 4, std::nullopt);
    file1.record(0, 0, 1, 1, "x,y", 3, 1, 1, 1, 1, -2, 4, std::nullopt);
    file1.raw(png);
    QTest::newRow("no OB-FrageNummer key") << file1.bytes << withoutPage;

    TopicDocument withoutHeaderKeys;
    withoutHeaderKeys.vers = QStringLiteral("0.9");
    withoutHeaderKeys.titel = QStringLiteral("Alt");
    withoutHeaderKeys.autor = QStringLiteral("A");
    withoutHeaderKeys.bemerkung = QStringLiteral("B");
    withoutHeaderKeys.picture = fixturePicture();
    withoutHeaderKeys.objects = {makeObject(0.1, 0.2, 0.3, 0.4, QStringLiteral("Frage Nr. 1 bleibt"), 0, 2),
        makeObject(0.1, 0.2, 0.3, 0.4, QString(), ObjectKind::QuestionText, 2)};
    ZepBytes file2;
    file2.text("ALF-2.00").text("|HD-vers|HD-titel|OB-Cap|OB-FrageNummer|").text("0.9").text("Alt").text("A");
    file2.text("B").int32(2);
    file2.record(0.1, 0.2, 0.3, 0.4, "\"Frage Nr. 1 bleibt\"", 3, 1, 1, 0, 1, -2, 4, 2);
    file2.record(0.1, 0.2, 0.3, 0.4, "\"Frage Nr. 1\"", 3, 1, 1, ObjectKind::QuestionText, 1, -2, 4, 2);
    file2.raw(png);
    QTest::newRow("no HD- optional key, magic ALF-2.00") << file2.bytes << withoutHeaderKeys;
}

void TestZeptool::infoHandMadeFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TopicDocument, expected);
    const QString path = writeBytes(QStringLiteral("handmade.zep"), bytes);
    QVERIFY(!path.isEmpty());
    const QJsonObject json = infoJson(path);
    QVERIFY(!json.isEmpty());
    compareWithDocument(json, expected);
}

void TestZeptool::infoDoublesReadBackExactly_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("expectedText"); // empty: any text that reads back exactly

    QTest::newRow("negative zero") << -0.0 << QByteArray("-0.0");
    QTest::newRow("zero") << 0.0 << QByteArray("0");
    QTest::newRow("1e300") << 1e300 << QByteArray("1e+300");
    QTest::newRow("smallest subnormal") << 5e-324 << QByteArray("5e-324");
    QTest::newRow("0.1") << 0.1 << QByteArray("0.1");
    QTest::newRow("one third") << 1.0 / 3 << QByteArray();
    QTest::newRow("largest") << std::numeric_limits<double>::max() << QByteArray();
    QTest::newRow("smallest normal") << std::numeric_limits<double>::min() << QByteArray();
    QTest::newRow("2^53 + 2") << 9007199254740994.0 << QByteArray();
    QTest::newRow("negative fraction") << -0.123456789012345678 << QByteArray();
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QByteArray("\"NaN\"");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QByteArray("\"Infinity\"");
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << QByteArray("\"-Infinity\"");
}

void TestZeptool::infoDoublesReadBackExactly()
{
    QFETCH(double, value);
    QFETCH(QByteArray, expectedText);

    TopicDocument document;
    document.picture = smallPicture(1, 1);
    document.RandErw = {value, 0, 0, 0};
    document.objects = {makeObject(value, 0, 0, 0, QStringLiteral("a"), 0)};
    const QString path = writeTopic(QStringLiteral("double.zep"), document);
    QByteArray raw;
    QVERIFY(!infoJson(path, &raw).isEmpty());

    const QByteArray sx = rawValue(raw, "Sx");
    const QByteArray margin = rawValue(raw, "RandErw").mid(1); // after the opening bracket
    QCOMPARE(margin, sx);
    if (!expectedText.isEmpty())
        QCOMPARE(sx, expectedText);
    if (std::isfinite(value)) {
        const double back = std::strtod(sx.constData(), nullptr);
        QVERIFY2(sameBits(back, value), sx.constData());
    }
}

void TestZeptool::infoBadFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // written under name unless it is a missing file
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("badMagic");

    TopicDocument document;
    document.titel = QStringLiteral("Gut");
    document.picture = smallPicture(30, 30);
    document.objects = {makeObject(0.1, 0.2, 0.3, 0.4, QStringLiteral("Beschriftung"), 0, 1)};
    QByteArray good;
    {
        QBuffer buffer(&good);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writeTopicFile(buffer, document));
    }
    const qsizetype pngStart = good.indexOf("\x89PNG");
    QVERIFY(pngStart > 0);

    QTest::newRow("missing") << QStringLiteral("fehlt.zep") << QByteArray() << false << false;
    QTest::newRow("foreign magic") << QStringLiteral("fremd.zep")
                                   << ZepBytes().text("ZEP-HSC-1.00").text(zepKeyList).bytes << true << true;
    QTest::newRow("empty file") << QStringLiteral("leer.zep") << QByteArray() << true << false;
    QTest::newRow("ends inside a record") << QStringLiteral("kurz.zep") << good.left(pngStart - 10) << true << false;
    QTest::newRow("ends inside the picture")
        << QStringLiteral("bild.zep") << good.left(pngStart + (good.size() - pngStart) / 2) << true << false;
    QTest::newRow("negative text length")
        << QStringLiteral("negativ.zep") << ZepBytes().text("ALF-1.01").int32(-5).raw("abc").bytes << true << false;
    QTest::newRow("huge text length") << QStringLiteral("riesig.zep")
                                      << ZepBytes().text("ALF-1.01").text(zepKeyList).int32(0x7fffffff).bytes << true
                                      << false;
    QTest::newRow("a folder") << QStringLiteral("Ordner/") << QByteArray() << true << false;
    QTest::newRow("name with blanks and umlauts")
        << QStringLiteral("Übung mit Lücken.zep") << good.left(pngStart) << true << false;
}

void TestZeptool::infoBadFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QFETCH(bool, badMagic);

    QString path;
    if (!exists)
        path = m_dir.filePath(name);
    else if (name.endsWith(u'/'))
        path = QDir(m_dir.path()).mkpath(name) ? m_dir.filePath(name.chopped(1)) : QString();
    else
        path = writeBytes(name, bytes);
    QVERIFY(!path.isEmpty());
    const ToolResult result = runZeptool({QStringLiteral("info"), path});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    QByteArray expected;
    if (!exists)
        expected = consoleText(fileMissingText(path));
    else
        expected = (badMagic ? QByteArray("Ungültiges Dateiformat.\n") : QByteArray())
            + consoleText(fileUnreadableText(path));
    QCOMPARE(QString::fromUtf8(result.err), QString::fromUtf8(expected));
}

void TestZeptool::peekListsTopicFilesAndFolders()
{
    TopicDocument first;
    first.vers = QStringLiteral("1.00");
    first.titel = QStringLiteral("Euromünzen – „Rückseiten“");
    first.picture = smallPicture(2, 2);
    const QString firstPath = writeTopic(QStringLiteral("a.zep"), first);

    // The topic menu peeks only at the start: a file cut off after its title still counts.
    const QString cutPath = writeBytes(
        QStringLiteral("b.zep"), ZepBytes().text("ALF-1.02").text("|HD-vers|").text("3.5").text("Nur Kopf").bytes);
    const QString foreignPath = writeBytes(QStringLiteral("c.zep"), ZepBytes().text("ZEP-1.01").text("x").bytes);
    const QString shortPath
        = writeBytes(QStringLiteral("d.zep"), ZepBytes().text("ALF-1.01").text("|").text("1").bytes);
    const QString missingPath = m_dir.filePath(QStringLiteral("fehlt.zep"));

    // A folder is listed as the topic menu lists it: topic files only, by file name without
    // regard to case.
    QDir(m_dir.path()).mkpath(QStringLiteral("menue"));
    TopicDocument second = first;
    second.titel = QStringLiteral("Zwei");
    const QString secondPath = writeTopic(QStringLiteral("menue/b-zwei.zep"), second);
    second.titel = QStringLiteral("Eins");
    const QString onePath = writeTopic(QStringLiteral("menue/A-eins.zep"), second);
    writeBytes(QStringLiteral("menue/c.zep"), ZepBytes().text("ZEP-1.01").text("x").bytes);

    const ToolResult result = runZeptool({QStringLiteral("peek"), firstPath, foreignPath, missingPath, cutPath,
        shortPath, m_dir.filePath(QStringLiteral("menue"))});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    const QString expected = firstPath + QStringLiteral("\t1.00\tEuromünzen – „Rückseiten“\n") + cutPath
        + QStringLiteral("\t3.5\tNur Kopf\n") + onePath + QStringLiteral("\t1.00\tEins\n") + secondPath
        + QStringLiteral("\t1.00\tZwei\n");
    QCOMPARE(QString::fromUtf8(result.out), expected);
}

void TestZeptool::renderDrawsTheCard_data()
{
    QTest::addColumn<bool>("questions"); // questionsTopic() instead of renderTopic()
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<PixelProbe>>("probes");

    // At 870 x 600 the card of 300 x 100 fills the width: 870 x 290, picture left of x = 580,
    // the label's anchor at (87, 145) and its box from x = 94.
    const QRect picture(400, 50, 1, 1);
    const QRect margin(800, 145, 1, 1);
    const QRect insideCover(96, 143, 3, 5);
    const QRect labelBox(94, 135, 150, 20);
    const QColor white(Qt::white);

    QTest::newRow("defaults: covered label")
        << false << QStringList() << QSize(870, 290)
        << QList<PixelProbe> {{picture, renderPictureColour}, {margin, white}, {insideCover, coverColour}};
    QTest::newRow("uncovered") << false << QStringList {QStringLiteral("--uncover")} << QSize(870, 290)
                               << QList<PixelProbe> {{picture, renderPictureColour}, {labelBox, coverColour, false}};
    QTest::newRow("illustration layer off")
        << false << QStringList {QStringLiteral("--layers"), QStringLiteral("12")} << QSize(870, 290)
        << QList<PixelProbe> {{picture, white}, {insideCover, coverColour}};
    QTest::newRow("labels layer off") << false << QStringList {QStringLiteral("--layers"), QStringLiteral("0")}
                                      << QSize(870, 290)
                                      << QList<PixelProbe> {
                                             {picture, renderPictureColour}, {labelBox, coverColour, false}};
    // A tall control: the card keeps its proportions, 400 x 133, picture left of x = 267.
    QTest::newRow("control size") << false
                                  << QStringList {QStringLiteral("--width"), QStringLiteral("400"),
                                         QStringLiteral("--height"), QStringLiteral("400")}
                                  << QSize(400, 133)
                                  << QList<PixelProbe> {
                                         {QRect(250, 20, 1, 1), renderPictureColour}, {QRect(390, 66, 1, 1), white}};
    // At 200 % the view is the middle half of a card of 1740 x 580, from x = 435: the picture ends
    // at x = 725, and only the right end of the doubled label box (from 188 on the card) is in view.
    QTest::newRow("zoom 200 %") << false << QStringList {QStringLiteral("--zoom"), QStringLiteral("200")}
                                << QSize(870, 580)
                                << QList<PixelProbe> {{QRect(600, 100, 1, 1), renderPictureColour},
                                       {QRect(850, 290, 1, 1), white}, {QRect(2, 285, 6, 10), coverColour},
                                       {QRect(150, 250, 200, 80), coverColour, false}};
    // Without probes the picture goes to a name ending in ".JPG".
    QTest::newRow("as JPEG") << false << QStringList() << QSize(870, 290) << QList<PixelProbe>();
    // The questions' card is 870 x 435; the answer's anchor is at (87, 261). The learning card
    // covers answers whenever it is drawn, and --uncover still uncovers them.
    const QRect insideAnswerCover(96, 258, 3, 5);
    const QRect answerBox(94, 250, 60, 20);
    QTest::newRow("single questions: answer covered")
        << true << QStringList() << QSize(870, 435) << QList<PixelProbe> {{insideAnswerCover, coverColour}};
    QTest::newRow("single questions: page 2 uncovered")
        << true << QStringList {QStringLiteral("--page"), QStringLiteral("2"), QStringLiteral("--uncover")}
        << QSize(870, 435) << QList<PixelProbe> {{answerBox, coverColour, false}};
}

void TestZeptool::renderDrawsTheCard()
{
    QFETCH(bool, questions);
    QFETCH(QStringList, options);
    QFETCH(QSize, size);
    QFETCH(QList<PixelProbe>, probes);

    const QString topic = writeTopic(QStringLiteral("karte.zep"), questions ? questionsTopic() : renderTopic());
    QVERIFY(!topic.isEmpty());
    const bool jpeg = probes.isEmpty();
    const QString output = m_dir.filePath(jpeg ? QStringLiteral("karte.JPG") : QStringLiteral("karte.png"));
    QFile::remove(output);
    const ToolResult result
        = runZeptool(QStringList {QStringLiteral("render"), topic, QStringLiteral("-o"), output} + options);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(result.out, QByteArray());

    const QImage image(output);
    QCOMPARE(image.size(), size);
    if (jpeg) {
        // The output's extension decides the format, as in the export.
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.read(3) == QByteArray("\xff\xd8\xff"));
        return;
    }
    for (const PixelProbe& probe : probes) {
        const QString failure = failedProbe(image, probe);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
}

// From a root shell, cron or a build script there is no session runtime folder and no display:
// standard error still carries nothing but zeptool's own messages, and the stand-in folder
// zeptool makes for Qt is gone afterwards.
void TestZeptool::drawingCommandsAreQuietWithoutSession_data()
{
    QTest::addColumn<QStringList>("arguments"); // %1 is the topic, %2 the output file

    QTest::newRow("render") << QStringList {
        QStringLiteral("render"), QStringLiteral("%1"), QStringLiteral("-o"), QStringLiteral("%2.png")};
    QTest::newRow("arbeitsblatt") << QStringList {
        QStringLiteral("arbeitsblatt"), QStringLiteral("%1"), QStringLiteral("-o"), QStringLiteral("%2.pdf")};
}

void TestZeptool::drawingCommandsAreQuietWithoutSession()
{
    QFETCH(QStringList, arguments);
    const QString topic = writeTopic(QStringLiteral("leise.zep"), renderTopic());
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    for (QString& argument : arguments)
        argument = argument.arg(topic, temp.filePath(QStringLiteral("ausgabe")));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("TMPDIR"), temp.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZEPTOOL_PATH), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardError(), QByteArray());
    const QStringList left = QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
}

void TestZeptool::renderRefuses_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "render FILE.zep" unless the first is "-"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // for exit code 1; {path} stands for the topic, {out} for -o

    const auto options = [](std::initializer_list<const char*> list) {
        QStringList arguments;
        for (const char* argument : list)
            arguments << QString::fromUtf8(argument);
        return arguments;
    };
    QTest::newRow("no output") << options({}) << 2 << QString();
    QTest::newRow("-o without name") << options({"-o"}) << 2 << QString();
    QTest::newRow("no topic") << options({"-", "-o", "x.png"}) << 2 << QString();
    QTest::newRow("two topics") << options({"-o", "x.png", "b.zep"}) << 2 << QString();
    QTest::newRow("unknown option") << options({"-o", "x.png", "--farbe", "rot"}) << 2 << QString();
    QTest::newRow("zoom 120") << options({"-o", "x.png", "--zoom", "120"}) << 2 << QString();
    QTest::newRow("zoom without level") << options({"-o", "x.png", "--zoom"}) << 2 << QString();
    QTest::newRow("numbering 3") << options({"-o", "x.png", "--numbering", "3"}) << 2 << QString();
    QTest::newRow("layer 3") << options({"-o", "x.png", "--layers", "13"}) << 2 << QString();
    QTest::newRow("width 0") << options({"-o", "x.png", "--width", "0"}) << 2 << QString();
    QTest::newRow("width not a number") << options({"-o", "x.png", "--width", "breit"}) << 2 << QString();
    QTest::newRow("height beyond the limit") << options({"-o", "x.png", "--height", "100000"}) << 2 << QString();
    QTest::newRow("page 0") << options({"-o", "x.png", "--page", "0"}) << 2 << QString();
    QTest::newRow("GIF output") << options({"-o", "{dir}x.gif"}) << 1 << invalidExtensionText();
    QTest::newRow("missing topic") << options({"-", "{dir}fehlt.zep", "-o", "{dir}x.png"}) << 1
                                   << fileMissingText(QStringLiteral("{dir}fehlt.zep"));
    QTest::newRow("output below a file") << options({"-o", "{path}/x.png"}) << 1
                                         << fileUnwritableText(QStringLiteral("{path}/x.png"));
}

void TestZeptool::renderRefuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QString topic = writeTopic(QStringLiteral("karte.zep"), renderTopic());
    QVERIFY(!topic.isEmpty());
    const QString dir = m_dir.path() + u'/';
    message.replace(QLatin1String("{path}"), topic).replace(QLatin1String("{dir}"), dir);
    for (QString& argument : arguments) {
        argument.replace(QLatin1String("{path}"), topic);
        argument.replace(QLatin1String("{dir}"), dir);
    }
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("-"))
        arguments.removeFirst();
    else
        arguments.prepend(topic);
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);

    const ToolResult result = runZeptool(QStringList {QStringLiteral("render")} + arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, QByteArray());
    if (exitCode == 2)
        QVERIFY2(result.err.contains("falsche Argumente für \"render\"") && result.err.contains("zeptool render "),
            result.err.constData());
    else
        QVERIFY2(result.err.endsWith(consoleText(message)), result.err.constData());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

void TestZeptool::wrongUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown command") << QStringList {QStringLiteral("zeige"), QStringLiteral("a.zep")};
    QTest::newRow("info without file") << QStringList {QStringLiteral("info")};
    QTest::newRow("info with two files") << QStringList {
        QStringLiteral("info"), QStringLiteral("a.zep"), QStringLiteral("b.zep")};
    QTest::newRow("peek without file") << QStringList {QStringLiteral("peek")};
}

void TestZeptool::wrongUsage()
{
    QFETCH(QStringList, arguments);
    const ToolResult result = runZeptool(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QVERIFY2(result.err.contains("Aufruf:\n  zeptool info DATEI.zep\n"), result.err.constData());
    QVERIFY(result.err.contains("zeptool --help"));
}

void TestZeptool::help_data()
{
    QTest::addColumn<QString>("argument");
    QTest::newRow("--help") << QStringLiteral("--help");
    QTest::newRow("help") << QStringLiteral("help");
    QTest::newRow("-h") << QStringLiteral("-h");
}

void TestZeptool::help()
{
    QFETCH(QString, argument);
    const ToolResult result = runZeptool({argument});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    const QString text = QString::fromUtf8(result.out);
    for (const char* command : {"info", "peek", "render", "make"})
        QVERIFY2(text.contains(QStringLiteral("\n  zeptool %1 ").arg(QLatin1String(command))), command);
    for (const char* notation : {"\"NaN\"", "\"Infinity\"", "\"-Infinity\""})
        QVERIFY2(text.contains(QLatin1String(notation)), notation);
}

void TestZeptool::commandHelp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("option"); // one of the command's options its help lists
    QTest::newRow("info") << QStringList {"info", "--help"} << QString();
    QTest::newRow("peek") << QStringList {"peek", "-h"} << QString();
    QTest::newRow("render") << QStringList {"render", "--help"} << QStringLiteral("--zoom");
    QTest::newRow("make after a file") << QStringList {"make", "quelle.txt", "--help"} << QStringLiteral("--titel");
    QTest::newRow("hsc") << QStringList {"hsc", "--help"} << QStringLiteral("--add");
    QTest::newRow("arbeitsblatt") << QStringList {"arbeitsblatt", "--help"} << QStringLiteral("--ohne-antworten");
}

// Every command explains itself with --help and succeeds.
void TestZeptool::commandHelp()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, option);
    const ToolResult result = runZeptool(arguments);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    const QString text = QString::fromUtf8(result.out);
    QVERIFY2(text.startsWith(QStringLiteral("Aufruf:\n  zeptool %1 ").arg(arguments.first())), qPrintable(text));
    QVERIFY2(text.contains(option), qPrintable(text));
}

void TestZeptool::wmfWarnsOfLostCharacters_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("warning"); // on standard error; empty for none
    QTest::newRow("wmf") << "wmf"
                         << "zeptool: Warnung: Das WMF-Format kann diese Zeichen nicht darstellen, sie erscheinen "
                            "dort als \"?\": Ł ź →. EMF und PDF behalten sie.\n";
    QTest::newRow("emf keeps them") << "emf" << QString();
}

// A title a WMF cannot hold is written all the same, with a warning on standard error.
void TestZeptool::wmfWarnsOfLostCharacters()
{
    QFETCH(QString, extension);
    QFETCH(QString, warning);
    const QString topic = writeTopic(QStringLiteral("polen.zep"), renderTopic());
    QTemporaryDir temp;
    const QString output = temp.filePath(QStringLiteral("blatt.") + extension);
    const ToolResult result = runZeptool({QStringLiteral("arbeitsblatt"), topic, QStringLiteral("-o"), output,
        QStringLiteral("--titel"), QStringLiteral("Łódź → Kraków")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.err), warning);
    QVERIFY(QFile::exists(output));
}

QTEST_GUILESS_MAIN(TestZeptool)
#include "tst_zeptool.moc"
