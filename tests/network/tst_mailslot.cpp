#include "network/mailslot.h"
#include "platform/mailslottransport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>
#include <memory>

// Every component binds a loopback address of its own, so one machine plays several computers.
namespace {

const QHostAddress computerA(QStringLiteral("127.0.0.2"));
const QHostAddress computerB(QStringLiteral("127.0.0.3"));

struct Received
{
    QString computer;
    QString userName;
    QString text;
    qint64 atMs;
};

std::unique_ptr<TALMailSlot2> component(const QString& mailBox, const QHostAddress& address, int checkInterval,
    const QString& computer = QStringLiteral("PC-A"), const QString& user = QStringLiteral("anna"))
{
    auto slot = std::make_unique<TALMailSlot2>();
    slot->setMailBox(mailBox);
    slot->setBindAddress(address);
    slot->setCheckInterval(checkInterval);
    slot->setSenderNames(computer, user);
    return slot;
}

// Collects what a component delivers, with the time since start() was called.
class Inbox : public QObject
{
public:
    explicit Inbox(TALMailSlot2* slot)
    {
        clock.start();
        connect(slot, &TALMailSlot2::newMessage, this, [this](const QString& c, const QString& u, const QString& t) {
            messages.append({c, u, t, clock.elapsed()});
        });
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Received& message : messages)
            result << message.text;
        return result;
    }
    QElapsedTimer clock;
    QList<Received> messages;
};

QByteArray message(const QString& text)
{
    return buildMailslotDatagram(QStringLiteral("u"), QStringLiteral("c"), {text});
}

} // namespace

class TestMailslot : public QObject
{
    Q_OBJECT

private slots:
    void portOfMailBox_data();
    void portOfMailBox();

    void datagramReading_data();
    void datagramReading();
    void roundTrip_data();
    void roundTrip();
    void wireBytesAreWindows1252();

    void mailBoxNameLength_data();
    void mailBoxNameLength();
    void renameWhileActiveMovesTheMailbox();

    void twoComputersExchangeMessages();
    void foreignDatagramsAreDropped();
    void pollingPeriod_data();
    void pollingPeriod();
    void waitingMessagesComeInOneHandOverInOrder();
    void mailboxInUseLeavesSecondInactive_data();
    void mailboxInUseLeavesSecondInactive();
    void deactivateWhileMessagesArrive();
    void handlerThatDeactivatesGetsNoMore();
    void burstIsDeliveredWhole();
    void busyWindowBoundsWhatWaits();
};

void TestMailslot::portOfMailBox_data()
{
    // FNV-1a over the upper-cased name, worked out apart from the program.
    QTest::addColumn<QString>("mailBox");
    QTest::addColumn<int>("port");
    QTest::newRow("empty name: the offset basis") << "" << 26261;
    QTest::newRow("a") << "a" << 28412;
    QTest::newRow("A") << "A" << 28412;
    QTest::newRow("ZEP-1") << "ZEP-1" << 28506;
    QTest::newRow("zep-1") << "zep-1" << 28506;
    QTest::newRow("umlaut as UTF-8") << "Übung" << 21892;
}

void TestMailslot::portOfMailBox()
{
    QFETCH(QString, mailBox);
    QFETCH(int, port);
    QCOMPARE(int(mailslotPort(mailBox)), port);
}

