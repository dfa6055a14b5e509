#include "platform/registry.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

Q_DECLARE_METATYPE(std::optional<quint32>)
Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const QString programKey = QStringLiteral("Software\\Kestrova\\Tallowmere");
const QString programPath = QStringLiteral("HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere");
const QByteArray header("Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n");

RegistryValue dwordValue(const QString& name, quint32 number)
{
    RegistryValue value;
    value.name = name;
    value.type = RegistryValueType::DWord;
    value.dword = number;
    return value;
}

RegistryValue stringValue(const QString& name, const QString& text)
{
    RegistryValue value;
    value.name = name;
    value.text = text;
    return value;
}

RegistryValue otherValue(const QString& name, const QString& raw)
{
    RegistryValue value;
    value.name = name;
    value.type = RegistryValueType::Other;
    value.raw = raw;
    return value;
}

// One line per value, "name=dword:n", "name=sz:text" or "name=raw", with the key path in front
// for keys other than the program's.
QStringList describe(const QList<RegistryKeyData>& keys)
{
    QStringList lines;
    for (const RegistryKeyData& key : keys) {
        const QString prefix = key.path.compare(programPath, Qt::CaseInsensitive) == 0 ? QString() : key.path + u':';
        for (const RegistryValue& value : key.values) {
            switch (value.type) {
            case RegistryValueType::DWord:
                lines << prefix + value.name + QStringLiteral("=dword:") + QString::number(value.dword);
                break;
            case RegistryValueType::String:
                lines << prefix + value.name + QStringLiteral("=sz:") + value.text;
                break;
            case RegistryValueType::Other:
                lines << prefix + value.name + u'=' + value.raw;
                break;
            }
        }
    }
    return lines;
}

QByteArray utf16LeWithBom(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<RegistryKeyData> readStore(const QString& path)
{
    return parseRegistryText(readFile(path));
}

// The identity of the file and its last change: a rewrite through a temporary file gives it a
// new inode, an in-place write a new modification time.
QString fileStamp(const QString& path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return QStringLiteral("%1/%2.%3")
        .arg(info.st_ino)
        .arg(qint64(info.st_mtim.tv_sec))
        .arg(qint64(info.st_mtim.tv_nsec));
}

} // namespace

class TestRegistry : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void roundTripOfFile();
    void roundTripOfValues_data();
    void roundTripOfValues();
    void serializedText();

    void namesAndKeysIgnoreCase();
    void tolerantReading_data();
    void tolerantReading();
    void oversizedStore_data();
    void oversizedStore();
    void wrongType_data();
    void wrongType();

    void closeWithoutChangeLeavesFile_data();
    void closeWithoutChangeLeavesFile();
    void closeCreatesFolder();
    void closeFailureKeepsStore_data();
    void closeFailureKeepsStore();
    void closeKeepsWhatOthersWrote();
    void currentUserKeyUsesStoreFile();
    void killDuringSaveLeavesWholeStore();
};

