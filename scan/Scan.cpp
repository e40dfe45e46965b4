#include "Scan.h"

#include "Calendar.h"
#include "Jubilee.h"
#include "RoundNumber.h"

#include <QDate>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    return {todaySerial, todaySerial - days{back}, todaySerial + days{ahead}};
}

tm ScannedDay(sys_days serial)
{
    const year_month_day ymd{serial};
    tm date{};
    date.tm_mday = static_cast<int>(static_cast<unsigned>(ymd.day()));
    date.tm_mon = static_cast<int>(static_cast<unsigned>(ymd.month())) - 1;
    date.tm_year = static_cast<int>(ymd.year()) - 1900;
    date.tm_wday = static_cast<int>(weekday{serial}.c_encoding());
    ComputeDayOfYear(date);
    return date;
}

std::string DateText(const tm &day)
{
    char text[32];
    std::snprintf(text, sizeof text, "%2.2i.%2.2i.%4.4i", day.tm_mday, day.tm_mon + 1,
                  day.tm_year + 1900);
    return text;
}

std::string DateText(sys_days day)
{
    return DateText(ScannedDay(day));
}

std::string RangeCaption(const ScanWindow &window)
{
    return "Jubiläen vom " + DateText(window.first) + " bis zum " + DateText(window.last);
}

namespace {

// Days a block holds: its candidate lists stay small, and so does the memory.
constexpr int kBlockDays = 1024;

int Serial(sys_days day)
{
    return static_cast<int>(day.time_since_epoch().count());
}

// Month number counted from January of year 0, for a serial day or an entry.
int MonthIndex(sys_days day)
{
    const year_month_day ymd{day};
    return static_cast<int>(ymd.year()) * 12 + static_cast<int>(unsigned{ymd.month()}) - 1;
}

// The steps from an entry's date at which a jubilee can fall, for one scan: day distances
// that are round in days or in weeks, and month distances that are whole years or round.
struct Steps {
    std::vector<int> days;
    std::vector<int> months;

    Steps(int maxDays, int maxMonths)
    {
        days = RoundNumbersUpTo(maxDays);
        for (const int weeks : RoundNumbersUpTo(maxDays / 7))
            days.push_back(weeks * 7);
        months = RoundNumbersUpTo(maxMonths);
        for (int years = 12; years <= maxMonths; years += 12)
            months.push_back(years);
        for (std::vector<int> *steps : {&days, &months}) {
            std::sort(steps->begin(), steps->end());
            steps->erase(std::unique(steps->begin(), steps->end()), steps->end());
        }
    }
};

// Calls visit(step) for every step in [low, high] (clamped at 0).
template <typename Visit>
void ForSteps(const std::vector<int> &steps, int low, int high, Visit visit)
{
    for (auto step = std::lower_bound(steps.begin(), steps.end(), std::max(low, 0));
         step != steps.end() && *step <= high; ++step)
        visit(*step);
}

} // namespace