void TestMailslot::datagramReading_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QString>("text");

    QTest::newRow("no payload") << QByteArray("Message\r\nanna\r\nPC07\r\n") << true << "anna"
                                << "PC07"
                                << "";
    QTest::newRow("two lines") << QByteArray("Message\r\nanna\r\nPC07\r\nA\r\nB\r\n") << true << "anna"
                               << "PC07"
                               << "A\r\nB\r\n";
    QTest::newRow("empty payload lines") << QByteArray("Message\r\nu\r\nc\r\n\r\n\r\nX\r\n") << true << "u"
                                         << "c"
                                         << "\r\n\r\nX\r\n";
    QTest::newRow("last line unended") << QByteArray("Message\r\nu\r\nc\r\nRest") << true << "u"
                                       << "c"
                                       << "Rest";
    QTest::newRow("LF line ends") << QByteArray("Message\nu\nc\nA\nB\n") << true << "u"
                                  << "c"
                                  << "A\nB\n";
    QTest::newRow("CR line ends") << QByteArray("Message\ru\rc\rA\r") << true << "u"
                                  << "c"
                                  << "A\r";
    QTest::newRow("only the tag") << QByteArray("Message") << true << ""
                                  << ""
                                  << "";
    QTest::newRow("user, no computer") << QByteArray("Message\r\nu") << true << "u"
                                       << ""
                                       << "";
    QTest::newRow("NUL kept") << QByteArray("Message\r\nu\0v\r\nc\r\nx\0y", 20) << true
                              << QString::fromLatin1("u\0v", 3) << "c" << QString::fromLatin1("x\0y", 3);
    QTest::newRow("empty") << QByteArray() << false << ""
                           << ""
                           << "";
    QTest::newRow("lower case tag") << QByteArray("message\r\nu\r\nc\r\n") << false << ""
                                    << ""
                                    << "";
    QTest::newRow("blank after tag") << QByteArray("Message \r\nu\r\nc\r\n") << false << ""
                                     << ""
                                     << "";
    QTest::newRow("empty line first") << QByteArray("\r\nMessage\r\nu\r\nc\r\n") << false << ""
                                      << ""
                                      << "";
    QTest::newRow("other tag") << QByteArray("Massage\r\nu\r\nc\r\n") << false << ""
                               << ""
                               << "";

    const QByteArray header("Message\r\nu\r\nc\r\n");
    const QByteArray largest = header + QByteArray(maxMailslotDatagramSize - header.size(), 'x');
    QTest::newRow("64 KiB") << largest << true << "u"
                            << "c" << QString(largest.size() - header.size(), u'x');
    QTest::newRow("over 64 KiB") << largest + 'x' << false << ""
                                 << ""
                                 << "";
}

void TestMailslot::datagramReading()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, accepted);
    const std::optional<MailslotMessage> message = parseMailslotDatagram(datagram);
    QCOMPARE(message.has_value(), accepted);
    if (!accepted)
        return;
    QTEST(message->userName, "userName");
    QTEST(message->computer, "computer");
    QTEST(message->text, "text");
}

void TestMailslot::roundTrip_data()
{
    QTest::addColumn<QString>("userName");
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text");

    QTest::newRow("no payload") << "anna"
                                << "PC07" << QStringList() << "";
    QTest::newRow("one empty line") << "anna"
                                    << "PC07" << QStringList {""} << "\r\n";
    QTest::newRow("protocol lines") << "anna"
                                    << "PC07" << QStringList {"TN-FERTIG", "ABCDEFGHIJ", "1"}
                                    << "TN-FERTIG\r\nABCDEFGHIJ\r\n1\r\n";
    QTest::newRow("umlauts and euro") << "Jürgen Öztürk"
                                      << "Raum-ß" << QStringList {"Größe: 5 €", "„Zitat“ …"}
                                      << "Größe: 5 €\r\n„Zitat“ …\r\n";
    QTest::newRow("empty names") << ""
                                 << "" << QStringList {"x"} << "x\r\n";
}

void TestMailslot::roundTrip()
{
    QFETCH(QString, userName);
    QFETCH(QString, computer);
    QFETCH(QStringList, lines);
    const std::optional<MailslotMessage> message
        = parseMailslotDatagram(buildMailslotDatagram(userName, computer, lines));
    QVERIFY(message);
    QCOMPARE(message->userName, userName);
    QCOMPARE(message->computer, computer);
    QTEST(message->text, "text");
}

void TestMailslot::wireBytesAreWindows1252()
{
    QCOMPARE(buildMailslotDatagram(QStringLiteral("Jürgen"), QStringLiteral("PC-€"), {QStringLiteral("Größe"), {}}),
        QByteArray("Message\r\nJ\xFCrgen\r\nPC-\x80\r\nGr\xF6\xDF"
                   "e\r\n\r\n"));
}

void TestMailslot::mailBoxNameLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");
    QTest::newRow("8 characters") << "ABCDEFGH" << true;
    QTest::newRow("8 with umlauts") << "Übungen1" << true;
    QTest::newRow("9 characters") << "ABCDEFGHI" << false;
    QTest::newRow("same name") << "MailBox" << true;
}

