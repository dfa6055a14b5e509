#pragma once

#include <QString>

struct DisplayInfo
{
    int width = 0;
    int height = 0;
    int depth = 0; // bits per pixel times colour planes
};

// True when the program can be used on this display. The thresholds are deliberately
// below what the warning names (1024 x 768, 16 bit): a 1000 x 720 screen with 15-bit
// colour still starts without a question.
bool displayIsSuitable(const DisplayInfo& display);

// The warning asked before starting on an unsuitable display, with CR LF line breaks.
QString displayWarningText(const DisplayInfo& display);
