#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Reads the start of every file of one folder whose name ends with suffix (without regard to
// case): the topic menu needs a few hundred bytes of each of possibly thousands of files, and
// opening them by name relative to the open folder saves walking the whole path for each.
//
// visit receives the file name (without folder) and up to maxBytes from the start of the file.
// Subfolders are not entered; entries that are not regular files (folders, pipes, devices,
// dangling links) and files that cannot be opened or read are left out. Hidden files are
// included. A folder that cannot be opened gives no calls.
void scanFolderHeads(const QString& folder, const QString& suffix, qsizetype maxBytes,
    const std::function<void(const QString& name, const QByteArray& head)>& visit);
