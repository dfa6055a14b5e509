#include "common/randomgenerator.h"
#include "document/oledate.h"
#include "quiz/droptarget.h"
#include "quiz/normalizetext.h"
#include "quiz/quizoptions.h"
#include "quiz/quizscoring.h"
#include "quiz/quizsession.h"
#include "quiz/spokentext.h"
#include "support/manualtick.h"

#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

const QDateTime startClock(QDate(2024, 3, 5), QTime(14, 7, 9));

DocObject item(const QString& cap, double kx, double ky, qint32 kind = ObjectKind::Label, qint32 page = -1)
{
    DocObject o;
    o.Cap = cap;
    o.Kx = kx;
    o.Ky = ky;
    o.Typ = kind;
    o.FrageNummer = page;
    o.boxRect = {kx, ky, kx + 0.1, ky + 0.05};
    return o;
}

// Labels or cloze gaps with the given captions, one per row down the card.
void fillItems(TopicDocument& doc, DocType kind, const QStringList& captions)
{
    doc.DokTyp = kind;
    const qint32 objectKind = kind == DocType::ClozeText ? ObjectKind::ClozeGap : ObjectKind::Label;
    for (int i = 0; i < captions.size(); ++i)
        doc.objects.append(item(captions.at(i), 0.1, 0.05 + 0.08 * i, objectKind));
}

// One question page per answer: a question object and an answer object.
void fillQuestions(TopicDocument& doc, const QStringList& answers)
{
    doc.DokTyp = DocType::SingleQuestions;
    doc.AnzFrageNummern = int(answers.size());
    for (int i = 0; i < answers.size(); ++i) {
        doc.objects.append(item(
            QStringLiteral("<@flaggenfrage><@img=flag%1.png>").arg(i + 1), 0.1, 0.1, ObjectKind::QuestionText, i + 1));
        doc.objects.append(item(answers.at(i), 0.5, 0.5, ObjectKind::Answer, i + 1));
    }
}

// A session on its own document, tick and clock; options as a test sets them.
struct Quiz
{
    Quiz()
    {
        session.dateTimeText = [](double days) { return fromOleDate(days).toString(Qt::ISODate); };
    }
    Quiz(const Quiz&) = delete;

    TopicDocument doc;
    ManualTick tick {5000};
    QuizSession session {doc, tick, [] { return startClock; }};

    JudgeResult drop(int text, int target)
    {
        session.hoverTarget = target;
        return session.judgeAnswer(text);
    }
    JudgeResult click(int text)
    {
        session.grabTile();
        return session.judgeAnswer(text);
    }
    const DocObject& object(int i) const { return doc.objects.at(i); }
};

ProtocolContext context()
{
    ProtocolContext c;
    c.computerName = QStringLiteral("lab-pc");
    c.userName = QStringLiteral("anna");
    return c;
}

QList<int> column(const QList<QuestionPair>& list, bool texts)
{
    QList<int> values;
    for (const QuestionPair& pair : list)
        values.append(texts ? pair.textObject : pair.targetObject);
    return values;
}

QStringList detailLines(const QuizSession& session)
{
    QStringList lines = session.protocolDetail.split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

} // namespace

class TestQuizSession : public QObject
{
    Q_OBJECT

private slots:
    void init() { programRandom().setSeed(4711); }

    void normalizeText_data();
    void normalizeText();
    void takeOptions_data();
    void takeOptions();
    void selection_data();
    void selection();
    void order_data();
    void order();
    void dropTarget_data();
    void dropTarget();
    void keyboardTargets_data();
    void keyboardTargets();
    void typedTargets_data();
    void typedTargets();
    void spokenTextsKeepAnswers();
    void judgementLines_data();
    void judgementLines();
    void crossRule();
    void sharedTextOneAtATime();
    void repeatedSingleQuestion();
    void answerChoices_data();
    void answerChoices();
    void lateReleases();
    void rates();
    void grades_data();
    void grades();
    void clock_data();
    void clock();
    void durations_data();
    void durations();
    void wholeQuiz_data();
    void wholeQuiz();
    void protocolOfLabellingQuiz();
    void protocolOfTimedOutQuestions();
    void leaveQuiz();
};

void TestQuizSession::normalizeText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("tile");
    QTest::newRow("hyphen before lower case joins") << "Nord-\r\nsee"
                                                    << "Nordsee"
                                                    << "Nordsee";
    QTest::newRow("hyphen before upper case stays") << "Baden-\r\nWürttemberg"
                                                    << "Baden-Württemberg"
                                                    << "Baden-Württemberg";
    QTest::newRow("umlaut is lower case") << "Mittel-\r\nöl"
                                          << "Mittelöl"
                                          << "Mittelöl";
    QTest::newRow("two breaks after hyphen") << "Nord-\r\n\r\nsee"
                                             << "Nordsee"
                                             << "Nordsee";
    QTest::newRow("hyphen break at the end") << "Ost-\r\n"
                                             << "Ost-"
                                             << "Ost-";
    QTest::newRow("plain break is a blank") << "Rhein\r\nufer"
                                            << "Rhein ufer"
                                            << "Rhein ufer";
    // CR and LF each become a blank; the one pass over the blanks leaves two of three.
    QTest::newRow("blank before break") << "Rhein \r\nufer"
                                        << "Rhein  ufer"
                                        << "Rhein  ufer";
    QTest::newRow("lone CR and LF") << "a\rb\nc"
                                    << "a b c"
                                    << "a b c";
    QTest::newRow("control characters trimmed") << "\t\x01 Elbe \x02"
                                                << "Elbe"
                                                << "Elbe";
    QTest::newRow("bar breaks the tile") << "Irland | Eire"
                                         << "Irland | Eire"
                                         << "Irland\r\nEire";
    QTest::newRow("bar after a joined word") << "Nord-\r\nsee | Ostsee"
                                             << "Nordsee | Ostsee"
                                             << "Nordsee\r\nOstsee";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
}

void TestQuizSession::normalizeText()
{
    QFETCH(QString, text);
    QTEST(::normalizeText(text), "expected");
    QTEST(tileCaption(text), "tile");
}

void TestQuizSession::takeOptions_data()
{
    QTest::addColumn<DocType>("kind");
    QTest::addColumn<QString>("minutes");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QuizSnapshot>("expected");
    // The labelling dialog holds 2, 1, 1, 1, 0, 2 and a limit; the questions dialog 1, 0, 0.
    QTest::newRow("labelling") << DocType::ImageLabelling << "3"
                               << "0" << QuizSnapshot {2, 1, 1, 0, 2, 1, 180};
    QTest::newRow("cloze, 59:59") << DocType::ClozeText << "59"
                                  << "59" << QuizSnapshot {2, 1, 1, 0, 2, 1, 3599};
    QTest::newRow("empty fields") << DocType::ImageLabelling << ""
                                  << "" << QuizSnapshot {2, 1, 1, 0, 2, 1, 0};
    QTest::newRow("not a number") << DocType::ImageLabelling << "x1"
                                  << "-5" << QuizSnapshot {2, 1, 1, 0, 2, 1, 0};
    QTest::newRow("single questions") << DocType::SingleQuestions << "1"
                                      << "30" << QuizSnapshot {0, 0, 1, 0, 0, 0, 90};
}

void TestQuizSession::takeOptions()
{
    QFETCH(DocType, kind);
    QFETCH(QString, minutes);
    QFETCH(QString, seconds);
    QFETCH(QuizSnapshot, expected);
    QuizOptions options;
    options.labelling = {2, 1, minutes, seconds, 1, 1, 0, 2};
    options.questions = {1, 0, 0, minutes, seconds, 0};
    QCOMPARE(::takeOptions(options, kind), expected);
}

