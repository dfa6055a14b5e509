// The card scene: picture and margins, layers, placement and size of boxes, covers with their
// numbers, zoom and the view window, drawings on the view, and single-object redraws that must
// leave the same pixels as a full redraw.

#include "cardview/cardview.h"
#include "quiz/droptarget.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

#include <cmath>

using Layers = std::array<bool, 3>;
Q_DECLARE_METATYPE(Layers)

namespace {

const QColor pictureColour(0, 128, 0);
const QRgb coverFill = qRgb(202, 228, 255);

DocObject label(const QString& caption, double sx, double sy, double kx, double ky, qint32 layer = 1)
{
    DocObject o;
    o.Typ = ObjectKind::Label;
    o.Cap = caption;
    o.Sx = sx;
    o.Sy = sy;
    o.Kx = kx;
    o.Ky = ky;
    o.Ebene = layer;
    o.Sline = 1;
    return o;
}

// A 400 x 300 green picture: in the default control of 870 x 600 it fills 800 x 600.
TopicDocument greenTopic(const QList<DocObject>& objects = {})
{
    TopicDocument doc;
    doc.picture = QImage(400, 300, QImage::Format_ARGB32);
    doc.picture.fill(pictureColour);
    doc.objects = objects;
    return doc;
}

// A 400 x 200 picture: it fills the control's width at 100 %, so at 200 % the view keeps its
// width and every size on the card doubles exactly.
TopicDocument wideTopic(const QList<DocObject>& objects = {})
{
    TopicDocument doc = greenTopic(objects);
    doc.picture = QImage(400, 200, QImage::Format_ARGB32);
    doc.picture.fill(pictureColour);
    return doc;
}

QRect boxOf(const CardView& view, int index)
{
    const DocObject& o = view.document().objects.at(index);
    const QSize scene = view.sceneBitmap.size();
    return QRect(QPoint(qRound(o.boxRect[0] * scene.width()), qRound(o.boxRect[1] * scene.height())),
        QPoint(qRound(o.boxRect[2] * scene.width()) - 1, qRound(o.boxRect[3] * scene.height()) - 1));
}

int countColour(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            count += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
    }
    return count;
}

bool hasRed(const QImage& image, const QRect& area)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    }
    return false;
}

// Root mean square difference of two images of one size, channels 0..1.
double rmse(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)})
                sum += double(d) * d;
        }
    }
    return std::sqrt(sum / (3.0 * a.width() * a.height())) / 255.0;
}

} // namespace

class TestCardView : public QObject
{
    Q_OBJECT

private slots:
    void pictureWithMargins();
    void movedObjectLeavesNoTrace_data();
    void movedObjectLeavesNoTrace();
    void changedObjectRedrawsLikeWholeCard_data();
    void changedObjectRedrawsLikeWholeCard();
    void layers_data();
    void layers();
    void automaticPlacement_data();
    void automaticPlacement();
    void narrowTextBox_data();
    void narrowTextBox();
    void coversAndNumbers();
    void tinyBoxClipsNumberDisc();
    void zoomDoublesSizes();
    void singleRedrawMatchesFullRedraw();
    void scrolling();
    void drawingsAndViewChanges();
    void drawingOnUnzoomedCardWithoutObjects();
    void zoomStepsStayInRange();
    void viewAndCardCoordinates();
    void hitTest();
    void orderedNumbering_data();
    void orderedNumbering();
    void pageNavigator_data();
    void pageNavigator();
    void drawingTools();
    void buttonDiscs_data();
    void screenPixelRatios_data();
    void screenPixelRatios();
    void buttonDiscs();
};

void TestCardView::movedObjectLeavesNoTrace_data()
{
    QTest::addColumn<int>("moved");
    // Whether each step shows what a full redraw shows: not while a label that lay underneath
    // is carried over the others.
    QTest::addColumn<bool>("stepsExact");
    // The first label lies under the second where their boxes overlap; the third lies apart and
    // is moved where no other lies.
    QTest::newRow("the lower of two overlapping labels") << 0 << false;
    QTest::newRow("the upper one") << 1 << false;
    QTest::newRow("a label apart") << 2 << true;
}

// A teacher drags a label across the card: every step draws only the label over the card without
// it, and once the move ends the card is exactly what a full redraw draws.
void TestCardView::movedObjectLeavesNoTrace()
{
    QFETCH(int, moved);
    QFETCH(bool, stepsExact);
    TopicDocument doc = greenTopic({label(QStringLiteral("Unten liegend"), 0.2, 0.3, 0.3, 0.3),
        label(QStringLiteral("Oben liegend"), 0.4, 0.32, 0.35, 0.31),
        label(QStringLiteral("Fern"), 0.8, 0.8, 0.7, 0.8)});
    for (DocObject& o : doc.objects)
        o.coverState = CoverState::Uncovered;
    CardView view(doc);
    view.redrawCard();
    view.beginMovingObject(moved);
    for (const double x : {0.5, 0.6, 0.65}) {
        doc.objects[moved].Kx = x;
        doc.objects[moved].Sx = x - 0.1;
        doc.objects[moved].Ky = doc.objects[moved].Sy = moved == 2 ? 0.8 : 0.3;
        view.redrawMovingObject();
        if (stepsExact) {
            CardView step(doc);
            step.redrawCard();
            QCOMPARE(view.viewBitmap, step.viewBitmap);
        }
    }
    view.endMovingObject();
    const QImage afterMove = view.viewBitmap.copy();

    CardView fresh(doc);
    fresh.redrawCard();
    QCOMPARE(afterMove, fresh.viewBitmap);
}

