// The message boxes as the user sees them: German captions and buttons, the chosen answer,
// and the file messages with their hint after an empty line.

#include "app/application.h"
#include "support/fakemessageservice.h"
#include "ui/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

class TestMessages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void qtDialogsSpeakGerman();
    void boxesSpeakGerman_data();
    void boxesSpeakGerman();
    void escapeAnswersWithTheSafeButton();
    void fileMessagesGoThroughErrorBox();

private:
    // Runs check on the message box once it is open, then presses the button with caption.
    static void whenBoxOpens(std::function<void(QMessageBox*)> check, const QString& caption);
};

void TestMessages::whenBoxOpens(std::function<void(QMessageBox*)> check, const QString& caption)
{
    QTimer::singleShot(0, [check, caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        check(box);
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == caption) {
                button->click();
                return;
            }
        }
        if (caption == QLatin1String("<Escape>"))
            QTest::keyClick(box, Qt::Key_Escape);
    });
}

void TestMessages::initTestCase()
{
    prepareApplication(*qApp);
}

void TestMessages::qtDialogsSpeakGerman()
{
    // Qt's own buttons and dialogs take their texts from the installed German translation.
    QMessageBox box(QMessageBox::Question, "Bestätigung", "Text", QMessageBox::Cancel | QMessageBox::Save);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QMessageBox::Save)->text(), QStringLiteral("Speichern"));
}

void TestMessages::boxesSpeakGerman_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("answer");

    QTest::newRow("information") << int(MessageKind::Information) << QStringList {"OK"} << "Information"
                                 << "OK" << int(MessageButton::Ok);
    QTest::newRow("error") << int(MessageKind::Error) << QStringList {"OK"} << "Fehler"
                           << "OK" << int(MessageButton::Ok);
    QTest::newRow("confirmation yes") << int(MessageKind::Confirmation) << QStringList {"&Ja", "&Nein"} << "Bestätigung"
                                      << "&Ja" << int(MessageButton::Yes);
    QTest::newRow("confirmation no") << int(MessageKind::Confirmation) << QStringList {"&Ja", "&Nein"} << "Bestätigung"
                                     << "&Nein" << int(MessageButton::No);
    QTest::newRow("warning with cancel") << int(MessageKind::Warning) << QStringList {"&Ja", "&Nein", "Abbrechen"}
                                         << "Warnung"
                                         << "Abbrechen" << int(MessageButton::Cancel);
}

void TestMessages::boxesSpeakGerman()
{
    QFETCH(int, kind);
    QFETCH(QStringList, buttons);
    QFETCH(QString, caption);
    QFETCH(QString, press);
    QFETCH(int, answer);

    QList<MessageButton> offered;
    for (const QString& text : buttons) {
        for (MessageButton button : {MessageButton::Yes, MessageButton::No, MessageButton::Ok, MessageButton::Cancel})
            if (buttonCaption(button) == text)
                offered << button;
    }
    QStringList seenButtons;
    QString seenCaption, seenText;
    whenBoxOpens(
        [&](QMessageBox* box) {
            seenCaption = box->windowTitle();
            seenText = box->text();
            for (QAbstractButton* button : box->buttons())
                seenButtons << button->text();
        },
        press);
    const MessageButton chosen = showMessage(MessageKind(kind), "Erste Zeile\r\nZweite Zeile", offered);
    QCOMPARE(int(chosen), answer);
    QCOMPARE(seenCaption, caption);
    std::sort(seenButtons.begin(), seenButtons.end());
    std::sort(buttons.begin(), buttons.end());
    QCOMPARE(seenButtons, buttons);
    // CR LF shows as a line break, not as two.
    QCOMPARE(seenText, QStringLiteral("Erste Zeile\nZweite Zeile"));
}

void TestMessages::escapeAnswersWithTheSafeButton()
{
    whenBoxOpens([](QMessageBox*) {}, "<Escape>");
    QCOMPARE(askYesNo("Quiz wirklich abbrechen?"), false);
    whenBoxOpens([](QMessageBox*) {}, "<Escape>");
    QCOMPARE(askYesNoCancel("Änderungen speichern?"), MessageButton::Cancel);
}

void TestMessages::fileMessagesGoThroughErrorBox()
{
    FakeMessageService messages;
    showFileUnreadable("/tmp/a.zep", "Bitte wählen Sie eine andere Datei.");
    showFileMissing("/tmp/b.zep");
    showFileUnwritable("/tmp/c.hsc", "Hinweis");
    QCOMPARE(messages.shown.size(), 3);
    for (const auto& shown : messages.shown) {
        QCOMPARE(shown.kind, MessageKind::Error);
        QCOMPARE(shown.buttons, QList<MessageButton> {MessageButton::Ok});
    }
    QVERIFY(messages.shown.at(0).text.endsWith(
        "- fehlende Lesezugriffsberechtigung im Netzwerk\r\n\r\nBitte wählen Sie eine andere Datei."));
    QCOMPARE(messages.shown.at(1).text, QStringLiteral("Die Datei \"/tmp/b.zep\" existiert nicht."));
    QVERIFY(messages.shown.at(2).text.endsWith("Schreibzugriffsberechtigung im Netzwerk\r\n\r\nHinweis"));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
