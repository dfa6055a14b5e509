// The desktop's mail program through xdg-utils. Stand-ins for xdg-mime and xdg-email, alone on
// PATH, record their arguments and answer as the test needs; a stand-in Thunderbird behind the
// real xdg-email shows what reaches the mail program.

#include "platform/mailclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
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
    void thunderbirdGetsTheTopicWhole_data();
    void thunderbirdGetsTheTopicWhole();
    void copiesStayAWeek_data();
    void copiesStayAWeek();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void writeScript(const QString& name, const QString& body);
    bool ran(const QString& name) const { return QFile::exists(path(name + QStringLiteral(".args"))); }
    // What a stand-in was called with.
    QStringList recordedArguments(const QString& name) const;
    MailRequest sampleRequest() const;
    XdgMailClient client(int waitMs = XdgMailClient::defaultHandOverWaitMs) const
    {
        return XdgMailClient(waitMs, path(QStringLiteral("Zwischenspeicher")));
    }

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
    const MailResult result = client().send(request);

    QCOMPARE(result.status, MailStatus::HandedOver);
    QVERIFY(result.message.isEmpty());
    QCOMPARE(
        recordedArguments(QStringLiteral("xdg-mime")), QStringList({"query", "default", "x-scheme-handler/mailto"}));
    // The mail program gets a copy in a folder of its own, under a name it cannot misread.
    const QStringList handed = recordedArguments(QStringLiteral("xdg-email"));
    const qsizetype file = expected.indexOf(QStringLiteral("FILE"));
    const QString copy = handed.value(file);
    QCOMPARE(QFileInfo(copy).fileName(), QStringLiteral("Fluesse_Europas.zep"));
    QCOMPARE(QFileInfo(copy).absolutePath().section(u'/', 0, -2), path(QStringLiteral("Zwischenspeicher")));
    QVERIFY(QFile::exists(copy));
    expected.replace(file, copy);
    QCOMPARE(handed, expected);
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
    const MailResult result = client().send(request);

    QCOMPARE(result.status, status);
    QVERIFY2(result.message.startsWith(reason), qPrintable(result.message));
    // Whatever went wrong, the teacher learns where the file is to attach it by hand.
    QVERIFY(result.message.contains(request.attachmentPath));
    // Without a mail program xdg-email would open a browser and lose the attachment.
    if (status == MailStatus::NoMailProgram)
        QVERIFY(!ran(QStringLiteral("xdg-email")));
    // A copy that no mail program took is not left behind.
    QCOMPARE(
        QDir(path(QStringLiteral("Zwischenspeicher"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList());
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
    const MailResult result = client(waitMs).send(sampleRequest());

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
    QTest::newRow("apostrophe") << "o'neill@schule.de" << false;
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
    const MailResult result = client().send(request);
    QCOMPARE(result.status, valid ? MailStatus::HandedOver : MailStatus::WrongArguments);
    QCOMPARE(ran(QStringLiteral("xdg-email")), valid);
}

void TestMailClient::thunderbirdGetsTheTopicWhole_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("copyName");

    QTest::newRow("comma and apostrophe") << "Klasse 5a, Müller's Themen"
                                          << "Flaggen, Europa's.zep"
                                          << "Flaggen_Europa_s.zep";
    QTest::newRow("blanks and a star") << "Ordner  mit * Stern"
                                       << "Münzen  *.zep"
                                       << "Muenzen.zep";
    QTest::newRow("no letter left") << "Ελλάδα"
                                    << "Σημαίες.zep"
                                    << "Thema.zep";
}

// Thunderbird splits the field string xdg-email makes at commas and quotes: the attachment
// reaches it as one path of a file with the topic's content, whatever the topic's path holds.
void TestMailClient::thunderbirdGetsTheTopicWhole()
{
    QFETCH(QString, folder);
    QFETCH(QString, fileName);
    QFETCH(QString, copyName);
    const QString xdgEmail = QStandardPaths::findExecutable(QStringLiteral("xdg-email"), {QStringLiteral("/usr/bin")});
    if (xdgEmail.isEmpty())
        QSKIP("xdg-utils is not installed");

    QVERIFY(QDir(m_dir->path()).mkpath(folder));
    const QString topic = path(folder + u'/' + fileName);
    QFile file(topic);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("ZEP-Inhalt");
    file.close();
    writeScript(QStringLiteral("xdg-mime"), mailtoHandler);
    writeScript(QStringLiteral("thunderbird"), QStringLiteral("exit 0\n"));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("share/applications")));
    QFile desktop(path(QStringLiteral("share/applications/thunderbird.desktop")));
    QVERIFY(desktop.open(QIODevice::WriteOnly));
    desktop.write("[Desktop Entry]\nType=Application\nName=Thunderbird\nExec=thunderbird %u\n");
    desktop.close();

    const QList<QByteArray> desktopHints = {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
        "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID", "MAILER", "XDG_DATA_DIRS"};
    QHash<QByteArray, QByteArray> saved;
    for (const QByteArray& name : desktopHints) {
        saved.insert(name, qgetenv(name.constData()));
        qunsetenv(name.constData());
    }
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("share"))));
    qputenv("PATH", QFile::encodeName(m_dir->path()) + ":/usr/bin:/bin");
    const MailResult result
        = client().send({QStringLiteral("kollegin@schule.de"), QStringLiteral("Flaggen"), {}, topic});
    qputenv("XDG_DATA_HOME", dataHome);
    for (auto it = saved.cbegin(); it != saved.cend(); ++it) {
        if (!it.value().isEmpty())
            qputenv(it.key().constData(), it.value());
    }

    QCOMPARE(result.status, MailStatus::HandedOver);
    const QStringList arguments = recordedArguments(QStringLiteral("thunderbird"));
    QCOMPARE(arguments.size(), 2);
    QCOMPARE(arguments.first(), QStringLiteral("-compose"));
    // Thunderbird's reading: fields split at commas outside single quotes.
    QHash<QString, QString> fields;
    QString field;
    bool quoted = false;
    for (const QChar c : arguments.last() + u',') {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u',' && !quoted) {
            fields.insert(field.section(u'=', 0, 0), field.section(u'=', 1).remove(u'\''));
            field.clear();
        } else {
            field += c;
        }
    }
    QVERIFY2(!quoted, qPrintable(arguments.last()));
    // A list of addresses, each ending with a comma.
    QCOMPARE(fields.value(QStringLiteral("to")).split(u',', Qt::SkipEmptyParts), QStringList {"kollegin@schule.de"});
    const QString attached = fields.value(QStringLiteral("attachment"));
    QCOMPARE(QFileInfo(attached).fileName(), copyName);
    QFile copy(attached);
    QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable(arguments.last()));
    QCOMPARE(copy.readAll(), QByteArray("ZEP-Inhalt"));
    QCOMPARE(QFileInfo(QFileInfo(attached).absolutePath()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
        QFile::Permissions());
}

void TestMailClient::copiesStayAWeek_data()
{
    QTest::addColumn<int>("daysLater");
    QTest::addColumn<bool>("kept");
    QTest::newRow("six days later") << 6 << true;
    QTest::newRow("eight days later") << 8 << false;
}

// The mail program may read the attachment only when the mail is sent: a copy stays a week,
// and a later start removes it.
void TestMailClient::copiesStayAWeek()
{
    QFETCH(int, daysLater);
    QFETCH(bool, kept);
    const QString root = path(QStringLiteral("Zwischenspeicher"));
    const QString copy = copyAttachmentForMail(sampleRequest().attachmentPath, root);
    QVERIFY(QFile::exists(copy));
    removeOldMailCopies(root, QDateTime::currentDateTime().addDays(daysLater));
    QCOMPARE(QFile::exists(copy), kept);
    QCOMPARE(QDir(root).exists(), true);
}

QTEST_GUILESS_MAIN(TestMailClient)
#include "tst_mailclient.moc"
