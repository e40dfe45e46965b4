// Stored settings and the autostart entry, as the form loads and saves them.
#include "Settings.h"
#include "FestelForm.h"
#include "Profile.h"
#include "Recorders.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono;

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }

    std::unique_ptr<CFestelForm> Form()
    {
        auto form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        form->m_today = [] {
            return 2026y / March / 14;
        };
        form->OnInitialUpdate();
        return form;
    }

    static QString Autostart()
    {
        QFile file(AutostartEntryPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
};

TEST_F(SettingsTest, FirstStartUsesTheDefaultsAndWritesBothAtTheEnd)
{
    auto form = Form();
    EXPECT_EQ(form->m_startDays, 2);
    EXPECT_EQ(form->m_stopDays, 7);
    EXPECT_EQ(form->m_oemFile, 0);
    EXPECT_EQ(form->m_autoStart, 1);
    EXPECT_EQ(form->m_exePath, QCoreApplication::applicationFilePath());
    EXPECT_EQ(form->m_filePath, QCoreApplication::applicationDirPath() + "/Festmark.txt");
    EXPECT_FALSE(QFile::exists(SettingsFile())); // nothing is written while it runs
    form.reset();
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/Startday").toInt(), 2);
    EXPECT_EQ(stored.value("Settings/Stopday").toInt(), 7);
    EXPECT_EQ(stored.value("Settings/OEM").toInt(), 0);
    EXPECT_EQ(stored.value("Settings/auto").toInt(), 1);
    const QString entry = Autostart();
    EXPECT_TRUE(entry.contains("Type=Application\n"));
    EXPECT_TRUE(entry.contains("Name=Festmark\n"));
    EXPECT_TRUE(entry.contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\"\n"));
}

TEST_F(SettingsTest, ValuesRoundTrip)
{
    auto form = Form();
    form->m_startDays = 30;
    form->m_stopDays = 400;
    form->m_oemFile = 1;
    form->m_filePath = QString::fromUtf8("/home/anna/Meine Jubiläen.txt");
    form->m_autoStart = 0;
    form.reset();
    auto again = Form();
    EXPECT_EQ(again->m_startDays, 30);
    EXPECT_EQ(again->m_stopDays, 400);
    EXPECT_EQ(again->m_oemFile, 1);
    EXPECT_EQ(again->m_filePath, QString::fromUtf8("/home/anna/Meine Jubiläen.txt"));
    EXPECT_EQ(again->m_autoStart, 0);
}

TEST_F(SettingsTest, AutostartOffRemovesTheEntryAtTheEndNotBefore)
{
    Form().reset();
    ASSERT_TRUE(QFile::exists(AutostartEntryPath()));
    auto form = Form();
    form->m_autoStart = 0;
    form->RunScan();
    EXPECT_TRUE(QFile::exists(AutostartEntryPath()));
    form.reset();
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    Form().reset(); // "auto" 0 again, and no entry: no error
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
}

TEST_F(SettingsTest, MovedProgramRewritesExecAndKeepsTheStoredPath)
{
    WriteProfileString("Settings", "FilePath", "/daten/Festmark.txt");
    WriteAutostartEntry(true, "/alter Ort/festmark");
    EXPECT_TRUE(Autostart().contains("Exec=\"/alter Ort/festmark\""));
    auto form = Form();
    EXPECT_EQ(form->m_filePath, "/daten/Festmark.txt");
    form.reset();
    EXPECT_TRUE(Autostart().contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\""));
}

TEST_F(SettingsTest, ExecQuotesWhatTheDesktopEntryFormatReserves)
{
    WriteAutostartEntry(true, "/opt/a b/$x`y\"z\\w%/festmark");
    EXPECT_TRUE(Autostart().contains("Exec=\"/opt/a b/\\\\$x\\\\`y\\\\\"z\\\\\\\\w%%/festmark\"\n"))
        << Autostart().toStdString();
}

TEST_F(SettingsTest, EmptyStoredPathStaysEmptyAndTheScanCannotOpenIt)
{
    WriteProfileString("Settings", "FilePath", "");
    auto form = Form();
    EXPECT_EQ(form->m_filePath, "");
    form->RunScan();
    EXPECT_EQ(m_boxes.texts, QStringList{QString::fromUtf8("Fehler beim Öffnen von ")});
}

struct ClampCase {
    const char *name;
    int startDay, stopDay, oem;
    int expectedStart, expectedStop, expectedOem;
};

class SettingsClampTest : public SettingsTest, public testing::WithParamInterface<ClampCase> {};

TEST_P(SettingsClampTest, BringsStoredDaysIntoTheOptionsRanges)
{
    const ClampCase &c = GetParam();
    WriteProfileInt("Settings", "Startday", c.startDay);
    WriteProfileInt("Settings", "Stopday", c.stopDay);
    WriteProfileInt("Settings", "OEM", c.oem);
    const Settings settings = LoadSettings("/x/Festmark.txt");
    EXPECT_EQ(settings.startDays, c.expectedStart);
    EXPECT_EQ(settings.stopDays, c.expectedStop);
    EXPECT_EQ(settings.oemFile, c.expectedOem);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsClampTest,
                         testing::Values(ClampCase{"Negative", -5, -1, 0, 0, 0, 0},
                                         ClampCase{"Huge", 99999, 2000000000, 1, 3652, 13149, 1},
                                         ClampCase{"Limits", 3652, 13149, 0, 3652, 13149, 0},
                                         ClampCase{"OemFiveIsKept", 2, 7, 5, 2, 7, 5}),
                         [](const auto &info) { return info.param.name; });

TEST_F(SettingsTest, HandEditedTextFallsBackToTheDefault)
{
    QSettings store(SettingsFile(), QSettings::IniFormat);
    store.setValue("Settings/Startday", "zwei");
    store.sync();
    EXPECT_EQ(LoadSettings("/x").startDays, 2);
}

TEST(DefaultFilePathTest, BesideTheProgramOrInTheHomeFolder)
{
    EXPECT_EQ(DefaultFilePath(QCoreApplication::applicationFilePath()),
              QCoreApplication::applicationDirPath() + "/Festmark.txt");
    const QString missingDir = "/gibt/es/nicht/festmark";
    EXPECT_EQ(DefaultFilePath(missingDir), QDir::homePath() + "/Festmark.txt");
}

} // namespace
