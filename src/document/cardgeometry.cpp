#include "cardgeometry.h"

#include "common/rounding.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {

double saneMargin(double value)
{
    return std::isfinite(value) ? std::clamp(value, 0.0, 10.0) : 0.0;
}

} // namespace

CardFrame cardFrame(QSize pictureSize, const std::array<double, 4>& margins)
{
    const int pictureWidth = qMax(1, pictureSize.width());
    const int pictureHeight = qMax(1, pictureSize.height());
    const double left = saneMargin(margins[0]);
    const double top = saneMargin(margins[1]);
    const double right = saneMargin(margins[2]);
    const double bottom = saneMargin(margins[3]);
    CardFrame frame;
    frame.size = QSize(qMax(1, roundHalfAwayFromZero((left + 1 + right) * pictureWidth)),
        qMax(1, roundHalfAwayFromZero((top + 1 + bottom) * pictureHeight)));
    frame.pictureOffset
        = QPoint(roundHalfAwayFromZero(pictureWidth * left), roundHalfAwayFromZero(pictureHeight * top));
    frame.pictureSize = QSize(pictureWidth, pictureHeight);
    return frame;
}

QPointF cardToPicture(const CardFrame& frame, QPointF card)
{
    return QPointF(card.x() * frame.size.width() - frame.pictureOffset.x(),
        card.y() * frame.size.height() - frame.pictureOffset.y());
}

QPointF pictureToCard(const CardFrame& frame, QPointF picture)
{
    return QPointF((picture.x() + frame.pictureOffset.x()) / frame.size.width(),
        (picture.y() + frame.pictureOffset.y()) / frame.size.height());
}
