#include "quiz/ui/quizpanel.h"

#include "cardview/cardtext.h"
#include "cardview/cardview.h"
#include "common/randomgenerator.h"
#include "common/rounding.h"
#include "common/sound.h"
#include "quiz/normalizetext.h"
#include "quiz/quizkeys.h"
#include "quiz/spokentext.h"
#include "quiz/tilelayout.h"
#include "quiz/ui/quizaccessible.h"
#include "quiz/ui/quizstatuspanel.h"
#include "ui/cursors.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/hoverpanel.h"
#include "widgets/markerframe.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <array>
#include <cmath>
#include <memory>

namespace {

const QColor tileColour(255, 243, 144);
const QColor tileFontColour(33, 33, 31);
const QColor rightColour(90, 255, 72);
const QColor wrongColour(255, 80, 70);

// The feedback's pauses, in milliseconds.
constexpr int rightPause = 300;
constexpr int singleRightPause = 700;
constexpr int blinkPhase = 150;
constexpr int hidePause = 100;
constexpr int singleWrongPause = 800;
// A glide moves one step per millisecond; the screen shows a frame of it this often.
constexpr int glideFrame = 10;

// Answer tiles, and the single questions' grid of them.
const QSize tileSize(150, 46);
const QSize smallestTileSize(60, 24);
constexpr int gridGap = 20;
constexpr int minGridGap = 4;

// The quiz layout rounds halves to the even neighbour (roundHalfToEven): the counter's place,
// the link zone and the glide's steps were measured so. It was std::nearbyint, which follows
// the floating-point unit's rounding mode; the helper does not.

} // namespace

QuizPanel::QuizPanel(QuizSession& quiz, CardView& card, QuizStatusPanel& status, QWidget* parent)
    : QWidget(parent)
    , m_quiz(quiz)
    , m_card(card)
    , m_status(status)
{
    setObjectName(QStringLiteral("UebungPan"));
    installQuizAccessibility();

    m_frageZaehlerPan = new QLabel(this);
    m_frageZaehlerPan->setObjectName(QStringLiteral("UebFrageZaehlerPan"));
    QFont counterFont(QStringLiteral("Arial"));
    counterFont.setPixelSize(15);
    counterFont.setBold(true);
    m_frageZaehlerPan->setFont(counterFont);
    // A white panel, so that the counter reads on any picture.
    setPanelColour(m_frageZaehlerPan, Qt::white);
    setFontColour(m_frageZaehlerPan, tileFontColour);
    m_frageZaehlerPan->setContentsMargins(4, 0, 4, 0);
    m_frageZaehlerPan->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_frageZaehlerPan->resize(420, 22);
    m_frageZaehlerPan->hide();

    m_imgKlickZone = new QWidget(this);
    m_imgKlickZone->setObjectName(QStringLiteral("UebImgKlickZone"));
    m_imgKlickZone->setCursor(Qt::PointingHandCursor);
    m_imgKlickZone->installEventFilter(this);
    m_imgKlickZone->setAccessibleName(QStringLiteral("Link zur Website"));

    m_moveAnker = new MarkerFrame(this);
    m_moveAnker->setObjectName(QStringLiteral("UebMoveAnker"));
    m_moveAnker->setCursor(cursorSet().cursor(4));
    m_moveAnker->setAccessibleName(QStringLiteral("Zielrahmen"));

    m_zeitTimer = new QTimer(this);
    m_zeitTimer->setObjectName(QStringLiteral("ZeitTimer"));
    m_zeitTimer->setInterval(100);
    connect(m_zeitTimer, &QTimer::timeout, this, &QuizPanel::timerTick);

    m_stepTimer.timer = new QTimer(this);
    m_stepTimer.timer->setSingleShot(true);
    // The glide's frames and the blinking are short: a coarse timer would stretch them.
    m_stepTimer.timer->setTimerType(Qt::PreciseTimer);
    connect(m_stepTimer.timer, &QTimer::timeout, this, &QuizPanel::runSteps);
}

QuizPanel::~QuizPanel() = default;

