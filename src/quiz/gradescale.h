#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// The colour of a school grade on the grade scale: green for 1 through yellow and orange to
// red for 6. An invalid colour for anything else.
QColor gradeColour(int grade);

// Draws the grade scale of the end-of-quiz dialog into rect: one coloured band per grade,
// grade 1 at the top, each as high as its share of the score range, with its digit; the
// thresholds as percentages on the left; and a marker with the score on the right. The
// caller fills the background. score is the overall score from 0 to 1; a value outside is
// drawn at the nearer end, one that is not a number at 0.
void drawGradeScale(QPainter& painter, const QRect& rect, double score);
