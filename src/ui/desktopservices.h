#pragma once

#include <QString>

// The web site of the program's maker, opened by the start page, the help menu and the about box.
inline constexpr const char* makerSiteAddress = "https://www.kestrova-tallowmere.de/";

// Asks the desktop to open a file path or web address (also "file://" addresses);
// when the desktop reports failure the German error box says so. True on success.
bool openWithDesktop(const QString& target);

// The help pages: "file://" + helpFolder + "index.html".
void openHelp();

void openMakerSite();
