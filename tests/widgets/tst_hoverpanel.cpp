#include "widgets/hoverpanel.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

#include <climits>

namespace {

const QColor normColor(10, 20, 30);
const QColor hoverColor(200, 210, 0);
const QColor checkColor(250, 250, 240);
const QColor borderColor(200, 0, 0);

QImage grabImage(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void sendEnter(QWidget& widget)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&widget, &enter);
}

void sendLeave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

// A panel with distinct colours for every state, so that a wrong rule shows as a wrong colour.
void setDistinctColours(THoverPanel& panel)
{
    panel.setNormColor(normColor);
    panel.setHoverColor(hoverColor);
    panel.setCheckColor(checkColor);
    panel.setBorderColor(borderColor);
}

// Rows of `image` within `area` that hold a pixel of `color`.
QList<int> rowsWithColour(const QImage& image, const QRect& area, const QColor& color)
{
    QList<int> rows;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

} // namespace

class TestHoverPanel : public QObject
{
    Q_OBJECT

private slots:
    void mixRoundsEachChannel_data();
    void mixRoundsEachChannel();
    void paddingAssignmentCopiesAllSidesAndNotifiesOnce();
    void backgroundFollowsRule_data();
    void backgroundFollowsRule();
    void checkedPanelUnderPointerShowsHoverThenCheckColour();
    void settingCheckedAgainReappliesBackground_data();
    void settingCheckedAgainReappliesBackground();
    void colourSettersTakeEffectAtOnce();
    void checkedChangeSetsCaptionColourAndBold();
    void publishedPropertiesStartAtTheirDefaults_data();
    void publishedPropertiesStartAtTheirDefaults();
    void fitCaptionSteps_data();
    void fitCaptionSteps();
    void fitCaption_data();
    void fitCaption();
    void panelFitsCaptionIntoItsPaddedArea_data();
    void panelFitsCaptionIntoItsPaddedArea();
    void repaintRefitsWhenAnInputChanges_data();
    void repaintRefitsWhenAnInputChanges();
    void wordWrapBreaksAtBlanksOnly();
    void paintsBorderFillAndCheckLines_data();
    void paintsBorderFillAndCheckLines();
    void raisedBevelMixesBackground();
    void onlyRaisedBevelIsDrawn_data();
    void onlyRaisedBevelIsDrawn();
    void oversizedInsetsPaintOnlyTheBorder();
    void bitmapIsCopiedFromBorderOffset();
    void captionFollowsLayout_data();
    void captionFollowsLayout();
    void mouseClick_data();
    void mouseClick();
    void keyboardClick_data();
    void keyboardClick();
    void focusRectangleOnFocusedTabStop();
};

void TestHoverPanel::mixRoundsEachChannel_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("t");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("halves go to even") << QColor(0, 2, 4) << QColor(1, 3, 5) << 0.5 << QColor(0, 2, 4);
    QTest::newRow("halves go to even upward") << QColor(1, 3, 5) << QColor(2, 4, 6) << 0.5 << QColor(2, 4, 6);
    QTest::newRow("light bevel of toolbar grey")
        << QColor(Qt::white) << QColor(236, 236, 232) << 0.2 << QColor(251, 251, 250);
    QTest::newRow("dark bevel of tile yellow")
        << QColor(Qt::black) << QColor(255, 243, 144) << 0.75 << QColor(191, 182, 108);
    QTest::newRow("plain check mark of toolbar grey")
        << QColor(236, 236, 232) << QColor(Qt::white) << 0.5 << QColor(246, 246, 244);
}

void TestHoverPanel::mixRoundsEachChannel()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, t);
    QFETCH(QColor, expected);
    QCOMPARE(mix(a, b, t), expected);
}

void TestHoverPanel::paddingAssignmentCopiesAllSidesAndNotifiesOnce()
{
    int notifications = 0;
    TPadding target([&notifications] { ++notifications; });
    const TPadding source(1, 2, 3, 4);

    target = source;

    QCOMPARE(notifications, 1);
    QCOMPARE(target.left(), 1);
    QCOMPARE(target.top(), 2);
    QCOMPARE(target.right(), 3);
    QCOMPARE(target.bottom(), 4);

    // The copy is a value: changing it must not reach the owner of the original.
    TPadding copy(target);
    copy.setLeft(9);
    QCOMPARE(notifications, 1);
    QCOMPARE(target.left(), 1);
}

