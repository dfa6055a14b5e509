#include "linktargets.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

// A scheme needs at least two letters, so that "C:\..." stays a Windows path.
QString schemeOf(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = scheme.match(target);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

bool isWebScheme(const QString& scheme)
{
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto";
}

// Extensions that Windows or a Linux desktop runs instead of showing.
bool hasProgramExtension(const QString& path)
{
    static const QStringList extensions = {QStringLiteral("exe"), QStringLiteral("bat"), QStringLiteral("cmd"),
        QStringLiteral("com"), QStringLiteral("scr"), QStringLiteral("msi"), QStringLiteral("lnk"),
        QStringLiteral("desktop"), QStringLiteral("sh"), QStringLiteral("pif"), QStringLiteral("vbs"),
        QStringLiteral("js"), QStringLiteral("jar"), QStringLiteral("ps1"), QStringLiteral("appimage")};
    // A trailing dot or blank is dropped by Windows when it opens "setup.exe.".
    QString name = QFileInfo(path).fileName();
    while (name.endsWith(u'.') || name.endsWith(u' '))
        name.chop(1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(name.mid(dot + 1).toLower());
}

QString filePathOfAddress(const QString& target)
{
    static const QRegularExpression filePrefix(
        QStringLiteral("^file:(//)?"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch prefix = filePrefix.match(target);
    return prefix.hasMatch() ? target.mid(prefix.capturedLength()) : QString();
}

} // namespace

QString linkPathToLocal(const QString& caption)
{
    QString path = caption;
    path.replace(u'\\', u'/');
    return QDir::toNativeSeparators(path);
}

QString resolveLinkTarget(const QString& caption, const QString& documentFolder)
{
    const QString text = caption.trimmed();
    const QString scheme = schemeOf(text);
    if (isWebScheme(scheme))
        return text;
    if (scheme == u"file")
        return linkPathToLocal(filePathOfAddress(text));
    if (!scheme.isEmpty())
        return text;

    const QString path = linkPathToLocal(text);
    if (QDir::isRelativePath(path)) {
        if (!documentFolder.isEmpty()) {
            const QString besideDocument = QDir(documentFolder).filePath(path);
            if (QFileInfo::exists(besideDocument))
                return QDir::toNativeSeparators(besideDocument);
        }
        if (!QFileInfo::exists(path) && text.startsWith(QStringLiteral("www."), Qt::CaseInsensitive))
            return QStringLiteral("http://") + text;
    }
    return path;
}

bool isProgramLink(const QString& target)
{
    const QString scheme = schemeOf(target);
    if (isWebScheme(scheme))
        return false;
    // Other schemes hand the address to whatever program claims them.
    if (!scheme.isEmpty() && scheme != u"file")
        return true;
    const QString path = scheme.isEmpty() ? target : linkPathToLocal(filePathOfAddress(target));
    if (hasProgramExtension(path))
        return true;
    const QFileInfo info(path);
    return info.exists() && !info.isDir() && info.isExecutable();
}

bool isMissingLocalTarget(const QString& target)
{
    const QString scheme = schemeOf(target);
    if (!scheme.isEmpty() && scheme != u"file")
        return false;
    const QString path = scheme.isEmpty() ? target : linkPathToLocal(filePathOfAddress(target));
    return !QFileInfo::exists(path);
}