void TestQuizSession::selection_data()
{
    QTest::addColumn<DocType>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("pages"); // AnzFrageNummern
    QTest::addColumn<QList<int>>("failed"); // items answered wrongly in the last run
    QTest::addColumn<int>("requestedMode");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("available");
    QTest::addColumn<QString>("scope"); // as the protocol states it

    const QList<int> none;
    QTest::newRow("complete") << DocType::ImageLabelling << "Flüsse" << 5 << 0 << none << 0 << 0 << 5 << 5
                              << "5 Fragen (komplettes Quiz)";
    QTest::newRow("random, 12 pages") << DocType::SingleQuestions << "Flaggen ZUFÄLLIG" << 12 << 12 << none << 0 << 2
                                      << 12 << 12 << "12 Fragen (komplettes Quiz)";
    QTest::newRow("random, 30 pages") << DocType::SingleQuestions << "Zufällige Flaggen" << 30 << 30 << none << 0 << 2
                                      << 20 << 30 << "20 von 30 Fragen";
    QTest::newRow("repeat of failed only") << DocType::ImageLabelling << "Flüsse" << 6 << 0 << QList<int> {1, 4} << 1
                                           << 1 << 2 << 6 << "2 von 6 Fragen (Teilwiederholung)";
    QTest::newRow("repeat is never random") << DocType::SingleQuestions << "zufällig" << 12 << 12 << QList<int> {3} << 1
                                            << 1 << 1 << 12 << "1 von 12 Fragen (Teilwiederholung)";
    QTest::newRow("nothing to repeat") << DocType::ClozeText << "Lücken" << 4 << 0 << none << 1 << 1 << 0 << 4 << "";
    QTest::newRow("no labels") << DocType::ImageLabelling << "Leer" << 0 << 0 << none << 0 << 0 << 0 << 0 << "";
    QTest::newRow("fewer items than pages")
        << DocType::ImageLabelling << "zufällig" << 4 << 15 << none << 0 << 2 << 4 << 4 << "4 Fragen (komplettes Quiz)";
    QTest::newRow("pages without answers") << DocType::SingleQuestions << "zufällig" << 3 << 25 << none << 0 << 2 << 3
                                           << 3 << "3 Fragen (komplettes Quiz)";
}

void TestQuizSession::selection()
{
    QFETCH(DocType, kind);
    QFETCH(QString, title);
    QFETCH(int, items);
    QFETCH(int, pages);
    QFETCH(QList<int>, failed);
    QFETCH(int, requestedMode);

    Quiz quiz;
    QStringList captions;
    for (int i = 0; i < items; ++i)
        captions.append(QStringLiteral("Text %1").arg(i));
    if (kind == DocType::SingleQuestions)
        fillQuestions(quiz.doc, captions);
    else
        fillItems(quiz.doc, kind, captions);
    quiz.doc.AnzFrageNummern = pages;
    quiz.doc.titel = title;
    // An object that is no quiz item keeps its state in the complete and the repeat selection.
    quiz.doc.objects.append(item(QStringLiteral("Info"), 0.9, 0.9, ObjectKind::InfoPoint));
    const qsizetype itemStep = kind == DocType::SingleQuestions ? 2 : 1;
    const qsizetype itemOffset = kind == DocType::SingleQuestions ? 1 : 0;
    for (int i : failed)
        quiz.doc.objects[i * itemStep + itemOffset].failsAsText = 1;

    const int selected = quiz.session.selectQuestions(requestedMode);
    QTEST(quiz.session.selectionMode, "mode");
    QCOMPARE(quiz.doc.objects.constLast().coverState,
        quiz.session.selectionMode == 2 ? CoverState::Uncovered : CoverState::Covered);
    QTEST(selected, "selected");
    if (selected == 0)
        return;
    quiz.session.buildQuestionList();
    QTEST(quiz.session.questionCount, "selected");
    QTEST(quiz.session.availableCount, "available");
    QCOMPARE(quiz.session.questionList.size(), selected);
    for (int i : failed) {
        const DocObject& o = quiz.object(i * itemStep + itemOffset);
        QCOMPARE(o.coverState, CoverState::Open);
        QCOMPARE(o.failsAsText, 0);
    }
    QCOMPARE(quiz.session.countOpen(), selected);
    quiz.session.reset(0);
    quiz.session.buildProtocolHeader(context());
    QFETCH(QString, scope);
    QVERIFY2(quiz.session.protocolHeader.contains("\r\nQuiz-Umfang:\t" + scope + "\r\n"),
        qPrintable(quiz.session.protocolHeader));
}

void TestQuizSession::order_data()
{
    QTest::addColumn<int>("textOrder");
    QTest::addColumn<int>("targetOrder");
    QTest::addColumn<int>("geordnetArt");
    QTest::addColumn<QList<int>>("texts");
    QTest::addColumn<QList<int>>("targets");

    // Objects: 0 "Norden" (0.5, 0.3), 1 "Nord-/see" (0.2, 0.3), 2 "nordrhein" (0.9, 0.1),
    // 3 "Nordkap" (0.1, 0.7), 4 "Bergen" (0.4, 0.5).
    QTest::newRow("alphabetical, by position")
        << 0 << 0 << 0 << QList<int> {4, 0, 3, 2, 1} << QList<int> {2, 1, 0, 4, 3};
    QTest::newRow("by caption") << 0 << 0 << 1 << QList<int> {4, 0, 3, 2, 1} << QList<int> {4, 1, 0, 3, 2};
    // Worked out from the generator's rule with seed 4711: texts first, then targets.
    QTest::newRow("both shuffled") << 1 << 1 << 0 << QList<int> {4, 2, 3, 1, 0} << QList<int> {3, 4, 0, 1, 2};
    QTest::newRow("question marks") << 1 << 2 << 0 << QList<int> {4, 2, 3, 1, 0} << QList<int> {3, 4, 0, 1, 2};
}

void TestQuizSession::order()
{
    QFETCH(int, textOrder);
    QFETCH(int, targetOrder);
    QFETCH(int, geordnetArt);
    Quiz quiz;
    quiz.doc.DokTyp = DocType::ImageLabelling;
    quiz.doc.GeordnetArt = geordnetArt;
    quiz.doc.objects = {item(QStringLiteral("Norden"), 0.5, 0.3), item(QStringLiteral("Nord-\r\nsee"), 0.2, 0.3),
        item(QStringLiteral("nordrhein"), 0.9, 0.1), item(QStringLiteral("Nordkap"), 0.1, 0.7),
        item(QStringLiteral("Bergen"), 0.4, 0.5)};
    quiz.session.snapshot.textOrder = textOrder;
    quiz.session.snapshot.targetOrder = targetOrder;
    QVERIFY(quiz.session.start(0, 0));

    QTEST(column(quiz.session.questionList, true), "texts");
    QTEST(column(quiz.session.questionList, false), "targets");
    for (int q = 0; q < quiz.session.questionList.size(); ++q) {
        const DocObject& target = quiz.object(quiz.session.questionList.at(q).targetObject);
        QCOMPARE(target.displayNumber, targetOrder == 2 ? 0 : q + 1);
        QCOMPARE(target.coverState, CoverState::Open);
    }
}

