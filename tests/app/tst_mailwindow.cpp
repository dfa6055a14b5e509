// Sending the open topic by e-mail with Ctrl+M: the messages instead of the dialog, the
// dialog's fields and its check of the recipient, and what reaches the mail program.

#include "app/mainwindow.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"
#include "ui/mailform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Records what the window hands to the mail program and answers with a preset status.
class RecordingMailClient final : public MailClient
{
public:
    RecordingMailClient() { setMailClient(this); }
    ~RecordingMailClient() override { setMailClient(nullptr); }
    RecordingMailClient(const RecordingMailClient&) = delete;
    RecordingMailClient& operator=(const RecordingMailClient&) = delete;

    MailResult send(const MailRequest& request) override
    {
        requests << request;
        return {status, mailStatusMessage(status, request.attachmentPath)};
    }

    MailStatus status = MailStatus::HandedOver;
    QList<MailRequest> requests;
};

// The open topic before Ctrl+M.
enum class Topic { None, NeverSaved, FileGone, Unsaved };

} // namespace

Q_DECLARE_METATYPE(Topic)
Q_DECLARE_METATYPE(MailStatus)
Q_DECLARE_METATYPE(MessageKind)
Q_DECLARE_METATYPE(MessageButton)

class TestMailWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messagesBeforeDialog_data();
    void messagesBeforeDialog();
    void sendHandsOverRequest_data();
    void sendHandsOverRequest();
    void badRecipientKeepsDialogOpen_data();
    void badRecipientKeepsDialogOpen();

private:
    // Presses Ctrl+M and runs action on the mail dialog while it shows; false when it did not.
    bool pressCtrlM(const std::function<void(TMailForm&)>& action);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessageService> m_messages;
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<RecordingMailClient> m_mail;
    std::unique_ptr<TForm1> m_window;
    QString m_topicPath;
};

void TestMailWindow::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("Meine Themen");
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_messages = std::make_unique<FakeMessageService>();
    m_dialogs = std::make_unique<FakeDialogService>();
    m_mail = std::make_unique<RecordingMailClient>();

    TopicDocument doc;
    doc.titel = QStringLiteral("Flüsse Europas");
    doc.picture = QImage(40, 20, QImage::Format_ARGB32);
    m_topicPath = m_dir->filePath("Meine Themen/Flüsse Europas.zep");
    QFile file(m_topicPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
    file.close();

    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    m_window = std::make_unique<TForm1>(options);
    m_window->createDialogs();
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_VERIFY(!m_window->firstActivationPending());
    m_messages->shown.clear();
}

void TestMailWindow::cleanup()
{
    m_window.reset();
    m_mail.reset();
    m_dialogs.reset();
    m_messages.reset();
}

bool TestMailWindow::pressCtrlM(const std::function<void(TMailForm&)>& action)
{
    TMailForm* form = m_window->mailDialog();
    bool shown = false;
    // Fires inside the dialog's own loop; destroyed unfired when no dialog came.
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, form, [&] {
        shown = QApplication::activeModalWidget() == form;
        if (shown)
            action(*form);
        if (form->isVisible())
            form->reject();
    });
    timer.start(0);
    QTest::keyClick(m_window.get(), Qt::Key_M, Qt::ControlModifier);
    return shown;
}

void TestMailWindow::messagesBeforeDialog_data()
{
    QTest::addColumn<Topic>("topic");
    QTest::addColumn<QList<MessageButton>>("answers");
    QTest::addColumn<MessageKind>("kind");
    QTest::addColumn<QString>("text"); // "FILE" for the topic's path
    QTest::addColumn<bool>("dialog");

    QTest::newRow("no topic") << Topic::None << QList<MessageButton>() << MessageKind::Information << MailTexts::noTopic
                              << false;
    QTest::newRow("never saved") << Topic::NeverSaved << QList<MessageButton>() << MessageKind::Information
                                 << MailTexts::notSaved << false;
    QTest::newRow("file gone") << Topic::FileGone << QList<MessageButton>() << MessageKind::Error
                               << MailTexts::fileGone("FILE") << false;
    QTest::newRow("unsaved, no") << Topic::Unsaved << QList<MessageButton> {MessageButton::No}
                                 << MessageKind::Confirmation << MailTexts::unsavedChanges("FILE") << false;
    QTest::newRow("unsaved, yes") << Topic::Unsaved << QList<MessageButton> {MessageButton::Yes}
                                  << MessageKind::Confirmation << MailTexts::unsavedChanges("FILE") << true;
}

