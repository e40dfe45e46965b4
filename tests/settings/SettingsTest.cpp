// Stored settings: defaults, the round trip, values brought into range, the default path.
#include "Settings.h"
#include "TestSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override { ForgetSettings(); }
};

TEST_F(SettingsTest, FirstStartUsesTheDefaultsAndWritesNothing)
{
    const Settings settings = LoadSettings("/programm/Festmark.txt");
    EXPECT_EQ(settings, DefaultSettings("/programm/Festmark.txt"));
    EXPECT_EQ(settings.startDays, 2);
    EXPECT_EQ(settings.stopDays, 7);
    EXPECT_EQ(settings.oemFile, 0);
    EXPECT_EQ(settings.autoStart, 1);
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

TEST_F(SettingsTest, ValuesRoundTripUnderTheirOwnNames)
{
    const Settings saved{30, 400, 1, QString::fromUtf8("/home/anna/Meine Jubiläen.txt"), 0};
    SaveSettings(saved);
    EXPECT_EQ(LoadSettings("/x"), saved);
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/Startday").toInt(), 30);
    EXPECT_EQ(stored.value("Settings/Stopday").toInt(), 400);
    EXPECT_EQ(stored.value("Settings/OEM").toInt(), 1);
    EXPECT_EQ(stored.value("Settings/auto").toInt(), 0);
}

TEST_F(SettingsTest, EmptyStoredPathStaysEmpty)
{
    StoreSetting("FilePath", "");
    EXPECT_EQ(LoadSettings("/programm/Festmark.txt").filePath, "");
}

struct ClampCase {
    const char *name;
    QVariant startDay, stopDay, oem;
    int expectedStart, expectedStop, expectedOem;
};

class SettingsClampTest : public SettingsTest, public testing::WithParamInterface<ClampCase> {};

TEST_P(SettingsClampTest, BringsStoredValuesIntoTheOptionsRanges)
{
    const ClampCase &c = GetParam();
    StoreSetting("Startday", c.startDay);
    StoreSetting("Stopday", c.stopDay);
    StoreSetting("OEM", c.oem);
    const Settings settings = LoadSettings("/x/Festmark.txt");
    EXPECT_EQ(settings.startDays, c.expectedStart);
    EXPECT_EQ(settings.stopDays, c.expectedStop);
    EXPECT_EQ(settings.oemFile, c.expectedOem);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsClampTest,
                         testing::Values(ClampCase{"Negative", -5, -1, 0, 0, 0, 0},
                                         ClampCase{"Huge", 99999, 2000000000, 1, 3652, 13149, 1},
                                         ClampCase{"Limits", 3652, 13149, 0, 3652, 13149, 0},
                                         ClampCase{"OemFiveIsKept", 2, 7, 5, 2, 7, 5},
                                         ClampCase{"HandEditedText", "zwei", "sieben", "ja", 2, 7,
                                                   0}),
                         [](const auto &info) { return info.param.name; });

TEST(DefaultFilePathTest, BesideTheProgramOrInTheHomeFolder)
{
    EXPECT_EQ(DefaultFilePath(QCoreApplication::applicationFilePath()),
              QCoreApplication::applicationDirPath() + "/Festmark.txt");
    EXPECT_EQ(DefaultFilePath("/gibt/es/nicht/festmark"), QDir::homePath() + "/Festmark.txt");
}

} // namespace
