#include "authoring/ui/questionseditorwindow.h"

#include "authoring/questionimport.h"
#include "authoring/topiceditor.h"
#include "authoring/ui/storabletext.h"
#include "common/textutil.h"
#include "platform/cp1252.h"
#include "quiz/normalizetext.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QValidator>

namespace {

constexpr int hintMs = 6000;
// The picture menu lists this many pictures at most; the program's folder holds a few dozen.
constexpr int maxListedPictures = 400;
// Refused rows shown in one message; the rest are counted.
constexpr int maxListedRefusals = 20;

const QString typeQuestion = QStringLiteral(
    "Das Thema ist kein Thema mit Einzelfragen. Soll es eines werden, so dass das Quiz die Fragen abfragt?");

// What a question cell may not hold, refused where it is typed or pasted: the edit that brings
// it in is undone whole, and the window says why.
class CellValidator : public QValidator
{
public:
    CellValidator(QObject* parent, std::function<void(const QString&)> refused)
        : QValidator(parent)
        , m_refused(std::move(refused))
    { }

    State validate(QString& input, int&) const override
    {
        const QList<char32_t> unstorable = unstorableCharacters(input);
        const QString problem = unstorable.isEmpty() ? questionCellProblem(input) : unstorableHint(unstorable);
        if (problem.isEmpty())
            return Acceptable;
        m_refused(problem);
        return Invalid;
    }

private:
    std::function<void(const QString&)> m_refused;
};

class CellDelegate : public QStyledItemDelegate
{
public:
    CellDelegate(QObject* parent, std::function<void(const QString&)> refused)
        : QStyledItemDelegate(parent)
        , m_refused(std::move(refused))
    { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("ZelleEdit"));
        edit->setFrame(false);
        edit->setValidator(new CellValidator(edit, m_refused));
        return edit;
    }

private:
    std::function<void(const QString&)> m_refused;
};

QTableWidgetItem* cellItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
    return item;
}

} // namespace

