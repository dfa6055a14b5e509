#include "application.h"

#include "app/commandline.h"
#include "app/mainwindow.h"
#include "app/startpictures.h"
#include "common/folders.h"
#include "common/sound.h"
#include "platform/mailclient.h"
#include "ui/messages.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTranslator>

#include <cstdio>

namespace {

// The console speaks UTF-8 here, as zeptool assumes too.
void writeConsole(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Prints what an answered command line asks for (help, version or the reason of a refusal)
// and gives the exit code.
int answerCommandLine(const CommandLine& commandLine)
{
    switch (commandLine.action) {
    case StartAction::ShowHelp:
        writeConsole(stdout, commandLineHelpText());
        return CommandLineOk;
    case StartAction::ShowVersion:
        writeConsole(stdout, commandLineVersionText());
        return CommandLineOk;
    case StartAction::Refuse:
        writeConsole(stderr, commandLineErrorText(commandLine));
        return CommandLineBadUsage;
    case StartAction::Start:
        break;
    }
    return CommandLineOk;
}

} // namespace

void prepareApplication(QApplication& app)
{
    QApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QApplication::setApplicationName(QStringLiteral("Tallowmere"));
    QApplication::setApplicationVersion(programVersion());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    // Qt's own dialogs and buttons speak German too.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
}

int runTallowmere(int argc, char* argv[])
{
    // Help, the version and a wrong call are answered before QApplication, which needs a
    // display. Only when Qt might own an argument does the answer wait until QApplication has
    // taken its options out.
    QStringList rawArguments;
    for (int i = 1; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine early = parseCommandLine(rawArguments);
    if (early.action == StartAction::ShowHelp || early.action == StartAction::ShowVersion
        || (early.action == StartAction::Refuse && !mayHoldQtOptions(rawArguments)))
        return answerCommandLine(early);

    QApplication app(argc, argv);
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (commandLine.action != StartAction::Start)
        return answerCommandLine(commandLine);
    prepareApplication(app);

    folders() = folderLayoutForInstallation(QCoreApplication::applicationDirPath());
    // The start screen's pictures decode on other threads while this one builds the window.
    StartPictures pictures;
    pictures.startLoading(startPicturePath(folders().programFolder));
    soundPlayer().setSoundFolder(folders().soundFolder);
    soundPlayer().setErrorReporter([](const QString& text) { showError(text); });
    // The copies of topics attached to e-mails are kept for a week: the mail may be sent late.
    removeOldMailCopies(defaultMailCopyRoot(), QDateTime::currentDateTime());

    StartOptions options;
    options.argument = commandLine.argument;
    options.authoring = commandLine.authoring;
    options.pictures = &pictures;
    TForm1 window(options);
    if (window.startupCancelled())
        return 0;
    window.createDialogs();
    window.show();
    window.activateWindow();
    return app.exec();
}
