// The quiz as a pupil plays it: the main window on a real X display, driven by real pointer and
// key events, so that presses, releases, the feedback's timers, the clock and the message boxes
// interleave as they do in a classroom. Each case is a fault a pupil met once.

#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "cardview/cardview.h"
#include "common/folders.h"
#include "common/sound.h"
#include "document/zepformat.h"
#include "quiz/quizsession.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "results/highscorefile.h"
#include "support/programfolder.h"
#include "support/quiztopics.h"
#include "support/realdisplay.h"
#include "widgets/hoverpanel.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

TopicDocument riversTopic()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("Flüsse");
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(QColor(200, 220, 200));
    doc.objects = {quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)};
    return doc;
}

} // namespace

class TestPupilQuiz : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void abortDuringRightFeedback();
    void labelShownAfterRightDrop();
    void labellingQuizPlayedToTheEnd();
    void secondClickAnswersNothing();
    void timeOutDuringLastFeedback();
    void restartDuringFeedback();
    void tileDroppedDuringFeedbackGlidesHome();
    void dropsAtTimeOut_data();
    void dropsAtTimeOut();
    void heldDigitAnswersOnce();
    void zoomKeysLeaveQuizViewAlone();
    void dialogDuringDragSendsTileHome();
    void keyDropOnTakenTargetGoesHome();

private:
    void open(const TopicDocument& doc);
    QuizPanel* panel() const { return m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan")); }
    THoverPanel* tileFor(const QString& caption) const;
    QPoint targetInPanel(int object) const;
    // Drags tile by a point 5 pixels inside its left edge to panelPoint and lets go.
    void dropOn(THoverPanel* tile, QPoint panelPoint);
    bool waitForFeedback() const;
    bool waitForState(QuizPanel::State state, int timeoutMs = 5000) const
    {
        return QTest::qWaitFor([this, state] { return panel()->state() == state; }, timeoutMs);
    }
    // Counts and closes the time-out message ("Zeitlimit") whenever it shows; action runs first.
    void watchTimeUpMessage(int& messages, const std::function<void()>& action = {});
    // One protocol file and one list entry of performance, the results of a quiz that ended.
    void checkOneResult(double performance);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_window;
    std::unique_ptr<XTestInput> m_input;
    // The pupil closes every end-of-quiz dialog with "Schließen"; how many came.
    QTimer m_endDialogWatch;
    int m_endDialogs = 0;
    QTimer m_messageWatch;
};

void TestPupilQuiz::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("listen");
    QDir(m_dir->path()).mkpath("protokolle");
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_input = std::make_unique<XTestInput>();
    // The real sounds, so that every feedback lasts as long as for a pupil (silent without a sound
    // device).
    soundPlayer().setSoundFolder(QStringLiteral(TALLOWMERE_BIN_DIR "sound/"));
}

void TestPupilQuiz::cleanup()
{
    m_messageWatch.stop();
    m_messageWatch.disconnect();
    m_endDialogWatch.stop();
    m_endDialogWatch.disconnect();
    m_window.reset();
    m_input.reset();
}

void TestPupilQuiz::open(const TopicDocument& doc)
{
    const QString path = m_dir->filePath("thema.zep");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
    file.close();
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = path;
    m_window = std::make_unique<TForm1>(options);
    m_window->createDialogs();
    m_window->move(0, 0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(QTest::qWaitFor([this] { return !m_window->firstActivationPending(); }));
    QVERIFY(m_input->focusWindow(m_window.get()));
    // After the first activation, which reads the folders from the settings store.
    folders().highScoreFolder = m_dir->filePath("listen") + u'/';
    folders().protocolFolder = m_dir->filePath("protokolle") + u'/';
    // No name to ask; targets numbered in order, texts alphabetical; results saved.
    m_window->menuItem("OptNameEingabe1")->setChecked(false);
    m_window->menuItem("Sound1")->setChecked(true);
    m_window->menuItem("AutoProtSpeichern1")->setChecked(true);
    m_window->menuItem("ErgebBestListEintragen1")->setChecked(true);
    QuizOptions& quizOptions = m_window->quizOptions();
    quizOptions.labelling.zuordnungstexte = 0;
    quizOptions.labelling.zuordnungsziele = 0;
    quizOptions.questions.zuordnungstexte = 0;
    quizOptions.questions.zuordnungsziele = 0;

    m_endDialogs = 0;
    connect(&m_endDialogWatch, &QTimer::timeout, this, [this] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        // One showing counts once, however long the click on "LernBtn" takes to close it.
        if (!dialog->isVisible()) {
            dialog->setProperty("seen", false);
            return;
        }
        if (dialog->property("seen").toBool())
            return;
        dialog->setProperty("seen", true);
        ++m_endDialogs;
        QTimer::singleShot(200, dialog, [this, dialog] { m_input->click(dialog->findChild<QWidget*>("LernBtn")); });
    });
    m_endDialogWatch.start(10);
}

