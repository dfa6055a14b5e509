// The quiz engine on a card with 300 labels: judging one released tile (the engine's part,
// without feedback waits, sounds or drawing) and the drag step's search for the target under the
// tile, which runs on every mouse move. bench/quiz.sh runs them and prints the medians.

#include "document/topicdocument.h"
#include "platform/tick.h"
#include "quiz/droptarget.h"
#include "quiz/quizsession.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int labelCount = 300;

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_quiz: %s\n", what);
    std::exit(1);
}

class FixedTick final : public TickSource
{
public:
    quint32 now() const override { return 123456; }
};

// 300 labels on a 20 x 15 grid, each with a box of its own and a caption of two words.
TopicDocument labelledCard()
{
    TopicDocument doc;
    doc.DokTyp = DocType::ImageLabelling;
    doc.titel = QStringLiteral("Anatomie");
    for (int i = 0; i < labelCount; ++i) {
        DocObject o;
        o.Typ = ObjectKind::Label;
        o.Cap = QStringLiteral("Muskel-\r\nfaser %1").arg(i);
        o.Kx = 0.01 + (i % 20) * 0.049;
        o.Ky = 0.02 + (i / 20) * 0.064;
        o.boxRect = {o.Kx, o.Ky, o.Kx + 0.04, o.Ky + 0.03};
        doc.objects.append(o);
    }
    return doc;
}

QuizSnapshot freeAssignment()
{
    return {0, 0, 0, 0, 0, 0, 0};
}

// A wrong answer: counters, protocol line, open count and rates, the tile glides back. The
// protocol is emptied now and then so that it does not grow through millions of iterations.
void BM_JudgeWrongAnswer(benchmark::State& state)
{
    TopicDocument doc = labelledCard();
    FixedTick tick;
    QuizSession session(doc, tick);
    session.snapshot = freeAssignment();
    if (!session.start(0, 0))
        fixtureFailed("the quiz does not start");
    int round = 0;
    for (auto _ : state) {
        session.hoverTarget = 150;
        const JudgeResult result = session.judgeAnswer(151);
        if (!result.judged || result.right)
            fixtureFailed("the answer was not judged wrong");
        if (++round == 1024) {
            round = 0;
            session.protocolDetail.clear();
        }
    }
}

// Right answers through a whole quiz of 300 labels; the start is not timed.
void BM_JudgeRightAnswer(benchmark::State& state)
{
    TopicDocument doc = labelledCard();
    FixedTick tick;
    QuizSession session(doc, tick);
    for (auto _ : state) {
        state.PauseTiming();
        session.leaveQuiz();
        session.snapshot = freeAssignment();
        if (!session.start(0, 0))
            fixtureFailed("the quiz does not start");
        state.ResumeTiming();
        for (int i = 0; i < labelCount; ++i) {
            session.hoverTarget = i;
            if (!session.judgeAnswer(i).right)
                fixtureFailed("a right answer was not judged right");
        }
    }
    state.SetItemsProcessed(state.iterations() * labelCount);
}

// The drag step with all 300 targets open. Over empty picture both passes look at every box,
// which is the slowest case; over the last label the first pass finds it after all the others.
void BM_FindDropTarget(benchmark::State& state)
{
    TopicDocument doc = labelledCard();
    FixedTick tick;
    QuizSession session(doc, tick);
    session.snapshot = freeAssignment();
    if (!session.start(0, 0))
        fixtureFailed("the quiz does not start");
    const auto& last = doc.objects.constLast().boxRect;
    const QRectF tile = state.range(0) == 0 ? QRectF(1.2, 0.5, 0.1, 0.04) : QRectF(last[0], last[1], 0.1, 0.02);
    const int expected = state.range(0) == 0 ? -1 : labelCount - 1;
    for (auto _ : state) {
        const int target = findDropTarget(doc, tile);
        if (target != expected)
            fixtureFailed("the search found the wrong target");
        benchmark::DoNotOptimize(target);
    }
}

} // namespace

BENCHMARK(BM_JudgeWrongAnswer)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_JudgeRightAnswer)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_FindDropTarget)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
