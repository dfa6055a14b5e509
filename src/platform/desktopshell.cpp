#include "platform/desktopshell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

class SystemDesktopShell final : public DesktopShell
{
public:
    bool open(const QString& target) override
    {
        const QUrl url = desktopUrl(target);
        return url.isValid() && QDesktopServices::openUrl(url);
    }
};

DesktopShell* installedShell = nullptr;

QUrl localFileUrl(const QString& path)
{
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(path));
}

// A scheme needs at least two letters, so that "C:\..." stays a Windows path.
bool hasWebScheme(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(target).hasMatch();
}

} // namespace

DesktopShell& desktopShell()
{
    static SystemDesktopShell systemShell;
    return installedShell ? *installedShell : systemShell;
}

void setDesktopShell(DesktopShell* shell)
{
    installedShell = shell;
}

QUrl desktopUrl(const QString& target)
{
    if (target.isEmpty())
        return {};

    // The program builds "file://" addresses by putting a folder name behind the prefix, so
    // what follows is a plain path: read as an address, a '#' in a folder name would cut the
    // path short. Only when no such file exists is the text a real address, with escapes or an
    // anchor.
    static const QRegularExpression filePrefix(
        QStringLiteral("^file:(//)?"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch prefix = filePrefix.match(target);
    if (prefix.hasMatch()) {
        const QString path = target.mid(prefix.capturedLength());
        if (!path.isEmpty() && QFileInfo::exists(path))
            return localFileUrl(path);
        return QUrl(target, QUrl::TolerantMode);
    }

    if (hasWebScheme(target))
        return QUrl(target, QUrl::TolerantMode);
    return localFileUrl(target);
}
