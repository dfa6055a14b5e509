#include "coins.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>
#include <QTransform>
#include <QtMath>

#include <initializer_list>

using namespace motifs;

namespace coins {

namespace {

// The motifs are drawn in a unit box from -1 to 1 (y downwards) and then scaled into the
// coin's centre, so that one drawing serves the small quiz picture and the large one.
QPainterPath polygonPath(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath ellipsePath(QPointF centre, qreal rx, qreal ry)
{
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

QPainterPath strokePath(const QPainterPath& line, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line);
}

QPainterPath linePath(QPointF from, QPointF to, qreal width)
{
    QPainterPath line(from);
    line.lineTo(to);
    return strokePath(line, width);
}

// Overlapping parts joined into one outline, so that the relief has no seams.
QPainterPath unitedPaths(std::initializer_list<QPainterPath> parts)
{
    QPainterPath result;
    for (const QPainterPath& part : parts)
        result = result.united(part);
    return result;
}

// A raised shape: lit from the upper left, in shadow to the lower right.
void drawRelief(QPainter& painter, const QPainterPath& shape, const Metal& metal, qreal depth)
{
    painter.fillPath(shape.translated(depth, depth), metal.dark);
    painter.fillPath(shape.translated(-depth * 0.6, -depth * 0.6), metal.light);
    painter.fillPath(shape, metal.mid);
    // A fine edge keeps a small motif readable on the pale silver.
    painter.strokePath(shape, QPen(metal.dark, qMax(0.5, depth * 0.6)));
}

struct MotifShapes
{
    QPainterPath raised; // drawn in relief
    QPainterPath engraved; // fine lines cut into the metal
};

QPainterPath portraitPath()
{
    QPainterPath head(QPointF(0.12, -0.86));
    head.cubicTo(QPointF(-0.3, -0.9), QPointF(-0.52, -0.6), QPointF(-0.47, -0.22));
    head.lineTo(QPointF(-0.6, 0.0));
    head.lineTo(QPointF(-0.48, 0.06));
    head.cubicTo(QPointF(-0.52, 0.12), QPointF(-0.5, 0.17), QPointF(-0.46, 0.2));
    head.cubicTo(QPointF(-0.5, 0.28), QPointF(-0.44, 0.4), QPointF(-0.3, 0.42));
    head.cubicTo(QPointF(-0.2, 0.45), QPointF(-0.16, 0.52), QPointF(-0.16, 0.7));
    head.lineTo(QPointF(-0.24, 0.95));
    head.lineTo(QPointF(0.5, 0.95));
    head.cubicTo(QPointF(0.32, 0.72), QPointF(0.34, 0.5), QPointF(0.44, 0.3));
    head.cubicTo(QPointF(0.7, 0.0), QPointF(0.66, -0.78), QPointF(0.12, -0.86));
    head.closeSubpath();
    return head;
}

MotifShapes portrait(bool bun)
{
    MotifShapes shapes;
    shapes.raised = portraitPath();
    if (bun)
        shapes.raised = shapes.raised.united(ellipsePath(QPointF(0.5, -0.42), 0.2, 0.2));
    // Ear, eye and the line of the hair.
    shapes.engraved.addPath(strokePath(ellipsePath(QPointF(0.16, -0.12), 0.08, 0.12), 0.035));
    shapes.engraved.addPath(linePath(QPointF(-0.33, -0.22), QPointF(-0.24, -0.2), 0.04));
    QPainterPath hair(QPointF(-0.38, -0.52));
    hair.cubicTo(QPointF(-0.1, -0.45), QPointF(0.2, -0.42), QPointF(0.52, -0.2));
    shapes.engraved.addPath(strokePath(hair, 0.035));
    return shapes;
}

MotifShapes eagle()
{
    MotifShapes shapes;
    const QPainterPath leftWing = polygonPath({{-0.15, -0.25}, {-0.45, -0.55}, {-0.95, -0.5}, {-0.82, -0.32},
        {-0.95, -0.22}, {-0.78, -0.08}, {-0.9, 0.04}, {-0.68, 0.12}, {-0.74, 0.28}, {-0.48, 0.24}, {-0.18, 0.1}});
    const QPainterPath rightWing = QTransform::fromScale(-1, 1).map(leftWing);
    const QPainterPath tail = polygonPath(
        {{-0.18, 0.42}, {0.18, 0.42}, {0.32, 0.85}, {0.1, 0.74}, {0.0, 0.9}, {-0.1, 0.74}, {-0.32, 0.85}});
    const QPainterPath beak = polygonPath({{-0.2, -0.5}, {-0.4, -0.42}, {-0.22, -0.34}});
    shapes.raised = unitedPaths({leftWing, rightWing, tail, beak, ellipsePath(QPointF(0, 0.12), 0.22, 0.4),
        ellipsePath(QPointF(-0.1, -0.44), 0.15, 0.14), linePath(QPointF(-0.12, 0.4), QPointF(-0.28, 0.66), 0.08),
        linePath(QPointF(0.12, 0.4), QPointF(0.28, 0.66), 0.08)});
    for (const qreal y : {-0.32, -0.16, 0.0})
        shapes.engraved.addPath(linePath(QPointF(-0.72, y), QPointF(-0.28, y + 0.1), 0.03));
    for (const qreal y : {-0.32, -0.16, 0.0})
        shapes.engraved.addPath(linePath(QPointF(0.72, y), QPointF(0.28, y + 0.1), 0.03));
    shapes.engraved.addPath(ellipsePath(QPointF(-0.14, -0.47), 0.035, 0.035));
    return shapes;
}

MotifShapes rider(bool knight)
{
    MotifShapes shapes;
    QPainterPath tail(QPointF(-0.46, -0.02));
    tail.quadTo(QPointF(-0.66, 0.05), QPointF(-0.68, 0.38));
    shapes.raised = unitedPaths({
        ellipsePath(QPointF(0.0, 0.1), 0.46, 0.2),
        polygonPath({{0.28, 0.02}, {0.46, -0.36}, {0.6, -0.32}, {0.46, 0.1}}),
        polygonPath({{0.46, -0.4}, {0.62, -0.44}, {0.82, -0.2}, {0.74, -0.13}, {0.56, -0.22}}),
        linePath(QPointF(0.3, 0.2), QPointF(0.38, 0.62), 0.08),
        linePath(QPointF(0.22, 0.22), QPointF(0.14, 0.62), 0.08),
        linePath(QPointF(-0.3, 0.2), QPointF(-0.36, 0.62), 0.08),
        linePath(QPointF(-0.22, 0.22), QPointF(-0.14, 0.6), 0.08),
        strokePath(tail, 0.07),
        polygonPath({{-0.06, -0.08}, {0.1, -0.08}, {0.12, -0.46}, {-0.02, -0.46}}),
        ellipsePath(QPointF(0.05, -0.56), 0.09, 0.09),
        linePath(QPointF(0.04, -0.08), QPointF(0.1, 0.2), 0.07),
    });
    if (knight) {
        // Sword raised above the head, shield on the arm.
        shapes.raised = unitedPaths({shapes.raised, linePath(QPointF(0.06, -0.4), QPointF(0.22, -0.64), 0.07),
            linePath(QPointF(0.22, -0.64), QPointF(-0.12, -0.96), 0.05),
            ellipsePath(QPointF(-0.1, -0.26), 0.13, 0.13)});
        shapes.engraved.addPath(strokePath(ellipsePath(QPointF(-0.1, -0.26), 0.08, 0.08), 0.03));
    } else {
        // The spear pointing down before the horse.
        shapes.raised = unitedPaths({shapes.raised, linePath(QPointF(0.1, -0.32), QPointF(0.7, 0.58), 0.04)});
    }
    shapes.engraved.addPath(linePath(QPointF(0.5, -0.32), QPointF(0.34, 0.0), 0.03));
    return shapes;
}

MotifShapes idol()
{
    MotifShapes shapes;
    QPainterPath arms;
    arms.addRoundedRect(QRectF(-0.72, -0.36, 1.44, 0.2), 0.1, 0.1);
    shapes.raised = unitedPaths({
        ellipsePath(QPointF(0.0, -0.72), 0.12, 0.16),
        polygonPath({{-0.06, -0.6}, {0.06, -0.6}, {0.07, -0.3}, {-0.07, -0.3}}),
        arms,
        polygonPath({{-0.2, -0.24}, {0.2, -0.24}, {0.26, 0.42}, {-0.18, 0.42}}),
        polygonPath({{-0.18, 0.38}, {0.26, 0.38}, {0.08, 0.9}, {-0.2, 0.86}}),
    });
    // The small idol it wears on its chest.
    shapes.engraved.addPath(linePath(QPointF(-0.06, -0.02), QPointF(0.08, -0.02), 0.03));
    shapes.engraved.addPath(linePath(QPointF(0.01, -0.1), QPointF(0.01, 0.1), 0.03));
    return shapes;
}

MotifShapes estoniaMap()
{
    MotifShapes shapes;
    shapes.raised = unitedPaths({
        polygonPath({{-0.55, -0.5}, {-0.3, -0.56}, {0.0, -0.52}, {0.3, -0.52}, {0.6, -0.48}, {0.88, -0.46},
            {0.78, -0.3}, {0.62, -0.16}, {0.6, 0.04}, {0.68, 0.2}, {0.62, 0.38}, {0.5, 0.5}, {0.2, 0.48}, {0.0, 0.55},
            {-0.2, 0.5}, {-0.28, 0.3}, {-0.36, 0.2}, {-0.46, 0.06}, {-0.6, -0.04}, {-0.54, -0.24}, {-0.66, -0.38}}),
        polygonPath({{-1.0, 0.06}, {-0.76, -0.02}, {-0.56, 0.12}, {-0.7, 0.28}, {-0.95, 0.3}}),
        polygonPath({{-0.95, -0.3}, {-0.76, -0.34}, {-0.72, -0.18}, {-0.92, -0.15}}),
    });
    return shapes;
}

MotifShapes cloudberry()
{
    MotifShapes shapes;
    QPainterPath flower;
    for (int petal = 0; petal < 5; ++petal) {
        const qreal angle = qDegreesToRadians(-90.0 + petal * 72.0);
        flower
            = flower.united(ellipsePath(QPointF(-0.32, -0.22) + QPointF(qCos(angle), qSin(angle)) * 0.22, 0.16, 0.16));
    }
    QPainterPath berry;
    const QPointF berryCentre(0.36, 0.3);
    berry = berry.united(ellipsePath(berryCentre, 0.1, 0.1));
    for (int drupe = 0; drupe < 6; ++drupe) {
        const qreal angle = qDegreesToRadians(drupe * 60.0);
        berry = berry.united(ellipsePath(berryCentre + QPointF(qCos(angle), qSin(angle)) * 0.15, 0.09, 0.09));
    }
    QPainterPath stem(QPointF(-0.32, 0.0));
    stem.quadTo(QPointF(-0.2, 0.6), QPointF(0.0, 0.9));
    QPainterPath berryStem(QPointF(0.36, 0.5));
    berryStem.quadTo(QPointF(0.3, 0.75), QPointF(0.0, 0.9));
    QTransform leafTurn;
    leafTurn.translate(-0.55, 0.5);
    leafTurn.rotate(-35);
    const QPainterPath leaf = leafTurn.map(ellipsePath(QPointF(0, 0), 0.3, 0.14));
    shapes.raised = unitedPaths({flower, berry, strokePath(stem, 0.06), strokePath(berryStem, 0.06), leaf});
    shapes.engraved.addPath(ellipsePath(QPointF(-0.32, -0.22), 0.08, 0.08));
    shapes.engraved.addPath(linePath(QPointF(-0.8, 0.68), QPointF(-0.3, 0.32), 0.025));
    return shapes;
}

MotifShapes tree()
{
    MotifShapes shapes;
    QPainterPath crown;
    crown = crown.united(ellipsePath(QPointF(0, -0.3), 0.34, 0.3));
    for (int lobe = 0; lobe < 8; ++lobe) {
        const qreal angle = qDegreesToRadians(lobe * 45.0);
        crown
            = crown.united(ellipsePath(QPointF(0, -0.3) + QPointF(qCos(angle) * 0.36, qSin(angle) * 0.28), 0.16, 0.16));
    }
    shapes.raised = unitedPaths({crown, polygonPath({{-0.07, -0.1}, {0.07, -0.1}, {0.1, 0.5}, {-0.1, 0.5}}),
        linePath(QPointF(0.0, 0.46), QPointF(-0.3, 0.62), 0.06), linePath(QPointF(0.0, 0.46), QPointF(0.3, 0.62), 0.06),
        textPath(QStringLiteral("R"), programFont(100, true), QPointF(0, 0)) * QTransform::fromScale(0.0045, 0.0045)
            * QTransform::fromTranslate(-0.52, 0.42),
        textPath(QStringLiteral("F"), programFont(100, true), QPointF(0, 0)) * QTransform::fromScale(0.0045, 0.0045)
            * QTransform::fromTranslate(0.52, 0.42)});
    // The hexagon that frames the tree.
    QPolygonF hexagon;
    for (int corner = 0; corner <= 6; ++corner) {
        const qreal angle = qDegreesToRadians(-90.0 + corner * 60.0);
        hexagon << QPointF(qCos(angle), qSin(angle)) * 0.92;
    }
    QPainterPath frame;
    frame.addPolygon(hexagon);
    shapes.engraved.addPath(strokePath(frame, 0.04));
    return shapes;
}

MotifShapes owl()
{
    MotifShapes shapes;
    shapes.raised = unitedPaths({ellipsePath(QPointF(0.0, 0.18), 0.4, 0.55),
        ellipsePath(QPointF(0.0, -0.42), 0.38, 0.3), polygonPath({{-0.36, -0.5}, {-0.34, -0.82}, {-0.16, -0.62}}),
        polygonPath({{0.36, -0.5}, {0.34, -0.82}, {0.16, -0.62}}),
        linePath(QPointF(-0.1, 0.72), QPointF(-0.14, 0.86), 0.06),
        linePath(QPointF(0.1, 0.72), QPointF(0.14, 0.86), 0.06)});
    for (const qreal x : {-0.16, 0.16}) {
        shapes.engraved.addPath(strokePath(ellipsePath(QPointF(x, -0.44), 0.13, 0.13), 0.04));
        shapes.engraved.addPath(ellipsePath(QPointF(x, -0.44), 0.05, 0.05));
    }
    shapes.engraved.addPath(polygonPath({{-0.05, -0.3}, {0.05, -0.3}, {0.0, -0.18}}));
    for (const qreal y : {0.05, 0.2, 0.35})
        shapes.engraved.addPath(linePath(QPointF(-0.22, y), QPointF(0.22, y + 0.02), 0.025));
    // The olive sprig beside the owl, as on the old coin it copies.
    QPainterPath sprig(QPointF(-0.95, -0.1));
    sprig.quadTo(QPointF(-0.6, -0.2), QPointF(-0.5, -0.6));
    shapes.engraved.addPath(strokePath(sprig, 0.03));
    for (const QPointF& leaf : {QPointF(-0.8, -0.2), QPointF(-0.64, -0.36), QPointF(-0.56, -0.52)})
        shapes.engraved.addPath(ellipsePath(leaf + QPointF(0.05, -0.04), 0.07, 0.035));
    return shapes;
}

MotifShapes chequerboard()
{
    MotifShapes shapes;
    QPainterPath shield(QPointF(-0.5, -0.52));
    shield.lineTo(QPointF(0.5, -0.52));
    shield.lineTo(QPointF(0.5, 0.15));
    shield.cubicTo(QPointF(0.5, 0.55), QPointF(0.2, 0.72), QPointF(0.0, 0.85));
    shield.cubicTo(QPointF(-0.2, 0.72), QPointF(-0.5, 0.55), QPointF(-0.5, 0.15));
    shield.closeSubpath();
    shapes.raised = shield;
    // The crown of five small shields above it.
    for (int small = 0; small < 5; ++small) {
        const qreal x = -0.4 + small * 0.2;
        QPainterPath piece;
        piece.addRoundedRect(QRectF(x - 0.08, -0.8, 0.16, 0.22), 0.05, 0.05);
        shapes.raised = shapes.raised.united(piece);
    }
    QPainterPath squares;
    const qreal side = 0.2;
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 5; ++column) {
            if ((row + column) % 2 == 0)
                squares.addRect(QRectF(-0.5 + column * side, -0.52 + row * side, side, side));
        }
    }
    shapes.engraved = squares.intersected(shield);
    return shapes;
}

MotifShapes harp()
{
    // Sound box on the left, falling to the foot of the pillar on the right; the neck arches
    // over the top; the strings hang straight down from the neck to the sound box.
    const QPointF boxTop(-0.46, -0.78);
    const QPointF foot(0.3, 0.86);
    const QPointF pillarTop(0.46, -0.5);
    QPainterPath neck(boxTop);
    neck.cubicTo(QPointF(-0.2, -1.0), QPointF(0.2, -0.5), pillarTop);
    QPainterPath pillar(pillarTop);
    pillar.cubicTo(QPointF(0.62, 0.0), QPointF(0.5, 0.5), foot);
    MotifShapes shapes;
    shapes.raised = unitedPaths({linePath(boxTop, foot, 0.2), strokePath(neck, 0.12), strokePath(pillar, 0.12)});
    for (int string = 1; string <= 9; ++string) {
        const qreal x = boxTop.x() + (pillarTop.x() - boxTop.x()) * string / 10.0;
        // The neck's height above x, from a fine sampling of the curve.
        qreal top = boxTop.y();
        for (int step = 0; step <= 100; ++step) {
            const QPointF point = neck.pointAtPercent(step / 100.0);
            if (point.x() >= x) {
                top = point.y();
                break;
            }
        }
        const qreal bottom = boxTop.y() + (foot.y() - boxTop.y()) * (x - boxTop.x()) / (foot.x() - boxTop.x());
        if (bottom - top > 0.15)
            shapes.engraved.addPath(linePath(QPointF(x, top + 0.06), QPointF(x, bottom - 0.1), 0.03));
    }
    return shapes;
}

MotifShapes vitruvian()
{
    MotifShapes shapes;
    QPainterPath figure;
    figure.addPath(strokePath(ellipsePath(QPointF(0, 0.02), 0.9, 0.9), 0.04));
    QPainterPath square;
    square.addRect(QRectF(-0.72, -0.62, 1.44, 1.44));
    figure.addPath(strokePath(square, 0.04));
    shapes.engraved = figure;
    shapes.raised = unitedPaths({ellipsePath(QPointF(0, -0.5), 0.12, 0.12), linePath({0, -0.38}, {0, 0.22}, 0.12),
        linePath({-0.72, -0.24}, {0.72, -0.24}, 0.06), linePath({-0.66, -0.62}, {0, -0.3}, 0.05),
        linePath({0.66, -0.62}, {0, -0.3}, 0.05), linePath({0, 0.2}, {-0.16, 0.82}, 0.07),
        linePath({0, 0.2}, {0.16, 0.82}, 0.07), linePath({0, 0.2}, {-0.5, 0.7}, 0.05),
        linePath({0, 0.2}, {0.5, 0.7}, 0.05)});
    return shapes;
}

MotifShapes malteseCross()
{
    MotifShapes shapes;
    const QPainterPath arm = polygonPath({{0, -0.1}, {-0.42, -0.92}, {0, -0.62}, {0.42, -0.92}});
    for (int quarter = 0; quarter < 4; ++quarter)
        shapes.raised = shapes.raised.united(QTransform().rotate(quarter * 90.0).map(arm));
    shapes.raised = shapes.raised.united(ellipsePath(QPointF(0, 0), 0.14, 0.14));
    return shapes;
}

QPainterPath smallShield(QPointF centre, qreal size)
{
    QPainterPath shield(centre + QPointF(-size / 2, -size * 0.6));
    shield.lineTo(centre + QPointF(size / 2, -size * 0.6));
    shield.lineTo(centre + QPointF(size / 2, size * 0.1));
    shield.quadTo(centre + QPointF(size / 2, size * 0.55), centre + QPointF(0, size * 0.65));
    shield.quadTo(centre + QPointF(-size / 2, size * 0.55), centre + QPointF(-size / 2, size * 0.1));
    shield.closeSubpath();
    return shield;
}

MotifShapes seal()
{
    MotifShapes shapes;
    for (const QPointF& at : {QPointF(0, 0), QPointF(0, -0.34), QPointF(0, 0.34), QPointF(-0.3, 0), QPointF(0.3, 0)})
        shapes.raised = shapes.raised.united(smallShield(at, 0.22));
    for (int castle = 0; castle < 7; ++castle) {
        const qreal angle = qDegreesToRadians(-90.0 + castle * 360.0 / 7);
        const QPointF at = QPointF(qCos(angle), qSin(angle)) * 0.74;
        QPainterPath tower;
        tower.addRect(QRectF(at.x() - 0.1, at.y() - 0.06, 0.2, 0.16));
        for (int merlon = 0; merlon < 3; ++merlon)
            tower.addRect(QRectF(at.x() - 0.1 + merlon * 0.075, at.y() - 0.12, 0.05, 0.07));
        shapes.raised = shapes.raised.united(tower.simplified());
    }
    shapes.engraved.addPath(strokePath(ellipsePath(QPointF(0, 0), 0.56, 0.56), 0.03));
    return shapes;
}

MotifShapes doubleCross()
{
    MotifShapes shapes;
    QPainterPath hills;
    hills = hills.united(ellipsePath(QPointF(-0.46, 0.72), 0.32, 0.3));
    hills = hills.united(ellipsePath(QPointF(0.46, 0.72), 0.32, 0.3));
    hills = hills.united(ellipsePath(QPointF(0, 0.6), 0.34, 0.34));
    QPainterPath ground;
    ground.addRect(QRectF(-1, -1, 2, 1.86));
    shapes.raised = unitedPaths(
        {hills.intersected(ground), polygonPath({{-0.07, -0.86}, {0.07, -0.86}, {0.07, 0.4}, {-0.07, 0.4}}),
            polygonPath({{-0.26, -0.66}, {0.26, -0.66}, {0.26, -0.54}, {-0.26, -0.54}}),
            polygonPath({{-0.42, -0.36}, {0.42, -0.36}, {0.42, -0.22}, {-0.42, -0.22}})});
    return shapes;
}

MotifShapes motifShapes(Motif motif)
{
    switch (motif) {
    case Motif::Portrait:
    case Motif::PortraitOnStripes:
        return portrait(false);
    case Motif::PortraitWithBun:
        return portrait(true);
    case Motif::Eagle:
        return eagle();
    case Motif::Rider:
        return rider(false);
    case Motif::Knight:
        return rider(true);
    case Motif::Idol:
        return idol();
    case Motif::EstoniaMap:
        return estoniaMap();
    case Motif::Cloudberry:
        return cloudberry();
    case Motif::Tree:
        return tree();
    case Motif::Owl:
        return owl();
    case Motif::Chequerboard:
        return chequerboard();
    case Motif::Harp:
        return harp();
    case Motif::Vitruvian:
        return vitruvian();
    case Motif::MalteseCross:
        return malteseCross();
    case Motif::Seal:
        return seal();
    case Motif::DoubleCross:
        return doubleCross();
    }
    return {};
}

// Letters a few pixels high lose their strokes to the light edge of an engraving: they are cut
// darker and without it, as the eye reads small type on a coin by its contrast alone.
void drawLettering(QPainter& painter, const QPainterPath& letters, const Metal& metal, int pixelSize)
{
    if (pixelSize >= 16) {
        drawEngraved(painter, letters, metal, pixelSize * 0.05);
        return;
    }
    painter.fillPath(letters, metal.dark.darker(135));
}

// Text set along a circle around centre: on the upper arc it reads left to right with its
// letters standing outwards, on the lower arc left to right with its letters standing inwards.
// radius is that of the baseline on top and of the letters' tops below.
void drawArcText(QPainter& painter, QPointF centre, qreal radius, const QString& text, const QFont& font,
    const Metal& metal, bool upper)
{
    const QFontMetricsF metrics(font);
    const qreal total = metrics.horizontalAdvance(text);
    const qreal baselineRadius = upper ? radius : radius + metrics.ascent() * 0.78;
    const qreal span = total / baselineRadius;
    qreal advanced = 0;
    for (const QChar c : text) {
        const qreal width = metrics.horizontalAdvance(c);
        const qreal middle = (advanced + width / 2) / baselineRadius;
        const qreal angle = upper ? -M_PI / 2 - span / 2 + middle : M_PI / 2 + span / 2 - middle;
        const QPointF at = centre + QPointF(qCos(angle), qSin(angle)) * baselineRadius;
        QPainterPath glyph;
        glyph.addText(-width / 2, 0, font, QString(c));
        QTransform place;
        place.translate(at.x(), at.y());
        place.rotate(qRadiansToDegrees(upper ? angle + M_PI / 2 : angle - M_PI / 2));
        drawLettering(painter, place.map(glyph), metal, font.pixelSize());
        advanced += width;
    }
}

// The ring with its stars and the centre of a 1- or 2-euro coin, the shadow below it.
void paintBlank(QPainter& painter, QPointF centre, qreal radius, CoinValue value, bool starsOnRing)
{
    const Metal& ringMetal = value == CoinValue::OneEuro ? brass : silver;
    const Metal& centreMetal = value == CoinValue::OneEuro ? silver : brass;
    painter.setPen(Qt::NoPen);

    const QPointF shadowCentre = centre + QPointF(radius * 0.05, radius * 0.07);
    QRadialGradient shadow(shadowCentre, radius * 1.06);
    shadow.setColorAt(0.88, QColor(0, 0, 0, 70));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setBrush(shadow);
    painter.drawEllipse(shadowCentre, radius * 1.06, radius * 1.06);

    painter.setBrush(metalGradient(centre, radius, ringMetal, true));
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ringMetal.dark, qMax(1.0, radius * 0.03)));
    painter.drawEllipse(centre, radius * 0.985, radius * 0.985);
    painter.setPen(QPen(ringMetal.dark.lighter(115), qMax(0.7, radius * 0.012)));
    painter.drawEllipse(centre, radius * 0.93, radius * 0.93);

    const qreal inner = radius * centreRatio(value);
    if (starsOnRing) {
        const qreal ringMiddle = (radius * 0.93 + inner) / 2;
        const qreal starRadius = (radius * 0.93 - inner) * 0.32;
        for (int hour = 0; hour < 12; ++hour) {
            const qreal angle = qDegreesToRadians(-90.0 + hour * 30.0);
            const QPointF at = centre + QPointF(qCos(angle), qSin(angle)) * ringMiddle;
            drawEngraved(painter, starPath(at, starRadius), ringMetal, qMax(0.5, radius * 0.01));
        }
    }
    painter.setPen(QPen(centreMetal.dark, qMax(1.0, radius * 0.025)));
    painter.setBrush(metalGradient(centre, inner, centreMetal, false));
    painter.drawEllipse(centre, inner, inner);
    painter.setPen(Qt::NoPen);
}

