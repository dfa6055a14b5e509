#include "quiz/quizsession.h"

#include "common/randomgenerator.h"
#include "document/oledate.h"
#include "document/questiontags.h"
#include "platform/systeminfo.h"
#include "quiz/droptarget.h"
#include "quiz/normalizetext.h"
#include "quiz/quizoptions.h"
#include "quiz/quizscoring.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

const QString lineBreak = QStringLiteral("\r\n");

// A radio group's index as the snapshot takes it: one outside the group is the default.
int choice(int value, int count, int fallback)
{
    return value >= 0 && value < count ? value : fallback;
}

int timeField(const QString& text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    return qMin(digits.toInt(), 59);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QCollator textCollator()
{
    // Texts sort as the user reads them: German rules, without regard to case.
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

} // namespace

QuizSnapshot takeOptions(const QuizOptions& options, DocType kind)
{
    QuizSnapshot snapshot;
    if (kind == DocType::SingleQuestions) {
        const QuestionQuizOptions& o = options.questions;
        snapshot.queryMode = 0;
        snapshot.onCorrect = 0;
        snapshot.onWrong = choice(o.zuordnungFalsch, QuizOptionChoices::zuordnungFalsch, 0);
        snapshot.textOrder = choice(o.zuordnungstexte, QuizOptionChoices::zuordnungstexte, 1);
        snapshot.targetOrder = choice(o.zuordnungsziele, QuizOptionChoices::questionZuordnungsziele, 1);
        snapshot.timeLimitOn = choice(o.zeitlimit, QuizOptionChoices::zeitlimit, 0);
        snapshot.timeLimitSeconds = timeField(o.zLimitMin) * 60 + timeField(o.zLimitSek);
    } else {
        const LabelQuizOptions& o = options.labelling;
        snapshot.queryMode = choice(o.abfrageModus, QuizOptionChoices::abfrageModus, 0);
        snapshot.onCorrect = choice(o.zuordnungRichtig, QuizOptionChoices::zuordnungRichtig, 0);
        snapshot.onWrong = choice(o.zuordnungFalsch, QuizOptionChoices::zuordnungFalsch, 0);
        snapshot.textOrder = choice(o.zuordnungstexte, QuizOptionChoices::zuordnungstexte, 1);
        snapshot.targetOrder = choice(o.zuordnungsziele, QuizOptionChoices::labelZuordnungsziele, 1);
        snapshot.timeLimitOn = choice(o.zeitlimit, QuizOptionChoices::zeitlimit, 0);
        snapshot.timeLimitSeconds = timeField(o.zLimitMin) * 60 + timeField(o.zLimitSek);
    }
    return snapshot;
}

ProtocolContext ProtocolContext::fromSystem()
{
    ProtocolContext context;
    context.computerName = ::computerName();
    context.userName = ::userName();
    return context;
}

QuizSession::QuizSession(TopicDocument& document, const TickSource& tick, std::function<QDateTime()> clock)
    : dateTimeText(oleDateTimeText)
    , m_document(document)
    , m_tick(tick)
    , m_clock(clock ? std::move(clock) : std::function<QDateTime()>([] { return QDateTime::currentDateTime(); }))
{ }

bool QuizSession::isQuizItem(const DocObject& object) const
{
    if (singleQuestions())
        return object.Typ == ObjectKind::Answer;
    return object.Typ == ObjectKind::Label || object.Typ == ObjectKind::ClozeGap;
}

int QuizSession::countEligible(bool onlySelected) const
{
    return int(std::count_if(m_document.objects.cbegin(), m_document.objects.cend(),
        [&](const DocObject& o) { return isQuizItem(o) && (!onlySelected || o.coverState == CoverState::Open); }));
}

int QuizSession::countOpen() const
{
    return int(std::count_if(m_document.objects.cbegin(), m_document.objects.cend(),
        [](const DocObject& o) { return o.coverState == CoverState::Open; }));
}

bool QuizSession::drawsAtRandom() const
{
    return m_document.titel.toLower().contains(QStringLiteral("zufällig"));
}

int QuizSession::randomDrawSize() const
{
    // The number of question pages can exceed the quiz items (a labelling topic that still
    // carries a page count, a page without answer): the draw is bounded by what there is to
    // draw, or it would never end.
    return std::min({m_document.AnzFrageNummern, 20, countEligible(false)});
}

int QuizSession::questionsOnOffer() const
{
    return drawsAtRandom() ? randomDrawSize() : countEligible(false);
}

int QuizSession::selectQuestions(int requestedMode)
{
    QList<DocObject>& objects = m_document.objects;
    selectionMode = requestedMode == 1 ? 1 : 0;
    if (selectionMode == 0 && drawsAtRandom())
        selectionMode = 2;

    if (selectionMode == 2) {
        for (DocObject& o : objects)
            o.coverState = CoverState::Uncovered;
        const int k = randomDrawSize();
        const int count = int(objects.size());
        for (int i = 0; i < k; ++i) {
            // The generator has full period, so every index comes up and the loop ends.
            for (;;) {
                DocObject& o = objects[randomInt(count)];
                if (isQuizItem(o) && o.coverState == CoverState::Uncovered) {
                    o.coverState = CoverState::Open;
                    break;
                }
            }
        }
    } else {
        for (DocObject& o : objects) {
            if (!isQuizItem(o))
                continue;
            if (selectionMode == 0)
                o.coverState = CoverState::Open;
            else
                o.coverState = o.failsAsTarget >= 1 || o.failsAsText >= 1 ? CoverState::Open : CoverState::Uncovered;
            o.failsAsTarget = 0;
            o.failsAsText = 0;
        }
    }
    return countEligible(selectionMode != 0);
}

void QuizSession::buildQuestionList()
{
    QList<DocObject>& objects = m_document.objects;
    questionCount = countEligible(selectionMode != 0);
    availableCount = selectionMode == 0 ? questionCount : countEligible(false);

    questionList.clear();
    for (int i = 0; i < objects.size(); ++i) {
        if (isQuizItem(objects.at(i)) && objects.at(i).coverState == CoverState::Open)
            questionList.append({i, i});
    }
    const int n = int(questionList.size());

    m_normalized.clear();
    m_normalized.reserve(objects.size());
    for (const DocObject& o : objects)
        m_normalized.append(normalizeText(o.Cap));

    // The text column is the order of the answer tiles; single questions always list their
    // answers alphabetically and place them at random slots instead.
    if (snapshot.textOrder == 1 && !singleQuestions()) {
        for (int q = 0; q < n; ++q)
            std::swap(questionList[q].textObject, questionList[randomInt(n)].textObject);
    } else {
        const QCollator collator = textCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(n);
        for (const QuestionPair& pair : std::as_const(questionList))
            keys.push_back(collator.sortKey(m_normalized.at(pair.textObject)));
        // A selection sort on purpose: its swaps decide where equal texts end up.
        for (int q = 0; q < n; ++q) {
            int best = q;
            for (int k = q + 1; k < n; ++k) {
                if (keys[k].compare(keys[best]) < 0)
                    best = k;
            }
            std::swap(questionList[q].textObject, questionList[best].textObject);
            std::swap(keys[q], keys[best]);
        }
    }

    // The target column is the numbering and the asking order, independent of the tiles.
    if (snapshot.targetOrder != 0) {
        for (int q = 0; q < n; ++q)
            std::swap(questionList[q].targetObject, questionList[randomInt(n)].targetObject);
    } else {
        // The same order as the learning card's ordered numbering, so a target keeps its number.
        QList<int> targets;
        targets.reserve(n);
        for (const QuestionPair& pair : std::as_const(questionList))
            targets.append(pair.targetObject);
        sortOrdered(targets, m_document);
        for (int q = 0; q < n; ++q)
            questionList[q].targetObject = targets.at(q);
    }

    for (int q = 0; q < n; ++q) {
        DocObject& target = objects[questionList.at(q).targetObject];
        target.coverState = CoverState::Open;
        target.failsAsTarget = 0;
        target.failsAsText = 0;
        target.displayNumber = snapshot.targetOrder == 2 ? 0 : q + 1;
    }

    // Spoken numbers follow the ordered numbering whatever the covers show; a cloze text's gap
    // objects stand in the order of their gaps in the text.
    QList<int> targets;
    targets.reserve(n);
    for (const QuestionPair& pair : std::as_const(questionList))
        targets.append(pair.targetObject);
    if (m_document.DokTyp == DocType::ClozeText)
        std::sort(targets.begin(), targets.end());
    else
        sortOrdered(targets, m_document);
    m_spokenNumbers.clear();
    for (int q = 0; q < n; ++q)
        m_spokenNumbers.insert(targets.at(q), q + 1);
}

void QuizSession::reset(int role, std::optional<double> receivedStartTime)
{
    protocolHeader.clear();
    protocolDetail.clear();
    netRole = QuizNetRole(role);
    correctCount = 0;
    wrongCount = 0;
    successRate = 0;
    overallScore = 0;
    grade = 0;
    endStatus = QuizNotEnded;
    openCount = countOpen();
    startTick = m_tick.now();
    startTime = receivedStartTime ? *receivedStartTime : toOleDate(m_clock());
    endTime = 0;
    elapsedMs = 0;
    remainingSeconds = snapshot.timeLimitSeconds;
    currentIndex = 0;
    questionCounter = 1;
    resultEntered = false;
    hoverTarget = -1;
    m_clockText = clockText(snapshot.timeLimitOn ? snapshot.timeLimitSeconds : 0);
    m_prompt = {};
    m_placed = QList<bool>(m_document.objects.size(), false);
    m_active = true;
    m_awaitingAnswer = false;
    m_ended = false;
}

QuizPrompt QuizSession::beginQuiz()
{
    appendProtocolLine(1, QuizTexts::quizStarted, true);
    if (!questionList.isEmpty() && singleQuestions())
        m_document.currentQuestionNumber = m_document.objects.at(questionList.first().targetObject).FrageNummer;
    if (questionList.isEmpty())
        return m_prompt = {};
    return present();
}

bool QuizSession::start(int requestedMode, int role)
{
    if (selectQuestions(requestedMode) == 0)
        return false;
    buildQuestionList();
    reset(role);
    beginQuiz();
    refreshStatus();
    return true;
}

QuizPrompt QuizSession::present()
{
    QuizPrompt prompt;
    const QList<DocObject>& objects = m_document.objects;
    const QuestionPair pair = questionList.at(currentIndex);
    prompt.listIndex = currentIndex;
    prompt.textObject = pair.textObject;
    prompt.targetObject = pair.targetObject;
    const bool cloze = m_document.DokTyp == DocType::ClozeText;

    if (singleQuestions()) {
        prompt.kind = PromptKind::Question;
        const DocObject& target = objects.at(pair.targetObject);
        prompt.questionNumber = target.FrageNummer;
        prompt.counterText = QString::number(questionCounter) + QStringLiteral(". Frage");
        if (target.failsAsTarget > 0)
            prompt.counterText += QStringLiteral(" (wiederholte Frage)");

        const int n = int(questionList.size());
        QList<bool> shown(n, false);
        QStringList captions;
        for (int p = 0; p < n; ++p) {
            if (questionList.at(p).textObject == pair.targetObject) {
                shown[p] = true;
                prompt.solution = p;
                captions.append(tileCaption(objects.at(pair.targetObject).Cap));
            }
        }
        // Up to four other answers whose captions differ from every one shown.
        for (int extra = 0; extra < 4; ++extra) {
            for (int draw = 0; draw < 100; ++draw) {
                const int r = randomInt(n);
                if (shown.at(r))
                    continue;
                const QString caption = tileCaption(objects.at(questionList.at(r).textObject).Cap);
                const bool known = std::any_of(captions.cbegin(), captions.cend(),
                    [&](const QString& c) { return c.compare(caption, Qt::CaseInsensitive) == 0; });
                if (known)
                    continue;
                shown[r] = true;
                captions.append(caption);
                break;
            }
        }
        QStringList entries;
        for (int p = 0; p < n; ++p) {
            if (!shown.at(p))
                continue;
            prompt.choices.append(p);
            QString entry = quoted(normalizeText(tileCaption(objects.at(questionList.at(p).textObject).Cap)));
            if (p == prompt.solution)
                entry += QStringLiteral(" (Lösung)");
            entries.append(entry);
        }

        for (const DocObject& o : objects) {
            if (o.Typ == ObjectKind::QuestionText && o.FrageNummer == target.FrageNummer) {
                const ImageTagCut cut = cutImageTag(expandQuestionTags(normalizeText(o.Cap)));
                prompt.questionText = cut.text;
                prompt.pictureName = cut.name;
            }
        }
        appendProtocolLine(
            1, QString::number(questionCounter) + QStringLiteral(". Frage") + lineBreak + prompt.questionText, true);
        appendProtocolLine(1, QStringLiteral("Antwortmöglichkeiten: ") + entries.join(QStringLiteral(", ")), false);
    } else if (snapshot.queryMode == 1) {
        prompt.kind = PromptKind::Text;
        const QString text = quoted(normalizeText(tileCaption(objects.at(pair.textObject).Cap)));
        appendProtocolLine(1,
            cloze ? QStringLiteral("Lückentext ") + text + QStringLiteral(" soll der richtigen Lücke zugeordnet werden")
                  : QStringLiteral("Beschriftungstext ") + text
                    + QStringLiteral(" soll der richtigen Position zugeordnet werden"),
            true);
    } else if (snapshot.queryMode == 2) {
        prompt.kind = PromptKind::Position;
        const QString position = quoted(m_normalized.value(pair.targetObject));
        appendProtocolLine(1,
            cloze ? QStringLiteral("Der Lücke ") + position
                    + QStringLiteral(" soll der richtige Lückentext zugeordnet werden")
                  : QStringLiteral("Der Position ") + position
                    + QStringLiteral(" soll der richtige Beschriftungstext zugeordnet werden"),
            true);
    } else {
        // Free assignment asks nothing in particular: every tile is there from the start.
        m_prompt = {};
        m_awaitingAnswer = true;
        return m_prompt;
    }
    m_prompt = prompt;
    m_awaitingAnswer = true;
    return m_prompt;
}

bool QuizSession::textAskable(int listIndex) const
{
    const int text = questionList.at(listIndex).textObject;
    if (m_placed.value(text))
        return false;
    // Two labels may share a text, and either tile may go to either position; a text is asked
    // as long as some open target still takes it, whichever of the pair was placed first.
    const QString& wanted = m_normalized.at(text);
    return std::any_of(questionList.cbegin(), questionList.cend(), [&](const QuestionPair& pair) {
        return m_document.objects.at(pair.targetObject).coverState == CoverState::Open
            && m_normalized.at(pair.targetObject) == wanted;
    });
}

void QuizSession::grabTile()
{
    if (singleQuestions() && isRunning() && currentIndex >= 0 && currentIndex < questionList.size())
        hoverTarget = questionList.at(currentIndex).targetObject;
}

// One position at a time: only the asked target takes a tile; otherwise -1 (any target).
int QuizSession::askedTargetOnly() const
{
    if (!singleQuestions() && snapshot.queryMode == 2 && currentIndex >= 0 && currentIndex < questionList.size())
        return questionList.at(currentIndex).targetObject;
    return -1;
}

int QuizSession::dragOver(const QRectF& cardRect)
{
    hoverTarget = findDropTarget(m_document, cardRect, askedTargetOnly());
    return hoverTarget;
}

QList<int> QuizSession::dropCandidates() const
{
    if (!isRunning())
        return {};
    return dropTargetCandidates(m_document, askedTargetOnly());
}

int QuizSession::chooseTarget(int object)
{
    hoverTarget = object >= 0 && dropCandidates().contains(object) ? object : -1;
    return hoverTarget;
}

// Whether the tile of textObject may answer target now: a release can arrive late (during the
// feedback of the previous answer, after the end, or from a tile that no longer takes part).
bool QuizSession::accepts(int textObject, int target) const
{
    const QList<DocObject>& objects = m_document.objects;
    if (!isRunning() || !m_awaitingAnswer || m_normalized.size() != objects.size())
        return false;
    if (target < 0 || target >= objects.size() || textObject < 0 || textObject >= objects.size())
        return false;
    if (objects.at(target).coverState != CoverState::Open || m_placed.value(textObject))
        return false;
    if (singleQuestions()) {
        return m_prompt.kind == PromptKind::Question && target == m_prompt.targetObject
            && std::any_of(m_prompt.choices.cbegin(), m_prompt.choices.cend(),
                [&](int p) { return questionList.at(p).textObject == textObject; });
    }
    if (snapshot.queryMode == 1 && textObject != m_prompt.textObject)
        return false;
    if (snapshot.queryMode == 2 && target != m_prompt.targetObject)
        return false;
    return std::any_of(questionList.cbegin(), questionList.cend(),
        [&](const QuestionPair& pair) { return pair.textObject == textObject; });
}

QString QuizSession::judgementLine(bool right, const QString& text, const QString& target) const
{
    const QString t = quoted(text);
    const QString p = quoted(target);
    const QString verdict = right ? QStringLiteral("RICHTIG - ") : QStringLiteral("FALSCH - ");
    if (singleQuestions())
        return verdict + QStringLiteral("Gewählte Antwort: ") + t;
    const bool cloze = m_document.DokTyp == DocType::ClozeText;
    const QString textWord = cloze ? QStringLiteral("Lückentext") : QStringLiteral("Beschriftungstext");
    if (snapshot.queryMode == 2) {
        // The position was asked, so the line names it first.
        const QString position = (cloze ? QStringLiteral("Der Lücke ") : QStringLiteral("Der Position von ")) + p;
        const QString what = right ? QStringLiteral(" wird der richtige ") + textWord
                                   : QStringLiteral(" wird der ") + textWord + QLatin1Char(' ') + t;
        return verdict + position + what + QStringLiteral(" zugeordnet");
    }
    const QString placed = verdict + textWord + QLatin1Char(' ') + t;
    if (!right)
        return placed + (cloze ? QStringLiteral(" wird der Lücke von ") : QStringLiteral(" wird der Position von ")) + p
            + QStringLiteral(" zugeordnet");
    if (snapshot.queryMode == 1)
        return placed + QStringLiteral(" wird richtig zugeordnet");
    return placed
        + (cloze ? QStringLiteral(" wird der richtigen Lücke zugeordnet")
                 : QStringLiteral(" wird der richtigen Position zugeordnet"));
}

JudgeResult QuizSession::judgeAnswer(int textObject)
{
    JudgeResult result;
    const int g = hoverTarget;
    const int s = textObject;
    if (!accepts(s, g))
        return result;

    QList<DocObject>& objects = m_document.objects;
    const bool single = singleQuestions();
    result.judged = true;
    result.target = g;
    result.text = s;
    result.right = m_normalized.at(g) == m_normalized.at(s);
    appendProtocolLine(1, judgementLine(result.right, m_normalized.at(s), m_normalized.at(g)), true);

    DocObject& target = objects[g];
    if (result.right) {
        target.coverState = snapshot.onCorrect == 1 && !single ? CoverState::Solved : CoverState::Uncovered;
        if (single) {
            result.tile = TileFate::AllHidden;
        } else {
            result.tile = TileFate::Destroyed;
            result.redrawTarget = true;
            m_placed[s] = true;
        }
        ++correctCount;
    } else {
        if (single) {
            result.tile = TileFate::AllHidden;
            result.blinkSolution = true;
            if (snapshot.onWrong == 1)
                target.coverState = CoverState::Closed;
        } else {
            result.tile = snapshot.queryMode == 1 ? TileFate::Hidden : TileFate::GlidesBack;
            if (snapshot.onWrong == 1) {
                target.coverState = CoverState::Crossed;
                result.redrawTarget = true;
            }
            ++objects[s].failsAsText;
        }
        ++target.failsAsTarget;
        ++wrongCount;
    }

    openCount = countOpen();
    refreshStatus();
    hoverTarget = -1;
    result.quizOver = openCount == 0;
    const bool oneAtATime = single || snapshot.queryMode == 1 || snapshot.queryMode == 2;
    result.askNext = !result.quizOver && oneAtATime;
    if (oneAtATime)
        m_awaitingAnswer = false;
    return result;
}

QuizPrompt QuizSession::nextQuestion()
{
    const bool single = singleQuestions();
    if (!isRunning() || openCount == 0 || questionList.isEmpty() || (!single && snapshot.queryMode == 0))
        return {};
    const int n = int(questionList.size());
    bool found = false;
    // At most one round: the question just answered comes back last when it is the only one open.
    for (int step = 0; step < n && !found; ++step) {
        currentIndex = (currentIndex + 1) % n;
        if (!single && snapshot.queryMode == 1)
            found = textAskable(currentIndex);
        else
            found = m_document.objects.at(questionList.at(currentIndex).targetObject).coverState == CoverState::Open;
    }
    if (!found)
        return m_prompt = {};
    ++questionCounter;
    if (single)
        m_document.currentQuestionNumber
            = m_document.objects.at(questionList.at(currentIndex).targetObject).FrageNummer;
    return present();
}

bool QuizSession::updateClock()
{
    elapsedMs = clockMs();
    QString text;
    if (snapshot.timeLimitOn) {
        remainingSeconds = int(std::max(0.0, std::trunc(snapshot.timeLimitSeconds - elapsedMs / 1000.0)));
        text = clockText(remainingSeconds);
    } else {
        text = clockText(elapsedMs / 1000);
    }
    if (text == m_clockText)
        return false;
    m_clockText = text;
    return true;
}

QuizRates QuizSession::currentRates() const
{
    const int answered = correctCount + wrongCount;
    const int total = answered + openCount;
    return {answered > 0 ? double(correctCount) / answered : 0.0, total > 0 ? double(correctCount) / total : 0.0};
}

void QuizSession::refreshStatus()
{
    const QuizRates rates = currentRates();
    successRate = rates.successRate;
    overallScore = rates.overallScore;
    updateClock();
}

bool QuizSession::timeLimitReached() const
{
    return isRunning() && snapshot.timeLimitOn && remainingSeconds < 1;
}

int QuizSession::clockMs() const
{
    // The unsigned tick difference is right across the wrap at 2^32; a quiz of more than 24 days
    // stops counting rather than going negative.
    const quint32 since = ticksSince(startTick, m_tick.now());
    return since > quint32(INT_MAX) ? INT_MAX : int(since);
}

bool QuizSession::withinTimeLimit(int ms) const
{
    // updateClock's rule: the limit is reached once fewer than one whole second remain.
    return !snapshot.timeLimitOn || std::trunc(snapshot.timeLimitSeconds - ms / 1000.0) >= 1;
}

void QuizSession::expireTimeLimit()
{
    if (!isRunning())
        return;
    endStatus = QuizTimeLimitReached;
    m_awaitingAnswer = false;
    appendProtocolLine(1, QuizTexts::timeUp, true);
}

TickResult QuizSession::timerTick()
{
    TickResult result;
    if (!isRunning())
        return result;
    result.clockChanged = updateClock();
    if (timeLimitReached()) {
        expireTimeLimit();
        result.timeUp = true;
    }
    return result;
}

QuizStatusTexts QuizSession::statusTexts() const
{
    QuizStatusTexts texts;
    texts.statusWord = endStatus == QuizNotEnded ? QStringLiteral("warte auf Antwort") : QStringLiteral("Quiz beendet");
    texts.totalText = QStringLiteral("von  ") + QString::number(questionCount);
    const QString name = netRole == OwnQuiz ? participantName
        : netRole == NetworkParticipant     ? receivedName
                                            : QString();
    texts.nameText = name.trimmed().isEmpty() ? QStringLiteral("-") : name;
    texts.rightText = QString::number(correctCount);
    texts.wrongText = QString::number(wrongCount);
    texts.rateText = percentText(successRate);
    texts.scoreText = percentText(overallScore);
    texts.openText = QString::number(openCount);
    texts.timeModeText
        = snapshot.timeLimitOn ? QStringLiteral("Verbleibende Zeit:") : QStringLiteral("Benötigte Zeit:");
    texts.clockText = m_clockText;
    return texts;
}

QString QuizSession::rightAnswersText() const
{
    return QString::number(correctCount) + QStringLiteral("  von  ") + QString::number(questionCount);
}

QString QuizSession::endTimeCaption() const
{
    return snapshot.timeLimitOn ? QStringLiteral("Verbliebene Zeit:") : QStringLiteral("Benötigte Zeit:");
}

void QuizSession::endQuiz(const ProtocolContext& context)
{
    if (m_ended || !m_active)
        return;
    m_ended = true;
    m_awaitingAnswer = false;
    if (endStatus == QuizNotEnded)
        endStatus = QuizFinished;
    // The end time follows the clock as last read, not the wall clock, so that it agrees with
    // the time shown.
    endTime = startTime + (elapsedMs / 1000) / 86400.0;
    refreshStatus();
    grade = gradeOf(overallScore);
    buildProtocolHeader(context);
}

bool QuizSession::leaveQuiz()
{
    const bool abortedParticipation = m_active && netRole == NetworkParticipant && endStatus == QuizNotEnded;
    if (abortedParticipation)
        endStatus = QuizAborted;
    netRole = OwnQuiz;
    for (DocObject& o : m_document.objects) {
        if (o.coverState != CoverState::Covered && o.coverState != CoverState::Uncovered)
            o.coverState = CoverState::Uncovered;
    }
    hoverTarget = -1;
    m_active = false;
    m_awaitingAnswer = false;
    m_prompt = {};
    return abortedParticipation;
}

QString QuizSession::timeStamp() const
{
    return clockText(ticksSince(startTick, m_tick.now()) / 1000) + QStringLiteral(" - ");
}

void QuizSession::appendProtocolLine(int target, const QString& text, bool withTime)
{
    if (withTime)
        protocolDetail += timeStamp();
    QString& buffer = target == 0 ? protocolHeader : protocolDetail;
    buffer += text + lineBreak;
}

void QuizSession::buildProtocolHeader(const ProtocolContext& context)
{
    const auto line = [this](const QString& text) { appendProtocolLine(0, text, false); };
    const auto row = [&line](const QString& label, const QString& value) { line(label + QLatin1Char('\t') + value); };
    const bool single = singleQuestions();

    line(QStringLiteral("<tit>Quiz-Protokoll"));
    row(QStringLiteral("Uhrzeit Beginn:"), dateTimeText(startTime));
    row(QStringLiteral("Uhrzeit Ende:  "), dateTimeText(endTime));
    QString name = netRole == NetworkInitiator ? QStringLiteral("(Initiator der Netzwerk-Übung)")
        : netRole == NetworkParticipant        ? receivedName
                                               : participantName;
    if (name.isEmpty())
        name = QStringLiteral("(nicht angegeben)");
    row(QStringLiteral("Teilnehmername:"), name);
    row(QStringLiteral("Rechnername:"), context.computerName.left(256));
    row(QStringLiteral("Rechnerbenutzer:"), context.userName.left(256));
    if (netRole == NetworkInitiator) {
        row(QStringLiteral("Kommunikationsordner:"), context.communicationFolder);
        row(QStringLiteral("Kommunikationskanal:"), context.channelName);
    }

    line({});
    line(QStringLiteral("<tit>Übungseinstellungen"));
    row(QStringLiteral("Titel:"), m_document.titel);
    QString scope;
    if (questionCount == availableCount) {
        scope = QString::number(questionCount) + QStringLiteral(" Fragen (komplettes Quiz)");
    } else {
        scope = QString::number(questionCount) + QStringLiteral(" von ") + QString::number(availableCount)
            + QStringLiteral(" Fragen");
        if (selectionMode != 2)
            scope += QStringLiteral(" (Teilwiederholung)");
    }
    row(QStringLiteral("Quiz-Umfang:"), scope);

    const QString timeLimit = snapshot.timeLimitOn ? QStringLiteral("ja, ") + durationText(snapshot.timeLimitSeconds)
                                                   : QStringLiteral("nein");
    const auto pick = [](int index, std::initializer_list<const char*> texts) {
        const int i = index >= 0 && index < int(texts.size()) ? index : 0;
        return QString::fromUtf8(*(texts.begin() + i));
    };
    if (single) {
        row(QStringLiteral("Abfragemodus:"),
            pick(snapshot.onWrong,
                {"solange wiederholen, bis jede Frage richtig beantwortet wurde", "jede Frage nur einmal stellen"}));
        row(QStringLiteral("Zeitlimit:"), timeLimit);
        row(QStringLiteral("Antwortmöglichkeiten:"),
            pick(snapshot.textOrder, {"alphabetisch geordnet", "zufällig gemischt"}));
        row(QStringLiteral("Reihenfolge der Fragen:"), pick(snapshot.targetOrder, {"geordnet", "zufällig gemischt"}));
    } else {
        row(QStringLiteral("Abfragemodus:"),
            pick(snapshot.queryMode,
                {"freie Zuordnung in beliebiger Reihenfolge", "Einzelabfrage Texte", "Einzelabfrage Positionen"}));
        row(QStringLiteral("Zeitlimit:"), timeLimit);
        row(QStringLiteral("Verhalten bei richtiger Zuordnung:"),
            pick(snapshot.onCorrect, {"Beschriftung einblenden", "grünes Häkchen setzen"}));
        row(QStringLiteral("Verhalten bei Fehlversuch:"),
            pick(snapshot.onWrong,
                {"beliebig viele Zuordnungsversuche erlaubt",
                    "rotes Kreuz setzen, keine erneute Zuordnung an dieser Position"}));
        row(QStringLiteral("Zuordnungstexte:"),
            pick(snapshot.textOrder, {"alphabetisch geordnet", "zufällig gemischt"}));
        row(QStringLiteral("Zuordnungsziele (Positionen):"),
            pick(snapshot.targetOrder, {"geordnet nummeriert", "zufällig gemischt nummeriert", "Fragezeichen"}));
    }

    line({});
    line(QStringLiteral("<tit>Statistik-Zusammenfassung"));
    row(QStringLiteral("Richtig zugeordnet:"), rightAnswersText());
    row(QStringLiteral("Fehlversuche:"), QString::number(wrongCount));
    row(QStringLiteral("Erfolgsquote:"), percentText(successRate));
    row(QStringLiteral("Offene Fragen:"), QString::number(openCount));
    row(endTimeCaption(), m_clockText);
    row(QStringLiteral("Gesamtleistung:"), percentText(overallScore));
    row(QStringLiteral("Bewertung:"), ratingText(grade));
    row(QStringLiteral("Schulnote:"), QString::number(grade));

    line({});
    line(QStringLiteral("<tit>Detaillierter Ablauf"));
}
