#include "topicfolder.h"

#include "document/zepformat.h"
#include "platform/folderscan.h"

#include <QBuffer>
#include <QCollator>
#include <QCollatorSortKey>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace {

// The machine's own locale may be plain C; the menu sorts German names the German way.
QCollator topicCollator()
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// Bytes taken in one read for the start of a topic file.
constexpr qint64 peekChunk = 2048;

// Finds, for a selection sort on ranks, the first position of the lowest rank in a suffix of
// the list: a tree over the positions holding the (rank, position) minimum of each range.
class RankTree
{
public:
    using Order = std::vector<qsizetype>;

    explicit RankTree(const std::vector<int>& rank)
        : m_rank(rank)
    {
        m_size = 1;
        while (m_size < m_rank.size())
            m_size *= 2;
        m_tree.assign(2 * m_size, none);
        for (size_t i = 0; i < m_rank.size(); ++i)
            m_tree[m_size + i] = i;
        for (size_t node = m_size - 1; node >= 1; --node)
            m_tree[node] = better(m_tree[2 * node], m_tree[2 * node + 1]);
    }

    // The original index of the entry that ends at each position.
    Order selectionOrder()
    {
        const size_t count = m_rank.size();
        Order origin(count);
        std::iota(origin.begin(), origin.end(), 0);
        for (size_t r = 0; r < count; ++r) {
            const size_t p = firstMinimumFrom(r);
            if (p != r) {
                std::swap(m_rank[r], m_rank[p]);
                std::swap(origin[r], origin[p]);
                update(p);
            }
            // Position r is settled and leaves the search.
            m_tree[m_size + r] = none;
            update(r);
        }
        return origin;
    }

private:
    static constexpr size_t none = size_t(-1);

    size_t better(size_t a, size_t b) const
    {
        if (a == none)
            return b;
        if (b == none)
            return a;
        // Strictly lower wins; on equal ranks the earlier position, as the plain sort keeps it.
        return m_rank[b] < m_rank[a] || (m_rank[b] == m_rank[a] && b < a) ? b : a;
    }

    void update(size_t position)
    {
        for (size_t node = (m_size + position) / 2; node >= 1; node /= 2)
            m_tree[node] = better(m_tree[2 * node], m_tree[2 * node + 1]);
    }

    // All positions before from are settled and out of the tree, so the root holds the answer.
    size_t firstMinimumFrom(size_t) const { return m_tree[1]; }

    std::vector<int> m_rank;
    size_t m_size = 1;
    std::vector<size_t> m_tree;
};

QString separatorEnded(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(u'/') || folder.endsWith(QDir::separator()))
        return folder;
    return folder + QDir::separator();
}

} // namespace

QList<TopicEntry> scanTopicFolder(const QString& folder)
{
    QList<TopicEntry> list;
    const QString prefix = separatorEnded(folder);
    // The magic, key list, version and title fit into the first few hundred bytes of nearly
    // every topic; a topic with a longer start is read again from its file.
    scanFolderHeads(folder, QStringLiteral(".zep"), peekChunk, [&](const QString& name, const QByteArray& head) {
        const QString path = prefix + name;
        QBuffer buffer;
        buffer.setData(head);
        buffer.open(QIODevice::ReadOnly);
        ZepPeek peek;
        if (!peekTopicFile(buffer, peek)) {
            QFile file(path);
            if (head.size() < peekChunk || !file.open(QIODevice::ReadOnly) || !peekTopicFile(file, peek))
                return;
        }
        list.append({peek.titel, path, name.toLower(), peek.vers});
    });
    return list;
}

void sortTopicList(QList<TopicEntry>& list)
{
    const qsizetype count = list.size();
    if (count < 2)
        return;

    // Collation keys are worked out once per entry and turned into ranks (equal names share one).
    const QCollator collator = topicCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(count));
    for (const TopicEntry& entry : std::as_const(list))
        keys.push_back(collator.sortKey(entry.sortKey));
    std::vector<qsizetype> byKey(static_cast<size_t>(count));
    std::iota(byKey.begin(), byKey.end(), 0);
    std::stable_sort(byKey.begin(), byKey.end(),
        [&keys](qsizetype a, qsizetype b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    std::vector<int> rank(static_cast<size_t>(count));
    for (size_t i = 0, r = 0; i < byKey.size(); ++i) {
        if (i > 0 && keys[size_t(byKey[i - 1])].compare(keys[size_t(byKey[i])]) < 0)
            ++r;
        rank[size_t(byKey[i])] = int(r);
    }

    // The selection sort itself: position p takes the first entry of lowest rank at or after p,
    // swapping places with the entry there. A tree of minima finds that entry in log n steps,
    // so equal names end in the same order as with the plain sort, at a fraction of its time.
    const RankTree::Order order = RankTree(rank).selectionOrder();
    QList<TopicEntry> sorted;
    sorted.reserve(count);
    for (const qsizetype from : order)
        sorted.append(std::move(list[from]));
    list = std::move(sorted);
}

QList<TopicEntry> readTopicList(const QString& folder)
{
    QList<TopicEntry> list = scanTopicFolder(folder);
    sortTopicList(list);
    return list;
}

QString topicItemCaption(int index, const TopicEntry& entry)
{
    QString title = entry.title.trimmed();
    if (title.isEmpty())
        title = QFileInfo(entry.path).fileName();
    const QString number = QString::number(index + 1) + QStringLiteral(":  ");
    return index <= 8 ? u'&' + number + title : number + title;
}

int topicColumnBreak(int count)
{
    return count > 30 ? (count - 7) / 2 : -1;
}
