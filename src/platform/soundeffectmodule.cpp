// The sound back end, loaded by the program on first need (see soundoutput.cpp): Qt Multimedia
// and the audio libraries it pulls in cost the start of the program several megabytes and
// milliseconds, and most starts never play a sound before the first quiz.

#include "platform/soundoutput.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace {

class SoundEffectOutput final : public SoundOutput
{
public:
    SoundEffectOutput() = default;
    SoundEffectOutput(const SoundEffectOutput&) = delete;
    SoundEffectOutput& operator=(const SoundEffectOutput&) = delete;

    ~SoundEffectOutput() override
    {
        // The effect belongs to the application object; it is gone already when the program-wide
        // output dies after the application.
        delete m_effect.data();
    }

    void play(const QString& wavPath, bool loop) override
    {
        stop();
        if (!ensureEffect())
            return;
        m_effect->setLoopCount(loop ? QSoundEffect::Infinite : 1);
        // The same source again keeps the loaded sound; a new one starts loading in the
        // background and plays once it is ready. A source that failed before is loaded afresh,
        // since the file may have been replaced since.
        const QUrl source = QUrl::fromLocalFile(wavPath);
        if (m_effect->status() == QSoundEffect::Error && m_effect->source() == source)
            m_effect->setSource(QUrl());
        m_effect->setSource(source);
        m_waitingForLoad = true;
        startWhenLoaded();
    }

    // Making the effect loads the audio back end, the slow part of the first sound.
    void prepare() override { ensureEffect(); }

    void stop() override
    {
        m_waitingForLoad = false;
        if (m_effect)
            m_effect->stop();
    }

    bool isPlaying() const override { return m_effect && (m_waitingForLoad || m_effect->isPlaying()); }

private:
    bool ensureEffect()
    {
        if (m_effect)
            return true;
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return false;
        m_effect = new QSoundEffect(app);
        QObject::connect(m_effect.data(), &QSoundEffect::statusChanged, m_effect.data(), [this] { startWhenLoaded(); });
        return true;
    }

    // Starting only once the source has loaded keeps the sound from depending on whether the
    // audio back end remembers a play() that came during loading.
    void startWhenLoaded()
    {
        if (!m_waitingForLoad || !m_effect)
            return;
        switch (m_effect->status()) {
        case QSoundEffect::Ready:
            m_waitingForLoad = false;
            m_effect->play();
            break;
        case QSoundEffect::Error:
        case QSoundEffect::Null:
            m_waitingForLoad = false;
            break;
        case QSoundEffect::Loading:
            break;
        }
    }

    QPointer<QSoundEffect> m_effect;
    bool m_waitingForLoad = false;
};

} // namespace

// The module's one entry point; the caller owns the output.
extern "C" Q_DECL_EXPORT SoundOutput* tallowmere_createSoundOutput()
{
    return new SoundEffectOutput;
}