void TestCardView::changedObjectRedrawsLikeWholeCard_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<double>("ratio");
    for (const double ratio : {1.0, 1.5}) {
        const QString at = ratio == 1.0 ? QString() : QStringLiteral(" at 1.5");
        for (const char* change : {"box moved under others", "point moved", "caption lengthened", "caption emptied",
                 "ticked", "made an info point", "layer hidden", "inserted", "removed"})
            QTest::newRow(qPrintable(change + at)) << QString::fromLatin1(change) << ratio;
    }
}

// The editor draws only the part of the card an edited object reached before and reaches now;
// whatever the change, the card must be exactly the card drawn whole.
void TestCardView::changedObjectRedrawsLikeWholeCard()
{
    QFETCH(QString, change);
    QFETCH(double, ratio);
    // Labels overlapping in a heap, one apart, and an info point among them.
    QList<DocObject> objects = {label(QStringLiteral("Unten"), 0.3, 0.3, 0.32, 0.3),
        label(QStringLiteral("Mitte Mitte"), 0.35, 0.31, 0.34, 0.32),
        label(QStringLiteral("Oben"), 0.33, 0.35, 0.36, 0.33), label(QStringLiteral("Fern"), 0.8, 0.8, 0.75, 0.85)};
    DocObject info = label(QStringLiteral("Info"), 0.38, 0.3, 0.38, 0.3);
    info.Typ = ObjectKind::InfoPoint;
    objects.insert(2, info);
    for (DocObject& o : objects)
        o.coverState = CoverState::Uncovered;

    TopicDocument partDoc = greenTopic(objects);
    TopicDocument wholeDoc = greenTopic(objects);
    CardView part(partDoc);
    CardView whole(wholeDoc);
    for (CardView* view : {&part, &whole}) {
        view->drawsAfresh = true;
        view->devicePixelRatio = ratio;
        view->redrawCard();
    }

    const int changed = 1;
    for (TopicDocument* doc : {&partDoc, &wholeDoc}) {
        DocObject& o = doc->objects[changed];
        if (change == "box moved under others") {
            o.Kx = 0.37;
            o.Ky = 0.34;
        } else if (change == "point moved") {
            o.Sx = 0.1;
            o.Sy = 0.6;
        } else if (change == "caption lengthened") {
            o.Cap = QStringLiteral("Eine viel längere Beschriftung");
        } else if (change == "caption emptied") {
            o.Cap.clear();
        } else if (change == "ticked") {
            o.coverState = CoverState::Solved;
        } else if (change == "made an info point") {
            o.Typ = ObjectKind::InfoPoint;
        } else if (change == "layer hidden") {
            o.Ebene = 2;
        } else if (change == "inserted") {
            DocObject added = label(QStringLiteral("Neu hinzu"), 0.31, 0.33, 0.33, 0.33);
            added.coverState = CoverState::Uncovered;
            doc->objects.insert(changed, added);
        } else if (change == "removed") {
            doc->objects.removeAt(changed);
        }
    }
    if (change == "layer hidden")
        part.layers[2] = whole.layers[2] = false;

    if (change == "inserted")
        part.redrawInsertedObject(changed);
    else if (change == "removed")
        part.redrawRemovedObject(changed);
    else
        part.redrawChangedObject(changed);
    whole.redrawObjects();
    QCOMPARE(part.viewBitmap, whole.viewBitmap);
    for (int i = 0; i < partDoc.objects.size(); ++i)
        QCOMPARE(partDoc.objects.at(i).boxRect, wholeDoc.objects.at(i).boxRect);

    // And again after a second change, from the reaches the first one left.
    for (TopicDocument* doc : {&partDoc, &wholeDoc})
        doc->objects[0].Kx = 0.6;
    part.redrawChangedObject(0);
    whole.redrawObjects();
    QCOMPARE(part.viewBitmap, whole.viewBitmap);
}

void TestCardView::pictureWithMargins()
{
    TopicDocument doc = greenTopic();
    doc.RandErw = {0.25, 0, 0.25, 0.5}; // 600 x 450: fits 800 x 600
    CardView view(doc);
    view.redrawCard();
    QCOMPARE(view.viewBitmap.size(), QSize(800, 600));
    QCOMPARE(view.sceneBitmap.size(), QSize(800, 600));
    QCOMPARE(view.cardScale, 800 / 870.0);
    QCOMPARE(view.viewBitmap.pixel(50, 100), qRgb(255, 255, 255)); // left margin
    QCOMPARE(view.viewBitmap.pixel(400, 200), pictureColour.rgb()); // picture
    QCOMPARE(view.viewBitmap.pixel(750, 100), qRgb(255, 255, 255)); // right margin
    QCOMPARE(view.viewBitmap.pixel(400, 550), qRgb(255, 255, 255)); // bottom margin
    QCOMPARE(view.viewWindow, (std::array<double, 4> {0, 0, 1, 1}));

    // A control wider than the card centres the bitmap.
    view.controlSize = QSize(1000, 600);
    view.redrawCard();
    QCOMPARE(view.bitmapOrigin(), QPoint(100, 0));
}

