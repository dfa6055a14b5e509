// The widget-free services of the application shell: display check, random generator,
// text helpers, file messages, folder layout and start argument, theme and nine-slice.

#include "app/displaycheck.h"
#include "common/filemessages.h"
#include "common/folders.h"
#include "common/randomgenerator.h"
#include "common/textutil.h"
#include "common/theme.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

class TestAppServices : public QObject
{
    Q_OBJECT

private slots:
    void displayThresholds_data();
    void displayThresholds();
    void displayWarningNamesTheCurrentMode();

    void randomSequenceFromSeedZero();
    void randomSeedFromTimeOfDay();
    void randomIntStaysInRange();
    void randomRange_data();
    void randomRange();

    void replaceAll_data();
    void replaceAll();
    void stripEmphasisTags_data();
    void stripEmphasisTags();

    void fileMessages_data();
    void fileMessages();

    void folderLayoutBelowProgramFolder();
    void startArgument_data();
    void startArgument();

    void themeColoursFromTexturePixels();
    void nineSliceKeepsCornersAndStretchesEdges();
    void nineSliceStretchesPatternedCentre();
    void nineSliceOfTinyTextureIsPlainFill();
};

void TestAppServices::displayThresholds_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("depth");
    QTest::addColumn<bool>("suitable");

    // The warning names 1024 x 768 and 16 bit, but the check itself is more lenient.
    QTest::newRow("1000x720x16 passes") << 1000 << 720 << 16 << true;
    QTest::newRow("exact thresholds") << 960 << 700 << 15 << true;
    QTest::newRow("usual screen") << 1280 << 1024 << 24 << true;
    QTest::newRow("too narrow") << 959 << 1024 << 24 << false;
    QTest::newRow("too low") << 1280 << 699 << 24 << false;
    QTest::newRow("too few colours") << 1280 << 1024 << 8 << false;
    QTest::newRow("14 bit") << 1280 << 1024 << 14 << false;
    QTest::newRow("nothing known") << 0 << 0 << 0 << false;
}

void TestAppServices::displayThresholds()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, depth);
    QFETCH(bool, suitable);
    QCOMPARE(displayIsSuitable({width, height, depth}), suitable);
}

void TestAppServices::displayWarningNamesTheCurrentMode()
{
    const QString text = displayWarningText({800, 600, 8});
    QCOMPARE(text,
        QStringLiteral("Ungeeigneter Grafikmodus! (Windows-Systemsteuerung / Eigenschaften von Anzeige)\r\n\r\n"
                       "Für dieses Programm sollte ein Grafikmodus mit einer Auflösung von mindestens 1024 x 768 "
                       "Pixel (Bildpunkte) und einer Farbtiefe von mindestens 16 Bit (High Color) eingestellt "
                       "sein. \r\nAktuelle Einstellungen:\r\n- Auflösung: 800 x 600 Pixel\r\n- Farbtiefe: 8 Bit"
                       "\r\n\r\nProgramm trotzdem starten?"));
}

void TestAppServices::randomSequenceFromSeedZero()
{
    // Values worked out by hand from seed := seed * 134775813 + 1, result = (seed * n) >> 32.
    RandomGenerator random(0);
    QCOMPARE(random.next(10), 0);
    QCOMPARE(random.seed(), 1u);
    QCOMPARE(random.next(10), 0);
    QCOMPARE(random.seed(), 134775814u);
    QCOMPARE(random.next(10), 8);
    QCOMPARE(random.seed(), 3698175007u);
    QCOMPARE(random.next(100), 20);
    QCOMPARE(random.next(1000), 272);
    QCOMPARE(random.seed(), 1172187917u);

    RandomGenerator other(12345);
    QList<int> dice;
    for (int i = 0; i < 5; ++i)
        dice.append(other.next(6));
    QCOMPARE(dice, (QList<int> {2, 1, 0, 3, 3}));
}

void TestAppServices::randomSeedFromTimeOfDay()
{
    RandomGenerator random;
    random.seedFromTimeOfDay(QTime(13, 45, 30, 250));
    QCOMPARE(random.seed(), 49530250u);
}

