// The floor for the list mode: reads a date list of well-formed lines and enumerates each
// entry's jubilee days directly (its year days, round month counts, round week and day
// distances), then sorts all rows and prints them as `festmark --list` does, byte for byte.
// Usage: festmark_bench_direct FILE DAYS_BACK DAYS_AHEAD YYYY-MM-DD
#include "RoundNumber.h"
#include "Strings.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace std::chrono;

namespace {

struct Entry {
    year_month_day date;
    std::string name, suffix;
};

struct Row {
    int entry; // line
    int kind;  // 0 years, 1 months, 2 weeks, 3 days
    int count;
};

std::string DateText(sys_days day)
{
    const year_month_day ymd{day};
    char text[16];
    std::snprintf(text, sizeof text, "%02u.%02u.%04d", static_cast<unsigned>(ymd.day()),
                  static_cast<unsigned>(ymd.month()), static_cast<int>(ymd.year()));
    return text;
}

bool RoundOrOne(int n)
{
    return IsRoundNumber(n);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    std::ifstream in(argv[1]);
    std::vector<Entry> entries;
    for (std::string line; std::getline(in, line);) {
        const int d = std::atoi(line.substr(0, 2).c_str());
        const int m = std::atoi(line.substr(3, 2).c_str());
        const int y = std::atoi(line.substr(6, 4).c_str());
        const std::string text = line.size() > 11 ? line.substr(11) : std::string();
        const std::size_t hash = text.find('#');
        entries.push_back(
            {year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)},
             text.substr(0, hash),
             hash == std::string::npos ? std::string() : text.substr(hash + 1)});
    }
    const int back = std::atoi(argv[2]);
    const int ahead = std::atoi(argv[3]);
    int ty = 0;
    unsigned tm = 0, td = 0;
    std::sscanf(argv[4], "%d-%u-%u", &ty, &tm, &td);
    const sys_days today{year{ty} / month{tm} / day{td}};
    const sys_days first = today - days{back}, last = today + days{ahead};
    const int firstYear = static_cast<int>(year_month_day{first}.year());
    const int lastYear = static_cast<int>(year_month_day{last}.year());

    // Every day distance that can be a week or day jubilee, once for all entries.
    const int f = static_cast<int>(first.time_since_epoch().count());
    const int l = static_cast<int>(last.time_since_epoch().count());
    int farthestOfAll = 0;
    for (const Entry &entry : entries) {
        const int serial = static_cast<int>(sys_days{entry.date}.time_since_epoch().count());
        farthestOfAll = std::max({farthestOfAll, std::abs(f - serial), std::abs(l - serial)});
    }
    std::vector<int> roundDistances;
    for (int d = 0; d <= farthestOfAll; ++d) {
        if (RoundOrOne(d) || (d % 7 == 0 && RoundOrOne(d / 7)))
            roundDistances.push_back(d);
    }

    // Rows by day of the window; entries come in file order, so each day's rows are in order.
    std::vector<std::vector<Row>> rows(static_cast<std::size_t>(l - f + 1));
    const auto add = [&rows, f](int dayOfRow, Row row) {
        rows[static_cast<std::size_t>(dayOfRow - f)].push_back(row);
    };
    std::vector<int> candidates;
    for (int e = 0; e < static_cast<int>(entries.size()); ++e) {
        const year_month_day date = entries[static_cast<std::size_t>(e)].date;
        const int serial = static_cast<int>(sys_days{date}.time_since_epoch().count());
        candidates.clear();
        // The entry's day of the month in every month of the window: years and months.
        for (int y = firstYear; y <= lastYear; ++y) {
            for (unsigned m = 1; m <= 12; ++m) {
                const year_month_day c{year{y}, month{m}, date.day()};
                if (!c.ok())
                    continue;
                const int s = static_cast<int>(sys_days{c}.time_since_epoch().count());
                if (s < f || s > l)
                    continue;
                const int months = (y - static_cast<int>(date.year())) * 12 + static_cast<int>(m) -
                                   static_cast<int>(unsigned(date.month()));
                if (months % 12 == 0 || RoundOrOne(months))
                    candidates.push_back(s);
            }
        }
        // Round distances in days and weeks, both ways.
        const int nearest = std::max({0, f - serial, serial - l});
        for (auto d = std::lower_bound(roundDistances.begin(), roundDistances.end(), nearest);
             d != roundDistances.end(); ++d) {
            if (serial + *d > l && serial - *d < f)
                break;
            if (serial + *d >= f && serial + *d <= l)
                candidates.push_back(serial + *d);
            if (serial - *d >= f && serial - *d <= l)
                candidates.push_back(serial - *d);
        }
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
        for (const int s : candidates) {
            const year_month_day c{sys_days{days{s}}};
            const int d = s - serial;
            if (c.day() == date.day() && c.month() == date.month()) {
                const int years = static_cast<int>(c.year()) - static_cast<int>(date.year());
                if (years != 0)
                    add(s, {e, 0, years});
                continue;
            }
            if (c.day() == date.day()) {
                const int months =
                    (static_cast<int>(c.year()) - static_cast<int>(date.year())) * 12 +
                    static_cast<int>(unsigned(c.month())) -
                    static_cast<int>(unsigned(date.month()));
                if (RoundOrOne(months)) {
                    add(s, {e, 1, months});
                    continue;
                }
            }
            if (d % 7 == 0 && RoundOrOne(d / 7))
                add(s, {e, 2, d / 7});
            else if (RoundOrOne(d))
                add(s, {e, 3, d});
        }
    }
    static const int kUnits[4][2] = {{ids::kYear, ids::kYears},
                                     {ids::kMonth, ids::kMonths},
                                     {ids::kWeek, ids::kWeeks},
                                     {ids::kDay, ids::kDays}};
    std::string out = "Jubiläen vom " + DateText(first) + " bis zum " + DateText(last) + "\n";
    for (int s = f; s <= l; ++s) {
        const std::string date = DateText(sys_days{days{s}});
        const char today_flag = sys_days{days{s}} == today ? 'H' : '-';
        for (const Row &row : rows[static_cast<std::size_t>(s - f)]) {
            const Entry &entry = entries[static_cast<std::size_t>(row.entry)];
            out += date;
            out += '\t';
            out += today_flag;
            out += row.kind == 0 ? 'J' : '-';
            out += '\t';
            out += entry.name;
            char digits[16];
            out.append(digits, std::to_chars(digits, digits + sizeof digits, row.count).ptr);
            out += ' ';
            out += ResourceString(kUnits[row.kind][row.count == 1 ? 0 : 1]);
            out += entry.suffix;
            out += "!\n";
            if (out.size() > (1 << 16)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
