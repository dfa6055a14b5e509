// The worksheet window as a teacher uses it: the options it starts with, the preview following a
// click, saving refused for a wrong extension and written as PDF at the print margins, and the
// print dialog keeping the page's proportions and printing where it says.

#include "common/folders.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "support/quiztopics.h"
#include "widgets/radiogroup2.h"
#include "worksheet/ui/worksheetform.h"
#include "worksheet/ui/worksheetprintdialog.h"
#include "worksheet/worksheetoutput.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

TopicDocument rivers()
{
    TopicDocument doc;
    doc.titel = QStringLiteral("Flüsse Europas");
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(QColor(200, 220, 200));
    doc.objects = {quizLabel("Elbe", 0.3, 0.3), quizLabel("Rhein", 0.6, 0.7)};
    return doc;
}

// The left edge, in points, of the first word text on a PDF page, from pdftotext's boxes.
double leftOf(const QString& pdf, const QString& text)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    process.waitForFinished(30000);
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    const QRegularExpression word(QStringLiteral("<word xMin=\"([0-9.]+)\"[^>]*>%1</word>").arg(text));
    const QRegularExpressionMatch match = word.match(html);
    return match.hasMatch() ? match.captured(1).toDouble() : -1;
}

constexpr double pointsPerCm = 72 / 2.54;

} // namespace

class TestWorksheetWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void optionsAndPreview();
    void saving_data();
    void saving();
    void printDialogKeepsProportions();
    void printsAtTheChosenPlace();
    void clipboardPictureHasTheSheetsSize();
    void saveDialogOpensWhereTheTeacherSavedLast();
    void wmfAsksBeforeLosingCharacters();
};

void TestWorksheetWindow::optionsAndPreview()
{
    const TopicDocument labels = rivers();
    TArbeitsblattForm window;
    window.setDocument(&labels, QString());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.findChild<QLineEdit*>("TitelEdit")->text(), labels.titel);
    QVERIFY(window.findChild<QWidget*>("Typ2Pan")->isHidden());
    QVERIFY(window.findChild<QWidget*>("SchliessenBtn")->hasFocus());
    const QImage worksheet = window.preview();
    QVERIFY(!worksheet.isNull());
    // A click on a header field composes the page again.
    QTest::mouseClick(window.findChild<QCheckBox*>("ABNameBox"), Qt::LeftButton);
    QVERIFY(window.preview() != worksheet);
    QVERIFY(!window.options().nameField);

    const TopicDocument questions = questionsTopic(3);
    window.hide();
    window.setDocument(&questions, QString());
    window.show();
    QVERIFY(window.findChild<QWidget*>("Typ2Pan")->isVisible());
}

void TestWorksheetWindow::saving_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("pdfButton");
    QTest::addColumn<bool>("written");
    QTest::newRow("png refused") << "blatt.png" << false << false;
    QTest::newRow("txt refused") << "blatt.txt" << false << false;
    QTest::newRow("pdf refused by the metafile button") << "blatt.pdf" << false << false;
    QTest::newRow("pdf") << "blatt.pdf" << true << true;
}