void TestRegistry::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestRegistry::roundTripOfFile()
{
    const QByteArray file = "Windows Registry Editor Version 5.00\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n"
                            "\"Opt-Sound\"=dword:00000001\r\n"
                            "\"Max\"=dword:FFFFFFFF\r\n"
                            "\"NetzKomOrdner\"=\"/home/anna/kom/\"\r\n"
                            "\"Name with \\\"quotes\\\" and \\\\backslash\"=\"C:\\\\Programme\\\\x\\\\\"\r\n"
                            "\"Leer\"=\"\"\r\n"
                            "\"Umlaute\"=\"Größe – „Maße“ €\"\r\n"
                            "\"Zeilen\"=hex(1):5a,00,31,00,0d,00,0a,00,5a,00,\\\r\n"
                            "  32,00,00,00\r\n"
                            "\"Pfad\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                            "\"Binaer\"=hex:01,ff,\\\r\n"
                            "  10\r\n"
                            "\"Liste\"=hex(7):61,00,00,00,00,00\r\n"
                            "@=\"Standard\"\r\n"
                            "\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Andere]\r\n"
                            "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                            "\"Opt-Sound\"=\"anderer Schlüssel\"\r\n";
    const QList<RegistryKeyData> parsed = parseRegistryText(file);
    const QList<RegistryKeyData> expected = {
        {programPath,
            {dwordValue(QStringLiteral("Opt-Sound"), 1), dwordValue(QStringLiteral("Max"), 0xFFFFFFFFu),
                stringValue(QStringLiteral("NetzKomOrdner"), QStringLiteral("/home/anna/kom/")),
                stringValue(
                    QStringLiteral("Name with \"quotes\" and \\backslash"), QStringLiteral("C:\\Programme\\x\\")),
                stringValue(QStringLiteral("Leer"), QString()),
                stringValue(QStringLiteral("Umlaute"), QStringLiteral("Größe – „Maße“ €")),
                stringValue(QStringLiteral("Zeilen"), QStringLiteral("Z1\r\nZ2")),
                stringValue(QStringLiteral("Pfad"), QStringLiteral("%A%")),
                otherValue(QStringLiteral("Binaer"), QStringLiteral("hex:01,ff,10")),
                otherValue(QStringLiteral("Liste"), QStringLiteral("hex(7):61,00,00,00,00,00")),
                stringValue(QString(), QStringLiteral("Standard"))}},
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\Andere"),
            {otherValue(QStringLiteral("Q"), QStringLiteral("hex(b):01,00,00,00,00,00,00,00")),
                stringValue(QStringLiteral("Opt-Sound"), QStringLiteral("anderer Schlüssel"))}},
    };
    QCOMPARE(describe(parsed), describe(expected));
    QVERIFY(parsed == expected);

    const QByteArray written = serializeRegistryText(parsed);
    const QList<RegistryKeyData> reread = parseRegistryText(written);
    QCOMPARE(describe(reread), describe(parsed));
    QVERIFY(reread == parsed);
    QCOMPARE(serializeRegistryText(reread), written);
}

void TestRegistry::roundTripOfValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << QStringLiteral("Name") << QStringLiteral("Wert");
    QTest::newRow("quotes and backslashes") << QStringLiteral("\\\"a\"\\") << QStringLiteral("\"\\\\\"\\");
    QTest::newRow("backslash before quote") << QStringLiteral("x\\") << QStringLiteral("C:\\");
    QTest::newRow("default value") << QString() << QStringLiteral("Standard");
    QTest::newRow("line breaks") << QStringLiteral("Zeilen") << QStringLiteral("a\r\nb\nc\rd\r\n");
    QTest::newRow("tab and NUL") << QStringLiteral("Steuer") << QString::fromUtf16(u"a\tb\0c\0", 6);
    QTest::newRow("only NUL") << QStringLiteral("Null") << QString(QChar(0));
    QTest::newRow("C1 control") << QStringLiteral("C1") << QString::fromUtf16(u"x\u0085y");
    QTest::newRow("lone surrogate") << QStringLiteral("Halb") << QString::fromUtf16(u"a\xD800z", 3);
    QTest::newRow("surrogate pair") << QStringLiteral("Emoji 😀") << QStringLiteral("😀 ok");
    QTest::newRow("long with break") << QStringLiteral("Lang") << QString(300, u'x') + QStringLiteral("\r\n");
    QTest::newRow("spaces at the ends") << QStringLiteral("  leer  ") << QStringLiteral("  a  ");
    QTest::newRow("brackets and equals") << QStringLiteral("[x]=\"y\"") << QStringLiteral("@=\"z\"");
}

void TestRegistry::roundTripOfValues()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    const QList<RegistryKeyData> keys = {{programPath, {stringValue(name, text), dwordValue(QStringLiteral("N"), 7)}}};
    const QByteArray written = serializeRegistryText(keys);
    const QList<RegistryKeyData> reread = parseRegistryText(written);
    QVERIFY2(reread == keys, written.constData());
    // Every value on its own line (continuations aside): nothing may break the line structure.
    QCOMPARE(written.count('\n') - written.count("\\\n"), 6);
}

