// The quiz in the main window, driven by mouse events: a tile dragged onto its target, a wrong
// drop gliding back, the answer grid of single questions, and the end dialog after a perfect run;
// and by keys alone: a key drop judged as the pointer's, whole bundled topics played to the end.

#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "network/mailslot.h"
#include "network/netexercise.h"
#include "network/ui/netcontrolwindow.h"
#include "quiz/normalizetext.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "quiz/ui/quizstatuspanel.h"
#include "results/highscorefile.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"
#include "support/quiztopics.h"
#include "widgets/hoverpanel.h"
#include "widgets/radiogroup2.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

class TestQuizWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dragOntoTarget();
    void wrongDropGlidesBack();
    void answerGrid_data();
    void answerGrid();
    void oneQuestionAtATime_data();
    void oneQuestionAtATime();
    void releasesDuringFeedback();
    void optionsRefusedDuringQuiz();
    void resultsAfterQuiz();
    void keyDropJudgedAsPointerDrop();
    void wholeQuizByKeys_data();
    void wholeQuizByKeys();
    void positionAtATimeClosesThePile();
    void spokenGapKeepsItsNumber();
    void screenReaderOnTiles_data();
    void screenReaderOnTiles();
    void failedRejoinKeepsEndedQuiz();
    void initiationWarnsOfWritableFolder();
    void teacherRunsOneExerciseAtATime();
    void unsavedResultsAreAskedAboutAtTheEnd_data();
    void unsavedResultsAreAskedAboutAtTheEnd();

private:
    void open(const TopicDocument& doc);
    void openPath(const QString& path);
    // The settings' communication folder (kom/ in the test's folder, made) and channel.
    bool useCommFolder(const QString& channel);
    // While timer runs, every modal dialog is accepted ("Übung starten" of an initiation).
    void acceptModalDialogs(QTimer& timer);
    QuizPanel* panel() const { return m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan")); }
    // Keys as the pupil presses them: to the widget with the keyboard focus.
    void key(int key);
    void type(const QString& text);
    QPoint targetInPanel(int object) const;
    void dragTo(THoverPanel* tile, QPoint panelPoint);
    THoverPanel* tileFor(const QString& caption) const;
    // Waits until the answer's feedback is over and the panel waits for the next answer.
    bool waitForFeedback() const;
    // Opens a topic that comes with the program, with protocols and lists in the test's folder.
    void openBundled(const QString& topic);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessageService> m_messages;
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<TForm1> m_window;
};

void TestQuizWindow::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_messages = std::make_unique<FakeMessageService>();
    m_dialogs = std::make_unique<FakeDialogService>();
}

void TestQuizWindow::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
    m_messages.reset();
}

void TestQuizWindow::open(const TopicDocument& doc)
{
    const QString path = m_dir->filePath("thema.zep");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
    file.close();
    openPath(path);
}

bool TestQuizWindow::useCommFolder(const QString& channel)
{
    folders().commFolder = m_dir->filePath("kom") + u'/';
    folders().commChannel = channel;
    return QDir().mkpath(folders().commFolder);
}

void TestQuizWindow::acceptModalDialogs(QTimer& timer)
{
    connect(&timer, &QTimer::timeout, this, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    timer.start(20);
}

void TestQuizWindow::openPath(const QString& path)
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = path;
    m_window = std::make_unique<TForm1>(options);
    m_window->createDialogs();
    m_window->show();
    QVERIFY(QTest::qWaitFor([this] { return !m_window->firstActivationPending(); }));
    // No name to ask, no sounds to wait for, and a predictable order of texts and targets.
    m_window->menuItem("OptNameEingabe1")->setChecked(false);
    m_window->menuItem("Sound1")->setChecked(false);
    m_window->quizOptions().labelling.zuordnungstexte = 0;
    m_window->quizOptions().labelling.zuordnungsziele = 0;
    m_window->quizOptions().questions.zuordnungsziele = 0;
}

void TestQuizWindow::key(int key)
{
    QWidget* focus = m_window->focusWidget();
    QTest::keyClick(focus ? focus : m_window.get(), Qt::Key(key));
}

void TestQuizWindow::type(const QString& text)
{
    for (const QChar c : text) {
        QWidget* focus = m_window->focusWidget();
        QTest::keyClick(focus ? focus : m_window.get(), c.toLatin1());
    }
}

QPoint TestQuizWindow::targetInPanel(int object) const
{
    const DocObject& o = m_window->document().objects.at(object);
    const QPoint view
        = m_window->cardView().cardToView((o.boxRect[0] + o.boxRect[2]) / 2, (o.boxRect[1] + o.boxRect[3]) / 2);
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QWidget* panel = m_window->findChild<QWidget*>("UebungPan");
    return view + image->pos() - panel->pos();
}

