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

// Texts come from a file anyone may have written: control characters would break the
// tab-separated lines or steer the terminal, so they are shown as U+FFFD.
void AppendPrintable(std::string &out, std::string_view text)
{
    const auto needsCare = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F || b == 0xC2; // 0xC2 leads the C1 controls
    };
    if (std::none_of(text.begin(), text.end(), needsCare)) {
        out.append(text);
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c1) {
            out += "\xEF\xBF\xBD";
            i += c1 ? 1 : 0;
        } else {
            out += static_cast<char>(c);
        }
    }
}

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

class ListSink : public ScanSink {
public:
    ListSink(std::FILE *out, bool colour)
        : m_out(out)
        , m_colour(colour)
    {
    }

    void RowFound(const ResultRow &row) override
    {
        m_line.clear();
        const char *dateColour = row.yearJubilee ? (row.today ? kYellowOnRed : kBlackOnYellow)
                                                 : (row.today ? kWhiteOnRed : nullptr);
        AppendCell(row.dateText, dateColour);
        m_line += '\t';
        m_line += row.today ? 'H' : '-';
        m_line += row.yearJubilee ? 'J' : '-';
        m_line += '\t';
        AppendCell(row.message, row.yearJubilee ? kBlackOnYellow : nullptr);
        WriteLine(m_out, m_line);
    }

private:
    void AppendCell(std::string_view text, const char *colour)
    {
        const bool coloured = m_colour && colour != nullptr;
        if (coloured)
            m_line.append(colour);
        AppendPrintable(m_line, text);
        if (coloured)
            m_line.append(kReset);
    }

    std::FILE *m_out;
    bool m_colour;
    std::string m_line;
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
        const std::optional<DateList> list = ReadDateListFile(settings.filePath, settings.oemFile);
        if (!list) {
            WriteLine(err, OpenFailureMessage(path));
            return kExitCannotOpen;
        }
        for (const BadLine &bad : list->badLines)
            WriteLine(err, Printable(BadLineReport(path, bad)));

        ListSink sink(out, IsTerminal(out));
        RunWindowScan(window, list->entries, sink);
        std::fflush(out);
        return kExitOk;
    } catch (const UsageError &error) {
        WriteLine(err, "festmark: " + error.text);
        return kExitUsage;
    }
}
