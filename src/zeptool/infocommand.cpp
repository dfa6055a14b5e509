#include "zeptool/topicjson.h"
#include "zeptool/zeptool.h"

#include <QIODevice>

// zeptool info FILE.zep: the topic as the program reads it, as one JSON object.
int runInfoCommand(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    if (arguments.size() != 1)
        return ZeptoolBadUsage;
    const QString& path = arguments.first();

    std::optional<TopicDocument> read = readTopicOrReport(path, err);
    if (!read)
        return ZeptoolFailed;
    TopicDocument& document = *read;
    out.write(topicToJson(document));
    return ZeptoolOk;
}
