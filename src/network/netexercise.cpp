#include "netexercise.h"

#include "common/randomgenerator.h"
#include "document/binaryio.h"
#include "document/zepformat.h"
#include "network/mailslot.h"
#include "network/netclassmodel.h"
#include "platform/sharedfile.h"
#include "platform/tick.h"
#include "quiz/quizscoring.h"

#include <QBuffer>
#include <QFile>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// The longest a participant waits for the master's name to resolve, once, when joining.
constexpr int resolveLimitMs = 1500;
constexpr int maxAddressLines = 64;
constexpr int maxAddressLength = 64;
// The settings file holds two key texts, a computer name and eight numbers.
constexpr qint64 maxSettingsFileSize = 64 * 1024;

bool inRange(int value, int first, int last)
{
    return value >= first && value <= last;
}

// The name lookup with a time limit: an unreachable name server must not hold the pupil for
// long. The lookup runs on a thread of its own, which may outlive the wait.
QList<QHostAddress> resolveWithLimit(const QString& name)
{
    struct Shared
    {
        QList<QHostAddress> addresses;
        std::atomic<bool> done {false};
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, name] {
        const QHostInfo info = QHostInfo::fromName(name);
        shared->addresses = info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>();
        shared->done = true;
    }).detach();
    const quint32 start = systemTick().now();
    while (!shared->done && ticksSince(start, systemTick().now()) < quint32(resolveLimitMs))
        QThread::msleep(10);
    return shared->done ? shared->addresses : QList<QHostAddress>();
}

// Whether address lies on one of the networks of this machine's interfaces (not loopback, not a
// virtual bridge); this machine's own addresses among them.
bool onOwnNetwork(const QHostAddress& address, const QList<OwnAddress>& own)
{
    return std::any_of(own.begin(), own.end(), [&address](const OwnAddress& a) {
        const QNetworkAddressEntry& e = a.entry;
        return !isVirtualBridge(a.interfaceName) && !e.ip().isLoopback() && e.prefixLength() >= 0
            && address.isInSubnet(e.ip(), e.prefixLength());
    });
}

// This machine's addresses on interfaces that are up.
QList<OwnAddress> ownAddresses()
{
    QList<OwnAddress> addresses;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        if (!interface.flags().testFlag(QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry& entry : interface.addressEntries())
            addresses.append({interface.name(), entry});
    }
    return addresses;
}

} // namespace

// Renews the master's sign of life on a thread of its own, so that a window busy with a dialog
// or a long task never lets the exercise look withdrawn.
class NetLifeSign
{
public:
    NetLifeSign(const QString& path, int intervalMs)
        : m_thread([this, path, intervalMs] {
            for (;;) {
                // Outside the lock: a slow share must not hold up a stop request's lock.
                touchSharedFile(path);
                std::unique_lock lock(m_mutex);
                if (m_wake.wait_for(lock, std::chrono::milliseconds(intervalMs), [this] { return m_stopping; }))
                    return;
            }
        })
    { }

    ~NetLifeSign()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::thread m_thread; // last: starts once the rest is made
};

QString netExerciseFileName(const QString& folder, const QString& channel, NetFile file)
{
    static const char* const extensions[] = {"zep", "dat", "okx", "hsc", "adr"};
    return folder + channel + QStringLiteral("-zepnetzuebung.") + QLatin1String(extensions[int(file)]);
}

bool writeNetSettings(QIODevice& device, const NetExerciseSettings& settings)
{
    BinaryWriter writer(device);
    writer.writeString(QString::fromLatin1(netSettingsBaseName));
    writer.writeString(QString::fromLatin1(netSettingsKeyList));
    writer.writeString(settings.master);
    const QuizSnapshot& o = settings.options;
    for (const int value :
        {0, o.onCorrect, o.onWrong, o.textOrder, o.targetOrder, o.queryMode, o.timeLimitOn, o.timeLimitSeconds})
        writer.writeInt32(value);
    return writer.ok();
}

