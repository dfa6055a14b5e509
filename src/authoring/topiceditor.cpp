#include "topiceditor.h"

#include "authoring/editcommands.h"
#include "document/cardgeometry.h"
#include "document/clozesource.h"
#include "document/commatext.h"
#include "document/objectlayout.h"
#include "platform/cp1252.h"

#include <algorithm>
#include <cmath>

namespace {

// A duplicate stands this far (card fractions) from its original: clearly apart, still close.
constexpr double duplicateOffset = 0.02;
// A new label's box anchor stands this far (card fractions) beside its point; the card draws
// the box a few pixels further out, so the leader line stays visible.
constexpr double labelBoxOffset = 0.05;
// Right of this a new label's box goes to the left of its point, where its text has room.
constexpr double labelBoxRightLimit = 0.75;
constexpr double largestMargin = 10.0;

bool storable(const QString& text)
{
    return unstorableCharacters(text).isEmpty();
}

bool finite(QPointF point)
{
    return std::isfinite(point.x()) && std::isfinite(point.y());
}

bool finitePlaces(const DocObject& object)
{
    return finite(QPointF(object.Sx, object.Sy)) && finite(QPointF(object.Kx, object.Ky));
}

// Two margins are the same when both are the same number, or both are no number (a file may
// hold one); otherwise a header with such a margin would always count as changed.
bool sameMargin(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameMargins(const std::array<double, 4>& a, const std::array<double, 4>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), sameMargin);
}

bool sameProperties(const DocumentProperties& a, const DocumentProperties& b)
{
    return a.titel == b.titel && a.autor == b.autor && a.bemerkung == b.bemerkung && a.vers == b.vers
        && sameMargins(a.RandErw, b.RandErw) && a.NumArt == b.NumArt && a.GeordnetArt == b.GeordnetArt;
}

void copyStoredFields(DocObject& to, const DocObject& from)
{
    to.Sx = from.Sx;
    to.Sy = from.Sy;
    to.Kx = from.Kx;
    to.Ky = from.Ky;
    to.Cap = from.Cap;
    to.KAusr = from.KAusr;
    to.TAusr = from.TAusr;
    to.Ebene = from.Ebene;
    to.Typ = from.Typ;
    to.Sline = from.Sline;
    to.Fsize = from.Fsize;
    to.KAusrAkt = from.KAusrAkt;
    to.FrageNummer = from.FrageNummer;
}

bool sameStoredFields(const DocObject& a, const DocObject& b)
{
    DocObject stored = b;
    copyStoredFields(stored, a);
    return stored == b;
}

std::array<double, 4> placesOf(const DocObject& object)
{
    return {object.Sx, object.Sy, object.Kx, object.Ky};
}

void setPart(DocObject& object, ObjectPart part, QPointF position)
{
    if (part == ObjectPart::Point) {
        object.Sx = position.x();
        object.Sy = position.y();
    } else {
        object.Kx = position.x();
        object.Ky = position.y();
    }
}

QPointF partOf(const DocObject& object, ObjectPart part)
{
    return part == ObjectPart::Point ? QPointF(object.Sx, object.Sy) : QPointF(object.Kx, object.Ky);
}

// Exactly the same place: QPointF's own comparison forgives small differences, and a key move on
// a large card is small.
bool samePlace(QPointF a, QPointF b)
{
    return a.x() == b.x() && a.y() == b.y();
}

} // namespace

QuestionsState QuestionsState::of(const TopicDocument& document)
{
    return {document.objects, document.fragentext, document.AnzFrageNummern, document.DokTyp,
        document.currentQuestionNumber};
}

ObjectProperties ObjectProperties::of(const DocObject& object)
{
    return {object.Cap, object.Typ, object.KAusr, object.TAusr, object.Ebene, object.Sline, object.Fsize};
}

DocumentProperties DocumentProperties::of(const TopicDocument& document)
{
    return {document.titel, document.autor, document.bemerkung, document.vers, document.RandErw, document.NumArt,
        document.GeordnetArt};
}

