// The worksheet page as a teacher prints it: what each mode draws and where, the header, title
// and answer list, single questions from a chosen number on, and a page that ends before the
// first question that does not fit.

#include "support/quiztopics.h"
#include "worksheet/worksheetpage.h"

#include <QPainter>
#include <QTest>

namespace {

TopicDocument questions(int count)
{
    TopicDocument doc = questionsTopic(count);
    QStringList lines;
    for (int j = 1; j <= count; ++j)
        lines.append(QStringLiteral("Frage %1? // Antwort %1").arg(j));
    doc.fragentext = lines.join(QStringLiteral("\r\n"));
    return doc;
}

TopicDocument cloze()
{
    TopicDocument doc;
    doc.DokTyp = DocType::ClozeText;
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(Qt::white);
    doc.lueckentext = QStringLiteral("Der <<Rhein>> fließt in die <<Nordsee>>.");
    for (const char* word : {"Rhein", "Nordsee"}) {
        DocObject gap;
        gap.Typ = ObjectKind::ClozeGap;
        gap.Cap = QString::fromLatin1(word);
        gap.Ebene = 1;
        doc.objects.append(gap);
    }
    return doc;
}

QImage render(const TopicDocument& doc, const WorksheetOptions& options, WorksheetLayout* layout = nullptr)
{
    QImage page(worksheetPageSize, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const WorksheetLayout made = composeWorksheet(painter, doc, options);
    if (layout)
        *layout = made;
    return page;
}

bool reddish(QRgb pixel)
{
    return qRed(pixel) > 150 && qGreen(pixel) < 110 && qBlue(pixel) < 110;
}

bool dark(QRgb pixel)
{
    return qRed(pixel) < 100 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
}

int lineHeight(int height)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(height);
    return QFontMetrics(font).height();
}

} // namespace

Q_DECLARE_METATYPE(TopicDocument)

class TestWorksheetPage : public QObject
{
    Q_OBJECT

private slots:
    void overlayLinesUpWithSolution_data();
    void overlayLinesUpWithSolution();
    void headerAndTitle_data();
    void headerAndTitle();
    void fromQuestionFive();
    void taskKeepsHalfALineFromTheContent();
    void answerListKeepsEachAnswerOnOneLine_data();
    void answerListKeepsEachAnswerOnOneLine();
    void nothingLeavesThePage_data();
    void nothingLeavesThePage();
    void questionLines_data();
    void questionLines();
    void pageEndsBeforeAQuestionThatDoesNotFit();
};

void TestWorksheetPage::overlayLinesUpWithSolution_data()
{
    QTest::addColumn<TopicDocument>("document");
    QTest::newRow("single questions") << questions(4);
    QTest::newRow("cloze text") << cloze();
    TopicDocument labels
        = labelTopic({quizLabel(QStringLiteral("Elbe"), 0.3, 0.3), quizLabel(QStringLiteral("Rhein"), 0.6, 0.7)});
    labels.picture.fill(Qt::white);
    QTest::newRow("labelled picture") << labels;
}

