#include "Scan.h"

#include "Console.h"
#include "DateListFile.h"
#include "Jubilee.h"
#include "RoundNumber.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

using namespace std::chrono;

// Keeps the calendar arithmetic well inside what chrono and tm can hold, whatever the stored
// settings say; the options allow far less.
constexpr int kMaxWindowDays = 100000;
constexpr std::size_t kBadLinesShown = 10;
constexpr std::size_t kBadLineTextShown = 80; // characters

std::string Utf8Prefix(const std::string &text, std::size_t characters)
{
    const std::size_t end = Utf8Offset(text, static_cast<int>(characters));
    return end == std::string::npos || end == text.size() ? text : text.substr(0, end) + "…";
}

} // namespace

int ScanWindow::DayCount() const noexcept
{
    return first > last ? 0 : static_cast<int>((last - first).count()) + 1;
}

year_month_day LocalToday()
{
    const QDate today = QDate::currentDate();
    return year{today.year()} / month{static_cast<unsigned>(today.month())} /
           day{static_cast<unsigned>(today.day())};
}

ScanWindow MakeScanWindow(year_month_day today, int daysBack, int daysAhead)
{
    const sys_days todaySerial{today};
    const int back = std::clamp(daysBack, -kMaxWindowDays, kMaxWindowDays);
    const int ahead = std::clamp(daysAhead, -kMaxWindowDays, kMaxWindowDays);
    // Dates of four-digit years only: calendars and the date texts know no others.
    constexpr sys_days kFirst{year{1} / January / 1};
    constexpr sys_days kLast{year{9999} / December / 31};
    const sys_days first = todaySerial - days{back};
    const sys_days last = todaySerial + days{ahead};
    return {todaySerial, std::max(first, kFirst), std::min(last, kLast),
            first < kFirst || last > kLast};
}

std::string ClampedWindowMessage()
{
    return "Der Zeitraum reicht nur vom 01.01.0001 bis zum 31.12.9999; er endet dort.";
}

std::string DateText(sys_days day)
{
    // Every row of the terminal starts with one: written here, not by the formatter.
    const year_month_day ymd{day};
    const auto d = static_cast<unsigned>(ymd.day());
    const auto m = static_cast<unsigned>(ymd.month());
    const int y = static_cast<int>(ymd.year());
    if (y < 0 || y > 9999) { // "%4.4i" of a year outside four digits
        char text[32];
        std::snprintf(text, sizeof text, "%2.2u.%2.2u.%4.4i", d, m, y);
        return text;
    }
    const auto digit = [](unsigned n) {
        return static_cast<char>('0' + n % 10);
    };
    const auto year = static_cast<unsigned>(y);
    return {digit(d / 10),      digit(d),          '.',
            digit(m / 10),      digit(m),          '.',
            digit(year / 1000), digit(year / 100), digit(year / 10),
            digit(year)};
}

std::string RangeCaption(const ScanWindow &window)
{
    return "Jubiläen vom " + DateText(window.first) + " bis zum " + DateText(window.last);
}

namespace {

// Days a block holds: its rows are held until the block is done, so the memory stays small
// (50,000 entries over the widest window: 18 MB in all); an entry costs a block a few steps.
constexpr int kBlockDays = 256;

int Serial(sys_days day)
{
    return static_cast<int>(day.time_since_epoch().count());
}

// Month number counted from January of year 0, for a serial day or an entry.
int MonthIndex(year_month_day ymd)
{
    return static_cast<int>(ymd.year()) * 12 + static_cast<int>(unsigned{ymd.month()}) - 1;
}

// The steps from an entry's date at which a jubilee can fall, for one scan, each with the
// jubilee it gives forward (backward the count is negative): day distances that are round in
// days or in weeks, and month distances that are whole years or round. The chain's rule
// classifies each step once, not each row.
struct Step {
    int distance;
    JubileeCount jubilee;

    bool operator<(const Step &other) const noexcept { return distance < other.distance; }
};

struct Steps {
    std::vector<Step> days;
    std::vector<Step> months;

