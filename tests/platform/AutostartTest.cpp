// The login entry: written with the program's path, quoted as desktop entries need, removed.
#include "Autostart.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

QString Entry()
{
    return LoginEntry();
}

#ifdef _WIN32
TEST(AutostartTest, WritesRewritesAndRemovesTheQuotedRunValue)
{
    ForgetSettings();
    ASSERT_TRUE(WriteAutostartEntry(true, "C:/Program Files/Festmark/festmark.exe"));
    EXPECT_EQ(Entry(), "\"C:\\Program Files\\Festmark\\festmark.exe\"");
    ASSERT_TRUE(WriteAutostartEntry(true, "D:/Neu/festmark.exe")); // a moved program
    EXPECT_EQ(Entry(), "\"D:\\Neu\\festmark.exe\"");
    ASSERT_TRUE(WriteAutostartEntry(false, "D:/Neu/festmark.exe"));
    EXPECT_EQ(Entry(), "");
    EXPECT_TRUE(WriteAutostartEntry(false, "D:/Neu/festmark.exe")); // none to remove
    ASSERT_TRUE(WriteAutostartEntry(true, "D:/Neu/festmark.exe", nullptr, true));
    EXPECT_EQ(Entry(), "\"D:\\Neu\\festmark.exe\" --notify");
}
#else
TEST(AutostartTest, WritesRewritesAndRemovesTheEntry)
{
    ForgetSettings();
    WriteAutostartEntry(true, "/alter Ort/festmark");
    EXPECT_EQ(Entry(), "[Desktop Entry]\nType=Application\nName=Festmark\n"
                       "TryExec=/alter Ort/festmark\nExec=\"/alter Ort/festmark\"\n");
    WriteAutostartEntry(true, "/neuer Ort/festmark"); // a moved program
    EXPECT_TRUE(Entry().contains("Exec=\"/neuer Ort/festmark\"\n"));
    WriteAutostartEntry(false, "/neuer Ort/festmark");
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    WriteAutostartEntry(false, "/neuer Ort/festmark"); // no entry to remove: no error
    EXPECT_FALSE(QFile::exists(AutostartEntryPath()));
    WriteAutostartEntry(true, "/neuer Ort/festmark", nullptr, true); // only the note at login
    EXPECT_TRUE(Entry().contains("Exec=\"/neuer Ort/festmark\" --notify\n"));
}

TEST(AutostartTest, ExecQuotesWhatTheDesktopEntryFormatReserves)
{
    WriteAutostartEntry(true, "/opt/a b/$x`y\"z\\w%/festmark");
    EXPECT_TRUE(Entry().contains("Exec=\"/opt/a b/\\\\$x\\\\`y\\\\\"z\\\\\\\\w%%/festmark\"\n"))
        << Entry().toStdString();
}

TEST(AutostartTest, ALineBreakInThePathCannotAddLinesToTheEntry)
{
    const QString path = "/opt/a\nExec=sh -c 'rm -rf ~'\tb\rc/festmark";
    ASSERT_TRUE(WriteAutostartEntry(true, path));
    const QStringList lines = Entry().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << Entry().toStdString();
    EXPECT_EQ(UnescapedDesktopValue(lines[3].mid(QString("TryExec=").size())), path);
    QString exec = UnescapedDesktopValue(lines[4].mid(QString("Exec=").size()));
    EXPECT_EQ(exec.mid(1, exec.size() - 2), path); // within its quotes, nothing to escape
}

TEST(AutostartTest, APathThatIsNoUtf8GetsNoEntry)
{
    ASSERT_TRUE(WriteAutostartEntry(true, "/alter Ort/festmark"));
    QString problem;
    EXPECT_FALSE(
        WriteAutostartEntry(true, QString::fromUtf8("/opt/j\xef\xbf\xbdrg/festmark"), &problem));
    EXPECT_TRUE(problem.contains("UTF-8")) << problem.toStdString();
    EXPECT_TRUE(Entry().contains("Exec=\"/alter Ort/festmark\"")); // the old one stays
}

TEST(AutostartTest, AFullDiskKeepsTheOldEntry)
{
    SmallConfigDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small tmpfs needs root (CI runs the tests as root)";
    ASSERT_TRUE(WriteAutostartEntry(true, "/alter Ort/festmark"));
    const QString before = Entry();
    disk.LeaveFree(0);
    EXPECT_FALSE(WriteAutostartEntry(true, "/neuer Ort/festmark"));
    EXPECT_EQ(Entry(), before);
}
#endif

} // namespace