std::optional<NetExerciseSettings> readNetSettings(QIODevice& device)
{
    BinaryReader reader(device);
    reader.readString();
    reader.readString();
    NetExerciseSettings settings;
    settings.master = reader.readString();
    std::array<qint32, 8> values {};
    for (qint32& value : values)
        value = reader.readInt32();
    if (!reader.ok())
        return std::nullopt;
    QuizSnapshot& o = settings.options;
    o.onCorrect = values[1];
    o.onWrong = values[2];
    o.textOrder = values[3];
    o.targetOrder = values[4];
    o.queryMode = values[5];
    o.timeLimitOn = values[6];
    o.timeLimitSeconds = values[7];
    if (!inRange(values[0], 0, 1) || !inRange(o.onCorrect, 0, 1) || !inRange(o.onWrong, 0, 1)
        || !inRange(o.textOrder, 0, 1) || !inRange(o.targetOrder, 0, 2) || !inRange(o.queryMode, 0, 2)
        || !inRange(o.timeLimitOn, 0, 1) || !inRange(o.timeLimitSeconds, 0, 99 * 60 + 59))
        return std::nullopt;
    return settings;
}

QByteArray netAddressFileText(const QList<QHostAddress>& addresses)
{
    QByteArray text;
    for (const QHostAddress& address : addresses)
        text += address.toString().toLatin1() + "\r\n";
    return text;
}

QList<QHostAddress> parseNetAddressFile(const QByteArray& text)
{
    QList<QHostAddress> addresses;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size() && i < maxAddressLines; ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty() || line.size() > maxAddressLength)
            continue;
        const QHostAddress address(QString::fromLatin1(line));
        if (!address.isNull())
            addresses.append(address);
    }
    return addresses;
}

bool isVirtualBridge(const QString& interfaceName)
{
    static const char* const prefixes[]
        = {"docker", "br-", "virbr", "vboxnet", "vmnet", "lxcbr", "lxdbr", "veth", "podman", "cni"};
    return std::any_of(std::begin(prefixes), std::end(prefixes),
        [&interfaceName](const char* prefix) { return interfaceName.startsWith(QLatin1String(prefix)); });
}

QList<QHostAddress> masterAddressesToPublish(const QHostAddress& boundTo, const QList<OwnAddress>& own)
{
    if (boundTo != QHostAddress::AnyIPv4 && boundTo != QHostAddress::Any)
        return {boundTo};
    QList<QHostAddress> addresses;
    for (const OwnAddress& address : own) {
        const QHostAddress ip = address.entry.ip();
        if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback()
            && !isVirtualBridge(address.interfaceName) && !addresses.contains(ip))
            addresses.append(ip);
    }
    addresses.append(QHostAddress(QHostAddress::LocalHost));
    return addresses;
}

QHostAddress chooseMasterAddress(
    const QList<QHostAddress>& listed, const QList<OwnAddress>& own, const QList<QHostAddress>& resolved)
{
    const auto onBridge = [&own](const QHostAddress& address) {
        return std::any_of(own.begin(), own.end(),
            [&address](const OwnAddress& a) { return isVirtualBridge(a.interfaceName) && a.entry.ip() == address; });
    };
    QList<QHostAddress> candidates;
    for (const QHostAddress& address : listed) {
        if (!address.isLoopback() && !onBridge(address))
            candidates.append(address);
    }
    for (const QHostAddress& address : resolved) {
        if (candidates.contains(address) && onOwnNetwork(address, own))
            return address;
    }
    for (const QHostAddress& address : candidates) {
        if (onOwnNetwork(address, own))
            return address;
    }
    for (const QHostAddress& address : resolved) {
        if (candidates.contains(address))
            return address;
    }
    if (!resolved.isEmpty() && !candidates.isEmpty())
        return resolved.first();
    if (!candidates.isEmpty())
        return candidates.first();
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        if (it->isLoopback())
            return *it;
    }
    return resolved.isEmpty() ? QHostAddress() : resolved.first();
}

