#include "authoringcontroller.h"

#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "authoring/topiceditor.h"
#include "authoring/ui/cardeditoverlay.h"
#include "authoring/ui/clozetexteditorwindow.h"
#include "authoring/ui/documentpropertiesdialog.h"
#include "authoring/ui/labeleditorwindow.h"
#include "authoring/ui/questionseditorwindow.h"
#include "cardview/cardview.h"
#include "cardview/ui/cardimage.h"
#include "common/folders.h"
#include "document/pictureimport.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>

namespace AuthoringTexts {
const QString closeEditorFirst = QStringLiteral("Bitte zuerst den %1 schließen.");
const QString notDuringNetExercise
    = QStringLiteral("Während einer Netzwerk-Übung kann der %1 nicht geöffnet werden: Die Übung nennt die "
                     "Objekte des Themas nach ihrer Reihenfolge, und jede Änderung würde die Ergebnisse verfälschen.");
const QString labelEditorName = QStringLiteral("Beschriftungseditor");
const QString clozeEditorName = QStringLiteral("Lückentext-Editor");
const QString questionsEditorName = QStringLiteral("Einzelfragen-Editor");
const QString applyBeforeSaving = QStringLiteral(
    "Die Änderungen im %1 sind noch nicht übernommen. Sollen sie vor dem Speichern übernommen werden?");
const QString scaleDown = QStringLiteral(
    "Das Bild ist %1 × %2 Pixel groß. Ein Thema speichert sein Bild als PNG, so dass ein großes Foto die "
    "Datei sehr groß macht.\r\nSoll das Bild auf %3 Pixel an der längeren Seite verkleinert werden?");
} // namespace AuthoringTexts

AuthoringController::AuthoringController(TForm1& window, CardImage* cardImage)
    : QObject(&window)
    , m_window(window)
    , m_cardImage(cardImage)
    , m_editor(new TopicEditor(window.document(), this))
{
    // The same objects give the same card however often they are drawn, so that the card can
    // draw again just the part an edit changed.
    window.cardView().drawsAfresh = true;
    // Whatever changed, the card shows it at once; a new object shows its text, not its cover.
    connect(m_editor, &TopicEditor::objectInserted, this, [this](int index) {
        if (isEditingLabels())
            m_window.document().objects[index].coverState = CoverState::Uncovered;
        // A new cloze text replaces its gaps one by one; the card is drawn once, at the end.
        objectsChanged(index, Change::Inserted);
    });
    for (auto signal : {&TopicEditor::cardChanged, &TopicEditor::headerChanged, &TopicEditor::documentReset})
        connect(m_editor, signal, this, &AuthoringController::cardChanged);
    // New gaps and answers are numbered on the card as a topic's are when it is read.
    for (auto signal : {&TopicEditor::clozeTextChanged, &TopicEditor::questionsReplaced}) {
        connect(m_editor, signal, this, [this] {
            renumberCard();
            cardChanged();
        });
    }
    // A drag changes one object many times a second: the card keeps its background and draws
    // its objects again, which costs a fraction of a frame even with hundreds of labels.
    connect(m_editor, &TopicEditor::objectChanged, this, [this](int index) { objectsChanged(index); });
    connect(m_editor, &TopicEditor::objectRemoved, this, [this](int index) { objectsChanged(index, Change::Removed); });
    connect(m_editor, &TopicEditor::objectReordered, this, [this] { objectsChanged(-1); });
    connect(m_editor, &TopicEditor::modifiedChanged, &window, &QWidget::setWindowModified);
}

AuthoringController::~AuthoringController()
{
    delete m_labelEditor;
    delete m_clozeEditor;
    delete m_questionsEditor;
}

ClozeTextEditorWindow* AuthoringController::clozeEditor() const
{
    return isEditingClozeText() ? m_clozeEditor.data() : nullptr;
}

bool AuthoringController::isEditingClozeText() const
{
    return m_clozeEditor && m_clozeEditor->isVisible();
}

LabelEditorWindow* AuthoringController::labelEditor() const
{
    return isEditingLabels() ? m_labelEditor.data() : nullptr;
}

CardEditOverlay* AuthoringController::cardOverlay() const
{
    return m_overlay.data();
}

bool AuthoringController::isEditingLabels() const
{
    return m_labelEditor && m_labelEditor->isVisible();
}

