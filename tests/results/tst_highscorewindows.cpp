// The high-score window (grid, text export, clipboard, printout), the folder dialog and the list
// commands with their retries and messages, on the offscreen platform.

#include "common/filemessages.h"
#include "common/folders.h"
#include "document/oledate.h"
#include "platform/cp1252.h"
#include "quiz/quizsession.h"
#include "quiz/ui/quizenddialog.h"
#include "results/highscorefile.h"
#include "results/highscoretext.h"
#include "results/ui/bestlistform.h"
#include "results/ui/bestlistverzform.h"
#include "results/ui/highscorelists.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "widgets/bitbtn.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

template<class T> T* control(QWidget& window, const char* name)
{
    auto* found = window.findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

void click(QWidget& window, const char* button)
{
    if (auto* b = control<TBitBtn2>(window, button))
        b->click();
}

HighScoreEntry entry(const QString& name, double leistung, qint32 dauer, double beginn = 45000.25)
{
    return localHighScoreEntry(name, QStringLiteral("PC-1"), beginn, dauer, leistung);
}

QString cell(const TBestListForm& form, int row, int column)
{
    const QAbstractItemModel* model = form.grid()->model();
    return model->data(model->index(row, column)).toString();
}

const QString headerLine = QStringLiteral("Pos.\tName\tRechner\tLeistung\tZeit (Min:Sek)\tDatum/Uhrzeit (Ende)\r\n");

// Answers the print dialog by printing into a PDF file on A4.
class PdfDialogs : public FakeDialogService
{
public:
    QString pdfPath;
    bool confirmPrint(QWidget* parent, QPrinter& printer) override
    {
        FakeDialogService::confirmPrint(parent, printer);
        if (!printAnswer)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        printer.setPageSize(QPageSize(QPageSize::A4));
        return true;
    }
};

QString runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(20000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

class TestHighScoreWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void emptyListShowsOneEmptyRow();
    void cellTexts_data();
    void cellTexts();
    void gridLayout();
    void rowsFollowTheSortedList();
    void saveWritesGridText();
    void clipboardTakesGridText();
    void printing_data();
    void printing();
    void printCancelled();

    void folderDialog_data();
    void folderDialog();
    void folderDialogBrowseAndCancel();

    void loadMissingFile_data();
    void loadMissingFile();
    void loadForeignFile_data();
    void loadForeignFile();
    void saveFailure_data();
    void saveFailure();
    void showList();
    void quizResultEntry();

private:
    QTemporaryDir m_dir;
    QString m_lists;
    QString m_protocols;
};

void TestHighScoreWindows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("listen")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("protokolle")));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("kom")));
    m_lists = m_dir.filePath(QStringLiteral("listen")) + u'/';
    m_protocols = m_dir.filePath(QStringLiteral("protokolle")) + u'/';
}

void TestHighScoreWindows::init()
{
    folders().highScoreFolder = m_lists;
    folders().protocolFolder = m_protocols;
    folders().commFolder = m_dir.filePath(QStringLiteral("kom")) + u'/';
    folders().commChannel = QStringLiteral("ZEP-1");
    for (const QString& name : QDir(m_lists).entryList(QDir::Files))
        QFile::remove(m_lists + name);
}

void TestHighScoreWindows::emptyListShowsOneEmptyRow()
{
    TBestListForm form;
    form.setEntries({});
    form.show();
    QCOMPARE(form.grid()->model()->rowCount(), 1);
    for (int column = 0; column < 6; ++column)
        QCOMPARE(cell(form, 0, column), QString());
    QCOMPARE(form.gridToText(), headerLine + QStringLiteral("\t\t\t\t\t\r\n"));
}

void TestHighScoreWindows::cellTexts_data()
{
    QTest::addColumn<double>("leistung");
    QTest::addColumn<qint32>("dauer");
    QTest::addColumn<QString>("performance");
    QTest::addColumn<QString>("time");
    QTest::newRow("all right") << 1.0 << 187000 << QStringLiteral("100.0 %") << QStringLiteral("03:07");
    QTest::newRow("nothing right") << 0.0 << 0 << QStringLiteral("0.0 %") << QStringLiteral("00:00");
    QTest::newRow("seven eighths") << 0.875 << 59999 << QStringLiteral("87.5 %") << QStringLiteral("00:59");
    QTest::newRow("over two hours") << 0.5 << 7500000 << QStringLiteral("50.0 %") << QStringLiteral("125:00");
}

