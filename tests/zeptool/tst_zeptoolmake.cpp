#include "authoring/topiceditor.h"
#include "cardview/markup.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"
#include "platform/cp1252.h"
#include "topicheaderjson.h"
#include "zeptoolrun.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// zeptool make, run as a teacher runs it: a source file in, a topic file out, and what
// "zeptool info" shows of it.

namespace {

DocObject expectedObject(qint32 kind, const QString& caption, double x, double y, qint32 page = -1)
{
    DocObject object;
    object.Sx = object.Kx = x;
    object.Sy = object.Ky = y;
    object.Cap = caption;
    object.Typ = kind;
    object.FrageNummer = page;
    return object;
}

// The four objects of a question page and the five page buttons, as a single-questions topic
// lays them out.
QList<DocObject> questionPage(qint32 page, const QString& question, const QString& answer)
{
    QList<DocObject> objects {
        expectedObject(ObjectKind::QuestionText, QStringLiteral("Frage:"), 0.1, 0.175, page),
        expectedObject(ObjectKind::QuestionText, question, 0.1, 0.4, page),
        expectedObject(ObjectKind::PageText, QStringLiteral("Antwort:"), 0.1, 0.6, page),
        expectedObject(ObjectKind::Answer, answer, 0.225, 0.6, page),
    };
    for (DocObject& object : objects) {
        object.Ebene = 1;
        object.KAusr = 1;
    }
    objects[1].Fsize = 5;
    return objects;
}

QList<DocObject> pageButtons()
{
    QList<DocObject> buttons;
    const std::pair<qint32, double> kinds[] = {{ObjectKind::PageFirst, 0.1}, {ObjectKind::PagePrevious, 0.16},
        {ObjectKind::PageNext, 0.22}, {ObjectKind::PageLast, 0.28}, {ObjectKind::PageRandom, 0.34}};
    for (const auto& [kind, x] : kinds) {
        DocObject button = expectedObject(kind, QString(), x, 0.775);
        button.Ebene = 2;
        button.KAusr = 1;
        buttons.append(button);
    }
    return buttons;
}

DocObject clozeGap(const QString& word)
{
    DocObject gap = expectedObject(ObjectKind::ClozeGap, word, 0, 0);
    gap.Ebene = 1;
    gap.KAusr = 2;
    return gap;
}

void compareWithJson(const QJsonObject& json, const TopicDocument& expected, QSize pictureSize)
{
    compareTopicHeader(json, expected);
    if (QTest::currentTestFailed())
        return;
    const QJsonObject picture = json.value("picture").toObject();
    QCOMPARE(QSize(picture.value("width").toInt(), picture.value("height").toInt()), pictureSize);

    const QJsonArray objects = json.value("objects").toArray();
    QCOMPARE(objects.size(), expected.objects.size());
    for (int i = 0; i < objects.size(); ++i) {
        const QJsonObject o = objects.at(i).toObject();
        const DocObject& e = expected.objects.at(i);
        const QByteArray where = QByteArray("object ") + QByteArray::number(i);
        QVERIFY2(qFuzzyCompare(1 + o.value("Sx").toDouble(), 1 + e.Sx), where);
        QVERIFY2(qFuzzyCompare(1 + o.value("Sy").toDouble(), 1 + e.Sy), where);
        QVERIFY2(qFuzzyCompare(1 + o.value("Kx").toDouble(), 1 + e.Kx), where);
        QVERIFY2(qFuzzyCompare(1 + o.value("Ky").toDouble(), 1 + e.Ky), where);
        QCOMPARE(o.value("Cap").toString(), e.Cap);
        QCOMPARE(o.value("KAusr").toInt(-99), e.KAusr);
        QCOMPARE(o.value("TAusr").toInt(-99), e.TAusr);
        QCOMPARE(o.value("Ebene").toInt(-99), e.Ebene);
        QCOMPARE(o.value("Typ").toInt(-99), e.Typ);
        QCOMPARE(o.value("Sline").toInt(-99), e.Sline);
        QCOMPARE(o.value("Fsize").toInt(-99), e.Fsize);
        QCOMPARE(o.value("KAusrAkt").toInt(-99), 0);
        QCOMPARE(o.value("FrageNummer").toInt(-99), e.FrageNummer);
    }
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

Q_DECLARE_METATYPE(TopicDocument)

class TestZeptoolMake : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void makesTopic_data();
    void makesTopic();
    void gapsMatchTheCard();
    void clozeEditorMakesTheSameTopic_data();
    void clozeEditorMakesTheSameTopic();
    void refusesBadSource_data();
    void refusesBadSource();
    void refusesArguments_data();
    void refusesArguments();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestZeptoolMake::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(QColor(10, 200, 30));
    QVERIFY(picture.save(path(QStringLiteral("bild.png"))));
    QVERIFY(picture.save(path(QStringLiteral("foto.jpg"))));
    QVERIFY(writeBytes(path(QStringLiteral("kaputt.png")), QByteArray("\x89PNG\r\n\x1a\nnichts weiter", 21)));
    // Only a header, claiming 20000 x 20000 pixels: refused before any pixel memory is taken.
    QByteArray huge("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x4e\x20\0\0\x4e\x20\x08\x02\0\0\0", 29);
    QVERIFY(writeBytes(path(QStringLiteral("riesig.png")), huge + QByteArray(4, '\0')));
}

void TestZeptoolMake::makesTopic_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<TopicDocument>("expected");
    QTest::addColumn<QSize>("pictureSize");

