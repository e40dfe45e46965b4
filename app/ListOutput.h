#pragma once

#include "ICalendar.h"
#include "Scan.h"
#include "SettingsStore.h"

#include <QString>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

// Where the terminal's rows go: standard output, or a file that replaces the old one only
// when it has been written whole.
class Output {
public:
    virtual ~Output() = default;
    virtual bool Write(std::string_view text) = 0;
    virtual bool Finish() = 0;
    virtual std::string Failure() const = 0; // "Fehler beim Schreiben ...: why"
};

class StreamOutput : public Output {
public:
    explicit StreamOutput(std::FILE *stream);
    bool Write(std::string_view text) override;
    bool Finish() override;
    std::string Failure() const override;

private:
    std::FILE *m_stream;
    int m_error = 0;
};

// A named file (see OutputFile): never the date list `keep`.
class FileOutput : public Output {
public:
    FileOutput(const QString &path, const QString &keep, const QByteArray &nativeName);
    bool Ready() const { return m_file.ErrorString().isEmpty(); } // else refused or unopened
    bool Write(std::string_view text) override;
    bool Finish() override;
    std::string Failure() const override;

private:
    OutputFile m_file;
};

// Rows into one buffer, reused, and out in large writes. After a failed write nothing more
// is written; the scan ends and the failure is reported.
class BufferedSink : public ScanSink {
public:
    explicit BufferedSink(Output &output);
    bool Finish();

protected:
    void FlushWhenFull();
    std::string m_buffer;

private:
    bool Flush();
    Output &m_output;
    bool m_ok = true;
};

// The list on the terminal: date, flags (H today, J a year), message, tab-separated, and
// coloured like the window's rows where the terminal shows colours.
class ListSink : public BufferedSink {
public:
    ListSink(const DateList &list, Output &output, bool colour);
    void Caption(const std::string &caption);
    void DayStarted(std::chrono::sys_days day) override;
    void RowsFound(std::span<const ScanHit> rows) override;

private:
    void Colour(CellLook look);
    void Reset(CellLook look);

    const DateList &m_list;
    bool m_colour;
    std::string m_date;
};

// The rows as the events of an iCalendar file.
class ICalendarSink : public BufferedSink {
public:
    ICalendarSink(const DateList &list, Output &output, std::optional<int> alarmDays);
    void RowsFound(std::span<const ScanHit> rows) override;
    bool Finish();
    std::size_t EventCount() const noexcept { return m_writer.EventCount(); }

private:
    ICalendarWriter m_writer;
};
