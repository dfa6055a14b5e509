#include "zeptool/zeptool.h"

#include "cardview/cardview.h"
#include "cardview/viewexport.h"
#include "common/filemessages.h"
#include "common/folders.h"
#include "document/topicdocument.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

// The largest image control accepted. At 200 % the card holds three bitmaps of twice the
// control's size each, so this keeps a render below about a gigabyte.
constexpr int maxControlSide = 4096;

struct RenderOptions
{
    QString topicPath;
    QString outputPath;
    QSize controlSize {870, 600};
    int zoomIndex = 0;
    bool uncover = false;
    int numbering = 1;
    std::optional<int> page;
    std::array<bool, 3> layers {true, true, true};
};

std::optional<int> parseInt(const QString& text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return std::nullopt;
    return value;
}

std::optional<std::array<bool, 3>> parseLayers(const QString& text)
{
    std::array<bool, 3> layers {false, false, false};
    for (const QChar c : text) {
        if (c < u'0' || c > u'2')
            return std::nullopt;
        layers[size_t(c.unicode() - u'0')] = true;
    }
    return layers;
}

std::optional<RenderOptions> parseOptions(const QStringList& arguments)
{
    RenderOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--uncover")) {
            options.uncover = true;
            continue;
        }
        if (!argument.startsWith(u'-')) {
            if (!options.topicPath.isEmpty())
                return std::nullopt;
            options.topicPath = argument;
            continue;
        }
        // Every other option takes a value.
        if (i + 1 >= arguments.size())
            return std::nullopt;
        const QString& value = arguments.at(++i);
        std::optional<int> number;
        if (argument == QLatin1String("-o")) {
            if (value.isEmpty() || !options.outputPath.isEmpty())
                return std::nullopt;
            options.outputPath = value;
        } else if (argument == QLatin1String("--width")) {
            if (!(number = parseInt(value, 1, maxControlSide)))
                return std::nullopt;
            options.controlSize.setWidth(*number);
        } else if (argument == QLatin1String("--height")) {
            if (!(number = parseInt(value, 1, maxControlSide)))
                return std::nullopt;
            options.controlSize.setHeight(*number);
        } else if (argument == QLatin1String("--zoom")) {
            const qsizetype index = QStringList {"100", "125", "150", "175", "200"}.indexOf(value);
            if (index < 0)
                return std::nullopt;
            options.zoomIndex = int(index);
        } else if (argument == QLatin1String("--numbering")) {
            if (!(number = parseInt(value, 0, 2)))
                return std::nullopt;
            options.numbering = *number;
        } else if (argument == QLatin1String("--page")) {
            if (!(number = parseInt(value, 1, std::numeric_limits<int>::max())))
                return std::nullopt;
            options.page = number;
        } else if (argument == QLatin1String("--layers")) {
            const std::optional<std::array<bool, 3>> layers = parseLayers(value);
            if (!layers)
                return std::nullopt;
            options.layers = *layers;
        } else {
            return std::nullopt;
        }
    }
    if (options.topicPath.isEmpty() || options.outputPath.isEmpty())
        return std::nullopt;
    return options;
}

} // namespace

// zeptool render FILE.zep -o OUT: the learning card as the window shows it (without the start
// panel), drawn by the window's own card view and saved as the view's export saves it.
int runRenderCommand(const QStringList& arguments, QIODevice&, QIODevice& err)
{
    const std::optional<RenderOptions> options = parseOptions(arguments);
    if (!options)
        return ZeptoolBadUsage;
    // Refused before the topic is read, as the export refuses before it writes.
    if (viewImageFormatForPath(options->outputPath) == ViewImageFormat::Unknown) {
        writeConsoleText(err, invalidExtensionText() + u'\n');
        return ZeptoolFailed;
    }

    const QString& path = options->topicPath;
    std::optional<TopicDocument> read = readTopicOrReport(path, err);
    if (!read)
        return ZeptoolFailed;
    TopicDocument& document = *read;

    CardView view(document);
    view.controlSize = options->controlSize;
    view.pictureFolder = quizPictureFolder(QCoreApplication::applicationDirPath());
    view.layers = options->layers;
    view.zoomIndex = options->zoomIndex;
    view.zoomFactor = CardView::zoomFactors[size_t(options->zoomIndex)];
    view.applyNumbering(CardView::Numbering(options->numbering)); // 0..2, checked when read
    if (options->uncover) {
        for (DocObject& object : document.objects)
            object.coverState = CoverState::Uncovered;
    }
    if (options->page)
        document.currentQuestionNumber = *options->page;
    view.redrawCard();
    if (options->uncover) {
        // The learning card covers the answers of single questions whenever it is drawn anew;
        // uncovering them takes the window's "uncover all" after the redraw.
        const bool recovered = std::any_of(document.objects.cbegin(), document.objects.cend(),
            [](const DocObject& object) { return object.coverState != CoverState::Uncovered; });
        if (recovered) {
            for (DocObject& object : document.objects)
                object.coverState = CoverState::Uncovered;
            view.drawAllObjects(CardView::DrawFlag::CopyToView);
        }
    }

    QString message;
    if (!saveViewImage(view.viewBitmap, options->outputPath, &message)) {
        writeConsoleText(err, message + u'\n');
        return ZeptoolFailed;
    }
    return ZeptoolOk;
}
