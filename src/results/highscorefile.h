#pragma once

#include "platform/tick.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;
struct FolderLayout;

// The high-score lists ("Bestenliste", *.hsc): one entry per finished quiz, appended to a file
// that several computers may share in a network folder and that is never rewritten.
//
// Layout, little-endian, with the field encodings of the topic documents (a text is a 32-bit
// byte count and that many Windows-1252 bytes; integers 4 bytes; reals 8-byte doubles):
// the text highScoreMagic, the text highScoreKeyList, then entries up to the end of the file
// without count or terminator. An entry holds, in this order, the fields whose key the file's
// key list contains: Name (text), Rechner (text), Beginn (real), Dauer (integer), Leistung (real).

inline constexpr char highScoreMagic[] = "ZEP-HSC-1.00";
inline constexpr char highScoreKeyList[] = "|HSC-Name|HSC-Rechner|HSC-Beginn|HSC-Dauer|HSC-Leistung|";

// Stored for a participant who gave no name, or only blanks.
inline const QString highScoreNoName = QStringLiteral("(kein Name)");

// Lists larger than this are not read: at about 50 bytes an entry this is over a million
// quizzes, while a list of a few entries per byte could otherwise take gigabytes in memory.
inline constexpr qint64 maxHighScoreFileSize = 64 * 1024 * 1024;
inline constexpr qsizetype maxHighScoreEntries = 2'000'000;

struct HighScoreEntry
{
    QString Name; // participant as entered, or highScoreNoName
    QString Rechner; // computer the quiz ran on
    double Beginn = 0; // local start time, days since 30 December 1899
    double Ende = 0; // computed on reading, never stored: Beginn plus the whole seconds of Dauer
    qint32 Dauer = 0; // elapsed quiz time in milliseconds
    double Leistung = 0; // overall performance, 0.0 to 1.0

    bool operator==(const HighScoreEntry&) const = default;
};

using HighScoreList = QList<HighScoreEntry>;

// Beginn plus the whole seconds of dauerMs (the milliseconds cut off) as a fraction of a day.
double highScoreEnd(double beginn, qint32 dauerMs);

// The entry for a quiz finished on this computer. A name that is empty or holds nothing but
// blanks and control characters becomes highScoreNoName; any other name is kept untrimmed.
// Ende is filled in as a reader would compute it.
HighScoreEntry localHighScoreEntry(
    const QString& participantName, const QString& computer, double startTime, qint32 elapsedMs, double performance);

// The list file: for network false the topic's own list in the high-score folder, named like
// the topic document (documentPath) with the extension ".hsc"; for network true the shared list
// "<channel>-zepnetzuebung.hsc" in the communication folder. The folders end with a separator.
QString highScoreFileName(const FolderLayout& layout, const QString& documentPath, bool network);

// Reads a whole list from device's current position to its end. A last entry cut off by the
// end of the data (a writer that crashed, a disk that filled up) is left out, and so is
// everything from the first damaged field on (a negative text length): the entries before it
// are kept. False, with list empty, for another magic, a cut-off header, a key list naming no
// field while data follows, or more than maxHighScoreFileSize bytes or maxHighScoreEntries entries.
bool readHighScoreList(QIODevice& device, HighScoreList& list);

// Writes magic, the full key list and every entry with all five fields; Ende is not stored.
// False when the device does not take every byte.
bool writeHighScoreList(QIODevice& device, const HighScoreList& list);

// What appending entry makes of a list file that holds existing: keep the first keep bytes, cut
// the rest, then write bytes. A file that is empty or holds only part of the header (a first
// write cut off) gets a new header. A last entry cut off is cut away, so that the new entry
// starts where a reader expects one. The entry takes the fields of the file's own key list.
// possible is false, and the file must stay as it is, when existing is no high-score list (another
// magic), is damaged before its end, has a key list without any field, or is too large to check.
struct HighScoreAppendPlan
{
    bool possible = false;
    qint64 keep = 0;
    QByteArray bytes;
};
HighScoreAppendPlan planHighScoreAppend(const QByteArray& existing, const HighScoreEntry& entry);

// Appends entry to the list file, creating the file with its header when it does not exist.
// The file is held exclusively meanwhile; another program holding it makes this fail at once
// (see retryHighScoreAccess). A write that fails midway (disk full, quota, a network error)
// is taken back by cutting the file to its old length before false is returned; the folder is
// never created. Nothing is reported here.
bool appendHighScoreEntry(const QString& fileName, const HighScoreEntry& entry);

// Replaces list with the entries of the list file (see readHighScoreList). Other readers may
// hold the file at the same time, a writer makes this fail at once. False, with list empty,
// when the file does not exist, is held by a writer, or cannot be read.
bool readHighScoreFile(const QString& fileName, HighScoreList& list);

// Tries attempt up to five times, pausing 100 ms after every failure (the fifth included, so a
// complete failure takes at least half a second) without processing events. True at the first
// success. Stands in for waiting on a file another computer holds.
inline constexpr int highScoreAttempts = 5;
inline constexpr quint32 highScoreRetryPauseMs = 100;
bool retryHighScoreAccess(const std::function<bool()>& attempt, const TickSource& tick = systemTick());

// Orders the list for display: Leistung descending, then Dauer ascending. Entries equal in both
// come in the order a selection sort leaves them in: for each position from the first, the first
// best entry at or after it (the earlier of two equal ones stays best) swaps places with the
// entry there. So two programs showing one file show the same order. An entry whose Leistung is
// not a number is never chosen as better and, where the selection starts on it, stays in place.
void sortHighScoreList(HighScoreList& list);
