#include "ListMode.h"

#include "Console.h"
#include "DateList.h"
#include "Scan.h"
#include "Settings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitCannotOpen = 1;
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

// Rows go into one buffer, reused, and out in large writes. The list's texts come fit for
// the terminal already.
class ListSink : public ScanSink {
public:
    ListSink(const DateList &list, std::FILE *out, bool colour)
        : m_list(list)
        , m_out(out)
        , m_colour(colour)
    {
        m_buffer.reserve(kFlushSize + 4096);
    }
    ~ListSink() override { Flush(); }

    void DayStarted(std::chrono::sys_days day, bool) override { m_date = DateText(day); }

    void RowsFound(std::span<const ScanHit> rows) override
    {
        for (const ScanHit &row : rows) {
            const bool year = row.jubilee.IsYear();
            const char *dateColour = year ? (row.today ? kYellowOnRed : kBlackOnYellow)
                                          : (row.today ? kWhiteOnRed : nullptr);
            Colour(dateColour);
            m_buffer += m_date;
            Reset(dateColour);
            m_buffer += '\t';
            m_buffer += row.today ? 'H' : '-';
            m_buffer += year ? 'J' : '-';
            m_buffer += '\t';
            Colour(year ? kBlackOnYellow : nullptr);
            AppendRowMessage(m_buffer, m_list, row);
            Reset(year ? kBlackOnYellow : nullptr);
            m_buffer += '\n';
        }
        if (m_buffer.size() >= kFlushSize)
            Flush();
    }

    void Flush()
    {
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_out);
        m_buffer.clear();
    }

private:
    static constexpr std::size_t kFlushSize = 1 << 16;

    void Colour(const char *colour)
    {
        if (m_colour && colour != nullptr)
            m_buffer += colour;
    }
    void Reset(const char *colour)
    {
        if (m_colour && colour != nullptr)
            m_buffer += kReset;
    }

    const DateList &m_list;
    std::FILE *m_out;
    bool m_colour;
    std::string m_date;
    std::string m_buffer;
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

int RunCommandLine(const QStringList &arguments, const QString &exePath, std::FILE *out,
                   std::FILE *err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(
        "Festmark erinnert an runde Jubiläen. Ohne Optionen öffnet es sein Fenster; mit --list "
        "schreibt es die Jubiläen des Zeitraums um heute ins Terminal."));
    // Qt's own help option would offer --help-all with options the program does not take.
    const QCommandLineOption helpOption({"h", "help", "?"},
                                        QString::fromUtf8("Diese Hilfe zeigen."));
    const QCommandLineOption versionOption({"v", "version"},
                                           QString::fromUtf8("Die Version zeigen."));
    const QCommandLineOption listOption("list",
                                        QString::fromUtf8("Jubiläen im Terminal auflisten."));
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
    parser.addOptions({helpOption, versionOption, listOption, fileOption, backOption, aheadOption,
                       dateOption, oemOption, ansiOption});

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
                             parser.positionalArguments().first().toStdString()};
        if (!parser.isSet(listOption))
            throw UsageError{"diese Optionen gelten nur mit --list; ohne Optionen öffnet "
                             "festmark sein Fenster"};
        if (parser.isSet(oemOption) && parser.isSet(ansiOption))
            throw UsageError{"--oem und --ansi schließen einander aus"};

        Settings settings = LoadSettings(DefaultFilePath(exePath));
        if (parser.isSet(fileOption))
            settings.filePath = parser.value(fileOption);
        settings.startDays = ParseDays(parser, backOption, kMaxStartDays, settings.startDays);
        settings.stopDays = ParseDays(parser, aheadOption, kMaxStopDays, settings.stopDays);
        if (parser.isSet(oemOption))
            settings.oemFile = 1;
        if (parser.isSet(ansiOption))
            settings.oemFile = 0;
        const auto today =
            parser.isSet(dateOption) ? ParseToday(parser.value(dateOption)) : LocalToday();

        const ScanWindow window = MakeScanWindow(today, settings.startDays, settings.stopDays);
        WriteLine(out, RangeCaption(window));

        const std::string path = QDir::toNativeSeparators(settings.filePath).toStdString();
        OpenError error = OpenError::None;
        const std::optional<DateList> list =
            ReadDateListFile(settings.filePath, settings.oemFile, &error);
        if (!list) {
            WriteLine(err, OpenFailureMessage(path, error));
            return kExitCannotOpen;
        }
        if (!list->MissingCodePage().empty())
            WriteLine(err, MissingCodePageMessage(list->MissingCodePage()));
        for (const BadLine &bad : list->BadLines())
            WriteLine(err, Printable(BadLineReport(path, bad)));
        if (const std::size_t more = list->BadLineCount() - list->BadLines().size(); more > 0)
            WriteLine(err, "Fehler in Datei " + Printable(path) + ": ... und " +
                               std::to_string(more) + " weitere fehlerhafte Zeilen");

        // Each entry's texts are made fit for the terminal once, not once per row.
        std::optional<DateList> printable;
        if (!list->IsPrintable())
            printable = list->Printable();
        const DateList &shown = printable ? *printable : *list;
        {
            ListSink sink(shown, out, ShowsColourCodes(out));
            RunWindowScan(window, shown, sink);
        }
        std::fflush(out);
        return kExitOk;
    } catch (const UsageError &error) {
        WriteLine(err, "festmark: " + error.text);
        return kExitUsage;
    }
}