QuestionsEditorWindow* AuthoringController::questionsEditor() const
{
    return m_questionsEditor.data();
}

bool AuthoringController::isEditingQuestions() const
{
    return m_questionsEditor && m_questionsEditor->isVisible();
}

bool AuthoringController::refusesWhileEditing(const AuthoringController* authoring)
{
    if (!authoring)
        return false;
    const QString& open = authoring->isEditingLabels() ? AuthoringTexts::labelEditorName
        : authoring->isEditingClozeText()              ? AuthoringTexts::clozeEditorName
        : authoring->isEditingQuestions()              ? AuthoringTexts::questionsEditorName
                                                       : QString();
    if (open.isEmpty())
        return false;
    showInfo(AuthoringTexts::closeEditorFirst.arg(open));
    return true;
}

void AuthoringController::cardChanged()
{
    if (m_window.layoutSuppressed())
        return;
    m_window.redrawCard();
    m_window.showTitle();
    m_window.checkDocTypeItem(m_window.document().DokTyp);
    if (m_overlay)
        m_overlay->update();
}

void AuthoringController::objectsChanged(int index, Change change)
{
    if (m_window.layoutSuppressed() || m_editor->isReplacingObjects())
        return;
    CardView& view = m_window.cardView();
    if (view.backgroundBitmap.isNull() || view.cardMode != CardView::Mode::LearningCard) {
        cardChanged();
        return;
    }
    // Only the part of the card the object covered before and covers now is drawn again, so
    // that undoing a move or typing a caption costs a few objects, not the whole card.
    if (change == Change::Inserted) {
        view.redrawInsertedObject(index);
    } else if (change == Change::Removed) {
        view.redrawRemovedObject(index);
    } else if (index >= 0 && m_editor->isDragging() && view.movingObject() == index) {
        view.redrawMovingObject(); // one step of a drag
    } else if (index >= 0 && m_editor->isDragging()) {
        view.beginMovingObject(index);
    } else if (view.movingObject() >= 0) {
        view.endMovingObject();
    } else if (index >= 0) {
        view.redrawChangedObject(index);
    } else {
        view.redrawObjects();
    }
    m_window.showTitle();
    if (m_overlay)
        m_overlay->update();
}

void AuthoringController::renumberCard()
{
    // A new object has no number until the numbering is worked out again; its cover would show "?".
    CardView& view = m_window.cardView();
    view.applyNumbering(view.numberingMode);
}

void AuthoringController::uncoverAll(bool uncovered)
{
    for (DocObject& object : m_window.document().objects)
        object.coverState = uncovered ? CoverState::Uncovered : CoverState::Covered;
}

void AuthoringController::documentReplaced()
{
    m_editor->documentReplaced(); // tells the title whether the new document is modified
    if (isEditingLabels())
        uncoverAll(true);
}

void AuthoringController::newFromPicture()
{
    if (!m_window.leaveQuizAndDocument())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Neues Thema aus einem Bild");
    request.folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    request.filter = QStringLiteral("Bilder (*.png;*.jpg;*.jpeg)|*.png;*.jpg;*.jpeg|Alle Dateien (*.*)|*.*");
    const QString path = dialogService().openFileName(&m_window, request);
    if (path.isEmpty())
        return;
    PictureImport imported = importPicture(path);
    if (!imported.ok()) {
        showError(imported.message);
        return;
    }
    QImage picture = imported.image;
    if (offersScaleDown(picture.size())
        && askYesNo(AuthoringTexts::scaleDown.arg(picture.width()).arg(picture.height()).arg(offeredLongSide)))
        picture = scaledToLongSide(picture, offeredLongSide);

    TopicDocument document;
    document.picture = picture;
    document.DokTyp = DocType::ImageLabelling;
    m_window.adoptDocument(std::move(document), QString(), false);
    // Nothing of it is on disk yet: leaving it asks first.
    m_window.document().modified = true;
    documentReplaced();
    m_window.showCardView();
    m_window.showTitle();
    setLabelEditorOpen(true);
}

