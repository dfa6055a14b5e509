#pragma once

#include "authoring/topiceditor.h"

#include <QList>
#include <QUndoCommand>

#include <array>
#include <utility>

// The undo entries of the topic editor, one small class per kind of change. Each keeps what it
// needs to go both ways (the whole object or header before and after, never a computation run
// backwards), so that undo gives back exactly what was there; redo and undo call one setter of
// the editor, which tells the views.

// A new object at index (added or duplicated).
class AddObjectCommand : public QUndoCommand
{
public:
    AddObjectCommand(TopicEditor& editor, int index, const DocObject& object, const QString& text);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    int m_index;
    DocObject m_object;
};

class RemoveObjectCommand : public QUndoCommand
{
public:
    RemoveObjectCommand(TopicEditor& editor, int index, const DocObject& object, const QString& text);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    int m_index;
    DocObject m_object;
};

// One object's stored fields from one state to another.
class ObjectStateCommand : public QUndoCommand
{
public:
    ObjectStateCommand(
        TopicEditor& editor, int index, const DocObject& before, const DocObject& after, const QString& text);
    void redo() override;
    void undo() override;

protected:
    TopicEditor& m_editor;
    int m_index;
    DocObject m_before;
    DocObject m_after;
};

// A move of an object's point or box. Moves with the same merge key (all key moves share one,
// each drag has its own) of the same part of the same object become one entry; one that ends
// where the entry began leaves no entry at all.
class MoveObjectCommand : public ObjectStateCommand
{
public:
    // mergeKey below 0: an entry of its own.
    MoveObjectCommand(
        TopicEditor& editor, int index, ObjectPart part, const DocObject& before, const DocObject& after, int mergeKey);
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    int mergeKey() const { return m_mergeKey; }
    const DocObject& before() const { return m_before; }
    ObjectPart part() const { return m_part; }

private:
    ObjectPart m_part;
    int m_mergeKey;
};

class ReorderObjectCommand : public QUndoCommand
{
public:
    ReorderObjectCommand(TopicEditor& editor, int from, int to);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    int m_from;
    int m_to;
};

// The document properties; with new margins also every object's place (Sx, Sy, Kx, Ky) before
// and after, as the card's edges moved under them.
class DocumentPropertiesCommand : public QUndoCommand
{
public:
    DocumentPropertiesCommand(TopicEditor& editor, const DocumentProperties& before, const DocumentProperties& after,
        const QList<std::array<double, 4>>& placesBefore, const QList<std::array<double, 4>>& placesAfter);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    DocumentProperties m_before;
    DocumentProperties m_after;
    QList<std::array<double, 4>> m_placesBefore;
    QList<std::array<double, 4>> m_placesAfter;
};

class DocTypeCommand : public QUndoCommand
{
public:
    DocTypeCommand(TopicEditor& editor, DocType before, DocType after);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    DocType m_before;
    DocType m_after;
};

// The cloze text with its gap objects and the kind of document: the gaps before and after with
// their indices, so that undo puts back exactly the objects that were there.
class ClozeTextCommand : public QUndoCommand
{
public:
    struct State
    {
        QList<std::pair<qsizetype, DocObject>> gaps;
        QString text;
        DocType type;
    };
    ClozeTextCommand(TopicEditor& editor, State before, State after);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    State m_before;
    State m_after;
};

// The single questions: the whole object list with the texts and the kind of document before and
// after, as the new pages replace the old ones and every object after them moves.
class QuestionsCommand : public QUndoCommand
{
public:
    QuestionsCommand(TopicEditor& editor, const QuestionsState& before, const QuestionsState& after);
    void redo() override;
    void undo() override;

private:
    TopicEditor& m_editor;
    QuestionsState m_before;
    QuestionsState m_after;
};

// The word for an object of kind in the entries' names: "Beschriftung", "Text", "Infopunkt",
// "Link", "Dokument-Link", else "Objekt".
QString objectNoun(qint32 kind);
