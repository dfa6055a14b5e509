#include "commandline.h"

#include <algorithm>

namespace {

const QLatin1String authoringOption("--autor");
const QLatin1String helpOption("--help");
const QLatin1String shortHelpOption("-h");
const QLatin1String versionOption("--version");
const QLatin1String endOfOptions("--");

// The options QCoreApplication, QGuiApplication, QApplication and the X11 platform take out of
// the command line (Qt 6 on Linux), and a few older ones. A name too many only means that a
// wrong call is answered once Qt has started; a name missing would refuse one of Qt's options.
const char* const qtOptionNames[] = {"cmap", "display", "dograb", "geometry", "graphicssystem", "icon", "name", "ncols",
    "nograb", "platform", "platformpluginpath", "platformtheme", "plugin", "qdebug", "qdevel", "qmljsdebugger",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "reverse", "session", "style", "stylesheet", "sync",
    "testability", "title", "visual", "widgetcount"};

// Qt reads "--name" as "-name" and takes "-name=value" for some of its options.
bool isQtOption(const QString& argument)
{
    if (!argument.startsWith(u'-'))
        return false;
    QStringView name = QStringView(argument).mid(argument.startsWith(endOfOptions) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    if (equals >= 0)
        name = name.left(equals);
    for (const char* qtName : qtOptionNames) {
        if (name == QLatin1String(qtName))
            return true;
    }
    return false;
}

// A lone "-" names a file called "-", as with most programs; everything else that begins
// with "-" is an option.
bool looksLikeOption(const QString& argument)
{
    return argument.size() > 1 && argument.startsWith(u'-');
}

QString usageLines()
{
    return QStringLiteral("Aufruf:\n"
                          "  tallowmere [--autor] [THEMA.zep | ORDNER]\n"
                          "  tallowmere --help\n"
                          "  tallowmere --version\n");
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine result;
    bool help = false;
    bool version = false;
    QStringList unknownOptions;
    QStringList positionals;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (optionsEnded || !looksLikeOption(argument)) {
            positionals.append(argument);
        } else if (argument == endOfOptions) {
            optionsEnded = true;
        } else if (argument == authoringOption) {
            result.authoring = true;
        } else if (argument == helpOption || argument == shortHelpOption) {
            help = true;
        } else if (argument == versionOption) {
            version = true;
        } else {
            unknownOptions.append(argument);
        }
    }

    if (help) {
        result.action = StartAction::ShowHelp;
    } else if (version) {
        result.action = StartAction::ShowVersion;
    } else if (!unknownOptions.isEmpty()) {
        result.action = StartAction::Refuse;
        result.error = QStringLiteral("unbekannte Option \"%1\".").arg(unknownOptions.first());
        // "-x.zep" may well be a file: say how to name it.
        if (!unknownOptions.first().startsWith(endOfOptions))
            result.error += QStringLiteral(" Ein Thema, dessen Name mit \"-\" beginnt, steht nach \"--\".");
    } else {
        // The first name is the topic or folder, as the program has always taken it; further
        // names (several files dropped on a launcher) are left alone.
        result.argument = positionals.value(0);
    }
    return result;
}

bool mayHoldQtOptions(const QStringList& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(), isQtOption);
}

QString commandLineHelpText()
{
    return QStringLiteral("Kestrova Tallowmere – Lern- und Quizprogramm\n"
                          "\n")
        + usageLines()
        + QStringLiteral("\n"
                         "Argumente:\n"
                         "  THEMA.zep   öffnet die Themendatei; ihr Ordner erscheint im Menü \"Quizauswahl\".\n"
                         "  ORDNER      zeigt die Themendateien dieses Ordners im Menü \"Quizauswahl\".\n"
                         "              Ohne Argument zeigt das Menü die Themen im Ordner des Programms.\n"
                         "\n"
                         "Optionen:\n"
                         "  --autor       startet mit den Autorenfunktionen, um eigene Themen zu erstellen\n"
                         "                und zu bearbeiten (Themen-Editor).\n"
                         "  -h, --help    zeigt diese Hilfe.\n"
                         "  --version     zeigt die Versionsnummer.\n"
                         "  --            beendet die Optionen: ein Thema oder Ordner, dessen Name mit \"-\"\n"
                         "                beginnt, steht danach.\n"
                         "\n"
                         "Dazu versteht das Programm die Optionen von Qt, etwa \"-platform offscreen\" oder\n"
                         "\"-style fusion\".\n"
                         "\n"
                         "Rückgabewerte: 0 beendet ohne Fehler, 2 falscher Aufruf.\n");
}

QString commandLineVersionText()
{
    return QStringLiteral("Kestrova Tallowmere %1\n").arg(programVersion());
}

QString commandLineErrorText(const CommandLine& commandLine)
{
    return QStringLiteral("tallowmere: ") + commandLine.error + u'\n' + usageLines()
        + QStringLiteral("\"tallowmere --help\" erklärt alle Argumente.\n");
}

QString programVersion()
{
    return QStringLiteral(TALLOWMERE_VERSION);
}
