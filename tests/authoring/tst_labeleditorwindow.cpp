// The topic editor's windows as a teacher uses them: the label editor's list and fields, its
// buttons and keys, what it refuses, how it follows undo from elsewhere, and the document
// properties. Every change is checked on the document and on the undo stack.

#include "authoring/topiceditor.h"
#include "authoring/ui/documentpropertiesdialog.h"
#include "authoring/ui/labeleditorwindow.h"
#include "document/cardgeometry.h"
#include "support/fakedialogservice.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using WindowStep = std::function<void(LabelEditorWindow&)>;
using ObjectCheck = std::function<void(const TopicDocument&)>;
using DialogStep = std::function<void(DocumentPropertiesDialog&)>;
Q_DECLARE_METATYPE(WindowStep)
Q_DECLARE_METATYPE(ObjectCheck)
Q_DECLARE_METATYPE(DialogStep)

namespace {

DocObject object(qint32 kind, double x, double y, const QString& caption, qint32 layer)
{
    DocObject o;
    o.Typ = kind;
    o.Sx = o.Kx = x;
    o.Sy = o.Ky = y;
    o.Kx += 0.05;
    o.Cap = caption;
    o.Ebene = layer;
    o.Sline = kind == ObjectKind::Label ? 1 : 0;
    return o;
}

// 0 label "Rhein", 1 fixed text, 2 info point, 3 cloze gap (locked), 4 label placed above, 5 link.
TopicDocument fixture()
{
    TopicDocument document;
    document.titel = QStringLiteral("Flüsse");
    document.RandErw = {0.123456, 0, 0, 0};
    document.NumArt = 7; // any value but 1 numbers with digits
    document.picture = QImage(200, 100, QImage::Format_ARGB32);
    document.picture.fill(Qt::darkCyan);
    DocObject above = object(ObjectKind::Label, 0.6, 0.3, QStringLiteral("Main"), 1);
    above.KAusr = above.KAusrAkt = 2;
    document.objects = {object(ObjectKind::Label, 0.3, 0.4, QStringLiteral("Rhein"), 1),
        object(ObjectKind::FixedText, 0.7, 0.1, QStringLiteral("Karte"), 0),
        object(ObjectKind::InfoPoint, 0.5, 0.5, QStringLiteral("Quelle"), 2),
        object(ObjectKind::ClozeGap, 0.1, 0.9, QStringLiteral("Lücke"), 1), above,
        object(ObjectKind::WebLink, 0.8, 0.8, QStringLiteral("https://example.org"), 2)};
    return document;
}

template<typename T> T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

QString fieldText(LabelEditorWindow& window)
{
    return child<QPlainTextEdit>(window, "TextMemo")->toPlainText();
}

// A window of its own, shown and active, so that the keyboard focus moves as a teacher moves it.
struct Bench
{
    TopicDocument document = fixture();
    TopicEditor editor {document};
    LabelEditorWindow window {editor};

    Bench()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("window not active");
    }
    QUndoStack& stack() { return *editor.undoStack(); }
    void select(int row) { child<QListWidget>(window, "ObjektListe")->setCurrentRow(row); }
    // Leaves the caption field the way a click elsewhere does.
    void leaveCaption() { child<QListWidget>(window, "ObjektListe")->setFocus(); }
    void typeCaption(const QString& text)
    {
        auto* edit = child<QPlainTextEdit>(window, "TextMemo");
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClicks(edit, lines.at(i));
        }
    }
};

} // namespace

class TestLabelEditorWindow : public QObject
{
    Q_OBJECT

private slots:
    void selectingShowsTheObject_data();
    void selectingShowsTheObject();
    void captionField_data();
    void captionField();
    void choicesApplyAtOnce_data();
    void choicesApplyAtOnce();
    void buttonsAndKeys_data();
    void buttonsAndKeys();
    void changesFromOutsideShowHere();
    void infoPreviewDrawsMarkup();
    void linkFileChooser_data();
    void linkFileChooser();
    void propertiesRoundTrip_data();
    void propertiesRoundTrip();
    void propertiesRefuseCharacters();
};

void TestLabelEditorWindow::selectingShowsTheObject_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("fileButton");
    QTest::addColumn<bool>("preview");

    QTest::newRow("label") << 0 << "Beschriftung"
                           << "Rhein" << true << false << false;
    QTest::newRow("info point shows a preview") << 2 << "Infopunkt"
                                                << "Quelle" << true << false << true;
    QTest::newRow("cloze gap is locked") << 3 << ""
                                         << "Lücke" << false << false << false;
    QTest::newRow("link chooses a file") << 5 << "Link (Datei/Webadresse)"
                                         << "https://example.org" << true << true << false;
}

