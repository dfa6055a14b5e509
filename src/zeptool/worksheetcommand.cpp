#include "zeptool/zeptool.h"

#include "common/folders.h"
#include "worksheet/worksheetoutput.h"

#include <QCoreApplication>

#include <optional>

namespace {

struct WorksheetArguments
{
    QString topicPath;
    QString outputPath;
    WorksheetOptions options;
    std::optional<QString> title; // unset: the topic's title
};

std::optional<WorksheetArguments> parseArguments(const QStringList& arguments)
{
    WorksheetArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--ohne-name")) {
            parsed.options.nameField = false;
        } else if (argument == QLatin1String("--ohne-klasse")) {
            parsed.options.classField = false;
        } else if (argument == QLatin1String("--ohne-datum")) {
            parsed.options.dateField = false;
        } else if (argument == QLatin1String("--ohne-antworten")) {
            parsed.options.answerList = false;
        } else if (!argument.startsWith(u'-')) {
            if (!parsed.topicPath.isEmpty())
                return std::nullopt;
            parsed.topicPath = argument;
        } else {
            // Every other option takes a value.
            if (i + 1 >= arguments.size())
                return std::nullopt;
            const QString& value = arguments.at(++i);
            bool ok = false;
            if (argument == QLatin1String("-o") && parsed.outputPath.isEmpty() && !value.isEmpty()) {
                parsed.outputPath = value;
            } else if (argument == QLatin1String("--modus")) {
                const int mode = value.toInt(&ok);
                if (!ok || mode < 0 || mode > 2)
                    return std::nullopt;
                parsed.options.mode = WorksheetMode(mode);
            } else if (argument == QLatin1String("--ab-frage")) {
                const int from = value.toInt(&ok);
                if (!ok || from < 1 || from > 99999)
                    return std::nullopt;
                parsed.options.fromQuestion = from;
            } else if (argument == QLatin1String("--titel")) {
                parsed.title = value;
            } else if (argument == QLatin1String("--aufgabe")) {
                parsed.options.task = value;
            } else {
                return std::nullopt;
            }
        }
    }
    if (parsed.topicPath.isEmpty() || parsed.outputPath.isEmpty())
        return std::nullopt;
    return parsed;
}

} // namespace

// zeptool arbeitsblatt FILE.zep -o SHEET: the worksheet page as the worksheet window saves it.
int runWorksheetCommand(const QStringList& arguments, QIODevice&, QIODevice& err)
{
    std::optional<WorksheetArguments> parsed = parseArguments(arguments);
    if (!parsed)
        return ZeptoolBadUsage;
    if (worksheetFormatForPath(parsed->outputPath) == WorksheetFormat::Unknown) {
        writeConsoleText(err, worksheetExtensionError() + u'\n');
        return ZeptoolFailed;
    }
    const QString& path = parsed->topicPath;
    std::optional<TopicDocument> read = readTopicOrReport(path, err);
    if (!read)
        return ZeptoolFailed;
    TopicDocument& document = *read;
    WorksheetOptions& options = parsed->options;
    options.title = parsed->title.value_or(document.titel);
    options.pictureFolder = quizPictureFolder(QCoreApplication::applicationDirPath());
    if (worksheetFormatForPath(parsed->outputPath) == WorksheetFormat::Wmf) {
        if (const QString lost = charactersLostInWmf(document, options); !lost.isEmpty())
            writeConsoleText(err, QStringLiteral("zeptool: Warnung: ") + wmfLossWarning(lost) + u'\n');
    }
    QString message;
    if (!saveWorksheet(parsed->outputPath, document, options, &message)) {
        writeConsoleText(err, message + u'\n');
        return ZeptoolFailed;
    }
    return ZeptoolOk;
}
