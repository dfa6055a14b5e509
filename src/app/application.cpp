#include "application.h"

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

void prepareApplication(QApplication& app)
{
    QApplication::setOrganizationName(QStringLiteral("Kestrova"));
    QApplication::setApplicationName(QStringLiteral("Tallowmere"));
    QApplication::setApplicationVersion(QStringLiteral("1.2.2006"));
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
    QApplication app(argc, argv);
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
    options.argument = QCoreApplication::arguments().value(1);
    options.pictures = &pictures;
    TForm1 window(options);
    if (window.startupCancelled())
        return 0;
    window.createDialogs();
    window.show();
    window.activateWindow();
    return app.exec();
}