// Drags tile by a point 5 pixels inside its left edge, so that the middle of its left edge ends
// at panelPoint, and releases it there.
void TestQuizWindow::dragTo(THoverPanel* tile, QPoint panelPoint)
{
    const QPoint grip(5, tile->height() / 2);
    QTest::mousePress(tile, Qt::LeftButton, {}, grip);
    const QPoint goal = panelPoint + QPoint(5, 0);
    for (int step = 1; step <= 4; ++step) {
        const QPoint now = tile->pos() + grip;
        const QPoint next = now + (goal - now) * step / 4;
        const QPoint local = next - tile->pos();
        QMouseEvent move(QEvent::MouseMove, QPointF(local), tile->mapToGlobal(QPointF(local)), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(tile, &move);
    }
    QTest::mouseRelease(tile, Qt::LeftButton, {}, goal - tile->pos());
}

bool TestQuizWindow::waitForFeedback() const
{
    const auto* panel = m_window->findChild<QuizPanel*>("UebungPan");
    return QTest::qWaitFor([panel] { return panel->state() != QuizPanel::State::Feedback; }, 5000);
}

THoverPanel* TestQuizWindow::tileFor(const QString& caption) const
{
    for (THoverPanel* tile : m_window->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && tile->caption() == caption)
            return tile;
    }
    return nullptr;
}

void TestQuizWindow::dragOntoTarget()
{
    TopicDocument doc = labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7)});
    open(doc);
    QTest::keyClick(m_window.get(), Qt::Key_F7);
    QCOMPARE(m_window->cardMode(), int(TForm1::QuizRunning));
    QCOMPARE(m_window->quiz().questionCount, 2);
    QVERIFY(tileFor("Elbe") && tileFor("Rhein"));

    dragTo(tileFor("Elbe"), targetInPanel(0));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
    QCOMPARE(m_window->document().objects.at(0).coverState, int(CoverState::Uncovered));
    QVERIFY(!tileFor("Elbe") || tileFor("Elbe")->isHidden());
    QCOMPARE(m_window->findChild<QLabel*>("RichtigLab")->text(), QStringLiteral("1"));

    // The last right answer ends the quiz; after a perfect run only the complete repeat is offered.
    bool repeatGroupEnabled = true;
    bool dialogSeen = false;
    // The end dialog is modal: look at it and close it once it shows.
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        if (!dialog->isVisible())
            return;
        watcher.stop();
        dialogSeen = true;
        repeatGroupEnabled = dialog->findChild<TRadioGroup2*>("WiederholenMode")->isEnabled();
        dialog->reject();
    });
    watcher.start(20);
    dragTo(tileFor("Rhein"), targetInPanel(1));
    QTRY_VERIFY(dialogSeen);
    QVERIFY(!repeatGroupEnabled);
    QCOMPARE(m_window->quiz().grade, 1);
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    QVERIFY(m_window->quiz().protocolDetail.contains(
        QStringLiteral("RICHTIG - Beschriftungstext \"Rhein\" wird der richtigen Position zugeordnet")));
}

void TestQuizWindow::wrongDropGlidesBack()
{
    TopicDocument doc = labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7)});
    open(doc);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    THoverPanel* elbe = tileFor("Elbe");
    const QPoint home = elbe->pos();
    dragTo(elbe, targetInPanel(1));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().wrongCount, 1);
    QCOMPARE(elbe->pos(), home);
    QVERIFY(!elbe->isHidden());
    QCOMPARE(m_window->document().objects.at(1).coverState, int(CoverState::Open));
    // Released over empty picture: nothing is judged and the tile stays where it was put.
    dragTo(elbe, QPoint(2, 2));
    QCOMPARE(m_window->quiz().wrongCount, 1);
    QVERIFY(elbe->pos() != home);
}

void TestQuizWindow::answerGrid_data()
{
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("shown");
    QTest::newRow("three questions: three answers") << 3 << 3;
    QTest::newRow("five questions: five answers") << 5 << 5;
    QTest::newRow("six questions: five answers") << 6 << 5;
}

void TestQuizWindow::answerGrid()
{
    QFETCH(int, questions);
    QFETCH(int, shown);
    open(questionsTopic(questions));
    const auto visibleTiles = [this] {
        QList<THoverPanel*> visible;
        for (THoverPanel* tile : m_window->findChildren<THoverPanel*>()) {
            if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && !tile->isHidden())
                visible << tile;
        }
        return visible;
    };
    // The card in panel pixels, as the pupil sees it.
    const auto cardRect = [this] {
        const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
        const QWidget* panel = m_window->findChild<QWidget*>("UebungPan");
        return QRect(
            image->pos() - panel->pos() + m_window->cardView().bitmapOrigin(), m_window->cardView().viewBitmap.size());
    };

    // At the window's designed size the grid stays on the card, three to a row.
    m_window->setOuterGeometry(QRect(0, 0, 900, 650));
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QList<THoverPanel*> visible = visibleTiles();
    QCOMPARE(visible.size(), shown);
    QSet<int> rows;
    for (THoverPanel* tile : visible) {
        QVERIFY2(cardRect().contains(tile->geometry()), qPrintable(tile->caption()));
        for (THoverPanel* other : visible)
            QVERIFY(tile == other || !tile->geometry().intersects(other->geometry()));
        rows << tile->y();
    }
    QCOMPARE(rows.size(), shown > 3 ? 2 : 1);
    QCOMPARE(m_window->findChild<QLabel*>("UebFrageZaehlerPan")->text(), QStringLiteral("1. Frage"));

    // On a large card the cells are 170 x 66 with tiles of 150 x 46.
    m_window->setOuterGeometry(QRect(0, 0, 1280, 1000));
    visible = visibleTiles();
    std::sort(visible.begin(), visible.end(),
        [](THoverPanel* a, THoverPanel* b) { return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x()); });
    QCOMPARE(visible.at(0)->size(), QSize(150, 46));
    QCOMPARE(visible.at(1)->x() - visible.at(0)->x(), 170);
    if (shown > 3)
        QCOMPARE(visible.at(3)->y() - visible.at(0)->y(), 66);

    // A click on the right answer answers the question.
    THoverPanel* right = tileFor(QStringLiteral("Antwort 1"));
    QVERIFY(right && !right->isHidden());
    QTest::mouseClick(right, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
    QCOMPARE(m_window->findChild<QLabel*>("UebFrageZaehlerPan")->text(), QStringLiteral("2. Frage"));
}