void QuizPanel::StepQTimer::start(int ms)
{
    timer->start(ms);
}

void QuizPanel::StepQTimer::stop()
{
    timer->stop();
}

bool QuizPanel::singleQuestions() const
{
    return m_quiz.document().DokTyp == DocType::SingleQuestions;
}

bool QuizPanel::acceptsPress(const THoverPanel* tile) const
{
    // During an answer's feedback only free assignment takes a new tile (its release waits for
    // the feedback); the tile in feedback itself stays put.
    return m_state == State::Waiting || (m_state == State::Feedback && freeAssignment() && tile != m_judgedTile);
}

bool QuizPanel::freeAssignment() const
{
    return !singleQuestions() && m_quiz.snapshot.queryMode == 0;
}

void QuizPanel::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    // Drawn whole, one device pixel to each of the strip's, and clipped to what needs painting.
    if (!m_strip.image().isNull()) {
        painter.setClipRect(event->rect());
        painter.drawImage(QPoint(0, 0), m_strip.image());
        // Reported after this paint: the answer draws the card again.
        if (m_ratioWatch.changed(m_strip.image().devicePixelRatio(), devicePixelRatioF()))
            QMetaObject::invokeMethod(this, &QuizPanel::devicePixelRatioChanged, Qt::QueuedConnection);
    }
}

bool QuizPanel::event(QEvent* event)
{
    // A modal window opened during a drag (a question, a message, a list): the pointer's release
    // goes to it, so the drag ends here.
    if (event->type() == QEvent::WindowBlocked)
        abandonDrag();
    return QWidget::event(event);
}

bool QuizPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_imgKlickZone && event->type() == QEvent::MouseButtonPress) {
        emit linkZoneClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void QuizPanel::createTiles()
{
    stop();
    destroyTiles();
    const QList<QuestionPair>& list = m_quiz.questionList;
    const TopicDocument& document = m_quiz.document();
    const bool single = singleQuestions();
    m_tiles.resize(list.size());
    for (qsizetype i = list.size() - 1; i >= 0; --i) {
        auto* tile = new THoverPanel(this);
        tile->setObjectName(QStringLiteral("UebElemPan") + QString::number(i));
        tile->setProperty("tag", list.at(i).textObject);
        tile->resize(tileSize);
        tile->setBevelOuter(THoverPanel::Bevel::Raised);
        tile->setBevelWidth(1);
        tile->setBorderWidth(1);
        tile->setBorderColor(Qt::black);
        tile->setHoverActive(false);
        tile->setNormColor(tileColour);
        QFont tileFont(QStringLiteral("Arial"));
        tileFont.setPixelSize(pointsToPixels(11));
        tileFont.setBold(true);
        tile->setFont(tileFont);
        tile->setNormFontColor(tileFontColour);
        tile->setFontAutoSize(true);
        tile->setMinFontSize(8);
        tile->setWordWrap(true);
        tile->setAlignment(Qt::AlignCenter);
        tile->setPadding(TPadding(2, 0, 2, 0));
        QString caption = normalizeText(document.objects.at(list.at(i).textObject).Cap);
        caption.replace(QStringLiteral(" | "), QStringLiteral("\r\n"));
        tile->setCaption(caption);
        tile->setAccessibleName(spokenTileText(document.objects.at(list.at(i).textObject).Cap));
        tile->setCursor(single ? QCursor(Qt::PointingHandCursor) : cursorSet().cursor(4));
        // Tab reaches the tiles, a click does not take the focus.
        tile->setFocusPolicy(Qt::TabFocus);
        connect(tile, &THoverPanel::mouseDown, this, [this, tile](Qt::MouseButton button, QPoint pos) {
            m_keys.pointerTakesOver();
            grabTile(tile, button, pos);
        });
        connect(tile, &THoverPanel::mouseMove, this, [this, tile](Qt::MouseButtons buttons, QPoint pos) {
            if (buttons & Qt::LeftButton)
                dragTile(tile, pos);
        });
        connect(tile, &THoverPanel::mouseUp, this, [this, tile](Qt::MouseButton, QPoint) { releaseTile(tile); });
        tile->setPressAction([this, tile] { pressTile(tile); });
        m_tiles[i] = tile;
        if (single)
            tile->move(width() - tileSize.width(), height() - tileSize.height());
        tile->show();
    }
    if (!single)
        layoutTiles();
    else
        m_quizPictureWidth = width() - 155;
}

void QuizPanel::destroyTiles()
{
    for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
        if (tile) {
            tile->hide();
            // A tile may be in the middle of its own mouse handler.
            tile->deleteLater();
        }
    }
    m_tiles.clear();
    m_keys.end();
    m_heldDrops.clear();
    m_solutionTile = nullptr;
    m_dragTile = nullptr;
    m_dragOrigins.clear();
}

