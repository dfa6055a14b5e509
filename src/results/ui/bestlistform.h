#pragma once

#include "results/highscorefile.h"

#include <QDialog>

class QPrinter;
class QTableView;
class TextureImage;
class HighScoreGridModel;

// The high-score window: the sorted list in the grid Grid1 (a fixed header row, one row per
// entry), saved as text, copied to the clipboard or printed. The caption is set by whoever
// shows it ("Bestenliste - " and the topic's title). Modal; "Schließen" and Escape close it.
class TBestListForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int formWidth = 697;
    static constexpr int formHeight = 478;

    explicit TBestListForm(QWidget* parent = nullptr);
    ~TBestListForm() override;

    // The entries to show, already sorted. The grid takes them on its next activation.
    void setEntries(const HighScoreList& list);
    // Fills the grid from the entries, with the designed column widths; every activation does it.
    void fillGrid();

    // Every row of the grid, the header included, its cells in column order separated by a tab,
    // each row ended by CR LF.
    QString gridToText() const;

    // Prints the grid on a printer the user has confirmed, scaled to the page width in the
    // proportions of the grid's current column widths; rows that do not fit go on further
    // pages, without repeating the header. False when the printer cannot start.
    bool printGrid(QPrinter& printer) const;

    QTableView* grid() const { return m_grid; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void saveToFile();
    void copyToClipboard();
    void print();

    TextureImage* m_backImg = nullptr;
    QTableView* m_grid = nullptr;
    HighScoreGridModel* m_model = nullptr;
    HighScoreList m_entries;
};
