// The keyboard in a quiz panel of its own, without the main window: a tile picked up, its target
// chosen by number, arrows or Tab, put down or put back; a held key's repeats; a key drop judged
// exactly as the pointer's drop of the same tile; keys during an answer's feedback.

#include "cardview/cardview.h"
#include "common/randomgenerator.h"
#include "common/sound.h"
#include "quiz/normalizetext.h"
#include "quiz/quizoptions.h"
#include "quiz/ui/quizpanel.h"
#include "quiz/ui/quizstatuspanel.h"
#include "support/fakemessageservice.h"
#include "support/quiztopics.h"
#include "widgets/hoverpanel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A quiz started on a panel of 800 x 460 as the main window starts it, the card drawn beside the
// pile (or under the answer grid) with its targets numbered in order.
struct PanelQuiz
{
    PanelQuiz(const TopicDocument& topic, int queryMode)
        : doc(topic)
    {
        programRandom().setSeed(4711);
        QuizOptions options;
        options.labelling.abfrageModus = queryMode;
        options.labelling.zuordnungstexte = 0;
        options.labelling.zuordnungsziele = 0;
        options.questions.zuordnungstexte = 0;
        options.questions.zuordnungsziele = 0;
        quiz.snapshot = takeOptions(options, doc.DokTyp);
        quiz.selectQuestions(0);
        card.cardMode = CardView::Mode::Quiz;
        quiz.buildQuestionList();
        panel.setGeometry(0, 0, 800, 460);
        panel.createTiles();
        quiz.reset(0);
        panel.begin(quiz.beginQuiz());
        panel.layoutTiles();
        card.controlSize = QSize(panel.quizPictureWidth(), panel.height());
        card.redrawCard();
        panel.layoutTiles(); // the answer grid hangs from the card just drawn
        panel.drawInstructionStrip(false);
        panel.show();
        panel.startClock();
    }

    THoverPanel* tile(int object) const
    {
        const QString caption = normalizeText(doc.objects.at(object).Cap);
        for (THoverPanel* t : panel.findChildren<THoverPanel*>()) {
            if (t->caption() == caption && !t->isHidden())
                return t;
        }
        return nullptr;
    }
    // Where a screen reader finds target object, in panel pixels.
    QRect targetRect(int object) const
    {
        for (const QuizPanel::SpokenItem& item : panel.spokenItems()) {
            if (item.key == QStringLiteral("Ziel %1").arg(object))
                return item.rect;
        }
        return {};
    }
    // A key to the focused widget: a key name, "repeat:" before one for a held key's repeat,
    // "again:" for a press at the very moment of the last release, or a character typed.
    void key(const QString& token)
    {
        static const QHash<QString, Qt::Key> names {{"Return", Qt::Key_Return}, {"Escape", Qt::Key_Escape},
            {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right}, {"Home", Qt::Key_Home}, {"End", Qt::Key_End},
            {"Tab", Qt::Key_Tab}};
        QWidget* focus = panel.focusWidget() ? panel.focusWidget() : &panel;
        const QString name = token.section(u':', -1);
        if (!names.contains(name)) {
            QTest::keyClick(focus, name.at(0).toLatin1());
            return;
        }
        const Qt::Key k = names.value(name);
        if (token.startsWith(QStringLiteral("repeat:"))) {
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, QString(), true);
            QCoreApplication::sendEvent(focus, &press);
        } else if (token.startsWith(QStringLiteral("again:"))) {
            QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier);
            release.setTimestamp(90000);
            QCoreApplication::sendEvent(focus, &release);
            QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
            press.setTimestamp(90000);
            QCoreApplication::sendEvent(focus, &press);
        } else {
            QTest::keyClick(focus, k);
        }
    }
    void keys(const QString& script)
    {
        for (const QString& token : script.split(u' ', Qt::SkipEmptyParts))
            key(token);
    }
    // Drags t by a point 5 pixels inside its left edge onto the middle of target's box.
    void drag(THoverPanel* t, int target)
    {
        const QPoint grip(5, t->height() / 2);
        const QPoint goal = targetRect(target).center() + QPoint(5, 0);
        QTest::mousePress(t, Qt::LeftButton, {}, grip);
        for (int step = 1; step <= 4; ++step) {
            const QPoint now = t->pos() + grip;
            const QPointF local = now + (goal - now) * step / 4 - t->pos();
            QMouseEvent move(
                QEvent::MouseMove, local, t->mapToGlobal(local), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(t, &move);
        }
        QTest::mouseRelease(t, Qt::LeftButton, {}, goal - t->pos());
    }
    bool feedbackOver() const
    {
        return QTest::qWaitFor([this] { return panel.state() != QuizPanel::State::Feedback; }, 5000);
    }
    int answers() const { return quiz.correctCount + quiz.wrongCount; }

    TopicDocument doc;
    CardView card {doc};
    QuizSession quiz {doc};
    QuizStatusPanel status;
    QuizPanel panel {quiz, card, status};
};

