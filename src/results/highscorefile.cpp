#include "results/highscorefile.h"

#include "common/folders.h"
#include "common/pause.h"
#include "document/binaryio.h"
#include "document/selectiontree.h"
#include "platform/cp1252.h"
#include "platform/filelock.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace {

// The fields an entry of a file holds, from the keys its key list names.
struct EntryFields
{
    bool name = false;
    bool computer = false;
    bool start = false;
    bool duration = false;
    bool performance = false;

    bool any() const { return name || computer || start || duration || performance; }

    // A plain substring search, as every reader of the format does it.
    static EntryFields fromKeyList(const QByteArray& keys)
    {
        EntryFields fields;
        fields.name = keys.contains("HSC-Name");
        fields.computer = keys.contains("HSC-Rechner");
        fields.start = keys.contains("HSC-Beginn");
        fields.duration = keys.contains("HSC-Dauer");
        fields.performance = keys.contains("HSC-Leistung");
        return fields;
    }

    static EntryFields all() { return {true, true, true, true, true}; }
};

// Reads a list from bytes already in memory. The list is read with one read and parsed after
// the file is closed, so that writers on other computers are kept out for the shortest time;
// the fields are taken straight from the bytes, which also tells a last entry cut off by the
// end of the file (every field so far fits) from a damaged one (a negative text length).
class ListParser
{
public:
    enum class Tail {
        None, // the entries end exactly at the end of the data
        CutOff, // the last entry stops short: the end of the data came in the middle of it
        Damaged, // a field holds a value no writer writes
    };

    explicit ListParser(const QByteArray& bytes)
        : m_data(bytes.constData())
        , m_size(bytes.size())
    { }

    // Magic and key list. False for anything that does not start like a list.
    bool readHeader()
    {
        QByteArray magic;
        QByteArray keys;
        if (!readRawText(magic) || magic != highScoreMagic || !readRawText(keys))
            return false;
        m_fields = EntryFields::fromKeyList(keys);
        return true;
    }

    const EntryFields& fields() const { return m_fields; }
    bool atEnd() const { return m_pos >= m_size; }

    // One entry; false at the end of the complete entries, with tail() saying why.
    bool readEntry(HighScoreEntry& entry)
    {
        const qint64 start = m_pos;
        if ((m_fields.name && !readText(entry.Name)) || (m_fields.computer && !readText(entry.Rechner))
            || (m_fields.start && !readDouble(entry.Beginn)) || (m_fields.duration && !readInt(entry.Dauer))
            || (m_fields.performance && !readDouble(entry.Leistung))) {
            m_pos = start;
            return false;
        }
        entry.Ende = highScoreEnd(entry.Beginn, entry.Dauer);
        return true;
    }

    // Steps over one entry without decoding it.
    bool skipEntry()
    {
        const qint64 start = m_pos;
        if ((m_fields.name && !skipText()) || (m_fields.computer && !skipText()) || (m_fields.start && !skip(8))
            || (m_fields.duration && !skip(4)) || (m_fields.performance && !skip(8))) {
            m_pos = start;
            return false;
        }
        return true;
    }

    Tail tail() const { return m_tail; }
    qint64 pos() const { return m_pos; }

private:
    bool need(qint64 count)
    {
        if (count <= m_size - m_pos)
            return true;
        m_tail = Tail::CutOff;
        return false;
    }

    bool skip(qint64 count)
    {
        if (!need(count))
            return false;
        m_pos += count;
        return true;
    }

    bool readInt(qint32& value)
    {
        if (!need(4))
            return false;
        value = qFromLittleEndian<qint32>(m_data + m_pos);
        m_pos += 4;
        return true;
    }

    bool readDouble(double& value)
    {
        if (!need(8))
            return false;
        value = std::bit_cast<double>(qFromLittleEndian<quint64>(m_data + m_pos));
        m_pos += 8;
        return true;
    }

    // The byte count of the text at the read position; -1 when cut off or damaged.
    qint64 textLength()
    {
        qint32 length = 0;
        if (!readInt(length))
            return -1;
        if (length < 0) {
            m_tail = Tail::Damaged;
            return -1;
        }
        if (!need(length))
            return -1;
        return length;
    }

    bool readText(QString& text)
    {
        const qint64 length = textLength();
        if (length < 0)
            return false;
        text = length == 0 ? QString() : sharedText(QByteArrayView(m_data + m_pos, qsizetype(length)));
        m_pos += length;
        return true;
    }

    // The same few pupils and computers fill a list many times over: equal texts share one
    // string, which saves most of the decoding and the memory. The table stays small, so a list
    // of names that never repeat costs little more than without it.
    QString sharedText(QByteArrayView bytes)
    {
        const auto found = m_texts.constFind(bytes);
        if (found != m_texts.cend())
            return *found;
        QString text = fromCp1252(QByteArray::fromRawData(bytes.data(), bytes.size()));
        if (m_texts.size() < maxSharedTexts)
            m_texts.insert(bytes, text);
        return text;
    }

