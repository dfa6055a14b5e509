// The topic folder as the topic menu lists it: which files count, the German sort by file name
// (checked against the plain selection sort the menu always used), captions and the column break.

#include "document/topicfolder.h"
#include "document/zepformat.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeTopic(const QString& path, const QString& titel)
{
    TopicDocument doc;
    doc.titel = titel;
    doc.picture = QImage(4, 4, QImage::Format_ARGB32);
    doc.picture.fill(Qt::white);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
}

// The menu's sort as written down: for each position the strictly smallest later entry, compared
// through the collator each time, swaps in.
void plainSelectionSort(QList<TopicEntry>& list)
{
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (qsizetype r = 0; r < list.size(); ++r) {
        qsizetype p = r;
        for (qsizetype s = r + 1; s < list.size(); ++s) {
            if (collator.compare(list.at(s).sortKey, list.at(p).sortKey) < 0)
                p = s;
        }
        list.swapItemsAt(r, p);
    }
}

} // namespace

class TestTopicFolder : public QObject
{
    Q_OBJECT

private slots:
    void sortMatchesPlainSelectionSort_data();
    void sortMatchesPlainSelectionSort();
    void germanOrder();
    void caption_data();
    void caption();
    void columnBreak();
    void scanSkipsWhatIsNoTopic();
    void longTitleIsReadWhole();
};

void TestTopicFolder::sortMatchesPlainSelectionSort_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("distinctNames");
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("all equal") << 12 << 1;
    QTest::newRow("many equal") << 200 << 7;
    QTest::newRow("few equal") << 300 << 250;
    QTest::newRow("all different") << 64 << 1000;
}

void TestTopicFolder::sortMatchesPlainSelectionSort()
{
    // Equal keys (names that differ only in case on a case-sensitive file system) end in the
    // order the swaps of the plain sort leave them; the entries' titles tell them apart.
    QFETCH(int, count);
    QFETCH(int, distinctNames);
    static const char* const stems[] = {"Äpfel", "apfel", "Zebra", "über", "Uhr", "ähre", "Ähre"};
    QRandomGenerator random(uint(count * 31 + distinctNames));
    QList<TopicEntry> list;
    for (int i = 0; i < count; ++i) {
        const int n = int(random.bounded(distinctNames));
        const QString name = QString::fromUtf8(stems[n % 7]) + QString::number(n / 7) + QStringLiteral(".zep");
        list.append({QString::number(i), QStringLiteral("/t/") + name, name.toLower(), QStringLiteral("1.00")});
    }
    QList<TopicEntry> expected = list;
    plainSelectionSort(expected);
    sortTopicList(list);
    QCOMPARE(list, expected);
}

void TestTopicFolder::germanOrder()
{
    QList<TopicEntry> list;
    for (const char* name : {"zebra.zep", "äpfel.zep", "apfelz.zep", "apfel.zep", "über.zep", "uhr.zep"})
        list.append({QString(), QString(), QString::fromUtf8(name), QString()});
    sortTopicList(list);
    QStringList order;
    for (const TopicEntry& entry : list)
        order << entry.sortKey;
    QCOMPARE(order, QStringList({"apfel.zep", "äpfel.zep", "apfelz.zep", "über.zep", "uhr.zep", "zebra.zep"}));
}

void TestTopicFolder::caption_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("caption");
    QTest::newRow("first") << 0 << "Flaggen"
                           << "&1:  Flaggen";
    QTest::newRow("ninth") << 8 << " Münzen  "
                           << "&9:  Münzen";
    QTest::newRow("tenth has no key") << 9 << "Zehn"
                                      << "10:  Zehn";
    QTest::newRow("blank title") << 4 << "   "
                                 << "&5:  datei name.zep";
    QTest::newRow("empty title") << 11 << ""
                                 << "12:  datei name.zep";
}

void TestTopicFolder::caption()
{
    QFETCH(int, index);
    QFETCH(QString, title);
    QFETCH(QString, caption);
    QCOMPARE(topicItemCaption(index, {title, QStringLiteral("/themen/datei name.zep"), QString(), QString()}), caption);
}

void TestTopicFolder::columnBreak()
{
    QCOMPARE(topicColumnBreak(0), -1);
    QCOMPARE(topicColumnBreak(30), -1);
    QCOMPARE(topicColumnBreak(31), 12);
    QCOMPARE(topicColumnBreak(32), 12);
    QCOMPARE(topicColumnBreak(1000), 496);
}

void TestTopicFolder::scanSkipsWhatIsNoTopic()
{
    QTemporaryDir dir;
    writeTopic(dir.filePath("a.zep"), "A");
    writeTopic(dir.filePath("B.ZEP"), "B");
    writeTopic(dir.filePath(".c.zep"), "C");
    writeTopic(dir.filePath("d.zep.bak"), "D");
    QDir(dir.path()).mkpath("ordner.zep");
    writeTopic(dir.filePath("ordner.zep/e.zep"), "E");
    QFile::link(dir.filePath("a.zep"), dir.filePath("verweis.zep"));
    QFile::link(dir.filePath("fehlt"), dir.filePath("tot.zep"));
    QFile::link(dir.filePath("ordner.zep"), dir.filePath("ordnerverweis.zep"));
    QFile(dir.filePath("leer.zep")).open(QIODevice::WriteOnly);
    // A pipe with a topic's name must neither be listed nor hold the scan up.
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("rohr.zep")).constData(), 0600) == 0);

    QStringList titles;
    for (const TopicEntry& entry : readTopicList(dir.path()))
        titles << entry.title + u'=' + entry.path.mid(dir.path().size() + 1);
    QCOMPARE(titles, QStringList({"C=.c.zep", "A=a.zep", "B=B.ZEP", "A=verweis.zep"}));
    QVERIFY(readTopicList(dir.filePath("gibt es nicht")).isEmpty());
}

void TestTopicFolder::longTitleIsReadWhole()
{
    // A start longer than one read still counts.
    QTemporaryDir dir;
    const QString title = QString(5000, u'ü');
    writeTopic(dir.filePath("lang.zep"), title);
    const QList<TopicEntry> list = scanTopicFolder(dir.path() + u'/');
    QCOMPARE(list.size(), 1);
    QCOMPARE(list.at(0).title, title);
    QCOMPARE(list.at(0).path, dir.filePath("lang.zep"));
}

QTEST_GUILESS_MAIN(TestTopicFolder)
#include "tst_topicfolder.moc"
