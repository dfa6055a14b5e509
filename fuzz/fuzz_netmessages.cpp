// Fuzz target of the initiator's reading of the class's messages, the parser that faces the
// network. The input is a sequence of messages, each ended by a zero byte; a message's first
// byte picks which of four machines sent it, the rest is its text. The reader keeps what it
// learnt of every participant from one message to the next, so a sequence reaches the states a
// real exercise goes through (joined, reporting, finished, result taken). Whatever arrives, the
// reader must not fail, and what it keeps must stay within what a quiz can have.

#include "network/netmessages.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what, const QByteArray& input)
{
    if (condition)
        return;
    std::fprintf(stderr, "message reader invariant broken: %s\ninput: %s\n", what, input.toHex().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    NetMessageReader reader(20);
    QSet<QString> results;
    QHash<QHostAddress, int> listed;
    // The last message's outcome is checked as it comes; so are the held results taken at the end.
    const auto checkResult = [&](const NetMessageReader::Outcome& outcome) {
        check(outcome.result.has_value(), "a result without its entry", input);
        check(!results.contains(outcome.participantId), "a participant's result was taken twice", input);
        results.insert(outcome.participantId);
        const QHostAddress address = reader.participants().value(outcome.participantId).address;
        if (outcome.listed && !address.isNull())
            check(++listed[address] <= NetMessageReader::maxResultsPerSender,
                "one address entered more results than its quota", input);
    };
    for (const QByteArray& chunk : input.split('\0')) {
        if (chunk.isEmpty())
            continue;
        const int sender = static_cast<unsigned char>(chunk.at(0)) % 4;
        // The fourth sender comes without an address, as a channel that gives none delivers.
        const QHostAddress address = sender == 3 ? QHostAddress() : QHostAddress(quint32(0x7f000001 + sender));
        const QString computer = QStringLiteral("PC%1").arg(sender);
        const QString user = QStringLiteral("schueler%1").arg(sender);
        // Every byte is a character, as Windows-1252 text decodes to one each.
        const QString text = QString::fromLatin1(chunk.mid(1));
        const NetMessageReader::Outcome outcome = reader.read(address, computer, user, text);
        using Kind = NetMessageReader::Kind;
        if (text.size() > maxNetMessageLength)
            check(outcome.kind == Kind::Dropped, "a message beyond the length limit was read", input);
        if (outcome.kind != Kind::Dropped)
            check(
                reader.participants().contains(outcome.participantId), "an outcome for an unknown participant", input);
        if (outcome.kind == Kind::Result) {
            checkResult(outcome);
            check(outcome.result->Name.size() <= maxNetNameLength && outcome.result->Rechner.size() <= maxNetNameLength,
                "a result's name is longer than the limit", input);
            check(outcome.result->Leistung >= 0 && outcome.result->Leistung <= 1, "a performance beyond 0..1", input);
        }
        if (outcome.kind == Kind::Action)
            check(outcome.action && outcome.action->target >= -1 && outcome.action->target < 20,
                "an answer on a target the document does not have", input);
    }
    for (const NetMessageReader::Outcome& outcome : reader.takeOverdueResults(0))
        checkResult(outcome);
    check(!reader.holdsResults(), "a held result was left behind", input);
    QHash<QHostAddress, int> unfinished;
    for (const NetParticipant& p : reader.participants()) {
        if (p.unfinished() && !p.address.isNull())
            check(++unfinished[p.address] <= NetMessageReader::maxUnfinishedPerSender,
                "one address holds more unfinished participants than its quota", input);
        check(p.name.size() <= maxNetNameLength && p.computer.size() <= maxNetNameLength
                && p.userName.size() <= maxNetNameLength,
            "a name is longer than the limit", input);
        check(p.open >= 0 && p.open <= p.questionCount && p.correct >= 0 && p.wrong >= 0, "counts no quiz can have",
            input);
        check(p.successRate >= 0 && p.successRate <= 100 && p.overallScore >= 0 && p.overallScore <= 100,
            "a rate beyond 0..100", input);
        check(p.grade >= 0 && p.grade <= 6 && p.endStatus >= 0 && p.endStatus <= 3, "a grade or status out of range",
            input);
    }
    return 0;
}
