#pragma once

#include "ICalendar.h"
#include "Output.h"
#include "Scan.h"

#include <memory>
#include <optional>
#include <span>
#include <string>

// The rows of a scan written out: as the terminal's list, or as a calendar file.

// Rows into one buffer, reused, and out in large writes. After a failed write nothing more
// is written; the scan ends and the failure is reported.
class BufferedSink : public ScanSink {
public:
    explicit BufferedSink(Output &output);
    bool Finish();

protected:
    // Room for `bytes` more, written in place (the rows of a long list are millions); then
    // Written() with the end of what was written.
    char *Room(std::size_t bytes);
    void Written(const char *end);
    void Append(std::string_view text);

private:
    bool Flush();
    Output &m_output;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity;
    std::size_t m_used = 0;
    bool m_ok = true;
};

// The list on the terminal: date, flags (H today, J a year), message, tab-separated, and
// coloured like the window's rows where the terminal shows colours.
class ListSink : public BufferedSink {
public:
    ListSink(const DateList &list, Output &output, bool colour);
    void Caption(const std::string &caption);
    void DayStarted(std::chrono::sys_days day) override;
    void RowsFound(std::span<const ScanHit> rows) override;

private:
    const DateList &m_list;
    bool m_colour;
    std::string m_date;
};

// The rows as the events of an iCalendar file.
class ICalendarSink : public BufferedSink {
public:
    ICalendarSink(const DateList &list, Output &output, std::optional<int> alarmDays);
    void RowsFound(std::span<const ScanHit> rows) override;
    bool Finish();
    std::size_t EventCount() const noexcept { return m_writer.EventCount(); }

private:
    ICalendarWriter m_writer;
    std::string m_text; // one day's events
};
