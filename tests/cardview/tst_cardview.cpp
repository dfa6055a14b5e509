// The card scene: picture and margins, layers, placement and size of boxes, covers with their
// numbers, zoom and the view window, drawings on the view, and single-object redraws that must
// leave the same pixels as a full redraw.

#include "cardview/cardview.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTest>

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

} // namespace

class TestCardView : public QObject
{
    Q_OBJECT

private slots:
    void pictureWithMargins();
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
    void zoomStepsStayInRange();
    void viewAndCardCoordinates();
};

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
    view.applyNumbering(1);
    QCOMPARE(doc.objects.at(0).displayNumber, 1);
    QCOMPARE(doc.objects.at(1).displayNumber, 2);
    view.redrawCard();
    QRect box = boxOf(view, 0);
    // Numbered: the white disc with red digits sits on the cover.
    QVERIFY(countColour(view.viewBitmap, box, qRgb(255, 255, 255)) > 20);
    QVERIFY(hasRed(view.viewBitmap, box));

    // Question marks: the cover shows "?" only, black on blue, no disc.
    view.applyNumbering(0);
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
    view.applyNumbering(1);
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
    TopicDocument doc
        = greenTopic({label("Alpen", 0.2, 0.2, 0.3, 0.25), label("Nordsee", 0.6, 0.1, 0.5, 0.2), label("Harz", 0.5, 0.8, 0.55, 0.7)});
    CardView view(doc);
    view.applyNumbering(1);
    view.redrawCard();
    // Uncovering one label by a single-object redraw leaves what a full redraw leaves.
    doc.objects[1].coverState = CoverState::Uncovered;
    view.drawObject(view.sceneBitmap, 1, 0, true, true, false);
    const QImage single = view.viewBitmap.copy();
    const QImage singleObjects = view.objectsBitmap.copy();
    view.redrawCard();
    QCOMPARE(single, view.viewBitmap);
    QCOMPARE(singleObjects, view.objectsBitmap);
    // And covering it again restores the cover with its number exactly.
    doc.objects[1].coverState = CoverState::Covered;
    view.drawObject(view.sceneBitmap, 1, 0, true, true, false);
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

QTEST_MAIN(TestCardView)
#include "tst_cardview.moc"