QPainterPath placedMotif(const QPainterPath& unit, QPointF centre, qreal scale)
{
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.scale(scale, scale);
    return transform.map(unit);
}

// An outline of Europe for the common side, in the unit box: x = (longitude - 15.5°) / 25,
// y = (53.5° - latitude) / 18, shifted right by 0.12 to centre it, through a few dozen coastal
// places from Lisbon to the North Cape.
QPainterPath europeMap()
{
    const QPainterPath map = unitedPaths({
        polygonPath({{-0.98, 0.92}, {-0.98, 0.82}, {-0.99, 0.57}, {-0.74, 0.57}, {-0.67, 0.48}, {-0.8, 0.28},
            {-0.68, 0.22}, {-0.54, 0.14}, {-0.43, 0.03}, {-0.27, -0.02}, {-0.2, -0.23}, {-0.22, -0.04}, {0.12, -0.05},
            {0.22, -0.12}, {0.34, -0.19}, {0.37, -0.33}, {0.59, -0.36}, {0.78, -0.36}, {0.78, 0.42}, {0.61, 0.39},
            {0.57, 0.46}, {0.5, 0.57}, {0.54, 0.69}, {0.3, 0.72}, {0.33, 0.86}, {0.28, 0.95}, {0.21, 0.8}, {0.16, 0.68},
            {0.1, 0.6}, {0.04, 0.56}, {-0.07, 0.44}, {-0.1, 0.47}, {-0.08, 0.55}, {0.02, 0.64}, {0.12, 0.74},
            {0.07, 0.72}, {0.0, 0.86}, {-0.05, 0.7}, {-0.12, 0.64}, {-0.26, 0.5}, {-0.4, 0.57}, {-0.53, 0.67},
            {-0.64, 0.78}, {-0.7, 0.93}, {-0.84, 0.97}}),
        polygonPath({{-0.14, -0.23}, {-0.19, -0.36}, {-0.3, -0.26}, {-0.39, -0.3}, {-0.41, -0.38}, {-0.37, -0.5},
            {-0.26, -0.58}, {-0.04, -0.77}, {0.14, -0.89}, {0.41, -0.98}, {0.58, -0.9}, {0.62, -0.8}, {0.6, -0.6},
            {0.62, -0.42}, {0.38, -0.37}, {0.27, -0.38}, {0.24, -0.53}, {0.4, -0.64}, {0.34, -0.68}, {0.26, -0.67},
            {0.07, -0.49}, {0.1, -0.32}, {0.04, -0.18}, {-0.1, -0.12}}),
        polygonPath({{-0.85, 0.19}, {-0.57, 0.13}, {-0.55, 0.04}, {-0.62, 0.0}, {-0.75, -0.14}, {-0.7, -0.2},
            {-0.74, -0.28}, {-0.82, -0.28}, {-0.82, -0.13}, {-0.74, 0.01}, {-0.83, 0.09}, {-0.74, 0.12}}),
        polygonPath({{-0.91, -0.1}, {-0.87, 0.01}, {-0.88, 0.07}, {-1.01, 0.11}, {-0.98, 0.01}, {-1.02, -0.04}}),
    });
    return QTransform::fromTranslate(0.12, 0).map(map);
}

} // namespace

