// The protocol window: tagged text to rich text, comments, printing, copying, saving and the
// automatic saving under names that never overwrite another protocol.

#include "common/folders.h"
#include "common/rtfwriter.h"
#include "platform/systeminfo.h"
#include "results/ui/protocolcomment.h"
#include "results/ui/protocolwindow.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "widgets/bitbtn.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

const QString sampleProtocol = QStringLiteral("<tit>Quiz-Protokoll\r\n"
                                              "Uhrzeit Beginn:\t15.03.2007 09:40\r\n"
                                              "Teilnehmername:\tEva Groß\r\n"
                                              "\r\n"
                                              "<TIT>Statistik-Zusammenfassung\r\n"
                                              "Richtig zugeordnet:\t5 von 7\r\n"
                                              "Fehlversuche:\t3\r\n"
                                              "\r\n"
                                              "<tit>Detaillierter Ablauf\r\n"
                                              "00:04 - Frage 1: richtig\r\n");

const QString autoSaveHint = QStringLiteral(
    "Das Übungsprotokoll konnte nicht automatisch gespeichert werden. Überprüfen Sie die Einstellungen unter "
    "\"Optionen | Ordner für Protokolle und Bestenlisten\".");

const QDateTime fixedTime(QDate(2007, 3, 15), QTime(9, 45, 12));

// One paragraph as "<kind><size>:<text>": B a bold line, R a regular one; the tab stop every
// protocol line needs is checked on the way.
QStringList describe(const RichTextDocument& doc)
{
    QStringList result;
    for (const RichTextParagraph& paragraph : doc.lineParagraphs()) {
        QString text;
        bool bold = false;
        for (const RichTextRun& run : paragraph.runs) {
            text += run.text;
            bold = bold || run.format.bold;
            if (doc.pointSizeOf(paragraph.format, run.format) != doc.pointSizeOf(paragraph.format))
                text += QStringLiteral("<size differs>");
        }
        if (paragraph.format.tabStopPoints != 160)
            text += QStringLiteral("<no tab stop>");
        result += QString(bold ? u'B' : u'R') + QString::number(doc.pointSizeOf(paragraph.format)) + u':' + text;
    }
    return result;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
}

QString autoName(int counter)
{
    return QStringLiteral("20070315-094512-") + computerName() + u'-' + QString::number(counter)
        + QStringLiteral(".rtf");
}

// Lets the process write files of at most `bytes` bytes: a write beyond fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        // Without this the kernel ends the process instead of failing the write.
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

// Prints into a PDF file instead of asking.
class PdfDialogService : public FakeDialogService
{
public:
    QString pdfPath;
    bool confirmPrint(QWidget* parent, QPrinter& printer) override
    {
        FakeDialogService::confirmPrint(parent, printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        return true;
    }
};

} // namespace

class TestProtocolWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void taggedText_data();
    void taggedText();
    void windowShowsTheProtocol();
    void opensAtItsHeading();
    void comment_data();
    void comment();

    void fileNames_data();
    void fileNames();
    void autoSavesInOneSecondCountUp();
    void autoSaveNeverOverwrites();
    void simultaneousSavesKeepEveryProtocol();
    void autoSaveFailureLeavesNothing_data();
    void autoSaveFailureLeavesNothing();
    void savedRtfReadsBack();

    void saveButton();
    void printGoesToDialogService();
    void copyGivesRtfAndPlainText();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    // Every test answers message boxes: a real one would wait for a click that never comes.
    std::unique_ptr<FakeMessageService> m_messages;
};

void TestProtocolWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestProtocolWindow::init()
{
    m_messages.reset();
    m_messages = std::make_unique<FakeMessageService>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    folders().protocolFolder = m_dir->path() + u'/';
}

