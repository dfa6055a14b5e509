#include "zeptool/zeptool.h"

#include "document/topicfolder.h"
#include "document/zepformat.h"

#include <QFile>
#include <QFileInfo>

namespace {

void writeLine(QIODevice& out, const QString& path, const QString& version, const QString& title)
{
    out.write((path + u'\t' + version + u'\t' + title + u'\n').toUtf8());
}

} // namespace

// zeptool peek FILE|FOLDER...: what the topic menu learns of each file, one line per topic
// file; a folder is listed as the menu lists it.
int runPeekCommand(const QStringList& arguments, QIODevice& out, QIODevice&)
{
    if (arguments.isEmpty())
        return ZeptoolBadUsage;
    for (const QString& path : arguments) {
        if (QFileInfo(path).isDir()) {
            for (const TopicEntry& entry : readTopicList(path))
                writeLine(out, entry.path, entry.version, entry.title);
            continue;
        }
        QFile file(path);
        ZepPeek peek;
        if (!file.open(QIODevice::ReadOnly) || !peekTopicFile(file, peek))
            continue;
        writeLine(out, path, peek.vers, peek.titel);
    }
    return ZeptoolOk;
}
