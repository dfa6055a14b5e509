#include "quiz/ui/keyboardcarry.h"

#include "quiz/quizsession.h"
#include "quiz/spokentext.h"
#include "quiz/tilelayout.h"
#include "widgets/hoverpanel.h"

#include <algorithm>

KeyboardCarry::KeyboardCarry(
    QWidget& panel, const QuizSession& quiz, const QList<QPointer<THoverPanel>>& tiles, TileRequests& requests)
    : m_panel(panel)
    , m_quiz(quiz)
    , m_tiles(tiles)
    , m_requests(requests)
{ }

bool KeyboardCarry::singleQuestions() const
{
    return m_quiz.document().DokTyp == DocType::SingleQuestions;
}

THoverPanel* KeyboardCarry::carried() const
{
    return m_carried;
}

int KeyboardCarry::chosenTarget() const
{
    return m_carried ? m_chooser.current() : -1;
}

QList<THoverPanel*> KeyboardCarry::tilesInOrder() const
{
    QList<THoverPanel*> order;
    for (const QPointer<THoverPanel>& tile : m_tiles) {
        if (tile && !tile->isHidden())
            order.append(tile);
    }
    // The answers of a question are numbered as the pupil reads the grid; texts keep the order
    // of their pile.
    if (singleQuestions()) {
        std::stable_sort(order.begin(), order.end(), [](const THoverPanel* a, const THoverPanel* b) {
            return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
        });
    }
    return order;
}

THoverPanel* KeyboardCarry::focusedTile() const
{
    QWidget* focus = m_panel.focusWidget();
    for (const QPointer<THoverPanel>& tile : m_tiles) {
        if (tile && tile == focus && !tile->isHidden())
            return tile;
    }
    return nullptr;
}

void KeyboardCarry::focusFirstTile()
{
    const QList<THoverPanel*> order = tilesInOrder();
    if (!order.isEmpty())
        order.first()->setFocus(Qt::OtherFocusReason);
    else if (m_panel.isVisible())
        m_panel.setFocus(Qt::OtherFocusReason);
}

void KeyboardCarry::keepFocusOnTiles()
{
    const QWidget* focus = m_panel.focusWidget();
    if (focus == &m_panel || (focus && focus->isHidden() && m_panel.isAncestorOf(focus)))
        focusFirstTile();
}

