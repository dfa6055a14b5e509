#include "platform/filelock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
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
    if (!file.open(mode))
        return SharedOpen::Failed;
#ifdef Q_OS_UNIX
    const int error = tryLock(file.handle(), share);
    if (error == 0)
        return SharedOpen::Opened;
    file.close();
    // POSIX allows either for a lock someone else holds. ENOLCK is a lock manager that cannot
    // take the lock now (a busy or unreachable NFS lock daemon): worth another attempt too.
    if (error == EAGAIN || error == EACCES || error == ENOLCK)
        return SharedOpen::InUse;
    // A file system that takes no locks at all: without the share mode two writers could mix
    // their entries, so the file is not used.
    return SharedOpen::Failed;
#else
    Q_UNUSED(share);
    return SharedOpen::Opened;
#endif
}
