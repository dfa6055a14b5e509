// The info text window, the about box and the figures box.

#include "common/folders.h"
#include "support/fakedesktopshell.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "ui/cursors.h"
#include "ui/infobox.h"
#include "ui/infoboxform.h"
#include "ui/kennzinfobox.h"
#include "widgets/bitbtn.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QImage tallText(int height)
{
    QImage image(400, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void infoWindowLayout();
    void richTextDropsEmphasisTags_data();
    void richTextDropsEmphasisTags();
    void savedRichTextIsPlain();
    void saveToUnwritablePlaceIsReported();
    void cancelledSaveWritesNothing();
    void copyGivesRichAndPlainText();
    void printUsesJobTitle();

    void pageKeysScrollByOneIncrement();
    void wheelScrollsByLines();
    void dragKeepsTextUnderMouse();
    void closingScrollsBackToTop();

    void aboutBox();
    void figuresBox();
};

void TestInfoWindows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    cursorSet().registerBuiltIn();
}

void TestInfoWindows::infoWindowLayout()
{
    TInfoboxForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Information"));
    QCOMPARE(form.size(), QSize(467, 331));
    QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!form.isModal());
    const QStringList buttons {"DruckBtn", "ExpBtn", "ClipBtn", "CloseBtn"};
    const QStringList captions {"Drucken...", "Speichern...", "In Zwischenablage", "Schließen"};
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = form.findChild<TBitBtn2*>(buttons[i]);
        QVERIFY2(button, qPrintable(buttons[i]));
        QCOMPARE(button->text(), captions[i]);
    }
    QCOMPARE(form.scrollBox()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    form.setLines({"Zeile"});
    form.showText();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // On activation the buttons take the dialog colour and "Schließen" takes the focus.
    QCOMPARE(form.findChild<TBitBtn2*>("DruckBtn")->color(), QColor(205, 208, 226));
    QCOMPARE(QApplication::focusWidget(), form.findChild<QWidget*>("CloseBtn"));
    QTest::mouseClick(form.findChild<QWidget*>("CloseBtn"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
}

void TestInfoWindows::richTextDropsEmphasisTags_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("plain");

    QTest::newRow("wrapped word in capitals") << QStringList {"Die <B>Münze</B> glänzt."} << "Die Münze glänzt.";
    QTest::newRow("all tags") << QStringList {"<i>a</i> <U>b</u>", "<b>c</B>"} << "a b\nc";
    QTest::newRow("empty lines stay") << QStringList {"eins", "", "zwei"} << "eins\n\nzwei";
}

void TestInfoWindows::richTextDropsEmphasisTags()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, plain);
    TInfoboxForm form;
    form.setLines(lines);
    form.showText();
    QCOMPARE(form.richText().toPlainText(), plain);
    for (const RichTextParagraph& paragraph : form.richText().paragraphs()) {
        for (const RichTextRun& run : paragraph.runs) {
            QVERIFY(!run.format.bold && !run.format.italic && !run.format.underline);
            QCOMPARE(form.richText().pointSizeOf(paragraph.format, run.format), 11.0);
        }
    }
    // The markup stays in the raw lines for the drawing.
    QCOMPARE(form.lines(), lines);
    form.close();
}

