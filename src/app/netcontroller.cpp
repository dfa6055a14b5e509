#include "netcontroller.h"

#include "app/authoringcontroller.h"
#include "app/mainwindow.h"
#include "app/quizcontroller.h"
#include "common/folders.h"
#include "document/oledate.h"
#include "network/mailslot.h"
#include "network/netclassmodel.h"
#include "network/netexercise.h"
#include "network/ui/netcontrolwindow.h"
#include "platform/mailslottransport.h"
#include "platform/sharedfile.h"
#include "platform/systeminfo.h"
#include "quiz/ui/labeloptionsdialog.h"
#include "quiz/ui/questionoptionsdialog.h"
#include "quiz/ui/quizpanel.h"
#include "results/highscorefile.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>

namespace NetTexts {
const QString notReleased = QStringLiteral(
    "Auf dem eingestellten Kanal ist zurzeit keine Netzwerk-Übung freigegeben. Bitte warten Sie, bis die "
    "Lehrkraft die Übung initiiert hat, und versuchen Sie es dann erneut.");
const QString quizRunning = QStringLiteral(
    "Um an einer Netzwerk-Übung teilnehmen zu können, muss die aktuelle Übung zunächst beendet werden. Wählen Sie "
    "\"Übung abbrechen\", um die aktuelle Übung vorzeitig abzubrechen.");
const QString initiatedHere = QStringLiteral(
    "Die Netzwerk-Übung wurde auf diesem Rechner initiiert. Die Teilnahme an der Netzwerk-Übung muss an einem "
    "anderen Rechner erfolgen.");
const QString noExercise = QStringLiteral("Es ist keine Netzwerk-Übung aktiv.");
const QString noExerciseHere = QStringLiteral(
    "Auf diesem Rechner wurde keine Netzwerk-Übung initiiert. Die Kontrollanzeige zeigt die Teilnehmer einer "
    "Übung, die mit \"Netzwerk-Übung initiieren...\" (F9) auf diesem Rechner gestartet wurde.");
const QString endQuestion = QStringLiteral(
    "Netzwerk-Übung beenden?\r\nÜbungsteilnehmer können die laufende Übung noch zu Ende bearbeiten, die "
    "Kontrollanzeige wird jedoch nicht mehr aktualisiert.");
const QString folderWritable = QStringLiteral(
    "Andere Benutzer dürfen in den Kommunikationsordner \"%1\" schreiben. Schüler könnten dort die Dateien "
    "der Netzwerk-Übung ersetzen und so die Ergebnisse umleiten oder verfälschen.\r\nBitte sorgen Sie dafür, "
    "dass Schüler in diesem Ordner nur lesen dürfen.");
const QString resultsWaiting = QStringLiteral(
    "%1 der Netzwerk-Übung %2 noch nicht in \"%3\" gespeichert (Datei gesperrt oder nicht beschreibbar). Es wird "
    "laufend erneut versucht.");
const QString resultsUnsaved = QStringLiteral(
    "%1 nicht gespeichert werden: Die Bestenliste \"%2\" lässt sich zurzeit nicht beschreiben.\r\nSollen die "
    "Ergebnisse in einer anderen Datei gespeichert werden? Mit \"Nein\" gehen sie verloren.");
const QString alreadyRunning = QStringLiteral(
    "Auf diesem Rechner läuft bereits eine Netzwerk-Übung (Kanal \"%1\"). Eine neue Übung kann erst initiiert "
    "werden, wenn diese beendet ist: \"Übung beenden\" in der Kontrollanzeige (Alt+F9).");
const QString noTopic
    = QStringLiteral("Es ist kein Thema geöffnet. Öffnen Sie zuerst das Thema, das die Klasse bearbeiten soll; die "
                     "Netzwerk-Übung gibt das geöffnete Thema an alle Teilnehmer weiter.");
const QString participating = QStringLiteral(
    "Dieser Rechner nimmt gerade an einer Netzwerk-Übung teil. Eine eigene Übung kann erst nach dem Ende der "
    "Teilnahme initiiert werden.");
const QString pupilsWorking = QStringLiteral(
    "%1 noch an der Netzwerk-Übung. Wenn das Programm jetzt beendet wird, kommen ihre Ergebnisse nicht mehr in "
    "die Bestenliste.\r\nProgramm trotzdem beenden?");
const QString listDeleted
    = QStringLiteral("Die Bestenliste der letzten Netzwerk-Übung (%1 Einträge) wird gelöscht. Fortfahren?");
} // namespace NetTexts

