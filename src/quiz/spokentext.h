#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QuizSession;
class TopicDocument;

// What a screen reader speaks during a quiz. None of these texts may give an answer away: a
// target is named by the label its cover shows, a picture by its kind, never by its file name,
// which names the country.

// An open target: "Position 3" in image labelling, "Lücke 3" in a cloze text, with the cover's
// letter where the topic numbers by letters ("Position C"). A cover with a question mark shows
// nothing to go by, so number (the quiz's spoken number of the target, from 1) stands in;
// without one (0) it is only "Position" or "Lücke".
QString spokenTargetName(const TopicDocument& document, int object, int number);

// An answer tile's caption as it is read: its line breaks (" | " in the topic) as blanks.
QString spokenTileText(const QString& caption);

// The kind of a question's picture: "Flagge", "Münzseite", otherwise "Bild"; empty for none.
QString spokenPictureKind(const QString& pictureName);

// The cloze text as it is read: the markup left out, each gap that is still to be filled as its
// target name ("Lücke 3", with the gap object's number from numbers), each filled one as its word.
QString spokenClozeText(const TopicDocument& document, const QHash<int, int>& numbers);

// A single question as it is read: its counter, its text without markup and its picture's kind
// ("3. Frage: Wie heißt das Land zu dieser Flagge? Bild: Flagge").
QString spokenQuestion(const QString& counterText, const QString& questionText, const QString& pictureName);

// What the quiz panel paints that a screen reader reads besides its widgets. A key names the
// same item for as long as it exists; rect is in the panel's pixels; chosen marks the target a
// tile carried by keys would go to.
struct SpokenItem
{
    QString key;
    QString name;
    QRect rect;
    bool chosen = false;
};

// The items of a running quiz: a cloze text with its gaps named, over textArea, and every open
// target in the keyboard's order at targetRect(target), chosenTarget (-1 none) marked. A single
// question's one target is the question itself, which its counter reads: it lists none.
QList<SpokenItem> spokenItems(const QuizSession& quiz, const QRect& textArea,
    const std::function<QRect(int target)>& targetRect, int chosenTarget);