void TestLabelEditorWindow::selectingShowsTheObject()
{
    QFETCH(int, row);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(bool, editable);
    QFETCH(bool, fileButton);
    QFETCH(bool, preview);
    Bench bench;
    auto* list = child<QListWidget>(bench.window, "ObjektListe");
    // The list may have taken the first row with the focus.
    bench.window.setSelectedObject(-1);
    QSignalSpy selected(&bench.window, &LabelEditorWindow::selectionChanged);
    QCOMPARE(list->count(), 6);

    bench.select(row);
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().first().toInt(), row);
    QCOMPARE(child<QComboBox>(bench.window, "TypCombo")->currentText(), kind);
    QCOMPARE(fieldText(bench.window), caption);
    QCOMPARE(child<QWidget>(bench.window, "TextMemo")->isEnabled(), editable);
    QCOMPARE(child<QPushButton>(bench.window, "LoeschenBtn")->isEnabled(), editable);
    QCOMPARE(child<QPushButton>(bench.window, "NachObenBtn")->isEnabled(), editable && row > 0);
    QCOMPARE(child<QPushButton>(bench.window, "NachUntenBtn")->isEnabled(), editable && row < 5);
    QCOMPARE(child<QLabel>(bench.window, "GesperrtHinweis")->isVisible(), !editable);
    QCOMPARE(child<QPushButton>(bench.window, "DateiBtn")->isVisible(), fileButton);
    QCOMPARE(child<QScrollArea>(bench.window, "Vorschau")->isVisible(), preview);

    // The card selects the same object: nothing to tell.
    bench.window.setSelectedObject(row);
    QCOMPARE(selected.count(), 1);
    // Del in the list deletes an object a teacher placed, and leaves a locked one.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(bench.stack().count(), editable ? 1 : 0);
    QCOMPARE(bench.document.objects.size(), editable ? 5 : 6);
    if (!editable) {
        // Nor can it be dragged: the list puts it back.
        list->model()->moveRow({}, row, {}, 0);
        QCOMPARE(bench.stack().count(), 0);
        QTRY_VERIFY(list->item(row)->text().contains(caption));
    }
}

void TestLabelEditorWindow::captionField_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("hint");
    const QString rhein = QStringLiteral("Rhein");

    // Stored as a topic file gives it back: lines with CR LF, blanks at the ends gone.
    QTest::newRow("typed, field left") << "leave" << QStringLiteral("Rhein\nFluss ") << QStringLiteral("Rhein\r\nFluss")
                                       << QString();
    QTest::newRow("typed, pause") << "pause" << QStringLiteral(" Mosel") << QStringLiteral("Mosel") << QString();
    // A label without text would vanish from the card and be an empty quiz item.
    QTest::newRow("emptied, field left") << "leave" << QStringLiteral("  ") << rhein
                                         << QStringLiteral(
                                                "Ein Objekt braucht einen Text. Soll es weg, wählen Sie „Löschen“.");
    // Characters arrive as one key event each, whole, as a keyboard or input method sends them.
    QTest::newRow("euro sign is in the code page")
        << "key" << QStringLiteral("5 €") << QStringLiteral("Rhein5 €") << QString();
    QTest::newRow("arrow") << "key" << QStringLiteral("→") << rhein
                           << QStringLiteral("Das Zeichen „→“ kann ein Thema nicht speichern.");
    QTest::newRow("emoji") << "key" << QStringLiteral("😀") << rhein
                           << QStringLiteral("Das Zeichen „😀“ kann ein Thema nicht speichern.");
    QTest::newRow("paste refused whole") << "paste" << QStringLiteral("a→b😀") << rhein
                                         << QStringLiteral("Die Zeichen „→“ und „😀“ kann ein Thema nicht speichern.");
}

