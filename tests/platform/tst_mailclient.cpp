// The desktop's mail program through xdg-utils. Stand-ins for xdg-mime and xdg-email, alone on
// PATH, record their arguments and answer as the test needs.

#include "platform/mailclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(MailStatus)
Q_DECLARE_METATYPE(MailRequest)

namespace {

const QString mailtoHandler = QStringLiteral("echo thunderbird.desktop\n");

// The processes the system still counts as children of this test, zombies included.
QList<int> childProcesses()
{
    QList<int> result;
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks and parentheses.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self)
            result << entry.toInt();
    }
    return result;
}

} // namespace

class TestMailClient : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void argumentsReachXdgEmail_data();
    void argumentsReachXdgEmail();
    void outcomes_data();
    void outcomes();
    void slowMailProgramIsHandedOverAndLeftRunning();
    void addresses_data();
    void addresses();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void writeScript(const QString& name, const QString& body);
    bool ran(const QString& name) const { return QFile::exists(path(name + QStringLiteral(".args"))); }
    // What a stand-in was called with.
    QStringList recordedArguments(const QString& name) const;
    MailRequest sampleRequest() const;

    QByteArray m_path;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMailClient::initTestCase()
{
    m_path = qgetenv("PATH");
}

void TestMailClient::init()
{
    // A QProcess destroyed while its process runs kills the process, and warns.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QProcess")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("Meine Themen")));
    QFile topic(path(QStringLiteral("Meine Themen/Flüsse Europas.zep")));
    QVERIFY(topic.open(QIODevice::WriteOnly));
    qputenv("PATH", QFile::encodeName(m_dir->path()));
}

void TestMailClient::cleanupTestCase()
{
    qputenv("PATH", m_path);
}

void TestMailClient::writeScript(const QString& name, const QString& body)
{
    QFile script(path(name));
    QVERIFY(script.open(QIODevice::WriteOnly));
    const QString record = QStringLiteral("printf '%s\\0' \"$@\" > '%1.args'\n").arg(path(name));
    script.write(QStringLiteral("#!/bin/sh\nPATH=/usr/bin:/bin\n%1%2").arg(record, body).toUtf8());
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
}

QStringList TestMailClient::recordedArguments(const QString& name) const
{
    QFile file(path(name + QStringLiteral(".args")));
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("(not run)")};
    QStringList arguments = QString::fromUtf8(file.readAll()).split(QChar(0));
    arguments.removeLast(); // behind the last terminator
    return arguments;
}

MailRequest TestMailClient::sampleRequest() const
{
    return {QStringLiteral("kollegin@schule.de"), QStringLiteral("Flüsse Europas"), QStringLiteral("Hallo"),
        path(QStringLiteral("Meine Themen/Flüsse Europas.zep"))};
}

void TestMailClient::argumentsReachXdgEmail_data()
{
    QTest::addColumn<MailRequest>("request"); // the attachment is named below the test's folder
    QTest::addColumn<QStringList>("expected"); // "FILE" for the attachment's path

    QTest::newRow("everything") << MailRequest {"kollegin@schule.de", "Flüsse: \"Quiz\" -x",
        "Hallo Anna,\nhier das Quiz – mit Lösungen.", "Meine Themen/Flüsse Europas.zep"}
                                << QStringList {"--utf8", "--subject", "Flüsse: \"Quiz\" -x", "--body",
                                       "Hallo Anna,\nhier das Quiz – mit Lösungen.", "--attach", "FILE",
                                       "kollegin@schule.de"};
    QTest::newRow("only the attachment") << MailRequest {"", "", "", "Meine Themen/Flüsse Europas.zep"}
                                         << QStringList {"--utf8", "--attach", "FILE"};
}

void TestMailClient::argumentsReachXdgEmail()
{
    QFETCH(MailRequest, request);
    QFETCH(QStringList, expected);

    writeScript(QStringLiteral("xdg-mime"), mailtoHandler);
    writeScript(QStringLiteral("xdg-email"), QStringLiteral("exit 0\n"));
    request.attachmentPath = path(request.attachmentPath);
    const MailResult result = XdgMailClient().send(request);

    QCOMPARE(result.status, MailStatus::HandedOver);
    QVERIFY(result.message.isEmpty());
    QCOMPARE(
        recordedArguments(QStringLiteral("xdg-mime")), QStringList({"query", "default", "x-scheme-handler/mailto"}));
    expected.replace(expected.indexOf(QStringLiteral("FILE")), request.attachmentPath);
    QCOMPARE(recordedArguments(QStringLiteral("xdg-email")), expected);
}

