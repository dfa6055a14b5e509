// The learning card of a photograph with 300 labels in a view of 1600 x 1000 pixels: a full
// redraw (after loading, on a change of zoom or layers) against the things that must stay far
// cheaper than it: redrawing one label as a click does, the same during a quiz with the quiz
// panel's copy of the card, and one pan step at 200 %.
// bench/cardview.sh runs them and prints the two ratios.

#include "cardview/cardview.h"
#include "document/topicdocument.h"
#include "labelledphoto.h"
#include "quiz/instructionstrip.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int labelCount = labelledPhotoLabels;
const QSize viewSize(1600, 1000);

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_cardview: %s\n", what);
    std::exit(1);
}

// The document lives as long as the card view that draws it.
struct Card
{
    TopicDocument document = labelledPhoto();
    CardView view {document};

    explicit Card(int zoomIndex)
    {
        view.controlSize = viewSize;
        view.zoomIndex = zoomIndex;
        view.zoomFactor = CardView::zoomFactors[size_t(zoomIndex)];
        view.applyNumbering(CardView::Numbering::Ordered);
        view.redrawCard();
        if (view.viewBitmap.size() != viewSize)
            fixtureFailed("the card does not fill the view");
    }
};

void BM_RedrawCard(benchmark::State& state)
{
    Card card(0);
    for (auto _ : state) {
        card.view.redrawCard();
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
    }
}

// A click on a label: its cover state flips and only that label is drawn again and copied
// into the view.
void BM_RedrawOneLabel(benchmark::State& state)
{
    Card card(0);
    int index = 0;
    for (auto _ : state) {
        DocObject& label = card.document.objects[index];
        label.coverState = label.coverState == CoverState::Covered ? CoverState::Uncovered : CoverState::Covered;
        card.view.redrawObject(index);
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
        index = (index + 37) % labelCount;
    }
}

// The same click's redraw during a quiz: the quiz panel's copy of the card (its instruction
// strip) takes over the label's box as well.
void BM_RedrawOneLabelInQuiz(benchmark::State& state)
{
    Card card(0);
    card.view.cardMode = CardView::Mode::Quiz;
    card.view.redrawCard();
    InstructionStrip strip;
    strip.draw(viewSize + QSize(155, 0), viewSize.width(), Qt::white, card.view.viewBitmap, QPoint(0, 0),
        instructionText(DocType::ImageLabelling, 0));
    card.view.quizObjectDrawn = [&](int index) {
        benchmark::DoNotOptimize(strip.takeOver(card.view.viewBitmap, card.view.viewBoxOf(index)));
    };
    int index = 0;
    for (auto _ : state) {
        DocObject& label = card.document.objects[index];
        label.coverState = label.coverState == CoverState::Open ? CoverState::Uncovered : CoverState::Open;
        card.view.redrawObject(index);
        benchmark::DoNotOptimize(strip.image().constBits());
        index = (index + 37) % labelCount;
    }
}

// One step of dragging the card at 200 %, back and forth so that it never stops at an edge.
void BM_PanStep(benchmark::State& state)
{
    Card card(4);
    int direction = 1;
    for (auto _ : state) {
        card.view.panBy(7 * direction, 5 * direction);
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
        direction = -direction;
    }
}

} // namespace

BENCHMARK(BM_RedrawCard)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedrawOneLabel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedrawOneLabelInQuiz)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PanStep)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    // The card is drawn with fonts, which need a GUI application, but no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