void RunWindowScan(const ScanWindow &window, const DateList &list, ScanSink &sink)
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
        const int serial = list.SerialDay(i);
        maxDays = std::max({maxDays, std::abs(first - serial), std::abs(last - serial)});
        const int month = MonthIndex(sys_days{days{serial}});
        maxMonths =
            std::max({maxMonths, std::abs(firstMonth - month), std::abs(lastMonth - month)});
    }
    const Steps steps(maxDays, maxMonths);

    std::vector<std::vector<std::uint32_t>> candidates(kBlockDays); // per day of a block
    std::vector<ScanHit> hits;
    for (int blockFirst = first; blockFirst <= last; blockFirst += kBlockDays) {
        const int blockLast = std::min(last, blockFirst + kBlockDays - 1);
        const int blockFirstMonth = MonthIndex(sys_days{days{blockFirst}});
        const int blockLastMonth = MonthIndex(sys_days{days{blockLast}});
        for (std::vector<std::uint32_t> &onDay : candidates)
            onDay.clear();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto index = static_cast<std::uint32_t>(i);
            const auto add = [&](int day) {
                if (day < blockFirst || day > blockLast)
                    return;
                std::vector<std::uint32_t> &onDay =
                    candidates[static_cast<std::size_t>(day - blockFirst)];
                if (onDay.empty() || onDay.back() != index) // an entry's days come together
                    onDay.push_back(index);
            };
            // Weeks and days: round distances both ways from the entry's date.
            const int serial = list.SerialDay(i);
            ForSteps(steps.days, blockFirst - serial, blockLast - serial,
                     [&](int d) { add(serial + d); });
            ForSteps(steps.days, serial - blockLast, serial - blockFirst,
                     [&](int d) { add(serial - d); });
            // Years and months: the entry's day of the month, where the month count can be one.
            const tm date = list.Date(i);
            const int entryMonth = (date.tm_year + 1900) * 12 + date.tm_mon;
            const auto addMonth = [&](int month) {
                const int y = month >= 0 ? month / 12 : (month - 11) / 12;
                const year_month_day candidate{
                    year{y}, std::chrono::month{static_cast<unsigned>(month - y * 12 + 1)},
                    day{static_cast<unsigned>(date.tm_mday)}};
                if (candidate.ok())
                    add(Serial(sys_days{candidate}));
            };
            ForSteps(steps.months, blockFirstMonth - entryMonth, blockLastMonth - entryMonth,
                     [&](int k) { addMonth(entryMonth + k); });
            ForSteps(steps.months, entryMonth - blockLastMonth, entryMonth - blockFirstMonth,
                     [&](int k) { addMonth(entryMonth - k); });
        }

        for (int day = blockFirst; day <= blockLast; ++day) {
            const bool isToday = day == today;
            const sys_days serialDay{days{day}};
            sink.DayStarted(serialDay);
            const tm scanned = ScannedDay(serialDay);
            hits.clear();
            for (const std::uint32_t i : candidates[static_cast<std::size_t>(day - blockFirst)]) {
                if (const JubileeCount found = FindJubilee(scanned, list.Date(i)))
                    hits.push_back({day, i, found, isToday});
            }
            if (!hits.empty())
                sink.RowsFound(hits);
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

void AppendRowMessage(std::string &message, const DateList &list, const ScanHit &hit)
{
    AppendJubileeMessage(message, list.NameText(hit.entry), hit.jubilee,
                         list.SuffixText(hit.entry));
}

ResultRow MakeResultRow(const DateList &list, const ScanHit &hit)
{
    ResultRow row;
    row.dateText = DateText(sys_days{days{hit.day}});
    AppendRowMessage(row.message, list, hit);
    row.today = hit.today;
    row.yearJubilee = hit.jubilee.IsYear();
    return row;
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
    const QString example = QStringLiteral(FESTMARK_EXAMPLE_LIST);
    if (error == OpenError::NotFound && QFileInfo(example).isFile())
        message += "\nEine Beispielliste zum Anfangen liegt in " + example.toStdString() + ".";
    return message;
}

std::string BadLineReport(const std::string &path, const BadLine &badLine)
{
    return "Fehler in Datei " + path + ", Zeile " + std::to_string(badLine.lineNumber) + ": " +
           badLine.text;
}

std::string BadLinesMessage(const std::string &path, const DateList &list)
{
    std::string message = "Fehler in Datei " + path + ":";
    const std::vector<BadLine> &badLines = list.BadLines();
    const std::size_t shown = std::min(badLines.size(), kBadLinesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        message += "\nZeile " + std::to_string(badLines[i].lineNumber) + ": " +
                   Utf8Prefix(badLines[i].text, kBadLineTextShown);
    }
    if (const std::size_t more = list.BadLineCount() - shown; more > 0)
        message.append("\n").append(MoreBadLinesText(more));
    return message;
}

std::string MoreBadLinesText(std::size_t more)
{
    return "... und " + std::to_string(more) +
           (more == 1 ? " weitere fehlerhafte Zeile." : " weitere fehlerhafte Zeilen.");
}
