#include "ICalendar.h"

#include <cstdio>
#include <unordered_map>

namespace {

using namespace std::chrono;

constexpr std::size_t kLineOctets = 75;

// FNV-1a: the same number for the same bytes on every machine and in every run.
class Fnv1a {
public:
    void Add(std::string_view bytes)
    {
        for (const char c : bytes)
            Add(c);
        Add('\0');
    }
    void Add(char c)
    {
        m_hash ^= static_cast<unsigned char>(c);
        m_hash *= 1099511628211ULL;
    }
    std::uint64_t Value() const { return m_hash; }

private:
    std::uint64_t m_hash = 14695981039346656037ULL;
};

std::string DateValue(sys_days day)
{
    const year_month_day date{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

char KindLetter(JubileeKind kind)
{
    switch (kind) {
    case JubileeKind::Year:
        return 'J';
    case JubileeKind::Month:
        return 'M';
    case JubileeKind::Week:
        return 'W';
    case JubileeKind::Day:
        break;
    }
    return 'T';
}

} // namespace

ICalendarWriter::ICalendarWriter(const DateList &list, sys_seconds stamp,
                                 std::optional<int> alarmDays)
    : m_list(list)
{
    // An all-day event starts at its day's 00:00: 09:00 on the day is 9 hours after, and
    // 09:00 N days before is N days less 9 hours before.
    if (alarmDays)
        m_trigger = *alarmDays == 0   ? std::string("PT9H")
                    : *alarmDays == 1 ? std::string("-PT15H")
                                      : "-P" + std::to_string(*alarmDays - 1) + "DT15H";
    const auto day = floor<days>(stamp);
    const hh_mm_ss time{stamp - day};
    char text[16];
    std::snprintf(text, sizeof text, "T%02d%02d%02dZ", static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    m_stamp = DateValue(day) + text;

    // An entry is known by its date and texts, not by its line: a line added above it must
    // not change its events. The same entry twice counts its copies.
    std::unordered_map<std::uint64_t, int> copies;
    m_identity.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        Fnv1a hash;
        hash.Add(std::to_string(list.SerialDay(i)));
        hash.Add(list.NameText(i));
        hash.Add(list.SuffixText(i));
        // The first source's events keep the UIDs they had before there were more sources.
        if (const std::size_t source = list.SourceOf(i); source > 0)
            hash.Add(list.SourceKey(source));
        Fnv1a identity = hash;
        identity.Add(std::to_string(copies[hash.Value()]++));
        m_identity.push_back(identity.Value());
    }
}

void ICalendarWriter::Begin(std::string &out) const
{
    AppendContentLine(out, "BEGIN:VCALENDAR");
    AppendContentLine(out, "VERSION:2.0");
    AppendContentLine(out, "PRODID:-//Orvanta//Festmark " FESTMARK_VERSION "//DE");
    AppendContentLine(out, "CALSCALE:GREGORIAN");
    AppendContentLine(out, "X-WR-CALNAME:Festmark");
}

void ICalendarWriter::Add(std::string &out, const ScanHit &row)
{
    const sys_days day{days{row.day}};
    char uid[64];
    std::snprintf(uid, sizeof uid, "%016llx-%s-%c@festmark",
                  static_cast<unsigned long long>(m_identity[row.entry]), DateValue(day).c_str(),
                  KindLetter(row.jubilee.kind));
    std::string message;
    AppendRowMessage(message, m_list, row);
    std::string summary; // TEXT may hold a TAB, but no other control character
    AppendPrintable(summary, message, Tabs::Kept);
    const std::string text = EscapedText(summary);
    AppendContentLine(out, "BEGIN:VEVENT");
    AppendContentLine(out, std::string("UID:") + uid);
    AppendContentLine(out, "DTSTAMP:" + m_stamp);
    AppendContentLine(out, "DTSTART;VALUE=DATE:" + DateValue(day));
    // A day's event ends the next day; 31.12.9999 has none in four digits, and an all-day
    // event without an end is one day long all the same.
    if (day < sys_days{year{9999} / December / 31})
        AppendContentLine(out, "DTEND;VALUE=DATE:" + DateValue(day + days{1}));
    AppendContentLine(out, "SUMMARY:" + text);
    AppendContentLine(out, "TRANSP:TRANSPARENT"); // a jubilee takes no time from a day
    if (m_trigger) {
        AppendContentLine(out, "BEGIN:VALARM");
        AppendContentLine(out, "ACTION:DISPLAY");
        AppendContentLine(out, "DESCRIPTION:" + text);
        AppendContentLine(out, "TRIGGER:" + *m_trigger);
        AppendContentLine(out, "END:VALARM");
    }
    AppendContentLine(out, "END:VEVENT");
    ++m_events;
}

void ICalendarWriter::End(std::string &out) const
{
    // A calendar needs one component. Without events it gets a time zone that no event uses,
    // so that a subscribed calendar empties instead of keeping stale events.
    if (m_events == 0) {
        for (const char *line : {"BEGIN:VTIMEZONE", "TZID:UTC", "BEGIN:STANDARD",
                                 "DTSTART:19700101T000000", "TZOFFSETFROM:+0000",
                                 "TZOFFSETTO:+0000", "TZNAME:UTC", "END:STANDARD", "END:VTIMEZONE"})
            AppendContentLine(out, line);
    }
    AppendContentLine(out, "END:VCALENDAR");
}

void AppendContentLine(std::string &out, std::string_view line)
{
    std::size_t room = kLineOctets;
    while (line.size() > room) {
        // Back up to the start of a character: UTF-8 continuation bytes are 10xxxxxx.
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line.substr(0, cut)).append("\r\n ");
        line.remove_prefix(cut);
        room = kLineOctets - 1; // the leading blank counts
    }
    out.append(line).append("\r\n");
}

std::string EscapedText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\':
        case ';':
        case ',':
            escaped += '\\';
            escaped += c;
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}
