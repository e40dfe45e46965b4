#pragma once

#include <chrono>
#include <ctime>

// The calendar is std::chrono's: proleptic Gregorian in every century, so that entry dates
// and scanned days are counted alike.

// A day in the two forms the rules need: its date for years and months, its serial day for
// distances. An entry's is made once, when it is read.
struct CalendarDay {
    std::chrono::year_month_day date;
    std::chrono::sys_days serial;
};

// Leap years and month lengths
constexpr bool IsLeapYear(int year) noexcept // calendar year, e.g. 2024
{
    return std::chrono::year{year}.is_leap();
}
int DaysInMonth(int year, int month) noexcept; // month 1..12; 0 outside

// The runtime's tm record, as the detectors are called with it. Only tm_mday, tm_mon,
// tm_year and tm_yday are read or written.
void ComputeDayOfYear(tm &date) noexcept;       // sets tm_yday from tm_mday, tm_mon, tm_year
tm TmOf(std::chrono::sys_days serial) noexcept; // tm_yday and tm_wday set

// Signed distances, from the first date to the second
int MonthsBetween(const tm &first, const tm &second) noexcept; // reads tm_mon, tm_year
int DaysBetween(const tm &first, const tm &second) noexcept;   // reads tm_year, tm_yday

// Days since 01.01.1970 of the date's tm_year and tm_yday
long long SerialDay(const tm &date) noexcept;
