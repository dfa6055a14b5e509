#include "authoring/topiceditor.h"
#include "document/cardgeometry.h"
#include "document/objectlayout.h"
#include "document/zepformat.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

#include <functional>

// The topic editor's commands without a window. Every change is checked on the file it would
// save: after the change, after its undo (the file from before, byte for byte, KAusrAkt and all)
// and after its redo (the same bytes as the first time).

using EditorStep = std::function<bool(TopicEditor&)>;
using Expectation = std::function<void(TopicDocument&)>;
Q_DECLARE_METATYPE(EditorStep)
Q_DECLARE_METATYPE(Expectation)

namespace {

QByteArray written(const TopicDocument& document)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writeTopicFile(buffer, document))
        return {};
    return buffer.data();
}

DocObject object(qint32 kind, double sx, double sy, double kx, double ky, const QString& caption)
{
    DocObject o;
    o.Typ = kind;
    o.Sx = sx;
    o.Sy = sy;
    o.Kx = kx;
    o.Ky = ky;
    o.Cap = caption;
    o.Ebene = 1;
    o.Sline = 1;
    return o;
}

// A labelling topic on a 200 x 100 picture: 0 a label placed automatically and worked out, 1 a
// fixed text, 2 an info point bound to a page, 3 a cloze gap and 4 a question's answer (both
// locked), 5 a label placed above by choice, 6 a link near the bottom right corner.
TopicDocument fixture()
{
    TopicDocument document;
    document.titel = QStringLiteral("Flüsse");
    document.picture = QImage(200, 100, QImage::Format_ARGB32);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x)
            document.picture.setPixel(x, y, qRgb(x, y, 128));
    }
    DocObject label = object(ObjectKind::Label, 0.3, 0.4, 0.4, 0.4, QStringLiteral("Rhein"));
    label.KAusrAkt = 1;
    DocObject info = object(ObjectKind::InfoPoint, 0.5, 0.5, 0.5, 0.5, QStringLiteral("Quelle"));
    info.FrageNummer = 2;
    DocObject gap = object(ObjectKind::ClozeGap, 0.1, 0.9, 0.1, 0.9, QStringLiteral("Lücke"));
    gap.KAusr = gap.KAusrAkt = 2;
    DocObject answer = object(ObjectKind::Answer, 0.225, 0.6, 0.225, 0.6, QStringLiteral("Bonn"));
    answer.FrageNummer = 1;
    DocObject above = object(ObjectKind::Label, 0.6, 0.3, 0.6, 0.2, QStringLiteral("Main"));
    above.KAusr = above.KAusrAkt = 2;
    document.objects = {label, object(ObjectKind::FixedText, 0.7, 0.1, 0.7, 0.1, QStringLiteral("Karte")), info, gap,
        answer, above, object(ObjectKind::WebLink, 0.99, 0.985, 0.99, 0.985, QStringLiteral("https://example.org"))};
    return document;
}

} // namespace

class TestTopicEditor : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
    void lockedAndRefused_data();
    void lockedAndRefused();
    void keyMovesMerge();
    void keysThereAndBackLeaveNothing();
    void dragIsOneEntry();
    void modifiedFollowsSavedState();
    void marginsKeepPicturePoints();
};

namespace {

void addRow(const char* name, const EditorStep& step, const QString& entry, const Expectation& expected)
{
    QTest::newRow(name) << step << entry << expected;
}

} // namespace

