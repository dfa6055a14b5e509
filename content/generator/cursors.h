#pragma once

#include <QImage>
#include <QList>
#include <QString>

// The program's own mouse cursors: 32 x 32 ARGB, black outlines with a white halo so that
// they stay visible on light and dark pictures alike.
namespace cursors {

struct CursorPicture
{
    QString name; // Resource name without extension, e.g. "STIFT5".
    QImage image; // Carries its hot spot as the PNG text "hotspot" = "x,y".
};

QList<CursorPicture> drawCursors();

} // namespace cursors
