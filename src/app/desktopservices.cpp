#include "desktopservices.h"

#include "app/filemessages.h"
#include "app/folders.h"
#include "app/messages.h"
#include "platform/desktopshell.h"

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
