#include "common/richtext.h"

#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <limits>

Q_DECLARE_METATYPE(RichTextFormat)

namespace {

RichTextParagraph paragraphOf(const QList<RichTextRun>& runs, qreal pointSize = 0)
{
    RichTextParagraph paragraph;
    paragraph.runs = runs;
    paragraph.format.pointSize = pointSize;
    return paragraph;
}

RichTextFormat formatOf(bool bold, bool italic, bool underline, qreal pointSize = 0)
{
    RichTextFormat format;
    format.bold = bold;
    format.italic = italic;
    format.underline = underline;
    format.pointSize = pointSize;
    return format;
}

// The HTML as QTextDocument, the printing path and most clipboard readers, sees it.
struct HtmlReader
{
    explicit HtmlReader(const RichTextDocument& doc) { reader.setHtml(doc.toHtml()); }

    QTextCharFormat formatOfBlock(int block) const
    {
        const QTextBlock textBlock = reader.findBlockByNumber(block);
        return textBlock.begin().fragment().charFormat();
    }

    QTextDocument reader;
};

} // namespace

class TestRichText : public QObject
{
    Q_OBJECT

private slots:
    void plainText_data();
    void plainText();
    void addParagraphSplitsLines();
    void clearKeepsFontSettings();
    void effectiveSizes_data();
    void effectiveSizes();
    void settersIgnoreUnusableValues();
    void htmlFormats_data();
    void htmlFormats();
    void htmlKeepsEmptyLines();
    void htmlFontFamily();
};

void TestRichText::plainText_data()
{
    QTest::addColumn<QList<RichTextParagraph>>("paragraphs");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty document") << QList<RichTextParagraph> {} << QString();
    QTest::newRow("runs joined") << QList {paragraphOf({{"Fett", formatOf(true, false, false)}, {" normal", {}}})}
                                 << QStringLiteral("Fett normal");
    QTest::newRow("paragraphs") << QList {paragraphOf({{"a", {}}}), paragraphOf({}), paragraphOf({{"b", {}}})}
                                << QStringLiteral("a\n\nb");
    QTest::newRow("tabs kept") << QList {paragraphOf({{"Name:\tWert", {}}})} << QStringLiteral("Name:\tWert");
    QTest::newRow("CR LF inside a run") << QList {paragraphOf({{"eins\r\nzwei", {}}, {" drei", {}}})}
                                        << QStringLiteral("eins\nzwei drei");
    QTest::newRow("other line breaks") << QList {paragraphOf({{QStringLiteral("a\rb\nc\u2029d\u2028e"), {}}})}
                                       << QStringLiteral("a\nb\nc\nd\ne");
    QTest::newRow("break at the end of a run") << QList {paragraphOf({{"a\r\n", {}}})} << QStringLiteral("a\n");
    QTest::newRow("CR CR is two breaks") << QList {paragraphOf({{"a\r\rb", {}}})} << QStringLiteral("a\n\nb");
}

void TestRichText::plainText()
{
    QFETCH(QList<RichTextParagraph>, paragraphs);
    QFETCH(QString, expected);

    RichTextDocument doc;
    for (const RichTextParagraph& paragraph : paragraphs)
        doc.addParagraph(paragraph);
    QCOMPARE(doc.toPlainText(), expected);
    QCOMPARE(doc.isEmpty(), paragraphs.isEmpty());
}

void TestRichText::addParagraphSplitsLines()
{
    const RichTextFormat bold = formatOf(true, false, false);
    RichTextParagraphFormat twoColumns;
    twoColumns.tabStopPoints = 160;
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Kommentar\r\nzweite Zeile\r\n"), bold, twoColumns);
    doc.addParagraph(QString());

    const QList<RichTextParagraph> expected {
        {{{QStringLiteral("Kommentar"), bold}}, twoColumns},
        {{{QStringLiteral("zweite Zeile"), bold}}, twoColumns},
        {{}, twoColumns},
        {},
    };
    QCOMPARE(doc.paragraphs(), expected);

    // A break inside a run continues with the run's format and the paragraph's format.
    RichTextDocument inner;
    inner.addParagraph(RichTextParagraph {{{QStringLiteral("a\nb"), bold}, {QStringLiteral("c"), {}}}, twoColumns});
    const QList<RichTextParagraph> lines {
        {{{QStringLiteral("a"), bold}}, twoColumns},
        {{{QStringLiteral("b"), bold}, {QStringLiteral("c"), {}}}, twoColumns},
    };
    QCOMPARE(inner.lineParagraphs(), lines);
}

void TestRichText::clearKeepsFontSettings()
{
    RichTextDocument doc;
    doc.setFontFamily(QStringLiteral("Courier New"));
    doc.setDefaultPointSize(11);
    doc.addParagraph(QString());
    QVERIFY(!doc.isEmpty());
    doc.clear();
    QVERIFY(doc.isEmpty());
    QCOMPARE(doc.fontFamily(), QStringLiteral("Courier New"));
    QCOMPARE(doc.defaultPointSize(), 11.0);
}

