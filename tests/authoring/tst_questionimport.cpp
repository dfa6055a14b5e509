#include "authoring/questionimport.h"
#include "authoring/topiceditor.h"
#include "document/zepformat.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Single questions a teacher brings in from a spreadsheet: rows pasted or read from a CSV file,
// and the topic the editor makes of them, which must be the very file `zeptool make` writes for
// the same questions.

namespace {

// "question|answer" per good row, "line: reason" per refused one, for compact tables.
QStringList goodRows(const QuestionRows& rows)
{
    QStringList result;
    for (const SingleQuestion& q : rows.questions)
        result.append(q.question + u'|' + q.answer);
    return result;
}

QStringList refusedRows(const QuestionRows& rows)
{
    QStringList result;
    for (const RefusedQuestionRow& row : rows.refused)
        result.append(QStringLiteral("%1: %2").arg(row.line).arg(row.reason));
    return result;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray written(const TopicDocument& document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeTopicFile(buffer, document) ? buffer.data() : QByteArray();
}

// Runs zeptool make on source; the topic's bytes, empty when it failed.
QByteArray made(const QTemporaryDir& dir, const QString& name, const QString& source)
{
    const QString sourcePath = dir.filePath(name + QStringLiteral(".txt"));
    const QString topicPath = dir.filePath(name + QStringLiteral(".zep"));
    if (!writeFile(sourcePath, source.toUtf8()))
        return {};
    QProcess make;
    make.start(QStringLiteral(ZEPTOOL_PATH), {QStringLiteral("make"), sourcePath, QStringLiteral("-o"), topicPath});
    if (!make.waitForFinished(60000) || make.exitCode() != 0) {
        qWarning() << make.readAllStandardError();
        return {};
    }
    return fileBytes(topicPath);
}

QString questionSection(const QList<SingleQuestion>& questions)
{
    QString text = QStringLiteral("[Fragen]\n");
    for (const SingleQuestion& q : questions)
        text += questionLine(q) + u'\n';
    return text;
}

} // namespace

class TestQuestionImport : public QObject
{
    Q_OBJECT

private slots:
    void fileRows_data();
    void fileRows();
    void pastedRows_data();
    void pastedRows();
    void boundedInput();
    void editorMakesWhatMakeMakes_data();
    void editorMakesWhatMakeMakes();
    void calcWrittenCsv_data();
    void calcWrittenCsv();
};

void TestQuestionImport::fileRows_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("good");
    QTest::addColumn<QStringList>("refused");

