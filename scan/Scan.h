#pragma once

#include "DateList.h"
#include "DateListFile.h"
#include "Jubilee.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The window scan: every day from today minus the days back to today plus the days ahead,
// walked in calendar days, each entry put to the jubilee chain. Rows go to a sink day by
// day, and within a day in the order of the file's lines. A row is kept compactly (the day,
// the entry, the count and its unit); its texts are made only where it is shown.

struct ScanHit {
    std::int32_t day;    // days since 01.01.1970
    std::uint32_t entry; // index in the date list
    JubileeCount jubilee;
    bool today = false;
};

class ScanSink {
public:
    virtual ~ScanSink() = default;
    virtual void DayStarted(std::chrono::sys_days /*day*/) {}
    virtual void RowsFound(std::span<const ScanHit> rows) = 0; // one day's rows, if any
};

struct ScanWindow {
    std::chrono::sys_days today;
    std::chrono::sys_days first; // after last when the window holds no day
    std::chrono::sys_days last;
    bool clamped = false; // the days asked for went past 01.01.0001 or 31.12.9999

    int DayCount() const noexcept;
};

// The window
std::chrono::year_month_day LocalToday();
ScanWindow MakeScanWindow(std::chrono::year_month_day today, int daysBack, int daysAhead);
std::string ClampedWindowMessage(); // said once where the window was cut to those years
std::string DateText(std::chrono::sys_days day);    // "%2.2i.%2.2i.%4.4i"
std::string RangeCaption(const ScanWindow &window); // "Jubiläen vom ... bis zum ..."

// Runs the whole window over the entries. The days are taken in blocks: for each block the
// entries that can have a jubilee on one of its days (the same day of the month for years
// and months, a round distance for weeks and days) are found first, so that the chain is
// asked only about those, and the memory does not grow with the rows.
void RunWindowScan(const ScanWindow &window, const DateList &list, ScanSink &sink,
                   LeapDay leapDay = LeapDay::OnlyInLeapYears);

// How a row's cells look, in the window and on the terminal alike: today's date is red
// (yellow text on a year anniversary, white otherwise), a year anniversary is yellow, and
// today never colours the message.
enum class CellLook { Plain, TodayYear, Today, Year };
struct RowLook {
    CellLook date;
    CellLook message;
};
RowLook LookOf(const ScanHit &hit);

// A row's texts
void AppendRowMessage(std::string &message, const DateList &list, const ScanHit &hit);
// The same written at `out`, which has RowMessageRoom bytes; returns the end.
std::size_t RowMessageRoom(const DateList &list, const ScanHit &hit) noexcept;
char *WriteRowMessage(char *out, const DateList &list, const ScanHit &hit) noexcept;

// Reports of bad lines: the message box text of one scan, and one line per bad line.
// `badLines` are the first of `count` bad lines.
std::string BadLinesMessage(const std::string &path, std::span<const BadLine> badLines,
                            std::size_t count);
std::string BadLineReport(const std::string &path, const BadLine &badLine);
// "... und N weitere fehlerhafte Zeilen.": the bad lines past those reported one by one, and
// the terminal's line that says so for a file.
std::string MoreBadLinesText(std::size_t more);
std::string MoreBadLinesReport(const std::string &path, std::size_t more);
// When the rows of a scan do not fit the free memory.
std::string TooManyRowsMessage();
// When this Qt lacks a code page the file needed (said once per program run).
std::string MissingCodePageMessage(const std::string &codePage);
// "Fehler beim Öffnen von PATH: REASON"; for a missing list, where an example list is to be
// found when one is installed.
std::string OpenFailureMessage(const std::string &path, OpenError error);