QString drawParticipantId()
{
    QString id;
    id.reserve(30);
    for (int i = 0; i < 30; ++i)
        id += QChar(u'A' + randomInt(26));
    return id;
}

QStringList actionMessage(const QString& participantId, const QuizSession& quiz, int target)
{
    const QList<DocObject>& objects = quiz.document().objects;
    const bool known = target >= 0 && target < objects.size();
    const int coverState = known ? objects.at(target).coverState : 0;
    const int wrongAssignments = known ? objects.at(target).failsAsTarget : 0;
    const QuizRates rates = quiz.currentRates();
    return {NetMessages::action, participantId, QString::number(known ? target : -1), QString::number(coverState),
        QString::number(wrongAssignments), QString::number(quiz.endStatus), netTimeText(quiz.startTime),
        QString::number(quiz.questionCount), QString::number(quiz.correctCount), QString::number(quiz.wrongCount),
        QString::number(quiz.openCount), quiz.currentClockText(), QString::number(rates.successRate * 100, 'f', 1),
        QString::number(rates.overallScore * 100, 'f', 1), QString::number(gradeOf(rates.overallScore))};
}

NetExercise::NetExercise(QObject* parent)
    : QObject(parent)
    , m_participantSlot(new TALMailSlot2(this))
    , m_masterSlot(new TALMailSlot2(this))
    , m_resolver(resolveWithLimit)
    , m_participants(new NetParticipantTable(systemTick(), this))
    , m_questions(new NetQuestionTable(*m_participants, this))
{
    m_participantSlot->setObjectName(QStringLiteral("TNMailSlot"));
    m_participantSlot->setMailBox(channel);
    m_participantSlot->setCheckInterval(500);
    m_masterSlot->setObjectName(QStringLiteral("MasterMailslot"));
    m_masterSlot->setMailBox(channel);
    m_masterSlot->setCheckInterval(150);
    // A real message is well under a kilobyte: larger datagrams are dropped before decoding.
    m_masterSlot->setMaxDatagramSize(maxNetMessageLength);
    connect(m_masterSlot, &TALMailSlot2::messageFrom, this, &NetExercise::masterMessage);
    connect(m_masterSlot, &TALMailSlot2::refused, m_participants, &NetParticipantTable::countRefused);
    m_writeDue.setSingleShot(true);
    m_writeDue.setInterval(0);
    connect(&m_writeDue, &QTimer::timeout, this, &NetExercise::writeWaitingResults);
    m_retryTimer.setInterval(retryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &NetExercise::writeWaitingResults);
    m_holdTimer.setInterval(500);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] { takeOverdueResults(); });
}

NetExercise::~NetExercise()
{
    closeChannels();
}

void NetExercise::setBindAddress(const QHostAddress& address)
{
    m_bindAddress = address;
    m_masterSlot->setBindAddress(address);
    m_participantSlot->setBindAddress(address);
}

void NetExercise::setResolver(std::function<QList<QHostAddress>(const QString&)> resolver)
{
    m_resolver = std::move(resolver);
}

