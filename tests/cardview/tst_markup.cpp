#include "cardview/cardtext.h"
#include "cardview/markup.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

namespace {

constexpr int characterHeight = 20;
const QRgb white = qRgb(255, 255, 255);

// The card's font as the markup lays it out, measured on an image like the ones drawn on.
struct Metrics
{
    QImage device {1, 1, QImage::Format_ARGB32};
    QFontMetrics fm {cardFont(characterHeight), &device};

    int width(const QString& text) const { return fm.horizontalAdvance(text); }
    int zeroHeight() const { return fm.height(); }
    int offset() const { return qRound(1.25 * zeroHeight() * 0.02 / 0.055); }
    int lineHeight(int mode) const
    {
        const int height = qRound(1.25 * zeroHeight());
        return mode > 0 ? qRound(1.1 * height) : height;
    }
    // Top of the first text line of a call with top 0.
    int firstTop() const { return offset(); }
    int gapWidth(const QString& gapText) const { return qMax(width("   " + gapText + "   "), width(" XX")); }
};

struct Rendered
{
    QImage image;
    int bottom = 0;
};

Rendered render(const QString& text, int mode, int rightLimit, bool drawPlainText = true, QSize size = {400, 200})
{
    Rendered result {QImage(size, QImage::Format_ARGB32), 0};
    result.image.fill(white);
    QPainter painter(&result.image);
    MarkupCanvas canvas;
    canvas.painter = &painter;
    canvas.rightLimit = rightLimit;
    canvas.mode = mode;
    canvas.fontHeight = -characterHeight;
    canvas.drawPlainText = drawPlainText;
    result.bottom = renderMarkup(canvas, text, 0);
    return result;
}

// Bounding box of the pixels inside region that differ from background.
QRect inkBox(const QImage& image, QRect region = {}, QRgb background = white)
{
    region = region.isNull() ? image.rect() : region.intersected(image.rect());
    QRect box;
    for (int y = region.top(); y <= region.bottom(); ++y) {
        for (int x = region.left(); x <= region.right(); ++x) {
            if (image.pixel(x, y) != background)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

bool hasRed(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100)
                return true;
        }
    }
    return false;
}

bool rowIsBlack(const QImage& image, int y, int fromX, int toX)
{
    for (int x = fromX; x < toX; ++x) {
        if (image.pixel(x, y) != qRgb(0, 0, 0))
            return false;
    }
    return fromX < toX;
}

} // namespace

class TestMarkup : public QObject
{
    Q_OBJECT

private slots:
    void lineAdvance_data();
    void lineAdvance();
    void wrappedLines_data();
    void wrappedLines();
    void tagsAgainstReference_data();
    void tagsAgainstReference();
    void fieldTagsShiftText_data();
    void fieldTagsShiftText();
    void gapModes_data();
    void gapModes();
    void signAfterGapStaysOnItsLine_data();
    void signAfterGapStaysOnItsLine();
    void gapWrapsAsAWhole();
    void gapLongerThanALineIsBrokenOnTheSheet_data();
    void gapLongerThanALineIsBrokenOnTheSheet();
    void ruleRunsToTheRightLimit();
    void clozeTextPlacesGapObjects_data();
    void clozeTextPlacesGapObjects();
    void linesToBitmap_data();
    void linesToBitmap();

private:
    Metrics m;
};