TopicDocument rivers()
{
    return labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)});
}

} // namespace

class TestKeyboardCarry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { soundPlayer().setEnabled(false); }

    void carrying_data();
    void carrying();
    void keyDropJudgedAsPointerDrop_data();
    void keyDropJudgedAsPointerDrop();
    void keysDuringFeedback_data();
    void keysDuringFeedback();

private:
    // None is expected; a real message box would wait for a click that never comes.
    FakeMessageService m_messages;
};

void TestKeyboardCarry::carrying_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("chosen"); // the carried tile's target; -1 for none carried
    QTest::addColumn<int>("answers");

    // "Elbe" has the focus: the first tile of the pile. Its targets are numbered 1 to 3.
    QTest::newRow("Enter picks up; the first number is chosen") << "Return" << 0 << 0;
    QTest::newRow("a typed number") << "Return 2" << 1 << 0;
    QTest::newRow("the arrows wrap at the ends") << "Return Left" << 2 << 0;
    QTest::newRow("Tab steps like the arrows") << "Return Tab Tab Right" << 0 << 0;
    QTest::newRow("End, Home") << "Return End Home Right" << 1 << 0;
    QTest::newRow("Enter puts it down") << "Return 3 Return" << -1 << 1;
    QTest::newRow("Escape puts it back") << "Return 2 Escape" << -1 << 0;
    QTest::newRow("a held Enter's repeat") << "Return repeat:Return" << 0 << 0;
    QTest::newRow("released and pressed at one moment") << "Return 2 again:Return" << 1 << 0;
}

void TestKeyboardCarry::carrying()
{
    QFETCH(QString, keys);
    QFETCH(int, chosen);
    QFETCH(int, answers);
    PanelQuiz q(rivers(), 0);
    THoverPanel* elbe = q.tile(0);
    QCOMPARE(q.panel.focusWidget(), elbe);
    const QPoint home = elbe->pos();

    q.keys(keys);
    QCOMPARE(q.panel.chosenTarget(), chosen);
    QCOMPARE(q.panel.carriedTile(), chosen >= 0 ? elbe : nullptr);
    if (chosen >= 0) {
        // On its target as the pointer would lay it there, and read out so.
        QVERIFY(q.targetRect(chosen).contains(QPoint(elbe->x(), elbe->y() + elbe->height() / 2)));
        QCOMPARE(elbe->accessibleDescription(), QStringLiteral("Ziel: Position ") + q.doc.numberText(chosen));
    } else if (answers == 0) {
        QCOMPARE(elbe->pos(), home);
    }
    QVERIFY(q.feedbackOver());
    QCOMPARE(q.answers(), answers);
}

void TestKeyboardCarry::keyDropJudgedAsPointerDrop_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<bool>("right");

    QTest::newRow("free assignment, right") << false << 0 << true;
    QTest::newRow("free assignment, wrong: glides back") << false << 0 << false;
    QTest::newRow("one text at a time, wrong: hidden") << false << 1 << false;
    QTest::newRow("one position at a time, right") << false << 2 << true;
    QTest::newRow("single question, key 1 to 5 as a click") << true << 0 << false;
}