void TestMailWindow::messagesBeforeDialog()
{
    QFETCH(Topic, topic);
    QFETCH(QList<MessageButton>, answers);
    QFETCH(MessageKind, kind);
    QFETCH(QString, text);
    QFETCH(bool, dialog);

    if (topic != Topic::None && topic != Topic::NeverSaved)
        QVERIFY(m_window->readDocument(m_topicPath, true));
    if (topic == Topic::NeverSaved || topic == Topic::Unsaved)
        m_window->document().modified = true;
    if (topic == Topic::FileGone)
        QVERIFY(QFile::remove(m_topicPath));
    m_messages->shown.clear();
    m_messages->answers = answers;

    QCOMPARE(pressCtrlM([](TMailForm& form) { form.reject(); }), dialog);
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown.first().kind, kind);
    QCOMPARE(m_messages->shown.first().text, text.replace("FILE", QDir::toNativeSeparators(m_topicPath)));
    QVERIFY(m_mail->requests.isEmpty());
}

void TestMailWindow::sendHandsOverRequest_data()
{
    QTest::addColumn<MailStatus>("status");
    QTest::addColumn<QList<MessageKind>>("kinds");

    QTest::newRow("handed over") << MailStatus::HandedOver << QList<MessageKind>();
    QTest::newRow("no mail program") << MailStatus::NoMailProgram << QList<MessageKind> {MessageKind::Information};
    QTest::newRow("failed") << MailStatus::Failed << QList<MessageKind> {MessageKind::Error};
}

void TestMailWindow::sendHandsOverRequest()
{
    QFETCH(MailStatus, status);
    QFETCH(QList<MessageKind>, kinds);

    QVERIFY(m_window->readDocument(m_topicPath, true));
    m_messages->shown.clear();
    m_mail->status = status;
    QString caption, subject, attachment;
    QVERIFY(pressCtrlM([&](TMailForm& form) {
        caption = form.windowTitle();
        subject = form.findChild<QLineEdit*>("BetreffEdit")->text();
        attachment = form.findChild<QLineEdit*>("AnhangLab")->text();
        QTest::keyClicks(form.findChild<QLineEdit*>("EmpfaengerEdit"), "kollegin@schule.de");
        QTest::keyClicks(form.findChild<QPlainTextEdit*>("TextMemo"), "Hier das Quiz.");
        QTest::mouseClick(form.findChild<QPushButton*>("SendenBtn"), Qt::LeftButton);
    }));

    QCOMPARE(caption, QStringLiteral("Per E-Mail versenden"));
    QCOMPARE(subject, QStringLiteral("Flüsse Europas"));
    QCOMPARE(attachment, QDir::toNativeSeparators(m_topicPath));
    const MailRequest expected {"kollegin@schule.de", "Flüsse Europas", "Hier das Quiz.", m_topicPath};
    QCOMPARE(m_mail->requests, QList<MailRequest> {expected});
    QList<MessageKind> shownKinds;
    for (const FakeMessageService::Shown& shown : m_messages->shown) {
        shownKinds << shown.kind;
        QCOMPARE(shown.text, mailStatusMessage(status, m_topicPath));
    }
    QCOMPARE(shownKinds, kinds);
}

void TestMailWindow::badRecipientKeepsDialogOpen_data()
{
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<QString>("message");
    QTest::newRow("blank") << "Anna Berg" << MailTexts::badAddress;
    // Valid, but the mail program would cut it off at the apostrophe.
    QTest::newRow("apostrophe") << "o'neill@schule.de" << MailTexts::apostropheInAddress;
}

void TestMailWindow::badRecipientKeepsDialogOpen()
{
    QFETCH(QString, recipient);
    QFETCH(QString, message);
    QVERIFY(m_window->readDocument(m_topicPath, true));
    m_messages->shown.clear();
    bool stillOpen = false;
    QVERIFY(pressCtrlM([&](TMailForm& form) {
        QTest::keyClicks(form.findChild<QLineEdit*>("EmpfaengerEdit"), recipient);
        QTest::mouseClick(form.findChild<QPushButton*>("SendenBtn"), Qt::LeftButton);
        stillOpen = form.isVisible();
        QTest::mouseClick(form.findChild<QPushButton*>("AbbrechenBtn"), Qt::LeftButton);
    }));

    QVERIFY(stillOpen);
    QCOMPARE(m_messages->texts(), QStringList {message});
    QCOMPARE(m_messages->shown.first().kind, MessageKind::Warning);
    QVERIFY(m_mail->requests.isEmpty());
}

QTEST_MAIN(TestMailWindow)
#include "tst_mailwindow.moc"
