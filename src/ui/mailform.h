#pragma once

#include "platform/mailclient.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class TextureImage;

// The messages around sending the open topic by e-mail.
namespace MailTexts {
inline const QString noTopic
    = QStringLiteral("Es ist kein Thema geöffnet.\r\n\r\nBitte öffnen Sie zuerst über das Menü \"Quizauswahl\" das "
                     "Thema, das Sie per E-Mail versenden möchten.");
inline const QString notSaved = QStringLiteral(
    "Das Thema wurde noch nicht gespeichert, daher gibt es keine Datei, die angehängt werden könnte.\r\n\r\n"
    "Bitte speichern Sie das Thema zuerst.");
inline const QString badAddress = QStringLiteral(
    "Bitte geben Sie eine gültige E-Mail-Adresse ein, zum Beispiel name@schule.de, ohne Leerzeichen.\r\n\r\n"
    "Sie können das Feld auch leer lassen und den Empfänger in Ihrem E-Mail-Programm eintragen.");
// An address with an apostrophe (allowed, as in o'neill@schule.de) that the mail program would cut off.
inline const QString apostropheInAddress = QStringLiteral(
    "Eine E-Mail-Adresse mit einem Apostroph (') kann nicht an das E-Mail-Programm übergeben werden.\r\n\r\n"
    "Bitte lassen Sie das Feld leer und tragen Sie den Empfänger in Ihrem E-Mail-Programm ein.");
// The topic's file is gone from where it was opened.
QString fileGone(const QString& path);
// The open topic was changed since it was last saved; the mail carries the saved file.
QString unsavedChanges(const QString& path);
} // namespace MailTexts

// "Per E-Mail versenden": recipient, subject and a short text for a message that carries the
// open topic's file. Create once and reuse: prepare() before each exec(); Accepted means
// "Senden" with a recipient that is empty or looks like an address, and request() then holds
// what to send.
class TMailForm : public QDialog
{
    Q_OBJECT
public:
    explicit TMailForm(QWidget* parent = nullptr);

    // Sets the subject to the topic's title (the file's name for a topic without one) and the
    // attachment to path; the recipient stays from the last message, the text starts empty.
    void prepare(const QString& title, const QString& path);
    MailRequest request() const;

public slots:
    // Refuses a recipient that does not look like an address with a warning; the dialog stays open.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TextureImage* m_backImg = nullptr;
    QLineEdit* m_empfaengerEdit = nullptr;
    QLineEdit* m_betreffEdit = nullptr;
    QPlainTextEdit* m_textMemo = nullptr;
    QLineEdit* m_anhangLab = nullptr;
    QString m_path;
};
