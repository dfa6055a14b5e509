// The exercise files a teacher publishes and a pupil joins, the choice of the teacher's address,
// the teacher's reading of the class's messages, and the reports of a time-out and a cancel
// arriving in the class's high-score list once.

#include "network/mailslot.h"
#include "network/netclassmodel.h"
#include "network/netexercise.h"
#include "platform/mailslottransport.h"
#include "support/manualtick.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUdpSocket>

#include <sys/stat.h>

Q_DECLARE_METATYPE(QList<QHostAddress>)

namespace {

QNetworkAddressEntry entry(const char* ip, int prefix)
{
    QNetworkAddressEntry e;
    e.setIp(QHostAddress(QString::fromLatin1(ip)));
    e.setPrefixLength(prefix);
    return e;
}

QList<QHostAddress> addresses(std::initializer_list<const char*> texts)
{
    QList<QHostAddress> list;
    for (const char* text : texts)
        list.append(QHostAddress(QString::fromLatin1(text)));
    return list;
}

const QString pupil = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZABCD");

QString message(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

const QHostAddress teacherAddress(QStringLiteral("127.0.0.2"));
const QHostAddress flooderAddress(QStringLiteral("127.0.0.9"));

// The teacher's machine on 127.0.0.2 publishes document in folder on channel, a channel of the
// test's own so that no other test's channel shares the port. False when publishing failed.
bool publishOnLoopback(
    NetExercise& teacher, const QString& folder, const QString& channel, const TopicDocument& document)
{
    teacher.folder = folder + u'/';
    teacher.channel = channel;
    teacher.setBindAddress(teacherAddress);
    return teacher.publish(document, {}, QStringLiteral("LEHRER")) == NetExercise::PublishResult::Published;
}

// The other process of floodAndForgeriesFromAnotherProcess, as a pupil's one-line script would:
// from 127.0.0.9, six results of 100 % in 1 ms, each right after its TN-INIT, without an answer
// or an end report, then 300 TN-INIT with 60 KB names and 300 with new identifiers.
int sendFloodAndForgeries(const QString& channel)
{
    QUdpSocket socket;
    if (!socket.bind(flooderAddress, 0))
        return 1;
    const auto send = [&](const QStringList& lines) {
        socket.writeDatagram(buildMailslotDatagram("flut", "PC-FLUT", lines), teacherAddress, mailslotPort(channel));
    };
    for (int i = 0; i < 6; ++i) {
        const QString id = QString(29, u'K') + QChar(u'A' + i);
        send(initMessage(id, QStringLiteral("Klassenbester"), 46000.5));
        send(bestListMessage(id, QStringLiteral("Klassenbester"), "PC-07", 46000.5, 1, 1.0));
    }
    for (int i = 0; i < 600; ++i) {
        QString id(30, u'F');
        id[0] = QChar(u'A' + i % 26);
        id[1] = QChar(u'A' + i / 26);
        send(initMessage(id, i % 2 == 0 ? QString(60 * 1024, u'n') : QStringLiteral("Flut"), 46000.5));
        if (i % 50 == 0)
            QThread::msleep(5); // the teacher's receive buffer holds a few hundred datagrams
    }
    return 0;
}

} // namespace

class TestNetExercise : public QObject
{
    Q_OBJECT

private slots:
    void settingsFile_data();
    void settingsFile();
    void damagedSettingsFile_data();
    void damagedSettingsFile();
    void participantIds();
    void masterAddress_data();
    void masterAddress();
    void teacherReadsMessages();
    void resultsWaitForTheirEndReport_data();
    void resultsWaitForTheirEndReport();
    void limitsPerSendingAddress();
    void publishAndJoin();
    void plantedFilesAreNeverFollowed();
    void endReportsReachTheList_data();
    void endReportsReachTheList();
    void floodAndForgeriesFromAnotherProcess();
    void staleExerciseIsWithdrawn_data();
    void staleExerciseIsWithdrawn();
    void resultsWaitWhileTheListCannotBeWritten();
};

void TestNetExercise::settingsFile_data()
{
    QTest::addColumn<QString>("master");
    QTest::newRow("short name") << "PC07";
    QTest::newRow("no name") << "";
    QTest::newRow("umlauts") << "LEHRER-RÄUM-1";
}

void TestNetExercise::settingsFile()
{
    QFETCH(QString, master);
    NetExerciseSettings settings;
    settings.master = master;
    settings.options = {2, 1, 1, 0, 2, 1, 754};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeNetSettings(buffer, settings));
    // Three texts and eight integers.
    QCOMPARE(buffer.size(), 4 + 17 + 4 + 195 + 4 + master.size() + 32);
    QCOMPARE(buffer.data().mid(4, 17), QByteArray("zepnetzuebung.dat"));
    buffer.close();
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(readNetSettings(buffer), settings);
}