void TestQuizSession::dropTarget_data()
{
    QTest::addColumn<QRectF>("tile");
    QTest::addColumn<int>("only");
    QTest::addColumn<int>("expected");
    // Boxes (left, top, right, bottom): 0 (0.1, 0.1, 0.3, 0.2); 1 (0.25, 0.15, 0.45, 0.25);
    // 2 (0.6, 0.6, 0.8, 0.7) is solved; 3 (0.6, 0.3, 0.8, 0.4) shows no number;
    // 4 (0.1, 0.5, 0.3, 0.6) is an answer of page 2, 5 (0.1, 0.7, 0.3, 0.8) one of page 1.
    QTest::newRow("left edge midpoint") << QRectF(0.15, 0.12, 0.1, 0.04) << -1 << 0;
    QTest::newRow("two boxes: the earlier wins") << QRectF(0.26, 0.16, 0.1, 0.02) << -1 << 0;
    QTest::newRow("edge midpoint beats overlap") << QRectF(0.26, 0.2, 0.1, 0.04) << -1 << 1;
    QTest::newRow("overlap only") << QRectF(0.0, 0.15, 0.12, 0.02) << -1 << 0;
    QTest::newRow("box inside the tile") << QRectF(0.05, 0.65, 0.3, 0.2) << -1 << 5;
    QTest::newRow("right edge is outside") << QRectF(0.45, 0.16, 0.1, 0.02) << -1 << -1;
    QTest::newRow("bottom edge is outside") << QRectF(0.3, 0.25, 0.1, 0.02) << -1 << -1;
    QTest::newRow("empty picture") << QRectF(0.5, 0.85, 0.1, 0.05) << -1 << -1;
    QTest::newRow("solved target") << QRectF(0.65, 0.62, 0.1, 0.04) << -1 << -1;
    QTest::newRow("no number") << QRectF(0.65, 0.32, 0.1, 0.04) << -1 << -1;
    QTest::newRow("answer of another page") << QRectF(0.15, 0.52, 0.1, 0.04) << -1 << -1;
    QTest::newRow("answer of this page") << QRectF(0.15, 0.72, 0.1, 0.04) << -1 << 5;
    QTest::newRow("only the asked target") << QRectF(0.26, 0.16, 0.1, 0.02) << 1 << 1;
    QTest::newRow("asked target elsewhere") << QRectF(0.15, 0.12, 0.05, 0.02) << 1 << -1;
}

void TestQuizSession::dropTarget()
{
    QFETCH(QRectF, tile);
    QFETCH(int, only);
    TopicDocument doc;
    doc.currentQuestionNumber = 1;
    const auto box = [](qint32 kind, double l, double t, double r, double b, qint32 cover, qint32 number, qint32 page) {
        DocObject o;
        o.Typ = kind;
        o.boxRect = {l, t, r, b};
        o.coverState = cover;
        o.displayNumber = number;
        o.FrageNummer = page;
        return o;
    };
    doc.objects = {box(ObjectKind::Label, 0.1, 0.1, 0.3, 0.2, CoverState::Open, 1, -1),
        box(ObjectKind::ClozeGap, 0.25, 0.15, 0.45, 0.25, CoverState::Open, 0, -1),
        box(ObjectKind::Label, 0.6, 0.6, 0.8, 0.7, CoverState::Solved, 2, -1),
        box(ObjectKind::Label, 0.6, 0.3, 0.8, 0.4, CoverState::Open, -1, -1),
        box(ObjectKind::Answer, 0.1, 0.5, 0.3, 0.6, CoverState::Open, 3, 2),
        box(ObjectKind::Answer, 0.1, 0.7, 0.3, 0.8, CoverState::Open, 4, 1)};
    QTEST(findDropTarget(doc, tile, only), "expected");
}

void TestQuizSession::keyboardTargets_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<int>("targetOrder");
    for (const auto& [kind, name] : {std::pair(DocType::ImageLabelling, "labelling"), {DocType::ClozeText, "cloze"}}) {
        for (int mode = 0; mode < 3; ++mode) {
            for (int order = 0; order < 3; ++order)
                QTest::addRow("%s, mode %d, targets %d", name, mode, order) << int(kind) << mode << order;
        }
    }
    QTest::newRow("single questions") << int(DocType::SingleQuestions) << 0 << 0;
}

// The keyboard's targets are the targets the pointer can reach: a tile put anywhere on the
// card finds exactly these, whatever is already solved, crossed, left out or on another page.
void TestQuizSession::keyboardTargets()
{
    QFETCH(int, kind);
    QFETCH(int, queryMode);
    QFETCH(int, targetOrder);
    Quiz q;
    const QStringList texts {"Elbe", "Rhein", "Main", "Oder", "Weser", "Donau"};
    if (DocType(kind) == DocType::SingleQuestions) {
        fillQuestions(q.doc, texts);
        // Each page's answer in a box of its own, so that the pages' boxes do not hide each other.
        for (int i = 1; i < q.doc.objects.size(); i += 2)
            q.doc.objects[i].boxRect = {0.5, 0.05 + 0.08 * i, 0.6, 0.1 + 0.08 * i};
    } else {
        fillItems(q.doc, DocType(kind), texts);
    }
    // Never a target: a fixed text, and a label whose box was never laid out.
    q.doc.objects.append(item(QStringLiteral("Hinweis"), 0.7, 0.7, ObjectKind::FixedText));
    q.session.snapshot.queryMode = queryMode;
    q.session.snapshot.targetOrder = targetOrder;
    q.session.snapshot.onWrong = 1;
    QVERIFY(q.session.start(0, 0));

    // One right answer, then one wrong that crosses (or closes) a target, before looking.
    const auto answer = [&](bool right) {
        const QuizPrompt p = q.session.prompt();
        int other = 0; // an open object that is not the answer asked for
        while (other == p.textObject || other == p.targetObject || q.object(other).coverState != CoverState::Open)
            ++other;
        if (DocType(kind) == DocType::SingleQuestions) {
            const int solution = q.session.questionList.at(p.solution).textObject;
            const int wrong = q.session.questionList.at(p.choices.at(p.choices.at(0) == p.solution ? 1 : 0)).textObject;
            q.click(right ? solution : wrong);
        } else if (queryMode == 2) {
            q.drop(right ? p.targetObject : other, p.targetObject);
        } else {
            const int text = queryMode == 1 ? p.textObject : right ? 0 : 2;
            q.drop(text, right ? text : other);
        }
        q.session.nextQuestion();
    };
    answer(true);
    answer(false);
    QCOMPARE(q.session.correctCount, 1);
    QCOMPARE(q.session.wrongCount, 1);
    // An open object whose box was never laid out cannot take a tile.
    DocObject unplaced = item(QStringLiteral("Ems"), 0.7, 0.9);
    unplaced.boxRect = {-1, -1, -1, -1};
    unplaced.coverState = CoverState::Open;
    unplaced.displayNumber = 99;
    q.doc.objects.append(unplaced);

    QSet<int> reached;
    for (double y = 0.005; y < 1; y += 0.01) {
        for (double x = 0.005; x < 1; x += 0.01) {
            const int hit = q.session.dragOver(QRectF(x, y, 0.005, 0.005));
            if (hit >= 0)
                reached.insert(hit);
        }
    }
    const QList<int> keys = q.session.dropCandidates();
    QCOMPARE(QSet<int>(keys.cbegin(), keys.cend()), reached);
    QCOMPARE(QSet<int>(keys.cbegin(), keys.cend()).size(), keys.size());
    QVERIFY(!keys.isEmpty());
    if (queryMode == 2 && DocType(kind) != DocType::SingleQuestions)
        QCOMPARE(keys, QList<int> {q.session.prompt().targetObject});
    // In the order of the numbers the covers show.
    for (int i = 1; i < keys.size(); ++i)
        QVERIFY(q.object(keys.at(i - 1)).displayNumber <= q.object(keys.at(i)).displayNumber);
    // A target the pointer cannot reach is refused for the keyboard too.
    for (int i = 0; i < q.doc.objects.size(); ++i)
        QCOMPARE(q.session.chooseTarget(i), keys.contains(i) ? i : -1);
}

