#pragma once

#include <QString>

// Where the program finds and writes its files. Every folder is a full path ending with the
// native separator, so that callers append plain file names.
struct FolderLayout
{
    QString programFolder; // folder of the program's own executable
    QString soundFolder; // feedback sounds
    QString helpFolder; // help pages
    QString protocolFolder; // protocol files; changed by settings and the folder dialog
    QString highScoreFolder; // high-score lists; changed by settings and the folder dialog
    QString commFolder; // network-exercise files; changed by settings only
    QString worksheetFolder; // where worksheets were saved last; changed by settings and saving
    QString setupFolder; // read only by the e-mail dispatch
    QString commChannel; // mailbox name of the network exercise
    QString baseTopicFolder; // home folder of the topic menu
    QString topicFolder; // folder listed in the topic menu
    QString startDocumentPath; // document reopened by "&Startseite"; empty without one

    // The layout derived from the program's folder, before any setting or argument is applied.
    // Protocols, high-score lists and network files go below the program's folder, as in a
    // portable copy; an installed program cannot write there, and then they go below
    // dataFolder instead (when it is given).
    static FolderLayout forProgramFolder(const QString& programFolder, const QString& dataFolder = {});
};

// The user's own folder for the files the program writes, used when the program's folder is
// not writable: the application's data location, for example ~/.local/share/Kestrova/Tallowmere/.
QString userDataFolder();

// The file that `cmake --install` (and so the package) puts into an installed program's data
// folder. A build tree or a copied program folder lacks it.
inline constexpr char installedMarkerName[] = "data/installiert";

// True when programFolder is an installed program: it holds the installation marker.
bool isInstalledProgramFolder(const QString& programFolder);

// The layout for a program started from programFolder. An installed program writes protocols,
// high-score lists and network files below userDataFolder(), whoever runs it, even root, who
// could write into the program's folder; so does a copy whose folder is not writable. A build
// tree or a portable copy keeps them beside itself. The user's folders are created here.
FolderLayout folderLayoutForInstallation(const QString& programFolder);

// The path with the native separator appended when it is not empty and lacks one.
QString withTrailingSeparator(const QString& folder);

// The folder of the quiz pictures (flags and coin sides) beside the program, with a separator.
QString quizPictureFolder(const QString& programFolder);

// The start picture of the start page, in the data folder beside the program.
QString startPicturePath(const QString& programFolder);

// The command-line argument of the first activation, resolved against the working folder.
struct StartArgument
{
    QString baseTopicFolder; // folder to list in the topic menu
    QString documentPath; // full path of a document to open; empty when the argument names a folder
};

// An empty argument gives the program folder. An existing folder becomes the topic folder;
// anything else is taken as a document whose folder becomes the topic folder.
StartArgument resolveStartArgument(const QString& argument, const QString& programFolder, const QString& workingFolder);

// The program-wide folder layout, set up once before the main window exists.
FolderLayout& folders();
