#include "zeptool/zeptool.h"

#include "document/zepformat.h"

#include <QFile>

// zeptool peek FILE...: what the topic menu learns of each file, one line per topic file.
int runPeekCommand(const QStringList& arguments, QIODevice& out, QIODevice&)
{
    if (arguments.isEmpty())
        return ZeptoolBadUsage;
    for (const QString& path : arguments) {
        QFile file(path);
        ZepPeek peek;
        if (!file.open(QIODevice::ReadOnly) || !peekTopicFile(file, peek))
            continue;
        out.write((path + u'\t' + peek.vers + u'\t' + peek.titel + u'\n').toUtf8());
    }
    return ZeptoolOk;
}
