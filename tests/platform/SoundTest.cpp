// The Qt sound backend: one looping effect at a time, from the program's resources, and
// silence (no box, no wait) when the machine has no audio device or sound server.
#include "Sound.h"

#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString SourceOf(const QtSoundService &sounds)
{
    return sounds.Current() ? sounds.Current()->source().toString() : QString();
}

TEST(QtSoundServiceTest, PlaysTheResourceLoopingUntilStopped)
{
    QtSoundService sounds;
    EXPECT_EQ(sounds.Current(), nullptr);
    sounds.PlayLooping(146);
    ASSERT_NE(sounds.Current(), nullptr);
    EXPECT_EQ(SourceOf(sounds), "qrc:/sounds/146.wav");
    EXPECT_EQ(sounds.Current()->loopCount(), QSoundEffect::Infinite);
    sounds.StopAll();
    EXPECT_EQ(sounds.Current(), nullptr);
}

TEST(QtSoundServiceTest, ANewSoundReplacesTheOneThatPlays)
{
    QtSoundService sounds;
    sounds.PlayLooping(151);
    const QSoundEffect *jubilee = sounds.Current();
    sounds.PlayLooping(146);
    EXPECT_EQ(SourceOf(sounds), "qrc:/sounds/146.wav");
    EXPECT_FALSE(jubilee->isPlaying());
    sounds.StopAll();
    sounds.StopAll(); // stopping when silent is harmless
    EXPECT_EQ(sounds.Current(), nullptr);
    sounds.PlayLooping(151); // the same effect again, already loaded
    EXPECT_EQ(sounds.Current(), jubilee);
}

TEST(QtSoundServiceTest, BothWavesDecodeFromTheResources)
{
    for (const int id : {146, 151}) {
        QtSoundService sounds;
        sounds.PlayLooping(id);
        const QSoundEffect *effect = sounds.Current();
        ASSERT_NE(effect, nullptr);
        // Loading is asynchronous; the decoder reports Ready or Error without an audio device.
        if (effect->status() == QSoundEffect::Loading) {
            QEventLoop loop;
            QObject::connect(effect, &QSoundEffect::statusChanged, &loop, &QEventLoop::quit);
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
        }
        EXPECT_EQ(effect->status(), QSoundEffect::Ready) << id;
    }
}

} // namespace
