// The teacher's control display as the class's messages fill it: rows per participant in their
// order, the questions the class mixes up, what is dropped, the window showing both pages, and
// the export that a spreadsheet opens.

#include "network/netclassmodel.h"
#include "network/ui/netcontrolwindow.h"
#include "support/manualtick.h"

#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString id(char letter)
{
    return QString(30, QChar::fromLatin1(letter));
}

// Three labels: Rhein, Main, Elbe.
TopicDocument rivers()
{
    TopicDocument doc;
    for (const char* caption : {"Rhein", "Main", "Elbe"}) {
        DocObject label;
        label.Typ = ObjectKind::Label;
        label.Cap = QString::fromLatin1(caption);
        doc.objects.append(label);
    }
    return doc;
}

// A pupil's report after an answer on target: its state and wrong assignments, and the counters.
QStringList action(char who, int target, int coverState, int fails, int right, int wrong, int open, int status = 0)
{
    const int answered = right + wrong;
    const double rate = answered > 0 ? 100.0 * right / answered : 0;
    const double overall = 100.0 * right / (answered + open);
    return {NetMessages::action, id(who), QString::number(target), QString::number(coverState), QString::number(fails),
        QString::number(status), "10:00:00", QString::number(right + open), QString::number(right),
        QString::number(wrong), QString::number(open), "00:42", QString::number(rate, 'f', 1),
        QString::number(overall, 'f', 1), "3"};
}

struct Sender
{
    QString computer;
    QString user;
};

} // namespace

class TestNetClassModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void classProgress();
    void droppedMessages_data();
    void droppedMessages();
    void windowAndExport();
    void longNamesLeaveColumnsAlone();
};

void TestNetClassModel::classProgress()
{
    ManualTick tick(1000);
    NetParticipantTable participants(tick);
    NetQuestionTable questions(participants);
    const TopicDocument doc = rivers();
    participants.reset(doc);
    questions.reset(doc);
    const auto send = [&](const Sender& from, const QStringList& lines) {
        return participants.read(QHostAddress(), from.computer, from.user, lines.join("\r\n") + "\r\n").kind;
    };
    using Kind = NetMessageReader::Kind;
    const Sender pc2 {"PC02", "bernd"}, pc1 {"pc01", "anna"};

    QCOMPARE(send(pc2, initMessage(id('B'), QString(), 46000.5)), Kind::Joined);
    QCOMPARE(send(pc1, initMessage(id('A'), "Anna", 46000.5)), Kind::Joined);
    // Sorted by computer name whatever the case, then by start.
    QCOMPARE(participants.participantAt(0), id('A'));
    QCOMPARE(participants.participantAt(1), id('B'));
    QCOMPARE(participants.data(participants.index(0, NetParticipantTable::Name), Qt::DisplayRole).toString(), "Anna");
    QCOMPARE(participants.data(participants.index(1, NetParticipantTable::Name), Qt::DisplayRole).toString(), "bernd");

    // Anna: Elbe wrong first (onto Rhein), then Rhein right, then Elbe right.
    QCOMPARE(send(pc1, action('A', 0, CoverState::Open, 1, 0, 1, 3)), Kind::Action);
    QCOMPARE(send(pc1, action('A', 0, CoverState::Uncovered, 1, 1, 1, 2)), Kind::Action);
    QCOMPARE(send(pc1, action('A', 2, CoverState::Uncovered, 0, 2, 1, 1)), Kind::Action);
    // The same report again, and an older one that overtook it, change nothing.
    QCOMPARE(send(pc1, action('A', 2, CoverState::Uncovered, 0, 2, 1, 1)), Kind::Action);
    QCOMPARE(send(pc1, action('A', 0, CoverState::Open, 1, 0, 1, 3)), Kind::Dropped);
    // Bernd: Rhein right at once.
    QCOMPARE(send(pc2, action('B', 0, CoverState::Uncovered, 0, 1, 0, 2)), Kind::Action);

    const auto cell = [&](int row, int column) {
        return participants.data(participants.index(row, column), Qt::DisplayRole).toString();
    };
    QCOMPARE(cell(0, NetParticipantTable::Answered), "2 von 3");
    QCOMPARE(cell(0, NetParticipantTable::Right), "2");
    QCOMPARE(cell(0, NetParticipantTable::Wrong), "1");
    QCOMPARE(cell(0, NetParticipantTable::Status), "läuft");
    tick.advance(7000);
    QCOMPARE(cell(0, NetParticipantTable::Silent), "7 s");

    // Rhein first: one mistake; then Elbe and Main without.
    const auto question
        = [&](int row, int column) { return questions.data(questions.index(row, column), Qt::DisplayRole).toString(); };
    QCOMPARE(question(0, NetQuestionTable::Caption), "Rhein");
    QCOMPARE(question(0, NetQuestionTable::RightAtOnce), "1");
    QCOMPARE(question(0, NetQuestionTable::RightAfterMistakes), "1");
    QCOMPARE(question(0, NetQuestionTable::NotYet), "0");
    QCOMPARE(question(1, NetQuestionTable::Caption), "Main");
    QCOMPARE(question(1, NetQuestionTable::NotYet), "2");
    QCOMPARE(question(2, NetQuestionTable::Caption), "Elbe");
    QCOMPARE(question(2, NetQuestionTable::RightAtOnce), "1");

    // Anna finishes and repeats: the repeat is a participant of its own, later on the same computer.
    QCOMPARE(send(pc1, finishMessage(id('A'), 1, "01:10")), Kind::Finished);
    QCOMPARE(cell(0, NetParticipantTable::Status), "fertig");
    QCOMPARE(send(pc1, initMessage(id('C'), QString(), 46000.6)), Kind::Joined);
    QCOMPARE(participants.rowCount(), 3);
    QCOMPARE(participants.participantAt(1), id('C'));
    QCOMPARE(question(1, NetQuestionTable::NotYet), "3");
    QVERIFY2(participants.summary().contains("Teilnehmer: 3") && participants.summary().contains("fertig: 1"),
        qPrintable(participants.summary()));
}

