// The about box from the menu and from the info button, and which sound plays when.
#include "FestelForm.h"
#include "MainFrame.h"
#include "Recorders.h"

#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace {

using namespace std::chrono;

class AboutSoundTest : public testing::Test {
protected:
    // A frame whose today is 14.03.2026, over a list with a 50th birthday on that day.
    void SetUp() override
    {
        StartWithDateList(m_dir.path(), "14.03.1976 Anna wird # alt\n");
        m_frame = std::make_unique<CMainFrame>(m_boxes, m_sounds);
        m_frame->OnInitialUpdate();
        Form().SetToday([] { return 2026y / March / 14; });
        Form().SetInfoButtonBitmap();
        m_frame->show();
    }

    void TearDown() override
    {
        m_frame.reset();
        ForgetSettings();
    }

    CFestelForm &Form() { return *m_frame->GetActiveView(); }
    QPushButton &InfoButton() { return *Form().findChild<QPushButton *>("infoButton"); }

    QAction *AboutCommand() { return m_frame->menuBar()->actions()[1]->menu()->actions()[2]; }

    // Opens the about box with `open` and notes the sound while it stands.
    template <typename Open> QString AboutTitleWhileOpen(int &soundWhileOpen, Open open)
    {
        QString title;
        WhenModalShown([this, &title, &soundWhileOpen](QWidget *modal) {
            title = modal->windowTitle();
            soundWhileOpen = m_sounds.playing;
        });
        open();
        return title;
    }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(AboutSoundTest, MenuCommandShowsTheAboutBoxSilently)
{
    int soundWhileOpen = -1;
    const QString title =
        AboutTitleWhileOpen(soundWhileOpen, [this] { AboutCommand()->trigger(); });
    EXPECT_EQ(title, QString::fromUtf8("Info über Festmark"));
    EXPECT_EQ(soundWhileOpen, 0);
    EXPECT_TRUE(m_sounds.events.isEmpty());
}

TEST_F(AboutSoundTest, InfoButtonLoopsTheChimeWhileTheBoxIsOpen)
{
    ASSERT_NE(Form().findChild<QPushButton *>("infoButton"), nullptr);
    EXPECT_FALSE(InfoButton().icon().isNull()); // bitmap 133 on the button
    EXPECT_EQ(InfoButton().iconSize(), QSize(64, 64));
    EXPECT_EQ(InfoButton().shortcut(), QKeySequence(QStringLiteral("Alt+I")));
    EXPECT_EQ(InfoButton().accessibleName(), "Info");
    int soundWhileOpen = -1;
    const QString title = AboutTitleWhileOpen(soundWhileOpen, [this] { InfoButton().click(); });
    EXPECT_EQ(title, QString::fromUtf8("Info über Festmark"));
    EXPECT_EQ(soundWhileOpen, 146);
    EXPECT_EQ(m_sounds.events, (QStringList{"play 146", "stop"}));
    EXPECT_EQ(m_sounds.playing, 0);
}

TEST_F(AboutSoundTest, ChimeReplacesTheJubileeSoundAndLeavesSilence)
{
    Form().RunScan();
    ASSERT_EQ(m_sounds.playing, 151);
    int soundWhileOpen = -1;
    AboutTitleWhileOpen(soundWhileOpen, [this] { InfoButton().click(); });
    EXPECT_EQ(soundWhileOpen, 146);
    EXPECT_EQ(m_sounds.events, (QStringList{"play 151", "play 146", "stop"}));
    EXPECT_EQ(m_sounds.playing, 0); // the jubilee sound does not come back by itself
    Form().RunScan();
    EXPECT_EQ(m_sounds.playing, 151); // until a later scan starts it again
}

TEST_F(AboutSoundTest, ClosingTheWindowStopsTheJubileeSound)
{
    Form().RunScan();
    ASSERT_EQ(m_sounds.playing, 151);
    m_frame->close();
    m_frame.reset();
    EXPECT_EQ(m_sounds.playing, 0);
    EXPECT_EQ(m_sounds.events.last(), "stop");
}

} // namespace
