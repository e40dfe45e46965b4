#include "JubileeFinder.h"

#include "AddressBookCache.h"
#include "RowOutput.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <new>
#include <utility>

Source SourceAt(const QString &path)
{
    if (IsRemoteSource(path)) // an address, named without a password
        return {path, RemoteSourceUrl(path).toString().toStdString()};
    return {path, QDir::toNativeSeparators(path).toStdString()};
}

QString EntryText(const DateList &list, std::size_t entry)
{
    const std::chrono::year_month_day date = list.Day(entry).date;
    const QString day =
        QStringLiteral("%1.%2.")
            .arg(static_cast<unsigned>(date.day()), 2, 10, QLatin1Char('0'))
            .arg(static_cast<unsigned>(date.month()), 2, 10, QLatin1Char('0')) +
        (list.IsYearless(entry)
             ? QStringLiteral("----")
             : QStringLiteral("%1").arg(static_cast<int>(date.year()), 4, 10, QLatin1Char('0')));
    const std::string_view name = list.NameText(entry);
    const std::string_view suffix = list.SuffixText(entry);
    return day + QLatin1Char(' ') +
           QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + QLatin1Char('#') +
           QString::fromUtf8(suffix.data(), static_cast<qsizetype>(suffix.size()));
}

QString HiddenKey(const DateList &list, std::size_t entry, const QString &path)
{
    return EntryText(list, entry) + QLatin1Char('\t') + path;
}

QString HiddenKeyText(const QString &key)
{
    const qsizetype tab = key.lastIndexOf(QLatin1Char('\t'));
    if (tab < 0)
        return key;
    return key.first(tab) + QStringLiteral(" (") + QDir::toNativeSeparators(key.mid(tab + 1)) +
           QLatin1Char(')');
}

QString JubileeFinder::SourcePathOf(std::size_t entry) const
{
    const std::size_t source = m_entries->SourceOf(entry);
    return source == 0 ? m_paths.value(0)
                       : QString::fromStdString(std::string(m_entries->SourceKey(source)));
}

QString JubileeFinder::HiddenKeyOf(std::size_t entry) const
{
    return HiddenKey(*m_entries, entry, SourcePathOf(entry));
}

namespace {

// An address book on a server is read from what was last fetched of it.
std::optional<DateList> ReadRemoteSource(const QString &source, OpenError *error)
{
    std::optional<AddressBookCache> cache = LoadAddressBookCache(AddressBookCachePath(source));
    if (!cache) {
        *error = OpenError::NotCached;
        return std::nullopt;
    }
    try {
        return AddressBookEntries(*cache);
    } catch (const std::bad_alloc &) {
        *error = OpenError::OutOfMemory;
        return std::nullopt;
    }
}

} // namespace

void JubileeFinder::Read(const std::vector<Source> &sources, CodePage codePage,
                         const std::function<void()> &eachChunk, const QStringList &hidden)
{
    const QSet<QString> hiddenKeys(hidden.begin(), hidden.end());
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
            IsRemoteSource(source.path)
                ? ReadRemoteSource(source.path, &report.error)
                : ReadDateListFile(source.path, codePage, &report.error, eachChunk);
        if (!list)
            continue;
        if (!hiddenKeys.isEmpty())
            list = list->Filtered([&](std::size_t entry) {
                return !hiddenKeys.contains(HiddenKey(*list, entry, source.path));
            });
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
