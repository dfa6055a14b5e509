#pragma once

#include "results/highscorefile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The messages of the network exercise, and the initiator's reading of them. What arrives may
// come from any machine on the network, written by anyone: every field is checked before use.

// The four messages; the payload's first line is the message's name.
namespace NetMessages {
inline const QString init = QStringLiteral("TN-INIT");
inline const QString action = QStringLiteral("TN-AKTION");
inline const QString finish = QStringLiteral("TN-FERTIG");
inline const QString bestList = QStringLiteral("TN-BESTLIST");
} // namespace NetMessages

// The start time as the long time format shows it: "14:05:09".
QString netTimeText(double oleDate);
// A real in the shortest general notation, with a decimal point whatever the locale.
QString netRealText(double value);
// A real written with a point or a comma; nullopt for anything else.
std::optional<double> parseNetReal(const QString& text);

QStringList initMessage(const QString& participantId, const QString& name, double startTime);
QStringList finishMessage(const QString& participantId, int endStatus, const QString& clockText);
QStringList bestListMessage(const QString& participantId, const QString& name, const QString& computer,
    double startTime, qint32 elapsedMs, double performance);

// What the master knows of one participant, from its messages.
struct NetParticipant
{
    QString id;
    QString name; // as sent; the sender's user name when that is empty
    QString computer; // from the datagram header
    QString userName;
    QString startText; // "14:05:09"
    int endStatus = 0;
    int questionCount = 0;
    int correct = 0;
    int wrong = 0;
    int open = 0;
    QString clockText;
    double successRate = 0; // percent
    double overallScore = 0; // percent
    int grade = 0;
    bool resultEntered = false;
    bool finished = false; // its TN-FERTIG came: later progress reports are not taken
};

// One judged answer as TN-AKTION reports it.
struct NetAction
{
    QString participantId;
    int target = -1;
    int coverState = 0;
    int wrongAssignments = 0;
};

// A message text longer than this is dropped unread (a real one is under 1 KB); the names a
// message carries (participant, computer, user) are cut to maxNetNameLength.
inline constexpr qsizetype maxNetMessageLength = 4096;
inline constexpr qsizetype maxNetNameLength = 64;

// The master's reading of incoming messages. Only participants announced by a TN-INIT are
// accepted, once each (a second TN-INIT is dropped, not a rename), and only messages whose every
// number lies in range; the rest is dropped. Progress reported after a participant's TN-FERTIG
// is not taken. Each participant's result is taken once: a join draws a new identifier, so one
// result per identifier is one per participant and quiz start.
class NetMessageReader
{
public:
    // The published document's object count bounds TN-AKTION's target.
    explicit NetMessageReader(int objectCount = 0)
        : m_objectCount(objectCount)
    { }

    enum class Kind { Dropped, Joined, Action, Finished, Result };
    struct Outcome
    {
        Kind kind = Kind::Dropped;
        QString participantId;
        std::optional<NetAction> action;
        std::optional<HighScoreEntry> result; // for Result: the entry for the class's list
    };

    Outcome read(const QString& computer, const QString& userName, const QString& text);

    const QHash<QString, NetParticipant>& participants() const { return m_participants; }

private:
    int m_objectCount;
    QHash<QString, NetParticipant> m_participants;
};