void QuizPanel::begin(const QuizPrompt& prompt)
{
    m_state = State::Waiting;
    present(prompt);
    m_keys.focusFirstTile();
}

void QuizPanel::startClock()
{
    refreshStatus();
    m_zeitTimer->start();
}

void QuizPanel::stop()
{
    cancelFeedback();
    m_zeitTimer->stop();
    m_dragTile = nullptr;
    m_keys.end();
    if (m_state != State::Idle)
        m_state = State::Ended;
}

void QuizPanel::leave()
{
    stop();
    destroyTiles();
    m_state = State::Idle;
    m_frageZaehlerPan->hide();
    m_moveAnker->hide();
}

void QuizPanel::cancelFeedback()
{
    m_feedback.cancel();
    m_heldDrops.clear();
    if (m_judgedTile && m_state == State::Feedback)
        m_judgedTile->setNormColor(tileColour);
    m_judgedTile = nullptr;
    m_judged = {};
}

void QuizPanel::layoutTiles()
{
    m_quizPictureWidth = width() - 155;
    if (singleQuestions()) {
        layoutAnswerGrid();
        return;
    }
    // The pile from the last tile to the first. Tiles count as shown before their panel is:
    // what matters is whether they were hidden.
    QList<THoverPanel*> shown;
    QList<QSize> sizes;
    for (qsizetype i = m_tiles.size() - 1; i >= 0; --i) {
        THoverPanel* tile = m_tiles.at(i);
        if (!tile || tile->isHidden())
            continue;
        shown.append(tile);
        sizes.append(tile->size());
    }
    const TilePile pile = layoutTilePile(size(), sizes, m_quiz.snapshot.queryMode == 1);
    for (qsizetype i = 0; i < shown.size(); ++i)
        shown.at(i)->move(pile.positions.at(i));
    m_quizPictureWidth = pile.pictureWidth;
}

void QuizPanel::layoutAnswerGrid()
{
    const QPoint anchor = m_card.cardToView(0.1, 0.58) + m_cardOffset;
    const int x0 = anchor.x() + 4;
    const int y0 = anchor.y() + 45;
    QList<THoverPanel*> visible;
    for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
        if (tile && !tile->isHidden())
            visible.append(tile);
    }
    const int k = int(qMin<qsizetype>(visible.size(), 6));

    // Cells of a tile and 20 pixels, three to a row, as long as they fit on the card; on a
    // smaller card the gaps shrink first, then the tiles, whose captions then shrink down to
    // their smallest font.
    const QRect card(m_cardOffset + m_card.bitmapOrigin(), CardView::logicalSize(m_card.viewBitmap));
    const QList<QRect> cells
        = ::layoutAnswerGrid(k, QPoint(x0, y0), card, tileSize, smallestTileSize, gridGap, minGridGap);

    std::array<bool, 7> used {};
    int next = 1;
    for (int i = 0; i < k; ++i) {
        int slot;
        if (m_quiz.snapshot.textOrder == 1) {
            do
                slot = randomInt(k) + 1;
            while (used[size_t(slot)]);
        } else {
            slot = next++;
        }
        used[size_t(slot)] = true;
        THoverPanel* tile = visible.at(i);
        tile->setGeometry(cells.at(slot - 1));
        tile->raise();
    }
    m_frageZaehlerPan->move(x0, roundHalfToEven(y0 * 0.3) - 20);
    m_frageZaehlerPan->show();
    m_frageZaehlerPan->raise();
    // The keys 1 to 5 follow the places just given.
    m_keys.updateCues();
}