void TestLabelEditorWindow::captionField()
{
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(QString, stored);
    QFETCH(QString, hint);
    Bench bench;
    bench.select(0);
    auto* edit = child<QPlainTextEdit>(bench.window, "TextMemo");
    if (how == u"key" || how == u"paste") {
        edit->setFocus();
        edit->moveCursor(QTextCursor::End);
        QApplication::clipboard()->setText(input);
        if (how == u"paste")
            edit->paste();
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, input, Qt::NoModifier);
    } else {
        bench.typeCaption(input);
    }
    // Not per keystroke.
    QCOMPARE(bench.stack().count(), 0);
    if (how == u"pause")
        QTRY_COMPARE_WITH_TIMEOUT(bench.stack().count(), 1, 3 * LabelEditorWindow::captionPauseMs);
    else
        bench.leaveCaption();

    const bool changed = stored != u"Rhein";
    QCOMPARE(bench.stack().count(), changed ? 1 : 0);
    QCOMPARE(bench.document.objects.at(0).Cap, stored);
    auto* hintLabel = child<QLabel>(bench.window, "ZeichenHinweis");
    QCOMPARE(hintLabel->isVisible(), !hint.isEmpty());
    if (!hint.isEmpty())
        QCOMPARE(hintLabel->text(), hint);
    // During a pause the field keeps what was typed; once left it shows what is stored.
    QCOMPARE(fieldText(bench.window),
        how == u"pause" ? input : QString(stored).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    if (!changed)
        return;
    QVERIFY(child<QListWidget>(bench.window, "ObjektListe")->item(0)->text().contains(stored.section(u'\r', 0, 0)));
    QVERIFY(bench.document.modified);

    bench.stack().undo();
    QCOMPARE(bench.document.objects.at(0).Cap, QStringLiteral("Rhein"));
    QCOMPARE(fieldText(bench.window), QStringLiteral("Rhein"));
    QVERIFY(!bench.document.modified);
    // Leaving the field again after the undo must not bring the caption back.
    bench.leaveCaption();
    QTest::qWait(LabelEditorWindow::captionPauseMs + 100);
    QCOMPARE(bench.stack().index(), 0);
}

namespace {

template<typename T> WindowStep on(const char* widget, std::function<void(T*)> change)
{
    return [=](LabelEditorWindow& window) { change(child<T>(window, widget)); };
}

} // namespace

void TestLabelEditorWindow::choicesApplyAtOnce_data()
{
    QTest::addColumn<WindowStep>("step");
    QTest::addColumn<ObjectCheck>("check");

    QTest::newRow("kind: an info point goes to the info-points layer the quiz hides")
        << on<QComboBox>("TypCombo", [](QComboBox* c) { c->setCurrentText(QStringLiteral("Infopunkt")); })
        << ObjectCheck([](const TopicDocument& d) {
               QCOMPARE(d.objects.at(0).Typ, qint32(ObjectKind::InfoPoint));
               QCOMPARE(d.objects.at(0).Ebene, 2);
           });
    QTest::newRow("placement below is worked out again by the card")
        << on<QComboBox>("KAusrCombo", [](QComboBox* c) { c->setCurrentText(QStringLiteral("unten")); })
        << ObjectCheck([](const TopicDocument& d) {
               QCOMPARE(d.objects.at(0).KAusr, 4);
               QCOMPARE(d.objects.at(0).KAusrAkt, 0);
           });
    QTest::newRow("leader line off") << on<QCheckBox>("SlineCheck", [](QCheckBox* c) { c->click(); })
                                     << ObjectCheck([](const TopicDocument& d) { QCOMPARE(d.objects.at(0).Sline, 0); });
    QTest::newRow("size, with a caption still being typed applied first") << WindowStep([](LabelEditorWindow& window) {
        QTest::keyClicks(child<QPlainTextEdit>(window, "TextMemo"), QStringLiteral("strom"));
        child<QSpinBox>(window, "FsizeSpin")->setValue(3);
    }) << ObjectCheck([](const TopicDocument& d) {
        QCOMPARE(d.objects.at(0).Fsize, 3);
        QCOMPARE(d.objects.at(0).Cap, QStringLiteral("Rheinstrom"));
    });
}

void TestLabelEditorWindow::choicesApplyAtOnce()
{
    QFETCH(WindowStep, step);
    QFETCH(ObjectCheck, check);
    Bench bench;
    bench.select(0);
    const QList<DocObject> before = bench.document.objects;
    child<QPlainTextEdit>(bench.window, "TextMemo")->moveCursor(QTextCursor::End);

    step(bench.window);
    check(bench.document);
    QVERIFY(bench.stack().count() >= 1);
    // Ctrl+Z in the window, as often as there are entries.
    auto* list = child<QListWidget>(bench.window, "ObjektListe");
    list->setFocus();
    for (int entries = bench.stack().count(); entries > 0; --entries)
        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(bench.document.objects, before);
    // The fields follow the undo.
    QCOMPARE(child<QComboBox>(bench.window, "TypCombo")->currentText(), QStringLiteral("Beschriftung"));
    QCOMPARE(child<QComboBox>(bench.window, "EbeneCombo")->currentIndex(), 1);
    QVERIFY(child<QCheckBox>(bench.window, "SlineCheck")->isChecked());
    QCOMPARE(child<QSpinBox>(bench.window, "FsizeSpin")->value(), 0);
    QCOMPARE(fieldText(bench.window), QStringLiteral("Rhein"));
}