void TestMailClient::outcomes_data()
{
    QTest::addColumn<QString>("xdgMime"); // the stand-ins' scripts; null for none on PATH
    QTest::addColumn<QString>("xdgEmail");
    QTest::addColumn<MailStatus>("status");
    QTest::addColumn<QString>("reason"); // how the message starts

    const QString noProgram = QStringLiteral("Auf diesem Computer ist kein E-Mail-Programm eingerichtet.");
    const QString exit0 = QStringLiteral("exit 0\n");
    QTest::newRow("no handler") << exit0 << exit0 << MailStatus::NoMailProgram << noProgram;
    QTest::newRow("blank handler") << "echo\n" << exit0 << MailStatus::NoMailProgram << noProgram;
    QTest::newRow("query fails") << "echo thunderbird.desktop\nexit 4\n"
                                 << exit0 << MailStatus::NoMailProgram << noProgram;
    QTest::newRow("no xdg-mime") << QString() << exit0 << MailStatus::NoMailProgram << noProgram;
    QTest::newRow("no xdg-email")
        << mailtoHandler << QString() << MailStatus::ToolMissing
        << "Die E-Mail konnte nicht erstellt werden: Ein benötigtes Programm wurde nicht gefunden.";
    const std::tuple<const char*, const char*, MailStatus, const char*> exits[]
        = {{"exit 1", "exit 1\n", MailStatus::WrongArguments, "Fehler in der Befehlszeile."},
            {"exit 2", "exit 2\n", MailStatus::FileMissing, "Eine der angegebenen Dateien existiert nicht."},
            {"exit 3", "exit 3\n", MailStatus::ToolMissing, "Ein benötigtes Programm wurde nicht gefunden."},
            {"exit 4", "exit 4\n", MailStatus::Failed, "Die Aktion ist fehlgeschlagen."},
            {"exit 5", "exit 5\n", MailStatus::FileUnreadable, "Die Themendatei darf nicht gelesen werden."},
            {"unknown exit code", "exit 9\n", MailStatus::Failed, "Die Aktion ist fehlgeschlagen."},
            {"killed", "kill -9 $$\n", MailStatus::Failed, "Die Aktion ist fehlgeschlagen."}};
    for (const auto& [name, script, status, reason] : exits) {
        QTest::newRow(name) << mailtoHandler << QString::fromUtf8(script) << status
                            << QStringLiteral("Die E-Mail konnte nicht erstellt werden: ") + QString::fromUtf8(reason);
    }
}

void TestMailClient::outcomes()
{
    QFETCH(QString, xdgMime);
    QFETCH(QString, xdgEmail);
    QFETCH(MailStatus, status);
    QFETCH(QString, reason);

    if (!xdgMime.isNull())
        writeScript(QStringLiteral("xdg-mime"), xdgMime);
    if (!xdgEmail.isNull())
        writeScript(QStringLiteral("xdg-email"), xdgEmail);
    const MailRequest request = sampleRequest();
    const MailResult result = XdgMailClient().send(request);

    QCOMPARE(result.status, status);
    QVERIFY2(result.message.startsWith(reason), qPrintable(result.message));
    // Whatever went wrong, the teacher learns where the file is to attach it by hand.
    QVERIFY(result.message.contains(request.attachmentPath));
    // Without a mail program xdg-email would open a browser and lose the attachment.
    if (status == MailStatus::NoMailProgram)
        QVERIFY(!ran(QStringLiteral("xdg-email")));
}

void TestMailClient::slowMailProgramIsHandedOverAndLeftRunning()
{
    // A mail program that keeps xdg-email waiting until its window closes.
    const QString closed = path(QStringLiteral("geschlossen"));
    writeScript(QStringLiteral("xdg-mime"), mailtoHandler);
    writeScript(QStringLiteral("xdg-email"), QStringLiteral("sleep 2\necho > '%1'\n").arg(closed));
    constexpr int waitMs = 500;
    QElapsedTimer clock;
    clock.start();
    const MailResult result = XdgMailClient(waitMs).send(sampleRequest());

    QCOMPARE(result.status, MailStatus::HandedOver);
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!QFile::exists(closed));
    // It runs on to its end, and nothing of it is left behind, not even a zombie.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(closed), 10000);
    QTRY_COMPARE(childProcesses(), QList<int>());
}

void TestMailClient::addresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("valid");

    QTest::newRow("plain") << "kollegin@schule.de" << true;
    QTest::newRow("dots and plus") << "anna.berg+quiz@gymnasium.example.org" << true;
    QTest::newRow("no at") << "kollegin" << false;
    QTest::newRow("nothing after the at") << "kollegin@" << false;
    QTest::newRow("two ats") << "a@b@schule.de" << false;
    QTest::newRow("blank") << "anna berg@schule.de" << false;
    QTest::newRow("option") << "--attach@schule.de" << false;
    QTest::newRow("mail link") << "mailto:anna@schule.de" << false;
    QTest::newRow("query naming a file") << "anna@schule.de?attach=/etc/passwd" << false;
    QTest::newRow("list") << "anna@schule.de,berta@schule.de" << false;
}

void TestMailClient::addresses()
{
    QFETCH(QString, address);
    QFETCH(bool, valid);

    QCOMPARE(looksLikeMailAddress(address), valid);
    // The client refuses what the dialog would have refused, before starting anything.
    writeScript(QStringLiteral("xdg-mime"), mailtoHandler);
    writeScript(QStringLiteral("xdg-email"), QStringLiteral("exit 0\n"));
    MailRequest request = sampleRequest();
    request.recipient = address;
    const MailResult result = XdgMailClient().send(request);
    QCOMPARE(result.status, valid ? MailStatus::HandedOver : MailStatus::WrongArguments);
    QCOMPARE(ran(QStringLiteral("xdg-email")), valid);
}

QTEST_GUILESS_MAIN(TestMailClient)
#include "tst_mailclient.moc"