void TestHoverPanel::backgroundFollowsRule_data()
{
    QTest::addColumn<bool>("hoverActive");
    QTest::addColumn<bool>("pointerInside");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("rest") << true << false << false << normColor;
    QTest::newRow("checked") << true << false << true << checkColor;
    QTest::newRow("hovered") << true << true << false << hoverColor;
    QTest::newRow("hovered and checked") << true << true << true << hoverColor;
    QTest::newRow("hover off, pointer inside") << false << true << false << normColor;
    QTest::newRow("hover off, pointer inside, checked") << false << true << true << checkColor;
}

void TestHoverPanel::backgroundFollowsRule()
{
    QFETCH(bool, hoverActive);
    QFETCH(bool, pointerInside);
    QFETCH(bool, checked);
    QFETCH(QColor, expected);

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setHoverActive(hoverActive);
    QSignalSpy entered(&panel, &THoverPanel::mouseEntered);
    if (pointerInside)
        sendEnter(panel);
    panel.setChecked(checked);

    QCOMPARE(panel.color(), expected);
    // The event reaches its handlers whether or not hovering changes the colour.
    QCOMPARE(entered.count(), pointerInside ? 1 : 0);
}

void TestHoverPanel::checkedPanelUnderPointerShowsHoverThenCheckColour()
{
    THoverPanel panel;
    setDistinctColours(panel);
    panel.setChecked(true);
    QSignalSpy left(&panel, &THoverPanel::mouseLeft);

    sendEnter(panel);
    QCOMPARE(panel.color(), hoverColor);
    sendLeave(panel);
    QCOMPARE(panel.color(), checkColor);
    QCOMPARE(left.count(), 1);
}

void TestHoverPanel::settingCheckedAgainReappliesBackground_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("unchecked") << false << normColor;
    QTest::newRow("checked") << true << checkColor;
}

void TestHoverPanel::settingCheckedAgainReappliesBackground()
{
    QFETCH(bool, checked);
    QFETCH(QColor, expected);

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setChecked(checked);
    // An answer tile flashes green and returns to its own colour by re-applying its state.
    panel.setColor(QColor(90, 255, 72));
    panel.setChecked(checked);
    QCOMPARE(panel.color(), expected);
}

void TestHoverPanel::colourSettersTakeEffectAtOnce()
{
    THoverPanel panel;
    panel.setNormColor(QColor(236, 236, 232));
    QCOMPARE(panel.color(), QColor(236, 236, 232));
    // A caption colour setter also re-applies the background rule, here undoing a flash.
    panel.setColor(QColor(90, 255, 72));
    panel.setNormFontColor(QColor(81, 81, 78));
    QCOMPARE(panel.color(), QColor(236, 236, 232));

    sendEnter(panel);
    panel.setHoverColor(QColor(254, 254, 248));
    QCOMPARE(panel.color(), QColor(254, 254, 248));
    panel.setHoverActive(false);
    QCOMPARE(panel.color(), QColor(236, 236, 232));
}

void TestHoverPanel::checkedChangeSetsCaptionColourAndBold()
{
    const QColor normFont(81, 81, 78);
    const QColor checkFont(0, 0, 160);
    THoverPanel panel;
    panel.setNormFontColor(normFont);
    panel.setCheckFontColor(checkFont);
    panel.setCheckFontBold(true);
    // The caption colours and the bold flag wait for a change of the checked state.
    QCOMPARE(panel.fontColor(), QColor(Qt::black));
    panel.setChecked(false);
    QCOMPARE(panel.fontColor(), QColor(Qt::black));

    panel.setChecked(true);
    QCOMPARE(panel.fontColor(), checkFont);
    QVERIFY(panel.font().bold());
    panel.setFontColor(Qt::red);
    panel.setChecked(true);
    QCOMPARE(panel.fontColor(), QColor(Qt::red));

    panel.setChecked(false);
    QCOMPARE(panel.fontColor(), normFont);
    QVERIFY(!panel.font().bold());

    // Without checkFontBold a bold caption stays bold through both states.
    panel.setCheckFontBold(false);
    QFont bold = panel.font();
    bold.setBold(true);
    panel.setFont(bold);
    panel.setChecked(true);
    QVERIFY(panel.font().bold());
    panel.setChecked(false);
    QVERIFY(panel.font().bold());
}