void TestLabelEditorWindow::buttonsAndKeys_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<WindowStep>("step");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QStringList>("captionsAfter");

    const auto click = [](const char* name) { return on<QPushButton>(name, [](QPushButton* b) { b->click(); }); };
    const auto key = [](int k, Qt::KeyboardModifiers modifiers) {
        return WindowStep([=](LabelEditorWindow& w) {
            auto* list = child<QListWidget>(w, "ObjektListe");
            list->setFocus();
            QTest::keyClick(list, Qt::Key(k), modifiers);
        });
    };
    const QString r = QStringLiteral("Rhein"), k = QStringLiteral("Karte"), q = QStringLiteral("Quelle"),
                  l = QStringLiteral("Lücke"), m = QStringLiteral("Main"), w = QStringLiteral("https://example.org");

    QTest::newRow("Neu") << 1 << click("NeuBtn") << 6 << QStringList {r, k, q, l, m, w, "Neue Beschriftung"};
    QTest::newRow("Strg+D") << 4 << key(Qt::Key_D, Qt::ControlModifier) << 6 << QStringList {r, k, q, l, m, w, m};
    QTest::newRow("Löschen selects the next") << 1 << click("LoeschenBtn") << 1 << QStringList {r, q, l, m, w};
    QTest::newRow("Entf on the last selects the new last")
        << 5 << key(Qt::Key_Delete, Qt::NoModifier) << 4 << QStringList {r, k, q, l, m};
    QTest::newRow("Nach oben past a locked gap") << 4 << click("NachObenBtn") << 3 << QStringList {r, k, q, m, l, w};
    QTest::newRow("Nach unten") << 0 << click("NachUntenBtn") << 1 << QStringList {k, r, q, l, m, w};
    // What a drop in the list does to its rows: the label goes below the gap.
    QTest::newRow("dragged in the list") << 0 << WindowStep([](LabelEditorWindow& window) {
        child<QListWidget>(window, "ObjektListe")->model()->moveRow({}, 0, {}, 4);
    }) << 3 << QStringList {k, q, l, r, m, w};
}

void TestLabelEditorWindow::buttonsAndKeys()
{
    QFETCH(int, row);
    QFETCH(WindowStep, step);
    QFETCH(int, selectedAfter);
    QFETCH(QStringList, captionsAfter);
    Bench bench;
    bench.select(row);
    const QList<DocObject> before = bench.document.objects;
    const QString selectedCaption = bench.document.objects.at(row).Cap;
    QSignalSpy selected(&bench.window, &LabelEditorWindow::selectionChanged);

    step(bench.window);
    QStringList captions;
    for (const DocObject& o : std::as_const(bench.document.objects))
        captions.append(o.Cap);
    QCOMPARE(captions, captionsAfter);
    QCOMPARE(bench.stack().count(), 1);
    QCOMPARE(bench.window.selectedObject(), selectedAfter);
    QCOMPARE(selected.last().first().toInt(), selectedAfter);
    auto* list = child<QListWidget>(bench.window, "ObjektListe");
    QCOMPARE(list->count(), captionsAfter.size());
    QCOMPARE(list->currentRow(), selectedAfter);
    for (int i = 0; i < list->count(); ++i)
        QVERIFY2(list->item(i)->text().contains(captionsAfter.at(i)), qPrintable(list->item(i)->text()));
    QCOMPARE(fieldText(bench.window), captionsAfter.at(selectedAfter));

    bench.stack().undo();
    QCOMPARE(bench.document.objects, before);
    QCOMPARE(list->count(), before.size());
    // Undo of a move brings the selection back with its object.
    if (captionsAfter.size() == before.size())
        QCOMPARE(bench.document.objects.at(bench.window.selectedObject()).Cap, selectedCaption);
}