void TestTopicEditor::commands_data()
{
    QTest::addColumn<EditorStep>("step");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<Expectation>("expected");
    const QString newLabel = QStringLiteral("Neue Beschriftung");

    // A new label's box stands 5 % of the card's width beside its point.
    addRow(
        "add a label by a click",
        [](TopicEditor& e) {
            return e.addLabel({0.3, 0.5}) == 7;
        },
        QStringLiteral("Beschriftung hinzufügen"),
        [=](TopicDocument& d) { d.objects.append(object(ObjectKind::Label, 0.3, 0.5, 0.3 + 0.05, 0.5, newLabel)); });
    addRow(
        "a label near the right edge gets its box on the left",
        [](TopicEditor& e) {
            return e.addLabel({0.9, 0.2}) == 7;
        },
        QStringLiteral("Beschriftung hinzufügen"),
        [=](TopicDocument& d) { d.objects.append(object(ObjectKind::Label, 0.9, 0.2, 0.9 - 0.05, 0.2, newLabel)); });
    addRow(
        "add an info point: caption trimmed, no page, placement open",
        [](TopicEditor& e) {
            DocObject o = object(ObjectKind::InfoPoint, 0.2, 0.2, 0.2, 0.2, QStringLiteral("  Mündung\n"));
            o.FrageNummer = 3;
            o.KAusrAkt = 4;
            return e.addObject(o) == 7;
        },
        QStringLiteral("Infopunkt hinzufügen"),
        [](TopicDocument& d) {
            d.objects.append(object(ObjectKind::InfoPoint, 0.2, 0.2, 0.2, 0.2, QStringLiteral("Mündung")));
        });
    addRow(
        "move a point: the placement stays",
        [](TopicEditor& e) {
            return e.moveObject(0, ObjectPart::Point, {0.25, 0.45});
        },
        QStringLiteral("Punkt verschieben"), [](TopicDocument& d) { d.objects[0].Sx = 0.25, d.objects[0].Sy = 0.45; });
    addRow(
        "move an automatic box: placement worked out again",
        [](TopicEditor& e) {
            return e.moveObject(0, ObjectPart::Box, {0.2, 0.6});
        },
        QStringLiteral("Beschriftung verschieben"),
        [](TopicDocument& d) { d.objects[0].Kx = 0.2, d.objects[0].Ky = 0.6, d.objects[0].KAusrAkt = 0; });
    addRow(
        "move a box placed by choice: placement stays",
        [](TopicEditor& e) {
            return e.moveObject(5, ObjectPart::Box, {0.65, 0.1});
        },
        QStringLiteral("Beschriftung verschieben"),
        [](TopicDocument& d) { d.objects[5].Kx = 0.65, d.objects[5].Ky = 0.1; });
    addRow(
        "edit a label: caption trimmed, every field in one entry",
        [](TopicEditor& e) {
            ObjectProperties p = ObjectProperties::of(e.document().objects.at(0));
            p.Cap = QStringLiteral(" \r\nMosel \r\nund Saar\n\n");
            p.Typ = ObjectKind::FixedText;
            p.TAusr = 1;
            p.Ebene = 0;
            p.Sline = 0;
            p.Fsize = 3;
            return e.editObject(0, p);
        },
        QStringLiteral("Beschriftung bearbeiten"),
        [](TopicDocument& d) {
            DocObject& o = d.objects[0];
            o.Cap = QStringLiteral("Mosel \r\nund Saar");
            o.Typ = ObjectKind::FixedText;
            o.TAusr = 1, o.Ebene = 0, o.Sline = 0, o.Fsize = 3;
        });
    addRow(
        "a new placement is worked out again",
        [](TopicEditor& e) {
            ObjectProperties p = ObjectProperties::of(e.document().objects.at(5));
            p.KAusr = 3;
            return e.editObject(5, p);
        },
        QStringLiteral("Beschriftung bearbeiten"),
        [](TopicDocument& d) { d.objects[5].KAusr = 3, d.objects[5].KAusrAkt = 0; });
    addRow(
        "delete a fixed text", [](TopicEditor& e) { return e.removeObject(1); }, QStringLiteral("Text löschen"),
        [](TopicDocument& d) { d.objects.removeAt(1); });
    addRow(
        "duplicate: beside the original, bound to no page", [](TopicEditor& e) { return e.duplicateObject(2) == 7; },
        QStringLiteral("Infopunkt duplizieren"),
        [](TopicDocument& d) {
            DocObject copy = d.objects.at(2);
            copy.Sx = copy.Kx = copy.Sy = copy.Ky = 0.5 + 0.02;
            copy.FrageNummer = -1;
            d.objects.append(copy);
        });
    addRow(
        "duplicate in the corner goes up and left", [](TopicEditor& e) { return e.duplicateObject(6) == 7; },
        QStringLiteral("Link duplizieren"),
        [](TopicDocument& d) {
            DocObject copy = d.objects.at(6);
            copy.Sx = copy.Kx = 0.99 - 0.02;
            copy.Sy = copy.Ky = 0.985 - 0.02;
            d.objects.append(copy);
        });
    addRow(
        "reorder", [](TopicEditor& e) { return e.reorderObject(0, 5); }, QStringLiteral("Reihenfolge ändern"),
        [](TopicDocument& d) { d.objects.move(0, 5); });
    addRow(
        "properties without margins",
        [](TopicEditor& e) {
            DocumentProperties p = DocumentProperties::of(e.document());
            p.titel = QStringLiteral("Flüsse in Deutschland");
            p.autor = QStringLiteral("Frau Weber");
            p.bemerkung = QStringLiteral("Klasse 5\r\nHalbjahr 2");
            p.vers = QStringLiteral("1.01");
            p.NumArt = p.GeordnetArt = 1;
            return e.setProperties(p);
        },
        QStringLiteral("Dokumenteigenschaften ändern"),
        [](TopicDocument& d) {
            d.titel = QStringLiteral("Flüsse in Deutschland");
            d.autor = QStringLiteral("Frau Weber");
            d.bemerkung = QStringLiteral("Klasse 5\r\nHalbjahr 2");
            d.vers = QStringLiteral("1.01");
            d.NumArt = d.GeordnetArt = 1;
        });
    // 200 x 100 pixels with margins 0.1, 0.2, 0.3, 0: a card of 280 x 120 with the picture at
    // (20, 20); a place x becomes (200 x + 20) / 280, y becomes (100 y + 20) / 120. The cloze gap
    // and the question page keep their places, which their layout gives in card fractions.
    addRow(
        "margins move the card's edges under the objects",
        [](TopicEditor& e) {
            DocumentProperties p = DocumentProperties::of(e.document());
            p.RandErw = {0.1, 0.2, 0.3, 0};
            return e.setProperties(p);
        },
        QStringLiteral("Dokumenteigenschaften ändern"),
        [](TopicDocument& d) {
            d.RandErw = {0.1, 0.2, 0.3, 0};
            for (DocObject& o : d.objects) {
                if (o.Typ == ObjectKind::ClozeGap || o.Typ == ObjectKind::Answer)
                    continue;
                o.Sx = (o.Sx * 200 + 20) / 280;
                o.Kx = (o.Kx * 200 + 20) / 280;
                o.Sy = (o.Sy * 100 + 20) / 120;
                o.Ky = (o.Ky * 100 + 20) / 120;
            }
        });
    addRow(
        "document type", [](TopicEditor& e) { return e.setDocType(DocType::ClozeText); },
        QStringLiteral("Dokumenttyp ändern"), [](TopicDocument& d) { d.DokTyp = DocType::ClozeText; });
    // The new gaps take the old gap's place in the list; everything else keeps its order.
    addRow(
        "cloze text with the teacher's consent to the type",
        [](TopicEditor& e) { return e.setClozeText(QStringLiteral("\nDer <<Rhein>>\n\nund die << Mosel >>\n"), true); },
        QStringLiteral("Lückentext ändern"),
        [](TopicDocument& d) {
            d.lueckentext = QStringLiteral("Der <<Rhein>>\r\n\r\nund die << Mosel >>");
            d.DokTyp = DocType::ClozeText;
            d.objects.removeAt(3);
            d.objects.insert(3, clozeGapObject(QStringLiteral("Mosel")));
            d.objects.insert(3, clozeGapObject(QStringLiteral("Rhein")));
        });
    addRow(
        "cloze text emptied: its gaps go, the type stays",
        [](TopicEditor& e) { return e.setClozeText(QStringLiteral(" \n"), false); },
        QStringLiteral("Lückentext ändern"), [](TopicDocument& d) { d.objects.removeAt(3); });
}

