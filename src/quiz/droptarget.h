#pragma once

#include <QChar>
#include <QList>
#include <QRectF>
#include <QString>

class TopicDocument;

// The target a dragged answer tile is over, with rect the tile's rectangle in card fractions
// (x, y, width, height; its right edge is x + width). Candidates are open quiz targets (labels,
// cloze gaps, and the answers of the question page shown) that carry a number or a question
// mark; with onlyObject >= 0 only that object counts (one position asked at a time).
//
// First pass: the midpoint of the tile's left edge lies in a box. Only when no box holds it, the
// second pass takes the first box that overlaps the tile (a corner of either rectangle lies in
// the other). In both passes the earlier object in the document wins, and boxes hold their left
// and top edges but not their right and bottom ones. Returns the object's index, or -1.
int findDropTarget(const TopicDocument& document, const QRectF& rect, int onlyObject = -1);

// The targets a tile may be put on from the keyboard: exactly the objects findDropTarget can
// return with the same onlyObject (open, numbered or marked "?", of the page shown, with a laid
// out box), in the order of the numbers their covers show. Covers that all show "?" cannot be
// told apart by number and come in reading order of their boxes (top to bottom, then left to
// right), so that the arrow keys still walk across the card in a sensible way.
QList<int> dropTargetCandidates(const TopicDocument& document, int onlyObject = -1);

// The keyboard's choice among drop targets while a tile is carried: the arrow keys step through
// the candidates in their order (wrapping at both ends), typed characters pick the target whose
// cover shows them. Holds no pointer to the document between calls.
class DropTargetChooser
{
public:
    // A new choice over candidates (dropTargetCandidates); the first one is chosen.
    void begin(const QList<int>& candidates);
    // The candidates changed while the tile was carried (a target solved or crossed by another
    // answer): the chosen one stays when it still counts, otherwise the one that took its place
    // in the order. Typing starts afresh when anything changed.
    void update(const QList<int>& candidates);
    void clear();

    // The chosen object, -1 when there is no candidate.
    int current() const { return m_position >= 0 ? m_candidates.at(m_position) : -1; }
    const QList<int>& candidates() const { return m_candidates; }

    // One step forward (delta 1) or back (-1) in the order; also ends a typed label.
    void step(int delta);
    void chooseFirst();
    void chooseLast();

    // A typed character. Covers with digits take digits, covers with letters (NumArt 1) take
    // letters in either case and the apostrophe of the later rounds; several characters may
    // follow each other ("1", "12"; "A", "A'"), and one that continues no label starts a new
    // one. Returns false when the character cannot be part of any cover label (then nothing
    // changes); true when it was taken, whether or not a label is complete yet.
    bool type(const TopicDocument& document, QChar character);
    QString typed() const { return m_typed; }

private:
    QList<int> m_candidates;
    int m_position = -1;
    QString m_typed;
};