void TestProtocolWindow::taggedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("paragraphs");

    const QStringList heading {"B9:Statistik-Zusammenfassung", "R4:"};
    QTest::newRow("heading") << "<tit>Statistik-Zusammenfassung\r\n" << heading;
    QTest::newRow("heading in capitals") << "<TIT>Statistik-Zusammenfassung\r\n" << heading;
    QTest::newRow("heading in mixed case") << "<tIt>Statistik-Zusammenfassung" << heading;
    QTest::newRow("short lines are body") << "<tit\r\nab\r\n" << QStringList {"R9:<tit", "R9:ab"};
    QTest::newRow("tag later in the line") << " <tit>x\r\n" << QStringList {"R9: <tit>x"};
    QTest::newRow("two columns and an empty line") << "Fehlversuche:\t3\r\n\r\nEnde\r\n"
                                                   << QStringList {"R9:Fehlversuche:\t3", "R9:", "R9:Ende"};
    QTest::newRow("other line breaks") << "a\nb\rc" << QStringList {"R9:a", "R9:b", "R9:c"};
    QTest::newRow("empty text") << "" << QStringList {};
}

void TestProtocolWindow::taggedText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, paragraphs);

    RichTextDocument doc;
    appendTaggedText(doc, text, true);
    QCOMPARE(describe(doc), paragraphs);

    // Appending keeps what is there; clearing first replaces it.
    appendTaggedText(doc, QStringLiteral("danach"), false);
    QCOMPARE(describe(doc), paragraphs + QStringList {"R9:danach"});
    appendTaggedText(doc, text, true);
    QCOMPARE(describe(doc), paragraphs);
}