void QuizPanel::drawInstructionStrip(bool repaint)
{
    // White, as the card's image control is where the view does not cover it.
    m_strip.draw(size(), m_quizPictureWidth, Qt::white, m_card.viewBitmap, m_cardOffset + m_card.bitmapOrigin(),
        instructionText(m_quiz.document().DokTyp, m_quiz.snapshot.queryMode));
    if (repaint)
        this->repaint();
}

void QuizPanel::redrawStripObject(int index)
{
    const QRect changed = m_strip.takeOver(m_card.viewBitmap, m_card.viewBoxOf(index));
    if (!changed.isEmpty())
        update(changed);
}

void QuizPanel::placeLinkZone(QSize cardSize)
{
    const QPoint at
        = m_cardOffset + QPoint(roundHalfToEven(0.62 * cardSize.width()), roundHalfToEven(0.105 * cardSize.height()));
    m_imgKlickZone->setGeometry(
        QRect(at, QSize(roundHalfToEven(0.32 * cardSize.width()), roundHalfToEven(0.105 * cardSize.height()))));
    m_imgKlickZone->raise();
}

void QuizPanel::showMarker(const QRect& bounds)
{
    if (bounds.isNull()) {
        m_moveAnker->hide();
        return;
    }
    m_moveAnker->setGeometry(bounds.translated(m_cardOffset));
    m_moveAnker->show();
    m_moveAnker->raise();
}

void QuizPanel::present(const QuizPrompt& prompt)
{
    // A tile carried into the next question goes back: it was picked up for another one.
    if (prompt.kind != PromptKind::None)
        m_keys.putBack();
    m_card.askedObject = -1;
    switch (prompt.kind) {
    case PromptKind::Text:
        for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
            if (tile)
                tile->setVisible(tile->property("tag").toInt() == prompt.textObject);
        }
        layoutTiles();
        break;
    case PromptKind::Position:
        m_card.askedObject = prompt.targetObject;
        // The pile closes the gaps of the tiles placed so far.
        layoutTiles();
        break;
    case PromptKind::Question: {
        m_solutionTile = nullptr;
        for (qsizetype i = 0; i < m_tiles.size(); ++i) {
            THoverPanel* tile = m_tiles.at(i);
            if (!tile)
                continue;
            tile->setVisible(prompt.choices.contains(int(i)));
            if (i == prompt.solution)
                m_solutionTile = tile;
        }
        m_frageZaehlerPan->setText(prompt.counterText);
        m_frageZaehlerPan->adjustSize();
        m_frageZaehlerPan->setAccessibleName(
            spokenQuestion(prompt.counterText, prompt.questionText, prompt.pictureName));
        setAccessibleDescription(m_frageZaehlerPan->accessibleName());
        m_quiz.document().currentQuestionNumber = prompt.questionNumber;
        layoutTiles();
        break;
    }
    case PromptKind::None:
        break;
    }
    m_keys.keepFocusOnTiles();
    m_keys.updateCues();
    if (prompt.kind != PromptKind::Question)
        setAccessibleDescription(instructionText(m_quiz.document().DokTyp, m_quiz.snapshot.queryMode));
    announceQuizItemsChanged(this);
}

void QuizPanel::hideAllTiles()
{
    for (const QPointer<THoverPanel>& tile : std::as_const(m_tiles)) {
        if (tile)
            tile->hide();
    }
}

void QuizPanel::refreshStatus()
{
    m_quiz.refreshStatus();
    m_status.showTexts(m_quiz.statusTexts());
}

QRectF QuizPanel::tileCardRect(const THoverPanel* tile) const
{
    // Panel pixels are taken as pixels of the card's image control, which lies at the offset.
    const QRect rect = tile->geometry().translated(-m_cardOffset);
    const QPointF topLeft = m_card.viewToCard(rect.left(), rect.top());
    const QPointF bottomRight = m_card.viewToCard(rect.left() + rect.width(), rect.top() + rect.height());
    return QRectF(topLeft, bottomRight);
}

