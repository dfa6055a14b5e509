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

#include <memory>
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

// The address entries of this machine's interfaces; with onlyUp those of interfaces that are up.
QList<QNetworkAddressEntry> interfaceEntries(bool onlyUp)
{
    QList<QNetworkAddressEntry> entries;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        if (!onlyUp || interface.flags().testFlag(QNetworkInterface::IsUp))
            entries += interface.addressEntries();
    }
    return entries;
}

// The loopback address to send to when the master runs on this machine: a listed address is one
// of this machine's own (every list ends with loopback, which proves nothing), or the master
// listed loopback addresses only, which it does when bound to one.
std::optional<QHostAddress> loopbackChoice(const QList<QHostAddress>& listed, const QList<QNetworkAddressEntry>& own)
{
    const auto isOwn = [&own](const QHostAddress& address) {
        return !address.isLoopback()
            && std::any_of(own.begin(), own.end(), [&address](const auto& entry) { return entry.ip() == address; });
    };
    const bool onlyLoopback = !listed.isEmpty()
        && std::all_of(listed.begin(), listed.end(), [](const QHostAddress& address) { return address.isLoopback(); });
    if (!onlyLoopback && std::none_of(listed.begin(), listed.end(), isOwn))
        return std::nullopt;
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        if (it->isLoopback())
            return *it;
    }
    return QHostAddress(QHostAddress::LocalHost);
}

} // namespace

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

QList<QHostAddress> masterAddressesToPublish(const QHostAddress& boundTo, const QList<QNetworkAddressEntry>& own)
{
    if (boundTo != QHostAddress::AnyIPv4 && boundTo != QHostAddress::Any)
        return {boundTo};
    QList<QHostAddress> addresses;
    for (const QNetworkAddressEntry& entry : own) {
        const QHostAddress ip = entry.ip();
        if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback() && !addresses.contains(ip))
            addresses.append(ip);
    }
    addresses.append(QHostAddress(QHostAddress::LocalHost));
    return addresses;
}

QHostAddress chooseMasterAddress(
    const QList<QHostAddress>& listed, const QList<QNetworkAddressEntry>& own, const QList<QHostAddress>& resolved)
{
    if (const std::optional<QHostAddress> loopback = loopbackChoice(listed, own))
        return *loopback;
    for (const QHostAddress& address : resolved) {
        if (listed.contains(address))
            return address;
    }
    for (const QHostAddress& address : listed) {
        for (const QNetworkAddressEntry& entry : own) {
            if (!entry.ip().isLoopback() && entry.prefixLength() >= 0
                && address.isInSubnet(entry.ip(), entry.prefixLength()))
                return address;
        }
    }
    if (!resolved.isEmpty())
        return resolved.first();
    return listed.isEmpty() ? QHostAddress() : listed.first();
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
    connect(m_masterSlot, &TALMailSlot2::newMessage, this, &NetExercise::masterMessage);
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
    const QList<QHostAddress> addresses = masterAddressesToPublish(m_bindAddress, interfaceEntries(true));
    const QString addressPath = fileName(NetFile::Addresses);
    if (!writeSharedFileAtomically(
            addressPath, [&addresses](QIODevice& device) { return device.write(netAddressFileText(addresses)) >= 0; }))
        return fail(PublishResult::SettingsUnwritable, addressPath);
    const QString releasePath = fileName(NetFile::Release);
    if (!writeSharedFileAtomically(releasePath, [](QIODevice&) { return true; }))
        return fail(PublishResult::ReleaseUnwritable, releasePath);

    masterComputer = computer;
    m_published = document;
    m_participants->reset(m_published);
    m_questions->reset(m_published);
    return PublishResult::Published;
}

bool NetExercise::openMaster()
{
    m_masterSlot->setActive(false);
    m_masterSlot->setMailBox(channel);
    m_masterSlot->setActive(true);
    return m_masterSlot->isActive();
}

void NetExercise::withdraw()
{
    m_masterSlot->setActive(false);
    deleteExerciseFiles();
}

bool NetExercise::released() const
{
    for (NetFile file : {NetFile::Release, NetFile::Settings, NetFile::Topic}) {
        if (!QFile::exists(fileName(file)))
            return false;
    }
    return true;
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
    const QList<QNetworkAddressEntry> own = interfaceEntries(false);
    const QHostAddress literal(masterComputer);
    const bool ownListed = loopbackChoice(listed, own).has_value();
    // The name is looked up only when the listed addresses do not already say where to send.
    QList<QHostAddress> resolved;
    if (!literal.isNull())
        resolved = {literal};
    else if (!ownListed && !masterComputer.isEmpty())
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
    if (quiz.endStatus != 1 && quiz.endStatus != 3)
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
    m_participantSlot->setActive(false);
    m_masterSlot->setActive(false);
}

void NetExercise::deleteExerciseFiles()
{
    for (NetFile file : {NetFile::Release, NetFile::Topic, NetFile::Settings, NetFile::Addresses})
        QFile::remove(fileName(file));
}

void NetExercise::masterMessage(const QString& computer, const QString& userName, const QString& text)
{
    const NetMessageReader::Outcome outcome = m_participants->read(computer, userName, text);
    if (outcome.kind == NetMessageReader::Kind::Dropped)
        return;
    if (outcome.kind == NetMessageReader::Kind::Result && outcome.result) {
        const QString list = fileName(NetFile::HighScores);
        const HighScoreEntry entry = *outcome.result;
        const bool appended = retryHighScoreAccess([&list, &entry] { return appendHighScoreEntry(list, entry); });
        emit resultAppended(entry, appended);
    }
    emit participantChanged(outcome.participantId);
}
