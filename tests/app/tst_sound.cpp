#include "common/sound.h"
#include "platform/wavbuilder.h"
#include "support/fakesoundoutput.h"
#include "support/manualtick.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

// Plays through a fake output on a manual tick: no sound device and no real time needed.
class TestSound : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void resolvesNames_data();
    void resolvesNames();
    void stopsBeforePlaying_data();
    void stopsBeforePlaying();
    void disabledOnlyStops_data();
    void disabledOnlyStops();
    void missingFileReportedOncePerAttempt_data();
    void missingFileReportedOncePerAttempt();
    void waitIsBoundedBySoundLength_data();
    void waitIsBoundedBySoundLength();
    void waitEndsWhenOutputStops();

private:
    // Each reading of the tick moves it on by this much, so waits run through without real time.
    static constexpr quint32 tickStep = 40;

    // Folder layout beside the test: sound/ is the sound folder, and other/ and sub/ hold files
    // that are named with a folder part. The current folder is the temporary folder.
    QString soundFolder() const { return m_dir->filePath("sound") + '/'; }
    void writeWave(const QString& relativePath, const QByteArray& bytes = wavbuilder::silentWave(100));

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousCurrent;
    FakeSoundOutput m_output;
    ManualTick m_tick {0, tickStep};
    std::unique_ptr<SoundPlayer> m_player;
    QStringList m_errors;
};

void TestSound::writeWave(const QString& relativePath, const QByteArray& bytes)
{
    const QString path = m_dir->filePath(relativePath);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(wavbuilder::writeFile(path, bytes));
}

void TestSound::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_previousCurrent = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    for (const char* name : {"sound/Richtig1.wav", "sound/Falsch1.wav", "sound/x.wav", "sound/name.mit.punkten.wav",
             "other/dir/y.wav", "sub/z.wav", "dir.v2/ohne.wav"})
        writeWave(name);

    m_output = FakeSoundOutput();
    m_tick = ManualTick(0, tickStep);
    m_errors.clear();
    m_player = std::make_unique<SoundPlayer>(m_output, m_tick);
    m_player->setSoundFolder(soundFolder());
    m_player->setErrorReporter([this](const QString& message) { m_errors << message; });
}

void TestSound::cleanup()
{
    m_player.reset();
    QVERIFY(QDir::setCurrent(m_previousCurrent));
    m_dir.reset();
}

void TestSound::resolvesNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected"); // relative to the temporary folder

    QTest::newRow("no extension") << "Richtig1"
                                  << "sound/Richtig1.wav";
    QTest::newRow("wav") << "Richtig1.wav"
                         << "sound/Richtig1.wav";
    QTest::newRow("other extension") << "x.mp3"
                                     << "sound/x.wav";
    QTest::newRow("extension in capitals") << "x.WAV"
                                           << "sound/x.wav";
    QTest::newRow("dots in the name") << "name.mit.punkten.ogg"
                                      << "sound/name.mit.punkten.wav";
    QTest::newRow("relative with slash") << "sub/z"
                                         << "sub/z.wav";
    QTest::newRow("relative with backslash") << "sub\\z"
                                             << "sub/z.wav";
    QTest::newRow("dot in folder, no extension") << "dir.v2\\ohne"
                                                 << "dir.v2/ohne.wav";
    QTest::newRow("dot in folder, extension") << "dir.v2/ohne.mp3"
                                              << "dir.v2/ohne.wav";
}

void TestSound::resolvesNames()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);

    m_player->playSound(name, false, false);
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(m_output.plays(), QStringList {"play " + m_dir->filePath(expected)});

    // An absolute name is used as it stands, in either spelling of the separators.
    const QString absolute = m_dir->filePath("other/dir/y.wav");
    m_output.calls.clear();
    m_player->playSound(absolute, false, false);
    m_player->playSound(QString(absolute).replace('/', '\\'), false, false);
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(m_output.plays(), QStringList({"play " + absolute, "play " + absolute}));
}

void TestSound::stopsBeforePlaying_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<QString>("playSuffix");
    QTest::newRow("once") << false << "";
    QTest::newRow("loop") << true << " loop";
}

void TestSound::stopsBeforePlaying()
{
    QFETCH(bool, loop);
    QFETCH(QString, playSuffix);

    m_player->playSound("Falsch1", false, loop);
    QCOMPARE(m_output.calls, QStringList({"stop", "play " + soundFolder() + "Falsch1.wav" + playSuffix}));
    QVERIFY(m_output.isPlaying());

    m_player->stopSound();
    QVERIFY(!m_output.isPlaying());
}

void TestSound::disabledOnlyStops_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");

    // Waiting would be a fault here: nothing plays.
    QTest::newRow("present") << "sound/"
                             << "Richtig1";
    QTest::newRow("missing") << "sound/"
                             << "Fehlt";
    QTest::newRow("no sound folder") << "nirgends/"
                                     << "Richtig1.wav";
}

