// The learning card of a photograph with 300 labels in a view of 1600 x 1000 pixels: a full
// redraw (after loading, on a change of zoom or layers) against the things that must stay far
// cheaper than it: redrawing one label as a click does, the same during a quiz with the quiz
// panel's copy of the card, and one pan step at 200 %.
// bench/cardview.sh runs them and prints the two ratios.

#include "cardview/cardview.h"
#include "document/topicdocument.h"
#include "photograph.h"
#include "quiz/instructionstrip.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int labelCount = 300;
const QSize viewSize(1600, 1000);

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_cardview: %s\n", what);
    std::exit(1);
}

// 300 labels on a 20 x 15 grid, each with a leader line from a point beside it, automatic
// placement and a caption of one or two lines; every second one is covered.
TopicDocument labelledPhoto()
{
    TopicDocument document;
    document.titel = QStringLiteral("Ein Foto mit 300 Beschriftungen");
    document.picture = photograph(1600, 1000);
    for (int i = 0; i < labelCount; ++i) {
        DocObject label;
        label.Kx = 0.03 + 0.048 * (i % 20);
        label.Ky = 0.04 + 0.063 * (i / 20);
        label.Sx = label.Kx + 0.02;
        label.Sy = label.Ky + 0.015;
        label.Cap
            = i % 7 == 0 ? QStringLiteral("Zeile %1\r\nzweite Zeile").arg(i) : QStringLiteral("Beschriftung %1").arg(i);
        label.KAusr = 0;
        label.TAusr = 1;
        label.Ebene = 1;
        label.Typ = ObjectKind::Label;
        label.Sline = 1;
        label.Fsize = -3;
        label.coverState = i % 2 == 0 ? CoverState::Covered : CoverState::Uncovered;
        document.objects.append(label);
    }
    return document;
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
        view.applyNumbering(1);
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
