#include "authoring/ui/clozetexteditorwindow.h"

#include "authoring/topiceditor.h"
#include "cardview/cardview.h"
#include "document/clozesource.h"
#include "ui/messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The preview shows the card at about half its usual size: the text stays readable and the
// window fits beside the main window.
const QSize previewSize(440, 300);

const QString makeClozeQuestion
    = QStringLiteral("Das Thema ist noch kein Lückentext: Das Quiz fragt seine Lücken erst ab, wenn es einer ist.\r\n"
                     "Soll das Thema ein Lückentext werden?");
const QString unappliedQuestion
    = QStringLiteral("Der geänderte Lückentext wurde noch nicht übernommen. Soll er jetzt übernommen werden?");
const QString topicChangedHint
    = QStringLiteral("Der Lückentext des Themas wurde inzwischen geändert. Dieser Text ist noch nicht übernommen; "
                     "\"Übernehmen\" ersetzt den des Themas.");
const QString lineBreakHint = QStringLiteral("Eine Lücke kann keinen Zeilenumbruch enthalten: Bitte ein Wort "
                                             "oder mehrere Wörter in einer Zeile markieren.");

QString problemText(const ClozeProblem& problem)
{
    if (problem.line <= 0)
        return problem.text;
    if (problem.column <= 0)
        return QStringLiteral("Zeile %1: %2").arg(problem.line).arg(problem.text);
    return QStringLiteral("Zeile %1, Spalte %2: %3").arg(problem.line).arg(problem.column).arg(problem.text);
}

// The topic's text as the field shows it: one line break per line.
QString shownText(const QString& stored)
{
    QString text = stored;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

} // namespace

ClozeTextEditorWindow::ClozeTextEditorWindow(TopicEditor& editor, QWidget* parent)
    : QWidget(parent, Qt::Tool)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("LueckentextEditor"));
    setWindowTitle(QStringLiteral("Lückentext bearbeiten"));

    m_checkPause.setSingleShot(true);
    m_checkPause.setInterval(checkPauseMs);
    connect(&m_checkPause, &QTimer::timeout, this, &ClozeTextEditorWindow::updateChecks);

    auto* explanation = new QLabel(
        QStringLiteral("Eine Lücke steht so im Text: <<Wort>>. Fett, kursiv und unterstrichen: <B>...</B>, "
                       "<I>...</I>, <U>...</U>."),
        this);
    explanation->setTextFormat(Qt::PlainText);
    explanation->setWordWrap(true);

    m_textEdit = new QPlainTextEdit(this);
    m_textEdit->setObjectName(QStringLiteral("LueckentextMemo"));
    // Long paragraphs wrap as in a word processor; the problems still name the line as the
    // text has it (a paragraph), which is what the card lays out.
    m_textEdit->setMinimumSize(360, 160);
    connect(m_textEdit, &QPlainTextEdit::textChanged, &m_checkPause, qOverload<>(&QTimer::start));

    // The key works in the whole window, the text field included, which has no use of its own for
    // it.
    auto* gapAction = new QAction(QStringLiteral("Lücke"), this);
    gapAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    gapAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    addAction(gapAction);
    connect(gapAction, &QAction::triggered, this, &ClozeTextEditorWindow::toggleGap);
    m_gapButton = new QPushButton(QStringLiteral("&Lücke"), this);
    m_gapButton->setObjectName(QStringLiteral("LueckeBtn"));
    m_gapButton->setToolTip(QStringLiteral("Markiertes Wort zur Lücke machen oder Lücke aufheben (Strg+G)"));
    m_gapButton->setFocusPolicy(Qt::NoFocus);
    connect(m_gapButton, &QPushButton::clicked, gapAction, &QAction::trigger);

    m_problemList = new QListWidget(this);
    m_problemList->setObjectName(QStringLiteral("FehlerListe"));
    m_problemList->setMaximumHeight(90);
    m_problemList->setStyleSheet(QStringLiteral("color: #b00000;"));
    // A problem chosen in the list puts the cursor where it is.
    connect(m_problemList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int line = item->data(Qt::UserRole).toInt();
        const int column = item->data(Qt::UserRole + 1).toInt();
        const QTextBlock block = m_textEdit->document()->findBlockByNumber(line - 1);
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, std::max(0, column - 1));
        m_textEdit->setTextCursor(cursor);
        m_textEdit->setFocus();
    });

    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("LueckentextHinweis"));
    m_hint->setTextFormat(Qt::PlainText);
    m_hint->setWordWrap(true);
    m_hint->hide();

    m_preview = new QLabel(this);
    m_preview->setObjectName(QStringLiteral("Vorschau"));
    m_preview->setFixedSize(previewSize);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setFrameShape(QFrame::StyledPanel);

    m_applyButton = new QPushButton(QStringLiteral("Ü&bernehmen"), this);
    m_applyButton->setObjectName(QStringLiteral("UebernehmenBtn"));
    connect(m_applyButton, &QPushButton::clicked, this, &ClozeTextEditorWindow::apply);
    m_closeButton = new QPushButton(QStringLiteral("&Schließen"), this);
    m_closeButton->setObjectName(QStringLiteral("SchliessenBtn"));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* tools = new QHBoxLayout;
    tools->addWidget(m_gapButton);
    tools->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_applyButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(tools);
    layout->addWidget(m_textEdit, 1);
    layout->addWidget(m_problemList);
    layout->addWidget(m_hint);
    layout->addWidget(new QLabel(QStringLiteral("Vorschau:"), this));
    layout->addWidget(m_preview);
    layout->addLayout(buttons);

    connect(&m_editor, &TopicEditor::clozeTextChanged, this, &ClozeTextEditorWindow::topicTextChanged);
    connect(&m_editor, &TopicEditor::documentReset, this, &ClozeTextEditorWindow::topicTextChanged);
    loadTopicText();
}

