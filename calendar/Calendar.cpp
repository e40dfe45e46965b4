#include "Calendar.h"

#include <algorithm>

using namespace std::chrono;

namespace {

constexpr int kTmYearBase = 1900;

year TmYear(const tm &date) noexcept
{
    return year{date.tm_year + kTmYearBase};
}

sys_days Serial(const tm &date) noexcept // from tm_year and tm_yday
{
    return sys_days{TmYear(date) / January / 1} + days{date.tm_yday};
}

} // namespace

int DaysInMonth(int year, int month) noexcept
{
    if (month < 1 || month > 12)
        return 0;
    const year_month_day_last last{std::chrono::year{year} / std::chrono::month(month) / ::last};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

void ComputeDayOfYear(tm &date) noexcept
{
    // Months past December are not counted; the reader refuses such dates anyway.
    const int months = std::clamp(date.tm_mon, 0, 12); // whole months before the date
    const sys_days newYear{TmYear(date) / January / 1};
    const sys_days monthStart =
        months == 12 ? sys_days{(TmYear(date) + years{1}) / January / 1}
                     : sys_days{TmYear(date) / month(static_cast<unsigned>(months + 1)) / 1};
    date.tm_yday = static_cast<int>((monthStart - newYear).count()) + date.tm_mday - 1;
}

tm TmOf(sys_days serial) noexcept
{
    const year_month_day ymd{serial};
    tm date{};
    date.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    date.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    date.tm_year = static_cast<int>(ymd.year()) - kTmYearBase;
    date.tm_yday = static_cast<int>((serial - sys_days{ymd.year() / January / 1}).count());
    date.tm_wday = static_cast<int>(weekday{serial}.c_encoding());
    return date;
}

int MonthsBetween(const tm &first, const tm &second) noexcept
{
    return 12 * (second.tm_year - first.tm_year) + (second.tm_mon - first.tm_mon);
}

long long SerialDay(const tm &date) noexcept
{
    return Serial(date).time_since_epoch().count();
}

int DaysBetween(const tm &first, const tm &second) noexcept
{
    return static_cast<int>((Serial(second) - Serial(first)).count());
}
