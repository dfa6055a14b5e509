#include "cardview/cardview.h"
#include "cardview/markup.h"
#include "document/pngcodec.h"
#include "document/topicdocument.h"
#include "document/topicfolder.h"
#include "document/zepformat.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QtTest>

// The topics that come with the program, as the build leaves them beside it: each one reads,
// asks what it should, and finds the pictures it names.

namespace {

const QString binDir = QStringLiteral(TALLOWMERE_BIN_DIR);

// The euro area as of 2026, by the German names the answers use.
const QStringList euroArea {"Belgien", "Bulgarien", "Deutschland", "Estland", "Finnland", "Frankreich", "Griechenland",
    "Irland", "Italien", "Kroatien", "Lettland", "Litauen", "Luxemburg", "Malta", "Niederlande", "Österreich",
    "Portugal", "Slowakei", "Slowenien", "Spanien", "Zypern"};

bool readTopic(const QString& path, TopicDocument& document)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && readTopicFile(file, document) == ZepReadStatus::Ok;
}

QList<const DocObject*> objectsOfKind(const TopicDocument& document, qint32 kind)
{
    QList<const DocObject*> found;
    for (const DocObject& object : document.objects) {
        if (object.Typ == kind)
            found.append(&object);
    }
    return found;
}

} // namespace

Q_DECLARE_METATYPE(DocType)

class TestBundledTopics : public QObject
{
    Q_OBJECT

private slots:
    void topicReads_data();
    void topicReads();
    void questionPicturesExist_data();
    void questionPicturesExist();
    void listedInTheMenu();
    void clozeTextFitsTheCard();
    void learningCardLinks();
    void labelBoxesKeepApart_data();
    void labelBoxesKeepApart();
};

void TestBundledTopics::topicReads_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<DocType>("type");
    QTest::addColumn<int>("quizItems"); // answers, labels or gaps

    QTest::newRow("flags") << QStringLiteral("euro-flaggen-alle.zep") << QStringLiteral("Flaggen der Eurozone")
                           << DocType::SingleQuestions << 21;
    QTest::newRow("flags, random") << QStringLiteral("euro-flaggen-zufall.zep")
                                   << QStringLiteral("Flaggen der Eurozone (zufällig)") << DocType::SingleQuestions
                                   << 21;
    QTest::newRow("coins") << QStringLiteral("euro-muenzen-alle.zep") << QStringLiteral("Euromünzen – Länderseiten")
                           << DocType::SingleQuestions << 21;
    QTest::newRow("coins, random") << QStringLiteral("euro-muenzen-zufall.zep")
                                   << QStringLiteral("Euromünzen – Länderseiten (zufällig)") << DocType::SingleQuestions
                                   << 21;
    QTest::newRow("coin parts") << QStringLiteral("euro-muenzaufbau.zep") << QStringLiteral("Aufbau einer 2-Euro-Münze")
                                << DocType::ImageLabelling << 10;
    QTest::newRow("history") << QStringLiteral("euro-geschichte.zep")
                             << QStringLiteral("Geschichte des Euro (Lückentext)") << DocType::ClozeText << 14;
    QTest::newRow("learning card") << QStringLiteral("euro-lernkarte.zep")
                                   << QStringLiteral("Der Euro auf einen Blick (Lernkarte)") << DocType::ImageLabelling
                                   << 5;
}

void TestBundledTopics::topicReads()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(DocType, type);
    QFETCH(int, quizItems);

    TopicDocument document;
    QVERIFY(readTopic(binDir + file, document));
    QCOMPARE(document.titel, title);
    QCOMPARE(document.DokTyp, type);
    QVERIFY(!document.picture.isNull());

    const qint32 itemKind = type == DocType::SingleQuestions ? ObjectKind::Answer
        : type == DocType::ClozeText                         ? ObjectKind::ClozeGap
                                                             : ObjectKind::Label;
    const QList<const DocObject*> items = objectsOfKind(document, itemKind);
    QCOMPARE(items.size(), quizItems);
    // A random quiz draws from the question pages; other kinds of topic have none.
    QCOMPARE(document.AnzFrageNummern, type == DocType::SingleQuestions ? quizItems : 0);
    for (const DocObject* item : items)
        QVERIFY(!item->Cap.trimmed().isEmpty());

    if (type == DocType::SingleQuestions) {
        // One page per country of the euro area, each with its question and its answer.
        QStringList answers;
        for (const DocObject* item : items)
            answers.append(item->Cap);
        answers.sort();
        QStringList expected = euroArea;
        expected.sort();
        QCOMPARE(answers, expected);
        for (qint32 page = 1; page <= document.AnzFrageNummern; ++page) {
            int questions = 0;
            int answersOnPage = 0;
            for (const DocObject& object : std::as_const(document.objects)) {
                questions += object.FrageNummer == page && object.Typ == ObjectKind::QuestionText ? 1 : 0;
                answersOnPage += object.FrageNummer == page && object.Typ == ObjectKind::Answer ? 1 : 0;
            }
            QCOMPARE(questions, 2);
            QCOMPARE(answersOnPage, 1);
        }
    }
}

