// The settings of TForm1: read once at the first activation, written once at closing. In
// between the live values are the ticks of the "&Optionen" menu, the folder variables and the
// exercise options.

#include "mainwindow.h"

#include "common/folders.h"
#include "platform/registry.h"

namespace {

const char* const switchItems[] = {"Sound1", "OptNameEingabe1", "AutoProtSpeichern1", "ErgebBestListEintragen1"};

} // namespace

AppSettings TForm1::currentSettings() const
{
    AppSettings settings;
    bool* const switches[] = {
        &settings.soundEnabled, &settings.nameEntryAtStart, &settings.protocolAutoSave, &settings.highScoreAutoEnter};
    for (int i = 0; i < 4; ++i) {
        if (const QAction* item = menuItem(QString::fromLatin1(switchItems[i])))
            *switches[i] = item->isChecked();
    }
    const FolderLayout& layout = folders();
    settings.commFolder = layout.commFolder;
    settings.commChannel = layout.commChannel;
    settings.protocolFolder = layout.protocolFolder;
    settings.highScoreFolder = layout.highScoreFolder;
    settings.worksheetFolder = layout.worksheetFolder;
    return settings;
}

void TForm1::applySettings(const AppSettings& settings)
{
    const bool switches[]
        = {settings.soundEnabled, settings.nameEntryAtStart, settings.protocolAutoSave, settings.highScoreAutoEnter};
    for (int i = 0; i < 4; ++i) {
        if (QAction* item = menuItem(QString::fromLatin1(switchItems[i])))
            item->setChecked(switches[i]);
    }
    FolderLayout& layout = folders();
    layout.commFolder = settings.commFolder;
    layout.commChannel = settings.commChannel;
    layout.protocolFolder = settings.protocolFolder;
    layout.highScoreFolder = settings.highScoreFolder;
    layout.worksheetFolder = settings.worksheetFolder;
}

void TForm1::loadSettings()
{
    AppSettings settings = currentSettings();
    const std::unique_ptr<RegistryKey> key = openCurrentUserKey(QString::fromLatin1(settingsKeyPath));
    readSettings(*key, settings, m_quizOptions);
    key->close();
    applySettings(settings);
}

void TForm1::saveSettings()
{
    const std::unique_ptr<RegistryKey> key = openCurrentUserKey(QString::fromLatin1(settingsKeyPath));
    writeSettings(*key, currentSettings(), m_quizOptions);
    // Closing the program is no moment for a message; a store that cannot be written keeps the
    // settings of the last good run.
    key->close();
}
