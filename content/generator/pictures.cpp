#include "pictures.h"

#include "motifs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

using namespace motifs;

namespace pictures {

namespace {

constexpr int textureSize = 96;

QImage blankImage(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

// The raised panel of the window texture: a soft shadow on the window colour, a fine border
// and a highlight that fades from the top edge down. All of it stays within the outer 30
// pixels that the nine-slice keeps unscaled at the corners.
void drawPanelFrame(QPainter& painter, QSizeF size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel(6.5, 6.5, size.width() - 13, size.height() - 13);

    painter.setPen(Qt::NoPen);
    for (int spread = 3; spread >= 1; --spread) {
        painter.setBrush(QColor(70, 72, 60, 14));
        painter.drawRoundedRect(panel.adjusted(-spread, -spread + 1, spread, spread + 1), 10 + spread, 10 + spread);
    }

    painter.setPen(QPen(QColor(168, 170, 160), 1.0));
    painter.setBrush(themePanel);
    painter.drawRoundedRect(panel, 10, 10);

    QLinearGradient bevel(0, panel.top(), 0, panel.bottom());
    bevel.setColorAt(0.0, QColor(255, 255, 255));
    bevel.setColorAt(1.0, QColor(232, 233, 226));
    painter.setPen(QPen(QBrush(bevel), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(panel.adjusted(1, 1, -1, -1), 9, 9);
}

// Helpers for square bevels: one-pixel lines on pixel centres stay crisp when the edge
// strips are stretched.
void hLine(QPainter& painter, qreal x0, qreal x1, qreal y, const QColor& colour)
{
    painter.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x0, y + 0.5), QPointF(x1, y + 0.5));
}

void vLine(QPainter& painter, qreal x, qreal y0, qreal y1, const QColor& colour)
{
    painter.setPen(QPen(colour, 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(x + 0.5, y0), QPointF(x + 0.5, y1));
}

// A rectangle border of one pixel at inset from the image's edge: light on the top and left,
// dark on the bottom and right (raised), or the other way round (sunken).
void bevelRect(QPainter& painter, QSize size, int inset, const QColor& topLeft, const QColor& bottomRight)
{
    const int right = size.width() - 1 - inset;
    const int bottom = size.height() - 1 - inset;
    hLine(painter, inset, right + 1, inset, topLeft);
    vLine(painter, inset, inset, bottom + 1, topLeft);
    hLine(painter, inset + 1, right + 1, bottom, bottomRight);
    vLine(painter, right, inset + 1, bottom + 1, bottomRight);
}

void drawTextCentred(QPainter& painter, const QRectF& box, const QString& text, const QFont& font, const QColor& colour)
{
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

void drawTextAt(QPainter& painter, QPointF baseline, const QString& text, const QFont& font, const QColor& colour)
{
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(baseline, text);
}

} // namespace

QImage drawWindowTexture()
{
    QImage image = blankImage(textureSize, textureSize, themeBackground);
    QPainter painter(&image);
    drawPanelFrame(painter, image.size());
    return image;
}

QImage drawDialogTexture()
{
    QImage image = blankImage(textureSize, textureSize, themeAccent);
    QPainter painter(&image);

    // Warm grey border band, a little darker towards the bottom like light from above.
    const QRectF band(0, 0, textureSize, textureSize);
    QLinearGradient warm(0, 0, 0, textureSize);
    warm.setColorAt(0.0, QColor(226, 223, 213));
    warm.setColorAt(1.0, QColor(208, 204, 193));
    QPainterPath ring;
    ring.addRect(band);
    ring.addRect(band.adjusted(13, 13, -13, -13));
    painter.fillPath(ring, warm);

    const QSize size = image.size();
    bevelRect(painter, size, 0, QColor(166, 162, 151), QColor(150, 146, 135));
    bevelRect(painter, size, 1, QColor(251, 249, 242), QColor(184, 180, 169));
    bevelRect(painter, size, 2, QColor(238, 235, 227), QColor(198, 194, 183));
    // A sunken groove around the accent field.
    bevelRect(painter, size, 11, QColor(182, 178, 167), QColor(252, 250, 244));
    bevelRect(painter, size, 12, QColor(210, 208, 199), QColor(240, 241, 233));
    return image;
}

QImage drawTitleTexture()
{
    QImage image = blankImage(240, 64, themeBackground);
    QPainter painter(&image);
    drawPanelFrame(painter, image.size());

    // The strip brightens the top of the panel and has faded into the panel colour by row 20:
    // the rows that the nine-slice stretches are plain panel colour, and a title panel lower
    // than twice the border, where the bottom slices overlap the top ones, shows no seam.
    QPainterPath inside;
    inside.addRoundedRect(QRectF(8, 8, image.width() - 16, image.height() - 16), 8, 8);
    painter.setClipPath(inside);
    QLinearGradient strip(0, 8, 0, 20);
    strip.setColorAt(0.0, QColor(255, 255, 253));
    strip.setColorAt(1.0, themePanel);
    painter.fillRect(QRectF(0, 8, image.width(), 12), strip);
    painter.setClipping(false);

    // Fine lines below the title: a gold thread over a faint blue one.
    const qreal y = image.height() - 13;
    painter.setRenderHint(QPainter::Antialiasing, false);
    hLine(painter, 14, image.width() - 14, y, QColor(226, 200, 120));
    hLine(painter, 14, image.width() - 14, y + 2, QColor(196, 206, 228));
    return image;
}

QImage drawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    if (size <= 48) {
        // Small sizes: a plain blue tile, twelve gold points and a two-metal coin without
        // lettering; details finer than a pixel would only blur.
        const QRectF tile(0.5, 0.5, s - 1, s - 1);
        QLinearGradient blue(0, 0, 0, s);
        blue.setColorAt(0.0, QColor(24, 84, 194));
        blue.setColorAt(1.0, QColor(0, 40, 126));
        painter.setPen(QPen(QColor(0, 28, 90), 1.0));
        painter.setBrush(blue);
        painter.drawRoundedRect(tile, s * 0.2, s * 0.2);
        const QPointF centre(s / 2, s / 2);
        drawStarRing(painter, centre, s * 0.36, s * 0.085, starGold);
        painter.setPen(QPen(QColor(70, 46, 0), 1.0));
        painter.setBrush(QColor(244, 192, 40));
        painter.drawEllipse(centre, s * 0.19, s * 0.19);
        painter.setPen(QPen(QColor(150, 110, 30), 0.8));
        painter.setBrush(QColor(236, 238, 242));
        painter.drawEllipse(centre, s * 0.1, s * 0.1);
        return image;
    }

    const QRectF tile(s * 0.035, s * 0.03, s * 0.93, s * 0.93);
    const qreal corner = s * 0.19;
    painter.setPen(Qt::NoPen);
    for (int spread = 1; spread <= 4; ++spread) {
        painter.setBrush(QColor(0, 0, 0, 16));
        painter.drawRoundedRect(tile.adjusted(-spread * 0.5, spread, spread * 0.5, spread * 1.2), corner, corner);
    }
    QLinearGradient blue(0, tile.top(), 0, tile.bottom());
    blue.setColorAt(0.0, QColor(32, 92, 200));
    blue.setColorAt(0.55, euroBlue);
    blue.setColorAt(1.0, QColor(0, 34, 108));
    painter.setBrush(blue);
    painter.drawRoundedRect(tile, corner, corner);

    QPainterPath tileShape;
    tileShape.addRoundedRect(tile, corner, corner);
    painter.save();
    painter.setClipPath(tileShape);
    QRadialGradient gloss(QPointF(s * 0.3, s * 0.05), s * 0.75);
    gloss.setColorAt(0.0, QColor(255, 255, 255, 70));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(tile, gloss);
    painter.restore();
    painter.setPen(QPen(QColor(255, 255, 255, 60), s / 128.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(tile.adjusted(s / 64, s / 64, -s / 64, -s / 64), corner * 0.92, corner * 0.92);

    const QPointF centre = tile.center();
    drawStarRing(painter, centre, s * 0.35, s * 0.058, starGold);
    drawEuroCoin(painter, centre, s * 0.215, CoinValue::TwoEuro);

    // A gold question mark badge: the program asks about what the coin and stars show.
    // It sits in the corner outside the ring of stars, so that all twelve stay visible.
    const QPointF badge = centre + QPointF(s * 0.335, s * 0.335);
    const qreal badgeRadius = s * 0.088;
    painter.setPen(QPen(QColor(255, 255, 255), s / 64.0));
    painter.setBrush(QColor(232, 62, 46));
    painter.drawEllipse(badge, badgeRadius, badgeRadius);
    drawTextCentred(painter, QRectF(badge.x() - badgeRadius, badge.y() - badgeRadius, badgeRadius * 2, badgeRadius * 2),
        QStringLiteral("?"), programFont(qRound(s * 0.13), true), Qt::white);
    return image;
}

QImage drawTopicFileIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    // A portrait sheet as tall as the icon, with the upper right corner folded down.
    const qreal left = s * 0.14;
    const qreal right = s * 0.86;
    const qreal top = s * 0.03;
    const qreal bottom = s * 0.97;
    const qreal fold = s * 0.24;
    QPainterPath sheet;
    sheet.moveTo(left, top);
    sheet.lineTo(right - fold, top);
    sheet.lineTo(right, top + fold);
    sheet.lineTo(right, bottom);
    sheet.lineTo(left, bottom);
    sheet.closeSubpath();
    const qreal edge = qMax(1.0, s / 64.0);
    if (size > 32) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 28));
        painter.drawPath(sheet.translated(s / 96.0 + 0.5, s / 64.0 + 0.5));
    }
    QLinearGradient paper(0, top, 0, bottom);
    paper.setColorAt(0.0, QColor(255, 255, 255));
    paper.setColorAt(1.0, QColor(234, 236, 240));
    painter.setPen(QPen(QColor(120, 126, 140), edge));
    painter.setBrush(paper);
    painter.drawPath(sheet);
    QPainterPath flap;
    flap.moveTo(right - fold, top);
    flap.lineTo(right - fold, top + fold);
    flap.lineTo(right, top + fold);
    flap.closeSubpath();
    painter.setBrush(QColor(214, 218, 226));
    painter.drawPath(flap);