void TestQuizWindow::oneQuestionAtATime_data()
{
    QTest::addColumn<int>("queryMode");
    QTest::newRow("one text at a time") << 1;
    QTest::newRow("one position at a time") << 2;
}

void TestQuizWindow::oneQuestionAtATime()
{
    QFETCH(int, queryMode);
    TopicDocument doc
        = labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)});
    open(doc);
    m_window->quizOptions().labelling.abfrageModus = queryMode;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    int shown = 0;
    for (THoverPanel* tile : m_window->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && !tile->isHidden())
            ++shown;
    }
    const QWidget* panel = m_window->findChild<QWidget*>("UebungPan");
    if (queryMode == 1) {
        // The one text asked lies centred at the right edge.
        QCOMPARE(shown, 1);
        THoverPanel* asked
            = tileFor(normalizeText(m_window->document().objects.at(m_window->quiz().prompt().textObject).Cap));
        QVERIFY(asked && !asked->isHidden());
        QCOMPARE(asked->y(), (panel->height() - asked->height()) / 2);
        QCOMPARE(asked->x(), panel->width() - asked->width());
    } else {
        // Every text stays; the card shows the asked position as its one active target.
        QCOMPARE(shown, 3);
        QCOMPARE(m_window->cardView().askedObject, m_window->quiz().prompt().targetObject);
        QVERIFY(m_window->cardView().askedObject >= 0);
    }
}

void TestQuizWindow::releasesDuringFeedback()
{
    TopicDocument doc
        = labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)});
    open(doc);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    const auto* panel = m_window->findChild<QuizPanel*>("UebungPan");
    THoverPanel* elbe = tileFor("Elbe");
    dragTo(elbe, targetInPanel(0));
    QCOMPARE(panel->state(), QuizPanel::State::Feedback);
    // While the right answer's feedback runs, the pupil drops "Rhein" on its place and lets go
    // of "Elbe" once more without having grabbed it.
    dragTo(tileFor("Rhein"), targetInPanel(1));
    QTest::mouseRelease(elbe, Qt::LeftButton, {}, QPoint(5, 10));
    QCOMPARE(m_window->quiz().correctCount, 1);
    // "Rhein" is judged once the first feedback is over, "Elbe" not again.
    QTRY_COMPARE(m_window->quiz().correctCount, 2);
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().wrongCount, 0);
    QCOMPARE(m_window->quiz().openCount, 1);
    QCOMPARE(m_window->quiz().protocolDetail.count(QStringLiteral("RICHTIG")), 2);
    QCOMPARE(m_window->document().objects.at(1).coverState, int(CoverState::Uncovered));
}

void TestQuizWindow::optionsRefusedDuringQuiz()
{
    TopicDocument doc = labelTopic({quizLabel("Elbe", 0.3, 0.3)});
    open(doc);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QTest::keyClick(m_window.get(), Qt::Key_F7, Qt::AltModifier);
    QCOMPARE(m_messages->texts().last(),
        QStringLiteral("Die Übungsoptionen können nicht während der Übung geändert werden."));
    // Aborting asks first; "No" keeps the quiz running.
    m_messages->answers = {MessageButton::No};
    m_window->quizController()->abortQuiz();
    QCOMPARE(m_window->cardMode(), int(TForm1::QuizRunning));
    m_messages->answers = {MessageButton::Yes};
    m_window->quizController()->abortQuiz();
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    QCOMPARE(m_window->document().objects.at(0).coverState, int(CoverState::Uncovered));
    // "Startseite" then returns to the card and keeps the topic, also one chosen from the menu
    // in a program started without a topic.
    folders().startDocumentPath.clear();
    const QString topic = m_window->document().filePath;
    QTest::mouseClick(m_window->findChild<QWidget*>("LernKartBtn"), Qt::LeftButton);
    QCOMPARE(m_window->document().filePath, topic);
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
}