    // Windows line breaks, a comment and a blank line between the questions, a question
    // without an answer, and the tags of the generated questions.
    TopicDocument questions;
    questions.titel = QStringLiteral("Hauptstädte");
    questions.autor = QStringLiteral("Frau Öz");
    questions.bemerkung = QStringLiteral("Zeile eins\r\nZeile zwei");
    questions.DokTyp = DocType::SingleQuestions;
    questions.AnzFrageNummern = 3;
    questions.fragentext = QStringLiteral("Hauptstadt von Malta? // Valletta\r\n"
                                          "<@flaggenfrage><@img=flagge-ee.png>//Estland\r\n"
                                          "Nur ein Hinweis");
    questions.objects = questionPage(1, QStringLiteral("Hauptstadt von Malta?"), QStringLiteral("Valletta"))
        + questionPage(2, QStringLiteral("<@flaggenfrage><@img=flagge-ee.png>"), QStringLiteral("Estland"))
        + questionPage(3, QStringLiteral("Nur ein Hinweis"), QStringLiteral("---")) + pageButtons();
    QTest::newRow("single questions") << QByteArray(
        "[Thema]\r\nTitel = Hauptstädte\r\nautor=Frau Öz\r\nBemerkung = Zeile eins\r\n"
        "Bemerkung = Zeile zwei\r\n\r\n[Fragen]\r\n  Hauptstadt von Malta? // Valletta  \r\n"
        "# eine Anmerkung\r\n\r\n<@flaggenfrage><@img=flagge-ee.png>//Estland\r\nNur ein Hinweis\r\n")
                                      << QStringList() << questions << QSize(810, 900);

    TopicDocument random = questions;
    random.titel = QStringLiteral("Hauptstädte (zufällig)");
    QTest::newRow("title from the command line")
        << QByteArray("[Thema]\nTitel = Hauptstädte\nAutor = Frau Öz\nBemerkung = Zeile eins\n"
                      "Bemerkung = Zeile zwei\n[Fragen]\nHauptstadt von Malta? // Valletta\n"
                      "<@flaggenfrage><@img=flagge-ee.png>//Estland\nNur ein Hinweis\n")
        << QStringList {QStringLiteral("--titel"), QStringLiteral("Hauptstädte (zufällig)")} << random
        << QSize(810, 900);