void TestQuizSession::typedTargets_data()
{
    QTest::addColumn<int>("numArt");
    QTest::addColumn<int>("targets");
    QTest::addColumn<QString>("keys"); // ">" and "<" are arrow keys
    QTest::addColumn<int>("number"); // the number of the chosen cover
    QTest::newRow("first target at the start") << 0 << 12 << "" << 1;
    QTest::newRow("one digit") << 0 << 12 << "7" << 7;
    QTest::newRow("two digits") << 0 << 12 << "12" << 12;
    QTest::newRow("one continues a complete number") << 0 << 12 << "1" << 1;
    QTest::newRow("a digit that continues nothing starts anew") << 0 << 12 << "122" << 2;
    QTest::newRow("no such number keeps the choice") << 0 << 12 << "70" << 7;
    QTest::newRow("letters are no digits") << 0 << 12 << "5a" << 5;
    QTest::newRow("letter in either case") << 1 << 30 << "c" << 3;
    QTest::newRow("letter of the second round") << 1 << 30 << "A'" << 27;
    QTest::newRow("digits are no letters") << 1 << 30 << "b5" << 2;
    QTest::newRow("arrow back wraps to the last") << 0 << 12 << "<" << 12;
    QTest::newRow("arrows after typing") << 0 << 12 << "11>>" << 1;
    QTest::newRow("typing after arrows") << 1 << 30 << ">>d" << 4;
}

void TestQuizSession::typedTargets()
{
    QFETCH(int, numArt);
    QFETCH(int, targets);
    QFETCH(QString, keys);
    TopicDocument doc;
    doc.NumArt = numArt;
    QList<int> candidates;
    for (int i = 0; i < targets; ++i) {
        // Listed in reverse, numbered from the end: the order comes from the numbers.
        DocObject o = item(QString::number(i), 0.1, 0.01 * i);
        o.displayNumber = targets - i;
        o.coverState = CoverState::Open;
        doc.objects.append(o);
    }
    candidates = dropTargetCandidates(doc);
    DropTargetChooser chooser;
    chooser.begin(candidates);
    for (const QChar key : keys) {
        if (key == u'>' || key == u'<')
            chooser.step(key == u'>' ? 1 : -1);
        else
            chooser.type(doc, key);
        // The window looks at the candidates before every key.
        chooser.update(dropTargetCandidates(doc));
    }
    QVERIFY(chooser.current() >= 0);
    QTEST(doc.objects.at(chooser.current()).displayNumber, "number");

    // A chosen target that goes (solved by another answer) hands the choice to the next one.
    const int chosen = chooser.current();
    doc.objects[chosen].coverState = CoverState::Uncovered;
    chooser.update(dropTargetCandidates(doc));
    QVERIFY(chooser.current() != chosen && chooser.current() >= 0);
}

// What is read never gives the answer away: open gaps by name only, a picture by its kind only.
void TestQuizSession::spokenTextsKeepAnswers()
{
    TopicDocument doc;
    doc.DokTyp = DocType::ClozeText;
    doc.lueckentext = QStringLiteral("<B>Der Euro</B>\r\nVertrag von <<Maastricht>>, Sitz in <<Frankfurt>> am Main.");
    fillItems(doc, DocType::ClozeText, {QStringLiteral("Maastricht"), QStringLiteral("Frankfurt")});
    doc.objects[0].coverState = CoverState::Open;
    doc.objects[0].displayNumber = 2;
    doc.objects[1].coverState = CoverState::Uncovered; // already filled: shown on the card
    QCOMPARE(spokenClozeText(doc, {}), QStringLiteral("Der Euro Vertrag von Lücke 2, Sitz in Frankfurt am Main."));
    // Targets by the label of their cover; behind a question mark by their place in the order.
    doc.NumArt = 1;
    doc.objects[0].displayNumber = 28;
    QCOMPARE(spokenTargetName(doc, 0, 5), QStringLiteral("Lücke B'"));
    doc.objects[0].displayNumber = 0;
    doc.objects[0].Typ = ObjectKind::Label;
    QCOMPARE(spokenTargetName(doc, 0, 5), QStringLiteral("Position 5"));

    const QString question = spokenQuestion(
        QStringLiteral("3. Frage"), QStringLiteral("Wie heißt das Land zu dieser <B>Flagge</B>?"), "flagge-be.png");
    QCOMPARE(question, QStringLiteral("3. Frage: Wie heißt das Land zu dieser Flagge? Bild: Flagge"));
    QCOMPARE(spokenPictureKind(QStringLiteral("euromuenzen/muenze-de.png")), QStringLiteral("Münzseite"));
    QCOMPARE(spokenTileText(QStringLiteral("Nord- | Ostsee")), QStringLiteral("Nord- Ostsee"));
}

void TestQuizSession::judgementLines_data()
{
    QTest::addColumn<DocType>("kind");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<bool>("right");
    QTest::addColumn<QString>("announcement");
    QTest::addColumn<QString>("judgement");

    // "Ufer" (0) is the first position, "Damm" (1) the first text; a wrong answer puts "Damm" on "Ufer".
    const DocType labels = DocType::ImageLabelling;
    const DocType cloze = DocType::ClozeText;
    const QString text1 = QStringLiteral("Beschriftungstext \"Damm\" soll der richtigen Position zugeordnet werden");
    const QString position2
        = QStringLiteral("Der Position \"Ufer\" soll der richtige Beschriftungstext zugeordnet werden");
    const QString gap1 = QStringLiteral("Lückentext \"Damm\" soll der richtigen Lücke zugeordnet werden");
    const QString gap2 = QStringLiteral("Der Lücke \"Ufer\" soll der richtige Lückentext zugeordnet werden");
    QTest::newRow("labels 0 right") << labels << 0 << true << ""
                                    << "RICHTIG - Beschriftungstext \"Ufer\" wird der richtigen Position zugeordnet";
    QTest::newRow("labels 0 wrong") << labels << 0 << false << ""
                                    << "FALSCH - Beschriftungstext \"Damm\" wird der Position von \"Ufer\" zugeordnet";
    QTest::newRow("labels 1 right") << labels << 1 << true << text1
                                    << "RICHTIG - Beschriftungstext \"Damm\" wird richtig zugeordnet";
    QTest::newRow("labels 1 wrong") << labels << 1 << false << text1
                                    << "FALSCH - Beschriftungstext \"Damm\" wird der Position von \"Ufer\" zugeordnet";
    QTest::newRow("labels 2 right")
        << labels << 2 << true << position2
        << "RICHTIG - Der Position von \"Ufer\" wird der richtige Beschriftungstext zugeordnet";
    QTest::newRow("labels 2 wrong")
        << labels << 2 << false << position2
        << "FALSCH - Der Position von \"Ufer\" wird der Beschriftungstext \"Damm\" zugeordnet";
    QTest::newRow("cloze 0 right") << cloze << 0 << true << ""
                                   << "RICHTIG - Lückentext \"Ufer\" wird der richtigen Lücke zugeordnet";
    QTest::newRow("cloze 0 wrong") << cloze << 0 << false << ""
                                   << "FALSCH - Lückentext \"Damm\" wird der Lücke von \"Ufer\" zugeordnet";
    QTest::newRow("cloze 1 right") << cloze << 1 << true << gap1
                                   << "RICHTIG - Lückentext \"Damm\" wird richtig zugeordnet";
    QTest::newRow("cloze 1 wrong") << cloze << 1 << false << gap1
                                   << "FALSCH - Lückentext \"Damm\" wird der Lücke von \"Ufer\" zugeordnet";
    QTest::newRow("cloze 2 right") << cloze << 2 << true << gap2
                                   << "RICHTIG - Der Lücke \"Ufer\" wird der richtige Lückentext zugeordnet";
    QTest::newRow("cloze 2 wrong") << cloze << 2 << false << gap2
                                   << "FALSCH - Der Lücke \"Ufer\" wird der Lückentext \"Damm\" zugeordnet";
}