void TestMarkup::lineAdvance_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rightLimit");
    QTest::addColumn<int>("lines");

    const int fiveZeros = m.width("00000") + m.width("0") / 2;
    QTest::newRow("empty line") << QString() << 0 << 400 << 1;
    QTest::newRow("blanks only") << QStringLiteral("    ") << 0 << 400 << 1;
    QTest::newRow("empty line, gap mode") << QString() << 1 << 400 << 1;
    QTest::newRow("one line") << QStringLiteral("00000 00000") << 0 << 400 << 1;
    QTest::newRow("two lines") << QStringLiteral("00000 00000") << 0 << fiveZeros << 2;
    QTest::newRow("three lines") << QStringLiteral("00000 00000  00000") << 0 << fiveZeros << 3;
    QTest::newRow("three lines, gap mode") << QStringLiteral("00000 00000 00000") << 1 << fiveZeros << 3;
    QTest::newRow("tag before an overlong word") << QStringLiteral("<B>00000000") << 0 << fiveZeros << 2;
    QTest::newRow("limit zero: a character a line") << QStringLiteral("000") << 0 << 0 << 3;
    QTest::newRow("100 000 characters, narrow") << QString(100000, u'0') << 0 << fiveZeros << 20000;
    QTest::newRow("100 000 characters, wide") << QString(100000, u'0') << 0 << (1 << 30) << 1;
    QTest::newRow("100 000 characters in a gap") << "<<" + QString(100000, u'0') + ">>" << 1 << (1 << 30) << 1;
}

void TestMarkup::lineAdvance()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(int, rightLimit);
    QFETCH(int, lines);

    const Rendered result = render(text, mode, rightLimit);
    QCOMPARE(result.bottom, m.offset() + lines * m.lineHeight(mode));
}

void TestMarkup::wrappedLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("rightLimit");
    QTest::addColumn<QStringList>("lines");

    const int fiveZeros = m.width("00000") + m.width("0") / 2;
    QTest::newRow("at the last blank") << "000 00000" << 0 << fiveZeros << QStringList {"000", "00000"};
    QTest::newRow("blanks at the line start dropped") << "00000    00" << 0 << fiveZeros << QStringList {"00000", "00"};
    QTest::newRow("word longer than the limit")
        << "000000000000" << 0 << fiveZeros << QStringList {"00000", "00000", "00"};
    QTest::newRow("sign after a gap drawn once")
        << "<<Wort>>.0" << 1 << m.gapWidth("Wort") + m.width(".") + 1 << QStringList {"<<Wort>>.", "0"};
    QTest::newRow("field drawn once") << "<@REB=02>420" << 0 << 2 * m.width("0") + 1
                                      << QStringList {"<@REB=02>42", "0"};
}

void TestMarkup::wrappedLines()
{
    QFETCH(QString, text);
    QFETCH(int, mode);
    QFETCH(int, rightLimit);
    QFETCH(QStringList, lines);

    const Rendered result = render(text, mode, rightLimit);
    QCOMPARE(result.bottom, m.offset() + lines.size() * m.lineHeight(mode));
    // Each line's text band, gap underline included, looks like the line drawn alone.
    const int bandHeight = m.zeroHeight() + 1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QImage alone = render(lines.at(i), mode, 400).image;
        const int top = m.firstTop() + int(i) * m.lineHeight(mode);
        QCOMPARE(result.image.copy(0, top, 400, bandHeight), alone.copy(0, m.firstTop(), 400, bandHeight));
    }
}

void TestMarkup::tagsAgainstReference_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("wider"); // otherwise the same pixels

    // Digits are as wide in bold as in regular Arial; letters are not.
    QTest::newRow("bold is wider") << "<B>mmmm</B>"
                                   << "mmmm" << true;
    QTest::newRow("lower-case bold") << "<b>mmmm</b>"
                                     << "<B>mmmm</B>" << false;
    QTest::newRow("lower-case italic and underline") << "<i><u>mmmm</u></i>"
                                                     << "<I><U>mmmm</U></I>" << false;
    QTest::newRow("bold off") << "<B></b>mmmm"
                              << "mmmm" << false;
    QTest::newRow("colour tag removed") << "<@COL=FF0000>0000</@COL>"
                                        << "0000" << false;
    QTest::newRow("colour tag in lower case") << "<@col=00ff7f>0000</@col>"
                                              << "0000" << false;
    QTest::newRow("colour tag without hex digits is text") << "<@COL=GG0000>0000"
                                                           << "0000" << true;
    QTest::newRow("position tag without digits is text") << "<@POSX=5x%>0"
                                                         << "0" << true;
    QTest::newRow("gaps are text in mode 0") << "00<<00>>"
                                             << "00" << true;
    QTest::newRow("lone angle bracket is text") << "0<0"
                                                << "00" << true;
}

