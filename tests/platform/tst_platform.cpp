#include "platform/desktopshell.h"
#include "platform/systeminfo.h"
#include "platform/tick.h"

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Takes the addresses that QDesktopServices would hand to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void handle(const QUrl& url) { urls << url; }
};

class TestPlatform : public QObject
{
    Q_OBJECT

private slots:
    void ticksSinceWraps_data();
    void ticksSinceWraps();

    void namesFitWindowsBuffers_data();
    void namesFitWindowsBuffers();

    void desktopUrlForWebAddresses_data();
    void desktopUrlForWebAddresses();
    void desktopUrlForFiles_data();
    void desktopUrlForFiles();
    void systemShellHandsUrlToDesktop();
};

void TestPlatform::ticksSinceWraps_data()
{
    QTest::addColumn<quint32>("start");
    QTest::addColumn<quint32>("now");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("same") << 1234u << 1234u << 0u;
    QTest::newRow("forward") << 10u << 25u << 15u;
    QTest::newRow("up to the top") << 0u << 0xFFFFFFFFu << 0xFFFFFFFFu;
    QTest::newRow("one across the wrap") << 0xFFFFFFFFu << 0u << 1u;
    QTest::newRow("across the wrap") << 0xFFFFFFF0u << 0x10u << 0x20u;
    QTest::newRow("100 ms across the wrap") << 0xFFFFFFCEu << 50u << 100u;
    QTest::newRow("one behind is almost a full turn") << 5u << 4u << 0xFFFFFFFFu;
}

void TestPlatform::ticksSinceWraps()
{
    QFETCH(quint32, start);
    QFETCH(quint32, now);
    QFETCH(quint32, expected);
    QCOMPARE(ticksSince(start, now), expected);
}

void TestPlatform::namesFitWindowsBuffers_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("computer") << computerName();
    QTest::newRow("user") << userName();
}

void TestPlatform::namesFitWindowsBuffers()
{
    QFETCH(QString, name);
    QVERIFY(!name.isEmpty());
    QVERIFY(name.size() <= 255);
    QVERIFY(!name.contains(QChar()));
}

void TestPlatform::desktopUrlForWebAddresses_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("expected");

    QTest::newRow("https") << "https://www.example.org/quiz?thema=euro#start"
                           << QUrl("https://www.example.org/quiz?thema=euro#start");
    QTest::newRow("missing file address with anchor")
        << "file:///nirgends/hilfe/index.html#kapitel" << QUrl("file:///nirgends/hilfe/index.html#kapitel");
    QTest::newRow("empty") << QString() << QUrl();
}

void TestPlatform::desktopUrlForWebAddresses()
{
    QFETCH(QString, target);
    QFETCH(QUrl, expected);
    QCOMPARE(desktopUrl(target), expected);
}

void TestPlatform::desktopUrlForFiles_data()
{
    // A file below a fresh folder, named by a plain path or by a "file://" address built from it.
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("relativePath");

    for (const char* prefix : {"", "file://", "FILE://"}) {
        QTest::addRow("%splain", prefix) << prefix << "hilfe/index.html";
        QTest::addRow("%shash in folder", prefix) << prefix << "C#-Kurs/hilfe/index.html";
        QTest::addRow("%spercent and space in folder", prefix) << prefix << "100% mein ordner/index.html";
    }
}

void TestPlatform::desktopUrlForFiles()
{
    QFETCH(QString, prefix);
    QFETCH(QString, relativePath);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(relativePath);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    const QUrl url = desktopUrl(prefix + path);
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), path);
    QVERIFY(!url.hasFragment());
}

void TestPlatform::systemShellHandsUrlToDesktop()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "handle");
    QDesktopServices::setUrlHandler("https", &catcher, "handle");
    const auto removeHandlers = qScopeGuard([] {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
    });

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("C#-Kurs/hilfe"));
    const QString help = dir.filePath("C#-Kurs/hilfe/index.html");
    QFile file(help);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QVERIFY(desktopShell().open("file://" + help));
    QVERIFY(desktopShell().open("https://www.example.org/"));
    QVERIFY(!desktopShell().open(QString()));

    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls.at(0).toLocalFile(), help);
    QCOMPARE(catcher.urls.at(1), QUrl("https://www.example.org/"));
}

QTEST_MAIN(TestPlatform)
#include "tst_platform.moc"