void TestNetExercise::damagedSettingsFile_data()
{
    QTest::addColumn<int>("cut"); // bytes cut off the end
    QTest::addColumn<int>("option"); // index of an option set out of range, -1 none
    QTest::newRow("last integer cut") << 1 << -1;
    QTest::newRow("all integers cut") << 32 << -1;
    QTest::newRow("query mode 3") << 0 << 5;
    QTest::newRow("time limit too long") << 0 << 7;
}

void TestNetExercise::damagedSettingsFile()
{
    QFETCH(int, cut);
    QFETCH(int, option);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeNetSettings(buffer, {QStringLiteral("PC07"), {}}));
    QByteArray bytes = buffer.data();
    bytes.chop(cut);
    if (option >= 0) {
        const qsizetype at = bytes.size() - 32 + 4 * option;
        bytes[at] = char(option == 7 ? 0xff : 3);
        bytes[at + 1] = char(option == 7 ? 0xff : 0);
    }
    QBuffer damaged(&bytes);
    damaged.open(QIODevice::ReadOnly);
    QVERIFY(!readNetSettings(damaged));
}

void TestNetExercise::participantIds()
{
    const QString first = drawParticipantId();
    const QString second = drawParticipantId();
    const QRegularExpression letters(QStringLiteral("^[A-Z]{30}$"));
    QVERIFY(letters.match(first).hasMatch());
    QVERIFY(letters.match(second).hasMatch());
    QVERIFY(first != second);
}

void TestNetExercise::masterAddress_data()
{
    QTest::addColumn<QList<QHostAddress>>("listed");
    QTest::addColumn<QList<QHostAddress>>("resolved");
    QTest::addColumn<QString>("chosen");
    const QList<QHostAddress> teacher = addresses({"10.0.0.5", "192.168.1.20", "127.0.0.1"});

    // The teacher receives on every address: its address on this machine's network reaches it.
    QTest::newRow("teacher on this machine")
        << addresses({"192.168.1.7", "127.0.0.1"}) << QList<QHostAddress>() << "192.168.1.7";
    QTest::newRow("teacher bound to a loopback address")
        << addresses({"127.0.0.2"}) << QList<QHostAddress>() << "127.0.0.2";
    QTest::newRow("name resolves to a listed address on this network")
        << teacher << addresses({"192.168.1.20"}) << "192.168.1.20";
    QTest::newRow("name resolves to a listed address on another network")
        << teacher << addresses({"10.0.0.5"}) << "192.168.1.20";
    // Docker's bridge has this address on every machine running it, this pupil's too.
    QTest::newRow("teacher lists a bridge this machine has too")
        << addresses({"172.17.0.1", "192.168.1.20", "127.0.0.1"}) << QList<QHostAddress>() << "192.168.1.20";
    QTest::newRow("only a bridge and loopback listed")
        << addresses({"172.17.0.1", "127.0.0.1"}) << QList<QHostAddress>() << "127.0.0.1";
    QTest::newRow("cloned name resolves elsewhere: same network")
        << teacher << addresses({"192.168.1.99"}) << "192.168.1.20";
    QTest::newRow("no name server: same network") << teacher << QList<QHostAddress>() << "192.168.1.20";
    QTest::newRow("other network, name resolves")
        << addresses({"172.16.0.9", "127.0.0.1"}) << addresses({"172.16.0.9"}) << "172.16.0.9";
    QTest::newRow("other network, no name")
        << addresses({"172.16.0.9", "127.0.0.1"}) << QList<QHostAddress>() << "172.16.0.9";
    QTest::newRow("no address file") << QList<QHostAddress>() << addresses({"10.1.1.1"}) << "10.1.1.1";
}

