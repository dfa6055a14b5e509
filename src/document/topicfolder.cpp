#include "topicfolder.h"

#include "document/zepformat.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
    // Hidden files are listed like any other, as the menu always did; folders named *.zep are not.
    QDirIterator it(folder.isEmpty() ? QStringLiteral(".") : folder, {QStringLiteral("*.zep")},
        QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QString path = prefix + name;
        QFile file(path);
        ZepPeek peek;
        if (!file.open(QIODevice::ReadOnly) || !peekTopicFile(file, peek))
            continue;
        list.append({peek.titel, path, name.toLower(), peek.vers});
    }
    return list;
}

void sortTopicList(QList<TopicEntry>& list)
{
    // Collation keys are worked out once per entry: the selection sort compares n²/2 times.
    const QCollator collator = topicCollator();
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(size_t(list.size()));
    for (qsizetype i = 0; i < list.size(); ++i)
        keys.emplace_back(collator.sortKey(list.at(i).sortKey), i);

    const size_t count = keys.size();
    for (size_t r = 0; r < count; ++r) {
        size_t p = r;
        for (size_t s = r + 1; s < count; ++s) {
            if (keys[s].first.compare(keys[p].first) < 0)
                p = s;
        }
        if (p != r)
            std::swap(keys[r], keys[p]);
    }

    QList<TopicEntry> sorted;
    sorted.reserve(list.size());
    for (const auto& key : keys)
        sorted.append(std::move(list[key.second]));
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