void TestTopicEditor::commands()
{
    QFETCH(EditorStep, step);
    QFETCH(QString, entry);
    QFETCH(Expectation, expected);

    TopicDocument document = fixture();
    TopicDocument expectedDocument = fixture();
    expected(expectedDocument);
    const QByteArray before = written(document);
    TopicEditor editor(document);
    QUndoStack& stack = *editor.undoStack();

    QVERIFY(step(editor));
    QCOMPARE(stack.count(), 1);
    QCOMPARE(stack.undoText(), entry);
    QVERIFY(document.modified);
    const QByteArray done = written(document);
    QCOMPARE(done, written(expectedDocument));
    // What is saved reads back as the editor holds it.
    TopicDocument readBack;
    QByteArray bytes = done;
    QBuffer file(&bytes);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(readTopicFile(file, readBack), ZepReadStatus::Ok);
    QVERIFY(readBack.sameContent(expectedDocument));

    stack.undo();
    QCOMPARE(written(document), before);
    QVERIFY(!document.modified);
    stack.redo();
    QCOMPARE(written(document), done);
    QVERIFY(document.modified);
}

void TestTopicEditor::lockedAndRefused_data()
{
    QTest::addColumn<EditorStep>("step");
    const auto locked = [](int index) {
        return QList<std::pair<QByteArray, EditorStep>> {
            {"move point",
                [=](TopicEditor& e) {
                    return e.moveObject(index, ObjectPart::Point, {0.5, 0.5});
                }},
            {"move box",
                [=](TopicEditor& e) {
                    return e.moveObject(index, ObjectPart::Box, {0.5, 0.5});
                }},
            {"key move",
                [=](TopicEditor& e) {
                    return e.nudgeObject(index, ObjectPart::Box, {0.01, 0});
                }},
            {"drag", [=](TopicEditor& e) { return e.beginDrag(index, ObjectPart::Box); }},
            {"edit",
                [=](TopicEditor& e) {
                    ObjectProperties p = ObjectProperties::of(e.document().objects.at(index));
                    p.Cap = QStringLiteral("anders");
                    return e.editObject(index, p);
                }},
            {"delete", [=](TopicEditor& e) { return e.removeObject(index); }},
            {"duplicate", [=](TopicEditor& e) { return e.duplicateObject(index) >= 0; }},
            {"reorder", [=](TopicEditor& e) { return e.reorderObject(index, 0); }},
        };
    };
    for (const auto& [name, step] : locked(3))
        QTest::newRow(("cloze gap: " + name).constData()) << step;
    for (const auto& [name, step] : locked(4))
        QTest::newRow(("question page: " + name).constData()) << step;

    const auto edited = [](const std::function<void(ObjectProperties&)>& change) {
        return EditorStep([=](TopicEditor& e) {
            ObjectProperties p = ObjectProperties::of(e.document().objects.at(0));
            change(p);
            return e.editObject(0, p);
        });
    };
    const auto properties = [](const std::function<void(DocumentProperties&)>& change) {
        return EditorStep([=](TopicEditor& e) {
            DocumentProperties p = DocumentProperties::of(e.document());
            change(p);
            return e.setProperties(p);
        });
    };
    QTest::newRow("caption outside Windows-1252")
        << edited([](ObjectProperties& p) { p.Cap = QStringLiteral("Wisła"); });
    QTest::newRow("becoming a cloze gap") << edited([](ObjectProperties& p) { p.Typ = ObjectKind::ClozeGap; });
    QTest::newRow("becoming a page button") << edited([](ObjectProperties& p) { p.Typ = ObjectKind::PageNext; });
    QTest::newRow("an edit that changes nothing after trimming")
        << edited([](ObjectProperties& p) { p.Cap = QStringLiteral("  Rhein\r\n"); });
    QTest::newRow("adding a question page") << EditorStep([](TopicEditor& e) {
        return e.addObject(object(ObjectKind::Answer, 0.5, 0.5, 0.5, 0.5, QStringLiteral("x"))) >= 0;
    });
    QTest::newRow("adding at no number") << EditorStep([](TopicEditor& e) { return e.addLabel({qQNaN(), 0.5}) >= 0; });
    QTest::newRow("moving to no number") << EditorStep([](TopicEditor& e) {
        return e.moveObject(0, ObjectPart::Point, {0.5, qInf()});
    });
    QTest::newRow("moving to where it is") << EditorStep([](TopicEditor& e) {
        return e.moveObject(0, ObjectPart::Box, {0.4, 0.4});
    });
    QTest::newRow("index outside the list") << EditorStep([](TopicEditor& e) { return e.removeObject(7); });
    QTest::newRow("reorder to outside the list") << EditorStep([](TopicEditor& e) { return e.reorderObject(0, 7); });
    QTest::newRow("title outside Windows-1252")
        << properties([](DocumentProperties& p) { p.titel = QStringLiteral("→"); });
    QTest::newRow("margin beyond ten pictures") << properties([](DocumentProperties& p) { p.RandErw[2] = 10.5; });
    QTest::newRow("negative margin") << properties([](DocumentProperties& p) { p.RandErw[0] = -0.1; });
    QTest::newRow("margin no number") << properties([](DocumentProperties& p) { p.RandErw[1] = qQNaN(); });
    QTest::newRow("properties unchanged") << properties([](DocumentProperties&) {});
    QTest::newRow("cloze text with an empty gap")
        << EditorStep([](TopicEditor& e) { return e.setClozeText(QStringLiteral("<<Rhein>> und <<>>"), true); });
    QTest::newRow("cloze text outside Windows-1252")
        << EditorStep([](TopicEditor& e) { return e.setClozeText(QStringLiteral("Die <<Wisła>>"), true); });
    QTest::newRow("cloze text without a gap")
        << EditorStep([](TopicEditor& e) { return e.setClozeText(QStringLiteral("Der Rhein"), true); });
    QTest::newRow("the same document type")
        << EditorStep([](TopicEditor& e) { return e.setDocType(DocType::ImageLabelling); });
}

