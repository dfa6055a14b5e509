// A teacher makes a topic in the program started with "--autor": the main window on a real X
// display, driven by real clicks, drags and keys, from a picture to a saved topic that the
// pupil's program then plays.

#include "app/authoringcontroller.h"
#include "app/mainwindow.h"
#include "app/quizcontroller.h"
#include "authoring/topiceditor.h"
#include "authoring/ui/cardeditoverlay.h"
#include "authoring/ui/clozetexteditorwindow.h"
#include "authoring/ui/documentpropertiesdialog.h"
#include "authoring/ui/labeleditorwindow.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "quiz/ui/quizpanel.h"
#include "support/fakedialogservice.h"
#include "support/programfolder.h"
#include "support/realdisplay.h"
#include "support/teacherwindow.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QFile>
#include <QImageWriter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <csignal>
#include <sys/resource.h>

class TestAuthoring : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void topicMadeByClicksIsPlayed_data();
    void topicMadeByClicksIsPlayed();
    void failedSaveKeepsFileAndChanges();
    void quizRefusedWhileEditing();
    void keysOnTheCard();
    void clozeTextTypedAppliedAndPlayed();

private:
    void start(bool authoring, const QString& argument = {});
    AuthoringController* authoring() const { return m_window->authoringController(); }
    // Clicks an empty spot of the card (card fractions) and names the new label by typing.
    void addLabel(QPointF card, const QString& name);
    // Types lower-case words and blanks; '|' presses the gap key, '\n' starts a new line.
    void typeText(const QString& text);
    QPoint onCard(QPointF card) const;
    QPoint boxCentre(int object) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<TForm1> m_window;
    std::unique_ptr<XTestInput> m_input;
};

void TestAuthoring::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_dialogs = std::make_unique<FakeDialogService>();
    m_input = std::make_unique<XTestInput>();
}

void TestAuthoring::cleanup()
{
    m_window.reset();
    m_input.reset();
    m_dialogs.reset();
}

void TestAuthoring::start(bool withAuthoring, const QString& argument)
{
    m_window = openWindowOnDisplay(withAuthoring, argument, *m_input, m_dir->path());
    QVERIFY(m_window);
}

QPoint TestAuthoring::onCard(QPointF card) const
{
    return m_window->cardView().cardToView(card.x(), card.y());
}

QPoint TestAuthoring::boxCentre(int object) const
{
    const DocObject& o = m_window->document().objects.at(object);
    return m_window->cardView().cardToView((o.boxRect[0] + o.boxRect[2]) / 2, (o.boxRect[1] + o.boxRect[3]) / 2);
}

void TestAuthoring::addLabel(QPointF card, const QString& name)
{
    const qsizetype before = m_window->document().objects.size();
    CardEditOverlay* overlay = authoring()->cardOverlay();
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->click(overlay, onCard(card));
    QTRY_COMPARE(m_window->document().objects.size(), before + 1);
    LabelEditorWindow* editor = authoring()->labelEditor();
    auto* text = editor->findChild<QPlainTextEdit*>(QStringLiteral("TextMemo"));
    QVERIFY(m_input->focusWindow(editor));
    m_input->click(text);
    QTRY_VERIFY(text->hasFocus());
    m_input->keyClick(Qt::Key_A, Qt::ControlModifier);
    for (const QChar c : name)
        m_input->keyClick(Qt::Key(Qt::Key_A + (c.unicode() - u'a')));
    // A pause in typing applies the caption.
    QTRY_COMPARE(m_window->document().objects.at(before).Cap, name);
    QVERIFY(m_input->focusWindow(m_window.get()));
}

void TestAuthoring::topicMadeByClicksIsPlayed_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("PNG") << QStringLiteral("png");
    QTest::newRow("JPEG") << QStringLiteral("jpg");
}