void TestQuizWindow::resultsAfterQuiz()
{
    TopicDocument doc = labelTopic({quizLabel("Elbe", 0.3, 0.3)});
    doc.titel = QStringLiteral("Flüsse");
    open(doc);
    QDir(m_dir->path()).mkpath("listen");
    QDir(m_dir->path()).mkpath("protokolle");
    folders().highScoreFolder = m_dir->filePath("listen") + u'/';
    folders().protocolFolder = m_dir->filePath("protokolle") + u'/';
    m_window->menuItem("AutoProtSpeichern1")->setChecked(true);
    m_window->menuItem("ErgebBestListEintragen1")->setChecked(true);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));

    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        if (!m_window->quizEndDialog()->isVisible())
            return;
        watcher.stop();
        m_window->quizEndDialog()->reject();
    });
    watcher.start(20);
    dragTo(tileFor("Elbe"), targetInPanel(0));
    QTRY_COMPARE(m_window->cardMode(), int(TForm1::LearningCard));

    // The result is in the topic's list ...
    const QString list = highScoreFileName(folders(), m_window->document().filePath, false);
    HighScoreList entries;
    QVERIFY(readHighScoreFile(list, entries));
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.at(0).Leistung, 1.0);
    QCOMPARE(entries.at(0).Name, QStringLiteral("(kein Name)"));
    QVERIFY(m_window->quiz().resultEntered);
    // ... and the protocol was saved as RTF.
    const QStringList saved = QDir(folders().protocolFolder).entryList({QStringLiteral("*.rtf")}, QDir::Files);
    QCOMPARE(saved.size(), 1);
    QFile rtf(folders().protocolFolder + saved.first());
    QVERIFY(rtf.open(QIODevice::ReadOnly));
    QVERIFY(rtf.readAll().startsWith("{\\rtf1"));
}

void TestQuizWindow::keyDropJudgedAsPointerDrop()
{
    TopicDocument doc
        = labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)});
    open(doc);
    key(Qt::Key_F7);
    QSignalSpy judged(panel(), &QuizPanel::answerJudged);
    const QuizSession& quiz = m_window->quiz();
    const QList<DocObject>& objects = m_window->document().objects;
    THoverPanel* elbe = tileFor("Elbe");
    QVERIFY(m_window->focusWidget() == elbe); // the first tile of the pile
    const QPoint home = elbe->pos();
    // What an answer shows: its protocol line, the status word during the feedback, the target's state.
    const auto outcome = [&] {
        return QStringList {quiz.protocolDetail.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).last().mid(8),
            m_window->findChild<QuizStatusPanel*>("UebInfoPan")->statusWord(), QString::number(objects[1].coverState)};
    };

    // "Elbe" wrongly onto the place of "Rhein", first with the pointer ...
    dragTo(elbe, targetInPanel(1));
    const QStringList pointer = outcome();
    QVERIFY(waitForFeedback());
    QCOMPARE(pointer.first(),
        QStringLiteral("FALSCH - Beschriftungstext \"Elbe\" wird der Position von \"Rhein\" zugeordnet"));

    // ... then with the keys: pick it up, type the number of "Rhein", put it down.
    key(Qt::Key_Return);
    QCOMPARE(panel()->carriedTile(), elbe);
    QCOMPARE(panel()->chosenTarget(), 0); // the first number comes first
    type(m_window->document().numberText(1));
    QCOMPARE(panel()->chosenTarget(), 1);
    QVERIFY(m_window->findChild<QWidget*>("UebMoveAnker")->isVisible());
    key(Qt::Key_Return);
    QCOMPARE(outcome(), pointer);
    QVERIFY(waitForFeedback());
    // Each drop counted once, alike.
    QCOMPARE(quiz.wrongCount, 2);
    QCOMPARE(objects.at(1).failsAsTarget, 2);
    QCOMPARE(objects.at(0).failsAsText, 2);
    QCOMPARE(judged.size(), 2);
    QCOMPARE(judged.at(1), judged.at(0));
    QCOMPARE(elbe->pos(), home); // glided back as the pointer's tile did
    // The values as a screen reader reads them.
    QCOMPARE(m_window->findChild<QLabel*>("FalschLab")->accessibleName(), QStringLiteral("Falsch: 2"));
    QCOMPARE(m_window->findChild<QLabel*>("RichtigLab")->accessibleName(), QStringLiteral("Richtig: 0 von 3"));

    // Escape puts a carried tile back and judges nothing.
    key(Qt::Key_Return);
    key(Qt::Key_Down);
    key(Qt::Key_Escape);
    QVERIFY(!panel()->carriedTile());
    QCOMPARE(elbe->pos(), home);
    QCOMPARE(quiz.wrongCount, 2);
}

void TestQuizWindow::wholeQuizByKeys_data()
{
    QTest::addColumn<QString>("topic");
    QTest::addColumn<int>("queryMode");
    QTest::addColumn<int>("targetOrder");
    QTest::addColumn<int>("wrong"); // answers given wrongly on purpose
    QTest::newRow("flags: keys 1 to 5") << "euro-flaggen-alle.zep" << 0 << 0 << 1;
    QTest::newRow("labels: numbers typed") << "euro-muenzaufbau.zep" << 0 << 0 << 1;
    QTest::newRow("labels: one text at a time") << "euro-muenzaufbau.zep" << 1 << 1 << 1;
    QTest::newRow("labels: one position at a time, question marks") << "euro-muenzaufbau.zep" << 2 << 2 << 0;
}

