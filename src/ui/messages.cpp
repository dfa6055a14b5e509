#include "messages.h"

#include "common/filemessages.h"

#include <QMessageBox>
#include <QPushButton>

QString messageCaption(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QStringLiteral("Warnung");
    case MessageKind::Error:
        return QStringLiteral("Fehler");
    case MessageKind::Information:
        return QStringLiteral("Information");
    case MessageKind::Confirmation:
        return QStringLiteral("Bestätigung");
    }
    return {};
}

QString buttonCaption(MessageButton button)
{
    switch (button) {
    case MessageButton::Yes:
        return QStringLiteral("&Ja");
    case MessageButton::No:
        return QStringLiteral("&Nein");
    case MessageButton::Ok:
        return QStringLiteral("OK");
    case MessageButton::Cancel:
        return QStringLiteral("Abbrechen");
    case MessageButton::None:
        break;
    }
    return {};
}

namespace {

QMessageBox::Icon iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleFor(MessageButton button)
{
    switch (button) {
    case MessageButton::Yes:
        return QMessageBox::YesRole;
    case MessageButton::No:
        return QMessageBox::NoRole;
    case MessageButton::Ok:
        return QMessageBox::AcceptRole;
    case MessageButton::Cancel:
        return QMessageBox::RejectRole;
    case MessageButton::None:
        break;
    }
    return QMessageBox::InvalidRole;
}

class WindowMessageService : public MessageService
{
public:
    MessageButton show(MessageKind kind, const QString& text, const QList<MessageButton>& buttons) override
    {
        // Without a parent the box is centred on the screen and blocks the whole program.
        QMessageBox box(iconFor(kind), messageCaption(kind), QString(text).replace(QStringLiteral("\r\n"), "\n"));
        box.setObjectName(QStringLiteral("MessageBox"));
        box.setWindowModality(Qt::ApplicationModal);
        QList<QPair<QPushButton*, MessageButton>> created;
        for (MessageButton button : buttons) {
            QPushButton* pushButton = box.addButton(buttonCaption(button), roleFor(button));
            created.append({pushButton, button});
        }
        if (!created.isEmpty())
            box.setDefaultButton(created.first().first);
        // Escape and the window's close button answer with Cancel, No or OK, whichever is offered.
        for (MessageButton fallback : {MessageButton::Cancel, MessageButton::No, MessageButton::Ok}) {
            auto it = std::find_if(created.begin(), created.end(), [&](const auto& p) { return p.second == fallback; });
            if (it != created.end()) {
                box.setEscapeButton(it->first);
                break;
            }
        }
        box.exec();
        for (const auto& [pushButton, button] : created) {
            if (box.clickedButton() == pushButton)
                return button;
        }
        return buttons.isEmpty() ? MessageButton::None : buttons.last();
    }
};

MessageService* installedService = nullptr;

} // namespace

MessageService& messageService()
{
    static WindowMessageService windowService;
    return installedService ? *installedService : windowService;
}

void setMessageService(MessageService* service)
{
    installedService = service;
}

MessageButton showMessage(MessageKind kind, const QString& text, const QList<MessageButton>& buttons)
{
    return messageService().show(kind, text, buttons);
}

void showInfo(const QString& text)
{
    showMessage(MessageKind::Information, text, {MessageButton::Ok});
}

void showError(const QString& text)
{
    showMessage(MessageKind::Error, text, {MessageButton::Ok});
}

bool askYesNo(const QString& text)
{
    return showMessage(MessageKind::Confirmation, text, {MessageButton::Yes, MessageButton::No}) == MessageButton::Yes;
}

MessageButton askYesNoCancel(const QString& text)
{
    return showMessage(MessageKind::Confirmation, text, {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
}

bool warnYesNo(const QString& text)
{
    return showMessage(MessageKind::Warning, text, {MessageButton::Yes, MessageButton::No}) == MessageButton::Yes;
}

void showFileMissing(const QString& path, const QString& extra)
{
    showError(fileMissingText(path, extra));
}

void showFileUnreadable(const QString& path, const QString& extra)
{
    showError(fileUnreadableText(path, extra));
}

void showFileUnwritable(const QString& path, const QString& extra)
{
    showError(fileUnwritableText(path, extra));
}
