#include "infobox.h"

#include "common/textutil.h"
#include "common/theme.h"
#include "ui/desktopservices.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>

namespace {

const char* const programTitle = "Kestrova Tallowmere";
const char* const versionText = "Version 1.2.2006.10.05";

// The notice names the product through a placeholder, so that one text serves every edition.
const char* const legalNotice
    = "%programmtitel% ist ein Lern- und Quizprogramm für Schule und Unterricht.\n"
      "\n"
      "Nutzungsbedingungen\n"
      "\n"
      "1. %programmtitel% darf in Schulen, anderen Bildungseinrichtungen und zu Hause für "
      "Unterricht und Lernen frei genutzt werden.\n"
      "2. Die mitgelieferten Themendokumente, Bilder und Klänge dürfen für den Unterricht "
      "verwendet, ausgedruckt und an Schülerinnen und Schüler weitergegeben werden. Eigene "
      "Themendokumente gehören ihren Urhebern.\n"
      "3. Eine Weitergabe von %programmtitel% ist nur unverändert und unentgeltlich erlaubt.\n"
      "4. %programmtitel% wurde mit Sorgfalt erstellt. Für Schäden, die aus der Nutzung "
      "entstehen, wird keine Haftung übernommen, soweit dies gesetzlich zulässig ist.\n"
      "5. Protokolle und Bestenlisten enthalten die eingegebenen Namen der Teilnehmer. Sie "
      "werden nur in den gewählten Ordnern gespeichert und nicht an Dritte übermittelt.\n"
      "\n"
      "Hinweise, Fragen und Anregungen nehmen wir gern über unsere Webseite entgegen.";

} // namespace

TInfoBox::TInfoBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("InfoBox"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setFixedSize(440, 400);
    setPanelColour(this, theme().accent);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(rect());
    setPanelColour(panel, theme().background);
    m_backImg = new TextureImage(panel);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("AVTextImg1"));
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/tallowmere.png"))
                        .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setGeometry(20, 18, 64, 64);

    m_titelLabel = new QLabel(panel);
    m_titelLabel->setObjectName(QStringLiteral("TitelLabel"));
    QFont titleFont(QStringLiteral("Arial"), 16);
    titleFont.setBold(true);
    m_titelLabel->setFont(titleFont);
    m_titelLabel->setGeometry(100, 22, 320, 30);

    m_versLab = new QLabel(panel);
    m_versLab->setObjectName(QStringLiteral("VersLab"));
    m_versLab->setGeometry(100, 54, 320, 20);

    m_memo = new QPlainTextEdit(panel);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->setPlainText(
        replaceAll(QString::fromUtf8(legalNotice), QStringLiteral("%programmtitel%"), QString::fromUtf8(programTitle)));
    m_memo->setGeometry(20, 96, 400, 226);

    auto* link = new QLabel(QString::fromLatin1(makerSiteAddress), panel);
    link->setObjectName(QStringLiteral("Label1"));
    QFont linkFont = link->font();
    linkFont.setUnderline(true);
    link->setFont(linkFont);
    setFontColour(link, QColor(0, 51, 153));
    link->setCursor(Qt::PointingHandCursor);
    link->setGeometry(20, 334, 300, 20);
    link->installEventFilter(this);

    m_okBtn = new TBitBtn2(QStringLiteral("OK"), panel);
    m_okBtn->setObjectName(QStringLiteral("OKBtn"));
    m_okBtn->setGeometry(330, 358, 90, 28);
    m_okBtn->setDefault(true);
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
}

QString TInfoBox::noticeText() const
{
    return m_memo->toPlainText();
}

void TInfoBox::showEvent(QShowEvent* event)
{
    m_titelLabel->setText(QString::fromUtf8(programTitle));
    m_versLab->setText(QString::fromUtf8(versionText));
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    QDialog::showEvent(event);
}

bool TInfoBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && watched->objectName() == QLatin1String("Label1")) {
        openMakerSite();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
