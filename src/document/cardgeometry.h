#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>

#include <array>

// The card is the base picture enlarged by the document's margins (RandErw), white around it.
// Object positions are fractions of the card, so the card's size in the picture's own pixels
// decides which picture point a position names: every part of the program that draws the card
// or moves its edges works it out here.
struct CardFrame
{
    QSize size; // the whole card, at least 1 x 1
    QPoint pictureOffset; // the picture's top-left corner on the card
    QSize pictureSize; // the picture as the card counts it, at least 1 x 1
};

// The card for a picture of pictureSize and margins left, top, right, bottom (each a part of the
// picture's width or height). Sizes and the offset round half away from zero, as the card has
// always been drawn. A margin that is not a number counts as 0 and one outside 0..10 as the
// nearer end: absurd values from a file would otherwise give a card of no or endless size.
CardFrame cardFrame(QSize pictureSize, const std::array<double, 4>& margins);

// A card position (fractions of the card) as a point of the picture, in the picture's pixels.
QPointF cardToPicture(const CardFrame& frame, QPointF card);
// A point of the picture (its pixels) as a card position.
QPointF pictureToCard(const CardFrame& frame, QPointF picture);