qreal centreRatio(CoinValue value)
{
    // 18.75 of 25.75 mm for two euros, 16.25 of 23.25 mm for one.
    return value == CoinValue::TwoEuro ? 18.75 / 25.75 : 16.25 / 23.25;
}

const QList<NationalSide>& nationalSides()
{
    using V = CoinValue;
    static const QList<NationalSide> sides {
        {"at", "Österreich", V::TwoEuro, Motif::PortraitOnStripes, "2 EURO", {}, 2002},
        {"be", "Belgien", V::TwoEuro, Motif::Portrait, {}, "BE", 2014},
        {"bg", "Bulgarien", V::OneEuro, Motif::Rider, "БЪЛГАРИЯ", {}, 2026},
        {"cy", "Zypern", V::OneEuro, Motif::Idol, "ΚΥΠΡΟΣ KIBRIS", {}, 2008},
        {"de", "Deutschland", V::TwoEuro, Motif::Eagle, {}, "A", 2002},
        {"ee", "Estland", V::TwoEuro, Motif::EstoniaMap, "EESTI", {}, 2011},
        {"es", "Spanien", V::TwoEuro, Motif::Portrait, "ESPAÑA", {}, 2015},
        {"fi", "Finnland", V::TwoEuro, Motif::Cloudberry, {}, "FI", 2002},
        {"fr", "Frankreich", V::TwoEuro, Motif::Tree, "LIBERTÉ ÉGALITÉ FRATERNITÉ", {}, 2002},
        {"gr", "Griechenland", V::OneEuro, Motif::Owl, "ΕΛΛΑΔΑ", {}, 2002},
        {"hr", "Kroatien", V::TwoEuro, Motif::Chequerboard, "HRVATSKA", {}, 2023},
        {"ie", "Irland", V::TwoEuro, Motif::Harp, "éire", {}, 2002},
        {"it", "Italien", V::OneEuro, Motif::Vitruvian, {}, "RI", 2002},
        {"lt", "Litauen", V::TwoEuro, Motif::Knight, "LIETUVA", {}, 2015},
        {"lu", "Luxemburg", V::TwoEuro, Motif::Portrait, "LËTZEBUERG", {}, 2002},
        {"lv", "Lettland", V::TwoEuro, Motif::PortraitWithBun, "LATVIJA", {}, 2014},
        {"mt", "Malta", V::TwoEuro, Motif::MalteseCross, "MALTA", {}, 2008},
        {"nl", "Niederlande", V::TwoEuro, Motif::Portrait, "KONING DER NEDERLANDEN", {}, 2014},
        {"pt", "Portugal", V::TwoEuro, Motif::Seal, "PORTUGAL", {}, 2002},
        {"si", "Slowenien", V::TwoEuro, Motif::Portrait, "SLOVENIJA", {}, 2007},
        {"sk", "Slowakei", V::TwoEuro, Motif::DoubleCross, "SLOVENSKO", {}, 2009},
    };
    return sides;
}

