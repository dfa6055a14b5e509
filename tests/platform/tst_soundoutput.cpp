#include "common/sound.h"
#include "platform/soundoutput.h"
#include "platform/wavbuilder.h"

#include <QElapsedTimer>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QtTest>

// The system output on this machine's audio back end, which may have no sound device at all:
// what counts is that sounds load and start, that failures end the playing state, and that
// nothing hangs or crashes.
class TestSoundOutput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsOnceLoaded_data();
    void startsOnceLoaded();
    void stopWhileLoadingCancelsStart();
    void unplayableFileStopsPlaying();
    void repairedFileLoadsAgain();
    void destroyedWhileLoading();
    void synchronousPlayReturns();
    void preparedOutputHasItsEffectBeforeTheFirstSound();
    void withoutTheModuleTheOutputIsSilent();

private:
    QSoundEffect* effect() const { return qApp->findChild<QSoundEffect*>(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SoundOutput> m_output;
};

void TestSoundOutput::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(wavbuilder::writeFile(m_dir->filePath("Richtig1.wav"), wavbuilder::silentWave(150)));
    QVERIFY(wavbuilder::writeFile(m_dir->filePath("Falsch1.wav"), wavbuilder::silentWave(100)));
    setSoundModuleFolder(QStringLiteral(TALLOWMERE_BIN_DIR "module"));
    m_output = createSystemSoundOutput();
}

void TestSoundOutput::cleanup()
{
    m_output.reset();
    QVERIFY(!effect());
}

void TestSoundOutput::startsOnceLoaded_data()
{
    QTest::addColumn<bool>("loop");
    QTest::addColumn<int>("loopCount");
    QTest::newRow("once") << false << 1;
    QTest::newRow("loop") << true << int(QSoundEffect::Infinite);
}

void TestSoundOutput::startsOnceLoaded()
{
    QFETCH(bool, loop);
    QFETCH(int, loopCount);

    const QString path = m_dir->filePath("Richtig1.wav");
    m_output->play(path, loop);
    QVERIFY(m_output->isPlaying());
    QVERIFY(effect());
    QTRY_COMPARE(effect()->status(), QSoundEffect::Ready);
    QTRY_VERIFY(effect()->isPlaying());
    QCOMPARE(effect()->source(), QUrl::fromLocalFile(path));
    QCOMPARE(effect()->loopCount(), loopCount);

    // A second sound replaces the first and starts as well.
    m_output->play(m_dir->filePath("Falsch1.wav"), false);
    QTRY_COMPARE(effect()->status(), QSoundEffect::Ready);
    QTRY_VERIFY(effect()->isPlaying());
    QCOMPARE(effect()->source(), QUrl::fromLocalFile(m_dir->filePath("Falsch1.wav")));
    QCOMPARE(effect()->loopCount(), 1);

    m_output->stop();
    QVERIFY(!m_output->isPlaying());
    QVERIFY(!effect()->isPlaying());
}

void TestSoundOutput::stopWhileLoadingCancelsStart()
{
    m_output->play(m_dir->filePath("Richtig1.wav"), true);
    m_output->stop();
    QVERIFY(!m_output->isPlaying());
    QTRY_COMPARE(effect()->status(), QSoundEffect::Ready);
    QVERIFY(!effect()->isPlaying());
    QVERIFY(!m_output->isPlaying());
}

void TestSoundOutput::unplayableFileStopsPlaying()
{
    const QString path = m_dir->filePath("kaputt.wav");
    QVERIFY(wavbuilder::writeFile(path, "Dies ist keine Wave-Datei."));
    m_output->play(path, false);
    QTRY_VERIFY(!m_output->isPlaying());
}

void TestSoundOutput::repairedFileLoadsAgain()
{
    const QString path = m_dir->filePath("kaputt.wav");
    QVERIFY(wavbuilder::writeFile(path, "Dies ist keine Wave-Datei."));
    m_output->play(path, false);
    QTRY_COMPARE(effect()->status(), QSoundEffect::Error);
    QVERIFY(!m_output->isPlaying());

    QVERIFY(wavbuilder::writeFile(path, wavbuilder::silentWave(100)));
    m_output->play(path, false);
    QTRY_COMPARE(effect()->status(), QSoundEffect::Ready);
    QTRY_VERIFY(effect()->isPlaying());
}

void TestSoundOutput::destroyedWhileLoading()
{
    m_output->play(m_dir->filePath("Richtig1.wav"), false);
    m_output.reset();
    QVERIFY(!effect());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
}

void TestSoundOutput::synchronousPlayReturns()
{
    SoundPlayer player(*m_output);
    player.setSoundFolder(m_dir->path() + '/');
    QStringList errors;
    player.setErrorReporter([&errors](const QString& message) { errors << message; });

    // A sound device may or may not report the end of the sound; either way the call comes back
    // soon after the 150 ms of the sound. The bound only catches a hang.
    QElapsedTimer timer;
    timer.start();
    player.playRight(true);
    QVERIFY2(timer.elapsed() < 10000, "a synchronous play did not come back");
    QVERIFY(errors.isEmpty());
    QCOMPARE(effect()->source(), QUrl::fromLocalFile(m_dir->filePath("Richtig1.wav")));
    QCOMPARE(effect()->status(), QSoundEffect::Ready);
}

void TestSoundOutput::preparedOutputHasItsEffectBeforeTheFirstSound()
{
    m_output->prepare();
    QVERIFY(effect());
    QVERIFY(!m_output->isPlaying());
}

// A program folder without the sound module plays nothing and waits for nothing.
void TestSoundOutput::withoutTheModuleTheOutputIsSilent()
{
    m_output.reset();
    setSoundModuleFolder(m_dir->path());
    m_output = createSystemSoundOutput();
    SoundPlayer player(*m_output);
    player.setSoundFolder(m_dir->path() + '/');
    QElapsedTimer timer;
    timer.start();
    player.playRight(true);
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(!m_output->isPlaying());
    QVERIFY(!effect());
}

QTEST_MAIN(TestSoundOutput)
#include "tst_soundoutput.moc"