void TestMailslot::mailBoxNameLength()
{
    QFETCH(QString, name);
    QFETCH(bool, taken);
    TALMailSlot2 slot;
    QCOMPARE(slot.mailBox(), QStringLiteral("MailBox"));
    QSignalSpy warnings(&slot, &TALMailSlot2::warning);
    slot.setMailBox(name);
    QCOMPARE(slot.mailBox(), taken ? name : QStringLiteral("MailBox"));
    if (taken) {
        QCOMPARE(warnings.count(), 0);
    } else {
        QCOMPARE(warnings.count(), 1);
        QCOMPARE(
            warnings.at(0).at(0).toString(), QStringLiteral("MailBox name cannot be greater than 8 characters long."));
    }
}

void TestMailslot::renameWhileActiveMovesTheMailbox()
{
    auto slot = component(QStringLiteral("TST-ALT"), computerA, 50);
    Inbox inbox(slot.get());
    slot->setActive(true);
    QVERIFY(slot->isActive());
    slot->setMailBox(QStringLiteral("TST-NEU"));
    QVERIFY(slot->isActive());

    // The old mailbox is free again, the new one receives.
    MailslotEndpoint old(QStringLiteral("TST-ALT"), computerA);
    QVERIFY(old.isOpen());
    QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-NEU"), message(QStringLiteral("neu"))));
    QTRY_COMPARE_WITH_TIMEOUT(inbox.texts(), QStringList {"neu\r\n"}, 2000);
}

void TestMailslot::twoComputersExchangeMessages()
{
    auto a = component(QStringLiteral("TST-XCH"), computerA, 50, QStringLiteral("PC-A"), QStringLiteral("anna"));
    auto b = component(QStringLiteral("TST-XCH"), computerB, 50, QStringLiteral("PC-B"), QStringLiteral("björn"));
    Inbox inboxA(a.get());
    Inbox inboxB(b.get());
    // Both bind the mailbox's port, each on its own address.
    a->setActive(true);
    b->setActive(true);
    QVERIFY(a->isActive());
    QVERIFY(b->isActive());

    a->sendMessage(computerB, {QStringLiteral("Hallo"), QStringLiteral("Welt")});
    QTRY_COMPARE_WITH_TIMEOUT(inboxB.messages.size(), 1, 2000);
    QCOMPARE(inboxB.messages[0].computer, QStringLiteral("PC-A"));
    QCOMPARE(inboxB.messages[0].userName, QStringLiteral("anna"));
    QCOMPARE(inboxB.messages[0].text, QStringLiteral("Hallo\r\nWelt\r\n"));

    b->sendMessage(QStringLiteral("127.0.0.2"), {QStringLiteral("Antwort")});
    QTRY_COMPARE_WITH_TIMEOUT(inboxA.messages.size(), 1, 2000);
    QCOMPARE(inboxA.messages[0].computer, QStringLiteral("PC-B"));
    QCOMPARE(inboxA.messages[0].userName, QStringLiteral("björn"));

    // An inactive component sends all the same.
    auto c = component(QStringLiteral("TST-XCH"), computerA, 50, QStringLiteral("PC-C"), QStringLiteral("carl"));
    c->sendMessage(QStringLiteral(" 127.0.0.3 "), {});
    QTRY_COMPARE_WITH_TIMEOUT(inboxB.messages.size(), 2, 2000);
    QCOMPARE(inboxB.messages[1].computer, QStringLiteral("PC-C"));
    QCOMPARE(inboxB.messages[1].text, QString());
    QCOMPARE(inboxA.messages.size(), 1);
}