THoverPanel* TestPupilQuiz::tileFor(const QString& caption) const
{
    for (THoverPanel* tile : m_window->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && tile->caption() == caption
            && !tile->isHidden())
            return tile;
    }
    return nullptr;
}

QPoint TestPupilQuiz::targetInPanel(int object) const
{
    const DocObject& o = m_window->document().objects.at(object);
    const QPoint view
        = m_window->cardView().cardToView((o.boxRect[0] + o.boxRect[2]) / 2, (o.boxRect[1] + o.boxRect[3]) / 2);
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    return view + image->pos() - panel()->pos();
}

void TestPupilQuiz::dropOn(THoverPanel* tile, QPoint panelPoint)
{
    const QPoint grip(5, tile->height() / 2);
    // Steps relative to the panel, which stays put while the tile follows the pointer.
    m_input->drag(panel(), tile->pos() + grip, panelPoint + QPoint(5, 0), 8, 5);
    // What the test does next comes after the program has seen the release.
    QVERIFY(QTest::qWaitFor([] { return QGuiApplication::mouseButtons() == Qt::NoButton; }, 2000));
}

void TestPupilQuiz::watchTimeUpMessage(int& messages, const std::function<void()>& action)
{
    connect(&m_messageWatch, &QTimer::timeout, this, [this, &messages, action] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("counted").toBool())
            return;
        box->setProperty("counted", true);
        if (box->text() == QuizTexts::timeUp)
            ++messages;
        if (action)
            action();
        QTimer::singleShot(200, box, [this, box] { m_input->click(box->buttons().constFirst()); });
    });
    m_messageWatch.start(10);
}

void TestPupilQuiz::checkOneResult(double performance)
{
    QCOMPARE(QDir(folders().protocolFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files).size(), 1);
    HighScoreList entries;
    QVERIFY(readHighScoreFile(highScoreFileName(folders(), m_window->document().filePath, false), entries));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.at(0).Leistung, performance);
}

bool TestPupilQuiz::waitForFeedback() const
{
    // The answer's input reaches the program only once its event loop runs.
    return QTest::qWaitFor([this] { return panel()->state() == QuizPanel::State::Feedback; }, 2000)
        && QTest::qWaitFor([this] { return panel()->state() != QuizPanel::State::Feedback; }, 5000);
}

// The last label dropped right, and "Quiz abbrechen" confirmed while its feedback still runs:
// the quiz is left as the pupil asked, without an end, a result or a protocol, and nothing of
// the answer acts afterwards.
void TestPupilQuiz::abortDuringRightFeedback()
{
    TopicDocument doc = riversTopic();
    doc.objects = {doc.objects.first()};
    open(doc);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    ModalAnswer yes(*m_input, QStringLiteral("&Ja"));
    m_input->click(m_window->findChild<THoverPanel*>("LernKartBtn"));
    QVERIFY2(yes.wait(), qPrintable(yes.error()));
    QTRY_COMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    // Longer than any feedback: a step left over would act now.
    QTest::qWait(1500);
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    QCOMPARE(m_endDialogs, 0);
    QVERIFY(QDir(folders().protocolFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files).isEmpty());
    QVERIFY(!QFile::exists(highScoreFileName(folders(), m_window->document().filePath, false)));
}

