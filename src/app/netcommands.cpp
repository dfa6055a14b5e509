// The network exercise in the main window: the teacher's initiation and end, a pupil's joining,
// the reports during the quiz and at its end, and what happens to the exercise when the program
// closes. NetExercise holds the files and the channel; this file holds the dialogs and messages.

#include "mainwindow.h"

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

void TForm1::createNetExercise()
{
    m_net = new NetExercise(this);
    for (TALMailSlot2* slot : {m_net->participantSlot(), m_net->masterSlot()}) {
        connect(slot, &TALMailSlot2::warning, this,
            [](const QString& text) { showMessage(MessageKind::Warning, text, {MessageButton::Ok}); });
    }
    connect(m_quizPanel, &QuizPanel::answerJudged, this, [this](int target) {
        if (m_netRole == NetworkParticipant)
            m_net->sendAction(m_quiz, target);
    });
    connect(m_net, &NetExercise::waitingResultsChanged, this, &TForm1::showWaitingResults);
    connect(m_net->participantTable(), &QAbstractItemModel::rowsInserted, this, &TForm1::showNetStatus);
    connect(m_quizPanel, &QuizPanel::timeLimitExpired, this, [this] {
        if (m_netRole == NetworkParticipant)
            sendFinishMessages();
    });
}

void TForm1::takeNetSettings()
{
    // The folder and the channel may change with the settings; they count from the next
    // initiation or join on.
    if (m_netRole != OwnQuiz)
        return;
    m_net->folder = folders().commFolder;
    m_net->channel = folders().commChannel;
}

void TForm1::initiateNetExercise()
{
    // One exercise at a time: a second initiation would wipe the class's display and list.
    if (m_netRole == NetworkInitiator) {
        showInfo(NetTexts::alreadyRunning.arg(m_net->channel));
        return;
    }
    if (m_netRole == NetworkParticipant) {
        showInfo(NetTexts::participating);
        return;
    }
    if (m_document.filePath.isEmpty()) {
        showInfo(NetTexts::noTopic);
        return;
    }
    if (QuizSession(m_document).questionsOnOffer() == 0) {
        showInfo(QuizTexts::nothingSelected);
        return;
    }
    if (!mayLeaveQuiz())
        return;
    if (m_cardMode == QuizRunning)
        leaveQuiz();
    const bool questions = m_document.DokTyp == DocType::SingleQuestions;
    QuizOptionsDialogBase* dialog = questions ? static_cast<QuizOptionsDialogBase*>(questionOptionsDialog())
                                              : static_cast<QuizOptionsDialogBase*>(labelOptionsDialog());
    if (!dialog)
        return;
    takeNetSettings();
    if (questions)
        m_uebOptFragenForm->setOptions(m_quizOptions);
    else
        m_uebOptForm->setOptions(m_quizOptions);
    dialog->showNetworkInitiation();
    const int result = dialog->exec();
    if (result != QDialog::Accepted)
        return;
    if (questions)
        m_uebOptFragenForm->applyTo(m_quizOptions);
    else
        m_uebOptForm->applyTo(m_quizOptions);

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
    clearHighScoreList();
    QString failedPath;
    const NetExercise::PublishResult published
        = m_net->publish(m_document, takeQuizOptions(), computerName(), &failedPath);
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
    m_netRole = NetworkInitiator;
    updateModeButtons();
    showNetStatus();
    // The teacher watches the class from the start.
    showControlDisplay();
}

void TForm1::endNetExercise()
{
    endNetExercise(true);
}

bool TForm1::endNetExercise(bool confirm)
{
    if (m_netRole != NetworkInitiator) {
        m_net->masterSlot()->setActive(false);
        showInfo(NetTexts::noExercise);
        return false;
    }
    if (confirm && !askYesNo(NetTexts::endQuestion))
        return false;
    if (!settleWaitingResults())
        return false;
    m_netRole = OwnQuiz;
    m_net->withdraw();
    showNetStatus();
    if (m_netControlWindow)
        m_netControlWindow->setExerciseRunning(false);
    // Results held back for their pupil's end report are taken now; what cannot be written
    // still waits, is tried again and is asked about at exit.
    m_net->writeWaitingResults();
    updateModeButtons();
    return true;
}