bool isLockedObject(const DocObject& object)
{
    return isGeneratedKind(object.Typ);
}

bool isEditableKind(qint32 kind)
{
    return kind == ObjectKind::Label || kind == ObjectKind::FixedText || kind == ObjectKind::InfoPoint
        || kind == ObjectKind::WebLink || kind == ObjectKind::DocumentLink;
}

QPointF boxBesidePoint(QPointF point)
{
    const double x = point.x() <= labelBoxRightLimit ? point.x() + labelBoxOffset : point.x() - labelBoxOffset;
    return QPointF(std::clamp(x, 0.0, 1.0), std::clamp(point.y(), 0.0, 1.0));
}

DocObject newLabelAt(QPointF point)
{
    DocObject label = placedObject(ObjectKind::Label, point, boxBesidePoint(point));
    label.Cap = QString::fromUtf16(newLabelCaption);
    return label;
}

TopicEditor::TopicEditor(TopicDocument& document, QObject* parent)
    : QObject(parent)
    , m_document(document)
{
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (m_replacing)
            return;
        m_document.modified = !clean;
        emit modifiedChanged(!clean);
    });
    // Undo and redo may come from the stack's own actions: a drag then ends as it stands, since
    // its object may no longer be where the drag began.
    connect(&m_stack, &QUndoStack::indexChanged, this, [this] {
        if (!m_pushing)
            m_drag.reset();
    });
    if (m_document.modified)
        m_stack.resetClean();
}

TopicEditor::~TopicEditor()
{
    // The stack's signals must not reach a half-destroyed editor while it deletes its entries.
    m_stack.disconnect(this);
}

void TopicEditor::documentReplaced()
{
    const bool unsaved = m_document.modified;
    m_drag.reset();
    // The stack passes through a clean state on its way; the document's own state is what
    // counts, and views hear it once.
    m_replacing = true;
    m_stack.clear();
    if (unsaved)
        m_stack.resetClean();
    m_replacing = false;
    m_document.modified = unsaved;
    emit documentReset();
    emit modifiedChanged(unsaved);
}

void TopicEditor::markSaved()
{
    m_stack.setClean();
    m_document.modified = false;
}

bool TopicEditor::canEdit(int index) const
{
    return index >= 0 && index < m_document.objects.size() && !isLockedObject(m_document.objects.at(index));
}

int TopicEditor::addObject(const DocObject& object)
{
    endDragBeforeChange();
    if (!isEditableKind(object.Typ) || !finitePlaces(object) || !storable(object.Cap))
        return -1;
    DocObject added = object;
    added.Cap = storedCaption(object.Cap);
    added.KAusrAkt = 0;
    added.FrageNummer = -1;
    const int index = int(m_document.objects.size());
    push(new AddObjectCommand(*this, index, added, QStringLiteral("%1 hinzufügen").arg(objectNoun(added.Typ))));
    return index;
}

int TopicEditor::addLabel(QPointF point)
{
    return addObject(newLabelAt(point));
}

int TopicEditor::duplicateObject(int index)
{
    endDragBeforeChange();
    if (!canEdit(index))
        return -1;
    DocObject copy;
    copyStoredFields(copy, m_document.objects.at(index));
    // Point and box move together, so the copy looks like its original; each way the copy
    // goes where both stay on the card.
    const auto offset = [](double a, double b) {
        return std::max(a, b) + duplicateOffset <= 1.0 ? duplicateOffset : -duplicateOffset;
    };
    const double dx = offset(copy.Sx, copy.Kx);
    const double dy = offset(copy.Sy, copy.Ky);
    copy.Sx += dx;
    copy.Kx += dx;
    copy.Sy += dy;
    copy.Ky += dy;
    copy.FrageNummer = -1;
    const int copyIndex = int(m_document.objects.size());
    push(new AddObjectCommand(*this, copyIndex, copy, QStringLiteral("%1 duplizieren").arg(objectNoun(copy.Typ))));
    return copyIndex;
}

