#include "quiz/ui/labeloptionsdialog.h"

#include "quiz/quizoptions.h"
#include "widgets/bitbtn.h"
#include "widgets/radiogroup2.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int formWidth = 620;

// The small pictures beside the query modes: a card with its targets and the text tiles,
// all tiles at once, one tile at the right edge, or one target marked.
QPixmap queryModePicture(int mode)
{
    QPixmap picture(30, 20);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(90, 90, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, 19, 19);
    const QColor target(170, 190, 230);
    const QColor tile(255, 240, 150);
    for (int i = 0; i < 3; ++i)
        painter.fillRect(3, 3 + 5 * i, 7, 3, mode == 2 && i == 1 ? QColor(230, 60, 60) : target);
    painter.setBrush(tile);
    if (mode == 0) {
        for (int i = 0; i < 3; ++i)
            painter.drawRect(21 + (i % 2) * 2, 2 + 6 * i, 7, 4);
    } else if (mode == 1) {
        painter.drawRect(21, 8, 8, 4);
    } else {
        painter.drawRect(21, 2, 7, 4);
        painter.drawRect(21, 14, 7, 4);
    }
    return picture;
}

// A line beside an item of group, starting at column x of the group.
QLabel* addItemText(TRadioGroup2* group, int item, int x, const QString& text)
{
    const QRect row = group->itemRect(item);
    auto* label = new QLabel(text, group);
    label->setGeometry(x, row.top(), group->width() - x - 6, row.height());
    return label;
}

} // namespace

TUebOptForm::TUebOptForm(QWidget* parent)
    : QuizOptionsDialogBase(QStringLiteral("UebOptForm"),
        QStringLiteral("Übungsoptionen für Bildbeschriftung und Lückentext"), QSize(formWidth, reducedHeight), parent)
{
    m_abfrageModus = addGroup("AbfrageModus", QStringLiteral(" Abfragemodus "),
        {QStringLiteral(" freie Zuordnung "), QStringLiteral(" Einzelabfrage Texte "),
            QStringLiteral(" Einzelabfrage Positionen ")},
        QRect(12, 12, 230, 96));
    for (int mode = 0; mode < 3; ++mode) {
        auto* picture = new QLabel(panel());
        picture->setObjectName(QStringLiteral("AbfrageModusImg%1").arg(mode + 1));
        picture->setPixmap(queryModePicture(mode));
        const QRect row = m_abfrageModus->itemRect(mode).translated(m_abfrageModus->pos());
        picture->setGeometry(252, row.top() + 1, 30, 20);
    }
    addText(QStringLiteral("Texte in beliebiger Reihenfolge zuordnen"), QRect(290, 28, 206, 30));
    addText(QStringLiteral("Bei der Einzelabfrage werden Texte bzw. Positionen einzeln vorgegeben."),
        QRect(290, 58, 206, 44));

    addTimeLimit({QStringLiteral(" ohne Zeitlimit"), QStringLiteral(" mit Zeitlimit:")}, QRect(12, 116, 290, 74));
    addNetworkNote(QRect(312, 114, 184, 80));
    const QPoint belowButtons = addButtons(QPoint(508, 18));
    m_erwBtn = new TBitBtn2(QStringLiteral("Erweitert..."), panel());
    m_erwBtn->setObjectName(QStringLiteral("ErwBtn"));
    m_erwBtn->setGeometry(QRect(belowButtons, QSize(100, 28)));
    connect(m_erwBtn, &QPushButton::clicked, this, &TUebOptForm::toggleExtended);
    addShowCheck("UebOptZeigenCheck", QRect(12, 236, 400, 22));

    // The further options, below the reduced form's edge.
    m_zuordnungRichtig = addGroup("ZuordnungRichtig", QStringLiteral(" Verhalten bei richtiger Zuordnung "),
        {QStringLiteral(" Beschriftung einblenden "), QStringLiteral(" grünes Häkchen setzen ")},
        QRect(12, 276, 300, 74));
    m_zuordnungFalsch = addGroup("ZuordnungFalsch", QStringLiteral(" Verhalten bei falscher Zuordnung (Fehlversuch) "),
        {QStringLiteral(" beliebig viele Zuordnungsversuche erlaubt "), QStringLiteral(" rotes Kreuz setzen,  ")},
        QRect(12, 358, 300, 96));
    {
        // The second item's caption goes on in a line of its own, under the item's text.
        const QStyle* style = m_zuordnungFalsch->style();
        const int indent = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
            + style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
        QLabel* continuation = addItemText(m_zuordnungFalsch, 2, m_zuordnungFalsch->leftMargin() + indent,
            QStringLiteral("keine erneute Zuordnung an dieser Position"));
        continuation->setObjectName(QStringLiteral("ZF1Lab"));
    }
    m_zuordnungstexte = addGroup("Zuordnungstexte", QStringLiteral(" Zuordnungstexte "),
        {QStringLiteral(" alphabetisch geordnet "), QStringLiteral(" zufällig gemischt ")}, QRect(324, 276, 284, 74));
    addItemText(m_zuordnungstexte, 0, 210, QStringLiteral("A B C D ..."));
    addItemText(m_zuordnungstexte, 1, 210, QStringLiteral("B D A C ..."));
    m_zuordnungsziele = addGroup("Zuordnungsziele", QStringLiteral(" Zuordnungsziele (Positionen) "),
        {QStringLiteral(" geordnet nummeriert "), QStringLiteral(" zufällig gemischt nummeriert "),
            QStringLiteral(" Fragezeichen ")},
        QRect(324, 358, 284, 96));
    addItemText(m_zuordnungsziele, 0, 210, QStringLiteral("1 2 3 4 ..."));
    addItemText(m_zuordnungsziele, 1, 210, QStringLiteral("2 4 1 3 ..."));
    addItemText(m_zuordnungsziele, 2, 210, QStringLiteral("?"));
    for (TRadioGroup2* group : {m_zuordnungRichtig, m_zuordnungFalsch, m_zuordnungstexte, m_zuordnungsziele})
        group->hide();

    setOptions(QuizOptions());
}

