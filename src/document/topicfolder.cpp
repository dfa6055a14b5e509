#include "topicfolder.h"

#include "document/selectiontree.h"
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

    // The selection sort itself, with the first entry of lowest rank found by a tree instead of a
    // scan, so equal names end in the same order as with the plain sort.
    std::vector<qsizetype> origin(static_cast<size_t>(count));
    std::iota(origin.begin(), origin.end(), 0);
    SelectionTree tree(size_t(count), [&rank](size_t a, size_t b) { return rank[a] < rank[b]; });
    for (size_t r = 0; r < size_t(count); ++r) {
        const size_t p = size_t(tree.best());
        if (p != r) {
            std::swap(rank[r], rank[p]);
            std::swap(origin[r], origin[p]);
            tree.update(p, true);
        }
        tree.update(r, false);
    }
    QList<TopicEntry> sorted;
    sorted.reserve(count);
    for (const qsizetype from : origin)
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
