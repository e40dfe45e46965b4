#include "Jubilee.h"

#include "Calendar.h"
#include "RoundNumber.h"
#include "Strings.h"

#include <array>
#include <charconv>
#include <cstring>

namespace {

// Each count in its own unit, 0 where the unit has no jubilee (1 is among the round
// numbers). The detectors and the chain both count here.
int YearCount(int months) noexcept // on the entry's day of the month
{
    return months % 12 == 0 ? months / 12 : 0; // every whole number of years counts
}

int MonthCount(int months) noexcept // on the entry's day of the month
{
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

// Unit words by kind, singular and plural, looked up once: every row needs one.
const std::array<std::array<std::string_view, 2>, 4> &UnitWords()
{
    static const std::array<std::array<std::string_view, 2>, 4> words{
        {{ResourceString(ids::kYear), ResourceString(ids::kYears)},
         {ResourceString(ids::kMonth), ResourceString(ids::kMonths)},
         {ResourceString(ids::kWeek), ResourceString(ids::kWeeks)},
         {ResourceString(ids::kDay), ResourceString(ids::kDays)}}};
    return words;
}

// A message's frame holds the longest count (11 characters), a blank, a unit word and "!".
static_assert(kJubileeMessageFrame >= 11 + 1 + 16 + 1);

} // namespace

std::string_view WeddingName(int years) noexcept
{
    switch (years) {
    case 1:
        return "Papierhochzeit";
    case 5:
        return "Hölzerne Hochzeit";
    case 10:
        return "Rosenhochzeit";
    case 15:
        return "Kristallhochzeit";
    case 20:
        return "Porzellanhochzeit";
    case 25:
        return "Silberhochzeit";
    case 30:
        return "Perlenhochzeit";
    case 35:
        return "Leinwandhochzeit";
    case 40:
        return "Rubinhochzeit";
    case 50:
        return "Goldene Hochzeit";
    case 60:
        return "Diamantene Hochzeit";
    case 65:
        return "Eiserne Hochzeit";
    case 70:
        return "Gnadenhochzeit";
    case 75:
        return "Kronjuwelenhochzeit";
    default:
        return {};
    }
}

char *WriteJubileeMessage(char *out, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText) noexcept
{
    // Only exactly 1 is singular: 0 and -1 take the plural.
    const std::string_view unit =
        UnitWords()[static_cast<std::size_t>(jubilee.kind)][jubilee.count == 1 ? 0 : 1];
    std::memcpy(out, nameText.data(), nameText.size());
    out += nameText.size();
    out = std::to_chars(out, out + 12, jubilee.count).ptr; // an int always fits
    *out++ = ' ';
    std::memcpy(out, unit.data(), unit.size());
    out += unit.size();
    std::memcpy(out, suffixText.data(), suffixText.size());
    out += suffixText.size();
    *out++ = '!';
    return out;
}

void AppendJubileeMessage(std::string &message, std::string_view nameText, JubileeCount jubilee,
                          std::string_view suffixText)
{
    const std::size_t at = message.size();
    message.resize(at + nameText.size() + suffixText.size() + kJubileeMessageFrame);
    const char *end = WriteJubileeMessage(message.data() + at, nameText, jubilee, suffixText);
    message.resize(static_cast<std::size_t>(end - message.data()));
}

int CheckYearJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                     std::string_view nameText, std::string_view suffixText)
{
    const int years = scannedDay.tm_mday == entryDate.tm_mday
                          ? YearCount(MonthsBetween(entryDate, scannedDay))
                          : 0;
    return Report(years, JubileeKind::Year, message, nameText, suffixText);
}

int CheckMonthJubilee(const tm &scannedDay, const tm &entryDate, JubileeMessage &message,
                      std::string_view nameText, std::string_view suffixText)
{
    const int months = scannedDay.tm_mday == entryDate.tm_mday
                           ? MonthCount(MonthsBetween(entryDate, scannedDay))
                           : 0;
    return Report(months, JubileeKind::Month, message, nameText, suffixText);
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

JubileeCount JubileeOfMonths(int months) noexcept
{
    if (const int years = YearCount(months))
        return {years, JubileeKind::Year};
    return {MonthCount(months), JubileeKind::Month};
}

JubileeCount JubileeOfDays(int days) noexcept
{
    if (const int weeks = WeekCount(days))
        return {weeks, JubileeKind::Week};
    return {DayCount(days), JubileeKind::Day};
}