void TestTopicEditor::lockedAndRefused()
{
    QFETCH(EditorStep, step);
    TopicDocument document = fixture();
    const QByteArray before = written(document);
    TopicEditor editor(document);
    QSignalSpy changed(&editor, &TopicEditor::objectChanged);

    QVERIFY(!step(editor));
    QCOMPARE(editor.undoStack()->count(), 0);
    QVERIFY(!editor.isDragging());
    QVERIFY(!document.modified);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(written(document), before);
}

void TestTopicEditor::keyMovesMerge()
{
    TopicDocument document = fixture();
    const QByteArray original = written(document);
    TopicEditor editor(document);
    QUndoStack& stack = *editor.undoStack();

    // Three presses of one key, the card filling in the placement between them: one entry,
    // whose undo gives back the placement from before the first press.
    for (int i = 0; i < 3; ++i) {
        QVERIFY(editor.nudgeObject(0, ObjectPart::Box, {0.01, 0}));
        document.objects[0].KAusrAkt = 3;
    }
    QCOMPARE(stack.count(), 1);
    QCOMPARE(document.objects.at(0).Kx, 0.4 + 0.01 + 0.01 + 0.01);
    stack.undo();
    QCOMPARE(written(document), original);

    // Another part, another object or another kind of change starts a new entry.
    stack.redo();
    QVERIFY(editor.nudgeObject(0, ObjectPart::Point, {0, 0.01}));
    QVERIFY(editor.nudgeObject(5, ObjectPart::Point, {0, 0.01}));
    QVERIFY(editor.moveObject(5, ObjectPart::Point, {0.6, 0.35}));
    QVERIFY(editor.nudgeObject(5, ObjectPart::Point, {0, 0.01}));
    QCOMPARE(stack.count(), 5);

    // Saving in between keeps the saved state reachable.
    editor.markSaved();
    const QByteArray saved = written(document);
    QVERIFY(editor.nudgeObject(5, ObjectPart::Point, {0, 0.01}));
    QCOMPARE(stack.count(), 6);
    stack.undo();
    QVERIFY(!document.modified);
    QCOMPARE(written(document), saved);
}

