#include "platform/mailclient.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// The exit codes xdg-utils documents for its tools.
struct ExitCodeMeaning
{
    int code;
    MailStatus status;
};
constexpr ExitCodeMeaning xdgExitCodes[] = {
    {0, MailStatus::HandedOver}, // the mail program has the message
    {1, MailStatus::WrongArguments}, // error in the command line
    {2, MailStatus::FileMissing}, // one of the files passed does not exist
    {3, MailStatus::ToolMissing}, // a tool it needs was not found
    {4, MailStatus::Failed}, // the action failed
    {5, MailStatus::FileUnreadable}, // no permission to read one of the files passed
};

MailStatus statusForExitCode(int code)
{
    for (const ExitCodeMeaning& meaning : xdgExitCodes) {
        if (meaning.code == code)
            return meaning.status;
    }
    return MailStatus::Failed;
}

// Debian's xdg-email opens a web browser when no mail program is set for mailto links, drops
// the attachment there and still reports success. So a mailto handler must exist before
// xdg-email is asked at all; without xdg-mime, or when it fails or stays silent, there is none.
bool hasMailProgram()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(
        xdgMime, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(XdgMailClient::queryTimeoutMs)) {
        // Our own question, so it may be ended; waiting once more reaps it.
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0
        && !query.readAllStandardOutput().trimmed().isEmpty();
}

MailClient* installedClient = nullptr;

// A path that xdg-email hands on to every mail program as it is.
bool isSafeForMailPrograms(const QString& path)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9/._-]+$"));
    return safe.match(path).hasMatch();
}

} // namespace

QString safeAttachmentName(const QString& fileName)
{
    static const struct
    {
        char16_t letter;
        const char* written;
    } umlauts[] = {{u'ä', "ae"}, {u'ö', "oe"}, {u'ü', "ue"}, {u'Ä', "Ae"}, {u'Ö', "Oe"}, {u'Ü', "Ue"}, {u'ß', "ss"}};
    QString base = QFileInfo(fileName).completeBaseName();
    for (const auto& umlaut : umlauts)
        base.replace(QChar(umlaut.letter), QLatin1String(umlaut.written));
    // Accents go, the letters stay: "é" is written "e".
    base = base.normalized(QString::NormalizationForm_KD);
    QString name;
    for (const QChar c : base) {
        if (c.isMark())
            continue;
        const bool safe = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
        if (safe)
            name += c;
        else if (!name.endsWith(u'_'))
            name += u'_';
    }
    while (name.startsWith(u'_') || name.startsWith(u'-'))
        name.remove(0, 1);
    while (name.endsWith(u'_'))
        name.chop(1);
    name.truncate(60);
    if (name.isEmpty())
        name = QStringLiteral("Thema");
    return name + QStringLiteral(".zep");
}

QString defaultMailCopyRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/E-Mail");
}

QString copyAttachmentForMail(const QString& path, const QString& copyRoot)
{
    QString root = QDir::cleanPath(QFileInfo(copyRoot).absoluteFilePath());
    if (!isSafeForMailPrograms(root) || !QDir().mkpath(root))
        root = QDir::tempPath();
    // A new folder for every message, made by mkdtemp: readable by the user alone, and no
    // other message's copy of the same name is touched.
    QTemporaryDir folder(root + QStringLiteral("/XXXXXX"));
    if (!folder.isValid() || !isSafeForMailPrograms(folder.path()))
        return {};
    const QString copy = folder.filePath(safeAttachmentName(path));
    if (!QFile::copy(path, copy))
        return {};
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    folder.setAutoRemove(false);
    return copy;
}

void removeOldMailCopies(const QString& copyRoot, const QDateTime& now, int maxAgeDays)
{
    const QDateTime limit = now.addDays(-maxAgeDays);
    QDirIterator folders(copyRoot, QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
    while (folders.hasNext()) {
        const QFileInfo folder = folders.nextFileInfo();
        if (folder.lastModified() < limit)
            QDir(folder.absoluteFilePath()).removeRecursively();
    }
}

QString mailStatusMessage(MailStatus status, const QString& attachmentPath)
{
    const QString path = QDir::toNativeSeparators(attachmentPath);
    const QString notCreated = QStringLiteral("Die E-Mail konnte nicht erstellt werden: ");
    const QString byHand = QStringLiteral("Sie können die Themendatei auch selbst in Ihrem E-Mail-Programm an eine "
                                          "neue Nachricht anhängen. Sie liegt hier:\r\n")
        + path;
    switch (status) {
    case MailStatus::HandedOver:
        return {};
    case MailStatus::NoMailProgram:
        return QStringLiteral("Auf diesem Computer ist kein E-Mail-Programm eingerichtet.\r\n\r\n") + byHand;
    case MailStatus::WrongArguments:
        return notCreated
            + QStringLiteral("Fehler in der Befehlszeile.\r\nBitte prüfen Sie die Angaben, vor allem die "
                             "Empfängeradresse.\r\n\r\n")
            + byHand;
    case MailStatus::FileMissing:
        return notCreated
            + QStringLiteral("Eine der angegebenen Dateien existiert nicht.\r\n\r\nDie Themendatei wurde nicht "
                             "gefunden:\r\n")
            + path;
    case MailStatus::FileUnreadable:
        return notCreated
            + QStringLiteral("Die Themendatei darf nicht gelesen werden.\r\n\r\nBitte prüfen Sie die Zugriffsrechte "
                             "der Datei:\r\n")
            + path;
    case MailStatus::ToolMissing:
        return notCreated + QStringLiteral("Ein benötigtes Programm wurde nicht gefunden.\r\n\r\n") + byHand;
    case MailStatus::Failed:
        return notCreated + QStringLiteral("Die Aktion ist fehlgeschlagen.\r\n\r\n") + byHand;
    }
    return {};
}

bool looksLikeMailAddress(const QString& text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at <= 0 || at == text.size() - 1 || text.indexOf(u'@', at + 1) >= 0)
        return false;
    // A leading '-' would be read as an option; a scheme or a query would make the text a
    // mail link of its own, which may name files to attach; separators would make it a list.
    if (text.startsWith(u'-'))
        return false;
    // An apostrophe is allowed in an address but ends the quoted field that Thunderbird receives
    // from xdg-email.
    static const QString notInAddress = QStringLiteral(":?,;<>()[]\"\\'");
    for (const QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control || notInAddress.contains(c))
            return false;
    }
    return true;
}

