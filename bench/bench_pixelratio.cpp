// The learning card on a scaled screen: the photograph with 300 labels in a view of 1600 x 1000
// logical pixels, drawn at 1 and at 2 device pixels per logical pixel. A full redraw and one
// label redrawn (a click) may cost up to the ratio squared, the pixels they fill; a drag step
// works in logical pixels and card fractions and must not change.
// bench/pixelratio.sh runs them and prints the ratios.

#include "cardview/cardview.h"
#include "document/topicdocument.h"
#include "labelledphoto.h"
#include "quiz/droptarget.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

constexpr int labelCount = labelledPhotoLabels;
const QSize viewSize(1600, 1000);

// The argument is the device pixel ratio in percent.
struct Card
{
    TopicDocument document = labelledPhoto();
    CardView view {document};

    explicit Card(const benchmark::State& state, CardView::Mode cardMode = CardView::Mode::LearningCard)
    {
        view.controlSize = viewSize;
        view.devicePixelRatio = state.range(0) / 100.0;
        view.cardMode = cardMode;
        view.applyNumbering(CardView::Numbering::Ordered);
        if (cardMode == CardView::Mode::Quiz) {
            for (DocObject& label : document.objects)
                label.coverState = CoverState::Open;
        }
        view.redrawCard();
    }
};

void BM_RedrawCard(benchmark::State& state)
{
    Card card(state);
    for (auto _ : state) {
        card.view.redrawCard();
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
    }
}

void BM_RedrawOneLabel(benchmark::State& state)
{
    Card card(state);
    int index = 0;
    for (auto _ : state) {
        DocObject& label = card.document.objects[index];
        label.coverState = label.coverState == CoverState::Covered ? CoverState::Uncovered : CoverState::Covered;
        card.view.redrawObject(index);
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
        index = (index + 37) % labelCount;
    }
}

// One step of a tile's drag during a quiz: its rectangle into card fractions, the target under
// it found, the marker's rectangle.
void BM_DragStep(benchmark::State& state)
{
    Card card(state, CardView::Mode::Quiz);
    card.view.markedPart = CardView::MarkedPart::Box;
    QRect tile(100, 100, 150, 46);
    int dx = 1;
    for (auto _ : state) {
        if (tile.x() > 1400 || tile.x() < 10)
            dx = -dx;
        tile.translate(dx, 0);
        const QRectF rect(card.view.viewToCard(tile.left(), tile.top()),
            card.view.viewToCard(tile.left() + tile.width(), tile.top() + tile.height()));
        const int target = findDropTarget(card.document, rect);
        card.view.markedObject = target;
        benchmark::DoNotOptimize(card.view.markerRect());
    }
}

} // namespace

BENCHMARK(BM_RedrawCard)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedrawOneLabel)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DragStep)->Arg(100)->Arg(200)->Unit(benchmark::kMicrosecond)->UseRealTime();

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
