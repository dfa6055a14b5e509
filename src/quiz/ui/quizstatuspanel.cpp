#include "quiz/ui/quizstatuspanel.h"

#include "quiz/quizsession.h"
#include "ui/uistyle.h"
#include "widgets/hoverpanel.h"
#include "widgets/shadowlabel.h"

namespace {

const QColor statusGreen(0, 150, 0);
const QColor statusRed(210, 0, 0);
const QColor statusBlue(0, 51, 153);

} // namespace

QuizStatusPanel::QuizStatusPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("UebInfoPan"));
    setFixedWidth(panelWidth);
    setAccessibleName(QStringLiteral("Quizstatus"));
    const auto label = [this](const char* name, const QString& text, int x, int y, int width, int height = 18) {
        auto* l = new TShadowLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, width, height);
        return l;
    };
    QFont bold = font();
    bold.setBold(true);
    m_uebStatLab = label("UebStatLab", QStringLiteral("warte auf Antwort"), 10, 8, 150, 20);
    m_uebStatLab->setFont(bold);
    label("TNameCapLab", QStringLiteral("Teilnehmer:"), 10, 36, 94);
    m_tNameLab = label("TNameLab", QStringLiteral("-"), 106, 36, 78);
    label("RichtigCapLab", QStringLiteral("Richtig:"), 10, 60, 94);
    m_richtigLab = label("RichtigLab", QStringLiteral("0"), 106, 60, 30);
    m_gesAnzLab = label("GesAnzLab", QStringLiteral("von  0"), 136, 60, 50);
    label("FalschCapLab", QStringLiteral("Falsch:"), 10, 80, 94);
    m_falschLab = label("FalschLab", QStringLiteral("0"), 106, 80, 78);
    label("OffenCapLab", QStringLiteral("Offen:"), 10, 100, 94);
    m_offenLab = label("OffenLab", QStringLiteral("0"), 106, 100, 78);
    label("QuoteCapLab", QStringLiteral("Quote:"), 10, 124, 94);
    m_quoteLab = label("QuoteLab", QStringLiteral("0.0 %"), 106, 124, 78);
    label("GesamtleistungCapLab", QStringLiteral("Gesamtleistung:"), 10, 144, 94);
    m_gesamtleistungLab = label("GesamtleistungLab", QStringLiteral("0.0 %"), 106, 144, 78);
    m_uebZeitModeLab = label("UebZeitModeLab", QStringLiteral("Benötigte Zeit:"), 10, 172, 170);
    m_uebZeitLab = label("UebZeitLab", QStringLiteral("00:00"), 10, 190, 170, 30);
    QFont clock = bold;
    clock.setPixelSize(24);
    m_uebZeitLab->setFont(clock);
    for (TShadowLabel* l : {m_richtigLab, m_falschLab, m_quoteLab, m_gesamtleistungLab, m_offenLab, m_tNameLab})
        l->setFont(bold);
    m_richtigLab->setFontColor(statusGreen);
    m_falschLab->setFontColor(statusRed);
    m_uebZeitLab->setFontColor(statusBlue);
    m_uebStatLab->setFontColor(statusBlue);

    m_kennzInfoPan = new THoverPanel(this);
    m_kennzInfoPan->setObjectName(QStringLiteral("KennzInfoPan"));
    m_kennzInfoPan->setCaption(QStringLiteral("?"));
    m_kennzInfoPan->setToolTip(QStringLiteral("Information zu den Kennzahlen"));
    m_kennzInfoPan->setGeometry(panelWidth - 30, 6, 22, 22);
    styleToolbarButton(m_kennzInfoPan);
    connect(m_kennzInfoPan, &THoverPanel::clicked, this, &QuizStatusPanel::figuresInfoRequested);
}

void QuizStatusPanel::showTexts(const QuizStatusTexts& texts)
{
    m_uebStatLab->setText(texts.statusWord);
    m_uebStatLab->setFontColor(m_uebZeitLab->fontColor());
    m_gesAnzLab->setText(texts.totalText);
    m_tNameLab->setText(texts.nameText);
    m_richtigLab->setText(texts.rightText);
    m_falschLab->setText(texts.wrongText);
    m_quoteLab->setText(texts.rateText);
    m_gesamtleistungLab->setText(texts.scoreText);
    m_offenLab->setText(texts.openText);
    if (m_uebZeitModeLab->text() != texts.timeModeText)
        m_spokenMinutes.clear(); // the clock's name says which time it counts
    m_uebZeitModeLab->setText(texts.timeModeText);
    // The values read with what they count, as the captions beside them are separate labels.
    const auto name = [](QLabel* label, const QString& spoken) {
        if (label->accessibleName() != spoken)
            label->setAccessibleName(spoken);
    };
    name(m_uebStatLab, texts.statusWord);
    name(m_tNameLab, QStringLiteral("Teilnehmer: ") + texts.nameText);
    name(
        m_richtigLab, QStringLiteral("Richtig: ") + texts.rightText + QStringLiteral(" von ") + texts.totalText.mid(5));
    name(m_gesAnzLab, texts.totalText.simplified());
    name(m_falschLab, QStringLiteral("Falsch: ") + texts.wrongText);
    name(m_offenLab, QStringLiteral("Offen: ") + texts.openText);
    name(m_quoteLab, QStringLiteral("Quote: ") + texts.rateText);
    name(m_gesamtleistungLab, QStringLiteral("Gesamtleistung: ") + texts.scoreText);
    showClock(texts.clockText);
    repaint();
}

void QuizStatusPanel::showStatusWord(bool right, const QString& solution)
{
    const QString word = right ? QStringLiteral("Richtig") : QStringLiteral("Falsch");
    m_uebStatLab->setAccessibleName(
        right || solution.isEmpty() ? word : word + QStringLiteral(", richtig wäre: ") + solution);
    m_uebStatLab->setText(word);
    m_uebStatLab->setFontColor(right ? m_richtigLab->fontColor() : m_falschLab->fontColor());
    m_uebStatLab->repaint();
}

void QuizStatusPanel::showClock(const QString& text)
{
    if (m_uebZeitLab->text() != text)
        m_uebZeitLab->setText(text);
    // A label announces every change of its text; the clock's own name keeps it to once a minute.
    const QString minutes = QString::number(text.section(QLatin1Char(':'), 0, 0).toInt());
    if (minutes == m_spokenMinutes)
        return;
    m_spokenMinutes = minutes;
    const QString unit = minutes == QLatin1String("1") ? QStringLiteral(" Minute") : QStringLiteral(" Minuten");
    m_uebZeitLab->setAccessibleName(m_uebZeitModeLab->text() + QLatin1Char(' ') + minutes + unit);
}

QString QuizStatusPanel::statusWord() const
{
    return m_uebStatLab->text();
}

QString QuizStatusPanel::clockText() const
{
    return m_uebZeitLab->text();
}