NetExercise::PublishResult NetExercise::publish(
    const TopicDocument& document, const QuizSnapshot& options, const QString& computer, QString* failedPath)
{
    const auto fail = [failedPath](PublishResult result, const QString& path) {
        if (failedPath)
            *failedPath = path;
        return result;
    };
    // A release marker left from an earlier exercise must not let anyone join a half-written one.
    QFile::remove(fileName(NetFile::Release));
    QFile::remove(fileName(NetFile::HighScores));
    const QString topicPath = fileName(NetFile::Topic);
    // Pupils may be able to write the folder too: nothing is written through a link planted there.
    if (!writeSharedFileAtomically(
            topicPath, [&document](QIODevice& device) { return writeTopicFile(device, document); }))
        return fail(PublishResult::TopicUnwritable, topicPath);
    const QString settingsPath = fileName(NetFile::Settings);
    const NetExerciseSettings settings {computer, options};
    if (!writeSharedFileAtomically(
            settingsPath, [&settings](QIODevice& device) { return writeNetSettings(device, settings); }))
        return fail(PublishResult::SettingsUnwritable, settingsPath);
    const QList<QHostAddress> addresses = masterAddressesToPublish(m_bindAddress, ownAddresses());
    const QString addressPath = fileName(NetFile::Addresses);
    if (!writeSharedFileAtomically(
            addressPath, [&addresses](QIODevice& device) { return device.write(netAddressFileText(addresses)) >= 0; }))
        return fail(PublishResult::SettingsUnwritable, addressPath);
    const QString releasePath = fileName(NetFile::Release);
    if (!writeSharedFileAtomically(releasePath, [](QIODevice&) { return true; }))
        return fail(PublishResult::ReleaseUnwritable, releasePath);

    masterComputer = computer;
    m_listPath = fileName(NetFile::HighScores);
    m_published = document;
    m_participants->reset(m_published, options.timeLimitOn != 0);
    m_questions->reset(m_published);
    return PublishResult::Published;
}

bool NetExercise::openMaster()
{
    m_masterSlot->setActive(false);
    m_masterSlot->setMailBox(channel);
    m_masterSlot->setActive(true);
    m_lifeSign.reset();
    if (m_masterSlot->isActive())
        m_lifeSign = std::make_unique<NetLifeSign>(fileName(NetFile::Release), m_lifeSignIntervalMs);
    return m_masterSlot->isActive();
}

void NetExercise::withdraw()
{
    m_lifeSign.reset();
    m_masterSlot->setActive(false);
    takeOverdueResults(0);
    deleteExerciseFiles();
}

bool NetExercise::released(const QDateTime& now) const
{
    for (NetFile file : {NetFile::Release, NetFile::Settings, NetFile::Topic}) {
        if (!QFile::exists(fileName(file)))
            return false;
    }
    const QDateTime sign = sharedFileModified(fileName(NetFile::Release));
    return sign.isValid() && sign.secsTo(now) <= netLifeSignLimitSeconds;
}

bool NetExercise::readSettings(QuizSnapshot& options)
{
    std::optional<QByteArray> bytes = readSharedFile(fileName(NetFile::Settings), maxSettingsFileSize);
    if (!bytes)
        return false;
    QBuffer file(&*bytes);
    file.open(QIODevice::ReadOnly);
    const std::optional<NetExerciseSettings> settings = readNetSettings(file);
    if (!settings)
        return false;
    masterComputer = settings->master;
    options = settings->options;
    return true;
}

void NetExercise::enter(double startTime)
{
    QList<QHostAddress> listed;
    if (const std::optional<QByteArray> text
        = readSharedFile(fileName(NetFile::Addresses), maxAddressLines * (maxAddressLength + 2)))
        listed = parseNetAddressFile(*text);
    const QList<OwnAddress> own = ownAddresses();
    const QHostAddress literal(masterComputer);
    // The name is looked up only when the list leaves a choice: none or several of its addresses
    // on this machine's own networks.
    const auto onOwn = std::count_if(listed.begin(), listed.end(),
        [&own](const QHostAddress& a) { return !a.isLoopback() && onOwnNetwork(a, own); });
    QList<QHostAddress> resolved;
    if (!literal.isNull())
        resolved = {literal};
    else if (!masterComputer.isEmpty() && onOwn != 1)
        resolved = m_resolver(masterComputer);
    masterAddress = chooseMasterAddress(listed, own, resolved);

    participantId = drawParticipantId();
    m_participantSlot->setActive(false);
    m_participantSlot->setMailBox(channel);
    m_participantSlot->setActive(true);
    send(initMessage(participantId, QString(), startTime));
}

void NetExercise::send(const QStringList& lines)
{
    if (!masterAddress.isNull())
        m_participantSlot->sendMessage(masterAddress, lines);
}

