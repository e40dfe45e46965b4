#include "Jubilee.h"

#include "Calendar.h"
#include "RoundNumber.h"
#include "Strings.h"

#include <charconv>

namespace {

void WriteMessage(JubileeMessage &message, std::string_view nameText, int count, int singularId,
                  int pluralId, std::string_view suffixText)
{
    // Only exactly 1 is singular: 0 and -1 take the plural.
    const std::string_view unit = ResourceString(count == 1 ? singularId : pluralId);
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, count);
    static_cast<void>(ec); // an int always fits
    message.clear();
    message.reserve(nameText.size() + static_cast<std::size_t>(end - digits) + unit.size() +
                    suffixText.size() + 2);
    message.append(nameText).append(digits, end).append(" ").append(unit).append(suffixText);
    message.append("!");
}

// Week and day counts both come from the day distance, computed once per pair by the chain.
int WeekJubilee(int days, JubileeMessage &message, std::string_view nameText,
                std::string_view suffixText)
{
    if (days % 7 != 0)
        return 0;
    const int weeks = days / 7;
    if (!IsRoundNumber(weeks)) // 1 is among the round numbers
        return 0;
    WriteMessage(message, nameText, weeks, ids::kWeek, ids::kWeeks, suffixText);
    return weeks;
}

int DayJubilee(int days, JubileeMessage &message, std::string_view nameText,
               std::string_view suffixText)
{
    if (!IsRoundNumber(days))
        return 0;
    WriteMessage(message, nameText, days, ids::kDay, ids::kDays, suffixText);
    return days;
}

} // namespace

int CheckYearJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText)
{
    if (scannedDay.tm_mday != entryDate.tm_mday || scannedDay.tm_mon != entryDate.tm_mon)
        return 0;
    const int years = scannedDay.tm_year - entryDate.tm_year; // every whole number counts
    WriteMessage(message, nameText, years, ids::kYear, ids::kYears, suffixText);
    return years;
}

int CheckMonthJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                      std::string_view nameText, std::string_view suffixText)
{
    if (scannedDay.tm_mday != entryDate.tm_mday)
        return 0;
    const int months = MonthsBetween(entryDate, scannedDay);
    if (!IsRoundNumber(months))
        return 0;
    WriteMessage(message, nameText, months, ids::kMonth, ids::kMonths, suffixText);
    return months;
}

int CheckWeekJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText)
{
    return WeekJubilee(DaysBetween(entryDate, scannedDay), message, nameText, suffixText);
}

int CheckDayJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                    std::string_view nameText, std::string_view suffixText)
{
    return DayJubilee(DaysBetween(entryDate, scannedDay), message, nameText, suffixText);
}

Jubilee CheckJubilee(const tm &scannedDay, const tm &entryDate, std::string_view nameText,
                     std::string_view suffixText)
{
    Jubilee result;
    result.count = CheckYearJubilee(scannedDay, entryDate, result.message, nameText, suffixText);
    if (result.count != 0) {
        result.yearJubilee = true;
        return result;
    }
    result.count = CheckMonthJubilee(scannedDay, entryDate, result.message, nameText, suffixText);
    if (result.count != 0)
        return result;
    const int days = DaysBetween(entryDate, scannedDay);
    result.count = WeekJubilee(days, result.message, nameText, suffixText);
    if (result.count == 0)
        result.count = DayJubilee(days, result.message, nameText, suffixText);
    return result;
}
