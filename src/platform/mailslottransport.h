#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <memory>

class QUdpSocket;

// The stand-in for Windows mailslots: a one-way channel of datagrams between machines, named by
// a mailbox. A mailbox is a UDP port on every machine; the datagram is sent to the receiving
// machine's address and that port. A Windows build puts real mailslots behind the same three
// names (mailslotPort aside): MailslotEndpoint for the local mailslot, sendMailslotDatagram for
// writing to a remote one.

// The largest datagram a mailbox takes; larger ones are consumed and dropped.
inline constexpr qsizetype maxMailslotDatagramSize = 64 * 1024;

// One datagram as it arrived, with the address it came from (null where the platform gives none,
// as native mailslots do). A datagram over the endpoint's size limit comes without its bytes.
struct MailslotDatagram
{
    QByteArray bytes;
    QHostAddress sender;
    bool tooLarge = false;
};

// Ends an endpoint's wait early, from any thread: once raised, every wait that is given it
// returns at once. A receiving thread that waits for datagrams long is stopped with it, instead
// of waking every few milliseconds to look for a stop request. (A Windows build waits on the
// mailslot's handle and an event together.)
class MailslotWakeup
{
public:
    MailslotWakeup();
    ~MailslotWakeup();
    MailslotWakeup(const MailslotWakeup&) = delete;
    MailslotWakeup& operator=(const MailslotWakeup&) = delete;

    void raise();
    int descriptor() const { return m_descriptor; }

private:
    int m_descriptor = -1;
};

// The UDP port of a mailbox: 20000 + (32-bit FNV-1a over the UTF-8 bytes of the upper-cased
// name) % 10000, so 20000 to 29999. Mailslot names ignore case, hence the upper-casing. The
// range lies below Linux's ephemeral ports (32768 and up), so a socket that the system binds
// for an outgoing connection never takes a mailbox's port.
quint16 mailslotPort(const QString& mailBox);

// The receiving end of a mailbox on this machine. Used on one thread only, the one that
// created it. The port is bound without sharing: while an endpoint holds a mailbox, a second
// endpoint of the same mailbox on this machine (same address, or the any-address against a
// particular one) fails to open, as creating a mailslot of a name in use fails on Windows.
class MailslotEndpoint
{
public:
    // Datagrams over maxDatagramSize bytes (at most maxMailslotDatagramSize) are not read.
    explicit MailslotEndpoint(const QString& mailBox, const QHostAddress& bindAddress = QHostAddress::AnyIPv4,
        qsizetype maxDatagramSize = maxMailslotDatagramSize);
    ~MailslotEndpoint();
    MailslotEndpoint(const MailslotEndpoint&) = delete;
    MailslotEndpoint& operator=(const MailslotEndpoint&) = delete;

    // Whether the mailbox was bound; an endpoint that failed stays closed and receives nothing.
    bool isOpen() const;

    // Waits up to waitMs milliseconds for a datagram (not at all when one is waiting already, and
    // no longer once wakeup is raised), then takes the waiting datagrams in arrival order, at most
    // maxDatagramsPerCall of them so that a sender that never stops cannot hold the caller here.
    // A datagram over the size limit is consumed unread and reported as tooLarge. Empty when
    // nothing came or the endpoint is closed.
    QList<MailslotDatagram> receive(int waitMs, const MailslotWakeup* wakeup = nullptr);

    static constexpr int maxDatagramsPerCall = 4096;

private:
    std::unique_ptr<QUdpSocket> m_socket;
    qsizetype m_maxDatagramSize;
};

// Sends datagram as one datagram to the mailbox on the machine at address to. Returns whether
// the system took the whole datagram; as with mailslots, nothing tells whether anyone received
// it. Callers drop a failed send silently.
bool sendMailslotDatagram(const QHostAddress& to, const QString& mailBox, const QByteArray& datagram);