QuestionsEditorWindow::QuestionsEditorWindow(TopicEditor& editor, const QString& pictureFolder, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_editor(editor)
    , m_pictureFolder(pictureFolder)
{
    setObjectName(QStringLiteral("EinzelfragenForm"));
    setWindowTitle(QStringLiteral("Einzelfragen bearbeiten"));

    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("FragenTabelle"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Frage"), QStringLiteral("Antwort")});
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Interactive);
    m_table->setColumnWidth(1, 180);
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    m_table->setItemDelegate(new CellDelegate(this, [this](const QString& problem) { showHint(problem); }));
    m_table->setTabKeyNavigation(true);

    auto* newButton = new QPushButton(QStringLiteral("Neue Frage"), this);
    newButton->setObjectName(QStringLiteral("NeueFrageBtn"));
    m_removeButton = new QPushButton(QStringLiteral("Entfernen"), this);
    m_removeButton->setObjectName(QStringLiteral("EntfernenBtn"));
    m_upButton = new QPushButton(QStringLiteral("Nach oben"), this);
    m_upButton->setObjectName(QStringLiteral("NachObenBtn"));
    m_downButton = new QPushButton(QStringLiteral("Nach unten"), this);
    m_downButton->setObjectName(QStringLiteral("NachUntenBtn"));
    auto* fileButton = new QPushButton(QStringLiteral("Aus Datei einfügen..."), this);
    fileButton->setObjectName(QStringLiteral("AusDateiBtn"));
    m_tagButton = new QToolButton(this);
    m_tagButton->setObjectName(QStringLiteral("FrageEinfuegenBtn"));
    m_tagButton->setText(QStringLiteral("Einfügen"));
    m_tagButton->setToolTip(QStringLiteral("Eine erzeugte Frage oder ein Bild in die Frage einfügen"));
    m_tagButton->setPopupMode(QToolButton::InstantPopup);
    auto* tagMenu = new QMenu(m_tagButton);
    tagMenu->setObjectName(QStringLiteral("FrageEinfuegenMenu"));
    m_tagButton->setMenu(tagMenu);
    connect(tagMenu, &QMenu::aboutToShow, this, [this, tagMenu] { buildTagMenu(tagMenu); });

    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("AntwortenLab"));
    m_countLabel->setTextFormat(Qt::PlainText);
    m_countLabel->setWordWrap(true);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("HinweisLab"));
    m_hint->setTextFormat(Qt::PlainText);
    m_hint->setWordWrap(true);
    m_hint->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(hintMs);
    connect(&m_hintTimer, &QTimer::timeout, m_hint, &QLabel::clear);

    auto* applyButton = new QPushButton(QStringLiteral("Übernehmen"), this);
    applyButton->setObjectName(QStringLiteral("UebernehmenBtn"));
    auto* closeButton = new QPushButton(QStringLiteral("Schließen"), this);
    closeButton->setObjectName(QStringLiteral("SchliessenBtn"));

    auto* rowButtons = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*> {newButton, m_removeButton, m_upButton, m_downButton})
        rowButtons->addWidget(w);
    auto* insertButtons = new QHBoxLayout;
    insertButtons->addWidget(m_tagButton);
    insertButtons->addWidget(fileButton);
    insertButtons->addStretch(1);
    auto* endButtons = new QHBoxLayout;
    endButtons->addStretch(1);
    endButtons->addWidget(applyButton);
    endButtons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(rowButtons);
    layout->addLayout(insertButtons);
    layout->addWidget(m_countLabel);
    layout->addWidget(m_hint);
    layout->addLayout(endButtons);
    resize(620, 520);

    connect(newButton, &QPushButton::clicked, this, &QuestionsEditorWindow::addRow);
    connect(m_removeButton, &QPushButton::clicked, this, &QuestionsEditorWindow::removeRows);
    connect(m_upButton, &QPushButton::clicked, this, [this] { moveRow(-1); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { moveRow(1); });
    connect(fileButton, &QPushButton::clicked, this, &QuestionsEditorWindow::importFile);
    connect(applyButton, &QPushButton::clicked, this, &QuestionsEditorWindow::apply);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    // Keys of a spreadsheet: Ctrl+V pastes rows, Ctrl+Z takes back the table's changes and then
    // the document's. A cell being edited keeps them for its own text.
    auto* pasteAction = new QAction(QStringLiteral("Einfügen"), this);
    pasteAction->setShortcut(QKeySequence::Paste);
    auto* undoAction = new QAction(QStringLiteral("Rückgängig"), this);
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redoAction = m_editor.undoStack()->createRedoAction(this, QStringLiteral("Wiederholen"));
    redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {pasteAction, undoAction, redoAction}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
    }
    connect(pasteAction, &QAction::triggered, this, &QuestionsEditorWindow::paste);
    connect(undoAction, &QAction::triggered, this, &QuestionsEditorWindow::undoTable);

    connect(m_table, &QTableWidget::itemChanged, this, [this] {
        if (m_filling)
            return;
        remember();
        updateCount();
    });
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) {
        updateButtons();
        // A reload after undo keeps the page the undo gave back.
        if (row >= 0 && !m_filling)
            emit pageChosen(row + 1);
    });
    // Undo, redo or another file: the table shows the document as it now is.
    connect(&m_editor, &TopicEditor::questionsReplaced, this, [this] {
        if (!m_applying)
            reload();
    });
    connect(&m_editor, &TopicEditor::documentReset, this, &QuestionsEditorWindow::reload);

    reload();
}

QuestionsEditorWindow::~QuestionsEditorWindow()
{
    m_editor.disconnect(this);
    m_table->disconnect(this);
}

QList<SingleQuestion> QuestionsEditorWindow::rows() const
{
    QList<SingleQuestion> questions;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* question = m_table->item(row, 0);
        const QTableWidgetItem* answer = m_table->item(row, 1);
        SingleQuestion q {windowsTrimmed(question ? question->text() : QString()),
            windowsTrimmed(answer ? answer->text() : QString())};
        if (!q.question.isEmpty() || !q.answer.isEmpty())
            questions.append(q);
    }
    return questions;
}

bool QuestionsEditorWindow::hasUnappliedRows() const
{
    return rows() != m_loaded;
}

void QuestionsEditorWindow::reload()
{
    m_loaded = documentQuestions(m_editor.document());
    m_filling = true;
    m_table->setRowCount(0);
    insertRows(0, m_loaded);
    m_filling = false;
    m_history.clear();
    remember();
    updateCount();
    updateButtons();
}

