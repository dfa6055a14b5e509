#include "common/pause.h"
#include "support/manualtick.h"

#include <QTimer>
#include <QtTest>

class TestPause : public QObject
{
    Q_OBJECT

private slots:
    void waitsForTheTick_data();
    void waitsForTheTick();
    void eventsDuringPause_data();
    void eventsDuringPause();
    void doneEndsWaitEarly();
    void realTickPause();
};

void TestPause::waitsForTheTick_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("step");
    QTest::addColumn<quint32>("ms");
    QTest::addColumn<bool>("withoutMessages");

    for (const bool withoutMessages : {false, true}) {
        const char* mode = withoutMessages ? "without messages" : "with messages";
        QTest::addRow("zero, %s", mode) << 1000u << 7u << 0u << withoutMessages;
        QTest::addRow("100 ms, %s", mode) << 1000u << 7u << 100u << withoutMessages;
        QTest::addRow("100 ms across the wrap, %s", mode) << 0xFFFFFFC0u << 7u << 100u << withoutMessages;
    }
}

void TestPause::waitsForTheTick()
{
    QFETCH(quint32, start);
    QFETCH(quint32, step);
    QFETCH(quint32, ms);
    QFETCH(bool, withoutMessages);

    ManualTick tick(start, step);
    pauseMs(ms, withoutMessages, tick);
    // The pause saw the tick reach ms, and ended on the first reading that did.
    const quint32 waited = ticksSince(start, tick.peek() - step);
    QVERIFY2(waited >= ms, qPrintable(QString::number(waited)));
    QVERIFY2(waited < std::max(ms, step) + step, qPrintable(QString::number(waited)));
}

void TestPause::eventsDuringPause_data()
{
    QTest::addColumn<WaitEvents>("events");
    QTest::addColumn<bool>("processed");
    QTest::newRow("pause with messages") << WaitEvents::All << true;
    QTest::newRow("pause without messages") << WaitEvents::None << false;
    // A synchronous sound waits like this: its output loads and starts through timers and
    // queued calls.
    QTest::newRow("wait holding back user input") << WaitEvents::NonUserInput << true;
}

void TestPause::eventsDuringPause()
{
    QFETCH(WaitEvents, events);
    QFETCH(bool, processed);

    bool timerFired = false;
    bool queuedCallRan = false;
    QTimer::singleShot(0, this, [&timerFired] { timerFired = true; });
    QMetaObject::invokeMethod(
        this, [&queuedCallRan] { queuedCallRan = true; }, Qt::QueuedConnection);

    ManualTick tick(0, 10);
    if (events == WaitEvents::NonUserInput)
        waitForTicks(100, events, tick);
    else
        pauseMs(100, events == WaitEvents::None, tick);
    QCOMPARE(timerFired, processed);
    QCOMPARE(queuedCallRan, processed);

    // Whatever the pause left waiting runs afterwards.
    QTRY_VERIFY(timerFired && queuedCallRan);
}

void TestPause::doneEndsWaitEarly()
{
    ManualTick tick(0, 10);
    int asked = 0;
    QVERIFY(waitForTicks(1000, WaitEvents::All, tick, [&asked] { return ++asked == 3; }));
    QCOMPARE(asked, 3);
    QVERIFY(tick.peek() < 1000);

    ManualTick otherTick(0, 10);
    QVERIFY(!waitForTicks(100, WaitEvents::None, otherTick, [] { return false; }));
    QVERIFY(otherTick.peek() >= 100);
}

void TestPause::realTickPause()
{
    // The one place where real time is the thing under test; kept short.
    const quint32 start = systemTick().now();
    pauseMs(30, false);
    QVERIFY(ticksSince(start, systemTick().now()) >= 30);
    const quint32 secondStart = systemTick().now();
    pauseMs(30, true);
    QVERIFY(ticksSince(secondStart, systemTick().now()) >= 30);
}

QTEST_GUILESS_MAIN(TestPause)
#include "tst_pause.moc"
