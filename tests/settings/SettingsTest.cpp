// Stored settings: defaults, the round trip, values brought into range, the default path.
#include "Settings.h"
#include "Autostart.h"
#include "SettingsStore.h"
#include "SettingsValues.h"
#include "TestSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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
    EXPECT_EQ(settings.codePage, CodePage::Ansi);
    EXPECT_TRUE(settings.autoStart);
    EXPECT_TRUE(settings.sources.isEmpty());
    EXPECT_FALSE(SettingsStored());
}

TEST_F(SettingsTest, ValuesRoundTripUnderTheirOwnNames)
{
    Settings saved = MakeSettings(30, 400, CodePage::Oem,
                                  QString::fromUtf8("/home/anna/Meine Jubiläen.txt"), false);
    saved.notifyOnly = true;
    SaveSettings(saved);
    EXPECT_EQ(LoadSettings("/x"), saved);
    EXPECT_EQ(StoredValue("Startday").toInt(), 30);
    EXPECT_EQ(StoredValue("Stopday").toInt(), 400);
    EXPECT_EQ(StoredValue("OEM").toInt(), 1);
    EXPECT_EQ(StoredValue("auto").toInt(), 0);
    EXPECT_EQ(StoredValue("Notify").toInt(), 1);
}

TEST_F(SettingsTest, FurtherSourcesRoundTripInTheirOrder)
{
    // Quotes, commas, an "@" and umlauts as paths may hold them; one source and none alike.
    for (const QStringList &sources :
         {QStringList{QString::fromUtf8("/home/anna/Verein, Jubiläen.txt"), "@kontakte.vcf",
                      "C:\\Daten\\\"alt\".txt"},
          QStringList{"/nur/eine.vcf"}, QStringList{}}) {
        Settings saved = MakeSettings(2, 7, CodePage::Ansi, "/liste.txt", true);
        saved.sources = sources;
        ASSERT_TRUE(SaveSettings(saved));
        EXPECT_EQ(LoadSettings("/x"), saved);
        EXPECT_EQ(StoredValue("Sources").toStringList(), sources);
        EXPECT_EQ(SourcesOf(saved), QStringList{"/liste.txt"} + sources);
    }
}

TEST_F(SettingsTest, LeapDayIsOneOfThreeDaysElseTheDefault)
{
    for (const auto &[stored, expected] :
         std::vector<std::pair<QString, LeapDay>>{{"28.02", LeapDay::February28},
                                                  {" 01.03 ", LeapDay::March1},
                                                  {"29.02", LeapDay::OnlyInLeapYears},
                                                  {"30.02", LeapDay::OnlyInLeapYears}}) {
        StoreSetting("LeapDay", stored);
        EXPECT_EQ(LoadSettings("/x").leapDay, expected) << stored.toStdString();
    }
    Settings saved = LoadSettings("/x");
    saved.leapDay = LeapDay::March1;
    ASSERT_TRUE(SaveSettings(saved));
    EXPECT_EQ(StoredValue("LeapDay").toString(), "01.03");
}

TEST_F(SettingsTest, EmptyStoredPathStaysEmpty)
{
    StoreSetting("FilePath", "");
    EXPECT_EQ(LoadSettings("/programm/Festmark.txt").filePath, "");
}

