#include "common/richtext.h"
#include "common/rtfwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <csignal>
#include <sys/resource.h>

namespace {

RichTextDocument documentOf(const QList<RichTextParagraph>& paragraphs)
{
    RichTextDocument doc;
    for (const RichTextParagraph& paragraph : paragraphs)
        doc.addParagraph(paragraph);
    return doc;
}

RichTextParagraph paragraphOf(const QList<RichTextRun>& runs, const RichTextParagraphFormat& format = {})
{
    return RichTextParagraph {runs, format};
}

RichTextFormat formatOf(bool bold, bool italic, bool underline, qreal pointSize = 0)
{
    return RichTextFormat {bold, italic, underline, pointSize};
}

// True when every group that opens also closes, escaped braces and \'xx bytes aside.
bool bracesBalance(const QByteArray& rtf)
{
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf.at(i) == '\\') {
            ++i;
            continue;
        }
        if (rtf.at(i) == '{')
            ++depth;
        if (rtf.at(i) == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// Accepts `capacity` bytes in pieces of at most `chunk` bytes, then fails every write.
class LimitedDevice : public QIODevice
{
public:
    LimitedDevice(qint64 capacity, qint64 chunk)
        : m_capacity(capacity)
        , m_chunk(chunk)
    { }

    QByteArray received;

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        const qint64 count = qMin(qMin(size, m_chunk), m_capacity - received.size());
        if (count <= 0) {
            setErrorString(QStringLiteral("Datenträger voll"));
            return -1;
        }
        received.append(data, count);
        return count;
    }

private:
    qint64 m_capacity;
    qint64 m_chunk;
};

} // namespace

Q_DECLARE_METATYPE(RichTextFormat)

// The writer's bytes, checked directly where they matter and through Debian's unrtf, a
// reader that shares no code with ours.
class TestRtfWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void header_data();
    void header();
    void emptyDocument();
    void characterBytes_data();
    void characterBytes();
    void codePageTable();
    void paragraphLayout();

    void unrtfText_data();
    void unrtfText();
    void unrtfFormats_data();
    void unrtfFormats();
    void unrtfTab();

    void writeToFailingDevice_data();
    void writeToFailingDevice();
    void writeInPieces();
    void saveToUnwritablePath_data();
    void saveToUnwritablePath();
    void saveReplacesExistingFile();
    void failedSaveKeepsExistingFile();

private:
    // unrtf's HTML for the document; empty when unrtf is missing or fails.
    QString unrtfHtml(const RichTextDocument& doc);
    // The text unrtf read, entities decoded, trailing line ends removed.
    static QString textOfHtml(const QString& html);

    QString m_unrtf;
    QTemporaryDir m_dir;
};

void TestRtfWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
}

QString TestRtfWriter::unrtfHtml(const RichTextDocument& doc)
{
    if (m_unrtf.isEmpty())
        return {};
    const QString path = m_dir.filePath(QStringLiteral("unrtf-input.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toRtf(doc)) < 0)
        return {};
    file.close();
    QProcess unrtf;
    unrtf.start(m_unrtf, {QStringLiteral("--html"), path});
    if (!unrtf.waitForFinished(30000) || unrtf.exitStatus() != QProcess::NormalExit || unrtf.exitCode() != 0)
        return {};
    return QString::fromUtf8(unrtf.readAllStandardOutput());
}

QString TestRtfWriter::textOfHtml(const QString& html)
{
    QTextDocument reader;
    reader.setHtml(html);
    QString text = reader.toPlainText();
    while (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

#define REQUIRE_UNRTF()                                                                                                \
    do {                                                                                                               \
        if (m_unrtf.isEmpty())                                                                                         \
            QSKIP("unrtf is not installed (Debian package unrtf): the independent check of the RTF output cannot "     \
                  "run");                                                                                              \
    } while (false)

void TestRtfWriter::header_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QByteArray>("fontTable");

    QTest::newRow("default") << QString() << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}");
    QTest::newRow("other family") << "Times New Roman"
                                  << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset0 Times New Roman;}}");
    QTest::newRow("semicolon and braces")
        << "Kurz;{Name}" << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset0 Kurz\\{Name\\};}}");
    QTest::newRow("umlaut") << QStringLiteral("Schöne Schrift")
                            << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset0 Sch\\'f6ne Schrift;}}");
}

void TestRtfWriter::header()
{
    QFETCH(QString, family);
    QFETCH(QByteArray, fontTable);

    RichTextDocument doc;
    if (!family.isNull())
        doc.setFontFamily(family);
    doc.addParagraph(QStringLiteral("Text"));
    const QByteArray rtf = toRtf(doc);

    QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"), rtf.constData());
    QVERIFY2(rtf.contains("\\uc1"), rtf.constData());
    QVERIFY2(rtf.contains(fontTable), rtf.constData());
    QVERIFY(rtf.endsWith("}\r\n"));
    QVERIFY(bracesBalance(rtf));
}