void TestAppServices::randomIntStaysInRange()
{
    RandomGenerator random(987654321);
    QList<int> seen(7, 0);
    for (int i = 0; i < 7000; ++i) {
        const int value = random.next(7);
        QVERIFY(value >= 0 && value < 7);
        ++seen[value];
    }
    // Every value turns up often enough: the high bits are used, not the weak low ones.
    for (int count : seen)
        QVERIFY2(count > 800 && count < 1200, qPrintable(QString::number(count)));
    QCOMPARE(random.next(0), 0);
    QCOMPARE(random.next(-5), 0);
}

void TestAppServices::randomRange_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");

    QTest::newRow("a equals b") << 4 << 4 << 4 << 4;
    QTest::newRow("a above b") << 9 << 2 << 9 << 9;
    QTest::newRow("both ends included") << 1 << 3 << 1 << 3;
    QTest::newRow("negative range") << -2 << 2 << -2 << 2;
}

void TestAppServices::randomRange()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    programRandom().setSeed(4711);
    QSet<int> values;
    for (int i = 0; i < 500; ++i) {
        const int value = ::randomRange(a, b);
        QVERIFY(value >= lowest && value <= highest);
        values.insert(value);
    }
    QCOMPARE(values.size(), highest - lowest + 1);
}

void TestAppServices::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");

    QTest::newRow("every occurrence") << "a-b-c"
                                      << "-"
                                      << "+"
                                      << "a+b+c";
    QTest::newRow("left to right without overlap") << "aaa"
                                                   << "aa"
                                                   << "b"
                                                   << "ba";
    QTest::newRow("case-sensitive") << "Titel titel"
                                    << "titel"
                                    << "X"
                                    << "Titel X";
    QTest::newRow("placeholder") << "%programmtitel% ist %programmtitel%"
                                 << "%programmtitel%"
                                 << "Kestrova Tallowmere"
                                 << "Kestrova Tallowmere ist Kestrova Tallowmere";
    QTest::newRow("replacement holds the pattern") << "ab"
                                                   << "a"
                                                   << "aa"
                                                   << "aab";
    QTest::newRow("empty pattern changes nothing") << "abc"
                                                   << ""
                                                   << "x"
                                                   << "abc";
    QTest::newRow("removal") << "x<b>y"
                             << "<b>"
                             << ""
                             << "xy";
}

void TestAppServices::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(::replaceAll(text, pattern, replacement), expected);
}

void TestAppServices::stripEmphasisTags_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");

    QTest::newRow("capital tags") << "Ein <B>Wort</B> fett"
                                  << "Ein Wort fett";
    QTest::newRow("all three") << "<i>a</I><u>b</U><b>c</b>"
                               << "abc";
    QTest::newRow("joined by removal") << "<<b>b>x"
                                       << "x";
    QTest::newRow("other markup stays") << "<tit>Kopf <@img=a.png>"
                                        << "<tit>Kopf <@img=a.png>";
    QTest::newRow("a later tag does not revive an earlier one") << "<</u>b>"
                                                                << "<b>";
    QTest::newRow("nothing to do") << "Grüße"
                                   << "Grüße";
}

void TestAppServices::stripEmphasisTags()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(::stripEmphasisTags(line), expected);
}

void TestAppServices::fileMessages_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString path = QStringLiteral("C:\\Themen\\münzen.zep");
    QTest::newRow("missing") << fileMissingText(path) << "Die Datei \"C:\\Themen\\münzen.zep\" existiert nicht.";
    QTest::newRow("missing with hint") << fileMissingText(path, "Hinweis")
                                       << "Die Datei \"C:\\Themen\\münzen.zep\" existiert nicht.\r\n\r\nHinweis";
    QTest::newRow("unreadable with hint")
        << fileUnreadableText(path, "Bitte prüfen.")
        << "Die Datei \"C:\\Themen\\münzen.zep\" kann nicht gelesen werden. Mögliche Ursachen:\r\n"
           "- Datei existiert nicht\r\n- Ungültiges Dateiformat\r\n- fehlende Lesezugriffsberechtigung im Netzwerk"
           "\r\n\r\nBitte prüfen.";
    QTest::newRow("unwritable") << fileUnwritableText(path)
                                << "Die Datei \"C:\\Themen\\münzen.zep\" kann nicht geschrieben werden. Mögliche "
                                   "Ursachen:\r\n- Ungültiger Ordner oder Dateiname\r\n- fehlende "
                                   "Schreibzugriffsberechtigung im Netzwerk";
    QTest::newRow("path with percent signs")
        << fileMissingText("%1 %2.zep") << "Die Datei \"%1 %2.zep\" existiert nicht.";
    QTest::newRow("start picture") << pictureNotFoundText("/opt/x/data/tallowq.png")
                                   << "Datei \"/opt/x/data/tallowq.png\" nicht gefunden.";
    QTest::newRow("cannot open") << cannotOpenText("file:///x/index.html")
                                 << "Die Datei \"file:///x/index.html\" kann nicht geöffnet werden. Sie benötigen "
                                    "einen Webbrowser (z.B. Internet Explorer) um dieses Dokument anzusehen.";
}

