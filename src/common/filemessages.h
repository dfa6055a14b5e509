#pragma once

#include <QString>

// The three wordings of every file error. A non-empty extra text (a hint for the task at
// hand) follows after one empty line. Line breaks are CR LF.
QString fileMissingText(const QString& path, const QString& extra = {});
QString fileUnreadableText(const QString& path, const QString& extra = {});
QString fileUnwritableText(const QString& path, const QString& extra = {});

// "Datei "<path>" nicht gefunden." for pictures the program expects beside itself.
QString pictureNotFoundText(const QString& path);

// The error shown when the desktop cannot open a file or web address.
QString cannotOpenText(const QString& target);