// Datagrams that are no message, or longer than the receiver's limit, are refused and counted
// for their sender; a message comes with the address it was sent from.
void TestMailslot::foreignDatagramsAreDropped()
{
    auto slot = component(QStringLiteral("TST-FRM"), computerA, 50);
    slot->setMaxDatagramSize(200);
    Inbox inbox(slot.get());
    QList<QHostAddress> senders;
    connect(slot.get(), &TALMailSlot2::messageFrom, this,
        [&senders](const QHostAddress& sender) { senders.append(sender); });
    QHash<QHostAddress, int> refused;
    connect(slot.get(), &TALMailSlot2::refused, this,
        [&refused](const QHostAddress& sender, int count) { refused[sender] += count; });
    slot->setActive(true);
    QVERIFY(slot->isActive());
    QUdpSocket pupil;
    QVERIFY(pupil.bind(QHostAddress(QStringLiteral("127.0.0.5")), 0));
    const quint16 port = mailslotPort(QStringLiteral("TST-FRM"));
    for (const QByteArray& foreign : {QByteArray(), QByteArray("message\r\nu\r\nc\r\n"),
             QByteArray("GET / HTTP/1.0\r\n"), message(QString(200, u'x'))})
        QCOMPARE(pupil.writeDatagram(foreign, computerA, port), foreign.size());
    QCOMPARE(pupil.writeDatagram(message(QStringLiteral("echt")), computerA, port), message("echt").size());
    QTRY_COMPARE_WITH_TIMEOUT(inbox.messages.size(), 1, 2000);
    QTest::qWait(200);
    QCOMPARE(inbox.texts(), QStringList {"echt\r\n"});
    QCOMPARE(senders, QList<QHostAddress> {QHostAddress(QStringLiteral("127.0.0.5"))});
    QCOMPARE(refused, (QHash<QHostAddress, int> {{QHostAddress(QStringLiteral("127.0.0.5")), 4}}));
}

void TestMailslot::pollingPeriod_data()
{
    // A message sent right after activation misses the first poll, which comes at once, and
    // arrives at the second: after the interval, or from 1000 ms on after the interval rounded
    // up to whole seconds. The windows are coarse on purpose.
    QTest::addColumn<int>("checkInterval");
    QTest::addColumn<int>("earliestMs");
    QTest::addColumn<int>("latestMs");
    QTest::newRow("150") << 150 << 0 << 1000;
    QTest::newRow("1000") << 1000 << 600 << 2000;
    QTest::newRow("2500: every 3 s") << 2500 << 2000 << 4000;
}

void TestMailslot::pollingPeriod()
{
    QFETCH(int, checkInterval);
    QFETCH(int, earliestMs);
    QFETCH(int, latestMs);
    auto slot = component(QStringLiteral("TST-POLL"), computerA, checkInterval);
    Inbox inbox(slot.get());
    slot->setActive(true);
    QVERIFY(slot->isActive());
    QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-POLL"), message(QStringLiteral("x"))));
    QTRY_COMPARE_WITH_TIMEOUT(inbox.messages.size(), 1, latestMs + 1000);
    QVERIFY2(inbox.messages[0].atMs >= earliestMs && inbox.messages[0].atMs <= latestMs,
        qPrintable(QStringLiteral("delivered after %1 ms").arg(inbox.messages[0].atMs)));
}

void TestMailslot::waitingMessagesComeInOneHandOverInOrder()
{
    auto slot = component(QStringLiteral("TST-TWO"), computerA, 1000);
    QStringList events;
    connect(slot.get(), &TALMailSlot2::newMessage, this, [&](const QString&, const QString&, const QString& text) {
        events << text.trimmed();
        // Queued behind whatever is already waiting: a second hand-over would come after it.
        if (events.size() == 1)
            QMetaObject::invokeMethod(
                this, [&] { events << QStringLiteral("later"); }, Qt::QueuedConnection);
    });
    slot->setActive(true);
    QVERIFY(slot->isActive());
    QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-TWO"), message(QStringLiteral("eins"))));
    QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-TWO"), message(QStringLiteral("zwei"))));
    QTRY_COMPARE_WITH_TIMEOUT(events.size(), 3, 3000);
    QCOMPARE(events, (QStringList {"eins", "zwei", "later"}));
}

void TestMailslot::mailboxInUseLeavesSecondInactive_data()
{
    QTest::addColumn<QString>("secondName");
    QTest::newRow("same name") << "TST-USE";
    QTest::newRow("other case") << "tst-use";
}

void TestMailslot::mailboxInUseLeavesSecondInactive()
{
    QFETCH(QString, secondName);
    auto first = component(QStringLiteral("TST-USE"), computerA, 50);
    auto second = component(secondName, computerA, 50);
    first->setActive(true);
    QVERIFY(first->isActive());
    second->setActive(true);
    QVERIFY(!second->isActive());

    // Destroying the active one frees the mailbox.
    first.reset();
    second->setActive(true);
    QVERIFY(second->isActive());
}