bool TopicEditor::removeObject(int index)
{
    endDragBeforeChange();
    if (!canEdit(index))
        return false;
    const DocObject& object = m_document.objects.at(index);
    return push(
        new RemoveObjectCommand(*this, index, object, QStringLiteral("%1 löschen").arg(objectNoun(object.Typ))));
}

bool TopicEditor::reorderObject(int from, int to)
{
    endDragBeforeChange();
    if (!canEdit(from) || to < 0 || to >= m_document.objects.size() || from == to)
        return false;
    return push(new ReorderObjectCommand(*this, from, to));
}

bool TopicEditor::editObject(int index, const ObjectProperties& properties)
{
    endDragBeforeChange();
    if (!canEdit(index) || !isEditableKind(properties.Typ) || !storable(properties.Cap))
        return false;
    const DocObject& before = m_document.objects.at(index);
    DocObject after = before;
    after.Cap = storedCaption(properties.Cap);
    after.Typ = properties.Typ;
    after.KAusr = properties.KAusr;
    after.TAusr = properties.TAusr;
    after.Ebene = properties.Ebene;
    after.Sline = properties.Sline;
    after.Fsize = properties.Fsize;
    // The card keeps a placement it worked out once; a new choice has to be worked out again.
    if (after.KAusr != before.KAusr)
        after.KAusrAkt = 0;
    if (sameStoredFields(before, after))
        return false;
    return push(new ObjectStateCommand(
        *this, index, before, after, QStringLiteral("%1 bearbeiten").arg(objectNoun(before.Typ))));
}

bool TopicEditor::moveObject(int index, ObjectPart part, QPointF position)
{
    endDragBeforeChange();
    return pushMove(index, part, position, -1);
}

bool TopicEditor::nudgeObject(int index, ObjectPart part, QPointF delta)
{
    endDragBeforeChange();
    if (!canEdit(index))
        return false;
    return pushMove(index, part, partOf(m_document.objects.at(index), part) + delta, 0);
}

bool TopicEditor::beginDrag(int index, ObjectPart part)
{
    endDragBeforeChange();
    if (!canEdit(index))
        return false;
    m_drag = Drag {index, part, ++m_dragSerial};
    return true;
}

bool TopicEditor::dragTo(QPointF position)
{
    if (!m_drag || !finite(position))
        return false;
    pushMove(m_drag->index, m_drag->part, position, m_drag->serial);
    return true;
}

bool TopicEditor::endDrag()
{
    if (!m_drag)
        return false;
    const int serial = m_drag->serial;
    m_drag.reset();
    const int top = m_stack.index() - 1;
    const auto* move = top >= 0 ? dynamic_cast<const MoveObjectCommand*>(m_stack.command(top)) : nullptr;
    return move && move->mergeKey() == serial;
}

void TopicEditor::cancelDrag()
{
    if (!m_drag)
        return;
    const Drag drag = *m_drag;
    const int top = m_stack.index() - 1;
    const auto* move = top >= 0 ? dynamic_cast<const MoveObjectCommand*>(m_stack.command(top)) : nullptr;
    if (move && move->mergeKey() == drag.serial) {
        // A move back to where the drag began merges with its entry, which then goes away and
        // leaves the object exactly as it was.
        pushMove(drag.index, drag.part, partOf(move->before(), drag.part), drag.serial);
    }
    m_drag.reset();
}

