#include "../zeptool/topicheaderjson.h"
#include "../zeptool/zeptoolrun.h"
#include "authoring/topiceditor.h"
#include "common/atomicfile.h"
#include "document/zepformat.h"
#include "platform/cp1252.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

// A topic made with the editor's commands and saved as the editor saves it must read back the
// same in the program, in zeptool info and in tests/support/zepreader.py, a reader of the
// format that shares no code with the program.

namespace {

// A picture whose every pixel differs; with transparent pixels the writer has to keep alpha.
QImage picture(bool transparent)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(6 * x, 8 * y, 255 - 3 * x, transparent && y < 10 ? 25 * (y % 10) : 255));
    }
    return image;
}

ObjectProperties labelProperties(const QString& caption, qint32 kausr, qint32 tausr, qint32 fsize)
{
    ObjectProperties properties;
    properties.Cap = caption;
    properties.KAusr = kausr;
    properties.TAusr = tausr;
    properties.Fsize = fsize;
    return properties;
}

DocObject placed(qint32 kind, double x, double y, const QString& caption)
{
    DocObject object;
    object.Typ = kind;
    object.Sx = object.Kx = x;
    object.Sy = object.Ky = y;
    object.Ebene = 2;
    object.Cap = caption;
    return object;
}

void compareObjects(const QJsonArray& json, const TopicDocument& expected)
{
    QCOMPARE(json.size(), expected.objects.size());
    for (int i = 0; i < json.size(); ++i) {
        const QJsonObject o = json.at(i).toObject();
        const DocObject& e = expected.objects.at(i);
        const QByteArray where = "object " + QByteArray::number(i);
        QVERIFY2(sameReal(o.value("Sx"), e.Sx), where);
        QVERIFY2(sameReal(o.value("Sy"), e.Sy), where);
        QVERIFY2(sameReal(o.value("Kx"), e.Kx), where);
        QVERIFY2(sameReal(o.value("Ky"), e.Ky), where);
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

ToolResult runIndependentReader(const QString& python, const QString& path)
{
    QProcess process;
    process.start(python, {QStringLiteral(ZEPREADER_PATH), path});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Where the object count stands: after the magic, the key list, six texts and seven numbers.
qsizetype objectCountOffset(const TopicDocument& document)
{
    qsizetype offset = 4 + qsizetype(qstrlen(zepMagic)) + 4 + qsizetype(qstrlen(zepKeyList));
    for (const QString* text : {&document.vers, &document.titel, &document.autor, &document.bemerkung,
             &document.lueckentext, &document.fragentext})
        offset += 4 + toCp1252(*text).size();
    return offset + 4 + 4 + 4 * 8 + 4 + 4;
}

void putInt(QByteArray& bytes, qsizetype offset, qint32 value)
{
    qToLittleEndian(value, bytes.data() + offset);
}

enum class Damage {
    CutInRecord,
    CutInPicture,
    TitleTooLong,
    NegativeCount,
    CountTooLarge,
    BadCrc,
    ForeignMagic,
    Trailing
};

} // namespace

Q_DECLARE_METATYPE(Damage)

class TestTopicSave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedTopicReadsBack_data();
    void savedTopicReadsBack();
    void damagedTopic_data();
    void damagedTopic();

private:
    // Makes a topic with the editor and saves it as the editor does, into m_dir.
    void makeTopic(bool transparent);

    QTemporaryDir m_dir;
    QString m_python;
    TopicDocument m_document;
    QString m_path;
    QByteArray m_bytes;
};

void TestTopicSave::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_python = QStandardPaths::findExecutable(QStringLiteral("python3"));
}