void TestRegistry::serializedText()
{
    const QList<RegistryKeyData> keys = {
        {programPath,
            {dwordValue(QStringLiteral("Opt-Sound"), 1), dwordValue(QStringLiteral("Farbe"), 0xC0FFEE),
                stringValue(QStringLiteral("NetzKomOrdner"), QStringLiteral("/home/anna/kom/")),
                stringValue(
                    QStringLiteral("Name with \"quotes\" and \\backslash"), QStringLiteral("C:\\Programme\\x\\")),
                stringValue(QStringLiteral("Gruß"), QStringLiteral("Zeile 1\r\nZeile 2")),
                stringValue(QString(), QStringLiteral("Größe"))}},
        {QStringLiteral("HKEY_CURRENT_USER\\Software\\Andere"),
            {otherValue(QStringLiteral("Q"), QStringLiteral("hex(b):01,00,00,00,00,00,00,00"))}},
    };
    const QByteArray expected = "Windows Registry Editor Version 5.00\n"
                                "\n"
                                "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\n"
                                "\"Opt-Sound\"=dword:00000001\n"
                                "\"Farbe\"=dword:00c0ffee\n"
                                "\"NetzKomOrdner\"=\"/home/anna/kom/\"\n"
                                "\"Name with \\\"quotes\\\" and \\\\backslash\"=\"C:\\\\Programme\\\\x\\\\\"\n"
                                "\"Gruß\"=hex(1):5a,00,65,00,69,00,6c,00,65,00,20,00,31,00,0d,00,0a,00,5a,00,65,\\\n"
                                "  00,69,00,6c,00,65,00,20,00,32,00,00,00\n"
                                "@=\"Größe\"\n"
                                "\n"
                                "[HKEY_CURRENT_USER\\Software\\Andere]\n"
                                "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"
                                "\n";
    const QByteArray written = serializeRegistryText(keys);
    QCOMPARE(written.split('\n'), expected.split('\n'));
}

void TestRegistry::namesAndKeysIgnoreCase()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    QVERIFY(writeFile(store,
        "Windows Registry Editor Version 5.00\n\n"
        "[hkey_current_user\\SOFTWARE\\kestrova\\tallowmere]\n"
        "\"uebopt-zeitlimit\"=dword:0000000a\n"
        "\"Anderer\"=\"bleibt\"\n"
        "[HKCU\\Software\\Kestrova\\Tallowmere]\n"
        "\"ZWEITER\"=\"aus dem zweiten Abschnitt\"\n"));

    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    QCOMPARE(key->readDword(QStringLiteral("UebOpt-Zeitlimit")), std::optional<quint32>(10));
    QCOMPARE(key->readString(QStringLiteral("zweiter")), std::optional(QStringLiteral("aus dem zweiten Abschnitt")));
    key->writeDword(QStringLiteral("UebOpt-ZeitLimit"), 30);
    QCOMPARE(key->readDword(QStringLiteral("UebOpt-Zeitlimit")), std::optional<quint32>(30));
    QVERIFY(key->close());

    // One key, the file's spelling of it; one value, the spelling of the last write.
    const QList<RegistryKeyData> keys = readStore(store);
    QCOMPARE(keys.size(), 1);
    QCOMPARE(keys[0].path, QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\kestrova\\tallowmere"));
    QCOMPARE(describe(keys),
        QStringList({QStringLiteral("UebOpt-ZeitLimit=dword:30"), QStringLiteral("Anderer=sz:bleibt"),
            QStringLiteral("ZWEITER=sz:aus dem zweiten Abschnitt")}));
}