void TestMarkup::tagsAgainstReference()
{
    QFETCH(QString, markup);
    QFETCH(QString, reference);
    QFETCH(bool, wider);

    const QImage tagged = render(markup, 0, 400).image;
    const QImage plain = render(reference, 0, 400).image;
    if (wider)
        QVERIFY(inkBox(tagged).right() > inkBox(plain).right());
    else
        QCOMPARE(tagged, plain);
}

void TestMarkup::fieldTagsShiftText_data()
{
    QTest::addColumn<QString>("markup");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<int>("shift");

    const int zero = m.width("0");
    QTest::newRow("field of five, two digits") << "<@REB=05>42"
                                               << "42" << 5 * zero - m.width("42");
    QTest::newRow("field of three") << "<@REB=03>1 7"
                                    << "1 7" << 3 * zero - m.width("1 7");
    QTest::newRow("position 50 %") << "<@POSX=50%>0"
                                   << "0" << 200;
    QTest::newRow("position left of x") << "<@POSX=90%><@POSX=25%>0"
                                        << "0" << 100;
}

void TestMarkup::fieldTagsShiftText()
{
    QFETCH(QString, markup);
    QFETCH(QString, reference);
    QFETCH(int, shift);

    const QRect tagged = inkBox(render(markup, 0, 400).image);
    const QRect plain = inkBox(render(reference, 0, 400).image);
    QCOMPARE(tagged, plain.translated(shift, 0));
}

void TestMarkup::gapModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("drawPlainText");
    QTest::addColumn<bool>("plainInk");
    QTest::addColumn<bool>("redInk");
    QTest::addColumn<bool>("gapLine");
    QTest::addColumn<bool>("gapTextInk");

    QTest::newRow("0 shows the tags") << 0 << true << true << false << false << true;
    QTest::newRow("1 blank line") << 1 << true << true << false << true << false;
    QTest::newRow("2 only red gaps") << 2 << true << false << true << false << true;
    QTest::newRow("3 line and red gaps") << 3 << true << true << true << true << true;
    QTest::newRow("99 with plain text") << 99 << true << true << false << false << false;
    QTest::newRow("99 without plain text") << 99 << false << false << false << false << false;
}

void TestMarkup::gapModes()
{
    QFETCH(int, mode);
    QFETCH(bool, drawPlainText);
    QFETCH(bool, plainInk);
    QFETCH(bool, redInk);
    QFETCH(bool, gapLine);
    QFETCH(bool, gapTextInk);

    const QImage image = render("ab <<Wort>>", mode, 400, drawPlainText).image;
    const int top = m.firstTop();
    const int gapX = m.width("ab ");
    const QRect plainRegion(0, top, m.width("ab"), m.zeroHeight());
    const QRect gapTextRegion(gapX + m.width("   "), top, m.width("Wort"), m.zeroHeight());

    QCOMPARE(!inkBox(image, plainRegion).isNull(), plainInk);
    QCOMPARE(hasRed(image), redInk);
    QCOMPARE(rowIsBlack(image, top + m.zeroHeight(), gapX, gapX + m.gapWidth("Wort")), gapLine);
    QCOMPARE(!inkBox(image, gapTextRegion).isNull(), gapTextInk);
}

void TestMarkup::signAfterGapStaysOnItsLine_data()
{
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("lines");

    for (const char* sign : {".", ",", "!", "?", ":", ";"})
        QTest::newRow(sign) << QString::fromLatin1(sign) << 1;
    QTest::newRow("a letter wraps") << QStringLiteral("x") << 2;
}

