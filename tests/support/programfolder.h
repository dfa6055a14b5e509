#pragma once

#include <QSize>
#include <QString>

// Lays out a program folder for a window test: folder/data/ holding a plain white start picture
// "tallowq.png" of the given size, and makes folder the program's folder layout. False when the
// folder or the picture cannot be written.
bool setUpProgramFolder(const QString& folder, QSize startPicture = QSize(30, 20));
