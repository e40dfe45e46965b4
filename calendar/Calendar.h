#pragma once

#include <ctime>

// Calendar arithmetic on the runtime's tm record. Only tm_mday, tm_mon, tm_year and tm_yday
// are read or written. Leap years follow the Gregorian calendar throughout, so that entry
// dates and the scanned days the runtime produces are counted alike in every century.

// Leap years and month lengths
constexpr bool IsLeapYear(int year) noexcept // calendar year, e.g. 2024
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}
int DaysInMonth(int year, int month) noexcept; // month 1..12; 0 outside

// Completing an entry date
void ComputeDayOfYear(tm &date) noexcept; // sets tm_yday from tm_mday, tm_mon, tm_year

// Signed distances, from the first date to the second
int MonthsBetween(const tm &first, const tm &second) noexcept; // reads tm_mon, tm_year
int DaysBetween(const tm &first, const tm &second) noexcept;   // reads tm_year, tm_yday

// Days since 01.01.1970 of the date's tm_year and tm_yday
long long SerialDay(const tm &date) noexcept;
