// The iCalendar file: line folding, text escaping, and UIDs that survive edits of the list.
#include "ICalendar.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace std::chrono;

std::vector<std::string> PhysicalLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find("\r\n"); end != std::string::npos;
         start = end + 2, end = text.find("\r\n", start))
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

TEST(ICalendarTest, FoldsAfter75OctetsWithoutSplittingACharacter)
{
    std::string line = "SUMMARY:";
    for (int i = 0; i < 40; ++i)
        line += "Jubiläum für Jörg und Björn! ";
    std::string out;
    AppendContentLine(out, line);
    std::string unfolded;
    for (const std::string &physical : PhysicalLines(out)) {
        EXPECT_LE(physical.size(), 75u);
        QStringDecoder utf8(QStringConverter::Utf8);
        utf8.decode(QByteArrayView(physical.data(), static_cast<qsizetype>(physical.size())));
        EXPECT_FALSE(utf8.hasError()) << physical;                    // no character cut in two
        unfolded += unfolded.empty() ? physical : physical.substr(1); // a blank begins each fold
    }
    EXPECT_EQ(unfolded, line);
}

TEST(ICalendarTest, EscapesWhatTextValuesReserve)
{
    EXPECT_EQ(EscapedText("Meier, Schulz; Söhne \\ Co\nKG"),
              "Meier\\, Schulz\\; Söhne \\\\ Co\\nKG");
}

std::vector<std::string> Uids(const DateList &list, const std::vector<ScanHit> &rows)
{
    ICalendarWriter writer(list, sys_seconds{});
    std::string text;
    for (const ScanHit &row : rows)
        writer.Add(text, row);
    std::vector<std::string> uids;
    for (const std::string &line : PhysicalLines(text)) {
        if (line.rfind("UID:", 0) == 0)
            uids.push_back(line.substr(4));
    }
    return uids;
}

TEST(ICalendarTest, AnEventKeepsItsUidWhenLinesAreAddedAndCopiesGetTheirOwn)
{
    DateList before;
    before.Add(1976y / 3 / 14, "Anna wird ", " alt");
    DateList after;
    after.Add(2000y / 1 / 1, "Neu ", "");
    after.Add(1976y / 3 / 14, "Anna wird ", " alt");
    after.Add(1976y / 3 / 14, "Anna wird ", " alt"); // the same line twice
    const int day = static_cast<int>(sys_days{2026y / March / 14}.time_since_epoch().count());
    const JubileeCount fifty{50, JubileeKind::Year};
    const std::vector<std::string> old = Uids(before, {{day, 0, fifty, true}});
    const std::vector<std::string> now = Uids(
        after,
        {{day, 1, fifty, true}, {day, 2, fifty, true}, {day + 1, 1, {1, JubileeKind::Day}, false}});
    ASSERT_EQ(now.size(), 3u);
    EXPECT_EQ(now[0], old.at(0));
    EXPECT_NE(now[1], now[0]);
    EXPECT_NE(now[2], now[0]);
    EXPECT_EQ(now[0].find("-20260314-J@festmark"), 16u);
}

} // namespace