void TestAuthoring::topicMadeByClicksIsPlayed()
{
    QFETCH(QString, format);
    QImage photo(640, 420, QImage::Format_RGB32);
    photo.fill(QColor(90, 140, 200));
    const QString picturePath = m_dir->filePath(QStringLiteral("fluesse.") + format);
    QImageWriter writer(picturePath);
    QVERIFY(writer.write(photo));

    start(true);
    m_dialogs->openAnswer = picturePath;
    m_window->menuItem("NeuAusBild1")->trigger();
    QTRY_VERIFY(authoring()->isEditingLabels());
    QCOMPARE(m_window->document().picture.size(), photo.size());
    QVERIFY(m_window->document().modified);

    addLabel(QPointF(0.25, 0.3), QStringLiteral("elbe"));
    addLabel(QPointF(0.55, 0.6), QStringLiteral("rhein"));
    addLabel(QPointF(0.3, 0.8), QStringLiteral("main"));
    QCOMPARE(m_window->document().objects.size(), 3);

    // The second label's box is dragged; undo puts it back, redo moves it again.
    m_window->redrawCard();
    const DocObject before = m_window->document().objects.at(1);
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->drag(authoring()->cardOverlay(), boxCentre(1), boxCentre(1) + QPoint(-60, -40), 8);
    QTRY_VERIFY(m_window->document().objects.at(1).Kx < before.Kx);
    const DocObject moved = m_window->document().objects.at(1);
    QCOMPARE(moved.Sx, before.Sx);
    m_input->keyClick(Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(m_window->document().objects.at(1).Kx, before.Kx);
    QCOMPARE(m_window->document().objects.at(1).Ky, before.Ky);
    m_input->keyClick(Qt::Key_Y, Qt::ControlModifier);
    QTRY_COMPARE(m_window->document().objects.at(1).Kx, moved.Kx);

    // Properties through the dialog, confirmed by a real click on its OK.
    QTimer dialogWatch;
    connect(&dialogWatch, &QTimer::timeout, this, [this, &dialogWatch] {
        auto* dialog = qobject_cast<DocumentPropertiesDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        dialogWatch.stop();
        DocumentProperties properties = dialog->properties();
        properties.titel = QStringLiteral("Flüsse in Deutschland");
        dialog->setProperties(properties);
        m_input->click(dialog->findChild<QWidget*>(QStringLiteral("OKBtn")));
    });
    dialogWatch.start(50);
    m_window->menuItem("DateiDokumenteigenschaften")->trigger();
    QCOMPARE(m_window->document().titel, QStringLiteral("Flüsse in Deutschland"));

    const QString topicPath = m_dir->filePath("fluesse.zep");
    m_dialogs->saveAnswer = topicPath;
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->keyClick(Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(QFile::exists(topicPath));
    QVERIFY(!m_window->document().modified);
    QVERIFY(!m_window->isWindowModified());
    QVERIFY(m_window->close());
    m_window.reset();

    // The pupil's program: the quiz asks exactly those three and judges a right drop right.
    start(false, topicPath);
    QVERIFY(!m_window->menuItem("Editor1")->isVisible());
    QCOMPARE(m_window->document().titel, QStringLiteral("Flüsse in Deutschland"));
    m_input->keyClick(Qt::Key_F7);
    auto* panel = m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan"));
    QTRY_COMPARE(panel->state(), QuizPanel::State::Waiting);
    QStringList tiles;
    THoverPanel* rhein = nullptr;
    for (THoverPanel* tile : panel->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && !tile->isHidden()) {
            tiles.append(tile->caption());
            if (tile->caption() == QStringLiteral("rhein"))
                rhein = tile;
        }
    }
    tiles.sort();
    QCOMPARE(tiles, (QStringList {"elbe", "main", "rhein"}));
    QVERIFY(rhein);
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QPoint target = boxCentre(1) + image->pos() - panel->pos();
    m_input->drag(panel, rhein->pos() + QPoint(5, rhein->height() / 2), target + QPoint(5, 0), 8, 5);
    QTRY_COMPARE(m_window->quiz().correctCount, 1);
}

void TestAuthoring::failedSaveKeepsFileAndChanges()
{
    TopicDocument topic;
    topic.titel = QStringLiteral("Alt");
    topic.picture = QImage(300, 200, QImage::Format_ARGB32);
    topic.picture.fill(Qt::white);
    const QString path = m_dir->filePath("thema.zep");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(writeTopicFile(file, topic));
    }
    QFile original(path);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();

    start(true, path);
    QVERIFY(authoring()->editor().addLabel(QPointF(0.5, 0.5)) >= 0);
    QVERIFY(m_window->document().modified);

    // The folder is read-only, and writing any file is limited to a few bytes (the folder's
    // rights alone stop no one who runs as root).
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    ModalAnswer message(*m_input, QStringLiteral("OK"));
    const bool saved = authoring()->save();
    setrlimit(RLIMIT_FSIZE, &old);
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QVERIFY(!saved);
    QVERIFY2(message.wait(), qPrintable(message.error()));
    QVERIFY(message.dialogText().contains(path));
    QVERIFY(m_window->document().modified);
    QCOMPARE(m_window->document().objects.size(), 1);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QCOMPARE(original.readAll(), bytes);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList {"thema.zep"});
}

