#include "folderscan.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDirIterator>
#endif

namespace {

bool endsWithCaseless(const QString& name, const QString& suffix)
{
    return name.endsWith(suffix, Qt::CaseInsensitive);
}

} // namespace

#ifdef Q_OS_UNIX

void scanFolderHeads(const QString& folder, const QString& suffix, qsizetype maxBytes,
    const std::function<void(const QString& name, const QByteArray& head)>& visit)
{
    DIR* dir = ::opendir(QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder).constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    QByteArray head;
    while (const dirent* entry = ::readdir(dir)) {
        const unsigned char type = entry->d_type;
        if (type != DT_REG && type != DT_LNK && type != DT_UNKNOWN)
            continue;
        const QString name = QFile::decodeName(entry->d_name);
        if (!endsWithCaseless(name, suffix))
            continue;
        // Non-blocking, so that a pipe with a topic's name cannot hold the scan up.
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat info;
        if (type != DT_REG && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
            ::close(fd);
            continue;
        }
        head.resize(maxBytes);
        ssize_t got;
        do {
            got = ::read(fd, head.data(), size_t(maxBytes));
        } while (got < 0 && errno == EINTR);
        ::close(fd);
        if (got <= 0)
            continue;
        head.truncate(got);
        visit(name, head);
    }
    ::closedir(dir);
}

#else

void scanFolderHeads(const QString& folder, const QString& suffix, qsizetype maxBytes,
    const std::function<void(const QString& name, const QByteArray& head)>& visit)
{
    QDirIterator it(folder.isEmpty() ? QStringLiteral(".") : folder, QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!endsWithCaseless(name, suffix))
            continue;
        QFile file(it.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray head = file.read(maxBytes);
        if (!head.isEmpty())
            visit(name, head);
    }
}

#endif