void TestRtfWriter::emptyDocument()
{
    const QByteArray rtf = toRtf(RichTextDocument());
    QVERIFY(bracesBalance(rtf));
    QVERIFY(!rtf.contains("\\par"));
    QVERIFY(rtf.contains("{\\fonttbl"));
    if (m_unrtf.isEmpty())
        return;
    const QString html = unrtfHtml(RichTextDocument());
    QVERIFY(!html.isEmpty());
    QCOMPARE(textOfHtml(html).trimmed(), QString());
}

void TestRtfWriter::characterBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ä") << QStringLiteral("Käse") << QByteArray("K\\'e4se");
    QTest::newRow("ß") << QStringLiteral("Größe") << QByteArray("Gr\\'f6\\'dfe");
    QTest::newRow("Ü Ö Ä") << QStringLiteral("ÜÖÄ") << QByteArray("\\'dc\\'d6\\'c4");
    QTest::newRow("ÿ at the end of Latin-1") << QStringLiteral("ÿ") << QByteArray("\\'ff");
    QTest::newRow("no-break space") << QStringLiteral("a\u00a0b") << QByteArray("a\\'a0b");
    QTest::newRow("euro sign from the upper table") << QStringLiteral("5 €") << QByteArray("5 \\'80");
    QTest::newRow("German quotes") << QStringLiteral("„Zitat“") << QByteArray("\\'84Zitat\\'93");
    QTest::newRow("single quotes") << QStringLiteral("‚a‘") << QByteArray("\\'82a\\'91");
    QTest::newRow("dashes and ellipsis") << QStringLiteral("– — …") << QByteArray("\\'96 \\'97 \\'85");
    QTest::newRow("ł is not in the code page") << QStringLiteral("łódź") << QByteArray("{\\u322?}\\'f3d{\\u378?}");
    QTest::newRow("arrow") << QStringLiteral("a→b") << QByteArray("a{\\u8594?}b");
    QTest::newRow("above 0x7FFF is negative") << QStringLiteral("\uff01") << QByteArray("{\\u-255?}");
    QTest::newRow("surrogate pair") << QStringLiteral("x\U0001F600y") << QByteArray("x{\\u-10179?\\u-8704?}y");
    QTest::newRow("C1 control left out") << QStringLiteral("a\u0085b") << QByteArray("ab");
    QTest::newRow("backslash") << QStringLiteral("C:\\Daten") << QByteArray("C:\\\\Daten");
    QTest::newRow("braces") << QStringLiteral("{x}") << QByteArray("\\{x\\}");
    QTest::newRow("tab") << QStringLiteral("Name:\tWert") << QByteArray("Name:\\tab Wert");
    // The blank that ends a control word is not text: leading blanks need one more.
    QTest::newRow("leading blanks") << QStringLiteral("  eingerückt") << QByteArray("\\fs20   einger\\'fcckt");
    QTest::newRow("control characters left out") << QStringLiteral("a\u0001\u0007b") << QByteArray("ab");
}

void TestRtfWriter::characterBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    RichTextDocument doc;
    doc.addParagraph(text);
    const QByteArray rtf = toRtf(doc);
    QVERIFY2(rtf.contains(bytes), rtf.constData());
    QVERIFY(bracesBalance(rtf));
    for (char c : rtf)
        QVERIFY2(uchar(c) < 0x80, rtf.constData());
}

// Every character of Windows-1252 goes out as its byte; the reference is the system's
// codec (ICU), not our table.
void TestRtfWriter::codePageTable()
{
    QStringDecoder decoder("windows-1252");
    if (!decoder.isValid())
        QSKIP("Qt has no Windows-1252 codec here (built without ICU)");
    int checked = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char raw = char(byte);
        const QString character = decoder.decode(QByteArrayView(&raw, 1));
        QCOMPARE(character.size(), 1);
        const QChar c = character.at(0);
        RichTextDocument doc;
        doc.addParagraph(QStringLiteral("<") + c + QStringLiteral(">"));
        const QByteArray rtf = toRtf(doc);
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter) {
            // The bytes the code page leaves undefined: nothing printable to write.
            QVERIFY2(!rtf.contains(QByteArray("\\'") + QByteArray::number(byte, 16)), rtf.constData());
            continue;
        }
        const QByteArray expected = QByteArray("<\\'") + QByteArray::number(byte, 16) + '>';
        QVERIFY2(rtf.contains(expected),
            qPrintable(
                QStringLiteral("U+%1: %2").arg(c.unicode(), 4, 16, QLatin1Char('0')).arg(QString::fromLatin1(rtf))));
        ++checked;
    }
    QCOMPARE(checked, 27 + 96);
}