void TestCardView::layers_data()
{
    QTest::addColumn<Layers>("ticked");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("labelCover");
    QTest::addColumn<bool>("infoDisc");
    QTest::newRow("all") << Layers {true, true, true} << true << true << true;
    QTest::newRow("no illustration") << Layers {false, true, true} << false << true << true;
    QTest::newRow("no labels") << Layers {true, false, true} << true << false << true;
    QTest::newRow("no info points") << Layers {true, true, false} << true << true << false;
}

void TestCardView::layers()
{
    QFETCH(Layers, ticked);
    QFETCH(bool, picture);
    QFETCH(bool, labelCover);
    QFETCH(bool, infoDisc);
    DocObject info = label(QString(), 0.2, 0.2, 0.2, 0.2, 2);
    info.Typ = ObjectKind::InfoPoint;
    info.KAusr = 1;
    TopicDocument doc = greenTopic({label("Rhein", 0.5, 0.5, 0.6, 0.5), info});
    CardView view(doc);
    view.layers = ticked;
    view.redrawCard();

    QCOMPARE(view.viewBitmap.pixel(20, 580) == pictureColour.rgb(), picture);
    if (!picture)
        QCOMPARE(view.viewBitmap.pixel(20, 580), qRgb(255, 255, 255));
    const QRect cover = boxOf(view, 0);
    QCOMPARE(countColour(view.viewBitmap, cover, coverFill) > cover.width() * cover.height() / 3, labelCover);
    const QRect disc = boxOf(view, 1);
    QCOMPARE(countColour(view.viewBitmap, disc, qRgb(0, 95, 253)) > disc.width() * disc.height() / 3, infoDisc);
    // An object that was not drawn has no box to be hit.
    if (!labelCover)
        QCOMPARE(doc.objects.at(0).boxRect[0], -1.0);
}

void TestCardView::automaticPlacement_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("placement");
    // The anchor is at (0.5, 0.5); the box goes to the far side as seen from the point.
    QTest::newRow("point straight above: below") << QPointF(0.5, 0.2) << 4;
    QTest::newRow("point straight below: above") << QPointF(0.5, 0.8) << 2;
    QTest::newRow("point to the left: right") << QPointF(0.2, 0.5) << 1;
    QTest::newRow("point to the right: left") << QPointF(0.8, 0.5) << 3;
    QTest::newRow("on the anchor: right") << QPointF(0.5, 0.5) << 1;
    // The card is 4:3, so a card-fraction step down counts for less than the same step across.
    QTest::newRow("diagonal, wider than high in pixels") << QPointF(0.3, 0.26) << 1;
}

void TestCardView::automaticPlacement()
{
    QFETCH(QPointF, point);
    QFETCH(int, placement);
    TopicDocument doc = greenTopic({label("Mosel", point.x(), point.y(), 0.5, 0.5)});
    CardView view(doc);
    view.redrawCard();
    QCOMPARE(doc.objects.at(0).KAusrAkt, placement);
    const QRect box = boxOf(view, 0);
    const QPoint anchor = view.scenePoint(0.5, 0.5);
    switch (placement) {
    case 1:
        QVERIFY(box.left() > anchor.x());
        break;
    case 2:
        QVERIFY(box.bottom() < anchor.y());
        break;
    case 3:
        QVERIFY(box.right() < anchor.x());
        break;
    case 4:
        QVERIFY(box.top() > anchor.y());
        break;
    }
    // A placement stored in the file wins over the automatic one.
    doc.objects[0].KAusrAkt = 0;
    doc.objects[0].KAusr = 3;
    view.redrawCard();
    QCOMPARE(doc.objects.at(0).KAusrAkt, 3);
    // A damaged file's placement outside 1..4 counts as automatic, stored or in effect.
    for (const auto& [stored, inEffect] : {std::pair(7, 0), std::pair(-2, 0), std::pair(0, 9)}) {
        doc.objects[0].KAusr = stored;
        doc.objects[0].KAusrAkt = inEffect;
        view.redrawCard();
        QCOMPARE(doc.objects.at(0).KAusrAkt, placement);
    }
}

void TestCardView::narrowTextBox_data()
{
    QTest::addColumn<int>("placement");
    QTest::addColumn<int>("side"); // -1 text at the left of the box, 0 centred, 1 right
    QTest::newRow("right of the anchor: text left") << 1 << -1;
    QTest::newRow("above: centred") << 2 << 0;
    QTest::newRow("left of the anchor: text right") << 3 << 1;
    QTest::newRow("below: centred") << 4 << 0;
}