// A whole bundled topic played by key presses only, the end dialog closed with Escape.
void TestQuizWindow::wholeQuizByKeys()
{
    QFETCH(QString, topic);
    QFETCH(int, queryMode);
    QFETCH(int, targetOrder);
    QFETCH(int, wrong);
    openBundled(topic);
    m_window->quizOptions().labelling.abfrageModus = queryMode;
    m_window->quizOptions().labelling.zuordnungsziele = targetOrder;
    QString endFigures;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        if (!dialog || !dialog->isVisible())
            return;
        watcher.stop();
        endFigures
            = dialog->findChild<QLabel*>("RichtigLab")->text() + u'/' + dialog->findChild<QLabel*>("FalschLab")->text();
        QTest::keyClick(dialog->focusWidget() ? dialog->focusWidget() : dialog, Qt::Key_Escape);
    });
    watcher.start(20);
    key(Qt::Key_F7);
    const QuizSession& quiz = m_window->quiz();
    const TopicDocument& document = m_window->document();
    const bool single = document.DokTyp == DocType::SingleQuestions;
    const int count = quiz.questionCount;
    QCOMPARE(count, single ? 21 : 10);
    for (int answers = 0; m_window->cardMode() == TForm1::QuizRunning && answers < 40; ++answers) {
        const bool wrongNow = answers < wrong;
        if (single) {
            const QList<THoverPanel*> tiles = panel()->tilesInOrder();
            const int right
                = int(tiles.indexOf(tileFor(normalizeText(document.objects.at(quiz.prompt().targetObject).Cap))));
            QVERIFY(right >= 0 && right < 5);
            if (wrongNow) {
                // Tab to another answer and Enter; keys during the feedback answer nothing.
                while (m_window->focusWidget() != tiles.at((right + 1) % tiles.size()))
                    key(Qt::Key_Tab);
                key(Qt::Key_Return);
                key(Qt::Key_1 + right);
                QVERIFY(waitForFeedback());
                QCOMPARE(quiz.wrongCount, 1);
                QCOMPARE(quiz.correctCount, 0);
                // Once the keyboard was used the tiles show their keys.
                QCOMPARE(panel()->tilesInOrder().first()->keyHint(), QStringLiteral("1"));
                continue;
            }
            key(Qt::Key_1 + right);
            QVERIFY(waitForFeedback());
            continue;
        }
        // The focused tile (one position at a time: Tab to the text that fits the asked place).
        auto* tile = qobject_cast<THoverPanel*>(m_window->focusWidget());
        for (int tabs = 0; queryMode == 2 && tile && tabs < 20
             && tile->caption() != document.objects.at(quiz.prompt().targetObject).Cap;
             ++tabs) {
            key(Qt::Key_Tab);
            tile = qobject_cast<THoverPanel*>(m_window->focusWidget());
        }
        QVERIFY(tile);
        const int text = tile->property("tag").toInt();
        key(Qt::Key_Return);
        QCOMPARE(panel()->carriedTile(), tile);
        // Its place: by number where the covers show one, else with the arrow keys.
        if (targetOrder == 2) {
            for (int steps = 0; panel()->chosenTarget() != text && steps < 20; ++steps)
                key(Qt::Key_Right);
        } else {
            const QList<int> open = quiz.dropCandidates();
            const int place = !wrongNow ? text : open.at(open.first() == text ? 1 : 0);
            type(document.numberText(place));
            QCOMPARE(panel()->chosenTarget(), place);
        }
        key(Qt::Key_Return);
        QVERIFY(waitForFeedback());
    }
    QTRY_VERIFY(!endFigures.isEmpty());
    QCOMPARE(endFigures, QStringLiteral("%1  von  %1/%2").arg(count).arg(wrong));
    QTRY_COMPARE(m_window->cardMode(), int(TForm1::LearningCard));
}

void TestQuizWindow::openBundled(const QString& topic)
{
    folders() = FolderLayout::forProgramFolder(QStringLiteral(TALLOWMERE_BIN_DIR));
    openPath(QStringLiteral(TALLOWMERE_BIN_DIR) + topic);
    folders().protocolFolder = folders().highScoreFolder = m_dir->path() + u'/';
    m_window->menuItem("ErgebBestListEintragen1")->setChecked(false);
}

// One position at a time: once a text is placed, the pile closes up at the bottom edge, as it
// lies at the start.
void TestQuizWindow::positionAtATimeClosesThePile()
{
    // The first place asked (the highest) takes the text that lies at the bottom of the pile.
    open(labelTopic({quizLabel("Zander", 0.3, 0.3), quizLabel("Aal", 0.6, 0.7), quizLabel("Barsch", 0.2, 0.8)}));
    m_window->quizOptions().labelling.abfrageModus = 2;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QCOMPARE(m_window->quiz().prompt().targetObject, 0);
    dragTo(tileFor("Zander"), targetInPanel(0));
    QVERIFY(waitForFeedback());
    QCOMPARE(m_window->quiz().correctCount, 1);
    QList<int> tops;
    for (const QString& caption : {QStringLiteral("Aal"), QStringLiteral("Barsch")})
        tops << tileFor(caption)->y();
    std::sort(tops.begin(), tops.end());
    const int height = tileFor("Aal")->height();
    QCOMPARE(tops.last(), panel()->height() - height);
    QCOMPARE(tops.last() - tops.first(), height + 2);
}