void TestHighScoreWindows::cellTexts()
{
    QFETCH(double, leistung);
    QFETCH(qint32, dauer);
    QFETCH(QString, performance);
    QFETCH(QString, time);
    TBestListForm form;
    form.setEntries({entry(QStringLiteral("Anna"), leistung, dauer)});
    form.fillGrid();
    QCOMPARE(cell(form, 0, 0), QStringLiteral("1"));
    QCOMPARE(cell(form, 0, 1), QStringLiteral("Anna"));
    QCOMPARE(cell(form, 0, 2), QStringLiteral("PC-1"));
    QCOMPARE(cell(form, 0, 3), performance);
    QCOMPARE(cell(form, 0, 4), time);
}

void TestHighScoreWindows::gridLayout()
{
    TBestListForm form;
    form.setEntries({entry(QStringLiteral("Anna"), 1, 1)});
    form.show();
    QTableView* grid = control<QTableView>(form, "Grid1");
    QVERIFY(grid);
    const int widths[] = {40, 200, 100, 80, 80, 140};
    const bool centred[] = {true, false, false, true, true, false};
    for (int column = 0; column < 6; ++column) {
        QCOMPARE(grid->columnWidth(column), widths[column]);
        const auto alignment
            = Qt::Alignment(grid->model()->data(grid->model()->index(0, column), Qt::TextAlignmentRole).toInt());
        QCOMPARE(bool(alignment & Qt::AlignHCenter), centred[column]);
        const auto headerAlignment
            = Qt::Alignment(grid->model()->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        QVERIFY(headerAlignment & Qt::AlignLeft);
        QCOMPARE(grid->model()->headerData(column, Qt::Horizontal).toString(), highScoreHeader()[column]);
    }
    QCOMPARE(grid->rowHeight(0), 19);
    QCOMPARE(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    // The widths come back with every activation.
    grid->setColumnWidth(1, 300);
    form.hide();
    form.show();
    QCOMPARE(grid->columnWidth(1), 200);
}

void TestHighScoreWindows::rowsFollowTheSortedList()
{
    const double start = toOleDate(QDateTime(QDate(2024, 5, 3), QTime(9, 15, 0)));
    HighScoreList list = {entry(QStringLiteral("Ber\tta\r\n"), 0.8, 90000, start),
        entry(QStringLiteral("Carl"), 0.9, 187500, start), entry(QStringLiteral("Anna"), 0.8, 60000, start)};
    sortHighScoreList(list);
    TBestListForm form;
    form.setEntries(list);
    form.show();
    QCOMPARE(form.grid()->model()->rowCount(), 3);
    const QString names[] = {QStringLiteral("Carl"), QStringLiteral("Anna"), QStringLiteral("Ber\tta\r\n")};
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(cell(form, row, 0), QString::number(row + 1));
        QCOMPARE(cell(form, row, 1), names[row]);
    }
    QCOMPARE(cell(form, 0, 5), QStringLiteral("03.05.24 09:18:07"));
    // zeptool prints what the window exports.
    QCOMPARE(form.gridToText(), highScoreListText(list));
    QVERIFY(form.gridToText().startsWith(headerLine + QStringLiteral("1\tCarl\tPC-1\t90.0 %\t03:07\t")));
    // A tab or line break in a name shifts no column of the text.
    QVERIFY(form.gridToText().contains(QStringLiteral("\r\n3\tBer ta  \tPC-1\t80.0 %\t01:30\t")));
}

void TestHighScoreWindows::saveWritesGridText()
{
    FakeDialogService dialogs;
    TBestListForm form;
    form.setEntries({entry(QStringLiteral("Jürgen"), 0.5, 1000)});
    form.show();
    const QString path = m_dir.filePath(QStringLiteral("liste.txt"));
    click(form, "SaveBtn");
    QVERIFY(!QFile::exists(path));
    dialogs.saveAnswer = path;
    click(form, "SaveBtn");
    QCOMPARE(dialogs.requests.size(), 2);
    const FileDialogRequest& request = dialogs.requests.last();
    QCOMPARE(request.title, QStringLiteral("Bestenliste in Datei speichern"));
    QCOMPARE(request.filter, QStringLiteral("Textdatei (*.txt)|*.txt|Alle Dateien (*.*)|*.*"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(request.folder, m_protocols);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, toCp1252(form.gridToText()));
    QVERIFY(bytes.contains("J\xFCrgen"));
}

void TestHighScoreWindows::clipboardTakesGridText()
{
    TBestListForm form;
    form.setEntries({entry(QStringLiteral("Anna"), 0.5, 1000), entry(QStringLiteral("Ben"), 0.25, 1000)});
    form.show();
    QGuiApplication::clipboard()->clear();
    click(form, "ClipBtn");
    QCOMPARE(QGuiApplication::clipboard()->text(), form.gridToText());
}

void TestHighScoreWindows::printing_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("pages");
    QTest::newRow("empty list") << 0 << 1;
    QTest::newRow("30 entries") << 30 << 1;
    QTest::newRow("100 entries") << 100 << 2;
}

void TestHighScoreWindows::printing()
{
    QFETCH(int, entries);
    QFETCH(int, pages);
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdfinfo.isEmpty() || pdftotext.isEmpty())
        QSKIP("poppler-utils is not installed: the printout cannot be checked independently");
    PdfDialogs dialogs;
    dialogs.printAnswer = true;
    dialogs.pdfPath = m_dir.filePath(QStringLiteral("druck-%1.pdf").arg(entries));
    HighScoreList list;
    for (int i = 0; i < entries; ++i)
        list.append(entry(QStringLiteral("Teilnehmer%1").arg(i + 1, 3, 10, QLatin1Char('0')), 1.0 - i / 200.0, 1000));
    TBestListForm form;
    form.setEntries(list);
    form.show();
    click(form, "DruckBtn");
    QCOMPARE(dialogs.printJobTitles, QStringList {QStringLiteral("Bestenliste")});

    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
              .match(runTool(pdfinfo, {dialogs.pdfPath}));
    QVERIFY(match.hasMatch());
    QCOMPARE(match.captured(1).toInt(), pages);
    // The header heads the first page only; the rows go on where the first page ends.
    const QString first = runTool(pdftotext,
        {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), dialogs.pdfPath,
            QStringLiteral("-")});
    QVERIFY2(first.contains(QStringLiteral("Datum/Uhrzeit (Ende)")), qPrintable(first));
    if (entries > 0)
        QVERIFY(first.contains(QStringLiteral("Teilnehmer001")));
    if (pages == 2) {
        const QString second = runTool(pdftotext,
            {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"), QStringLiteral("2"), dialogs.pdfPath,
                QStringLiteral("-")});
        QVERIFY(second.contains(QStringLiteral("Teilnehmer100")));
        QVERIFY(!second.contains(QStringLiteral("Datum/Uhrzeit")));
        QVERIFY(!second.contains(QStringLiteral("Teilnehmer001")));
    }
}

