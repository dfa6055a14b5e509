#pragma once

#include "document/questionsource.h"

#include <QList>
#include <QTimer>
#include <QWidget>

class QLabel;
class QMenu;
class QPushButton;
class QTableWidget;
class QToolButton;
class TopicEditor;

// The questions editor: a tool window with the topic's single questions as a table, a question
// and its answer a row, as a teacher keeps them in a spreadsheet. Rows are typed, pasted from a
// spreadsheet (tab-separated, at the current row) or read from a CSV file; "Übernehmen" makes the
// topic's pages from them through the TopicEditor as one undo entry.
//
// A cell refuses what a topic cannot store where it is typed: "//", a line break, a character
// outside Windows-1252. The table changes the document only when applied; Ctrl+Z in the window
// takes back the table's own changes since then, and after those the document's.
class QuestionsEditorWindow : public QWidget
{
    Q_OBJECT
public:
    // The editor outlives the window. pictureFolder: the program's question pictures, offered as
    // "<@img=NAME>". With a parent the window is a tool window of it.
    QuestionsEditorWindow(TopicEditor& editor, const QString& pictureFolder, QWidget* parent = nullptr);
    ~QuestionsEditorWindow() override;

    // The rows as they stand, without rows left empty; cells trimmed.
    QList<SingleQuestion> rows() const;
    // Inserts rows before row `at` (at the end for an index past it) and selects the first.
    void insertRows(int at, const QList<SingleQuestion>& questions);
    // The table's text since the last apply or load differs from the document's.
    bool hasUnappliedRows() const;

    // Pastes the clipboard's text: tab-separated rows at the current row, or a single text into
    // the current cell. Bad rows are listed, good ones inserted.
    void paste();
    // Asks for a CSV or tab-separated file and inserts its rows at the current row.
    void importFile();
    // Checks the rows and applies them; false when refused, cancelled or nothing changed.
    bool apply();
    // Reads the table anew from the document.
    void reload();

signals:
    // About to change the document: other editors apply what they hold first.
    void applying();
    // The teacher chose the question at page (1-based) in the table.
    void pageChosen(int page);

protected:
    // Rows not yet applied are offered for applying before the window goes.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildTagMenu(QMenu* menu);
    void insertTag(const QString& tag);
    void insertIntoCurrentCell(const QString& text);
    void addRow();
    void removeRows();
    void moveRow(int step);
    void remember();
    void undoTable();
    void insertImported(const struct QuestionRows& imported, const QString& source);
    void updateCount();
    void updateButtons();
    void showHint(const QString& text);

    TopicEditor& m_editor;
    QString m_pictureFolder;
    // The table's states since the last apply or load, the last one as it stands, for Ctrl+Z.
    QList<QList<SingleQuestion>> m_history;
    QList<SingleQuestion> m_loaded;
    bool m_filling = false;
    bool m_applying = false;
    QTimer m_hintTimer;

    QTableWidget* m_table = nullptr;
    QLabel* m_countLabel = nullptr;
    QLabel* m_hint = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_upButton = nullptr;
    QPushButton* m_downButton = nullptr;
    QToolButton* m_tagButton = nullptr;
};