void TestTopicSave::makeTopic(bool transparent)
{
    m_document = TopicDocument();
    m_document.picture = picture(transparent);
    TopicEditor editor(m_document);

    const int river = editor.addLabel(QPointF(0.2, 0.3));
    QVERIFY(editor.editObject(river, labelProperties(QStringLiteral("Größe & Maß\r\nzweite Zeile"), 3, 1, 2)));
    QVERIFY(editor.moveObject(river, ObjectPart::Box, QPointF(0.123456789, 1.0 / 3)));
    // A lone LF, quotes, a comma and blanks inside lines: all of it has to go into the comma text.
    const int barrel = editor.addLabel(QPointF(0.8, 0.7));
    QVERIFY(editor.editObject(barrel, labelProperties(QStringLiteral("Ölfass \"Öl\", leer\nZeile 2 & 3"), 0, 2, -1)));
    QVERIFY(editor.addLabel(QPointF(0.5, 0.95)) >= 0);
    QVERIFY(editor.addObject(placed(ObjectKind::FixedText, 0.05, 0.05, QStringLiteral("Karte – Süden"))) >= 0);
    QVERIFY(editor.addObject(placed(ObjectKind::InfoPoint, 0.6, 0.2,
                QStringLiteral("<B>Flüsse</B> & <I>Seen</I>\r\n<@COL=FF0000>Quelle:</@COL> Atlas<@LINIE>")))
        >= 0);
    QVERIFY(
        editor.addObject(placed(ObjectKind::WebLink, 0.7, 0.4, QStringLiteral("https://example.org/?a=1&b=2"))) >= 0);
    QVERIFY(editor.addObject(placed(ObjectKind::DocumentLink, 0.9, 0.9, QStringLiteral("..\\Themen\\Bäume.zep"))) >= 0);

    DocumentProperties properties = DocumentProperties::of(m_document);
    properties.titel = QStringLiteral("Flüsse & Seen – Übersicht");
    properties.autor = QStringLiteral("Jörg Müller");
    properties.bemerkung = QStringLiteral("Für Klasse 5\r\n\r\nmit Karte „Süd“ €\r\n");
    properties.vers = QStringLiteral("2.10");
    // New margins work the places of the hand-placed objects out again: reals no literal gives.
    properties.RandErw = {0.1, 0.05, 0.25, 0.15};
    properties.NumArt = 1;
    properties.GeordnetArt = 1;
    QVERIFY(editor.setProperties(properties));
    // The card fills in the placement it worked out when it draws the object.
    m_document.objects[river].KAusrAkt = 3;

    // As the program saves for the editor: the whole file put together, then put in place in one step.
    m_bytes.clear(); // a buffer opened for writing only keeps what stood in it beyond the new end
    QBuffer buffer(&m_bytes);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeTopicFile(buffer, m_document));
    m_path = m_dir.filePath(transparent ? QStringLiteral("transparent.zep") : QStringLiteral("opaque.zep"));
    QVERIFY(writeFileAtomically(m_path, [this](QIODevice& file) { return file.write(m_bytes) == m_bytes.size(); }));
    editor.markSaved();
    QVERIFY(!m_document.modified);
}

void TestTopicSave::savedTopicReadsBack_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<int>("pngColourType");
    QTest::newRow("opaque picture") << false << 2; // RGB
    QTest::newRow("transparent picture") << true << 6; // RGBA
}