void TestInfoWindows::savedRichTextIsPlain()
{
    QTemporaryDir dir;
    FakeDialogService dialogs;
    dialogs.saveAnswer = dir.filePath("info.rtf");
    folders().protocolFolder = dir.path() + "/protokolle/";

    TInfoboxForm form;
    form.setLines({"Der <b>EURO</B> ist seit 2002 Bargeld."});
    form.showText();
    QTest::mouseClick(form.findChild<QWidget*>("ExpBtn"), Qt::LeftButton);

    QCOMPARE(dialogs.requests.size(), 1);
    const FileDialogRequest& request = dialogs.requests.first();
    QCOMPARE(request.title, QStringLiteral("Infotext in Datei speichern"));
    QCOMPARE(request.folder, folders().protocolFolder);
    QCOMPARE(request.defaultSuffix, QStringLiteral("rtf"));
    QCOMPARE(request.filter, QStringLiteral("Rich Text Dokument (*.rtf)|*.rtf|Alle Dateien (*.*)|*.*"));

    QFile file(dialogs.saveAnswer);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    QVERIFY(rtf.startsWith("{\\rtf1"));
    QVERIFY(!rtf.contains("<b>") && !rtf.contains("</B>"));

    // An independent reader sees the plain sentence.
    if (QStandardPaths::findExecutable("unrtf").isEmpty())
        QSKIP("unrtf is not installed");
    QProcess unrtf;
    unrtf.start("unrtf", {"--text", dialogs.saveAnswer});
    QVERIFY(unrtf.waitForFinished(10000));
    QVERIFY(QString::fromUtf8(unrtf.readAllStandardOutput()).contains("Der EURO ist seit 2002 Bargeld."));
}

void TestInfoWindows::saveToUnwritablePlaceIsReported()
{
    FakeDialogService dialogs;
    FakeMessageService messages;
    dialogs.saveAnswer = "/nonexistent-folder/sub/info.rtf";
    TInfoboxForm form;
    form.setLines({"Text"});
    form.saveText();
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.first().text.startsWith(
        "Die Datei \"/nonexistent-folder/sub/info.rtf\" kann nicht geschrieben werden."));
    QVERIFY(!QFile::exists(dialogs.saveAnswer));
}

void TestInfoWindows::cancelledSaveWritesNothing()
{
    FakeDialogService dialogs;
    FakeMessageService messages;
    TInfoboxForm form;
    form.saveText();
    QCOMPARE(dialogs.requests.size(), 1);
    QVERIFY(messages.shown.isEmpty());
}

void TestInfoWindows::copyGivesRichAndPlainText()
{
    TInfoboxForm form;
    form.setLines({"Größe <b>und</b> Gewicht", "€ 2"});
    form.showText();
    QTest::mouseClick(form.findChild<QWidget*>("ClipBtn"), Qt::LeftButton);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text(), QStringLiteral("Größe und Gewicht\n€ 2"));
    QVERIFY(data->data("text/rtf").startsWith("{\\rtf1"));
    QVERIFY(data->hasHtml());
    form.close();
}

void TestInfoWindows::printUsesJobTitle()
{
    FakeDialogService dialogs;
    TInfoboxForm form;
    form.setLines({"Text"});
    QTest::mouseClick(form.findChild<QWidget*>("DruckBtn"), Qt::LeftButton);
    QCOMPARE(dialogs.printJobTitles, QStringList {"Infotext"});
}

void TestInfoWindows::pageKeysScrollByOneIncrement()
{
    TInfoboxForm form;
    form.setTextImage(tallText(2000));
    form.showText();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QScrollBar* bar = form.scrollBox()->verticalScrollBar();
    const int step = bar->singleStep();
    QVERIFY(step > 0);
    QTest::keyClick(&form, Qt::Key_PageDown);
    QTest::keyClick(&form, Qt::Key_PageDown);
    QCOMPARE(bar->value(), 2 * step);
    QTest::keyClick(&form, Qt::Key_PageUp);
    QCOMPARE(bar->value(), step);
    QTest::keyClick(&form, Qt::Key_PageUp);
    QTest::keyClick(&form, Qt::Key_PageUp);
    QCOMPARE(bar->value(), 0);
    form.close();
}

void TestInfoWindows::wheelScrollsByLines()
{
    TInfoboxForm form;
    form.setTextImage(tallText(3000));
    form.showText();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QScrollBar* bar = form.scrollBox()->verticalScrollBar();
    QWidget* text = form.textImageLabel();
    const int lines = QApplication::wheelScrollLines();
    auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(10, 10), text->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, delta), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(text, &event);
    };
    wheel(-120);
    QCOMPARE(bar->value(), lines * bar->singleStep());
    wheel(0); // no delta counts as down
    QCOMPARE(bar->value(), 2 * lines * bar->singleStep());
    wheel(120);
    QCOMPARE(bar->value(), lines * bar->singleStep());
    form.close();
}

