#pragma once

#include "DateList.h"

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

// The window scan: every day from today minus the days back to today plus the days ahead,
// walked in calendar days, each entry put to the jubilee chain. Rows go to a sink by day, and
// within a day in the order of the file's lines.

struct ResultRow {
    std::string dateText; // "DD.MM.YYYY"
    std::string message;
    bool today = false;
    bool yearJubilee = false;
};

class ScanSink {
public:
    virtual ~ScanSink() = default;
    virtual void DayStarted(const tm & /*day*/, bool /*isToday*/) {}
    virtual void RowFound(const ResultRow &row) = 0;
};

struct ScanWindow {
    std::chrono::sys_days today;
    std::chrono::sys_days first; // after last when the window holds no day
    std::chrono::sys_days last;

    int DayCount() const noexcept;
};

// The window
std::chrono::year_month_day LocalToday();
ScanWindow MakeScanWindow(std::chrono::year_month_day today, int daysBack, int daysAhead);
tm ScannedDay(std::chrono::sys_days day);
std::string DateText(const tm &day);                // "%2.2i.%2.2i.%4.4i"
std::string RangeCaption(const ScanWindow &window); // "Jubiläen vom ... bis zum ..."

// The entries of one scan, prepared once: for every day of the window, the entries that can
// have a jubilee on it (the same day of the month for years and months, a round distance for
// weeks and days), so that a day's pass asks the chain only about those. The entries must
// outlive the plan; its size grows with the rows found, not with days times entries.
class ScanPlan {
public:
    ScanPlan(const std::vector<Entry> &entries, const ScanWindow &window);

    void ScanDay(std::chrono::sys_days day, bool isToday, ScanSink &sink) const;

private:
    const std::vector<Entry> &m_entries;
    std::chrono::sys_days m_first;
    std::vector<std::vector<int>> m_candidates; // per day of the window, in file order
};

// Runs the whole window over the entries.
void RunWindowScan(const ScanWindow &window, const std::vector<Entry> &entries, ScanSink &sink);

// Reports of bad lines: the message box text of one scan, and one line per bad line.
std::string BadLinesMessage(const std::string &path, const std::vector<BadLine> &badLines);
std::string BadLineReport(const std::string &path, const BadLine &badLine);
std::string OpenFailureMessage(const std::string &path); // "Fehler beim Öffnen von PATH"
