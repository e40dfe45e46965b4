#include "Scan.h"

#include "Calendar.h"
#include "Jubilee.h"
#include "RoundNumber.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace std::chrono;

// Keeps the calendar arithmetic well inside what chrono and tm can hold, whatever the stored
// settings say; the options allow far less.
constexpr int kMaxWindowDays = 100000;
constexpr std::size_t kBadLinesShown = 10;
constexpr std::size_t kBadLineTextShown = 80; // characters

std::string Utf8Prefix(const std::string &text, std::size_t characters)
{
    std::size_t pos = 0;
    for (std::size_t count = 0; pos < text.size(); ++pos) {
        const bool leadByte = (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80;
        if (leadByte && count++ == characters)
            return text.substr(0, pos) + "…";
    }
    return text;
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
{
    m_keys.reserve(entries.size());
    long long maxMagnitude = 0;
    const long long first = window.first.time_since_epoch().count();
    const long long last = window.last.time_since_epoch().count();
    for (const Entry &entry : entries) {
        const long long serial = SerialDay(entry.date);
        m_keys.push_back({serial, entry.date.tm_mday});
        maxMagnitude =
            std::max({maxMagnitude, std::llabs(first - serial), std::llabs(last - serial)});
    }
    // Which day distances can be a week or day jubilee, decided once per scan rather than once
    // per entry and day. Symmetric in the sign, like the round-number rule.
    m_roundDayCounts.resize(static_cast<std::size_t>(maxMagnitude) + 1);
    for (long long d = 0; d <= maxMagnitude; ++d) {
        const int days = static_cast<int>(d);
        m_roundDayCounts[static_cast<std::size_t>(d)] =
            IsRoundNumber(days) || (days % 7 == 0 && IsRoundNumber(days / 7));
    }
}

void ScanPlan::ScanDay(const tm &day, bool isToday, ScanSink &sink) const
{
    const long long serial = SerialDay(day);
    const std::string dateText = DateText(day);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const Key &key = m_keys[i];
        const int days = static_cast<int>(serial - key.serialDay);
        // Years and months need the same day of the month; weeks and days a round distance.
        if (day.tm_mday != key.dayOfMonth &&
            !m_roundDayCounts[static_cast<std::size_t>(std::abs(days))])
            continue;
        const Entry &entry = m_entries[i];
        Jubilee hit = CheckJubilee(day, entry.date, entry.nameText, entry.suffixText);
        if (hit)
            sink.RowFound({dateText, std::move(hit.message), isToday, hit.yearJubilee});
    }
}

void RunWindowScan(const ScanWindow &window, const std::vector<Entry> &entries, ScanSink &sink)
{
    const ScanPlan plan(entries, window);
    for (sys_days d = window.first; d <= window.last; d += days{1}) {
        const tm day = ScannedDay(d);
        const bool isToday = d == window.today;
        sink.DayStarted(day, isToday);
        plan.ScanDay(day, isToday, sink);
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