void TestQuizSession::judgementLines()
{
    QFETCH(DocType, kind);
    QFETCH(int, queryMode);
    QFETCH(bool, right);
    QFETCH(QString, announcement);
    QFETCH(QString, judgement);
    Quiz quiz;
    fillItems(quiz.doc, kind, {QStringLiteral("Ufer"), QStringLiteral("Damm")});
    quiz.session.snapshot = {queryMode, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    const JudgeResult r = right ? (queryMode == 1 ? quiz.drop(1, 1) : quiz.drop(0, 0)) : quiz.drop(1, 0);
    QCOMPARE(r.right, right);

    QStringList expected {"00:00 - Quiz wird gestartet"};
    if (!announcement.isEmpty())
        expected.append("00:00 - " + announcement);
    expected.append("00:00 - " + judgement);
    QCOMPARE(detailLines(quiz.session), expected);
}

void TestQuizSession::crossRule()
{
    Quiz quiz;
    fillItems(
        quiz.doc, DocType::ImageLabelling, {QStringLiteral("Alpen"), QStringLiteral("Berlin"), QStringLiteral("Chur")});
    quiz.session.snapshot = {0, 0, 1, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));

    JudgeResult r = quiz.drop(0, 1);
    QVERIFY(r.judged && !r.right && r.redrawTarget);
    QCOMPARE(r.tile, TileFate::GlidesBack);
    QCOMPARE(quiz.object(1).coverState, CoverState::Crossed);
    QCOMPARE(quiz.object(1).failsAsTarget, 1);
    QCOMPARE(quiz.object(0).failsAsText, 1);
    // The crossed position takes no further tile, not even its own text.
    const auto& b = quiz.object(1).boxRect;
    QCOMPARE(quiz.session.dragOver(QRectF(b[0], b[1], 0.05, 0.02)), -1);
    QVERIFY(!quiz.drop(1, 1).judged);

    r = quiz.drop(0, 0);
    QVERIFY(r.right && !r.quizOver);
    QCOMPARE(r.tile, TileFate::Destroyed);
    r = quiz.drop(2, 2);
    QVERIFY(r.right && r.quizOver);
    QCOMPARE(quiz.session.openCount, 0);
    QCOMPARE(quiz.session.correctCount, 2);
}

// Two labels with one text are interchangeable; asking one text at a time must then go on with
// the tile that is left, not with the one already placed.
void TestQuizSession::sharedTextOneAtATime()
{
    Quiz quiz;
    fillItems(
        quiz.doc, DocType::ImageLabelling, {QStringLiteral("Fluss"), QStringLiteral("Fluss"), QStringLiteral("Berg")});
    quiz.session.snapshot = {1, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    // Equal texts: the sort leaves them as [Berg, Fluss of 1, Fluss of 0].
    QCOMPARE(column(quiz.session.questionList, true), QList<int>({2, 1, 0}));
    QCOMPARE(quiz.session.prompt().textObject, 2);
    QVERIFY(quiz.drop(2, 2).right);
    QCOMPARE(quiz.session.nextQuestion().textObject, 1);
    QVERIFY(quiz.drop(1, 0).right);
    const QuizPrompt next = quiz.session.nextQuestion();
    QCOMPARE(next.kind, PromptKind::Text);
    QCOMPARE(next.textObject, 0);
    const JudgeResult last = quiz.drop(0, 1);
    QVERIFY(last.right && last.quizOver);
}

void TestQuizSession::repeatedSingleQuestion()
{
    Quiz quiz;
    fillQuestions(quiz.doc, {QStringLiteral("Belgien"), QStringLiteral("Chile"), QStringLiteral("Dänemark")});
    quiz.session.snapshot = {0, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.doc.currentQuestionNumber, 1);
    QCOMPARE(quiz.session.prompt().counterText, "1. Frage");
    QCOMPARE(quiz.session.prompt().questionText, "Wie heißt das Land zu dieser Flagge?");
    QCOMPARE(quiz.session.prompt().pictureName, "flag1.png");

    JudgeResult r = quiz.click(3);
    QVERIFY(r.judged && !r.right && r.blinkSolution && r.askNext);
    QCOMPARE(r.tile, TileFate::AllHidden);
    QCOMPARE(quiz.object(1).coverState, CoverState::Open);
    QCOMPARE(quiz.session.nextQuestion().counterText, "2. Frage");
    QCOMPARE(quiz.doc.currentQuestionNumber, 2);
    QVERIFY(quiz.click(3).right);
    QCOMPARE(quiz.session.nextQuestion().counterText, "3. Frage");
    QVERIFY(quiz.click(5).right);
    const QuizPrompt again = quiz.session.nextQuestion();
    QCOMPARE(again.counterText, "4. Frage (wiederholte Frage)");
    QCOMPARE(again.targetObject, 1);
    QCOMPARE(quiz.doc.currentQuestionNumber, 1);
    // Only one question is open: a wrong answer brings it back at once.
    QVERIFY(!quiz.click(5).right);
    QCOMPARE(quiz.session.nextQuestion().counterText, "5. Frage (wiederholte Frage)");
    r = quiz.click(1);
    QVERIFY(r.right && r.quizOver && !r.askNext);
    QCOMPARE(quiz.session.wrongCount, 2);
}

void TestQuizSession::answerChoices_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("choices");
    QTest::newRow("three questions") << QStringList {"Belgien", "Chile", "Dänemark"} << 3;
    QTest::newRow("six questions") << QStringList {"A", "B", "C", "D", "E", "F"} << 5;
    QTest::newRow("one text twice") << QStringList {"Italien", "ITALIEN", "Malta"} << 2;
}

void TestQuizSession::answerChoices()
{
    QFETCH(QStringList, answers);
    for (quint32 seed : {1u, 4711u, 99999u}) {
        programRandom().setSeed(seed);
        Quiz quiz;
        fillQuestions(quiz.doc, answers);
        QVERIFY(quiz.session.start(0, 0));
        const QuizPrompt& p = quiz.session.prompt();
        QTEST(int(p.choices.size()), "choices");
        QVERIFY(p.choices.contains(p.solution));
        QCOMPARE(quiz.session.questionList.at(p.solution).textObject, p.targetObject);
        QSet<QString> seen;
        for (int c : p.choices)
            seen.insert(quiz.object(quiz.session.questionList.at(c).textObject).Cap.toLower());
        QCOMPARE(seen.size(), p.choices.size());
        QVERIFY(std::is_sorted(p.choices.cbegin(), p.choices.cend()));
    }
}

