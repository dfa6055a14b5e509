#pragma once

#include "platform/mailslottransport.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <memory>
#include <optional>

// The message channel between the machines of a classroom: one-way text messages to the
// mailbox of a name on one computer (platform/mailslottransport.h carries the datagrams).
//
// A message is one datagram of Windows-1252 text, every line ended by CR LF: "Message", the
// sender's user name, the sender's computer name, then the payload lines. No length, no
// checksum, no acknowledgement.

struct MailslotMessage
{
    QHostAddress sender; // where the datagram came from; null where the platform does not say
    QString computer;
    QString userName;
    QString text; // the payload lines, each with its CR LF; empty for a message without payload
};

// The datagram of a message from userName on computer with the payload lines, exactly as it
// goes on the wire. Characters Windows-1252 lacks become '?'.
QByteArray buildMailslotDatagram(const QString& userName, const QString& computer, const QStringList& lines);

// The message a received datagram holds, or nullopt when it is none of ours: the first line is
// not exactly "Message", or the datagram is longer than maxMailslotDatagramSize. Lines end at
// CR LF, a lone CR or a lone LF. A datagram cut short after "Message" still counts: the user
// and computer names it lacks are empty, and so is the text. The text is every character after
// the third line's end, unchanged (line breaks and any NUL kept). Any bytes are safe to pass.
std::optional<MailslotMessage> parseMailslotDatagram(const QByteArray& datagram);

// What the component's polling thread keeps for its thread at most, in bytes of text (the
// messages received and not yet delivered, whether waiting for the next hand-over or handed over
// and not yet taken): a window too busy to take them meanwhile, under a flood of large datagrams,
// would otherwise let them grow without end. Beyond it the newest are dropped, as a full mailslot
// refuses further writes.
inline constexpr qint64 maxMailslotWaitingBytes = 8 * 1024 * 1024;

class TCheckThread;

// The channel component. An active component owns the mailbox of its name on this machine and
// a polling thread (TCheckThread) that receives the datagrams all the time and, every
// CheckInterval, hands the messages that came to the component's thread, where newMessage fires
// for each in arrival order. Any component, active or not, can send to the mailbox of its name
// on another computer. Failures (a mailbox in use, a computer not found) are silent: the
// component stays inactive, the message is dropped.
class TALMailSlot2 : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString mailBox READ mailBox WRITE setMailBox)
    Q_PROPERTY(bool active READ isActive WRITE setActive)
    Q_PROPERTY(int checkInterval READ checkInterval WRITE setCheckInterval)
    Q_PROPERTY(QThread::Priority threadPriority READ threadPriority WRITE setThreadPriority)
    Q_PROPERTY(QString computerName READ computerName CONSTANT)
    Q_PROPERTY(QString userName READ userName CONSTANT)

public:
    static constexpr qsizetype maxMailBoxLength = 8;

    explicit TALMailSlot2(QObject* parent = nullptr);
    // Deactivates first: the thread has ended and the mailbox is free when this returns.
    ~TALMailSlot2() override;

    QString mailBox() const { return m_mailBox; }
    // A name of up to 8 characters is taken; an active component moves to the new mailbox (and
    // ends inactive if that is in use). A longer name is refused with warning() and the old
    // name stays. The current name again does nothing.
    void setMailBox(const QString& name);

    bool isActive() const { return m_thread != nullptr; }
    // Activation binds the mailbox and starts the thread; it waits at most about two seconds for
    // the thread to report, and when the mailbox cannot be had the component stays inactive
    // without a word. Deactivation stops and frees the thread; messages it had not handed over
    // yet, and hand-overs still on their way, are dropped.
    void setActive(bool active);

    int checkInterval() const { return m_checkInterval; }
    // In milliseconds, taken at once by a running thread. Below 1000 the thread hands over every
    // interval; from 1000 on it counts whole seconds, so 2500 hands over every 3 seconds. Values
    // below 1 are taken as 1.
    void setCheckInterval(int milliseconds);

    QThread::Priority threadPriority() const { return m_threadPriority; }
    // Applied at once to a running thread. InheritPriority names no priority and is ignored.
    void setThreadPriority(QThread::Priority priority);

    // This machine's and this user's names as the messages carry them, taken at construction.
    QString computerName() const { return m_computerName; }
    QString userName() const { return m_userName; }
    void setSenderNames(const QString& computer, const QString& user);

    // The address the mailbox is bound to at the next activation; the any-address by default.
    // Tests bind several components to 127.0.0.x to play several computers on one machine.
    void setBindAddress(const QHostAddress& address);
    QHostAddress bindAddress() const { return m_bindAddress; }

    // Datagrams longer than this are dropped by the polling thread before they are decoded, and
    // counted for refused(); at most (and by default) maxMailslotDatagramSize. Taken at the next
    // activation. A receiver that knows how long its messages are sets it, so that a flood of
    // large datagrams costs it next to nothing.
    void setMaxDatagramSize(qsizetype bytes);
    qsizetype maxDatagramSize() const { return m_maxDatagramSize; }

    // Sends lines as one message to this component's mailbox on the computer. Works whether the
    // component is active or not; a failed send is dropped silently.
    void sendMessage(const QHostAddress& computer, const QStringList& lines);
    // The computer by name: an address ("192.168.0.7"), "." or "localhost" for this machine, or a
    // name that is looked up without blocking; the message goes out once the name is resolved,
    // messages keep their order, and a name that resolves to nothing drops its message.
    void sendMessage(const QString& computer, const QStringList& lines);

signals:
    void newMessage(const QString& computer, const QString& userName, const QString& text);
    // The same message with the address it came from, emitted just before newMessage.
    void messageFrom(const QHostAddress& sender, const QString& computer, const QString& userName, const QString& text);
    // Datagrams from sender that were not delivered since the last hand-over: too large, not a
    // message, or beyond what the thread keeps. Reported with each hand-over.
    void refused(const QHostAddress& sender, int count);
    // A setting was refused; the text is for the user.
    void warning(const QString& message);

private:
    friend class TCheckThread;

    struct PendingSend
    {
        int lookupId = -1; // -1: resolved
        QHostAddress address; // null when the name resolved to nothing
        QString mailBox;
        QByteArray datagram;
    };

    void deliverMessages(
        quint64 generation, const QList<MailslotMessage>& messages, const QHash<QHostAddress, int>& refusals);
    void queueSend(PendingSend send);
    void nameResolved(int lookupId, const QList<QHostAddress>& addresses);
    void sendResolvedInOrder();

    QString m_mailBox = QStringLiteral("MailBox");
    int m_checkInterval = 1000;
    QThread::Priority m_threadPriority = QThread::NormalPriority;
    QString m_computerName;
    QString m_userName;
    QHostAddress m_bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    qsizetype m_maxDatagramSize = maxMailslotDatagramSize;
    std::unique_ptr<TCheckThread> m_thread;
    // Tells the hand-overs of the current activation from those of an earlier one.
    quint64 m_generation = 0;
    QList<PendingSend> m_sendQueue;
};
