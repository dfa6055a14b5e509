#pragma once

#include <QDialog>

class NetParticipantTable;
class NetQuestionTable;
class QLabel;
class QTabWidget;
class QTableView;
class QTimer;

// The teacher's control display of a running network exercise: the participants' progress and
// the questions the class mixes up, live, with the export of either page for a spreadsheet. It is
// not modal, so the teacher keeps using the program meanwhile.
class NetControlWindow : public QDialog
{
    Q_OBJECT
public:
    NetControlWindow(NetParticipantTable& participants, NetQuestionTable& questions, QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    QTableView* participantView() const { return m_participantView; }
    QTableView* questionView() const { return m_questionView; }
    QString summaryText() const;
    // A running notice above the summary (results waiting to be saved); empty hides it.
    void setNotice(const QString& text);
    // Whether the exercise runs: only then can it be ended here.
    void setExerciseRunning(bool running);

    // Writes the page shown as CSV (semicolons, UTF-8 with byte-order mark) or as tab-separated
    // text to path, replacing a file there only once all is written. False, after an error message,
    // when it cannot be written.
    bool exportPage(const QString& path, bool csv);

signals:
    // "Bestenliste": the class's high-score list.
    void highScoreListRequested();
    // "Übung beenden": the teacher wants to end the exercise (the window asks first).
    void endRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void askAndExport(bool csv);
    void refreshSummary();

    NetParticipantTable& m_participants;
    NetQuestionTable& m_questions;
    QTabWidget* m_pages;
    QTableView* m_participantView;
    QTableView* m_questionView;
    QLabel* m_summary;
    QLabel* m_notice;
    QWidget* m_endButton;
    QTimer* m_clock;
    QTimer* m_summaryDue;
};
