#pragma once

#include "platform/soundoutput.h"

#include <QStringList>

// A sound output that records what it is asked to do. Like the system output on a machine
// without a sound device it keeps playing until stopped, unless told to end a sound after a
// number of isPlaying() questions, as a device that reports the end would.
class FakeSoundOutput final : public SoundOutput
{
public:
    void play(const QString& wavPath, bool loop) override
    {
        calls << QStringLiteral("play %1%2").arg(wavPath, loop ? QStringLiteral(" loop") : QString());
        m_playing = true;
        m_pollsLeft = m_endAfterPolls;
    }

    void stop() override
    {
        calls << QStringLiteral("stop");
        m_playing = false;
    }

    bool isPlaying() const override
    {
        if (m_playing && m_pollsLeft >= 0 && m_pollsLeft-- == 0)
            m_playing = false;
        return m_playing;
    }

    // -1: never ends by itself; n: isPlaying() turns false on its (n+1)th question after a play().
    void setEndAfterPolls(int polls) { m_endAfterPolls = polls; }

    // The calls in order: "stop", or "play <path>" with " loop" appended for a looping sound.
    QStringList calls;

    QStringList plays() const { return calls.filter(QStringLiteral("play ")); }

private:
    mutable bool m_playing = false;
    mutable int m_pollsLeft = -1;
    int m_endAfterPolls = -1;
};