void TestRegistry::tolerantReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QRandomGenerator random(20061);
    QByteArray noise(3000, '\0');
    for (char& byte : noise)
        byte = char(random.bounded(256));
    QByteArray noiseLine = noise;
    noiseLine.replace('\n', 'x');
    noiseLine[0] = '#';

    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("random bytes") << noise << QStringList();
    QTest::newRow("random line between values") << header + "\"A\"=dword:00000001\n" + noiseLine + "\n\"B\"=\"b\"\n"
                                                << QStringList({"A=dword:1", "B=sz:b"});
    QTest::newRow("truncated line") << header + "\"A\"=dword:00000001\r\n\"B\"=\"ab" << QStringList({"A=dword:1"});
    QTest::newRow("truncated hex") << header + "\"A\"=dword:00000001\r\n\"B\"=hex(1):41,00,\\\r\n"
                                   << QStringList({"A=dword:1"});
    QTest::newRow("missing quote") << header + "\"A=dword:1\n\"B\"=\"x\n\"C\"=x\"\n\"D\"=\"ok\"\n"
                                   << QStringList({"D=sz:ok"});
    QTest::newRow("bad dword") << header + "\"A\"=dword:xyz\n\"B\"=dword:\n\"C\"=dword:-1\n\"D\"=dword:1F\n"
                               << QStringList({"D=dword:31"});
    QTest::newRow("dword of 9 digits") << header + "\"A\"=dword:000000001\n\"B\"=dword:ffffffff\n"
                                       << QStringList({"B=dword:4294967295"});
    QTest::newRow("stray text") << header
            + "hallo welt\n\"A\"=\"a\"\n=\"x\"\n\"B\" \"b\"\n\"C\"=\"c\" und mehr\n@x=\"y\"\n"
                                << QStringList({"A=sz:a"});
    QTest::newRow("bad hex") << header
            + "\"A\"=hex:0g\n\"B\"=hex(1):123\n\"C\"=hex(zz):00\n\"D\"=hex(1)00\n\"E\"=hex:\n"
                             << QStringList({"E=hex:"});
    QTest::newRow("NUL bytes") << header + QByteArray("\"A\"=\"a\"\n\0\0\0\n\"B\"=\"x\0y\"\n", 24)
                               << QStringList({"A=sz:a", QStringLiteral("B=sz:x") + QChar(0) + u'y'});
    QTest::newRow("UTF-16 with BOM") << utf16LeWithBom(
        QString::fromLatin1(header) + QStringLiteral("\"Größe\"=\"€ 5\"\r\n"))
                                     << QStringList({QStringLiteral("Größe=sz:€ 5")});
    QTest::newRow("UTF-8 with BOM") << "\xEF\xBB\xBF" + header + QStringLiteral("\"Größe\"=\"€ 5\"\n").toUtf8()
                                    << QStringList({QStringLiteral("Größe=sz:€ 5")});
    QTest::newRow("Windows-1252") << header
            + "\"Gr\xF6\xDF"
              "e\"=\"\x80 5\"\n" << QStringList({QStringLiteral("Größe=sz:€ 5")});
    QTest::newRow("REGEDIT4") << QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n"
                                            "\"A\"=\"a\"\r\n\"Pfad\"=hex(2):25,54,45,4d,50,25,5c,fc,00\r\n")
                              << QStringList({"A=sz:a", QStringLiteral("Pfad=sz:%TEMP%\\ü")});
    QTest::newRow("HKCU, comments, LF") << QByteArray("; vom Administrator\n[HKCU\\Software\\Kestrova\\Tallowmere]\n"
                                                      "  ; eingerückt\n\"A\"=\"a\"\n")
                                        << QStringList({"A=sz:a"});
    QTest::newRow("hex(1) over lines") << header
            + "\"A\"=hex(1):48,00,61,00,\\\r\n  6c,00,6c,00,\\\r\n  6f,00,00,00\r\n"
                                       << QStringList({"A=sz:Hallo"});
    QTest::newRow("continuation stops at the next key")
        << header + "\"A\"=hex:01,\\\n[HKEY_CURRENT_USER\\Software\\Andere]\n\"B\"=\"b\"\n"
        << QStringList({"HKEY_CURRENT_USER\\Software\\Andere:B=sz:b"});
    QTest::newRow("deletions skipped") << header
            + "\"A\"=-\n\"B\"=\"b\"\n[-HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\n\"C\"=\"c\"\n"
                                       << QStringList({"B=sz:b"});
    QTest::newRow("values before any key") << "\"X\"=\"x\"\n" + header + "\"A\"=\"a\"\n" << QStringList({"A=sz:a"});
    QTest::newRow("damaged key header") << header + "\"A\"=\"a\"\n[HKEY_CURRENT_USER\\Kaputt\n\"B\"=\"b\"\n"
                                        << QStringList({"A=sz:a"});
    QTest::newRow("key twice merges, later wins")
        << header
            + "\"A\"=dword:1\n\"B\"=\"b\"\n[HKEY_CURRENT_USER\\Software\\Andere]\n\"C\"=\"c\"\n"
              "[HKEY_CURRENT_USER\\Software\\KESTROVA\\Tallowmere]\n\"a\"=dword:2\n\"D\"=\"d\"\n\"b\"=\"B\"\n"
        << QStringList({"a=dword:2", "b=sz:B", "D=sz:d", "HKEY_CURRENT_USER\\Software\\Andere:C=sz:c"});
}