    Steps(int maxDays, int maxMonths)
    {
        std::vector<int> distances = RoundNumbersUpTo(maxDays);
        for (const int weeks : RoundNumbersUpTo(maxDays / 7))
            distances.push_back(weeks * 7);
        days = Classified(std::move(distances), JubileeOfDays);
        distances = RoundNumbersUpTo(maxMonths);
        for (int years = 12; years <= maxMonths; years += 12)
            distances.push_back(years);
        months = Classified(std::move(distances), JubileeOfMonths);
    }

private:
    static std::vector<Step> Classified(std::vector<int> distances, JubileeCount (*rule)(int))
    {
        std::sort(distances.begin(), distances.end());
        distances.erase(std::unique(distances.begin(), distances.end()), distances.end());
        std::vector<Step> steps;
        steps.reserve(distances.size());
        for (const int distance : distances) {
            if (const JubileeCount jubilee = rule(distance))
                steps.push_back({distance, jubilee});
        }
        return steps;
    }
};

// Where an entry's steps stand as the blocks go forward through the window: the distances
// ahead of its date grow, those behind it shrink. Each is found once by a binary search, then
// only moved on, so that a block costs an entry a few comparisons.
struct StepCursor {
    std::uint32_t ahead;  // the first step a block may still reach ahead of the date
    std::uint32_t behind; // one past the last step a block may still reach behind it
};

std::uint32_t IndexOf(std::vector<Step>::const_iterator step, const std::vector<Step> &steps)
{
    return static_cast<std::uint32_t>(step - steps.begin());
}

StepCursor FirstCursor(const std::vector<Step> &steps, int low, int high)
{
    const auto ahead = std::lower_bound(steps.begin(), steps.end(), Step{low, {}});
    const auto behind = std::upper_bound(steps.begin(), steps.end(), Step{high, {}});
    return {IndexOf(ahead, steps), IndexOf(behind, steps)};
}

// Visits the steps ahead whose distance is in [low, high], and moves the cursor to the first
// one the next block can reach: past `high`, or at it where blocks share their border (a
// month can be in two blocks; a day is in one).
template <typename Visit>
void StepsAhead(const std::vector<Step> &steps, std::uint32_t &cursor, int low, int high,
                bool shared, Visit visit)
{
    std::uint32_t i = cursor;
    for (; i < steps.size() && steps[i].distance <= high; ++i) {
        if (steps[i].distance >= low)
            visit(steps[i]);
    }
    if (shared && i > cursor && steps[i - 1].distance == high)
        --i;
    cursor = i;
}

// The same behind the date, where the distances shrink from block to block.
template <typename Visit>
void StepsBehind(const std::vector<Step> &steps, std::uint32_t &cursor, int low, int high,
                 bool shared, Visit visit)
{
    std::uint32_t i = cursor;
    for (; i > 0 && steps[i - 1].distance >= low; --i) {
        if (steps[i - 1].distance <= high)
            visit(steps[i - 1]);
    }
    if (shared && i < cursor && steps[i].distance == low)
        ++i;
    cursor = i;
}

JubileeCount Backward(JubileeCount jubilee) noexcept
{
    return {-jubilee.count, jubilee.kind};
}

} // namespace