void TestAppServices::fileMessages()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

void TestAppServices::folderLayoutBelowProgramFolder()
{
    const FolderLayout layout = FolderLayout::forProgramFolder(QStringLiteral("/opt/tallowmere"));
    const QString sep = QDir::separator();
    QCOMPARE(layout.programFolder, "/opt/tallowmere" + sep);
    QCOMPARE(layout.soundFolder, "/opt/tallowmere" + sep + "sound" + sep);
    QCOMPARE(layout.helpFolder, "/opt/tallowmere" + sep + "hilfe" + sep);
    QCOMPARE(layout.protocolFolder, "/opt/tallowmere" + sep + "protokolle" + sep);
    QCOMPARE(layout.highScoreFolder, "/opt/tallowmere" + sep + "bestenlisten" + sep);
    QCOMPARE(layout.commFolder, "/opt/tallowmere" + sep + "kom" + sep);
    QCOMPARE(layout.setupFolder, "/opt/tallowmere" + sep + "setupbasissystem" + sep);
    QCOMPARE(layout.commChannel, QStringLiteral("ZEP-1"));
    QCOMPARE(layout.baseTopicFolder, layout.programFolder);
    QCOMPARE(layout.topicFolder, layout.programFolder);
    QVERIFY(layout.startDocumentPath.isEmpty());
    // A folder given with its separator is not doubled.
    QCOMPARE(FolderLayout::forProgramFolder("/opt/tallowmere/").programFolder, layout.programFolder);
}

void TestAppServices::startArgument_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("document");

    // Paths relative to a temporary working folder that holds "themen/" and "themen/flaggen.zep".
    QTest::newRow("no argument: the program folder") << ""
                                                     << "<program>/"
                                                     << "";
    QTest::newRow("folder without separator") << "themen"
                                              << "<work>/themen/"
                                              << "";
    QTest::newRow("folder with separator") << "themen/"
                                           << "<work>/themen/"
                                           << "";
    QTest::newRow("document") << "themen/flaggen.zep"
                              << "<work>/themen/"
                              << "<work>/themen/flaggen.zep";
    QTest::newRow("Windows separators") << "themen\\flaggen.zep"
                                        << "<work>/themen/"
                                        << "<work>/themen/flaggen.zep";
    QTest::newRow("absolute document") << "<work>/themen/flaggen.zep"
                                       << "<work>/themen/"
                                       << "<work>/themen/flaggen.zep";
    // Neither a folder nor a readable file: reading it will fail later, its folder is listed.
    QTest::newRow("missing document") << "themen/fehlt.zep"
                                      << "<work>/themen/"
                                      << "<work>/themen/fehlt.zep";
    QTest::newRow("missing folder with separator") << "nirgends/"
                                                   << "<work>/nirgends/"
                                                   << "";
}

