#pragma once

#include <QList>
#include <QString>

// The program's message boxes: modal, centred on the screen, with German captions by kind
// and German buttons. Texts may hold CR LF line breaks.

enum class MessageKind { Warning, Error, Information, Confirmation };
enum class MessageButton { None, Yes, No, Ok, Cancel };

QString messageCaption(MessageKind kind); // "Warnung", "Fehler", "Information", "Bestätigung"
QString buttonCaption(MessageButton button); // "&Ja", "&Nein", "OK", "Abbrechen"

// Shows the boxes. Tests install a service that answers without a window.
class MessageService
{
public:
    virtual ~MessageService() = default;
    // Returns the chosen button; Cancel or the last button when the box was closed otherwise.
    virtual MessageButton show(MessageKind kind, const QString& text, const QList<MessageButton>& buttons) = 0;
};

// The service in use; the default one shows QMessageBox windows.
MessageService& messageService();
// Test seam: nullptr restores the default service. The caller keeps ownership.
void setMessageService(MessageService* service);

MessageButton showMessage(MessageKind kind, const QString& text, const QList<MessageButton>& buttons);

void showInfo(const QString& text);
void showError(const QString& text);
bool askYesNo(const QString& text); // confirmation; true for Yes
MessageButton askYesNoCancel(const QString& text); // confirmation with Yes, No and Cancel
bool warnYesNo(const QString& text); // warning; true for Yes

void showFileMissing(const QString& path, const QString& extra = {});
void showFileUnreadable(const QString& path, const QString& extra = {});
void showFileUnwritable(const QString& path, const QString& extra = {});