void RunWindowScan(const ScanWindow &window, const DateList &list, ScanSink &sink, LeapDay leapDay)
{
    const int dayCount = window.DayCount();
    if (dayCount == 0)
        return;
    const int first = Serial(window.first);
    const int last = Serial(window.last);
    const int today = Serial(window.today);
    const int firstMonth = MonthIndex(window.first);
    const int lastMonth = MonthIndex(window.last);

    int maxDays = 0;
    int maxMonths = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list.IsYearless(i))
            continue; // no distance to count
        const int serial = list.SerialDay(i);
        maxDays = std::max({maxDays, std::abs(first - serial), std::abs(last - serial)});
        const int month = MonthIndex(list.Day(i).date);
        maxMonths =
            std::max({maxMonths, std::abs(firstMonth - month), std::abs(lastMonth - month)});
    }
    const Steps steps(maxDays, maxMonths);

    // What a block asks of each entry, taken out of the list once.
    struct Place {
        int serial;
        int month; // MonthIndex of its date
        int dayOfMonth;
        StepCursor days, months;
        DateList::ShownDays shown;
    };
    std::vector<Place> places(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const int serial = list.SerialDay(i);
        const year_month_day date = list.Day(i).date;
        const int month = MonthIndex(date);
        places[i] = {serial,
                     month,
                     static_cast<int>(unsigned{date.day()}),
                     FirstCursor(steps.days, first - serial, serial - first),
                     FirstCursor(steps.months, firstMonth - month, month - firstMonth),
                     list.Shown(i)};
    }

    // A block's rows as they are found, entry by entry, then placed day by day by one counting
    // pass that keeps each day in the order of the entries. Held in 12 bytes each: the memory
    // stays small and flat however many rows the window holds.
    struct FoundRow {
        std::uint32_t entry;
        std::int32_t count;
        JubileeKind kind;
        std::uint16_t day; // in the block
    };
    static_assert(sizeof(FoundRow) == 12);
    std::vector<FoundRow> found;
    std::vector<FoundRow> placed;
    // Room for more rows than a block of real lists has, reserved once: the memory is the
    // system's only where it is written, and growing would hold the old rows and the new at
    // once.
    const std::size_t room = std::min<std::size_t>(list.size() * kBlockDays / 16 + 4096, 1 << 21);
    found.reserve(room);
    placed.reserve(room);
    std::vector<ScanHit> onDay;
    std::vector<std::uint32_t> dayStarts(kBlockDays + 1);
    for (int blockFirst = first; blockFirst <= last; blockFirst += kBlockDays) {
        const int blockLast = std::min(last, blockFirst + kBlockDays - 1);
        const int blockFirstMonth = MonthIndex(sys_days{days{blockFirst}});
        const int blockLastMonth = MonthIndex(sys_days{days{blockLast}});
        const year blockFirstYear = year_month_day{sys_days{days{blockFirst}}}.year();
        const year blockLastYear = year_month_day{sys_days{days{blockLast}}}.year();
        // Each month of the block: the serial day of its first day and its length.
        std::array<int, kBlockDays / 28 + 2> monthStart{};
        std::array<int, kBlockDays / 28 + 2> monthLength{};
        for (int m = blockFirstMonth; m <= blockLastMonth; ++m) {
            const year_month ym{year{m / 12}, month{static_cast<unsigned>(m % 12 + 1)}};
            const auto k = static_cast<std::size_t>(m - blockFirstMonth);
            monthStart[k] = Serial(sys_days{ym / 1});
            monthLength[k] = static_cast<int>(unsigned{(ym / std::chrono::last).day()});
        }
        found.clear();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto index = static_cast<std::uint32_t>(i);
            // The block's days on which the entry's rows are shown.
            const int low = std::max(blockFirst, places[i].shown.first);
            const int high = std::min(blockLast, places[i].shown.last);
            const auto add = [&](int day, JubileeCount jubilee) {
                if (day >= low && day <= high)
                    found.push_back({index, jubilee.count, jubilee.kind,
                                     static_cast<std::uint16_t>(day - blockFirst)});
            };
            // A 29 February's year jubilee in the block's common years, where the user keeps
            // it on 28 February or 1 March.
            const auto addLeapDay = [&](bool counted) {
                if (leapDay == LeapDay::OnlyInLeapYears || places[i].month % 12 != 1 ||
                    places[i].dayOfMonth != 29)
                    return;
                const int entryYear = places[i].month / 12;
                for (year y = blockFirstYear; y <= blockLastYear; ++y) {
                    const int count = counted ? static_cast<int>(y) - entryYear : 1;
                    if (!y.is_leap() && count != 0)
                        add(Serial(leapDay == LeapDay::February28 ? sys_days{y / February / 28}
                                                                  : sys_days{y / March / 1}),
                            {count, JubileeKind::Year});
                }
            };
            if (list.IsYearless(i)) { // its day in every year of the block, with no count
                const year_month_day date = list.Day(i).date;
                for (year y = blockFirstYear; y <= blockLastYear; ++y) {
                    if (const year_month_day onYear{y, date.month(), date.day()}; onYear.ok())
                        add(Serial(sys_days{onYear}), {1, JubileeKind::Year});
                }
                addLeapDay(false);
                continue;
            }
            // Weeks and days: round distances both ways from the entry's date.
            Place &place = places[i];
            const int serial = place.serial;
            StepCursor &dayCursor = place.days;
            StepsAhead(steps.days, dayCursor.ahead, blockFirst - serial, blockLast - serial, false,
                       [&](const Step &d) { add(serial + d.distance, d.jubilee); });
            StepsBehind(steps.days, dayCursor.behind, serial - blockLast, serial - blockFirst,
                        false,
                        [&](const Step &d) { add(serial - d.distance, Backward(d.jubilee)); });
            // Years and months: the entry's day of the month, where the month count can be one.
            // They come after the day's distance, and take its place on the same day.
            const int dayOfMonth = place.dayOfMonth;
            const int entryMonth = place.month;
            const auto addMonth = [&](int month, JubileeCount jubilee) {
                const auto k = static_cast<std::size_t>(month - blockFirstMonth);
                if (dayOfMonth <= monthLength[k])
                    add(monthStart[k] + dayOfMonth - 1, jubilee);
            };
            StepCursor &monthCursor = place.months;
            StepsAhead(steps.months, monthCursor.ahead, blockFirstMonth - entryMonth,
                       blockLastMonth - entryMonth, true,
                       [&](const Step &k) { addMonth(entryMonth + k.distance, k.jubilee); });
            StepsBehind(steps.months, monthCursor.behind, entryMonth - blockLastMonth,
                        entryMonth - blockFirstMonth, true, [&](const Step &k) {
                            addMonth(entryMonth - k.distance, Backward(k.jubilee));
                        });
            addLeapDay(true);
        }

        std::fill(dayStarts.begin(), dayStarts.end(), 0);
        for (const FoundRow &row : found)
            ++dayStarts[std::size_t{row.day} + 1];
        for (std::size_t d = 1; d < dayStarts.size(); ++d)
            dayStarts[d] += dayStarts[d - 1];
        placed.resize(found.size());
        for (const FoundRow &row : found)
            placed[dayStarts[row.day]++] = row;

        std::size_t next = 0;
        for (int day = blockFirst; day <= blockLast; ++day) {
            sink.DayStarted(sys_days{days{day}});
            const std::size_t end = dayStarts[static_cast<std::size_t>(day - blockFirst)];
            // An entry's month count on the day of one of its distances takes that row's
            // place: years and months go first in the chain.
            onDay.clear();
            for (; next < end; ++next) {
                const FoundRow &row = placed[next];
                if (next + 1 < end && placed[next + 1].entry == row.entry)
                    continue;
                onDay.push_back({day, row.entry, {row.count, row.kind}, day == today});
            }
            if (!onDay.empty())
                sink.RowsFound(onDay);
        }
    }
}

