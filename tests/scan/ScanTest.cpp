// The window scan: the days it walks, the rows it finds, their order, and the reports.
#include "Scan.h"
#include "DateListReader.h"
#include "Jubilee.h"
#include "TestDates.h"

#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;

struct Recorder : ScanSink {
    explicit Recorder(DateList entries)
        : list(std::move(entries))
    {
    }

    void DayStarted(sys_days day) override { days.push_back(DateText(day)); }
    void RowsFound(std::span<const ScanHit> hits) override
    {
        for (const ScanHit &hit : hits) {
            std::string line = DateText(sys_days{std::chrono::days{hit.day}}) + " " +
                               (hit.today ? "H" : "-") + (hit.jubilee.IsYear() ? "J" : "-") + " ";
            AppendRowMessage(line, list, hit);
            rows.push_back(line);
        }
    }

    const std::vector<std::string> &Lines() const { return rows; }

    DateList list;
    std::vector<std::string> days;
    std::vector<std::string> rows;
};

Recorder Scan(const std::string &file, year_month_day today, int back, int ahead)
{
    Recorder recorder(ParseDateList(QByteArrayView(file.data(), file.size()), CodePage::Ansi));
    RunWindowScan(MakeScanWindow(today, back, ahead), recorder.list, recorder);
    return recorder;
}

constexpr year_month_day k14March2026 = 2026y / March / 14;

TEST(ScanWindowTest, DefaultWindowIsTenDaysWithTodayThird)
{
    const Recorder r = Scan("", k14March2026, 2, 7);
    ASSERT_EQ(r.days.size(), 10u);
    EXPECT_EQ(r.days.front(), "12.03.2026");
    EXPECT_EQ(r.days[2], "14.03.2026");
    EXPECT_EQ(r.days.back(), "21.03.2026");
    EXPECT_EQ(RangeCaption(MakeScanWindow(k14March2026, 2, 7)),
              "Jubiläen vom 12.03.2026 bis zum 21.03.2026");
}

TEST(ScanWindowTest, ZeroDaysScanOnlyToday)
{
    const Recorder r = Scan("", k14March2026, 0, 0);
    EXPECT_EQ(r.days, std::vector<std::string>{"14.03.2026"});
}

TEST(ScanWindowTest, WindowEndingBeforeItsStartScansNoDay)
{
    const ScanWindow window = MakeScanWindow(k14March2026, -5, 2);
    EXPECT_EQ(window.DayCount(), 0);
    EXPECT_TRUE(Scan("", k14March2026, -5, 2).days.empty());
}

TEST(ScanWindowTest, WalksEveryCalendarDayOnceAcrossClockChangesAndLeapDays)
{
    // Europe's clocks change on 29.03. and 25.10.2026; neither costs or doubles a day.
    const Recorder r = Scan("", 2026y / June / 1, 1000, 1000);
    ASSERT_EQ(r.days.size(), 2001u);
    for (std::size_t i = 1; i < r.days.size(); ++i) {
        const sys_days day = MakeScanWindow(2026y / June / 1, 1000, 1000).first + days{i};
        ASSERT_EQ(r.days[i], DateText(day));
    }
    EXPECT_NE(std::find(r.days.begin(), r.days.end(), "29.02.2028"), r.days.end());
    EXPECT_NE(std::find(r.days.begin(), r.days.end(), "29.03.2026"), r.days.end());
    EXPECT_NE(std::find(r.days.begin(), r.days.end(), "25.10.2026"), r.days.end());
}

TEST(DateTextTest, TwoDigitsForDayAndMonthFourForTheYearAsTheFormatterWritesThem)
{
    const std::pair<year_month_day, const char *> cases[] = {
        {2026y / March / 14, "14.03.2026"},         {1y / January / 1, "01.01.0001"},
        {0y / December / 31, "31.12.0000"},         {9999y / December / 31, "31.12.9999"},
        {year{10000} / January / 2, "02.01.10000"}, {year{-5} / February / 3, "03.02.-0005"},
        {year{-999} / October / 9, "09.10.-0999"}};
    for (const auto &[date, text] : cases)
        EXPECT_EQ(DateText(sys_days{date}), text);
}