void TestTopicEditor::keysThereAndBackLeaveNothing()
{
    // Left, right, right, left: the box is back, with the placement it had (which the moves had
    // cleared), though the steps need not add up to the very same number.
    TopicDocument document = fixture();
    const QByteArray original = written(document);
    TopicEditor editor(document);
    const double pixel = 1.0 / 873;
    for (const double step : {-pixel, pixel, pixel, -pixel})
        QVERIFY(editor.nudgeObject(0, ObjectPart::Box, {step, 0}));
    QCOMPARE(editor.undoStack()->count(), 0);
    QVERIFY(!document.modified);
    QCOMPARE(written(document), original);
}

void TestTopicEditor::dragIsOneEntry()
{
    TopicDocument document = fixture();
    const QByteArray original = written(document);
    TopicEditor editor(document);
    QUndoStack& stack = *editor.undoStack();
    QSignalSpy changed(&editor, &TopicEditor::objectChanged);

    QVERIFY(editor.beginDrag(0, ObjectPart::Box));
    for (int step = 1; step <= 5; ++step)
        QVERIFY(editor.dragTo({0.4 + step * 0.02, 0.4 + step * 0.01}));
    QCOMPARE(changed.count(), 5); // the card follows every step
    QCOMPARE(document.objects.at(0).Kx, 0.5);
    QVERIFY(editor.endDrag());
    QCOMPARE(stack.count(), 1);
    QCOMPARE(stack.undoText(), QStringLiteral("Beschriftung verschieben"));
    const QByteArray dragged = written(document);
    stack.undo();
    QCOMPARE(written(document), original);
    stack.redo();
    QCOMPARE(written(document), dragged);

    // The next drag of the same box is an entry of its own.
    QVERIFY(editor.beginDrag(0, ObjectPart::Box));
    QVERIFY(editor.dragTo({0.3, 0.3}));
    QVERIFY(editor.endDrag());
    QCOMPARE(stack.count(), 2);

    // A cancelled drag leaves the object as it was and no entry, even where the moves had
    // cleared its placement.
    document.objects[0].KAusrAkt = 1; // the card has drawn the box since the last drag
    const QByteArray beforeCancel = written(document);
    QVERIFY(editor.beginDrag(0, ObjectPart::Box));
    QVERIFY(editor.dragTo({0.1, 0.1}));
    document.objects[0].KAusrAkt = 3; // the card works the placement out while the drag goes on
    QVERIFY(editor.dragTo({0.2, 0.1}));
    editor.cancelDrag();
    QVERIFY(!editor.isDragging());
    QCOMPARE(stack.count(), 2);
    QCOMPARE(written(document), beforeCancel);

    // A drag that never moved leaves nothing either.
    QVERIFY(editor.beginDrag(5, ObjectPart::Point));
    QVERIFY(!editor.endDrag());
    QCOMPARE(stack.count(), 2);

    // Undo in the middle of a drag ends it as it stands.
    QVERIFY(editor.beginDrag(5, ObjectPart::Box));
    QVERIFY(editor.dragTo({0.7, 0.2}));
    stack.undo();
    QVERIFY(!editor.isDragging());
    QVERIFY(!editor.dragTo({0.8, 0.2}));
    QCOMPARE(document.objects.at(5).Kx, 0.6);
    QCOMPARE(stack.count(), 3);
}