    // Lines of text above and below the disc, where there is room for them.
    if (size >= 48) {
        painter.setPen(QPen(QColor(176, 182, 196), qMax(1.0, s / 48.0), Qt::SolidLine, Qt::RoundCap));
        for (const qreal y : {0.13, 0.2})
            painter.drawLine(QPointF(left + s * 0.08, s * y), QPointF(right - fold - s * 0.06, s * y));
        for (const qreal y : {0.82, 0.88})
            painter.drawLine(QPointF(left + s * 0.08, s * y), QPointF(right - s * 0.08, s * y));
    }

    const QPointF centre((left + right) / 2, size >= 48 ? s * 0.51 : s * 0.58);
    const qreal radius = size >= 48 ? s * 0.25 : s * 0.3;
    drawStarDisc(painter, centre, radius);
    return image;
}

QImage drawStartPicture()
{
    QImage image = blankImage(640, 360, Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    drawFlagGarland(painter, QPointF(28, 16), QPointF(612, 16), 30, QSizeF(34, 23), 12);

    // Title block: the star disc beside the name, all inside the centred click zone
    // (x 95 to 545, y 100 to 260).
    drawStarDisc(painter, QPointF(169, 180), 62);
    drawTextAt(painter, QPointF(249, 170), QStringLiteral("Kestrova"), programFont(40, true), euroBlue);
    drawTextAt(painter, QPointF(249, 212), QStringLiteral("Tallowmere"), programFont(40, true), euroBlue);
    painter.fillRect(QRectF(251, 224, 268, 2), starGold);
    drawTextAt(
        painter, QPointF(250, 246), QStringLiteral("Euromünzen und Flaggen der Eurozone"), programFont(16), inkGrey);

    drawEuroCoin(painter, QPointF(66, 296), 44, CoinValue::OneEuro);
    drawEuroCoin(painter, QPointF(574, 296), 44, CoinValue::TwoEuro);

    const QString call = QStringLiteral("Wähle ein Quiz im Menü „Quizauswahl“");
    const QFont callFont = programFont(16, true);
    const qreal callWidth = QFontMetricsF(callFont).horizontalAdvance(call) + 40;
    const QRectF pill(320 - callWidth / 2, 282, callWidth, 34);
    painter.setPen(QPen(QColor(0, 51, 153, 70), 1.0));
    painter.setBrush(QColor(236, 241, 251));
    painter.drawRoundedRect(pill, 17, 17);
    drawTextCentred(painter, pill, call, callFont, euroBlue);
    return image;
}

QImage drawStartBasePicture()
{
    QImage image = blankImage(800, 520, Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // A pale frame of small stars along the edges: the start panel covers all but the outer
    // 50 pixels of the card, so the edges are what the user sees of this picture.
    painter.setPen(QPen(QColor(0, 51, 153, 60), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(12.5, 12.5, 775, 495), 14, 14);
    painter.setPen(QPen(QColor(255, 204, 0, 140), 1.0));
    painter.drawRoundedRect(QRectF(17.5, 17.5, 765, 485), 10, 10);
    const QColor paleGold(255, 204, 0, 150);
    for (int x = 40; x <= 760; x += 40) {
        painter.fillPath(starPath(QPointF(x, 32), 5), paleGold);
        painter.fillPath(starPath(QPointF(x, 488), 5), paleGold);
    }
    for (int y = 72; y <= 448; y += 40) {
        painter.fillPath(starPath(QPointF(32, y), 5), paleGold);
        painter.fillPath(starPath(QPointF(768, y), 5), paleGold);
    }

    // Centre: a soft ground, the star disc and coins resting in front of it.
    QRadialGradient ground(QPointF(400, 270), 300);
    ground.setColorAt(0.0, QColor(232, 239, 252));
    ground.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ground);
    painter.drawEllipse(QPointF(400, 270), 300, 210);

    drawFlagGarland(painter, QPointF(70, 62), QPointF(730, 62), 34, QSizeF(40, 27), 14);
    drawStarDisc(painter, QPointF(400, 262), 128);
    drawEuroCoin(painter, QPointF(222, 340), 74, CoinValue::OneEuro);
    drawEuroCoin(painter, QPointF(578, 340), 74, CoinValue::TwoEuro);
    drawEuroCoin(painter, QPointF(300, 420), 44, CoinValue::TwoEuro);
    drawEuroCoin(painter, QPointF(500, 420), 44, CoinValue::OneEuro);
    return image;
}

} // namespace pictures