// Cloze text, one gap asked at a time behind question marks: the asked gap is called by its place
// in the text, the same in the list of targets, in the text read out and in the carried tile's
// target, from the first question to the last.
void TestQuizWindow::spokenGapKeepsItsNumber()
{
    openBundled(QStringLiteral("euro-geschichte.zep"));
    m_window->quizOptions().labelling.abfrageModus = 2;
    m_window->quizOptions().labelling.zuordnungsziele = 2;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [this] {
        if (m_window->quizEndDialog()->isVisible())
            m_window->quizEndDialog()->reject();
    });
    watcher.start(20);
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    const TopicDocument& document = m_window->document();
    QList<int> gaps;
    for (int i = 0; i < document.objects.size(); ++i) {
        if (document.objects.at(i).Typ == ObjectKind::ClozeGap)
            gaps << i;
    }
    QVERIFY(gaps.size() > 3);
    int laterGaps = 0;
    for (int answers = 0; m_window->cardMode() == TForm1::QuizRunning && answers < 40; ++answers) {
        const int target = m_window->quiz().prompt().targetObject;
        const int place = int(gaps.indexOf(target)) + 1;
        laterGaps += place > 1 ? 1 : 0;
        const QString name = QStringLiteral("Lücke %1").arg(place);
        const QRegularExpression named(QRegularExpression::escape(name) + QStringLiteral("(?!\\d)"));
        QString spokenTarget;
        QString spokenText;
        for (const QuizPanel::SpokenItem& item : panel()->spokenItems()) {
            if (item.key == QStringLiteral("text"))
                spokenText = item.name;
            else if (item.key == QStringLiteral("Ziel %1").arg(target))
                spokenTarget = item.name;
        }
        QCOMPARE(spokenTarget, name);
        QVERIFY2(spokenText.contains(named), qPrintable(spokenText));
        // Carried there by keys: the tile says where it would go.
        THoverPanel* tile = tileFor(normalizeText(document.objects.at(target).Cap));
        QVERIFY(tile);
        tile->setFocus();
        key(Qt::Key_Return);
        QCOMPARE(panel()->carriedTile(), tile);
        QCOMPARE(tile->accessibleDescription(), QStringLiteral("Ziel: ") + name);
        key(Qt::Key_Return);
        QVERIFY(waitForFeedback());
    }
    QTRY_COMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    QVERIFY(laterGaps > 0);
}

void TestQuizWindow::screenReaderOnTiles_data()
{
    QTest::addColumn<bool>("single");
    QTest::newRow("single questions, answers at random places") << true;
    QTest::newRow("a pile of labels") << false;
}

// A screen reader lists the answer tiles in the order Tab and the keys 1 to 5 reach them, and its
// press on a tile does what Enter on it does: a single question is answered (a second press
// during the feedback answers nothing), a label is picked up; the focus goes to the tile.
void TestQuizWindow::screenReaderOnTiles()
{
    QFETCH(bool, single);
    if (single)
        open(questionsTopic(5));
    else
        open(labelTopic({quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7), quizLabel("Main", 0.2, 0.8)}));
    m_window->quizOptions().questions.zuordnungstexte = 1;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
    QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(panel());
    QVERIFY(pane);
    QList<QObject*> listed;
    for (int i = 0; i < pane->childCount(); ++i) {
        QAccessibleInterface* child = pane->child(i);
        auto* tile = child ? qobject_cast<THoverPanel*>(child->object()) : nullptr;
        if (tile && tile->objectName().startsWith(QStringLiteral("UebElemPan")) && !tile->isHidden())
            listed << tile;
        if (child)
            QCOMPARE(pane->indexOfChild(child), i);
    }
    QList<QObject*> tabOrder;
    for (THoverPanel* tile : panel()->tilesInOrder())
        tabOrder << tile;
    QCOMPARE(listed, tabOrder);

    THoverPanel* tile = tileFor(single ? QStringLiteral("Antwort 1") : QStringLiteral("Elbe"));
    QAccessibleActionInterface* press = QAccessible::queryAccessibleInterface(tile)->actionInterface();
    QVERIFY(press);
    press->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(m_window->focusWidget(), tile);
    if (single) {
        QCOMPARE(m_window->quiz().correctCount, 1);
        QCOMPARE(panel()->state(), QuizPanel::State::Feedback);
        press->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(waitForFeedback());
        QCOMPARE(m_window->quiz().correctCount + m_window->quiz().wrongCount, 1);
    } else {
        QCOMPARE(panel()->carriedTile(), tile);
        QCOMPARE(m_window->quiz().correctCount + m_window->quiz().wrongCount, 0);
    }
}