void TestHighScoreWindows::printCancelled()
{
    PdfDialogs dialogs;
    dialogs.printAnswer = false;
    dialogs.pdfPath = m_dir.filePath(QStringLiteral("abgebrochen.pdf"));
    TBestListForm form;
    form.show();
    click(form, "DruckBtn");
    QCOMPARE(dialogs.printJobTitles.size(), 1);
    QVERIFY(!QFile::exists(dialogs.pdfPath));
}

void TestHighScoreWindows::folderDialog_data()
{
    QTest::addColumn<QString>("protocolTyped");
    QTest::addColumn<QString>("listTyped");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");

    const QString protocolInvalid = QStringLiteral("Der angegebene Ordner für die Protokolle ist ungültig.");
    const QString listInvalid = QStringLiteral("Der angegebene Ordner für die Bestenlisten ist ungültig.");
    QTest::newRow("both without separator")
        << QStringLiteral("neu-prot") << QStringLiteral("neu-listen") << QString() << QString();
    QTest::newRow("both with separator") << QStringLiteral("neu-prot/") << QStringLiteral("neu-listen/") << QString()
                                         << QString();
    QTest::newRow("protocol folder missing") << QStringLiteral("fehlt") << QStringLiteral("neu-listen")
                                             << protocolInvalid << QStringLiteral("ProtVerzEdit1");
    QTest::newRow("list folder missing") << QStringLiteral("neu-prot") << QStringLiteral("fehlt") << listInvalid
                                         << QStringLiteral("BestListVerzEdit1");
    QTest::newRow("both missing: the protocol folder is named")
        << QStringLiteral("fehlt") << QStringLiteral("fehlt2") << protocolInvalid << QStringLiteral("ProtVerzEdit1");
    QTest::newRow("list folder empty") << QStringLiteral("neu-prot") << QString() << listInvalid
                                       << QStringLiteral("BestListVerzEdit1");
    QTest::newRow("a file is no folder") << QStringLiteral("eine-datei") << QStringLiteral("neu-listen")
                                         << protocolInvalid << QStringLiteral("ProtVerzEdit1");
}