RowLook LookOf(const ScanHit &hit)
{
    const bool year = hit.jubilee.IsYear();
    const CellLook message = year ? CellLook::Year : CellLook::Plain;
    if (hit.today)
        return {year ? CellLook::TodayYear : CellLook::Today, message};
    return {message, message};
}

namespace {

constexpr std::string_view kWeddingDash = " – ";
constexpr std::size_t kWeddingRoom = 32; // the dash and the longest name

} // namespace

std::size_t RowMessageRoom(const DateList &list, const ScanHit &hit) noexcept
{
    return list.TextLength(hit.entry) + kJubileeMessageFrame + kWeddingRoom;
}

char *WriteRowMessage(char *out, const DateList &list, const ScanHit &hit) noexcept
{
    const std::string_view name = list.NameText(hit.entry);
    const std::string_view suffix = list.SuffixText(hit.entry);
    if (!list.IsYearless(hit.entry)) {
        out = WriteJubileeMessage(out, name, hit.jubilee, suffix);
        // "Meier: 25 Jahre verheiratet – Silberhochzeit!"
        if (const std::string_view wedding = list.IsWedding(hit.entry) && hit.jubilee.IsYear()
                                                 ? WeddingName(hit.jubilee.count)
                                                 : std::string_view();
            !wedding.empty()) {
            --out; // before the "!"
            std::memcpy(out, kWeddingDash.data(), kWeddingDash.size());
            std::memcpy(out + kWeddingDash.size(), wedding.data(), wedding.size());
            out += kWeddingDash.size() + wedding.size();
            *out++ = '!';
        }
        return out;
    }
    // "Anna hat Geburtstag!"
    std::memcpy(out, name.data(), name.size());
    std::memcpy(out + name.size(), suffix.data(), suffix.size());
    out += name.size() + suffix.size();
    *out++ = '!';
    return out;
}