void TestRegistry::tolerantReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const QList<RegistryKeyData> keys = parseRegistryText(bytes);
    QCOMPARE(describe(keys), expected);
    // What survived must survive a rewrite as well.
    QVERIFY(parseRegistryText(serializeRegistryText(keys)) == keys);
}

void TestRegistry::oversizedStore_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected"); // DWORDs by name, "-" for missing

    constexpr qsizetype limit = 4 * 1024 * 1024;
    // The 4 MiB limit falls in the middle of "Cut": its first digits must not pass for a value.
    QByteArray cut = header + "\"A\"=dword:00000001\n";
    const QByteArray padding = "; " + QByteArray(97, '-') + '\n';
    while (cut.size() + padding.size() < limit - 16)
        cut += padding;
    cut += QByteArray(limit - 16 - cut.size() - 1, ' ') + '\n';
    cut += "\"Cut\"=dword:12345678\n";
    QVERIFY(cut.size() > limit && cut.indexOf("\"Cut\"") < limit);
    cut += "\"Z\"=dword:00000005\n";
    QTest::newRow("cut at 4 MiB") << cut << QStringList({"A=1", "Cut=-", "Z=-"});

    QTest::newRow("one line of 3 MiB") << header + "\"A\"=dword:00000001\n\"Lang\"=\""
            + QByteArray(3 * 1024 * 1024, 'x') + "\n\"B\"=dword:00000002\n"
                                       << QStringList({"A=1", "Lang=-", "B=2"});

    QByteArray hexLines = header + "\"Bin\"=hex:00";
    for (int i = 0; i < 400000; ++i)
        hexLines += ",\\\n  00";
    hexLines += "\n\"B\"=dword:00000002\n";
    QTest::newRow("hex over 400000 lines") << hexLines << QStringList({"Bin=-", "B=2"});

    QByteArray manyKeys = header + "\"A\"=dword:00000001\n";
    for (int i = 0; i < 150000; ++i)
        manyKeys += "[K" + QByteArray::number(i) + "]\n\"v\"=dword:1\n";
    manyKeys += "[HKCU\\Software\\Kestrova\\Tallowmere]\n\"B\"=dword:00000002\n";
    QTest::newRow("150000 keys") << manyKeys << QStringList({"A=1", "B=2"});
}

void TestRegistry::oversizedStore()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    QVERIFY(writeFile(store, bytes));

    QElapsedTimer timer;
    timer.start();
    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    // Linear work takes a fraction of a second even in a debug build with sanitizers.
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QStringLiteral("%1 ms").arg(timer.elapsed())));
    for (const QString& entry : std::as_const(expected)) {
        const QString name = entry.section(u'=', 0, 0);
        const QString number = entry.section(u'=', 1);
        const std::optional<quint32> value = key->readDword(name);
        QCOMPARE(value ? QString::number(*value) : QStringLiteral("-"), number);
    }
}

