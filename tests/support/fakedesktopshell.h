#pragma once

#include "platform/desktopshell.h"

#include <QStringList>

// A desktop shell that records the targets it was asked to open and answers with a preset
// result. Installs itself as the program's shell for its lifetime.
class FakeDesktopShell final : public DesktopShell
{
public:
    explicit FakeDesktopShell(bool succeeds = true)
        : m_succeeds(succeeds)
    {
        setDesktopShell(this);
    }
    ~FakeDesktopShell() override { setDesktopShell(nullptr); }
    FakeDesktopShell(const FakeDesktopShell&) = delete;
    FakeDesktopShell& operator=(const FakeDesktopShell&) = delete;

    bool open(const QString& target) override
    {
        opened << target;
        return m_succeeds;
    }

    void setSucceeds(bool succeeds) { m_succeeds = succeeds; }

    QStringList opened;

private:
    bool m_succeeds;
};
