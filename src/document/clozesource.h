#pragma once

#include "document/topicdocument.h"

#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The rules of a cloze text as a teacher writes it: gaps "<<word>>" among the card's text
// markup. `zeptool make` and the cloze-text editor both check a text here and put it into a
// topic here, so that the same text gives the same topic whichever way it was made.

// Where and why a text cannot be taken. column: 1-based position in its line, 0 for none.
struct ClozeProblem
{
    int line = 0; // 1-based; 0: the problem belongs to no single line
    int column = 0;
    QString text; // German, for the teacher

    bool operator==(const ClozeProblem&) const = default;
};

// The length of the markup tag starting at pos in text (0 for none), trying the tags in the order
// the card tries them, so that the gaps found here are exactly the gaps the card lays out. The
// tag's pattern goes to matched ('#' a digit, '$' a hexadecimal digit in it).
qsizetype markupTagLengthAt(const QString& text, qsizetype pos, QLatin1StringView* matched);

// The first character of text a topic file cannot hold: a control character other than the tab
// (a character 0 would end the text on reading), or one outside Windows-1252. Nothing when the
// whole text can be stored.
std::optional<ClozeProblem> unstorableTextProblem(const QString& text);

// The gaps of one line of a cloze text, in order, or its first problem (an empty gap, a gap
// inside a gap, markup inside a gap, ">>" without "<<", a gap not closed in its line). Only the
// markup is checked here: see unstorableTextProblem for the characters.
struct ClozeLineGaps
{
    QStringList gaps; // each word trimmed as the card trims it
    std::optional<ClozeProblem> problem; // line 0, column of the offending tag
};
ClozeLineGaps clozeLineGaps(const QString& line);

// "Der Lückentext enthält keine Lücke; ..." for a cloze text without a single gap.
QString noGapText();

// A whole cloze text as an editor holds it, lines separated by any line break: its stored form
// (CR LF between lines, the empty lines before the first line of text and after the last
// dropped), its gap words in order, and every line's first problem (characters first, then
// markup), numbered by the lines of the text given. A text with lines but without a single gap
// has the problem noGapText() (line 0): it would make a cloze topic with nothing to ask.
struct ClozeText
{
    QString stored;
    QStringList gaps;
    QList<ClozeProblem> problems;
};
ClozeText checkClozeText(const QString& text);

// The cloze text's lines with the empty ones at both ends dropped, joined with CR LF: the form a
// topic stores.
QString storedClozeText(const QStringList& lines);

// Puts a checked cloze text into document: lueckentext becomes stored, every gap object (kind 3)
// goes and one clozeGapObject per word of gaps takes the place where the first old gap stood, or,
// in a topic without gaps, the place after the generated question pages and page buttons (kinds
// 10 to 17), before the objects placed by hand. Every other object keeps its order and its fields.
void putClozeText(TopicDocument& document, const QString& stored, const QStringList& gaps);

// A line after a gap was made or taken back, and the part of it to select then (from start to
// end; equal for a cursor).
struct ClozeLineEdit
{
    QString line;
    qsizetype selectionStart = 0;
    qsizetype selectionEnd = 0;

    bool operator==(const ClozeLineEdit&) const = default;
};

// What the editor's gap button does to line with the selection from start to end (equal for the
// cursor), as a word processor would: a gap the selection lies in, or touches, becomes its word
// again (the word selected); otherwise the selection, without the blanks at its ends, or else the
// word at the cursor (letters, digits and hyphens) becomes a gap, with the cursor after it; with
// neither, an empty gap "<<>>" opens at the cursor, the cursor inside for the word.
ClozeLineEdit toggleClozeGap(const QString& line, qsizetype start, qsizetype end);
