// Every bundled topic's worksheet in all three modes, saved as EMF, WMF and PDF and read back by
// programs that share no code with ours: LibreOffice (metafiles to PDF), poppler (PDF text) and
// libwmf (WMF to SVG). The sheet's texts must be there: the title on the worksheet and the
// solution, the answers on the solution and the overlay.

#include "document/zepformat.h"
#include "platform/cp1252.h"
#include "worksheet/worksheetoutput.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Words as a reader gives them back, without the line breaks and spacing a reader adds.
QString squeezed(QString text)
{
    return text.remove(QChar(u' ')).remove(u'\n').remove(u'\r');
}

} // namespace

class TestWorksheetFiles : public QObject
{
    Q_OBJECT

private slots:
    void bundledTopicsInEveryFormat();
    void bundledSheetsDoNotGiveTheOrderAway();
};

void TestWorksheetFiles::bundledTopicsInEveryFormat()
{
    QTemporaryDir dir;
    const QDir bin(QStringLiteral(TALLOWMERE_BIN_DIR));
    const QStringList topics = bin.entryList({QStringLiteral("*.zep")}, QDir::Files, QDir::Name);
    QVERIFY(topics.size() >= 7);

    struct Expected
    {
        QString file;
        QString text; // a text that must be on the page
    };
    QList<Expected> metafiles;
    QList<Expected> pdfs;
    QList<Expected> wmfs;
    for (const QString& name : topics) {
        QFile in(bin.filePath(name));
        QVERIFY(in.open(QIODevice::ReadOnly));
        TopicDocument document;
        QCOMPARE(readTopicFile(in, document), ZepReadStatus::Ok);
        const QStringList answers = worksheetAnswers(document, 1);
        QVERIFY2(!answers.isEmpty(), qPrintable(name));
        for (int mode = 0; mode <= 2; ++mode) {
            WorksheetOptions options;
            options.mode = WorksheetMode(mode);
            options.title = document.titel;
            options.pictureFolder = bin.filePath(QStringLiteral("euromuenzen")) + u'/';
            // The worksheet shows its header, the solution its answers as text. On a labelled
            // picture's overlay the answers are part of the picture, which is a raster image.
            const bool picture = document.DokTyp == DocType::ImageLabelling;
            const QString text = mode == 0 ? QStringLiteral("Name:")
                : mode == 2 && picture     ? QString()
                                           : answers.first();
            const QString base = dir.filePath(QFileInfo(name).completeBaseName() + QString::number(mode));
            for (const char* extension : {"emf", "wmf", "pdf"}) {
                // Each file a name of its own: LibreOffice names its PDF after the file's base name.
                const QString path
                    = base + QLatin1Char('-') + QLatin1String(extension) + QLatin1Char('.') + QLatin1String(extension);
                QString message;
                QVERIFY2(saveWorksheet(path, document, options, &message), qPrintable(message));
                if (path.endsWith(QLatin1String(".pdf")))
                    pdfs.append({path, text});
                else
                    metafiles.append({path, text});
                if (path.endsWith(QLatin1String(".wmf")))
                    wmfs.append({path, text});
            }
        }
    }

    // LibreOffice turns every metafile into a PDF in one run.
    QStringList arguments {"-env:UserInstallation=file://" + dir.filePath("lo"), "--headless", "--convert-to", "pdf",
        "--outdir", dir.filePath("lo-out")};
    for (const Expected& file : metafiles)
        arguments.append(file.file);
    run(QStringLiteral("soffice"), arguments, 300000);
    for (const Expected& file : metafiles) {
        const QString pdf = dir.filePath("lo-out/" + QFileInfo(file.file).completeBaseName() + ".pdf");
        QVERIFY2(QFile::exists(pdf), qPrintable(file.file));
        const QString text = run(QStringLiteral("pdftotext"), {pdf, "-"});
        QVERIFY2(squeezed(text).contains(squeezed(file.text)), qPrintable(file.file + ": " + file.text));
    }
    for (const Expected& file : pdfs) {
        const QString text = run(QStringLiteral("pdftotext"), {file.file, "-"});
        QVERIFY2(squeezed(text).contains(squeezed(file.text)), qPrintable(file.file + ": " + file.text));
        QVERIFY(run(QStringLiteral("pdfinfo"), {file.file}).contains(QStringLiteral("(A4)")));
    }
    // libwmf writes the 8-bit text as it stands, one character per element.
    for (const Expected& file : wmfs) {
        const QString svg = dir.filePath(QFileInfo(file.file).completeBaseName() + ".svg");
        run(QStringLiteral("wmf2svg"), {"-o", svg, file.file});
        QFile in(svg);
        QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(file.file));
        QString text = fromCp1252(in.readAll());
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        QVERIFY2(squeezed(text).contains(squeezed(file.text)), qPrintable(file.file + ": " + file.text));
    }
}

// On every page of the bundled single-question sheets the answer list (alphabetical) is not the
// questions' order, which would give each answer away.
void TestWorksheetFiles::bundledSheetsDoNotGiveTheOrderAway()
{
    const QDir bin(QStringLiteral(TALLOWMERE_BIN_DIR));
    int pages = 0;
    for (const QString& name : bin.entryList({QStringLiteral("*.zep")}, QDir::Files, QDir::Name)) {
        QFile in(bin.filePath(name));
        QVERIFY(in.open(QIODevice::ReadOnly));
        TopicDocument document;
        QCOMPARE(readTopicFile(in, document), ZepReadStatus::Ok);
        if (document.DokTyp != DocType::SingleQuestions)
            continue;
        QHash<int, QString> answerOf;
        for (const DocObject& object : std::as_const(document.objects)) {
            if (object.Typ == ObjectKind::Answer)
                answerOf[object.FrageNummer] = object.Cap;
        }
        WorksheetOptions options;
        options.pictureFolder = bin.filePath(QStringLiteral("euromuenzen")) + u'/';
        for (options.fromQuestion = 1; options.fromQuestion <= document.AnzFrageNummern;) {
            QImage page(worksheetPageSize, QImage::Format_RGB32);
            QPainter painter(&page);
            const WorksheetLayout layout = composeWorksheet(painter, document, options);
            QVERIFY(!layout.questions.isEmpty());
            QStringList inQuestionOrder;
            for (const int question : layout.questions)
                inQuestionOrder.append(answerOf.value(question));
            const QString listed = layout.answerLines.join(QString());
            QVERIFY2(!listed.startsWith(inQuestionOrder.join(QStringLiteral(" - "))),
                qPrintable(QStringLiteral("%1 from question %2: %3").arg(name).arg(options.fromQuestion).arg(listed)));
            options.fromQuestion = layout.questions.last() + 1;
            ++pages;
        }
    }
    QVERIFY(pages >= 4);
}

QTEST_MAIN(TestWorksheetFiles)
#include "tst_worksheetfiles.moc"