void TestNetExercise::masterAddress()
{
    QFETCH(QList<QHostAddress>, listed);
    QFETCH(QList<QHostAddress>, resolved);
    QFETCH(QString, chosen);
    // This pupil's machine: 192.168.1.7 on a /24, loopback, and Docker's bridge. Every teacher's
    // list ends with loopback, which does not make the teacher this machine.
    const QList<OwnAddress> own
        = {{"lo", entry("127.0.0.1", 8)}, {"eth0", entry("192.168.1.7", 24)}, {"docker0", entry("172.17.0.1", 16)}};
    QCOMPARE(chooseMasterAddress(listed, own, resolved).toString(), chosen);
    // A teacher's machine with the same bridge does not publish it.
    QVERIFY(!masterAddressesToPublish(QHostAddress::AnyIPv4, own).contains(QHostAddress("172.17.0.1")));
    QCOMPARE(parseNetAddressFile(netAddressFileText(listed)), listed);
}

void TestNetExercise::teacherReadsMessages()
{
    NetMessageReader reader(3);
    const auto read = [&reader](const QStringList& lines) {
        return reader.read(QHostAddress(), QStringLiteral("PC12"), QStringLiteral("schueler12"), message(lines)).kind;
    };
    using Kind = NetMessageReader::Kind;
    const QStringList action = {
        NetMessages::action, pupil, "2", "-2", "1", "0", "10:15:00", "10", "3", "1", "6", "01:05", "75.0", "30.0", "5"};
    // Nothing counts before the participant announced itself.
    QCOMPARE(read(action), Kind::Dropped);
    QCOMPARE(read(initMessage(pupil, QString(), 46000.5)), Kind::Joined);
    QCOMPARE(reader.participants().value(pupil).name, QStringLiteral("schueler12"));
    // Announced once: a second TN-INIT renames nobody.
    QCOMPARE(read(initMessage(pupil, QStringLiteral("Klassenbester"), 46000.5)), Kind::Dropped);
    QCOMPARE(reader.participants().value(pupil).name, QStringLiteral("schueler12"));
    // A name of 60 KB is kept cut; a message far larger than any real one is not read at all.
    const QString other = QString(pupil).replace(u'A', u'Q');
    QCOMPARE(read(initMessage(other, QString(3000, u'n'), 46000.5)), Kind::Joined);
    QCOMPARE(reader.participants().value(other).name.size(), maxNetNameLength);
    QCOMPARE(read(initMessage(pupil.toLower(), QString(60000, u'n'), 46000.5)), Kind::Dropped);
    QCOMPARE(read(action), Kind::Action);
    QCOMPARE(reader.participants().value(pupil).correct, 3);
    QStringList beyond = action;
    beyond[2] = "3"; // the published document has three objects
    QCOMPARE(read(beyond), Kind::Dropped);
    QStringList garbled = action;
    garbled[8] = "drei";
    QCOMPARE(read(garbled), Kind::Dropped);
    QCOMPARE(read(finishMessage(pupil, 4, "01:05")), Kind::Dropped);
    // Figures no quiz can have: rates outside 0..100 however they are written, more open
    // questions than questions.
    for (const auto& [field, value] :
        {std::pair(12, "100.5"), std::pair(12, "-0.5"), std::pair(13, "1e300"), std::pair(10, "11")}) {
        QStringList odd = action;
        odd[field] = QString::fromLatin1(value);
        QCOMPARE(read(odd), Kind::Dropped);
    }

    // After its TN-FERTIG a late progress report does not set the participant running again.
    QCOMPARE(read(finishMessage(pupil, 1, "01:10")), Kind::Finished);
    QStringList late = action;
    late[8] = "4";
    QCOMPARE(read(late), Kind::Dropped);
    QCOMPARE(reader.participants().value(pupil).endStatus, 1);
    QCOMPARE(reader.participants().value(pupil).correct, 3);

    // The result comes with a decimal comma from a German machine; a second report adds nothing.
    QStringList result = bestListMessage(pupil, QString(), "PC12", 46000.5, 65000, 0.3);
    result[6] = "0,3";
    const NetMessageReader::Outcome first = reader.read(QHostAddress(), "PC12", "schueler12", message(result));
    QCOMPARE(first.kind, Kind::Result);
    QVERIFY(first.result);
    QCOMPARE(first.result->Name, QStringLiteral("schueler12"));
    QCOMPARE(first.result->Rechner, QStringLiteral("PC12"));
    QCOMPARE(first.result->Dauer, 65000);
    QCOMPARE(first.result->Leistung, 0.3);
    QCOMPARE(read(result), Kind::Finished);
}

