#include "results/ui/protocolcomment.h"

#include "common/theme.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QPlainTextEdit>

namespace {

constexpr int clientWidth = 440;
constexpr int clientHeight = 260;

} // namespace

TProtKomForm::TProtKomForm(QWidget* parent)
    : QDialog(parent)
{
    const TexturedDialogFrame frame = setUpTexturedDialog(this, "ProtKomForm",
        QStringLiteral("Kommentar zum Ablaufprotokoll hinzufügen"), QSize(clientWidth, clientHeight));
    QWidget* panel = frame.panel;
    m_backImg = frame.backImage;

    m_memo = new QPlainTextEdit(panel);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setGeometry(12, 12, clientWidth - 24, clientHeight - 64);
    m_memo->setFont(QFont(QStringLiteral("Arial"), 9));
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setTabChangesFocus(true);
    QPalette palette = m_memo->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    m_memo->setPalette(palette);

    const int buttonTop = clientHeight - 40;
    auto* ok = addDialogButton(
        panel, QStringLiteral("OK"), "OKBtn", QRect(clientWidth - 12 - 2 * 104 - 8, buttonTop, 104, 28));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = addDialogButton(
        panel, QStringLiteral("Abbrechen"), "AbbrBtn", QRect(clientWidth - 12 - 104, buttonTop, 104, 28));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TProtKomForm::comment() const
{
    return m_memo->toPlainText();
}

void TProtKomForm::setComment(const QString& text)
{
    m_memo->setPlainText(text);
}

void TProtKomForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
    m_memo->setFocus();
}