void TestWorksheetWindow::saving()
{
    QFETCH(QString, name);
    QFETCH(bool, pdfButton);
    QFETCH(bool, written);
    QTemporaryDir dir;
    FakeDialogService dialogs;
    FakeMessageService messages;
    dialogs.saveAnswer = dir.filePath(name);
    const TopicDocument labels = rivers();
    TArbeitsblattForm window;
    window.setDocument(&labels, QString());
    window.show();
    pdfButton ? window.savePdf() : window.saveMetafile();
    QCOMPARE(QFile::exists(dialogs.saveAnswer), written);
    if (!written) {
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown.first().text,
            QStringLiteral("Speichern fehlgeschlagen wegen ungültiger Dateinamenserweiterung."));
        return;
    }
    QCOMPARE(dialogs.requests.last().title, QStringLiteral("Arbeitsblatt als PDF speichern"));
    QVERIFY(messages.shown.isEmpty());
    // The sheet on A4 at the print dialog's default margins.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {dialogs.saveAnswer});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QStringLiteral("(A4)")));
    // Title, creator and what the sheet is.
    info.start(QStringLiteral("pdfinfo"), {"-meta", dialogs.saveAnswer});
    QVERIFY(info.waitForFinished(30000));
    const QString meta = QString::fromUtf8(info.readAllStandardOutput());
    for (const QString& expected :
        {QStringLiteral(">Flüsse Europas</rdf:li>"), QStringLiteral(">Arbeitsblatt</rdf:li>"),
            QStringLiteral("<xmp:CreatorTool>Kestrova Tallowmere</xmp:CreatorTool>")})
        QVERIFY2(meta.contains(expected), qPrintable(meta));
    const double name_ = leftOf(dialogs.saveAnswer, QStringLiteral("Name:"));
    QVERIFY2(qAbs(name_ - 2.2 * pointsPerCm) < 3, qPrintable(QString::number(name_)));
}

void TestWorksheetWindow::printDialogKeepsProportions()
{
    TABDruckForm dialog;
    dialog.setAspectRatio(1000.0 / 1625.0);
    QCOMPARE(dialog.widthCm(), 16.6);
    QCOMPARE(dialog.heightCm(), 27.0);
    dialog.setWidthCm(12.0);
    QCOMPARE(dialog.heightCm(), 19.5);
    dialog.setHeightCm(20.0);
    QCOMPARE(dialog.widthCm(), 12.3);
    dialog.findChild<QCheckBox*>("SeitenverhaeltnisCheck")->setChecked(false);
    dialog.setWidthCm(15.0);
    QCOMPARE(dialog.heightCm(), 20.0);
}

void TestWorksheetWindow::printsAtTheChosenPlace()
{
    QTemporaryDir dir;
    TABDruckForm dialog;
    dialog.setAspectRatio(1000.0 / 1625.0);
    dialog.findChild<QDoubleSpinBox*>("LinksEdit")->setValue(4.0);
    dialog.findChild<QDoubleSpinBox*>("ObenEdit")->setValue(3.0);
    dialog.setWidthCm(12.0);
    const QString pdf = dir.filePath("druck.pdf");
    dialog.printer().setOutputFormat(QPrinter::PdfFormat);
    dialog.printer().setOutputFileName(pdf);
    const TopicDocument labels = rivers();
    WorksheetOptions options;
    options.title = labels.titel;
    options.mode = WorksheetMode::Solution;
    dialog.printer().setDocName(labels.titel);
    QVERIFY(dialog.printPage([&](QPainter& painter) { composeWorksheet(painter, labels, options); },
        QSizeF(worksheetWidth, worksheetHeight), worksheetXmpMetadata(labels.titel, options.mode)));
    // A PDF printed to a file says what it holds, as a saved one does.
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {"-meta", pdf});
    QVERIFY(info.waitForFinished(30000));
    const QString meta = QString::fromUtf8(info.readAllStandardOutput());
    QVERIFY2(meta.contains(QStringLiteral(">Lösungsblatt</rdf:li>")), qPrintable(meta));
    const double left = leftOf(pdf, QStringLiteral("Name:"));
    QVERIFY2(qAbs(left - 4.0 * pointsPerCm) < 3, qPrintable(QString::number(left)));
    // The footer's address ends at the sheet's right edge, 4 + 12 cm from the paper's left.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    QVERIFY(text.waitForFinished(30000));
    const QRegularExpression address(QStringLiteral(
        "<word xMin=\"[0-9.]+\" yMin=\"[0-9.]+\" xMax=\"([0-9.]+)\"[^>]*>https://www.kestrova-tallowmere.de/</word>"));
    const QRegularExpressionMatch match = address.match(QString::fromUtf8(text.readAllStandardOutput()));
    QVERIFY(match.hasMatch());
    QVERIFY2(qAbs(match.captured(1).toDouble() - 16.0 * pointsPerCm) < 4, qPrintable(match.captured(1)));
}

