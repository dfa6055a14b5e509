#include "zeptool/topicjson.h"
#include "zeptool/zeptool.h"

#include "common/filemessages.h"
#include "document/topicdocument.h"
#include "document/zepformat.h"

#include <QFile>
#include <QFileInfo>

// zeptool info FILE.zep: the topic as the program reads it, as one JSON object.
int runInfoCommand(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    if (arguments.size() != 1)
        return ZeptoolBadUsage;
    const QString& path = arguments.first();

    // The same failure table as opening a topic in the program, with its messages.
    if (!QFileInfo::exists(path)) {
        writeConsoleText(err, fileMissingText(path) + u'\n');
        return ZeptoolFailed;
    }
    QFile file(path);
    TopicDocument document;
    const ZepReadStatus status
        = file.open(QIODevice::ReadOnly) ? readTopicFile(file, document) : ZepReadStatus::ReadError;
    if (status != ZepReadStatus::Ok) {
        writeConsoleText(err, zepReadFailureTexts(status, path).join(u'\n') + u'\n');
        return ZeptoolFailed;
    }
    out.write(topicToJson(document));
    return ZeptoolOk;
}