void TestBundledTopics::questionPicturesExist_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("tag");
    QTest::newRow("flags") << QStringLiteral("euro-flaggen-alle.zep") << QStringLiteral("<@flaggenfrage>");
    QTest::newRow("coins") << QStringLiteral("euro-muenzen-alle.zep") << QStringLiteral("<@euromünzfrage>");
}

// Every picture a question names is in euromuenzen/, decodes with the program's reader, and
// fits the room the card leaves it below the question.
void TestBundledTopics::questionPicturesExist()
{
    QFETCH(QString, file);
    QFETCH(QString, tag);

    TopicDocument document;
    QVERIFY(readTopic(binDir + file, document));
    QSet<QString> names;
    for (const DocObject& object : std::as_const(document.objects)) {
        if (object.Typ != ObjectKind::QuestionText || object.Cap == QLatin1String("Frage:"))
            continue;
        QVERIFY2(object.Cap.startsWith(tag), qPrintable(object.Cap));
        const qsizetype start = object.Cap.indexOf(QLatin1String("<@img="));
        const qsizetype end = object.Cap.indexOf(u'>', start);
        QVERIFY2(start >= 0 && end > start, qPrintable(object.Cap));
        const QString name = object.Cap.mid(start + 6, end - start - 6);
        names.insert(name);

        QFile picture(binDir + QStringLiteral("euromuenzen/") + name);
        QVERIFY2(picture.open(QIODevice::ReadOnly), qPrintable(picture.fileName()));
        QImage image;
        QString error;
        QVERIFY2(readPng(picture, image, &error), qPrintable(name + u' ' + error));
        QVERIFY2(image.width() <= 200 && image.height() <= 150, qPrintable(name));
    }
    QCOMPARE(names.size(), euroArea.size());
}

void TestBundledTopics::listedInTheMenu()
{
    QStringList titles;
    for (const TopicEntry& entry : readTopicList(binDir))
        titles.append(entry.title);
    for (const char* title : {"Flaggen der Eurozone", "Flaggen der Eurozone (zufällig)", "Euromünzen – Länderseiten",
             "Euromünzen – Länderseiten (zufällig)", "Aufbau einer 2-Euro-Münze", "Geschichte des Euro (Lückentext)",
             "Der Euro auf einen Blick (Lernkarte)"})
        QVERIFY2(titles.contains(QString::fromUtf8(title)), title);
}

// Laid out on the card at its own size, every gap of the history text lands on the card.
void TestBundledTopics::clozeTextFitsTheCard()
{
    TopicDocument document;
    QVERIFY(readTopic(binDir + QStringLiteral("euro-geschichte.zep"), document));
    QImage scene(document.picture.size(), QImage::Format_ARGB32);
    scene.fill(Qt::white);
    drawClozeText(scene, scene.width() / 870.0, document, true);
    for (const DocObject* gap : objectsOfKind(document, ObjectKind::ClozeGap)) {
        QVERIFY2(gap->Kx > 0 && gap->Kx < 1, qPrintable(gap->Cap));
        QVERIFY2(gap->Ky > 0 && gap->Ky < 0.98, qPrintable(gap->Cap));
    }
}

