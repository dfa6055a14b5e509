#pragma once

#include "document/questionsource.h"
#include "document/topicdocument.h"

#include <QObject>
#include <QPointF>
#include <QUndoStack>

#include <array>
#include <optional>

// The part of an object a move takes: the point it designates (Sx, Sy) or its box's anchor
// (Kx, Ky).
enum class ObjectPart { Point, Box };

// What the label editor changes of one object in one step: everything but its places.
struct ObjectProperties
{
    QString Cap;
    qint32 Typ = ObjectKind::Label;
    qint32 KAusr = 0;
    qint32 TAusr = 0;
    qint32 Ebene = 1;
    qint32 Sline = 1;
    qint32 Fsize = 0;

    static ObjectProperties of(const DocObject& object);
    bool operator==(const ObjectProperties&) const = default;
};

// The header a teacher sets in the document properties.
struct DocumentProperties
{
    QString titel;
    QString autor;
    QString bemerkung;
    QString vers;
    std::array<double, 4> RandErw {0, 0, 0, 0}; // left, top, right, bottom; parts of the picture
    qint32 NumArt = 0;
    qint32 GeordnetArt = 0;

    static DocumentProperties of(const TopicDocument& document);
    bool operator==(const DocumentProperties&) const = default;
};

// What the questions editor changes in one step: the question texts, the objects made from them
// and the kind of document, with the page the card shows.
struct QuestionsState
{
    QList<DocObject> objects;
    QString fragentext;
    qint32 AnzFrageNummern = 0;
    DocType DokTyp = DocType::ImageLabelling;
    int currentQuestionNumber = 0;

    static QuestionsState of(const TopicDocument& document);
};

// Objects the label editor shows but leaves alone: cloze gaps and the pages and buttons of
// single questions are made from the topic's texts, and only their own editors change them.
bool isLockedObject(const DocObject& object);

// Kinds a teacher places by hand, the only ones an object can be given here: label, fixed text,
// info point, link, document link.
bool isEditableKind(qint32 kind);

// The caption a new label starts with. An empty label would have no box on the card, so the
// teacher could neither see nor click it; the word marks it as still to be named.
inline constexpr const char16_t* newLabelCaption = u"Neue Beschriftung";

// Where a new label's box goes for a point clicked on the card: a little to the right of the
// point, or to its left when the point lies so far right that the text would leave the card;
// always on the card. Positions are card fractions.
QPointF boxBesidePoint(QPointF point);

// A new label for a point clicked on the card: its box beside the point, a leader line, the
// caption newLabelCaption, automatic placement, bound to no question page.
DocObject newLabelAt(QPointF point);

// The one place that changes the open document while a teacher edits it. Every change is an
// entry on the undo stack, named for the teacher, and every setter tells the views what changed,
// whether the change is made, undone or redone. The document's `modified` follows the stack: it
// is set by any change and cleared again when undo or redo returns to the state last saved.
//
// Methods that change something return false (or -1 for an index) and push nothing when they
// refuse: an index outside the list, a locked object, a text a topic file cannot hold (see
// unstorableCharacters), a position that is not a number, or a change that would change
// nothing.
class TopicEditor : public QObject
{
    Q_OBJECT

public:
    // The document outlives the editor; while the editor edits, nothing else changes the
    // document's stored fields (the card may still fill in KAusrAkt and the cloze gaps' places).
    explicit TopicEditor(TopicDocument& document, QObject* parent = nullptr);
    ~TopicEditor() override;

    TopicDocument& document() const { return m_document; }
    // Owned by the editor. Undo and redo may be called on it directly (its actions, Ctrl+Z):
    // they end an open drag as it stands.
    QUndoStack* undoStack() { return &m_stack; }

    // Something else replaced the document's content (reading a file, a new topic from a
    // picture, the start document): the undo stack is emptied and an open drag dropped. A
    // document that arrives modified (one not yet saved) stays modified until it is saved.
    void documentReplaced();
    // The document was written and its file is now what the editor holds: the current state
    // becomes the clean one, and `modified` is cleared.
    void markSaved();

    // True when index names an object the label editor may change.
    bool canEdit(int index) const;

    // Appends object as a new one: caption in stored form, placement still to be worked out,
    // bound to no question page. Its kind must be one isEditableKind allows. Returns its index.
    int addObject(const DocObject& object);
    // Appends newLabelAt(point). Returns its index.
    int addLabel(QPointF point);
    // Appends a copy of the object at index, moved a little down and right (up or left where it
    // would leave the card) so that it does not hide its original. Returns the copy's index.
    int duplicateObject(int index);
    bool removeObject(int index);
    // Moves the object at from to position to in the list, as QList::move does. The order is the
    // objects' identity for the quiz, the protocol and the network exercise.
    bool reorderObject(int from, int to);
    // Changes caption, kind, placement, alignment, layer, leader line and size in one entry. The
    // caption is taken in its stored form (storedCaption). A new placement (KAusr) is worked out
    // again by the card.
    bool editObject(int index, const ObjectProperties& properties);

