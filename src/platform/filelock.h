#pragma once

#include <QIODevice>

class QFile;

// Files that several programs, on one machine or on several machines sharing a network folder,
// read and write at the same time (the high-score lists, the files of the network exercise).
// Windows settles who may open such a file by the share mode given at opening: a second opener
// whose wish conflicts is refused at once and tries again later. Elsewhere an advisory lock on
// the whole file stands in for the share mode, taken right after opening and without waiting,
// so a conflict fails the same way. Every side of a shared file opens it through here; a
// program that opens the file without these functions is not kept out.
//
// The lock is an open-file-description lock (fcntl F_OFD_SETLK): it holds between processes and
// between two openings in one process, is kept until the file is closed, and is what NFS (and
// CIFS with byte-range locks) passes on to the server, so it holds across machines on network
// file systems that support locks. Kernels older than 3.15 get the classic process lock.
// A Windows build passes the share mode to CreateFile here instead.

enum class FileShare {
    DenyWrite, // a reader: other readers may open the file as well, writers are refused
    DenyAll, // a writer: every other opener is refused (needs a mode with write access)
};

enum class SharedOpen {
    Opened, // the file is open and the share mode holds until it is closed
    InUse, // another opener holds the file in a conflicting mode: try again later; file stays closed
    Failed, // the file cannot be opened (missing, no permission, invalid folder, no locks); file stays closed
};

// Opens file (its name set, not open yet) with mode and the share mode. Without waiting: a
// conflict gives InUse at once. A mode with write access creates a missing file, as QFile does.
// Shared folders may hold what another user planted: a symbolic link, a pipe, a device or a
// folder under the name gives Failed, and a link is never followed (nor a missing file created
// at its target). The file is opened on the descriptor that was checked, so its fileName() reads
// empty until it is closed: keep the name at hand.
SharedOpen openShared(QFile& file, QIODevice::OpenMode mode, FileShare share);
