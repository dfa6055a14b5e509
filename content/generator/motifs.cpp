#include "motifs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

namespace motifs {

QLinearGradient metalGradient(QPointF centre, qreal radius, const Metal& metal, bool litFromTopLeft)
{
    const QPointF diagonal(radius * 0.8, radius * 0.8);
    QLinearGradient gradient(centre - diagonal, centre + diagonal);
    gradient.setColorAt(litFromTopLeft ? 0.0 : 1.0, metal.light);
    gradient.setColorAt(0.5, metal.mid);
    gradient.setColorAt(litFromTopLeft ? 1.0 : 0.0, metal.dark);
    return gradient;
}

void drawEngraved(QPainter& painter, const QPainterPath& shape, const Metal& metal, qreal depth)
{
    painter.fillPath(shape.translated(depth, depth), metal.light);
    painter.fillPath(shape, metal.dark);
}

QPainterPath textPath(const QString& text, const QFont& font, QPointF centre)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    return path.translated(centre - box.center());
}

QFont programFont(int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QPainterPath starPath(QPointF centre, qreal outerRadius)
{
    // The inner corners of a regular pentagram lie at sin 18° / sin 54° of the outer radius.
    const qreal innerRadius = outerRadius * qSin(qDegreesToRadians(18.0)) / qSin(qDegreesToRadians(54.0));
    QPainterPath path;
    for (int corner = 0; corner < 10; ++corner) {
        const qreal angle = qDegreesToRadians(-90.0 + corner * 36.0);
        const qreal radius = corner % 2 == 0 ? outerRadius : innerRadius;
        const QPointF point = centre + QPointF(qCos(angle), qSin(angle)) * radius;
        if (corner == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void drawStarRing(QPainter& painter, QPointF centre, qreal ringRadius, qreal starRadius, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int hour = 0; hour < 12; ++hour) {
        const qreal angle = qDegreesToRadians(-90.0 + hour * 30.0);
        painter.fillPath(starPath(centre + QPointF(qCos(angle), qSin(angle)) * ringRadius, starRadius), colour);
    }
    painter.restore();
}

void drawStarDisc(QPainter& painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient body(centre, radius, centre - QPointF(radius * 0.35, radius * 0.4));
    body.setColorAt(0.0, QColor(34, 92, 196));
    body.setColorAt(0.6, euroBlue);
    body.setColorAt(1.0, QColor(0, 36, 112));
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawEllipse(centre, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 90), qMax(1.0, radius * 0.025)));
    painter.drawEllipse(centre, radius * 0.93, radius * 0.93);
    painter.restore();
    drawStarRing(painter, centre, radius * 0.68, radius * 0.125, starGold);
}

void drawEuroCoin(QPainter& painter, QPointF centre, qreal radius, CoinValue value)
{
    const Metal& ringMetal = value == CoinValue::OneEuro ? brass : silver;
    const Metal& centreMetal = value == CoinValue::OneEuro ? silver : brass;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QPointF shadowCentre = centre + QPointF(radius * 0.07, radius * 0.09);
    QRadialGradient shadow(shadowCentre, radius * 1.08);
    shadow.setColorAt(0.85, QColor(0, 0, 0, 70));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.setBrush(shadow);
    painter.drawEllipse(shadowCentre, radius * 1.08, radius * 1.08);

    painter.setBrush(metalGradient(centre, radius, ringMetal, true));
    painter.drawEllipse(centre, radius, radius);

    // Raised rim: a dark outer edge and a fine groove where the rim meets the ring.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ringMetal.dark, qMax(1.0, radius * 0.035)));
    painter.drawEllipse(centre, radius * 0.985, radius * 0.985);
    painter.setPen(QPen(ringMetal.dark.lighter(120), qMax(0.8, radius * 0.015)));
    painter.drawEllipse(centre, radius * 0.9, radius * 0.9);

    for (int hour = 0; hour < 12; ++hour) {
        const qreal angle = qDegreesToRadians(-90.0 + hour * 30.0);
        const QPointF at = centre + QPointF(qCos(angle), qSin(angle)) * radius * 0.79;
        drawEngraved(painter, starPath(at, radius * 0.075), ringMetal, qMax(0.6, radius * 0.012));
    }

    const qreal innerRadius = radius * 0.66;
    painter.setPen(QPen(centreMetal.dark, qMax(1.0, radius * 0.03)));
    painter.setBrush(metalGradient(centre, innerRadius, centreMetal, false));
    painter.drawEllipse(centre, innerRadius, innerRadius);

    // The common side: the value on the left, fine lines on the right that stand for the
    // map of the real coin.
    const QString numeral = value == CoinValue::OneEuro ? QStringLiteral("1") : QStringLiteral("2");
    const QPainterPath numeralShape = textPath(
        numeral, programFont(qRound(radius * 0.78), true), centre + QPointF(-innerRadius * 0.36, -innerRadius * 0.08));
    drawEngraved(painter, numeralShape, centreMetal, qMax(0.7, radius * 0.02));
    const QPainterPath euroShape = textPath(QStringLiteral("EURO"), programFont(qMax(5, qRound(radius * 0.15)), true),
        centre + QPointF(-innerRadius * 0.36, innerRadius * 0.62));
    drawEngraved(painter, euroShape, centreMetal, qMax(0.5, radius * 0.01));

    painter.setPen(QPen(centreMetal.dark, qMax(0.6, radius * 0.014)));
    for (int line = 0; line < 6; ++line) {
        const qreal y = centre.y() - innerRadius * 0.55 + line * innerRadius * 0.22;
        const qreal x0 = centre.x() + innerRadius * 0.12;
        const qreal x1 = centre.x() + innerRadius * (0.72 - qAbs(line - 2.5) * 0.08);
        painter.drawLine(QPointF(x0, y), QPointF(x1, y - innerRadius * 0.08));
    }
    painter.restore();
}

const QList<FlagDesign>& euroAreaFlags()
{
    const QColor white(255, 255, 255);
    static const QList<FlagDesign> flags {
        {Qt::Horizontal, {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)}, {}, false}, // Deutschland
        {Qt::Vertical, {QColor(0, 35, 149), white, QColor(237, 41, 57)}, {}, false}, // Frankreich
        {Qt::Vertical, {QColor(0, 146, 70), white, QColor(206, 43, 55)}, {}, false}, // Italien
        {Qt::Horizontal, {QColor(200, 16, 46), white, QColor(200, 16, 46)}, {}, false}, // Österreich
        {Qt::Horizontal, {QColor(174, 28, 40), white, QColor(33, 70, 139)}, {}, false}, // Niederlande
        {Qt::Vertical, {QColor(0, 0, 0), QColor(253, 218, 36), QColor(239, 51, 64)}, {}, false}, // Belgien
        {Qt::Horizontal, {white, QColor(0, 47, 108)}, {}, true}, // Finnland
        {Qt::Horizontal, {QColor(170, 21, 27), QColor(241, 191, 0), QColor(170, 21, 27)}, {1, 2, 1}, false}, // Spanien
        {Qt::Vertical, {QColor(22, 155, 98), white, QColor(255, 136, 62)}, {}, false}, // Irland
        {Qt::Horizontal, {QColor(0, 114, 206), QColor(0, 0, 0), white}, {}, false}, // Estland
        {Qt::Horizontal, {QColor(253, 185, 19), QColor(0, 106, 68), QColor(193, 39, 45)}, {}, false}, // Litauen
        {Qt::Horizontal, {QColor(237, 41, 57), white, QColor(0, 161, 222)}, {}, false}, // Luxemburg
        {Qt::Horizontal, {QColor(158, 48, 57), white, QColor(158, 48, 57)}, {2, 1, 2}, false}, // Lettland
        {Qt::Vertical, {white, QColor(207, 20, 43)}, {}, false}, // Malta
    };
    return flags;
}

