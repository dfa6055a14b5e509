// Draws and synthesises everything the program ships or compiles in: the start picture and
// the sounds beside the program, and the textures, cursors, icons and start document picture
// that go into its resources. Run by the build; the output depends only on this code and
// the fonts.

#include "cursors.h"
#include "pictures.h"
#include "sounds.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

namespace {

QTextStream& errorStream()
{
    static QTextStream stream(stderr);
    return stream;
}

// Writes through a temporary file, so that a failed run never leaves a truncated picture or
// sound where a good one was.
bool writeFile(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        errorStream() << "Der Ordner für \"" << path << "\" kann nicht angelegt werden.\n";
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        errorStream() << "Die Datei \"" << path << "\" kann nicht geschrieben werden: " << file.errorString() << '\n';
        return false;
    }
    return true;
}

bool writePng(const QString& path, const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        errorStream() << "Das Bild \"" << path << "\" kann nicht als PNG kodiert werden.\n";
        return false;
    }
    return writeFile(path, bytes);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3) {
        errorStream() << "Aufruf: tallowmere_contentgen <Programmordner> <Ressourcenordner>\n"
                         "  Programmordner:   erhält data/tallowq.png und sound/*.wav\n"
                         "  Ressourcenordner: erhält textures/, cursors/, icons/ und pictures/\n";
        return 2;
    }
    const QDir programDir(arguments.at(1));
    const QDir resourceDir(arguments.at(2));

    bool ok = writePng(programDir.filePath(QStringLiteral("data/tallowq.png")), pictures::drawStartPicture());
    ok = writeFile(programDir.filePath(QStringLiteral("sound/Richtig1.wav")),
             sounds::encodeWav(sounds::synthesiseRightChime()))
        && ok;
    ok = writeFile(
             programDir.filePath(QStringLiteral("sound/Falsch1.wav")), sounds::encodeWav(sounds::synthesiseWrongBuzz()))
        && ok;

    ok = writePng(resourceDir.filePath(QStringLiteral("textures/texture1.png")), pictures::drawWindowTexture()) && ok;
    ok = writePng(resourceDir.filePath(QStringLiteral("textures/texture2.png")), pictures::drawDialogTexture()) && ok;
    ok = writePng(resourceDir.filePath(QStringLiteral("textures/texture1title.png")), pictures::drawTitleTexture())
        && ok;
    ok = writePng(resourceDir.filePath(QStringLiteral("icons/tallowmere.png")), pictures::drawProgramIcon(256)) && ok;
    ok = writePng(resourceDir.filePath(QStringLiteral("icons/tallowmere-32.png")), pictures::drawProgramIcon(32)) && ok;
    ok = writePng(resourceDir.filePath(QStringLiteral("pictures/startbasisbild.png")), pictures::drawStartBasePicture())
        && ok;
    for (const cursors::CursorPicture& cursor : cursors::drawCursors())
        ok = writePng(resourceDir.filePath(QStringLiteral("cursors/%1.png").arg(cursor.name)), cursor.image) && ok;

    return ok ? 0 : 1;
}