void TestSound::disabledOnlyStops()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);

    m_player->playSound("Richtig1", false, true);
    m_output.calls.clear();
    const int readsBefore = m_tick.reads();

    m_player->setEnabled(false);
    QVERIFY(!m_player->isEnabled());
    m_player->setSoundFolder(m_dir->filePath(folder));
    m_player->playSound(name, true, false);
    m_player->playRight(true);
    m_player->playWrong(true);

    QCOMPARE(m_errors, QStringList());
    QCOMPARE(m_tick.reads(), readsBefore);
    QCOMPARE(m_output.calls, QStringList({"stop", "stop", "stop"}));
    QVERIFY(!m_output.isPlaying());

    m_player->setEnabled(true);
    m_player->setSoundFolder(soundFolder());
    m_player->playRight(false);
    QCOMPARE(m_output.plays().size(), 1);
}

void TestSound::missingFileReportedOncePerAttempt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("wait");
    QTest::addColumn<QString>("message");

    QTest::newRow("plain name") << "Fehlt" << false << "Sounddatei \"Fehlt\" nicht gefunden.";
    QTest::newRow("name as passed, not as resolved")
        << "Jubel.mp3" << true << "Sounddatei \"Jubel.mp3\" nicht gefunden.";
    QTest::newRow("folder part with backslashes")
        << "sounds\\extra\\Tusch.wav" << true << "Sounddatei \"sounds\\extra\\Tusch.wav\" nicht gefunden.";
    QTest::newRow("folder instead of file") << "sound" << false << "Sounddatei \"sound\" nicht gefunden.";
    QTest::newRow("empty name") << "" << false << "Sounddatei \"\" nicht gefunden.";
}

void TestSound::missingFileReportedOncePerAttempt()
{
    QFETCH(QString, name);
    QFETCH(bool, wait);
    QFETCH(QString, message);

    QVERIFY(QDir().mkpath(m_dir->filePath("sound/sound.wav")));
    m_player->playSound("Richtig1", false, true);
    m_output.calls.clear();

    m_player->playSound(name, wait, false);
    QCOMPARE(m_errors, QStringList {message});
    m_player->playSound(name, wait, true);
    QCOMPARE(m_errors, QStringList({message, message}));

    // The sound that was playing goes on, and the next sound plays as usual.
    QCOMPARE(m_output.calls, QStringList());
    QVERIFY(m_output.isPlaying());
    m_player->playWrong(false);
    QCOMPARE(m_output.plays(), QStringList {"play " + soundFolder() + "Falsch1.wav"});
    QCOMPARE(m_errors.size(), 2);
}

void TestSound::waitIsBoundedBySoundLength_data()
{
    QTest::addColumn<QByteArray>("wave");
    QTest::addColumn<bool>("loop");
    QTest::addColumn<quint32>("expectedWait");

    const quint32 margin = SoundPlayer::waitMarginMs;
    QTest::newRow("half a second") << wavbuilder::silentWave(500) << false << 500 + margin;
    QTest::newRow("empty sound") << wavbuilder::silentWave(0) << false << margin;
    QTest::newRow("loop waits for one pass") << wavbuilder::silentWave(300) << true << 300 + margin;
    QTest::newRow("unreadable header") << QByteArray("RIFF....WAVEjunk") << false << SoundPlayer::unknownLengthWaitMs;
    QTest::newRow("not a wave at all") << QByteArray("ID3\x03 mp3 data") << false << SoundPlayer::unknownLengthWaitMs;
}

void TestSound::waitIsBoundedBySoundLength()
{
    QFETCH(QByteArray, wave);
    QFETCH(bool, loop);
    QFETCH(quint32, expectedWait);

    // Like the system output without a sound device, the fake never reports the end.
    writeWave("sound/Test.wav", wave);
    m_tick.set(0xFFFFFF00); // the wait must also hold across the wrap of the tick
    const quint32 start = m_tick.peek();
    m_player->playSound("Test", true, loop);

    const quint32 waited = ticksSince(start, m_tick.peek());
    QVERIFY2(waited >= expectedWait, qPrintable(QString::number(waited)));
    QVERIFY2(waited <= expectedWait + 2 * tickStep, qPrintable(QString::number(waited)));
    QVERIFY(m_output.isPlaying());
    QCOMPARE(m_output.plays().size(), 1);
    QCOMPARE(m_output.plays().first().endsWith(" loop"), loop);
}

void TestSound::waitEndsWhenOutputStops()
{
    writeWave("sound/Lang.wav", wavbuilder::silentWave(5000));
    m_output.setEndAfterPolls(4);
    const quint32 start = m_tick.peek();
    m_player->playSound("Lang", true, false);
    QVERIFY(!m_output.isPlaying());
    QVERIFY(ticksSince(start, m_tick.peek()) < 1000);
}

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