void TestCardView::narrowTextBox()
{
    QFETCH(int, placement);
    QFETCH(int, side);
    DocObject o = label("i", 0.5, 0.5, 0.5, 0.5);
    o.KAusr = placement;
    o.Sline = 0;
    o.coverState = CoverState::Uncovered;
    TopicDocument doc = greenTopic({o});
    doc.picture.fill(Qt::white);
    CardView view(doc);
    view.redrawCard();
    const QRect box = boxOf(view, 0);
    QCOMPARE(box.width(), qRound(30 * view.cardScale));

    // Where the ink of the letter lies across the box.
    int first = -1;
    int last = -1;
    for (int x = box.left(); x <= box.right(); ++x) {
        for (int y = box.top(); y <= box.bottom(); ++y) {
            if (qGray(view.sceneBitmap.pixel(x, y)) < 128) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
        }
    }
    QVERIFY(first >= 0);
    const int middle = (first + last) / 2 - box.left();
    const int third = box.width() / 3;
    if (side < 0)
        QVERIFY2(middle < third, qPrintable(QString::number(middle)));
    else if (side > 0)
        QVERIFY2(middle > 2 * third, qPrintable(QString::number(middle)));
    else
        QVERIFY2(middle >= third && middle <= 2 * third, qPrintable(QString::number(middle)));
}

void TestCardView::coversAndNumbers()
{
    TopicDocument doc = greenTopic({label("Donau", 0.1, 0.3, 0.2, 0.3), label("Elbe", 0.1, 0.6, 0.2, 0.6)});
    CardView view(doc);
    view.applyNumbering(CardView::Numbering::Ordered);
    QCOMPARE(doc.objects.at(0).displayNumber, 1);
    QCOMPARE(doc.objects.at(1).displayNumber, 2);
    view.redrawCard();
    QRect box = boxOf(view, 0);
    // Numbered: the white disc with red digits sits on the cover.
    QVERIFY(countColour(view.viewBitmap, box, qRgb(255, 255, 255)) > 20);
    QVERIFY(hasRed(view.viewBitmap, box));

    // Question marks: the cover shows "?" only, black on blue, no disc.
    view.applyNumbering(CardView::Numbering::QuestionMarks);
    QCOMPARE(doc.objects.at(0).displayNumber, 0);
    view.redrawCard();
    box = boxOf(view, 0);
    QCOMPARE(countColour(view.viewBitmap, box.adjusted(1, 1, -1, -1), qRgb(255, 255, 255)), 0);
    QVERIFY(!hasRed(view.viewBitmap, box));
    QVERIFY(countColour(view.viewBitmap, box, qRgb(0, 0, 0)) > 5);

    // Letters: the 27th cover reads A'.
    doc.NumArt = 1;
    doc.objects[0].displayNumber = 27;
    QCOMPARE(view.coverLabelText(0), QStringLiteral("A'"));
}

void TestCardView::tinyBoxClipsNumberDisc()
{
    // A label whose text is one tiny line: the disc of 30 × s does not fit its height.
    DocObject small = label("x", 0.1, 0.5, 0.2, 0.5);
    small.Fsize = -10; // character height 2 × s
    DocObject normal = label("x", 0.1, 0.2, 0.2, 0.2);
    TopicDocument doc = greenTopic({small, normal});
    CardView view(doc);
    view.applyNumbering(CardView::Numbering::Ordered);
    view.redrawCard();
    const QRect tiny = boxOf(view, 0);
    const QRect full = boxOf(view, 1);
    QVERIFY(tiny.height() < qRound(30 * view.cardScale));
    // Nothing of the disc leaks out of the box.
    QCOMPARE(countColour(view.viewBitmap, tiny.adjusted(0, -4, 0, -tiny.height()), qRgb(255, 255, 255)), 0);
    QCOMPARE(countColour(view.viewBitmap, tiny.adjusted(0, tiny.height(), 0, 4), qRgb(255, 255, 255)), 0);
    // Its digits are smaller than those of a full disc: fewer red pixels.
    const auto redPixels = [&view](const QRect& r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += view.viewBitmap.pixelColor(x, y).red() > 200 && view.viewBitmap.pixelColor(x, y).green() < 90;
        return n;
    };
    QVERIFY(redPixels(tiny) < redPixels(full));
}

void TestCardView::zoomDoublesSizes()
{
    DocObject info = label(QString(), 0.3, 0.3, 0.3, 0.3, 2);
    info.Typ = ObjectKind::InfoPoint;
    TopicDocument doc = wideTopic({label("Weser", 0.5, 0.5, 0.6, 0.5), info});
    CardView view(doc);
    view.redrawCard();
    QCOMPARE(view.viewBitmap.size(), QSize(870, 435));
    const QRect labelAt100 = boxOf(view, 0);
    const QRect discAt100 = boxOf(view, 1);
    QVERIFY(view.setZoom(4));
    QCOMPARE(view.sceneBitmap.size(), QSize(1740, 870));
    // The view grows into the control's height and keeps its width.
    QCOMPARE(view.viewBitmap.size(), QSize(870, 600));
    QCOMPARE(view.cardScale, 2.0);
    const QRect labelAt200 = boxOf(view, 0);
    const QRect discAt200 = boxOf(view, 1);
    QCOMPARE(discAt200.width(), 2 * discAt100.width());
    QVERIFY(qAbs(labelAt200.height() - 2 * labelAt100.height()) <= 4);
    QVERIFY(qAbs(labelAt200.width() - 2 * labelAt100.width()) <= 4);
    QVERIFY(qAbs(labelAt200.left() - 2 * labelAt100.left()) <= 2);
    QVERIFY(!view.setZoom(4));
}