void QuestionsEditorWindow::insertRows(int at, const QList<SingleQuestion>& questions)
{
    if (questions.isEmpty())
        return;
    const bool filling = m_filling;
    m_filling = true;
    at = std::clamp(at, 0, m_table->rowCount());
    for (qsizetype i = 0; i < questions.size(); ++i) {
        const int row = at + int(i);
        m_table->insertRow(row);
        m_table->setItem(row, 0, cellItem(questions.at(i).question));
        m_table->setItem(row, 1, cellItem(questions.at(i).answer));
    }
    m_filling = filling;
    m_table->setCurrentCell(at, 0);
    updateCount();
    updateButtons();
}

void QuestionsEditorWindow::remember()
{
    // The table as it now stands, after a change; rows() would skip the empty rows the teacher
    // added, so the table is read whole.
    QList<SingleQuestion> state;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* question = m_table->item(row, 0);
        const QTableWidgetItem* answer = m_table->item(row, 1);
        state.append({question ? question->text() : QString(), answer ? answer->text() : QString()});
    }
    m_history.append(state);
}

void QuestionsEditorWindow::undoTable()
{
    if (m_history.size() < 2) {
        // Nothing of the table's own since the last apply: the document's change goes back.
        m_editor.undoStack()->undo();
        return;
    }
    // The last entry is the table as it stands; the one before it is what the change replaced.
    m_history.removeLast();
    const QList<SingleQuestion> state = m_history.last();
    const int current = m_table->currentRow();
    m_filling = true;
    m_table->setRowCount(0);
    for (qsizetype i = 0; i < state.size(); ++i) {
        m_table->insertRow(int(i));
        m_table->setItem(int(i), 0, cellItem(state.at(i).question));
        m_table->setItem(int(i), 1, cellItem(state.at(i).answer));
    }
    m_filling = false;
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(std::clamp(current, 0, m_table->rowCount() - 1), 0);
    updateCount();
    updateButtons();
}

void QuestionsEditorWindow::addRow()
{
    const int at = m_table->currentRow() < 0 ? m_table->rowCount() : m_table->currentRow() + 1;
    m_filling = true;
    m_table->insertRow(at);
    m_table->setItem(at, 0, cellItem(QString()));
    m_table->setItem(at, 1, cellItem(QString()));
    m_filling = false;
    remember();
    m_table->setCurrentCell(at, 0);
    m_table->setFocus();
    m_table->editItem(m_table->item(at, 0));
    updateButtons();
}

void QuestionsEditorWindow::removeRows()
{
    QList<int> selected;
    for (const QModelIndex& index : m_table->selectionModel()->selectedIndexes())
        if (!selected.contains(index.row()))
            selected.append(index.row());
    if (selected.isEmpty() && m_table->currentRow() >= 0)
        selected.append(m_table->currentRow());
    if (selected.isEmpty())
        return;
    std::sort(selected.begin(), selected.end(), std::greater<int>());
    m_filling = true;
    for (const int row : std::as_const(selected))
        m_table->removeRow(row);
    m_filling = false;
    remember();
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(std::min(selected.last(), m_table->rowCount() - 1), 0);
    updateCount();
    updateButtons();
}

void QuestionsEditorWindow::moveRow(int step)
{
    const int row = m_table->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= m_table->rowCount())
        return;
    const int column = std::max(0, m_table->currentColumn());
    m_filling = true;
    for (int c = 0; c < 2; ++c) {
        QTableWidgetItem* a = m_table->takeItem(row, c);
        QTableWidgetItem* b = m_table->takeItem(to, c);
        m_table->setItem(row, c, b ? b : cellItem(QString()));
        m_table->setItem(to, c, a ? a : cellItem(QString()));
    }
    m_filling = false;
    remember();
    m_table->setCurrentCell(to, column);
}

void QuestionsEditorWindow::paste()
{
    const QString text = QApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    // A single text goes into the current cell, as a spreadsheet pastes one cell.
    QString single = text;
    if (single.endsWith(QLatin1String("\r\n")))
        single.chop(2);
    else if (single.endsWith(u'\n'))
        single.chop(1);
    if (!single.contains(u'\t') && !single.contains(u'\n') && !single.contains(u'\r') && m_table->currentRow() >= 0) {
        const QList<char32_t> unstorable = unstorableCharacters(single);
        const QString problem = unstorable.isEmpty() ? questionCellProblem(single) : unstorableHint(unstorable);
        if (!problem.isEmpty()) {
            showHint(problem);
            return;
        }
        QTableWidgetItem* item = m_table->item(m_table->currentRow(), std::max(0, m_table->currentColumn()));
        if (item)
            item->setText(windowsTrimmed(single));
        return;
    }
    insertImported(parsePastedQuestions(text), QStringLiteral("Eingefügt"));
}