NetController::NetController(TForm1& window, QuizPanel& quizPanel, QLabel* noticeLabel, QLabel* statusLabel)
    : QObject(&window)
    , m_window(window)
    , m_noticeLabel(noticeLabel)
    , m_statusLabel(statusLabel)
{
    m_net = new NetExercise(this);
    for (TALMailSlot2* slot : {m_net->participantSlot(), m_net->masterSlot()}) {
        connect(slot, &TALMailSlot2::warning, this,
            [](const QString& text) { showMessage(MessageKind::Warning, text, {MessageButton::Ok}); });
    }
    connect(&quizPanel, &QuizPanel::answerJudged, this, [this](int target) {
        if (m_role == NetworkParticipant)
            m_net->sendAction(m_window.quiz(), target);
    });
    connect(m_net, &NetExercise::waitingResultsChanged, this, &NetController::showWaitingResults);
    connect(m_net->participantTable(), &QAbstractItemModel::rowsInserted, this, &NetController::showNetStatus);
    connect(&quizPanel, &QuizPanel::timeLimitExpired, this, [this] {
        if (m_role == NetworkParticipant)
            sendFinishMessages();
    });
}

void NetController::takeNetSettings()
{
    // The folder and the channel may change with the settings; they count from the next
    // initiation or join on.
    if (m_role != OwnQuiz)
        return;
    m_net->folder = folders().commFolder;
    m_net->channel = folders().commChannel;
}

void NetController::initiateExercise()
{
    // An exercise names the topic's objects by their place in the list, which the editor changes.
    if (AuthoringController::refusesWhileEditing(m_window.authoringController()))
        return;
    // One exercise at a time: a second initiation would wipe the class's display and list.
    if (m_role == NetworkInitiator) {
        showInfo(NetTexts::alreadyRunning.arg(m_net->channel));
        return;
    }
    if (m_role == NetworkParticipant) {
        showInfo(NetTexts::participating);
        return;
    }
    if (m_window.document().filePath.isEmpty()) {
        showInfo(NetTexts::noTopic);
        return;
    }
    if (QuizSession(m_window.document()).questionsOnOffer() == 0) {
        showInfo(QuizTexts::nothingSelected);
        return;
    }
    if (!m_window.quizController()->mayLeaveQuiz())
        return;
    if (m_window.cardMode() == TForm1::QuizRunning)
        m_window.quizController()->leaveQuiz();
    const bool questions = m_window.document().DokTyp == DocType::SingleQuestions;
    QuizOptionsDialogBase* dialog = questions ? static_cast<QuizOptionsDialogBase*>(m_window.questionOptionsDialog())
                                              : static_cast<QuizOptionsDialogBase*>(m_window.labelOptionsDialog());
    if (!dialog)
        return;
    takeNetSettings();
    if (questions)
        m_window.questionOptionsDialog()->setOptions(m_window.quizOptions());
    else
        m_window.labelOptionsDialog()->setOptions(m_window.quizOptions());
    dialog->showNetworkInitiation();
    const int result = dialog->exec();
    if (result != QDialog::Accepted)
        return;
    if (questions)
        m_window.questionOptionsDialog()->applyTo(m_window.quizOptions());
    else
        m_window.labelOptionsDialog()->applyTo(m_window.quizOptions());

    // Where pupils can write the folder, they can swap the exercise's files: said once a run.
    if (!m_warnedWritableFolder && othersMayWriteFolder(m_net->folder)) {
        m_warnedWritableFolder = true;
        showInfo(NetTexts::folderWritable.arg(QDir::toNativeSeparators(m_net->folder)));
    }
    // The results of the last exercise go into its list before that is deleted, and a list that
    // holds results is deleted only when the teacher agrees.
    if (!settleWaitingResults())
        return;
    HighScoreList oldList;
    if (readHighScoreFile(m_net->fileName(NetFile::HighScores), oldList) && !oldList.isEmpty()
        && !askYesNo(NetTexts::listDeleted.arg(oldList.size())))
        return;
    m_window.clearHighScoreList();
    QString failedPath;
    const NetExercise::PublishResult published = m_net->publish(
        m_window.document(), m_window.quizController()->takeQuizOptions(), computerName(), &failedPath);
    if (published != NetExercise::PublishResult::Published) {
        showFileUnwritable(failedPath);
        return;
    }
    if (!m_net->openMaster()) {
        m_net->withdraw();
        showError(QStringLiteral("Die Netzwerk-Übung kann nicht initiiert werden: Der Kanal \"%1\" (UDP-Port %2) "
                                 "wird auf diesem Rechner bereits von einem anderen Programm verwendet.")
                      .arg(m_net->channel)
                      .arg(mailslotPort(m_net->channel)));
        return;
    }
    m_role = NetworkInitiator;
    m_window.updateModeButtons();
    showNetStatus();
    // The teacher watches the class from the start.
    showControlDisplay();
}

