// An answer tile of 150 x 46 pixels whose caption fits only after shrinking and dropping
// words, painted into an image: again and again as hover changes repaint it (the fit is
// kept), and with a new caption on every paint (the fit is made each time), beside the same
// tile with a caption that fits at once. The counters show how many layouts the fitting
// measured against its limit: one per point size and text tried, one per dropped word.
// bench/hoverpanel.sh runs them and prints the medians.

#include "widgets/hoverpanel.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

const QString longCaption = QStringLiteral(
    "Baden-Württemberg und Mecklenburg-Vorpommern mit ihren Landeshauptstädten Stuttgart und Schwerin");
const QString otherLongCaption
    = QStringLiteral("Nordrhein-Westfalen und Schleswig-Holstein mit ihren Landeshauptstädten Düsseldorf und Kiel");
const QString shortCaption = QStringLiteral("Stuttgart");

constexpr int startSize = 12;
constexpr int minFontSize = 8;

void setUpTile(THoverPanel& tile, const QString& caption)
{
    tile.setFont(QFont(QStringLiteral("Arial"), startSize, QFont::Bold));
    tile.setWordWrap(true);
    tile.setFontAutoSize(true);
    tile.setMinFontSize(minFontSize);
    tile.setBevelOuter(THoverPanel::Bevel::Raised);
    tile.setNormColor(QColor(255, 243, 144));
    tile.setCaption(caption);
    tile.resize(150, 46);
}

int wordCount(const QString& text)
{
    return int(text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
}

// What the fitting may measure at most: each point size once for the caption and once more
// for the caption with breakable hyphens, then one layout per word dropped, except the last
// word, whose removal leaves nothing to measure.
int measurementLimit(const QString& caption, const FittedCaption& fitted)
{
    const int sizes = startSize - minFontSize + 1;
    const bool hyphenated = caption.contains(QLatin1Char('-'));
    QString spaced = caption;
    spaced.replace(QLatin1Char('-'), QLatin1String("- "));
    QString kept = fitted.text;
    if (kept.endsWith(QLatin1String("...")))
        kept.chop(3);
    const int dropped = wordCount(spaced) - std::max(wordCount(kept), 1);
    return sizes * (hyphenated ? 2 : 1) + std::max(dropped, 0);
}

// Paints the tile with `caption`, or with `caption` and `alternate` by turns.
void paintTile(benchmark::State& state, const QString& caption, const QString& alternate = QString())
{
    THoverPanel tile;
    setUpTile(tile, caption);
    QImage image(tile.size(), QImage::Format_RGB32);
    bool turn = false;
    for (auto _ : state) {
        if (!alternate.isEmpty()) {
            turn = !turn;
            tile.setCaption(turn ? alternate : caption);
        }
        tile.render(&image);
        benchmark::DoNotOptimize(image.constBits());
        benchmark::ClobberMemory();
    }
    tile.setCaption(caption);
    const FittedCaption fitted = tile.fittedCaption(&image);
    state.counters["measurements"] = fitted.measurements;
    state.counters["limit"] = measurementLimit(caption, fitted);
    state.counters["pointSize"] = fitted.pointSize;
    state.SetLabel(fitted.text.toStdString());
}

void BM_PaintShortenedCaption(benchmark::State& state)
{
    paintTile(state, longCaption);
}

void BM_PaintNewShortenedCaption(benchmark::State& state)
{
    paintTile(state, longCaption, otherLongCaption);
}

void BM_PaintFittingCaption(benchmark::State& state)
{
    paintTile(state, shortCaption);
}

} // namespace

BENCHMARK(BM_PaintShortenedCaption)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PaintNewShortenedCaption)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PaintFittingCaption)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
