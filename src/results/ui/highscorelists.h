#pragma once

#include "results/highscorefile.h"

#include <QString>

class QuizSession;
class TBestListForm;
class TopicDocument;

// The high-score list commands with their retries and messages. The list itself (highScoreList)
// belongs to the main window, which passes it in.

namespace HighScoreTexts {
inline const QString noEntriesNetwork
    = QStringLiteral("Die Bestenliste zur aktuellen Netzwerk-Übung enthält noch keine Einträge.");
inline const QString noEntriesIndividual
    = QStringLiteral("Zu diesem Quiz gibt es bisher keine Einträge in der Bestenliste. Überprüfen Sie ggf. die "
                     "Einstellungen im Menü \"Optionen\", um die Bestenliste zu nutzen.");
inline const QString readHintNetwork
    = QStringLiteral("Möglicherweise existiert die Datei noch nicht, weil noch kein Teilnehmer das Quiz beendet hat.");
inline const QString readHintIndividual
    = QStringLiteral("Überprüfen Sie die Einstellungen im Menü \"Optionen\", um die Bestenliste zu nutzen. "
                     "Möglicherweise existiert die Datei noch nicht, weil noch niemand das Quiz durchgeführt hat.");
inline const QString writeHintIndividual
    = QStringLiteral("Die Bestenliste konnte nicht gespeichert werden. Überprüfen Sie die Einstellungen unter "
                     "\"Optionen | Ordner für Protokolle und Bestenlisten\".");
// The refusal of "&Bestenliste..." for a network participant (netRole 1).
inline const QString notDuringNetExercise
    = QStringLiteral("Während der Netzwerk-Übung ist die Bestenliste der Individual-Übung nicht einsehbar.");
inline const QString captionPrefix = QStringLiteral("Bestenliste - ");
} // namespace HighScoreTexts

// Reads the list file into list (emptied first), with up to five attempts while another
// computer writes it. A missing file gives the information message "no entries yet" of the
// network or the individual list; a file that stays unreadable, the read error with its hint.
// Returns whether the list was read. Shows the wait cursor meanwhile.
bool loadHighScoreList(HighScoreList& list, const QString& fileName, bool network);

// Appends entry to the list file, with up to five attempts while another computer holds it.
// After the last failure the write error, for the individual list with the hint to check the
// folder settings. Returns whether the entry is in the file. Shows the wait cursor meanwhile.
// The network exercise calls this with its entry and highScoreFileName(folders(), {}, true).
bool saveHighScoreResult(const HighScoreEntry& entry, const QString& fileName, bool network);

// The result of the quiz session just finished (participant, this computer's name, start,
// elapsed time, overall score) into the individual list of the session's topic in
// folders().highScoreFolder. A result that may not enter the list (a partial repeat, a network
// quiz) is refused: false, nothing written, nothing shown.
bool saveHighScoreResult(const QuizSession& session);

// "&Bestenliste...", "Besten&liste Netzwerk-Übung..." and the end dialog's button: reads and
// sorts the list into list, then shows form modally with the caption "Bestenliste - " and the
// topic's title. For the individual list without an open topic (document.filePath empty) only
// the message asking to choose a quiz. A missing or unreadable file shows an empty list after
// its message.
void showHighScoreList(TBestListForm& form, HighScoreList& list, const TopicDocument& document, bool network);