void TestNetClassModel::droppedMessages_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("unknown participant") << action('Z', 0, 0, 0, 1, 0, 2);
    QTest::newRow("target beyond the topic") << action('A', 3, 0, 0, 1, 0, 2);
    QTest::newRow("state code unknown") << action('A', 0, 7, 0, 1, 0, 2);
    QTest::newRow("status 4") << finishMessage(id('A'), 4, "00:10");
    QTest::newRow("short identifier") << QStringList {NetMessages::finish, "ABC", "1", "00:10"};
    QTest::newRow("performance above 1") << bestListMessage(id('A'), "x", "PC", 46000.5, 1000, 1.5);
    QTest::newRow("no such message") << QStringList {"TN-HALLO", id('A')};
}

void TestNetClassModel::droppedMessages()
{
    QFETCH(QStringList, lines);
    NetParticipantTable participants;
    participants.reset(rivers());
    participants.read(QHostAddress(), "PC01", "anna", initMessage(id('A'), QString(), 46000.5).join("\r\n"));
    const NetParticipant before = participants.reader().participants().value(id('A'));
    QCOMPARE(
        participants.read(QHostAddress(), "PC01", "anna", lines.join("\r\n")).kind, NetMessageReader::Kind::Dropped);
    QCOMPARE(participants.rowCount(), 1);
    QCOMPARE(participants.reader().participants().value(id('A')).correct, before.correct);
    QCOMPARE(participants.reader().participants().value(id('A')).endStatus, before.endStatus);
}

