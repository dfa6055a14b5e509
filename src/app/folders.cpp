#include "folders.h"

#include <QDir>
#include <QFileInfo>

QString withTrailingSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QDir::separator();
}

FolderLayout FolderLayout::forProgramFolder(const QString& programFolder)
{
    FolderLayout layout;
    layout.programFolder = withTrailingSeparator(QDir::toNativeSeparators(programFolder));
    const QString sep = QDir::separator();
    layout.soundFolder = layout.programFolder + "sound" + sep;
    layout.helpFolder = layout.programFolder + "hilfe" + sep;
    layout.protocolFolder = layout.programFolder + "protokolle" + sep;
    layout.highScoreFolder = layout.programFolder + "bestenlisten" + sep;
    layout.commFolder = layout.programFolder + "kom" + sep;
    layout.setupFolder = layout.programFolder + "setupbasissystem" + sep;
    layout.commChannel = QStringLiteral("ZEP-1");
    layout.baseTopicFolder = layout.programFolder;
    layout.topicFolder = layout.programFolder;
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