void paintNationalSide(QPainter& painter, QPointF centre, qreal radius, const NationalSide& side)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintBlank(painter, centre, radius, side.value, true);
    const Metal& metal = side.value == CoinValue::OneEuro ? silver : brass;
    const qreal inner = radius * centreRatio(side.value);
    const qreal depth = qMax(0.6, radius * 0.012);

    painter.save();
    QPainterPath centreArea;
    centreArea.addEllipse(centre, inner * 0.97, inner * 0.97);
    painter.setClipPath(centreArea);
    if (side.motif == Motif::PortraitOnStripes) {
        // Hatched bands above and below, as the coins of a country with a red-white-red flag
        // show its colours.
        QPainterPath hatching;
        for (qreal y = -inner; y <= inner; y += qMax(2.0, inner * 0.06)) {
            if (qAbs(y) < inner * 0.3)
                continue;
            hatching.addPath(
                linePath(centre + QPointF(-inner, y), centre + QPointF(inner, y), qMax(0.6, inner * 0.015)));
        }
        drawEngraved(painter, hatching, metal, depth * 0.5);
    }
    const bool hasInscription = !side.inscription.isEmpty();
    const qreal motifScale = inner * (hasInscription ? 0.56 : 0.66);
    const QPointF motifCentre = centre + QPointF(0, hasInscription ? inner * 0.06 : 0);
    const MotifShapes shapes = motifShapes(side.motif);
    drawRelief(painter, placedMotif(shapes.raised, motifCentre, motifScale), metal, depth);
    if (!shapes.engraved.isEmpty())
        drawEngraved(painter, placedMotif(shapes.engraved, motifCentre, motifScale), metal, depth * 0.5);
    painter.restore();

    if (hasInscription) {
        // Long inscriptions take a smaller letter, so that they stay on the upper arc.
        const int letters = int(side.inscription.size());
        const int pixelSize = qMax(5, qRound(inner * (letters > 12 ? 0.17 : 0.23)));
        QFont font = programFont(pixelSize, true);
        font.setLetterSpacing(QFont::PercentageSpacing, 110);
        drawArcText(painter, centre, inner * 0.8, side.inscription, font, metal, true);
    }
    if (!side.sideText.isEmpty()) {
        const QFont font = programFont(qMax(5, qRound(inner * 0.22)), true);
        drawLettering(painter, textPath(side.sideText, font, centre + QPointF(inner * 0.72, -inner * 0.05)), metal,
            font.pixelSize());
    }
    const QFont yearFont = programFont(qMax(5, qRound(inner * 0.19)), true);
    drawArcText(painter, centre, inner * 0.8, QString::number(side.year), yearFont, metal, false);
    painter.restore();
}