bool AuthoringController::writeTo(const QString& path)
{
    if (m_labelEditor)
        m_labelEditor->applyPendingEdits();
    // Text or rows typed but not applied would be missing from the file without a word.
    if (isEditingClozeText() && m_clozeEditor->hasUnappliedText()
        && askYesNo(AuthoringTexts::applyBeforeSaving.arg(AuthoringTexts::clozeEditorName)) && !m_clozeEditor->apply())
        return false;
    if (isEditingQuestions() && m_questionsEditor->hasUnappliedRows()
        && askYesNo(AuthoringTexts::applyBeforeSaving.arg(AuthoringTexts::questionsEditorName))
        && !m_questionsEditor->apply())
        return false;
    if (!m_window.writeDocument(path, true))
        return false; // said so; the changes stay, and so does the file that was there
    m_editor->markSaved();
    m_window.setWindowModified(false);
    m_window.showTitle();
    m_window.rebuildTopicMenu();
    return true;
}

bool AuthoringController::save()
{
    const QString path = m_window.document().filePath;
    if (path.isEmpty())
        return saveAs();
    return writeTo(path);
}

bool AuthoringController::saveAs()
{
    const TopicDocument& document = m_window.document();
    FileDialogRequest request;
    request.title = QStringLiteral("Thema speichern unter");
    request.filter = QStringLiteral("Quiz-Thema (*.zep)|*.zep|Alle Dateien (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("zep");
    // An installed program's own folder cannot be written: then the teacher's documents.
    const QFileInfo current(document.filePath);
    const bool folderWritable = !document.filePath.isEmpty() && QFileInfo(current.absolutePath()).isWritable();
    request.folder
        = folderWritable ? current.absolutePath() : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    request.fileName = !document.filePath.isEmpty() ? current.fileName()
        : document.titel.isEmpty()                  ? QStringLiteral("Neues Thema.zep")
                                                    : document.titel + QStringLiteral(".zep");
    const QString path = dialogService().saveFileName(&m_window, request);
    if (path.isEmpty())
        return false;
    return writeTo(path);
}

void AuthoringController::showProperties()
{
    if (!m_properties)
        m_properties = new DocumentPropertiesDialog(*m_editor, &m_window);
    m_properties->exec();
    m_window.showTitle();
}

bool AuthoringController::setLabelEditorOpen(bool open)
{
    if (!open) {
        closeLabelEditor();
        return true;
    }
    if (isEditingLabels()) {
        m_labelEditor->raise();
        m_labelEditor->activateWindow();
        return true;
    }
    if (!mayOpenEditor(AuthoringTexts::labelEditorName)) {
        emit labelEditorOpenChanged(false);
        return false;
    }

    if (!m_labelEditor) {
        m_labelEditor = new LabelEditorWindow(*m_editor, &m_window);
        m_labelEditor->installEventFilter(this);
    }
    m_overlay = new CardEditOverlay(*m_editor, m_window.cardView(), m_cardImage);
    connect(m_overlay, &CardEditOverlay::selectionChanged, m_labelEditor, &LabelEditorWindow::setSelectedObject);
    // The dragged object went back into its place in the list's order.
    connect(m_overlay, &CardEditOverlay::dragEnded, this, [this] { objectsChanged(-1); });
    connect(m_labelEditor, &LabelEditorWindow::selectionChanged, m_overlay, &CardEditOverlay::setSelectedObject);
    // The picture must be clickable: the start panel goes while the topic is edited.
    m_window.startPanel()->hide();
    uncoverAll(true);
    m_window.redrawCard();
    m_overlay->show();
    m_overlay->raise();

    placeBesideWindow(m_labelEditor);
    m_labelEditor->show();
    m_overlay->setFocus(Qt::OtherFocusReason);
    emit labelEditorOpenChanged(true);
    return true;
}

bool AuthoringController::mayOpenEditor(const QString& editorName)
{
    if (m_window.netController()->role() != OwnQuiz) {
        showInfo(AuthoringTexts::notDuringNetExercise.arg(editorName));
        return false;
    }
    QuizController* quiz = m_window.quizController();
    if (!quiz->mayLeaveQuiz())
        return false;
    if (m_window.cardMode() == TForm1::QuizRunning)
        quiz->leaveQuiz();
    return true;
}

bool AuthoringController::openClozeEditor()
{
    if (isEditingClozeText()) {
        m_clozeEditor->raise();
        m_clozeEditor->activateWindow();
        return true;
    }
    if (!mayOpenEditor(AuthoringTexts::clozeEditorName))
        return false;
    if (!m_clozeEditor)
        m_clozeEditor = new ClozeTextEditorWindow(*m_editor, &m_window);
    showCardForEditing();
    placeBesideWindow(m_clozeEditor);
    m_clozeEditor->show();
    return true;
}

bool AuthoringController::settleTextEditors()
{
    // Closing an editor that holds something not yet applied asks whether to apply it.
    if (isEditingClozeText() && m_clozeEditor->hasUnappliedText() && !m_clozeEditor->close())
        return false;
    if (isEditingQuestions() && m_questionsEditor->hasUnappliedRows() && !m_questionsEditor->close())
        return false;
    return true;
}

bool AuthoringController::openQuestionsEditor()
{
    if (isEditingQuestions()) {
        m_questionsEditor->raise();
        m_questionsEditor->activateWindow();
        return true;
    }
    if (!mayOpenEditor(AuthoringTexts::questionsEditorName))
        return false;
    if (!m_questionsEditor) {
        m_questionsEditor = new QuestionsEditorWindow(*m_editor, quizPictureFolder(folders().programFolder), &m_window);
        connect(m_questionsEditor, &QuestionsEditorWindow::applying, this, [this] {
            if (m_labelEditor)
                m_labelEditor->applyPendingEdits();
        });
        connect(m_questionsEditor, &QuestionsEditorWindow::pageChosen, this, &AuthoringController::showQuestionPage);
    } else {
        m_questionsEditor->reload();
    }
    showCardForEditing();
    placeBesideWindow(m_questionsEditor);
    m_questionsEditor->show();
    m_questionsEditor->raise();
    m_questionsEditor->activateWindow();
    return true;
}

void AuthoringController::showQuestionPage(int page)
{
    TopicDocument& document = m_window.document();
    // The card shows the page of the question chosen, as far as it has been applied.
    if (document.DokTyp != DocType::SingleQuestions || page < 1 || page > document.AnzFrageNummern
        || page == document.currentQuestionNumber || m_window.cardMode() != TForm1::LearningCard)
        return;
    document.currentQuestionNumber = page;
    cardChanged();
}

void AuthoringController::showCardForEditing()
{
    // The card shows what the editor applies: the start panel would hide it.
    m_window.startPanel()->hide();
    m_window.redrawCard();
}

void AuthoringController::placeBesideWindow(QWidget* tool)
{
    // Beside the main window where the screen has room, so that it covers none of the card;
    // otherwise at the screen's right edge. Each window comes with the size it likes, and gives
    // some of its width up (down to the least it needs) to fit beside the card.
    tool->resize(tool->size().expandedTo(tool->minimumSizeHint()));
    const QRect main = m_window.frameGeometry();
    const QScreen* screen = m_window.screen();
    const QRect room = screen ? screen->availableGeometry() : main;
    const int frame = tool->frameGeometry().width() - tool->width();
    const int beside = std::max(room.right() - main.right() - 8, main.left() - 8 - room.left()) - frame;
    if (beside < tool->width() && beside >= tool->minimumSizeHint().width())
        tool->resize(beside, tool->height());
    const int width = tool->frameGeometry().width();
    int x = room.right() - width + 1;
    if (main.right() + 8 + width <= room.right())
        x = main.right() + 8;
    else if (main.left() - 8 - width >= room.left())
        x = main.left() - 8 - width;
    tool->move(x, std::max(room.top(), main.top() + 60));
}

void AuthoringController::closeLabelEditor()
{
    if (!m_overlay && !isEditingLabels())
        return;
    delete m_overlay;
    if (m_labelEditor) {
        m_labelEditor->applyPendingEdits();
        m_labelEditor->removeEventFilter(this);
        m_labelEditor->hide();
        m_labelEditor->installEventFilter(this);
    }
    uncoverAll(false);
    renumberCard();
    if (!m_window.layoutSuppressed())
        m_window.redrawCard();
    emit labelEditorOpenChanged(false);
}

bool AuthoringController::eventFilter(QObject* watched, QEvent* event)
{
    // The editor's own close button closes it as the menu item does.
    if (watched == m_labelEditor && event->type() == QEvent::Close)
        QMetaObject::invokeMethod(
            this, [this] { closeLabelEditor(); }, Qt::QueuedConnection);
    return QObject::eventFilter(watched, event);
}
