#pragma once

#include <QString>

// The tags of generated single questions: "<@flaggenfrage>" and "<@euromünzfrage>" stand for
// their question texts, "<@img=NAME>" names the picture shown with the question.

// Replaces the two question tags by their German questions.
QString expandQuestionTags(const QString& text);

struct ImageTagCut
{
    QString text; // the text without the tag
    QString name; // the picture's file name; empty without a tag
};

// Cuts the first "<@img=" ... ">" out of text.
ImageTagCut cutImageTag(const QString& text);