    // Moves a part of an object to position (card fractions) as one entry. Moving the box of an
    // object with automatic placement (KAusr 0) lets the card work the placement out again.
    bool moveObject(int index, ObjectPart part, QPointF position);
    // A move by a key: by delta (card fractions). Consecutive key moves of the same part of the
    // same object are one entry, as long as the document is not saved in between.
    bool nudgeObject(int index, ObjectPart part, QPointF delta);

    // A drag with the pointer, one entry in the end. beginDrag starts it (false for an object
    // that cannot be moved); dragTo moves the part to position at once, so the card shows it
    // live; endDrag finishes it and says whether it left an entry; cancelDrag puts the object
    // back exactly as it was, without an entry. Any other change, undo and redo end an open
    // drag as it stands; dragTo after that returns false.
    bool beginDrag(int index, ObjectPart part);
    bool dragTo(QPointF position);
    bool endDrag();
    void cancelDrag();
    bool isDragging() const { return m_drag.has_value(); }

    // Title, author, remark, version, margins, numbering and order in one entry. Changing a
    // margin moves the card's edges; the objects a teacher places keep their points on the
    // picture (their card fractions are worked out again), while the generated ones keep their
    // card fractions, as their layout is made in those. Margins must be numbers from 0 to 10
    // (parts of the picture) where they change.
    bool setProperties(const DocumentProperties& properties);
    // The kind of document (DokTyp). The window shows its hints itself.
    bool setDocType(DocType type);
    // The topic's single questions in one entry, "Einzelfragen ändern": each stored as
    // "question // answer", with the pages and page buttons made again as `zeptool make` makes
    // them (putQuestions); every other object keeps its order. With makeSingleQuestions the
    // document becomes one of single questions (DokTyp 2). Refused when a question is one a topic
    // cannot store (questionProblem, questionCellProblem) or nothing would change.
    bool setQuestions(const QList<SingleQuestion>& questions, bool makeSingleQuestions);

    // The cloze text (lines separated by any line break) as one entry "Lückentext ändern": the
    // text in its stored form and its gap objects, as checkClozeText and putClozeText make them
    // for `zeptool make`; with makeClozeType also DokTyp 1. Refused when the text has a problem
    // (see checkClozeText) or would change nothing. An empty text removes the text and its gaps.
    bool setClozeText(const QString& text, bool makeClozeType);
    // True while one change removes and inserts many objects (the cloze gaps): each step is
    // signalled as usual and the change ends with clozeTextChanged, so a view that draws the whole
    // card may wait for that.
    bool isReplacingObjects() const { return m_replacingObjects; }

signals:
    void objectChanged(int index);
    void objectInserted(int index);
    void objectRemoved(int index);
    // The object at from now stands at to; the ones between moved up or down by one.
    void objectReordered(int from, int to);
    // Title, author, remark, version, numbering, order or kind of document (a kind changed with
    // the cloze text or the questions comes with their signal instead).
    void headerChanged();
    // The card's geometry changed (its margins): the card is built again, and every object's
    // place may have changed with it.
    void cardChanged();
    void modifiedChanged(bool modified);
    // documentReplaced ran: every view starts afresh.
    void documentReset();
    // The cloze text, its gap objects and the kind of document were replaced (made, undone or
    // redone).
    void clozeTextChanged();
    // The object list, the questions and the kind of document were replaced in one step (the
    // questions changed, or that change was undone): every view of them starts afresh.
    void questionsReplaced();

private:
    friend class AddObjectCommand;
    friend class RemoveObjectCommand;
    friend class ObjectStateCommand;
    friend class MoveObjectCommand;
    friend class ReorderObjectCommand;
    friend class DocumentPropertiesCommand;
    friend class DocTypeCommand;
    friend class ClozeTextCommand;
    friend class QuestionsCommand;

    struct Drag
    {
        int index;
        ObjectPart part;
        int serial; // tells this drag's entries from an earlier drag's
    };

    // The setters the commands call. Each changes the document and says so.
    void applyObject(int index, const DocObject& stored);
    void insertObjectAt(int index, const DocObject& object);
    void removeObjectAt(int index);
    void reorderObjectInList(int from, int to);
    void applyHeader(const DocumentProperties& properties, const QList<std::array<double, 4>>& places);
    void applyDocType(DocType type);
    // Removes the objects of removing (ascending indices, taken from the highest), then inserts
    // those of inserting at their indices (ascending), and sets the cloze text and DokTyp.
    void replaceGaps(const QList<std::pair<qsizetype, DocObject>>& removing,
        const QList<std::pair<qsizetype, DocObject>>& inserting, const QString& text, DocType type);
    void applyQuestions(const QuestionsState& state);

    bool push(QUndoCommand* command);
    bool pushMove(int index, ObjectPart part, QPointF position, int mergeKey);
    void endDragBeforeChange();

    TopicDocument& m_document;
    QUndoStack m_stack;
    std::optional<Drag> m_drag;
    int m_dragSerial = 0;
    bool m_pushing = false;
    bool m_replacing = false;
    bool m_replacingObjects = false;
};
