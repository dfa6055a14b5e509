#include "quiz/ui/quizenddialog.h"

#include "common/theme.h"
#include "quiz/gradescale.h"
#include "ui/uistyle.h"
#include "widgets/bitbtn.h"
#include "widgets/radiogroup2.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace {

const char* const enteredText = "Das Ergebnis wurde in die Bestenliste eingetragen.";

} // namespace

TUebFertigForm::TUebFertigForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("UebFertigForm"));
    setWindowTitle(QStringLiteral("Quiz beendet"));
    setModal(true);
    setFixedSize(formWidth, formHeight);
    setPanelColour(this, theme().background);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(rect());
    setPanelColour(m_panel, theme().accent);
    m_backImg = new TextureImage(m_panel);

    auto* statistics = new QGroupBox(QStringLiteral(" Statistik "), m_panel);
    statistics->setObjectName(QStringLiteral("StatistikBox"));
    statistics->setGeometry(12, 10, 330, 240);
    QFont valueFont = font();
    valueFont.setBold(true);
    const struct
    {
        const char* caption;
        const char* captionName;
        const char* valueName;
        QLabel** value;
    } rows[] = {
        {"Richtig beantwortet:", "RichtigCapLab", "RichtigLab", &m_richtigLab},
        {"Fehlversuche:", "FalschCapLab", "FalschLab", &m_falschLab},
        {"Erfolgsquote:", "QuoteCapLab", "QuoteLab", &m_quoteLab},
        {"Offene Fragen:", "OffenCapLab", "UebNummernOffenLab", &m_offenLab},
        {"Benötigte Zeit:", "ZeitArtLab", "UebZeitLab", &m_zeitLab},
        {"Gesamtleistung:", "GesamtleistungCapLab", "GesamtleistungLab", &m_gesamtleistungLab},
        {"Bewertung:", "BewertCapLab", "BewertLab", &m_bewertLab},
        {"Schulnote:", "NoteCapLab", "NoteLab", &m_noteLab},
    };
    int y = 24;
    for (const auto& row : rows) {
        auto* caption = new QLabel(QString::fromUtf8(row.caption), statistics);
        caption->setObjectName(QLatin1String(row.captionName));
        caption->setGeometry(14, y, 150, 22);
        if (qstrcmp(row.captionName, "ZeitArtLab") == 0)
            m_zeitArtLab = caption;
        auto* value = new QLabel(statistics);
        value->setObjectName(QLatin1String(row.valueName));
        value->setFont(valueFont);
        value->setGeometry(170, y, 150, 22);
        *row.value = value;
        y += 26;
    }

    auto* scaleBox = new QGroupBox(QStringLiteral(" Bewertungsskala "), m_panel);
    scaleBox->setObjectName(QStringLiteral("BewertSkalaBox"));
    scaleBox->setGeometry(354, 10, 221, 330);
    m_skalaImg = new QLabel(scaleBox);
    m_skalaImg->setObjectName(QStringLiteral("BewertSkalaImg"));
    m_skalaImg->setGeometry(8, 20, 205, 300);

    m_inBestenlisteBtn = addDialogButton(
        m_panel, QStringLiteral("In Bestenliste eintragen"), "InBestenlisteBtn", QRect(12, 260, 180, 28));
    m_inBestenlisteBtn->hide();
    connect(m_inBestenlisteBtn, &QPushButton::clicked, this, &TUebFertigForm::enterHighScore);
    m_bestenlisteLab = new QLabel(m_panel);
    m_bestenlisteLab->setObjectName(QStringLiteral("BestenlisteLab"));
    m_bestenlisteLab->setWordWrap(true);
    m_bestenlisteLab->setGeometry(12, 296, 330, 40);

    m_wiederholenMode = new TRadioGroup2(QStringLiteral(" Quiz wiederholen "),
        {QStringLiteral(" komplett wiederholen "),
            QStringLiteral(" nur Fragen wiederholen, die nicht auf Anhieb korrekt gelöst wurden")},
        m_panel);
    m_wiederholenMode->setObjectName(QStringLiteral("WiederholenMode"));
    m_wiederholenMode->setItemHeight(22);
    m_wiederholenMode->setTopMargin(20);
    m_wiederholenMode->setGeometry(12, 348, 563, 72);
    m_wiederholenMode->setItemIndex(0);

    auto* protocol = addDialogButton(m_panel, QStringLiteral("Protokoll..."), "ProtokollBtn", QRect(12, 428, 110, 28));
    connect(protocol, &QPushButton::clicked, this, &TUebFertigForm::protocolRequested);
    auto* list = addDialogButton(m_panel, QStringLiteral("Bestenliste..."), "BestListBtn", QRect(128, 428, 110, 28));
    connect(list, &QPushButton::clicked, this, &TUebFertigForm::highScoreListRequested);
    auto* repeat
        = addDialogButton(m_panel, QStringLiteral("Quiz wiederholen"), "WiederholenBtn", QRect(349, 428, 110, 28));
    connect(repeat, &QPushButton::clicked, this, [this] { done(Repeat); });
    m_lernBtn = addDialogButton(m_panel, QStringLiteral("Schließen"), "LernBtn", QRect(465, 428, 110, 28));
    connect(m_lernBtn, &QPushButton::clicked, this, [this] { done(Close); });
}

