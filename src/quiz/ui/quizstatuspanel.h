#pragma once

#include <QWidget>

class THoverPanel;
class TShadowLabel;
struct QuizStatusTexts;

// The status panel beside the card during a quiz (UebInfoPan): the status word, the participant,
// the counts, both rates and the clock, and the "?" button that explains the figures.
class QuizStatusPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int panelWidth = 190;

    explicit QuizStatusPanel(QWidget* parent = nullptr);

    // Every label from the engine's texts; the status word in the clock's colour. The panel is
    // repainted at once, as a pupil must see the counts change before the next question.
    void showTexts(const QuizStatusTexts& texts);
    // "Richtig" in the colour of the right count, "Falsch" in that of the wrong count. The word
    // is also the status label's accessible name, whose change screen readers announce; a wrong
    // answer whose solution is shown says it there ("Falsch, richtig wäre: Belgien").
    void showStatusWord(bool right, const QString& solution = {});
    // The clock label, rewritten only when its text changes.
    void showClock(const QString& text);

    QString statusWord() const;
    QString clockText() const;

signals:
    // The "?" button: the explanation of the figures.
    void figuresInfoRequested();

private:
    TShadowLabel* m_uebStatLab = nullptr;
    TShadowLabel* m_gesAnzLab = nullptr;
    TShadowLabel* m_tNameLab = nullptr;
    TShadowLabel* m_richtigLab = nullptr;
    TShadowLabel* m_falschLab = nullptr;
    TShadowLabel* m_quoteLab = nullptr;
    TShadowLabel* m_gesamtleistungLab = nullptr;
    TShadowLabel* m_offenLab = nullptr;
    TShadowLabel* m_uebZeitModeLab = nullptr;
    TShadowLabel* m_uebZeitLab = nullptr;
    THoverPanel* m_kennzInfoPan = nullptr;
    QString m_spokenMinutes; // the clock as last spoken, at most once a minute
};
