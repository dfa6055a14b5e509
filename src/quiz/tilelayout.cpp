#include "quiz/tilelayout.h"

#include <utility>

TilePile layoutTilePile(QSize panel, const QList<QSize>& tiles, bool centred)
{
    TilePile pile;
    int left = panel.width();
    if (tiles.isEmpty()) {
        pile.pictureWidth = left - 5;
        return pile;
    }
    const QSize first = tiles.constFirst();
    const int base = centred ? (panel.height() - first.height()) / 2 : panel.height() - first.height();
    int top = base;
    int column = 0;
    left = panel.width() - first.width();
    for (const QSize& tile : tiles) {
        pile.positions.append(QPoint(left, top));
        top -= tile.height() + 2;
        if (top < 35) {
            ++column;
            top = base - 7 * column;
            left -= 12;
        }
    }
    pile.pictureWidth = left - 5;
    return pile;
}

QList<QRect> layoutAnswerGrid(
    int count, QPoint topLeft, const QRect& card, QSize tileSize, QSize smallest, int gap, int minimumGap)
{
    const int k = qBound(0, count, 6);
    const auto fit = [minimumGap](int cells, int tile, int cellGap, int room, int smallestTile) {
        if (cells * tile + (cells - 1) * cellGap <= room)
            return std::pair(tile, cellGap);
        if (cells > 1)
            cellGap = qMax(minimumGap, (room - cells * tile) / (cells - 1));
        if (cells * tile + (cells - 1) * cellGap > room)
            tile = qMax(smallestTile, (room - (cells - 1) * cellGap) / cells);
        return std::pair(tile, cellGap);
    };
    const int columns = qMin(k, 3);
    const int rows = (k + 2) / 3;
    const auto [width, gapX] = fit(columns, tileSize.width(), gap, card.right() + 1 - topLeft.x(), smallest.width());
    const auto [height, gapY] = fit(rows, tileSize.height(), gap, card.bottom() + 1 - topLeft.y(), smallest.height());
    QList<QRect> cells;
    for (int slot = 1; slot <= k; ++slot) {
        cells.append(QRect(topLeft.x() + ((slot - 1) % 3) * (width + gapX),
            topLeft.y() + ((slot - 1) / 3) * (height + gapY), width, height));
    }
    return cells;
}

QRect carriedTilePlace(const QRect& targetBox, QSize tile, const QRect& area)
{
    QRect place(QPoint(targetBox.left() + 2, (targetBox.top() + targetBox.bottom()) / 2 - tile.height() / 2), tile);
    place.moveRight(qMin(place.right(), area.right()));
    place.moveBottom(qMin(place.bottom(), area.bottom()));
    place.moveLeft(qMax(place.left(), area.left()));
    place.moveTop(qMax(place.top(), area.top()));
    return place;
}
