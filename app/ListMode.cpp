#include "ListMode.h"

#include "Console.h"
#include "DateListFile.h"
#include "ICalendar.h"
#include "Scan.h"
#include "Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the date list cannot be read, or the output not written
constexpr int kExitUsage = 2;

constexpr const char *kReset = "\x1b[0m";
constexpr const char *kYellowOnRed = "\x1b[33;41m";
constexpr const char *kWhiteOnRed = "\x1b[97;41m";
constexpr const char *kBlackOnYellow = "\x1b[30;103m";

struct UsageError {
    std::string text;
};

std::string Printable(std::string_view text)
{
    std::string result;
    AppendPrintable(result, text);
    return result;
}

void WriteLine(std::FILE *stream, const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
}

// Why a write failed, in German.
std::string WriteFailure(int error)
{
    switch (error) {
    case EPIPE:
        return "die Ausgabe wurde geschlossen";
    case ENOSPC:
        return "kein Platz mehr auf dem Datenträger";
#ifdef EDQUOT // not in the Windows runtime
    case EDQUOT:
        return "das Speicherkontingent ist erschöpft";
#endif
    case EIO:
        return "Ein-/Ausgabefehler";
    default:
        return "Fehler " + std::to_string(error);
    }
}

// Where the rows go: standard output, or a file that replaces the old one only when it has
// been written whole.
class Output {
public:
    virtual ~Output() = default;
    virtual bool Write(std::string_view text) = 0;
    virtual bool Finish() = 0;
    virtual std::string Failure() const = 0; // "Fehler beim Schreiben ...: why"
};

class StreamOutput : public Output {
public:
    explicit StreamOutput(std::FILE *stream)
        : m_stream(stream)
    {
    }
    bool Write(std::string_view text) override
    {
        if (std::fwrite(text.data(), 1, text.size(), m_stream) == text.size())
            return true;
        m_error = errno;
        return false;
    }
    bool Finish() override
    {
        if (std::fflush(m_stream) == 0 && !std::ferror(m_stream))
            return true;
        m_error = m_error != 0 ? m_error : errno;
        return false;
    }
    std::string Failure() const override
    {
        return "Fehler beim Schreiben der Ausgabe: " + WriteFailure(m_error);
    }

private:
    std::FILE *m_stream;
    int m_error = 0;
};

class FileOutput : public Output {
public:
    explicit FileOutput(const QString &path)
        : m_file(path)
        , m_opened(m_file.open(QIODevice::WriteOnly))
    {
    }
    bool Write(std::string_view text) override
    {
        return m_opened && m_file.write(text.data(), static_cast<qint64>(text.size())) ==
                               static_cast<qint64>(text.size());
    }
    bool Finish() override { return m_opened && m_file.commit(); }
    std::string Failure() const override
    {
        return "Fehler beim Schreiben von " +
               Printable(QDir::toNativeSeparators(m_file.fileName()).toStdString()) + ": " +
               m_file.errorString().toStdString();
    }

private:
    QSaveFile m_file;
    bool m_opened;
};

// Rows into one buffer, reused, and out in large writes. After a failed write nothing more
// is written; the scan ends and the failure is reported.
class BufferedSink : public ScanSink {
public:
    explicit BufferedSink(Output &output)
        : m_output(output)
    {
        m_buffer.reserve(kFlushSize + 4096);
    }

    bool Flush()
    {
        if (m_ok)
            m_ok = m_output.Write(m_buffer);
        m_buffer.clear();
        return m_ok;
    }
    bool Finish() { return Flush() && (m_ok = m_output.Finish()); }

protected:
    static constexpr std::size_t kFlushSize = 1 << 16;

    void FlushWhenFull()
    {
        if (m_buffer.size() >= kFlushSize)
            Flush();
    }

    std::string m_buffer;

private:
    Output &m_output;
    bool m_ok = true;
};

// The list on the terminal: date, flags (H today, J a year), message, tab-separated, and
// coloured like the window's rows where the terminal shows colours.
class ListSink : public BufferedSink {
public:
    ListSink(const DateList &list, Output &output, bool colour)
        : BufferedSink(output)
        , m_list(list)
        , m_colour(colour)
    {
    }

    void Caption(const std::string &caption)
    {
        m_buffer += caption;
        m_buffer += '\n';
    }

    void DayStarted(std::chrono::sys_days day) override { m_date = DateText(day); }

    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            const RowLook look = LookOf(row);
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

private:
    static const char *Code(CellLook look)
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
    void Colour(CellLook look)
    {
        if (const char *code = Code(look); m_colour && code != nullptr)
            m_buffer += code;
    }
    void Reset(CellLook look)
    {
        if (m_colour && Code(look) != nullptr)
            m_buffer += kReset;
    }