// Releases that arrive when they cannot answer anything change nothing.
void TestQuizSession::lateReleases()
{
    Quiz quiz;
    fillItems(quiz.doc, DocType::ClozeText, {QStringLiteral("Haus"), QStringLiteral("Hof")});
    quiz.session.snapshot = {2, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.session.prompt().targetObject, 0);
    QVERIFY(!quiz.drop(0, -1).judged); // away from any target
    QVERIFY(!quiz.drop(0, 1).judged); // not the position asked
    QVERIFY(!quiz.drop(7, 0).judged); // no such text
    QVERIFY(!quiz.drop(1, 0).right);
    QVERIFY(!quiz.drop(0, 0).judged); // the feedback is still running
    QCOMPARE(quiz.session.nextQuestion().targetObject, 1);
    QCOMPARE(quiz.session.wrongCount, 1);
    quiz.tick.advance(300);
    QVERIFY(quiz.session.timerTick().timeUp == false);
    quiz.session.snapshot.timeLimitOn = 1;
    quiz.session.snapshot.timeLimitSeconds = 0;
    QVERIFY(quiz.session.timerTick().timeUp);
    QVERIFY(!quiz.drop(1, 1).judged); // after the time-out
    QCOMPARE(quiz.session.correctCount, 0);
    QCOMPARE(quiz.session.nextQuestion().kind, PromptKind::None);
}

void TestQuizSession::rates()
{
    Quiz quiz;
    QStringList captions;
    for (int i = 0; i < 10; ++i)
        captions.append(QString(QChar(u'A' + i)));
    fillItems(quiz.doc, DocType::ImageLabelling, captions);
    quiz.session.snapshot = {0, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.session.statusTexts().rateText, "0.0 %");
    QCOMPARE(quiz.session.statusTexts().scoreText, "0.0 %");
    QCOMPARE(quiz.session.statusTexts().statusWord, "warte auf Antwort");
    QCOMPARE(quiz.session.statusTexts().nameText, "-");

    QVERIFY(!quiz.drop(3, 4).right);
    for (int i = 0; i < 3; ++i)
        QVERIFY(quiz.drop(i, i).right);
    const QuizStatusTexts texts = quiz.session.statusTexts();
    QCOMPARE(texts.rightText, "3");
    QCOMPARE(texts.wrongText, "1");
    QCOMPARE(texts.openText, "7");
    QCOMPARE(texts.totalText, "von  10");
    QCOMPARE(texts.rateText, "75.0 %");
    QCOMPARE(texts.scoreText, "27.3 %");
    // With one more target out of the quiz by a cross the counts are 3 right, 1 wrong, 6 open.
    quiz.doc.objects[9].coverState = CoverState::Crossed;
    quiz.session.openCount = quiz.session.countOpen();
    quiz.session.refreshStatus();
    QCOMPARE(quiz.session.statusTexts().rateText, "75.0 %");
    QCOMPARE(quiz.session.statusTexts().scoreText, "30.0 %");
}

void TestQuizSession::grades_data()
{
    QTest::addColumn<double>("score");
    QTest::addColumn<int>("grade");
    QTest::addColumn<QString>("rating");
    QTest::newRow("1.0") << 1.0 << 1 << "sehr gut";
    QTest::newRow("0.85") << 0.85 << 1 << "sehr gut";
    QTest::newRow("17 of 20") << 17.0 / 20 << 1 << "sehr gut";
    QTest::newRow("0.8499") << 0.8499 << 2 << "gut";
    QTest::newRow("0.70") << 0.70 << 2 << "gut";
    QTest::newRow("0.5499") << 0.5499 << 4 << "ausreichend";
    QTest::newRow("0.25") << 0.25 << 5 << "mangelhaft";
    QTest::newRow("0.2499") << 0.2499 << 6 << "ungenügend";
    QTest::newRow("0") << 0.0 << 6 << "ungenügend";
}

void TestQuizSession::grades()
{
    QFETCH(double, score);
    QFETCH(int, grade);
    QCOMPARE(gradeOf(score), grade);
    QTEST(ratingText(grade), "rating");
}

void TestQuizSession::clock_data()
{
    QTest::addColumn<int>("limitOn");
    QTest::addColumn<int>("limitSeconds");
    QTest::addColumn<quint32>("startTick");
    QTest::addColumn<quint32>("elapsed");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<bool>("timeUp");
    QTest::newRow("limit 0, first tick") << 1 << 0 << 1000u << 100u << "00:00" << true;
    QTest::newRow("3 min, just started") << 1 << 180 << 1000u << 100u << "02:59" << false;
    QTest::newRow("3 min, last second") << 1 << 180 << 1000u << 179000u << "00:01" << false;
    QTest::newRow("3 min, over") << 1 << 180 << 1000u << 179100u << "00:00" << true;
    QTest::newRow("3 min, long over") << 1 << 180 << 1000u << 900000u << "00:00" << true;
    QTest::newRow("no limit, 100 min") << 0 << 0 << 1000u << 6000000u << "100:00" << false;
    QTest::newRow("no limit, across the wrap") << 0 << 0 << 0xFFFFFF00u << 1500u << "00:01" << false;
    QTest::newRow("limit, across the wrap") << 1 << 60 << 0xFFFFFC18u << 30000u << "00:30" << false;
    QTest::newRow("limit, ends across the wrap") << 1 << 60 << 0xFFFFFC18u << 59500u << "00:00" << true;
}

void TestQuizSession::clock()
{
    QFETCH(int, limitOn);
    QFETCH(int, limitSeconds);
    QFETCH(quint32, startTick);
    QFETCH(quint32, elapsed);
    QFETCH(bool, timeUp);
    Quiz quiz;
    quiz.tick.set(startTick);
    fillItems(quiz.doc, DocType::ImageLabelling, {QStringLiteral("A"), QStringLiteral("B")});
    quiz.session.snapshot = {0, 0, 0, 0, 0, limitOn, limitSeconds};
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.session.statusTexts().timeModeText, limitOn ? "Verbleibende Zeit:" : "Benötigte Zeit:");

    quiz.tick.advance(elapsed);
    const TickResult result = quiz.session.timerTick();
    QTEST(quiz.session.currentClockText(), "clock");
    QCOMPARE(result.timeUp, timeUp);
    // A drop let go at that moment came in time exactly when the clock did not end the quiz.
    QCOMPARE(quiz.session.withinTimeLimit(int(elapsed)), !timeUp);
    QCOMPARE(quiz.session.elapsedMs, int(elapsed));
    QVERIFY(quiz.session.remainingSeconds >= 0);
    QCOMPARE(quiz.session.endStatus, timeUp ? 3 : 0);
    if (timeUp) {
        QCOMPARE(detailLines(quiz.session).constLast(),
            clockText(elapsed / 1000) + " - Das Zeitlimit ist erreicht, die Übung wird beendet.");
        // The timer does not end a quiz twice.
        QVERIFY(!quiz.session.timerTick().timeUp);
        quiz.session.endQuiz(context());
        QCOMPARE(quiz.session.endStatus, 3);
        QCOMPARE(quiz.session.statusTexts().statusWord, "Quiz beendet");
    }
}

void TestQuizSession::durations_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("duration");
    QTest::addColumn<QString>("clock");
    QTest::newRow("0") << 0 << "0 Sek."
                       << "00:00";
    QTest::newRow("45 s") << 45 << "45 Sek."
                          << "00:45";
    QTest::newRow("3 min") << 180 << "3 Min. 0 Sek."
                           << "03:00";
    QTest::newRow("59:59") << 3599 << "59 Min. 59 Sek."
                           << "59:59";
    QTest::newRow("1 h") << 3600 << "1 Std. 0 Min. 0 Sek."
                         << "60:00";
    QTest::newRow("negative") << -5 << "0 Sek."
                              << "00:00";
}

void TestQuizSession::durations()
{
    QFETCH(int, seconds);
    QTEST(durationText(seconds), "duration");
    QTEST(clockText(seconds), "clock");
}