ClozeTextEditorWindow::~ClozeTextEditorWindow()
{
    m_editor.disconnect(this);
}

QString ClozeTextEditorWindow::fieldText() const
{
    // The raw text keeps a non-breaking space, which the plain text would turn into a blank.
    QString text = m_textEdit->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

bool ClozeTextEditorWindow::hasUnappliedText() const
{
    return checkClozeText(fieldText()).stored != m_loadedText;
}

void ClozeTextEditorWindow::loadTopicText()
{
    const QString shown = shownText(m_editor.document().lueckentext);
    // A text from a file made elsewhere may differ from its stored form (empty lines at its ends):
    // that is no edit of the teacher's.
    m_loadedText = checkClozeText(shown).stored;
    m_textEdit->setPlainText(shown);
    m_hint->hide();
    refreshNow();
}

void ClozeTextEditorWindow::topicTextChanged()
{
    const QString topicText = checkClozeText(shownText(m_editor.document().lueckentext)).stored;
    const QString fieldStored = checkClozeText(fieldText()).stored;
    if (fieldStored == topicText) {
        // Applied from here, or the same text: the teacher's cursor and typing history stay.
        m_loadedText = topicText;
        m_hint->hide();
        refreshNow();
    } else if (fieldStored == m_loadedText) {
        loadTopicText();
    } else {
        m_hint->setText(topicChangedHint);
        m_hint->show();
        refreshNow();
    }
}

void ClozeTextEditorWindow::refreshNow()
{
    m_checkPause.stop();
    updateChecks();
}

void ClozeTextEditorWindow::updateChecks()
{
    const ClozeText checked = checkClozeText(fieldText());
    m_problemList->clear();
    for (const ClozeProblem& problem : checked.problems) {
        auto* item = new QListWidgetItem(problemText(problem), m_problemList);
        item->setData(Qt::UserRole, problem.line);
        item->setData(Qt::UserRole + 1, problem.column);
    }
    m_problemList->setVisible(!checked.problems.isEmpty());
    if (m_hint->text() == lineBreakHint || checked.stored == m_editor.document().lueckentext)
        m_hint->hide();
    const bool changes = checked.stored != m_editor.document().lueckentext
        || (!checked.gaps.isEmpty() && m_editor.document().DokTyp != DocType::ClozeText);
    m_applyButton->setEnabled(checked.problems.isEmpty() && changes);
    if (checked.problems.isEmpty()) {
        updatePreview(checked.stored, checked.gaps);
        m_preview->setEnabled(true);
    } else {
        // The last good preview stays, greyed: a text with a problem has no sure gaps to number.
        m_preview->setEnabled(false);
    }
}

void ClozeTextEditorWindow::updatePreview(const QString& stored, const QStringList& gaps)
{
    TopicDocument card = m_editor.document();
    putClozeText(card, stored, gaps);
    for (DocObject& object : card.objects)
        object.resetRunTimeState();
    CardView view(card);
    view.controlSize = previewSize;
    // Sharp on a scaled screen, as the card itself.
    view.devicePixelRatio = m_preview->devicePixelRatioF();
    view.applyNumbering(CardView::Numbering::Ordered);
    view.redrawCard();
    m_preview->setPixmap(QPixmap::fromImage(view.viewBitmap));
}

void ClozeTextEditorWindow::toggleGap()
{
    QTextCursor cursor = m_textEdit->textCursor();
    const QTextBlock block = m_textEdit->document()->findBlock(cursor.selectionStart());
    if (block != m_textEdit->document()->findBlock(cursor.selectionEnd())) {
        m_hint->setText(lineBreakHint);
        m_hint->show();
        return;
    }
    const ClozeLineEdit edit = toggleClozeGap(
        block.text(), cursor.selectionStart() - block.position(), cursor.selectionEnd() - block.position());
    // One step of the field's own undo, as if typed.
    cursor.beginEditBlock();
    cursor.setPosition(block.position());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(edit.line);
    cursor.endEditBlock();
    cursor.setPosition(block.position() + int(edit.selectionStart));
    cursor.setPosition(block.position() + int(edit.selectionEnd), QTextCursor::KeepAnchor);
    m_textEdit->setTextCursor(cursor);
    m_textEdit->setFocus();
}

bool ClozeTextEditorWindow::apply()
{
    const QString text = fieldText();
    const ClozeText checked = checkClozeText(text);
    if (!checked.problems.isEmpty()) {
        refreshNow();
        return false;
    }
    bool makeClozeType = false;
    if (!checked.gaps.isEmpty() && m_editor.document().DokTyp != DocType::ClozeText)
        makeClozeType = askYesNo(makeClozeQuestion);
    if (!m_editor.setClozeText(text, makeClozeType))
        return false;
    m_loadedText = checked.stored;
    refreshNow();
    return true;
}

void ClozeTextEditorWindow::closeEvent(QCloseEvent* event)
{
    if (hasUnappliedText() && isVisible()) {
        const MessageButton answer = askYesNoCancel(unappliedQuestion);
        if (answer == MessageButton::Cancel || (answer == MessageButton::Yes && !apply())) {
            event->ignore();
            return;
        }
        if (answer == MessageButton::No)
            loadTopicText();
    }
    QWidget::closeEvent(event);
}
