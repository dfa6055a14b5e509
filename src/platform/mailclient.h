#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// What the teacher wants sent: the mail program opens a new message with these fields filled
// in and the file attached, and the teacher sends it from there.
struct MailRequest
{
    QString recipient; // one address, or empty: the mail program asks for it
    QString subject;
    QString body;
    QString attachmentPath; // the file on disk that goes with the message

    bool operator==(const MailRequest&) const = default;
};

enum class MailStatus {
    HandedOver, // the mail program has the message; sending is up to the teacher
    NoMailProgram, // no mail program is set up: nothing was started
    WrongArguments,
    FileMissing,
    FileUnreadable,
    ToolMissing,
    Failed,
};

struct MailResult
{
    MailStatus status = MailStatus::Failed;
    // The German message for the teacher; empty when handed over. Every other message names
    // the attachment's path, so that it can be attached by hand.
    QString message;

    bool handedOver() const { return status == MailStatus::HandedOver; }
};

// The German message for status about a message with attachmentPath; empty for HandedOver.
QString mailStatusMessage(MailStatus status, const QString& attachmentPath);

// True when text can be handed to the mail program as a single address: a local part and a
// domain around one '@', no blanks, and nothing the mail link would read as more than an
// address (a leading '-', a scheme, a query, a list).
bool looksLikeMailAddress(const QString& text);

// Thunderbird receives a message from xdg-email as one string of fields, which it splits at
// commas and quotes that nobody escaped: a path or an address with a comma or an apostrophe
// comes apart there. The attachment is therefore handed over as a copy whose path holds nothing
// but letters, digits, "-", "_", "." and "/", in a private folder of its own, which stays: the
// mail program may read the file only when the mail is sent.

// The file name of the copy for fileName: its base with umlauts written out and every other
// character outside letters, digits, "-" and "_" replaced by "_", ending in ".zep".
QString safeAttachmentName(const QString& fileName);

// The folder the copies go to: the program's cache folder.
QString defaultMailCopyRoot();

// Copies path into a new folder under copyRoot (or, should copyRoot's own path hold other
// characters, under the temporary folder) that only the user may read. The copy's path, or
// empty when the copy could not be made.
QString copyAttachmentForMail(const QString& path, const QString& copyRoot);

// Removes the copies made under copyRoot more than maxAgeDays before now.
void removeOldMailCopies(const QString& copyRoot, const QDateTime& now, int maxAgeDays = 7);

// Opens a new message in the user's mail program. On Windows this is MAPISendMail with the
// dialog flag; on Linux the desktop's default mail program through xdg-email. Either way the
// user sends the message from the mail program; nothing leaves the computer without them.
class MailClient
{
public:
    virtual ~MailClient() = default;

    // Blocks for at most a few seconds. A result other than HandedOver means no message is
    // open in a mail program.
    virtual MailResult send(const MailRequest& request) = 0;
};

// The desktop's mail program through xdg-utils: asks xdg-mime for the mailto handler and
// hands the message to xdg-email, both found on PATH.
class XdgMailClient final : public MailClient
{
public:
    // How long xdg-email may take before a still running one counts as handed over: some
    // mail programs keep it waiting until their window closes.
    static constexpr int defaultHandOverWaitMs = 3000;
    // How long the question for the mailto handler may take.
    static constexpr int queryTimeoutMs = 3000;

    // copyRoot: where the attachment's copies go; empty for defaultMailCopyRoot().
    explicit XdgMailClient(int handOverWaitMs = defaultHandOverWaitMs, const QString& copyRoot = {});

    MailResult send(const MailRequest& request) override;

    // The arguments of xdg-email for request, empty options left out.
    static QStringList arguments(const MailRequest& request);

private:
    int m_handOverWaitMs;
    QString m_copyRoot;
};

// The client in use: the desktop's own unless a test installed another with setMailClient().
MailClient& mailClient();

// Installs client for the whole program, or the desktop's own again with nullptr. The caller
// keeps ownership and must restore the default before client goes away.
void setMailClient(MailClient* client);
