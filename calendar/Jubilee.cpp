#include "Jubilee.h"

#include "Calendar.h"
#include "RoundNumber.h"
#include "Strings.h"

#include <array>
#include <charconv>

namespace {

// Unit words by kind: singular, plural.
constexpr std::array<std::array<int, 2>, 4> kUnitIds{{{ids::kYear, ids::kYears},
                                                      {ids::kMonth, ids::kMonths},
                                                      {ids::kWeek, ids::kWeeks},
                                                      {ids::kDay, ids::kDays}}};

// Each count in its own unit; 0 where the unit has no jubilee (1 is among the round numbers).
int YearCount(const tm &scannedDay, const tm &entryDate) noexcept
{
    if (scannedDay.tm_mday != entryDate.tm_mday || scannedDay.tm_mon != entryDate.tm_mon)
        return 0;
    return scannedDay.tm_year - entryDate.tm_year; // every whole number counts
}

int MonthCount(const tm &scannedDay, const tm &entryDate) noexcept
{
    if (scannedDay.tm_mday != entryDate.tm_mday)
        return 0;
    const int months = MonthsBetween(entryDate, scannedDay);
    return IsRoundNumber(months) ? months : 0;
}

int WeekCount(int days) noexcept
{
    return days % 7 == 0 && IsRoundNumber(days / 7) ? days / 7 : 0;
}

int DayCount(int days) noexcept
{
    return IsRoundNumber(days) ? days : 0;
}

int Report(int count, JubileeKind kind, JubileeMessage &message, std::string_view nameText,
           std::string_view suffixText)
{
    if (count != 0) {
        message.clear();
        AppendJubileeMessage(message, nameText, {count, kind}, suffixText);
    }
    return count;
}

} // namespace

void AppendJubileeMessage(std::string &message, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText)
{
    // Only exactly 1 is singular: 0 and -1 take the plural.
    const std::string_view unit = ResourceString(
        kUnitIds[static_cast<std::size_t>(jubilee.kind)][jubilee.count == 1 ? 0 : 1]);
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, jubilee.count);
    static_cast<void>(ec); // an int always fits
    message.append(nameText).append(digits, end).append(" ").append(unit).append(suffixText);
    message.append("!");
}

int CheckYearJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText)
{
    return Report(YearCount(scannedDay, entryDate), JubileeKind::Year, message, nameText,
                  suffixText);
}

int CheckMonthJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                      std::string_view nameText, std::string_view suffixText)
{
    return Report(MonthCount(scannedDay, entryDate), JubileeKind::Month, message, nameText,
                  suffixText);
}

int CheckWeekJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText)
{
    return Report(WeekCount(DaysBetween(entryDate, scannedDay)), JubileeKind::Week, message,
                  nameText, suffixText);
}

int CheckDayJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                    std::string_view nameText, std::string_view suffixText)
{
    return Report(DayCount(DaysBetween(entryDate, scannedDay)), JubileeKind::Day, message, nameText,
                  suffixText);
}

JubileeCount FindJubilee(const tm &scannedDay, const tm &entryDate) noexcept
{
    if (const int years = YearCount(scannedDay, entryDate))
        return {years, JubileeKind::Year};
    if (const int months = MonthCount(scannedDay, entryDate))
        return {months, JubileeKind::Month};
    // Week and day counts both come from the day distance, computed once.
    const int days = DaysBetween(entryDate, scannedDay);
    if (const int weeks = WeekCount(days))
        return {weeks, JubileeKind::Week};
    return {DayCount(days), JubileeKind::Day};
}

Jubilee CheckJubilee(const tm &scannedDay, const tm &entryDate, std::string_view nameText,
                     std::string_view suffixText)
{
    const JubileeCount found = FindJubilee(scannedDay, entryDate);
    Jubilee result;
    result.count = found.count;
    result.yearJubilee = found && found.IsYear();
    if (found)
        AppendJubileeMessage(result.message, nameText, found, suffixText);
    return result;
}