void TestTopicSave::savedTopicReadsBack()
{
    QFETCH(bool, transparent);
    QFETCH(int, pngColourType);
    makeTopic(transparent);
    if (QTest::currentTestFailed())
        return;
    // The captions as the editor holds them, so the comparisons below are about these texts.
    QCOMPARE(m_document.objects.at(1).Cap, QStringLiteral("Ölfass \"Öl\", leer\r\nZeile 2 & 3"));
    QCOMPARE(m_document.objects.at(2).Cap, QString::fromUtf16(newLabelCaption));

    // The program's reader.
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    TopicDocument read;
    QCOMPARE(readTopicFile(file, read), ZepReadStatus::Ok);
    QCOMPARE(DocumentProperties::of(read), DocumentProperties::of(m_document));
    QCOMPARE(read.lueckentext, m_document.lueckentext);
    QCOMPARE(read.fragentext, m_document.fragentext);
    QCOMPARE(read.AnzFrageNummern, m_document.AnzFrageNummern);
    QCOMPARE(read.DokTyp, m_document.DokTyp);
    // DocObject compares its stored and run-time fields exactly; the editor's objects were
    // never drawn, so their run-time fields are those of a read object.
    QCOMPARE(read.objects, m_document.objects);
    QCOMPARE(read.picture, m_document.picture);

    // zeptool info.
    const ToolResult info = runZeptool({QStringLiteral("info"), m_path});
    QCOMPARE(info.exitCode, 0);
    const QJsonObject tool = QJsonDocument::fromJson(info.out).object();
    compareTopicHeader(tool, m_document);
    compareObjects(tool.value("objects").toArray(), m_document);
    const QJsonObject toolPicture = tool.value("picture").toObject();
    QCOMPARE(toolPicture.value("width").toInt(), 40);
    QCOMPARE(toolPicture.value("height").toInt(), 30);

    // The independent reader.
    if (m_python.isEmpty())
        QSKIP("python3 is not installed");
    const ToolResult independent = runIndependentReader(m_python, m_path);
    QVERIFY2(independent.exitCode == 0, independent.err.constData());
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(independent.out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
    QCOMPARE(json.value("magic").toString(), QStringLiteral("ALF-1.01"));
    QCOMPARE(json.value("keys").toString(), QString::fromLatin1(zepKeyList));
    QCOMPARE(json.value("absent").toArray(), QJsonArray());
    compareTopicHeader(json.value("header").toObject(), m_document);
    compareObjects(json.value("objects").toArray(), m_document);
    const QJsonObject png = json.value("picture").toObject();
    QCOMPARE(png.value("width").toInt(), 40);
    QCOMPARE(png.value("height").toInt(), 30);
    QCOMPARE(png.value("bitDepth").toInt(), 8);
    QCOMPARE(png.value("colourType").toInt(), pngColourType);
    QCOMPARE(png.value("pngBytes").toInt(), int(m_bytes.size() - m_bytes.indexOf("\x89PNG")));
}

void TestTopicSave::damagedTopic_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<bool>("programReads");
    QTest::newRow("ends inside the last record") << Damage::CutInRecord << false;
    QTest::newRow("ends inside the picture") << Damage::CutInPicture << false;
    QTest::newRow("title longer than the file") << Damage::TitleTooLong << false;
    QTest::newRow("negative object count") << Damage::NegativeCount << false;
    QTest::newRow("one object more than stored") << Damage::CountTooLarge << false;
    QTest::newRow("picture data with a bad CRC") << Damage::BadCrc << false;
    QTest::newRow("magic not ALF-") << Damage::ForeignMagic << false;
    // The program's reader takes the picture's datastream and leaves what follows unread; the
    // independent reader holds the file to its layout, in which the picture runs to the end.
    QTest::newRow("bytes after the picture") << Damage::Trailing << true;
}

void TestTopicSave::damagedTopic()
{
    QFETCH(Damage, damage);
    QFETCH(bool, programReads);
    makeTopic(false);
    if (QTest::currentTestFailed())
        return;
    QByteArray bytes = m_bytes;
    const qsizetype png = bytes.indexOf("\x89PNG");
    const qsizetype count = objectCountOffset(m_document);
    QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + count), qint32(m_document.objects.size()));
    switch (damage) {
    case Damage::CutInRecord:
        bytes.truncate(png - 3);
        break;
    case Damage::CutInPicture:
        bytes.truncate(bytes.size() - 20);
        break;
    case Damage::TitleTooLong:
        putInt(bytes, bytes.indexOf(toCp1252(m_document.titel)) - 4, 0x7fffffff);
        break;
    case Damage::NegativeCount:
        putInt(bytes, count, -1);
        break;
    case Damage::CountTooLarge:
        putInt(bytes, count, qint32(m_document.objects.size()) + 1);
        break;
    case Damage::BadCrc:
        bytes[png + 8 + 25 + 8 + 2] = char(bytes[png + 8 + 25 + 8 + 2] ^ 0x10); // inside the first IDAT
        break;
    case Damage::ForeignMagic:
        bytes[4] = 'Z';
        break;
    case Damage::Trailing:
        bytes.append("\0\0\0\0", 4);
        break;
    }
    const QString path = m_dir.filePath(QStringLiteral("damaged.zep"));
    QVERIFY(writeFileAtomically(path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); }));

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TopicDocument read;
    QCOMPARE(readTopicFile(buffer, read) == ZepReadStatus::Ok, programReads);

    if (m_python.isEmpty())
        QSKIP("python3 is not installed");
    const ToolResult independent = runIndependentReader(m_python, path);
    QCOMPARE(independent.exitCode, 1);
    QVERIFY(independent.out.isEmpty());
    QVERIFY(independent.err.contains("refused"));
}

QTEST_GUILESS_MAIN(TestTopicSave)
#include "tst_topicsave.moc"
