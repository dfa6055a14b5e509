#pragma once

#include "motifs.h"

#include <QImage>
#include <QList>
#include <QString>

class QPainter;

// The national sides of the euro coins, drawn by the program: a bimetal 1- or 2-euro coin with
// the twelve stars on its ring, the year and an inscription and a simple motif in the spirit of
// the country's real coin. They are drawings, not copies: a pupil recognises the country by its
// inscription and motif, as on the real coin.
namespace coins {

enum class Motif {
    Portrait, // a head in profile
    PortraitWithBun, // the same with the hair tied up
    PortraitOnStripes, // the same before hatched bands that stand for a striped flag
    Eagle,
    Rider,
    Knight, // a rider with raised sword and shield
    Idol, // the cross-shaped idol of Pomos
    EstoniaMap,
    Cloudberry,
    Tree,
    Owl,
    Chequerboard,
    Harp,
    Vitruvian,
    MalteseCross,
    Seal, // five shields in a cross, seven castles around them
    DoubleCross,
};

struct NationalSide
{
    QString code; // two letters as in the flag file names; the picture is muenze-<code>.png
    QString country; // German name, the answer of the coin question
    motifs::CoinValue value;
    Motif motif;
    QString inscription; // along the upper edge of the centre
    QString sideText; // a few letters beside the motif (monogram, mint mark)
    int year;
};

// One national side per euro-area country, sorted by code.
const QList<NationalSide>& nationalSides();

// Paints the national side as a coin of the given radius around centre, with a soft shadow.
void paintNationalSide(QPainter& painter, QPointF centre, qreal radius, const NationalSide& side);

// The coin alone on a transparent square of edge size.
QImage drawNationalSide(const NationalSide& side, int size);

// The common side of a 1- or 2-euro coin: value, "EURO", a map of Europe and the six lines
// with the twelve stars at their ends.
void paintCommonSide(QPainter& painter, QPointF centre, qreal radius, motifs::CoinValue value);

// Radius of the centre part relative to the whole coin (from the real diameters).
qreal centreRatio(motifs::CoinValue value);

} // namespace coins
