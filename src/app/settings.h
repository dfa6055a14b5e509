#pragma once

#include "quiz/quizoptions.h"

#include <QString>

class RegistryKey;

// The program options kept between runs: the four switches of the "&Optionen" menu and the
// folders and channel of protocols, high-score lists and the network exercise.
struct AppSettings
{
    bool soundEnabled = true; // "&Tonausgabe"
    bool nameEntryAtStart = true; // "&Namenseingabe bei Quiz-Start"
    bool protocolAutoSave = false; // "&Protokolle automatisch speichern"
    bool highScoreAutoEnter = true; // "&Ergebnisse automatisch in Bestenliste eintragen"
    QString commFolder;
    QString commChannel;
    QString protocolFolder;
    QString highScoreFolder;
    QString worksheetFolder;

    bool operator==(const AppSettings&) const = default;
};

// The program's key below the current user's part of the registry.
inline constexpr const char* settingsKeyPath = "Software\\Kestrova\\Tallowmere";

// Applies every stored value to app and quiz, in the order of the tables: the program options,
// then the dialog for labelling and cloze text, then the one for single questions. A value that
// is missing, of another type or outside its choices leaves what app and quiz held.
void readSettings(const RegistryKey& key, AppSettings& app, QuizOptions& quiz);

// Stores every value in the same order: switches and radio entries as DWORD, folders, channel
// and the minute and second fields as strings.
void writeSettings(RegistryKey& key, const AppSettings& app, const QuizOptions& quiz);
