#pragma once

#include <QString>

// The exercise options as the two option dialogs hold them: the chosen entry of each radio group
// (0-based) and the minute and second fields as typed. They are kept between runs and every quiz
// start takes its snapshot from the group of the open document's kind.

// The dialog for image labelling and cloze text.
struct LabelQuizOptions
{
    int abfrageModus = 0; // 0 free assignment, 1 one text at a time, 2 one position at a time
    int zeitlimit = 0; // 0 without, 1 with time limit
    QString zLimitMin = QStringLiteral("3");
    QString zLimitSek = QStringLiteral("0");
    int zuordnungRichtig = 0; // 0 show the label, 1 green tick
    int zuordnungFalsch = 0; // 0 unlimited attempts, 1 red cross
    int zuordnungstexte = 1; // 0 alphabetical, 1 shuffled
    int zuordnungsziele = 1; // 0 numbered in order, 1 numbered at random, 2 question marks

    bool operator==(const LabelQuizOptions&) const = default;
};

// The dialog for single questions.
struct QuestionQuizOptions
{
    int zuordnungFalsch = 0; // 0 repeat until answered right, 1 ask each question once
    int zuordnungstexte = 1; // answer choices: 0 in order, 1 at random places
    int zeitlimit = 0;
    QString zLimitMin = QStringLiteral("3");
    QString zLimitSek = QStringLiteral("0");
    int zuordnungsziele = 1; // question order: 0 in order, 1 shuffled

    bool operator==(const QuestionQuizOptions&) const = default;
};

struct QuizOptions
{
    LabelQuizOptions labelling;
    QuestionQuizOptions questions;
    // " Dieses Dialogfenster vor jeder Übung anzeigen ", shared by both dialogs; not kept between runs.
    bool showDialogBeforeQuiz = true;

    bool operator==(const QuizOptions&) const = default;
};

// Entries of the radio groups, so that a value from outside (the settings store) can be checked.
namespace QuizOptionChoices {
inline constexpr int abfrageModus = 3;
inline constexpr int zeitlimit = 2;
inline constexpr int zuordnungRichtig = 2;
inline constexpr int zuordnungFalsch = 2;
inline constexpr int zuordnungstexte = 2;
inline constexpr int labelZuordnungsziele = 3;
inline constexpr int questionZuordnungsziele = 2;
} // namespace QuizOptionChoices

// True for what the numeric fields of the time limit accept: one or two digits, 0 to 59.
bool isTimeLimitField(const QString& text);