void TUebOptForm::setOptions(const QuizOptions& options)
{
    const LabelQuizOptions defaults;
    const LabelQuizOptions& l = options.labelling;
    showChoice(m_abfrageModus, l.abfrageModus, defaults.abfrageModus);
    showTimeLimit(l.zeitlimit, l.zLimitMin, l.zLimitSek, defaults.zeitlimit, defaults.zLimitMin, defaults.zLimitSek);
    showChoice(m_zuordnungRichtig, l.zuordnungRichtig, defaults.zuordnungRichtig);
    showChoice(m_zuordnungFalsch, l.zuordnungFalsch, defaults.zuordnungFalsch);
    showChoice(m_zuordnungstexte, l.zuordnungstexte, defaults.zuordnungstexte);
    showChoice(m_zuordnungsziele, l.zuordnungsziele, defaults.zuordnungsziele);
    setShowBeforeQuiz(options.showDialogBeforeQuiz);
}

void TUebOptForm::applyTo(QuizOptions& options) const
{
    LabelQuizOptions& l = options.labelling;
    l.abfrageModus = m_abfrageModus->itemIndex();
    l.zeitlimit = timeLimitChoice();
    l.zLimitMin = minutesText();
    l.zLimitSek = secondsText();
    l.zuordnungRichtig = m_zuordnungRichtig->itemIndex();
    l.zuordnungFalsch = m_zuordnungFalsch->itemIndex();
    l.zuordnungstexte = m_zuordnungstexte->itemIndex();
    l.zuordnungsziele = m_zuordnungsziele->itemIndex();
    options.showDialogBeforeQuiz = showBeforeQuiz();
}

void TUebOptForm::toggleExtended()
{
    const bool extend = !isExtended();
    setFixedSize(width(), extend ? extendedHeight : reducedHeight);
    m_erwBtn->setText(extend ? QStringLiteral("Reduziert...") : QStringLiteral("Erweitert..."));
    for (TRadioGroup2* group : {m_zuordnungRichtig, m_zuordnungstexte, m_zuordnungFalsch, m_zuordnungsziele})
        group->setVisible(extend);

    const QScreen* onScreen = screen() ? screen() : QGuiApplication::primaryScreen();
    if (onScreen) {
        QRect frame = frameGeometry();
        frame.moveCenter(onScreen->availableGeometry().center());
        move(frame.topLeft());
    }
}
