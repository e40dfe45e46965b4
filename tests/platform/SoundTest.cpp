// The sound service: silence without a sound server, and real, looping sound with one (a
// PulseAudio null sink whose monitor is recorded).
#include "Sound.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "HungServer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
// Everything the process writes to standard error while `act` runs.
template <typename Act> QByteArray StandardErrorOf(Act act)
{
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(capture.handle(), 2);
    act();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}

TEST(SoundServiceTest, WithoutASoundServerItIsSilentAndSaysNothing)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/native");
    const QByteArray said = StandardErrorOf([] {
        const std::unique_ptr<SoundService> sounds = CreateSoundService();
        sounds->PlayLooping(151);
        sounds->PlayLooping(146); // replaces
        QTest::qWait(100);
        sounds->StopAll();
        sounds->StopAll(); // twice is no error
    });
    EXPECT_EQ(said, "");
    qunsetenv("PULSE_SERVER");
}

TEST(SoundServiceTest, AHungSoundServerHoldsUpNeitherPlayingNorTheEnd)
{
    // A server that takes the connection and never answers, as a stopped PulseAudio does.
    QTemporaryDir dir;
    const QByteArray socketPath = QFile::encodeName(dir.filePath("native"));
    const HungServer server(socketPath);
    ASSERT_TRUE(server.Listening());
    qputenv("PULSE_SERVER", "unix:" + socketPath);
    QElapsedTimer took;
    took.start();
    {
        const std::unique_ptr<SoundService> sounds = CreateSoundService();
        sounds->PlayLooping(151);
        QTest::qWait(100);
        sounds->StopAll();
    }
    // A hung player held the window for about 30 seconds before; now nothing waits for it
    // longer than its one second of grace.
    EXPECT_LT(took.elapsed(), 5000);
    qunsetenv("PULSE_SERVER");
}

// A sound server of the test's own with one null sink, and a recorder of what reaches it.
class NullSink {
public:
    bool Start()
    {
        if (QStandardPaths::findExecutable("pulseaudio").isEmpty() ||
            QStandardPaths::findExecutable("parec").isEmpty())
            return false;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.start("pulseaudio",
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
                        "module-null-sink sink_name=festmark_test", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + Socket()});
        for (int i = 0; i < 100 && !QFile::exists(Socket()); ++i)
            QTest::qWait(50);
        return QFile::exists(Socket());
    }

    ~NullSink()
    {
        m_server.terminate();
        m_server.waitForFinished(3000);
    }

    QString Server() const { return "unix:" + Socket(); }

    // Records `ms` milliseconds, as unsigned 8-bit mono samples at 8 kHz; `start` runs once
    // the recorder listens.
    template <typename Start> QByteArray Record(int ms, Start start) const
    {
        QProcess parec;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", Server());
        parec.setProcessEnvironment(env);
        parec.start("parec", {"-d", "festmark_test.monitor", "--raw", "--format=u8", "--rate=8000",
                              "--channels=1", "--latency-msec=20"});
        parec.waitForStarted();
        QTest::qWait(200);
        start();
        QTest::qWait(ms); // the event loop runs: the service starts each next play
        parec.terminate();
        parec.waitForFinished(3000);
        return parec.readAllStandardOutput();
    }

private:
    QString Socket() const { return m_dir.filePath("native"); }

    QTemporaryDir m_dir;
    QProcess m_server;
};

// The share of samples that are clearly away from silence (128).
double Loudness(const QByteArray &samples)
{
    if (samples.isEmpty())
        return 0.0;
    int loud = 0;
    for (const char sample : samples)
        loud += std::abs(static_cast<unsigned char>(sample) - 128) > 8 ? 1 : 0;
    return static_cast<double>(loud) / samples.size();
}

TEST(SlowSoundServiceTest, TheChimeReallyPlaysLoopsAndStops)
{
    NullSink sink;
    if (!sink.Start())
        GTEST_SKIP() << "no PulseAudio (pulseaudio, parec) to record from";
    qputenv("PULSE_SERVER", sink.Server().toUtf8());
    const std::unique_ptr<SoundService> sounds = CreateSoundService();
    sounds->PlayLooping(151);
    QTest::qWait(200);
    // 146 replaces 151; it lasts about 2.7 seconds, then starts again.
    const QByteArray played = sink.Record(4500, [&sounds] { sounds->PlayLooping(146); });
    sounds->StopAll();
    const QByteArray after = sink.Record(1000, [] {});
    qunsetenv("PULSE_SERVER");

    // The chime rings for a second and fades; 2.7 seconds after it began it rings again: it
    // loops. Times count from where the recording first hears it.
    constexpr int kPerSecond = 8000;
    const auto at = [&played](double from, double seconds) {
        return played.mid(static_cast<qsizetype>(from * kPerSecond),
                          static_cast<qsizetype>(seconds * kPerSecond));
    };
    double onset = 0.0;
    while (onset < 1.2 && Loudness(at(onset, 0.05)) < 0.3)
        onset += 0.05;
    ASSERT_LT(onset, 1.2) << "no chime in the first second";
    EXPECT_GT(Loudness(at(onset, 0.8)), 0.3);
    EXPECT_LT(Loudness(at(onset + 2.0, 0.5)), 0.05);
    EXPECT_GT(Loudness(at(onset + 2.8, 0.5)), 0.2);
    EXPECT_LT(Loudness(after), 0.01); // and stops at once
}
#endif

} // namespace
