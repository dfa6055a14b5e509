// The quiz's dialogs: the two option dialogs, the name dialog, the end-of-quiz dialog and its
// grade scale.

#include "quiz/gradescale.h"
#include "quiz/quizoptions.h"
#include "quiz/quizsession.h"
#include "quiz/ui/labeloptionsdialog.h"
#include "quiz/ui/namedialog.h"
#include "quiz/ui/questionoptionsdialog.h"
#include "quiz/ui/quizenddialog.h"
#include "results/ui/bestlistform.h"
#include "widgets/bitbtn.h"
#include "widgets/numedit.h"
#include "widgets/radiogroup2.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <memory>

namespace {

template<class T> T* control(QWidget& dialog, const char* name)
{
    auto* found = dialog.findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no control %s", name);
    return found;
}

// Both option dialogs behind one face, so that their shared rules run in one table.
struct OptionsDialog
{
    std::unique_ptr<QDialog> dialog;
    std::function<void(const QuizOptions&)> setOptions;
    std::function<void(QuizOptions&)> applyTo;
};

OptionsDialog makeOptionsDialog(bool questions)
{
    OptionsDialog result;
    if (questions) {
        auto* form = new TUebOptFragenForm;
        result.dialog.reset(form);
        result.setOptions = [form](const QuizOptions& o) { form->setOptions(o); };
        result.applyTo = [form](QuizOptions& o) { form->applyTo(o); };
    } else {
        auto* form = new TUebOptForm;
        result.dialog.reset(form);
        result.setOptions = [form](const QuizOptions& o) { form->setOptions(o); };
        result.applyTo = [form](QuizOptions& o) { form->applyTo(o); };
    }
    return result;
}

// QTest::keyClicks knows only ASCII.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

bool isDark(const QColor& c)
{
    return c.red() < 100 && c.green() < 100 && c.blue() < 100;
}

} // namespace

class TestQuizDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void typingChoosesTimeLimit_data();
    void typingChoosesTimeLimit();
    void timeFieldsTakeTwoDigitsUpTo59_data();
    void timeFieldsTakeTwoDigitsUpTo59();
    void longestTimeLimit();
    void optionsShownAndTakenBack_data();
    void optionsShownAndTakenBack();
    void dialogsShareOnlyTheCheckBox();
    void extendedView();
    void closingHidesNetworkNote();

    void nameDialog();

    void endDialogFigures();
    void repeatChoice_data();
    void repeatChoice();
    void highScoreEntry_data();
    void highScoreEntry();

    void gradeScale_data();
    void gradeScale();

    void keyboardOnly_data();
    void keyboardOnly();
};

void TestQuizDialogs::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));
}

void TestQuizDialogs::typingChoosesTimeLimit_data()
{
    QTest::addColumn<bool>("questions");
    QTest::addColumn<QString>("field");
    QTest::newRow("labelling, minutes") << false << "ZLimitMin";
    QTest::newRow("labelling, seconds") << false << "ZLimitSek";
    QTest::newRow("questions, minutes") << true << "ZLimitMin";
    QTest::newRow("questions, seconds") << true << "ZLimitSek";
}

void TestQuizDialogs::typingChoosesTimeLimit()
{
    QFETCH(bool, questions);
    QFETCH(QString, field);
    OptionsDialog d = makeOptionsDialog(questions);
    auto* zeitlimit = control<TRadioGroup2>(*d.dialog, "Zeitlimit");
    auto* edit = control<TNumEdit>(*d.dialog, qPrintable(field));
    QVERIFY(zeitlimit && edit);

    // Showing stored fields is no typing: the limit stays off.
    QuizOptions stored;
    stored.labelling.zLimitMin = stored.questions.zLimitMin = QStringLiteral("12");
    stored.labelling.zLimitSek = stored.questions.zLimitSek = QStringLiteral("30");
    d.setOptions(stored);
    QCOMPARE(zeitlimit->itemIndex(), 0);

    edit->setFocus();
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("7"));
    QCOMPARE(edit->text(), QStringLiteral("7"));
    QCOMPARE(zeitlimit->itemIndex(), 1);
}