void QuestionsEditorWindow::importFile()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Fragen aus Datei einfügen");
    request.filter = QStringLiteral("Tabellen als Text (*.csv;*.tsv;*.txt)|*.csv;*.tsv;*.txt|Alle Dateien (*.*)|*.*");
    const QString path = dialogService().openFileName(this, request);
    if (path.isEmpty())
        return;
    insertImported(readQuestionFile(path), QDir::toNativeSeparators(path));
}

void QuestionsEditorWindow::insertImported(const QuestionRows& imported, const QString& source)
{
    const int at = m_table->currentRow() < 0 ? m_table->rowCount() : m_table->currentRow();
    insertRows(at, imported.questions);
    if (!imported.questions.isEmpty())
        remember();
    if (imported.refused.isEmpty() && imported.error.isEmpty())
        return;
    QStringList lines;
    if (!imported.error.isEmpty())
        lines.append(imported.error);
    if (!imported.refused.isEmpty()) {
        lines.append(QStringLiteral("%1 Zeilen wurden eingefügt, %2 nicht:")
                         .arg(imported.questions.size())
                         .arg(imported.refused.size()));
        for (qsizetype i = 0; i < imported.refused.size() && i < maxListedRefusals; ++i) {
            const RefusedQuestionRow& row = imported.refused.at(i);
            lines.append(QStringLiteral("Zeile %1: %2").arg(row.line).arg(row.reason));
        }
        if (imported.refused.size() > maxListedRefusals)
            lines.append(QStringLiteral("... und %1 weitere Zeilen.").arg(imported.refused.size() - maxListedRefusals));
    }
    showMessage(imported.questions.isEmpty() && imported.refused.isEmpty() ? MessageKind::Error : MessageKind::Warning,
        source + QStringLiteral(":\r\n") + lines.join(QStringLiteral("\r\n")), {MessageButton::Ok});
}

void QuestionsEditorWindow::buildTagMenu(QMenu* menu)
{
    menu->clear();
    menu->addAction(
        QStringLiteral("Flaggenfrage <@flaggenfrage>"), this, [this] { insertTag(QStringLiteral("<@flaggenfrage>")); });
    menu->addAction(QStringLiteral("Euromünzfrage <@euromünzfrage>"), this,
        [this] { insertTag(QStringLiteral("<@euromünzfrage>")); });
    QMenu* pictures = menu->addMenu(QStringLiteral("Bild"));
    pictures->setObjectName(QStringLiteral("BildMenu"));
    // Only names a topic can store and a tag can hold are offered.
    const QStringList names = QDir(m_pictureFolder)
                                  .entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg"),
                                                 QStringLiteral("*.jpeg"), QStringLiteral("*.bmp")},
                                      QDir::Files, QDir::Name | QDir::IgnoreCase);
    int listed = 0;
    for (const QString& name : names) {
        if (listed == maxListedPictures)
            break;
        if (name.contains(u'>') || !questionCellProblem(name).isEmpty() || !unstorableCharacters(name).isEmpty())
            continue;
        pictures->addAction(name, this, [this, name] { insertTag(QStringLiteral("<@img=%1>").arg(name)); });
        ++listed;
    }
    if (listed == 0)
        pictures->addAction(QStringLiteral("(keine Bilder im Ordner \"euromuenzen\")"))->setEnabled(false);
}

void QuestionsEditorWindow::insertTag(const QString& tag)
{
    // Into the question being typed, at the cursor; else at the end of the current question.
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (edit && edit->parentWidget() == m_table->viewport() && m_table->currentColumn() == 0) {
        edit->insert(tag);
        return;
    }
    if (m_table->currentRow() < 0)
        addRow();
    insertIntoCurrentCell(tag);
}

void QuestionsEditorWindow::insertIntoCurrentCell(const QString& text)
{
    QTableWidgetItem* item = m_table->item(m_table->currentRow(), 0);
    if (!item) {
        item = cellItem(QString());
        m_table->setItem(m_table->currentRow(), 0, item);
    }
    item->setText(item->text() + text);
}