void TestTopicEditor::modifiedFollowsSavedState()
{
    TopicDocument document = fixture();
    TopicEditor editor(document);
    QUndoStack& stack = *editor.undoStack();
    QSignalSpy modified(&editor, &TopicEditor::modifiedChanged);

    QCOMPARE(editor.addLabel({0.5, 0.5}), 7);
    QVERIFY(document.modified);
    editor.markSaved();
    QVERIFY(!document.modified);
    QVERIFY(editor.moveObject(7, ObjectPart::Point, {0.45, 0.5}));
    QVERIFY(document.modified);
    stack.undo();
    QVERIFY(!document.modified);
    stack.undo(); // behind the saved state
    QVERIFY(document.modified);
    stack.redo();
    QVERIFY(!document.modified);
    QCOMPARE(modified.count(), 6);

    // A change made behind the saved state means the saved state can never come back.
    stack.undo();
    QVERIFY(editor.setDocType(DocType::ClozeText));
    stack.undo();
    QVERIFY(document.modified);

    // A new document from a picture comes unsaved: empty stack, still modified until saved.
    document = fixture();
    document.modified = true;
    editor.documentReplaced();
    QCOMPARE(stack.count(), 0);
    QVERIFY(document.modified);
    QVERIFY(editor.removeObject(0));
    stack.undo();
    QVERIFY(document.modified);
    editor.markSaved();
    QVERIFY(!document.modified);

    // A document read from its file starts clean.
    document = fixture();
    editor.documentReplaced();
    QVERIFY(!document.modified);
    QVERIFY(!stack.canUndo());
}

