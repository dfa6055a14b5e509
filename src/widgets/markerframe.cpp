#include "widgets/markerframe.h"

#include <QPainter>

MarkerFrame::MarkerFrame(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void MarkerFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(Qt::red, 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
