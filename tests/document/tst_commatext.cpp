#include "document/commatext.h"

#include <QTest>

// The comma-text form of captions. Files written by other tools must read exactly as they do
// in the program, so the odd corners (blanks as separators, unclosed quotes, the trimming)
// are pinned down as carefully as the plain cases.
class TestCommaText : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void roundTrip_data();
    void roundTrip();
};

void TestCommaText::encode_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty caption") << QString() << QString();
    QTest::newRow("one word") << QStringLiteral("Rhein") << QStringLiteral("Rhein");
    QTest::newRow("comma and blank") << QStringLiteral("a, b") << QStringLiteral("\"a, b\"");
    QTest::newRow("two lines") << QStringLiteral("x\r\ny") << QStringLiteral("x,y");
    QTest::newRow("lone LF") << QStringLiteral("x\ny") << QStringLiteral("x,y");
    QTest::newRow("lone CR") << QStringLiteral("x\ry") << QStringLiteral("x,y");
    QTest::newRow("LF CR is two breaks") << QStringLiteral("x\n\ry") << QStringLiteral("x,,y");
    QTest::newRow("break at the end") << QStringLiteral("x\r\n") << QStringLiteral("x");
    QTest::newRow("one empty line") << QStringLiteral("\r\n") << QStringLiteral("\"\"");
    QTest::newRow("two empty lines") << QStringLiteral("\r\n\r\n") << QStringLiteral(",");
    QTest::newRow("empty line inside") << QStringLiteral("a\r\n\r\nb") << QStringLiteral("a,,b");
    QTest::newRow("quote doubled") << QStringLiteral("sag \"ja\"") << QStringLiteral("\"sag \"\"ja\"\"\"");
    QTest::newRow("quote alone makes quotes") << QStringLiteral("a\"b") << QStringLiteral("\"a\"\"b\"");
    QTest::newRow("only a comma") << QStringLiteral(",") << QStringLiteral("\",\"");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QStringLiteral("\"a\tb\"");
    QTest::newRow("control character 1") << QStringLiteral("a\x01") << QStringLiteral("\"a\x01\"");
    QTest::newRow("leading blank") << QStringLiteral(" a") << QStringLiteral("\" a\"");
    QTest::newRow("per line") << QStringLiteral("a b\r\nc\r\nd,e") << QStringLiteral("\"a b\",c,\"d,e\"");
    QTest::newRow("non-ASCII is ordinary") << QStringLiteral("Maß€„“") << QStringLiteral("Maß€„“");
    QTest::newRow("no-break space is ordinary") << QStringLiteral("a\u00a0b") << QStringLiteral("a\u00a0b");
    QTest::newRow("NUL is not a blank") << QStringView(u"a\0b", 3).toString() << QStringView(u"a\0b", 3).toString();
}

void TestCommaText::encode()
{
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QCOMPARE(toCommaText(caption), text);
}