XdgMailClient::XdgMailClient(int handOverWaitMs, const QString& copyRoot)
    : m_handOverWaitMs(handOverWaitMs)
    , m_copyRoot(copyRoot)
{ }

QStringList XdgMailClient::arguments(const MailRequest& request)
{
    QStringList result {QStringLiteral("--utf8")};
    if (!request.subject.isEmpty())
        result << QStringLiteral("--subject") << request.subject;
    if (!request.body.isEmpty())
        result << QStringLiteral("--body") << request.body;
    if (!request.attachmentPath.isEmpty())
        result << QStringLiteral("--attach") << request.attachmentPath;
    if (!request.recipient.isEmpty())
        result << request.recipient;
    return result;
}

MailResult XdgMailClient::send(const MailRequest& request)
{
    MailRequest absolute = request;
    if (!absolute.attachmentPath.isEmpty())
        absolute.attachmentPath = QFileInfo(request.attachmentPath).absoluteFilePath();
    const auto result = [&absolute](MailStatus status) {
        return MailResult {status, mailStatusMessage(status, absolute.attachmentPath)};
    };

    if (!absolute.recipient.isEmpty() && !looksLikeMailAddress(absolute.recipient))
        return result(MailStatus::WrongArguments);
    if (!hasMailProgram())
        return result(MailStatus::NoMailProgram);
    const QString xdgEmail = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (xdgEmail.isEmpty())
        return result(MailStatus::ToolMissing);
    MailRequest handed = absolute;
    if (!absolute.attachmentPath.isEmpty()) {
        const QFileInfo file(absolute.attachmentPath);
        if (!file.isFile())
            return result(MailStatus::FileMissing);
        if (!file.isReadable())
            return result(MailStatus::FileUnreadable);
        handed.attachmentPath
            = copyAttachmentForMail(absolute.attachmentPath, m_copyRoot.isEmpty() ? defaultMailCopyRoot() : m_copyRoot);
        if (handed.attachmentPath.isEmpty())
            return result(MailStatus::Failed);
    }

    // A mail program that was not running yet may keep xdg-email waiting until its window
    // closes. After the wait such a process counts as handed over and is left running: it is
    // the teacher's message. The QProcess is therefore never destroyed while the process runs,
    // since its destructor would kill it. It deletes itself once the process has ended, which
    // also reaps the process, so no zombie stays behind; should the program end first, the
    // object is simply never destroyed and the mail program goes on. startDetached would
    // leave it running as well but loses the exit code that tells the failures apart.
    // The process writes to the program's own output: a pipe would be closed when the program
    // ends and could take the mail program with it.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->start(xdgEmail, arguments(handed));
    // A copy no mail program took goes at once; one handed over stays for the mail program.
    const auto dropCopy = [&handed] {
        if (!handed.attachmentPath.isEmpty())
            QDir(QFileInfo(handed.attachmentPath).absolutePath()).removeRecursively();
    };
    if (!process->waitForStarted()) {
        delete process;
        dropCopy();
        return result(MailStatus::ToolMissing);
    }
    if (!process->waitForFinished(m_handOverWaitMs) && process->state() != QProcess::NotRunning) {
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return result(MailStatus::HandedOver);
    }
    const MailStatus status
        = process->exitStatus() == QProcess::NormalExit ? statusForExitCode(process->exitCode()) : MailStatus::Failed;
    delete process;
    if (status != MailStatus::HandedOver)
        dropCopy();
    return result(status);
}

MailClient& mailClient()
{
    static XdgMailClient desktopClient;
    return installedClient ? *installedClient : desktopClient;
}

void setMailClient(MailClient* client)
{
    installedClient = client;
}