void TestLabelEditorWindow::changesFromOutsideShowHere()
{
    Bench bench;
    bench.select(4);
    QSignalSpy selected(&bench.window, &LabelEditorWindow::selectionChanged);
    auto* list = child<QListWidget>(bench.window, "ObjektListe");

    // The card edits and deletes; the window follows, its selection on the same object.
    ObjectProperties changed = ObjectProperties::of(bench.document.objects.at(4));
    changed.Cap = QStringLiteral("Main\r\nFluss");
    QVERIFY(bench.editor.editObject(4, changed));
    QCOMPARE(fieldText(bench.window), QStringLiteral("Main\nFluss"));
    QVERIFY(list->item(4)->text().endsWith(QStringLiteral("Main")));
    QVERIFY(bench.editor.removeObject(0));
    QCOMPARE(bench.window.selectedObject(), 3);
    QCOMPARE(selected.last().first().toInt(), 3);
    QCOMPARE(list->currentRow(), 3);

    bench.stack().undo();
    QCOMPARE(bench.window.selectedObject(), 4);
    QCOMPARE(list->count(), 6);
    bench.stack().undo();
    QCOMPARE(fieldText(bench.window), QStringLiteral("Main"));

    // Removing the selected object from outside drops what was being typed for it.
    auto* edit = child<QPlainTextEdit>(bench.window, "TextMemo");
    QTest::keyClicks(edit, QStringLiteral("xyz"));
    QVERIFY(bench.editor.removeObject(4));
    QCOMPARE(bench.window.selectedObject(), 4);
    QCOMPARE(fieldText(bench.window), QStringLiteral("https://example.org"));
    QTest::qWait(LabelEditorWindow::captionPauseMs + 100);
    QCOMPARE(bench.document.objects.at(4).Cap, QStringLiteral("https://example.org"));

    bench.editor.documentReplaced();
    QCOMPARE(bench.window.selectedObject(), -1);
    QCOMPARE(selected.last().first().toInt(), -1);
    QVERIFY(!child<QWidget>(bench.window, "TextMemo")->isEnabled());
}

void TestLabelEditorWindow::infoPreviewDrawsMarkup()
{
    Bench bench;
    bench.select(2);
    auto* preview = child<QLabel>(bench.window, "VorschauBild");
    // A rule tag draws a line across the preview instead of showing the tag.
    bench.typeCaption(QStringLiteral("<@LINIE>"));
    const QImage image = preview->pixmap().toImage();
    QVERIFY(!image.isNull());
    int longestDarkRun = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = qGray(image.pixel(x, y)) < 100 ? run + 1 : 0;
            longestDarkRun = std::max(longestDarkRun, run);
        }
    }
    QVERIFY2(longestDarkRun > image.width() * 3 / 4, qPrintable(QString::number(longestDarkRun)));
}

void TestLabelEditorWindow::linkFileChooser_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("refused");

    QTest::newRow("beside the topic: relative") << "sub/blatt.pdf"
                                                << "sub/blatt.pdf" << false;
    QTest::newRow("elsewhere: the whole path") << "/srv/andere/karte.pdf"
                                               << "/srv/andere/karte.pdf" << false;
    QTest::newRow("a name a topic cannot store") << "pfeil→.pdf"
                                                 << "https://example.org" << true;
}

void TestLabelEditorWindow::linkFileChooser()
{
    QFETCH(QString, chosen);
    QFETCH(QString, caption);
    QFETCH(bool, refused);
    QTemporaryDir folder;
    FakeDialogService dialogs;
    dialogs.openAnswer = QDir::isAbsolutePath(chosen) ? chosen : folder.filePath(chosen);
    Bench bench;
    bench.document.filePath = folder.filePath(QStringLiteral("fluesse.zep"));
    bench.select(5);

    child<QPushButton>(bench.window, "DateiBtn")->click();
    QCOMPARE(dialogs.requests.size(), 1);
    QCOMPARE(dialogs.requests.first().folder, QDir(folder.path()).absolutePath());
    QCOMPARE(bench.document.objects.at(5).Cap, caption);
    QCOMPARE(child<QLabel>(bench.window, "ZeichenHinweis")->isVisible(), refused);
    QCOMPARE(bench.stack().count(), refused ? 0 : 1);
}