void drawFlag(QPainter& painter, const QRectF& rect, const FlagDesign& flag)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal corner = qMin(rect.width(), rect.height()) * 0.08;
    QPainterPath outline;
    outline.addRoundedRect(rect, corner, corner);
    painter.setClipPath(outline);

    if (flag.nordicCross) {
        painter.fillRect(rect, flag.colours.value(0));
        // Finnish proportions: the cross is 3/11 of the height wide and its upright stands
        // 5/18 of the width in from the hoist.
        const qreal bar = rect.height() * 3.0 / 11.0;
        const qreal uprightLeft = rect.left() + rect.width() * 5.0 / 18.0;
        painter.fillRect(QRectF(uprightLeft, rect.top(), bar, rect.height()), flag.colours.value(1));
        painter.fillRect(QRectF(rect.left(), rect.center().y() - bar / 2, rect.width(), bar), flag.colours.value(1));
    } else {
        int total = 0;
        for (int i = 0; i < flag.colours.size(); ++i)
            total += flag.weights.value(i, 1);
        qreal offset = 0;
        for (int i = 0; i < flag.colours.size(); ++i) {
            const qreal share = qreal(flag.weights.value(i, 1)) / total;
            QRectF stripe = flag.stripeDirection == Qt::Horizontal
                ? QRectF(rect.left(), rect.top() + offset * rect.height(), rect.width(), share * rect.height())
                : QRectF(rect.left() + offset * rect.width(), rect.top(), share * rect.width(), rect.height());
            // Overlap by a hair so that antialiased seams never let the background through.
            painter.fillRect(stripe.adjusted(0, 0, 0.5, 0.5), flag.colours.at(i));
            offset += share;
        }
    }

    QLinearGradient gloss(rect.topLeft(), rect.bottomLeft());
    gloss.setColorAt(0.0, QColor(255, 255, 255, 70));
    gloss.setColorAt(0.45, QColor(255, 255, 255, 0));
    gloss.setColorAt(1.0, QColor(0, 0, 0, 25));
    painter.fillRect(rect, gloss);
    painter.setClipping(false);
    painter.setPen(QPen(QColor(0, 0, 0, 80), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    painter.restore();
}

void drawFlagGarland(QPainter& painter, QPointF from, QPointF to, qreal sag, QSizeF flagSize, int flagCount)
{
    const auto pointAt = [&](qreal t) { return from + (to - from) * t + QPointF(0, sag * 4 * t * (1 - t)); };
    const auto slopeAt = [&](qreal t) {
        const QPointF d = (to - from) + QPointF(0, sag * 4 * (1 - 2 * t));
        return qRadiansToDegrees(qAtan2(d.y(), d.x()));
    };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath cord;
    cord.moveTo(from);
    for (int step = 1; step <= 64; ++step)
        cord.lineTo(pointAt(step / 64.0));
    painter.setPen(QPen(QColor(128, 128, 120), 1.3));
    painter.drawPath(cord);

    const QList<FlagDesign>& flags = euroAreaFlags();
    for (int i = 0; i < flagCount; ++i) {
        const qreal t = (i + 0.5) / flagCount;
        painter.save();
        painter.translate(pointAt(t));
        painter.rotate(slopeAt(t));
        const QRectF flagRect(-flagSize.width() / 2, 1.5, flagSize.width(), flagSize.height());
        painter.fillRect(flagRect.translated(1.5, 2), QColor(0, 0, 0, 28));
        drawFlag(painter, flagRect, flags.at(i % flags.size()));
        painter.restore();
    }
    painter.restore();
}

} // namespace motifs
