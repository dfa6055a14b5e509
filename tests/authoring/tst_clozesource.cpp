#include "document/clozesource.h"

#include <QTest>

// A cloze text as the teacher writes it in the editor: which gaps it has, which problem the
// editor shows with its line and column, and what the gap button does to a line.

class TestClozeSource : public QObject
{
    Q_OBJECT

private slots:
    void gapsAndProblems_data();
    void gapsAndProblems();
    void gapButton_data();
    void gapButton();
};

void TestClozeSource::gapsAndProblems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("gaps");
    QTest::addColumn<QString>("stored");
    // Line, column and the start of the reason; line -1 for none.
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("reason");

    QTest::newRow("gaps among markup, blank lines at both ends dropped")
        << QStringLiteral("\n  \n<B>Flüsse</B>\nDer <<Rhein>> fließt in die << Nordsee >>.\n\n<i>Die</i> <<Donau>>\n\n")
        << QStringList {"Rhein", "Nordsee", "Donau"}
        << QStringLiteral("<B>Flüsse</B>\r\nDer <<Rhein>> fließt in die << Nordsee >>.\r\n\r\n<i>Die</i> <<Donau>>")
        << -1 << 0 << QString();
    QTest::newRow("lone angle brackets and other tags are text")
        << QStringLiteral("a < b > c <@POSX=40%><<x>> <@COL=ff0000>rot</@COL>") << QStringList {"x"}
        << QStringLiteral("a < b > c <@POSX=40%><<x>> <@COL=ff0000>rot</@COL>") << -1 << 0 << QString();
    QTest::newRow("empty text") << QString() << QStringList() << QString() << -1 << 0 << QString();
    QTest::newRow("no gap") << QStringLiteral("Nur Text") << QStringList() << QStringLiteral("Nur Text") << 0 << 0
                            << QStringLiteral("Der Lückentext enthält keine Lücke");
    QTest::newRow("empty gap") << QStringLiteral("<<Rhein>>\nDie <<  >> fließt") << QStringList {"Rhein"} << QString()
                               << 2 << 5 << QStringLiteral("Leere Lücke");
    QTest::newRow("gap inside a gap") << QStringLiteral("Der <<Rh<<ein>>") << QStringList() << QString() << 1 << 9
                                      << QStringLiteral("\"<<\" in einer Lücke");
    QTest::newRow("markup inside a gap") << QStringLiteral("Der <<<b>Rhein</b>>>") << QStringList() << QString() << 1
                                         << 7 << QStringLiteral("In einer Lücke ist keine Auszeichnung wie \"<B>\"");
    QTest::newRow("closed without opening") << QStringLiteral("Rhein>>") << QStringList() << QString() << 1 << 6
                                            << QStringLiteral("\">>\" ohne vorangehendes");
    QTest::newRow("line break inside a gap") << QStringLiteral("Der <<Rh\nein>> fließt") << QStringList() << QString()
                                             << 1 << 5 << QStringLiteral("Die Lücke wird in dieser Zeile nicht");
    QTest::newRow("character outside Windows-1252")
        << QStringLiteral("<<Weichsel>> heißt <<Wisła>>") << QStringList {} << QString() << 1 << 25
        << QStringLiteral("Das Zeichen \"ł\" (U+0142) kann");
    QTest::newRow("control character") << QStringLiteral("<<a>>\n<<b>>\x0b") << QStringList {"a"} << QString() << 2 << 6
                                       << QStringLiteral("Steuerzeichen (Code 11)");
}

void TestClozeSource::gapsAndProblems()
{
    QFETCH(QString, text);
    QFETCH(QStringList, gaps);
    QFETCH(QString, stored);
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(QString, reason);

    const ClozeText checked = checkClozeText(text);
    QCOMPARE(checked.gaps, gaps);
    if (line < 0) {
        QVERIFY2(checked.problems.isEmpty(), qPrintable(checked.problems.value(0).text));
        QCOMPARE(checked.stored, stored);
        return;
    }
    // Each line shows its first problem; a gap broken over two lines gives one in each.
    QVERIFY(!checked.problems.isEmpty());
    QCOMPARE(checked.problems.first().line, line);
    QCOMPARE(checked.problems.first().column, column);
    QVERIFY2(checked.problems.first().text.startsWith(reason), qPrintable(checked.problems.first().text));
}

void TestClozeSource::gapButton_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");

    QTest::newRow("cursor just after a typed word") << "Der Rhein" << 9 << 9 << "Der <<Rhein>>" << 13 << 13;
    QTest::newRow("cursor inside a hyphenated word")
        << "Der Nord-Ostsee-Kanal." << 10 << 10 << "Der <<Nord-Ostsee-Kanal>>." << 25 << 25;
    QTest::newRow("selection, blanks left outside")
        << "die  Schwarze Meer  ist" << 4 << 20 << "die  <<Schwarze Meer>>  ist" << 22 << 22;
    QTest::newRow("cursor in a gap takes it back") << "Der <<Rhein>> fließt" << 8 << 8 << "Der Rhein fließt" << 4 << 9;
    QTest::newRow("cursor right after a gap takes it back")
        << "Der << Rhein >>" << 15 << 15 << "Der  Rhein " << 5 << 10;
    QTest::newRow("nothing there opens an empty gap") << "Der  fließt" << 4 << 4 << "Der <<>> fließt" << 6 << 6;
}

void TestClozeSource::gapButton()
{
    QFETCH(QString, line);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QString, result);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);

    const ClozeLineEdit edit = toggleClozeGap(line, start, end);
    QCOMPARE(edit.line, result);
    QCOMPARE(edit.selectionStart, selectionStart);
    QCOMPARE(edit.selectionEnd, selectionEnd);
}

QTEST_GUILESS_MAIN(TestClozeSource)
#include "tst_clozesource.moc"
