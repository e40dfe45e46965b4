#pragma once

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

// The chain: year, month, week, day; the first count other than 0 decides.
struct Jubilee {
    int count = 0; // 0: no jubilee on this day
    bool yearJubilee = false;
    JubileeMessage message;

    explicit operator bool() const noexcept { return count != 0; }
};
Jubilee CheckJubilee(const tm &scannedDay, const tm &entryDate, std::string_view nameText,
                     std::string_view suffixText);
