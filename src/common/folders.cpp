#include "folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString withTrailingSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QDir::separator();
}

QString quizPictureFolder(const QString& programFolder)
{
    return withTrailingSeparator(programFolder) + QStringLiteral("euromuenzen") + QDir::separator();
}

QString startPicturePath(const QString& programFolder)
{
    return withTrailingSeparator(programFolder) + QStringLiteral("data") + QDir::separator()
        + QStringLiteral("tallowq.png");
}

FolderLayout FolderLayout::forProgramFolder(const QString& programFolder, const QString& dataFolder)
{
    FolderLayout layout;
    layout.programFolder = withTrailingSeparator(QDir::toNativeSeparators(programFolder));
    const QString sep = QDir::separator();
    layout.soundFolder = layout.programFolder + "sound" + sep;
    layout.helpFolder = layout.programFolder + "hilfe" + sep;
    const QString written
        = dataFolder.isEmpty() ? layout.programFolder : withTrailingSeparator(QDir::toNativeSeparators(dataFolder));
    layout.protocolFolder = written + "protokolle" + sep;
    layout.highScoreFolder = written + "bestenlisten" + sep;
    layout.commFolder = written + "kom" + sep;
    layout.setupFolder = layout.programFolder + "setupbasissystem" + sep;
    layout.commChannel = QStringLiteral("ZEP-1");
    layout.baseTopicFolder = layout.programFolder;
    layout.topicFolder = layout.programFolder;
    return layout;
}

QString userDataFolder()
{
    return withTrailingSeparator(
        QDir::toNativeSeparators(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
}

bool isInstalledProgramFolder(const QString& programFolder)
{
    return QFileInfo::exists(withTrailingSeparator(programFolder) + QLatin1String(installedMarkerName));
}

FolderLayout folderLayoutForInstallation(const QString& programFolder)
{
    if (!isInstalledProgramFolder(programFolder) && QFileInfo(programFolder).isWritable())
        return FolderLayout::forProgramFolder(programFolder);
    FolderLayout layout = FolderLayout::forProgramFolder(programFolder, userDataFolder());
    // The user's folders do not exist on a first run; the program's own folder came with them.
    for (const QString& folder : {layout.protocolFolder, layout.highScoreFolder, layout.commFolder})
        QDir().mkpath(folder);
    return layout;
}

StartArgument resolveStartArgument(const QString& argument, const QString& programFolder, const QString& workingFolder)
{
    StartArgument result;
    if (argument.isEmpty()) {
        result.baseTopicFolder = withTrailingSeparator(programFolder);
        return result;
    }
    // Names from other systems may use either separator.
    QString path = argument;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(QDir(workingFolder), path);
    const QString fullPath = QDir::cleanPath(info.absoluteFilePath());
    if (QFileInfo(fullPath).isDir()) {
        result.baseTopicFolder = withTrailingSeparator(QDir::toNativeSeparators(fullPath));
        return result;
    }
    // A path ending in a separator names a folder, even one that does not exist: nothing to read.
    if (path.endsWith(QLatin1Char('/'))) {
        result.baseTopicFolder = withTrailingSeparator(QDir::toNativeSeparators(fullPath));
        return result;
    }
    const QFileInfo file(fullPath);
    result.baseTopicFolder = withTrailingSeparator(QDir::toNativeSeparators(file.absolutePath()));
    result.documentPath = QDir::toNativeSeparators(fullPath);
    return result;
}

FolderLayout& folders()
{
    static FolderLayout layout;
    return layout;
}
