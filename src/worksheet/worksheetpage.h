#pragma once

#include "document/topicdocument.h"

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The worksheet page: a worksheet with empty answer fields, a complete solution sheet, or a
// solution overlay for a transparency laid over the printed worksheet. One composer draws it on
// any QPainter in logical units (x 0..1000, y 0..1625 from the top); the callers' devices give
// the preview, printing, PDF and the metafiles.

inline constexpr QSize worksheetPageSize(1001, 1625);
inline constexpr int worksheetWidth = 1000;
inline constexpr int worksheetHeight = 1625;
// The page printed 16.6 cm wide; its height follows from the page's proportions.
inline constexpr double worksheetWidthMm = 166.0;
inline constexpr double worksheetHeightMm = worksheetWidthMm * 1625.0 / 1001.0;
inline const QString worksheetFooter = QStringLiteral("erstellt mit ZEP - Zeporama für interaktive Übungen");
inline const QString worksheetWebAddress = QStringLiteral("https://www.kestrova-tallowmere.de/");

enum class WorksheetMode { Worksheet = 0, Solution = 1, Overlay = 2 };

struct WorksheetOptions
{
    WorksheetMode mode = WorksheetMode::Worksheet;
    bool nameField = true;
    bool classField = true;
    bool dateField = true;
    QString title; // empty: no title line
    QString task = QStringLiteral("Aufgabe: Fülle die freien Felder aus!");
    bool answerList = true; // "Antworttexte vorgeben"
    int fromQuestion = 1; // single questions: the first question on the page
    QString pictureFolder; // where the pictures of tagged questions lie, ending with a separator
};

// Where the composer put things, for the window and the tests.
struct WorksheetLayout
{
    int titleTop = -1; // -1 without a title
    int taskTop = -1;
    int answerListTop = -1;
    QStringList answerLines; // the answer list as written, line by line
    int contentTop = -1;
    int contentBottom = -1;
    QList<int> questions; // single questions: the numbers on the page
    QList<QRect> solutionRects; // single questions: where each answer stands
    int footerTop = -1;
};

// Draws the page for document onto painter, whose coordinates are page units. Nothing of the
// document changes: the labelled picture is drawn on a card of its own over a copy.
WorksheetLayout composeWorksheet(QPainter& painter, const TopicDocument& document, const WorksheetOptions& options);

// The answer texts of the document for the list: labels, cloze gaps, or the answers of the
// questions from options.fromQuestion on, each on one line, sorted the German way.
QStringList worksheetAnswers(const TopicDocument& document, int fromQuestion);

// One question line of a single-questions document: the text before "//" and the one after, both
// trimmed; "---" as the answer of a line without "//".
struct WorksheetQuestion
{
    int number = 0;
    QString question;
    QString answer;
};
QList<WorksheetQuestion> worksheetQuestions(const QString& questionSource);
