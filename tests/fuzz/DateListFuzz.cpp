// libFuzzer: any bytes through the date list reader, the scan and the reports.
#include "DateList.h"
#include "Scan.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

struct CountingSink : ScanSink {
    explicit CountingSink(const DateList &entries)
        : list(entries)
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            const ResultRow shown = MakeResultRow(list, row);
            bytes += shown.dateText.size() + shown.message.size();
        }
    }
    const DateList &list;
    std::size_t bytes = 0;
};

} // namespace

// The first byte picks the code page and the window; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace std::chrono;
    if (size == 0)
        return 0;
    const int control = data[0];
    const QByteArrayView content(reinterpret_cast<const char *>(data + 1),
                                 static_cast<qsizetype>(size - 1));
    const DateList list = ParseDateList(content, control & 1);
    CountingSink sink(list);
    const ScanWindow window = MakeScanWindow(2026y / March / 14, (control >> 1) & 7, control >> 4);
    RunWindowScan(window, list, sink);
    if (list.BadLineCount() > 0)
        sink.bytes += BadLinesMessage("f", list).size();
    return sink.bytes == static_cast<std::size_t>(-1) ? 1 : 0;
}