void TestProtocolWindow::windowShowsTheProtocol()
{
    TUebProtokollForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Quiz-Protokoll"));
    QCOMPARE(form.size(), QSize(772, 486));
    const QList<std::pair<const char*, const char*>> buttons {{"KommBtn", "Kommentar hinzufügen..."},
        {"DruckBtn", "Drucken..."}, {"SaveBtn", "Speichern..."}, {"InClipBtn", "In Zwischenablage kopieren"},
        {"OKBtn", "Schließen"}};
    for (const auto& [name, caption] : buttons) {
        auto* button = form.findChild<TBitBtn2*>(name);
        QVERIFY2(button, name);
        QCOMPARE(button->text(), QString::fromUtf8(caption));
    }
    QTextEdit* edit = form.findChild<QTextEdit*>("RichEdit1");
    QVERIFY(edit);
    QVERIFY(edit->isReadOnly());

    // Before any quiz has ended the document is empty.
    QVERIFY(form.richText().isEmpty());
    QVERIFY(edit->toPlainText().isEmpty());

    form.setProtocol(QStringLiteral("alter Text\r\n"));
    form.setProtocol(sampleProtocol);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(edit->toPlainText(), form.richText().toPlainText());
    QVERIFY(!edit->toPlainText().contains(QStringLiteral("alter Text")));

    const QTextBlock heading = edit->document()->findBlockByNumber(0);
    QCOMPARE(heading.text(), QStringLiteral("Quiz-Protokoll"));
    QCOMPARE(heading.begin().fragment().charFormat().fontWeight(), int(QFont::Bold));
    const QTextBlock spacer = heading.next();
    QVERIFY(spacer.text().isEmpty());
    QVERIFY(spacer.layout()->boundingRect().height() < heading.layout()->boundingRect().height());

    // The value after the tab starts at the tab stop, 160 points from the margin.
    const QTextBlock row = spacer.next();
    QCOMPARE(row.text(), QStringLiteral("Uhrzeit Beginn:\t15.03.2007 09:40"));
    const qreal valueX = row.layout()->lineAt(0).cursorToX(row.text().indexOf(u'\t') + 1);
    QVERIFY2(qAbs(valueX - 160 * 96.0 / 72.0) < 1.5, qPrintable(QString::number(valueX)));

    QTest::mouseClick(form.findChild<QWidget*>("OKBtn"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

// A protocol longer than the window opens at its heading, also the next time it is shown.
void TestProtocolWindow::opensAtItsHeading()
{
    TUebProtokollForm form;
    QString protocol = sampleProtocol;
    for (int i = 0; i < 100; ++i)
        protocol
            += QStringLiteral("00:%1 - RICHTIG - Gewählte Antwort: \"Malta\"\r\n").arg(i % 60, 2, 10, QLatin1Char('0'));
    form.setProtocol(protocol);
    QTextEdit* edit = form.findChild<QTextEdit*>("RichEdit1");
    for (int round = 0; round < 2; ++round) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(edit->verticalScrollBar()->maximum() > 0);
        QCOMPARE(edit->verticalScrollBar()->value(), 0);
        edit->verticalScrollBar()->setValue(edit->verticalScrollBar()->maximum());
        form.hide();
    }
}

void TestProtocolWindow::comment_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QStringList>("added");

    const QStringList heading {"R9:", "B9:Kommentar", "R4:"};
    QTest::newRow("comment") << "  Gut gemacht!  " << true << heading + QStringList {"R9:Gut gemacht!"};
    QTest::newRow("lines of a comment") << "\n Erste Zeile\nZweite\tSpalte\n\n"
                                        << true << heading + QStringList {"R9:Erste Zeile", "R9:Zweite\tSpalte"};
    QTest::newRow("blanks and line breaks only") << " \n \t\n  " << true << QStringList {};
    QTest::newRow("cancelled") << "Gut gemacht!" << false << QStringList {};
}

void TestProtocolWindow::comment()
{
    QFETCH(QString, typed);
    QFETCH(bool, confirmed);
    QFETCH(QStringList, added);

    TUebProtokollForm form;
    form.setProtocol(sampleProtocol);
    const QStringList before = describe(form.richText());
    // The field is emptied for every new comment.
    form.commentDialog()->setComment(QStringLiteral("der vorige Kommentar"));

    QString caption;
    QString textWhenShown;
    bool answered = false;
    QTimer::singleShot(0, &form, [&] {
        TProtKomForm* dialog = form.commentDialog();
        caption = dialog->windowTitle();
        textWhenShown = dialog->comment();
        dialog->findChild<QPlainTextEdit*>("Memo1")->setPlainText(typed);
        QTest::mouseClick(dialog->findChild<QWidget*>(confirmed ? "OKBtn" : "AbbrBtn"), Qt::LeftButton);
        answered = true;
    });
    // Should the dialog not close, the test fails instead of hanging.
    QTimer::singleShot(10000, form.commentDialog(), &QDialog::reject);
    QTest::mouseClick(form.findChild<QWidget*>("KommBtn"), Qt::LeftButton);

    QVERIFY(answered);
    QCOMPARE(caption, QStringLiteral("Kommentar zum Ablaufprotokoll hinzufügen"));
    QVERIFY(textWhenShown.isEmpty());
    QCOMPARE(describe(form.richText()), before + added);
    QCOMPARE(form.richEdit()->toPlainText(), form.richText().toPlainText());
}

void TestProtocolWindow::fileNames_data()
{
    QTest::addColumn<QDateTime>("time");
    QTest::addColumn<QString>("computer");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << fixedTime << "PC07" << 0 << "20070315-094512-PC07-0.rtf";
    QTest::newRow("padded") << QDateTime(QDate(999, 1, 2), QTime(3, 4, 5)) << "a" << 12 << "09990102-030405-a-12.rtf";
    QTest::newRow("separators and colons never reach the path")
        << fixedTime << "../x\\y:z" << 1 << "20070315-094512-.._x_y_z-1.rtf";
    QTest::newRow("placeholders in the name stay text") << fixedTime << "PC%1%8" << 3 << "20070315-094512-PC%1%8-3.rtf";
}

void TestProtocolWindow::fileNames()
{
    QFETCH(QDateTime, time);
    QFETCH(QString, computer);
    QFETCH(int, counter);
    QFETCH(QString, name);
    QCOMPARE(protocolFileName(time, computer, counter), name);
}

void TestProtocolWindow::autoSavesInOneSecondCountUp()
{
    TUebProtokollForm form;
    form.setClock([] { return fixedTime; });
    form.setProtocol(sampleProtocol);

    QVERIFY(form.autoSaveProtocol());
    QCOMPARE(form.lastAutoSavePath(), folders().protocolFolder + autoName(0));
    const QByteArray first = fileBytes(form.lastAutoSavePath());
    QCOMPARE(first, toRtf(form.richText()));

    // A comment after the automatic save, then a second save in the same second.
    form.appendTaggedText(QStringLiteral("\r\n<tit>Kommentar\r\nNachtrag"), false);
    QVERIFY(form.autoSaveProtocol());
    QCOMPARE(form.lastAutoSavePath(), folders().protocolFolder + autoName(1));
    QVERIFY(fileBytes(form.lastAutoSavePath()).contains("Nachtrag"));

    QCOMPARE(fileBytes(folders().protocolFolder + autoName(0)), first);
    QCOMPARE(filesIn(folders().protocolFolder), (QStringList {autoName(0), autoName(1)}));
    QVERIFY(m_messages->shown.isEmpty());
}

void TestProtocolWindow::autoSaveNeverOverwrites()
{
    const QString folder = folders().protocolFolder;
    {
        QFile foreign(folder + autoName(0));
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write("fremdes Protokoll");
    }
    // A link someone left in a shared folder is a taken name too, not a way to write elsewhere.
    QVERIFY(QFile::link(folder + "anderswo.rtf", folder + autoName(1)));

    TUebProtokollForm form;
    form.setClock([] { return fixedTime; });
    form.setProtocol(sampleProtocol);
    QVERIFY(form.autoSaveProtocol());
    QCOMPARE(form.lastAutoSavePath(), folder + autoName(2));
    QCOMPARE(fileBytes(folder + autoName(0)), QByteArray("fremdes Protokoll"));
    QVERIFY(!QFile::exists(folder + "anderswo.rtf"));
}

void TestProtocolWindow::simultaneousSavesKeepEveryProtocol()
{
    // Computers sharing a folder, all saving in the same second: each protocol gets a file of
    // its own and none is overwritten.
    constexpr int writers = 8;
    std::vector<RichTextDocument> docs(writers);
    std::vector<ProtocolFileResult> results(writers);
    for (int i = 0; i < writers; ++i)
        appendTaggedText(docs[i], QStringLiteral("<tit>Protokoll %1\r\n").arg(i) + sampleProtocol, true);
    std::vector<std::thread> threads;
    for (int i = 0; i < writers; ++i) {
        threads.emplace_back([&, i] {
            results[i] = saveNewProtocolFile(docs[i], folders().protocolFolder, fixedTime, QStringLiteral("PC07"));
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    QSet<QString> paths;
    for (int i = 0; i < writers; ++i) {
        QVERIFY2(results[i].saved, qPrintable(results[i].errorText));
        paths.insert(results[i].path);
        QCOMPARE(fileBytes(results[i].path), toRtf(docs[i]));
    }
    QCOMPARE(paths.size(), writers);
    QCOMPARE(filesIn(folders().protocolFolder).size(), writers);
}

void TestProtocolWindow::autoSaveFailureLeavesNothing_data()
{
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<bool>("diskFull");

    QTest::newRow("missing folder") << "fehlt/" << false;
    QTest::newRow("write cut off") << "" << true;
}

void TestProtocolWindow::autoSaveFailureLeavesNothing()
{
    QFETCH(QString, subfolder);
    QFETCH(bool, diskFull);

    const QString folder = folders().protocolFolder + subfolder;
    folders().protocolFolder = folder;
    TUebProtokollForm form;
    form.setClock([] { return fixedTime; });
    form.setProtocol(sampleProtocol);

    bool saved = true;
    if (diskFull) {
        const FileSizeLimit limit(100);
        saved = form.autoSaveProtocol();
    } else {
        saved = form.autoSaveProtocol();
    }
    QVERIFY(!saved);
    QVERIFY(form.lastAutoSavePath().isEmpty());
    QCOMPARE(m_messages->shown.size(), 1);
    const QString& text = m_messages->shown.first().text;
    QVERIFY2(
        text.startsWith("Die Datei \"" + folder + autoName(0) + "\" kann nicht geschrieben werden."), qPrintable(text));
    QVERIFY(text.endsWith("\r\n\r\n" + autoSaveHint));
    QVERIFY(filesIn(m_dir->path()).isEmpty());
}

void TestProtocolWindow::savedRtfReadsBack()
{
    if (QStandardPaths::findExecutable("unrtf").isEmpty())
        QSKIP("unrtf is not installed");
    TUebProtokollForm form;
    form.setClock([] { return fixedTime; });
    form.setProtocol(sampleProtocol);
    QVERIFY(form.autoSaveProtocol());

    const auto read = [&](const char* mode) {
        QProcess unrtf;
        unrtf.start("unrtf", {mode, form.lastAutoSavePath()});
        unrtf.waitForFinished(10000);
        // The text output passes the file's code page 1252 through; the checked letters are Latin-1.
        return QString::fromLatin1(unrtf.readAllStandardOutput());
    };
    const QString text = read("--text");
    for (const char* heading : {"Quiz-Protokoll", "Statistik-Zusammenfassung", "Detaillierter Ablauf"})
        QVERIFY2(text.contains(QLatin1String(heading)), heading);
    QVERIFY(!text.contains(QStringLiteral("tit>"), Qt::CaseInsensitive));
    QVERIFY(text.contains(QStringLiteral("Eva Groß")));
    // unrtf writes a tab as blanks and may break the line there; label and value stay a pair.
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Richtig zugeordnet:\\s+5 von 7"))), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("Fehlversuche:\\s+3"))));

    const QString html = read("--html");
    QVERIFY2(
        html.contains(QRegularExpression(QStringLiteral("<b>(<[^>]+>)*Statistik-Zusammenfassung"))), qPrintable(html));
    QVERIFY(!html.contains(QRegularExpression(QStringLiteral("<b>(<[^>]+>)*Fehlversuche"))));
}

void TestProtocolWindow::saveButton()
{
    FakeDialogService dialogs;
    dialogs.saveAnswer = m_dir->filePath("eigener Name.rtf");
    TUebProtokollForm form;
    form.setProtocol(sampleProtocol);
    QTest::mouseClick(form.findChild<QWidget*>("SaveBtn"), Qt::LeftButton);

    QCOMPARE(dialogs.requests.size(), 1);
    const FileDialogRequest& request = dialogs.requests.first();
    QCOMPARE(request.title, QStringLiteral("Übungsprotokoll in Datei speichern"));
    QCOMPARE(request.folder, folders().protocolFolder);
    QCOMPARE(request.defaultSuffix, QStringLiteral("rtf"));
    QCOMPARE(request.filter, QStringLiteral("Rich Text Dokument (*.rtf)|*.rtf|Alle Dateien (*.*)|*.*"));
    QCOMPARE(fileBytes(dialogs.saveAnswer), toRtf(form.richText()));
    QVERIFY(m_messages->shown.isEmpty());

    dialogs.saveAnswer = m_dir->filePath("fehlt/x.rtf");
    form.saveProtocol();
    QCOMPARE(m_messages->shown.size(), 1);
    QVERIFY(m_messages->shown.first().text.startsWith("Die Datei \"" + dialogs.saveAnswer + "\" kann nicht"));
}

void TestProtocolWindow::printGoesToDialogService()
{
    PdfDialogService dialogs;
    dialogs.pdfPath = m_dir->filePath("protokoll.pdf");
    TUebProtokollForm form;
    form.setProtocol(sampleProtocol);
    QTest::mouseClick(form.findChild<QWidget*>("DruckBtn"), Qt::LeftButton);
    QCOMPARE(dialogs.printJobTitles, QStringList {"Quiz-Protokoll"});
    QVERIFY(fileBytes(dialogs.pdfPath).startsWith("%PDF"));
    QVERIFY(m_messages->shown.isEmpty());

    // A printer that cannot be opened is reported, not passed over in silence.
    dialogs.pdfPath = m_dir->filePath("fehlt/protokoll.pdf");
    form.printProtocol();
    QCOMPARE(m_messages->texts(), QStringList {"Das Protokoll konnte nicht gedruckt werden."});
}

void TestProtocolWindow::copyGivesRtfAndPlainText()
{
    TUebProtokollForm form;
    form.setProtocol(sampleProtocol);
    QTest::mouseClick(form.findChild<QWidget*>("InClipBtn"), Qt::LeftButton);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QVERIFY(data->text().startsWith(QStringLiteral("Quiz-Protokoll\n\nUhrzeit Beginn:\t15.03.2007 09:40\n")));
    const QByteArray rtf = data->data("text/rtf");
    QVERIFY(rtf.startsWith("{\\rtf1"));
    // 160 points in twips: the two columns survive the paste into a word processor.
    QVERIFY(rtf.contains("\\tx3200"));
}

QTEST_MAIN(TestProtocolWindow)
#include "tst_protocolwindow.moc"