    // The type follows from the section; gaps in text order, a sign after a gap, markup
    // outside the gaps, an empty line inside the text kept and those around it dropped.
    TopicDocument cloze;
    cloze.titel = QStringLiteral("Flüsse");
    cloze.DokTyp = DocType::ClozeText;
    cloze.lueckentext = QStringLiteral("<B>Flüsse</B>\r\nDer <<Rhein>> fließt in die << Nordsee >>.\r\n\r\n"
                                       "Die <<Donau>>, die <i>längste</i>, ins <<Schwarze Meer>>!");
    cloze.objects = {clozeGap(QStringLiteral("Rhein")), clozeGap(QStringLiteral("Nordsee")),
        clozeGap(QStringLiteral("Donau")), clozeGap(QStringLiteral("Schwarze Meer"))};
    DocObject info = expectedObject(ObjectKind::InfoPoint, QStringLiteral("Quelle: <B>Atlas</B>"), 0.9, 0.1);
    info.Ebene = 2;
    cloze.objects.append(info);
    QTest::newRow("cloze text") << QByteArray(
        "[Thema]\nTitel = Flüsse\n[Lückentext]\n\n<B>Flüsse</B>\nDer <<Rhein>> fließt in die "
        "<< Nordsee >>.\n\nDie <<Donau>>, die <i>längste</i>, ins <<Schwarze Meer>>!\n\n"
        "[Objekte]\nInfo 90% 10%: Quelle: <B>Atlas</B>\n")
                                << QStringList() << cloze << QSize(870, 600);

    // Every header key, a picture beside the source, both forms of numbers, every option,
    // continued texts, and a source saved by an old Windows editor (not UTF-8).
    TopicDocument labelling;
    labelling.vers = QStringLiteral("2.5");
    labelling.titel = QStringLiteral("Herz – Aufbau");
    labelling.RandErw = {0, 0.5, 0.25, 0};
    labelling.NumArt = 1;
    labelling.GeordnetArt = 1;
    DocObject label = expectedObject(ObjectKind::Label, QStringLiteral("Linke Kammer"), 0.25, 0.5);
    label.Kx = 0.75;
    label.Ky = 0.125;
    label.Ebene = 1;
    label.Sline = 1;
    DocObject plain = expectedObject(ObjectKind::Label, QStringLiteral("Aorta"), 0.5, 0.5);
    plain.Ebene = 0;
    plain.KAusr = 2;
    plain.TAusr = 1;
    plain.Fsize = 2;
    plain.Sline = 1;
    DocObject fixed
        = expectedObject(ObjectKind::FixedText, QStringLiteral("Blutkreislauf\r\n\r\nzweite Zeile"), 0.1, 0.9);
    fixed.KAusr = 3;
    fixed.TAusr = 2;
    fixed.Sline = 0;
    DocObject web = expectedObject(ObjectKind::WebLink, QStringLiteral("https://example.org/herz?a=1"), 1, 0);
    web.Ebene = 2;
    DocObject document = expectedObject(ObjectKind::DocumentLink, QStringLiteral("..\\Themen\\Lunge.zep"), 0, 1);
    document.Ebene = 2;
    labelling.objects = {label, plain, fixed, web, document};
    QTest::newRow("labelling, Windows-1252")
        << toCp1252(QStringLiteral("[thema]\nTitel = Herz – Aufbau\nTyp = beschriftung\nBild = bild.png\n"
                                   "Rand = 0 50% 0,25 0\nNummerierung = Buchstaben\nOrdnung = Alphabet\n"
                                   "Version = 2.5\n[Objekte]\nBeschriftung 0.25 0.5 75% 12,5%: Linke Kammer\n"
                                   "Beschriftung 0.5 0.5 oben zentriert Größe=2 Ebene=0 Linie : Aorta\n"
                                   "Text 0.1 0.9 links rechtsbündig: Blutkreislauf\n  |\n  | zweite Zeile\n"
                                   "Link 100% 0%: https://example.org/herz?a=1\nDokument 0 1: ..\\Themen\\Lunge.zep\n"))
        << QStringList() << labelling << QSize(40, 30);

    TopicDocument photo;
    photo.titel = QStringLiteral("Foto");
    photo.objects = {info};
    QTest::newRow("JPEG picture") << QByteArray("[Thema]\nTitel = Foto\nBild = foto.jpg\n[Objekte]\n"
                                                "Info 0.9 0.1: Quelle: <B>Atlas</B>\n")
                                  << QStringList() << photo << QSize(40, 30);
}