void TestNetExercise::resultsWaitForTheirEndReport_data()
{
    QTest::addColumn<bool>("progress"); // a TN-AKTION with 8 of 10 right came first
    QTest::addColumn<QString>("order");
    QTest::addColumn<double>("performance");
    QTest::addColumn<double>("start");
    QTest::addColumn<bool>("marked");
    QTest::newRow("end report first") << true << "end, result" << 0.8 << 46000.5 << false;
    QTest::newRow("result overtakes its end report") << true << "result, end" << 0.8 << 46000.5 << false;
    QTest::newRow("no end report: taken after the wait") << true << "result" << 0.8 << 46000.5 << false;
    QTest::newRow("last progress report lost") << true << "end, result" << 0.9 << 46000.5 << false;
    QTest::newRow("more than the progress allows") << true << "end, result" << 1.0 << 46000.5 << true;
    QTest::newRow("another start") << true << "end, result" << 0.8 << 46000.6 << true;
    QTest::newRow("forged: nothing answered, all right") << false << "result" << 1.0 << 46000.5 << true;
    QTest::newRow("nothing answered, time over") << false << "end, result" << 0.0 << 46000.5 << false;
}

void TestNetExercise::resultsWaitForTheirEndReport()
{
    QFETCH(bool, progress);
    QFETCH(QString, order);
    QFETCH(double, performance);
    QFETCH(double, start);
    QFETCH(bool, marked);
    ManualTick tick(1000);
    NetMessageReader reader(3, tick);
    const QHostAddress from(QStringLiteral("10.0.0.5"));
    using Kind = NetMessageReader::Kind;
    const auto read = [&](const QStringList& lines) { return reader.read(from, "PC12", "anna", message(lines)); };
    QCOMPARE(read(initMessage(pupil, QString(), 46000.5)).kind, Kind::Joined);
    if (progress)
        QCOMPARE(read({NetMessages::action, pupil, "1", "-2", "0", "0", "12:00:00", "10", "8", "1", "1", "01:05",
                          "88.9", "80.0", "2"})
                     .kind,
            Kind::Action);

    const QStringList result = bestListMessage(pupil, QString(), "PC12", start, 65000, performance);
    const QStringList end = finishMessage(pupil, 1, "01:10");
    NetMessageReader::Outcome taken;
    if (order == "end, result") {
        QCOMPARE(read(end).kind, Kind::Finished);
        taken = read(result);
    } else if (order == "result, end") {
        QCOMPARE(read(result).kind, Kind::Held);
        taken = read(end);
    } else {
        QCOMPARE(read(result).kind, Kind::Held);
        tick.advance(NetMessageReader::resultHoldMs - 1);
        QVERIFY(reader.takeOverdueResults().isEmpty());
        tick.advance(1);
        const QList<NetMessageReader::Outcome> overdue = reader.takeOverdueResults();
        QCOMPARE(overdue.size(), 1);
        taken = overdue.first();
    }
    QCOMPARE(taken.kind, Kind::Result);
    QVERIFY(taken.listed);
    QCOMPARE(taken.result->Leistung, performance);
    QVERIFY(!reader.holdsResults());
    const NetParticipant participant = reader.participants().value(pupil);
    QCOMPARE(participant.resultMismatch, marked);
    QCOMPARE(netParticipantNotes(participant).contains("Ergebnis passt nicht zum Verlauf"), marked);
    // A late copy of either report adds nothing.
    QCOMPARE(read(result).kind, Kind::Finished);
    QVERIFY(reader.takeOverdueResults(0).isEmpty());
}