// A network participant's "Quiz wiederholen" when the exercise's topic cannot be read any more:
// the program says so, and the end dialog comes back over the ended quiz, which is still there
// with its topic; nothing was left or replaced.
void TestQuizWindow::failedRejoinKeepsEndedQuiz()
{
    open(labelTopic({quizLabel("Elbe", 0.3, 0.3)}));
    QVERIFY(useCommFolder(folders().commChannel));
    const QString kom = folders().commFolder;
    const auto exerciseFile = [&](NetFile kind) { return netExerciseFileName(kom, folders().commChannel, kind); };
    {
        QFile topic(exerciseFile(NetFile::Topic));
        QVERIFY(topic.open(QIODevice::WriteOnly));
        TopicDocument doc = questionsTopic(1);
        doc.titel = QStringLiteral("Klassenquiz");
        QVERIFY(writeTopicFile(topic, doc));
        QFile settings(exerciseFile(NetFile::Settings));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        QVERIFY(writeNetSettings(settings, {QStringLiteral("127.0.0.1"), QuizSnapshot {}}));
        QFile release(exerciseFile(NetFile::Release));
        QVERIFY(release.open(QIODevice::WriteOnly));
    }
    QTest::keyClick(m_window.get(), Qt::Key_F8);
    QCOMPARE(m_window->netController()->role(), 1);
    QCOMPARE(m_window->document().titel, QStringLiteral("Klassenquiz"));

    int shown = 0;
    int modeWhenBack = -1;
    QString titleWhenBack;
    QTimer watcher;
    connect(&watcher, &QTimer::timeout, this, [&] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        if (!dialog->isVisible() || dialog->property("seen").toBool())
            return;
        dialog->setProperty("seen", true);
        if (++shown == 1) {
            // The teacher's folder changed under the pupil: the topic is no topic any more.
            QFile topic(exerciseFile(NetFile::Topic));
            QVERIFY(topic.open(QIODevice::WriteOnly));
            topic.write("kein Thema");
            topic.close();
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->setProperty("seen", false);
                dialog->findChild<QAbstractButton*>("WiederholenBtn")->click();
            });
            return;
        }
        modeWhenBack = m_window->cardMode();
        titleWhenBack = m_window->document().titel;
        dialog->findChild<QAbstractButton*>("LernBtn")->click();
    });
    watcher.start(20);
    QTest::mouseClick(tileFor(QStringLiteral("Antwort 1")), Qt::LeftButton, {}, QPoint(10, 10));
    QTRY_COMPARE_WITH_TIMEOUT(shown, 2, 10000);
    QCOMPARE(modeWhenBack, int(TForm1::QuizRunning));
    QCOMPARE(titleWhenBack, QStringLiteral("Klassenquiz"));
    QVERIFY(
        m_messages->texts().contains(QStringLiteral("Eine Wiederholung der Netzwerk-Übung wurde nicht zugelassen.")));
    QTRY_COMPARE(m_window->cardMode(), int(TForm1::LearningCard));
}

// A teacher initiating an exercise in a folder that pupils may write to is told so, once a run;
// the exercise starts all the same.
void TestQuizWindow::initiationWarnsOfWritableFolder()
{
    open(labelTopic({quizLabel("Elbe", 0.3, 0.3)}));
    QVERIFY(useCommFolder(QStringLiteral("QW-WARN")));
    // The options dialog of the initiation is confirmed with "Übung starten".
    QTimer confirm;
    acceptModalDialogs(confirm);
    const auto warnings
        = [this] { return int(m_messages->texts().filter(QStringLiteral("Kommunikationsordner")).size()); };
    const QByteArray folder = QFile::encodeName(folders().commFolder);
    for (const auto& [mode, expected] : {std::pair(0755, 0), std::pair(0777, 1), std::pair(0777, 1)}) {
        QVERIFY(::chmod(folder.constData(), mode_t(mode)) == 0);
        m_window->menuItem("Netzwerkuebunginitiieren1")->trigger();
        QCOMPARE(m_window->netController()->role(), 2);
        QCOMPARE(warnings(), expected);
        QVERIFY(m_window->netController()->endExercise(false));
    }
}