bool QuizPanel::liftTile(THoverPanel* tile)
{
    if (!acceptsPress(tile))
        return false;
    tile->raise();
    m_dragOrigins.insert(tile, tile->pos());
    // Taken up again before its held release was judged: only its next release counts.
    forgetHeldDrop(tile);
    return true;
}

QuizPanel::DropFate QuizPanel::dropFate() const
{
    if (m_state == State::Waiting)
        return DropFate::Judged;
    // During a feedback only free assignment waits for a tile let go; when one question is asked
    // at a time, it could answer one not yet shown.
    if (m_state == State::Feedback && freeAssignment())
        return DropFate::Held;
    return DropFate::Refused;
}

void QuizPanel::putDown(THoverPanel* tile, int keyTarget)
{
    const QPointer<THoverPanel> guard(tile);
    switch (dropFate()) {
    case DropFate::Refused:
        return;
    case DropFate::Held:
        holdDrop(tile, keyTarget);
        return;
    case DropFate::Judged:
        break;
    }
    markDropTarget(tile, keyTarget);
    judge(tile);
    // A key drop refused by the engine (the target went meanwhile) goes back where it came from.
    if (keyTarget >= 0 && m_state == State::Waiting && guard)
        returnHome(guard);
}

void QuizPanel::markDropTarget(THoverPanel* tile, int keyTarget)
{
    // A tile put down by keys goes to the target chosen then, one let go by the pointer to the
    // target under it (judged where it lies now, whatever the last drag step saw). A single
    // question's target is the question asked.
    if (keyTarget >= 0)
        emit markRequested(m_quiz.chooseTarget(keyTarget), 2);
    else if (!singleQuestions())
        emit markRequested(m_quiz.dragOver(tileCardRect(tile)), 2);
}

void QuizPanel::returnHome(THoverPanel* tile)
{
    sendHome(tile);
    if (m_state == State::Waiting)
        emit markRequested(-1, -1);
}

void QuizPanel::grabTile(THoverPanel* tile, Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || !m_quiz.isRunning())
        return;
    if (!liftTile(tile))
        return;
    m_dragTile = tile;
    m_dragPoint = tile->pos() + pos;
    if (m_state == State::Waiting)
        m_quiz.grabTile();
}

void QuizPanel::dragTile(THoverPanel* tile, QPoint pos)
{
    if (singleQuestions() || tile != m_dragTile || !m_quiz.isRunning())
        return;
    const QPoint point = tile->pos() + pos;
    if (point != m_dragPoint) {
        QRect moved = tile->geometry().translated(point - m_dragPoint);
        const QRect area = rect();
        QPoint shift;
        if (moved.right() > area.right())
            shift.rx() = area.right() - moved.right();
        if (moved.bottom() > area.bottom())
            shift.ry() = area.bottom() - moved.bottom();
        moved.translate(shift);
        QPoint second;
        if (moved.left() < area.left())
            second.rx() = area.left() - moved.left();
        if (moved.top() < area.top())
            second.ry() = area.top() - moved.top();
        moved.translate(second);
        tile->move(moved.topLeft());
        m_dragPoint = point + shift + second;
    }
    // The answer in feedback owns the marker; this tile's target is found once it is done.
    if (m_state == State::Waiting)
        emit markRequested(m_quiz.dragOver(tileCardRect(tile)), 2);
}

void QuizPanel::releaseTile(THoverPanel* tile)
{
    // Only the release of an accepted press counts: a press refused during a feedback, or made
    // before a question changed, answers nothing.
    if (!tile || tile != m_dragTile || tile->isHidden() || !m_quiz.isRunning()) {
        if (tile == m_dragTile)
            m_dragTile = nullptr;
        return;
    }
    m_dragTile = nullptr;
    putDown(tile, -1);
}

void QuizPanel::abandonDrag()
{
    const QPointer<THoverPanel> tile = std::exchange(m_dragTile, nullptr);
    if (tile)
        returnHome(tile);
}

