// Where the quiz puts its answer tiles, without a window: the pile of texts at the right edge
// with its columns, the single questions' grid that shrinks on a small card, and a tile carried
// by keys lying on its target inside the panel.

#include "quiz/tilelayout.h"

#include <QTest>

class TestTileLayout : public QObject
{
    Q_OBJECT

private slots:
    void pile_data();
    void pile();
    void answerGrid_data();
    void answerGrid();
    void carriedTile_data();
    void carriedTile();
};

void TestTileLayout::pile_data()
{
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<QList<QPoint>>("positions");
    QTest::addColumn<int>("pictureWidth");

    QTest::newRow("bottom up") << QSize(1000, 600) << 3 << false << QList<QPoint> {{850, 554}, {850, 506}, {850, 458}}
                               << 845;
    QTest::newRow("one at a time, centred")
        << QSize(1000, 600) << 2 << true << QList<QPoint> {{850, 277}, {850, 229}} << 845;
    // The top reached: the next column lies 12 pixels left and 7 higher (the picture keeps clear
    // of the column the next tile would start).
    QTest::newRow("second column") << QSize(1000, 150) << 4 << false
                                   << QList<QPoint> {{850, 104}, {850, 56}, {838, 97}, {838, 49}} << 821;
    QTest::newRow("no tiles") << QSize(1000, 600) << 0 << false << QList<QPoint>() << 995;
}

void TestTileLayout::pile()
{
    QFETCH(QSize, panel);
    QFETCH(int, count);
    QFETCH(bool, centred);
    QFETCH(QList<QPoint>, positions);
    QFETCH(int, pictureWidth);
    const TilePile pile = layoutTilePile(panel, QList<QSize>(count, QSize(150, 46)), centred);
    QCOMPARE(pile.positions, positions);
    QCOMPARE(pile.pictureWidth, pictureWidth);
}

void TestTileLayout::answerGrid_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QRect>("card");
    QTest::addColumn<QList<QRect>>("cells");

    const QRect roomy(0, 0, 1000, 600);
    QTest::newRow("six in two rows") << 6 << roomy
                                     << QList<QRect> {{100, 100, 150, 46}, {270, 100, 150, 46}, {440, 100, 150, 46},
                                            {100, 166, 150, 46}, {270, 166, 150, 46}, {440, 166, 150, 46}};
    QTest::newRow("two in one row") << 2 << roomy << QList<QRect> {{100, 100, 150, 46}, {270, 100, 150, 46}};
    QTest::newRow("more than six: six") << 9 << roomy
                                        << QList<QRect> {{100, 100, 150, 46}, {270, 100, 150, 46}, {440, 100, 150, 46},
                                               {100, 166, 150, 46}, {270, 166, 150, 46}, {440, 166, 150, 46}};
    // 400 pixels for three: the gaps shrink to 4 first, then the tiles to 130.
    QTest::newRow("narrow card") << 3 << QRect(0, 0, 500, 600)
                                 << QList<QRect> {{100, 100, 130, 46}, {234, 100, 130, 46}, {368, 100, 130, 46}};
    // Never below the smallest tile, even when it then leaves the card.
    QTest::newRow("tiny card") << 3 << QRect(0, 0, 150, 600)
                               << QList<QRect> {{100, 100, 60, 46}, {164, 100, 60, 46}, {228, 100, 60, 46}};
}

void TestTileLayout::answerGrid()
{
    QFETCH(int, count);
    QFETCH(QRect, card);
    QFETCH(QList<QRect>, cells);
    QCOMPARE(layoutAnswerGrid(count, QPoint(100, 100), card, QSize(150, 46), QSize(60, 24), 20, 4), cells);
}

void TestTileLayout::carriedTile_data()
{
    QTest::addColumn<QRect>("target");
    QTest::addColumn<QPoint>("topLeft");

    // The middle of the tile's left edge inside the box, as a drop by the pointer there.
    QTest::newRow("on the card") << QRect(300, 200, 80, 30) << QPoint(302, 191);
    QTest::newRow("at the right edge") << QRect(950, 200, 40, 30) << QPoint(850, 191);
    QTest::newRow("at the top") << QRect(300, 0, 80, 10) << QPoint(302, 0);
}

void TestTileLayout::carriedTile()
{
    QFETCH(QRect, target);
    QFETCH(QPoint, topLeft);
    const QRect place = carriedTilePlace(target, QSize(150, 46), QRect(0, 0, 1000, 600));
    QCOMPARE(place.topLeft(), topLeft);
    QCOMPARE(place.size(), QSize(150, 46));
}

QTEST_APPLESS_MAIN(TestTileLayout)
#include "tst_tilelayout.moc"