void TestRtfWriter::paragraphLayout()
{
    // The protocol's pattern: bold heading, 4-point spacer, two-column body line.
    RichTextParagraphFormat body;
    body.pointSize = 9;
    body.tabStopPoints = 160;
    RichTextParagraphFormat spacer;
    spacer.pointSize = 4;
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Statistik"), formatOf(true, false, false), body);
    doc.addParagraph(QString(), {}, spacer);
    doc.addParagraph(QStringLiteral("Fehlversuche:\t3"), {}, body);
    doc.addParagraph(QStringLiteral("ohne Tabstopp"));
    const RichTextFormat italicUnderlined = formatOf(false, true, true);
    doc.addParagraph(paragraphOf(
        {{QStringLiteral("a"), italicUnderlined}, {QStringLiteral("b"), formatOf(false, false, false, 14)}}, body));
    const QByteArray rtf = toRtf(doc);

    QVERIFY2(rtf.contains("\\pard\\tx3200\\b\\fs18 Statistik\\par"), rtf.constData());
    QVERIFY2(rtf.contains("\\pard\\fs8\\par"), rtf.constData());
    QVERIFY2(rtf.contains("\\pard\\tx3200\\b0\\fs18 Fehlversuche:\\tab 3\\par"), rtf.constData());
    // \pard ends the tab stop; the document's size returns for the last line.
    QVERIFY2(rtf.contains("\\pard\\fs20 ohne Tabstopp\\par"), rtf.constData());
    // A run of its own size, and the paragraph mark back at the paragraph's size.
    QVERIFY2(rtf.contains("\\pard\\tx3200\\i\\ul\\fs18 a\\i0\\ul0\\fs28 b\\fs18\\par"), rtf.constData());
    QCOMPARE(rtf.count("\\par\r\n"), 5);
}

void TestRtfWriter::unrtfText_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("expected");

    const QString german = QStringLiteral("Äpfel, Größe, Grüße: 5 € für „Zitat“ – ‚kurz‘ … Ö Ü ä ü ß");
    QTest::newRow("German") << QStringList {german} << german;
    QTest::newRow("escapes") << QStringList {QStringLiteral("C:\\Daten\\{Liste} und }{")}
                             << QStringLiteral("C:\\Daten\\{Liste} und }{");
    QTest::newRow("outside the code page")
        << QStringList {QStringLiteral("Łódź → ≠ ✓")} << QStringLiteral("Łódź → ≠ ✓");
    QTest::newRow("text right after an escape") << QStringList {QStringLiteral("a→bc d")} << QStringLiteral("a→bc d");
    QTest::newRow("paragraphs") << QStringList {QStringLiteral("Erste Zeile"), QStringLiteral("Zweite Zeile")}
                                << QStringLiteral("Erste Zeile\nZweite Zeile");
    QTest::newRow("line breaks inside a run")
        << QStringList {QStringLiteral("eins\r\nzwei\ndrei")} << QStringLiteral("eins\nzwei\ndrei");
}

void TestRtfWriter::unrtfText()
{
    REQUIRE_UNRTF();
    QFETCH(QStringList, lines);
    QFETCH(QString, expected);

    RichTextDocument doc;
    for (const QString& line : lines)
        doc.addParagraph(paragraphOf({{line, {}}}));
    const QString html = unrtfHtml(doc);
    QVERIFY(!html.isEmpty());
    QCOMPARE(textOfHtml(html), expected);
}

void TestRtfWriter::unrtfFormats_data()
{
    QTest::addColumn<RichTextFormat>("format");
    QTest::addColumn<QString>("pattern");

    // unrtf puts its size spans inside the format tags.
    QTest::newRow("bold") << formatOf(true, false, false) << QStringLiteral("<b>(<[^/][^>]*>)*Wort(</[^>]*>)*</b>");
    QTest::newRow("italic") << formatOf(false, true, false) << QStringLiteral("<i>(<[^/][^>]*>)*Wort(</[^>]*>)*</i>");
    QTest::newRow("underline") << formatOf(false, false, true)
                               << QStringLiteral("<u>(<[^/][^>]*>)*Wort(</[^>]*>)*</u>");
    QTest::newRow("all three") << formatOf(true, true, true)
                               << QStringLiteral("<b><i><u>(<[^/][^>]*>)*Wort(</[^>]*>)*</u></i></b>");
}