void TForm1::showControlDisplay()
{
    if (m_netRole != NetworkInitiator) {
        showInfo(NetTexts::noExerciseHere);
        return;
    }
    if (!m_netControlWindow) {
        m_netControlWindow = new NetControlWindow(*m_net->participantTable(), *m_net->questionTable(), this);
        connect(
            m_netControlWindow, &NetControlWindow::highScoreListRequested, this, [this] { showHighScoreList(true); });
        m_netControlWindow->setNotice(m_netNoticeLab->text());
        connect(m_netControlWindow, &NetControlWindow::endRequested, this, qOverload<>(&TForm1::endNetExercise));
    }
    m_netControlWindow->setExerciseRunning(true);
    m_netControlWindow->show();
    m_netControlWindow->raise();
    m_netControlWindow->activateWindow();
}

void TForm1::showNetStatus()
{
    if (m_netRole != NetworkInitiator) {
        m_netStatusLab->hide();
        return;
    }
    const int pupils = m_net->participantTable()->pupilCount();
    m_netStatusLab->setText(
        QStringLiteral("Netzwerk-Übung läuft\nKanal %1 · %2")
            .arg(m_net->channel, pupils == 1 ? QStringLiteral("1 Schüler") : QStringLiteral("%1 Schüler").arg(pupils)));
    m_netStatusLab->setToolTip(QStringLiteral("Kontrollanzeige: Alt+F9"));
    m_netStatusLab->show();
}

bool TForm1::mayEndWhilePupilsWork()
{
    if (m_netRole != NetworkInitiator)
        return true;
    const int running = m_net->participantTable()->runningCount();
    if (running == 0)
        return true;
    return askYesNo(NetTexts::pupilsWorking.arg(
        running == 1 ? QStringLiteral("Ein Schüler arbeitet") : QStringLiteral("%1 Schüler arbeiten").arg(running)));
}

void TForm1::showWaitingResults(int count)
{
    const QString text = count == 0
        ? QString()
        : NetTexts::resultsWaiting.arg(
            count == 1 ? QStringLiteral("1 Ergebnis") : QStringLiteral("%1 Ergebnisse").arg(count),
            count == 1 ? QStringLiteral("ist") : QStringLiteral("sind"),
            QDir::toNativeSeparators(m_net->resultListPath()));
    m_netNoticeLab->setText(text);
    m_netNoticeLab->setToolTip(text);
    m_netNoticeLab->setVisible(count > 0);
    if (m_netControlWindow)
        m_netControlWindow->setNotice(text);
}

bool TForm1::settleWaitingResults()
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
            const QString path = dialogService().saveFileName(this, request);
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

void TForm1::joinNetCommand()
{
    if (m_cardMode == QuizRunning && m_quiz.isRunning()) {
        showInfo(NetTexts::quizRunning);
        return;
    }
    if (m_netRole == NetworkInitiator) {
        showInfo(NetTexts::initiatedHere);
        return;
    }
    takeNetSettings();
    if (!m_net->released()) {
        showInfo(NetTexts::notReleased);
        return;
    }
    // A topic or settings file that cannot be read has said so already.
    joinNetExercise();
}

bool TForm1::joinNetExercise()
{
    if (m_netRole == OwnQuiz)
        takeNetSettings();
    if (!m_net->released())
        return false;
    // Everything the start needs is read and checked before anything on screen changes: a join
    // that cannot go ahead leaves the open topic, and an ended quiz under the end dialog's
    // repeat, as they were.
    const QString topicPath = m_net->fileName(NetFile::Topic);
    TopicDocument topic;
    if (readTopicWithMessages(topicPath, topic, true) != TopicRead::Ok)
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
    if (m_cardMode == QuizRunning)
        leaveQuiz();
    adoptDocument(std::move(topic), topicPath, false);
    m_netStartTime = toOleDate(QDateTime::currentDateTime());
    m_net->enter(*m_netStartTime);
    m_quiz.snapshot = options;
    m_quiz.participantName.clear();
    m_quiz.receivedName.clear();
    return startQuiz(0, 1);
}

void TForm1::sendFinishMessages()
{
    m_net->sendFinish(m_quiz, computerName());
}

void TForm1::finishNetParticipation()
{
    // Closing the program during a participant's quiz reports it as aborted.
    if (m_netRole == NetworkParticipant && m_quiz.isRunning()) {
        m_quiz.markAborted();
        sendFinishMessages();
    }
}

void TForm1::closeMailboxes()
{
    m_net->closeChannels();
}

void TForm1::cleanUpNetFiles()
{
    // Only the machine that published an exercise withdraws it: a pupil closing the program must
    // not end the class's exercise.
    if (m_netRole == NetworkInitiator)
        m_net->deleteExerciseFiles();
}