bool TopicEditor::setProperties(const DocumentProperties& properties)
{
    endDragBeforeChange();
    const DocumentProperties before = DocumentProperties::of(m_document);
    if (sameProperties(before, properties))
        return false;
    for (const QString* text : {&properties.titel, &properties.autor, &properties.bemerkung, &properties.vers}) {
        if (!storable(*text))
            return false;
    }
    for (size_t i = 0; i < properties.RandErw.size(); ++i) {
        const double margin = properties.RandErw[i];
        if (!sameMargin(margin, before.RandErw[i]) && !(margin >= 0 && margin <= largestMargin))
            return false;
    }

    QList<std::array<double, 4>> placesBefore;
    QList<std::array<double, 4>> placesAfter;
    const CardFrame from = cardFrame(m_document.picture.size(), before.RandErw);
    const CardFrame to = cardFrame(m_document.picture.size(), properties.RandErw);
    // Only a change of the card itself moves the fractions; margins that round to the same card
    // leave every place exactly as it was.
    if (from.size != to.size || from.pictureOffset != to.pictureOffset) {
        for (const DocObject& object : std::as_const(m_document.objects)) {
            placesBefore.append(placesOf(object));
            if (isLockedObject(object)) {
                placesAfter.append(placesOf(object));
                continue;
            }
            const QPointF point = pictureToCard(to, cardToPicture(from, QPointF(object.Sx, object.Sy)));
            const QPointF box = pictureToCard(to, cardToPicture(from, QPointF(object.Kx, object.Ky)));
            placesAfter.append({point.x(), point.y(), box.x(), box.y()});
        }
    }
    return push(new DocumentPropertiesCommand(*this, before, properties, placesBefore, placesAfter));
}

bool TopicEditor::setDocType(DocType type)
{
    endDragBeforeChange();
    const qint32 value = qint32(type);
    if (value < qint32(DocType::ImageLabelling) || value > qint32(DocType::SingleQuestions)
        || type == m_document.DokTyp)
        return false;
    return push(new DocTypeCommand(*this, m_document.DokTyp, type));
}

bool TopicEditor::setClozeText(const QString& text, bool makeClozeType)
{
    endDragBeforeChange();
    const ClozeText checked = checkClozeText(text);
    if (!checked.problems.isEmpty())
        return false;
    TopicDocument after = m_document;
    putClozeText(after, checked.stored, checked.gaps);
    const auto gapsOf = [](const QList<DocObject>& objects) {
        QList<std::pair<qsizetype, DocObject>> gaps;
        for (qsizetype i = 0; i < objects.size(); ++i) {
            if (objects.at(i).Typ == ObjectKind::ClozeGap)
                gaps.append({i, objects.at(i)});
        }
        return gaps;
    };
    ClozeTextCommand::State before {gapsOf(m_document.objects), m_document.lueckentext, m_document.DokTyp};
    const DocType type = makeClozeType ? DocType::ClozeText : m_document.DokTyp;
    // The card gives the gaps their places whenever it draws the text: the same words in the same
    // text are the same gaps, wherever the card last put them.
    const auto words = [](const QList<std::pair<qsizetype, DocObject>>& gaps) {
        QStringList list;
        for (const auto& gap : gaps)
            list.append(gap.second.Cap);
        return list;
    };
    if (checked.stored == before.text && type == before.type && checked.gaps == words(before.gaps))
        return false;
    return push(new ClozeTextCommand(*this, std::move(before), {gapsOf(after.objects), checked.stored, type}));
}

void TopicEditor::replaceGaps(const QList<std::pair<qsizetype, DocObject>>& removing,
    const QList<std::pair<qsizetype, DocObject>>& inserting, const QString& text, DocType type)
{
    m_replacingObjects = true;
    for (auto gap = removing.crbegin(); gap != removing.crend(); ++gap)
        removeObjectAt(int(gap->first));
    for (const auto& gap : inserting)
        insertObjectAt(int(gap.first), gap.second);
    m_document.lueckentext = text;
    m_document.DokTyp = type;
    m_replacingObjects = false;
    emit clozeTextChanged();
}

bool TopicEditor::setQuestions(const QList<SingleQuestion>& questions, bool makeSingleQuestions)
{
    endDragBeforeChange();
    QStringList lines;
    for (const SingleQuestion& question : questions) {
        if (!questionProblem(question).isEmpty() || !questionCellProblem(question.question).isEmpty()
            || !questionCellProblem(question.answer).isEmpty())
            return false;
        lines.append(questionLine(question));
    }
    const QuestionsState before = QuestionsState::of(m_document);
    TopicDocument changed;
    changed.objects = m_document.objects;
    putQuestions(changed, questions, lines);
    QuestionsState after = before;
    after.objects = changed.objects;
    after.fragentext = changed.fragentext;
    after.AnzFrageNummern = changed.AnzFrageNummern;
    if (makeSingleQuestions)
        after.DokTyp = DocType::SingleQuestions;
    // The card stays on its page where that page is still there.
    if (after.currentQuestionNumber < 1 || after.currentQuestionNumber > after.AnzFrageNummern)
        after.currentQuestionNumber = after.AnzFrageNummern > 0 ? 1 : 0;
    const bool sameObjects = std::equal(
        before.objects.cbegin(), before.objects.cend(), after.objects.cbegin(), after.objects.cend(), sameStoredFields);
    if (sameObjects && before.fragentext == after.fragentext && before.AnzFrageNummern == after.AnzFrageNummern
        && before.DokTyp == after.DokTyp)
        return false;
    return push(new QuestionsCommand(*this, before, after));
}