    bool readRawText(QByteArray& bytes)
    {
        const qint64 length = textLength();
        if (length < 0)
            return false;
        bytes = QByteArray(m_data + m_pos, qsizetype(length));
        m_pos += length;
        return true;
    }

    bool skipText()
    {
        const qint64 length = textLength();
        if (length < 0)
            return false;
        m_pos += length;
        return true;
    }

    const char* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    EntryFields m_fields;
    Tail m_tail = Tail::None;
    static constexpr qsizetype maxSharedTexts = 4096;
    QHash<QByteArrayView, QString> m_texts; // views into the data being parsed
};

bool parseList(const QByteArray& bytes, HighScoreList& list)
{
    ListParser counter(bytes);
    if (!counter.readHeader())
        return false;
    // Without a field an entry has no bytes, and the data after the key list could never be used up.
    if (!counter.fields().any())
        return counter.atEnd();
    // Counting first gives the list its size in one allocation, rather than copying it over and
    // over while it grows to thousands of entries.
    qsizetype count = 0;
    while (!counter.atEnd() && counter.skipEntry()) {
        if (++count > maxHighScoreEntries)
            return false;
    }
    ListParser parser(bytes);
    parser.readHeader();
    list.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        HighScoreEntry entry;
        parser.readEntry(entry);
        list.append(std::move(entry));
    }
    return true;
}

// The bytes of the whole remaining device, or false when there are more than a list may have.
bool readAllBounded(QIODevice& device, QByteArray& bytes)
{
    if (!device.isSequential()) {
        const qint64 remaining = device.size() - device.pos();
        if (remaining > maxHighScoreFileSize)
            return false;
        bytes = device.read(remaining);
        return bytes.size() == remaining;
    }
    bytes = device.read(maxHighScoreFileSize + 1);
    return bytes.size() <= maxHighScoreFileSize;
}

void writeEntry(BinaryWriter& out, const HighScoreEntry& entry, const EntryFields& fields)
{
    if (fields.name)
        out.writeString(entry.Name);
    if (fields.computer)
        out.writeString(entry.Rechner);
    if (fields.start)
        out.writeDouble(entry.Beginn);
    if (fields.duration)
        out.writeInt32(entry.Dauer);
    if (fields.performance)
        out.writeDouble(entry.Leistung);
}

void writeHeader(BinaryWriter& out)
{
    out.writeString(QString::fromLatin1(highScoreMagic));
    out.writeString(QString::fromLatin1(highScoreKeyList));
}

const QByteArray& headerBytes()
{
    static const QByteArray bytes = [] {
        QByteArray result;
        QBuffer buffer(&result);
        buffer.open(QIODevice::WriteOnly);
        BinaryWriter out(buffer);
        writeHeader(out);
        return result;
    }();
    return bytes;
}

QByteArray entryBytes(const HighScoreEntry& entry, const EntryFields& fields, bool withHeader)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    BinaryWriter out(buffer);
    if (withHeader)
        writeHeader(out);
    writeEntry(out, entry, fields);
    return bytes;
}

} // namespace

double highScoreEnd(double beginn, qint32 dauerMs)
{
    // Integer division truncates towards zero, as the seconds are meant to.
    return beginn + double(dauerMs / 1000) / 86400.0;
}

HighScoreEntry localHighScoreEntry(
    const QString& participantName, const QString& computer, double startTime, qint32 elapsedMs, double performance)
{
    const bool blank
        = std::all_of(participantName.cbegin(), participantName.cend(), [](QChar c) { return c.unicode() <= 0x20; });
    HighScoreEntry entry;
    entry.Name = blank ? highScoreNoName : participantName;
    entry.Rechner = computer;
    entry.Beginn = startTime;
    entry.Dauer = elapsedMs;
    entry.Leistung = performance;
    entry.Ende = highScoreEnd(startTime, elapsedMs);
    return entry;
}