void TestWorksheetPage::overlayLinesUpWithSolution()
{
    QFETCH(TopicDocument, document);
    WorksheetOptions options;
    options.title = QStringLiteral("Flüsse");
    options.mode = WorksheetMode::Solution;
    const QImage solution = render(document, options);
    options.mode = WorksheetMode::Overlay;
    const QImage overlay = render(document, options);
    options.mode = WorksheetMode::Worksheet;
    const QImage worksheet = render(document, options);

    int red = 0;
    for (int y = 0; y < overlay.height(); ++y) {
        for (int x = 0; x < overlay.width(); ++x) {
            const QRgb o = overlay.pixel(x, y);
            // The overlay holds nothing of the sheet itself: no header, title, frames or footer.
            QVERIFY2(!dark(o), qPrintable(QStringLiteral("dark pixel at %1,%2").arg(x).arg(y)));
            // Every answer pixel stands where the solution sheet has it.
            if (reddish(o)) {
                ++red;
                QVERIFY2(reddish(solution.pixel(x, y)), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
            QVERIFY(!reddish(worksheet.pixel(x, y)));
        }
    }
    QVERIFY(red > 100);
}

void TestWorksheetPage::headerAndTitle_data()
{
    QTest::addColumn<bool>("fields");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("titleTop"); // -1: no title
    QTest::addColumn<int>("taskTop");
    const int header = qRound(2.5 * lineHeight(18));
    const int half = qRound(0.5 * lineHeight(18));
    const int title = qRound(2.0 * lineHeight(30));
    QTest::newRow("fields and title") << true << "Flüsse" << header + half << header + half + title;
    QTest::newRow("no fields") << false << "Flüsse" << half << half + title;
    QTest::newRow("no title") << true << "" << -1 << header;
    QTest::newRow("neither") << false << "" << -1 << 0;
}

void TestWorksheetPage::headerAndTitle()
{
    QFETCH(bool, fields);
    QFETCH(QString, title);
    QFETCH(int, titleTop);
    QFETCH(int, taskTop);
    WorksheetOptions options;
    options.nameField = options.classField = options.dateField = fields;
    options.title = title;
    WorksheetLayout layout;
    const QImage page = render(questions(2), options, &layout);
    QCOMPARE(layout.titleTop, titleTop);
    QCOMPARE(layout.taskTop, taskTop);
    // The name line runs under "Name:" exactly when the fields are on.
    const int underline = lineHeight(18);
    QCOMPARE(dark(page.pixel(300, underline)), fields);
}

void TestWorksheetPage::fromQuestionFive()
{
    WorksheetOptions options;
    options.fromQuestion = 5;
    options.mode = WorksheetMode::Solution;
    WorksheetLayout layout;
    render(questions(8), options, &layout);
    QCOMPARE(layout.questions, QList<int>({5, 6, 7, 8}));
    QCOMPARE(layout.answerLines.join(QString()), QStringLiteral("Antwort 5 - Antwort 6 - Antwort 7 - Antwort 8"));
}

// Without the answer list the content would sit on the task's text: half a line lies between.
void TestWorksheetPage::taskKeepsHalfALineFromTheContent()
{
    WorksheetOptions options;
    options.answerList = false;
    options.task = QStringLiteral("Aufgabe: Fülle die freien Felder aus!");
    WorksheetLayout layout;
    render(labelTopic({quizLabel(QStringLiteral("Elbe"), 0.3, 0.3)}), options, &layout);
    QVERIFY2(layout.contentTop - layout.taskTop >= lineHeight(25) * 3 / 2,
        qPrintable(QStringLiteral("task at %1, content at %2").arg(layout.taskTop).arg(layout.contentTop)));
}

void TestWorksheetPage::answerListKeepsEachAnswerOnOneLine_data()
{
    QTest::addColumn<TopicDocument>("document");
    QTest::addColumn<QString>("listed");
    QTest::newRow("label") << labelTopic({quizLabel(QStringLiteral("Straße | Größenmaß | dreißig Füße"), 0.3, 0.3)})
                           << QStringLiteral("Straße Größenmaß dreißig Füße");
    TopicDocument single = questions(1);
    single.objects.last().Cap = QStringLiteral("erste Zeile | zweite Zeile");
    QTest::newRow("answer") << single << QStringLiteral("erste Zeile zweite Zeile");
}

// A caption that a tile shows on several lines (" | ") takes one line in the answer list, which
// advances a line per list line.
void TestWorksheetPage::answerListKeepsEachAnswerOnOneLine()
{
    QFETCH(TopicDocument, document);
    QFETCH(QString, listed);
    QCOMPARE(worksheetAnswers(document, 1), QStringList {listed});
}

void TestWorksheetPage::nothingLeavesThePage_data()
{
    QTest::addColumn<TopicDocument>("document");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("minimumListLines"); // the long entry wraps instead of running on

    const QString longWords
        = QStringLiteral("Donaudampfschifffahrtsgesellschaft mit Kapitänsmütze ").repeated(5).trimmed();
    const QString oneWord = QStringLiteral("Rindfleischetikettierungsüberwachungsaufgabe").repeated(4);
    TopicDocument longLabel = labelTopic({quizLabel(longWords, 0.3, 0.3), quizLabel(QStringLiteral("Elbe"), 0.6, 0.6)});
    TopicDocument wordLabel = labelTopic({quizLabel(oneWord, 0.3, 0.3)});
    TopicDocument longGap = cloze();
    longGap.lueckentext = QStringLiteral("Am Anfang: <<%1>>. Dann <<%2>>!").arg(longWords, oneWord);
    longGap.objects[0].Cap = longWords;
    longGap.objects[1].Cap = oneWord;
    TopicDocument longAnswer = questions(2);
    longAnswer.fragentext = QStringLiteral("Wer? // %1\r\nWas? // %2").arg(longWords, oneWord);
    longAnswer.objects[1].Cap = longWords;
    longAnswer.objects[3].Cap = oneWord;

    const char* modes[] = {"worksheet", "solution", "overlay"};
    for (int mode = 0; mode < 3; ++mode) {
        QTest::addRow("label list, %s", modes[mode]) << longLabel << longWords << mode << 2;
        QTest::addRow("one-word label, %s", modes[mode]) << wordLabel << oneWord << mode << 2;
        QTest::addRow("cloze gaps, %s", modes[mode]) << longGap << longWords + longWords << mode << 2;
        QTest::addRow("answers, %s", modes[mode]) << longAnswer << QString() << mode << 2;
    }
}

// The longest texts stay on the paper in every mode: a long answer-list entry wraps, a long
// title is set smaller and shortened inside its box, a gap longer than a line is broken.
void TestWorksheetPage::nothingLeavesThePage()
{
    QFETCH(TopicDocument, document);
    QFETCH(QString, title);
    QFETCH(int, mode);
    QFETCH(int, minimumListLines);

    WorksheetOptions options;
    options.mode = WorksheetMode(mode);
    options.title = title;
    const int margin = 300;
    QImage paper(worksheetPageSize + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.translate(margin, margin);
    const WorksheetLayout layout = composeWorksheet(painter, document, options);
    painter.end();

    const QRect page(margin, margin, worksheetPageSize.width(), worksheetPageSize.height());
    int inkOnPage = 0;
    for (int y = 0; y < paper.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(paper.constScanLine(y));
        for (int x = 0; x < paper.width(); ++x) {
            if (qGray(row[x]) > 200)
                continue;
            if (!page.contains(x, y))
                QFAIL(qPrintable(QStringLiteral("ink at %1, %2 off the page").arg(x - margin).arg(y - margin)));
            ++inkOnPage;
        }
    }
    QVERIFY(inkOnPage > 0);
    QVERIFY2(layout.answerLines.size() >= minimumListLines, qPrintable(layout.answerLines.join(u'\n')));
}

void TestWorksheetPage::questionLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("answer");
    QTest::newRow("blanks around //") << "  Hauptstadt von Malta?   //   Valletta  "
                                      << "Hauptstadt von Malta?"
                                      << "Valletta";
    QTest::newRow("no //") << "Nenne drei Flüsse."
                           << "Nenne drei Flüsse."
                           << "---";
    QTest::newRow("empty answer") << "Frage // "
                                  << "Frage"
                                  << "";
}

void TestWorksheetPage::questionLines()
{
    QFETCH(QString, line);
    QFETCH(QString, question);
    QFETCH(QString, answer);
    const QList<WorksheetQuestion> parsed
        = worksheetQuestions(QStringLiteral("\r\n") + line + QStringLiteral("\r\n\r\n"));
    QCOMPARE(parsed.size(), 1);
    QCOMPARE(parsed.first().number, 1);
    QCOMPARE(parsed.first().question, question);
    QCOMPARE(parsed.first().answer, answer);
}

void TestWorksheetPage::pageEndsBeforeAQuestionThatDoesNotFit()
{
    WorksheetOptions options;
    options.mode = WorksheetMode::Solution;
    WorksheetLayout layout;
    render(questions(60), options, &layout);
    QVERIFY(!layout.questions.isEmpty());
    QVERIFY(layout.questions.size() < 60);
    const int limit = worksheetHeight - qRound(1.5 * lineHeight(25));
    QVERIFY(layout.contentBottom < limit);
    // The next question would have reached the limit: it takes as much room as the last one.
    const int lastHeight
        = layout.solutionRects.last().bottom() - layout.solutionRects.at(layout.solutionRects.size() - 2).bottom();
    QVERIFY(layout.contentBottom + lastHeight >= limit);
    // Numbered without gaps from 1.
    QCOMPARE(layout.questions.last(), int(layout.questions.size()));
}

QTEST_MAIN(TestWorksheetPage)
#include "tst_worksheetpage.moc"
