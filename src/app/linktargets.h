#pragma once

#include <QString>

// Link objects of topic files name what a click opens: a web address, a file or folder path
// (often written on Windows, with "\" between the parts), or another topic. Topic files come
// from shared folders and the web, so a link must not be able to start a program.

// What the desktop is asked to open for caption: a web address as it stands ("www." names
// get "http://"); a path with either separator, relative paths looked up in documentFolder
// first and the current folder after it; a "file:" address as the path it names.
QString resolveLinkTarget(const QString& caption, const QString& documentFolder);

// True when target (as resolveLinkTarget gives it) would start a program: a local file with an
// executable bit, or a name with a program extension (.exe, .bat, .cmd, .com, .scr, .msi,
// .lnk, .desktop, .sh, ...) whether or not it exists, or an address of a scheme other than the
// web and mail ones. Folders, documents and pictures are not programs.
bool isProgramLink(const QString& target);

// The caption with "\" and "/" both taken as separators, in the separators of this system.
QString linkPathToLocal(const QString& caption);

// True when target is a local file or folder (a path or a "file:" address) that does not exist.
// The desktop reports success as soon as an opener starts, so such a link must be refused here.
bool isMissingLocalTarget(const QString& target);