struct ClampCase {
    const char *name;
    QVariant startDay, stopDay, oem; // as a hand-edited file holds them
    int expectedStart, expectedStop;
    CodePage expectedCodePage;
    bool expectedChosen;
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
    EXPECT_EQ(settings.codePage, c.expectedCodePage);
    EXPECT_EQ(settings.codePageChosen, c.expectedChosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsClampTest,
    testing::Values(ClampCase{"Negative", -5, -1, 0, 0, 0, CodePage::Ansi, true},
                    ClampCase{"Huge", 99999, 2000000000, 1, 3652, 13149, CodePage::Oem, true},
                    ClampCase{"Limits", 3652, 13149, 0, 3652, 13149, CodePage::Ansi, true},
                    // Any value but 0 reads as OEM; the options then check neither.
                    ClampCase{"OemFiveReadsAsOem", 2, 7, 5, 2, 7, CodePage::Oem, false},
                    ClampCase{"OemMinusOneReadsAsOem", 2, 7, -1, 2, 7, CodePage::Oem, false},
                    ClampCase{"HandEditedText", "zwei", "sieben", "ja", 2, 7, CodePage::Ansi,
                              true}),
    [](const auto &info) { return info.param.name; });

#ifndef _WIN32
QByteArray Stored()
{
    QFile file(SettingsFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(SettingsTest, AFullDiskKeepsTheOldSettingsWhole)
{
    SmallConfigDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small tmpfs needs root (CI runs the tests as root)";
    const Settings old = MakeSettings(3, 9, CodePage::Ansi, "/daten/Festmark.txt", false);
    ASSERT_TRUE(SaveSettings(old));
    const QByteArray before = Stored();
    for (const int free : {4, 0}) {
        disk.LeaveFree(free);
        QString problem;
        EXPECT_FALSE(
            SaveSettings(MakeSettings(5, 11, CodePage::Oem, QString(5000, 'p'), true), &problem))
            << free;
        EXPECT_TRUE(problem.startsWith(QString::fromUtf8("Die Einstellungen ließen sich nicht")));
        EXPECT_EQ(Stored(), before) << free << " KiB free";
        EXPECT_EQ(LoadSettings("/x"), old);
    }
}

TEST_F(SettingsTest, ProgramsEndingTogetherLeaveOneProgramsWholeSettings)
{
    // Six programs save their own five values forty times each, all at once.
    std::vector<pid_t> children;
    for (int program = 1; program <= 6; ++program) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0; i < 40; ++i)
                SaveSettings(MakeSettings(program, program,
                                          program % 2 ? CodePage::Oem : CodePage::Ansi,
                                          "/liste/" + QString::number(program), program % 2 != 0));
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);
    const Settings stored = LoadSettings("/x");
    EXPECT_EQ(stored.stopDays, stored.startDays);
    EXPECT_EQ(stored.codePage, stored.startDays % 2 ? CodePage::Oem : CodePage::Ansi);
    EXPECT_EQ(stored.autoStart, stored.startDays % 2 != 0);
    EXPECT_EQ(stored.filePath, "/liste/" + QString::number(stored.startDays));
}

TEST_F(SettingsTest, SettingsThatAreNoFileAreNeitherReadNorWritten)
{
    QDir().mkpath(ConfigHome() + "/Orvanta");
    ASSERT_EQ(mkfifo(QFile::encodeName(SettingsFile()).constData(), 0600), 0);
    QString problem;
    EXPECT_EQ(LoadSettings("/x"), DefaultSettings("/x")); // and no hang on the pipe
    LoadSettings("/x", &problem);
    EXPECT_TRUE(problem.contains(QString::fromUtf8("keine gewöhnliche Datei")))
        << problem.toStdString();
    EXPECT_FALSE(SaveSettings(DefaultSettings("/x")));
    EXPECT_FALSE(QFileInfo(SettingsFile()).isFile()); // still the pipe
}
#endif

#ifndef _WIN32
// XDG_CONFIG_HOME and HOME as given for one test, and as they were afterwards.
class Environment {
public:
    Environment(const char *xdg, const char *home)
        : m_xdg(qgetenv("XDG_CONFIG_HOME"))
        , m_home(qgetenv("HOME"))
    {
        Set("XDG_CONFIG_HOME", xdg);
        Set("HOME", home);
    }
    ~Environment()
    {
        qputenv("XDG_CONFIG_HOME", m_xdg);
        qputenv("HOME", m_home);
    }

private:
    static void Set(const char *name, const char *value)
    {
        if (value == nullptr)
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray m_xdg, m_home;
};

struct FolderCase {
    const char *name;
    const char *xdg, *home; // null: unset
    const char *folder;     // empty: none
};

class ConfigFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(ConfigFolderTest, IsAnAbsoluteXdgFolderOrTheHomesOrNone)
{
    const FolderCase &c = GetParam();
    const Environment environment(c.xdg, c.home);
    EXPECT_EQ(ConfigFolder(), QString::fromUtf8(c.folder));
    EXPECT_EQ(HasConfigFolder(), *c.folder != '\0');
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigFolderTest,
                         testing::Values(FolderCase{"Xdg", "/x/cfg", "/home/a", "/x/cfg"},
                                         FolderCase{"RelativeXdgIsIgnored", "rel/cfg", "/home/a",
                                                    "/home/a/.config"},
                                         FolderCase{"EmptyXdg", "", "/home/a", "/home/a/.config"},
                                         FolderCase{"NoHome", nullptr, nullptr, ""},
                                         FolderCase{"RelativeXdgAndNoHome", "rel", nullptr, ""},
                                         FolderCase{"RelativeHome", nullptr, "home/a", ""}),
                         [](const auto &info) { return info.param.name; });

TEST(ConfigFolderTest, WithoutAHomeNothingIsWrittenAndTheProgramSaysSo)
{
    const Environment environment(nullptr, nullptr);
    QString problem;
    EXPECT_EQ(LoadSettings("/x", &problem).filePath, "/x");
    EXPECT_EQ(problem, NoConfigFolderMessage());
    EXPECT_FALSE(SaveSettings(DefaultSettings("/x"), &problem));
    EXPECT_EQ(problem, NoConfigFolderMessage());
    EXPECT_FALSE(WriteAutostartEntry(true, "/usr/bin/festmark", &problem));
    EXPECT_FALSE(QFile::exists("/.config/Orvanta/Festmark.conf"));
    EXPECT_FALSE(QFile::exists("/.config/autostart/Festmark.desktop"));
}
#endif

TEST(DefaultFilePathTest, BesideTheProgramOrInTheHomeFolder)
{
    EXPECT_EQ(DefaultFilePath(QCoreApplication::applicationFilePath()),
              QCoreApplication::applicationDirPath() + "/Festmark.txt");
    EXPECT_EQ(DefaultFilePath("/gibt/es/nicht/festmark"), QDir::homePath() + "/Festmark.txt");
}

} // namespace
