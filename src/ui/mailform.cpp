#include "ui/mailform.h"

#include "common/theme.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

QString MailTexts::fileGone(const QString& path)
{
    return QStringLiteral("Die Themendatei \"%1\" ist nicht mehr vorhanden. Sie wurde vielleicht verschoben oder "
                          "gelöscht.\r\n\r\nBitte öffnen Sie das Thema erneut.")
        .arg(QDir::toNativeSeparators(path));
}

QString MailTexts::unsavedChanges(const QString& path)
{
    return QStringLiteral("Das Thema wurde seit dem letzten Speichern geändert. Angehängt wird die gespeicherte "
                          "Datei \"%1\", ohne diese Änderungen.\r\n\r\nTrotzdem versenden?")
        .arg(QDir::toNativeSeparators(path));
}

namespace {

void addCaption(QGridLayout* grid, int row, const QString& text, QWidget* buddy, const char* name,
    Qt::Alignment alignment = Qt::AlignVCenter)
{
    auto* caption = new QLabel(text);
    caption->setObjectName(QLatin1String(name));
    caption->setBuddy(buddy);
    grid->addWidget(caption, row, 0, Qt::AlignLeft | alignment);
    grid->addWidget(buddy, row, 1);
}

} // namespace

TMailForm::TMailForm(QWidget* parent)
    : QDialog(parent)
{
    const TexturedDialogFrame frame
        = setUpTexturedDialog(this, "MailForm", QStringLiteral("Per E-Mail versenden"), QSize(480, 340));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    m_empfaengerEdit = new QLineEdit;
    m_empfaengerEdit->setObjectName(QStringLiteral("EmpfaengerEdit"));
    m_empfaengerEdit->setPlaceholderText(QStringLiteral("freiwillig, sonst im E-Mail-Programm eintragen"));
    m_betreffEdit = new QLineEdit;
    m_betreffEdit->setObjectName(QStringLiteral("BetreffEdit"));
    m_textMemo = new QPlainTextEdit;
    m_textMemo->setObjectName(QStringLiteral("TextMemo"));
    m_textMemo->setTabChangesFocus(true);
    m_anhangLab = new QLineEdit;
    m_anhangLab->setObjectName(QStringLiteral("AnhangLab"));
    m_anhangLab->setReadOnly(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    addCaption(grid, 0, QStringLiteral("&An:"), m_empfaengerEdit, "EmpfaengerLab");
    addCaption(grid, 1, QStringLiteral("&Betreff:"), m_betreffEdit, "BetreffLab");
    addCaption(grid, 2, QStringLiteral("&Nachricht:"), m_textMemo, "TextLab", Qt::AlignTop);
    addCaption(grid, 3, QStringLiteral("Anhang:"), m_anhangLab, "AnhangCaptionLab");
    grid->setRowStretch(2, 1);

    auto* hint = new QLabel(QStringLiteral("Die Nachricht wird in Ihrem E-Mail-Programm geöffnet. Dort können Sie "
                                           "sie prüfen und versenden."));
    hint->setObjectName(QStringLiteral("HinweisLab"));
    hint->setWordWrap(true);

    auto* send = new TBitBtn2(QStringLiteral("&Senden"));
    send->setObjectName(QStringLiteral("SendenBtn"));
    send->setDefault(true);
    send->setMinimumSize(104, 28);
    connect(send, &QPushButton::clicked, this, &TMailForm::accept);
    auto* cancel = new TBitBtn2(QStringLiteral("Abbrechen"));
    cancel->setObjectName(QStringLiteral("AbbrechenBtn"));
    cancel->setMinimumSize(104, 28);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(send);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(grid);
    layout->addWidget(hint);
    layout->addLayout(buttons);
}

void TMailForm::prepare(const QString& title, const QString& path)
{
    m_path = QFileInfo(path).absoluteFilePath();
    m_betreffEdit->setText(title.isEmpty() ? QFileInfo(path).completeBaseName() : title);
    m_textMemo->clear();
    // A long path shows its end, the file's name; the whole path is in the tip.
    m_anhangLab->setText(QDir::toNativeSeparators(m_path));
    m_anhangLab->setCursorPosition(m_anhangLab->text().size());
    m_anhangLab->setToolTip(m_anhangLab->text());
}

MailRequest TMailForm::request() const
{
    return {m_empfaengerEdit->text().trimmed(), m_betreffEdit->text(), m_textMemo->toPlainText(), m_path};
}

void TMailForm::accept()
{
    const QString recipient = m_empfaengerEdit->text().trimmed();
    if (!recipient.isEmpty() && !looksLikeMailAddress(recipient)) {
        const bool apostropheOnly = looksLikeMailAddress(QString(recipient).remove(u'\''));
        showMessage(MessageKind::Warning, apostropheOnly ? MailTexts::apostropheInAddress : MailTexts::badAddress,
            {MessageButton::Ok});
        m_empfaengerEdit->setFocus();
        m_empfaengerEdit->selectAll();
        return;
    }
    QDialog::accept();
}

void TMailForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
    // With the recipient of the last message kept, the text is what is left to write.
    if (m_empfaengerEdit->text().isEmpty())
        m_empfaengerEdit->setFocus();
    else
        m_textMemo->setFocus();
}
