#include "programfolder.h"

#include "common/folders.h"

#include <QDir>
#include <QImage>

bool setUpProgramFolder(const QString& folder, QSize startPicture)
{
    if (!QDir(folder).mkpath(QStringLiteral("data")))
        return false;
    QImage picture(startPicture, QImage::Format_RGB32);
    picture.fill(Qt::white);
    if (!picture.save(QDir(folder).filePath(QStringLiteral("data/tallowq.png"))))
        return false;
    folders() = FolderLayout::forProgramFolder(folder);
    return true;
}