void TestCardView::singleRedrawMatchesFullRedraw()
{
    TopicDocument doc = greenTopic({label("Alpen", 0.2, 0.2, 0.3, 0.25), label("Nordsee", 0.6, 0.1, 0.5, 0.2),
        label("Harz", 0.5, 0.8, 0.55, 0.7)});
    CardView view(doc);
    view.applyNumbering(CardView::Numbering::Ordered);
    view.redrawCard();
    // Uncovering one label by a single-object redraw leaves what a full redraw leaves.
    doc.objects[1].coverState = CoverState::Uncovered;
    view.redrawObject(1);
    const QImage single = view.viewBitmap.copy();
    const QImage singleObjects = view.objectsBitmap.copy();
    view.redrawCard();
    QCOMPARE(single, view.viewBitmap);
    QCOMPARE(singleObjects, view.objectsBitmap);
    // And covering it again restores the cover with its number exactly.
    doc.objects[1].coverState = CoverState::Covered;
    view.redrawObject(1);
    const QImage again = view.viewBitmap.copy();
    view.redrawCard();
    QCOMPARE(again, view.viewBitmap);
}

void TestCardView::scrolling()
{
    TopicDocument doc = wideTopic();
    CardView view(doc);
    view.redrawCard();
    view.scrollBy(ScrollDirection::Right);
    view.scrollBy(ScrollDirection::Down);
    QCOMPARE(view.viewWindow, (std::array<double, 4> {0, 0, 1, 1}));

    view.setZoom(4);
    QCOMPARE(view.viewWindow[0], 0.25); // re-centred on the old centre
    for (int i = 0; i < 6; ++i)
        view.scrollBy(ScrollDirection::Left);
    QCOMPARE(view.viewWindow[0], 0.0);
    for (int i = 0; i < 4; ++i)
        view.scrollBy(ScrollDirection::Right);
    QVERIFY(qAbs(view.viewWindow[0] - 0.2) < 1e-9); // 4 × 10 % of a window half the card wide
    QVERIFY(qAbs(view.viewWindow[2] - 0.7) < 1e-9);
    for (int i = 0; i < 10; ++i)
        view.scrollBy(ScrollDirection::Right);
    QCOMPARE(view.viewWindow[2], 1.0);
    QCOMPARE(view.viewWindow[0], 0.5);
    QCOMPARE(view.viewportOrigin.x(), 870);
}

void TestCardView::drawingsAndViewChanges()
{
    TopicDocument doc = greenTopic();
    CardView view(doc);
    view.redrawCard();
    view.setZoom(4);
    const auto drawMark = [&view] {
        QPainter painter(&view.viewBitmap);
        painter.fillRect(QRect(400, 300, 10, 10), Qt::red);
    };
    // A drawing travels with the card when it scrolls.
    drawMark();
    const QPoint originBefore = view.viewportOrigin;
    view.scrollBy(ScrollDirection::Right);
    const QPoint moved = QPoint(400, 300) - (view.viewportOrigin - originBefore);
    QCOMPARE(view.viewBitmap.pixel(moved + QPoint(5, 5)), qRgb(255, 0, 0));
    QCOMPARE(view.sceneBitmap.pixel(originBefore + QPoint(405, 305)), qRgb(255, 0, 0));
    // The eraser's source never holds drawings.
    QCOMPARE(view.cleanViewBitmap.pixel(moved + QPoint(5, 5)), pictureColour.rgb());

    // Removing all drawings brings back the clean card.
    view.removeAllDrawings();
    QCOMPARE(view.viewBitmap.pixel(moved + QPoint(5, 5)), pictureColour.rgb());

    // A drawing not committed is lost at a zoom change.
    drawMark();
    view.setZoom(0);
    view.setZoom(4);
    QCOMPARE(countColour(view.sceneBitmap, view.sceneBitmap.rect(), qRgb(255, 0, 0)), 0);
}

// Without zoom and objects the view, the scene, the clean view and the card's background hold
// the same pixels: a drawing must still land on the view alone until it is committed.
void TestCardView::drawingOnUnzoomedCardWithoutObjects()
{
    TopicDocument doc = greenTopic();
    CardView view(doc);
    view.redrawCard();
    const QPoint mark(200, 150);
    {
        QPainter painter(&view.viewBitmap);
        painter.fillRect(QRect(mark, QSize(10, 10)), Qt::red);
    }
    QCOMPARE(view.viewBitmap.pixel(mark), qRgb(255, 0, 0));
    for (const QImage* untouched : {&view.sceneBitmap, &view.cleanViewBitmap, &view.objectsBitmap})
        QCOMPARE(untouched->pixel(mark), pictureColour.rgb());

    view.commitDrawings();
    QCOMPARE(view.sceneBitmap.pixel(mark), qRgb(255, 0, 0));
    QCOMPARE(view.objectsBitmap.pixel(mark), pictureColour.rgb());
    view.removeAllDrawings();
    QCOMPARE(view.viewBitmap.pixel(mark), pictureColour.rgb());
    // Redrawing the objects starts from the bare picture, never from a committed drawing.
    QPainter(&view.viewBitmap).fillRect(QRect(mark, QSize(10, 10)), Qt::red);
    view.commitDrawings();
    QCOMPARE(view.sceneBitmap.pixel(mark), qRgb(255, 0, 0));
    view.redrawObjects();
    QCOMPARE(view.sceneBitmap.pixel(mark), pictureColour.rgb());
}

