#pragma once

#include "Scan.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The rows of a scan as an iCalendar file (RFC 5545) for the user's calendar: one all-day
// event per row, its summary the row's message. An event's UID stays the same for the same
// entry, day and kind of count from one run to the next, so that importing again updates
// the events instead of adding them twice. The file is one to import or subscribe to (no
// METHOD: that would make it a scheduling message), and valid also without any event.
class ICalendarWriter {
public:
    // `stamp`: the moment the file is made (DTSTAMP). `alarmDays`: a reminder at 09:00 that
    // many days before each event (0: on its day), or none.
    ICalendarWriter(const DateList &list, std::chrono::sys_seconds stamp,
                    std::optional<int> alarmDays = std::nullopt);

    void Begin(std::string &out) const; // BEGIN:VCALENDAR and the calendar's properties
    void Add(std::string &out, const ScanHit &row);
    void End(std::string &out) const;
    std::size_t EventCount() const noexcept { return m_events; }

private:
    const DateList &m_list;
    std::optional<std::string> m_trigger; // the alarm's TRIGGER value
    std::size_t m_events = 0;
    std::string m_stamp;                   // "YYYYMMDDTHHMMSSZ"
    std::vector<std::uint64_t> m_identity; // per entry: its date and texts, and which copy
};

// A content line, folded after 75 octets without splitting a character, ended with CR LF.
void AppendContentLine(std::string &out, std::string_view line);
// TEXT as RFC 5545 escapes it: backslash, semicolon, comma and line breaks.
std::string EscapedText(std::string_view text);
