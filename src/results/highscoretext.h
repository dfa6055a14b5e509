#pragma once

#include "results/highscorefile.h"

#include <QString>
#include <QStringList>

// The texts of the high-score window's grid, shared by the window, its text export and zeptool.

// The header row: "Pos.", "Name", "Rechner", "Leistung", "Zeit (Min:Sek)", "Datum/Uhrzeit (Ende)".
QStringList highScoreHeader();
inline constexpr int highScoreColumnCount = 6;

// Leistung × 100 with one decimal and a decimal point: "87.5 %", "100.0 %".
QString highScorePerformanceText(double performance);
// The whole seconds of Dauer as minutes and seconds of at least two digits each: "03:07", "125:00".
QString highScoreDurationText(qint32 durationMs);
// Ende in local time: the locale's short date and the time with seconds; empty for a value
// that is no date.
QString highScoreEndText(double end);

// The cell of the grid row for entry at position (counted from 1) in column 0..5.
QString highScoreCellText(const HighScoreEntry& entry, int position, int column);

// A cell as tab-separated text takes it: tabs, line breaks and other control characters become
// spaces (a tab in a pupil's name would shift every column after it).
QString plainTextCell(QString text);

// The grid as text: the header and one row per entry (one empty row for an empty list), cells
// separated by a tab, every row ended by CR LF.
QString highScoreListText(const HighScoreList& list);