void TUebFertigForm::showFigures(const QuizEndFigures& figures)
{
    m_richtigLab->setText(figures.correct + QStringLiteral("  ") + figures.questionCount);
    m_falschLab->setText(figures.wrong);
    m_quoteLab->setText(figures.successRate);
    m_offenLab->setText(figures.open);
    m_zeitArtLab->setText(figures.timeLimit ? QStringLiteral("Verbliebene Zeit:") : QStringLiteral("Benötigte Zeit:"));
    m_zeitLab->setText(figures.time);
    m_gesamtleistungLab->setText(figures.overallScore);
    m_bewertLab->setText(figures.rating);
    m_noteLab->setText(QString::number(figures.grade));

    m_scale = QImage(m_skalaImg->size(), QImage::Format_RGB32);
    m_scale.fill(m_panel->palette().color(QPalette::Window));
    QPainter painter(&m_scale);
    drawGradeScale(painter, m_scale.rect(), figures.score);
    painter.end();
    m_skalaImg->setPixmap(QPixmap::fromImage(m_scale));
}

void TUebFertigForm::prepareRepeat(int netRole, int wrongCount)
{
    const bool partialPossible = netRole == 0 && wrongCount >= 1;
    m_wiederholenMode->setEnabled(partialPossible);
    if (!partialPossible)
        m_wiederholenMode->setItemIndex(0);
}

int TUebFertigForm::repeatMode() const
{
    return qMax(0, m_wiederholenMode->itemIndex());
}

void TUebFertigForm::setHighScoreSaver(HighScoreSaver saver)
{
    m_saveHighScore = std::move(saver);
}

void TUebFertigForm::prepareHighScore(bool autoEnter, int netRole, int selectionMode)
{
    m_resultEntered = false;
    m_bestenlisteLab->clear();
    m_inBestenlisteBtn->hide();
    const bool mayEnter = netRole == 0 && selectionMode != 1;
    if (mayEnter && autoEnter)
        saveHighScore();
    if (mayEnter && !m_resultEntered)
        m_inBestenlisteBtn->show();
}

bool TUebFertigForm::saveHighScore()
{
    if (!m_saveHighScore || !m_saveHighScore())
        return false;
    m_resultEntered = true;
    m_bestenlisteLab->setText(QString::fromUtf8(enteredText));
    emit highScoreEntered();
    return true;
}

void TUebFertigForm::enterHighScore()
{
    // A second entry of the same result would count it twice.
    if (m_resultEntered)
        return;
    if (saveHighScore())
        m_inBestenlisteBtn->hide();
    else
        emit highScoreEntryFailed();
}

void TUebFertigForm::showEvent(QShowEvent* event)
{
    m_backImg->paintNineSlice(ThemeTextures::builtIn().texture2);
    styleDialogButtons(this);
    if (const QScreen* onScreen = screen() ? screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(onScreen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
    m_lernBtn->setFocus();
}