void TestNetClassModel::windowAndExport()
{
    NetParticipantTable participants;
    NetQuestionTable questions(participants);
    TopicDocument doc = rivers();
    doc.objects[0].Cap = QStringLiteral("Rhein; \"Vater\" Rhein");
    participants.reset(doc);
    questions.reset(doc);
    participants.read(QHostAddress(), "PC-Büro", "jürgen",
        initMessage(id('A'), QStringLiteral("Jürgen Müller"), 46000.5).join("\r\n"));
    participants.read(
        QHostAddress(), "PC-Büro", "jürgen", action('A', 0, CoverState::Uncovered, 2, 1, 2, 2).join("\r\n"));

    NetControlWindow window(participants, questions);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.participantView()->model()->rowCount(), 1);
    QVERIFY(window.summaryText().contains("Teilnehmer: 1"));
    // A participant joining later appears without losing the teacher's selection.
    window.participantView()->selectRow(0);
    participants.read(QHostAddress(), "PC-Aula", "karl", initMessage(id('K'), QString(), 46000.5).join("\r\n"));
    QCOMPARE(window.participantView()->model()->rowCount(), 2);
    QCOMPARE(window.participantView()->selectionModel()->selectedRows().value(0).row(), 1);

    QTemporaryDir dir;
    window.pages()->setCurrentIndex(1);
    const QString csvPath = dir.filePath("fragen.csv");
    QVERIFY(window.exportPage(csvPath, true));
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.contains("\"Rhein; \"\"Vater\"\" Rhein\";0;1;1;2\r\n"));

    // A spreadsheet reads the same cells: LibreOffice turns the CSV into a table of its own.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice is not installed");
    window.pages()->setCurrentIndex(0);
    const QString participantsPath = dir.filePath("teilnehmer.csv");
    QVERIFY(window.exportPage(participantsPath, true));
    QProcess convert;
    convert.setWorkingDirectory(dir.path());
    convert.start(soffice,
        {"-env:UserInstallation=file://" + dir.filePath("lo"), "--headless", "--convert-to",
            "html:HTML (StarCalc):EmbedImages", "--infilter=CSV:59,34,76,1", participantsPath, "--outdir", dir.path()});
    QVERIFY(convert.waitForFinished(120000));
    QFile html(dir.filePath("teilnehmer.html"));
    QVERIFY2(html.open(QIODevice::ReadOnly), qPrintable(convert.readAllStandardError()));
    const QString table = QString::fromUtf8(html.readAll());
    QVERIFY(table.contains(QStringLiteral("Jürgen Müller")));
    QVERIFY(table.contains(QStringLiteral("PC-Büro")));
    // One cell per column: the header's and each row's cells.
    QCOMPARE(table.count(QStringLiteral("<td")), 3 * NetParticipantTable::ColumnCount);
}

// Rows with the longest names a message may carry leave the columns as they were (measuring every
// row for each newcomer froze the teacher's window under a flood); the whole name is in the
// cell's tooltip.
void TestNetClassModel::longNamesLeaveColumnsAlone()
{
    NetParticipantTable participants;
    NetQuestionTable questions(participants);
    participants.reset(rivers());
    questions.reset(rivers());
    NetControlWindow window(participants, questions);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QHeaderView* header = window.participantView()->horizontalHeader();
    QList<int> widths;
    for (int column = 0; column < header->count(); ++column)
        widths << header->sectionSize(column);
    const QString longName(maxNetNameLength, u'W');
    for (char who = 'L'; who < 'P'; ++who)
        participants.read(QHostAddress(), longName, longName, initMessage(id(who), longName, 46000.5).join("\r\n"));
    QCOMPARE(window.participantView()->model()->rowCount(), 4);
    for (int column = 0; column < header->count(); ++column)
        QCOMPARE(header->sectionSize(column), widths.at(column));
    const QModelIndex named = window.participantView()->model()->index(3, NetParticipantTable::Name);
    QCOMPARE(named.data(Qt::ToolTipRole).toString(), longName);
}

QTEST_MAIN(TestNetClassModel)
#include "tst_netclassmodel.moc"
