// Fuzz target of the high-score list format. The input is a list file as other computers, older
// versions, a crash or a damaged disk may leave it. What the reader makes of it must come back
// unchanged from a write and a second read; an append planned on it must give a file that reads
// as the old entries plus the new one; and the display order must be the one the selection sort
// gives, whatever values the entries hold.

#include "results/highscorefile.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "high-score list invariant broken: %s\n", what);
    std::abort();
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameEntry(const HighScoreEntry& a, const HighScoreEntry& b)
{
    return a.Name == b.Name && a.Rechner == b.Rechner && sameBits(a.Beginn, b.Beginn) && sameBits(a.Ende, b.Ende)
        && a.Dauer == b.Dauer && sameBits(a.Leistung, b.Leistung);
}

bool sameList(const HighScoreList& a, const HighScoreList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameEntry(a[i], b[i]))
            return false;
    }
    return true;
}

bool parse(const QByteArray& bytes, HighScoreList& list)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readHighScoreList(buffer, list);
}

QByteArray write(const HighScoreList& list)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writeHighScoreList(buffer, list))
        fail("a list could not be written to memory");
    return buffer.data();
}

void selectionSort(HighScoreList& list)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        qsizetype best = i;
        for (qsizetype j = i + 1; j < list.size(); ++j) {
            if (list[j].Leistung > list[best].Leistung
                || (list[j].Leistung == list[best].Leistung && list[j].Dauer < list[best].Dauer))
                best = j;
        }
        list.swapItemsAt(i, best);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    HighScoreList first;
    const bool readable = parse(bytes, first);
    if (!readable && !first.isEmpty())
        fail("a failed read left entries behind");

    if (readable) {
        const QByteArray written = write(first);
        HighScoreList second;
        if (!parse(written, second))
            fail("a written list does not read");
        if (!sameList(first, second))
            fail("a list changed in a write and a second read");
        if (write(second) != written)
            fail("a second write differs from the first");
    }

    HighScoreEntry extra;
    extra.Name = QStringLiteral("Neu – ü");
    extra.Rechner = QStringLiteral("PC");
    extra.Beginn = 45000.5;
    extra.Dauer = 61000;
    extra.Leistung = 0.75;
    extra.Ende = highScoreEnd(extra.Beginn, extra.Dauer);
    const HighScoreAppendPlan plan = planHighScoreAppend(bytes, extra);
    if (plan.possible) {
        if (plan.keep < 0 || plan.keep > bytes.size())
            fail("an append keeps more than the file holds");
        HighScoreList after;
        if (!parse(bytes.left(plan.keep) + plan.bytes, after))
            fail("a list does not read after an append");
        if (plan.keep == 0) {
            if (after.size() != 1 || !sameEntry(after[0], extra))
                fail("a new list does not hold exactly the new entry");
        } else {
            if (!readable || after.size() != first.size() + 1 || !sameList(after.mid(0, first.size()), first))
                fail("an append changed the entries before it");
            if (after.last().Name != extra.Name && !after.last().Name.isEmpty())
                fail("the appended entry reads back wrong");
        }
    }

    if (first.size() <= 300) {
        HighScoreList fast = first;
        HighScoreList slow = first;
        sortHighScoreList(fast);
        selectionSort(slow);
        if (!sameList(fast, slow))
            fail("the display order differs from the selection sort");
    }
    return 0;
}