void TestInfoWindows::dragKeepsTextUnderMouse()
{
    TInfoboxForm form;
    form.setTextImage(tallText(1000));
    form.showText();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QScrollBar* bar = form.scrollBox()->verticalScrollBar();
    QWidget* text = form.textImageLabel();
    const int maximum = bar->maximum();
    QVERIFY(maximum > 300);

    // The mouse is followed in viewport coordinates, as the user sees it.
    QWidget* viewport = form.scrollBox()->viewport();
    auto moveTo = [&](int viewportY) { QTest::mouseMove(text, text->mapFrom(viewport, QPoint(50, viewportY))); };

    // Press on the text at height 200 and pull it up by 150: the text scrolls by 150.
    QTest::mousePress(text, Qt::LeftButton, {}, text->mapFrom(viewport, QPoint(50, 200)));
    QCOMPARE(text->cursor().shape(), Qt::BitmapCursor);
    moveTo(50);
    QCOMPARE(bar->value(), 150);

    // Pulled down by 250, beyond the top, the text stops at 0 ...
    moveTo(300);
    QCOMPARE(bar->value(), 0);
    // ... and moving back up moves the text at once, from where it stopped.
    moveTo(200);
    QCOMPARE(bar->value(), 100);

    QTest::mouseRelease(text, Qt::LeftButton, {}, QPoint(50, 300));
    QCOMPARE(text->cursor().shape(), Qt::ArrowCursor);
    form.close();
}

void TestInfoWindows::closingScrollsBackToTop()
{
    TInfoboxForm form;
    form.setTextImage(tallText(2000));
    form.showText();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.scrollBox()->verticalScrollBar()->setValue(500);
    form.close();
    QCOMPARE(form.scrollBox()->verticalScrollBar()->value(), 0);
}

void TestInfoWindows::aboutBox()
{
    TInfoBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
    QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!box.noticeText().contains("%programmtitel%"));
    QVERIFY(box.noticeText().contains("Kestrova Tallowmere"));
    QCOMPARE(box.findChild<QPushButton*>("OKBtn")->text(), QStringLiteral("OK"));

    QTimer::singleShot(0, &box, [&box] {
        QCOMPARE(box.findChild<QLabel*>("TitelLabel")->text(), QStringLiteral("Kestrova Tallowmere"));
        QCOMPARE(box.findChild<QLabel*>("VersLab")->text(), QStringLiteral("Version 1.2.2006.10.05"));
        FakeDesktopShell shell;
        QTest::mousePress(box.findChild<QLabel*>("Label1"), Qt::LeftButton);
        QCOMPARE(shell.opened.size(), 1);
        QTest::mouseClick(box.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
}

void TestInfoWindows::figuresBox()
{
    TKennzInfoBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Information zu den Kennzahlen"));
    QCOMPARE(box.findChild<QPushButton*>("OKBtn")->text(), QStringLiteral("Schließen"));
    const QString text = box.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
    const QStringList lines = text.split('\n');
    QCOMPARE(lines.size(), 25);
    QCOMPARE(lines.first(), QStringLiteral("\"Status\":"));
    QCOMPARE(lines.at(1), QStringLiteral("Zeigt den aktuellen Status an. "));
    QCOMPARE(lines.at(3), QString());
    QCOMPARE(lines.at(12), QStringLiteral("Die aktuelle Erfolgsquote ist:   Q = richtig / (richtig + falsch)"));
    QCOMPARE(
        lines.at(20), QStringLiteral("Diese Kennzahl ist die Grundlage der Leistungsbwertung (Benotung) am Ende des "));
    QCOMPARE(lines.last(), QStringLiteral("Zeigt die bisher benötigte Zeit im Format \"Minuten:Sekunden\" an."));
}

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
