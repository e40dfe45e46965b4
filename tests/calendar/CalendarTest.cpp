// Day of the year, month and day distances, leap years.
#include "Calendar.h"
#include "TestDates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

static_assert(IsLeapYear(2000));
static_assert(IsLeapYear(2024));
static_assert(IsLeapYear(1976));
static_assert(!IsLeapYear(1900));
static_assert(!IsLeapYear(2100));
static_assert(!IsLeapYear(2025));
static_assert(IsLeapYear(0));
static_assert(IsLeapYear(-4));
static_assert(!IsLeapYear(-1));

namespace {

using namespace std::chrono;

struct DayOfYearCase {
    const char *name;
    int day, month, year;
    int expectedYday;
};

class DayOfYearTest : public testing::TestWithParam<DayOfYearCase> {};

TEST_P(DayOfYearTest, GivesDayCountedFromZero)
{
    const DayOfYearCase &c = GetParam();
    tm date{};
    date.tm_mday = c.day;
    date.tm_mon = c.month - 1;
    date.tm_year = c.year - 1900;
    date.tm_yday = 999;
    ComputeDayOfYear(date);
    EXPECT_EQ(date.tm_yday, c.expectedYday);
    EXPECT_EQ(date.tm_mday, c.day);
    EXPECT_EQ(date.tm_mon, c.month - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DayOfYearTest,
    testing::Values(DayOfYearCase{"FirstOfJanuary", 1, 1, 2026, 0},
                    DayOfYearCase{"AnnasBirthday", 14, 3, 1976, 73},
                    DayOfYearCase{"LastDayOfCommonYear", 31, 12, 2025, 364},
                    DayOfYearCase{"LastDayOfLeapYear", 31, 12, 2024, 365},
                    DayOfYearCase{"MarchFirst2024", 1, 3, 2024, 60},
                    DayOfYearCase{"MarchFirst1900NoLeapDay", 1, 3, 1900, 59},
                    DayOfYearCase{"MarchFirst2100NoLeapDay", 1, 3, 2100, 59},
                    DayOfYearCase{"MarchFirst2000LeapCentury", 1, 3, 2000, 60},
                    DayOfYearCase{"MarchFirst1901", 1, 3, 1901, 59},
                    DayOfYearCase{"LeapDay1980", 29, 2, 1980, 59},
                    DayOfYearCase{"ThirtyFirstFebruaryAsThirdMarch", 31, 2, 2025, 61},
                    DayOfYearCase{"DayZeroOfJanuary", 0, 1, 2025, -1},
                    DayOfYearCase{"NegativeMonthAsJanuary", 5, 0, 2025, 4},
                    DayOfYearCase{"ThirteenthMonthCountsNoMonthPastDecember", 1, 13, 2025, 365},
                    DayOfYearCase{"MonthNinetyNineStaysInTheYear", 2, 99, 2024, 367}),
    [](const auto &info) { return info.param.name; });

struct DistanceCase {
    const char *name;
    const char *first;
    const char *second;
    int expected;
};

class MonthsBetweenTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(MonthsBetweenTest, CountsCalendarMonths)
{
    const DistanceCase &c = GetParam();
    EXPECT_EQ(MonthsBetween(Date(c.first), Date(c.second)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MonthsBetweenTest,
    testing::Values(DistanceCase{"AcrossNewYear", "15.11.2025", "03.02.2026", 3},
                    DistanceCase{"AcrossNewYearBackwards", "03.02.2026", "15.11.2025", -3},
                    DistanceCase{"FiftyYears", "14.03.1976", "14.03.2026", 600},
                    DistanceCase{"DaysOfMonthPlayNoPart", "31.01.2026", "01.02.2026", 1},
                    DistanceCase{"SameYearFebruaryEnd", "01.01.2026", "28.02.2026", 1},
                    DistanceCase{"SameMonth", "01.05.2026", "31.05.2026", 0}),
    [](const auto &info) { return info.param.name; });

class DaysBetweenTest : public testing::TestWithParam<DistanceCase> {};

TEST_P(DaysBetweenTest, CountsDaysBothWays)
{
    const DistanceCase &c = GetParam();
    EXPECT_EQ(DaysBetween(Date(c.first), Date(c.second)), c.expected);
    EXPECT_EQ(DaysBetween(Date(c.second), Date(c.first)), -c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DaysBetweenTest,
    testing::Values(DistanceCase{"NewYearsEve", "31.12.2025", "01.01.2026", 1},
                    DistanceCase{"FourYears", "01.01.2026", "01.01.2030", 1461},
                    DistanceCase{"TwoYearsBack", "01.01.2028", "01.01.2026", -730},
                    DistanceCase{"ChristmasBack", "24.12.2026", "25.12.2024", -729},
                    DistanceCase{"No29February1900", "28.02.1900", "01.03.1900", 1},
                    DistanceCase{"No29February2100", "28.02.2100", "01.03.2100", 1},
                    DistanceCase{"LeapDay2000", "28.02.2000", "01.03.2000", 2},
                    DistanceCase{"Year1900", "01.03.1900", "01.03.1901", 365},
                    DistanceCase{"TwentiethCentury", "01.01.1900", "01.01.2000", 36524},
                    DistanceCase{"HundredDays", "14.03.1976", "22.06.1976", 100},
                    DistanceCase{"SameDay", "14.03.1976", "14.03.1976", 0},
                    DistanceCase{"YearZero", "31.12.-1", "01.01.0", 1},
                    DistanceCase{"FourDigitYearsApart", "01.01.-999", "01.01.9999", 4016937}),
    [](const auto &info) { return info.param.name; });

} // namespace