void TestZeptoolMake::makesTopic()
{
    QFETCH(QByteArray, source);
    QFETCH(QStringList, options);
    QFETCH(TopicDocument, expected);
    QFETCH(QSize, pictureSize);

    const QString sourcePath = path(QStringLiteral("quelle.txt"));
    const QString topicPath = path(QStringLiteral("thema.zep"));
    QVERIFY(writeBytes(sourcePath, source));
    const ToolResult made
        = runZeptool(QStringList {QStringLiteral("make"), sourcePath, QStringLiteral("-o"), topicPath} + options);
    QVERIFY2(made.exitCode == 0, made.err.constData());
    QCOMPARE(made.err, QByteArray());
    QVERIFY(made.out.startsWith(topicPath.toUtf8()));

    const ToolResult info = runZeptool({QStringLiteral("info"), topicPath});
    QCOMPARE(info.exitCode, 0);
    compareWithJson(QJsonDocument::fromJson(info.out).object(), expected, pictureSize);
}

// The gaps zeptool finds are those the card lays out: every gap object gets a place, in the
// order of the text, and none is left over.
void TestZeptoolMake::gapsMatchTheCard()
{
    const QString sourcePath = path(QStringLiteral("lücken.txt"));
    const QString topicPath = path(QStringLiteral("lücken.zep"));
    QVERIFY(writeBytes(sourcePath,
        QByteArray("[Thema]\n[Lückentext]\n<b>Titel</b> <<eins>>, <<zwei>>!\n<@POSX=40%><<drei>> a < b > c "
                   "<@REB=02>12 <<vier>>.\n<u><<fünf>></u> <@COL=ff0000>rot</@COL> <<sechs>>\n")));
    QCOMPARE(runZeptool({QStringLiteral("make"), sourcePath, QStringLiteral("-o"), topicPath}).exitCode, 0);

    QFile file(topicPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    TopicDocument document;
    QCOMPARE(readTopicFile(file, document), ZepReadStatus::Ok);
    QStringList captions;
    for (const DocObject& object : std::as_const(document.objects))
        captions.append(object.Cap);
    QCOMPARE(captions, QStringList({"eins", "zwei", "drei", "vier", "fünf", "sechs"}));

    QImage scene(870, 600, QImage::Format_ARGB32);
    scene.fill(Qt::white);
    drawClozeText(scene, 1.0, document, true);
    for (qsizetype i = 0; i < document.objects.size(); ++i) {
        const DocObject& gap = document.objects.at(i);
        QVERIFY2(gap.Kx > 0 && gap.Ky > 0 && gap.Ky < 1, qPrintable(gap.Cap));
        if (i > 0) {
            const DocObject& before = document.objects.at(i - 1);
            QVERIFY2(gap.Ky > before.Ky || (gap.Ky == before.Ky && gap.Kx > before.Kx), qPrintable(gap.Cap));
        }
    }
}

void TestZeptoolMake::clozeEditorMakesTheSameTopic_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("makeClozeType");
    QTest::addColumn<QByteArray>("source");

    const QByteArray head = "[Thema]\nTitel = Flüsse\nBild = bild.png\n";
    const QByteArray objects = "[Objekte]\nText 10% 10%: Karte\nBeschriftung 50% 50% 60% 40%: Main\n";
    const QByteArray cloze = "[Lückentext]\n<B>Flüsse</B>\nDer <<Rhein>> fließt in die << Nordsee >>.\n\n"
                             "Die <<Donau>>, die <i>längste</i>, ins <<Schwarze Meer>>!\n";
    const QString typed = QStringLiteral("\n<B>Flüsse</B>\nDer <<Rhein>> fließt in die << Nordsee >>.\n\n"
                                         "Die <<Donau>>, die <i>längste</i>, ins <<Schwarze Meer>>!\n\n");
    QTest::newRow("a labelling topic becomes a cloze text")
        << head + "Typ = Beschriftung\n" + objects << typed << true << head + cloze + objects;
    QTest::newRow("a cloze text replaced")
        << head + "[Lückentext]\nDie <<Elbe>> und die <<Oder>>\n" + objects << typed << false << head + cloze + objects;
}