void TestRegistry::wrongType_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<std::optional<quint32>>("dword");
    QTest::addColumn<std::optional<QString>>("text");

    QTest::newRow("string") << QByteArray("\"A\"=\"1\"") << std::optional<quint32>()
                            << std::optional(QStringLiteral("1"));
    QTest::newRow("dword") << QByteArray("\"A\"=dword:00000001") << std::optional<quint32>(1)
                           << std::optional<QString>();
    QTest::newRow("binary dword") << QByteArray("\"A\"=hex(4):01,00,00,00") << std::optional<quint32>()
                                  << std::optional<QString>();
    QTest::newRow("missing") << QByteArray("\"B\"=\"1\"") << std::optional<quint32>() << std::optional<QString>();
}

void TestRegistry::wrongType()
{
    QFETCH(QByteArray, line);
    QFETCH(std::optional<quint32>, dword);
    QFETCH(std::optional<QString>, text);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    QVERIFY(writeFile(store, header + line + "\r\n"));

    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    QCOMPARE(key->readDword(QStringLiteral("a")), dword);
    QCOMPARE(key->readString(QStringLiteral("a")), text);

    // A write of another type replaces the value whatever it was.
    key->writeString(QStringLiteral("A"), QStringLiteral("neu"));
    QCOMPARE(key->readDword(QStringLiteral("A")), std::optional<quint32>());
    key->writeDword(QStringLiteral("A"), 9);
    QCOMPARE(key->readString(QStringLiteral("A")), std::optional<QString>());
    QCOMPARE(key->readDword(QStringLiteral("A")), std::optional<quint32>(9));
}

void TestRegistry::closeWithoutChangeLeavesFile_data()
{
    QTest::addColumn<bool>("writeSameValues");
    QTest::newRow("nothing written") << false;
    QTest::newRow("same values written") << true;
}

void TestRegistry::closeWithoutChangeLeavesFile()
{
    QFETCH(bool, writeSameValues);
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    QVERIFY(writeFile(store, header + "\"Opt-Sound\"=dword:00000001\r\n\"Ordner\"=\"/tmp/\"\r\n"));
    const QString before = fileStamp(store);
    QVERIFY(!before.isEmpty());

    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    if (writeSameValues) {
        key->writeDword(QStringLiteral("Opt-Sound"), 1);
        key->writeString(QStringLiteral("Ordner"), QStringLiteral("/tmp/"));
    }
    QVERIFY(key->close());
    QCOMPARE(fileStamp(store), before);
}

void TestRegistry::closeCreatesFolder()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("neu/Kestrova/Tallowmere.reg"));
    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    QCOMPARE(key->readDword(QStringLiteral("Opt-Sound")), std::optional<quint32>());
    key->writeDword(QStringLiteral("Opt-Sound"), 1);
    QVERIFY(key->close());
    QCOMPARE(describe(readStore(store)), QStringList({"Opt-Sound=dword:1"}));
}

void TestRegistry::closeFailureKeepsStore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder is a regular file") << QStringLiteral("below file");
    QTest::newRow("store is a folder") << QStringLiteral("folder");
    QTest::newRow("store is a pipe") << QStringLiteral("pipe");
}

void TestRegistry::closeFailureKeepsStore()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("Tallowmere.reg"));
    const QByteArray contents = header + "\"Opt-Sound\"=dword:00000001\r\n";
    QString store;
    if (kind == u"below file") {
        QVERIFY(writeFile(existing, contents));
        store = existing + QStringLiteral("/Tallowmere.reg");
    } else if (kind == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Tallowmere.reg")));
        store = existing;
    } else {
        QCOMPARE(::mkfifo(QFile::encodeName(existing).constData(), 0600), 0);
        store = existing;
    }

    // Opening must neither fail nor block on the pipe; the key reads as empty.
    const std::unique_ptr<RegistryKey> key = openRegistryFileKey(store, programKey);
    QCOMPARE(key->readDword(QStringLiteral("Opt-Sound")), std::optional<quint32>());
    key->writeDword(QStringLiteral("Opt-Sound"), 2);
    QVERIFY(!key->close());

    const QFileInfo info(existing);
    if (kind == u"below file")
        QCOMPARE(readFile(existing), contents);
    else if (kind == u"folder")
        QVERIFY(info.isDir());
    else
        QVERIFY(!info.isFile() && info.exists());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({QStringLiteral("Tallowmere.reg")}));
}

