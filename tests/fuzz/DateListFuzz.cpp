// libFuzzer: any bytes through the date list reader, the scan over any window and the reports.
#include "DateList.h"
#include "DateListReader.h"
#include "Scan.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace {

struct CountingSink : ScanSink {
    explicit CountingSink(const DateList &entries)
        : list(entries)
    {
    }
    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            std::string message = DateText(std::chrono::sys_days{std::chrono::days{row.day}});
            AppendRowMessage(message, list, row);
            bytes += message.size();
        }
    }
    const DateList &list;
    std::size_t bytes = 0;
};

} // namespace

// The first byte picks the code page, the next four the window (anywhere up to the longest
// one the options allow); the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace std::chrono;
    if (size < 5)
        return 0;
    const int control = data[0];
    const int back = (data[1] << 8 | data[2]) % 3653;
    const int ahead = (data[3] << 8 | data[4]) % 13150;
    const QByteArrayView content(reinterpret_cast<const char *>(data + 5),
                                 static_cast<qsizetype>(size - 5));
    const DateList list =
        ParseDateList(content, (control & 1) != 0 ? CodePage::Oem : CodePage::Ansi);
    CountingSink sink(list);
    const ScanWindow window = MakeScanWindow(2026y / March / 14, back, ahead);
    RunWindowScan(window, list, sink);
    if (list.BadLineCount() > 0)
        sink.bytes += BadLinesMessage("f", list.BadLines(), list.BadLineCount()).size();
    return sink.bytes == static_cast<std::size_t>(-1) ? 1 : 0;
}