void TestHoverPanel::publishedPropertiesStartAtTheirDefaults_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("NormColor") << QByteArray("normColor") << QVariant(QWidget().palette().color(QPalette::Button));
    QTest::newRow("HoverColor") << QByteArray("hoverColor") << QVariant(QColor(255, 255, 0));
    QTest::newRow("CheckColor") << QByteArray("checkColor") << QVariant(QColor(Qt::white));
    QTest::newRow("NormFontColor") << QByteArray("normFontColor") << QVariant(QColor(Qt::black));
    QTest::newRow("CheckFontColor") << QByteArray("checkFontColor") << QVariant(QColor(Qt::black));
    QTest::newRow("CheckFontBold") << QByteArray("checkFontBold") << QVariant(false);
    QTest::newRow("HoverActive") << QByteArray("hoverActive") << QVariant(true);
    QTest::newRow("XPCheck") << QByteArray("xpCheck") << QVariant(true);
    QTest::newRow("Checked") << QByteArray("checked") << QVariant(false);
    QTest::newRow("WordWrap") << QByteArray("wordWrap") << QVariant(false);
    QTest::newRow("FontAutoSize") << QByteArray("fontAutoSize") << QVariant(false);
    QTest::newRow("MinFontSize") << QByteArray("minFontSize") << QVariant(7);
    QTest::newRow("Layout") << QByteArray("textLayout") << QVariant::fromValue(THoverPanel::TextLayout::Center);
    QTest::newRow("BorderColor") << QByteArray("borderColor") << QVariant(QColor(Qt::black));
    QTest::newRow("Bitmap") << QByteArray("bitmap") << QVariant(QImage());
    QTest::newRow("Padding") << QByteArray("padding") << QVariant::fromValue(TPadding(0, 0, 0, 0));
    QTest::newRow("background") << QByteArray("color") << QVariant(QWidget().palette().color(QPalette::Button));
}

void TestHoverPanel::publishedPropertiesStartAtTheirDefaults()
{
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);

    const THoverPanel panel;
    const QVariant value = panel.property(property.constData());
    QVERIFY2(value.isValid(), "no such property");
    QCOMPARE(value, expected);
    QCOMPARE(panel.font().family(), QStringLiteral("Arial"));
}

void TestHoverPanel::fitCaptionSteps_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("startSize");
    QTest::addColumn<int>("minFontSize");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedSize");
    QTest::addColumn<int>("expectedMeasurements");

    // Each blank-separated word takes a line as wide as its letters at one pixel per point.
    QTest::newRow("fits unchanged") << "Quiz starten" << 10 << 7 << QSize(70, 20) << "Quiz starten" << 10 << 1;
    QTest::newRow("shrinks") << "Quiz starten" << 10 << 7 << QSize(56, 16) << "Quiz starten" << 8 << 3;
    QTest::newRow("single word to dots") << "Donaudampfschiff" << 10 << 7 << QSize(60, 40) << "..." << 7 << 4;
    QTest::newRow("hyphen breaks at starting size")
        << "Nord-West" << 10 << 7 << QSize(60, 20) << "Nord- West" << 10 << 5;
    QTest::newRow("hyphens, then words dropped")
        << "Nord-West Süd-Ost" << 10 << 9 << QSize(60, 20) << "Nord- ..." << 9 << 7;
    QTest::newRow("a line break is no cut") << "Paris\nFrankreich" << 8 << 8 << QSize(40, 100) << "..." << 8 << 1;
    QTest::newRow("one letter before the only blank")
        << "X Donaudampf" << 8 << 8 << QSize(30, 100) << "X ..." << 8 << 2;
    QTest::newRow("starts below the minimum") << "Donaudampf" << 6 << 7 << QSize(30, 100) << "..." << 6 << 1;
}

void TestHoverPanel::fitCaptionSteps()
{
    QFETCH(QString, caption);
    QFETCH(int, startSize);
    QFETCH(int, minFontSize);
    QFETCH(QSize, available);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedSize);
    QFETCH(int, expectedMeasurements);

    QSet<QString> measured;
    bool repeated = false;
    const CaptionMeasure measure = [&](const QString& text, int pointSize) {
        const QString key = text + QLatin1Char('@') + QString::number(pointSize);
        repeated = repeated || measured.contains(key);
        measured.insert(key);
        const QStringList words = text.split(QRegularExpression(QStringLiteral("[ \n]+")), Qt::SkipEmptyParts);
        qsizetype longest = 0;
        for (const QString& word : words)
            longest = std::max(longest, word.size());
        return QSize(int(longest) * pointSize, int(words.size()) * pointSize);
    };
    const FittedCaption fitted = ::fitCaption(caption, startSize, minFontSize, available, measure);

    QCOMPARE(fitted.text, expectedText);
    QCOMPARE(fitted.pointSize, expectedSize);
    QCOMPARE(fitted.measurements, expectedMeasurements);
    QCOMPARE(int(measured.size()), expectedMeasurements);
    QVERIFY2(!repeated, "a text was measured twice at the same size");
}

