#include "quiz/ui/questionoptionsdialog.h"

#include "quiz/quizoptions.h"
#include "widgets/radiogroup2.h"

TUebOptFragenForm::TUebOptFragenForm(QWidget* parent)
    : QuizOptionsDialogBase(
        QStringLiteral("UebOptFragenForm"), QStringLiteral("Übungsoptionen für Einzelfragen"), QSize(620, 300), parent)
{
    m_zuordnungFalsch = addGroup("ZuordnungFalsch", QStringLiteral(" Abfragemodus "),
        {QStringLiteral(" solange wiederholen, bis jede Frage richtig beantwortet wurde "),
            QStringLiteral(" jede Frage nur einmal stellen ")},
        QRect(12, 12, 484, 74));
    addTimeLimit({QStringLiteral(" ohne Zeitlimit "), QStringLiteral(" Zeitlimit von: ")}, QRect(12, 96, 290, 74));
    addNetworkNote(QRect(312, 94, 184, 80));
    m_zuordnungstexte = addGroup("Zuordnungstexte", QStringLiteral(" Antwortmöglichkeiten "),
        {QStringLiteral(" alphabetisch geordnet "), QStringLiteral(" zufällig gemischt ")}, QRect(12, 180, 236, 74));
    m_zuordnungsziele = addGroup("Zuordnungsziele", QStringLiteral(" Reihenfolge der Fragen "),
        {QStringLiteral(" geordnet "), QStringLiteral(" zufällig gemischt ")}, QRect(260, 180, 236, 74));
    addButtons(QPoint(508, 18));
    addShowCheck("UebOptFragenZeigenCheck", QRect(12, 264, 400, 22));

    setOptions(QuizOptions());
}

void TUebOptFragenForm::setOptions(const QuizOptions& options)
{
    const QuestionQuizOptions defaults;
    const QuestionQuizOptions& q = options.questions;
    showChoice(m_zuordnungFalsch, q.zuordnungFalsch, defaults.zuordnungFalsch);
    showTimeLimit(q.zeitlimit, q.zLimitMin, q.zLimitSek, defaults.zeitlimit, defaults.zLimitMin, defaults.zLimitSek);
    showChoice(m_zuordnungstexte, q.zuordnungstexte, defaults.zuordnungstexte);
    showChoice(m_zuordnungsziele, q.zuordnungsziele, defaults.zuordnungsziele);
    setShowBeforeQuiz(options.showDialogBeforeQuiz);
}

void TUebOptFragenForm::applyTo(QuizOptions& options) const
{
    QuestionQuizOptions& q = options.questions;
    q.zuordnungFalsch = m_zuordnungFalsch->itemIndex();
    q.zeitlimit = timeLimitChoice();
    q.zLimitMin = minutesText();
    q.zLimitSek = secondsText();
    q.zuordnungstexte = m_zuordnungstexte->itemIndex();
    q.zuordnungsziele = m_zuordnungsziele->itemIndex();
    options.showDialogBeforeQuiz = showBeforeQuiz();
}
