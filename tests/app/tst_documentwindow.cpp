// The open topic in the main window: opening from the command line, the caption and title
// label, the messages and states after bad files, the document type and unsaved changes.

#include "app/mainwindow.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

StartOptions startWith(const QString& argument = {})
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = argument;
    return options;
}

// A single-questions topic of the given size; for the other kinds, items labels or gaps beside
// a fixed text, with the question count of the file left at 0 as the program writes it.
TopicDocument sampleTopic(const QString& titel, int questions, DocType kind = DocType::SingleQuestions, int items = 1)
{
    TopicDocument doc;
    doc.titel = titel;
    doc.AnzFrageNummern = kind == DocType::SingleQuestions ? questions : 0;
    doc.DokTyp = kind;
    if (kind == DocType::SingleQuestions) {
        doc.fragentext = QStringLiteral("Frage // Antwort");
        DocObject answer;
        answer.Typ = ObjectKind::Answer;
        answer.Cap = QStringLiteral("Antwort");
        answer.FrageNummer = 1;
        doc.objects.append(answer);
    } else {
        DocObject fixed;
        fixed.Typ = ObjectKind::FixedText;
        fixed.Cap = QStringLiteral("Überschrift");
        doc.objects.append(fixed);
        for (int i = 0; i < items; ++i) {
            DocObject item;
            item.Typ = kind == DocType::ClozeText ? ObjectKind::ClozeGap : ObjectKind::Label;
            item.Cap = QStringLiteral("Text %1").arg(i);
            doc.objects.append(item);
        }
    }
    doc.picture = QImage(20, 10, QImage::Format_ARGB32);
    doc.picture.fill(Qt::blue);
    return doc;
}

void writeTopic(const QString& path, const TopicDocument& doc)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
}

} // namespace

Q_DECLARE_METATYPE(DocType)

class TestDocumentWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void commandLineDocumentOpensAndAdoptsFolder();
    void commandLineFolderIsListed();
    void titleLabel_data();
    void titleLabel();
    void missingFileKeepsOpenDocument();
    void badFiles_data();
    void badFiles();
    void writeDocumentRoundTrip();
    void writeToUnwritablePlace();
    void docTypeMessages_data();
    void docTypeMessages();
    void unsavedChanges_data();
    void unsavedChanges();

private:
    QTemporaryDir m_dir;
};

void TestDocumentWindow::init()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    QVERIFY(setUpProgramFolder(m_dir.filePath("programm"), QSize(300, 200)));
}

void TestDocumentWindow::commandLineDocumentOpensAndAdoptsFolder()
{
    QDir(m_dir.path()).mkpath("themen");
    const QString path = m_dir.filePath("themen/flaggen.zep");
    writeTopic(path, sampleTopic("Flaggen der Eurozone", 21));

    FakeMessageService messages;
    TForm1 window(startWith(path));
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrova Tallowmere - Flaggen der Eurozone"));
    QCOMPARE(window.document().filePath, path);
    QCOMPARE(window.document().objects.size(), 1);
    QCOMPARE(folders().baseTopicFolder, m_dir.filePath("themen/"));
    QCOMPARE(folders().topicFolder, m_dir.filePath("themen/"));
    QCOMPARE(folders().startDocumentPath, path);
    QVERIFY(window.menuItem("DokTypEinzelfragen1")->isChecked());
}

void TestDocumentWindow::commandLineFolderIsListed()
{
    QDir(m_dir.path()).mkpath("ordner");
    FakeMessageService messages;
    TForm1 window(startWith(m_dir.filePath("ordner")));
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(folders().topicFolder, m_dir.filePath("ordner/"));
    QVERIFY(folders().startDocumentPath.isEmpty());
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrova Tallowmere"));
    QVERIFY(window.document().filePath.isEmpty());
}