void TestCommaText::decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("two quotes") << QStringLiteral("\"\"") << QString();
    QTest::newRow("quoted comma and blank") << QStringLiteral("\"a, b\"") << QStringLiteral("a, b");
    QTest::newRow("two items") << QStringLiteral("x,y") << QStringLiteral("x\r\ny");
    QTest::newRow("blanks around the comma") << QStringLiteral("x , \ty") << QStringLiteral("x\r\ny");
    QTest::newRow("blank separates") << QStringLiteral("a b") << QStringLiteral("a\r\nb");
    QTest::newRow("line break separates") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("leading blanks skipped") << QStringLiteral("  \r\n x") << QStringLiteral("x");
    QTest::newRow("two commas") << QStringLiteral("a,,b") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("comma blank comma") << QStringLiteral("a, ,b") << QStringLiteral("a\r\n\r\nb");
    QTest::newRow("leading comma") << QStringLiteral(",a") << QStringLiteral("a");
    QTest::newRow("trailing comma") << QStringLiteral("a,") << QStringLiteral("a");
    QTest::newRow("quote in an unquoted item") << QStringLiteral("a\"b") << QStringLiteral("a\"b");
    QTest::newRow("doubled quote") << QStringLiteral("\"a\"\"b\"") << QStringLiteral("a\"b");
    QTest::newRow("quoted then unquoted, no comma") << QStringLiteral("\"ab\"cd,e") << QStringLiteral("ab\r\ncd\r\ne");
    QTest::newRow("unclosed quote runs to the end") << QStringLiteral("x,\"a, b") << QStringLiteral("x\r\na, b");
    QTest::newRow("unclosed after a doubled quote") << QStringLiteral("\"ab\"\"") << QStringLiteral("ab\"");
    QTest::newRow("quoted blanks trimmed at the ends") << QStringLiteral("\" x \"") << QStringLiteral("x");
    QTest::newRow("quoted blanks kept inside") << QStringLiteral("x,\"  y  \",z") << QStringLiteral("x\r\n  y  \r\nz");
    QTest::newRow("quoted line break kept") << QStringLiteral("\"a\nb\"") << QStringLiteral("a\nb");
    QTest::newRow("leading empty items dropped") << QStringLiteral("\"\",\"\",x") << QStringLiteral("x");
    QTest::newRow("trailing empty items dropped") << QStringLiteral("x,\"\",\"\"") << QStringLiteral("x");
    QTest::newRow("NUL ends the text") << QStringView(u"a\0,b", 4).toString() << QStringLiteral("a");
    QTest::newRow("NUL inside quotes ends it too") << QStringView(u"\"a\0 b\",c", 8).toString() << QStringLiteral("a");
    QTest::newRow("NUL first") << QStringView(u"\0abc", 4).toString() << QString();
    QTest::newRow("non-ASCII is ordinary") << QStringLiteral("Maß,Öl€") << QStringLiteral("Maß\r\nÖl€");
    QTest::newRow("no-break space is ordinary") << QStringLiteral("\u00a0a\u00a0") << QStringLiteral("\u00a0a\u00a0");
}

void TestCommaText::decode()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QCOMPARE(fromCommaText(text), caption);
}

void TestCommaText::roundTrip_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("readBack");
    const auto same = [](const char* name, const QString& caption) { QTest::newRow(name) << caption << caption; };
    same("comma and blank", QStringLiteral("a, b"));
    same("two lines", QStringLiteral("x\r\ny"));
    same("quotes", QStringLiteral("er sagte \"ja\", dann \"\"nein\"\""));
    same("quote at both ends", QStringLiteral("\"Zitat\""));
    same("empty line inside", QStringLiteral("a\r\n\r\nb"));
    same("blank line inside", QStringLiteral("a\r\n   \r\nb"));
    same("blanks inside lines", QStringLiteral("eins  zwei\r\ndrei\tvier"));
    same("German and typographic", QStringLiteral("„Größe“ – 5 €"));
    QTest::newRow("leading blanks lost") << QStringLiteral("  eingerückt") << QStringLiteral("eingerückt");
    QTest::newRow("trailing blanks lost") << QStringLiteral("Ende  ") << QStringLiteral("Ende");
    QTest::newRow("empty lines at the ends lost") << QStringLiteral("\r\n\r\nMitte\r\n\r\n") << QStringLiteral("Mitte");
    QTest::newRow("blank lines only") << QStringLiteral("  \r\n\t") << QString();
    QTest::newRow("breaks become CR LF") << QStringLiteral("a\nb\rc") << QStringLiteral("a\r\nb\r\nc");
    QTest::newRow("NUL and what follows lost") << QStringView(u"a\0b, c\r\nd", 9).toString() << QStringLiteral("a");
}

void TestCommaText::roundTrip()
{
    QFETCH(QString, caption);
    QFETCH(QString, readBack);
    QCOMPARE(fromCommaText(toCommaText(caption)), readBack);
    // An editor keeps the stored form, and storing it again must not change it.
    QCOMPARE(storedCaption(caption), readBack);
    QCOMPARE(storedCaption(readBack), readBack);
}

QTEST_GUILESS_MAIN(TestCommaText)
#include "tst_commatext.moc"
