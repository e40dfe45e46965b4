#include "RowOutput.h"

namespace {

constexpr std::size_t kFlushSize = 1 << 16;

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
{
    m_buffer.reserve(kFlushSize + 4096);
}

bool BufferedSink::Flush()
{
    if (m_ok)
        m_ok = m_output.Write(m_buffer);
    m_buffer.clear();
    return m_ok;
}

bool BufferedSink::Finish()
{
    return Flush() && (m_ok = m_output.Finish());
}

void BufferedSink::FlushWhenFull()
{
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

ListSink::ListSink(const DateList &list, Output &output, bool colour)
    : BufferedSink(output)
    , m_list(list)
    , m_colour(colour)
{
}

void ListSink::Caption(const std::string &caption)
{
    m_buffer += caption;
    m_buffer += '\n';
}

void ListSink::DayStarted(std::chrono::sys_days day)
{
    m_date = DateText(day);
}

void ListSink::RowsFound(std::span<const ScanHit> rows)
{
    for (const ScanHit &row : rows) {
        // The look is asked for only where the terminal shows it.
        const RowLook look = m_colour ? LookOf(row) : RowLook{CellLook::Plain, CellLook::Plain};
        Colour(look.date);
        m_buffer += m_date;
        Reset(look.date);
        m_buffer += '\t';
        m_buffer += row.today ? 'H' : '-';
        m_buffer += row.jubilee.IsYear() ? 'J' : '-';
        m_buffer += '\t';
        Colour(look.message);
        AppendRowMessage(m_buffer, m_list, row);
        Reset(look.message);
        m_buffer += '\n';
    }
    FlushWhenFull();
}

void ListSink::Colour(CellLook look)
{
    if (const char *code = ColourCode(look); code != nullptr)
        m_buffer += code;
}

void ListSink::Reset(CellLook look)
{
    if (ColourCode(look) != nullptr)
        m_buffer += kReset;
}

ICalendarSink::ICalendarSink(const DateList &list, Output &output, std::optional<int> alarmDays)
    : BufferedSink(output)
    , m_writer(list, std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()),
               alarmDays)
{
    m_writer.Begin(m_buffer);
}

void ICalendarSink::RowsFound(std::span<const ScanHit> rows)
{
    for (const ScanHit &row : rows)
        m_writer.Add(m_buffer, row);
    FlushWhenFull();
}

bool ICalendarSink::Finish()
{
    m_writer.End(m_buffer);
    return BufferedSink::Finish();
}