void TestLabelEditorWindow::propertiesRoundTrip_data()
{
    QTest::addColumn<DialogStep>("step");
    QTest::addColumn<ObjectCheck>("check");

    QTest::newRow("title: the margin with more decimals than shown stays exact") << DialogStep(
        [](DocumentPropertiesDialog& d) {
            child<QLineEdit>(d, "TitelEdit")->setText(QStringLiteral("Flüsse Europas"));
        }) << ObjectCheck([](const TopicDocument& d) {
        QCOMPARE(d.titel, QStringLiteral("Flüsse Europas"));
        QCOMPARE(d.RandErw[0], 0.123456);
        QCOMPARE(d.NumArt, 7);
        QCOMPARE(d.objects.at(0).Sx, 0.3);
    });
    QTest::newRow("margin in percent: objects stay on their picture point")
        << DialogStep([](DocumentPropertiesDialog& d) { child<QDoubleSpinBox>(d, "RandRechtsSpin")->setValue(50.0); })
        << ObjectCheck([](const TopicDocument& d) {
               QCOMPARE(d.RandErw[2], 0.5);
               // The card grew to the right; the label still names the same point of the picture.
               const CardFrame before = cardFrame(QSize(200, 100), {0.123456, 0, 0, 0});
               const CardFrame after = cardFrame(QSize(200, 100), d.RandErw);
               const QPointF point = cardToPicture(after, QPointF(d.objects.at(0).Sx, d.objects.at(0).Sy));
               QCOMPARE(point, cardToPicture(before, QPointF(0.3, 0.4)));
               QVERIFY(d.objects.at(0).Sx < 0.3);
           });
    QTest::newRow("remark lines, letters, alphabetical") << DialogStep([](DocumentPropertiesDialog& d) {
        child<QPlainTextEdit>(d, "BemerkungMemo")->setPlainText(QStringLiteral("Klasse 5\nErdkunde"));
        child<QComboBox>(d, "NumArtCombo")->setCurrentIndex(1);
        child<QComboBox>(d, "GeordnetArtCombo")->setCurrentIndex(1);
    }) << ObjectCheck([](const TopicDocument& d) {
        QCOMPARE(d.bemerkung, QStringLiteral("Klasse 5\r\nErdkunde"));
        QCOMPARE(d.NumArt, 1);
        QCOMPARE(d.GeordnetArt, 1);
    });
}

void TestLabelEditorWindow::propertiesRoundTrip()
{
    QFETCH(DialogStep, step);
    QFETCH(ObjectCheck, check);
    TopicDocument document = fixture();
    const TopicDocument before = document;
    TopicEditor editor(document);
    DocumentPropertiesDialog dialog(editor);

    // Nothing changed: OK leaves no entry.
    dialog.show();
    child<QPushButton>(dialog, "OKBtn")->click();
    QCOMPARE(editor.undoStack()->count(), 0);
    // Cancel changes nothing either.
    dialog.show();
    step(dialog);
    child<QPushButton>(dialog, "CancelBtn")->click();
    QCOMPARE(editor.undoStack()->count(), 0);

    // Shown again, it starts from the document; OK applies the change as one entry.
    dialog.show();
    QCOMPARE(child<QLineEdit>(dialog, "TitelEdit")->text(), QStringLiteral("Flüsse"));
    QCOMPARE(child<QDoubleSpinBox>(dialog, "RandLinksSpin")->text(), QStringLiteral("12.3 %"));
    step(dialog);
    child<QPushButton>(dialog, "OKBtn")->click();
    QVERIFY(dialog.isHidden());
    QCOMPARE(editor.undoStack()->count(), 1);
    check(document);
    QVERIFY(document.modified);

    editor.undoStack()->undo();
    QVERIFY(document.sameContent(before));
    QCOMPARE(document.RandErw, before.RandErw);
    dialog.show();
    QCOMPARE(dialog.properties(), DocumentProperties::of(before));
}

void TestLabelEditorWindow::propertiesRefuseCharacters()
{
    TopicDocument document = fixture();
    TopicEditor editor(document);
    DocumentPropertiesDialog dialog(editor);
    dialog.show();
    auto* title = child<QLineEdit>(dialog, "TitelEdit");
    title->setFocus();
    title->end(false);
    QTest::sendKeyEvent(QTest::Click, title, Qt::Key_unknown, QStringLiteral("→"), Qt::NoModifier);
    QCOMPARE(title->text(), QStringLiteral("Flüsse"));
    QVERIFY(child<QLabel>(dialog, "ZeichenHinweis")->isVisible());
}

QTEST_MAIN(TestLabelEditorWindow)
#include "tst_labeleditorwindow.moc"