void TestAuthoring::quizRefusedWhileEditing()
{
    start(true, QStringLiteral(TALLOWMERE_BIN_DIR "euro-muenzaufbau.zep"));
    m_input->keyClick(Qt::Key_B, Qt::ControlModifier);
    QTRY_VERIFY(authoring()->isEditingLabels());
    ModalAnswer ok(*m_input, QStringLiteral("OK"));
    m_input->keyClick(Qt::Key_F7);
    QVERIFY2(ok.wait(), qPrintable(ok.error()));
    QCOMPARE(ok.dialogText(), QStringLiteral("Bitte zuerst den Beschriftungseditor schließen."));
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
}

// The teacher's keys on the card: Tab walks the objects in file order, an arrow moves the
// selection by one card pixel (Shift: ten) and the moves merge into one undo entry, Ctrl+D
// duplicates and Delete removes.
void TestAuthoring::keysOnTheCard()
{
    TopicDocument topic;
    topic.picture = QImage(500, 400, QImage::Format_ARGB32);
    topic.picture.fill(Qt::white);
    const QString path = m_dir->filePath("tasten.zep");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(writeTopicFile(file, topic));
    }
    start(true, path);
    m_input->keyClick(Qt::Key_B, Qt::ControlModifier);
    QTRY_VERIFY(authoring()->isEditingLabels());
    TopicEditor& editor = authoring()->editor();
    QVERIFY(editor.addLabel(QPointF(0.2, 0.2)) == 0);
    QVERIFY(editor.addLabel(QPointF(0.6, 0.6)) == 1);
    CardEditOverlay* overlay = authoring()->cardOverlay();
    overlay->setFocus();
    QTRY_VERIFY(overlay->hasFocus());

    m_input->keyClick(Qt::Key_Tab);
    QTRY_COMPARE(overlay->selectedObject(), 0);
    m_input->keyClick(Qt::Key_Tab);
    QTRY_COMPARE(overlay->selectedObject(), 1);
    m_input->keyClick(Qt::Key_Tab);
    QTRY_COMPARE(overlay->selectedObject(), 0);

    const double x = m_window->document().objects.at(0).Kx;
    const int entries = editor.undoStack()->count();
    m_input->keyClick(Qt::Key_Right);
    m_input->keyClick(Qt::Key_Right, Qt::ShiftModifier);
    QTRY_COMPARE(m_window->document().objects.at(0).Kx, x + 11.0 / 500);
    QCOMPARE(editor.undoStack()->count(), entries + 1);

    m_input->keyClick(Qt::Key_D, Qt::ControlModifier);
    QTRY_COMPARE(m_window->document().objects.size(), 3);
    QCOMPARE(overlay->selectedObject(), 2);
    m_input->keyClick(Qt::Key_Delete);
    QTRY_COMPARE(m_window->document().objects.size(), 2);

    // Closed, the card numbers the new labels' covers.
    m_input->keyClick(Qt::Key_B, Qt::ControlModifier);
    QTRY_VERIFY(!authoring()->isEditingLabels());
    QCOMPARE(m_window->cardView().coverLabelText(1), QStringLiteral("2"));
}

void TestAuthoring::typeText(const QString& text)
{
    for (const QChar c : text) {
        if (c == u'|')
            m_input->keyClick(Qt::Key_G, Qt::ControlModifier);
        else if (c == u'\n')
            m_input->keyClick(Qt::Key_Return);
        else if (c == u' ')
            m_input->keyClick(Qt::Key_Space);
        else
            m_input->keyClick(Qt::Key(Qt::Key_A + (c.unicode() - u'a')));
    }
}

