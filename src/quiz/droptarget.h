#pragma once

#include <QRectF>

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