void TestBundledTopics::learningCardLinks()
{
    TopicDocument document;
    QVERIFY(readTopic(binDir + QStringLiteral("euro-lernkarte.zep"), document));
    const QList<const DocObject*> infos = objectsOfKind(document, ObjectKind::InfoPoint);
    QVERIFY(infos.size() >= 2);
    // Between them the info texts show every kind of markup.
    QString allInfo;
    for (const DocObject* info : infos)
        allInfo += info->Cap;
    for (const char* markup : {"<B>", "<I>", "<U>", "<@LINIE>", "<@POSX=", "<@REB="})
        QVERIFY2(allInfo.contains(QLatin1String(markup)), markup);

    const QList<const DocObject*> webLinks = objectsOfKind(document, ObjectKind::WebLink);
    QCOMPARE(webLinks.size(), 1);
    QVERIFY(webLinks.first()->Cap.startsWith(QLatin1String("https://")));

    // The document link opens another bundled topic beside this one.
    const QList<const DocObject*> documentLinks = objectsOfKind(document, ObjectKind::DocumentLink);
    QCOMPARE(documentLinks.size(), 1);
    TopicDocument linked;
    QVERIFY2(readTopic(binDir + documentLinks.first()->Cap, linked), qPrintable(documentLinks.first()->Cap));
}

void TestBundledTopics::labelBoxesKeepApart_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("drawMode"); // 0 the card; 1 the worksheet's frames for handwriting
    QTest::addColumn<double>("scale"); // the card's size against the picture's
    for (const char* file : {"euro-muenzaufbau.zep", "euro-lernkarte.zep"}) {
        QTest::addRow("%s, card", file) << QString::fromLatin1(file) << 0 << 1.0;
        QTest::addRow("%s, large card", file) << QString::fromLatin1(file) << 0 << 1.6;
        // The worksheet draws its labelled picture on a card of 1740 x 1200.
        QTest::addRow("%s, worksheet", file) << QString::fromLatin1(file) << 1 << 0.0;
    }
}

// Every label box keeps clear of the others and of the card's border, on the card and on the
// sheet, where the boxes are larger for handwriting: no two share a border line.
void TestBundledTopics::labelBoxesKeepApart()
{
    QFETCH(QString, file);
    QFETCH(int, drawMode);
    QFETCH(double, scale);
    TopicDocument document;
    QVERIFY(readTopic(binDir + file, document));
    CardView card(document);
    card.controlSize = scale > 0 ? (QSizeF(document.picture.size()) * scale).toSize() : QSize(1740, 1200);
    card.redrawCard();
    QImage target = card.backgroundBitmap.copy();
    QList<QPair<QString, QRect>> boxes;
    for (int i = 0; i < document.objects.size(); ++i) {
        if (document.objects.at(i).Typ != ObjectKind::Label)
            continue;
        const DocObject& label = document.objects.at(i);
        const auto& fractions = label.boxRect;
        const QRect box(QPoint(qRound(fractions[0] * target.width()), qRound(fractions[1] * target.height())),
            QPoint(qRound(fractions[2] * target.width()) - 1, qRound(fractions[3] * target.height()) - 1));
        boxes.append({label.Cap, drawMode == 0 ? box : worksheetAnswerFrame(box, label.KAusrAkt, target.size())});
    }
    QVERIFY(boxes.size() >= 5);
    // Two clear pixels: a border line and a line of paper, also where the sheet is scaled down.
    const int gap = drawMode == 0 ? 2 : 3;
    // Inside the card's drawn border, which runs about 0.7 % of its size from the edge.
    const int marginX = qRound(0.015 * target.width());
    const int marginY = qRound(0.015 * target.height());
    const QRect inside = target.rect().adjusted(marginX, marginY, -marginX, -marginY);
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const auto& [caption, box] = boxes.at(i);
        QVERIFY2(inside.contains(box),
            qPrintable(QStringLiteral("%1: %2..%3 × %4..%5 on %6 × %7")
                           .arg(caption)
                           .arg(box.left())
                           .arg(box.right())
                           .arg(box.top())
                           .arg(box.bottom())
                           .arg(target.width())
                           .arg(target.height())));
        for (qsizetype j = i + 1; j < boxes.size(); ++j) {
            QVERIFY2(!box.adjusted(-gap, -gap, gap, gap).intersects(boxes.at(j).second),
                qPrintable(caption + QStringLiteral(" / ") + boxes.at(j).first));
        }
    }
}

QTEST_MAIN(TestBundledTopics)
#include "tst_bundledtopics.moc"
