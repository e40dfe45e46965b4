// The floor for the list mode: reads a date list of well-formed lines and enumerates each
// entry's jubilee days directly (its year days, round month counts, round week and day
// distances), then prints the rows day by day as `festmark --list` does, byte for byte. Kept
// tight on purpose: the file read in one go, every row written by hand into one buffer.
// Usage: festmark_bench_direct FILE DAYS_BACK DAYS_AHEAD YYYY-MM-DD
#include "RoundNumber.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using namespace std::chrono;

namespace {

struct Entry {
    year_month_day date;
    int serial;
    int month;      // counted from January of year 0
    int dayOfMonth; // 1..31
    std::string_view name, suffix;
};

struct Row {
    std::uint32_t entry;
    std::int32_t count;
    std::uint8_t kind; // 0 years, 1 months, 2 weeks, 3 days
    std::uint16_t day; // in its block
};

constexpr std::string_view kUnits[4][2] = {
    {"Jahr", "Jahre"}, {"Monat", "Monate"}, {"Woche", "Wochen"}, {"Tag", "Tage"}};

char *WriteDate(char *out, sys_days day)
{
    const year_month_day ymd{day};
    const auto d = static_cast<unsigned>(ymd.day());
    const auto m = static_cast<unsigned>(ymd.month());
    const auto y = static_cast<unsigned>(static_cast<int>(ymd.year()));
    const char text[10] = {char('0' + d / 10),   char('0' + d % 10),       '.',
                           char('0' + m / 10),   char('0' + m % 10),       '.',
                           char('0' + y / 1000), char('0' + y / 100 % 10), char('0' + y / 10 % 10),
                           char('0' + y % 10)};
    std::memcpy(out, text, sizeof text);
    return out + sizeof text;
}

int Serial(sys_days day)
{
    return static_cast<int>(day.time_since_epoch().count());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 5)
        return 2;
    std::FILE *file = std::fopen(argv[1], "rb");
    if (file == nullptr)
        return 1;
    std::string content;
    char piece[1 << 16];
    for (std::size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;)
        content.append(piece, got);
    std::fclose(file);

