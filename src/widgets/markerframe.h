#pragma once

#include <QWidget>

// The quiz's marker: a red frame around a point or a box on the card, drawn over it. It lets
// the mouse through to whatever lies below, so that a tile dragged over it keeps its drag.
class MarkerFrame : public QWidget
{
    Q_OBJECT
public:
    // Hidden until placed.
    explicit MarkerFrame(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
