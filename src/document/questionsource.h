#pragma once

#include "document/topicdocument.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The single questions of a topic as a teacher writes them: one line "question // answer" each,
// the first "//" dividing the two. `zeptool make` and the questions editor check and store them
// here, so a topic holds the same objects whichever way a teacher made it.

struct SingleQuestion
{
    QString question;
    QString answer;

    bool operator==(const SingleQuestion&) const = default;
};

// A source text as a teacher's editor or spreadsheet wrote it: valid UTF-8 (its byte order mark
// dropped) is UTF-8; anything else comes from an older Windows program and is Windows-1252.
QString decodeSource(const QByteArray& bytes);

// One stored line divided at its first "//", both parts trimmed; a line without "//" is a
// question whose answer is "---", as the quiz and the worksheet read it.
SingleQuestion splitQuestionLine(const QString& line);

// The line the editor stores for question: "question // answer".
QString questionLine(const SingleQuestion& question);

// The questions of document's fragentext, one a non-empty line.
QList<SingleQuestion> documentQuestions(const TopicDocument& document);

// Why question cannot be stored as a single question, in German; empty when it can. Checks what
// `zeptool make` checks of a divided line: an empty question or answer, "Frage Nr." (the reader
// empties such a question text) and an unfinished "<@img=" tag. Characters are checked apart
// (see questionCellProblem), since make reports them for the whole line.
QString questionProblem(const SingleQuestion& question);

// Why text cannot stand in one cell of the questions table, in German; empty when it can: a "//"
// (it would divide the line elsewhere), a line break or other control character, a character
// Windows-1252 lacks.
QString questionCellProblem(const QString& text);

// Puts questions into document as the single-questions layout has them: fragentext holds lines
// (one a question, joined by CR LF), AnzFrageNummern their number, and every generated question
// object (kinds 10 to 17) is replaced by the new pages and the page buttons at the start of the
// object list, where `zeptool make` puts them. Every other object keeps its order after them.
// Without questions no pages and no buttons are left. The questions are expected checked.
void putQuestions(TopicDocument& document, const QList<SingleQuestion>& questions, const QStringList& lines);