// The cloze-text editor and zeptool make build a topic with one function: the same text gives the
// same file, byte for byte, whichever way the teacher made it.
void TestZeptoolMake::clozeEditorMakesTheSameTopic()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, typed);
    QFETCH(bool, makeClozeType);
    QFETCH(QByteArray, source);

    const auto make = [this](const QByteArray& text, const QString& name) {
        const QString sourcePath = path(name + QStringLiteral(".txt"));
        const QString topicPath = path(name + QStringLiteral(".zep"));
        if (!writeBytes(sourcePath, text))
            return QByteArray();
        const ToolResult made = runZeptool({QStringLiteral("make"), sourcePath, QStringLiteral("-o"), topicPath});
        return made.exitCode == 0 ? fileBytes(topicPath) : QByteArray();
    };
    QByteArray edited = make(before, QStringLiteral("vorher"));
    const QByteArray expected = make(source, QStringLiteral("nachher"));
    QVERIFY(!edited.isEmpty() && !expected.isEmpty());

    QBuffer in(&edited);
    QVERIFY(in.open(QIODevice::ReadOnly));
    TopicDocument document;
    QCOMPARE(readTopicFile(in, document), ZepReadStatus::Ok);
    TopicEditor editor(document);
    QVERIFY(editor.setClozeText(typed, makeClozeType));
    QBuffer out;
    QVERIFY(out.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(out, document));
    QCOMPARE(out.data(), expected);
}

