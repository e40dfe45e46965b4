// The terminal's options read into a command, or refused with the reason the user reads.
#include "CommandLine.h"

#include <QFile>

#include <gtest/gtest.h>

#include <variant>

namespace {

using namespace std::chrono;
using Command = CommandLine::Command;

struct ParseCase {
    const char *name;
    QStringList arguments;                            // after the program's name
    std::variant<CommandLine, const char *> expected; // the command, or words of the complaint
};

class CommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(CommandLineTest, ReadsTheArgumentsIntoOneCommandOrOneComplaint)
{
    const QStringList arguments = QStringList{"festmark"} + GetParam().arguments;
    QByteArrayList raw;
    for (const QString &argument : arguments)
        raw.append(QFile::encodeName(argument));
    const auto parsed = ParseCommandLine(arguments, raw);
    if (const auto *command = std::get_if<CommandLine>(&GetParam().expected)) {
        ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed))
            << std::get<UsageError>(parsed).text;
        EXPECT_TRUE(std::get<CommandLine>(parsed) == *command);
    } else {
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
        const std::string &text = std::get<UsageError>(parsed).text;
        EXPECT_NE(text.find(std::get<const char *>(GetParam().expected)), std::string::npos)
            << text;
    }
}

const CommandLine kList{};

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    testing::Values(
        ParseCase{"ListAlone", {"--list"}, kList},
        ParseCase{"CalendarIntoAFile",
                  {"--ics", "--output=j.ics", "--back", "0", "--ahead", "13149"},
                  CommandLine{.command = Command::Calendar,
                              .outputPath = "j.ics",
                              .startDays = 0,
                              .stopDays = 13149}},
        ParseCase{"GermanDateAndOem",
                  {"--list", "--date", "4.3.2026", "--oem", "--file", "a b.txt"},
                  CommandLine{.filesNamed = {"a b.txt"},
                              .filesOpened = {"a b.txt"},
                              .today = 2026y / March / 4,
                              .codePage = CodePage::Oem}},
        ParseCase{"EveryFileInItsOrder",
                  {"--list", "--file", "liste.txt", "--file=kontakte.vcf", "--file", "b.txt"},
                  CommandLine{.filesNamed = {"liste.txt", "kontakte.vcf", "b.txt"},
                              .filesOpened = {"liste.txt", "kontakte.vcf", "b.txt"}}},
        ParseCase{"IsoDateAndAnsi",
                  {"--list", "--date", "2026-12-24", "--ansi"},
                  CommandLine{.today = 2026y / December / 24, .codePage = CodePage::Ansi}},
        ParseCase{"LeapDayOnMarch1",
                  {"--list", "--leap-day", "01.03"},
                  CommandLine{.leapDay = LeapDay::March1}},
        ParseCase{"LeapDayNotOfTheThree",
                  {"--list", "--leap-day", "30.02"},
                  "--leap-day: erlaubt sind 29.02, 28.02 und 01.03, nicht 30.02"},
        ParseCase{"HelpBeforeAnythingElse",
                  {"--list", "-h", "extra"},
                  CommandLine{.command = Command::Help}},
        ParseCase{"Version", {"-v"}, CommandLine{.command = Command::Version}},
        ParseCase{"NotifyWithItsOwnFile",
                  {"--notify", "--file", "liste.txt", "--ahead", "3"},
                  CommandLine{.command = Command::Notify,
                              .filesNamed = {"liste.txt"},
                              .filesOpened = {"liste.txt"},
                              .stopDays = 3}},
        ParseCase{"NoCommand", {"--back", "1"}, "gelten nur mit --list, --ics oder --notify"},
        ParseCase{"ListAndCalendar",
                  {"--list", "--ics"},
                  "--list, --ics und --notify schließen einander aus"},
        ParseCase{"NotifyAndList",
                  {"--notify", "--list"},
                  "--list, --ics und --notify schließen einander aus"},
        ParseCase{
            "AlarmWithoutCalendar", {"--notify", "--alarm", "1"}, "--alarm gilt nur mit --ics"},
        ParseCase{
            "OutputWithoutCalendar", {"--list", "--output", "x"}, "--output gilt nur mit --ics"},
        ParseCase{"BothCodePages",
                  {"--list", "--oem", "--ansi"},
                  "--oem und --ansi schließen einander aus"},
        ParseCase{"UnknownOption", {"--list", "--colour"}, "colour"},
        ParseCase{"MissingValue", {"--list", "--ahead"}, "ahead"},
        ParseCase{"PositionalArgument", {"--list", "extra"}, "unbekanntes Argument: extra"},
        ParseCase{"BackNotANumber", {"--list", "--back", "zwei"}, "--back: keine ganze Zahl: zwei"},
        ParseCase{"BackNegative",
                  {"--list", "--back", "-1"},
                  "--back: erlaubt sind 0 bis 3652, nicht -1"},
        ParseCase{"AheadTooLarge",
                  {"--list", "--ahead", "13150"},
                  "--ahead: erlaubt sind 0 bis 13149, nicht 13150"},
        ParseCase{"DateDoesNotExist",
                  {"--list", "--date", "31.02.2026"},
                  "--date: kein gültiges Datum (TT.MM.JJJJ oder JJJJ-MM-TT): 31.02.2026"},
        ParseCase{"DateNotADate", {"--list", "--date", "morgen"}, "--date: kein gültiges Datum"},
        ParseCase{
            "ControlCharactersNotEchoed", {"--list", "--date", "\x1b[2J"}, "\xEF\xBF\xBD[2J"}),
    [](const auto &info) { return info.param.name; });

} // namespace
