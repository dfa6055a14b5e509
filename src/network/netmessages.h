#pragma once

#include "platform/tick.h"
#include "results/highscorefile.h"

#include <QHash>
#include <QHostAddress>
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
    QHostAddress address; // the TN-INIT's sender; null where the channel does not say
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
    // Marks for the teacher: they never drop what was reported.
    QHostAddress changedAddress; // a later message came from this other address
    bool resultMismatch = false; // the result disagrees with the reported progress
    bool resultNotListed = false; // beyond its address's results: shown, not in the class's list
    // A result that came before the participant's TN-FERTIG, waiting for it (or for time).
    std::optional<HighScoreEntry> heldResult;
    quint32 heldSince = 0;

    // Unfinished: neither its TN-FERTIG nor its result came yet.
    bool unfinished() const { return !finished && !resultEntered; }
};

// The teacher's notes on a participant's row, empty for one without marks.
QStringList netParticipantNotes(const NetParticipant& participant);

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

// The master's reading of incoming messages, which anyone on the network can send. Only
// participants announced by a TN-INIT are accepted, once each (a second TN-INIT is dropped, not a
// rename), at most maxUnfinishedPerSender unfinished ones per sending address (a pupil's repeat
// draws its new identifier after the old one finished, so a class never meets the cap, while a
// flooder fills only its own quota), and only messages whose every number lies in range; the rest
// is dropped and counted as refused for its sender. Progress reported after a participant's
// TN-FERTIG is not taken.
//
// Each participant's result is taken once, after its TN-FERTIG: a result that comes first is
// held until the TN-FERTIG, or resultHoldMs, since datagrams may overtake each other. A result
// that disagrees with the reported progress is taken and marked; one sending address enters at
// most maxResultsPerSender results into the class's list, further ones are shown and marked.
// Where the channel gives no sender's address (null), neither quota applies.
class NetMessageReader
{
public:
    static constexpr int maxUnfinishedPerSender = 4;
    static constexpr int maxResultsPerSender = 10;
    static constexpr quint32 resultHoldMs = 3000;
    // Senders whose refusals are counted apart; the rest are counted under the null address.
    static constexpr qsizetype maxRefusingSenders = 256;

    // The published document's object count bounds TN-AKTION's target.
    explicit NetMessageReader(int objectCount = 0, const TickSource& tick = systemTick())
        : m_objectCount(objectCount)
        , m_tick(&tick)
    { }

    enum class Kind { Dropped, Joined, Action, Finished, Held, Result };
    struct Outcome
    {
        Kind kind = Kind::Dropped;
        QString participantId;
        std::optional<NetAction> action;
        std::optional<HighScoreEntry> result; // for Result: the participant's entry
        bool listed = false; // for Result: the entry goes into the class's list
    };

    Outcome read(const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text);
    // Results held for their TN-FERTIG for heldMs or longer, taken now.
    QList<Outcome> takeOverdueResults(quint32 heldMs = resultHoldMs);
    bool holdsResults() const { return !m_held.isEmpty(); }
    // Datagrams the channel refused before they were read, counted with the reader's own.
    void countRefused(const QHostAddress& sender, int count);

    const QHash<QString, NetParticipant>& participants() const { return m_participants; }
    const QHash<QHostAddress, int>& refusals() const { return m_refusals; }

private:
    Outcome refuse(const QHostAddress& sender);
    Outcome take(NetParticipant& participant, const HighScoreEntry& entry);
    static void noteSender(NetParticipant& participant, const QHostAddress& sender);
    // A participant that was unfinished and is no longer gives up its address's place.
    void releasePlace(const NetParticipant& participant, bool wasUnfinished);

    int m_objectCount;
    const TickSource* m_tick;
    QHash<QString, NetParticipant> m_participants;
    QHash<QHostAddress, int> m_unfinished; // per sending address
    QHash<QHostAddress, int> m_listed; // results entered into the list, per sending address
    QHash<QHostAddress, int> m_refusals;
    QList<QString> m_held; // participants holding a result, oldest first
};