void TestQuizDialogs::timeFieldsTakeTwoDigitsUpTo59_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("59") << "59"
                        << "59";
    QTest::newRow("60 stops at 6") << "60"
                                   << "6";
    QTest::newRow("third digit refused") << "123"
                                         << "12";
    QTest::newRow("letters and signs refused") << "-a5+"
                                               << "5";
    QTest::newRow("other scripts' digits refused") << QStringLiteral("\u0663\u0664") << "";
}

void TestQuizDialogs::timeFieldsTakeTwoDigitsUpTo59()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TUebOptForm form;
    auto* edit = control<TNumEdit>(form, "ZLimitMin");
    QVERIFY(edit);
    edit->clear();
    typeText(edit, typed);
    QCOMPARE(edit->text(), shown);

    // Whatever the field holds, the options take a number the settings store keeps: an
    // emptied field is no minutes, not the default of the next start.
    QuizOptions options;
    form.applyTo(options);
    QVERIFY2(isTimeLimitField(options.labelling.zLimitMin), qPrintable(options.labelling.zLimitMin));
    QCOMPARE(options.labelling.zLimitMin, shown.isEmpty() ? QStringLiteral("0") : shown);
}

void TestQuizDialogs::longestTimeLimit()
{
    TUebOptFragenForm form;
    auto* minutes = control<TNumEdit>(form, "ZLimitMin");
    auto* seconds = control<TNumEdit>(form, "ZLimitSek");
    QVERIFY(minutes && seconds);
    for (TNumEdit* edit : {minutes, seconds}) {
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("59"));
    }
    QuizOptions options;
    form.applyTo(options);
    const QuizSnapshot snapshot = takeOptions(options, DocType::SingleQuestions);
    QCOMPARE(snapshot.timeLimitOn, 1);
    QCOMPARE(snapshot.timeLimitSeconds, 3599);
}

void TestQuizDialogs::optionsShownAndTakenBack_data()
{
    QTest::addColumn<bool>("questions");
    QTest::addColumn<QuizOptions>("given");
    QTest::addColumn<QuizOptions>("expected");

    QuizOptions changed;
    changed.labelling = {2, 1, QStringLiteral("07"), QStringLiteral("45"), 1, 1, 0, 2};
    changed.questions = {1, 0, 1, QStringLiteral("0"), QStringLiteral("59"), 0};
    changed.showDialogBeforeQuiz = false;

    // Values the dialogs could not have produced show as the defaults.
    QuizOptions broken;
    broken.labelling = {3, -1, QStringLiteral("60"), QStringLiteral("x"), 2, 9, 2, 3};
    broken.questions = {2, 2, 5, QStringLiteral(""), QStringLiteral("123"), 2};

    for (const bool questions : {false, true}) {
        const char* kind = questions ? "questions" : "labelling";
        // A fresh dialog shows the defaults.
        QTest::addRow("%s: fresh dialog", kind) << questions << QuizOptions() << QuizOptions();
        QTest::addRow("%s: changed", kind) << questions << changed << changed;
        QTest::addRow("%s: out of range", kind) << questions << broken << QuizOptions();
    }
}

void TestQuizDialogs::optionsShownAndTakenBack()
{
    QFETCH(bool, questions);
    QFETCH(QuizOptions, given);
    QFETCH(QuizOptions, expected);
    OptionsDialog d = makeOptionsDialog(questions);
    if (!(given == QuizOptions()))
        d.setOptions(given);
    QuizOptions taken;
    d.applyTo(taken);
    if (questions) {
        QCOMPARE(taken.questions, expected.questions);
        QCOMPARE(taken.labelling, QuizOptions().labelling);
    } else {
        QCOMPARE(taken.labelling, expected.labelling);
        QCOMPARE(taken.questions, QuizOptions().questions);
    }
    QCOMPARE(taken.showDialogBeforeQuiz, expected.showDialogBeforeQuiz);
}