void NetExercise::sendAction(const QuizSession& quiz, int target)
{
    send(actionMessage(participantId, quiz, target));
}

void NetExercise::sendFinish(const QuizSession& quiz, const QString& computer)
{
    send(finishMessage(participantId, quiz.endStatus, quiz.currentClockText()));
    if (quiz.endStatus != QuizFinished && quiz.endStatus != QuizTimeLimitReached)
        return;
    // A pause without processing window messages, so that nothing of the quiz moves meanwhile.
    QThread::msleep(50);
    send(bestListMessage(
        participantId, quiz.participantName, computer, quiz.startTime, quiz.elapsedMs, quiz.overallScore));
}

const NetMessageReader& NetExercise::reader() const
{
    return m_participants->reader();
}

void NetExercise::closeChannels()
{
    m_lifeSign.reset();
    m_participantSlot->setActive(false);
    m_masterSlot->setActive(false);
}

void NetExercise::deleteExerciseFiles()
{
    for (NetFile file : {NetFile::Release, NetFile::Topic, NetFile::Settings, NetFile::Addresses})
        QFile::remove(fileName(file));
}

void NetExercise::masterMessage(
    const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text)
{
    const NetMessageReader::Outcome outcome = m_participants->read(sender, computer, userName, text);
    if (outcome.kind == NetMessageReader::Kind::Dropped)
        return;
    if (outcome.kind == NetMessageReader::Kind::Held && !m_holdTimer.isActive())
        m_holdTimer.start();
    takeResult(outcome);
    emit participantChanged(outcome.participantId);
}

void NetExercise::takeOverdueResults(quint32 heldMs)
{
    for (const NetMessageReader::Outcome& outcome : m_participants->takeOverdueResults(heldMs)) {
        takeResult(outcome);
        emit participantChanged(outcome.participantId);
    }
    if (!m_participants->reader().holdsResults())
        m_holdTimer.stop();
}

void NetExercise::takeResult(const NetMessageReader::Outcome& outcome)
{
    if (outcome.kind != NetMessageReader::Kind::Result || !outcome.result || !outcome.listed)
        return;
    // Written once the hand-over of messages is done and shown: the display never waits for
    // the file, and nothing is lost meanwhile.
    m_waiting.append(*outcome.result);
    ++m_unreported;
    m_writeDue.start();
}

bool NetExercise::writeWaitingResults()
{
    // One attempt each, never a wait: a list held by another program is tried again by the timer,
    // so the teacher's window never stops for the file. The order of arrival is kept.
    while (!m_waiting.isEmpty() && appendHighScoreEntry(m_listPath, m_waiting.first())) {
        const HighScoreEntry written = m_waiting.takeFirst();
        // The newest entries are the ones not reported yet.
        if (m_waiting.size() < m_unreported) {
            --m_unreported;
            emit resultAppended(written, true);
        }
    }
    for (qsizetype i = m_waiting.size() - m_unreported; i < m_waiting.size(); ++i)
        emit resultAppended(m_waiting.at(i), false);
    m_unreported = 0;
    if (m_waiting.isEmpty())
        m_retryTimer.stop();
    else if (!m_retryTimer.isActive())
        m_retryTimer.start();
    if (m_reportedWaiting != m_waiting.size()) {
        m_reportedWaiting = int(m_waiting.size());
        emit waitingResultsChanged(m_reportedWaiting);
    }
    return m_waiting.isEmpty();
}

void NetExercise::keepWaitingResults(const QList<HighScoreEntry>& results)
{
    m_waiting = results + m_waiting;
    writeWaitingResults();
}

QList<HighScoreEntry> NetExercise::takeWaitingResults()
{
    m_retryTimer.stop();
    m_unreported = 0;
    const QList<HighScoreEntry> waiting = std::exchange(m_waiting, {});
    if (m_reportedWaiting != 0) {
        m_reportedWaiting = 0;
        emit waitingResultsChanged(0);
    }
    return waiting;
}
