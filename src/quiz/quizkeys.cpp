#include "quiz/quizkeys.h"

QuizKeyDecision decideQuizKey(
    const QuizKey& key, const QuizKeyRelease& lastRelease, bool carrying, bool singleQuestions)
{
    using Action = QuizKeyAction;
    if (key.modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const int k = key.key;
    // A held key repeats: a pick-up must not turn into a drop, nor one answer into two (a digit
    // held through a feedback would answer the next question). Qt marks a repeat only when its
    // release and press arrive together; otherwise the pair shows as the key let go and pressed
    // again at the very same moment of the display server's clock, which no hand does.
    const bool answerKey
        = k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Space || (k >= Qt::Key_1 && k <= Qt::Key_5);
    const bool repeat
        = key.autoRepeat || (key.timestamp != 0 && k == lastRelease.key && key.timestamp == lastRelease.time);
    if (repeat && answerKey)
        return {Action::Swallow};
    if (carrying) {
        switch (k) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            return {Action::ChoosePrevious};
        case Qt::Key_Right:
        case Qt::Key_Down:
            return {Action::ChooseNext};
        case Qt::Key_Home:
            return {Action::ChooseFirst};
        case Qt::Key_End:
            return {Action::ChooseLast};
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            return {Action::Drop};
        case Qt::Key_Escape:
            return {Action::PutBack};
        default:
            return {Action::ChooseByText};
        }
    }
    switch (k) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        return {Action::FocusPrevious};
    case Qt::Key_Right:
    case Qt::Key_Down:
        return {Action::FocusNext};
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        return {Action::Enter};
    default:
        break;
    }
    if (singleQuestions && k >= Qt::Key_1 && k <= Qt::Key_5)
        return {Action::AnswerSlot, k - Qt::Key_1};
    return {};
}
