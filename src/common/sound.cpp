#include "common/sound.h"

#include "common/pause.h"
#include "platform/wavinfo.h"

#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include <memory>

namespace {

// Names come from topic documents written on Windows as well as from this program, so both
// separators count.
QString withSlashes(QString path)
{
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// The extension is what follows the last dot of the file part; a dot in a folder name is not one.
QString withWavExtension(const QString& path)
{
    const qsizetype fileStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const QString base = dot >= fileStart ? path.left(dot) : path;
    return base + QStringLiteral(".wav");
}

} // namespace

SoundPlayer::SoundPlayer(SoundOutput& output, const TickSource& tick)
    : m_output(output)
    , m_tick(tick)
{ }

void SoundPlayer::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

bool SoundPlayer::isEnabled() const
{
    return m_enabled;
}

void SoundPlayer::setSoundFolder(const QString& folder)
{
    m_soundFolder = folder;
}

QString SoundPlayer::soundFolder() const
{
    return m_soundFolder;
}

void SoundPlayer::setErrorReporter(std::function<void(const QString&)> report)
{
    m_reportError = std::move(report);
}

void SoundPlayer::playSound(const QString& name, bool wait, bool loop)
{
    if (!m_enabled) {
        stopSound();
        return;
    }

    const QString path = soundPath(name);
    if (!QFileInfo(path).isFile()) {
        const QString message = QStringLiteral("Sounddatei \"%1\" nicht gefunden.").arg(name);
        if (m_reportError)
            m_reportError(message);
        else
            qWarning().noquote() << message;
        return;
    }

    stopSound();
    m_output.play(path, loop);
    if (wait)
        waitWhilePlaying(path, loop);
}

void SoundPlayer::stopSound()
{
    m_output.stop();
}

void SoundPlayer::playRight(bool wait)
{
    playSound(QStringLiteral("Richtig1.wav"), wait, false);
}

void SoundPlayer::playWrong(bool wait)
{
    playSound(QStringLiteral("Falsch1.wav"), wait, false);
}

quint32 SoundPlayer::startSound(const QString& name)
{
    if (!m_enabled) {
        stopSound();
        return 0;
    }
    const QString path = soundPath(name);
    if (!QFileInfo(path).isFile()) {
        playSound(name, false, false); // reports the missing file
        return 0;
    }
    stopSound();
    m_output.play(path, false);
    return soundLength(path);
}

quint32 SoundPlayer::startRight()
{
    return startSound(QStringLiteral("Richtig1.wav"));
}

quint32 SoundPlayer::startWrong()
{
    return startSound(QStringLiteral("Falsch1.wav"));
}

quint32 SoundPlayer::soundLength(const QString& path)
{
    // Without a sound device the output never reports the end of a sound: the length from the
    // wave header bounds it.
    const std::optional<int> length = wavDurationMs(path);
    return length ? quint32(*length) + waitMarginMs : unknownLengthWaitMs;
}

QString SoundPlayer::soundPath(const QString& name) const
{
    const QString file = withWavExtension(withSlashes(name));
    if (file.contains(QLatin1Char('/')))
        return QDir::current().absoluteFilePath(file);

    QString folder = withSlashes(m_soundFolder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return QDir::current().absoluteFilePath(folder + file);
}

void SoundPlayer::prepareOutput()
{
    if (m_enabled)
        m_output.prepare();
}

void SoundPlayer::waitWhilePlaying(const QString& path, bool loop)
{
    // A looping sound has no end either: its first pass bounds the wait.
    const quint32 limit = soundLength(path);
    // Other events must run: the output loads and starts the sound through them. User input is
    // held back, so an answer cannot be given while the sound of the last one still plays.
    waitForTicks(limit, WaitEvents::NonUserInput, m_tick, [this, loop] { return !loop && !m_output.isPlaying(); });
}

SoundPlayer& soundPlayer()
{
    static const std::unique_ptr<SoundOutput> output = createSystemSoundOutput();
    static SoundPlayer player(*output);
    return player;
}
