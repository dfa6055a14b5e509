// Pointer reactions on the card, measured side by side with a full redraw of the same card:
// - learning card: the hit test over 1000 objects (a point beside every box, so the whole list
//   is walked) and one pointer move as the window handles it (hit test plus cursor); a 60 Hz
//   frame is 16.7 ms and both must stay below 2 % of it;
// - quiz: one drag step of a tile over 300 open targets (move, drop-target search, marker),
//   below 1 ms and at most 10 % of a full redraw of that card.
// bench/hittest.sh prints the figures.

#include "cardview/cardview.h"
#include "quiz/droptarget.h"

#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>

namespace {

constexpr int objectCount = 1000;

TopicDocument& topic()
{
    static TopicDocument doc = [] {
        TopicDocument d;
        d.picture = QImage(1600, 1000, QImage::Format_ARGB32);
        d.picture.fill(QColor(90, 140, 200));
        quint32 seed = 11;
        for (int i = 0; i < objectCount; ++i) {
            seed = seed * 1664525u + 1013904223u;
            DocObject o;
            o.Typ = i % 50 == 0 ? ObjectKind::InfoPoint : ObjectKind::Label;
            o.Ebene = o.Typ == ObjectKind::InfoPoint ? 2 : 1;
            o.Cap = QStringLiteral("Ort %1").arg(i);
            o.Sx = (seed >> 8) % 1000 / 1000.0 * 0.9;
            o.Sy = (seed >> 18) % 1000 / 1000.0 * 0.9;
            o.Kx = o.Sx + 0.01;
            o.Ky = o.Sy;
            o.Sline = 1;
            d.objects.append(o);
        }
        return d;
    }();
    return doc;
}

CardView& card()
{
    static CardView view = [] {
        CardView v(topic());
        v.controlSize = QSize(1600, 1000);
        v.applyNumbering(CardView::Numbering::Ordered);
        v.redrawCard();
        return v;
    }();
    return view;
}

// A control point that no box holds: the bottom-right corner of the picture.
QPoint missPoint()
{
    const CardView& view = card();
    return view.bitmapOrigin() + QPoint(view.viewBitmap.width() - 2, view.viewBitmap.height() - 2);
}

void BM_RedrawCard(benchmark::State& state)
{
    CardView& view = card();
    for (auto _ : state)
        view.redrawCard();
}

void BM_HitTest(benchmark::State& state)
{
    const CardView& view = card();
    const QPoint point = missPoint();
    if (view.hitTest(point.x(), point.y()) != -1)
        state.SkipWithError("the test point lies in a box");
    for (auto _ : state)
        benchmark::DoNotOptimize(view.hitTest(point.x(), point.y()));
}

void BM_PointerMove(benchmark::State& state)
{
    const CardView& view = card();
    QWidget control;
    control.resize(1600, 1000);
    const QPoint miss = missPoint();
    // Alternating between a box and the empty corner, so the cursor really changes.
    const DocObject& first = topic().objects.at(1);
    const QPoint hit
        = view.cardToView((first.boxRect[0] + first.boxRect[2]) / 2, (first.boxRect[1] + first.boxRect[3]) / 2);
    bool onBox = false;
    for (auto _ : state) {
        const QPoint point = onBox ? hit : miss;
        onBox = !onBox;
        control.setCursor(view.hitTest(point.x(), point.y()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

// The quiz's card: 300 open drop targets.
TopicDocument& quizTopic()
{
    static TopicDocument doc = [] {
        TopicDocument d = topic();
        d.objects = d.objects.mid(0, 300);
        for (DocObject& o : d.objects) {
            o.Typ = ObjectKind::Label;
            o.Ebene = 1;
            o.coverState = CoverState::Open;
        }
        return d;
    }();
    return doc;
}

CardView& quizCard()
{
    static CardView view = [] {
        CardView v(quizTopic());
        v.controlSize = QSize(1600, 1000);
        v.cardMode = CardView::Mode::Quiz;
        v.applyNumbering(CardView::Numbering::Ordered);
        v.redrawCard();
        return v;
    }();
    return view;
}

void BM_QuizRedrawCard(benchmark::State& state)
{
    CardView& view = quizCard();
    for (auto _ : state)
        view.redrawCard();
}

// One step of a tile's drag as the window makes it: the tile moves a pixel, its rectangle goes
// into card fractions, the drop target under it is found and the marker framed around it.
void BM_DragStep(benchmark::State& state)
{
    CardView& view = quizCard();
    QWidget panel;
    panel.resize(1600, 1000);
    QWidget tile(&panel);
    tile.setGeometry(100, 100, 150, 46);
    QWidget marker(&panel);
    view.markedPart = CardView::MarkedPart::Box;
    int dx = 1;
    for (auto _ : state) {
        if (tile.x() > 1400 || tile.x() < 10)
            dx = -dx;
        tile.move(tile.pos() + QPoint(dx, 0));
        const QRect r = tile.geometry();
        const QRectF card(
            view.viewToCard(r.left(), r.top()), view.viewToCard(r.left() + r.width(), r.top() + r.height()));
        const int target = findDropTarget(quizTopic(), card);
        view.markedObject = target;
        marker.setGeometry(view.markerRect());
        benchmark::DoNotOptimize(target);
    }
}

} // namespace

BENCHMARK(BM_QuizRedrawCard)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_RedrawCard)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HitTest)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_PointerMove)->Unit(benchmark::kMicrosecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    card();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
