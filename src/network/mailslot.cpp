#include "network/mailslot.h"

#include "platform/cp1252.h"
#include "platform/mailslottransport.h"
#include "platform/systeminfo.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QPointer>
#include <QSemaphore>

#include <atomic>
#include <limits>
#include <utility>

namespace {

const QString messageTag = QStringLiteral("Message");

// How long activation waits for the thread to bind the mailbox.
constexpr int bindReportTimeoutMs = 2000;

// Messages the thread keeps between two hand-overs. With a long CheckInterval and a sender
// that floods the mailbox they would otherwise pile up without end; beyond this the newest are
// dropped, as a full mailslot refuses further writes. maxMailslotWaitingBytes bounds their bytes.
constexpr qsizetype maxQueuedMessages = 100000;

// Senders whose refused datagrams are counted apart between two hand-overs; the rest are counted
// under the null address. Addresses can be forged, so their number must not grow without end.
constexpr qsizetype maxRefusingSenders = 256;

} // namespace

QByteArray buildMailslotDatagram(const QString& userName, const QString& computer, const QStringList& lines)
{
    const QString crLf = QStringLiteral("\r\n");
    QString text = messageTag + crLf + userName + crLf + computer + crLf;
    for (const QString& line : lines)
        text += line + crLf;
    return toCp1252(text);
}

std::optional<MailslotMessage> parseMailslotDatagram(const QByteArray& datagram)
{
    if (datagram.size() > maxMailslotDatagramSize)
        return std::nullopt;
    const QString text = fromCp1252(datagram);
    qsizetype pos = 0;
    // The line from pos to its end, leaving pos after the line break.
    auto nextLine = [&text, &pos] {
        qsizetype end = pos;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        const QString line = text.sliced(pos, end - pos);
        if (end < text.size())
            end += text.at(end) == u'\r' && end + 1 < text.size() && text.at(end + 1) == u'\n' ? 2 : 1;
        pos = end;
        return line;
    };
    if (nextLine() != messageTag)
        return std::nullopt;
    MailslotMessage message;
    message.userName = nextLine();
    message.computer = nextLine();
    message.text = text.sliced(pos);
    return message;
}

// The polling thread of an active component. It creates and owns the mailbox's endpoint, so the
// socket lives on this thread alone. It receives all the time, so that a burst cannot overflow
// the system's receive buffer between two polls, and at every poll hands what came to the
// component's thread by a queued call. It never waits for the component, so the component can
// stop it and wait for it from anywhere, a newMessage handler included.
class TCheckThread : public QThread
{
public:
    TCheckThread(TALMailSlot2* owner, quint64 generation, const QString& mailBox, const QHostAddress& bindAddress,
        qsizetype maxDatagramSize, int checkInterval)
        : m_owner(owner)
        , m_generation(generation)
        , m_mailBox(mailBox)
        , m_bindAddress(bindAddress)
        , m_maxDatagramSize(maxDatagramSize)
        , m_checkInterval(checkInterval)
    { }

    // Ends the thread soon: its wait for datagrams returns at once.
    void stop()
    {
        requestInterruption();
        m_wakeup.raise();
    }

    // Called after start(): whether the thread bound the mailbox. When it did not (or did not
    // say so in time), the thread is ending or has ended.
    bool waitUntilBound() { return m_bindReported.tryAcquire(1, bindReportTimeoutMs) && m_bound.load(); }

