#pragma once

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

class QPainter;

// The colours and shapes that the program's pictures share, so that the icon, the start
// picture and the base picture of the start document look like one family.
namespace motifs {

inline const QColor euroBlue {0, 51, 153};
inline const QColor starGold {255, 204, 0};
inline const QColor inkGrey {81, 81, 78};

// Theme colours: the main window and the dialogs read these back from the textures' pixels.
inline const QColor themeBackground {220, 222, 212};
inline const QColor themePanel {246, 246, 241};
inline const QColor themeAccent {232, 234, 224};

// The program's typeface: Liberation Sans stands in for Arial, DejaVu Sans catches machines
// without either.
QFont programFont(int pixelSize, bool bold = false);

// A five-pointed star with one point straight up.
QPainterPath starPath(QPointF centre, qreal outerRadius);

// Twelve stars at the positions of the hours of a clock face, as on the European flag.
void drawStarRing(QPainter& painter, QPointF centre, qreal ringRadius, qreal starRadius, const QColor& colour);

// A euro-blue disc carrying the ring of stars, lit softly from the upper left.
void drawStarDisc(QPainter& painter, QPointF centre, qreal radius);

// The two alloys of the euro coins, each as its highlight, body and shadow colour.
struct Metal
{
    QColor light;
    QColor mid;
    QColor dark;
};
inline const Metal brass {QColor(255, 238, 168), QColor(224, 186, 86), QColor(150, 110, 36)};
inline const Metal silver {QColor(252, 252, 252), QColor(204, 206, 210), QColor(126, 130, 138)};

// The diagonal sheen of a metal disc of the given radius, light at the upper left or the
// lower right.
QLinearGradient metalGradient(QPointF centre, qreal radius, const Metal& metal, bool litFromTopLeft);

// Stamped relief: a light copy offset down and to the right below the dark shape reads as
// an edge catching the light.
void drawEngraved(QPainter& painter, const QPainterPath& shape, const Metal& metal, qreal depth);

// The outline of text in font, centred on centre.
QPainterPath textPath(const QString& text, const QFont& font, QPointF centre);

enum class CoinValue { OneEuro, TwoEuro };

// A bimetal coin seen from its common side: ring and centre in the two alloys of the real
// coin (brass ring on a silver centre for one euro, the other way round for two), stars on
// the ring and the value in the centre. Includes a soft shadow below and to the right.
void drawEuroCoin(QPainter& painter, QPointF centre, qreal radius, CoinValue value);

// A flag made of stripes of relative widths, optionally with a Nordic cross.
struct FlagDesign
{
    Qt::Orientation stripeDirection = Qt::Horizontal; // Horizontal: stripes lie one above the other.
    QList<QColor> colours;
    QList<int> weights; // Empty means equal stripes.
    bool nordicCross = false; // First colour is the field, second the cross.
};

// Flags of euro-area countries whose designs reduce to stripes or a cross, in a fixed order.
const QList<FlagDesign>& euroAreaFlags();

// Draws the flag into rect with slightly rounded corners and a fine grey edge.
void drawFlag(QPainter& painter, const QRectF& rect, const FlagDesign& flag);

// A garland of small flags hanging from a cord that sags between two points; the flags turn
// with the cord so the garland looks hung rather than pasted on.
void drawFlagGarland(QPainter& painter, QPointF from, QPointF to, qreal sag, QSizeF flagSize, int flagCount);

} // namespace motifs
