#pragma once

#include <QDialog>
#include <QImage>

#include <functional>

class QLabel;
class TBitBtn2;
class TRadioGroup2;
class TextureImage;

// The figures of a finished quiz, as texts the status panel already shows.
struct QuizEndFigures
{
    QString correct; // right answers ("17")
    QString questionCount; // the status panel's question count ("von  20")
    QString wrong; // wrong attempts
    QString successRate; // "85.0 %"
    QString open; // questions still open
    QString time; // the clock, "MM:SS"
    bool timeLimit = false; // the clock shows the time left rather than the time taken
    QString overallScore; // "72.5 %"
    QString rating; // the rating word of the grade
    int grade = 6;
    double score = 0.0; // the overall score from 0 to 1, for the grade scale
};

// The dialog at the end of a quiz: the statistics, the grade scale, entry into the high-score
// list and the choice to repeat.
//
// Use (create once, reuse): showFigures(), prepareRepeat(), prepareHighScore(), then exec()
// in a loop; Repeat means start again with repeatMode(), Close (also the window's close box)
// means back to the learning card. The protocol and high-score list buttons only signal; the
// entry into the list goes through the saver the main window sets.
class TUebFertigForm : public QDialog
{
    Q_OBJECT
public:
    enum Result { Close = QDialog::Rejected, Repeat = QDialog::Accepted };

    static constexpr int formWidth = 587;
    static constexpr int formHeight = 467;

    explicit TUebFertigForm(QWidget* parent = nullptr);

    // Fills the statistics and draws the grade scale.
    void showFigures(const QuizEndFigures& figures);

    // The partial repeat is a choice only after the user's own quiz (netRole 0) with at least
    // one wrong attempt; otherwise the group is disabled and set to the complete repeat.
    void prepareRepeat(int netRole, int wrongCount);
    // 0 repeat everything, 1 only the questions not solved at the first try.
    int repeatMode() const;

    // Enters the current result into the topic's high-score list and says whether it worked;
    // it reports its own errors. Without a saver every entry fails.
    using HighScoreSaver = std::function<bool()>;
    void setHighScoreSaver(HighScoreSaver saver);

    // The high-score part of the dialog for a quiz just ended. A partial repeat
    // (selectionMode 1) and a network quiz never enter the list; otherwise the result is
    // entered at once with autoEnter, or offered with "In Bestenliste eintragen".
    void prepareHighScore(bool autoEnter, int netRole, int selectionMode);
    // True once the result of the quiz last prepared is in the list.
    bool resultEntered() const { return m_resultEntered; }

    // The grade scale as last drawn.
    QImage gradeScale() const { return m_scale; }

signals:
    void protocolRequested();
    void highScoreListRequested();
    // The result went into the list (automatically or by the button).
    void highScoreEntered();
    // Entering by the button failed: the folder of the lists should be corrected.
    void highScoreEntryFailed();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void enterHighScore();
    bool saveHighScore();

    QWidget* m_panel = nullptr;
    TextureImage* m_backImg = nullptr;
    QLabel* m_richtigLab = nullptr;
    QLabel* m_falschLab = nullptr;
    QLabel* m_quoteLab = nullptr;
    QLabel* m_offenLab = nullptr;
    QLabel* m_zeitArtLab = nullptr;
    QLabel* m_zeitLab = nullptr;
    QLabel* m_gesamtleistungLab = nullptr;
    QLabel* m_bewertLab = nullptr;
    QLabel* m_noteLab = nullptr;
    QLabel* m_skalaImg = nullptr;
    QLabel* m_bestenlisteLab = nullptr;
    TRadioGroup2* m_wiederholenMode = nullptr;
    TBitBtn2* m_inBestenlisteBtn = nullptr;
    TBitBtn2* m_lernBtn = nullptr;
    HighScoreSaver m_saveHighScore;
    bool m_resultEntered = false;
    QImage m_scale;
};
