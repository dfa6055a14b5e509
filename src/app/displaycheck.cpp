#include "displaycheck.h"

bool displayIsSuitable(const DisplayInfo& display)
{
    return display.width >= 960 && display.height >= 700 && display.depth >= 15;
}

QString displayWarningText(const DisplayInfo& display)
{
    return QStringLiteral("Ungeeigneter Grafikmodus! (Windows-Systemsteuerung / Eigenschaften von Anzeige)\r\n\r\n"
                          "Für dieses Programm sollte ein Grafikmodus mit einer Auflösung von mindestens "
                          "1024 x 768 Pixel (Bildpunkte) und einer Farbtiefe von mindestens 16 Bit (High Color) "
                          "eingestellt sein. \r\nAktuelle Einstellungen:\r\n- Auflösung: %1 x %2 Pixel\r\n"
                          "- Farbtiefe: %3 Bit\r\n\r\nProgramm trotzdem starten?")
        .arg(display.width)
        .arg(display.height)
        .arg(display.depth);
}