bool QuestionsEditorWindow::apply()
{
    // A cell still being typed counts.
    if (QWidget* focus = QApplication::focusWidget(); focus && focus->parentWidget() == m_table->viewport())
        m_table->setFocus();
    const QList<SingleQuestion> questions = rows();
    for (qsizetype i = 0; i < questions.size(); ++i) {
        const SingleQuestion& q = questions.at(i);
        QString problem;
        // A row read from an older file may hold what no cell takes when typed.
        const QString questionCell = questionCellProblem(q.question);
        const QString answerCell = questionCellProblem(q.answer);
        if (q.question.isEmpty())
            problem = QStringLiteral("Die Frage fehlt.");
        else if (q.answer.isEmpty())
            problem = QStringLiteral("Die Antwort fehlt.");
        else if (!questionCell.isEmpty())
            problem = QStringLiteral("Frage: ") + questionCell;
        else if (!answerCell.isEmpty())
            problem = QStringLiteral("Antwort: ") + answerCell;
        else
            problem = questionProblem(q);
        if (!problem.isEmpty()) {
            // Empty rows are left out of the count: the row shown is the one meant.
            for (int row = 0, seen = -1; row < m_table->rowCount(); ++row) {
                const QTableWidgetItem* a = m_table->item(row, 0);
                const QTableWidgetItem* b = m_table->item(row, 1);
                if ((a && !windowsTrimmed(a->text()).isEmpty()) || (b && !windowsTrimmed(b->text()).isEmpty()))
                    ++seen;
                if (seen == int(i)) {
                    m_table->setCurrentCell(row, q.question.isEmpty() ? 0 : 1);
                    break;
                }
            }
            showHint(QStringLiteral("Frage %1: %2").arg(i + 1).arg(problem));
            return false;
        }
    }
    const TopicDocument& document = m_editor.document();
    bool makeSingleQuestions = false;
    if (document.DokTyp != DocType::SingleQuestions && !questions.isEmpty())
        makeSingleQuestions = askYesNo(typeQuestion);
    if (questions.isEmpty() && document.DokTyp == DocType::SingleQuestions) {
        showHint(QStringLiteral("Ein Thema mit Einzelfragen braucht mindestens eine Frage."));
        return false;
    }
    emit applying();
    m_applying = true;
    const bool changed = m_editor.setQuestions(questions, makeSingleQuestions);
    m_applying = false;
    if (!changed) {
        showHint(QStringLiteral("Die Fragen sind unverändert."));
        return false;
    }
    m_loaded = questions;
    m_history.clear();
    remember();
    m_hint->clear();
    return true;
}

void QuestionsEditorWindow::closeEvent(QCloseEvent* event)
{
    if (hasUnappliedRows()) {
        const MessageButton answer = askYesNoCancel(QStringLiteral(
            "Die Änderungen an den Einzelfragen sind noch nicht übernommen. Sollen sie übernommen werden?"));
        if (answer == MessageButton::Cancel || (answer == MessageButton::Yes && !apply())) {
            event->ignore();
            return;
        }
        if (answer == MessageButton::No)
            reload();
    }
    QWidget::closeEvent(event);
}

void QuestionsEditorWindow::updateCount()
{
    QSet<QString> answers;
    for (const SingleQuestion& q : rows()) {
        if (!q.answer.isEmpty())
            answers.insert(normalizeText(q.answer));
    }
    QString text = answers.size() == 1 ? QStringLiteral("1 verschiedene Antwort")
                                       : QStringLiteral("%1 verschiedene Antworten").arg(answers.size());
    // The answers of all questions are the quiz's choices.
    if (answers.size() < 2)
        text += QStringLiteral(" – das Quiz braucht mindestens zwei verschiedene Antworten zur Auswahl.");
    m_countLabel->setText(text);
    m_countLabel->setStyleSheet(answers.size() < 2 ? QStringLiteral("color: #b00000;") : QString());
}

void QuestionsEditorWindow::updateButtons()
{
    const int row = m_table->currentRow();
    m_removeButton->setEnabled(row >= 0);
    m_upButton->setEnabled(row > 0);
    m_downButton->setEnabled(row >= 0 && row + 1 < m_table->rowCount());
}

void QuestionsEditorWindow::showHint(const QString& text)
{
    m_hint->setText(text);
    m_hintTimer.start();
}