    void setCheckInterval(int milliseconds) { m_checkInterval.store(milliseconds); }

protected:
    void run() override
    {
        MailslotEndpoint endpoint(m_mailBox, m_bindAddress, m_maxDatagramSize);
        m_bound.store(endpoint.isOpen());
        m_bindReported.release();
        if (!endpoint.isOpen())
            return;

        // From 1000 ms on the thread steps in whole seconds and counts them, so the first poll
        // comes at once and the period is CheckInterval rounded up to whole seconds.
        int counter = std::numeric_limits<int>::max();
        while (!isInterruptionRequested()) {
            const int interval = m_checkInterval.load();
            if (interval >= 1000) {
                if (interval <= counter) {
                    handOver();
                    counter = 0;
                }
                receiveFor(endpoint, 1000);
                counter = counter > std::numeric_limits<int>::max() - 1000 ? std::numeric_limits<int>::max()
                                                                           : counter + 1000;
            } else {
                handOver();
                receiveFor(endpoint, interval);
            }
        }
    }

private:
    void receiveFor(MailslotEndpoint& endpoint, int milliseconds)
    {
        const QDeadlineTimer deadline(milliseconds);
        do {
            for (const MailslotDatagram& datagram : endpoint.receive(int(deadline.remainingTime()), &m_wakeup)) {
                std::optional<MailslotMessage> message
                    = datagram.tooLarge ? std::nullopt : parseMailslotDatagram(datagram.bytes);
                const qint64 bytes = message ? waitingBytes(*message) : 0;
                if (!message || m_received.size() >= maxQueuedMessages
                    || m_waitingBytes->load() + bytes > maxMailslotWaitingBytes) {
                    refuse(datagram.sender);
                    continue;
                }
                message->sender = datagram.sender;
                *m_waitingBytes += bytes;
                m_receivedBytes += bytes;
                m_received.append(std::move(*message));
            }
        } while (!isInterruptionRequested() && !deadline.hasExpired());
    }

    void refuse(const QHostAddress& sender)
    {
        if (m_refused.size() < maxRefusingSenders || m_refused.contains(sender))
            ++m_refused[sender];
        else
            ++m_refused[QHostAddress()];
    }

    void handOver()
    {
        if (m_received.isEmpty() && m_refused.isEmpty())
            return;
        // The call is posted to the component; were the component gone, Qt would drop it with
        // the component's events. The component outlives this thread in any case.
        QMetaObject::invokeMethod(
            m_owner,
            [owner = m_owner, generation = m_generation, messages = std::exchange(m_received, {}),
                refusals = std::exchange(m_refused, {}), waiting = m_waitingBytes,
                bytes = std::exchange(m_receivedBytes, 0)] {
                owner->deliverMessages(generation, messages, refusals);
                *waiting -= bytes;
            },
            Qt::QueuedConnection);
    }

    static qint64 waitingBytes(const MailslotMessage& message)
    {
        return qint64(message.computer.size() + message.userName.size() + message.text.size()) * qint64(sizeof(QChar));
    }

    TALMailSlot2* const m_owner;
    const quint64 m_generation;
    const QString m_mailBox;
    const QHostAddress m_bindAddress;
    const qsizetype m_maxDatagramSize;
    std::atomic<int> m_checkInterval;
    MailslotWakeup m_wakeup;
    std::atomic<bool> m_bound {false};
    QSemaphore m_bindReported;
    QList<MailslotMessage> m_received; // this thread's alone
    qint64 m_receivedBytes = 0; // of m_received
    QHash<QHostAddress, int> m_refused; // since the last hand-over
    // Bytes received and not yet delivered; shared with the hand-overs in flight, which count
    // down what they delivered.
    std::shared_ptr<std::atomic<qint64>> m_waitingBytes = std::make_shared<std::atomic<qint64>>(0);
};

TALMailSlot2::TALMailSlot2(QObject* parent)
    : QObject(parent)
    , m_computerName(::computerName())
    , m_userName(::userName())
{ }

TALMailSlot2::~TALMailSlot2()
{
    setActive(false);
    for (const PendingSend& send : std::as_const(m_sendQueue)) {
        if (send.lookupId >= 0)
            QHostInfo::abortHostLookup(send.lookupId);
    }
}

void TALMailSlot2::setMailBox(const QString& name)
{
    if (name == m_mailBox)
        return;
    if (name.size() > maxMailBoxLength) {
        emit warning(QStringLiteral("MailBox name cannot be greater than 8 characters long."));
        return;
    }
    const bool wasActive = isActive();
    setActive(false);
    m_mailBox = name;
    if (wasActive)
        setActive(true);
}

void TALMailSlot2::setActive(bool active)
{
    if (active == isActive())
        return;
    if (active) {
        auto thread = std::make_unique<TCheckThread>(
            this, ++m_generation, m_mailBox, m_bindAddress, m_maxDatagramSize, m_checkInterval);
        thread->start(m_threadPriority);
        if (thread->waitUntilBound()) {
            m_thread = std::move(thread);
        } else {
            thread->stop();
            thread->wait();
        }
    } else {
        m_thread->stop();
        m_thread->wait();
        m_thread.reset();
    }
}

