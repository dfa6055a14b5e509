#pragma once

#include "quiz/ui/optionsdialogbase.h"

struct QuizOptions;
class TBitBtn2;
class TRadioGroup2;

// The exercise options for image labelling and cloze text. It opens reduced to the query mode
// and the time limit; "Erweitert..." adds the behaviour on right and wrong answers and the
// order of texts and targets.
//
// Use: create once with the main window, setOptions() before showing, exec(); afterwards
// applyTo() the program's options whatever the result (Accepted means "Übung starten").
class TUebOptForm : public QuizOptionsDialogBase
{
    Q_OBJECT
public:
    static constexpr int reducedHeight = 276;
    static constexpr int extendedHeight = 514;

    explicit TUebOptForm(QWidget* parent = nullptr);

    // Shows the labelling options and the shared "show before every exercise" flag.
    void setOptions(const QuizOptions& options);
    // Writes the labelling options and the shared flag into options; the single-question
    // options in it stay as they are.
    void applyTo(QuizOptions& options) const;

    bool isExtended() const { return height() == extendedHeight; }
    // What "Erweitert..." / "Reduziert..." does: switches the view and centres the form.
    void toggleExtended();

private:
    TRadioGroup2* m_abfrageModus = nullptr;
    TRadioGroup2* m_zuordnungRichtig = nullptr;
    TRadioGroup2* m_zuordnungFalsch = nullptr;
    TRadioGroup2* m_zuordnungstexte = nullptr;
    TRadioGroup2* m_zuordnungsziele = nullptr;
    TBitBtn2* m_erwBtn = nullptr;
};