void TestQuizDialogs::dialogsShareOnlyTheCheckBox()
{
    TUebOptForm labelling;
    TUebOptFragenForm questions;
    QuizOptions options;
    labelling.setOptions(options);
    questions.setOptions(options);

    // Single questions: every control changed, the check box cleared.
    control<TRadioGroup2>(questions, "ZuordnungFalsch")->setItemIndex(1);
    control<TRadioGroup2>(questions, "Zuordnungstexte")->setItemIndex(0);
    control<TRadioGroup2>(questions, "Zuordnungsziele")->setItemIndex(0);
    QTest::keyClicks(control<TNumEdit>(questions, "ZLimitSek"), QStringLiteral("5"));
    control<QCheckBox>(questions, "UebOptFragenZeigenCheck")->setChecked(false);
    questions.applyTo(options);

    QCOMPARE(options.labelling, QuizOptions().labelling);
    QCOMPARE(options.questions.zeitlimit, 1);
    QCOMPARE(options.questions.zLimitSek, QStringLiteral("05"));
    QVERIFY(!options.showDialogBeforeQuiz);

    labelling.setOptions(options);
    QVERIFY(!control<QCheckBox>(labelling, "UebOptZeigenCheck")->isChecked());
    QCOMPARE(control<TRadioGroup2>(labelling, "Zeitlimit")->itemIndex(), 0);
    QCOMPARE(control<TNumEdit>(labelling, "ZLimitSek")->text(), QStringLiteral("0"));
    QCOMPARE(control<TRadioGroup2>(labelling, "ZuordnungFalsch")->itemIndex(), 0);

    // And back: the labelling dialog ticks the box again and changes its own query mode.
    const QuestionQuizOptions questionPart = options.questions;
    control<QCheckBox>(labelling, "UebOptZeigenCheck")->setChecked(true);
    control<TRadioGroup2>(labelling, "AbfrageModus")->setItemIndex(2);
    labelling.applyTo(options);
    QCOMPARE(options.questions, questionPart);
    QCOMPARE(options.labelling.abfrageModus, 2);
    questions.setOptions(options);
    QVERIFY(control<QCheckBox>(questions, "UebOptFragenZeigenCheck")->isChecked());
}

void TestQuizDialogs::extendedView()
{
    TUebOptForm form;
    auto* erwBtn = control<TBitBtn2>(form, "ErwBtn");
    QVERIFY(erwBtn);
    const char* const further[] = {"ZuordnungRichtig", "ZuordnungFalsch", "Zuordnungstexte", "Zuordnungsziele"};
    const char* const always[]
        = {"AbfrageModus", "Zeitlimit", "ZLimitMin", "ZLimitSek", "UebOptZeigenCheck", "OkBtn", "CloseBtn", "ErwBtn"};
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(control<QWidget>(form, "OkBtn")->hasFocus());
    QVERIFY(control<QWidget>(form, "OkBtn")->property("default").toBool());

    for (const int expected : {276, 514, 276}) {
        QCOMPARE(form.height(), expected);
        QCOMPARE(erwBtn->text(), expected == 514 ? QStringLiteral("Reduziert...") : QStringLiteral("Erweitert..."));
        for (const char* name : further)
            QCOMPARE(control<QWidget>(form, name)->isVisible(), expected == 514);
        // The reduced form shows its controls whole.
        for (const char* name : always) {
            QWidget* widget = control<QWidget>(form, name);
            QVERIFY(widget->isVisible());
            QVERIFY2(widget->mapTo(&form, QPoint(0, widget->height())).y() <= 276, name);
        }
        QTest::mouseClick(erwBtn, Qt::LeftButton);
    }
}