void TestHoverPanel::fitCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<int>("minFontSize");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedSize"); // 0: smaller than fontSize, not below minFontSize

    const int centred = Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextExpandTabs;
    const int wrapped = centred | Qt::TextWordWrap;

    QTest::newRow("fits unchanged") << "Quiz starten" << 8 << centred << QSize(200, 40) << 7 << "Quiz starten" << 8;
    QTest::newRow("line breaks kept") << "Quiz\r\nabbrechen" << 8 << centred << QSize(200, 40) << 7
                                      << "Quiz\r\nabbrechen" << 8;
    QTest::newRow("shrinks") << "Gesamtleistung der Teilnehmer" << 20 << centred << QSize(260, 60) << 8
                             << "Gesamtleistung der Teilnehmer" << 0;
    QTest::newRow("single word to dots") << "Donaudampfschifffahrtsgesellschaft" << 11 << wrapped << QSize(60, 40) << 8
                                         << "..." << 8;
    QTest::newRow("words dropped from the end") << "Vereinigtes Königreich Großbritannien und Nordirland" << 11
                                                << centred << QSize(140, 20) << 8 << "Vereinigtes Königreich ..." << 8;
    QTest::newRow("one letter before the only blank")
        << "X Donaudampfschifffahrtsgesellschaft" << 11 << wrapped << QSize(60, 40) << 8 << "X ..." << 8;
    QTest::newRow("hyphen breaks at starting size")
        << "Nordrhein-Westfalen" << 11 << wrapped << QSize(85, 40) << 8 << "Nordrhein- Westfalen" << 11;
    QTest::newRow("hyphen breaks before shortening") << "Schleswig-Holstein-Lauenburg" << 11 << wrapped << QSize(85, 60)
                                                     << 8 << "Schleswig- Holstein- Lauenburg" << 11;
}

void TestHoverPanel::fitCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, fontSize);
    QFETCH(int, flags);
    QFETCH(QSize, available);
    QFETCH(int, minFontSize);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedSize);

    const QFont font(QStringLiteral("Arial"), fontSize, QFont::Bold);
    const FittedCaption fitted = ::fitCaption(caption, font, available, flags, minFontSize);

    QCOMPARE(fitted.text, expectedText);
    if (expectedSize == 0) {
        QVERIFY2(fitted.pointSize < fontSize, qPrintable(QString::number(fitted.pointSize)));
        QVERIFY2(fitted.pointSize >= minFontSize, qPrintable(QString::number(fitted.pointSize)));
    } else {
        QCOMPARE(fitted.pointSize, expectedSize);
    }
    // Whatever was kept fits, except a lone "..." which is the last resort.
    if (fitted.text != QLatin1String("...")) {
        QFont shown = font;
        shown.setPointSize(fitted.pointSize);
        const QSize size = captionSize(fitted.text, QFontMetrics(shown), available.width(), flags);
        QVERIFY2(size.width() <= available.width() && size.height() <= available.height(),
            qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
    }
}

void TestHoverPanel::panelFitsCaptionIntoItsPaddedArea_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("leftPadding");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<int>("expectedSize");

    // Arial 11 bold, at least 9 points, in a caption area 98 pixels wide less the padding.
    QTest::newRow("fits unchanged") << "Quiz starten" << 0 << "Quiz starten" << 11;
    QTest::newRow("long word") << "Donaudampfschifffahrtsgesellschaft" << 0 << "..." << 9;
    QTest::newRow("hyphenated") << "Nordrhein-Westfalen" << 0 << "Nordrhein- Westfalen" << 11;
    // The padding narrows the caption area until even "Nordrhein-" needs a smaller font.
    QTest::newRow("hyphenated, padded") << "Nordrhein-Westfalen" << 30 << "Nordrhein- Westfalen" << 10;
}

void TestHoverPanel::panelFitsCaptionIntoItsPaddedArea()
{
    QFETCH(QString, caption);
    QFETCH(int, leftPadding);
    QFETCH(QString, expectedText);
    QFETCH(int, expectedSize);

    THoverPanel panel;
    panel.setFont(QFont(QStringLiteral("Arial"), 11, QFont::Bold));
    panel.setWordWrap(true);
    panel.setFontAutoSize(true);
    panel.setMinFontSize(9);
    panel.setCaption(caption);
    panel.padding().setLeft(leftPadding);
    panel.resize(100, 46);
    QCOMPARE(panel.captionRect(), QRect(1 + leftPadding, 1, 98 - leftPadding, 44));

    const FittedCaption fitted = panel.fittedCaption();
    QCOMPARE(fitted.text, expectedText);
    QCOMPARE(fitted.pointSize, expectedSize);
}