QString highScoreFileName(const FolderLayout& layout, const QString& documentPath, bool network)
{
    if (network)
        return layout.commFolder + layout.commChannel + QStringLiteral("-zepnetzuebung.hsc");
    // The extension replaced: only the part after the last dot goes.
    const QString name = QFileInfo(documentPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return layout.highScoreFolder + (dot < 0 ? name : name.left(dot)) + QStringLiteral(".hsc");
}

bool readHighScoreList(QIODevice& device, HighScoreList& list)
{
    list.clear();
    QByteArray bytes;
    if (!readAllBounded(device, bytes))
        return false;
    return parseList(bytes, list);
}

bool writeHighScoreList(QIODevice& device, const HighScoreList& list)
{
    BinaryWriter out(device);
    writeHeader(out);
    for (const HighScoreEntry& entry : list)
        writeEntry(out, entry, EntryFields::all());
    return out.ok();
}

HighScoreAppendPlan planHighScoreAppend(const QByteArray& existing, const HighScoreEntry& entry)
{
    HighScoreAppendPlan plan;
    if (existing.size() < headerBytes().size() && headerBytes().startsWith(existing)) {
        // Nothing, or a header whose writing was cut off: the file starts afresh.
        plan.possible = true;
        plan.keep = 0;
        plan.bytes = entryBytes(entry, EntryFields::all(), true);
        return plan;
    }
    if (existing.size() > maxHighScoreFileSize)
        return plan;
    ListParser parser(existing);
    if (!parser.readHeader() || !parser.fields().any())
        return plan;
    while (!parser.atEnd() && parser.skipEntry()) { }
    if (parser.tail() == ListParser::Tail::Damaged)
        return plan;
    // A cut-off last entry goes, so the new one starts where readers look for the next entry.
    plan.possible = true;
    plan.keep = parser.pos();
    plan.bytes = entryBytes(entry, parser.fields(), false);
    return plan;
}

bool appendHighScoreEntry(const QString& fileName, const HighScoreEntry& entry)
{
    // openShared refuses a folder, a pipe, a device or a link under the list's name.
    QFile file(fileName);
    // Unbuffered: each write reaches the file at once, so a failure shows where it happens.
    if (openShared(file, QIODevice::ReadWrite | QIODevice::Unbuffered, FileShare::DenyAll) != SharedOpen::Opened)
        return false;
    const qint64 size = file.size();
    if (size > maxHighScoreFileSize)
        return false;
    const QByteArray existing = file.readAll();
    if (existing.size() != size)
        return false;
    const HighScoreAppendPlan plan = planHighScoreAppend(existing, entry);
    if (!plan.possible)
        return false;
    if (plan.keep != size && !file.resize(plan.keep))
        return false;
    bool ok = file.seek(plan.keep);
    qint64 done = 0;
    while (ok && done < plan.bytes.size()) {
        const qint64 written = file.write(plan.bytes.constData() + done, plan.bytes.size() - done);
        ok = written > 0;
        done += std::max<qint64>(written, 0);
    }
    if (!ok) {
        // Part of an entry would spoil every entry appended after it.
        file.resize(plan.keep);
        return false;
    }
    return true;
}

bool readHighScoreFile(const QString& fileName, HighScoreList& list)
{
    list.clear();
    // openShared does not wait on a pipe planted under the name, nor follow a link.
    QFile file(fileName);
    if (openShared(file, QIODevice::ReadOnly, FileShare::DenyWrite) != SharedOpen::Opened)
        return false;
    QByteArray bytes;
    const bool read = readAllBounded(file, bytes);
    file.close();
    return read && parseList(bytes, list);
}

bool retryHighScoreAccess(const std::function<bool()>& attempt, const TickSource& tick)
{
    for (int i = 0; i < highScoreAttempts; ++i) {
        if (attempt())
            return true;
        pauseMs(highScoreRetryPauseMs, true, tick);
    }
    return false;
}

void sortHighScoreList(HighScoreList& list)
{
    const size_t count = size_t(list.size());
    if (count < 2)
        return;
    std::vector<double> performance(count);
    std::vector<qint32> duration(count);
    for (size_t i = 0; i < count; ++i) {
        performance[i] = list[qsizetype(i)].Leistung;
        duration[i] = list[qsizetype(i)].Dauer;
    }
    // The selection itself, with a tree of maxima in place of the scan over the rest of the list:
    // the same exchanges in n log n steps instead of n².
    // Entries without a comparable Leistung are never chosen; on equal Leistung the shorter time
    // comes first.
    SelectionTree tree(count, [&performance, &duration](size_t a, size_t b) {
        return performance[a] > performance[b] || (performance[a] == performance[b] && duration[a] < duration[b]);
    });
    for (size_t i = 0; i < count; ++i) {
        if (std::isnan(performance[i]))
            tree.update(i, false);
    }
    for (size_t i = 0; i < count; ++i) {
        // A scan that starts on an entry without a comparable Leistung finds nothing better.
        if (std::isnan(performance[i]))
            continue;
        const size_t best = size_t(tree.best());
        if (best != i) {
            list.swapItemsAt(qsizetype(i), qsizetype(best));
            std::swap(performance[i], performance[best]);
            std::swap(duration[i], duration[best]);
            tree.update(best, true);
        }
        tree.update(i, false);
    }
}
