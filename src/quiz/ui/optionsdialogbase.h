#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class TBitBtn2;
class TNumEdit;
class TRadioGroup2;
class TextureImage;

// What the two exercise option dialogs share: the textured panel, the time limit with its
// minute and second fields, the check box "show before every exercise", the start and close
// buttons and the note for the initiator of a network exercise.
//
// The dialogs are where the options live while the program runs: "Schließen" only means
// "do not start now", so the caller takes the options back however the dialog was closed.
class QuizOptionsDialogBase : public QDialog
{
    Q_OBJECT
public:
    // Shows the note for the initiator of a network exercise and the caption prefixed with
    // "Netzwerk-" until the dialog closes, which restores both.
    void showNetworkInitiation();

    void done(int result) override;

protected:
    QuizOptionsDialogBase(const QString& objectName, const QString& caption, const QSize& size, QWidget* parent);

    // The dialogs place the parts themselves; every part is a child of the panel and carries
    // its fixed object name.
    TRadioGroup2* addGroup(const char* name, const QString& title, const QStringList& items, const QRect& geometry);
    void addTimeLimit(const QStringList& items, const QRect& geometry);
    void addShowCheck(const char* name, const QRect& geometry);
    // "Übung starten" and "Schließen" one above the other; returns the place below them.
    QPoint addButtons(const QPoint& topLeft);
    void addNetworkNote(const QRect& geometry);
    QLabel* addText(const QString& text, const QRect& geometry);

    // A stored value the dialog could not have produced shows the default instead.
    void showTimeLimit(int choice, const QString& minutes, const QString& seconds, int defaultChoice,
        const QString& defaultMinutes, const QString& defaultSeconds);
    int timeLimitChoice() const;
    // The fields as typed; an empty field counts as 0.
    QString minutesText() const;
    QString secondsText() const;
    bool showBeforeQuiz() const;
    void setShowBeforeQuiz(bool on);
    static void showChoice(TRadioGroup2* group, int value, int fallback);

    QWidget* panel() const { return m_panel; }

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_caption;
    QWidget* m_panel = nullptr;
    TextureImage* m_backImg = nullptr;
    TRadioGroup2* m_zeitlimit = nullptr;
    TNumEdit* m_minutes = nullptr;
    TNumEdit* m_seconds = nullptr;
    QCheckBox* m_showCheck = nullptr;
    TBitBtn2* m_okBtn = nullptr;
    QWidget* m_networkNote = nullptr;
};