void TestHoverPanel::repaintRefitsWhenAnInputChanges_data()
{
    QTest::addColumn<QString>("change");
    for (const char* change : {"size", "caption", "padding", "font", "minFontSize", "wordWrap"})
        QTest::newRow(change) << QString::fromLatin1(change);
}

void TestHoverPanel::repaintRefitsWhenAnInputChanges()
{
    QFETCH(QString, change);

    const auto setUp = [](THoverPanel& panel) {
        panel.setFont(QFont(QStringLiteral("Arial"), 11, QFont::Bold));
        panel.setFontColor(Qt::white);
        panel.setNormColor(normColor);
        panel.setWordWrap(true);
        panel.setFontAutoSize(true);
        panel.setMinFontSize(9);
        panel.setCaption(QStringLiteral("Vereinigtes Königreich Großbritannien und Nordirland"));
        panel.resize(120, 46);
    };
    const auto applyChange = [&change](THoverPanel& panel) {
        if (change == QLatin1String("size"))
            panel.resize(400, 46);
        else if (change == QLatin1String("caption"))
            panel.setCaption(QStringLiteral("Großbritannien"));
        else if (change == QLatin1String("padding"))
            panel.padding().setLeft(40);
        else if (change == QLatin1String("font"))
            panel.setFont(QFont(QStringLiteral("Arial"), 8));
        else if (change == QLatin1String("minFontSize"))
            panel.setMinFontSize(7);
        else if (change == QLatin1String("wordWrap"))
            panel.setWordWrap(false);
    };

    THoverPanel panel;
    setUp(panel);
    const QImage before = grabImage(panel);
    applyChange(panel);
    const QImage after = grabImage(panel);

    // A panel that never painted the old state shows what the changed one must show.
    THoverPanel fresh;
    setUp(fresh);
    applyChange(fresh);
    QCOMPARE(after, grabImage(fresh));
    QVERIFY(after.size() != before.size() || after != before);
}

void TestHoverPanel::wordWrapBreaksAtBlanksOnly()
{
    const QFontMetrics metrics(QFont(QStringLiteral("Arial"), 11, QFont::Bold));
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;
    const int oneLine = metrics.height();

    // A hyphen is no place to break: the word overflows instead, which makes the caption shrink.
    const QSize hyphenated = captionSize(QStringLiteral("Nordrhein-Westfalen"), metrics, 40, flags);
    QCOMPARE(hyphenated.height(), oneLine);
    QVERIFY(hyphenated.width() > 40);

    const QSize twoWords = captionSize(QStringLiteral("Nordrhein Westfalen"), metrics, 90, flags);
    QCOMPARE(twoWords.height(), 2 * oneLine + metrics.leading());
    QVERIFY(twoWords.width() <= 90);

    // Blanks where the line breaks take no room, so they cannot make a caption too wide.
    const QSize brokenByHand = captionSize(QStringLiteral("Quizfrage\nab"), metrics, 500, flags);
    const int blankWidth = metrics.horizontalAdvance(QLatin1Char(' '));
    QCOMPARE(captionSize(QStringLiteral("Quizfrage  ab"), metrics, brokenByHand.width() + 2 * blankWidth, flags),
        brokenByHand);

    // The "&" only marks the underlined letter and takes no room.
    QCOMPARE(captionSize(QStringLiteral("&Quiz"), metrics, 200, flags).width(),
        captionSize(QStringLiteral("Quiz"), metrics, 200, flags).width());
}

void TestHoverPanel::paintsBorderFillAndCheckLines_data()
{
    QTest::addColumn<int>("borderWidth");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<bool>("xpCheck");

    QTest::newRow("border 1") << 1 << false << true;
    QTest::newRow("border 3") << 3 << false << true;
    QTest::newRow("border 1, checked, XP") << 1 << true << true;
    QTest::newRow("border 2, checked, XP") << 2 << true << true;
    QTest::newRow("border 1, checked, plain") << 1 << true << false;
    QTest::newRow("no border, checked, XP") << 0 << true << true;
}

