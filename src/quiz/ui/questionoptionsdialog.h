#pragma once

#include "quiz/ui/optionsdialogbase.h"

struct QuizOptions;
class TRadioGroup2;

// The exercise options for single questions. Its controls carry the names of the labelling
// dialog's controls, with meanings of their own (see QuestionQuizOptions).
//
// Use as TUebOptForm: setOptions() before showing, exec(), then applyTo() whatever the result.
// Both dialogs show the one "show before every exercise" flag of QuizOptions.
class TUebOptFragenForm : public QuizOptionsDialogBase
{
    Q_OBJECT
public:
    explicit TUebOptFragenForm(QWidget* parent = nullptr);

    // Shows the single-question options and the shared flag.
    void setOptions(const QuizOptions& options);
    // Writes the single-question options and the shared flag; the labelling options stay.
    void applyTo(QuizOptions& options) const;

private:
    TRadioGroup2* m_zuordnungFalsch = nullptr;
    TRadioGroup2* m_zuordnungstexte = nullptr;
    TRadioGroup2* m_zuordnungsziele = nullptr;
};
