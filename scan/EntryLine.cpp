#include "EntryLine.h"

#include "Calendar.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr bool IsScanSpace(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

// One "%Nd" of the runtime's formatted scan: blanks skipped, then an optional sign and digits,
// at most width characters with the sign counted.
bool ScanNumber(std::string_view &rest, int width, int &value) noexcept
{
    std::size_t pos = 0;
    while (pos < rest.size() && IsScanSpace(rest[pos]))
        ++pos;
    int used = 0;
    bool negative = false;
    if (pos < rest.size() && (rest[pos] == '+' || rest[pos] == '-')) {
        negative = rest[pos] == '-';
        ++pos;
        ++used;
    }
    int digits = 0;
    int number = 0; // at most four digits
    while (pos < rest.size() && used < width && IsDigit(rest[pos])) {
        number = number * 10 + (rest[pos] - '0');
        ++pos;
        ++used;
        ++digits;
    }
    if (digits == 0)
        return false;
    value = negative ? -number : number;
    rest.remove_prefix(pos);
    return true;
}

bool ScanDot(std::string_view &rest) noexcept
{
    if (rest.empty() || rest.front() != '.')
        return false;
    rest.remove_prefix(1);
    return true;
}

// The texts follow the date as it is written (it ends at `dateEnd`) and one separator
// character: "1.3.1976 Anna" must not lose the start of "Anna". A date of ten characters puts
// them at the 12th.
void SplitTexts(std::string_view entryLine, std::size_t dateEnd, std::string_view &nameText,
                std::string_view &suffixText)
{
    nameText = {};
    suffixText = {};
    const std::size_t separator = Utf8Offset(entryLine.substr(dateEnd), 1);
    if (separator == std::string_view::npos)
        return;
    const std::string_view text = entryLine.substr(dateEnd + separator);
    const std::size_t hash = text.find('#');
    nameText = text.substr(0, hash);
    if (hash != std::string_view::npos)
        suffixText = text.substr(hash + 1);
}

} // namespace

bool ParseEntryDate(std::string_view line, int &day, int &month, int &year,
                    std::size_t *dateEnd) noexcept
{
    std::string_view rest = line;
    int d = 0;
    int m = 0;
    int y = 0;
    if (!ScanNumber(rest, 2, d) || !ScanDot(rest) || !ScanNumber(rest, 2, m) || !ScanDot(rest) ||
        !ScanNumber(rest, 4, y))
        return false;
    day = d;
    month = m;
    year = y;
    if (dateEnd != nullptr)
        *dateEnd = line.size() - rest.size();
    return true;
}

bool IsExistingDate(int day, int month, int year) noexcept
{
    return day >= 1 && day <= DaysInMonth(year, month); // 0 days outside 1..12
}

namespace {

// Why a line is no entry, in German, or null for an entry (its date and where it ends given).
const char *EntryDateProblem(std::string_view line, int &day, int &month, int &year,
                             std::size_t &dateEnd) noexcept
{
    if (!ParseEntryDate(line, day, month, year, &dateEnd)) {
        const bool blank = std::all_of(line.begin(), line.end(), IsScanSpace);
        return blank ? "leere Zeile" : "kein gültiges Datum";
    }
    // The scan takes "76" or "-001" for a year; a date list means four digits of our era.
    std::size_t digits = 0;
    while (digits < dateEnd && IsDigit(line[dateEnd - 1 - digits]))
        ++digits;
    if (digits != 4)
        return "Jahr vierstellig angeben";
    if (year == 0)
        return "kein Jahr 0";
    if (!IsExistingDate(day, month, year))
        return "kein gültiges Datum";
    return nullptr;
}

} // namespace

const char *EntryLineProblem(std::string_view line) noexcept
{
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = 0;
    return EntryDateProblem(line, day, month, year, dateEnd);
}

std::size_t EntryDateEnd(std::string_view line) noexcept
{
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = 0;
    return ParseEntryDate(line, day, month, year, &dateEnd) ? dateEnd : std::string_view::npos;
}

void AddEntryLine(DateList &list, std::string_view line, int lineNumber)
{
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = 0;
    if (const char *problem = EntryDateProblem(line, day, month, year, dateEnd)) {
        list.AddBadLine(lineNumber, line, problem);
        return;
    }
    std::string_view name;
    std::string_view suffix;
    SplitTexts(line, dateEnd, name, suffix);
    list.Add(std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                 std::chrono::day{static_cast<unsigned>(day)},
             name, suffix);
}
