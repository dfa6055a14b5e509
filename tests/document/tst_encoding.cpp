#include "document/oledate.h"
#include "platform/cp1252.h"

#include <QSet>
#include <QStringDecoder>
#include <QTest>

#include <cmath>
#include <ctime>
#include <limits>

// Windows-1252 and the stored date-times. The dates are checked in German local time, where
// summer time makes local and universal time differ by one or two hours.
class TestEncoding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void cp1252RoundTrip_data();
    void cp1252RoundTrip();
    void cp1252EveryByte();
    void cp1252Unmappable_data();
    void cp1252Unmappable();
    void unstorableCharacters_data();
    void unstorableCharacters();
    void cp1252ByteLookup_data();
    void cp1252ByteLookup();

    void oleDateFromValue_data();
    void oleDateFromValue();
    void oleDateInvalid_data();
    void oleDateInvalid();
    void oleDateToValue_data();
    void oleDateToValue();
    void oleDateRoundTrip_data();
    void oleDateRoundTrip();
    void summerTimeGap();

private:
    bool m_germanTime = false;
};

namespace {

// Half a millisecond in days: two stored dates closer than this are the same date-time.
constexpr double halfMs = 0.5 / 86400000.0;

QDateTime local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::LocalTime);
}

} // namespace

void TestEncoding::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const QDateTime summerNoonUtc(QDate(2026, 7, 15), QTime(12, 0), Qt::UTC);
    m_germanTime = summerNoonUtc.toLocalTime().offsetFromUtc() == 7200;
}

void TestEncoding::cp1252RoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QStringLiteral("Frage Nr. 1") << QByteArray("Frage Nr. 1");
    QTest::newRow("German") << QStringLiteral("Größe Übung äöü ÄÖÜ ß")
                            << QByteArray::fromHex("4772f6df6520dc62756e6720e4f6fc20c4d6dc20df");
    QTest::newRow("German quotes") << QStringLiteral("„Zitat“ ‚halb‘")
                                   << QByteArray::fromHex("845a6974617493208268616c6291");
    QTest::newRow("dashes, ellipsis, euro") << QStringLiteral("– — … €") << QByteArray::fromHex("96209720852080");
    QTest::newRow("the rest of 0x80 to 0x9F")
        << QStringLiteral("ƒ†‡ˆ‰Š‹ŒŽ’”•˜™š›œžŸ") << QByteArray::fromHex("83868788898a8b8c8e92949598999a9b9c9e9f");
    QTest::newRow("Latin-1 half") << QStringLiteral("\u00a0¡©«°±²µ¶·»¼×÷ÿ")
                                  << QByteArray::fromHex("a0a1a9abb0b1b2b5b6b7bbbcd7f7ff");
    QTest::newRow("line breaks and tab") << QStringLiteral("a\r\nb\tc") << QByteArray("a\r\nb\tc");
    QTest::newRow("NUL") << QString(QChar(0)) << QByteArray(1, '\0');
}

void TestEncoding::cp1252RoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1252(text), bytes);
    QCOMPARE(fromCp1252(bytes), text);
}

void TestEncoding::cp1252EveryByte()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    const QString text = fromCp1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(toCp1252(text), all);

    // The system's codec (ICU) as an independent reference for every byte.
    QStringDecoder reference("windows-1252");
    if (!reference.isValid())
        QSKIP("Qt has no Windows-1252 codec here (built without ICU)");
    QCOMPARE(text, reference.decode(all));
}

void TestEncoding::cp1252Unmappable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("Polish") << QStringLiteral("łódź")
                            << QByteArray("?\xf3"
                                          "d?");
    QTest::newRow("Greek and Cyrillic") << QStringLiteral("αЖ") << QByteArray("??");
    QTest::newRow("beyond U+FFFF is one character") << QStringLiteral("a😀b") << QByteArray("a?b");
    QTest::newRow("lone high surrogate") << QStringView(u"a\xd83d"
                                                        "b")
                                                .toString()
                                         << QByteArray("a?b");
    QTest::newRow("lone low surrogate at the end") << QStringView(u"a\xde00").toString() << QByteArray("a?");
    QTest::newRow("U+0080 is not the euro byte") << QStringView(u"\x0080").toString() << QByteArray("?");
    QTest::newRow("replacement character") << QStringLiteral("\ufffd") << QByteArray("?");
}

