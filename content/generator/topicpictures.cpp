#include "topicpictures.h"

#include "coins.h"
#include "motifs.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

using namespace motifs;

namespace topicpictures {

namespace {

const QColor paper(251, 251, 247);
const QColor paperEdge(222, 224, 214);

QImage paperImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(paper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(paperEdge, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(6, 6, width - 12, height - 12), 14, 14);
    return image;
}

} // namespace

QImage drawQuestionBackground()
{
    constexpr int width = 810;
    constexpr int height = 900;
    QImage image = paperImage(width, height);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // Faint enough that no text or picture of a question has to compete with it, and right of
    // the place where the question's picture appears.
    drawStarRing(painter, QPointF(640, 420), 85, 14, QColor(224, 231, 246));
    QLinearGradient band(0, height - 40, 0, height - 6);
    band.setColorAt(0.0, QColor(0, 51, 153, 0));
    band.setColorAt(1.0, QColor(0, 51, 153, 28));
    QPainterPath inside;
    inside.addRoundedRect(QRectF(7, 7, width - 14, height - 14), 13, 13);
    painter.setClipPath(inside);
    painter.fillRect(QRectF(7, height - 40, width - 14, 33), band);
    return image;
}

QImage drawCoinAnatomy()
{
    QImage image = paperImage(940, 640);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    coins::paintCommonSide(painter, QPointF(250, 330), 150, CoinValue::TwoEuro);
    const QList<coins::NationalSide>& sides = coins::nationalSides();
    for (const coins::NationalSide& side : sides) {
        if (side.code == QLatin1String("ie"))
            coins::paintNationalSide(painter, QPointF(690, 330), 150, side);
    }
    return image;
}

QImage drawClozePaper()
{
    // The text fills the card from edge to edge: anything drawn here would sit behind it.
    return paperImage(870, 640);
}

QImage drawLearningCard()
{
    QImage image = paperImage(870, 600);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    // The European flag: the stars' ring has a third of the flag's height as its radius and
    // each star an eighteenth.
    const QRectF flag(70, 60, 270, 180);
    painter.fillRect(flag.translated(3, 4), QColor(0, 0, 0, 30));
    painter.fillRect(flag, euroBlue);
    drawStarRing(painter, flag.center(), flag.height() / 3, flag.height() / 18, starGold);

    // The euro sign.
    const QPainterPath sign = textPath(QStringLiteral("€"), programFont(190, true), QPointF(620, 160));
    painter.fillPath(sign.translated(4, 5), QColor(0, 0, 0, 30));
    painter.fillPath(sign, euroBlue);

    coins::paintCommonSide(painter, QPointF(300, 430), 105, CoinValue::TwoEuro);
    for (const coins::NationalSide& side : coins::nationalSides()) {
        if (side.code == QLatin1String("de"))
            coins::paintNationalSide(painter, QPointF(560, 430), 105, side);
    }
    return image;
}

} // namespace topicpictures
