// An answer's feedback without a window: its steps in order with their waits, a feedback
// cancelled by a new quiz or by one of its own steps, and a tile gliding home by the time that
// passed, whatever the frame rate, across the tick's wrap.

#include "quiz/feedbackrunner.h"
#include "support/manualtick.h"

#include <QTest>

namespace {

// Remembers the wait asked for; the test plays the timer's part.
struct ManualTimer final : StepTimer
{
    int due = -1; // -1: not running
    void start(int ms) override { due = ms; }
    void stop() override { due = -1; }
};

} // namespace

class TestFeedbackRunner : public QObject
{
    Q_OBJECT

private slots:
    void stepsRunInTurnWithTheirWaits();
    void cancelledFeedbackRunsNoMore_data();
    void cancelledFeedbackRunsNoMore();
    void glideGoesByTheTimeThatPassed_data();
    void glideGoesByTheTimeThatPassed();
    void glideOfAVanishedTileEnds();
    void idleOnlyOnceNothingIsDue_data();
    void idleOnlyOnceNothingIsDue();
};

void TestFeedbackRunner::stepsRunInTurnWithTheirWaits()
{
    ManualTimer timer;
    FeedbackRunner runner(timer);
    QStringList ran;
    runner.add([&] {
        ran << "Farbe";
        return FeedbackRunner::next();
    });
    runner.add([&] {
        ran << "Ton";
        return FeedbackRunner::next(300);
    });
    runner.add([&] {
        ran << "Ende";
        return FeedbackRunner::next();
    });
    const auto current = [] { return true; };

    QVERIFY(!runner.run(current));
    QCOMPARE(ran, QStringList({"Farbe", "Ton"}));
    QCOMPARE(timer.due, 300);
    QVERIFY(runner.run(current));
    QCOMPARE(ran, QStringList({"Farbe", "Ton", "Ende"}));
    QVERIFY(runner.empty());
}

void TestFeedbackRunner::cancelledFeedbackRunsNoMore_data()
{
    QTest::addColumn<bool>("byStep"); // the second step cancels; else a new quiz during its wait
    QTest::newRow("a new quiz during a wait") << false;
    QTest::newRow("a step that ends the quiz") << true;
}

// What is left of a cancelled feedback never runs, not even when the timer fires late, and the
// generation tells deferred calls that they are stale.
void TestFeedbackRunner::cancelledFeedbackRunsNoMore()
{
    QFETCH(bool, byStep);
    ManualTimer timer;
    FeedbackRunner runner(timer);
    int third = 0;
    runner.add([] { return FeedbackRunner::next(150); });
    runner.add([&] {
        if (byStep)
            runner.cancel();
        return FeedbackRunner::next(150);
    });
    runner.add([&] {
        ++third;
        return FeedbackRunner::next();
    });
    const quint64 before = runner.generation();

    QVERIFY(!runner.run([] { return true; }));
    if (!byStep)
        runner.cancel();
    else
        QVERIFY(!runner.run([] { return true; }));
    QCOMPARE(timer.due, -1);
    QVERIFY(runner.generation() != before);
    QVERIFY(runner.run([] { return true; })); // nothing left: done at once
    QCOMPARE(third, 0);
}

void TestFeedbackRunner::glideGoesByTheTimeThatPassed_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<quint32>("start"); // the tick when the glide begins
    QTest::addColumn<QList<int>>("frames"); // ms between the frames
    QTest::addColumn<QList<QPoint>>("positions"); // after each frame
    QTest::addColumn<QList<int>>("waits"); // asked after each frame, -1 for the end

    // 100 pixels: 50 steps of 2 pixels, one per millisecond.
    QTest::newRow("even frames") << QPoint(100, 0) << 1000u << QList<int> {0, 10, 10, 10, 10, 10}
                                 << QList<QPoint> {{100, 0}, {80, 0}, {60, 0}, {40, 0}, {20, 0}, {0, 0}}
                                 << QList<int> {10, 10, 10, 10, 10, -1};
    // A slow machine's frames come late: the tile is where the time says, and ends in time.
    QTest::newRow("late frames") << QPoint(100, 0) << 1000u << QList<int> {0, 35, 40}
                                 << QList<QPoint> {{100, 0}, {30, 0}, {0, 0}} << QList<int> {10, 10, -1};
    // The last frame waits only for the steps left.
    QTest::newRow("short last frame") << QPoint(0, 30) << 5u << QList<int> {0, 10, 5}
                                      << QList<QPoint> {{0, 30}, {0, 10}, {0, 0}} << QList<int> {10, 5, -1};
    QTest::newRow("across the tick's wrap") << QPoint(100, 0) << 0xFFFFFFFBu << QList<int> {0, 25, 30}
                                            << QList<QPoint> {{100, 0}, {50, 0}, {0, 0}} << QList<int> {10, 10, -1};
    QTest::newRow("already home") << QPoint(0, 0) << 0u << QList<int> {0} << QList<QPoint> {{0, 0}} << QList<int> {-1};
}

