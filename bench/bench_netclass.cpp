// A classroom's load on the teacher's machine: 30 simulated pupils, each on a loopback address of
// its own (127.0.0.10 and up) sending a realistic quiz (TN-INIT, 40 TN-AKTION, TN-FERTIG,
// TN-BESTLIST) to one master at 150-ms polling with the control display open; first at classroom
// pace, then all at once, then at classroom pace again while another process floods the master
// from 127.0.0.9 (20 000 TN-INIT with distinct identifiers and 60 KB names, and as many with short
// names). Reports the messages lost, the time from a datagram's sending to the control display
// showing it (median, 99th percentile and worst), the memory the flood made the process grow by
// at its peak, the longest a key press waited for the window during the flood, and the CPU time
// of the process while the master's polling thread idles.
//
//   bench_netclass [PACE_SECONDS [IDLE_SECONDS]]     (defaults 20 and 60; bench/netclass.sh)
//   bench_netclass --flood PORT_NAME                  (the flooding process)

#include "network/mailslot.h"
#include "network/netclassmodel.h"
#include "network/netexercise.h"
#include "network/ui/netcontrolwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QNetworkProxy>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <sys/resource.h>

#include "platform/mailslottransport.h"

#include <QEventLoop>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

namespace {

constexpr int pupils = 30;
constexpr int actions = 40;
const QString channel = QStringLiteral("BENCHNC");

struct Outgoing
{
    qint64 dueMs = 0;
    int pupil = 0;
    QStringList lines;
};

QString pupilId(int round, int pupil)
{
    QString id(30, u'A');
    id[0] = QChar(u'A' + round);
    id[1] = QChar(u'A' + pupil / 26);
    id[2] = QChar(u'A' + pupil % 26);
    return id;
}

// One pupil's quiz: every label placed, a wrong try now and then.
QList<QStringList> quizMessages(const QString& id)
{
    QList<QStringList> messages {initMessage(id, QString(), 46000.5)};
    int right = 0;
    int wrong = 0;
    for (int i = 0; i < actions; ++i) {
        const bool mistake = i % 7 == 3;
        mistake ? ++wrong : ++right;
        const int open = actions - right;
        const int answered = right + wrong;
        messages.append({NetMessages::action, id, QString::number(right - 1 + (mistake ? 1 : 0)),
            QString::number(mistake ? CoverState::Open : CoverState::Uncovered), QString::number(mistake ? 1 : 0),
            QStringLiteral("0"), QStringLiteral("10:00:00"), QString::number(actions), QString::number(right),
            QString::number(wrong), QString::number(open), QStringLiteral("01:23"),
            QString::number(100.0 * right / answered, 'f', 1),
            QString::number(100.0 * right / (answered + open), 'f', 1), QStringLiteral("2")});
    }
    messages.append(finishMessage(id, 1, QStringLiteral("04:10")));
    // The result agrees with the last report: right answers of all answers and open questions.
    messages.append(bestListMessage(
        id, QString(), QStringLiteral("PC"), 46000.5, 250000, double(right) / (right + wrong + actions - right)));
    return messages;
}

constexpr int floodCount = 20000;
const QHostAddress flooderAddress(QStringLiteral("127.0.0.9"));

QHostAddress pupilAddress(int pupil)
{
    return QHostAddress(QHostAddress(QStringLiteral("127.0.0.10")).toIPv4Address() + quint32(pupil));
}

// The flooding process: as fast as it can, TN-INIT with new identifiers, every other one with a
// 60 KB name.
int flood()
{
    QUdpSocket socket;
    if (!socket.bind(flooderAddress, 0))
        return 1;
    const quint16 port = mailslotPort(channel);
    const QString longName(60 * 1024, u'n');
    for (int i = 0; i < 2 * floodCount; ++i) {
        QString id(30, u'Z');
        for (int digit = 0, rest = i; digit < 8; ++digit, rest /= 26)
            id[digit] = QChar(u'A' + rest % 26);
        const QByteArray datagram = buildMailslotDatagram(QStringLiteral("flut"), QStringLiteral("PC-FLUT"),
            initMessage(id, i % 2 == 0 ? longName : QStringLiteral("Flut"), 46000.5));
        socket.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), port);
    }
    return 0;
}