void TopicEditor::applyObject(int index, const DocObject& stored)
{
    if (index < 0 || index >= m_document.objects.size())
        return;
    copyStoredFields(m_document.objects[index], stored);
    emit objectChanged(index);
}

void TopicEditor::insertObjectAt(int index, const DocObject& object)
{
    if (index < 0 || index > m_document.objects.size())
        return;
    // A new object starts as a freshly read one does: covered, its box not yet drawn.
    DocObject inserted;
    copyStoredFields(inserted, object);
    m_document.objects.insert(index, inserted);
    emit objectInserted(index);
}

void TopicEditor::removeObjectAt(int index)
{
    if (index < 0 || index >= m_document.objects.size())
        return;
    m_document.objects.removeAt(index);
    emit objectRemoved(index);
}

void TopicEditor::reorderObjectInList(int from, int to)
{
    const qsizetype count = m_document.objects.size();
    if (from < 0 || from >= count || to < 0 || to >= count)
        return;
    m_document.objects.move(from, to);
    emit objectReordered(from, to);
}

void TopicEditor::applyHeader(const DocumentProperties& properties, const QList<std::array<double, 4>>& places)
{
    const bool cardMoves = !sameMargins(m_document.RandErw, properties.RandErw);
    m_document.titel = properties.titel;
    m_document.autor = properties.autor;
    m_document.bemerkung = properties.bemerkung;
    m_document.vers = properties.vers;
    m_document.RandErw = properties.RandErw;
    m_document.NumArt = properties.NumArt;
    m_document.GeordnetArt = properties.GeordnetArt;
    if (places.size() == m_document.objects.size()) {
        for (qsizetype i = 0; i < places.size(); ++i) {
            DocObject& object = m_document.objects[i];
            object.Sx = places[i][0];
            object.Sy = places[i][1];
            object.Kx = places[i][2];
            object.Ky = places[i][3];
        }
    }
    emit headerChanged();
    if (cardMoves)
        emit cardChanged();
}

void TopicEditor::applyDocType(DocType type)
{
    m_document.DokTyp = type;
    emit headerChanged();
}

void TopicEditor::applyQuestions(const QuestionsState& state)
{
    m_document.objects = state.objects;
    m_document.fragentext = state.fragentext;
    m_document.AnzFrageNummern = state.AnzFrageNummern;
    m_document.DokTyp = state.DokTyp;
    m_document.currentQuestionNumber = state.currentQuestionNumber;
    emit questionsReplaced();
}

bool TopicEditor::push(QUndoCommand* command)
{
    m_pushing = true;
    m_stack.push(command);
    m_pushing = false;
    return true;
}

bool TopicEditor::pushMove(int index, ObjectPart part, QPointF position, int mergeKey)
{
    if (!canEdit(index) || !finite(position))
        return false;
    const DocObject& before = m_document.objects.at(index);
    if (samePlace(partOf(before, part), position))
        return false;
    DocObject after = before;
    setPart(after, part, position);
    // An automatic placement was worked out for where the box stood; the card works it out
    // again for where it stands now.
    if (part == ObjectPart::Box && before.KAusr == 0)
        after.KAusrAkt = 0;
    return push(new MoveObjectCommand(*this, index, part, before, after, mergeKey));
}

void TopicEditor::endDragBeforeChange()
{
    m_drag.reset();
}