void TestHoverPanel::paintsBorderFillAndCheckLines()
{
    QFETCH(int, borderWidth);
    QFETCH(bool, checked);
    QFETCH(bool, xpCheck);

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setBorderWidth(borderWidth);
    panel.setXpCheck(xpCheck);
    panel.setChecked(checked);
    panel.resize(100, 40);
    const QImage image = grabImage(panel);
    const int bw = borderWidth;
    const QColor fill = checked ? checkColor : normColor;

    for (int i = 0; i < bw; ++i) {
        QCOMPARE(image.pixelColor(i, i), borderColor);
        QCOMPARE(image.pixelColor(99 - i, 39 - i), borderColor);
        QCOMPARE(image.pixelColor(50, 39 - i), borderColor);
    }
    QCOMPARE(image.pixelColor(50, 30), fill);
    QCOMPARE(image.pixelColor(bw, 39 - bw), fill);

    QColor row0 = fill, row1 = fill, row2 = fill;
    if (checked && xpCheck) {
        row0 = QColor(230, 139, 44);
        row1 = row2 = QColor(255, 199, 60);
    } else if (checked) {
        row0 = row1 = mix(normColor, Qt::white, 0.5);
    }
    for (int x : {bw, 50, 99 - bw}) {
        QCOMPARE(image.pixelColor(x, bw), row0);
        QCOMPARE(image.pixelColor(x, bw + 1), row1);
        QCOMPARE(image.pixelColor(x, bw + 2), row2);
        QCOMPARE(image.pixelColor(x, bw + 3), fill);
    }
    // The check lines stay inside the border.
    if (bw > 0)
        QCOMPARE(image.pixelColor(99, bw), borderColor);
}

void TestHoverPanel::raisedBevelMixesBackground()
{
    THoverPanel panel;
    setDistinctColours(panel);
    panel.setNormColor(QColor(255, 243, 144));
    panel.setBevelOuter(THoverPanel::Bevel::Raised);
    panel.resize(150, 46);
    const QImage image = grabImage(panel);
    const QColor light = mix(Qt::white, QColor(255, 243, 144), 0.2);
    const QColor shade = mix(Qt::black, QColor(255, 243, 144), 0.75);

    QCOMPARE(image.pixelColor(0, 0), borderColor);
    QCOMPARE(image.pixelColor(1, 1), light);
    QCOMPARE(image.pixelColor(70, 1), light);
    QCOMPARE(image.pixelColor(1, 20), light);
    QCOMPARE(image.pixelColor(148, 20), shade);
    QCOMPARE(image.pixelColor(70, 44), shade);
    // Where the two edges meet, the dark edge wins.
    QCOMPARE(image.pixelColor(148, 1), shade);
    QCOMPARE(image.pixelColor(1, 44), shade);
    QCOMPARE(image.pixelColor(2, 2), QColor(255, 243, 144));
}

void TestHoverPanel::onlyRaisedBevelIsDrawn_data()
{
    QTest::addColumn<THoverPanel::Bevel>("bevel");
    QTest::addColumn<int>("bevelWidth");
    QTest::addColumn<bool>("drawn");

    QTest::newRow("raised, 2") << THoverPanel::Bevel::Raised << 2 << true;
    QTest::newRow("raised, 0") << THoverPanel::Bevel::Raised << 0 << false;
    QTest::newRow("lowered") << THoverPanel::Bevel::Lowered << 2 << false;
    QTest::newRow("none") << THoverPanel::Bevel::None << 2 << false;
}

void TestHoverPanel::onlyRaisedBevelIsDrawn()
{
    QFETCH(THoverPanel::Bevel, bevel);
    QFETCH(int, bevelWidth);
    QFETCH(bool, drawn);

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setBevelOuter(bevel);
    panel.setBevelWidth(bevelWidth);
    panel.setChecked(true);
    panel.setXpCheck(false);
    panel.resize(60, 30);
    const QImage image = grabImage(panel);

    QCOMPARE(image.pixelColor(2, 10), drawn ? mix(Qt::white, checkColor, 0.2) : checkColor);
    QCOMPARE(image.pixelColor(57, 10), drawn ? mix(Qt::black, checkColor, 0.75) : checkColor);
    QCOMPARE(image.pixelColor(3, 10), checkColor);
    // The checked mark lies over the bevel, right inside the border.
    QCOMPARE(image.pixelColor(2, 1), mix(normColor, Qt::white, 0.5));
    QCOMPARE(image.pixelColor(2, 2), mix(normColor, Qt::white, 0.5));
    QCOMPARE(image.pixelColor(2, 3), drawn ? mix(Qt::white, checkColor, 0.2) : checkColor);
    QCOMPARE(image.pixelColor(3, 3), checkColor);
    QCOMPARE(panel.captionRect(), drawn ? QRect(3, 3, 54, 24) : QRect(1, 1, 58, 28));
}

