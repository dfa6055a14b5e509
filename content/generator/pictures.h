#pragma once

#include <QImage>

// The program's built-in and shipped pictures. Every function draws a fresh image; none
// of them fails.
namespace pictures {

// Window background, painted as a nine-slice with a 30-pixel border: pixel (0, 0) is the
// window colour, pixel (30, 30) the panel colour, and the centre is that colour throughout.
QImage drawWindowTexture();

// Dialog background, nine-sliced like the window texture: pixel (30, 30) is the accent colour.
QImage drawDialogTexture();

// The window texture with a title strip, for the title panel of the top bar.
QImage drawTitleTexture();

// The program icon, drawn for the given edge length; small sizes get a simplified design
// instead of a scaled-down large one, so that they stay crisp.
QImage drawProgramIcon(int size);

// The icon of a topic file in a file manager: a sheet of paper with a folded corner carrying the
// ring of stars on a blue disc. Small sizes drop the lines of text.
QImage drawTopicFileIcon(int size);

// The start picture of the start panel. Its centre, where the panel lays a 450 x 160 click
// zone, holds the title block.
QImage drawStartPicture();

// The base picture of the built-in start document.
QImage drawStartBasePicture();

} // namespace pictures
