#include "Scan.h"

#include "Console.h"
#include "DateListFile.h"
#include "Jubilee.h"
#include "RoundNumber.h"

#include <QDate>
#include <QDir>
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

// Days a block holds: its candidate lists stay small, and so does the memory (a block holds
// its rows: 1024 days of 50,000 entries took 33 MB, 256 days take 18 MB).
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

// Calls visit(step) for every step whose distance is in [low, high] (clamped at 0).
template <typename Visit>
void ForSteps(const std::vector<Step> &steps, int low, int high, Visit visit)
{
    for (auto step = std::lower_bound(steps.begin(), steps.end(), Step{std::max(low, 0), {}});
         step != steps.end() && step->distance <= high; ++step)
        visit(*step);
}

JubileeCount Backward(JubileeCount jubilee) noexcept
{
    return {-jubilee.count, jubilee.kind};
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
        if (list.IsYearless(i))
            continue; // no distance to count
        const int serial = list.SerialDay(i);
        maxDays = std::max({maxDays, std::abs(first - serial), std::abs(last - serial)});
        const int month = MonthIndex(list.Day(i).date);
        maxMonths =
            std::max({maxMonths, std::abs(firstMonth - month), std::abs(lastMonth - month)});
    }
    const Steps steps(maxDays, maxMonths);

    // The rows of each day of a block, in the order of the entries.
    std::vector<std::vector<ScanHit>> rows(kBlockDays);
    for (int blockFirst = first; blockFirst <= last; blockFirst += kBlockDays) {
        const int blockLast = std::min(last, blockFirst + kBlockDays - 1);
        const int blockFirstMonth = MonthIndex(sys_days{days{blockFirst}});
        const int blockLastMonth = MonthIndex(sys_days{days{blockLast}});
        const year blockFirstYear = year_month_day{sys_days{days{blockFirst}}}.year();
        const year blockLastYear = year_month_day{sys_days{days{blockLast}}}.year();
        for (std::vector<ScanHit> &onDay : rows)
            onDay.clear();
        for (std::size_t i = 0; i < list.size(); ++i) {
            const auto index = static_cast<std::uint32_t>(i);
            // An entry's rows come together; on a day that is both a round distance and a
            // round month count, years and months go first, as in the chain.
            const auto add = [&](int day, JubileeCount jubilee) {
                if (day < blockFirst || day > blockLast)
                    return;
                std::vector<ScanHit> &onDay = rows[static_cast<std::size_t>(day - blockFirst)];
                if (!onDay.empty() && onDay.back().entry == index)
                    onDay.back().jubilee = jubilee; // only a month step comes second
                else
                    onDay.push_back({day, index, jubilee, day == today});
            };
            if (list.IsYearless(i)) { // its day in every year of the block, with no count
                const year_month_day date = list.Day(i).date;
                for (year y = blockFirstYear; y <= blockLastYear; ++y) {
                    if (const year_month_day onYear{y, date.month(), date.day()}; onYear.ok())
                        add(Serial(sys_days{onYear}), {1, JubileeKind::Year});
                }
                continue;
            }
            // Weeks and days: round distances both ways from the entry's date.
            const int serial = list.SerialDay(i);
            ForSteps(steps.days, blockFirst - serial, blockLast - serial,
                     [&](const Step &d) { add(serial + d.distance, d.jubilee); });
            ForSteps(steps.days, serial - blockLast, serial - blockFirst,
                     [&](const Step &d) { add(serial - d.distance, Backward(d.jubilee)); });
            // Years and months: the entry's day of the month, where the month count can be one.
            const year_month_day date = list.Day(i).date;
            const int entryMonth = MonthIndex(date);
            const auto addMonth = [&](int month, JubileeCount jubilee) {
                const int y = month >= 0 ? month / 12 : (month - 11) / 12;
                const year_month_day candidate{
                    year{y}, std::chrono::month{static_cast<unsigned>(month - y * 12 + 1)},
                    date.day()};
                if (candidate.ok())
                    add(Serial(sys_days{candidate}), jubilee);
            };
            ForSteps(steps.months, blockFirstMonth - entryMonth, blockLastMonth - entryMonth,
                     [&](const Step &k) { addMonth(entryMonth + k.distance, k.jubilee); });
            ForSteps(
                steps.months, entryMonth - blockLastMonth, entryMonth - blockFirstMonth,
                [&](const Step &k) { addMonth(entryMonth - k.distance, Backward(k.jubilee)); });
        }

        for (int day = blockFirst; day <= blockLast; ++day) {
            sink.DayStarted(sys_days{days{day}});
            if (const std::vector<ScanHit> &onDay =
                    rows[static_cast<std::size_t>(day - blockFirst)];
                !onDay.empty())
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

void AppendRowMessage(std::string &message, const DateList &list, const ScanHit &hit)
{
    if (list.IsYearless(hit.entry)) { // "Anna hat Geburtstag!"
        message.append(list.NameText(hit.entry)).append(list.SuffixText(hit.entry)).append("!");
        return;
    }
    AppendJubileeMessage(message, list.NameText(hit.entry), hit.jubilee,
                         list.SuffixText(hit.entry));
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