// One address holds at most four unfinished participants and enters at most ten results; a
// message from another address is kept and its row marked; every refusal is counted for the
// address it came from.
void TestNetExercise::limitsPerSendingAddress()
{
    ManualTick tick(1000);
    NetParticipantTable table(tick);
    TopicDocument published;
    published.objects.resize(3);
    table.reset(published);
    using Kind = NetMessageReader::Kind;
    const auto id = [](int n) { return QString(29, u'P') + QChar(u'A' + n); };
    const auto read = [&](const char* address, const QStringList& lines) {
        return table.read(QHostAddress(QString::fromLatin1(address)), "PC", "u", message(lines));
    };
    const auto init = [&](const char* address, int n) { return read(address, initMessage(id(n), {}, 46000.5)).kind; };

    for (int n = 0; n < 4; ++n)
        QCOMPARE(init("10.0.0.66", n), Kind::Joined);
    QCOMPARE(init("10.0.0.66", 4), Kind::Dropped);
    // The class is not locked out by one address's flood; nor is a channel without addresses.
    QCOMPARE(init("10.0.0.7", 5), Kind::Joined);
    for (int n = 6; n < 12; ++n)
        QCOMPARE(table.read(QHostAddress(), "PC", "u", message(initMessage(id(n), {}, 46000.5))).kind, Kind::Joined);
    // A finished participant frees its place.
    QCOMPARE(read("10.0.0.66", finishMessage(id(0), 2, "00:10")).kind, Kind::Finished);
    QCOMPARE(init("10.0.0.66", 4), Kind::Joined);

    // The pupil at 10.0.0.7 is reported from another address: kept, marked.
    QCOMPARE(read("10.0.0.8", finishMessage(id(5), 1, "01:00")).kind, Kind::Finished);
    QCOMPARE(table.reader().participants().value(id(5)).changedAddress, QHostAddress(QStringLiteral("10.0.0.8")));
    const int row = [&] {
        for (int r = 0; r < table.rowCount(); ++r)
            if (table.participantAt(r) == id(5))
                return r;
        return -1;
    }();
    QCOMPARE(table.index(row, NetParticipantTable::Address).data().toString(), QStringLiteral("10.0.0.7"));
    QCOMPARE(table.index(row, NetParticipantTable::Notes).data().toString(),
        QStringLiteral("Meldung von anderer Adresse: 10.0.0.8"));

    // Results one after another from one address: ten go into the list, the rest are shown.
    QList<bool> listed;
    for (int n = 20; n < 32; ++n) {
        QCOMPARE(init("10.0.0.99", n), Kind::Joined);
        read("10.0.0.99", finishMessage(id(n), 1, "00:01"));
        listed.append(read("10.0.0.99", bestListMessage(id(n), {}, "PC", 46000.5, 1, 0)).listed);
    }
    QCOMPARE(listed.count(true), NetMessageReader::maxResultsPerSender);
    QCOMPARE(listed.mid(10), QList<bool>({false, false}));
    QVERIFY(table.reader().participants().value(id(31)).resultNotListed);

    // Refused: the fifth unfinished one, a second TN-INIT, an unknown participant, garbage.
    QCOMPARE(init("10.0.0.7", 5), Kind::Dropped);
    QCOMPARE(read("10.0.0.7", finishMessage(id(25) + "X", 1, "00:01")).kind, Kind::Dropped);
    table.countRefused(QHostAddress(QStringLiteral("10.0.0.66")), 500);
    QVERIFY2(table.summary().endsWith("abgewiesene Meldungen: 503 (10.0.0.66: 501, 10.0.0.7: 2)"),
        qPrintable(table.summary()));
}

void TestNetExercise::publishAndJoin()
{
    QTemporaryDir dir;
    NetExercise teacher;
    teacher.folder = dir.path() + "/";
    QFile oldList(teacher.fileName(NetFile::HighScores));
    QVERIFY(oldList.open(QIODevice::WriteOnly));
    oldList.close();

    TopicDocument document;
    document.titel = QStringLiteral("Flüsse");
    document.picture = QImage(40, 20, QImage::Format_RGB32);
    document.picture.fill(Qt::blue);
    const QuizSnapshot options {1, 1, 0, 0, 2, 1, 90};
    QCOMPARE(teacher.publish(document, options, QStringLiteral("LEHRER")), NetExercise::PublishResult::Published);
    for (const char* name :
        {"ZEP-1-zepnetzuebung.zep", "ZEP-1-zepnetzuebung.dat", "ZEP-1-zepnetzuebung.adr", "ZEP-1-zepnetzuebung.okx"})
        QVERIFY2(QFile::exists(dir.filePath(name)), name);
    QVERIFY(!QFile::exists(dir.filePath("ZEP-1-zepnetzuebung.hsc")));

    NetExercise pupilSide;
    pupilSide.folder = teacher.folder;
    QVERIFY(pupilSide.released());
    QuizSnapshot joined;
    QVERIFY(pupilSide.readSettings(joined));
    QCOMPARE(joined, options);
    QCOMPARE(pupilSide.masterComputer, QStringLiteral("LEHRER"));

    teacher.withdraw();
    QVERIFY(!pupilSide.released());
    QVERIFY(!QFile::exists(dir.filePath("ZEP-1-zepnetzuebung.zep")));
}