void TestQuizDialogs::closingHidesNetworkNote()
{
    TUebOptFragenForm form;
    auto* note = control<QWidget>(form, "NetzUebInitPan");
    QVERIFY(note);
    const QString caption = form.windowTitle();
    QCOMPARE(caption, QStringLiteral("Übungsoptionen für Einzelfragen"));
    form.showNetworkInitiation();
    QCOMPARE(form.windowTitle(), "Netzwerk-" + caption);
    form.show();
    QVERIFY(note->isVisible());
    QTest::mouseClick(control<TBitBtn2>(form, "OkBtn"), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.windowTitle(), caption);
    form.show();
    QVERIFY(!note->isVisible());
}

void TestQuizDialogs::nameDialog()
{
    TNameEingabeForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Teilnehmername eingeben"));
    auto* edit = control<QLineEdit>(form, "TNameEdit");
    QVERIFY(edit);

    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(edit->hasFocus());
    const QString typed = QStringLiteral(" Anna Müller-Lüdenscheidt von Oberhausen ");
    typeText(edit, typed);
    QCOMPARE(form.name(), typed.left(30));
    QTest::mouseClick(control<TBitBtn2>(form, "OKBtn"), Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));

    // Shown again, the field offers the last name, selected so that typing replaces it.
    form.show();
    QCOMPARE(form.name(), typed.left(30));
    QVERIFY(edit->hasSelectedText());
    QTest::keyClick(&form, Qt::Key_Escape);
    QCOMPARE(form.result(), int(QDialog::Rejected));

    form.setName(QString(40, u'x'));
    QCOMPARE(form.name().size(), 30);
}

void TestQuizDialogs::endDialogFigures()
{
    TUebFertigForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Quiz beendet"));
    QCOMPARE(form.size(), QSize(587, 467));
    auto* group = control<TRadioGroup2>(form, "WiederholenMode");
    QVERIFY(group);
    QCOMPARE(group->title(), QStringLiteral(" Quiz wiederholen "));
    QCOMPARE(group->items(),
        QStringList({QStringLiteral(" komplett wiederholen "),
            QStringLiteral(" nur Fragen wiederholen, die nicht auf Anhieb korrekt gelöst wurden")}));
    QCOMPARE(group->itemIndex(), 0);
    QVERIFY(!control<QWidget>(form, "InBestenlisteBtn")->isVisibleTo(&form));

    QuizEndFigures figures;
    figures.correct = QStringLiteral("17");
    figures.questionCount = QStringLiteral("von  20");
    figures.time = QStringLiteral("00:00");
    figures.timeLimit = true;
    figures.grade = 2;
    figures.score = 0.75;
    form.showFigures(figures);
    QCOMPARE(control<QLabel>(form, "RichtigLab")->text(), QStringLiteral("17  von  20"));
    QCOMPARE(control<QLabel>(form, "ZeitArtLab")->text(), QStringLiteral("Verbliebene Zeit:"));
    QCOMPARE(control<QLabel>(form, "NoteLab")->text(), QStringLiteral("2"));
    figures.timeLimit = false;
    form.showFigures(figures);
    QCOMPARE(control<QLabel>(form, "ZeitArtLab")->text(), QStringLiteral("Benötigte Zeit:"));
    // The scale fills its picture control on the dialog's panel colour.
    const QImage scale = form.gradeScale();
    QCOMPARE(scale.size(), control<QLabel>(form, "BewertSkalaImg")->size());
    QCOMPARE(scale.pixelColor(1, 1), control<QWidget>(form, "Panel1")->palette().color(QPalette::Window));

    QSignalSpy protocol(&form, &TUebFertigForm::protocolRequested);
    QSignalSpy list(&form, &TUebFertigForm::highScoreListRequested);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QVERIFY(control<QWidget>(form, "LernBtn")->hasFocus());
    QTest::mouseClick(control<TBitBtn2>(form, "ProtokollBtn"), Qt::LeftButton);
    QTest::mouseClick(control<TBitBtn2>(form, "BestListBtn"), Qt::LeftButton);
    QCOMPARE(protocol.count(), 1);
    QCOMPARE(list.count(), 1);
    QVERIFY(form.isVisible());
    QTest::mouseClick(control<TBitBtn2>(form, "WiederholenBtn"), Qt::LeftButton);
    QCOMPARE(form.result(), int(TUebFertigForm::Repeat));
    form.show();
    QTest::mouseClick(control<TBitBtn2>(form, "LernBtn"), Qt::LeftButton);
    QCOMPARE(form.result(), int(TUebFertigForm::Close));
}

