// libFuzzer: any bytes as an address book (after BEGIN:VCARD), through the reader, the scan
// and the calendar export.
#include "DateList.h"
#include "DateListReader.h"
#include "ICalendar.h"
#include "Scan.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

struct CalendarSink : ScanSink {
    CalendarSink(const DateList &entries)
        : writer(entries, std::chrono::sys_seconds{})
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows)
            writer.Add(text, row);
    }
    ICalendarWriter writer;
    std::string text;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace std::chrono;
    QByteArray cards("BEGIN:VCARD\r\n");
    cards.append(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const DateList list = ParseDateList(cards, CodePage::Ansi);
    CalendarSink sink(list);
    RunWindowScan(MakeScanWindow(2026y / March / 14, 30, 30), list, sink);
    return sink.text.size() == static_cast<std::size_t>(-1) ? 1 : 0;
}
