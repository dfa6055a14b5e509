#include "quiz/droptarget.h"

#include "document/topicdocument.h"

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

} // namespace

int findDropTarget(const TopicDocument& document, const QRectF& rect, int onlyObject)
{
    const QList<DocObject>& objects = document.objects;
    const int page = document.currentQuestionNumber;
    const Box tile {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    const double midY = (tile.top + tile.bottom) / 2;

    const auto search = [&](auto&& hits) {
        const int first = onlyObject >= 0 ? onlyObject : 0;
        const int end = onlyObject >= 0 ? qMin(onlyObject + 1, int(objects.size())) : int(objects.size());
        for (int i = first; i < end; ++i) {
            const DocObject& o = objects.at(i);
            if (!isCandidate(o, page) || !hasBox(o))
                continue;
            const Box box {o.boxRect[0], o.boxRect[1], o.boxRect[2], o.boxRect[3]};
            if (hits(box))
                return i;
        }
        return -1;
    };

    const int byEdge = search([&](const Box& box) { return box.holds(tile.left, midY); });
    if (byEdge >= 0)
        return byEdge;
    return search([&](const Box& box) { return box.holdsCornerOf(tile) || tile.holdsCornerOf(box); });
}