// The teacher's exercise from start to end: refused without a topic; once started, the control
// display opens and the top bar says so; a second F9 is refused; closing the program while a pupil
// works asks; the display's "Übung beenden" ends it; a new initiation asks before it deletes the
// last exercise's results.
void TestQuizWindow::teacherRunsOneExerciseAtATime()
{
    QVERIFY(useCommFolder(QStringLiteral("QW-ONE")));
    openPath(QString());
    m_window->menuItem("Netzwerkuebunginitiieren1")->trigger();
    QCOMPARE(m_window->netController()->role(), 0);
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("Es ist kein Thema geöffnet.")));

    open(labelTopic({quizLabel("Elbe", 0.3, 0.3)}));
    QAction* initiate = m_window->menuItem("Netzwerkuebunginitiieren1");
    QTimer confirm;
    acceptModalDialogs(confirm);
    const QHostAddress teacher(QStringLiteral("127.0.0.2"));
    m_window->netController()->exercise()->setBindAddress(teacher);
    initiate->trigger();
    QCOMPARE(m_window->netController()->role(), 2);
    QVERIFY(m_window->netController()->controlDisplay() && m_window->netController()->controlDisplay()->isVisible());
    auto* status = m_window->findChild<QLabel*>(QStringLiteral("NetStatusLab"));
    QVERIFY(!status->isHidden());
    QCOMPARE(status->text(), QStringLiteral("Netzwerk-Übung läuft\nKanal QW-ONE · 0 Schüler"));

    TALMailSlot2 pupil;
    pupil.setMailBox(folders().commChannel);
    pupil.sendMessage(teacher, initMessage(QString(30, u'P'), QString(), 46000.5));
    QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("Netzwerk-Übung läuft\nKanal QW-ONE · 1 Schüler"), 5000);

    const qsizetype before = m_messages->shown.size();
    initiate->trigger();
    QCOMPARE(m_messages->shown.size(), before + 1);
    QVERIFY(m_messages->texts().last().contains(QStringLiteral("(Kanal \"QW-ONE\")")));
    QCOMPARE(m_window->netController()->role(), 2);

    m_messages->answers = {MessageButton::No};
    QVERIFY(!m_window->close());
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("Ein Schüler arbeitet noch an der Netzwerk-Übung.")));

    auto* end = m_window->netController()->controlDisplay()->findChild<QAbstractButton*>(QStringLiteral("UebungBeendenBtn"));
    m_messages->answers = {MessageButton::Yes};
    end->click();
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("Netzwerk-Übung beenden?")));
    QCOMPARE(m_window->netController()->role(), 0);
    QVERIFY(status->isHidden());
    QVERIFY(!end->isEnabled());

    // The last exercise's list holds a result: a new initiation asks before deleting it.
    const QString list = m_window->netController()->exercise()->fileName(NetFile::HighScores);
    QVERIFY(appendHighScoreEntry(list, localHighScoreEntry("Anna", "PC-1", 46000.5, 60000, 0.5)));
    m_messages->answers = {MessageButton::No};
    initiate->trigger();
    QCOMPARE(m_messages->texts().last(),
        QStringLiteral("Die Bestenliste der letzten Netzwerk-Übung (1 Einträge) wird gelöscht. Fortfahren?"));
    QCOMPARE(m_window->netController()->role(), 0);
    QVERIFY(QFile::exists(list));
    m_messages->answers = {MessageButton::Yes};
    initiate->trigger();
    QCOMPARE(m_window->netController()->role(), 2);
    QVERIFY(!QFile::exists(list));
    QVERIFY(m_window->netController()->endExercise(false));
}

void TestQuizWindow::unsavedResultsAreAskedAboutAtTheEnd_data()
{
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<bool>("ended");
    QTest::addColumn<int>("savedElsewhere");
    QTest::newRow("saved elsewhere") << MessageButton::Yes << true << 1;
    QTest::newRow("let go") << MessageButton::No << true << 0;
    QTest::newRow("not ended") << MessageButton::Cancel << false << 0;
}

// A pupil's result that the class's list could not take waits with a notice in the top bar; ending
// the exercise asks what to do with it.
void TestQuizWindow::unsavedResultsAreAskedAboutAtTheEnd()
{
    QFETCH(MessageButton, answer);
    QFETCH(bool, ended);
    QFETCH(int, savedElsewhere);
    open(labelTopic({quizLabel("Elbe", 0.3, 0.3)}));
    QVERIFY(useCommFolder(QStringLiteral("QW-WAIT")));
    QTimer confirm;
    acceptModalDialogs(confirm);
    const QHostAddress teacher(QStringLiteral("127.0.0.2"));
    m_window->netController()->exercise()->setBindAddress(teacher);
    m_window->menuItem("Netzwerkuebunginitiieren1")->trigger();
    QCOMPARE(m_window->netController()->role(), 2);
    const QString list = m_window->netController()->exercise()->fileName(NetFile::HighScores);
    QVERIFY(QDir().mkdir(list));

    TALMailSlot2 pupil;
    pupil.setMailBox(folders().commChannel);
    const QString id(30, u'W');
    pupil.sendMessage(teacher, initMessage(id, QString(), 46000.5));
    pupil.sendMessage(teacher, finishMessage(id, 1, "01:00"));
    pupil.sendMessage(teacher, bestListMessage(id, QStringLiteral("Wanda"), "PC-3", 46000.5, 60000, 0.5));
    auto* notice = m_window->findChild<QLabel*>(QStringLiteral("NetHinweisLab"));
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isHidden(), 5000);
    QVERIFY2(notice->text().startsWith(QStringLiteral("1 Ergebnis der Netzwerk-Übung ist noch nicht in")),
        qPrintable(notice->text()));

    const QString elsewhere = m_dir->filePath("gerettet.hsc");
    m_dialogs->saveAnswer = elsewhere;
    m_messages->answers = {MessageButton::Yes, answer};
    m_window->menuItem("LehrerNetzwerkUebungbeenden1")->trigger();
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("1 Ergebnis konnte nicht gespeichert werden")));
    QCOMPARE(m_window->netController()->role(), ended ? 0 : 2);
    QCOMPARE(notice->isHidden(), ended);
    HighScoreList saved;
    readHighScoreFile(elsewhere, saved);
    QCOMPARE(saved.size(), savedElsewhere);
    if (savedElsewhere > 0)
        QCOMPARE(saved.first().Name, QStringLiteral("Wanda"));
    if (!ended) {
        m_messages->answers = {MessageButton::No};
        QVERIFY(m_window->netController()->endExercise(false));
    }
    QVERIFY(QDir().rmdir(list));
}

QTEST_MAIN(TestQuizWindow)
#include "tst_quizwindow.moc"
