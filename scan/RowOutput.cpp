#include "RowOutput.h"

#include <cstring>

namespace {

constexpr std::size_t kFlushSize = 1 << 16;
// A row's bytes besides its message: date, flags, tabs, colours and the line end.
constexpr std::size_t kRowFrame = 64;
constexpr std::size_t kDateLength = 10; // "14.03.2026"

constexpr const char *kReset = "\x1b[0m";
constexpr const char *kYellowOnRed = "\x1b[33;41m";
constexpr const char *kWhiteOnRed = "\x1b[97;41m";
constexpr const char *kBlackOnYellow = "\x1b[30;103m";

const char *ColourCode(CellLook look)
{
    switch (look) {
    case CellLook::TodayYear:
        return kYellowOnRed;
    case CellLook::Today:
        return kWhiteOnRed;
    case CellLook::Year:
        return kBlackOnYellow;
    case CellLook::Plain:
        break;
    }
    return nullptr;
}

} // namespace

BufferedSink::BufferedSink(Output &output)
    : m_output(output)
    , m_buffer(new char[2 * kFlushSize])
    , m_capacity(2 * kFlushSize)
{
}

char *BufferedSink::Room(std::size_t bytes)
{
    if (m_used + bytes > m_capacity) {
        Flush();
        if (bytes > m_capacity) { // one huge row
            m_buffer.reset(new char[bytes]);
            m_capacity = bytes;
        }
    }
    return m_buffer.get() + m_used;
}

void BufferedSink::Written(const char *end)
{
    m_used = static_cast<std::size_t>(end - m_buffer.get());
    if (m_used >= kFlushSize)
        Flush();
}

void BufferedSink::Append(std::string_view text)
{
    char *out = Room(text.size());
    std::memcpy(out, text.data(), text.size());
    Written(out + text.size());
}

bool BufferedSink::Flush()
{
    if (m_ok && m_used > 0)
        m_ok = m_output.Write(std::string_view(m_buffer.get(), m_used));
    m_used = 0;
    return m_ok;
}

bool BufferedSink::Finish()
{
    return Flush() && (m_ok = m_output.Finish());
}

ListSink::ListSink(const DateList &list, Output &output, bool colour)
    : BufferedSink(output)
    , m_list(list)
    , m_colour(colour)
{
}

void ListSink::Caption(const std::string &caption)
{
    Append(caption);
    Append("\n");
}

void ListSink::DayStarted(std::chrono::sys_days day)
{
    m_date = DateText(day);
}

void ListSink::RowsFound(std::span<const ScanHit> rows)
{
    for (const ScanHit &row : rows) {
        char *out = Room(kRowFrame + RowMessageRoom(m_list, row));
        const auto put = [&out](std::string_view text) {
            std::memcpy(out, text.data(), text.size());
            out += text.size();
        };
        // The look is asked for only where the terminal shows it.
        const RowLook look = m_colour ? LookOf(row) : RowLook{CellLook::Plain, CellLook::Plain};
        const char *dateColour = ColourCode(look.date);
        const char *messageColour = ColourCode(look.message);
        if (dateColour != nullptr)
            put(dateColour);
        if (m_date.size() == kDateLength) { // a copy of known length is no library call
            std::memcpy(out, m_date.data(), kDateLength);
            out += kDateLength;
        } else {
            put(m_date);
        }
        if (dateColour != nullptr)
            put(kReset);
        *out++ = '\t';
        *out++ = row.today ? 'H' : '-';
        *out++ = row.jubilee.IsYear() ? 'J' : '-';
        *out++ = '\t';
        if (messageColour != nullptr)
            put(messageColour);
        out = WriteRowMessage(out, m_list, row);
        if (messageColour != nullptr)
            put(kReset);
        *out++ = '\n';
        Written(out);
    }
}

ICalendarSink::ICalendarSink(const DateList &list, Output &output, std::optional<int> alarmDays)
    : BufferedSink(output)
    , m_writer(list, std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()),
               alarmDays)
{
    m_writer.Begin(m_text);
    Append(m_text);
    m_text.clear();
}

void ICalendarSink::RowsFound(std::span<const ScanHit> rows)
{
    // A day may have a million events: they go out in pieces, not as one text.
    for (const ScanHit &row : rows) {
        m_writer.Add(m_text, row);
        if (m_text.size() >= kFlushSize) {
            Append(m_text);
            m_text.clear();
        }
    }
    Append(m_text);
    m_text.clear();
}

bool ICalendarSink::Finish()
{
    m_writer.End(m_text);
    Append(m_text);
    m_text.clear();
    return BufferedSink::Finish();
}