void TestMailslot::deactivateWhileMessagesArrive()
{
    std::atomic<bool> stop {false};
    std::unique_ptr<QThread> sender(QThread::create([&stop] {
        int n = 0;
        while (!stop.load()) {
            sendMailslotDatagram(computerA, QStringLiteral("TST-OFF"), message(QString::number(n++)));
            if (n % 20 == 0)
                QThread::msleep(1);
        }
    }));
    sender->start();
    auto slot = component(QStringLiteral("TST-OFF"), computerA, 20);
    Inbox inbox(slot.get());
    for (int round = 0; round < 5; ++round) {
        slot->setActive(true);
        QVERIFY(slot->isActive());
        QTest::qWait(60);
        QElapsedTimer clock;
        clock.start();
        slot->setActive(false);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("took %1 ms").arg(clock.elapsed())));
    }
    slot->setActive(true);
    QTest::qWait(60);
    QElapsedTimer clock;
    clock.start();
    slot.reset();
    QVERIFY(clock.elapsed() < 1000);
    stop = true;
    QVERIFY(sender->wait(5000));
    QVERIFY(!inbox.messages.isEmpty());
}

void TestMailslot::handlerThatDeactivatesGetsNoMore()
{
    auto slot = component(QStringLiteral("TST-HND"), computerA, 1000);
    int delivered = 0;
    connect(slot.get(), &TALMailSlot2::newMessage, this, [&] {
        ++delivered;
        slot->setActive(false);
    });
    slot->setActive(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-HND"), message(QString::number(i))));
    QTRY_COMPARE_WITH_TIMEOUT(delivered, 1, 3000);
    QVERIFY(!slot->isActive());
    QTest::qWait(100);
    QCOMPARE(delivered, 1);
}

void TestMailslot::burstIsDeliveredWhole()
{
    // More datagrams than the system's default receive buffer holds (about 250), in about
    // 100 ms; the thread must take them while they come, not only at its polls.
    constexpr int count = 2000;
    auto slot = component(QStringLiteral("TST-BST"), computerA, 150);
    Inbox inbox(slot.get());
    slot->setActive(true);
    QVERIFY(slot->isActive());
    int failedSends = 0;
    for (int i = 0; i < count; ++i) {
        if (!sendMailslotDatagram(computerA, QStringLiteral("TST-BST"), message(QString::number(i))))
            ++failedSends;
        if (i % 40 == 39)
            QThread::usleep(2000);
    }
    QCOMPARE(failedSends, 0);
    QTRY_COMPARE_WITH_TIMEOUT(inbox.messages.size(), count, 10000);
    for (int i = 0; i < count; ++i)
        QCOMPARE(inbox.messages[i].text, QString::number(i) + QStringLiteral("\r\n"));
}

// A window too busy to take its messages while a sender floods the mailbox with large datagrams:
// what waits for it stays within maxMailslotWaitingBytes, the rest is dropped, and once the
// window has taken what waited, messages come through again.
void TestMailslot::busyWindowBoundsWhatWaits()
{
    auto slot = component(QStringLiteral("TST-BIG"), computerA, 50);
    Inbox inbox(slot.get());
    slot->setActive(true);
    QVERIFY(slot->isActive());
    const QString big(30000, u'x');
    const qint64 bytesEach = (big.size() + 4) * qint64(sizeof(QChar));
    const int sent = int(2 * maxMailslotWaitingBytes / bytesEach);
    // This thread is the busy window: it runs no event loop while it sends.
    for (int i = 0; i < sent; ++i) {
        QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-BIG"), message(big)));
        if (i % 4 == 3)
            QThread::usleep(2000);
    }
    QTRY_VERIFY(!inbox.messages.isEmpty());
    // Longer than the thread needs to hand over whatever it kept: nothing more comes than the
    // bound and what the system's receive buffer (about 200 KB) still held when the window took
    // the first hand-over.
    QTest::qWait(1000);
    QVERIFY2(inbox.messages.size() * bytesEach <= maxMailslotWaitingBytes + 256 * 1024 + bytesEach,
        qPrintable(QStringLiteral("%1 of %2 delivered").arg(inbox.messages.size()).arg(sent)));

    inbox.messages.clear();
    QVERIFY(sendMailslotDatagram(computerA, QStringLiteral("TST-BIG"), message(QStringLiteral("wieder da"))));
    QTRY_COMPARE(inbox.texts(), QStringList {QStringLiteral("wieder da\r\n")});
}

QTEST_GUILESS_MAIN(TestMailslot)
#include "tst_mailslot.moc"