    QTest::newRow("semicolon, CR LF, header skipped")
        << QByteArray("Frage;Antwort\r\nHauptstadt von Frankreich?;Paris\r\nHauptstadt von Italien?;Rom\r\n")
        << QStringList {"Hauptstadt von Frankreich?|Paris", "Hauptstadt von Italien?|Rom"} << QStringList {};
    QTest::newRow("comma only where nothing else divides")
        << QByteArray("Wer malte die Mona Lisa?,Leonardo\nKleinstes Land?,Vatikan")
        << QStringList {"Wer malte die Mona Lisa?|Leonardo", "Kleinstes Land?|Vatikan"} << QStringList {};
    QTest::newRow("semicolon divides, commas in the text")
        << QByteArray("Was ist 1,5 + 1,5?;3\nRot, Gelb oder Blau?;Blau\n")
        << QStringList {"Was ist 1,5 + 1,5?|3", "Rot, Gelb oder Blau?|Blau"} << QStringList {};
    QTest::newRow("comma divides, a semicolon in the text")
        << QByteArray("Frage,Antwort\nStadt; Land?,Wien\n\"Rot, Gelb?\",Gelb\n")
        << QStringList {"Stadt; Land?|Wien", "Rot, Gelb?|Gelb"} << QStringList {};
    QTest::newRow("tab, extra columns ignored")
        << QByteArray("Größter See?\tBodensee\tNotiz\n") << QStringList {"Größter See?|Bodensee"} << QStringList {};
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF"
                                                  "Frage;Antwort\nHauptstadt von Österreich?;Wien\n")
                                    << QStringList {"Hauptstadt von Österreich?|Wien"} << QStringList {};
    QTest::newRow("Windows-1252") << QByteArray("Gr\xF6\xDF"
                                                "te Stadt Bayerns?;M\xFC"
                                                "nchen\n")
                                  << QStringList {"Größte Stadt Bayerns?|München"} << QStringList {};
    QTest::newRow("quotes, separators and doubled quotes inside")
        << QByteArray("\"Was heißt \"\"Haus\"\"; englisch?\";\"house\"\n\"a;b\";\"c, d\"\n")
        << QStringList {"Was heißt \"Haus\"; englisch?|house", "a;b|c, d"} << QStringList {};
    QTest::newRow("empty cells; empty rows skipped")
        << QByteArray("Frage ohne Antwort;\n;Antwort ohne Frage\n;;\n\n  ; \nGut?;Ja\n") << QStringList {"Gut?|Ja"}
        << QStringList {"1: Die Antwort fehlt.", "2: Die Frage fehlt."};
    QTest::newRow("\"//\" inside a cell")
        << QByteArray("Teil // Ganzes;x\nFrage;Antwort // mehr\nGut?;Ja\n") << QStringList {"Gut?|Ja"}
        << QStringList {"1: Frage: \"//\" trennt Frage und Antwort und darf in keinem Feld stehen.",
               "2: Antwort: \"//\" trennt Frage und Antwort und darf in keinem Feld stehen."};
    QTest::newRow("quoted line break: the row refused, the lines after counted")
        << QByteArray("\"Zeile eins\r\nZeile zwei\";x\r\nNächste?;y\r\n\"Wieder\";\"a\nb\"\r\n")
        << QStringList {"Nächste?|y"}
        << QStringList {"1: Frage: Eine Frage und eine Antwort stehen in einer Zeile, ohne Zeilenumbruch.",
               "4: Antwort: Eine Frage und eine Antwort stehen in einer Zeile, ohne Zeilenumbruch."};
    QTest::newRow("unclosed quote") << QByteArray("Gut?;Ja\n\"offen;x\nnoch;y\n") << QStringList {"Gut?|Ja"}
                                    << QStringList {"2: Ein Anführungszeichen wird bis zum Ende nicht geschlossen."};
    QTest::newRow("what make refuses")
        << QByteArray("Frage Nr. 3?;x\nBild <@img=at.png;y\n<@img=>;z\nPfeil \xE2\x86\x92?;w\n") << QStringList {}
        << QStringList {"1: Eine Frage darf \"Frage Nr.\" nicht enthalten: das Programm liest sie als leer.",
               "2: Nach \"<@img=\" fehlt das schließende \">\".", "3: In \"<@img=>\" fehlt der Name des Bildes.",
               "4: Frage: Das Zeichen \"→\" (U+2192) kann in einer Themendatei nicht gespeichert werden."};
}

void TestQuestionImport::fileRows()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, good);
    QFETCH(QStringList, refused);
    const QuestionRows rows = parseQuestionFile(bytes);
    QCOMPARE(goodRows(rows), good);
    QCOMPARE(refusedRows(rows), refused);
    QVERIFY(rows.error.isEmpty());
}

void TestQuestionImport::pastedRows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("good");
    QTest::addColumn<QStringList>("refused");
    // As LibreOffice Calc puts cells on the clipboard: tabs, a final line break, a cell with a
    // line break quoted.
    QTest::newRow("Calc rows") << QStringLiteral("Hauptstadt von Spanien?\tMadrid\nWährung; Name?\tEuro\n")
                               << QStringList {"Hauptstadt von Spanien?|Madrid", "Währung; Name?|Euro"}
                               << QStringList {};
    QTest::newRow("semicolons do not divide a paste")
        << QStringLiteral("a;b\tc\n") << QStringList {"a;b|c"} << QStringList {};
    QTest::newRow("quoted cell with a line break")
        << QStringLiteral("\"zwei\nZeilen\"\tx\nGut?\tJa") << QStringList {"Gut?|Ja"}
        << QStringList {"1: Frage: Eine Frage und eine Antwort stehen in einer Zeile, ohne Zeilenumbruch."};
}

void TestQuestionImport::pastedRows()
{
    QFETCH(QString, text);
    QFETCH(QStringList, good);
    QFETCH(QStringList, refused);
    const QuestionRows rows = parsePastedQuestions(text);
    QCOMPARE(goodRows(rows), good);
    QCOMPARE(refusedRows(rows), refused);
}

