#pragma once

#include "document/questionsource.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Rows of questions from a spreadsheet: the cells a teacher copied from LibreOffice Calc or
// Excel (tab-separated text on the clipboard), or a CSV or tab-separated file. The first cell of
// a row is the question, the second its answer; further cells (notes, a number) are ignored.
// Rows without any text are skipped, and so is a first row that reads "Frage" and "Antwort".

// The largest file read: some ten thousand questions, far beyond a topic, and small enough to
// hold in memory at once.
inline constexpr qint64 maxQuestionFileBytes = 1024 * 1024;
// The most rows taken from one paste or file; a quiz asks a few dozen.
inline constexpr int maxImportedRows = 2000;

struct RefusedQuestionRow
{
    int line = 0; // 1-based line of the text where the row begins
    QString reason; // German
};

struct QuestionRows
{
    QList<SingleQuestion> questions; // the good rows, in their order
    QList<RefusedQuestionRow> refused;
    QString error; // a problem of the whole text (too large, unreadable), German; empty when none
};

// Text as a spreadsheet copies it: cells divided by tabs, rows by line breaks, a cell holding a
// tab, a quote or a line break in quotes with its quotes doubled.
QuestionRows parsePastedQuestions(const QString& text);

// The bytes of a CSV or tab-separated file: decoded by the rule topic sources follow (valid UTF-8
// is UTF-8, a byte order mark dropped; else Windows-1252), cells divided by tab, semicolon or
// comma, whichever divides its first rows into question and answer, and quoted as CSV quotes
// them.
QuestionRows parseQuestionFile(const QByteArray& bytes);

// Reads the file at path; a file larger than maxQuestionFileBytes, a folder or one that cannot
// be read gives only error.
QuestionRows readQuestionFile(const QString& path);