void TestRegistry::closeKeepsWhatOthersWrote()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    QVERIFY(writeFile(store,
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Andere]\r\n\"X\"=\"vom Administrator\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n\"Bin\"=hex:01,02\r\n\"A\"=dword:00000001\r\n"));

    // Two programs with the key open: each close keeps what the other saved meanwhile.
    const std::unique_ptr<RegistryKey> first = openRegistryFileKey(store, programKey);
    const std::unique_ptr<RegistryKey> second = openRegistryFileKey(store, programKey);
    first->writeDword(QStringLiteral("A"), 2);
    second->writeString(QStringLiteral("B"), QStringLiteral("zwei"));
    QVERIFY(first->close());
    QVERIFY(second->close());

    QCOMPARE(describe(readStore(store)),
        QStringList({QStringLiteral("HKEY_CURRENT_USER\\Software\\Andere:X=sz:vom Administrator"),
            QStringLiteral("Bin=hex:01,02"), QStringLiteral("A=dword:2"), QStringLiteral("B=sz:zwei")}));
}

void TestRegistry::currentUserKeyUsesStoreFile()
{
    const QString store = registryStoreFile();
    QVERIFY(store.endsWith(QStringLiteral("/Kestrova/Tallowmere.reg")));
    QFile::remove(store);
    const std::unique_ptr<RegistryKey> key = openCurrentUserKey(programKey);
    key->writeString(QStringLiteral("NetzKomOrdner"), QStringLiteral("/home/anna/kom/"));
    QVERIFY(key->close());
    const std::unique_ptr<RegistryKey> again = openCurrentUserKey(programKey);
    QCOMPARE(again->readString(QStringLiteral("netzkomordner")), std::optional(QStringLiteral("/home/anna/kom/")));
    QVERIFY(QFile::remove(store));
}

void TestRegistry::killDuringSaveLeavesWholeStore()
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("Tallowmere.reg"));
    for (int delay = 0; delay <= 30; delay += 2) {
        QProcess writer;
        writer.start(QStringLiteral(REGISTRY_WRITER), {store});
        QVERIFY2(writer.waitForStarted(5000), qPrintable(writer.errorString()));
        while (!writer.canReadLine())
            QVERIFY2(writer.waitForReadyRead(10000), "the writer did not report its first save");
        QCOMPARE(writer.readLine().trimmed(), QByteArray("saved"));
        QThread::msleep(delay);
        writer.kill();
        QVERIFY(writer.waitForFinished(5000));

        const QByteArray bytes = readFile(store);
        QVERIFY2(bytes.endsWith("\n\n"), qPrintable(QStringLiteral("cut file after %1 ms").arg(delay)));
        const QList<RegistryKeyData> keys = parseRegistryText(bytes);
        QCOMPARE(keys.size(), 1);
        QCOMPARE(keys[0].values.size(), 50);
        QCOMPARE(keys[0].values[0].type, RegistryValueType::DWord);
        const quint32 generation = keys[0].values[0].dword;
        for (int i = 0; i < 50; ++i) {
            const RegistryValue& value = keys[0].values[i];
            QCOMPARE(value.name, QStringLiteral("Wert-%1").arg(i, 2, 10, QLatin1Char('0')));
            if (i % 3 == 0)
                QCOMPARE(value.dword, generation);
            else
                QVERIFY2(value.text.startsWith(
                             QStringLiteral("Generation %1").arg(generation) + (i % 3 == 1 ? u',' : u'\r')),
                    qPrintable(value.text));
        }
    }
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
