#pragma once

#include <QDateTime>

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Files in a folder that other users can write to (the network exercise's communication folder,
// which pupils may share with the teacher). Whatever stands there under a file's name may have
// been planted: a symbolic link to one of the teacher's own files, a pipe that blocks whoever
// opens it, a device, a huge file. Nothing here follows a link, waits on a pipe or reads without
// a bound. A Windows build opens with CREATE_NEW and FILE_FLAG_OPEN_REPARSE_POINT and checks the
// handle's file type instead.

// Writes a new file under a name of its own in path's folder (created new: never an existing
// file, never through a link), readable by everyone, and renames it to path once write returned
// true and every byte reached the disk. A link planted under path is replaced, not followed.
// False on any failure; the temporary file is removed then, and whatever was at path stays.
bool writeSharedFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write);

// The whole content of the regular file at path, opened without following a link and without
// waiting; nullopt for anything else (a link, a pipe, a device, a folder), for a file larger than
// maxBytes, and for a read error.
std::optional<QByteArray> readSharedFile(const QString& path, qint64 maxBytes);

// Whether users other than the folder's owner may create or replace files in it: true only on a
// local file system whose folder mode grants write access to its group or to everyone. A network
// mount (SMB/CIFS, NFS) gives false, since the mount makes its owners and modes up and the server
// decides; so does a folder that cannot be looked at.
bool othersMayWriteFolder(const QString& folder);

// Sets the modification time of path to now without opening or writing it, so that it works while
// others read the file (a rewrite may fail while a pupil holds the file open over SMB). A link
// under path has its own time set; its target is never touched. False when path is gone.
bool touchSharedFile(const QString& path);

// The modification time of path itself (a link's own, not its target's); invalid when path is gone.
QDateTime sharedFileModified(const QString& path);
