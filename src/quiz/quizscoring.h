#pragma once

#include <QString>

#include <array>

// The grade scale: a school grade i (1..6) needs an overall score of at least gradeThresholds[i];
// the first and last entries only bound the scale the end-of-quiz dialog draws.
inline constexpr std::array<double, 7> gradeThresholds {1.0, 0.85, 0.70, 0.55, 0.40, 0.25, 0.0};

// The school grade of an overall score (a fraction 0..1): 1 from 0.85 on, 6 below 0.25. A score
// that is not a number gets 6.
int gradeOf(double score);

// "sehr gut" .. "ungenügend" for grades 1..6; empty for any other value.
QString ratingText(int grade);

// A fraction as the status panel shows it: one decimal, a point, then " %" ("85.7 %").
QString percentText(double fraction);

// MM:SS of whole seconds; minutes keep growing past 99 ("100:00"). Negative counts as 0.
QString clockText(qint64 seconds);

// A time limit in words: "3 Min. 0 Sek.", "45 Sek.", "1 Std. 0 Min. 0 Sek.". Negative counts as 0.
QString durationText(qint64 seconds);
