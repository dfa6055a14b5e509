#include "platform/soundoutput.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace {

QString moduleFolder;

// Stands for the system output and loads it from the sound module at the first sound (or when
// asked to prepare). Without the module the program stays silent, as on a machine without a
// sound device.
class ModuleSoundOutput final : public SoundOutput
{
public:
    void prepare() override
    {
        if (load())
            m_output->prepare();
    }

    void play(const QString& wavPath, bool loop) override
    {
        if (load())
            m_output->play(wavPath, loop);
    }

    void stop() override
    {
        if (m_output)
            m_output->stop();
    }

    bool isPlaying() const override { return m_output && m_output->isPlaying(); }

private:
    bool load()
    {
        if (m_output || m_failed)
            return m_output != nullptr;
        // The library stays loaded to the end of the program: the output's objects live as long.
        QLibrary module(QDir(soundModuleFolder()).filePath(QStringLiteral("tallowmere-sound")));
        using Factory = SoundOutput* (*)();
        const auto create = reinterpret_cast<Factory>(module.resolve("tallowmere_createSoundOutput"));
        m_output.reset(create ? create() : nullptr);
        m_failed = m_output == nullptr;
        return !m_failed;
    }

    std::unique_ptr<SoundOutput> m_output;
    bool m_failed = false;
};

} // namespace

QString soundModuleFolder()
{
    return moduleFolder.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/module") : moduleFolder;
}

void setSoundModuleFolder(const QString& folder)
{
    moduleFolder = folder;
}

std::unique_ptr<SoundOutput> createSystemSoundOutput()
{
    return std::make_unique<ModuleSoundOutput>();
}
