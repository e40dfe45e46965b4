#pragma once

#include "CodePage.h"
#include "DateList.h"
#include "DateListFile.h"
#include "Output.h"
#include "Scan.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One source of entries: a date list or an address book file.
struct Source {
    QString path;     // as it is opened
    std::string name; // as messages name it
};
// A source named by its path, in the system's own separators.
Source SourceAt(const QString &path);

// What reading one source found wrong: the file could not be read, or lines are no entries.
struct SourceReport {
    std::string name;
    OpenError error = OpenError::None;
    std::vector<BadLine> badLines; // the first ones, with their numbers
    std::size_t badLineCount = 0;
    std::string missingCodePage; // a code page the file needed and this Qt lacks

    bool HasProblem() const noexcept { return error != OpenError::None || badLineCount > 0; }
};

// The one road from the sources to the rows, for the window, the terminal and the calendar
// alike: it reads every source (the date list first, then the further ones, each path once),
// words what was wrong with each, and scans all their entries together. On a day the first
// source's rows come first, and within a source the order of its lines.
class JubileeFinder {
public:
    // `eachChunk`, when given, is called after every piece read: a caller may show that a
    // big file is being read, or end the reading by throwing.
    // Entries the user hid (their HiddenKey) are left out.
    void Read(const std::vector<Source> &sources, CodePage codePage,
              const std::function<void()> &eachChunk = {}, const QStringList &hidden = {});
    // How the settings keep an entry hidden: its line and its source's file, so that it
    // stays hidden when other lines of the source change.
    QString HiddenKeyOf(std::size_t entry) const;
    QString SourcePathOf(std::size_t entry) const; // the file the entry was read from
    // Where a 29 February's year jubilee falls in common years, for every scan after.
    void SetLeapDay(LeapDay leapDay) noexcept { m_leapDay = leapDay; }

    // Every source's entries, the first source's first.
    const std::shared_ptr<const DateList> &Entries() const { return m_entries; }
    // One report per source, in their order.
    const std::vector<SourceReport> &Reports() const { return m_reports; }
    bool AllRead() const noexcept; // every source could be opened and read
    // The files read: an output must never be written over one of them.
    const QStringList &Paths() const { return m_paths; }

    void Scan(const ScanWindow &window, ScanSink &sink) const;
    // The rows as the terminal's list (the caption first), or as a calendar file (the events
    // written in `events`). False when the output failed; output.Failure() says why.
    bool WriteList(const ScanWindow &window, Output &output, bool colour) const;
    bool WriteCalendar(const ScanWindow &window, Output &output, std::optional<int> alarmDays,
                       std::size_t *events = nullptr) const;

private:
    std::shared_ptr<const DateList> m_entries = std::make_shared<const DateList>();
    std::vector<SourceReport> m_reports;
    QStringList m_paths;
    LeapDay m_leapDay = LeapDay::OnlyInLeapYears;
};

// An entry's line as a date list writes it ("14.03.1976 Anna wird # alt"), and with its file
// as the settings keep it hidden.
QString EntryText(const DateList &list, std::size_t entry);
QString HiddenKey(const DateList &list, std::size_t entry, const QString &path);
// A hidden entry as the options list it: "14.03.1976 Anna wird # alt (liste.txt)".
QString HiddenKeyText(const QString &key);

// The problems of the sources, worded once: as one message box, and as the terminal's lines
// (every bad line kept, not only the first). A code page this Qt lacks is said apart, once.
std::string ReportMessage(std::span<const SourceReport> reports);
std::vector<std::string> ReportLines(std::span<const SourceReport> reports);
std::string MissingCodePageOf(std::span<const SourceReport> reports); // empty when none
