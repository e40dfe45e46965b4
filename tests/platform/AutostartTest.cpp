// The login entry: written with the program's path, quoted as desktop entries need, removed.
#include "Autostart.h"
#include "TestSettings.h"

#include <gtest/gtest.h>

namespace {

QString Entry()
{
    QFile file(AutostartEntryPath());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

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
}

TEST(AutostartTest, ExecQuotesWhatTheDesktopEntryFormatReserves)
{
    WriteAutostartEntry(true, "/opt/a b/$x`y\"z\\w%/festmark");
    EXPECT_TRUE(Entry().contains("Exec=\"/opt/a b/\\\\$x\\\\`y\\\\\"z\\\\\\\\w%%/festmark\"\n"))
        << Entry().toStdString();
}

} // namespace
