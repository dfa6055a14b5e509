#pragma once

#include <QString>

#include <memory>

// Plays one wave file at a time.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;

    // Stops whatever plays, then starts wavPath (an absolute path) once, or over and over when
    // loop is true. Returns at once; a file that cannot be played stays silent.
    virtual void play(const QString& wavPath, bool loop) = 0;
    virtual void stop() = 0;

    // True from play() until the sound ends, fails or is stopped. Without a sound device the end
    // may never be reported: whoever waits for a sound bounds the wait by its length.
    virtual bool isPlaying() const = 0;
};

// The system's sound output (QSoundEffect). It needs a running QCoreApplication to make a sound,
// and the events of the thread that plays must be processed for a file to load and start. It
// neither crashes nor blocks on a machine without a sound device; it is just silent there.
std::unique_ptr<SoundOutput> createSystemSoundOutput();
