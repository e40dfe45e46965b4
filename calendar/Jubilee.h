#pragma once

#include "Calendar.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The four jubilee detectors and the chain the scan runs per entry and day. Each detector
// returns a signed count: 0 for no jubilee; any other count, negative ones included, is a
// jubilee and the detector has then written its message.

using JubileeMessage = std::string; // UTF-8, "<name><count> <unit><suffix>!"

// Detectors
int CheckYearJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText);
int CheckMonthJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                      std::string_view nameText, std::string_view suffixText);
int CheckWeekJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText);
int CheckDayJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                    std::string_view nameText, std::string_view suffixText);

// The chain: year, month, week, day; the first count other than 0 decides. The scan keeps
// only the count and its unit and makes the message where a row is shown.
enum class JubileeKind : std::uint8_t { Year, Month, Week, Day };

struct JubileeCount {
    int count = 0; // 0: no jubilee on this day
    JubileeKind kind = JubileeKind::Day;

    explicit operator bool() const noexcept { return count != 0; }
    bool IsYear() const noexcept { return kind == JubileeKind::Year; }
};
JubileeCount FindJubilee(const CalendarDay &scannedDay, const CalendarDay &entryDate) noexcept;

// The chain's two halves, for a scan that finds its days by distance: a distance in months
// on the entry's day of the month (years, then months), and one in days (weeks, then days).
JubileeCount JubileeOfMonths(int months) noexcept;
JubileeCount JubileeOfDays(int days) noexcept;

// Appends "<name><count> <unit><suffix>!" with the unit word of the kind: singular for
// exactly 1, plural otherwise.
void AppendJubileeMessage(std::string &message, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText);
