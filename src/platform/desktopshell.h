#pragma once

#include <QString>
#include <QUrl>

// The desktop's "open" action: shows a document in the application the desktop associates with
// it, or a web address in the browser.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;

    // target is a file path (absolute, or relative to the current folder), a web address or a
    // "file://" address. Returns false when the desktop reports that it could not open it; the
    // caller tells the user.
    virtual bool open(const QString& target) = 0;
};

// The shell in use: the desktop's own unless a test installed another with setDesktopShell().
DesktopShell& desktopShell();

// Installs shell for the whole program, or the desktop's own again with nullptr. The caller
// keeps ownership and must restore the default before shell goes away.
void setDesktopShell(DesktopShell* shell);

// The address the desktop's own shell hands to the desktop for target. Paths and "file://"
// addresses built from folder names keep characters such as '#', '%' and spaces as part of the
// name. Invalid (empty) for an empty target.
QUrl desktopUrl(const QString& target);
