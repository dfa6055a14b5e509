#include "platform/sharedfile.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

#ifdef Q_OS_UNIX

bool writeSharedFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QFileInfo info(path);
    QByteArray temporary = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName())
        + QByteArrayLiteral(".XXXXXX");
    // mkostemp creates with O_CREAT | O_EXCL: an existing name, a link among them, is never opened.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    // The readers are other users (the pupils); mkostemp made the file private to its owner.
    bool ok = ::fchmod(fd, 0644) == 0;
    {
        QFile file;
        ok = ok && file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle) && write(file) && file.flush();
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    // rename replaces whatever is at path, a link too, without following it.
    ok = ok && ::rename(temporary.constData(), QFile::encodeName(path).constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

std::optional<QByteArray> readSharedFile(const QString& path, qint64 maxBytes)
{
    // O_NONBLOCK: opening a planted pipe would otherwise wait for a writer that never comes.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> content;
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= maxBytes) {
        QByteArray bytes;
        bytes.resize(qsizetype(status.st_size));
        qsizetype done = 0;
        // The file may grow or shrink meanwhile: what was there at the fstat is read, no more.
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        if (done == bytes.size())
            content = std::move(bytes);
    }
    ::close(fd);
    return content;
}

bool othersMayWriteFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct statfs fileSystem = {};
    struct stat status = {};
    if (::statfs(path.constData(), &fileSystem) != 0 || ::stat(path.constData(), &status) != 0
        || !S_ISDIR(status.st_mode))
        return false;
    // The magic numbers of statfs(2): CIFS, SMB2, SMB and NFS.
    switch (static_cast<unsigned long>(fileSystem.f_type)) {
    case 0xFF534D42ul:
    case 0xFE534D42ul:
    case 0x517Bul:
    case 0x6969ul:
        return false;
    default:
        return (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    }
}

#else

bool writeSharedFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!write(file)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QByteArray> readSharedFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        return std::nullopt;
    return bytes;
}

bool othersMayWriteFolder(const QString&)
{
    // Windows folders carry access lists, which the share's administrator sets.
    return false;
}

#endif

bool touchSharedFile(const QString& path)
{
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, AT_SYMLINK_NOFOLLOW) == 0;
}

QDateTime sharedFileModified(const QString& path)
{
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return QDateTime::fromMSecsSinceEpoch(qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1'000'000);
}
