#include "quiz/droptarget.h"

#include "document/topicdocument.h"

#include <QStringList>

#include <algorithm>

namespace {

struct Box
{
    double left, top, right, bottom;

    bool holds(double x, double y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool holdsCornerOf(const Box& other) const
    {
        return holds(other.left, other.top) || holds(other.right, other.top) || holds(other.left, other.bottom)
            || holds(other.right, other.bottom);
    }
};

bool isCandidate(const DocObject& object, int page)
{
    if (object.coverState != CoverState::Open || object.displayNumber < 0)
        return false;
    if (object.Typ == ObjectKind::Answer)
        return object.FrageNummer == page;
    return object.Typ == ObjectKind::Label || object.Typ == ObjectKind::ClozeGap;
}

// An object whose box was never laid out (or is empty) cannot take a tile; without this its
// degenerate box would count as overlapping any tile that covers its one corner point.
bool hasBox(const DocObject& object)
{
    return object.boxRect[2] > object.boxRect[0] && object.boxRect[3] > object.boxRect[1];
}

// The objects that may take a tile, in document order: the one place both the pointer's search
// and the keyboard's list read, so that they cannot disagree.
template<typename Visit> void forEachCandidate(const TopicDocument& document, int onlyObject, Visit&& visit)
{
    const QList<DocObject>& objects = document.objects;
    const int page = document.currentQuestionNumber;
    const int first = onlyObject >= 0 ? onlyObject : 0;
    const int end = onlyObject >= 0 ? qMin(onlyObject + 1, int(objects.size())) : int(objects.size());
    for (int i = first; i < end; ++i) {
        const DocObject& o = objects.at(i);
        if (isCandidate(o, page) && hasBox(o) && visit(i, o))
            return;
    }
}

} // namespace

int findDropTarget(const TopicDocument& document, const QRectF& rect, int onlyObject)
{
    const Box tile {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    const double midY = (tile.top + tile.bottom) / 2;

    const auto search = [&](auto&& hits) {
        int found = -1;
        forEachCandidate(document, onlyObject, [&](int i, const DocObject& o) {
            if (hits(Box {o.boxRect[0], o.boxRect[1], o.boxRect[2], o.boxRect[3]}))
                found = i;
            return found >= 0;
        });
        return found;
    };

    const int byEdge = search([&](const Box& box) { return box.holds(tile.left, midY); });
    if (byEdge >= 0)
        return byEdge;
    return search([&](const Box& box) { return box.holdsCornerOf(tile) || tile.holdsCornerOf(box); });
}

QList<int> dropTargetCandidates(const TopicDocument& document, int onlyObject)
{
    QList<int> candidates;
    forEachCandidate(document, onlyObject, [&](int i, const DocObject&) {
        candidates.append(i);
        return false;
    });
    const QList<DocObject>& objects = document.objects;
    std::stable_sort(candidates.begin(), candidates.end(), [&](int a, int b) {
        const DocObject& x = objects.at(a);
        const DocObject& y = objects.at(b);
        if (x.displayNumber != y.displayNumber)
            return x.displayNumber < y.displayNumber;
        if (x.boxRect[1] != y.boxRect[1])
            return x.boxRect[1] < y.boxRect[1];
        return x.boxRect[0] < y.boxRect[0];
    });
    return candidates;
}

void DropTargetChooser::begin(const QList<int>& candidates)
{
    m_candidates = candidates;
    m_position = candidates.isEmpty() ? -1 : 0;
    m_typed.clear();
}

void DropTargetChooser::update(const QList<int>& candidates)
{
    // Unchanged candidates keep a label being typed ("1" on the way to "12").
    if (candidates == m_candidates)
        return;
    const int chosen = current();
    const int before = m_position;
    m_candidates = candidates;
    m_typed.clear();
    m_position = int(candidates.indexOf(chosen));
    if (m_position < 0 && !candidates.isEmpty())
        m_position = qBound(0, before, int(candidates.size()) - 1);
}

void DropTargetChooser::clear()
{
    begin({});
}

void DropTargetChooser::step(int delta)
{
    m_typed.clear();
    const int n = int(m_candidates.size());
    if (n == 0)
        return;
    m_position = ((m_position + delta) % n + n) % n;
}

void DropTargetChooser::chooseFirst()
{
    m_typed.clear();
    m_position = m_candidates.isEmpty() ? -1 : 0;
}

void DropTargetChooser::chooseLast()
{
    m_typed.clear();
    m_position = int(m_candidates.size()) - 1;
}

bool DropTargetChooser::type(const TopicDocument& document, QChar character)
{
    const bool letters = document.NumArt == 1;
    QChar c = character;
    if (letters) {
        c = c.toUpper();
        if (!(c >= u'A' && c <= u'Z') && c != u'\'')
            return false;
    } else if (!(c >= u'0' && c <= u'9')) {
        return false;
    }
    QStringList labels;
    for (int i : std::as_const(m_candidates)) {
        // A "?" cover has nothing to type.
        if (document.objects.at(i).displayNumber > 0)
            labels.append(document.numberText(i));
        else
            labels.append(QString());
    }
    const auto continues = [&](const QString& prefix) {
        return std::any_of(labels.cbegin(), labels.cend(), [&](const QString& l) { return l.startsWith(prefix); });
    };
    const QString longer = m_typed + c;
    if (continues(longer))
        m_typed = longer;
    else if (continues(QString(c)))
        m_typed = QString(c);
    else
        m_typed.clear();
    const int at = int(labels.indexOf(m_typed));
    if (!m_typed.isEmpty() && at >= 0)
        m_position = at;
    return true;
}