void TestMarkup::signAfterGapStaysOnItsLine()
{
    QFETCH(QString, after);
    QFETCH(int, lines);

    // The gap fills the line exactly: whatever follows it overflows.
    const int limit = m.gapWidth("Wort");
    const Rendered result = render("<<Wort>>" + after, 1, limit);
    QCOMPARE(result.bottom, m.offset() + lines * m.lineHeight(1));
    const QRect besideGap(limit, m.firstTop(), m.width(after) + 2, m.zeroHeight());
    QCOMPARE(!inkBox(result.image, besideGap).isNull(), lines == 1);
}

void TestMarkup::gapWrapsAsAWhole()
{
    // "ab cd " fits; were the blank inside the gap a break position, "cd" would stay on line 1
    // as plain text.
    // (The line holds the whole gap, which is not broken then.)
    QVERIFY(m.gapWidth("cd ef") > m.width("ab cd "));
    const Rendered result = render("ab <<cd ef>>", 1, m.gapWidth("cd ef"));
    QCOMPARE(result.bottom, m.offset() + 2 * m.lineHeight(1));
    const int underline = m.firstTop() + m.zeroHeight();
    QVERIFY(inkBox(result.image, QRect(m.width("ab "), 0, 400, underline + 1)).isNull());
    QVERIFY(rowIsBlack(result.image, underline + m.lineHeight(1), 0, m.gapWidth("cd ef")));
}

void TestMarkup::gapLongerThanALineIsBrokenOnTheSheet_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("gap");
    QTest::addColumn<int>("minimumLines");
    const QString words = QStringLiteral("ab cd ef gh ij kl mn op qr st uv wx");
    const QString oneWord = QString(60, u'0');
    for (int mode : {1, 2, 3}) {
        QTest::addRow("words, mode %d", mode) << mode << words << 3;
        QTest::addRow("one word, mode %d", mode) << mode << oneWord << 3;
        QTest::addRow("10 000 characters, mode %d", mode) << mode << QString(10000, u'0') << 100;
    }
}

// A worksheet's gap longer than a line goes on over the next lines, each piece with its line
// (and its part of the answer), all within the right limit; words stay whole.
void TestMarkup::gapLongerThanALineIsBrokenOnTheSheet()
{
    QFETCH(int, mode);
    QFETCH(QString, gap);
    QFETCH(int, minimumLines);

    const int limit = m.width("ab cd ef gh ij");
    const Rendered result = render("Text <<" + gap + ">>.", mode, limit, true, {400, 20000});
    QVERIFY(result.bottom >= m.offset() + minimumLines * m.lineHeight(mode));
    const QRect ink = inkBox(result.image);
    QVERIFY2(ink.right() < limit + m.width(".") + 1, qPrintable(QString::number(ink.right())));
    QCOMPARE(hasRed(result.image), mode != 1);
}

void TestMarkup::ruleRunsToTheRightLimit()
{
    const int limit = 150;
    const Rendered result = render("ab<@LINIE>cd", 0, limit);
    const int row = m.firstTop() + m.lineHeight(0) / 2 - 1;
    QVERIFY(rowIsBlack(result.image, row, m.width("ab") + 1, limit));
    QVERIFY(inkBox(result.image, QRect(limit, 0, 50, 200)).isNull());
    // Nothing fits after the rule: the rest of the line goes to the next one.
    QCOMPARE(result.bottom, m.offset() + 2 * m.lineHeight(0));
}

void TestMarkup::clozeTextPlacesGapObjects_data()
{
    QTest::addColumn<bool>("drawPlainText");
    QTest::newRow("illustration shown") << true;
    QTest::newRow("illustration hidden") << false;
}

