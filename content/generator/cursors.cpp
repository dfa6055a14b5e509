#include "cursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

namespace cursors {

namespace {

constexpr int cursorSize = 32;

QImage blankCursor()
{
    QImage image(cursorSize, cursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Fills a shape and rings it with one black and, outside that, one white pixel.
void drawOutlined(QPainter& painter, const QPainterPath& shape, const QColor& fill)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shape);
    painter.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shape);
    painter.fillPath(shape, fill);
}

// Fills a shape and rings it with one white pixel: the classic look of a black cursor.
void drawHaloed(QPainter& painter, const QPainterPath& shape, const QColor& fill)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::SvgMiterJoin));
    painter.drawPath(shape);
    painter.fillPath(shape, fill);
}

QPainterPath thickPolyline(const QList<QPointF>& points, qreal width, Qt::PenCapStyle cap)
{
    QPainterPath line;
    line.moveTo(points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        line.lineTo(points.at(i));
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(cap);
    stroker.setJoinStyle(Qt::MiterJoin);
    return stroker.createStroke(line).simplified();
}

QPainterPath rectsPath(std::initializer_list<QRectF> rects)
{
    QPainterPath path;
    for (const QRectF& rect : rects)
        path.addRect(rect);
    return path.simplified();
}

CursorPicture finish(const QString& name, QImage image, QPoint hotSpot)
{
    image.setText(QStringLiteral("hotspot"), QStringLiteral("%1,%2").arg(hotSpot.x()).arg(hotSpot.y()));
    return {name, image};
}

// The red pen lies diagonally with its nib on the hot spot, where the 5-pixel line starts.
CursorPicture drawPen()
{
    const QPoint hotSpot(2, 29);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(hotSpot.x() + 0.5, hotSpot.y() + 0.5);
    painter.rotate(-45);

    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.lineTo(5, -1.8);
    nib.lineTo(5, 1.8);
    nib.closeSubpath();
    QPainterPath cone;
    cone.moveTo(5, -1.8);
    cone.lineTo(10, -3.8);
    cone.lineTo(10, 3.8);
    cone.lineTo(5, 1.8);
    cone.closeSubpath();
    QPainterPath barrel;
    barrel.addRect(QRectF(10, -3.8, 21, 7.6));
    QPainterPath cap;
    cap.addRoundedRect(QRectF(30, -3.8, 5, 7.6), 1.5, 1.5);

    drawOutlined(painter, nib.united(cone).united(barrel).united(cap), QColor(226, 30, 30));
    painter.fillPath(nib, QColor(255, 0, 0));
    painter.fillPath(cone, QColor(214, 214, 210));
    painter.fillPath(barrel, QColor(214, 28, 28));
    painter.fillRect(QRectF(11, -2.6, 19, 1.6), QColor(255, 130, 120));
    painter.fillPath(cap, QColor(70, 70, 70));
    painter.setPen(QPen(Qt::black, 0.8));
    painter.drawLine(QPointF(10, -3.8), QPointF(10, 3.8));
    painter.drawLine(QPointF(5, -1.8), QPointF(5, 1.8));
    painter.end();
    return finish(QStringLiteral("STIFT5"), image, hotSpot);
}

// The marker paints a round stroke 25 pixels wide; the cursor shows that footprint.
CursorPicture drawMarker()
{
    const QPoint hotSpot(16, 16);
    const QPointF centre(hotSpot.x() + 0.5, hotSpot.y() + 0.5);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 240, 0, 90));
    painter.drawEllipse(centre, 12.5, 12.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawEllipse(centre, 13.5, 13.5);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawEllipse(centre, 12.5, 12.5);

    // A small chisel-tip highlighter in the middle tells it apart from other round cursors.
    painter.translate(centre);
    painter.rotate(-45);
    QPainterPath body;
    body.addRect(QRectF(-1, -3, 11, 6));
    QPainterPath tip;
    tip.moveTo(-1, -3);
    tip.lineTo(-5, -1);
    tip.lineTo(-5, 2);
    tip.lineTo(-1, 3);
    tip.closeSubpath();
    const QPainterPath shape = body.united(tip);
    drawOutlined(painter, shape, QColor(255, 230, 0));
    painter.fillPath(body, QColor(255, 236, 40));
    painter.fillRect(QRectF(6, -3, 4, 6), QColor(90, 90, 90));
    painter.fillPath(tip, QColor(255, 250, 120));
    painter.end();
    return finish(QStringLiteral("MARKER25"), image, hotSpot);
}

// The eraser restores the 32 x 32 square centred on the mouse: the cursor's edge is that
// square's edge.
CursorPicture drawEraser()
{
    const QPoint hotSpot(16, 16);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, cursorSize - 1, cursorSize - 1));
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawRect(QRectF(1.5, 1.5, cursorSize - 3, cursorSize - 3));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(hotSpot.x() + 0.5, hotSpot.y() + 0.5);
    painter.rotate(-30);
    const QRectF block(-8, -4.5, 16, 9);
    QPainterPath shape;
    shape.addRoundedRect(block, 1.5, 1.5);
    drawOutlined(painter, shape, QColor(250, 140, 160));
    painter.fillRect(QRectF(2, -4.5, 6, 9), QColor(90, 130, 220));
    painter.setPen(QPen(Qt::black, 0.8));
    painter.drawLine(QPointF(2, -4.5), QPointF(2, 4.5));
    painter.end();
    return finish(QStringLiteral("RADIER32"), image, hotSpot);
}