// A pupil who can write the shared folder plants links to the teacher's own files under the
// exercise's names before the teacher publishes, a link to a file not yet there as the class
// list, and a pipe as the settings: the teacher's files stay as they were, nothing is created
// behind a link, and a pupil joining is told no, at once.
void TestNetExercise::plantedFilesAreNeverFollowed()
{
    QTemporaryDir shared;
    QTemporaryDir home;
    NetExercise teacher;
    teacher.folder = shared.path() + "/";
    const QList<NetFile> published {NetFile::Topic, NetFile::Settings, NetFile::Addresses, NetFile::Release};
    for (NetFile kind : published) {
        const QString own = home.filePath(QStringLiteral("eigen%1.txt").arg(int(kind)));
        QFile file(own);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("vom Lehrer") == 10);
        file.close();
        QVERIFY(QFile::link(own, teacher.fileName(kind)));
    }
    TopicDocument document;
    document.picture = QImage(40, 20, QImage::Format_RGB32);
    QCOMPARE(teacher.publish(document, {}, QStringLiteral("LEHRER")), NetExercise::PublishResult::Published);
    for (NetFile kind : published) {
        const QFileInfo info(teacher.fileName(kind));
        QVERIFY2(info.isFile() && !info.isSymLink(), qPrintable(info.fileName()));
        QFile own(home.filePath(QStringLiteral("eigen%1.txt").arg(int(kind))));
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("vom Lehrer"));
    }

    const QString planted = home.filePath(QStringLiteral("neu.txt"));
    QVERIFY(QFile::link(planted, teacher.fileName(NetFile::HighScores)));
    HighScoreEntry entry;
    entry.Name = QStringLiteral("Klassenbester");
    QVERIFY(!appendHighScoreEntry(teacher.fileName(NetFile::HighScores), entry));
    QVERIFY(!QFile::exists(planted));

    QVERIFY(QFile::remove(teacher.fileName(NetFile::Settings)));
    QVERIFY(::mkfifo(QFile::encodeName(teacher.fileName(NetFile::Settings)).constData(), 0666) == 0);
    NetExercise pupilSide;
    pupilSide.folder = teacher.folder;
    QuizSnapshot options;
    QVERIFY(!pupilSide.readSettings(options));
}

void TestNetExercise::endReportsReachTheList_data()
{
    QTest::addColumn<int>("endStatus");
    QTest::addColumn<int>("reports"); // how often the pupil's side sends its finish messages
    QTest::addColumn<int>("entries"); // in the class's list afterwards
    QTest::newRow("time-out, reported twice") << 3 << 2 << 1;
    QTest::newRow("finished") << 1 << 1 << 1;
    QTest::newRow("cancelled") << 2 << 1 << 0;
}

void TestNetExercise::endReportsReachTheList()
{
    QFETCH(int, endStatus);
    QFETCH(int, reports);
    QFETCH(int, entries);
    QTemporaryDir dir;
    TopicDocument document;
    document.picture = QImage(40, 20, QImage::Format_RGB32);

    // Teacher and pupil play two computers on loopback addresses of their own.
    NetExercise teacher;
    QVERIFY(publishOnLoopback(teacher, dir.path(), QStringLiteral("NX-END"), document));
    QVERIFY(teacher.openMaster());
    QSignalSpy results(&teacher, &NetExercise::resultAppended);
    QSignalSpy changes(&teacher, &NetExercise::participantChanged);

    NetExercise pupilSide;
    pupilSide.folder = teacher.folder;
    pupilSide.channel = teacher.channel;
    pupilSide.setBindAddress(QHostAddress(QStringLiteral("127.0.0.3")));
    QuizSnapshot options;
    QVERIFY(pupilSide.readSettings(options));
    pupilSide.enter(46000.25);
    QCOMPARE(pupilSide.masterAddress, QHostAddress(QStringLiteral("127.0.0.2")));

    TopicDocument pupilDocument = document;
    QuizSession quiz(pupilDocument);
    quiz.netRole = NetworkParticipant;
    quiz.endStatus = QuizEndStatus(endStatus);
    quiz.startTime = 46000.25;
    quiz.elapsedMs = 65432;
    quiz.overallScore = 0.75;
    for (int i = 0; i < reports; ++i)
        pupilSide.sendFinish(quiz, QStringLiteral("PC12"));

    // TN-INIT, then per report TN-FERTIG and, for a result, TN-BESTLIST.
    const int messages = 1 + reports * (endStatus == 2 ? 1 : 2);
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), messages, 5000);
    QCOMPARE(results.size(), entries);
    const NetParticipant participant = teacher.reader().participants().value(pupilSide.participantId);
    QCOMPARE(participant.endStatus, endStatus);
    HighScoreList list;
    QCOMPARE(readHighScoreFile(teacher.fileName(NetFile::HighScores), list), entries > 0);
    QCOMPARE(list.size(), entries);
    if (entries > 0) {
        QCOMPARE(list.first().Rechner, QStringLiteral("PC12"));
        QCOMPARE(list.first().Dauer, 65432);
        QCOMPARE(list.first().Leistung, 0.75);
    }
}