void TestAppServices::startArgument()
{
    QFETCH(QString, argument);
    QFETCH(QString, folder);
    QFETCH(QString, document);

    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath("themen"));
    QFile file(work.filePath("themen/flaggen.zep"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString program = QStringLiteral("/opt/tallowmere");
    auto expand = [&](QString text) {
        return text.replace("<work>", QDir(work.path()).canonicalPath()).replace("<program>", program);
    };

    const StartArgument start = resolveStartArgument(expand(argument), program, QDir(work.path()).canonicalPath());
    QCOMPARE(start.baseTopicFolder, expand(folder));
    QCOMPARE(start.documentPath, expand(document));
}

void TestAppServices::themeColoursFromTexturePixels()
{
    QImage texture1(64, 64, QImage::Format_ARGB32);
    texture1.fill(QColor(1, 2, 3));
    texture1.setPixelColor(0, 0, QColor(220, 222, 212));
    texture1.setPixelColor(30, 30, QColor(246, 246, 241));
    QImage texture2(64, 64, QImage::Format_ARGB32);
    texture2.fill(QColor(4, 5, 6));
    texture2.setPixelColor(30, 30, QColor(232, 234, 224));

    const ThemeColours colours = ThemeColours::fromTextures(texture1, texture2);
    QCOMPARE(colours.background, QColor(220, 222, 212));
    QCOMPARE(colours.panel, QColor(246, 246, 241));
    QCOMPARE(colours.accent, QColor(232, 234, 224));

    // The program's own textures are there (a missing one gives grey) and keep the three
    // colours apart.
    const ThemeTextures& textures = ThemeTextures::builtIn();
    QVERIFY(textures.texture1.width() > 30 && textures.texture2.width() > 30);
    const ThemeColours& builtIn = theme();
    QCOMPARE(builtIn.panel, textures.texture1.pixelColor(30, 30));
    QCOMPARE(builtIn.accent, textures.texture2.pixelColor(30, 30));
    QVERIFY(builtIn.background != builtIn.panel);
    QVERIFY(builtIn.panel != builtIn.accent);
    QVERIFY(builtIn.background != builtIn.accent);
}

void TestAppServices::nineSliceKeepsCornersAndStretchesEdges()
{
    // A 90 x 90 texture: nine 30 x 30 squares, each in its own colour.
    QImage texture(90, 90, QImage::Format_ARGB32);
    const QColor colours[3][3]
        = {{Qt::red, Qt::green, Qt::blue}, {Qt::cyan, Qt::white, Qt::magenta}, {Qt::yellow, Qt::black, Qt::gray}};
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 90; ++x)
            texture.setPixelColor(x, y, colours[y / 30][x / 30]);

    const QImage image = paintNineSlice(QSize(300, 200), texture);
    QCOMPARE(image.size(), QSize(300, 200));
    auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    // Corners unscaled: exactly 30 pixels each way.
    QCOMPARE(at(0, 0), QColor(Qt::red));
    QCOMPARE(at(29, 29), QColor(Qt::red));
    QCOMPARE(at(299, 0), QColor(Qt::blue));
    QCOMPARE(at(270, 29), QColor(Qt::blue));
    QCOMPARE(at(0, 199), QColor(Qt::yellow));
    QCOMPARE(at(299, 199), QColor(Qt::gray));
    // Edges stretched along their edge, keeping their width.
    QCOMPARE(at(150, 10), QColor(Qt::green));
    QCOMPARE(at(150, 190), QColor(Qt::black));
    QCOMPARE(at(10, 100), QColor(Qt::cyan));
    QCOMPARE(at(290, 100), QColor(Qt::magenta));
    // The centre fills the rest.
    QCOMPARE(at(40, 40), QColor(Qt::white));
    QCOMPARE(at(260, 160), QColor(Qt::white));
}

// A centre with a pattern is stretched, not filled with its first pixel's colour.
void TestAppServices::nineSliceStretchesPatternedCentre()
{
    QImage texture(90, 90, QImage::Format_RGB32);
    texture.fill(Qt::gray);
    for (int y = 30; y < 60; ++y)
        for (int x = 30; x < 60; ++x)
            texture.setPixelColor(x, y, y < 59 ? QColor(Qt::black) : QColor(Qt::white));
    const QImage image = paintNineSlice(QSize(300, 200), texture);
    QCOMPARE(image.pixelColor(150, 40), QColor(Qt::black));
    QCOMPARE(image.pixelColor(150, 169), QColor(Qt::white));
}

void TestAppServices::nineSliceOfTinyTextureIsPlainFill()
{
    QImage texture(40, 40, QImage::Format_ARGB32);
    texture.fill(QColor(10, 20, 30));
    texture.setPixelColor(30, 30, QColor(200, 100, 50));
    const QImage image = paintNineSlice(QSize(100, 50), texture);
    QCOMPARE(image.pixelColor(0, 0), QColor(200, 100, 50));
    QCOMPARE(image.pixelColor(99, 49), QColor(200, 100, 50));
    // An empty size still gives a picture, never a crash.
    QVERIFY(!paintNineSlice(QSize(0, 0), texture).isNull());
}

QTEST_GUILESS_MAIN(TestAppServices)
#include "tst_appservices.moc"