void TestDocumentWindow::titleLabel_data()
{
    QTest::addColumn<QString>("titel");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("topicIndex");
    QTest::addColumn<QString>("label");
    QTest::addColumn<DocType>("kind");
    QTest::addColumn<int>("items");

    QTest::newRow("not in the list") << "Euromünzen" << 12 << -1 << " Euromünzen (12 Fragen)"
                                     << DocType::SingleQuestions << 1;
    QTest::newRow("listed") << "Euromünzen" << 12 << 3 << "Euromünzen (12 Fragen)" << DocType::SingleQuestions << 1;
    QTest::newRow("no title") << "" << 0 << 0 << "(ohne Titel) (0 Fragen)" << DocType::SingleQuestions << 1;
    // Labels and gaps are the questions of their kinds.
    QTest::newRow("labels") << "Aufbau einer 2-Euro-Münze" << 0 << 0 << "Aufbau einer 2-Euro-Münze (10 Fragen)"
                            << DocType::ImageLabelling << 10;
    QTest::newRow("cloze gaps") << "Geschichte des Euro" << 0 << 0 << "Geschichte des Euro (4 Fragen)"
                                << DocType::ClozeText << 4;
}

void TestDocumentWindow::titleLabel()
{
    QFETCH(QString, titel);
    QFETCH(int, questions);
    QFETCH(int, topicIndex);
    QFETCH(QString, label);
    QFETCH(DocType, kind);
    QFETCH(int, items);

    const QString path = m_dir.filePath("thema.zep");
    writeTopic(path, sampleTopic(titel, questions, kind, items));
    TForm1 window(startWith());
    QVERIFY(window.readDocument(path, false));
    window.document().topicIndex = topicIndex;
    window.showTitle();
    QCOMPARE(window.findChild<QLabel*>("DokTitelLab")->text(), label);
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrova Tallowmere - ") + titel);
}

void TestDocumentWindow::missingFileKeepsOpenDocument()
{
    const QString path = m_dir.filePath("thema.zep");
    writeTopic(path, sampleTopic("Vorhanden", 1));
    FakeMessageService messages;
    TForm1 window(startWith());
    QVERIFY(window.readDocument(path, false));

    const QString missing = m_dir.filePath("fehlt.zep");
    QVERIFY(!window.readDocument(missing, false));
    QCOMPARE(messages.texts(), QStringList {QStringLiteral("Die Datei \"%1\" existiert nicht.").arg(missing)});
    QCOMPARE(window.document().titel, QStringLiteral("Vorhanden"));
    QCOMPARE(window.document().filePath, path);
}

void TestDocumentWindow::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("badMagic");

    QByteArray good;
    {
        QBuffer buffer(&good);
        buffer.open(QIODevice::WriteOnly);
        writeTopicFile(buffer, sampleTopic("Gut", 1));
    }
    QByteArray foreign = good;
    foreign.replace(4, 4, "ZEP-");
    QTest::newRow("foreign magic") << foreign << true;
    QTest::newRow("truncated picture") << good.left(good.size() - 10) << false;
    QTest::newRow("truncated header") << good.left(40) << false;
    QTest::newRow("empty file") << QByteArray() << false;
}

void TestDocumentWindow::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, badMagic);

    const QString goodPath = m_dir.filePath("gut.zep");
    writeTopic(goodPath, sampleTopic("Gut", 1));
    const QString badPath = m_dir.filePath("kaputt.zep");
    QFile bad(badPath);
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(bytes);
    bad.close();

    FakeMessageService messages;
    TForm1 window(startWith());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(window.readDocument(goodPath, true));
    messages.shown.clear();

    QVERIFY(!window.readDocument(badPath, true));
    const QString unreadable = QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden. Mögliche Ursachen:\r\n"
                                              "- Datei existiert nicht\r\n- Ungültiges Dateiformat\r\n"
                                              "- fehlende Lesezugriffsberechtigung im Netzwerk")
                                   .arg(badPath);
    const QStringList expected
        = badMagic ? QStringList {"Ungültiges Dateiformat.", unreadable} : QStringList {unreadable};
    QCOMPARE(messages.texts(), expected);
    for (const auto& shown : messages.shown)
        QCOMPARE(shown.kind, MessageKind::Error);

    // The start document is open, the program usable.
    QVERIFY(window.document().filePath.isEmpty());
    QVERIFY(window.document().objects.isEmpty());
    QVERIFY(window.document().titel.isEmpty());
    QCOMPARE(window.document().previousPath, goodPath);
    QCOMPARE(window.windowTitle(), QStringLiteral("Kestrova Tallowmere"));
    QVERIFY(window.findChild<QWidget*>("StartInfoPan")->isVisible());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(window.readDocument(goodPath, true));
}