void TestNetExercise::staleExerciseIsWithdrawn_data()
{
    QTest::addColumn<int>("ageMinutes");
    QTest::addColumn<bool>("released");
    QTest::newRow("renewed a minute ago") << 1 << true;
    QTest::newRow("teacher's clock 14 minutes behind") << 14 << true;
    QTest::newRow("teacher's program gone 16 minutes ago") << 16 << false;
}

// The teacher renews the release marker's time while the exercise runs; a marker older than
// 15 minutes is an exercise left behind by a program that was killed.
void TestNetExercise::staleExerciseIsWithdrawn()
{
    QFETCH(int, ageMinutes);
    QFETCH(bool, released);
    QTemporaryDir dir;
    TopicDocument document;
    document.picture = QImage(40, 20, QImage::Format_RGB32);
    NetExercise teacher;
    QVERIFY(publishOnLoopback(teacher, dir.path(), QStringLiteral("NX-LIFE"), document));
    const QDateTime now = QDateTime::currentDateTime();
    QFile marker(teacher.fileName(NetFile::Release));
    QVERIFY(marker.open(QIODevice::ReadWrite));
    QVERIFY(marker.setFileTime(now.addSecs(-60 * ageMinutes), QFileDevice::FileModificationTime));
    QCOMPARE(teacher.released(now), released);

    // A running master renews the sign, on a thread of its own, until it withdraws.
    teacher.setLifeSignInterval(50);
    QVERIFY(teacher.openMaster());
    QTRY_VERIFY_WITH_TIMEOUT(teacher.released(), 2000);
    QVERIFY(marker.setFileTime(now.addSecs(-3600), QFileDevice::FileModificationTime));
    QTRY_VERIFY_WITH_TIMEOUT(teacher.released(), 2000);
    teacher.withdraw();
    QVERIFY(!teacher.released());
}

