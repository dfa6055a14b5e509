#pragma once

#include "document/topicdocument.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The instruction for the kind of topic and the query mode ("Ziehe die Beschriftungen an die
// jeweils richtige Position!", ...).
QString instructionText(DocType kind, int queryMode);

// The quiz panel's background: the card as its image control shows it, a bar right of the
// picture and the instruction on white beside it. Drawn without widgets, so that the panel only
// shows it and tests and benchmarks draw it alone.
class InstructionStrip
{
public:
    // Rebuilds the whole strip for a panel of panelSize: the picture area (left of pictureWidth)
    // in cardBackground, the bar and the instruction, then the card's view bitmap with its
    // top-left corner at viewAt (panel pixels).
    void draw(QSize panelSize, int pictureWidth, const QColor& cardBackground, const QImage& view, QPoint viewAt,
        const QString& instruction);

    // Takes over the pixels of viewRect (logical pixels of view) after one object was drawn into
    // the view; returns the panel rectangle that changed, empty when none did.
    QRect takeOver(const QImage& view, const QRect& viewRect);

    const QImage& image() const { return m_image; }

private:
    QImage m_image; // at the view's device pixel ratio
    QPoint m_viewAt;
    double m_ratio = 1.0;
};
