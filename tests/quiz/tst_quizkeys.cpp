// What a key does in a running quiz, without a window: moving over the tiles, answering and
// picking up, choosing and putting down a carried tile, and a held key whose repeats answer
// nothing, whether the display server marks them as repeats or not.

#include "quiz/quizkeys.h"

#include <QTest>

Q_DECLARE_METATYPE(QuizKeyAction)

class TestQuizKeys : public QObject
{
    Q_OBJECT

private slots:
    void decisions_data();
    void decisions();
};

void TestQuizKeys::decisions_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("autoRepeat");
    QTest::addColumn<quint64>("timestamp"); // the last release was the same key at 500
    QTest::addColumn<bool>("carrying");
    QTest::addColumn<bool>("single");
    QTest::addColumn<QuizKeyAction>("action");
    QTest::addColumn<int>("slot");

    using A = QuizKeyAction;
    const int none = Qt::NoModifier;
    QTest::newRow("arrow over the tiles")
        << int(Qt::Key_Up) << "" << none << false << 0ull << false << false << A::FocusPrevious << -1;
    QTest::newRow("Enter on a tile") << int(Qt::Key_Return) << "\r" << none << false << 0ull << false << false
                                     << A::Enter << -1;
    QTest::newRow("key 3 answers the third")
        << int(Qt::Key_3) << "3" << none << false << 0ull << false << true << A::AnswerSlot << 2;
    QTest::newRow("key 3 is no answer for labels")
        << int(Qt::Key_3) << "3" << none << false << 0ull << false << false << A::Ignore << -1;
    QTest::newRow("key 6 is no answer") << int(Qt::Key_6) << "6" << none << false << 0ull << false << true << A::Ignore
                                        << -1;
    QTest::newRow("Ctrl+Enter is the window's") << int(Qt::Key_Return) << "\r" << int(Qt::ControlModifier) << false
                                                << 0ull << false << false << A::Ignore << -1;
    QTest::newRow("held Enter, marked") << int(Qt::Key_Return) << "\r" << none << true << 0ull << false << false
                                        << A::Swallow << -1;
    // The repeat's release and press at the very moment of the last release: a held key.
    QTest::newRow("held digit, unmarked")
        << int(Qt::Key_1) << "1" << none << false << 500ull << false << true << A::Swallow << -1;
    QTest::newRow("the key pressed again later")
        << int(Qt::Key_1) << "1" << none << false << 620ull << false << true << A::AnswerSlot << 0;
    QTest::newRow("held Enter while carrying")
        << int(Qt::Key_Return) << "\r" << none << true << 0ull << true << false << A::Swallow << -1;
    // A held arrow walks on: only the answering keys refuse repeats.
    QTest::newRow("held arrow") << int(Qt::Key_Down) << "" << none << true << 0ull << true << false << A::ChooseNext
                                << -1;
    QTest::newRow("Enter puts the carried tile down")
        << int(Qt::Key_Enter) << "\r" << none << false << 0ull << true << false << A::Drop << -1;
    QTest::newRow("Escape puts it back") << int(Qt::Key_Escape) << "\x1b" << none << false << 0ull << true << false
                                         << A::PutBack << -1;
    QTest::newRow("End chooses the last target")
        << int(Qt::Key_End) << "" << none << false << 0ull << true << false << A::ChooseLast << -1;
    QTest::newRow("a cover's letter") << int(Qt::Key_C) << "c" << none << false << 0ull << true << false
                                      << A::ChooseByText << -1;
    QTest::newRow("a letter without a carried tile")
        << int(Qt::Key_C) << "c" << none << false << 0ull << false << false << A::Ignore << -1;
}

void TestQuizKeys::decisions()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(bool, autoRepeat);
    QFETCH(quint64, timestamp);
    QFETCH(bool, carrying);
    QFETCH(bool, single);
    QFETCH(QuizKeyAction, action);
    QFETCH(int, slot);

    const QuizKey pressed {key, Qt::KeyboardModifiers(modifiers), text, autoRepeat, timestamp};
    const QuizKeyDecision decision = decideQuizKey(pressed, QuizKeyRelease {key, 500}, carrying, single);
    QCOMPARE(decision.action, action);
    if (action == QuizKeyAction::AnswerSlot)
        QCOMPARE(decision.slot, slot);
}

QTEST_APPLESS_MAIN(TestQuizKeys)
#include "tst_quizkeys.moc"