// A teacher on 127.0.0.2 and a pupil of this process; another process floods and forges from
// 127.0.0.9. The pupil's result arrives unmarked; the flooder holds at most four participants,
// its forged results are marked, and its refusals are counted for its address.
void TestNetExercise::floodAndForgeriesFromAnotherProcess()
{
    QTemporaryDir dir;
    TopicDocument document;
    document.picture = QImage(40, 20, QImage::Format_RGB32);
    document.objects.resize(3);
    NetExercise teacher;
    QVERIFY(publishOnLoopback(teacher, dir.path(), QStringLiteral("NX-FLUT"), document));
    QVERIFY(teacher.openMaster());

    QProcess flooder;
    flooder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--flood"), teacher.channel});
    // The pupil reports once the flood is over: a flood on loopback fills the system's receive
    // buffer, which drops datagrams before any program sees them (how much depends on the load).
    QVERIFY(flooder.waitForFinished(30000));
    QCOMPARE(flooder.exitCode(), 0);
    TALMailSlot2 pupilSide;
    pupilSide.setMailBox(teacher.channel);
    pupilSide.setSenderNames("PC-12", "anna");
    const QString id = QString(30, u'R');
    pupilSide.sendMessage(teacherAddress, initMessage(id, QString(), 46000.5));
    pupilSide.sendMessage(teacherAddress,
        {NetMessages::action, id, "1", "-2", "0", "0", "12:00:00", "3", "3", "0", "0", "00:20", "100.0", "100.0", "1"});
    pupilSide.sendMessage(teacherAddress, finishMessage(id, 1, "00:21"));
    pupilSide.sendMessage(teacherAddress, bestListMessage(id, QString(), "PC-12", 46000.5, 21000, 1.0));

    // The forged results wait for end reports that never come, then go in, marked.
    const auto& participants = teacher.reader().participants();
    const auto fromFlooder = [&] {
        QList<NetParticipant> found;
        for (const NetParticipant& p : participants)
            if (p.address == flooderAddress)
                found.append(p);
        return found;
    };
    const auto allTaken = [&] {
        const QList<NetParticipant> forged = fromFlooder();
        return participants.value(id).resultEntered && !forged.isEmpty()
            && std::all_of(forged.begin(), forged.end(), [](const NetParticipant& p) { return p.resultEntered; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allTaken(), 10000);
    const NetParticipant real = participants.value(id);
    QVERIFY(netParticipantNotes(real).isEmpty());
    QCOMPARE(fromFlooder().size(), NetMessageReader::maxUnfinishedPerSender);
    for (const NetParticipant& forged : fromFlooder()) {
        QCOMPARE(forged.name, QStringLiteral("Klassenbester"));
        QVERIFY(forged.resultMismatch);
    }
    QVERIFY(teacher.reader().refusals().value(flooderAddress) > 0);
    QVERIFY(teacher.participantTable()->summary().contains(QStringLiteral("(127.0.0.9: ")));
    HighScoreList list;
    QVERIFY(readHighScoreFile(teacher.fileName(NetFile::HighScores), list));
    QCOMPARE(list.size(), 1 + NetMessageReader::maxUnfinishedPerSender);
}

// A list that cannot be written keeps the results waiting, in order, and says so; they are
// written once it can be.
void TestNetExercise::resultsWaitWhileTheListCannotBeWritten()
{
    QTemporaryDir dir;
    TopicDocument document;
    document.picture = QImage(40, 20, QImage::Format_RGB32);
    NetExercise teacher;
    QVERIFY(publishOnLoopback(teacher, dir.path(), QStringLiteral("NX-WAIT"), document));
    QVERIFY(teacher.openMaster());
    QSignalSpy waiting(&teacher, &NetExercise::waitingResultsChanged);
    QSignalSpy appended(&teacher, &NetExercise::resultAppended);
    // A folder where the list belongs: no append can open it.
    const QString list = teacher.fileName(NetFile::HighScores);
    QVERIFY(QDir().mkdir(list));

    TALMailSlot2 pupilSide;
    pupilSide.setMailBox(teacher.channel);
    for (const char* name : {"anna", "bernd"}) {
        const QString id = QString(30, QChar::fromLatin1(name[0]).toUpper());
        pupilSide.setSenderNames(QStringLiteral("PC-") + name, QString::fromLatin1(name));
        pupilSide.sendMessage(teacherAddress, initMessage(id, QString(), 46000.5));
        pupilSide.sendMessage(teacherAddress, finishMessage(id, 3, "05:00"));
        pupilSide.sendMessage(teacherAddress, bestListMessage(id, QString(), QString(), 46000.5, 300000, 0));
        QTRY_COMPARE_WITH_TIMEOUT(appended.size(), int(name[0] - 'a') + 1, 5000);
        QCOMPARE(appended.last().at(1).toBool(), false);
    }
    QCOMPARE(teacher.waitingResults().size(), 2);
    QCOMPARE(waiting.first().first().toInt(), 1);
    QCOMPARE(waiting.last().first().toInt(), 2);

    QVERIFY(QDir().rmdir(list));
    QTRY_COMPARE_WITH_TIMEOUT(teacher.waitingResults().size(), 0, 3 * NetExercise::retryIntervalMs);
    QCOMPARE(waiting.last().first().toInt(), 0);
    HighScoreList entries;
    QVERIFY(readHighScoreFile(list, entries));
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(0).Name, QStringLiteral("anna"));
    QCOMPARE(entries.at(1).Name, QStringLiteral("bernd"));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--flood") == 0)
        return sendFloodAndForgeries(QString::fromLatin1(argv[2]));
    TestNetExercise test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_netexercise.moc"
