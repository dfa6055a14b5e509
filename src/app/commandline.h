#pragma once

#include <QString>
#include <QStringList>

// The program's command line: tallowmere [--autor] [THEMA.zep|ORDNER], --help, --version.
// Reading it needs no display, so that --help and a wrong call are answered on a machine
// without one.

enum class StartAction {
    Start, // open the window
    ShowHelp, // print commandLineHelpText() to standard output, exit code 0
    ShowVersion, // print commandLineVersionText() to standard output, exit code 0
    Refuse, // print commandLineErrorText() to standard error, exit code 2
};

enum CommandLineExit : int {
    CommandLineOk = 0,
    CommandLineBadUsage = 2,
};

struct CommandLine
{
    StartAction action = StartAction::Start;
    bool authoring = false; // --autor: the authoring functions are offered
    // The one optional topic file or folder exactly as given (relative paths are resolved by
    // the main window); empty without one.
    QString argument;
    QString error; // Refuse only: the reason, one German sentence without the program name
};

// Reads the arguments after the program name. Options may stand before or after the topic;
// "--" ends them, so that a file whose name begins with "-" can be named. A request for help
// wins over everything else, then one for the version; an unknown option refuses the call instead
// of being taken as the topic. The first name is the topic or folder; further names are ignored.
CommandLine parseCommandLine(const QStringList& arguments);

// True when an argument names one of Qt's own options (-platform offscreen, -style fusion,
// ...), which QApplication takes out before the program reads its arguments. Qt does not stop
// at "--", so arguments after it count too. Without one, the call reads the same before and
// after QApplication, and a wrong call can be refused without starting Qt.
bool mayHoldQtOptions(const QStringList& arguments);

// The full German help for --help.
QString commandLineHelpText();

// "Kestrova Tallowmere" and the version, one line.
QString commandLineVersionText();

// The reason of a refused call, the short usage and where to find more, for standard error.
QString commandLineErrorText(const CommandLine& commandLine);

// The program's version number, as the build knows it ("1.2.2006").
QString programVersion();