void TestEncoding::cp1252Unmappable()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(toCp1252(text), bytes);
}

void TestEncoding::unstorableCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<uint>>("found");
    QTest::newRow("German and typographic") << QStringLiteral("„Größe“ – 5 € … Œ") << QList<uint>();
    QTest::newRow("control characters are storable") << QStringLiteral("a\tb\r\n\x01") << QList<uint>();
    QTest::newRow("Polish, in order") << QStringLiteral("łódź") << QList<uint> {0x142, 0x17a};
    QTest::newRow("each once") << QStringLiteral("αβα") << QList<uint> {0x3b1, 0x3b2};
    QTest::newRow("beyond U+FFFF is one character") << QStringLiteral("a😀b") << QList<uint> {0x1f600};
    QTest::newRow("lone surrogate") << QStringView(u"a\xd83d").toString() << QList<uint> {0xd83d};
    QTest::newRow("U+0080 is not the euro") << QStringView(u"\x0080").toString() << QList<uint> {0x80};
}

void TestEncoding::unstorableCharacters()
{
    QFETCH(QString, text);
    QFETCH(QList<uint>, found);
    QList<uint> actual;
    for (const char32_t c : ::unstorableCharacters(text))
        actual.append(uint(c));
    QCOMPARE(actual, found);
}

void TestEncoding::cp1252ByteLookup_data()
{
    QTest::addColumn<uint>("codePoint");
    QTest::addColumn<int>("byte"); // -1: not in the code page
    QTest::newRow("NUL") << 0u << 0;
    QTest::newRow("A") << uint('A') << 0x41;
    QTest::newRow("DEL") << 0x7fu << 0x7f;
    QTest::newRow("euro") << 0x20acu << 0x80;
    QTest::newRow("unassigned 0x81 keeps its number") << 0x81u << 0x81;
    QTest::newRow("unassigned 0x9D keeps its number") << 0x9du << 0x9d;
    QTest::newRow("U+0080") << 0x80u << -1;
    QTest::newRow("U+0099 (0x99 is the trade mark)") << 0x99u << -1;
    QTest::newRow("Ÿ") << 0x178u << 0x9f;
    QTest::newRow("no-break space") << 0xa0u << 0xa0;
    QTest::newRow("ÿ") << 0xffu << 0xff;
    QTest::newRow("U+0100") << 0x100u << -1;
    // Its low 16 bits are the euro sign's: a lookup that cuts code points to 16 bits fails here.
    QTest::newRow("U+120AC") << 0x120acu << -1;
    QTest::newRow("U+10041") << 0x10041u << -1;
}

void TestEncoding::cp1252ByteLookup()
{
    QFETCH(uint, codePoint);
    QFETCH(int, byte);
    const std::optional<char> found = cp1252Byte(char32_t(codePoint));
    QCOMPARE(found.has_value(), byte >= 0);
    if (found)
        QCOMPARE(int(uchar(*found)), byte);
}

void TestEncoding::oleDateFromValue_data()
{
    QTest::addColumn<double>("days");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("zero") << 0.0 << local(1899, 12, 30);
    QTest::newRow("2.5") << 2.5 << local(1900, 1, 1, 12);
    QTest::newRow("one day") << 1.0 << local(1899, 12, 31);
    QTest::newRow("-1.25: back a day, forward a quarter") << -1.25 << local(1899, 12, 29, 6);
    QTest::newRow("-2.75") << -2.75 << local(1899, 12, 28, 18);
    QTest::newRow("-0.5 is the same day as 0.5") << -0.5 << local(1899, 12, 30, 12);
    QTest::newRow("a summer afternoon of 2026") << 46218 + 14.5 / 24 << local(2026, 7, 15, 14, 30);
    QTest::newRow("a winter morning of 2026") << 46037 + 8.25 / 24 << local(2026, 1, 15, 8, 15);
    QTest::newRow("one millisecond") << 1 + 1.0 / 86400000 << local(1899, 12, 31, 0, 0, 0, 1);
    QTest::newRow("rounds up to the next day") << 1.9999999999 << local(1900, 1, 1);
    QTest::newRow("negative rounds up to the next day") << -1.9999999999 << local(1899, 12, 30);
    QTest::newRow("first day") << -657434.0 << local(100, 1, 1);
    QTest::newRow("last day") << 2958465.5 << local(9999, 12, 31, 12);
}

