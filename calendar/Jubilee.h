#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

// The four jubilee detectors, asked in the chain's order (year, month, week, day; the first
// count other than 0 decides). Each detector returns a signed count: 0 for no jubilee; any
// other count, negative ones included, is a jubilee and the detector has then written its
// message.

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

// A jubilee as the scan keeps it: the count and its unit; the message is made where a row is
// shown.
enum class JubileeKind : std::uint8_t { Year, Month, Week, Day };

struct JubileeCount {
    int count = 0; // 0: no jubilee on this day
    JubileeKind kind = JubileeKind::Day;

    explicit operator bool() const noexcept { return count != 0; }
    bool IsYear() const noexcept { return kind == JubileeKind::Year; }
};
// The chain's two halves on the detectors' own counts, for a scan that finds its days by
// distance: a distance in months on the entry's day of the month (years, then months), and
// one in days (weeks, then days).
JubileeCount JubileeOfMonths(int months) noexcept;
JubileeCount JubileeOfDays(int days) noexcept;

// Appends "<name><count> <unit><suffix>!" with the unit word of the kind: singular for
// exactly 1, plural otherwise.
void AppendJubileeMessage(std::string &message, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText);
// Where the year jubilee of a 29 February falls in a common year: nowhere (only leap years
// have one), on 28 February, or on 1 March. Month, week and day counts are not moved.
enum class LeapDay : std::uint8_t { OnlyInLeapYears, February28, March1 };

// The German name of a wedding anniversary of that many years ("Silberhochzeit" for 25);
// empty for years without one.
std::string_view WeddingName(int years) noexcept;

// The same written at `out`, which has room for the texts and kJubileeMessageFrame bytes more;
// returns the end. For writers of many rows that keep their own buffer.
constexpr std::size_t kJubileeMessageFrame = 32; // the count, a blank, the unit word and "!"
char *WriteJubileeMessage(char *out, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText) noexcept;