void TestHighScoreWindows::folderDialog()
{
    QFETCH(QString, protocolTyped);
    QFETCH(QString, listTyped);
    QFETCH(QString, message);
    QFETCH(QString, focused);
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("neu-prot")));
    QVERIFY(QDir(base.path()).mkpath(QStringLiteral("neu-listen")));
    QFile file(base.filePath(QStringLiteral("eine-datei")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const auto typed = [&](const QString& text) { return text.isEmpty() ? text : base.path() + u'/' + text; };

    FakeMessageService messages;
    TBestListVerzForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(control<QLineEdit>(form, "ProtVerzEdit1")->text(), m_protocols);
    QCOMPARE(control<QLineEdit>(form, "BestListVerzEdit1")->text(), m_lists);
    control<QLineEdit>(form, "ProtVerzEdit1")->setText(typed(protocolTyped));
    control<QLineEdit>(form, "BestListVerzEdit1")->setText(typed(listTyped));
    click(form, "OKBtn");

    if (message.isEmpty()) {
        QVERIFY(messages.shown.isEmpty());
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(folders().protocolFolder, base.path() + QStringLiteral("/neu-prot/"));
        QCOMPARE(folders().highScoreFolder, base.path() + QStringLiteral("/neu-listen/"));
    } else {
        QCOMPARE(messages.texts(), QStringList {message});
        QCOMPARE(messages.shown[0].kind, MessageKind::Error);
        QVERIFY(form.isVisible());
        QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(form, focused.toLatin1().constData()));
        QCOMPARE(folders().protocolFolder, m_protocols);
        QCOMPARE(folders().highScoreFolder, m_lists);
    }
}

void TestHighScoreWindows::folderDialogBrowseAndCancel()
{
    FakeDialogService dialogs;
    TBestListVerzForm form;
    form.show();
    dialogs.folderAnswer = m_dir.filePath(QStringLiteral("kom"));
    click(form, "BestListDurchsuchenBtn");
    QCOMPARE(control<QLineEdit>(form, "BestListVerzEdit1")->text(), dialogs.folderAnswer);
    dialogs.folderAnswer.clear();
    click(form, "ProtDurchsuchenBtn");
    QCOMPARE(control<QLineEdit>(form, "ProtVerzEdit1")->text(), m_protocols);
    click(form, "CancelBtn");
    QVERIFY(!form.isVisible());
    QCOMPARE(folders().highScoreFolder, m_lists);
}

void TestHighScoreWindows::loadMissingFile_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("message");
    QTest::newRow("individual") << false << HighScoreTexts::noEntriesIndividual;
    QTest::newRow("network") << true << HighScoreTexts::noEntriesNetwork;
}

void TestHighScoreWindows::loadMissingFile()
{
    QFETCH(bool, network);
    QFETCH(QString, message);
    FakeMessageService messages;
    HighScoreList list {entry(QStringLiteral("alt"), 1, 1)};
    QVERIFY(!loadHighScoreList(list, m_lists + QStringLiteral("fehlt.hsc"), network));
    QVERIFY(list.isEmpty());
    QCOMPARE(messages.texts(), QStringList {message});
    QCOMPARE(messages.shown[0].kind, MessageKind::Information);
}

void TestHighScoreWindows::loadForeignFile_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("hint");
    QTest::newRow("individual") << false << HighScoreTexts::readHintIndividual;
    QTest::newRow("network") << true << HighScoreTexts::readHintNetwork;
}

void TestHighScoreWindows::loadForeignFile()
{
    QFETCH(bool, network);
    QFETCH(QString, hint);
    const QString path = m_lists + QStringLiteral("fremd.hsc");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x0c\0\0\0ZEP-HSC-9.99", 16));
    file.close();
    FakeMessageService messages;
    HighScoreList list {entry(QStringLiteral("alt"), 1, 1)};
    const quint32 start = systemTick().now();
    QVERIFY(!loadHighScoreList(list, path, network));
    QVERIFY(ticksSince(start, systemTick().now()) >= 500);
    QVERIFY(list.isEmpty());
    QCOMPARE(messages.texts(), QStringList {fileUnreadableText(path, hint)});
    QVERIFY(messages.texts()[0].endsWith(QStringLiteral("\r\n\r\n") + hint));
    QCOMPARE(messages.shown[0].kind, MessageKind::Error);
}