// The glide home of a wrongly placed tile: one step of 2 pixels per millisecond, placed at every
// frame by the time that passed since it began, ending exactly at home.
void TestFeedbackRunner::glideGoesByTheTimeThatPassed()
{
    QFETCH(QPoint, from);
    QFETCH(quint32, start);
    QFETCH(QList<int>, frames);
    QFETCH(QList<QPoint>, positions);
    QFETCH(QList<int>, waits);

    ManualTimer timer;
    FeedbackRunner runner(timer);
    ManualTick tick(start);
    QPoint tile = from;
    runner.add(FeedbackRunner::glide(
        tick, [&] { return std::optional(tile); }, [&](QPoint at) { tile = at; }, QPoint(0, 0), 10));
    for (int i = 0; i < frames.size(); ++i) {
        tick.advance(quint32(frames.at(i)));
        timer.due = -1;
        const bool done = runner.run([] { return true; });
        QCOMPARE(tile, positions.at(i));
        QCOMPARE(done, waits.at(i) < 0);
        if (waits.at(i) >= 0)
            QCOMPARE(timer.due, waits.at(i));
    }
}

void TestFeedbackRunner::glideOfAVanishedTileEnds()
{
    ManualTimer timer;
    FeedbackRunner runner(timer);
    ManualTick tick;
    bool there = true;
    int moves = 0;
    runner.add(FeedbackRunner::glide(
        tick, [&] { return there ? std::optional(QPoint(60, 0)) : std::nullopt; }, [&](QPoint) { ++moves; },
        QPoint(0, 0), 10));
    QVERIFY(!runner.run([] { return true; }));
    there = false; // the quiz left and the tile went
    tick.advance(10);
    QVERIFY(runner.run([] { return true; }));
    QCOMPARE(moves, 1);
}

void TestFeedbackRunner::idleOnlyOnceNothingIsDue_data()
{
    QTest::addColumn<int>("lastWait"); // of the last step
    QTest::addColumn<bool>("cancel"); // during the first wait
    QTest::newRow("last step goes on at once") << 0 << false;
    // Its queue is empty while the timer is still due: not idle until the timer led to run().
    QTest::newRow("last step waits") << 200 << false;
    QTest::newRow("cancelled during a wait") << 0 << true;
}

// The quiz panel reads a held conclusion from an idle runner: a feedback that still waits for
// its timer must never count as over.
void TestFeedbackRunner::idleOnlyOnceNothingIsDue()
{
    QFETCH(int, lastWait);
    QFETCH(bool, cancel);
    ManualTimer timer;
    FeedbackRunner runner(timer);
    QVERIFY(runner.idle());
    runner.add([] { return FeedbackRunner::next(100); });
    runner.add([lastWait] { return FeedbackRunner::next(lastWait); });
    QVERIFY(!runner.idle());
    QVERIFY(!runner.run([] { return true; }));
    QVERIFY(!runner.idle());
    if (cancel) {
        runner.cancel();
        QVERIFY(runner.idle());
        return;
    }
    QCOMPARE(runner.run([] { return true; }), lastWait == 0);
    QCOMPARE(runner.idle(), lastWait == 0);
    if (lastWait != 0) {
        QVERIFY(runner.run([] { return true; }));
        QVERIFY(runner.idle());
    }
}

QTEST_APPLESS_MAIN(TestFeedbackRunner)
#include "tst_feedbackrunner.moc"