void TestMarkup::clozeTextPlacesGapObjects()
{
    QFETCH(bool, drawPlainText);

    TopicDocument document;
    document.lueckentext = QStringLiteral("ab <<cd>> ef\r\n<<gh>> ij <<kl>>");
    DocObject label;
    label.Kx = label.Sx = label.Ky = label.Sy = 0.5;
    DocObject gap;
    gap.Typ = ObjectKind::ClozeGap;
    DocObject fixed = label;
    fixed.Typ = ObjectKind::FixedText;
    document.objects = {label, gap, fixed, gap};

    QImage scene(800, 600, QImage::Format_ARGB32);
    scene.fill(white);
    drawClozeText(scene, 1.0, document, drawPlainText);

    // Character height 22, left margin 28, top margin 6.
    const QImage device(1, 1, QImage::Format_ARGB32);
    const QFontMetrics fm(cardFont(22), &device);
    const int c = fm.height();
    const int offset = qRound(1.25 * c * 0.02 / 0.055);
    const int lineHeight = qRound(1.1 * qRound(1.25 * c));
    const int firstTop = 6 + offset;
    const int secondTop = firstTop + lineHeight + offset;
    const auto gapWidth
        = [&](const QString& g) { return qMax(fm.horizontalAdvance(" " + g), fm.horizontalAdvance(" XX")); };

    const DocObject& first = document.objects.at(1);
    QCOMPARE(first.Kx, (28 + fm.horizontalAdvance("ab ") + gapWidth("cd") / 2.0) / 800);
    QCOMPARE(first.Ky, double(firstTop + c + 4) / 600);
    const DocObject& second = document.objects.at(3);
    QCOMPARE(second.Kx, (28 + gapWidth("gh") / 2.0) / 800);
    QCOMPARE(second.Ky, double(secondTop + c + 4) / 600);
    for (const DocObject& object : {first, second}) {
        QCOMPARE(object.Sx, object.Kx);
        QCOMPARE(object.Sy, object.Ky);
    }
    // Other kinds stay where they are; the third gap has no object left.
    QCOMPARE(document.objects.at(0), label);
    QCOMPARE(document.objects.at(2), fixed);

    // Gaps themselves are never drawn.
    QVERIFY(!hasRed(scene));
    QVERIFY(!rowIsBlack(scene, firstTop + c, 28 + fm.horizontalAdvance("ab ") + 2, 28 + fm.horizontalAdvance("ab cd")));
    QCOMPARE(inkBox(scene).isNull(), !drawPlainText);

    // Each drawing walks the objects from the start again.
    const QList<DocObject> placed = document.objects;
    drawClozeText(scene, 1.0, document, drawPlainText);
    QCOMPARE(document.objects, placed);
}

void TestMarkup::linesToBitmap_data()
{
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<int>("width");
    QTest::addColumn<QColor>("background");

    QTest::newRow("no lines") << 0 << 300 << QColor(Qt::white);
    QTest::newRow("one line") << 1 << 300 << QColor(236, 233, 216);
    QTest::newRow("three lines") << 3 << 120 << QColor(Qt::yellow);
    // More than the 3000 rows of the first bitmap: the end must be text, not an empty band.
    QTest::newRow("long text") << 150 << 200 << QColor(236, 233, 216);
}

void TestMarkup::linesToBitmap()
{
    QFETCH(int, lineCount);
    QFETCH(int, width);
    QFETCH(QColor, background);

    QStringList lines;
    for (int i = 0; i < lineCount; ++i)
        lines << QStringLiteral("Zeile %1").arg(i + 1);
    const QImage image = renderLinesToBitmap(lines, width, 14, background);

    const QImage device(1, 1, QImage::Format_ARGB32);
    const QFontMetrics fm(cardFont(pointsToPixels(14)), &device);
    const int c = fm.height();
    const int perLine = qRound(1.25 * c * 0.02 / 0.055) + qRound(1.25 * c);
    QCOMPARE(image.size(), lineCount ? QSize(width, lineCount * perLine) : QSize(0, 0));
    if (lineCount == 0)
        return;
    const QRgb paper = background.rgba();
    QCOMPARE(image.pixel(width - 1, image.height() - 1), paper);
    QVERIFY(!inkBox(image, QRect(0, image.height() - perLine, width, perLine), paper).isNull());
    QVERIFY(inkBox(image, QRect(fm.horizontalAdvance("Zeile 150") + 2, 0, width, image.height()), paper).isNull());
}

QTEST_MAIN(TestMarkup)
#include "tst_markup.moc"