    const DateList &m_list;
    bool m_colour;
    std::string m_date;
};

// The rows as the events of an iCalendar file.
class ICalendarSink : public BufferedSink {
public:
    ICalendarSink(const DateList &list, Output &output)
        : BufferedSink(output)
        , m_writer(list, std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()))
    {
        m_writer.Begin(m_buffer);
    }

    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows)
            m_writer.Add(m_buffer, row);
        FlushWhenFull();
    }

    bool Finish()
    {
        m_writer.End(m_buffer);
        return BufferedSink::Finish();
    }

private:
    ICalendarWriter m_writer;
};

int ParseDays(const QCommandLineParser &parser, const QCommandLineOption &option, int maximum,
              int fallback)
{
    if (!parser.isSet(option))
        return fallback;
    const QString text = parser.value(option);
    bool ok = false;
    const int value = text.toInt(&ok);
    const std::string name = "--" + option.names().first().toStdString();
    if (!ok)
        throw UsageError{name + ": keine ganze Zahl: " + text.toStdString()};
    if (value < 0 || value > maximum)
        throw UsageError{name + ": erlaubt sind 0 bis " + std::to_string(maximum) + ", nicht " +
                         std::to_string(value)};
    return value;
}

// The last value of a long option as given: "--name VALUE" or "--name=VALUE".
QByteArray LastValue(const QByteArrayList &arguments, const QByteArray &name)
{
    QByteArray value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == name && i + 1 < arguments.size())
            value = arguments[++i];
        else if (arguments[i].startsWith(name + '='))
            value = arguments[i].mid(name.size() + 1);
    }
    return value;
}

std::chrono::year_month_day ParseToday(const QString &text)
{
    using namespace std::chrono;
    static const QRegularExpression german(R"(^(\d{1,2})\.(\d{1,2})\.(\d{4})$)");
    static const QRegularExpression iso(R"(^(\d{4})-(\d{2})-(\d{2})$)");
    int d = 0;
    int m = 0;
    int y = 0;
    if (const auto match = german.match(text); match.hasMatch()) {
        d = match.captured(1).toInt();
        m = match.captured(2).toInt();
        y = match.captured(3).toInt();
    } else if (const auto isoMatch = iso.match(text); isoMatch.hasMatch()) {
        y = isoMatch.captured(1).toInt();
        m = isoMatch.captured(2).toInt();
        d = isoMatch.captured(3).toInt();
    }
    const year_month_day date{year{y}, month{static_cast<unsigned>(m)},
                              day{static_cast<unsigned>(d)}};
    if (y == 0 || !date.ok())
        throw UsageError{"--date: kein gültiges Datum (TT.MM.JJJJ oder JJJJ-MM-TT): " +
                         text.toStdString()};
    return date;
}

} // namespace

