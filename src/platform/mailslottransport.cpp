#include "platform/mailslottransport.h"

#include <QElapsedTimer>
#include <QThread>
#include <QUdpSocket>

quint16 mailslotPort(const QString& mailBox)
{
    quint32 hash = 2166136261u;
    for (const char byte : mailBox.toUpper().toUtf8()) {
        hash ^= quint8(byte);
        hash *= 16777619u;
    }
    return quint16(20000 + hash % 10000);
}

MailslotEndpoint::MailslotEndpoint(const QString& mailBox, const QHostAddress& bindAddress)
    : m_socket(std::make_unique<QUdpSocket>())
{
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

QList<QByteArray> MailslotEndpoint::receive(int waitMs)
{
    QList<QByteArray> datagrams;
    if (!m_socket)
        return datagrams;
    if (!m_socket->hasPendingDatagrams()) {
        QElapsedTimer waited;
        waited.start();
        // A socket in an error state returns at once; sleeping out the rest keeps a caller that
        // receives in a loop from spinning.
        if (!m_socket->waitForReadyRead(qMax(0, waitMs)) && waited.elapsed() < waitMs)
            QThread::msleep(quint64(waitMs - waited.elapsed()));
    }
    while (datagrams.size() < maxDatagramsPerCall && m_socket->hasPendingDatagrams()) {
        const qint64 size = m_socket->pendingDatagramSize();
        if (size < 0)
            break;
        if (size > maxMailslotDatagramSize) {
            m_socket->readDatagram(nullptr, 0);
            continue;
        }
        QByteArray datagram(size, Qt::Uninitialized);
        const qint64 read = m_socket->readDatagram(datagram.data(), size);
        if (read < 0)
            break;
        datagram.truncate(read);
        datagrams.append(datagram);
    }
    return datagrams;
}

bool sendMailslotDatagram(const QHostAddress& to, const QString& mailBox, const QByteArray& datagram)
{
    if (to.isNull())
        return false;
    QUdpSocket socket;
    return socket.writeDatagram(datagram, to, mailslotPort(mailBox)) == datagram.size();
}