void NetController::endExercise()
{
    endExercise(true);
}

bool NetController::endExercise(bool confirm)
{
    if (m_role != NetworkInitiator) {
        m_net->masterSlot()->setActive(false);
        showInfo(NetTexts::noExercise);
        return false;
    }
    if (confirm && !askYesNo(NetTexts::endQuestion))
        return false;
    if (!settleWaitingResults())
        return false;
    m_role = OwnQuiz;
    m_net->withdraw();
    showNetStatus();
    if (m_controlWindow)
        m_controlWindow->setExerciseRunning(false);
    // Results held back for their pupil's end report are taken now; what cannot be written
    // still waits, is tried again and is asked about at exit.
    m_net->writeWaitingResults();
    m_window.updateModeButtons();
    return true;
}

void NetController::showControlDisplay()
{
    if (m_role != NetworkInitiator) {
        showInfo(NetTexts::noExerciseHere);
        return;
    }
    if (!m_controlWindow) {
        m_controlWindow = new NetControlWindow(*m_net->participantTable(), *m_net->questionTable(), &m_window);
        connect(m_controlWindow, &NetControlWindow::highScoreListRequested, this,
            [this] { m_window.showHighScoreList(true); });
        m_controlWindow->setNotice(m_noticeLabel->text());
        connect(m_controlWindow, &NetControlWindow::endRequested, this, qOverload<>(&NetController::endExercise));
    }
    m_controlWindow->setExerciseRunning(true);
    m_controlWindow->show();
    m_controlWindow->raise();
    m_controlWindow->activateWindow();
}

void NetController::showNetStatus()
{
    if (m_role != NetworkInitiator) {
        m_statusLabel->hide();
        return;
    }
    const int pupils = m_net->participantTable()->pupilCount();
    m_statusLabel->setText(
        QStringLiteral("Netzwerk-Übung läuft\nKanal %1 · %2")
            .arg(m_net->channel, pupils == 1 ? QStringLiteral("1 Schüler") : QStringLiteral("%1 Schüler").arg(pupils)));
    m_statusLabel->setToolTip(QStringLiteral("Kontrollanzeige: Alt+F9"));
    m_statusLabel->show();
}

bool NetController::mayEndWhilePupilsWork()
{
    if (m_role != NetworkInitiator)
        return true;
    const int running = m_net->participantTable()->runningCount();
    if (running == 0)
        return true;
    return askYesNo(NetTexts::pupilsWorking.arg(
        running == 1 ? QStringLiteral("Ein Schüler arbeitet") : QStringLiteral("%1 Schüler arbeiten").arg(running)));
}

void NetController::showWaitingResults(int count)
{
    const QString text = count == 0
        ? QString()
        : NetTexts::resultsWaiting.arg(
            count == 1 ? QStringLiteral("1 Ergebnis") : QStringLiteral("%1 Ergebnisse").arg(count),
            count == 1 ? QStringLiteral("ist") : QStringLiteral("sind"),
            QDir::toNativeSeparators(m_net->resultListPath()));
    m_noticeLabel->setText(text);
    m_noticeLabel->setToolTip(text);
    m_noticeLabel->setVisible(count > 0);
    if (m_controlWindow)
        m_controlWindow->setNotice(text);
}