void TestEncoding::oleDateFromValue()
{
    QFETCH(double, days);
    QFETCH(QDateTime, expected);
    const QDateTime dateTime = fromOleDate(days);
    QVERIFY(dateTime.isValid());
    QCOMPARE(dateTime.timeSpec(), Qt::LocalTime);
    QCOMPARE(dateTime.date(), expected.date());
    QCOMPARE(dateTime.time(), expected.time());
}

void TestEncoding::oleDateInvalid_data()
{
    QTest::addColumn<double>("days");
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
    QTest::newRow("huge") << 1e300;
    QTest::newRow("hugely negative") << -1e300;
    QTest::newRow("year 10000") << 2958466.0;
    QTest::newRow("last moment rounds into year 10000") << 2958465.999999999;
    QTest::newRow("before the year 100") << -657435.0;
}

void TestEncoding::oleDateInvalid()
{
    QFETCH(double, days);
    QVERIFY(!fromOleDate(days).isValid());
}

void TestEncoding::oleDateToValue_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<double>("expected");
    QTest::newRow("zero") << local(1899, 12, 30) << 0.0;
    QTest::newRow("2.5") << local(1900, 1, 1, 12) << 2.5;
    QTest::newRow("before the start") << local(1899, 12, 29, 6) << -1.25;
    QTest::newRow("long before the start") << local(1800, 1, 1, 18) << -36522.75;
    QTest::newRow("local summer time") << local(2026, 7, 15, 14, 30) << 46218 + 14.5 / 24;
    QTest::newRow("with seconds and milliseconds")
        << local(2026, 1, 15, 8, 15, 30, 250) << 46037 + (8.25 * 3600 + 30.25) / 86400;
}

void TestEncoding::oleDateToValue()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(double, expected);
    QVERIFY(std::fabs(toOleDate(dateTime) - expected) < halfMs);
}

void TestEncoding::oleDateRoundTrip_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::newRow("last millisecond of a day before the start") << local(1899, 12, 29, 23, 59, 59, 999);
    QTest::newRow("first millisecond of the year 100") << local(100, 1, 1, 0, 0, 0, 1);
    QTest::newRow("last millisecond of the year 9999") << local(9999, 12, 31, 23, 59, 59, 999);
    QTest::newRow("leap day") << local(2000, 2, 29, 12, 34, 56, 789);
    QTest::newRow("quiz start") << local(2026, 5, 4, 10, 7, 13, 411);
    QTest::newRow("just before summer time") << local(2026, 3, 29, 1, 59, 59, 999);
    QTest::newRow("the hour that happens twice") << local(2026, 10, 25, 2, 30, 0, 5);
}

void TestEncoding::oleDateRoundTrip()
{
    QFETCH(QDateTime, dateTime);
    QVERIFY(dateTime.isValid());
    const QDateTime back = fromOleDate(toOleDate(dateTime));
    QCOMPARE(back.date(), dateTime.date());
    QCOMPARE(back.time(), dateTime.time());
}

void TestEncoding::summerTimeGap()
{
    if (!m_germanTime)
        QSKIP("German time zone data not available");
    // A date-time in universal time is stored as the local clock showed it.
    const QDateTime utc(QDate(2026, 7, 15), QTime(12, 30), Qt::UTC);
    QVERIFY(std::fabs(toOleDate(utc) - (46218 + 14.5 / 24)) < halfMs);

    // 29 March 2026, 02:30 never happened on German clocks. A file can still hold it (written
    // in another zone, or by hand); it must come back as a valid date-time, an hour later.
    const QDateTime inGap = fromOleDate(46110 + 2.5 / 24);
    QVERIFY(inGap.isValid());
    QCOMPARE(inGap.date(), QDate(2026, 3, 29));
    QCOMPARE(inGap.time(), QTime(3, 30));
}

QTEST_GUILESS_MAIN(TestEncoding)
#include "tst_encoding.moc"