// A file beyond the bound is refused before it is read; a text of too many rows gives the
// first ones and says the rest was left.
void TestQuestionImport::boundedInput()
{
    QTemporaryDir dir;
    const QString big = dir.filePath("gross.csv");
    QByteArray bytes = QByteArray("Frage?;Antwort\n").repeated(int(maxQuestionFileBytes / 15) + 1);
    QVERIFY(writeFile(big, bytes));
    QuestionRows rows = readQuestionFile(big);
    QVERIFY(rows.questions.isEmpty());
    QVERIFY(rows.error.contains(QStringLiteral("größer als 1024 KB")));

    rows = parsePastedQuestions(QStringLiteral("F?\tA\n").repeated(maxImportedRows + 5));
    QCOMPARE(rows.questions.size(), maxImportedRows);
    QVERIFY(!rows.error.isEmpty());
    rows = parsePastedQuestions(QStringLiteral("F?\tA\n").repeated(maxImportedRows));
    QCOMPARE(rows.questions.size(), maxImportedRows);
    QVERIFY(rows.error.isEmpty());

    QVERIFY(!readQuestionFile(dir.filePath("fehlt.csv")).error.isEmpty());
}

void TestQuestionImport::editorMakesWhatMakeMakes_data()
{
    QTest::addColumn<QString>("before"); // the [Thema] and [Objekte] of the topic edited
    QTest::addColumn<QString>("after"); // the same for the topic with the new questions
    QTest::addColumn<bool>("becomesQuestions");
    const QString objects = QStringLiteral("[Objekte]\nText 10% 90%: Viel Erfolg!\nInfo 50% 50%: Hinweis\n");
    QTest::newRow("questions replaced, other objects kept")
        << QStringLiteral("[Thema]\nTitel = Europa\nTyp = Einzelfragen\nBild = bild.png\n%1"
                          "[Fragen]\nAlt eins? // A\nAlt zwei? // B\nAlt drei? // C\n")
               .arg(objects)
        << QStringLiteral("[Thema]\nTitel = Europa\nTyp = Einzelfragen\nBild = bild.png\n%1").arg(objects) << false;
    QTest::newRow("labelling topic becomes single questions")
        << QStringLiteral("[Thema]\nTitel = Europa\nTyp = Beschriftung\nBild = bild.png\n%1").arg(objects)
        << QStringLiteral("[Thema]\nTitel = Europa\nTyp = Einzelfragen\nBild = bild.png\n%1").arg(objects) << true;
}

// The same questions give the same topic file, byte for byte, from the editor as from `zeptool
// make`; undo gives back the file the editor started from, redo the new one again.
void TestQuestionImport::editorMakesWhatMakeMakes()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(bool, becomesQuestions);
    QTemporaryDir dir;
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(QColor(20, 90, 160));
    QVERIFY(picture.save(dir.filePath("bild.png")));
    const QList<SingleQuestion> questions {
        {QStringLiteral("<@flaggenfrage><@img=at.png>"), QStringLiteral("Österreich")},
        {QStringLiteral("Wie heißt die Hauptstadt von Frankreich?"), QStringLiteral("Paris")},
        {QStringLiteral("Währung?"), QStringLiteral("Euro (€)")}};

    const QByteArray start = made(dir, QStringLiteral("vorher"), before);
    const QByteArray expected = made(dir, QStringLiteral("nachher"), after + questionSection(questions));
    QVERIFY(!start.isEmpty() && !expected.isEmpty());

    TopicDocument document;
    QBuffer buffer;
    buffer.setData(start);
    buffer.open(QIODevice::ReadOnly);
    QCOMPARE(readTopicFile(buffer, document), ZepReadStatus::Ok);
    TopicEditor editor(document);
    QVERIFY(editor.setQuestions(questions, becomesQuestions));
    QCOMPARE(editor.undoStack()->count(), 1);
    QCOMPARE(editor.undoStack()->undoText(), QStringLiteral("Einzelfragen ändern"));
    QCOMPARE(written(document), expected);
    QCOMPARE(document.currentQuestionNumber, 1);
    QVERIFY(!editor.setQuestions(questions, becomesQuestions)); // nothing would change
    editor.undoStack()->undo();
    QCOMPARE(written(document), start);
    editor.undoStack()->redo();
    QCOMPARE(written(document), expected);

    // A question the topic cannot store is refused whole.
    QVERIFY(!editor.setQuestions({{QStringLiteral("a // b"), QStringLiteral("c")}}, true));
    QVERIFY(!editor.setQuestions({{QStringLiteral("Frage"), QString()}}, true));
    QCOMPARE(editor.undoStack()->count(), 1);
}