void QuizPanel::sendHome(THoverPanel* tile)
{
    tile->move(m_dragOrigins.value(tile, tile->pos()));
}

void QuizPanel::holdDrop(THoverPanel* tile, int keyTarget)
{
    forgetHeldDrop(tile);
    m_heldDrops.append({tile, m_quiz.clockMs(), keyTarget});
}

void QuizPanel::forgetHeldDrop(const THoverPanel* tile)
{
    m_heldDrops.removeIf([tile](const HeldDrop& drop) { return drop.tile == tile; });
}

void QuizPanel::judge(THoverPanel* tile)
{
    const JudgeResult result = m_quiz.judgeAnswer(tile->property("tag").toInt());
    if (!result.judged)
        return; // away from any target: the tile stays where it was let go
    m_state = State::Feedback;
    m_judged = result;
    m_judgedTile = tile;
    emit answerJudged(result.target);
    announceQuizItemsChanged(this);
    if (result.right)
        queueRightFeedback(tile);
    else
        queueWrongFeedback(tile);
    runSteps();
}

void QuizPanel::queueRightFeedback(THoverPanel* tile)
{
    const QPointer<THoverPanel> guard(tile);
    const bool single = singleQuestions();
    m_feedback.add([this, guard] {
        m_status.showStatusWord(true);
        if (guard) {
            guard->setNormColor(rightColour);
            guard->repaint();
        }
        return FeedbackRunner::next(int(soundPlayer().startRight()));
    });
    m_feedback.add([single] { return FeedbackRunner::next(single ? rightPause + singleRightPause : rightPause); });
    m_feedback.add([this, guard, single] {
        if (single)
            hideAllTiles();
        if (guard)
            guard->setNormColor(tileColour);
        if (m_judged.tile == TileFate::Destroyed && guard) {
            const qsizetype at = m_tiles.indexOf(guard);
            if (at >= 0)
                m_tiles[at] = nullptr;
            m_dragOrigins.remove(guard);
            forgetHeldDrop(guard);
            guard->hide();
            guard->deleteLater();
        }
        if (m_judged.redrawTarget)
            m_card.redrawObject(m_judged.target);
        return FeedbackRunner::next();
    });
}

void QuizPanel::queueWrongFeedback(THoverPanel* tile)
{
    const QPointer<THoverPanel> guard(tile);
    const QPoint origin = m_dragOrigins.value(tile, tile->pos());
    // Single questions show their solution blinking; it is spoken with the verdict. Labelling
    // and cloze texts show none, so none is spoken.
    const QString solutionText
        = m_judged.blinkSolution && m_solutionTile ? m_solutionTile->accessibleName() : QString();
    m_feedback.add([this, guard, solutionText] {
        m_status.showStatusWord(false, solutionText);
        if (guard) {
            guard->setNormColor(wrongColour);
            guard->repaint();
        }
        repaint();
        return FeedbackRunner::next(int(soundPlayer().startWrong()));
    });
    if (m_judged.blinkSolution && m_solutionTile) {
        const QPointer<THoverPanel> solution = m_solutionTile;
        for (int i = 0; i < 3; ++i) {
            for (const QColor& colour : {rightColour, tileColour}) {
                m_feedback.add([solution, colour] {
                    if (solution) {
                        solution->setNormColor(colour);
                        solution->repaint();
                    }
                    return FeedbackRunner::next(blinkPhase);
                });
            }
        }
    }
    if (m_judged.tile == TileFate::GlidesBack) {
        queueGlideBack(tile, origin);
    } else if (m_judged.tile == TileFate::Hidden) {
        m_feedback.add([] { return FeedbackRunner::next(hidePause); });
        m_feedback.add([guard] {
            if (guard)
                guard->hide();
            return FeedbackRunner::next();
        });
    }
    m_feedback.add([this] {
        if (m_judged.redrawTarget)
            m_card.redrawObject(m_judged.target);
        return FeedbackRunner::next(singleQuestions() ? singleWrongPause : 0);
    });
    m_feedback.add([this, guard] {
        if (singleQuestions())
            hideAllTiles();
        if (guard)
            guard->setNormColor(tileColour);
        return FeedbackRunner::next();
    });
}

