#include "cardimage.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>

namespace {

// Left to Qt the card would be an unnamed filler; it is a picture, named "Lernkarte".
QAccessibleInterface* cardImageAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("CardImage") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

CardImage::CardImage(QWidget* parent)
    : QWidget(parent)
{
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(cardImageAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAccessibleName(QStringLiteral("Lernkarte"));
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
    // The bitmap's logical size: it may have more device pixels than logical ones.
    const QSize size = CardView::logicalSize(*m_image);
    return QPoint(qMax(0, (width() - size.width()) / 2), qMax(0, (height() - size.height()) / 2));
}

void CardImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    if (m_image && !m_image->isNull()) {
        painter.drawImage(imageOrigin(), *m_image);
        // Reported after this paint: the answer draws the bitmap again.
        if (m_ratioWatch.changed(m_image->devicePixelRatio(), devicePixelRatioF()))
            QMetaObject::invokeMethod(this, &CardImage::devicePixelRatioChanged, Qt::QueuedConnection);
    }
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
