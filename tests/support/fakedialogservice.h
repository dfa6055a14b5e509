#pragma once

#include "ui/dialogservice.h"

#include <QPrinter>
#include <QStringList>

// Answers file, folder and print dialogs without a window and remembers the requests.
// Installs itself for its lifetime.
class FakeDialogService : public DialogService
{
public:
    FakeDialogService() { setDialogService(this); }
    ~FakeDialogService() override { setDialogService(nullptr); }

    QString saveAnswer;
    QString openAnswer;
    QString folderAnswer;
    bool printAnswer = false;

    QList<FileDialogRequest> requests;
    QStringList printJobTitles;

    QString saveFileName(QWidget*, const FileDialogRequest& request) override
    {
        requests.append(request);
        return saveAnswer;
    }
    QString openFileName(QWidget*, const FileDialogRequest& request) override
    {
        requests.append(request);
        return openAnswer;
    }
    QString folderName(QWidget*, const QString&, const QString&) override { return folderAnswer; }
    bool confirmPrint(QWidget*, QPrinter& printer) override
    {
        printJobTitles.append(printer.docName());
        return printAnswer;
    }
};