void TestCardView::zoomStepsStayInRange()
{
    TopicDocument doc = greenTopic();
    CardView view(doc);
    view.redrawCard();
    QVERIFY(view.zoomIn());
    QCOMPARE(view.zoomIndex, 2);
    QVERIFY(view.zoomIn());
    QCOMPARE(view.zoomIndex, 4);
    QVERIFY(!view.zoomIn());
    // From the in-between levels a step ends at the last level, never beyond the table.
    view.setZoom(1);
    QVERIFY(view.zoomOut());
    QCOMPARE(view.zoomIndex, 0);
    view.setZoom(3);
    QVERIFY(view.zoomIn());
    QCOMPARE(view.zoomIndex, 4);
    QCOMPARE(view.zoomFactor, 2.0);
}

void TestCardView::viewAndCardCoordinates()
{
    TopicDocument doc = greenTopic();
    CardView view(doc);
    view.controlSize = QSize(1000, 600);
    view.redrawCard();
    QCOMPARE(view.cardToView(0, 0), QPoint(100, 0));
    QCOMPARE(view.cardToView(1, 1), QPoint(900, 600));
    QCOMPARE(view.viewToCard(500, 300), QPointF(0.5, 0.5));
    QCOMPARE(view.viewToCard(0, -50), QPointF(0, 0)); // clamped
    // Zoomed, the centre of the card stays in the middle of the view and points convert back.
    view.setZoom(4);
    QCOMPARE(view.cardToView(0.5, 0.5), view.bitmapOrigin() + QPoint(view.viewBitmap.width() / 2, 300));
    const QPointF card = view.viewToCard(321, 123);
    QCOMPARE(view.cardToView(card.x(), card.y()), QPoint(321, 123));
}

void TestCardView::hitTest()
{
    // Two overlapping labels and an info point.
    DocObject info = label(QString(), 0.2, 0.2, 0.2, 0.2, 2);
    info.Typ = ObjectKind::InfoPoint;
    TopicDocument doc = greenTopic({label("Oder", 0.5, 0.5, 0.5, 0.5), label("Neiße", 0.5, 0.5, 0.51, 0.5), info});
    for (DocObject& o : doc.objects)
        o.KAusr = 1;
    CardView view(doc);
    view.redrawCard();
    const QRect first = boxOf(view, 0);
    const QRect second = boxOf(view, 1);
    QVERIFY(first.intersects(second));
    const QPoint both = first.intersected(second).center() + view.bitmapOrigin();
    QCOMPARE(view.hitTest(both.x(), both.y()), 0);
    const QPoint onlySecond = QPoint(second.right(), second.center().y()) + view.bitmapOrigin();
    QCOMPARE(view.hitTest(onlySecond.x(), onlySecond.y()), 1);
    // Boxes hold their left edge but not their right one.
    QCOMPARE(view.hitTest(second.right() + 1 + view.bitmapOrigin().x(), onlySecond.y()), -1);
    const QPoint disc = boxOf(view, 2).center() + view.bitmapOrigin();
    QCOMPARE(view.hitTest(disc.x(), disc.y()), 2);
    // An info point on an unticked layer cannot be clicked.
    view.layers[2] = false;
    view.redrawCard();
    QCOMPARE(view.hitTest(disc.x(), disc.y()), -1);
}

void TestCardView::orderedNumbering_data()
{
    QTest::addColumn<int>("geordnetArt");
    QTest::addColumn<QList<int>>("numbers");
    // Objects: "Zug" at (0.7, 0.5), "Auto" at (0.2, 0.5), "Bus" at (0.5, 0.1).
    QTest::newRow("by position: top first, then left to right") << 0 << QList<int> {3, 2, 1};
    QTest::newRow("by caption") << 1 << QList<int> {3, 1, 2};
}

void TestCardView::orderedNumbering()
{
    QFETCH(int, geordnetArt);
    QFETCH(QList<int>, numbers);
    TopicDocument doc = greenTopic(
        {label("Zug", 0.7, 0.5, 0.7, 0.5), label("Auto", 0.2, 0.5, 0.2, 0.5), label("Bus", 0.5, 0.1, 0.5, 0.1)});
    doc.GeordnetArt = geordnetArt;
    CardView view(doc);
    view.applyNumbering(CardView::Numbering::Ordered);
    QList<int> shown;
    for (const DocObject& o : doc.objects)
        shown << o.displayNumber;
    QCOMPARE(shown, numbers);
    QCOMPARE(view.numberingList.size(), 3);
    QCOMPARE(view.numberingList.at(0).mark, -1);
}