// The same answer given by the pointer in one quiz and by keys in another leaves the same trace.
void TestKeyboardCarry::keyDropJudgedAsPointerDrop()
{
    QFETCH(bool, single);
    QFETCH(int, queryMode);
    QFETCH(bool, right);

    const auto answer = [&](bool byKeys) {
        PanelQuiz q(single ? questionsTopic(3) : rivers(), queryMode);
        QSignalSpy judged(&q.panel, &QuizPanel::answerJudged);
        // The asked text or place, and a text and place that do not fit where the answer is wrong.
        const QuizPrompt prompt = q.quiz.prompt();
        const bool placeAsked = prompt.kind == PromptKind::Position || prompt.kind == PromptKind::Question;
        int text = prompt.kind == PromptKind::Text ? prompt.textObject : placeAsked ? prompt.targetObject : 0;
        int target = text;
        if (!right && single)
            text = target + 2; // the answer of the next question
        else if (!right && placeAsked)
            text = target == 0 ? 1 : 0;
        else if (!right)
            target = text == 0 ? 1 : 0;
        const QPointer<THoverPanel> tile = q.tile(text);
        const QPoint home = tile->pos();
        if (single && byKeys) {
            q.keys(QString::number(q.panel.tilesInOrder().indexOf(tile) + 1));
        } else if (single) {
            QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(10, 10));
        } else if (byKeys) {
            tile->setFocus();
            q.keys(QStringLiteral("Return ") + q.doc.numberText(target) + QStringLiteral(" Return"));
        } else {
            q.drag(tile, target);
        }
        // What the answer shows at once: its protocol line (without its time), the status word.
        const QStringList shown {q.quiz.protocolDetail.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).last().mid(8),
            q.status.statusWord()};
        const bool over = q.feedbackOver();
        return shown
            + QStringList {QString::number(over), QString::number(judged.size()), judged.value(0).value(0).toString(),
                QString::number(q.doc.objects.at(target).coverState),
                !tile ? QStringLiteral("gone")
                      : QString::number(tile->isVisible()) + (tile->pos() == home ? "home" : "")};
    };
    const QStringList pointer = answer(false);
    QCOMPARE(pointer.at(0).startsWith(QStringLiteral("RICHTIG")), right);
    QCOMPARE(pointer.at(3), QStringLiteral("1")); // judged once
    QCOMPARE(answer(true), pointer);
}

void TestKeyboardCarry::keysDuringFeedback_data()
{
    QTest::addColumn<bool>("single");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<QString>("keys"); // on another tile while the first answer's feedback runs
    QTest::addColumn<int>("answers"); // once every feedback is over

    // One question at a time: a key then could answer a question not yet shown.
    QTest::newRow("one position at a time: no pick-up") << false << 2 << "Return" << 1;
    QTest::newRow("single questions: no answer") << true << 0 << "1" << 1;
    // Free assignment: held with its chosen target and judged once the feedback is over.
    QTest::newRow("free assignment: the drop is held") << false << 0 << "Return 2 Return" << 2;
}

void TestKeyboardCarry::keysDuringFeedback()
{
    QFETCH(bool, single);
    QFETCH(int, queryMode);
    QFETCH(QString, keys);
    QFETCH(int, answers);
    PanelQuiz q(single ? questionsTopic(3) : rivers(), queryMode);
    if (single)
        QTest::mouseClick(q.tile(1), Qt::LeftButton, {}, QPoint(10, 10));
    else
        q.drag(q.tile(0), 0);
    QCOMPARE(q.panel.state(), QuizPanel::State::Feedback);
    q.tile(single ? 3 : 1)->setFocus();
    q.keys(keys);
    QVERIFY(!q.panel.carriedTile());
    QCOMPARE(q.answers(), 1);
    QVERIFY(q.feedbackOver());
    QTRY_COMPARE(q.answers(), answers);
    QVERIFY(q.feedbackOver());
    QCOMPARE(q.quiz.wrongCount, 0);
}

QTEST_MAIN(TestKeyboardCarry)
#include "tst_keyboardcarry.moc"
