#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

class QPainter;
class QRect;

// The three colours every window takes its look from, read from the built-in textures.
struct ThemeColours
{
    QColor background; // texture 1 at (0, 0): windows, top bar, tool and status panels
    QColor panel; // texture 1 at (30, 30): the card panel
    QColor accent; // texture 2 at (30, 30): dialog panels

    // Textures too small for the pixels read give mid grey for the missing colour.
    static ThemeColours fromTextures(const QImage& texture1, const QImage& texture2);
};

// The built-in textures and the title strip, loaded once from the program's resources.
struct ThemeTextures
{
    QImage texture1; // window background
    QImage texture2; // dialog background
    QImage titleTexture; // texture 1 with a title strip

    static const ThemeTextures& builtIn();
};

// The program-wide theme colours (read once from the built-in textures).
const ThemeColours& theme();

// A picture of the given size painted from texture in nine pieces: filled with the texture's
// pixel at (30, 30), the four 30 x 30 corners unscaled, the edge strips stretched along
// their edge, the centre stretched over the rest.
QImage paintNineSlice(const QSize& size, const QImage& texture);
// The same nine pieces painted straight into target, without a picture in between.
void drawNineSlice(QPainter& painter, const QRect& target, const QImage& texture);
