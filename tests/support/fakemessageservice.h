#pragma once

#include "ui/messages.h"

#include <QList>
#include <QString>

// Answers message boxes without a window and remembers what was asked. Installs itself for
// its lifetime.
class FakeMessageService : public MessageService
{
public:
    struct Shown
    {
        MessageKind kind;
        QString text;
        QList<MessageButton> buttons;
    };

    FakeMessageService() { setMessageService(this); }
    ~FakeMessageService() override { setMessageService(nullptr); }

    // Answers given in turn; when they run out, the first button offered.
    QList<MessageButton> answers;
    QList<Shown> shown;

    MessageButton show(MessageKind kind, const QString& text, const QList<MessageButton>& buttons) override
    {
        shown.append({kind, text, buttons});
        if (!answers.isEmpty())
            return answers.takeFirst();
        return buttons.isEmpty() ? MessageButton::None : buttons.first();
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown& s : shown)
            result.append(s.text);
        return result;
    }
};