void TestZeptoolMake::refusesBadSource_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("message"); // the first problem reported, with its line; "*" skips a path

    const QByteArray topic = "[Thema]\nTitel = T\n";
    QTest::newRow("text before the first section")
        << QByteArray("Titel = T\n[Thema]\n") << QStringLiteral("Zeile 1: Text vor");
    QTest::newRow("unknown section") << topic + "[Fragn]\na // b\n"
                                     << QStringLiteral("Zeile 3: Unbekannter Abschnitt \"[Fragn]\"");
    QTest::newRow("section twice") << topic + "[Thema]\n"
                                   << QStringLiteral("Zeile 3: Der Abschnitt \"[Thema]\" steht zum zweiten");
    QTest::newRow("no [Thema]") << QByteArray("[Fragen]\na // b\n")
                                << QStringLiteral("quelle.txt: Der Abschnitt [Thema] fehlt");
    QTest::newRow("unknown key") << QByteArray("[Thema]\nTitl = T\n")
                                 << QStringLiteral("Zeile 2: Unbekannter Schlüssel \"Titl\"");
    QTest::newRow("line without =") << QByteArray("[Thema]\nTitel T\n")
                                    << QStringLiteral("Zeile 2: Erwartet wird \"Schlüssel = Wert\"");
    QTest::newRow("key twice") << topic + "titel = U\n" << QStringLiteral("Zeile 3: \"titel\" steht zum zweiten Mal");
    QTest::newRow("unknown type") << topic + "Typ = Quiz\n" << QStringLiteral("Zeile 3: Unbekannter Typ \"Quiz\"");
    QTest::newRow("three margins") << topic + "Rand = 0 0 0\n" << QStringLiteral("Zeile 3: Rand erwartet vier Zahlen");
    QTest::newRow("negative margin") << topic + "Rand = 0 -1 0 0\n"
                                     << QStringLiteral("Zeile 3: Rand erwartet vier Zahlen");
    QTest::newRow("numbering") << topic + "Nummerierung = Römisch\n" << QStringLiteral("Zeile 3: Nummerierung ist");
    QTest::newRow("character outside Windows-1252")
        << QByteArray("[Thema]\nTitel = \xce\x95\xce\x9b\xce\x9b\xce\x91\xce\x94\xce\x91\n")
        << QStringLiteral("Zeile 2: Das Zeichen \"Ε\" (U+0395) kann in einer Themendatei nicht gespeichert werden.");
    QTest::newRow("control character") << topic + "[Fragen]\na\x01 // b\n"
                                       << QStringLiteral("Zeile 4: Steuerzeichen (Code 1)");
    QTest::newRow("empty question") << topic + "[Fragen]\n  // Paris\n"
                                    << QStringLiteral("Zeile 4: Die Frage vor \"//\" ist leer.");
    QTest::newRow("empty answer") << topic + "[Fragen]\nHauptstadt? //  \n"
                                  << QStringLiteral("Zeile 4: Die Antwort nach \"//\" ist leer.");
    QTest::newRow("question the reader would empty") << topic + "[Fragen]\nFrage Nr. 3: Wer? // Ich\n"
                                                     << QStringLiteral("Zeile 4: Eine Frage darf \"Frage Nr.\" nicht");
    QTest::newRow("picture tag not closed") << topic + "[Fragen]\n<@img=flagge.png // Malta\n"
                                            << QStringLiteral("Zeile 4: Nach \"<@img=\" fehlt");
    QTest::newRow("no question") << topic + "Typ = Einzelfragen\n"
                                 << QStringLiteral("Zeile 3: Ein Thema mit Einzelfragen braucht");
    QTest::newRow("questions in a labelling topic") << topic + "Typ = Beschriftung\n[Fragen]\na // b\n"
                                                    << QStringLiteral("Zeile 4: Der Abschnitt [Fragen] gehört zu");
    QTest::newRow("label in a single-questions topic")
        << topic + "[Fragen]\na // b\n[Objekte]\nBeschriftung 0.5 0.5: c\n"
        << QStringLiteral("Zeile 6: Ein Thema mit Einzelfragen");
    QTest::newRow("random title without questions")
        << QByteArray("[Thema]\nTitel = Herz (Zufällig)\n[Objekte]\nBeschriftung 0.5 0.5: c\n")
        << QStringLiteral("Zeile 2: Ein Titel mit \"zufällig\"");
    QTest::newRow("gap end without start") << topic + "[Lückentext]\nDer Euro >> kam\n"
                                           << QStringLiteral("Zeile 4: \">>\" ohne");
    QTest::newRow("gap not closed") << topic + "[Lückentext]\nDer <<Euro\nkam>>\n"
                                    << QStringLiteral("Zeile 4: Die Lücke wird");
    QTest::newRow("gap in a gap") << topic + "[Lückentext]\n<<a <<b>>\n"
                                  << QStringLiteral("Zeile 4: \"<<\" in einer Lücke");
    QTest::newRow("empty gap") << topic + "[Lückentext]\nDer << >> kam\n" << QStringLiteral("Zeile 4: Leere Lücke");
    QTest::newRow("markup in a gap") << topic + "[Lückentext]\n<<<B>Euro</B>>>\n"
                                     << QStringLiteral("Zeile 4: In einer Lücke ist");
    QTest::newRow("cloze without gap") << topic + "[Lückentext]\nKein Wort fehlt.\n"
                                       << QStringLiteral("Zeile 3: Der Lückentext enthält keine");
    QTest::newRow("unknown kind") << topic + "[Objekte]\nPfeil 0.5 0.5: a\n"
                                  << QStringLiteral("Zeile 4: Unbekannte Art \"Pfeil\"");
    QTest::newRow("no colon") << topic + "[Objekte]\nInfo 0.5 0.5 Text\n"
                              << QStringLiteral("Zeile 4: Der Doppelpunkt vor dem Text");
    QTest::newRow("position off the card") << topic + "[Objekte]\nInfo 50 0.5: a\n"
                                           << QStringLiteral("Zeile 4: Die Position \"50\"");
    QTest::newRow("three numbers") << topic + "[Objekte]\nInfo 0.5 0.5 0.5: a\n"
                                   << QStringLiteral("Zeile 4: Erwartet werden zwei");
    QTest::newRow("unknown option") << topic + "[Objekte]\nInfo 0.5 0.5 fett: a\n"
                                    << QStringLiteral("Zeile 4: Unbekannte Angabe \"fett\"");
    QTest::newRow("size out of range") << topic + "[Objekte]\nText 0.5 0.5 Größe=99: a\n"
                                       << QStringLiteral("Zeile 4: Größe erwartet");
    QTest::newRow("no text") << topic + "[Objekte]\nInfo 0.5 0.5:\n"
                             << QStringLiteral("Zeile 4: Der Text nach dem Doppelpunkt fehlt.");
    QTest::newRow("continuation without object") << topic + "[Objekte]\n  | mehr\n"
                                                 << QStringLiteral("Zeile 4: Eine Zeile mit \"|\" setzt");
    QTest::newRow("missing picture") << topic + "Bild = fehlt.png\n"
                                     << QStringLiteral("Zeile 3: Das Bild*wurde nicht gefunden.");
    QTest::newRow("oversized picture") << topic + "Bild = riesig.png\n"
                                       << QStringLiteral("Zeile 3: Das Bild*ist zu groß");
    QTest::newRow("broken picture") << topic + "Bild = kaputt.png\n" << QStringLiteral("Zeile 3: Das PNG-Bild");
}