void TestDocumentWindow::writeDocumentRoundTrip()
{
    const QString path = m_dir.filePath("quelle.zep");
    writeTopic(path, sampleTopic("Quelle", 5));
    TForm1 window(startWith());
    QVERIFY(window.readDocument(path, false));
    const QString copy = m_dir.filePath("kopie.zep");
    QVERIFY(window.writeDocument(copy, true));
    QCOMPARE(window.document().filePath, copy);
    QFile a(path), b(copy);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void TestDocumentWindow::writeToUnwritablePlace()
{
    FakeMessageService messages;
    TForm1 window(startWith());
    const QString path = m_dir.filePath("gibt-es-nicht/x.zep");
    QVERIFY(!window.writeDocument(path, true));
    QCOMPARE(messages.texts(),
        QStringList {QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden. Mögliche Ursachen:\r\n"
                                    "- Ungültiger Ordner oder Dateiname\r\n"
                                    "- fehlende Schreibzugriffsberechtigung im Netzwerk")
                         .arg(path)});
    QVERIFY(window.document().filePath.isEmpty());
}

void TestDocumentWindow::docTypeMessages_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("withText");
    QTest::addColumn<QString>("message");

    QTest::newRow("cloze without text") << 1 << false
                                        << "Es wurde noch kein Lückentext definiert. Um einen Lückentext zu erstellen, "
                                           "wählen Sie den Menüpunkt \"Autorenfunktion | Lückentext bearbeiten\".";
    QTest::newRow("questions without text") << 2 << false
                                            << "Es wurden noch keine Einzelfragen definiert. Um Einzelfragen zu "
                                               "erstellen, wählen Sie den Menüpunkt \"Autorenfunktion | Einzelfragen "
                                               "bearbeiten\".";
    QTest::newRow("cloze with text") << 1 << true << "";
    QTest::newRow("labelling") << 0 << false << "";
}

void TestDocumentWindow::docTypeMessages()
{
    QFETCH(int, type);
    QFETCH(bool, withText);
    QFETCH(QString, message);

    FakeMessageService messages;
    TForm1 window(startWith());
    window.document().DokTyp = type == 0 ? DocType::SingleQuestions : DocType::ImageLabelling;
    if (withText) {
        window.document().lueckentext = "Text";
        window.document().fragentext = "F // A";
    }
    window.setDocType(DocType(type));
    QCOMPARE(window.document().DokTyp, DocType(type));
    QVERIFY(window.document().modified);
    QCOMPARE(messages.texts(), message.isEmpty() ? QStringList {} : QStringList {message});

    // Setting the same type again changes nothing and says nothing.
    window.document().modified = false;
    window.setDocType(DocType(type));
    QVERIFY(!window.document().modified);
    QCOMPARE(messages.shown.size(), message.isEmpty() ? 0 : 1);
}

void TestDocumentWindow::unsavedChanges_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("mayGoOn");

    QTest::newRow("nothing changed") << false << "/a.zep" << MessageButton::Cancel << "" << true;
    QTest::newRow("yes saves") << true << "/a.zep" << MessageButton::Yes << "Änderungen unter \"/a.zep\" speichern?"
                               << true;
    QTest::newRow("no") << true << "/a.zep" << MessageButton::No << "Änderungen unter \"/a.zep\" speichern?" << true;
    QTest::newRow("cancel") << true << "/a.zep" << MessageButton::Cancel << "Änderungen unter \"/a.zep\" speichern?"
                            << false;
    QTest::newRow("no file yet") << true << "" << MessageButton::No << "Änderungen speichern?" << true;
}

void TestDocumentWindow::unsavedChanges()
{
    QFETCH(bool, modified);
    QFETCH(QString, filePath);
    QFETCH(MessageButton, answer);
    QFETCH(QString, question);
    QFETCH(bool, mayGoOn);

    FakeMessageService messages;
    messages.answers = {answer};
    TForm1 window(startWith());
    window.document().modified = modified;
    window.document().filePath = filePath;
    QCOMPARE(window.confirmLeaveDocument(), mayGoOn);
    QCOMPARE(messages.texts(), question.isEmpty() ? QStringList {} : QStringList {question});
    if (!question.isEmpty()) {
        QCOMPARE(messages.shown.first().kind, MessageKind::Confirmation);
        QCOMPARE(messages.shown.first().buttons,
            (QList<MessageButton> {MessageButton::Yes, MessageButton::No, MessageButton::Cancel}));
    }
}

QTEST_MAIN(TestDocumentWindow)
#include "tst_documentwindow.moc"