void AppendRowMessage(std::string &message, const DateList &list, const ScanHit &hit)
{
    const std::size_t at = message.size();
    message.resize(at + RowMessageRoom(list, hit));
    const char *end = WriteRowMessage(message.data() + at, list, hit);
    message.resize(static_cast<std::size_t>(end - message.data()));
}

std::string TooManyRowsMessage()
{
    return "Zu viele Jubiläen für den freien Speicher; ein kürzerer Zeitraum hilft.";
}

std::string MissingCodePageMessage(const std::string &codePage)
{
    return "Diese Qt-Bibliothek kennt die Codepage " + codePage +
           " nicht: Umlaute und Sonderzeichen der Datei werden als Latin-1 gelesen und können "
           "falsch erscheinen.";
}

std::string OpenFailureMessage(const std::string &path, OpenError error)
{
    std::string message = "Fehler beim Öffnen von " + path + ": " + OpenErrorText(error);
    // A first start has no list yet: the installed example is a place to begin.
    const QString example = QDir::cleanPath(QFileInfo(ProgramFilePath()).absolutePath() +
                                            QStringLiteral("/" FESTMARK_EXAMPLE_LIST));
    if (error == OpenError::NotFound && QFileInfo(example).isFile())
        message += "\nEine Beispielliste zum Anfangen liegt in " + example.toStdString() + ".";
    return message;
}

namespace {

std::string FileErrorText(const std::string &path)
{
    return "Fehler in Datei " + path;
}

// "Zeile 3 (kein gültiges Datum): Text", the text cut to a number of characters if given.
std::string BadLineText(const BadLine &badLine, std::size_t characters = 0)
{
    std::string text = "Zeile " + std::to_string(badLine.lineNumber);
    if (!badLine.reason.empty())
        text.append(" (").append(badLine.reason).append(")");
    if (!badLine.text.empty())
        text.append(": ").append(characters > 0 ? Utf8Prefix(badLine.text, characters)
                                                : badLine.text);
    return text;
}

} // namespace

std::string BadLineReport(const std::string &path, const BadLine &badLine)
{
    return FileErrorText(path) + ", " + BadLineText(badLine);
}

std::string BadLinesMessage(const std::string &path, std::span<const BadLine> badLines,
                            std::size_t count)
{
    std::string message = FileErrorText(path) + ":";
    const std::size_t shown = std::min(badLines.size(), kBadLinesShown);
    for (std::size_t i = 0; i < shown; ++i)
        message.append("\n").append(BadLineText(badLines[i], kBadLineTextShown));
    if (const std::size_t more = count - shown; more > 0)
        message.append("\n").append(MoreBadLinesText(more));
    return message;
}

std::string MoreBadLinesReport(const std::string &path, std::size_t more)
{
    return FileErrorText(path) + ": " + MoreBadLinesText(more);
}

std::string MoreBadLinesText(std::size_t more)
{
    return "... und " + std::to_string(more) +
           (more == 1 ? " weitere fehlerhafte Zeile." : " weitere fehlerhafte Zeilen.");
}
