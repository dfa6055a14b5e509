#pragma once

#include <QString>

class QPrinter;
class QWidget;

// A file dialog as the windows describe it: Windows-style filter ("Text (*.txt)|*.txt|..."),
// default extension without dot, start folder and proposed file name.
struct FileDialogRequest
{
    QString title;
    QString folder;
    QString fileName;
    QString filter;
    QString defaultSuffix;
};

// Converts "Name (*.a)|*.a|Alle Dateien (*.*)|*.*" into Qt's "Name (*.a);;Alle Dateien (*.*)".
QString qtFileFilter(const QString& windowsFilter);

// File, folder and print dialogs. Tests install a service that answers without a window.
class DialogService
{
public:
    virtual ~DialogService() = default;
    // The chosen path, or empty when cancelled. Saving asks before overwriting.
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString folderName(QWidget* parent, const QString& title, const QString& startFolder) = 0;
    // Shows the print dialog for printer; true when the user confirmed printing.
    virtual bool confirmPrint(QWidget* parent, QPrinter& printer) = 0;
};

DialogService& dialogService();
// Test seam: nullptr restores the default service. The caller keeps ownership.
void setDialogService(DialogService* service);