    std::vector<Entry> entries;
    for (std::size_t pos = 0; pos < content.size();) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string::npos)
            end = content.size();
        const std::string_view line(content.data() + pos, end - pos);
        pos = end + 1;
        const auto number = [line](std::size_t at, std::size_t length) {
            int value = 0;
            std::from_chars(line.data() + at, line.data() + at + length, value);
            return value;
        };
        const year_month_day date{year{number(6, 4)}, month(static_cast<unsigned>(number(3, 2))),
                                  day(static_cast<unsigned>(number(0, 2)))};
        const std::string_view text = line.size() > 11 ? line.substr(11) : std::string_view();
        const std::size_t hash = text.find('#');
        entries.push_back(
            {date, Serial(sys_days{date}),
             static_cast<int>(date.year()) * 12 + static_cast<int>(unsigned{date.month()}) - 1,
             static_cast<int>(unsigned{date.day()}), text.substr(0, hash),
             hash == std::string_view::npos ? std::string_view() : text.substr(hash + 1)});
    }
    const int back = std::atoi(argv[2]);
    const int ahead = std::atoi(argv[3]);
    int ty = 0;
    unsigned tm = 0, td = 0;
    std::sscanf(argv[4], "%d-%u-%u", &ty, &tm, &td);
    const sys_days today{year{ty} / month{tm} / day{td}};
    const sys_days first = today - days{back}, last = today + days{ahead};
    const int f = Serial(first);
    const int l = Serial(last);

    // Which distances are round, once for all entries.
    int farthest = 0;
    for (const Entry &entry : entries)
        farthest = std::max({farthest, std::abs(f - entry.serial), std::abs(l - entry.serial)});
    std::vector<char> round(static_cast<std::size_t>(farthest) + 1);
    for (int n = 1; n <= farthest; ++n)
        round[static_cast<std::size_t>(n)] = IsRoundNumber(n) ? 1 : 0;
    struct Distance {
        int days;
        Row row; // its jubilee forward
    };
    std::vector<Distance> distances;
    for (int d = 1; d <= farthest; ++d) {
        if (d % 7 == 0 && round[static_cast<std::size_t>(d / 7)])
            distances.push_back({d, {0, d / 7, 2, 0}});
        else if (round[static_cast<std::size_t>(d)])
            distances.push_back({d, {0, d, 3, 0}});
    }

    std::string out(1 << 17, '\0');
    char *at = out.data();
    const auto flush = [&] {
        std::fwrite(out.data(), 1, static_cast<std::size_t>(at - out.data()), stdout);
        at = out.data();
    };
    const auto put = [&at](std::string_view text) {
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    };
    put("Jubiläen vom ");
    at = WriteDate(at, first);
    put(" bis zum ");
    at = WriteDate(at, last);
    *at++ = '\n';
    // Day by day in blocks: each block's rows are made entry by entry, then put in day order
    // by one counting pass (stable, so each day keeps the file's order); both arrays are
    // reused, and memory stays flat however many rows the window holds.
    constexpr int kBlock = 1024;
    // Per entry: the first distance after its day the next block can reach, and one past the
    // last one before it.
    std::vector<std::uint32_t> after(entries.size());
    std::vector<std::uint32_t> before(entries.size());
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const auto by = [](const Distance &a, int b) {
            return a.days < b;
        };
        after[e] = static_cast<std::uint32_t>(
            std::lower_bound(distances.begin(), distances.end(), f - entries[e].serial, by) -
            distances.begin());
        before[e] = static_cast<std::uint32_t>(
            std::lower_bound(distances.begin(), distances.end(), entries[e].serial - f + 1, by) -
            distances.begin());
    }
    std::vector<Row> made;
    std::vector<Row> sorted;
    std::vector<std::uint32_t> starts(kBlock + 1);
    for (int bf = f; bf <= l; bf += kBlock) {
        const int bl = std::min(l, bf + kBlock - 1);
        made.clear();
        const auto add = [&made, bf](std::uint32_t e, int dayOfRow, std::int32_t count,
                                     std::uint8_t kind) {
            made.push_back({e, count, kind, static_cast<std::uint16_t>(dayOfRow - bf)});
        };
        // The block's months once: where each begins and how long it is, so that an entry's
        // day in a month is an addition, not a calendar conversion.
        const year_month_day blockFirstDate{sys_days{days{bf}}};
        const year_month_day blockLastDate{sys_days{days{bl}}};
        const int firstMonth = static_cast<int>(blockFirstDate.year()) * 12 +
                               static_cast<int>(unsigned{blockFirstDate.month()}) - 1;
        const int lastMonth = static_cast<int>(blockLastDate.year()) * 12 +
                              static_cast<int>(unsigned{blockLastDate.month()}) - 1;
        int monthStart[kBlock / 28 + 2];
        int monthLength[kBlock / 28 + 2];
        for (int m = firstMonth; m <= lastMonth; ++m) {
            const year_month ym{year{m / 12}, month{static_cast<unsigned>(m % 12 + 1)}};
            monthStart[m - firstMonth] = Serial(sys_days{ym / 1});
            monthLength[m - firstMonth] =
                static_cast<int>(unsigned{(ym / std::chrono::last).day()});
        }
        for (std::uint32_t e = 0; e < entries.size(); ++e) {
            const Entry &entry = entries[e];
            // Before the entry's day (counting down), then after it; each from where the last
            // block left off.
            std::uint32_t i = before[e];
            for (; i > 0 && distances[i - 1].days >= entry.serial - bl; --i)
                add(e, entry.serial - distances[i - 1].days, -distances[i - 1].row.count,
                    distances[i - 1].row.kind);
            before[e] = i;
            std::uint32_t j = after[e];
            for (; j < distances.size() && distances[j].days <= bl - entry.serial; ++j) {
                if (distances[j].days >= bf - entry.serial)
                    add(e, entry.serial + distances[j].days, distances[j].row.count,
                        distances[j].row.kind);
            }
            after[e] = j;
            for (int m = firstMonth; m <= lastMonth; ++m) {
                if (entry.dayOfMonth > monthLength[m - firstMonth])
                    continue;
                const int s = monthStart[m - firstMonth] + entry.dayOfMonth - 1;
                if (s < bf || s > bl)
                    continue;
                const int k = m - entry.month;
                if (k != 0 && k % 12 == 0)
                    add(e, s, k / 12, 0);
                else if (k != 0 && round[static_cast<std::size_t>(std::abs(k))])
                    add(e, s, k, 1);
            }
        }
        std::fill(starts.begin(), starts.end(), 0);
        for (const Row &row : made)
            ++starts[row.day + 1u];
        for (int i = 0; i < kBlock; ++i)
            starts[static_cast<std::size_t>(i) + 1] += starts[static_cast<std::size_t>(i)];
        sorted.resize(made.size());
        for (const Row &row : made)
            sorted[starts[row.day]++] = row;

        std::size_t next = 0;
        for (int s = bf; s <= bl; ++s) {
            char date[10];
            WriteDate(date, sys_days{days{s}});
            const char todayFlag = s == Serial(today) ? 'H' : '-';
            const std::size_t end = starts[static_cast<std::size_t>(s - bf)];
            for (; next < end; ++next) {
                const Row &row = sorted[next];
                // A month count on the same entry and day comes right after a distance and
                // takes its place.
                if (next + 1 < end && sorted[next + 1].entry == row.entry)
                    continue;
                const Entry &entry = entries[row.entry];
                if (static_cast<std::size_t>(at - out.data()) + 64 + entry.name.size() +
                        entry.suffix.size() >
                    out.size())
                    flush();
                std::memcpy(at, date, sizeof date);
                at += sizeof date;
                *at++ = '\t';
                *at++ = todayFlag;
                *at++ = row.kind == 0 ? 'J' : '-';
                *at++ = '\t';
                put(entry.name);
                at = std::to_chars(at, at + 16, row.count).ptr;
                *at++ = ' ';
                put(kUnits[row.kind][row.count == 1 ? 0 : 1]);
                put(entry.suffix);
                *at++ = '!';
                *at++ = '\n';
            }
        }
    }
    flush();
    return 0;
}