void TestTopicEditor::marginsKeepPicturePoints()
{
    TopicDocument document = fixture();
    document.picture = QImage(317, 211, QImage::Format_ARGB32);
    document.picture.fill(Qt::gray);
    document.RandErw = {0.05, 0.1, 0, 0.25};
    document.objects[0].Sx = 1.0 / 3;
    document.objects[0].Ky = 0.987654321;
    const TopicDocument original = document;
    const QByteArray originalBytes = written(document);
    TopicEditor editor(document);

    DocumentProperties p = DocumentProperties::of(document);
    p.RandErw = {0.3, 0, 0.15, 0.075};
    QVERIFY(editor.setProperties(p));
    const CardFrame from = cardFrame(original.picture.size(), original.RandErw);
    const CardFrame to = cardFrame(document.picture.size(), document.RandErw);
    QVERIFY(from.size != to.size);
    for (qsizetype i = 0; i < document.objects.size(); ++i) {
        const DocObject& before = original.objects.at(i);
        const DocObject& after = document.objects.at(i);
        if (isLockedObject(before)) {
            QCOMPARE(after, before);
            continue;
        }
        for (const auto& [a, b] : {std::pair {QPointF(before.Sx, before.Sy), QPointF(after.Sx, after.Sy)},
                 std::pair {QPointF(before.Kx, before.Ky), QPointF(after.Kx, after.Ky)}}) {
            const QPointF pixelBefore = cardToPicture(from, a);
            const QPointF pixelAfter = cardToPicture(to, b);
            QVERIFY2(qAbs(pixelBefore.x() - pixelAfter.x()) < 1e-9 && qAbs(pixelBefore.y() - pixelAfter.y()) < 1e-9,
                qPrintable(QStringLiteral("object %1").arg(i)));
        }
    }
    const QByteArray changed = written(document);
    editor.undoStack()->undo();
    QCOMPARE(written(document), originalBytes);
    editor.undoStack()->redo();
    QCOMPARE(written(document), changed);

    // Margins that round to the same card leave every place exactly as it was.
    editor.undoStack()->undo();
    p.RandErw = {0.05 + 1e-6, 0.1, 0, 0.25};
    QVERIFY(editor.setProperties(p));
    for (qsizetype i = 0; i < document.objects.size(); ++i)
        QCOMPARE(document.objects.at(i).Sx, original.objects.at(i).Sx);
}

QTEST_GUILESS_MAIN(TestTopicEditor)
#include "tst_topiceditor.moc"
