#include "network/netmessages.h"

#include "document/oledate.h"
#include "document/topicdocument.h"

#include <QScopeGuard>

#include <cmath>
#include <limits>

namespace {

bool inRange(int value, int first, int last)
{
    return value >= first && value <= last;
}

std::optional<int> parseInt(const QString& text, int first, int last)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || !inRange(value, first, last))
        return std::nullopt;
    return value;
}

} // namespace

QString netTimeText(double oleDate)
{
    const QDateTime time = fromOleDate(oleDate);
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QString netRealText(double value)
{
    // 'g' with 15 digits gives the shortest text that reads back as the day and time to the
    // millisecond, and QString::number never uses the locale's comma.
    return QString::number(value, 'g', 15);
}

std::optional<double> parseNetReal(const QString& text)
{
    QString normal = text.trimmed();
    normal.replace(u',', u'.');
    bool ok = false;
    const double value = normal.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QStringList initMessage(const QString& participantId, const QString& name, double startTime)
{
    return {NetMessages::init, participantId, name, netTimeText(startTime)};
}

QStringList finishMessage(const QString& participantId, int endStatus, const QString& clockText)
{
    return {NetMessages::finish, participantId, QString::number(endStatus), clockText};
}

QStringList bestListMessage(const QString& participantId, const QString& name, const QString& computer,
    double startTime, qint32 elapsedMs, double performance)
{
    return {NetMessages::bestList, participantId, name, computer, netRealText(startTime), QString::number(elapsedMs),
        netRealText(performance)};
}

QStringList netParticipantNotes(const NetParticipant& participant)
{
    QStringList notes;
    if (participant.resultMismatch)
        notes.append(QStringLiteral("Ergebnis passt nicht zum Verlauf"));
    if (participant.resultNotListed)
        notes.append(QStringLiteral("nicht in der Bestenliste: mehr als %1 Ergebnisse von dieser Adresse")
                         .arg(NetMessageReader::maxResultsPerSender));
    if (!participant.changedAddress.isNull())
        notes.append(QStringLiteral("Meldung von anderer Adresse: %1").arg(participant.changedAddress.toString()));
    return notes;
}

NetMessageReader::Outcome NetMessageReader::refuse(const QHostAddress& sender)
{
    countRefused(sender, 1);
    return {};
}

void NetMessageReader::countRefused(const QHostAddress& sender, int count)
{
    // Forged senders must not make the table grow without end.
    if (m_refusals.size() < maxRefusingSenders || m_refusals.contains(sender))
        m_refusals[sender] += count;
    else
        m_refusals[QHostAddress()] += count;
}

NetMessageReader::Outcome NetMessageReader::read(
    const QHostAddress& sender, const QString& rawComputer, const QString& rawUserName, const QString& text)
{
    Outcome outcome;
    // A real message is well under a kilobyte: anything far larger is not split and looked at.
    if (text.size() > maxNetMessageLength)
        return refuse(sender);
    // Names are kept, shown and entered in the class list cut to a length a table can show.
    const QString computer = rawComputer.left(maxNetNameLength);
    const QString userName = rawUserName.left(maxNetNameLength);
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.size() < 2 || lines.at(1).size() != 30)
        return refuse(sender);
    const QString& name = lines.at(0);
    const QString id = lines.at(1);
    outcome.participantId = id;

    if (name == NetMessages::init && lines.size() == 4) {
        // A participant announces itself once; a second TN-INIT would rename it. One address
        // holds only a few unfinished participants, so that a flood of new ones stays its own.
        if (m_participants.contains(id) || (!sender.isNull() && m_unfinished.value(sender) >= maxUnfinishedPerSender))
            return refuse(sender);
        ++m_unfinished[sender];
        NetParticipant& participant = m_participants[id];
        participant.id = id;
        participant.address = sender;
        participant.name = lines.at(2).isEmpty() ? userName : lines.at(2).left(maxNetNameLength);
        participant.computer = computer;
        participant.userName = userName;
        participant.startText = lines.at(3).left(16);
        outcome.kind = Kind::Joined;
        return outcome;
    }
    const auto known = m_participants.find(id);
    if (known == m_participants.end())
        return refuse(sender);
    NetParticipant& participant = known.value();
    const bool wasUnfinished = participant.unfinished();
    // Whatever else: a participant's place among its address's unfinished ones is given up once.
    const auto settle = qScopeGuard([this, &participant, wasUnfinished] { releasePlace(participant, wasUnfinished); });

    if (name == NetMessages::action && lines.size() == 15) {
        const auto target = parseInt(lines.at(2), -1, m_objectCount - 1);
        const auto coverState = parseInt(lines.at(3), CoverState::Closed, CoverState::Uncovered);
        const auto wrongAssignments = parseInt(lines.at(4), 0, 1'000'000);
        const auto status = parseInt(lines.at(5), 0, 3);
        const auto count = parseInt(lines.at(7), 0, 1'000'000);
        const auto correct = parseInt(lines.at(8), 0, 1'000'000);
        const auto wrong = parseInt(lines.at(9), 0, 1'000'000);
        const auto open = parseInt(lines.at(10), 0, 1'000'000);
        const auto rate = parseNetReal(lines.at(12));
        const auto score = parseNetReal(lines.at(13));
        const auto grade = parseInt(lines.at(14), 1, 6);
        // Rates are percentages, checked as the reals they are (a conversion to int first would
        // take -0.99 and 100.99, and is undefined for huge values); more open questions than
        // questions would make the answered ones negative.
        const auto percent = [](std::optional<double> value) { return value && *value >= 0 && *value <= 100; };
        if (!target || !coverState || !wrongAssignments || !status || !count || !correct || !wrong || !open
            || *open > *count || !percent(rate) || !percent(score) || !grade)
            return refuse(sender);
        noteSender(participant, sender);
        // A report older than one already taken (datagrams may overtake each other), or one that
        // comes after the participant said it has finished: the past stays as it was reported.
        if (*correct + *wrong < participant.correct + participant.wrong || participant.finished)
            return outcome;
        participant.endStatus = *status;
        participant.questionCount = *count;
        participant.correct = *correct;
        participant.wrong = *wrong;
        participant.open = *open;
        participant.clockText = lines.at(11).left(16);
        participant.successRate = *rate;
        participant.overallScore = *score;
        participant.grade = *grade;
        outcome.kind = Kind::Action;
        outcome.action = NetAction {id, *target, *coverState, *wrongAssignments};
        return outcome;
    }
    if (name == NetMessages::finish && lines.size() == 4) {
        const auto status = parseInt(lines.at(2), 0, 3);
        if (!status)
            return refuse(sender);
        noteSender(participant, sender);
        participant.endStatus = *status;
        participant.clockText = lines.at(3).left(16);
        participant.finished = true;
        if (participant.heldResult) {
            m_held.removeOne(id);
            return take(participant, *std::exchange(participant.heldResult, std::nullopt));
        }
        outcome.kind = Kind::Finished;
        return outcome;
    }
    if (name == NetMessages::bestList && lines.size() == 7) {
        const auto start = parseNetReal(lines.at(4));
        const auto elapsed = parseInt(lines.at(5), 0, std::numeric_limits<qint32>::max());
        const auto performance = parseNetReal(lines.at(6));
        if (!start || !fromOleDate(*start).isValid() || !elapsed || !performance || *performance < 0
            || *performance > 1)
            return refuse(sender);
        noteSender(participant, sender);
        if (participant.resultEntered || participant.heldResult) {
            outcome.kind = Kind::Finished; // the second report of a time-out: already in the list
            return outcome;
        }
        const QString entryName = lines.at(2).isEmpty() ? userName : lines.at(2).left(maxNetNameLength);
        const QString entryComputer = lines.at(3).isEmpty() ? computer : lines.at(3).left(maxNetNameLength);
        const HighScoreEntry entry = localHighScoreEntry(entryName, entryComputer, *start, *elapsed, *performance);
        if (!participant.finished) {
            participant.heldResult = entry;
            participant.heldSince = m_tick->now();
            m_held.append(id);
            outcome.kind = Kind::Held;
            return outcome;
        }
        return take(participant, entry);
    }
    return refuse(sender);
}

void NetMessageReader::releasePlace(const NetParticipant& participant, bool wasUnfinished)
{
    if (wasUnfinished && !participant.unfinished())
        --m_unfinished[participant.address];
}

void NetMessageReader::noteSender(NetParticipant& participant, const QHostAddress& sender)
{
    // A pupil's machine may change its address during a quiz: kept, and shown.
    if (!sender.isNull() && !participant.address.isNull() && sender != participant.address)
        participant.changedAddress = sender;
}

NetMessageReader::Outcome NetMessageReader::take(NetParticipant& participant, const HighScoreEntry& entry)
{
    participant.resultEntered = true;
    // The last TN-AKTION reported the overall performance to a tenth of a percent; the one
    // before the result may have been lost, which moves it by at most one question's share.
    const double reported = participant.overallScore / 100;
    const double slack = 0.0006 + (participant.questionCount > 0 ? 1.0 / participant.questionCount : 0.0);
    participant.resultMismatch
        = std::abs(entry.Leistung - reported) > slack || netTimeText(entry.Beginn) != participant.startText;
    // Without a sender's address (a channel that gives none) there is no quota to keep.
    const int listed = participant.address.isNull() ? 0 : ++m_listed[participant.address];
    participant.resultNotListed = listed > maxResultsPerSender;
    Outcome outcome;
    outcome.kind = Kind::Result;
    outcome.participantId = participant.id;
    outcome.result = entry;
    outcome.listed = !participant.resultNotListed;
    return outcome;
}

QList<NetMessageReader::Outcome> NetMessageReader::takeOverdueResults(quint32 heldMs)
{
    QList<Outcome> taken;
    const quint32 now = m_tick->now();
    while (!m_held.isEmpty()) {
        NetParticipant& participant = m_participants[m_held.first()];
        if (ticksSince(participant.heldSince, now) < heldMs)
            break;
        m_held.removeFirst();
        const bool wasUnfinished = participant.unfinished();
        taken.append(take(participant, *std::exchange(participant.heldResult, std::nullopt)));
        releasePlace(participant, wasUnfinished);
    }
    return taken;
}
