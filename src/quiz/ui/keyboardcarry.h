#pragma once

#include "quiz/droptarget.h"
#include "quiz/quizkeys.h"

#include <QList>
#include <QPointer>
#include <QRect>

class QuizSession;
class QWidget;
class THoverPanel;

// What the keyboard asks of the quiz panel. The pointer makes the same requests, so that a tile
// carried by keys is taken, judged, held or refused exactly as one dragged would be.
class TileRequests
{
public:
    // What a tile let go now becomes: judged at once, held until the answer in feedback is over
    // (free assignment), or refused (the tile stays where it is).
    enum class DropFate { Judged, Held, Refused };

    virtual ~TileRequests() = default;

    // Takes tile up if a press would take it now and the pointer does not hold it; false when
    // refused.
    virtual bool pickUp(THoverPanel* tile) = 0;
    virtual DropFate dropFate() const = 0;
    // tile let go on target, as dropFate() says; one the engine refuses goes home.
    virtual void putDown(THoverPanel* tile, int target) = 0;
    // tile goes back where it was picked up, unanswered.
    virtual void returnHome(THoverPanel* tile) = 0;
    // The pointer's click on tile: answers a single question.
    virtual void clickTile(THoverPanel* tile) = 0;
    // The box of target object index in the panel's pixels.
    virtual QRect targetRect(int index) const = 0;
    // The marker on the target a carried tile would go to (-1 for none), unless the answer in
    // feedback owns the marker.
    virtual void showChosenTarget(int target) = 0;
};

// The keyboard in a running quiz: the focus over the answer tiles, their key cues, and a tile
// carried by keys to a target. Tab and the arrow keys move the focus over the tiles; single
// questions answer with Enter, Space or the keys 1 to 5 (the tiles in their visible order);
// labels and cloze words are picked up with Enter, a target is chosen by typing the number or
// letter its cover shows or with the arrow keys, Enter puts the tile down there and Escape puts
// it back. What a key does is decideQuizKey's decision; every pick-up and drop goes to the panel
// as a TileRequests call. A held key answers once, its repeats nothing. The focus frame and the
// key names on the tiles show only once the keyboard was used, and go when the pointer takes a
// tile.
//
// The panel owns it and forwards keys only while a quiz takes them.
class KeyboardCarry
{
public:
    // panel is the tiles' parent and takes the focus when no tile can; tiles are the panel's
    // answer tiles by list position. All must outlive the carry.
    KeyboardCarry(
        QWidget& panel, const QuizSession& quiz, const QList<QPointer<THoverPanel>>& tiles, TileRequests& requests);

    // A key pressed: true when it was one of the quiz's (taken, whether it did anything or not).
    bool keyPressed(const QuizKey& key);
    // A key let go, to tell a held key's repeats from new presses.
    void keyReleased(const QuizKeyRelease& release);
    // Tab (next) or Backtab: the focus steps among the tiles; while a tile is carried it steps
    // through the targets like the arrow keys.
    void tab(bool next);
    // A screen reader's press on tile: what Enter on it does, after the focus moved to it.
    void press(THoverPanel* tile);
    // The pointer takes a tile: one carried by keys goes back, the key cues go.
    void pointerTakesOver();

    // The tile carried, null while none is.
    THoverPanel* carried() const;
    // The target the carried tile would be put on, -1 for none.
    int chosenTarget() const;
    // The answer tiles that take part now, in the order of Tab and the keys 1 to 5.
    QList<THoverPanel*> tilesInOrder() const;

    // The carried tile, if any, goes back unanswered.
    void putBack();
    // Lets go of the carried tile where it lies (the quiz stops or its tiles go).
    void end();
    // After an answer's feedback, which owned the marker: the carried tile goes to its chosen
    // target again, or the one that took its place when another answer took it. False when no
    // tile is carried.
    bool showTargetAgain();

    void focusFirstTile();
    // The focus stays with the tiles when the one it was on was hidden or placed.
    void keepFocusOnTiles();
    // The focus frames and the key names 1 to 5, after the tiles were shown or placed.
    void updateCues();

private:
    bool carryKey(QuizKeyAction action, const QString& text);
    void useKeyboard(bool used);
    void moveFocus(int delta);
    THoverPanel* focusedTile() const;
    bool singleQuestions() const;
    // Enter on tile: answers a single question, picks a text up, puts the carried one down.
    void enterOn(THoverPanel* tile);
    void pickUp(THoverPanel* tile);
    void showTarget();
    void drop();

    QWidget& m_panel;
    const QuizSession& m_quiz;
    const QList<QPointer<THoverPanel>>& m_tiles;
    TileRequests& m_requests;

    bool m_cuesShown = false;
    // The last key let go and when (the display server's time).
    QuizKeyRelease m_lastRelease;
    QPointer<THoverPanel> m_carried;
    DropTargetChooser m_chooser;
};