void TALMailSlot2::setCheckInterval(int milliseconds)
{
    m_checkInterval = qMax(1, milliseconds);
    if (m_thread)
        m_thread->setCheckInterval(m_checkInterval);
}

void TALMailSlot2::setThreadPriority(QThread::Priority priority)
{
    if (priority == QThread::InheritPriority)
        return;
    m_threadPriority = priority;
    if (m_thread)
        m_thread->setPriority(priority);
}

void TALMailSlot2::setSenderNames(const QString& computer, const QString& user)
{
    m_computerName = computer;
    m_userName = user;
}

void TALMailSlot2::setBindAddress(const QHostAddress& address)
{
    m_bindAddress = address;
}

void TALMailSlot2::setMaxDatagramSize(qsizetype bytes)
{
    m_maxDatagramSize = qBound(qsizetype(0), bytes, maxMailslotDatagramSize);
}

void TALMailSlot2::deliverMessages(
    quint64 generation, const QList<MailslotMessage>& messages, const QHash<QHostAddress, int>& refusals)
{
    // A handler may deactivate the component, move it to another mailbox or delete it; the
    // rest of the hand-over then belongs to nobody.
    const QPointer<TALMailSlot2> alive(this);
    const auto current = [&] { return alive && generation == m_generation && m_thread; };
    for (auto refusal = refusals.begin(); refusal != refusals.end() && current(); ++refusal)
        emit refused(refusal.key(), refusal.value());
    for (const MailslotMessage& message : messages) {
        if (!current())
            return;
        emit messageFrom(message.sender, message.computer, message.userName, message.text);
        if (!current())
            return;
        emit newMessage(message.computer, message.userName, message.text);
    }
}

void TALMailSlot2::sendMessage(const QHostAddress& computer, const QStringList& lines)
{
    PendingSend send;
    send.address = computer;
    send.mailBox = m_mailBox;
    send.datagram = buildMailslotDatagram(m_userName, m_computerName, lines);
    queueSend(std::move(send));
}

void TALMailSlot2::sendMessage(const QString& computer, const QStringList& lines)
{
    PendingSend send;
    send.mailBox = m_mailBox;
    send.datagram = buildMailslotDatagram(m_userName, m_computerName, lines);
    const QString name = computer.trimmed();
    QHostAddress literal;
    if (name == u"." || name.compare(u"localhost", Qt::CaseInsensitive) == 0) {
        send.address = QHostAddress(QHostAddress::LocalHost);
    } else if (literal.setAddress(name)) {
        send.address = literal;
    } else if (!name.isEmpty()) {
        // Looked up on Qt's resolver threads; a name server that does not answer holds the
        // message (and those sent after it) but never the user interface.
        send.lookupId = QHostInfo::lookupHost(
            name, this, [this](const QHostInfo& info) { nameResolved(info.lookupId(), info.addresses()); });
    }
    queueSend(std::move(send));
}

void TALMailSlot2::queueSend(PendingSend send)
{
    m_sendQueue.append(std::move(send));
    sendResolvedInOrder();
}

void TALMailSlot2::nameResolved(int lookupId, const QList<QHostAddress>& addresses)
{
    for (PendingSend& send : m_sendQueue) {
        if (send.lookupId != lookupId)
            continue;
        send.lookupId = -1;
        // The mailbox is bound on IPv4, so an IPv4 address of the name is the one to take.
        for (const QHostAddress& address : addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                send.address = address;
                break;
            }
        }
        if (send.address.isNull() && !addresses.isEmpty())
            send.address = addresses.first();
        break;
    }
    sendResolvedInOrder();
}

void TALMailSlot2::sendResolvedInOrder()
{
    while (!m_sendQueue.isEmpty() && m_sendQueue.first().lookupId < 0) {
        const PendingSend send = m_sendQueue.takeFirst();
        if (!send.address.isNull())
            sendMailslotDatagram(send.address, send.mailBox, send.datagram);
    }
}
