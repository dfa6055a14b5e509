#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where the quiz puts its answer tiles, worked out from sizes and points alone, so that the
// layout is the same whoever asks and can be tested without a window.

// The pile of texts at the panel's right edge. tiles are the sizes of the tiles that show, from
// the last one in the list to the first: the first of them lies at the bottom (centred in
// height when one text is asked at a time), each next one 2 pixels above; a pile that reaches
// the top goes on as a new column 12 pixels further left and 7 pixels higher.
struct TilePile
{
    QList<QPoint> positions; // the tiles' top-left corners, in the order given
    int pictureWidth = 0; // what is left of the panel's width for the card's picture
};
TilePile layoutTilePile(QSize panel, const QList<QSize>& tiles, bool centred);

// The single questions' answer grid: count cells (at most six) of tileSize, gap apart, three to
// a row, from topLeft. On a card too small for them the gaps shrink first (down to minimumGap),
// then the cells (down to smallest). The cells by slot, from the first.
QList<QRect> layoutAnswerGrid(
    int count, QPoint topLeft, const QRect& card, QSize tileSize, QSize smallest, int gap, int minimumGap);

// Where a tile carried by keys lies on the target box chosen for it: the middle of its left
// edge inside the box, as the pointer would put it there, and inside area.
QRect carriedTilePlace(const QRect& targetBox, QSize tile, const QRect& area);
