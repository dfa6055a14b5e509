#include "dialogservice.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

QString qtFileFilter(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    // Pairs of description and pattern; the description already names the pattern.
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(description.contains(QLatin1Char('(')) ? description : description + " (" + patterns + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

void prepare(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setWindowTitle(request.title);
    dialog.setDirectory(request.folder);
    dialog.setNameFilter(qtFileFilter(request.filter));
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // Qt's own dialog speaks German with the loaded translations; the desktop's might not.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
}

class WindowDialogService : public DialogService
{
public:
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override
    {
        QFileDialog dialog(parent);
        prepare(dialog, request);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    QString openFileName(QWidget* parent, const FileDialogRequest& request) override
    {
        QFileDialog dialog(parent);
        prepare(dialog, request);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    QString folderName(QWidget* parent, const QString& title, const QString& startFolder) override
    {
        return QFileDialog::getExistingDirectory(parent, title, startFolder, QFileDialog::DontUseNativeDialog);
    }

    bool confirmPrint(QWidget* parent, QPrinter& printer) override
    {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

DialogService* installedService = nullptr;

} // namespace

DialogService& dialogService()
{
    static WindowDialogService windowService;
    return installedService ? *installedService : windowService;
}

void setDialogService(DialogService* service)
{
    installedService = service;
}