bool NetController::settleWaitingResults()
{
    m_net->takeHeldResults();
    while (!m_net->writeWaitingResults()) {
        const qsizetype count = m_net->waitingResults().size();
        const QString text = NetTexts::resultsUnsaved.arg(
            count == 1 ? QStringLiteral("1 Ergebnis konnte") : QStringLiteral("%1 Ergebnisse konnten").arg(count),
            QDir::toNativeSeparators(m_net->resultListPath()));
        switch (askYesNoCancel(text)) {
        case MessageButton::Yes: {
            FileDialogRequest request;
            request.title = QStringLiteral("Ergebnisse speichern unter");
            request.fileName = QStringLiteral("ergebnisse.hsc");
            request.defaultSuffix = QStringLiteral("hsc");
            request.filter = QStringLiteral("Bestenliste (*.hsc)|*.hsc|Alle Dateien (*.*)|*.*");
            const QString path = dialogService().saveFileName(&m_window, request);
            if (path.isEmpty())
                break;
            // Appended in order; what one append could not take stays for the next question.
            QList<HighScoreEntry> waiting = m_net->takeWaitingResults();
            while (!waiting.isEmpty() && appendHighScoreEntry(path, waiting.first()))
                waiting.removeFirst();
            if (waiting.isEmpty())
                return true;
            showFileUnwritable(path);
            m_net->keepWaitingResults(waiting);
            break;
        }
        case MessageButton::No:
            m_net->takeWaitingResults();
            return true;
        default:
            return false;
        }
    }
    return true;
}

void NetController::joinCommand()
{
    // An exercise names the topic's objects by their place in the list, which the editor changes.
    if (AuthoringController::refusesWhileEditing(m_window.authoringController()))
        return;
    if (m_window.cardMode() == TForm1::QuizRunning && m_window.quiz().isRunning()) {
        showInfo(NetTexts::quizRunning);
        return;
    }
    if (m_role == NetworkInitiator) {
        showInfo(NetTexts::initiatedHere);
        return;
    }
    takeNetSettings();
    if (!m_net->released()) {
        showInfo(NetTexts::notReleased);
        return;
    }
    // A topic or settings file that cannot be read has said so already.
    joinExercise();
}

bool NetController::joinExercise()
{
    if (m_role == OwnQuiz)
        takeNetSettings();
    if (!m_net->released())
        return false;
    // Everything the start needs is read and checked before anything on screen changes: a join
    // that cannot go ahead leaves the open topic, and an ended quiz under the end dialog's
    // repeat, as they were.
    const QString topicPath = m_net->fileName(NetFile::Topic);
    TopicDocument topic;
    if (m_window.readTopicWithMessages(topicPath, topic, true) != TForm1::TopicRead::Ok)
        return false;
    QuizSnapshot options;
    if (!m_net->readSettings(options)) {
        showError(QStringLiteral("Fehler beim Einlesen der Datei \"%1\"").arg(m_net->fileName(NetFile::Settings)));
        return false;
    }
    if (QuizSession(topic).questionsOnOffer() == 0) {
        showInfo(QuizTexts::nothingSelected);
        return false;
    }
    // A topic changed in the editor is not given up unasked.
    if (!m_window.confirmLeaveDocument())
        return false;
    if (m_window.cardMode() == TForm1::QuizRunning)
        m_window.quizController()->leaveQuiz();
    m_window.adoptDocument(std::move(topic), topicPath, false);
    m_startTime = toOleDate(QDateTime::currentDateTime());
    m_net->enter(*m_startTime);
    m_window.quiz().snapshot = options;
    m_window.quiz().participantName.clear();
    m_window.quiz().receivedName.clear();
    return m_window.quizController()->startQuiz(0, 1);
}

void NetController::sendFinishMessages()
{
    m_net->sendFinish(m_window.quiz(), computerName());
}

void NetController::closeForExit()
{
    // Closing the program during a participant's quiz reports it as aborted.
    if (m_role == NetworkParticipant && m_window.quiz().isRunning()) {
        m_window.quiz().markAborted();
        sendFinishMessages();
    }
    m_net->closeChannels();
    // Only the machine that published an exercise withdraws it: a pupil closing the program must
    // not end the class's exercise.
    if (m_role == NetworkInitiator)
        m_net->deleteExerciseFiles();
}

void NetController::setParticipantListening(bool listening)
{
    m_net->participantSlot()->setActive(listening);
}