void KeyboardCarry::moveFocus(int delta)
{
    const QList<THoverPanel*> order = tilesInOrder();
    if (order.isEmpty()) {
        m_panel.setFocus(Qt::OtherFocusReason);
        return;
    }
    const int n = int(order.size());
    QWidget* focus = m_panel.focusWidget();
    int at = int(order.indexOf(focus));
    if (at >= 0) {
        at = ((at + delta) % n + n) % n;
    } else {
        // The focused tile was just hidden or placed: the tile after it (or before it) in the
        // list takes the focus; from anywhere else the first (or last) one.
        const int listAt = int(m_tiles.indexOf(qobject_cast<THoverPanel*>(focus)));
        at = delta > 0 ? 0 : n - 1;
        if (listAt >= 0) {
            for (int i = 0; i < n; ++i) {
                const int j = delta > 0 ? i : n - 1 - i;
                const qsizetype listIndex = m_tiles.indexOf(order.at(j));
                if (delta > 0 ? listIndex > listAt : listIndex < listAt) {
                    at = j;
                    break;
                }
            }
        }
    }
    THoverPanel* next = order.at(at);
    next->setFocus(delta > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (m_cuesShown)
        next->raise(); // a tile of the pile shows its frame whole
}

void KeyboardCarry::useKeyboard(bool used)
{
    if (m_cuesShown == used)
        return;
    m_cuesShown = used;
    updateCues();
}

void KeyboardCarry::updateCues()
{
    const QList<THoverPanel*> order = tilesInOrder();
    for (const QPointer<THoverPanel>& tile : m_tiles) {
        if (!tile)
            continue;
        tile->setFocusFrame(m_cuesShown);
        const int at = int(order.indexOf(tile));
        const bool numbered = m_cuesShown && singleQuestions() && at >= 0 && at < 5;
        tile->setKeyHint(numbered ? QString::number(at + 1) : QString());
    }
}

void KeyboardCarry::tab(bool next)
{
    if (m_carried) {
        m_chooser.update(m_quiz.dropCandidates());
        m_chooser.step(next ? 1 : -1);
        showTarget();
        return;
    }
    moveFocus(next ? 1 : -1);
}

void KeyboardCarry::keyReleased(const QuizKeyRelease& release)
{
    m_lastRelease = release;
}

bool KeyboardCarry::keyPressed(const QuizKey& key)
{
    const QuizKeyDecision decision = decideQuizKey(key, m_lastRelease, m_carried, singleQuestions());
    switch (decision.action) {
    case QuizKeyAction::Ignore:
        return false;
    case QuizKeyAction::Swallow:
        return true;
    case QuizKeyAction::FocusPrevious:
    case QuizKeyAction::FocusNext:
        useKeyboard(true);
        moveFocus(decision.action == QuizKeyAction::FocusPrevious ? -1 : 1);
        return true;
    case QuizKeyAction::Enter: {
        useKeyboard(true);
        THoverPanel* tile = focusedTile();
        if (!tile) {
            focusFirstTile();
            return true;
        }
        enterOn(tile);
        return true;
    }
    case QuizKeyAction::AnswerSlot: {
        useKeyboard(true);
        const QList<THoverPanel*> order = tilesInOrder();
        if (decision.slot < order.size()) {
            order.at(decision.slot)->setFocus(Qt::OtherFocusReason);
            m_requests.clickTile(order.at(decision.slot));
        }
        return true;
    }
    default:
        return carryKey(decision.action, key.text);
    }
}

bool KeyboardCarry::carryKey(QuizKeyAction action, const QString& text)
{
    useKeyboard(true);
    // Another answer may have solved or crossed targets since the last key.
    m_chooser.update(m_quiz.dropCandidates());
    switch (action) {
    case QuizKeyAction::ChoosePrevious:
        m_chooser.step(-1);
        break;
    case QuizKeyAction::ChooseNext:
        m_chooser.step(1);
        break;
    case QuizKeyAction::ChooseFirst:
        m_chooser.chooseFirst();
        break;
    case QuizKeyAction::ChooseLast:
        m_chooser.chooseLast();
        break;
    case QuizKeyAction::Drop:
        drop();
        return true;
    case QuizKeyAction::PutBack:
        putBack();
        return true;
    default:
        if (text.size() != 1 || !m_chooser.type(m_quiz.document(), text.at(0)))
            return false;
        break;
    }
    showTarget();
    return true;
}

void KeyboardCarry::enterOn(THoverPanel* tile)
{
    if (m_carried == tile)
        drop();
    else if (singleQuestions())
        m_requests.clickTile(tile);
    else
        pickUp(tile);
}

void KeyboardCarry::press(THoverPanel* tile)
{
    useKeyboard(true);
    // Another tile in hand goes back first, as the pointer would put it back.
    if (m_carried && m_carried != tile)
        putBack();
    tile->setFocus(Qt::OtherFocusReason);
    enterOn(tile);
}

void KeyboardCarry::pointerTakesOver()
{
    if (m_carried)
        putBack();
    useKeyboard(false);
}

void KeyboardCarry::pickUp(THoverPanel* tile)
{
    if (!m_requests.pickUp(tile))
        return;
    m_carried = tile;
    m_chooser.begin(m_quiz.dropCandidates());
    showTarget();
}

void KeyboardCarry::showTarget()
{
    if (!m_carried)
        return;
    const int target = m_chooser.current();
    if (target >= 0) {
        // The tile lies on the target as a pointer would put it there: the middle of its left
        // edge inside the box.
        m_carried->move(carriedTilePlace(m_requests.targetRect(target), m_carried->size(), m_panel.rect()).topLeft());
        m_carried->raise();
    }
    m_carried->setAccessibleDescription(target >= 0
            ? QStringLiteral("Ziel: ") + spokenTargetName(m_quiz.document(), target, m_quiz.spokenNumber(target))
            : QStringLiteral("kein Ziel"));
    m_requests.showChosenTarget(target);
}

bool KeyboardCarry::showTargetAgain()
{
    if (!m_carried)
        return false;
    m_chooser.update(m_quiz.dropCandidates());
    showTarget();
    return true;
}

void KeyboardCarry::drop()
{
    const QPointer<THoverPanel> tile = m_carried;
    const int target = m_chooser.current();
    // As a release then; a refused one leaves the tile in hand.
    if (!tile || target < 0 || m_requests.dropFate() == TileRequests::DropFate::Refused)
        return;
    end();
    m_requests.putDown(tile, target);
}

void KeyboardCarry::putBack()
{
    const QPointer<THoverPanel> tile = m_carried;
    end();
    if (tile)
        m_requests.returnHome(tile);
}

void KeyboardCarry::end()
{
    if (m_carried)
        m_carried->setAccessibleDescription({});
    m_carried = nullptr;
    m_chooser.clear();
}
