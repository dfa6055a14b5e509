#include "zeptool/zeptool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Scripts read zeptool's standard error as its own messages. Qt's debug, info and warning
// output (such as its note about a missing runtime folder) would mix into it, so only its
// critical and fatal messages pass.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg)
        return;
    const QByteArray text = message.toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
}

// A folder of our own for Qt's GUI part when the session has none (a root shell, cron, a build
// script); removed again when zeptool ends.
class PrivateRuntimeFolder
{
public:
    PrivateRuntimeFolder()
    {
        if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
            return;
        QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/zeptool-runtime-XXXXXX";
        // mkdtemp creates the folder with mode 0700, as Qt requires of a runtime folder.
        if (::mkdtemp(pattern.data()) == nullptr)
            return;
        m_path = pattern;
        qputenv("XDG_RUNTIME_DIR", m_path);
    }
    ~PrivateRuntimeFolder()
    {
        if (!m_path.isEmpty())
            QDir(QString::fromLocal8Bit(m_path)).removeRecursively();
    }
    PrivateRuntimeFolder(const PrivateRuntimeFolder&) = delete;
    PrivateRuntimeFolder& operator=(const PrivateRuntimeFolder&) = delete;

private:
    QByteArray m_path;
};

bool needsGui(int argc, char* argv[])
{
    return argc > 1 && (std::strcmp(argv[1], "render") == 0 || std::strcmp(argv[1], "arbeitsblatt") == 0);
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(quietMessageHandler);

    // Drawing the card or a worksheet needs fonts, and fonts need a GUI application. zeptool never shows a
    // window, so that one runs on the offscreen platform unless told otherwise; the other
    // commands keep the lighter core application.
    std::unique_ptr<PrivateRuntimeFolder> runtimeFolder;
    std::unique_ptr<QCoreApplication> app;
    if (needsGui(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        runtimeFolder = std::make_unique<PrivateRuntimeFolder>();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int result = runZeptool(arguments, out, err);
    // The application goes before its runtime folder.
    app.reset();
    return result;
}
