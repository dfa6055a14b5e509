#pragma once

#include "cardview/cardview.h"

#include <QImage>
#include <QWidget>

// The image control of the learning card: shows the card view's bitmap centred, as it is, and
// reports the mouse to the window, which decides what a press means (a click on an object, a
// pan, a drawing tool).
class CardImage : public QWidget
{
    Q_OBJECT
public:
    explicit CardImage(QWidget* parent = nullptr);

    // The bitmap shown; not owned, it must live as long as it is shown. nullptr shows nothing.
    void setImage(const QImage* image);
    const QImage* image() const { return m_image; }
    // Top-left corner of the bitmap inside the control.
    QPoint imageOrigin() const;

signals:
    // The control is now on a screen with another device pixel ratio than its bitmap's (it
    // moved to another screen, or the screen's scale changed): the bitmap wants drawing again.
    void devicePixelRatioChanged();
    void mousePressed(Qt::MouseButton button, QPoint position);
    void mouseMoved(Qt::MouseButtons buttons, QPoint position);
    void mouseReleased(Qt::MouseButton button, QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const QImage* m_image = nullptr;
    PixelRatioWatch m_ratioWatch;
};