void TestRtfWriter::unrtfFormats()
{
    REQUIRE_UNRTF();
    QFETCH(RichTextFormat, format);
    QFETCH(QString, pattern);

    RichTextParagraphFormat paragraphFormat;
    paragraphFormat.pointSize = 9;
    const RichTextDocument doc = documentOf(
        {paragraphOf({{QStringLiteral("Wort"), format}, {QStringLiteral(" danach"), {}}}, paragraphFormat)});
    const QString html = unrtfHtml(doc);
    QVERIFY(!html.isEmpty());
    QVERIFY2(html.contains(QRegularExpression(pattern)), qPrintable(html));
    // The format ends with its run: the following text stands outside every format tag.
    const qsizetype after = html.indexOf(QStringLiteral(" danach"));
    QVERIFY(after > 0);
    for (const QString& tag : {QStringLiteral("b"), QStringLiteral("i"), QStringLiteral("u")}) {
        const QString head = html.left(after);
        QVERIFY2(head.count(QStringLiteral("<%1>").arg(tag)) == head.count(QStringLiteral("</%1>").arg(tag)),
            qPrintable(html));
    }
    QVERIFY2(html.contains(QStringLiteral("font-size:9pt")), qPrintable(html));
}

void TestRtfWriter::unrtfTab()
{
    REQUIRE_UNRTF();
    RichTextParagraphFormat twoColumns;
    twoColumns.tabStopPoints = 160;
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Fehlversuche:\t3"), {}, twoColumns);
    const QString html = unrtfHtml(doc);
    // unrtf spreads a tab as no-break spaces; a tab written as a raw character would
    // arrive as such or vanish.
    QVERIFY2(html.contains(QRegularExpression(QStringLiteral("Fehlversuche:(&nbsp;)+\\s*3"))), qPrintable(html));
    QVERIFY(!html.contains(u'\t'));
}

void TestRtfWriter::writeToFailingDevice_data()
{
    QTest::addColumn<qint64>("capacity");

    QTest::newRow("nothing accepted") << qint64(0);
    QTest::newRow("header only") << qint64(40);
    QTest::newRow("all but the last byte") << qint64(-1);
}

void TestRtfWriter::writeToFailingDevice()
{
    QFETCH(qint64, capacity);

    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Ein Protokoll mit „Umlauten“: äöü"));
    const QByteArray rtf = toRtf(doc);
    LimitedDevice device(capacity < 0 ? rtf.size() - 1 : capacity, 16);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(!writeRtf(doc, device));
}

void TestRtfWriter::writeInPieces()
{
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Ein Gerät, das nur sieben Bytes auf einmal nimmt"));
    LimitedDevice device(1 << 20, 7);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(writeRtf(doc, device));
    QCOMPARE(device.received, toRtf(doc));

    QBuffer readOnly;
    QVERIFY(readOnly.open(QIODevice::ReadOnly));
    QVERIFY(!writeRtf(doc, readOnly));
}

void TestRtfWriter::saveToUnwritablePath_data()
{
    QTest::addColumn<QString>("relativePath");

    QTest::newRow("missing folder") << QStringLiteral("fehlt/protokoll.rtf");
    QTest::newRow("folder is a file") << QStringLiteral("datei.txt/protokoll.rtf");
    QTest::newRow("path is a folder") << QStringLiteral("ordner");
    QTest::newRow("empty name") << QString();
}

void TestRtfWriter::saveToUnwritablePath()
{
    QFETCH(QString, relativePath);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile blocker(dir.filePath(QStringLiteral("datei.txt")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ordner")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Inhalt"));
    const QString path = relativePath.isEmpty() ? QString() : dir.filePath(relativePath);
    QString error;
    QVERIFY(!saveRtf(doc, path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("ordner"))).isDir());
    QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("datei.txt"))).size(), qint64(0));
}

void TestRtfWriter::saveReplacesExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("protokoll.rtf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    QVERIFY(old.write(QByteArray(100000, 'x')) == 100000);
    old.close();

    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Kurzer neuer Inhalt"));
    QString error = QStringLiteral("unverändert");
    QVERIFY(saveRtf(doc, path, &error));
    QCOMPARE(error, QStringLiteral("unverändert"));

    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), toRtf(doc));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("protokoll.rtf")});
}

void TestRtfWriter::failedSaveKeepsExistingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("protokoll.rtf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    QVERIFY(old.write("alter Inhalt") == 12);
    old.close();

    // A file size limit makes the disk "full" after 64 bytes, for root as well; the signal the
    // kernel sends then would end the test.
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Ein neues Protokoll, das länger ist als die erlaubte Dateigröße.").repeated(10));
    QVERIFY(toRtf(doc).size() > 64);
    rlimit limit {};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit small {64, limit.rlim_max};
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = saveRtf(doc, path, &error);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!saved);
    QVERIFY(!error.isEmpty());

    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("alter Inhalt"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("protokoll.rtf")});
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
