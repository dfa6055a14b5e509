#include "flags.h"

#include <QPainter>
#include <QSvgRenderer>

namespace flags {

QImage renderFlag(const QString& svgPath, QSize size)
{
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace flags
