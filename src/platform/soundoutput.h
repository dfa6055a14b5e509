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

    // Gets the output ready ahead of the first sound, so that the first answer of a quiz does
    // not wait for the audio back end to load. Playing works without it.
    virtual void prepare() { }
};

// The system's sound output (QSoundEffect). It needs a running QCoreApplication to make a sound,
// and the events of the thread that plays must be processed for a file to load and start. It
// neither crashes nor blocks on a machine without a sound device; it is just silent there.
// It lives in the sound module (module/libtallowmere-sound.so in the program's folder), which is
// loaded at the first sound or prepare(); without the module the output is silent.
std::unique_ptr<SoundOutput> createSystemSoundOutput();

// Where the sound module is looked for: the folder module/ in the program's folder unless set
// (tests set the build's).
QString soundModuleFolder();
void setSoundModuleFolder(const QString& folder);