void TestZeptoolMake::refusesBadSource()
{
    QFETCH(QByteArray, source);
    QFETCH(QString, message);

    const QString sourcePath = path(QStringLiteral("quelle.txt"));
    QVERIFY(writeBytes(sourcePath, source));
    // A good topic from an earlier run stays as it was.
    const QString topicPath = path(QStringLiteral("alt.zep"));
    const QByteArray good("eine gute Themendatei");
    QVERIFY(writeBytes(topicPath, good));
    const QStringList before = QDir(m_dir.path()).entryList(QDir::Files);

    const ToolResult result = runZeptool({QStringLiteral("make"), sourcePath, QStringLiteral("-o"), topicPath});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.out, QByteArray());
    const QString err = QString::fromUtf8(result.err);
    const QString firstLine = err.section(u'\n', 0, 0);
    QVERIFY2(firstLine.startsWith(sourcePath), qPrintable(err));
    qsizetype at = 0;
    for (const QString& part : message.split(u'*')) {
        at = firstLine.indexOf(part, at);
        QVERIFY2(at >= 0, qPrintable(err));
    }
    QVERIFY2(err.endsWith(QStringLiteral("Die Themendatei \"%1\" wurde nicht geschrieben.\n").arg(topicPath)),
        qPrintable(err));
    QCOMPARE(fileBytes(topicPath), good);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), before);
}

void TestZeptoolMake::refusesArguments_data()
{
    QTest::addColumn<QStringList>("arguments"); // {source} stands for a good source
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString source = QStringLiteral("{source}");
    const QString topic = path(QStringLiteral("neu.zep"));
    QTest::newRow("no output") << QStringList {source} << 2 << QStringLiteral("Aufruf:");
    QTest::newRow("two sources") << QStringList {source, source, "-o", topic} << 2 << QStringLiteral("Aufruf:");
    QTest::newRow("unknown option") << QStringList {source, "-o", topic, "--farbe", "rot"} << 2
                                    << QStringLiteral("Aufruf:");
    QTest::newRow("output not .zep") << QStringList {source, "-o", path("neu.txt")} << 1
                                     << QStringLiteral("muss auf \".zep\" enden");
    QTest::newRow("missing source") << QStringList {path("fehlt.txt"), "-o", topic} << 1
                                    << QStringLiteral("existiert nicht");
    QTest::newRow("source is the output") << QStringList {path("quelle.zep"), "-o", path("quelle.zep")} << 1
                                          << QStringLiteral("Quelle und Themendatei sind dieselbe Datei");
    QTest::newRow("oversized source") << QStringList {path("riesig.txt"), "-o", topic} << 1
                                      << QStringLiteral("größer als 16 MB");
    QTest::newRow("random title for a labelling topic") << QStringList {source, "-o", topic, "--titel", "Zufällig"} << 1
                                                        << QStringLiteral("Ein Titel mit \"zufällig\"");
}

void TestZeptoolMake::refusesArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    const QByteArray source("[Thema]\nTitel = Gut\n");
    QVERIFY(writeBytes(path(QStringLiteral("gut.txt")), source));
    QVERIFY(writeBytes(path(QStringLiteral("quelle.zep")), source));
    QFile oversized(path(QStringLiteral("riesig.txt")));
    QVERIFY(oversized.open(QIODevice::WriteOnly) && oversized.resize(16 * 1024 * 1024 + 1));
    oversized.close();
    arguments.replaceInStrings(QStringLiteral("{source}"), path(QStringLiteral("gut.txt")));

    const ToolResult result = runZeptool(QStringList {QStringLiteral("make")} + arguments);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(QString::fromUtf8(result.err).contains(message), result.err.constData());
    QVERIFY(!QFile::exists(path(QStringLiteral("neu.zep"))));
    QCOMPARE(fileBytes(path(QStringLiteral("quelle.zep"))), source);
}

QTEST_MAIN(TestZeptoolMake)
#include "tst_zeptoolmake.moc"
