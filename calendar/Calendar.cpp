#include "Calendar.h"

#include <algorithm>
#include <array>

namespace {

// Days before the first of each month in a common year, and the whole year at index 12.
constexpr std::array<int, 13> kDaysBeforeMonth{0,   31,  59,  90,  120, 151, 181,
                                               212, 243, 273, 304, 334, 365};

// Days from 01.01.1970 to 01.01. of the calendar year, in the style of days_from_civil.
constexpr long long DaysBeforeYear(long long year) noexcept
{
    const long long y = year - 1;                          // March-based year of 1 January
    const long long era = (y >= 0 ? y : y - 399) / 400;    // 400-year era
    const long long yoe = y - era * 400;                   // [0, 399]
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100; // [0, 146096], to 1 March
    const long long marchToJanuary = 306;                  // 1 March to 1 January
    return era * 146097 + doe + marchToJanuary - 719468;
}

static_assert(DaysBeforeYear(1970) == 0);
static_assert(DaysBeforeYear(1971) == 365);
static_assert(DaysBeforeYear(2000) == 10957);
static_assert(DaysBeforeYear(1969) == -365);
static_assert(DaysBeforeYear(2001) - DaysBeforeYear(2000) == 366);
static_assert(DaysBeforeYear(1901) - DaysBeforeYear(1900) == 365);
static_assert(DaysBeforeYear(2000) - DaysBeforeYear(1600) == 146097);

constexpr int kTmYearBase = 1900;

// The scan asks for two serial days per entry and day: years a date list can hold are looked
// up instead of computed.
constexpr int kFirstTabledYear = -1000;
constexpr int kLastTabledYear = 10000;
constexpr auto kDaysBeforeYearTable = [] {
    std::array<int, kLastTabledYear - kFirstTabledYear + 1> table{};
    for (int y = kFirstTabledYear; y <= kLastTabledYear; ++y)
        table[static_cast<std::size_t>(y - kFirstTabledYear)] = static_cast<int>(DaysBeforeYear(y));
    return table;
}();

} // namespace

int DaysInMonth(int year, int month) noexcept
{
    if (month < 1 || month > 12)
        return 0;
    const int base = kDaysBeforeMonth[month] - kDaysBeforeMonth[month - 1]; // [28, 31]
    return base + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

void ComputeDayOfYear(tm &date) noexcept
{
    // Months past December are not counted; the reader refuses such dates anyway.
    const int months = std::clamp(date.tm_mon, 0, 12);                         // [0, 12]
    const bool leapDay = months > 1 && IsLeapYear(date.tm_year + kTmYearBase); // past February
    date.tm_yday = date.tm_mday - 1 + kDaysBeforeMonth[months] + (leapDay ? 1 : 0);
}

int MonthsBetween(const tm &first, const tm &second) noexcept
{
    return 12 * (second.tm_year - first.tm_year) + (second.tm_mon - first.tm_mon);
}

long long SerialDay(const tm &date) noexcept
{
    const long long year = static_cast<long long>(date.tm_year) + kTmYearBase;
    if (year < kFirstTabledYear || year > kLastTabledYear)
        return DaysBeforeYear(year) + date.tm_yday;
    return kDaysBeforeYearTable[static_cast<std::size_t>(year - kFirstTabledYear)] + date.tm_yday;
}

int DaysBetween(const tm &first, const tm &second) noexcept
{
    return static_cast<int>(SerialDay(second) - SerialDay(first));
}