void TestRichText::effectiveSizes_data()
{
    QTest::addColumn<qreal>("paragraphSize");
    QTest::addColumn<qreal>("runSize");
    QTest::addColumn<qreal>("expectedParagraph");
    QTest::addColumn<qreal>("expectedRun");

    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    QTest::newRow("all from the document") << 0.0 << 0.0 << 10.0 << 10.0;
    QTest::newRow("run from its paragraph") << 9.0 << 0.0 << 9.0 << 9.0;
    QTest::newRow("run of its own") << 9.0 << 14.0 << 9.0 << 14.0;
    QTest::newRow("negative and NaN mean default") << -3.0 << nan << 10.0 << 10.0;
    QTest::newRow("clamped above") << 5000.0 << 0.0 << 1638.0 << 1638.0;
    QTest::newRow("clamped below") << 0.2 << 0.01 << 1.0 << 1.0;
}

void TestRichText::effectiveSizes()
{
    QFETCH(qreal, paragraphSize);
    QFETCH(qreal, runSize);
    QFETCH(qreal, expectedParagraph);
    QFETCH(qreal, expectedRun);

    RichTextDocument doc;
    RichTextParagraphFormat paragraphFormat;
    paragraphFormat.pointSize = paragraphSize;
    RichTextFormat format;
    format.pointSize = runSize;
    QCOMPARE(doc.pointSizeOf(paragraphFormat), expectedParagraph);
    QCOMPARE(doc.pointSizeOf(paragraphFormat, format), expectedRun);
}

void TestRichText::settersIgnoreUnusableValues()
{
    RichTextDocument doc;
    doc.setFontFamily(QStringLiteral("  "));
    QCOMPARE(doc.fontFamily(), QStringLiteral("Arial"));
    doc.setDefaultPointSize(0);
    doc.setDefaultPointSize(-9);
    doc.setDefaultPointSize(std::numeric_limits<qreal>::infinity());
    QCOMPARE(doc.defaultPointSize(), RichTextDocument::DefaultPointSize);
}

void TestRichText::htmlFormats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<RichTextFormat>("format");

    QTest::newRow("plain") << QStringLiteral("Größe") << RichTextFormat {};
    QTest::newRow("bold") << QStringLiteral("fett") << formatOf(true, false, false);
    QTest::newRow("italic") << QStringLiteral("kursiv") << formatOf(false, true, false);
    QTest::newRow("underline") << QStringLiteral("unterstrichen") << formatOf(false, false, true);
    QTest::newRow("all and a size") << QStringLiteral("alles") << formatOf(true, true, true, 14);
    QTest::newRow("markup characters") << QStringLiteral("<b>a & \"b\"</b>") << RichTextFormat {};
    QTest::newRow("tab and blanks") << QStringLiteral("Name:\tWert  mit   Leerzeichen") << RichTextFormat {};
}

void TestRichText::htmlFormats()
{
    QFETCH(QString, text);
    QFETCH(RichTextFormat, format);

    RichTextDocument doc;
    doc.addParagraph(paragraphOf({{text, format}}, 9));
    const HtmlReader html(doc);

    QCOMPARE(html.reader.blockCount(), 1);
    QCOMPARE(html.reader.firstBlock().text(), text);
    const QTextCharFormat read = html.formatOfBlock(0);
    QCOMPARE(read.fontWeight() >= QFont::Bold, format.bold);
    QCOMPARE(read.fontItalic(), format.italic);
    QCOMPARE(read.fontUnderline(), format.underline);
    QCOMPARE(read.fontPointSize(), format.pointSize > 0 ? format.pointSize : 9.0);
}

void TestRichText::htmlKeepsEmptyLines()
{
    RichTextDocument doc;
    doc.addParagraph(QStringLiteral("Überschrift"), formatOf(true, false, false));
    doc.addParagraph(paragraphOf({}, 4));
    doc.addParagraph(QStringLiteral("Text"));
    const HtmlReader html(doc);

    QCOMPARE(html.reader.toPlainText(), QStringLiteral("Überschrift\n\nText"));
    QCOMPARE(html.reader.findBlockByNumber(1).charFormat().fontPointSize(), 4.0);
    QVERIFY(html.formatOfBlock(0).fontWeight() >= QFont::Bold);
    QVERIFY(html.formatOfBlock(2).fontWeight() < QFont::Bold);
}

void TestRichText::htmlFontFamily()
{
    RichTextDocument doc;
    doc.setFontFamily(QStringLiteral("Courier New"));
    doc.setDefaultPointSize(11);
    doc.addParagraph(QStringLiteral("Text"));
    const HtmlReader html(doc);

    const QTextCharFormat read = html.formatOfBlock(0);
    QVERIFY2(read.fontFamilies().toStringList().contains(QStringLiteral("Courier New")), qPrintable(doc.toHtml()));
    QCOMPARE(read.fontPointSize(), 11.0);
}

QTEST_MAIN(TestRichText)
#include "tst_richtext.moc"