int RunCommandLine(const QStringList &arguments, const QByteArrayList &rawArguments,
                   const QString &exePath, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(
        "Festmark erinnert an runde Jubiläen. Ohne Optionen öffnet es sein Fenster; mit --list "
        "schreibt es die Jubiläen des Zeitraums um heute ins Terminal, mit --ics als "
        "Kalenderdatei (iCalendar)."));
    // Qt's own help option would offer --help-all with options the program does not take.
    const QCommandLineOption helpOption({"h", "help", "?"},
                                        QString::fromUtf8("Diese Hilfe zeigen."));
    const QCommandLineOption versionOption({"v", "version"},
                                           QString::fromUtf8("Die Version zeigen."));
    const QCommandLineOption listOption("list",
                                        QString::fromUtf8("Jubiläen im Terminal auflisten."));
    const QCommandLineOption icsOption(
        "ics", QString::fromUtf8("Jubiläen als Kalenderdatei (iCalendar) ausgeben."));
    const QCommandLineOption outputOption(
        "output", QString::fromUtf8("Die Kalenderdatei hierhin schreiben statt ins Terminal."),
        "DATEI");
    const QCommandLineOption fileOption("file", QString::fromUtf8("Diese Datumsliste lesen."),
                                        "PFAD");
    const QCommandLineOption backOption(
        "back", QString::fromUtf8("So viele Tage zurück (0 bis 3652)."), "N");
    const QCommandLineOption aheadOption(
        "ahead", QString::fromUtf8("So viele Tage voraus (0 bis 13149)."), "N");
    const QCommandLineOption dateOption(
        "date", QString::fromUtf8("Als wäre heute DATUM (TT.MM.JJJJ oder JJJJ-MM-TT)."), "DATUM");
    const QCommandLineOption oemOption("oem", QString::fromUtf8("Datei in Codepage 850 (OEM)."));
    const QCommandLineOption ansiOption(
        "ansi", QString::fromUtf8("Datei in UTF-8 oder Windows-1252 (ANSI)."));
    parser.addOptions({helpOption, versionOption, listOption, icsOption, outputOption, fileOption,
                       backOption, aheadOption, dateOption, oemOption, ansiOption});

    std::string report; // standard error, written in one go
    const auto say = [&report](const std::string &line) {
        report += "festmark: " + line + "\n";
    };
    const auto finish = [&report, err](int status) {
        std::fwrite(report.data(), 1, report.size(), err);
        std::fflush(err);
        return status;
    };
    try {
        if (!parser.parse(arguments))
            throw UsageError{parser.errorText().toStdString()};
        if (parser.isSet(helpOption)) {
            WriteLine(out, parser.helpText().toStdString());
            return kExitOk;
        }
        if (parser.isSet(versionOption)) {
            WriteLine(out, "festmark " + QCoreApplication::applicationVersion().toStdString());
            return kExitOk;
        }
        if (!parser.positionalArguments().isEmpty())
            throw UsageError{"unbekanntes Argument: " +
                             Printable(parser.positionalArguments().first().toStdString())};
        const bool ics = parser.isSet(icsOption);
        if (!parser.isSet(listOption) && !ics)
            throw UsageError{"diese Optionen gelten nur mit --list oder --ics; ohne Optionen "
                             "öffnet festmark sein Fenster"};
        if (parser.isSet(listOption) && ics)
            throw UsageError{"--list und --ics schließen einander aus"};
        if (parser.isSet(outputOption) && !ics)
            throw UsageError{"--output gilt nur mit --ics"};
        if (parser.isSet(oemOption) && parser.isSet(ansiOption))
            throw UsageError{"--oem und --ansi schließen einander aus"};

        QString settingsProblem;
        Settings settings = LoadSettings(DefaultFilePath(exePath), &settingsProblem);
        if (!settingsProblem.isEmpty())
            say(settingsProblem.toStdString());
        // The date list as messages name it: as given, not as PathFromArgument may open it.
        QString named = settings.filePath;
        if (parser.isSet(fileOption)) {
            named = parser.value(fileOption);
            settings.filePath = PathFromArgument(named, LastValue(rawArguments, "--file"));
        }
        const std::string path = Printable(QDir::toNativeSeparators(named).toStdString());
        settings.startDays = ParseDays(parser, backOption, kMaxStartDays, settings.startDays);
        settings.stopDays = ParseDays(parser, aheadOption, kMaxStopDays, settings.stopDays);
        if (parser.isSet(oemOption))
            settings.oemFile = 1;
        if (parser.isSet(ansiOption))
            settings.oemFile = 0;
        const auto today =
            parser.isSet(dateOption) ? ParseToday(parser.value(dateOption)) : LocalToday();
        const ScanWindow window = MakeScanWindow(today, settings.startDays, settings.stopDays);

        StreamOutput standardOutput(out);
        std::optional<FileOutput> file;
        if (parser.isSet(outputOption))
            file.emplace(parser.value(outputOption));
        Output &output = file ? static_cast<Output &>(*file) : standardOutput;

        OpenError error = OpenError::None;
        const std::optional<DateList> list =
            ReadDateListFile(settings.filePath, settings.oemFile, &error);
        if (!list) {
            if (!ics) // the caption says which days the list would have covered
                standardOutput.Write(RangeCaption(window) + "\n");
            standardOutput.Finish();
            say(OpenFailureMessage(path, error));
            return finish(kExitFailure);
        }
        if (!list->MissingCodePage().empty())
            say(MissingCodePageMessage(list->MissingCodePage()));
        for (const BadLine &bad : list->BadLines())
            say(Printable(BadLineReport(path, bad)));
        if (const std::size_t more = list->BadLineCount() - list->BadLines().size(); more > 0)
            say("Fehler in Datei " + path + ": " + MoreBadLinesText(more));

        bool written = false;
        if (ics) {
            // The entries as read: the window's export names the same events by the same UIDs.
            ICalendarSink sink(*list, output);
            RunWindowScan(window, *list, sink);
            written = sink.Finish();
        } else {
            // Each entry's texts are made fit for the terminal once, not once per row.
            std::optional<DateList> printable;
            if (!list->IsPrintable())
                printable = list->Printable();
            const DateList &shown = printable ? *printable : *list;
            ListSink sink(shown, output, ShowsColourCodes(out));
            sink.Caption(RangeCaption(window));
            RunWindowScan(window, shown, sink);
            written = sink.Finish();
        }
        if (!written) {
            say(output.Failure());
            return finish(kExitFailure);
        }
        return finish(kExitOk);
    } catch (const UsageError &error) {
        say(error.text);
        return finish(kExitUsage);
    }
}