// Free assignment: after a right drop the card on the quiz panel shows the label where the
// number disc was, exactly as the card draws it.
void TestPupilQuiz::labelShownAfterRightDrop()
{
    open(riversTopic());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    const CardView& card = m_window->cardView();
    const QRect box = card.viewBoxOf(0);
    QVERIFY(!box.isEmpty());
    // The card's pixels are the screen's: more than the logical ones on a scaled screen.
    const double ratio = panel()->devicePixelRatioF();
    QCOMPARE(card.viewBitmap.devicePixelRatio(), ratio);
    const QRect pixels = toDevicePixels(box, ratio);
    const QImage before = card.viewBitmap.copy(pixels);
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
    const QImage after = card.viewBitmap.copy(pixels);
    QVERIFY(after != before);
    // What the pupil sees: the panel on screen, at the box.
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QPoint onPanel = box.topLeft() + card.bitmapOrigin() + image->pos() - panel()->pos();
    QImage shown = panel()->grab(QRect(onPanel, box.size())).toImage().convertToFormat(after.format());
    shown.setDevicePixelRatio(after.devicePixelRatio());
    QCOMPARE(shown, after);
}

// Every label dragged onto its place by the pointer, as a pupil plays: all right, the end dialog
// once, one result of 100 %. Also run on a screen scaled to 200 %, where the card has twice the
// pixels and every drop still lands where the pupil sees the target.
void TestPupilQuiz::labellingQuizPlayedToTheEnd()
{
    const TopicDocument topic = riversTopic();
    open(topic);
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QCOMPARE(panel()->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QCOMPARE(m_window->cardView().viewBitmap.devicePixelRatio(), panel()->devicePixelRatioF());
    for (int i = 0; i < topic.objects.size(); ++i) {
        THoverPanel* tile = tileFor(topic.objects.at(i).Cap);
        QVERIFY(tile);
        dropOn(tile, targetInPanel(i));
        QVERIFY(waitForFeedback());
        QCOMPARE(m_window->quiz().correctCount, i + 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_window->cardMode(), int(TForm1::LearningCard), 8000);
    QCOMPARE(m_endDialogs, 1);
    QCOMPARE(m_window->quiz().wrongCount, 0);
    checkOneResult(1.0);
}

// Single questions, each asked once: a second click 0.4 s after the first on the right answer
// of question 1 answers nothing; question 2 is still to be answered.
void TestPupilQuiz::secondClickAnswersNothing()
{
    open(questionsTopic(2));
    m_window->quizOptions().questions.zuordnungFalsch = 1;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QPointer<THoverPanel> first = tileFor("Antwort 1");
    QVERIFY(first);
    m_input->click(first, QPoint(20, 20));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    m_input->click(first, QPoint(20, 20));
    QVERIFY(waitForState(QuizPanel::State::Waiting));
    QCOMPARE(m_window->quiz().correctCount, 1);
    QCOMPARE(m_window->quiz().wrongCount, 0);
    QCOMPARE(m_window->findChild<QLabel*>("UebFrageZaehlerPan")->text(), QStringLiteral("2. Frage"));
    QCOMPARE(m_window->document().objects.at(3).coverState, int(CoverState::Open));
    QCOMPARE(m_window->quiz().protocolDetail.count(QStringLiteral("Gewählte Antwort")), 1);
    QCOMPARE(m_endDialogs, 0);
}

// A time limit of 4 s that runs out during the feedback of the last answer: the quiz ends once,
// as finished, with one end dialog, one protocol file and one list entry.
void TestPupilQuiz::timeOutDuringLastFeedback()
{
    open(questionsTopic(2));
    QuizOptions& options = m_window->quizOptions();
    options.questions.zeitlimit = 1;
    options.questions.zLimitMin = QStringLiteral("0");
    options.questions.zLimitSek = QStringLiteral("4");
    int messages = 0;
    watchTimeUpMessage(messages);

    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    m_input->click(tileFor("Antwort 1"));
    QVERIFY(waitForFeedback());
    const auto* counter = m_window->findChild<QLabel*>("UebFrageZaehlerPan");
    QCOMPARE(counter->text(), QStringLiteral("2. Frage"));
    m_input->click(tileFor("Antwort 2"));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    // The last answer came in time (the limit ends the quiz after 3 s, when no whole second is
    // left); its feedback is held until the limit has run out, as a slow feedback would last.
    QVERIFY2(m_window->quiz().withinTimeLimit(m_window->quiz().clockMs()), "the machine was too slow to test this");
    panel()->holdProgress();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->quiz().timeLimitReached(), 5000);
    panel()->releaseProgress();
    QTRY_COMPARE_WITH_TIMEOUT(m_window->cardMode(), int(TForm1::LearningCard), 8000);
    QCOMPARE(messages, 0);
    QCOMPARE(m_endDialogs, 1);
    QCOMPARE(m_window->quiz().endStatus, 1);
    QVERIFY(!m_window->quiz().protocolDetail.contains(QStringLiteral("Zeitlimit")));
    checkOneResult(1.0);
}

// One text at a time; F7 during a wrong answer's feedback, confirmed: the new quiz asks its first
// text with every counter at zero, untouched by the old answer's remaining steps.
void TestPupilQuiz::restartDuringFeedback()
{
    open(riversTopic());
    m_window->quizOptions().labelling.abfrageModus = 1;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    const int firstText = m_window->quiz().prompt().textObject;
    THoverPanel* asked = tileFor(m_window->document().objects.at(firstText).Cap);
    QVERIFY(asked);
    dropOn(asked, targetInPanel(firstText == 0 ? 1 : 0));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    ModalAnswer yes(*m_input, QStringLiteral("&Ja"));
    m_input->keyClick(Qt::Key_F7);
    QVERIFY2(yes.wait(), qPrintable(yes.error()));
    // Longer than the old answer's feedback.
    QTest::qWait(1500);
    QCOMPARE(m_window->cardMode(), int(TForm1::QuizRunning));
    QCOMPARE(m_window->quiz().wrongCount, 0);
    QCOMPARE(m_window->quiz().questionCounter, 1);
    QCOMPARE(m_window->quiz().currentIndex, 0);
    QCOMPARE(m_window->quiz().protocolDetail.count(QStringLiteral("Quiz wird gestartet")), 1);
    int shown = 0;
    for (THoverPanel* tile : m_window->findChildren<THoverPanel*>(QRegularExpression("^UebElemPan")))
        shown += tile->isHidden() ? 0 : 1;
    QCOMPARE(shown, 1);
}

// Free assignment: during a right answer's feedback the pupil drops a second tile on a wrong
// target and then grabs a third one; once judged, the second tile glides back to where its own
// drag began.
void TestPupilQuiz::tileDroppedDuringFeedbackGlidesHome()
{
    open(riversTopic());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QPointer<THoverPanel> main = tileFor("Main");
    QPointer<THoverPanel> rhein = tileFor("Rhein");
    const QPoint mainHome = main->pos();
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    // The feedback lasts until the pupil's hand is done, however slowly the machine runs.
    panel()->holdProgress();
    dropOn(main, targetInPanel(1));
    m_input->click(rhein, QPoint(20, 20));
    panel()->releaseProgress();
    QTRY_COMPARE(m_window->quiz().wrongCount, 1);
    QTRY_COMPARE_WITH_TIMEOUT(main->pos(), mainHome, 5000);
    QVERIFY(waitForState(QuizPanel::State::Waiting));
    QCOMPARE(m_window->quiz().correctCount, 1);
}

// Free assignment with a limit of 3 s, which runs out after 2 s: the pupil drops "Elbe" right,
// and during its feedback, which lasts past the limit, drops "Rhein" on its place, before or
// after the limit. A drop let go in time counts with its feedback before the time-out acts; one
// let go late is not judged and its tile goes home; a drop in time that answers the last
// question finishes the quiz. Every way, the quiz ends once, with one protocol and one entry.
void TestPupilQuiz::dropsAtTimeOut_data()
{
    QTest::addColumn<int>("labels");
    QTest::addColumn<int>("rheinDrop"); // 0 none, 1 before the limit, 2 after it
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("status");

    QTest::newRow("nothing in hand") << 3 << 0 << 0 << 3;
    QTest::newRow("let go before the limit") << 3 << 1 << 2 << 3;
    QTest::newRow("let go after the limit") << 3 << 2 << 1 << 3;
    QTest::newRow("last question let go before the limit") << 2 << 1 << 2 << 1;
}

void TestPupilQuiz::dropsAtTimeOut()
{
    QFETCH(int, labels);
    QFETCH(int, rheinDrop);
    QFETCH(int, right);
    QFETCH(int, status);
    TopicDocument doc = riversTopic();
    doc.objects.resize(labels);
    open(doc);
    QuizOptions& options = m_window->quizOptions();
    options.labelling.zeitlimit = 1;
    options.labelling.zLimitMin = QStringLiteral("0");
    options.labelling.zLimitSek = QStringLiteral("3");
    QPointer<THoverPanel> rhein;
    QPoint rheinHome;
    QPoint rheinAtTimeUp;
    int messages = 0;
    watchTimeUpMessage(messages, [&] {
        if (rhein)
            rheinAtTimeUp = rhein->pos();
    });

    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    const QuizSession& quiz = m_window->quiz();
    rhein = tileFor("Rhein");
    rheinHome = rhein->pos();
    if (rheinDrop > 0) {
        dropOn(tileFor("Elbe"), targetInPanel(0));
        QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
        // The feedback lasts past the limit, as a slow one would.
        panel()->holdProgress();
        if (rheinDrop == 1) {
            dropOn(rhein, targetInPanel(1));
            QVERIFY2(quiz.withinTimeLimit(quiz.clockMs()), "the machine was too slow to test this");
        }
        QTRY_VERIFY_WITH_TIMEOUT(quiz.timeLimitReached(), 5000);
        if (rheinDrop == 2)
            dropOn(rhein, targetInPanel(1));
        QCOMPARE(panel()->state(), QuizPanel::State::Feedback);
        panel()->releaseProgress();
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_window->cardMode(), int(TForm1::LearningCard), 8000);

    QCOMPARE(quiz.endStatus, status);
    QCOMPARE(quiz.correctCount, right);
    QCOMPARE(quiz.wrongCount, 0);
    QCOMPARE(quiz.protocolDetail.contains(QStringLiteral("Rhein")), right == 2);
    QCOMPARE(messages, status == 3 ? 1 : 0);
    if (rheinDrop == 2)
        QCOMPARE(rheinAtTimeUp, rheinHome);
    QCOMPARE(m_endDialogs, 1);
    checkOneResult(double(right) / labels);
}

// Single questions: "1" held through the first answer's feedback answers the first question only;
// its repeats neither answer the second nor anything else.
void TestPupilQuiz::heldDigitAnswersOnce()
{
    open(questionsTopic(3));
    m_window->quizOptions().questions.zuordnungFalsch = 1;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    // The key's repeats that reach the window once the first answer's feedback is over (Qt does
    // not mark every repeat as one: a repeat's release that comes apart from its press passes as
    // a release and a new press).
    struct RepeatCounter : QObject
    {
        bool counting = false;
        int repeats = 0;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (counting && watched->isWindowType() && event->type() == QEvent::KeyPress
                && static_cast<QKeyEvent*>(event)->key() == Qt::Key_1)
                ++repeats;
            return false;
        }
    } counter;
    qApp->installEventFilter(&counter);

    m_input->keyDown(Qt::Key_1);
    const bool answered = waitForState(QuizPanel::State::Feedback, 2000) && waitForState(QuizPanel::State::Waiting);
    counter.counting = true;
    // A handful of repeats while the second question waits for its answer.
    const bool repeated = QTest::qWaitFor([&] { return counter.repeats >= 5; }, 5000);
    m_input->keyUp(Qt::Key_1);
    qApp->removeEventFilter(&counter);
    QVERIFY(answered);
    QVERIFY(repeated);
    QCOMPARE(m_window->quiz().correctCount + m_window->quiz().wrongCount, 1);
    QCOMPARE(m_window->findChild<QLabel*>("UebFrageZaehlerPan")->text(), QStringLiteral("2. Frage"));
    QCOMPARE(panel()->state(), QuizPanel::State::Waiting);
}