// A teacher types a cloze text with three gaps into a labelling topic, applies it as a cloze
// text, takes it back and makes it again, and saves; the pupil's program then asks those gaps.
void TestAuthoring::clozeTextTypedAppliedAndPlayed()
{
    TopicDocument topic;
    topic.titel = QStringLiteral("Flüsse");
    topic.picture = QImage(870, 600, QImage::Format_ARGB32);
    topic.picture.fill(Qt::white);
    const QString path = m_dir->filePath("fluesse.zep");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(writeTopicFile(file, topic));
    }
    start(true, path);
    m_window->menuItem("LueckentextBearbeiten1")->trigger();
    QTRY_VERIFY(authoring()->isEditingClozeText());
    ClozeTextEditorWindow* editor = authoring()->clozeEditor();
    auto* text = editor->findChild<QPlainTextEdit*>(QStringLiteral("LueckentextMemo"));
    auto* apply = editor->findChild<QPushButton*>(QStringLiteral("UebernehmenBtn"));
    QVERIFY(m_input->focusWindow(editor));
    m_input->click(text);
    QTRY_VERIFY(text->hasFocus());
    typeText(QStringLiteral("der rhein| und die elbe|\ndie donau|"));
    QTRY_COMPARE(text->toPlainText(), QStringLiteral("der <<rhein>> und die <<elbe>>\ndie <<donau>>"));
    QTRY_VERIFY(apply->isEnabled());

    ModalAnswer yes(*m_input, QStringLiteral("&Ja"));
    m_input->click(apply);
    QVERIFY2(yes.wait(), qPrintable(yes.error()));
    TopicDocument& document = m_window->document();
    QTRY_COMPARE(document.DokTyp, DocType::ClozeText);
    const QString applied = QStringLiteral("der <<rhein>> und die <<elbe>>\r\ndie <<donau>>");
    QCOMPARE(document.lueckentext, applied);
    QCOMPARE(document.objects.size(), 3);
    QVERIFY(document.modified);
    // The card numbers the new gaps at once.
    QCOMPARE(m_window->document().objects.at(2).displayNumber, 3);

    // Undo in the main window gives the topic back as it was, and the field follows; redo again.
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->keyClick(Qt::Key_Z, Qt::ControlModifier);
    QTRY_VERIFY(document.objects.isEmpty());
    QCOMPARE(document.lueckentext, QString());
    QCOMPARE(document.DokTyp, DocType::ImageLabelling);
    QVERIFY(!document.modified);
    QCOMPARE(text->toPlainText(), QString());
    m_input->keyClick(Qt::Key_Y, Qt::ControlModifier);
    QTRY_COMPARE(document.lueckentext, applied);
    QCOMPARE(text->toPlainText(), QStringLiteral("der <<rhein>> und die <<elbe>>\ndie <<donau>>"));

    m_input->keyClick(Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!document.modified);
    QVERIFY(m_window->close());
    m_window.reset();

    // The pupil's program asks exactly the three gaps and judges a right drop right.
    start(false, path);
    QCOMPARE(m_window->document().DokTyp, DocType::ClozeText);
    m_input->keyClick(Qt::Key_F7);
    auto* panel = m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan"));
    QTRY_COMPARE(panel->state(), QuizPanel::State::Waiting);
    QStringList tiles;
    THoverPanel* elbe = nullptr;
    for (THoverPanel* tile : panel->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && !tile->isHidden()) {
            tiles.append(tile->caption());
            if (tile->caption() == QStringLiteral("elbe"))
                elbe = tile;
        }
    }
    tiles.sort();
    QCOMPARE(tiles, (QStringList {"donau", "elbe", "rhein"}));
    QVERIFY(elbe);
    const QWidget* image = m_window->findChild<QWidget*>("LernKartPicImg");
    const QPoint target = boxCentre(1) + image->pos() - panel->pos();
    m_input->drag(panel, elbe->pos() + QPoint(5, elbe->height() / 2), target + QPoint(5, 0), 8, 5);
    QTRY_COMPARE(m_window->quiz().correctCount, 1);
}

TALLOWMERE_REAL_DISPLAY_MAIN(TestAuthoring)
#include "tst_authoring.moc"