QImage drawNationalSide(const NationalSide& side, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // The shadow falls to the lower right: the coin sits a little up and left of the middle.
    const qreal radius = size * 0.46;
    paintNationalSide(painter, QPointF(size / 2.0 - size * 0.02, size / 2.0 - size * 0.025), radius, side);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

void paintCommonSide(QPainter& painter, QPointF centre, qreal radius, CoinValue value)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    paintBlank(painter, centre, radius, value, false);
    const Metal& ringMetal = value == CoinValue::OneEuro ? brass : silver;
    const Metal& metal = value == CoinValue::OneEuro ? silver : brass;
    const qreal inner = radius * centreRatio(value);
    const qreal depth = qMax(0.6, radius * 0.012);

    const QString numeral = value == CoinValue::OneEuro ? QStringLiteral("1") : QStringLiteral("2");
    drawRelief(painter,
        textPath(numeral, programFont(qRound(inner * 1.05), true), centre + QPointF(-inner * 0.45, -inner * 0.12)),
        metal, depth);
    drawEngraved(painter,
        textPath(QStringLiteral("EURO"), programFont(qRound(inner * 0.2), true),
            centre + QPointF(-inner * 0.45, inner * 0.58)),
        metal, depth * 0.6);
    // Six lines run from behind the map out to the ring, a star at each of their ends; the map
    // lies over their middle.
    for (int line = 0; line < 6; ++line) {
        const qreal y = -0.6 + line * 0.24;
        const QPointF from = centre + QPointF(-inner * 0.02, inner * y);
        const QPointF to = centre + QPointF(radius * (0.9 - qAbs(y + 0.05) * 0.32), inner * (y - 0.08));
        painter.setPen(QPen(metal.dark, qMax(0.6, radius * 0.008)));
        painter.drawLine(from, to);
        painter.setPen(Qt::NoPen);
        const Metal& endMetal = QLineF(centre, to).length() > inner ? ringMetal : metal;
        drawEngraved(painter, starPath(from, radius * 0.035), metal, depth * 0.5);
        drawEngraved(painter, starPath(to, radius * 0.035), endMetal, depth * 0.5);
    }
    drawRelief(
        painter, placedMotif(europeMap(), centre + QPointF(inner * 0.36, -inner * 0.04), inner * 0.5), metal, depth);
    painter.restore();
}

} // namespace coins
