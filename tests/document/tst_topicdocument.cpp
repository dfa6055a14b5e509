// The topic document model: cover labels, the order of "ordered" numbering, and the reset.

#include "document/topicdocument.h"

#include <QTest>

namespace {

TopicDocument documentWith(const QList<std::tuple<double, double, QString>>& anchors, qint32 geordnetArt)
{
    TopicDocument doc;
    doc.GeordnetArt = geordnetArt;
    for (const auto& [kx, ky, cap] : anchors) {
        DocObject o;
        o.Kx = kx;
        o.Ky = ky;
        o.Cap = cap;
        doc.objects.append(o);
    }
    return doc;
}

QList<int> ordered(const TopicDocument& doc)
{
    QList<int> indexes;
    for (int i = 0; i < doc.objects.size(); ++i)
        indexes.append(i);
    sortOrdered(indexes, doc);
    return indexes;
}

} // namespace

class TestTopicDocument : public QObject
{
    Q_OBJECT

private slots:
    void coverLabels_data();
    void coverLabels();
    void numberTextOutsideTheList();
    void orderByPosition();
    void equalKeysAreSwappedByTheSelection();
    void orderByCaption();
    void resetKeepsPreviousPath();
};

void TestTopicDocument::coverLabels_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("numArt");
    QTest::addColumn<QString>("label");

    QTest::newRow("digits") << 7 << 0 << "7";
    QTest::newRow("digits for any other style") << 12 << 3 << "12";
    QTest::newRow("zero shows a question mark") << 0 << 0 << "?";
    QTest::newRow("no number") << -1 << 1 << "?";
    QTest::newRow("A") << 1 << 1 << "A";
    QTest::newRow("Z") << 26 << 1 << "Z";
    QTest::newRow("second round") << 27 << 1 << "A'";
    QTest::newRow("end of second round") << 52 << 1 << "Z'";
    QTest::newRow("third round") << 53 << 1 << "A''";
}

void TestTopicDocument::coverLabels()
{
    QFETCH(int, number);
    QFETCH(int, numArt);
    QFETCH(QString, label);
    TopicDocument doc;
    doc.NumArt = numArt;
    doc.objects.append(DocObject {});
    doc.objects[0].displayNumber = number;
    QCOMPARE(doc.numberText(0), label);
    QCOMPARE(coverNumberText(number, numArt), label);
}

void TestTopicDocument::numberTextOutsideTheList()
{
    TopicDocument doc;
    QCOMPARE(doc.numberText(0), QStringLiteral("?"));
    QCOMPARE(doc.numberText(-1), QStringLiteral("?"));
}

void TestTopicDocument::orderByPosition()
{
    // Top to bottom; on one height left to right.
    const TopicDocument doc = documentWith({{0.9, 0.5, "a"}, {0.1, 0.5, "b"}, {0.5, 0.1, "c"}, {0.5, 0.9, "d"}}, 0);
    QCOMPARE(ordered(doc), (QList<int> {2, 1, 0, 3}));
}

void TestTopicDocument::equalKeysAreSwappedByTheSelection()
{
    // (X, x, a): X and x compare equal, a is smallest. Swapping a to the front puts X last.
    const TopicDocument byCaption = documentWith({{0, 0, "X"}, {0, 0, "x"}, {0, 0, "a"}}, 1);
    QCOMPARE(ordered(byCaption), (QList<int> {2, 1, 0}));
    // The same happens for equal positions.
    const TopicDocument byPosition = documentWith({{0.5, 0.5, "X"}, {0.5, 0.5, "x"}, {0.1, 0.1, "a"}}, 0);
    QCOMPARE(ordered(byPosition), (QList<int> {2, 1, 0}));
    // Equal elements already in front stay in order.
    const TopicDocument stable = documentWith({{0, 0, "a"}, {0, 0, "X"}, {0, 0, "x"}}, 1);
    QCOMPARE(ordered(stable), (QList<int> {0, 1, 2}));
}

void TestTopicDocument::orderByCaption()
{
    // German order without regard to case: umlauts beside their base letters.
    const TopicDocument doc = documentWith(
        {{0, 0, "Zypern"}, {0, 0, "österreich"}, {0, 0, "Belgien"}, {0, 0, "Ostsee"}, {0, 0, "äpfel"}}, 2);
    QCOMPARE(ordered(doc), (QList<int> {4, 2, 1, 3, 0}));
}

void TestTopicDocument::resetKeepsPreviousPath()
{
    TopicDocument doc;
    doc.titel = "Titel";
    doc.AnzFrageNummern = 4;
    doc.DokTyp = DocType::SingleQuestions;
    doc.RandErw = {1, 2, 3, 4};
    doc.filePath = "/themen/a.zep";
    doc.modified = true;
    doc.topicIndex = 3;
    doc.currentQuestionNumber = 2;
    doc.objects.append(DocObject {});
    doc.resetDocument();
    QCOMPARE(doc.vers, QStringLiteral("1.00"));
    QVERIFY(doc.titel.isEmpty());
    QCOMPARE(doc.AnzFrageNummern, 0);
    QCOMPARE(doc.DokTyp, DocType::ImageLabelling);
    QCOMPARE(doc.RandErw, (std::array<double, 4> {0, 0, 0, 0}));
    QCOMPARE(doc.previousPath, QStringLiteral("/themen/a.zep"));
    QVERIFY(doc.filePath.isEmpty());
    QVERIFY(!doc.modified);
    QCOMPARE(doc.topicIndex, -1);
    QCOMPARE(doc.currentQuestionNumber, 0);
    // Objects and picture stay until reading or closing replaces them.
    QCOMPARE(doc.objects.size(), 1);

    // A reset without a file keeps the previous path as it was.
    doc.resetDocument();
    QCOMPARE(doc.previousPath, QStringLiteral("/themen/a.zep"));
}

QTEST_GUILESS_MAIN(TestTopicDocument)
#include "tst_topicdocument.moc"