// The zoom keys during a quiz, then a larger window and a scroll key: the quiz panel still shows
// the card where the targets are, and a drop on a number disc as it is drawn is judged there.
void TestPupilQuiz::zoomKeysLeaveQuizViewAlone()
{
    open(riversTopic());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QWidget* before = m_window->focusWidget();
    m_input->keyClick(Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    m_window->resize(m_window->size() + QSize(40, 30));
    m_input->keyClick(Qt::Key_Right, Qt::ControlModifier);
    // Tab moves the focus to the next tile once the keys before it are handled.
    m_input->keyClick(Qt::Key_Tab);
    QTRY_VERIFY(m_window->focusWidget() != before);
    const CardView& card = m_window->cardView();
    QCOMPARE(card.zoomIndex, 0);

    const QRect box = card.viewBoxOf(0);
    QVERIFY(!box.isEmpty());
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QPoint onPanel = box.topLeft() + card.bitmapOrigin() + image->pos() - panel()->pos();
    const QImage drawn = card.viewBitmap.copy(box);
    QCOMPARE(panel()->grab(QRect(onPanel, box.size())).toImage().convertToFormat(drawn.format()), drawn);
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
}

// A tile held over its target when F7 asks "Quiz wirklich abbrechen?"; the pupil lets go while
// the question is open and answers "Nein": the tile is back where its drag began, unjudged, and
// the target marker is gone.
void TestPupilQuiz::dialogDuringDragSendsTileHome()
{
    open(riversTopic());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    THoverPanel* elbe = tileFor("Elbe");
    const QPoint home = elbe->pos();
    const QPoint grip(5, elbe->height() / 2);
    const QPoint target = targetInPanel(0) + QPoint(5, 0);
    m_input->press(panel(), home + grip);
    for (int step = 1; step <= 8; ++step) {
        m_input->moveTo(panel()->mapToGlobal(home + grip + (target - home - grip) * step / 8));
        QTest::qWait(5);
    }
    QWidget* marker = m_window->findChild<QWidget*>("UebMoveAnker");
    QTRY_VERIFY(marker->isVisible());

    bool answered = false;
    connect(&m_messageWatch, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool() || !box->isVisible())
            return;
        box->setProperty("answered", true);
        m_input->release(panel(), target);
        QTimer::singleShot(200, box, [this, box, &answered] {
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == QStringLiteral("&Nein"))
                    m_input->click(button);
            }
            answered = true;
        });
    });
    m_messageWatch.start(10);
    m_input->keyClick(Qt::Key_F7);
    QTRY_VERIFY_WITH_TIMEOUT(answered && !QApplication::activeModalWidget(), 5000);

    QTRY_COMPARE(elbe->pos(), home);
    QVERIFY(marker->isHidden());
    QCOMPARE(m_window->cardMode(), int(TForm1::QuizRunning));
    QCOMPARE(panel()->state(), QuizPanel::State::Waiting);
    QCOMPARE(m_window->quiz().correctCount + m_window->quiz().wrongCount, 0);
}