void TestQuestionImport::calcWrittenCsv_data()
{
    QTest::addColumn<QString>("filter"); // LibreOffice's CSV export options: separator, quote, code page
    QTest::addColumn<QString>("separator");
    QTest::newRow("semicolon, UTF-8") << QStringLiteral("59,34,76") << QStringLiteral(";");
    QTest::newRow("comma, Windows-1252") << QStringLiteral("44,34,1") << QStringLiteral(",");
    QTest::newRow("tab, UTF-8") << QStringLiteral("9,34,76") << QStringLiteral("\t");
}

// A question list kept in LibreOffice Calc and saved as CSV: quotes, umlauts, the euro sign, a
// separator and a quote inside cells, a cell with a line break and one with "//".
void TestQuestionImport::calcWrittenCsv()
{
    QFETCH(QString, filter);
    QFETCH(QString, separator);
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("soffice (libreoffice-calc-nogui) is needed to write the spreadsheet");
    QTemporaryDir dir;
    const QList<QStringList> sheet {{"Frage", "Antwort"}, {"Größte Stadt Österreichs?", "Wien"},
        {"Was kostet 1 € in Cent; gerundet?", "100"}, {"Was heißt \"Haus\", englisch?", "house"},
        {"Erste Zeile\nzweite Zeile", "x"}, {"a // b", "c"}, {"Rot, Gelb oder Blau?", "Blau"}};
    QString rows;
    for (const QStringList& row : sheet) {
        rows += QStringLiteral("<table:table-row>");
        for (const QString& cell : row) {
            QString paragraphs;
            for (const QString& line : cell.split(u'\n'))
                paragraphs += QStringLiteral("<text:p>%1</text:p>").arg(line.toHtmlEscaped());
            rows += QStringLiteral("<table:table-cell office:value-type=\"string\">%1</table:table-cell>")
                        .arg(paragraphs);
        }
        rows += QStringLiteral("</table:table-row>");
    }
    const QString fods
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                         "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
                         "<office:body><office:spreadsheet><table:table table:name=\"Fragen\">%1</table:table>"
                         "</office:spreadsheet></office:body></office:document>\n")
              .arg(rows);
    QVERIFY(writeFile(dir.filePath("fragen.fods"), fods.toUtf8()));
    QProcess convert;
    convert.setWorkingDirectory(dir.path());
    convert.start(soffice,
        {"-env:UserInstallation=file://" + dir.filePath("lo"), "--headless", "--convert-to",
            "csv:Text - txt - csv (StarCalc):" + filter, dir.filePath("fragen.fods"), "--outdir", dir.path()});
    QVERIFY(convert.waitForFinished(120000));
    const QByteArray csv = fileBytes(dir.filePath("fragen.csv"));
    QVERIFY2(!csv.isEmpty(), convert.readAllStandardError().constData());
    QVERIFY(csv.contains(separator.toLatin1()));
    // The code page asked for: "ö" as two bytes in UTF-8, as one in Windows-1252.
    QCOMPARE(csv.contains("Gr\xC3\xB6\xC3\x9F"), filter.endsWith(QLatin1String(",76")));

    const QuestionRows imported = readQuestionFile(dir.filePath("fragen.csv"));
    QVERIFY(imported.error.isEmpty());
    QCOMPARE(goodRows(imported),
        (QStringList {"Größte Stadt Österreichs?|Wien", "Was kostet 1 € in Cent; gerundet?|100",
            "Was heißt \"Haus\", englisch?|house", "Rot, Gelb oder Blau?|Blau"}));
    QCOMPARE(imported.refused.size(), 2);
    QCOMPARE(imported.refused.at(0).line, 5);
    QVERIFY(imported.refused.at(0).reason.contains(QStringLiteral("Zeilenumbruch")));
    QCOMPARE(imported.refused.at(1).line, 7);
    QVERIFY(imported.refused.at(1).reason.contains(QStringLiteral("\"//\"")));
}

QTEST_GUILESS_MAIN(TestQuestionImport)
#include "tst_questionimport.moc"