void TestHoverPanel::oversizedInsetsPaintOnlyTheBorder()
{
    THoverPanel panel;
    setDistinctColours(panel);
    panel.setCaption(QStringLiteral("Quiz"));
    panel.setFontAutoSize(true);
    panel.setChecked(true);
    panel.setBevelOuter(THoverPanel::Bevel::Raised);
    panel.setBevelWidth(INT_MAX);
    panel.padding() = TPadding(INT_MAX, INT_MIN, INT_MAX, INT_MAX);
    panel.resize(40, 20);
    QVERIFY(panel.captionRect().isEmpty());
    QCOMPARE(panel.fittedCaption().measurements, 0);
    QImage image = grabImage(panel);
    QCOMPARE(image.pixelColor(0, 0), borderColor);
    QCOMPARE(image.pixelColor(1, 5), mix(Qt::white, checkColor, 0.2));

    panel.setBorderWidth(INT_MAX);
    image = grabImage(panel);
    for (const QPoint& p : {QPoint(0, 0), QPoint(20, 10), QPoint(39, 19), QPoint(20, 1)})
        QCOMPARE(image.pixelColor(p), borderColor);
}

void TestHoverPanel::bitmapIsCopiedFromBorderOffset()
{
    // A bitmap of the panel's size whose pixel (x, y) encodes its position.
    QImage bitmap(60, 30, QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            bitmap.setPixelColor(x, y, QColor(x * 4, y * 8, 77));

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setBorderWidth(2);
    panel.setBitmap(bitmap);
    panel.resize(60, 30);
    QImage image = grabImage(panel);
    QCOMPARE(image.pixelColor(1, 1), borderColor);
    QCOMPARE(image.pixelColor(2, 2), bitmap.pixelColor(2, 2));
    QCOMPARE(image.pixelColor(40, 20), bitmap.pixelColor(40, 20));

    // A smaller bitmap lies on the background colour.
    panel.setBitmap(bitmap.copy(0, 0, 20, 10));
    image = grabImage(panel);
    QCOMPARE(image.pixelColor(2, 2), bitmap.pixelColor(2, 2));
    QCOMPARE(image.pixelColor(19, 9), bitmap.pixelColor(19, 9));
    QCOMPARE(image.pixelColor(40, 20), normColor);
    QCOMPARE(image.pixelColor(25, 5), normColor);

    // Transparency does not let the background through: the bitmap's pixels replace it.
    QImage clear(60, 30, QImage::Format_ARGB32);
    clear.fill(qRgba(40, 90, 140, 0));
    panel.setBitmap(clear);
    image = grabImage(panel);
    QCOMPARE(image.pixelColor(30, 15), QColor(40, 90, 140));
}

void TestHoverPanel::captionFollowsLayout_data()
{
    QTest::addColumn<THoverPanel::TextLayout>("layout");
    QTest::addColumn<int>("firstRowAtMost");
    QTest::addColumn<int>("lastRowAtLeast");

    // A 100 pixel high panel; the caption is about 20 pixels high.
    QTest::newRow("top") << THoverPanel::TextLayout::Top << 12 << 0;
    QTest::newRow("center") << THoverPanel::TextLayout::Center << 55 << 45;
    QTest::newRow("bottom") << THoverPanel::TextLayout::Bottom << 99 << 85;
}

void TestHoverPanel::captionFollowsLayout()
{
    QFETCH(THoverPanel::TextLayout, layout);
    QFETCH(int, firstRowAtMost);
    QFETCH(int, lastRowAtLeast);

    THoverPanel panel;
    setDistinctColours(panel);
    panel.setFontColor(Qt::white);
    panel.setFont(QFont(QStringLiteral("Arial"), 14, QFont::Bold));
    panel.setCaption(QStringLiteral("HIMMEL"));
    panel.setTextLayout(layout);
    panel.resize(200, 100);
    const QImage image = grabImage(panel);

    const QList<int> rows = rowsWithColour(image, QRect(1, 1, 198, 98), Qt::white);
    QVERIFY(!rows.isEmpty());
    QVERIFY2(rows.first() <= firstRowAtMost, qPrintable(QString::number(rows.first())));
    QVERIFY2(rows.last() >= lastRowAtLeast, qPrintable(QString::number(rows.last())));
    if (layout == THoverPanel::TextLayout::Center) {
        const int above = rows.first() - 1;
        const int below = 98 - rows.last();
        QVERIFY2(qAbs(above - below) <= 8, qPrintable(QStringLiteral("%1 above, %2 below").arg(above).arg(below)));
    }
}

void TestHoverPanel::mouseClick_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("presses");

    QTest::newRow("left inside") << Qt::LeftButton << QPoint(10, 10) << QPoint(20, 15) << 1 << 1;
    QTest::newRow("left, released outside") << Qt::LeftButton << QPoint(10, 10) << QPoint(150, 15) << 0 << 1;
    QTest::newRow("right inside") << Qt::RightButton << QPoint(10, 10) << QPoint(10, 10) << 0 << 0;
}

