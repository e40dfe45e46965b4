#include "Scan.h"

#include "Calendar.h"
#include "Jubilee.h"
#include "RoundNumber.h"

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
    const std::time_t now = std::time(nullptr);
    tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return year{local.tm_year + 1900} / month{static_cast<unsigned>(local.tm_mon + 1)} /
           day{static_cast<unsigned>(local.tm_mday)};
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

std::string RangeCaption(const ScanWindow &window)
{
    return "Jubiläen vom " + DateText(ScannedDay(window.first)) + " bis zum " +
           DateText(ScannedDay(window.last));
}

ScanPlan::ScanPlan(const std::vector<Entry> &entries, const ScanWindow &window)
    : m_entries(entries)
    , m_first(window.first)
{
    const int dayCount = window.DayCount();
    m_candidates.resize(static_cast<std::size_t>(dayCount));
    if (dayCount == 0)
        return;
    const long long first = window.first.time_since_epoch().count();
    const long long last = window.last.time_since_epoch().count();

    // Day distances that can be a week or day jubilee, smallest first, decided only for the
    // distances at which some entry meets the window; the rule is symmetric in the sign.
    std::vector<std::pair<long long, long long>> reach; // [nearest, farthest] per entry
    reach.reserve(entries.size());
    for (const Entry &entry : entries) {
        const long long serial = SerialDay(entry.date);
        reach.emplace_back(std::max({0LL, first - serial, serial - last}),
                           std::max(std::llabs(first - serial), std::llabs(last - serial)));
    }
    std::sort(reach.begin(), reach.end());
    std::vector<int> roundDistances;
    long long decidedUpTo = -1;
    for (const auto &[nearest, farthest] : reach) {
        for (long long d = std::max(nearest, decidedUpTo + 1); d <= farthest; ++d) {
            const int days = static_cast<int>(d);
            if (IsRoundNumber(days) || (days % 7 == 0 && IsRoundNumber(days / 7)))
                roundDistances.push_back(days);
        }
        decidedUpTo = std::max(decidedUpTo, farthest);
    }

    const year_month_day firstDay{window.first};
    const year_month_day lastDay{window.last};
    const int firstMonth = static_cast<int>(firstDay.year()) * 12 +
                           static_cast<int>(static_cast<unsigned>(firstDay.month())) - 1;
    const int lastMonth = static_cast<int>(lastDay.year()) * 12 +
                          static_cast<int>(static_cast<unsigned>(lastDay.month())) - 1;

    for (std::size_t i = 0; i < entries.size(); ++i) {
        const tm &date = entries[i].date;
        const long long serial = SerialDay(date);
        const int index = static_cast<int>(i);
        const auto add = [&](long long day) {
            if (day < first || day > last)
                return;
            std::vector<int> &onDay = m_candidates[static_cast<std::size_t>(day - first)];
            if (onDay.empty() || onDay.back() != index) // an entry's days come together
                onDay.push_back(index);
        };
        // Weeks and days: distances both ways from the entry's date.
        const auto from = std::lower_bound(roundDistances.begin(), roundDistances.end(),
                                           std::max({0LL, first - serial, serial - last}));
        for (auto d = from; d != roundDistances.end(); ++d) {
            if (serial + *d > last && serial - *d < first)
                break;
            add(serial + *d);
            add(serial - *d);
        }
        // Years and months: the entry's day of the month, where the month count can be one.
        const int entryMonth = (date.tm_year + 1900) * 12 + date.tm_mon;
        for (int month = firstMonth; month <= lastMonth; ++month) {
            const int months = month - entryMonth;
            if (months % 12 != 0 && !IsRoundNumber(months))
                continue;
            const int y = month >= 0 ? month / 12 : (month - 11) / 12;
            const year_month_day candidate{
                year{y}, std::chrono::month{static_cast<unsigned>(month - y * 12 + 1)},
                day{static_cast<unsigned>(date.tm_mday)}};
            if (candidate.ok())
                add(sys_days{candidate}.time_since_epoch().count());
        }
    }
}

void ScanPlan::ScanDay(sys_days day, bool isToday, ScanSink &sink) const
{
    const long long index = (day - m_first).count();
    if (index < 0 || index >= static_cast<long long>(m_candidates.size()))
        return;
    const tm date = ScannedDay(day);
    const std::string dateText = DateText(date);
    for (const int i : m_candidates[static_cast<std::size_t>(index)]) {
        const Entry &entry = m_entries[static_cast<std::size_t>(i)];
        Jubilee hit = CheckJubilee(date, entry.date, entry.nameText, entry.suffixText);
        if (hit)
            sink.RowFound({dateText, std::move(hit.message), isToday, hit.yearJubilee});
    }
}

void RunWindowScan(const ScanWindow &window, const std::vector<Entry> &entries, ScanSink &sink)
{
    const ScanPlan plan(entries, window);
    for (sys_days d = window.first; d <= window.last; d += days{1}) {
        const bool isToday = d == window.today;
        sink.DayStarted(ScannedDay(d), isToday);
        plan.ScanDay(d, isToday, sink);
    }
}

std::string OpenFailureMessage(const std::string &path)
{
    return "Fehler beim Öffnen von " + path;
}

std::string BadLineReport(const std::string &path, const BadLine &badLine)
{
    return "Fehler in Datei " + path + ", Zeile " + std::to_string(badLine.lineNumber) + ": " +
           badLine.text;
}

std::string BadLinesMessage(const std::string &path, const std::vector<BadLine> &badLines)
{
    std::string message = "Fehler in Datei " + path + ":";
    const std::size_t shown = std::min(badLines.size(), kBadLinesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        message += "\nZeile " + std::to_string(badLines[i].lineNumber) + ": " +
                   Utf8Prefix(badLines[i].text, kBadLineTextShown);
    }
    const std::size_t more = badLines.size() - shown;
    if (more == 1)
        message += "\n... und 1 weitere fehlerhafte Zeile.";
    else if (more > 1)
        message += "\n... und " + std::to_string(more) + " weitere fehlerhafte Zeilen.";
    return message;
}