CursorPicture drawMoveArrows()
{
    const QPoint hotSpot(16, 16);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // One arm pointing up, from the corner of the centre square round the arrow head to the
    // next corner, repeated in four quarter turns about the hot spot's pixel centre. The
    // shafts' edges lie on whole pixels so that they are crisp.
    const QPointF c(hotSpot.x() + 0.5, hotSpot.y() + 0.5);
    const QPointF arm[] = {{-1.5, -9}, {-5.5, -9}, {0, -14.5}, {5.5, -9}, {1.5, -9}, {1.5, -1.5}};
    QPolygonF outline;
    for (int quarter = 0; quarter < 4; ++quarter) {
        QTransform turn;
        turn.rotate(quarter * 90);
        for (const QPointF& point : arm)
            outline << c + turn.map(point);
    }
    QPainterPath arrows;
    arrows.addPolygon(outline);
    arrows.closeSubpath();
    drawHaloed(painter, arrows, Qt::black);
    painter.end();
    return finish(QStringLiteral("PFEILMOVE"), image, hotSpot);
}

// The tick tool stamps its glyph centred 5 pixels right of and 1 pixel below the mouse; the
// cursor shows the tick where it will land.
CursorPicture drawTick()
{
    const QPoint hotSpot(11, 15);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath tick = thickPolyline({{6, 16}, {12.5, 22.5}, {26.5, 8}}, 5.0, Qt::RoundCap);
    drawOutlined(painter, tick, QColor(0, 196, 0));
    painter.end();
    return finish(QStringLiteral("HAEKCHEN"), image, hotSpot);
}

// The cross is stamped centred 1 pixel right of the mouse.
CursorPicture drawCross()
{
    const QPoint hotSpot(15, 16);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c(16.5, 16.5);
    const qreal arm = 8.5;
    QPainterPath cross = thickPolyline({c + QPointF(-arm, -arm), c + QPointF(arm, arm)}, 5.0, Qt::FlatCap)
                             .united(thickPolyline({c + QPointF(arm, -arm), c + QPointF(-arm, arm)}, 5.0, Qt::FlatCap));
    drawOutlined(painter, cross.simplified(), QColor(220, 0, 0));
    painter.end();
    return finish(QStringLiteral("KREUZ"), image, hotSpot);
}

// The keyword field opens with its lower left corner at the click, so the hot spot is the
// foot of the I-beam; the small blue "T" is the colour the keywords are written in.
CursorPicture drawTextEntry()
{
    const QPoint hotSpot(9, 27);
    QImage image = blankCursor();
    QPainter painter(&image);
    const QPainterPath beam = rectsPath(
        {QRectF(5, 4, 4, 2), QRectF(10, 4, 4, 2), QRectF(8, 5, 3, 22), QRectF(5, 26, 4, 2), QRectF(10, 26, 4, 2)});
    drawHaloed(painter, beam, Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath letter = rectsPath({QRectF(17, 6, 11, 3), QRectF(21, 6, 3, 11)});
    drawOutlined(painter, letter, QColor(0, 88, 255));
    painter.end();
    return finish(QStringLiteral("TEXTEINGABE"), image, hotSpot);
}

CursorPicture drawOpenHand()
{
    const QPoint hotSpot(16, 16);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // Four fingers with round tips, the palm and the thumb to the left, traced as one
    // outline so that no inner edges show.
    QPainterPath hand;
    hand.moveTo(9, 19);
    hand.lineTo(9, 10);
    hand.arcTo(QRectF(9, 8, 4, 4), 180, -180);
    hand.lineTo(13, 7);
    hand.arcTo(QRectF(13, 5, 4, 4), 180, -180);
    hand.lineTo(17, 8);
    hand.arcTo(QRectF(17, 6, 4, 4), 180, -180);
    hand.lineTo(21, 11);
    hand.arcTo(QRectF(21, 9, 4, 4), 180, -180);
    hand.lineTo(25, 22);
    hand.quadTo(25, 28, 19, 28);
    hand.lineTo(15, 28);
    hand.quadTo(12, 28, 10, 25);
    hand.lineTo(5, 19.5);
    hand.quadTo(3, 16.5, 6, 16);
    hand.closeSubpath();
    drawOutlined(painter, hand, Qt::white);

    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawLine(QPointF(12.5, 10.5), QPointF(12.5, 16));
    painter.drawLine(QPointF(16.5, 8.5), QPointF(16.5, 16));
    painter.drawLine(QPointF(20.5, 11), QPointF(20.5, 16));
    painter.end();
    return finish(QStringLiteral("HAND"), image, hotSpot);
}

// The drag cursor: a black arrow carrying a small sheet.
CursorPicture drawDragArrow()
{
    const QPoint hotSpot(1, 1);
    QImage image = blankCursor();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QPainterPath sheet;
    sheet.addRect(QRectF(14, 18, 14, 11));
    painter.setPen(QPen(Qt::white, 3.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(sheet);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(14.5, 18.5, 13, 10));
    painter.setPen(QPen(QColor(120, 120, 120), 1.0));
    for (int y = 21; y <= 26; y += 2)
        painter.drawLine(QPointF(17, y + 0.5), QPointF(25, y + 0.5));

    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 18);
    arrow.lineTo(5, 14);
    arrow.lineTo(8, 21);
    arrow.lineTo(11, 20);
    arrow.lineTo(8, 13);
    arrow.lineTo(13, 13);
    arrow.closeSubpath();
    drawHaloed(painter, arrow, Qt::black);
    painter.end();
    return finish(QStringLiteral("DRAGBLACK"), image, hotSpot);
}

} // namespace

QList<CursorPicture> drawCursors()
{
    return {drawPen(), drawMarker(), drawEraser(), drawMoveArrows(), drawTick(), drawCross(), drawTextEntry(),
        drawOpenHand(), drawDragArrow()};
}

} // namespace cursors