void TestHighScoreWindows::saveFailure_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("hint");
    QTest::newRow("individual") << false << HighScoreTexts::writeHintIndividual;
    QTest::newRow("network, no hint") << true << QString();
}

void TestHighScoreWindows::saveFailure()
{
    QFETCH(bool, network);
    QFETCH(QString, hint);
    const QString path = m_dir.filePath(QStringLiteral("fehlt/Herz.hsc"));
    FakeMessageService messages;
    const quint32 start = systemTick().now();
    QVERIFY(!saveHighScoreResult(entry(QStringLiteral("Anna"), 1, 1), path, network));
    QVERIFY(ticksSince(start, systemTick().now()) >= 500);
    QCOMPARE(messages.texts(), QStringList {fileUnwritableText(path, hint)});
    QCOMPARE(messages.shown[0].kind, MessageKind::Error);
}

void TestHighScoreWindows::showList()
{
    FakeMessageService messages;
    TBestListForm form;
    HighScoreList list;
    TopicDocument document;
    document.titel = QStringLiteral("Das Herz");
    showHighScoreList(form, list, document, false);
    QCOMPARE(messages.texts(), QStringList {QuizTexts::nothingSelected});
    QVERIFY(!form.isVisible());

    messages.shown.clear();
    document.filePath = m_dir.filePath(QStringLiteral("themen/Herz.zep"));
    const QString file = m_lists + QStringLiteral("Herz.hsc");
    QVERIFY(appendHighScoreEntry(file, entry(QStringLiteral("Berta"), 0.5, 1000)));
    QVERIFY(appendHighScoreEntry(file, entry(QStringLiteral("Anna"), 0.75, 1000)));
    QString caption;
    QString firstName;
    QTimer::singleShot(0, &form, [&] {
        if (QApplication::activeModalWidget() == &form) {
            caption = form.windowTitle();
            firstName = cell(form, 0, 1);
        }
        form.reject();
    });
    showHighScoreList(form, list, document, false);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(caption, QStringLiteral("Bestenliste - Das Herz"));
    QCOMPARE(firstName, QStringLiteral("Anna"));
    QCOMPARE(list.size(), 2);

    // The network list of the channel: missing yet, so its message and an empty window.
    QTimer::singleShot(0, &form, [&] {
        firstName = cell(form, 0, 1);
        form.reject();
    });
    showHighScoreList(form, list, document, true);
    QCOMPARE(messages.texts(), QStringList {HighScoreTexts::noEntriesNetwork});
    QCOMPARE(firstName, QString());
}

void TestHighScoreWindows::quizResultEntry()
{
    TopicDocument document;
    document.filePath = m_dir.filePath(QStringLiteral("themen/Flüsse.zep"));
    QuizSession session(document);
    session.participantName = QStringLiteral("   ");
    session.startTime = 45000.5;
    session.elapsedMs = 187000;
    session.overallScore = 0.875;
    const QString file = m_lists + QStringLiteral("Flüsse.hsc");

    FakeMessageService messages;
    TUebFertigForm endDialog;
    endDialog.setHighScoreSaver([&] { return saveHighScoreResult(session); });
    auto* enterButton = control<TBitBtn2>(endDialog, "InBestenlisteBtn");

    // A partial repeat enters no list, neither automatically nor by the button.
    session.selectionMode = 1;
    endDialog.prepareHighScore(true, 0, 1);
    QVERIFY(enterButton->isHidden());
    QVERIFY(!saveHighScoreResult(session));
    QVERIFY(!QFile::exists(file));

    session.selectionMode = 0;
    endDialog.prepareHighScore(true, 0, 0);
    QVERIFY(endDialog.resultEntered());
    QVERIFY(enterButton->isHidden());
    HighScoreList list;
    QVERIFY(readHighScoreFile(file, list));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].Name, QStringLiteral("(kein Name)"));
    QCOMPARE(list[0].Dauer, 187000);
    QCOMPARE(list[0].Leistung, 0.875);
    QCOMPARE(list[0].Beginn, 45000.5);
    QVERIFY(messages.shown.isEmpty());

    // An automatic entry that fails leaves the button for a second try.
    folders().highScoreFolder = m_dir.filePath(QStringLiteral("fehlt")) + u'/';
    endDialog.prepareHighScore(true, 0, 0);
    QVERIFY(!endDialog.resultEntered());
    QVERIFY(!enterButton->isHidden());
    QCOMPARE(messages.shown.size(), 1);
}

QTEST_MAIN(TestHighScoreWindows)
#include "tst_highscorewindows.moc"
