// Draws and synthesises everything the program ships or compiles in: the start picture and
// the sounds beside the program, and the textures, cursors, icons and start document picture
// that go into its resources; the flag and coin pictures of the quiz questions; the base
// pictures of the bundled topics. Run by the build; the output depends only on this code, the
// flag files and the fonts.

#include "coins.h"
#include "cursors.h"
#include "flags.h"
#include "pictures.h"
#include "sounds.h"
#include "topicpictures.h"

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

bool isOpaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

bool writePng(const QString& path, const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // An opaque picture is stored without alpha: a quarter less to inflate at every start.
    const QImage stored = isOpaque(image) ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!stored.save(&buffer, "PNG")) {
        errorStream() << "Das Bild \"" << path << "\" kann nicht als PNG kodiert werden.\n";
        return false;
    }
    return writeFile(path, bytes);
}

// The size at which the question pictures are shown: the card draws them unscaled from 35 % of
// its height, and the answer tiles start 23 % of its height plus 45 pixels further down; on the
// card of the standard window that leaves about 170 pixels.
const QSize flagSize(160, 120);
constexpr int coinSize = 144;

// The pictures of the flag and coin questions, named as the question lines name them:
// flagge-<code>.png from <code>.svg of the flag folder, and muenze-<code>.png.
bool writeQuizPictures(const QDir& flagDir, const QDir& targetDir)
{
    bool ok = true;
    for (const coins::NationalSide& side : coins::nationalSides()) {
        const QString svg = flagDir.filePath(side.code + QStringLiteral(".svg"));
        const QImage flag = flags::renderFlag(svg, flagSize);
        if (flag.isNull()) {
            errorStream() << "Die Flagge \"" << svg << "\" kann nicht gezeichnet werden.\n";
            ok = false;
        } else {
            ok = writePng(targetDir.filePath(QStringLiteral("flagge-%1.png").arg(side.code)), flag) && ok;
        }
        ok = writePng(targetDir.filePath(QStringLiteral("muenze-%1.png").arg(side.code)),
                 coins::drawNationalSide(side, coinSize))
            && ok;
    }
    return ok;
}

bool writeTopicPictures(const QDir& targetDir)
{
    bool ok = writePng(targetDir.filePath(QStringLiteral("einzelfragen.png")), topicpictures::drawQuestionBackground());
    ok = writePng(targetDir.filePath(QStringLiteral("muenzaufbau.png")), topicpictures::drawCoinAnatomy()) && ok;
    ok = writePng(targetDir.filePath(QStringLiteral("lueckentext.png")), topicpictures::drawClozePaper()) && ok;
    ok = writePng(targetDir.filePath(QStringLiteral("lernkarte.png")), topicpictures::drawLearningCard()) && ok;
    return ok;
}

// The program and topic-file icons of an installed program, in the folder layout of the hicolor
// icon theme: <size>x<size>/apps/tallowmere.png and <size>x<size>/mimetypes/<type>.png.
bool writeDesktopIcons(const QDir& targetDir)
{
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/").arg(size);
        ok = writePng(
                 targetDir.filePath(folder + QStringLiteral("apps/tallowmere.png")), pictures::drawProgramIcon(size))
            && ok;
        ok = writePng(targetDir.filePath(folder + QStringLiteral("mimetypes/application-x-kestrova-topic.png")),
                 pictures::drawTopicFileIcon(size))
            && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--quizbilder"))
        return writeQuizPictures(QDir(arguments.at(2)), QDir(arguments.at(3))) ? 0 : 1;
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--themenbilder"))
        return writeTopicPictures(QDir(arguments.at(2))) ? 0 : 1;
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--desktopsymbole"))
        return writeDesktopIcons(QDir(arguments.at(2))) ? 0 : 1;
    if (arguments.size() != 3 || arguments.at(1).startsWith(u'-')) {
        errorStream() << "Aufruf: tallowmere_contentgen <Programmordner> <Ressourcenordner>\n"
                         "        tallowmere_contentgen --quizbilder <Flaggenordner> <Zielordner>\n"
                         "        tallowmere_contentgen --themenbilder <Zielordner>\n"
                         "        tallowmere_contentgen --desktopsymbole <Zielordner>\n"
                         "  Programmordner:   erhält data/tallowq.png und sound/*.wav\n"
                         "  Ressourcenordner: erhält textures/, cursors/, icons/ und pictures/\n"
                         "  --quizbilder:     flagge-<Land>.png aus <Land>.svg und muenze-<Land>.png\n"
                         "  --themenbilder:   die Grundbilder der mitgelieferten Themen\n"
                         "  --desktopsymbole: Programm- und Dateisymbol in den hicolor-Größen 16 bis 256\n";
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