TEST(ScanWindowTest, LongestWindowEndsWhereTheSettingsSay)
{
    EXPECT_EQ(RangeCaption(MakeScanWindow(k14March2026, 3652, 13149)),
              "Jubiläen vom 14.03.2016 bis zum 14.03.2062");
    EXPECT_EQ(MakeScanWindow(k14March2026, 3652, 13149).DayCount(), 16802);
}

TEST(ScanRowsTest, AnnasFiftiethIsTodaysYearJubilee)
{
    const Recorder r = Scan("14.03.1976 Anna wird # alt\n", k14March2026, 2, 7);
    EXPECT_EQ(r.Lines(), std::vector<std::string>{"14.03.2026 HJ Anna wird 50 Jahre alt!"});
}

TEST(ScanRowsTest, ComingEventsCountNegative)
{
    const Recorder r = Scan("24.12.2026 Noch # bis Heiligabend\n", 2026y / December / 14, 0, 0);
    EXPECT_EQ(r.Lines(), std::vector<std::string>{"14.12.2026 H- Noch -10 Tage bis Heiligabend!"});
}

TEST(ScanRowsTest, RowsGoByDayThenByLineOfTheFile)
{
    const Recorder r = Scan("15.03.2025 Zweiter # \n"
                            "13.03.1976 Erster # \n"
                            "14.03.2000 Dritter # \n",
                            k14March2026, 1, 1);
    EXPECT_EQ(r.Lines(), (std::vector<std::string>{"13.03.2026 -J Erster 50 Jahre !",
                                                   "14.03.2026 HJ Dritter 26 Jahre !",
                                                   "15.03.2026 -J Zweiter 1 Jahr !"}));
}

TEST(ScanRowsTest, EntryDatedOnTheScannedDayGivesNoRow)
{
    EXPECT_TRUE(Scan("14.03.2026 Heute #\n", k14March2026, 0, 0).rows.empty());
}

TEST(ScanRowsTest, YearJubileeTakesPrecedenceOverOtherUnits)
{
    // 14.03.2025 to 14.03.2026: 12 months and 365 days, reported as one year.
    const Recorder r = Scan("14.03.2025 X #\n", k14March2026, 0, 0);
    EXPECT_EQ(r.Lines(), std::vector<std::string>{"14.03.2026 HJ X 1 Jahr!"});
}

// The scan must find exactly the rows the chain finds over every pair of day and entry.
TEST(ScanRowsTest, ADayWithoutYearComesBackEveryYearWithoutACount)
{
    // From an address book; a leap day without a year shows only where the day exists.
    const std::string cards = "BEGIN:VCARD\nFN:Anna\nBDAY:--0314\nEND:VCARD\n"
                              "BEGIN:VCARD\nFN:Leo\nBDAY:--0229\nEND:VCARD\n";
    EXPECT_EQ(Scan(cards, k14March2026, 800, 400).Lines(),
              (std::vector<std::string>{
                  "29.02.2024 -J Leo hat Geburtstag!", "14.03.2024 -J Anna hat Geburtstag!",
                  "14.03.2025 -J Anna hat Geburtstag!", "14.03.2026 HJ Anna hat Geburtstag!",
                  "14.03.2027 -J Anna hat Geburtstag!"}));
}