void TestCardView::pageNavigator_data()
{
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("expected"); // 0: any page but the current one
    QTest::newRow("previous on the first") << 5 << 1 << int(ObjectKind::PagePrevious) << 1;
    QTest::newRow("previous") << 5 << 3 << int(ObjectKind::PagePrevious) << 2;
    QTest::newRow("next on the last") << 5 << 5 << int(ObjectKind::PageNext) << 5;
    QTest::newRow("first") << 5 << 4 << int(ObjectKind::PageFirst) << 1;
    QTest::newRow("last") << 5 << 2 << int(ObjectKind::PageLast) << 5;
    QTest::newRow("random of one") << 1 << 1 << int(ObjectKind::PageRandom) << 1;
    QTest::newRow("random of two from 1") << 2 << 1 << int(ObjectKind::PageRandom) << 2;
    QTest::newRow("random of two from 2") << 2 << 2 << int(ObjectKind::PageRandom) << 1;
    QTest::newRow("random of five") << 5 << 3 << int(ObjectKind::PageRandom) << 0;
}

void TestCardView::pageNavigator()
{
    QFETCH(int, pages);
    QFETCH(int, current);
    QFETCH(int, kind);
    QFETCH(int, expected);
    TopicDocument doc = greenTopic();
    doc.AnzFrageNummern = pages;
    doc.currentQuestionNumber = current;
    CardView view(doc);
    for (int i = 0; i < 50; ++i) {
        const int page = view.pageAfterNavigator(kind);
        if (expected > 0)
            QCOMPARE(page, expected);
        else
            QVERIFY(page != current && page >= 1 && page <= pages);
    }
}

void TestCardView::drawingTools()
{
    DocObject text = label("Saale", 0.5, 0.5, 0.5, 0.5);
    text.coverState = CoverState::Uncovered;
    text.KAusr = 1;
    text.Sline = 0;
    TopicDocument doc = greenTopic({text});
    doc.picture.fill(Qt::white);
    CardView view(doc);
    view.redrawCard();
    const QRect box = boxOf(view, 0);
    // A black pixel of the label's text.
    QPoint ink(-1, -1);
    for (int x = box.left(); x <= box.right() && ink.x() < 0; ++x)
        for (int y = box.top(); y <= box.bottom(); ++y)
            if (view.viewBitmap.pixel(x, y) == qRgb(0, 0, 0)) {
                ink = QPoint(x, y);
                break;
            }
    QVERIFY(ink.x() >= 0);
    const QImage clean = view.viewBitmap.copy();
    const auto stroke = [&view](int tool, QPoint from, QPoint to) {
        view.currentTool = CardView::Tool(tool);
        view.lastPoint = from;
        view.movePenToLastPoint();
        const QPoint control = to + view.bitmapOrigin();
        view.drawToolAt(true, control.x(), control.y());
    };

    // The yellow marker colours white yellow and leaves black text black.
    stroke(4, ink - QPoint(20, 0), ink + QPoint(20, 0));
    QCOMPARE(view.viewBitmap.pixel(ink), qRgb(0, 0, 0));
    QCOMPARE(view.viewBitmap.pixel(box.left() - 2, ink.y()), qRgb(255, 255, 0));
    // The pen covers.
    stroke(3, ink - QPoint(3, 0), ink + QPoint(3, 0));
    QCOMPARE(view.viewBitmap.pixel(ink), qRgb(255, 0, 0));
    // The eraser brings back the label as drawn, not the bare picture.
    stroke(6, ink, ink);
    QCOMPARE(view.viewBitmap.pixel(ink), qRgb(0, 0, 0));
    QCOMPARE(view.viewBitmap.copy(QRect(ink - QPoint(15, 15), QSize(30, 30))),
        clean.copy(QRect(ink - QPoint(15, 15), QSize(30, 30))));

    // One tick per press, however the mouse moves while it is down.
    const QPoint free(100, 100);
    stroke(7, free, free);
    const QImage once = view.viewBitmap.copy();
    QVERIFY(once != clean);
    view.drawToolAt(true, 160, 100);
    QCOMPARE(view.viewBitmap, once);
    view.glyphStamped = false;
    view.drawToolAt(true, 160, 100);
    QVERIFY(view.viewBitmap != once);
}

void TestCardView::buttonDiscs_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QColor>("fill");
    QTest::newRow("info") << int(ObjectKind::InfoPoint) << QColor(0, 95, 253);
    QTest::newRow("link") << int(ObjectKind::WebLink) << QColor(164, 53, 47);
    QTest::newRow("document link") << int(ObjectKind::DocumentLink) << QColor(41, 152, 74);
    QTest::newRow("page navigator") << int(ObjectKind::PageNext) << QColor(0, 0, 255);
}