void QuizPanel::queueGlideBack(THoverPanel* tile, QPoint origin)
{
    const QPointer<THoverPanel> guard(tile);
    m_feedback.add(FeedbackRunner::glide(
        systemTick(), [guard]() { return guard ? std::optional(guard->pos()) : std::nullopt; },
        [guard](QPoint at) {
            if (guard)
                guard->move(at);
        },
        origin, glideFrame));
}

void QuizPanel::runSteps()
{
    if (!m_feedback.run([this] { return m_state == State::Feedback; }))
        return;
    m_judgedTile = nullptr;
    refreshStatus();
    emit markRequested(-1, -1);
    concludeAnswer();
}

void QuizPanel::concludeAnswer()
{
    // Held: runHeld() concludes once the last hold is released.
    if (m_holds > 0)
        return;
    m_state = State::Waiting;
    const JudgeResult result = std::exchange(m_judged, {});
    if (result.quizOver) {
        // The last question is answered: the quiz is finished, whatever time-out came meanwhile.
        finish();
        return;
    }
    // A time-out held during the feedback (the clock went on being updated meanwhile) asks
    // nothing new; the tiles let go before it are still judged, each with its feedback, and the
    // time-out acts once none is left.
    if (result.askNext && !m_quiz.timeLimitReached()) {
        present(m_quiz.nextQuestion());
        m_card.redrawObjects();
        drawInstructionStrip(true);
    }
    judgeNextPending();
    if (m_state == State::Waiting && m_quiz.timeLimitReached())
        timeOut();
}

void QuizPanel::judgeNextPending()
{
    const bool timeUp = m_quiz.timeLimitReached();
    while (m_state == State::Waiting && !m_heldDrops.isEmpty()) {
        const HeldDrop drop = m_heldDrops.takeFirst();
        const QPointer<THoverPanel> tile = drop.tile;
        if (!tile || tile->isHidden())
            continue;
        if (timeUp && !m_quiz.withinTimeLimit(drop.releasedMs)) {
            sendHome(tile);
            continue;
        }
        markDropTarget(tile, drop.keyTarget);
        judge(tile);
        // A key drop whose target was taken meanwhile is refused and goes back, as one put down
        // outside a feedback does.
        if (m_state == State::Waiting && drop.keyTarget >= 0)
            sendHome(tile);
    }
    if (m_state != State::Waiting)
        return;
    // The feedback owned the marker; a carried tile's target may have gone meanwhile.
    if (!m_keys.showTargetAgain())
        emit markRequested(-1, -1);
}

void QuizPanel::timerTick()
{
    if (!m_quiz.isRunning()) {
        m_zeitTimer->stop();
        return;
    }
    if (m_quiz.updateClock())
        m_status.showClock(m_quiz.currentClockText());
    if (!m_quiz.timeLimitReached())
        return;
    // The clock keeps running on screen; the time-out waits for the answer in feedback or the
    // end of a hold, which find the time up on the clock.
    if (m_state == State::Feedback || m_holds > 0)
        return;
    timeOut();
}

void QuizPanel::timeOut()
{
    m_zeitTimer->stop();
    // Tiles let go after the limit are not judged, nor one still in the pupil's hand.
    abandonDrag();
    for (const HeldDrop& drop : std::exchange(m_heldDrops, {})) {
        if (drop.tile)
            sendHome(drop.tile);
    }
    m_state = State::Ended;
    emit markRequested(-1, -1);
    m_quiz.expireTimeLimit();
    const quint64 generation = m_feedback.generation();
    emit timeLimitExpired();
    showInfo(QuizTexts::timeUp);
    if (generation == m_feedback.generation())
        finish();
}

void QuizPanel::finish()
{
    m_zeitTimer->stop();
    m_state = State::Ended;
    m_dragTile = nullptr;
    m_heldDrops.clear();
    emit quizEnded();
}

void QuizPanel::holdProgress()
{
    ++m_holds;
}

