// A teacher makes single questions in the program started with "--autor": rows copied from a
// spreadsheet are pasted into the questions editor on a real X display, applied, undone and
// redone, saved, and the pupil's program then asks them.

#include "app/authoringcontroller.h"
#include "app/mainwindow.h"
#include "authoring/topiceditor.h"
#include "authoring/ui/questionseditorwindow.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "quiz/normalizetext.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "support/fakedialogservice.h"
#include "support/programfolder.h"
#include "support/realdisplay.h"
#include "support/teacherwindow.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

class TestQuestionsEditor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void pastedQuestionsAreAsked();

private:
    void start(bool authoring, const QString& argument);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeDialogService> m_dialogs;
    std::unique_ptr<TForm1> m_window;
    std::unique_ptr<XTestInput> m_input;
};

namespace {

QByteArray written(const TopicDocument& document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeTopicFile(buffer, document) ? buffer.data() : QByteArray();
}

} // namespace

void TestQuestionsEditor::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_dialogs = std::make_unique<FakeDialogService>();
    m_input = std::make_unique<XTestInput>();
}

void TestQuestionsEditor::cleanup()
{
    m_window.reset();
    m_input.reset();
    m_dialogs.reset();
}

void TestQuestionsEditor::start(bool withAuthoring, const QString& argument)
{
    m_window = openWindowOnDisplay(withAuthoring, argument, *m_input, m_dir->path());
    QVERIFY(m_window);
}

void TestQuestionsEditor::pastedQuestionsAreAsked()
{
    // A picture with a title and a fixed text, not yet a topic of single questions.
    TopicDocument topic;
    topic.titel = QStringLiteral("Hauptstädte");
    topic.picture = QImage(810, 900, QImage::Format_ARGB32);
    topic.picture.fill(Qt::white);
    DocObject text;
    text.Typ = ObjectKind::FixedText;
    text.Sx = text.Kx = 0.1;
    text.Sy = text.Ky = 0.9;
    text.Cap = QStringLiteral("Viel Erfolg!");
    topic.objects.append(text);
    const QString path = m_dir->filePath("hauptstaedte.zep");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(writeTopicFile(file, topic));
    }

    start(true, path);
    const QByteArray before = written(m_window->document());
    m_window->menuItem("EinzelfragenBearbeiten1")->trigger();
    QuestionsEditorWindow* editor = m_window->authoringController()->questionsEditor();
    QVERIFY(editor);
    QTRY_VERIFY(editor->isVisible());

    // Ten rows as a spreadsheet copies them; the answers are the quiz's choices.
    const QStringList countries {"Frankreich", "Italien", "Spanien", "Österreich", "Polen", "Portugal", "Irland",
        "Finnland", "Griechenland", "Ungarn"};
    const QStringList capitals {
        "Paris", "Rom", "Madrid", "Wien", "Warschau", "Lissabon", "Dublin", "Helsinki", "Athen", "Budapest"};
    QString clipboard;
    for (qsizetype i = 0; i < countries.size(); ++i)
        clipboard += QStringLiteral("Hauptstadt von %1?\t%2\n").arg(countries.at(i), capitals.at(i));
    QApplication::clipboard()->setText(clipboard);
    auto* table = editor->findChild<QTableWidget*>(QStringLiteral("FragenTabelle"));
    QVERIFY(m_input->focusWindow(editor));
    m_input->click(table->viewport(), QPoint(20, 10));
    QTRY_VERIFY(table->hasFocus());
    m_input->keyClick(Qt::Key_V, Qt::ControlModifier);
    QTRY_COMPARE(table->rowCount(), 10);
    QCOMPARE(table->item(3, 0)->text(), QStringLiteral("Hauptstadt von Österreich?"));
    QCOMPARE(table->item(3, 1)->text(), QStringLiteral("Wien"));
    QCOMPARE(editor->findChild<QLabel*>(QStringLiteral("AntwortenLab"))->text(),
        QStringLiteral("10 verschiedene Antworten"));
    QVERIFY(m_window->document().objects.size() == 1); // nothing applied yet

    // Applying asks whether the topic becomes one of single questions.
    ModalAnswer yes(*m_input, QStringLiteral("Ja"));
    m_input->click(editor->findChild<QWidget*>(QStringLiteral("UebernehmenBtn")));
    QVERIFY2(yes.wait(), qPrintable(yes.error()));
    const TopicDocument& document = m_window->document();
    QTRY_COMPARE(document.AnzFrageNummern, 10);
    QCOMPARE(document.DokTyp, DocType::SingleQuestions);
    QCOMPARE(document.objects.size(), 10 * 4 + 5 + 1);
    QCOMPARE(document.objects.last().Cap, QStringLiteral("Viel Erfolg!"));
    QVERIFY(document.modified);
    const QByteArray applied = written(document);

    // Undo in the main window gives back the document as it was, and the table follows; redo
    // applies the questions again.
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->keyClick(Qt::Key_Z, Qt::ControlModifier);
    QTRY_COMPARE(written(document), before);
    QCOMPARE(document.DokTyp, DocType::ImageLabelling);
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(!document.modified);
    m_input->keyClick(Qt::Key_Y, Qt::ControlModifier);
    QTRY_COMPARE(written(document), applied);
    QCOMPARE(table->rowCount(), 10);

    m_input->keyClick(Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!document.modified);
    m_input->click(editor->findChild<QWidget*>(QStringLiteral("SchliessenBtn")));
    QTRY_VERIFY(!editor->isVisible());
    QVERIFY(m_window->close());
    m_window.reset();

    // The pupil's program asks the ten questions and judges each right answer right.
    start(false, path);
    QVERIFY(!m_window->menuItem("Editor1")->isVisible());
    QTimer endWatch;
    connect(&endWatch, &QTimer::timeout, this, [this, &endWatch] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        if (dialog && dialog->isVisible()) {
            endWatch.stop();
            dialog->reject();
        }
    });
    endWatch.start(50);
    m_input->keyClick(Qt::Key_F7);
    auto* panel = m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan"));
    QTRY_COMPARE(panel->state(), QuizPanel::State::Waiting);
    const QuizSession& quiz = m_window->quiz();
    QCOMPARE(quiz.questionCount, 10);
    QStringList asked;
    for (int answered = 0; answered < 10; ++answered) {
        QTRY_VERIFY(panel->state() == QuizPanel::State::Waiting && quiz.correctCount == answered);
        const DocObject& answer = m_window->document().objects.at(quiz.prompt().targetObject);
        asked.append(answer.Cap);
        const QList<THoverPanel*> tiles = panel->tilesInOrder();
        int right = -1;
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            if (tiles.at(i)->caption() == normalizeText(answer.Cap))
                right = int(i);
        }
        QVERIFY2(right >= 0 && right < 9, qPrintable(answer.Cap));
        m_input->keyClick(Qt::Key(Qt::Key_1 + right));
        QTRY_COMPARE(quiz.correctCount, answered + 1);
    }
    QCOMPARE(quiz.wrongCount, 0);
    asked.sort();
    QStringList expected = capitals;
    expected.sort();
    QCOMPARE(asked, expected);
    QTRY_VERIFY(!endWatch.isActive());
}

TALLOWMERE_REAL_DISPLAY_MAIN(TestQuestionsEditor)
#include "tst_questionseditor.moc"