void TestQuizSession::wholeQuiz_data()
{
    QTest::addColumn<DocType>("kind");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<int>("onCorrect");
    QTest::addColumn<int>("onWrong");
    QTest::addColumn<int>("solvedState");
    QTest::addColumn<int>("wrongState"); // the target answered wrongly, at the end

    for (const DocType kind : {DocType::ImageLabelling, DocType::ClozeText}) {
        const char* name = kind == DocType::ClozeText ? "cloze" : "labels";
        for (int mode = 0; mode < 3; ++mode) {
            QTest::addRow("%s, mode %d", name, mode) << kind << mode << 0 << 0 << 0 << 0;
            QTest::addRow("%s, mode %d, tick and cross", name, mode)
                << kind << mode << 1 << 1 << int(CoverState::Solved) << int(CoverState::Crossed);
        }
    }
    QTest::newRow("questions, until right") << DocType::SingleQuestions << 0 << 0 << 0 << 0 << 0;
    QTest::newRow("questions, once each") << DocType::SingleQuestions << 0 << 0 << 1 << 0 << int(CoverState::Closed);
}

// Plays a quiz to its end: the first answer wrong, every other one right.
void TestQuizSession::wholeQuiz()
{
    QFETCH(DocType, kind);
    QFETCH(int, queryMode);
    QFETCH(int, onCorrect);
    QFETCH(int, onWrong);
    QFETCH(int, solvedState);
    QFETCH(int, wrongState);

    Quiz quiz;
    const QStringList texts {"Elbe", "Donau", "Rhein", "Main", "Oder"};
    if (kind == DocType::SingleQuestions)
        fillQuestions(quiz.doc, texts);
    else
        fillItems(quiz.doc, kind, texts);
    quiz.session.snapshot = {queryMode, onCorrect, onWrong, 1, 1, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    const int n = quiz.session.questionCount;
    QCOMPARE(n, 5);

    QSet<int> placed;
    int wrongTarget = -1;
    int wrongText = -1;
    int answers = 0;
    JudgeResult r;
    do {
        QVERIFY(answers++ < 20);
        const QuizPrompt& p = quiz.session.prompt();
        const bool wrong = answers == 1;
        int text = -1;
        int target = -1;
        if (kind == DocType::SingleQuestions) {
            QCOMPARE(p.kind, PromptKind::Question);
            target = p.targetObject;
            text = target;
            if (wrong)
                text = quiz.session.questionList.at(p.choices.at(p.choices.at(0) == p.solution ? 1 : 0)).textObject;
            quiz.session.grabTile();
            QCOMPARE(quiz.session.hoverTarget, target);
        } else {
            QCOMPARE(p.kind,
                queryMode == 0       ? PromptKind::None
                    : queryMode == 1 ? PromptKind::Text
                                     : PromptKind::Position);
            if (queryMode == 1) {
                text = p.textObject;
                target = text;
            } else if (queryMode == 2) {
                target = p.targetObject;
                text = target;
            } else {
                for (const QuestionPair& pair : std::as_const(quiz.session.questionList)) {
                    if (quiz.object(pair.targetObject).coverState == CoverState::Open) {
                        target = pair.targetObject;
                        break;
                    }
                }
                text = target;
            }
            if (wrong) {
                // Another text on the target, or with one text at a time the text on another target.
                for (int i = 0; i < n; ++i) {
                    if (i != text && !placed.contains(i)) {
                        (queryMode == 1 ? target : text) = i;
                        break;
                    }
                }
            }
            const auto& box = quiz.object(target).boxRect;
            QCOMPARE(quiz.session.dragOver(QRectF(box[0], box[1] + 0.01, 0.1, 0.02)), target);
        }
        r = quiz.session.judgeAnswer(text);
        QVERIFY(r.judged);
        QCOMPARE(r.right, !wrong);
        if (wrong) {
            wrongTarget = target;
            wrongText = text;
        } else if (kind != DocType::SingleQuestions)
            placed.insert(text);
        QCOMPARE(quiz.session.hoverTarget, -1);
        if (kind == DocType::SingleQuestions)
            QCOMPARE(r.tile, TileFate::AllHidden);
        else if (!wrong)
            QCOMPARE(r.tile, TileFate::Destroyed);
        else
            QCOMPARE(r.tile, queryMode == 1 ? TileFate::Hidden : TileFate::GlidesBack);
        QCOMPARE(r.askNext, !r.quizOver && (queryMode != 0 || kind == DocType::SingleQuestions));
        if (r.askNext)
            QVERIFY(quiz.session.nextQuestion().kind != PromptKind::None);
    } while (!r.quizOver);

    // With a cross or "once each" the target answered wrongly is out of the quiz.
    QCOMPARE(quiz.session.correctCount, onWrong == 1 ? n - 1 : n);
    QCOMPARE(quiz.session.wrongCount, 1);
    QCOMPARE(quiz.session.openCount, 0);
    QCOMPARE(quiz.object(wrongTarget).coverState, onWrong == 1 ? wrongState : solvedState);
    QCOMPARE(quiz.object(wrongTarget).failsAsTarget, 1);
    for (const QuestionPair& pair : std::as_const(quiz.session.questionList)) {
        if (pair.targetObject != wrongTarget)
            QCOMPARE(quiz.object(pair.targetObject).coverState, solvedState);
    }
    if (queryMode != 0 || kind == DocType::SingleQuestions)
        QCOMPARE(quiz.session.questionCounter, answers);
    QVERIFY(!quiz.session.mayEnterHighScores() == false);
    QVERIFY(quiz.session.mayRepeatPartially());

    quiz.session.endQuiz(context());
    QCOMPARE(quiz.session.endStatus, 1);
    QCOMPARE(quiz.session.grade, gradeOf(quiz.session.overallScore));
    QCOMPARE(quiz.session.protocolDetail.count(QStringLiteral(" - RICHTIG - ")), quiz.session.correctCount);
    QCOMPARE(quiz.session.protocolDetail.count(QStringLiteral(" - FALSCH - ")), 1);

    // The repeat asks again what went wrong: the target, and for labels and gaps the text too.
    quiz.session.leaveQuiz();
    QVERIFY(quiz.session.start(1, 0));
    QSet<int> repeated {wrongTarget};
    if (kind != DocType::SingleQuestions)
        repeated.insert(wrongText);
    QCOMPARE(quiz.session.questionCount, repeated.size());
    for (const QuestionPair& pair : std::as_const(quiz.session.questionList))
        QVERIFY(repeated.contains(pair.targetObject));
    QVERIFY(!quiz.session.mayEnterHighScores());
}

void TestQuizSession::protocolOfLabellingQuiz()
{
    Quiz quiz;
    quiz.doc.DokTyp = DocType::ImageLabelling;
    quiz.doc.titel = QStringLiteral("Deutschland");
    quiz.doc.objects = {item(QStringLiteral("Nord-\r\nsee"), 0.5, 0.2), item(QStringLiteral("Alpen"), 0.1, 0.6),
        item(QStringLiteral("Rhein"), 0.3, 0.4)};
    quiz.session.snapshot = {0, 0, 0, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.object(0).displayNumber, 1);
    QCOMPARE(quiz.object(2).displayNumber, 2);
    QCOMPARE(quiz.object(1).displayNumber, 3);

    quiz.tick.advance(2300);
    QVERIFY(!quiz.drop(1, 2).right);
    quiz.tick.advance(9800);
    QVERIFY(quiz.drop(1, 1).right);
    quiz.tick.advance(49400);
    QVERIFY(quiz.drop(0, 0).right);
    quiz.tick.advance(13900);
    QVERIFY(quiz.drop(2, 2).quizOver);
    quiz.session.endQuiz(context());
    quiz.session.endQuiz(context()); // a second call adds nothing

    const QString expected
        = QStringLiteral("<tit>Quiz-Protokoll\r\n"
                         "Uhrzeit Beginn:\t2024-03-05T14:07:09\r\n"
                         "Uhrzeit Ende:  \t2024-03-05T14:08:24\r\n"
                         "Teilnehmername:\t(nicht angegeben)\r\n"
                         "Rechnername:\tlab-pc\r\n"
                         "Rechnerbenutzer:\tanna\r\n"
                         "\r\n"
                         "<tit>Übungseinstellungen\r\n"
                         "Titel:\tDeutschland\r\n"
                         "Quiz-Umfang:\t3 Fragen (komplettes Quiz)\r\n"
                         "Abfragemodus:\tfreie Zuordnung in beliebiger Reihenfolge\r\n"
                         "Zeitlimit:\tnein\r\n"
                         "Verhalten bei richtiger Zuordnung:\tBeschriftung einblenden\r\n"
                         "Verhalten bei Fehlversuch:\tbeliebig viele Zuordnungsversuche erlaubt\r\n"
                         "Zuordnungstexte:\talphabetisch geordnet\r\n"
                         "Zuordnungsziele (Positionen):\tgeordnet nummeriert\r\n"
                         "\r\n"
                         "<tit>Statistik-Zusammenfassung\r\n"
                         "Richtig zugeordnet:\t3  von  3\r\n"
                         "Fehlversuche:\t1\r\n"
                         "Erfolgsquote:\t75.0 %\r\n"
                         "Offene Fragen:\t0\r\n"
                         "Benötigte Zeit:\t01:15\r\n"
                         "Gesamtleistung:\t75.0 %\r\n"
                         "Bewertung:\tgut\r\n"
                         "Schulnote:\t2\r\n"
                         "\r\n"
                         "<tit>Detaillierter Ablauf\r\n"
                         "00:00 - Quiz wird gestartet\r\n"
                         "00:02 - FALSCH - Beschriftungstext \"Alpen\" wird der Position von \"Rhein\" zugeordnet\r\n"
                         "00:12 - RICHTIG - Beschriftungstext \"Alpen\" wird der richtigen Position zugeordnet\r\n"
                         "01:01 - RICHTIG - Beschriftungstext \"Nordsee\" wird der richtigen Position zugeordnet\r\n"
                         "01:15 - RICHTIG - Beschriftungstext \"Rhein\" wird der richtigen Position zugeordnet\r\n");
    QCOMPARE(quiz.session.protocolText(), expected);
    QCOMPARE(quiz.session.grade, 2);
}

void TestQuizSession::protocolOfTimedOutQuestions()
{
    Quiz quiz;
    quiz.doc.titel = QStringLiteral("Flaggen");
    fillQuestions(quiz.doc, {QStringLiteral("Malta"), QStringLiteral("Irland | Eire")});
    quiz.doc.objects[0].Cap = QStringLiteral("Welche Insel liegt <@img=mt.png>südlich von Sizilien?");
    quiz.session.snapshot = {0, 0, 1, 0, 0, 1, 60};
    quiz.session.participantName = QStringLiteral("Mia");
    QVERIFY(quiz.session.start(0, 0));
    QCOMPARE(quiz.session.prompt().pictureName, "mt.png");
    QCOMPARE(quiz.session.statusTexts().nameText, "Mia");

    quiz.tick.advance(4200);
    QVERIFY(quiz.click(1).right);
    quiz.tick.advance(800);
    quiz.session.nextQuestion();
    quiz.tick.advance(55100);
    QVERIFY(quiz.session.timerTick().timeUp);
    quiz.session.endQuiz(context());

    const QString expected = QStringLiteral("<tit>Quiz-Protokoll\r\n"
                                            "Uhrzeit Beginn:\t2024-03-05T14:07:09\r\n"
                                            "Uhrzeit Ende:  \t2024-03-05T14:08:09\r\n"
                                            "Teilnehmername:\tMia\r\n"
                                            "Rechnername:\tlab-pc\r\n"
                                            "Rechnerbenutzer:\tanna\r\n"
                                            "\r\n"
                                            "<tit>Übungseinstellungen\r\n"
                                            "Titel:\tFlaggen\r\n"
                                            "Quiz-Umfang:\t2 Fragen (komplettes Quiz)\r\n"
                                            "Abfragemodus:\tjede Frage nur einmal stellen\r\n"
                                            "Zeitlimit:\tja, 1 Min. 0 Sek.\r\n"
                                            "Antwortmöglichkeiten:\talphabetisch geordnet\r\n"
                                            "Reihenfolge der Fragen:\tgeordnet\r\n"
                                            "\r\n"
                                            "<tit>Statistik-Zusammenfassung\r\n"
                                            "Richtig zugeordnet:\t1  von  2\r\n"
                                            "Fehlversuche:\t0\r\n"
                                            "Erfolgsquote:\t100.0 %\r\n"
                                            "Offene Fragen:\t1\r\n"
                                            "Verbliebene Zeit:\t00:00\r\n"
                                            "Gesamtleistung:\t50.0 %\r\n"
                                            "Bewertung:\tausreichend\r\n"
                                            "Schulnote:\t4\r\n"
                                            "\r\n"
                                            "<tit>Detaillierter Ablauf\r\n"
                                            "00:00 - Quiz wird gestartet\r\n"
                                            "00:00 - 1. Frage\r\n"
                                            "Welche Insel liegt südlich von Sizilien?\r\n"
                                            "Antwortmöglichkeiten: \"Irland Eire\", \"Malta\" (Lösung)\r\n"
                                            "00:04 - RICHTIG - Gewählte Antwort: \"Malta\"\r\n"
                                            "00:05 - 2. Frage\r\n"
                                            "Wie heißt das Land zu dieser Flagge?\r\n"
                                            "Antwortmöglichkeiten: \"Irland Eire\" (Lösung), \"Malta\"\r\n"
                                            "01:00 - Das Zeitlimit ist erreicht, die Übung wird beendet.\r\n");
    QCOMPARE(quiz.session.protocolText(), expected);
    QCOMPARE(quiz.session.endStatus, 3);
}

void TestQuizSession::leaveQuiz()
{
    Quiz quiz;
    fillItems(quiz.doc, DocType::ImageLabelling, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    quiz.doc.objects.append(item(QStringLiteral("covered"), 0.5, 0.5, ObjectKind::InfoPoint));
    quiz.session.snapshot = {0, 1, 1, 0, 0, 0, 0};
    QVERIFY(quiz.session.start(0, 1));
    QVERIFY(!quiz.drop(0, 1).right);
    QVERIFY(quiz.drop(0, 0).right);
    QVERIFY(quiz.session.leaveQuiz()); // a running network participation was aborted
    QCOMPARE(quiz.session.endStatus, 2);
    QCOMPARE(quiz.session.netRole, 0);
    QCOMPARE(quiz.object(0).coverState, CoverState::Uncovered);
    QCOMPARE(quiz.object(1).coverState, CoverState::Uncovered);
    QCOMPARE(quiz.object(2).coverState, CoverState::Uncovered);
    QCOMPARE(quiz.object(3).coverState, CoverState::Covered);
    QVERIFY(!quiz.drop(2, 2).judged);
    QVERIFY(!quiz.session.leaveQuiz());
}

QTEST_GUILESS_MAIN(TestQuizSession)
#include "tst_quizsession.moc"
