// A classroom's load on the teacher's machine: 30 simulated pupils, each sending a realistic quiz
// (TN-INIT, 40 TN-AKTION, TN-FERTIG, TN-BESTLIST) over loopback to one master at 150-ms polling
// with the control display open; first at classroom pace, then all at once. Reports the messages
// lost, the time from a datagram's sending to the control display showing it (median and worst),
// and the CPU time of the process while the master's polling thread idles.
//
//   bench_netclass [PACE_SECONDS [IDLE_SECONDS]]     (defaults 20 and 60; bench/netclass.sh)

#include "network/mailslot.h"
#include "network/netclassmodel.h"
#include "network/netexercise.h"
#include "network/ui/netcontrolwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

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
    messages.append(bestListMessage(id, QString(), QStringLiteral("PC"), 46000.5, 250000, 0.85));
    return messages;
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
                sendMailslotDatagram(QHostAddress(QHostAddress::LocalHost), channel, datagram);
                ++sent;
            }
        });
    };
    // A message is shown once the view has painted after the model took it; the window repaints
    // as it would for the teacher, at most once per frame.
    std::vector<qint64> taken; // sending times of messages the model took, not yet painted
    QObject::connect(&teacher, &NetExercise::participantChanged, &window, [&](const QString& id) {
        const std::lock_guard lock(mutex);
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
        for (const qint64 sentNs : taken)
            latencies.push_back(double(now - sentNs) / 1e6);
        taken.clear();
    });
    window.participantView()->viewport()->installEventFilter(&watch);
    // Runs the event loop, without spinning, until done() or limitMs have passed.
    const auto runUntil = [&](const std::function<bool()>& done, int limitMs) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        check.start(5);
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        loop.exec();
    };
    const auto waitForAll = [&](qint64 total, int limitMs) {
        runUntil([&] { return received >= total; }, limitMs);
        // Late duplicates or stragglers would arrive now.
        runUntil([] { return false; }, 500);
    };

    // The window painted once, as it has been long before a class's first message arrives.
    runUntil([] { return false; }, 500);

    // Classroom pace: each pupil's messages spread over the pace, starting at random moments.
    std::mt19937 random(7);
    std::vector<Outgoing> schedule;
    for (int pupil = 0; pupil < pupils; ++pupil) {
        const QList<QStringList> messages = quizMessages(pupilId(0, pupil));
        const qint64 step = paceSeconds * 1000 / (messages.size() + 1);
        qint64 due = std::uniform_int_distribution<qint64>(0, step)(random);
        for (const QStringList& lines : messages) {
            schedule.push_back({due, pupil, lines});
            due += step / 2 + std::uniform_int_distribution<qint64>(0, step)(random);
        }
    }
    std::sort(schedule.begin(), schedule.end(), [](const auto& a, const auto& b) { return a.dueMs < b.dueMs; });
    const qint64 pacedSent = qint64(schedule.size());
    std::thread paceSender = sendAll(std::move(schedule));
    waitForAll(pacedSent, paceSeconds * 1000 + 10000);
    paceSender.join();
    const std::vector<double> paced = latencies;
    const qint64 pacedReceived = received;

    // All at once: a second class round, every message of every pupil in one go.
    latencies.clear();
    std::vector<Outgoing> burstSchedule;
    for (int round = 0; round < actions + 3; ++round) {
        for (int pupil = 0; pupil < pupils; ++pupil)
            burstSchedule.push_back({0, pupil, quizMessages(pupilId(1, pupil)).at(round)});
    }
    const qint64 total = pacedSent + qint64(burstSchedule.size());
    std::thread burstSender = sendAll(std::move(burstSchedule));
    waitForAll(total, 30000);
    burstSender.join();
    const std::vector<double> burst = latencies;

    // Idle: only the master's polling thread is at work.
    const double cpuBefore = cpuSeconds();
    runUntil([] { return false; }, idleSeconds * 1000);
    const double cpuIdle = cpuSeconds() - cpuBefore;

    std::printf("messages sent %lld, shown %lld, lost %lld (at classroom pace %lld of %lld)\n", (long long)sent.load(),
        (long long)received, (long long)(sent.load() - received), (long long)(pacedSent - pacedReceived),
        (long long)pacedSent);
    std::printf("classroom pace (%d s): shown after median %.1f ms, 95 %% %.1f ms, worst %.1f ms\n", paceSeconds,
        percentile(paced, 0.5), percentile(paced, 0.95), percentile(paced, 1.0));
    std::printf("all at once (%zu messages): shown after median %.1f ms, worst %.1f ms\n", burst.size(),
        percentile(burst, 0.5), percentile(burst, 1.0));
    std::printf("goal: within one polling period plus one frame, %.1f ms\n", 150 + 1000.0 / 60);
    std::printf(
        "idle %d s: CPU time %.3f s (%.3f %% of one core)\n", idleSeconds, cpuIdle, 100 * cpuIdle / idleSeconds);
    return sent.load() == received ? 0 : 2;
}
