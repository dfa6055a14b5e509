#pragma once

#include "platform/soundoutput.h"
#include "platform/tick.h"

#include <QString>

#include <functional>

// The program's feedback sounds: wave files found by name in the sound folder, played through a
// SoundOutput, optionally waiting until they have sounded.
class SoundPlayer
{
public:
    // How long a synchronous play waits beyond the length in the wave header, for the output to
    // get going; and how long it waits at most when the header does not give a length.
    static constexpr quint32 waitMarginMs = 60;
    static constexpr quint32 unknownLengthWaitMs = 2000;

    // output and tick must outlive the player.
    explicit SoundPlayer(SoundOutput& output, const TickSource& tick = systemTick());

    // The "&Tonausgabe" option: when off, every request to play only stops what plays.
    void setEnabled(bool enabled);
    bool isEnabled() const;

    // The folder in which names without a folder part are looked up, ending with a separator.
    void setSoundFolder(const QString& folder);
    QString soundFolder() const;

    // Shows the error box for a sound file that does not exist. Without one the message goes to
    // the debug output.
    void setErrorReporter(std::function<void(const QString&)> report);

    // Plays name with the extension ".wav" (whatever extension name has), from the sound folder
    // when name has no folder part ('/' or '\'), else from the path as given. With wait the call
    // returns once the sound has played, processing no user input meanwhile, so nothing the user
    // does can overtake the sound; a looping sound keeps repeating after the wait for its first
    // pass. A missing file is reported once per call and otherwise changes nothing.
    void playSound(const QString& name, bool wait, bool loop);
    void stopSound();
    // Loads the sound output ahead of the first sound when sounds are on (see SoundOutput).
    void prepareOutput();

    // The sounds for a right and a wrong answer.
    void playRight(bool wait);
    void playWrong(bool wait);

    // Starts name as playSound does, without waiting, and returns how long it sounds: the
    // length from its wave header plus waitMarginMs, unknownLengthWaitMs when the header gives
    // none, 0 when nothing plays (sounds off, file missing). The quiz's feedback lets a timed
    // step last that long instead of waiting in a loop.
    quint32 startSound(const QString& name);
    quint32 startRight();
    quint32 startWrong();

private:
    QString soundPath(const QString& name) const;
    void waitWhilePlaying(const QString& path, bool loop);
    static quint32 soundLength(const QString& path);

    SoundOutput& m_output;
    const TickSource& m_tick;
    bool m_enabled = true;
    QString m_soundFolder;
    std::function<void(const QString&)> m_reportError;
};

// The program-wide player on the system's sound output, created on first use; enabled, with an
// empty sound folder until the program sets one.
SoundPlayer& soundPlayer();