void QuizPanel::releaseProgress()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    // Run from the event loop: the window may leave the quiz right after releasing the hold,
    // and what was held must then not run at all.
    const quint64 generation = m_feedback.generation();
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == m_feedback.generation())
            runHeld();
    });
}

bool QuizPanel::conclusionHeld() const
{
    // The feedback's steps are over, but the panel is still in its feedback: the conclusion
    // found the progress held. A feedback still running or waiting for its timer concludes by
    // itself.
    return m_state == State::Feedback && m_feedback.idle();
}

void QuizPanel::runHeld()
{
    if (m_holds > 0)
        return;
    if (conclusionHeld())
        concludeAnswer();
    else if (m_state == State::Waiting && m_quiz.timeLimitReached())
        timeOut();
}

THoverPanel* QuizPanel::carriedTile() const
{
    return m_keys.carried();
}

int QuizPanel::chosenTarget() const
{
    return m_keys.chosenTarget();
}

QList<THoverPanel*> QuizPanel::tilesInOrder() const
{
    return m_keys.tilesInOrder();
}

QList<QWidget*> QuizPanel::accessibleChildOrder() const
{
    const QList<THoverPanel*> order = tilesInOrder();
    QList<QWidget*> others;
    QList<QWidget*> restOfTiles;
    for (QObject* child : children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        auto* tile = qobject_cast<THoverPanel*>(widget);
        if (!tile || !m_tiles.contains(tile))
            others.append(widget);
        else if (!order.contains(tile))
            restOfTiles.append(widget);
    }
    for (THoverPanel* tile : order)
        others.append(tile);
    return others + restOfTiles;
}

bool QuizPanel::answering() const
{
    return (m_state == State::Waiting || m_state == State::Feedback) && m_quiz.isRunning();
}

bool QuizPanel::focusNextPrevChild(bool next)
{
    if (m_state != State::Waiting && m_state != State::Feedback)
        return QWidget::focusNextPrevChild(next);
    // Tab stays among the tiles during a quiz.
    m_keys.tab(next);
    return true;
}

void QuizPanel::keyReleaseEvent(QKeyEvent* event)
{
    m_keys.keyReleased({event->key(), event->timestamp()});
    QWidget::keyReleaseEvent(event);
}

void QuizPanel::keyPressEvent(QKeyEvent* event)
{
    if (answering()
        && m_keys.keyPressed(
            {event->key(), event->modifiers(), event->text(), event->isAutoRepeat(), event->timestamp()})) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void QuizPanel::pressTile(THoverPanel* tile)
{
    if (!tile || tile->isHidden() || !answering())
        return;
    m_keys.press(tile);
}

bool QuizPanel::pickUp(THoverPanel* tile)
{
    // Taken as the pointer would take it now, unless the pointer holds it.
    return m_dragTile != tile && liftTile(tile);
}

void QuizPanel::clickTile(THoverPanel* tile)
{
    // Exactly the pointer's click: refused during a feedback like a press then.
    grabTile(tile, Qt::LeftButton, QPoint(tile->width() / 2, tile->height() / 2));
    if (m_dragTile == tile)
        releaseTile(tile);
}

void QuizPanel::showChosenTarget(int target)
{
    // The answer in feedback owns the marker; this target is shown once it is done.
    if (m_state == State::Waiting)
        emit markRequested(target, target >= 0 ? 2 : -1);
}

QList<QuizPanel::SpokenItem> QuizPanel::spokenItems() const
{
    if (!answering())
        return {};
    // The cloze text lies over the card's picture.
    return ::spokenItems(
        m_quiz, QRect(QPoint(0, 0), QSize(m_quizPictureWidth, height())),
        [this](int target) { return targetRect(target); }, chosenTarget());
}

QRect QuizPanel::targetRect(int index) const
{
    const DocObject& o = m_quiz.document().objects.at(index);
    return QRect(m_card.cardToView(o.boxRect[0], o.boxRect[1]) + m_cardOffset,
        m_card.cardToView(o.boxRect[2], o.boxRect[3]) + m_cardOffset);
}
