#include "cardimage.h"

#include <QMouseEvent>
#include <QPainter>

CardImage::CardImage(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CardImage::setImage(const QImage* image)
{
    m_image = image;
    update();
}

QPoint CardImage::imageOrigin() const
{
    if (!m_image)
        return {};
    return QPoint(qMax(0, (width() - m_image->width()) / 2), qMax(0, (height() - m_image->height()) / 2));
}

void CardImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    if (m_image && !m_image->isNull())
        painter.drawImage(imageOrigin(), *m_image);
}

void CardImage::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event->button(), event->position().toPoint());
}

void CardImage::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons(), event->position().toPoint());
}

void CardImage::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased(event->button(), event->position().toPoint());
}
