#include "editcommands.h"

#include <cmath>

namespace {

// Key moves and drags share the id; the merge key tells them apart.
constexpr int moveCommandId = 1;
// A part of an object this close (card fractions) to where its moves began is back there.
constexpr double backAtStart = 1e-12;

QPointF placeOf(const DocObject& object, ObjectPart part)
{
    return part == ObjectPart::Point ? QPointF(object.Sx, object.Sy) : QPointF(object.Kx, object.Ky);
}

QString moveText(const DocObject& object, ObjectPart part)
{
    return part == ObjectPart::Point ? QStringLiteral("Punkt verschieben")
                                     : QStringLiteral("%1 verschieben").arg(objectNoun(object.Typ));
}

} // namespace

QString objectNoun(qint32 kind)
{
    switch (kind) {
    case ObjectKind::Label:
        return QStringLiteral("Beschriftung");
    case ObjectKind::FixedText:
        return QStringLiteral("Text");
    case ObjectKind::InfoPoint:
        return QStringLiteral("Infopunkt");
    case ObjectKind::WebLink:
        return QStringLiteral("Link");
    case ObjectKind::DocumentLink:
        return QStringLiteral("Dokument-Link");
    default:
        return QStringLiteral("Objekt");
    }
}

AddObjectCommand::AddObjectCommand(TopicEditor& editor, int index, const DocObject& object, const QString& text)
    : QUndoCommand(text)
    , m_editor(editor)
    , m_index(index)
    , m_object(object)
{ }

void AddObjectCommand::redo()
{
    m_editor.insertObjectAt(m_index, m_object);
}

void AddObjectCommand::undo()
{
    m_editor.removeObjectAt(m_index);
}

RemoveObjectCommand::RemoveObjectCommand(TopicEditor& editor, int index, const DocObject& object, const QString& text)
    : QUndoCommand(text)
    , m_editor(editor)
    , m_index(index)
    , m_object(object)
{ }

void RemoveObjectCommand::redo()
{
    m_editor.removeObjectAt(m_index);
}

void RemoveObjectCommand::undo()
{
    m_editor.insertObjectAt(m_index, m_object);
}

ObjectStateCommand::ObjectStateCommand(
    TopicEditor& editor, int index, const DocObject& before, const DocObject& after, const QString& text)
    : QUndoCommand(text)
    , m_editor(editor)
    , m_index(index)
    , m_before(before)
    , m_after(after)
{ }

void ObjectStateCommand::redo()
{
    m_editor.applyObject(m_index, m_after);
}

void ObjectStateCommand::undo()
{
    m_editor.applyObject(m_index, m_before);
}

MoveObjectCommand::MoveObjectCommand(
    TopicEditor& editor, int index, ObjectPart part, const DocObject& before, const DocObject& after, int mergeKey)
    : ObjectStateCommand(editor, index, before, after, moveText(before, part))
    , m_part(part)
    , m_mergeKey(mergeKey)
{ }

int MoveObjectCommand::id() const
{
    return m_mergeKey < 0 ? -1 : moveCommandId;
}

bool MoveObjectCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const MoveObjectCommand*>(other);
    if (!next || next->m_index != m_index || next->m_part != m_part || next->m_mergeKey != m_mergeKey)
        return false;
    m_after = next->m_after;
    // Keys that went there and back have added and taken away the same steps, which in
    // floating point need not give the very number again; nothing visible is this small.
    const QPointF start = placeOf(m_before, m_part);
    const QPointF end = placeOf(m_after, m_part);
    if (std::abs(start.x() - end.x()) <= backAtStart && std::abs(start.y() - end.y()) <= backAtStart) {
        // Back where the entry began: the object returns to exactly its state before (a
        // placement the move had cleared included), and the stack drops the entry.
        undo();
        setObsolete(true);
    }
    return true;
}

ReorderObjectCommand::ReorderObjectCommand(TopicEditor& editor, int from, int to)
    : QUndoCommand(QStringLiteral("Reihenfolge ändern"))
    , m_editor(editor)
    , m_from(from)
    , m_to(to)
{ }

void ReorderObjectCommand::redo()
{
    m_editor.reorderObjectInList(m_from, m_to);
}

void ReorderObjectCommand::undo()
{
    m_editor.reorderObjectInList(m_to, m_from);
}

DocumentPropertiesCommand::DocumentPropertiesCommand(TopicEditor& editor, const DocumentProperties& before,
    const DocumentProperties& after, const QList<std::array<double, 4>>& placesBefore,
    const QList<std::array<double, 4>>& placesAfter)
    : QUndoCommand(QStringLiteral("Dokumenteigenschaften ändern"))
    , m_editor(editor)
    , m_before(before)
    , m_after(after)
    , m_placesBefore(placesBefore)
    , m_placesAfter(placesAfter)
{ }

void DocumentPropertiesCommand::redo()
{
    m_editor.applyHeader(m_after, m_placesAfter);
}

void DocumentPropertiesCommand::undo()
{
    m_editor.applyHeader(m_before, m_placesBefore);
}

DocTypeCommand::DocTypeCommand(TopicEditor& editor, DocType before, DocType after)
    : QUndoCommand(QStringLiteral("Dokumenttyp ändern"))
    , m_editor(editor)
    , m_before(before)
    , m_after(after)
{ }

void DocTypeCommand::redo()
{
    m_editor.applyDocType(m_after);
}

void DocTypeCommand::undo()
{
    m_editor.applyDocType(m_before);
}

ClozeTextCommand::ClozeTextCommand(TopicEditor& editor, State before, State after)
    : QUndoCommand(QStringLiteral("Lückentext ändern"))
    , m_editor(editor)
    , m_before(std::move(before))
    , m_after(std::move(after))
{ }

void ClozeTextCommand::redo()
{
    m_editor.replaceGaps(m_before.gaps, m_after.gaps, m_after.text, m_after.type);
}

void ClozeTextCommand::undo()
{
    m_editor.replaceGaps(m_after.gaps, m_before.gaps, m_before.text, m_before.type);
}

QuestionsCommand::QuestionsCommand(TopicEditor& editor, const QuestionsState& before, const QuestionsState& after)
    : QUndoCommand(QStringLiteral("Einzelfragen ändern"))
    , m_editor(editor)
    , m_before(before)
    , m_after(after)
{ }

void QuestionsCommand::redo()
{
    m_editor.applyQuestions(m_after);
}

void QuestionsCommand::undo()
{
    m_editor.applyQuestions(m_before);
}