void TestHoverPanel::mouseClick()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, pressAt);
    QFETCH(QPoint, releaseAt);
    QFETCH(int, clicks);
    QFETCH(int, presses);

    THoverPanel panel;
    panel.resize(100, 40);
    QSignalSpy clicked(&panel, &THoverPanel::clicked);
    QSignalSpy pressed(&panel, &THoverPanel::pressed);
    QSignalSpy down(&panel, &THoverPanel::mouseDown);
    QSignalSpy up(&panel, &THoverPanel::mouseUp);

    QTest::mousePress(&panel, button, {}, pressAt);
    QCOMPARE(pressed.count(), presses);
    QCOMPARE(clicked.count(), 0);
    QTest::mouseRelease(&panel, button, {}, releaseAt);

    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.at(0).at(1).toPoint(), pressAt);
    QCOMPARE(up.count(), 1);
    QCOMPARE(up.at(0).at(1).toPoint(), releaseAt);
}

void TestHoverPanel::keyboardClick_data()
{
    QTest::addColumn<bool>("tabStop");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("clicks");

    QTest::newRow("return") << true << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 1;
    QTest::newRow("keypad enter") << true << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << 1;
    QTest::newRow("space") << true << int(Qt::Key_Space) << Qt::KeyboardModifiers() << 1;
    QTest::newRow("shift space") << true << int(Qt::Key_Space) << Qt::KeyboardModifiers(Qt::ShiftModifier) << 0;
    QTest::newRow("ctrl return") << true << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier) << 0;
    QTest::newRow("alt return") << true << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier) << 0;
    QTest::newRow("other key") << true << int(Qt::Key_A) << Qt::KeyboardModifiers() << 0;
    QTest::newRow("no tab stop") << false << int(Qt::Key_Return) << Qt::KeyboardModifiers() << 0;
}

void TestHoverPanel::keyboardClick()
{
    QFETCH(bool, tabStop);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, clicks);

    QWidget window;
    auto* panel = new THoverPanel(&window);
    panel->setTabStop(tabStop);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // Focus by the panel itself, as a click on it gives it, so a panel that is no tab
    // stop receives the keys without taking them.
    panel->setFocusPolicy(Qt::StrongFocus);
    panel->setFocus();
    QVERIFY(panel->hasFocus());
    panel->setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
    QVERIFY(panel->hasFocus());

    QSignalSpy clicked(panel, &THoverPanel::clicked);
    QTest::keyClick(panel, Qt::Key(key), modifiers);
    QCOMPARE(clicked.count(), clicks);
}

void TestHoverPanel::focusRectangleOnFocusedTabStop()
{
    QWidget window;
    auto* panel = new THoverPanel(&window);
    setDistinctColours(*panel);
    panel->setFontColor(Qt::white);
    panel->resize(100, 40);
    auto* other = new THoverPanel(&window);
    other->move(0, 50);
    other->setTabStop(true);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // A left press focuses a tab stop only.
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(50, 20));
    QVERIFY(!panel->hasFocus());
    QVERIFY(rowsWithColour(grabImage(*panel), QRect(2, 2, 96, 1), Qt::white).isEmpty());

    panel->setTabStop(true);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(50, 20));
    QVERIFY(panel->hasFocus());
    QImage image = grabImage(*panel);
    QVERIFY(!rowsWithColour(image, QRect(2, 2, 96, 1), Qt::white).isEmpty());
    QVERIFY(!rowsWithColour(image, QRect(2, 37, 96, 1), Qt::white).isEmpty());
    QCOMPARE(image.pixelColor(1, 20), panel->color());

    panel->setEnabled(false);
    image = grabImage(*panel);
    QVERIFY(rowsWithColour(image, QRect(2, 2, 96, 1), Qt::white).isEmpty());
}

QTEST_MAIN(TestHoverPanel)
#include "tst_hoverpanel.moc"