void TestQuizDialogs::repeatChoice_data()
{
    QTest::addColumn<int>("netRole");
    QTest::addColumn<int>("wrongCount");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("mode");
    // The user had chosen the partial repeat after an earlier run.
    QTest::newRow("own quiz with a wrong attempt") << 0 << 1 << true << 1;
    QTest::newRow("perfect run") << 0 << 0 << false << 0;
    QTest::newRow("network participant") << 1 << 3 << false << 0;
    QTest::newRow("network initiator") << 2 << 3 << false << 0;
}

void TestQuizDialogs::repeatChoice()
{
    QFETCH(int, netRole);
    QFETCH(int, wrongCount);
    QFETCH(bool, enabled);
    QFETCH(int, mode);
    TUebFertigForm form;
    auto* group = control<TRadioGroup2>(form, "WiederholenMode");
    group->button(1)->click();
    QCOMPARE(form.repeatMode(), 1);
    form.prepareRepeat(netRole, wrongCount);
    QCOMPARE(group->isEnabled(), enabled);
    QCOMPARE(form.repeatMode(), mode);
}

void TestQuizDialogs::highScoreEntry_data()
{
    QTest::addColumn<bool>("autoEnter");
    QTest::addColumn<int>("netRole");
    QTest::addColumn<int>("selectionMode");
    QTest::addColumn<bool>("saves");
    QTest::addColumn<int>("autoCalls");
    QTest::addColumn<bool>("offered");

    QTest::newRow("entered automatically") << true << 0 << 0 << true << 1 << false;
    QTest::newRow("automatic entry fails") << true << 0 << 0 << false << 1 << true;
    QTest::newRow("offered by hand") << false << 0 << 2 << true << 0 << true;
    QTest::newRow("partial repeat, automatic") << true << 0 << 1 << true << 0 << false;
    QTest::newRow("partial repeat, by hand") << false << 0 << 1 << true << 0 << false;
    QTest::newRow("network quiz") << true << 1 << 0 << true << 0 << false;
}

void TestQuizDialogs::highScoreEntry()
{
    QFETCH(bool, autoEnter);
    QFETCH(int, netRole);
    QFETCH(int, selectionMode);
    QFETCH(bool, saves);
    QFETCH(int, autoCalls);
    QFETCH(bool, offered);
    const QString enteredText = QStringLiteral("Das Ergebnis wurde in die Bestenliste eingetragen.");

    TUebFertigForm form;
    int calls = 0;
    form.setHighScoreSaver([&] {
        ++calls;
        return saves;
    });
    auto* button = control<TBitBtn2>(form, "InBestenlisteBtn");
    auto* label = control<QLabel>(form, "BestenlisteLab");
    form.show();
    form.prepareHighScore(autoEnter, netRole, selectionMode);
    QCOMPARE(calls, autoCalls);
    QCOMPARE(button->isVisible(), offered);
    QCOMPARE(form.resultEntered(), autoCalls == 1 && saves);
    QCOMPARE(label->text(), form.resultEntered() ? enteredText : QString());
    if (!offered)
        return;

    // By hand: a failure keeps the offer and asks for the folder; a success replaces the
    // offer with the note, once.
    QSignalSpy failed(&form, &TUebFertigForm::highScoreEntryFailed);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(calls, autoCalls + 1);
    QCOMPARE(failed.count(), saves ? 0 : 1);
    QCOMPARE(button->isVisible(), !saves);
    QCOMPARE(form.resultEntered(), saves);
    QCOMPARE(label->text(), saves ? enteredText : QString());

    // The next quiz starts without an entry and without the note.
    form.prepareHighScore(false, 0, 0);
    QVERIFY(label->text().isEmpty());
    QVERIFY(button->isVisible());
}

