#include "platform/filelock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// 0 on success, otherwise the errno of the attempt.
int tryLock(int fd, FileShare share)
{
    struct flock lock = {};
    lock.l_type = share == FileShare::DenyAll ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // the whole file, however far it grows
#ifdef F_OFD_SETLK
    // An open-file-description lock belongs to this opening alone: two openings in one process
    // exclude each other as two processes do, and closing some other descriptor of the same file
    // (which a classic process lock would lose) leaves it in place.
    if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
#endif
    return ::fcntl(fd, F_SETLK, &lock) == 0 ? 0 : errno;
}
#endif

} // namespace

SharedOpen openShared(QFile& file, QIODevice::OpenMode mode, FileShare share)
{
#ifdef Q_OS_UNIX
    // The file itself, never a link planted under its name (O_NOFOLLOW), and without waiting on
    // a planted pipe (O_NONBLOCK); what opened must be a regular file. Checking before opening
    // would leave a moment to swap the file.
    const bool writes = mode.testFlag(QIODevice::WriteOnly);
    int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    if (writes)
        flags |= (mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY) | O_CREAT
            | (mode.testFlag(QIODevice::Append) ? O_APPEND : 0);
    else
        flags |= O_RDONLY;
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(), flags, 0666);
    if (fd < 0)
        return SharedOpen::Failed;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return SharedOpen::Failed;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const int error = tryLock(fd, share);
    if (error == 0) {
        // Emptied only under the lock, as QFile would on opening for writing alone.
        const bool truncate = writes && !mode.testFlag(QIODevice::ReadOnly) && !mode.testFlag(QIODevice::Append);
        if ((truncate && ::ftruncate(fd, 0) != 0) || !file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            return SharedOpen::Failed;
        }
        return SharedOpen::Opened;
    }
    ::close(fd);
    // POSIX allows either for a lock someone else holds. ENOLCK is a lock manager that cannot
    // take the lock now (a busy or unreachable NFS lock daemon): worth another attempt too.
    if (error == EAGAIN || error == EACCES || error == ENOLCK)
        return SharedOpen::InUse;
    // A file system that takes no locks at all: without the share mode two writers could mix
    // their entries, so the file is not used.
    return SharedOpen::Failed;
#else
    Q_UNUSED(share);
    return file.open(mode) ? SharedOpen::Opened : SharedOpen::Failed;
#endif
}
