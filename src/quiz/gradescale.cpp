#include "quiz/gradescale.h"

#include "common/rounding.h"
#include "quiz/quizscoring.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace {

constexpr int margin = 12;

// The scale's positions round halves to the even neighbour (roundHalfToEven), as the scale
// picture was measured with.

QFont scaleFont(int pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QColor gradeColour(int grade)
{
    static const QColor colours[6] = {
        QColor(0, 255, 0),
        QColor(191, 255, 0),
        QColor(255, 255, 0),
        QColor(255, 224, 0),
        QColor(255, 160, 0),
        QColor(255, 0, 0),
    };
    return grade >= 1 && grade <= 6 ? colours[grade - 1] : QColor();
}

void drawGradeScale(QPainter& painter, const QRect& rect, double score)
{
    if (rect.isEmpty())
        return;
    if (!std::isfinite(score))
        score = 0.0;
    score = qBound(0.0, score, 1.0);

    // Right and bottom are the edges just outside the rectangle.
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();
    const int height = rect.height() - 2 * margin;
    const int x1 = left + roundHalfToEven(0.4 * (right - left));
    const int x2 = left + roundHalfToEven(0.6 * (right - left));
    const int lowestBaseline = top + margin + height;
    const auto rowOf = [&](double fraction) { return top + roundHalfToEven((1.0 - fraction) * height) + margin; };

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(QPen(Qt::black, 1));

    const QFont regular = scaleFont(7, false);
    const QFont bold = scaleFont(7, true);
    for (int i = 1; i <= 7; ++i) {
        const int y = rowOf(gradeThresholds[i - 1]);
        if (i < 7) {
            // The band's outline takes its first and its last row, which is the next band's
            // first: neighbouring bands share one black line.
            const int yEnd = rowOf(gradeThresholds[i]) + 1;
            painter.setBrush(gradeColour(i));
            painter.drawRect(x1, y, x2 - x1 - 1, yEnd - y - 1);
            painter.setFont(bold);
            const QString digit = QString::number(i);
            const int centre = roundHalfToEven((x1 + x2) / 2.0);
            painter.drawText(QPoint(centre - painter.fontMetrics().horizontalAdvance(digit) / 2,
                                 roundHalfToEven((y + yEnd) * 0.5) + 3),
                digit);
        }
        painter.drawLine(x1, y, x1 - 2, y);
        painter.setFont(regular);
        const QString percent = QString::number(roundHalfToEven(gradeThresholds[i - 1] * 100)) + QLatin1Char('%');
        painter.drawText(
            QPoint(x1 - 7 - painter.fontMetrics().horizontalAdvance(percent), qMin(y + 3, lowestBaseline)), percent);
    }

    const int markerY = rowOf(score);
    painter.drawLine(x2, markerY, x2 + 9, markerY);
    const QFont markerFont = scaleFont(8, true);
    painter.setFont(markerFont);
    painter.drawText(
        QPoint(x2 + 15, qMin(markerY + 3, lowestBaseline)), QString::number(score * 100, 'f', 1) + QLatin1Char('%'));
    painter.restore();
}
