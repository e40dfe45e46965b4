#include "JubileeFinder.h"

#include "RowOutput.h"

#include <QDir>

#include <algorithm>
#include <new>
#include <utility>

Source SourceAt(const QString &path)
{
    return {path, QDir::toNativeSeparators(path).toStdString()};
}

void JubileeFinder::Read(const std::vector<Source> &sources, CodePage codePage,
                         const std::function<void()> &eachChunk)
{
    DateList entries;
    std::vector<SourceReport> reports;
    QStringList paths;
    for (const Source &source : sources) {
        // The same file named twice would give every row twice.
        if (!reports.empty() && paths.contains(source.path))
            continue;
        SourceReport &report = reports.emplace_back();
        report.name = source.name;
        paths += source.path;
        std::optional<DateList> list =
            ReadDateListFile(source.path, codePage, &report.error, eachChunk);
        if (!list)
            continue;
        report.badLines = list->BadLines();
        report.badLineCount = list->BadLineCount();
        report.missingCodePage = list->MissingCodePage();
        if (reports.size() == 1) {
            entries = std::move(*list);
            continue;
        }
        try {
            entries.AppendSource(*list, source.path.toStdString());
        } catch (const std::bad_alloc &) {
            report.error = OpenError::OutOfMemory; // all sources' texts together do not fit
        }
    }
    m_entries = std::make_shared<const DateList>(std::move(entries));
    m_reports = std::move(reports);
    m_paths = std::move(paths);
}

bool JubileeFinder::AllRead() const noexcept
{
    return std::none_of(m_reports.begin(), m_reports.end(),
                        [](const SourceReport &report) { return report.error != OpenError::None; });
}

void JubileeFinder::Scan(const ScanWindow &window, ScanSink &sink) const
{
    RunWindowScan(window, *m_entries, sink, m_leapDay);
}

bool JubileeFinder::WriteList(const ScanWindow &window, Output &output, bool colour) const
{
    // Each entry's texts are made fit for the terminal once, not once per row.
    std::optional<DateList> printable;
    if (!m_entries->IsPrintable())
        printable = m_entries->Printable();
    const DateList &shown = printable ? *printable : *m_entries;
    ListSink sink(shown, output, colour);
    sink.Caption(RangeCaption(window));
    RunWindowScan(window, shown, sink, m_leapDay);
    return sink.Finish();
}

bool JubileeFinder::WriteCalendar(const ScanWindow &window, Output &output,
                                  std::optional<int> alarmDays, std::size_t *events) const
{
    // The entries as read: the window's export and the terminal's name the same events by
    // the same UIDs.
    ICalendarSink sink(*m_entries, output, alarmDays);
    RunWindowScan(window, *m_entries, sink, m_leapDay);
    if (events != nullptr)
        *events = sink.EventCount();
    return sink.Finish();
}

std::string ReportMessage(std::span<const SourceReport> reports)
{
    std::string message;
    for (const SourceReport &report : reports) {
        if (!report.HasProblem())
            continue;
        if (!message.empty())
            message += "\n\n";
        message += report.error != OpenError::None
                       ? OpenFailureMessage(report.name, report.error)
                       : BadLinesMessage(report.name, report.badLines, report.badLineCount);
    }
    return message;
}

std::vector<std::string> ReportLines(std::span<const SourceReport> reports)
{
    std::vector<std::string> lines;
    if (const std::string missing = MissingCodePageOf(reports); !missing.empty())
        lines.push_back(MissingCodePageMessage(missing));
    for (const SourceReport &report : reports) {
        if (report.error != OpenError::None) {
            lines.push_back(OpenFailureMessage(report.name, report.error));
            continue;
        }
        for (const BadLine &bad : report.badLines)
            lines.push_back(BadLineReport(report.name, bad));
        if (const std::size_t more = report.badLineCount - report.badLines.size(); more > 0)
            lines.push_back(MoreBadLinesReport(report.name, more));
    }
    return lines;
}

std::string MissingCodePageOf(std::span<const SourceReport> reports)
{
    for (const SourceReport &report : reports) {
        if (!report.missingCodePage.empty())
            return report.missingCodePage;
    }
    return {};
}