void TestCardView::buttonDiscs()
{
    QFETCH(int, kind);
    QFETCH(QColor, fill);
    // On the label layer: during a quiz the info-point layer is not drawn at all.
    DocObject button = label(QStringLiteral("x.zep"), 0.5, 0.5, 0.5, 0.5, 1);
    button.Typ = kind;
    TopicDocument doc = greenTopic({button});
    doc.AnzFrageNummern = 2;
    CardView view(doc);
    view.redrawCard();
    const QRect disc = boxOf(view, 0);
    QCOMPARE(disc.width(), qRound(30 * view.cardScale));
    // The disc's fill covers most of it; the white caption the rest.
    QVERIFY(countColour(view.viewBitmap, disc, fill.rgb()) > disc.width() * disc.height() / 3);
    QVERIFY(countColour(view.viewBitmap, disc, qRgb(255, 255, 255)) > 3);
    // During a quiz every button disc is grey.
    view.cardMode = CardView::Mode::Quiz;
    view.redrawCard();
    if (kind != int(ObjectKind::PageNext))
        QVERIFY(countColour(view.viewBitmap, disc, qRgb(192, 192, 192)) > disc.width() * disc.height() / 3);
}

void TestCardView::screenPixelRatios_data()
{
    QTest::addColumn<double>("ratio");
    QTest::newRow("100 %") << 1.0;
    QTest::newRow("125 %") << 1.25;
    QTest::newRow("150 %") << 1.5;
    QTest::newRow("200 %") << 2.0;
}

// On a scaled screen the card is drawn at the screen's pixels: its covers, numbers and texts are
// sharper than an enlargement of the 100 % card, while every box, drop, hit and cover stays
// where it is at 100 %, and a single cover redrawn leaves what a full redraw leaves (no seam at
// a fractional ratio).
void TestCardView::screenPixelRatios()
{
    QFETCH(double, ratio);
    const QList<DocObject> labels = {
        label("Alpen", 0.2, 0.2, 0.3, 0.25), label("Nordsee", 0.6, 0.1, 0.5, 0.2), label("Harz", 0.5, 0.8, 0.55, 0.7)};
    TopicDocument plainDoc = greenTopic(labels);
    CardView plain(plainDoc);
    plain.applyNumbering(CardView::Numbering::Ordered);
    plain.redrawCard();
    TopicDocument doc = greenTopic(labels);
    CardView view(doc);
    view.devicePixelRatio = ratio;
    view.applyNumbering(CardView::Numbering::Ordered);
    view.redrawCard();

    QCOMPARE(CardView::logicalSize(view.viewBitmap), plain.viewBitmap.size());
    QCOMPARE(view.viewBitmap.devicePixelRatio(), ratio);
    QCOMPARE(view.viewBitmap.size(), toDevicePixels(plain.viewBitmap.rect(), ratio).size());
    for (int i = 0; i < doc.objects.size(); ++i) {
        QCOMPARE(doc.objects.at(i).boxRect, plainDoc.objects.at(i).boxRect);
        const auto& box = doc.objects.at(i).boxRect;
        const QPoint click = view.cardToView((box[0] + box[2]) / 2, (box[1] + box[3]) / 2);
        QCOMPARE(click, plain.cardToView((box[0] + box[2]) / 2, (box[1] + box[3]) / 2));
        QCOMPARE(view.hitTest(click.x(), click.y()), i);
    }

    // The first cover with its number disc, at the screen's pixels and as an enlargement.
    const QRect cover = boxOf(plain, 0);
    const QRect pixels = toDevicePixels(cover, ratio);
    const QImage sharp = view.viewBitmap.copy(pixels);
    const QImage enlarged = plain.viewBitmap.copy(cover).scaled(pixels.size(), Qt::IgnoreAspectRatio);
    if (ratio == 1.0)
        QCOMPARE(sharp, enlarged);
    else
        QVERIFY2(rmse(sharp, enlarged) > 0.02, qPrintable(QString::number(rmse(sharp, enlarged))));

    // A click uncovers that label and nothing else, as a full redraw would show it.
    const auto& first = doc.objects.at(0).boxRect;
    const QPoint onFirst = view.cardToView((first[0] + first[2]) / 2, (first[1] + first[3]) / 2);
    const int hit = view.hitTest(onFirst.x(), onFirst.y());
    QCOMPARE(hit, 0);
    view.toggleCover(hit);
    QCOMPARE(doc.objects.at(0).coverState, CoverState::Uncovered);
    const QImage single = view.viewBitmap.copy();
    view.redrawCard();
    QCOMPARE(single, view.viewBitmap);

    // As quiz targets, open with their numbers: a tile dropped with its left edge on a target's
    // number is judged on that target.
    for (TopicDocument* topic : {&doc, &plainDoc}) {
        for (DocObject& object : topic->objects)
            object.coverState = CoverState::Open;
    }
    view.redrawCard();
    plain.redrawCard();
    for (int i = 0; i < doc.objects.size(); ++i) {
        QCOMPARE(doc.objects.at(i).boxRect, plainDoc.objects.at(i).boxRect);
        const auto& box = doc.objects.at(i).boxRect;
        QCOMPARE(findDropTarget(doc, QRectF(box[0] + 0.005, (box[1] + box[3]) / 2 - 0.02, 0.1, 0.04)), i);
    }
}

QTEST_MAIN(TestCardView)
#include "tst_cardview.moc"
