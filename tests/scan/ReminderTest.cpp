// What reminders are asked for: the dead remembered rightly, wedding anniversaries by name,
// and a 29 February's birthday in common years; each row as the list shows it on one day.
#include "DateListReader.h"
#include "Scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::chrono;

struct ReminderCase {
    const char *name;
    std::string content; // a date list or an address book
    LeapDay leapDay;
    year_month_day day;
    std::vector<std::string> rows; // that day's messages
};

class Messages : public ScanSink {
public:
    explicit Messages(const DateList &list)
        : m_list(list)
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            texts.emplace_back();
            AppendRowMessage(texts.back(), m_list, row);
        }
    }
    std::vector<std::string> texts;

private:
    const DateList &m_list;
};

class ReminderTest : public testing::TestWithParam<ReminderCase> {};

TEST_P(ReminderTest, TheDaysRowsReadAsAsked)
{
    const ReminderCase &c = GetParam();
    const DateList list = ParseDateList(
        QByteArrayView(c.content.data(), static_cast<qsizetype>(c.content.size())), CodePage::Ansi);
    ASSERT_EQ(list.BadLineCount(), 0u);
    Messages sink(list);
    RunWindowScan(MakeScanWindow(c.day, 0, 0), list, sink, c.leapDay);
    EXPECT_EQ(sink.texts, c.rows);
}

const std::string kKarl = "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Karl Muster\r\nBDAY:19260314\r\n"
                          "DEATHDATE:20160320\r\nEND:VCARD\r\n";

std::string Wedding(int year)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Meier\r\nX-ANNIVERSARY:" + std::to_string(year) +
           "-03-14\r\nEND:VCARD\r\n";
}

std::vector<ReminderCase> Cases()
{
    const auto only = LeapDay::OnlyInLeapYears;
    std::vector<ReminderCase> cases{
        {"BirthdayBeforeDeath",
         kKarl,
         only,
         2016y / March / 14,
         {"Karl Muster wird 90 Jahre alt!"}},
        {"DeathDayItselfHasNoCount", kKarl, only, 2016y / March / 20, {}},
        {"NoCountDownToTheDeathDay", kKarl, only, 2016y / March / 13, {}},
        {"BirthdayAfterDeath",
         kKarl,
         only,
         2026y / March / 14,
         {"Karl Muster wäre 100 Jahre alt geworden!"}},
        {"DeathDayYears", kKarl, only, 2026y / March / 20, {"Todestag Karl Muster: 10 Jahre!"}},
        {"DeathDayRoundDays",
         kKarl,
         only,
         sys_days{2016y / March / 20} + days{100},
         {"Todestag Karl Muster: 100 Tage!"}},
        {"BirthdayOnTheDeathDay",
         "BEGIN:VCARD\r\nFN:Ida\r\nBDAY:19200501\r\nDEATHDATE:20200501\r\nEND:VCARD\r\n",
         only,
         2020y / May / 1,
         {"Ida wird 100 Jahre alt!"}},
        {"WeddingYearsWithoutAName",
         Wedding(2024),
         only,
         2026y / March / 14,
         {"Meier: 2 Jahre verheiratet!"}},
        {"WeddingMonthsKeepTheirText",
         Wedding(2025),
         only,
         2026y / January / 14,
         {"Meier: 10 Monate verheiratet!"}},
        {"ADateListsOwnTextIsNeverChanged",
         "14.03.2001 Meier: # verheiratet\n",
         only,
         2026y / March / 14,
         {"Meier: 25 Jahre verheiratet!"}},
        {"LeapDayOnlyInLeapYears", "29.02.1980 Jörg wird # alt\n", only, 2027y / February / 28, {}},
        {"LeapDayOnFebruary28",
         "29.02.1980 Jörg wird # alt\n",
         LeapDay::February28,
         2027y / February / 28,
         {"Jörg wird 47 Jahre alt!"}},
        {"LeapDayOnMarch1",
         "29.02.1980 Jörg wird # alt\n",
         LeapDay::March1,
         2027y / March / 1,
         {"Jörg wird 47 Jahre alt!"}},
        {"LeapYearsKeepTheDay",
         "29.02.1980 Jörg wird # alt\n",
         LeapDay::March1,
         2028y / February / 29,
         {"Jörg wird 48 Jahre alt!"}},
        {"LeapYearsMoveNothing",
         "29.02.1980 Jörg wird # alt\n",
         LeapDay::February28,
         2028y / February / 28,
         {}},
        {"MonthCountsAreNotMoved",
         "29.02.1980 Jörg wird # alt\n",
         LeapDay::February28,
         1980y / June / 29,
         {"Jörg wird 4 Monate alt!"}},
        {"YearlessLeapDay",
         "BEGIN:VCARD\r\nFN:Lea\r\nBDAY:--0229\r\nEND:VCARD\r\n",
         LeapDay::March1,
         2027y / March / 1,
         {"Lea hat Geburtstag!"}},
    };
    const std::vector<std::pair<int, const char *>> names{
        {1, "Papierhochzeit"},    {5, "Hölzerne Hochzeit"},    {10, "Rosenhochzeit"},
        {15, "Kristallhochzeit"}, {20, "Porzellanhochzeit"},   {25, "Silberhochzeit"},
        {30, "Perlenhochzeit"},   {35, "Leinwandhochzeit"},    {40, "Rubinhochzeit"},
        {50, "Goldene Hochzeit"}, {60, "Diamantene Hochzeit"}, {65, "Eiserne Hochzeit"},
        {70, "Gnadenhochzeit"},   {75, "Kronjuwelenhochzeit"}};
    static std::vector<std::string> caseNames;
    caseNames.reserve(names.size());
    for (const auto &[years, name] : names) {
        caseNames.push_back("Wedding" + std::to_string(years));
        cases.push_back({caseNames.back().c_str(),
                         Wedding(2026 - years),
                         only,
                         2026y / March / 14,
                         {"Meier: " + std::to_string(years) + (years == 1 ? " Jahr" : " Jahre") +
                          " verheiratet – " + name + "!"}});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, ReminderTest, testing::ValuesIn(Cases()),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
