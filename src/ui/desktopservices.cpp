#include "desktopservices.h"

#include "common/filemessages.h"
#include "common/folders.h"
#include "platform/desktopshell.h"
#include "ui/messages.h"

bool openWithDesktop(const QString& target)
{
    if (desktopShell().open(target))
        return true;
    showError(cannotOpenText(target));
    return false;
}

void openHelp()
{
    openWithDesktop(QStringLiteral("file://") + folders().helpFolder + QStringLiteral("index.html"));
}

void openMakerSite()
{
    openWithDesktop(QString::fromLatin1(makerSiteAddress));
}
