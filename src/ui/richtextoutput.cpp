#include "richtextoutput.h"

#include "common/folders.h"
#include "common/richtext.h"
#include "common/rtfwriter.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void saveRichTextWithDialog(QWidget* parent, const RichTextDocument& document, const QString& title)
{
    FileDialogRequest request;
    request.title = title;
    request.folder = folders().protocolFolder;
    request.filter = QStringLiteral("Rich Text Dokument (*.rtf)|*.rtf|Alle Dateien (*.*)|*.*");
    request.defaultSuffix = QStringLiteral("rtf");
    const QString path = dialogService().saveFileName(parent, request);
    if (path.isEmpty())
        return;
    if (!saveRtf(document, path))
        showFileUnwritable(path);
}

void copyRichTextToClipboard(const RichTextDocument& document)
{
    auto* mime = new QMimeData;
    const QByteArray rtf = toRtf(document);
    mime->setData(QStringLiteral("text/rtf"), rtf);
    mime->setData(QStringLiteral("application/rtf"), rtf);
    mime->setHtml(document.toHtml());
    mime->setText(document.toPlainText());
    QGuiApplication::clipboard()->setMimeData(mime);
}
