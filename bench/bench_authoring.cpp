// The topic editor on the photograph with 300 labels in a view of 1600 x 1000 pixels: one step of
// dragging a label's box with the card's update, and undoing and redoing a move with the card's
// update, against one frame at 60 Hz (bench/authoring.sh prints the ratios).

#include "authoring/topiceditor.h"
#include "cardview/cardview.h"
#include "labelledphoto.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The editor shows every label uncovered, as the card does while the label editor is open, and
// its card draws afresh, as the editor's does.
struct EditedCard
{
    TopicDocument document = labelledPhoto();
    CardView view {document};
    TopicEditor editor {document};

    EditedCard()
    {
        for (DocObject& object : document.objects)
            object.coverState = CoverState::Uncovered;
        view.controlSize = QSize(1600, 1000);
        view.drawsAfresh = true;
        view.redrawCard();
    }
};

void BM_DragStep(benchmark::State& state)
{
    EditedCard card;
    const int index = labelledPhotoLabels / 2;
    const DocObject start = card.document.objects.at(index);
    if (!card.editor.beginDrag(index, ObjectPart::Box)) {
        std::fprintf(stderr, "bench_authoring: the label cannot be dragged\n");
        std::exit(1);
    }
    // The card keeps itself without the label once, as the window does at the drag's first step.
    card.view.beginMovingObject(index);
    int step = 0;
    for (auto _ : state) {
        // Back and forth by a few pixels, as a hand moves.
        const double dx = 0.002 * (step++ % 8);
        card.editor.dragTo(QPointF(start.Kx + dx, start.Ky + dx / 2));
        card.view.redrawMovingObject();
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
    }
    card.editor.endDrag();
}

void BM_UndoMove(benchmark::State& state)
{
    EditedCard card;
    const int index = labelledPhotoLabels / 2;
    const DocObject& label = card.document.objects.at(index);
    card.editor.moveObject(index, ObjectPart::Box, QPointF(label.Kx + 0.01, label.Ky + 0.01));
    bool undone = false;
    for (auto _ : state) {
        if (undone)
            card.editor.undoStack()->redo();
        else
            card.editor.undoStack()->undo();
        undone = !undone;
        card.view.redrawChangedObject(index);
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
    }
}

void BM_RedrawCard(benchmark::State& state)
{
    EditedCard card;
    for (auto _ : state) {
        card.view.redrawCard();
        benchmark::DoNotOptimize(card.view.viewBitmap.constBits());
    }
}

} // namespace

BENCHMARK(BM_DragStep)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoMove)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedrawCard)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
