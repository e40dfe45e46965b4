#pragma once

#include "Calendar.h"
#include "Jubilee.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

// Dates for tests, written as the user writes them: "14.03.1976".
inline tm Date(int day, int month, int year)
{
    tm date{};
    date.tm_mday = day;
    date.tm_mon = month - 1;
    date.tm_year = year - 1900;
    ComputeDayOfYear(date);
    return date;
}

inline tm Date(const std::string &text)
{
    int day = 0;
    int month = 0;
    int year = 0;
    std::sscanf(text.c_str(), "%d.%d.%d", &day, &month, &year);
    return Date(day, month, year);
}

inline std::chrono::year_month_day ToYmd(const tm &date)
{
    using namespace std::chrono;
    return year_month_day{year{date.tm_year + 1900}, month{static_cast<unsigned>(date.tm_mon + 1)},
                          day{static_cast<unsigned>(date.tm_mday)}};
}

inline tm FromSysDays(std::chrono::sys_days serial)
{
    const std::chrono::year_month_day ymd{serial};
    return Date(static_cast<int>(static_cast<unsigned>(ymd.day())),
                static_cast<int>(static_cast<unsigned>(ymd.month())), static_cast<int>(ymd.year()));
}

inline tm AddDays(const tm &date, int days)
{
    return FromSysDays(std::chrono::sys_days{ToYmd(date)} + std::chrono::days{days});
}

// The chain as the user meets it: the four detectors asked in order, the first that fires
// giving the row's count, its year flag and its message.
struct ChainRow {
    int count = 0; // 0: no row
    bool yearJubilee = false;
    JubileeMessage message;

    explicit operator bool() const noexcept { return count != 0; }
};

inline ChainRow Chain(const tm &day, const tm &entry, std::string_view name,
                      std::string_view suffix)
{
    ChainRow row;
    for (const auto detector :
         {CheckYearJubilee, CheckMonthJubilee, CheckWeekJubilee, CheckDayJubilee}) {
        if ((row.count = detector(day, entry, row.message, name, suffix)) != 0) {
            row.yearJubilee = detector == CheckYearJubilee;
            break;
        }
    }
    return row;
}