// The process's resident memory in KiB, now or at its peak since the peak was last reset.
qint64 memoryKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(std::min(values.size() - 1, size_t(share * double(values.size()))));
}

// Calls shown after every paint of the watched widget.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(std::function<void()> shown)
        : m_shown(std::move(shown))
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { m_shown(); });
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--flood") == 0) {
        QCoreApplication flooder(argc, argv);
        return flood();
    }
    QApplication app(argc, argv);
    const int paceSeconds = argc > 1 ? atoi(argv[1]) : 20;
    const int idleSeconds = argc > 2 ? atoi(argv[2]) : 60;

    QTemporaryDir dir;
    TopicDocument document;
    document.picture = QImage(200, 100, QImage::Format_RGB32);
    for (int i = 0; i < actions; ++i) {
        DocObject label;
        label.Typ = ObjectKind::Label;
        label.Cap = QStringLiteral("Beschriftung %1").arg(i + 1);
        document.objects.append(label);
    }
    NetExercise teacher;
    teacher.folder = dir.path() + u'/';
    teacher.channel = channel;
    teacher.setBindAddress(QHostAddress(QHostAddress::LocalHost));
    if (teacher.publish(document, {}, QStringLiteral("LEHRER")) != NetExercise::PublishResult::Published
        || !teacher.openMaster()) {
        std::fprintf(stderr, "error: the master could not be opened on loopback\n");
        return 1;
    }
    NetControlWindow window(*teacher.participantTable(), *teacher.questionTable());
    // Every pupil's row in view, so that each message shows in a paint (a row scrolled out of view
    // is not painted until the teacher scrolls to it).
    window.resize(1400, 2400);
    window.show();

    QElapsedTimer clock;
    clock.start();
    // The pupils' machines send from a thread of their own, as other computers would, so that
    // the sending does not hold up the teacher's window.
    std::mutex mutex;
    QHash<QString, std::deque<qint64>> sentAt; // per pupil, in sending order (ns)
    std::atomic<qint64> sent {0};
    qint64 received = 0;
    std::vector<double> latencies; // ms
    const auto sendAll = [&](std::vector<Outgoing> schedule) {
        return std::thread([&, schedule = std::move(schedule)] {
            const qint64 start = clock.elapsed();
            for (const Outgoing& message : schedule) {
                const qint64 wait = message.dueMs - (clock.elapsed() - start);
                if (wait > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
                const QByteArray datagram = buildMailslotDatagram(QStringLiteral("schueler%1").arg(message.pupil + 1),
                    QStringLiteral("PC-%1").arg(message.pupil + 1, 2, 10, QChar(u'0')), message.lines);
                {
                    const std::lock_guard lock(mutex);
                    sentAt[message.lines.at(1)].push_back(clock.nsecsElapsed());
                }
                // Each pupil's machine sends from its own address, with a socket per message as
                // the program does.
                QUdpSocket socket;
                socket.setProxy(QNetworkProxy::NoProxy);
                socket.bind(pupilAddress(message.pupil), 0);
                socket.writeDatagram(datagram, QHostAddress(QHostAddress::LocalHost), mailslotPort(channel));
                ++sent;
            }
        });
    };
    // A message is shown once the view has painted after the model took it; the window repaints
    // as it would for the teacher, at most once per frame.
    std::vector<qint64> taken; // sending times of messages the model took, not yet painted
    QObject::connect(&teacher, &NetExercise::participantChanged, &window, [&](const QString& id) {
        const std::lock_guard lock(mutex);
        // The flooder's few accepted participants are not the class's messages.
        if (!sentAt.contains(id))
            return;
        auto& queue = sentAt[id];
        if (!queue.empty()) {
            taken.push_back(queue.front());
            queue.pop_front();
        }
        ++received;
    });
    PaintWatch watch([&] {
        // Runs right after the paint.
        const qint64 now = clock.nsecsElapsed();
        for (const qint64 sentNs : taken) {
            latencies.push_back(double(now - sentNs) / 1e6);
            if (qEnvironmentVariableIsSet("NETCLASS_DEBUG") && latencies.back() > 200)
                std::fprintf(stderr, "late %.1f ms, sent at %.3f s, shown at %.3f s\n", latencies.back(),
                    double(sentNs) / 1e9, double(now) / 1e9);
        }
        taken.clear();
    });
    window.participantView()->viewport()->installEventFilter(&watch);
    // Runs the event loop, without spinning, until done() or limitMs have passed.
    const auto runUntil = [&](const std::function<bool()>& done, int limitMs) {
        QEventLoop loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        if (!done) {
            // Nothing to look at meanwhile: no timer of the bench's own wakes the process.
            loop.exec();
            return;
        }
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(5);
        loop.exec();
    };
    const auto waitForAll = [&](qint64 total, int limitMs) {
        runUntil([&] { return received >= total && sent.load() >= total; }, limitMs);
        // Late duplicates or stragglers would arrive now.
        runUntil(nullptr, 500);
    };

    // Every round's messages are made before the first is sent, so that the window's thread does
    // nothing of the bench's own while the class works.
    // Classroom pace: each pupil's messages spread over the pace, starting at random moments.
    std::mt19937 random(7);
    const auto pacedRound = [&](int round) {
        std::vector<Outgoing> schedule;
        for (int pupil = 0; pupil < pupils; ++pupil) {
            const QList<QStringList> messages = quizMessages(pupilId(round, pupil));
            const qint64 step = paceSeconds * 1000 / (messages.size() + 1);
            qint64 due = std::uniform_int_distribution<qint64>(0, step)(random);
            for (const QStringList& lines : messages) {
                schedule.push_back({due, pupil, lines});
                due += step / 2 + std::uniform_int_distribution<qint64>(0, step)(random);
            }
        }
        std::sort(schedule.begin(), schedule.end(), [](const auto& a, const auto& b) { return a.dueMs < b.dueMs; });
        return schedule;
    };
    std::vector<Outgoing> schedule = pacedRound(0);
    // All at once: a second class round, every message of every pupil in one go.
    std::vector<QList<QStringList>> burstQuizzes;
    for (int pupil = 0; pupil < pupils; ++pupil)
        burstQuizzes.push_back(quizMessages(pupilId(1, pupil)));
    std::vector<Outgoing> burstSchedule;
    for (int round = 0; round < actions + 3; ++round) {
        for (int pupil = 0; pupil < pupils; ++pupil)
            burstSchedule.push_back({0, pupil, burstQuizzes.at(size_t(pupil)).at(round)});
    }
    std::vector<Outgoing> floodRound = pacedRound(2);

    // The window painted once, as it has been long before a class's first message arrives.
    runUntil(nullptr, 500);

    const qint64 pacedSent = qint64(schedule.size());
    std::thread paceSender = sendAll(std::move(schedule));
    waitForAll(pacedSent, paceSeconds * 1000 + 10000);
    paceSender.join();
    const std::vector<double> paced = latencies;
    const qint64 pacedReceived = received;

    latencies.clear();
    const qint64 total = pacedSent + qint64(burstSchedule.size());
    std::thread burstSender = sendAll(std::move(burstSchedule));
    waitForAll(total, 30000);
    burstSender.join();
    const std::vector<double> burst = latencies;

    // A flood from another process while a third class round works at classroom pace. A key
    // press is posted to the window every 20 ms; the longest one waited is the window's deafness.
    latencies.clear();
    const qint64 beforeFlood = received;
    const qint64 memoryBefore = memoryKiB("VmRSS:");
    resetPeakMemory();
    const qint64 floodRoundSent = qint64(floodRound.size());
    double worstKeyMs = 0;
    qint64 keyPosted = 0;
    struct KeyWatch : QObject
    {
        std::function<void()> pressed;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F24)
                pressed();
            return QObject::eventFilter(watched, event);
        }
    } keyWatch;
    keyWatch.pressed = [&] { worstKeyMs = std::max(worstKeyMs, double(clock.nsecsElapsed() - keyPosted) / 1e6); };
    window.installEventFilter(&keyWatch);
    QTimer keys;
    keys.setTimerType(Qt::PreciseTimer);
    qint64 lastFire = clock.nsecsElapsed();
    QObject::connect(&keys, &QTimer::timeout, &window, [&] {
        // A key pressed when the timer was due has waited for its lateness too.
        const qint64 now = clock.nsecsElapsed();
        const qint64 lateness = std::max<qint64>(0, now - lastFire - 20'000'000);
        lastFire = now;
        keyPosted = now - lateness;
        QCoreApplication::postEvent(&window, new QKeyEvent(QEvent::KeyPress, Qt::Key_F24, Qt::NoModifier));
    });
    keys.start(20);
    QProcess flooder;
    flooder.setProcessChannelMode(QProcess::ForwardedChannels);
    // NETCLASS_FLOOD=0: the third round without the flood, for a build that does not bound it.
    if (qEnvironmentVariable("NETCLASS_FLOOD") != u"0")
        flooder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--flood")});
    std::thread floodRoundSender = sendAll(std::move(floodRound));
    waitForAll(beforeFlood + floodRoundSent, paceSeconds * 1000 + 10000);
    floodRoundSender.join();
    runUntil([&] { return flooder.state() == QProcess::NotRunning; }, 120000);
    runUntil(nullptr, 1000);
    keys.stop();
    const std::vector<double> flooded = latencies;
    const qint64 floodLost = beforeFlood + floodRoundSent - received;
    const qint64 memoryGrowth = memoryKiB("VmHWM:") - memoryBefore;
    const QString refusals = teacher.participantTable()->summary();
    // NETCLASS_SHOT=FILE.png: the control display as the teacher sees it after the flood.
    if (const QString shot = qEnvironmentVariable("NETCLASS_SHOT"); !shot.isEmpty())
        window.grab().save(shot);

    // Idle: only the master's polling thread is at work, with the control display open and then
    // closed.
    const double cpuBefore = cpuSeconds();
    runUntil(nullptr, idleSeconds * 1000);
    const double cpuIdle = cpuSeconds() - cpuBefore;
    window.hide();
    const double cpuBeforeClosed = cpuSeconds();
    runUntil(nullptr, idleSeconds * 1000);
    const double cpuIdleClosed = cpuSeconds() - cpuBeforeClosed;

    std::printf("messages sent %lld, shown %lld, lost %lld (at classroom pace %lld of %lld)\n", (long long)sent.load(),
        (long long)received, (long long)(sent.load() - received), (long long)(pacedSent - pacedReceived),
        (long long)pacedSent);
    std::printf("classroom pace (%d s): shown after median %.1f ms, 95 %% %.1f ms, 99 %% %.1f ms, worst %.1f ms\n",
        paceSeconds, percentile(paced, 0.5), percentile(paced, 0.95), percentile(paced, 0.99), percentile(paced, 1.0));
    std::printf("all at once (%zu messages): shown after median %.1f ms, 99 %% %.1f ms, worst %.1f ms\n", burst.size(),
        percentile(burst, 0.5), percentile(burst, 0.99), percentile(burst, 1.0));
    std::printf("under a flood of %d TN-INIT from one address (%s): %lld of %lld real messages lost, shown after "
                "median %.1f ms, 99 %% %.1f ms, worst %.1f ms; peak memory growth %.1f MiB; a key press waited at "
                "most %.1f ms\n",
        2 * floodCount, qPrintable(refusals.section(QStringLiteral("abgewiesene Meldungen: "), 1)),
        (long long)floodLost, (long long)floodRoundSent, percentile(flooded, 0.5), percentile(flooded, 0.99),
        percentile(flooded, 1.0), double(memoryGrowth) / 1024, worstKeyMs);
    std::printf("goal: within one polling period plus one frame, %.1f ms\n", 150 + 1000.0 / 60);
    std::printf("idle %d s: CPU time %.3f s (%.3f %% of one core); with the control display closed %.3f s (%.3f %%)\n",
        idleSeconds, cpuIdle, 100 * cpuIdle / idleSeconds, cpuIdleClosed, 100 * cpuIdleClosed / idleSeconds);
    return sent.load() == received ? 0 : 2;
}
