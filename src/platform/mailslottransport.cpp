#include "platform/mailslottransport.h"

#include <QDeadlineTimer>
#include <QNetworkProxy>
#include <QUdpSocket>

#include <cerrno>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

quint16 mailslotPort(const QString& mailBox)
{
    quint32 hash = 2166136261u;
    for (const char byte : mailBox.toUpper().toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return quint16(20000 + hash % 10000);
}

MailslotWakeup::MailslotWakeup()
    : m_descriptor(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{ }

MailslotWakeup::~MailslotWakeup()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void MailslotWakeup::raise()
{
    const quint64 one = 1;
    if (m_descriptor >= 0) {
        // Only a counter at its maximum refuses, and that is raised already.
        [[maybe_unused]] const ssize_t written = ::write(m_descriptor, &one, sizeof one);
    }
}

MailslotEndpoint::MailslotEndpoint(const QString& mailBox, const QHostAddress& bindAddress, qsizetype maxDatagramSize)
    : m_socket(std::make_unique<QUdpSocket>())
    , m_maxDatagramSize(qBound(qsizetype(0), maxDatagramSize, maxMailslotDatagramSize))
{
    // Datagrams between the machines of a classroom never go through a proxy; asking the system
    // for one costs a lookup on a thread of its own per socket.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    // Qt shares the address by default on Unix (SO_REUSEADDR), which would let a second endpoint
    // bind the same port and silently take the datagrams away from the first.
    if (!m_socket->bind(bindAddress, mailslotPort(mailBox), QAbstractSocket::DontShareAddress))
        m_socket.reset();
}

MailslotEndpoint::~MailslotEndpoint() = default;

bool MailslotEndpoint::isOpen() const
{
    return m_socket != nullptr;
}

QList<MailslotDatagram> MailslotEndpoint::receive(int waitMs, const MailslotWakeup* wakeup)
{
    QList<MailslotDatagram> datagrams;
    if (!m_socket)
        return datagrams;
    if (!m_socket->hasPendingDatagrams()) {
        // One wait for the socket or the wakeup, so that an idle receiver costs nothing. An
        // interrupted wait goes on for the time left.
        const QDeadlineTimer deadline(qMax(0, waitMs));
        pollfd descriptors[2]
            = {{int(m_socket->socketDescriptor()), POLLIN, 0}, {wakeup ? wakeup->descriptor() : -1, POLLIN, 0}};
        int ready = 0;
        do {
            ready = ::poll(descriptors, 2, int(deadline.remainingTime()));
        } while (ready < 0 && errno == EINTR && !deadline.hasExpired());
        if (ready <= 0 || descriptors[1].revents != 0)
            return datagrams;
        if ((descriptors[0].revents & POLLIN) == 0) {
            // A socket in an error state: the rest of the time is slept out, so that a caller
            // that receives in a loop does not spin.
            ::poll(&descriptors[1], 1, int(deadline.remainingTime()));
            return datagrams;
        }
    }
    while (datagrams.size() < maxDatagramsPerCall && m_socket->hasPendingDatagrams()) {
        const qint64 size = m_socket->pendingDatagramSize();
        if (size < 0)
            break;
        MailslotDatagram datagram;
        if (size > m_maxDatagramSize) {
            // Consumed without copying its bytes.
            if (m_socket->readDatagram(nullptr, 0, &datagram.sender) < 0)
                break;
            datagram.tooLarge = true;
        } else {
            datagram.bytes.resize(size);
            const qint64 read = m_socket->readDatagram(datagram.bytes.data(), size, &datagram.sender);
            if (read < 0)
                break;
            datagram.bytes.truncate(read);
        }
        datagrams.append(std::move(datagram));
    }
    return datagrams;
}

bool sendMailslotDatagram(const QHostAddress& to, const QString& mailBox, const QByteArray& datagram)
{
    if (to.isNull())
        return false;
    QUdpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    return socket.writeDatagram(datagram, to, mailslotPort(mailBox)) == datagram.size();
}
