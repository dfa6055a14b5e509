// The quiz as a pupil plays it: the main window on a real X display, driven by real pointer and
// key events, so that presses, releases, the feedback's timers, the clock and the message boxes
// interleave as they do in a classroom. Each case is a fault a pupil met once.

#include "app/mainwindow.h"
#include "cardview/cardview.h"
#include "common/folders.h"
#include "common/sound.h"
#include "document/zepformat.h"
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
    void secondClickAnswersNothing();
    void timeOutDuringLastFeedback();
    void restartDuringFeedback();
    void tileDroppedDuringFeedbackGlidesHome();

private:
    void open(const TopicDocument& doc);
    QuizPanel* panel() const { return m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan")); }
    THoverPanel* tileFor(const QString& caption) const;
    QPoint targetInPanel(int object) const;
    // Drags tile by a point 5 pixels inside its left edge to panelPoint and lets go.
    void dropOn(THoverPanel* tile, QPoint panelPoint);
    bool waitForFeedback() const;
    // What the pupil does at a moment, whatever the program is busy with then.
    void afterMs(int ms, const std::function<void()>& action) { QTimer::singleShot(ms, this, action); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_window;
    std::unique_ptr<XTestInput> m_input;
    // The pupil closes every end-of-quiz dialog with "Schließen"; how many came.
    QTimer m_endDialogWatch;
    int m_endDialogs = 0;
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
    QVERIFY(m_window->startQuiz(0, 0));
    ModalAnswer yes(*m_input, QStringLiteral("&Ja"));
    afterMs(150, [this] { m_input->click(m_window->findChild<THoverPanel*>("LernKartBtn")); });
    dropOn(tileFor("Elbe"), targetInPanel(0));
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
    QVERIFY(m_window->startQuiz(0, 0));
    const CardView& card = m_window->cardView();
    const QRect box = card.viewBoxOf(0);
    QVERIFY(!box.isEmpty());
    const QImage before = card.viewBitmap.copy(box);
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
    const QImage after = card.viewBitmap.copy(box);
    QVERIFY(after != before);
    // What the pupil sees: the panel on screen, at the box.
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QPoint onPanel = box.topLeft() + card.bitmapOrigin() + image->pos() - panel()->pos();
    const QImage shown = panel()->grab(QRect(onPanel, box.size())).toImage().convertToFormat(after.format());
    QCOMPARE(shown, after);
}

// Single questions, each asked once: a second click 0.4 s after the first on the right answer
// of question 1 answers nothing; question 2 is still to be answered.
void TestPupilQuiz::secondClickAnswersNothing()
{
    open(questionsTopic(2));
    m_window->quizOptions().questions.zuordnungFalsch = 1;
    QVERIFY(m_window->startQuiz(0, 0));
    QPointer<THoverPanel> first = tileFor("Antwort 1");
    QVERIFY(first);
    afterMs(400, [&] {
        if (first)
            m_input->click(first, QPoint(20, 20));
    });
    m_input->click(first, QPoint(20, 20));
    QVERIFY(waitForFeedback());
    QTest::qWait(300);
    QCOMPARE(m_window->quiz().correctCount, 1);
    QCOMPARE(m_window->quiz().wrongCount, 0);
    QCOMPARE(m_window->findChild<QLabel*>("UebFrageZaehlerPan")->text(), QStringLiteral("2. Frage"));
    QCOMPARE(m_window->document().objects.at(3).coverState, int(CoverState::Open));
    QCOMPARE(m_window->quiz().protocolDetail.count(QStringLiteral("Gewählte Antwort")), 1);
    QCOMPARE(m_endDialogs, 0);
}

// A time limit of 3 s that runs out during the feedback of the last answer: the quiz ends once,
// as finished, with one end dialog, one protocol file and one list entry.
void TestPupilQuiz::timeOutDuringLastFeedback()
{
    open(questionsTopic(2));
    QuizOptions& options = m_window->quizOptions();
    options.questions.zeitlimit = 1;
    options.questions.zLimitMin = QStringLiteral("0");
    options.questions.zLimitSek = QStringLiteral("3");
    int messages = 0;
    bool secondAnswered = false;
    QTimer pupil;
    connect(&pupil, &QTimer::timeout, this, [&] {
        // A time-out message would block the test: it is counted and closed.
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            if (!box->property("counted").toBool()) {
                box->setProperty("counted", true);
                ++messages;
                QTimer::singleShot(200, box, [this, box] { m_input->click(box->buttons().constFirst()); });
            }
            return;
        }
        // The second answer as soon as the second question shows, at about 1.6 s: its feedback
        // of 1.5 s outlasts the limit, which ends the quiz at 2 s (no whole second left).
        const auto* counter = m_window->findChild<QLabel*>("UebFrageZaehlerPan");
        if (!secondAnswered && counter->text() == QStringLiteral("2. Frage") && tileFor("Antwort 2")) {
            secondAnswered = true;
            m_input->click(tileFor("Antwort 2"));
        }
    });
    pupil.start(10);

    QVERIFY(m_window->startQuiz(0, 0));
    m_input->click(tileFor("Antwort 1"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->cardMode(), int(TForm1::LearningCard), 8000);
    QTest::qWait(1500);
    QVERIFY(secondAnswered);
    QCOMPARE(messages, 0);
    QCOMPARE(m_endDialogs, 1);
    QCOMPARE(m_window->quiz().endStatus, 1);
    QVERIFY(!m_window->quiz().protocolDetail.contains(QStringLiteral("Zeitlimit")));
    QCOMPARE(QDir(folders().protocolFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files).size(), 1);
    HighScoreList entries;
    QVERIFY(readHighScoreFile(highScoreFileName(folders(), m_window->document().filePath, false), entries));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.at(0).Leistung, 1.0);
}

// One text at a time; F7 during a wrong answer's feedback, confirmed: the new quiz asks its first
// text with every counter at zero, untouched by the old answer's remaining steps.
void TestPupilQuiz::restartDuringFeedback()
{
    open(riversTopic());
    m_window->quizOptions().labelling.abfrageModus = 1;
    QVERIFY(m_window->startQuiz(0, 0));
    const int firstText = m_window->quiz().prompt().textObject;
    THoverPanel* asked = tileFor(m_window->document().objects.at(firstText).Cap);
    QVERIFY(asked);
    ModalAnswer yes(*m_input, QStringLiteral("&Ja"));
    afterMs(150, [this] { m_input->keyClick(Qt::Key_F7); });
    dropOn(asked, targetInPanel(firstText == 0 ? 1 : 0));
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
    QVERIFY(m_window->startQuiz(0, 0));
    QPointer<THoverPanel> main = tileFor("Main");
    QPointer<THoverPanel> rhein = tileFor("Rhein");
    const QPoint mainHome = main->pos();
    const QPoint rheinTarget = targetInPanel(1);
    afterMs(150, [&] {
        dropOn(main, rheinTarget);
        m_input->click(rhein, QPoint(20, 20));
    });
    dropOn(tileFor("Elbe"), targetInPanel(0));
    QTRY_COMPARE(m_window->quiz().wrongCount, 1);
    QTest::qWait(1500);
    QCOMPARE(m_window->quiz().correctCount, 1);
    QCOMPARE(main->pos(), mainHome);
}

TALLOWMERE_REAL_DISPLAY_MAIN(TestPupilQuiz)
#include "tst_pupilquiz.moc"