// During one feedback "Rhein" is dropped on its place, then "Main" is carried by keys to the same
// place and put down: Rhein is judged right, and Main, whose target is taken by then, goes back
// to the pile unjudged.
void TestPupilQuiz::keyDropOnTakenTargetGoesHome()
{
    open(riversTopic());
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QPointer<THoverPanel> main = tileFor("Main");
    const QPoint mainHome = main->pos();
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForState(QuizPanel::State::Feedback, 2000));
    panel()->holdProgress();
    dropOn(tileFor("Rhein"), targetInPanel(1));
    main->setFocus();
    m_input->keyClick(Qt::Key_Return);
    QTRY_COMPARE(panel()->carriedTile(), main.data());
    for (const QChar c : m_window->document().numberText(1))
        m_input->keyClick(Qt::Key(c.toUpper().unicode()));
    QTRY_COMPARE(panel()->chosenTarget(), 1);
    m_input->keyClick(Qt::Key_Return);
    QTRY_VERIFY(!panel()->carriedTile());
    panel()->releaseProgress();

    QTRY_COMPARE_WITH_TIMEOUT(m_window->quiz().correctCount, 2, 5000);
    QVERIFY(waitForState(QuizPanel::State::Waiting));
    QVERIFY(main && !main->isHidden());
    QCOMPARE(main->pos(), mainHome);
    QCOMPARE(m_window->quiz().wrongCount, 0);
}

TALLOWMERE_REAL_DISPLAY_MAIN(TestPupilQuiz)
#include "tst_pupilquiz.moc"