TEST(ScanPropertyTest, FindsExactlyWhatTheChainFindsOverEveryPair)
{
    std::mt19937 random(314159);
    std::uniform_int_distribution<int> anyDay(-200000, 40000);
    std::uniform_int_distribution<int> nearDay(18000, 24000);
    DateList entries;
    const auto addEntry = [&](sys_days serial) {
        const year_month_day date{serial};
        // Built piece by piece: "E" + std::string trips GCC 12's -Wrestrict at -O3.
        std::string name = std::to_string(entries.size());
        name.insert(0, 1, 'E');
        name += ' ';
        entries.Add(date, name, "");
    };
    for (int i = 0; i < 150; ++i)
        addEntry(sys_days{days{anyDay(random)}});
    for (int i = 0; i < 150; ++i)
        addEntry(sys_days{days{nearDay(random)}});
    addEntry(sys_days{2024y / February / 29});
    addEntry(sys_days{2026y / January / 31});
    addEntry(sys_days{2026y / January / 31}); // the same date twice

    struct Window {
        year_month_day today;
        int back, ahead;
    };
    for (const Window w :
         {Window{2026y / March / 14, 2, 7}, Window{2026y / January / 1, 400, 400},
          Window{2020y / July / 9, 0, 0}, Window{2026y / March / 14, 3652, 13149}}) {
        const ScanWindow window = MakeScanWindow(w.today, w.back, w.ahead);
        Recorder recorder(entries);
        RunWindowScan(window, recorder.list, recorder);

        std::vector<std::string> expected;
        for (sys_days d = window.first; d <= window.last; d += days{1}) {
            const tm day = TmOf(d);
            for (std::size_t e = 0; e < entries.size(); ++e) {
                const ChainRow hit = Chain(day, TmOf(entries.Day(e).serial), entries.NameText(e),
                                           entries.SuffixText(e));
                if (hit)
                    expected.push_back(DateText(d) + " " + (d == window.today ? "H" : "-") +
                                       (hit.yearJubilee ? "J" : "-") + " " + hit.message);
            }
        }
        ASSERT_EQ(recorder.Lines(), expected) << w.back << " " << w.ahead;
    }
}

TEST(BadLineReportTest, OneLineNamesFileLineReasonAndText)
{
    EXPECT_EQ(BadLineReport("/home/a/Festmark.txt", {3, "kein Datum", "kein gültiges Datum"}),
              "Fehler in Datei /home/a/Festmark.txt, Zeile 3 (kein gültiges Datum): kein Datum");
    EXPECT_EQ(BadLineReport("F.txt", {5, "", "leere Zeile"}),
              "Fehler in Datei F.txt, Zeile 5 (leere Zeile)");
    EXPECT_EQ(OpenFailureMessage("/x y/Jubiläen.txt", OpenError::NoPermission),
              "Fehler beim Öffnen von /x y/Jubiläen.txt: keine Berechtigung zum Lesen");
}

DateList WithBadLines(const std::vector<BadLine> &bad)
{
    DateList list;
    for (const BadLine &line : bad)
        list.AddBadLine(line.lineNumber, line.text, line.reason);
    return list;
}

std::string MessageOf(const std::string &path, const DateList &list)
{
    return BadLinesMessage(path, list.BadLines(), list.BadLineCount());
}

TEST(BadLineReportTest, MessageListsTheFirstTenAndCountsTheRest)
{
    std::vector<BadLine> bad;
    for (int i = 1; i <= 15; ++i)
        bad.push_back({i * 2, "Zeile" + std::to_string(i), {}});
    const std::string message = MessageOf("F.txt", WithBadLines(bad));
    EXPECT_EQ(message.rfind("Fehler in Datei F.txt:", 0), 0u);
    EXPECT_NE(message.find("\nZeile 2: Zeile1"), std::string::npos);
    EXPECT_NE(message.find("\nZeile 20: Zeile10"), std::string::npos);
    EXPECT_EQ(message.find("Zeile11"), std::string::npos);
    EXPECT_NE(message.find("und 5 weitere fehlerhafte Zeilen."), std::string::npos);

    bad.resize(11);
    EXPECT_NE(MessageOf("F.txt", WithBadLines(bad)).find("und 1 weitere fehlerhafte Zeile."),
              std::string::npos);
    bad.resize(1);
    EXPECT_EQ(MessageOf("F.txt", WithBadLines(bad)), "Fehler in Datei F.txt:\nZeile 2: Zeile1");
}

TEST(BadLineReportTest, MessageShortensHugeLinesWithoutSplittingCharacters)
{
    const std::string text = std::string(79, 'x') + "äöü";
    const std::string message = MessageOf("F", WithBadLines({{1, text, {}}}));
    EXPECT_EQ(message, "Fehler in Datei F:\nZeile 1: " + std::string(79, 'x') + "ä…");
}

} // namespace