// The SVG on the clipboard pastes at the sheet's size, 16,6 cm wide, as the saved sheets.
void TestWorksheetWindow::clipboardPictureHasTheSheetsSize()
{
    const TopicDocument labels = rivers();
    TArbeitsblattForm window;
    window.setDocument(&labels, QString());
    window.copyToClipboard();
    const QString svg = QString::fromUtf8(QGuiApplication::clipboard()->mimeData()->data("image/svg+xml"));
    const QRegularExpressionMatch size
        = QRegularExpression(QStringLiteral("<svg[^>]* width=\"([0-9.]+)mm\" height=\"([0-9.]+)mm\"")).match(svg);
    QVERIFY2(size.hasMatch(), qPrintable(svg.left(400)));
    QVERIFY2(qAbs(size.captured(1).toDouble() - worksheetWidthMm) < 0.5, qPrintable(size.captured(0)));
    QVERIFY2(qAbs(size.captured(2).toDouble() - worksheetHeightMm) < 0.5, qPrintable(size.captured(0)));
}

// The save dialogs open in the topic's folder with a name from the topic and the mode, and from
// then on in the folder the teacher saved to last.
void TestWorksheetWindow::saveDialogOpensWhereTheTeacherSavedLast()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("themen") && QDir(dir.path()).mkpath("blaetter"));
    folders().worksheetFolder.clear();
    FakeDialogService dialogs;
    FakeMessageService messages;
    TopicDocument labels = rivers();
    labels.filePath = dir.filePath("themen/euro-flaggen-alle.zep");
    TArbeitsblattForm window;
    window.setDocument(&labels, QString());
    window.show();
    window.saveMetafile();
    QCOMPARE(dialogs.requests.last().folder, dir.filePath("themen"));
    QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("euro-flaggen-alle-arbeitsblatt"));

    window.findChild<TRadioGroup2*>("ModeRadio")->setItemIndex(1);
    dialogs.saveAnswer = dir.filePath("blaetter/loesung.pdf");
    window.savePdf();
    QVERIFY(QFile::exists(dialogs.saveAnswer));
    QCOMPARE(dialogs.requests.last().fileName, QStringLiteral("euro-flaggen-alle-loesung"));
    window.saveMetafile();
    QCOMPARE(dialogs.requests.last().folder, dir.filePath("blaetter"));
    folders().worksheetFolder.clear();
}

// A WMF turns characters outside Windows-1252 into "?": the window says which, and saves only when
// the teacher agrees.
void TestWorksheetWindow::wmfAsksBeforeLosingCharacters()
{
    QTemporaryDir dir;
    FakeDialogService dialogs;
    FakeMessageService messages;
    TopicDocument labels = rivers();
    labels.objects.append(quizLabel(QStringLiteral("Łódź"), 0.5, 0.5));
    TArbeitsblattForm window;
    window.setDocument(&labels, QString());
    window.show();
    dialogs.saveAnswer = dir.filePath(QStringLiteral("blatt.wmf"));
    messages.answers = {MessageButton::No};
    window.saveMetafile();
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY2(
        messages.shown.first().text.contains(QStringLiteral("\"?\": Ł ź.")), qPrintable(messages.shown.first().text));
    QVERIFY(!QFile::exists(dialogs.saveAnswer));
    messages.answers = {MessageButton::Yes};
    window.saveMetafile();
    QVERIFY(QFile::exists(dialogs.saveAnswer));
    // EMF keeps them: nothing to ask.
    dialogs.saveAnswer = dir.filePath(QStringLiteral("blatt.emf"));
    window.saveMetafile();
    QVERIFY(QFile::exists(dialogs.saveAnswer));
    QCOMPARE(messages.shown.size(), 2);
}

QTEST_MAIN(TestWorksheetWindow)
#include "tst_worksheetwindow.moc"
