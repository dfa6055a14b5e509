#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>

// What a key does in a running quiz, decided from the key and the quiz's situation alone: the
// keys, and how a held key's repeats are told apart, are the same however the key arrives, and
// are tested without a window. The quiz panel carries the decision out.

struct QuizKey
{
    int key = 0; // Qt::Key
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool autoRepeat = false;
    quint64 timestamp = 0; // the display server's time; 0 when it gave none
};

// The last key let go and when, to know a held key's repeats.
struct QuizKeyRelease
{
    int key = 0;
    quint64 time = 0;
};

enum class QuizKeyAction {
    Ignore, // not the quiz's key
    Swallow, // a held key's repeat: taken, and does nothing
    FocusPrevious, // the arrow keys over the tiles
    FocusNext,
    Enter, // on the focused tile: answer, pick up, or put the carried tile down
    AnswerSlot, // single questions: the keys 1 to 5, the tile in that place
    ChoosePrevious, // with a tile carried: the targets
    ChooseNext,
    ChooseFirst,
    ChooseLast,
    Drop, // put the carried tile down on the chosen target
    PutBack, // the carried tile goes back
    ChooseByText, // the number or letter a target's cover shows (QuizKey::text)
};

struct QuizKeyDecision
{
    QuizKeyAction action = QuizKeyAction::Ignore;
    int slot = -1; // AnswerSlot: 0 for the key 1
};

// carrying: a tile is carried by keys; singleQuestions: the topic asks single questions.
QuizKeyDecision decideQuizKey(
    const QuizKey& key, const QuizKeyRelease& lastRelease, bool carrying, bool singleQuestions);