void TestQuizDialogs::gradeScale_data()
{
    QTest::addColumn<double>("score");
    QTest::addColumn<int>("markerRow");
    QTest::addColumn<QPoint>("origin");
    // A 205 x 300 scale: bands from row 12 over 276 rows; bars from x 82 to 122.
    QTest::newRow("1.0") << 1.0 << 12 << QPoint(0, 0);
    QTest::newRow("0.85") << 0.85 << 53 << QPoint(0, 0);
    QTest::newRow("0.0") << 0.0 << 288 << QPoint(0, 0);
    QTest::newRow("0.85, scale moved") << 0.85 << 53 << QPoint(10, 20);
}

void TestQuizDialogs::gradeScale()
{
    QFETCH(double, score);
    QFETCH(int, markerRow);
    QFETCH(QPoint, origin);
    QImage image(QSize(205, 300) + QSize(origin.x(), origin.y()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawGradeScale(painter, QRect(origin, QSize(205, 300)), score);
    }
    const auto at = [&](int x, int y) { return image.pixelColor(origin + QPoint(x, y)); };
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const int x1 = 82;
    const int x2 = 123;

    // Band edges of the thresholds 100, 85, 70, 55, 40, 25 and 0 %; neighbours share their line.
    const int edges[] = {12, 53, 95, 136, 178, 219, 288};
    for (int grade = 1; grade <= 6; ++grade) {
        const int top = edges[grade - 1];
        const int bottom = edges[grade];
        const QByteArray where = "grade " + QByteArray::number(grade);
        QVERIFY2(at(x1 + 3, top) == black, where);
        QVERIFY2(at(x1 + 3, top + 1) == gradeColour(grade), where);
        QVERIFY2(at(x1 + 3, bottom - 1) == gradeColour(grade), where);
        const int middle = (top + bottom) / 2;
        QVERIFY2(at(x1, middle) == black && at(x2 - 1, middle) == black, where);
        QVERIFY2(at(x1 - 1, middle) == white && at(x2, middle) == white, where);
        // The tick reaches two pixels left of the band.
        QVERIFY2(at(x1 - 2, top) == black && at(x1 - 3, top) == white, where);
    }
    QVERIFY(at(x1 + 3, edges[6]) == black);
    QVERIFY(at(x1 + 3, edges[6] + 1) == white);

    // The marker: ten pixels right of the bars, with the score written beyond it.
    QVERIFY(at(x2, markerRow) == black);
    QVERIFY(at(x2 + 9, markerRow) == black);
    QVERIFY(at(x2 + 10, markerRow) == white);
    QVERIFY(at(x2 + 5, markerRow - 1) == white && at(x2 + 5, markerRow + 1) == white);
    bool written = false;
    for (int y = markerRow - 8; y <= markerRow + 3 && !written; ++y)
        for (int x = x2 + 15; x < x2 + 40 && !written; ++x)
            written = isDark(at(x, y));
    QVERIFY(written);
    // Nothing strays outside the scale's rectangle.
    if (origin != QPoint(0, 0)) {
        for (int y = 0; y < origin.y(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(image.pixelColor(x, y) == white);
    }
}

void TestQuizDialogs::keyboardOnly_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QStringList>("keys"); // key names, or "=text" typed
    QTest::addColumn<int>("result");
    const int ok = QDialog::Accepted;
    const int closed = QDialog::Rejected;
    QTest::newRow("label options: Enter starts") << "labelling" << QStringList {"Return"} << ok;
    QTest::newRow("label options: Escape closes") << "labelling" << QStringList {"Escape"} << closed;
    QTest::newRow("question options: Enter starts") << "questions" << QStringList {"Return"} << ok;
    QTest::newRow("question options: Escape closes") << "questions" << QStringList {"Escape"} << closed;
    QTest::newRow("name: typed and Enter") << "name" << QStringList {"=Ada", "Return"} << ok;
    QTest::newRow("name: Escape") << "name" << QStringList {"=Ada", "Escape"} << closed;
    QTest::newRow("end: Enter on Schließen") << "end" << QStringList {"Return"} << int(TUebFertigForm::Close);
    QTest::newRow("end: back to repeat and Enter")
        << "end" << QStringList {"Backtab", "Return"} << int(TUebFertigForm::Repeat);
    QTest::newRow("end: Escape") << "end" << QStringList {"Escape"} << int(TUebFertigForm::Close);
    QTest::newRow("list: Enter in the grid closes") << "list" << QStringList {"Return"} << ok;
    QTest::newRow("list: Escape") << "list" << QStringList {"Escape"} << closed;
}

// Every quiz dialog works without a mouse: Tab reaches each of its controls (no control keeps
// Tab to itself), Enter takes the dialog's main choice, Escape closes it.
void TestQuizDialogs::keyboardOnly()
{
    QFETCH(QString, dialog);
    QFETCH(QStringList, keys);
    std::unique_ptr<QDialog> form;
    if (dialog == QLatin1String("labelling") || dialog == QLatin1String("questions"))
        form = std::move(makeOptionsDialog(dialog == QLatin1String("questions")).dialog);
    else if (dialog == QLatin1String("name"))
        form = std::make_unique<TNameEingabeForm>();
    else if (dialog == QLatin1String("end"))
        form = std::make_unique<TUebFertigForm>();
    else
        form = std::make_unique<TBestListForm>();
    if (auto* end = qobject_cast<TUebFertigForm*>(form.get()))
        end->prepareRepeat(0, 2);
    if (auto* list = qobject_cast<TBestListForm*>(form.get())) {
        HighScoreEntry entry;
        entry.Name = QStringLiteral("Ada");
        list->setEntries({entry, entry});
        list->fillGrid();
    }
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    const auto focus = [&form] {
        QWidget* widget = QApplication::focusWidget();
        return widget ? widget : form.get();
    };

    // Tab goes round every control that takes the focus and comes back to where it began.
    QWidget* start = focus();
    QSet<QWidget*> reached {start};
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(focus(), Qt::Key_Tab);
        if (focus() == start)
            break;
        reached.insert(focus());
    }
    QCOMPARE(focus(), start);
    for (QAbstractButton* button : form->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(form.get()) || !button->isEnabled() || button->focusPolicy() == Qt::NoFocus)
            continue;
        // Of radio buttons Tab reaches the group; the arrow keys choose within it.
        const bool reachedGroup = button->autoExclusive()
            && std::any_of(reached.cbegin(), reached.cend(),
                [button](QWidget* w) { return w->parentWidget() == button->parentWidget(); });
        QVERIFY2(reached.contains(button) || reachedGroup, qPrintable(button->objectName() + button->text()));
    }

    QSignalSpy finished(form.get(), &QDialog::finished);
    for (const QString& key : std::as_const(keys)) {
        if (key.startsWith(u'='))
            typeText(focus(), key.mid(1));
        else if (key == QLatin1String("Backtab"))
            QTest::keyClick(focus(), Qt::Key_Tab, Qt::ShiftModifier);
        else
            QTest::keyClick(focus(), key == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Escape);
    }
    QCOMPARE(finished.size(), 1);
    QTEST(form->result(), "result");
    QVERIFY(!form->isVisible());
    if (auto* name = qobject_cast<TNameEingabeForm*>(form.get()); name && form->result() == QDialog::Accepted)
        QCOMPARE(name->name(), QStringLiteral("Ada"));
}

QTEST_MAIN(TestQuizDialogs)
#include "tst_quizdialogs.moc"
