#include "ListMode.h"

#include "CommandLine.h"
#include "Console.h"
#include "DateListFile.h"
#include "ListOutput.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>

#include <optional>
#include <string>
#include <variant>

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1; // the date list cannot be read, or the output not written
constexpr int kExitUsage = 2;

// Standard error, written in one go when the command ends.
class Report {
public:
    explicit Report(std::FILE *err)
        : m_err(err)
    {
    }
    void Say(const std::string &line) { m_text += "festmark: " + line + "\n"; }
    int Finish(int status)
    {
        std::fwrite(m_text.data(), 1, m_text.size(), m_err);
        std::fflush(m_err);
        return status;
    }

private:
    std::FILE *m_err;
    std::string m_text;
};

void WriteLine(std::FILE *stream, const std::string &line)
{
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
}

// The stored settings, with what the command line changes for this run.
Settings SettingsFor(const CommandLine &line, const QString &exePath, Report &report)
{
    QString problem;
    Settings settings = LoadSettings(DefaultFilePath(exePath), &problem);
    if (!problem.isEmpty())
        report.Say(problem.toStdString());
    if (line.fileNamed)
        settings.filePath = line.fileOpened;
    settings.startDays = line.startDays.value_or(settings.startDays);
    settings.stopDays = line.stopDays.value_or(settings.stopDays);
    settings.oemFile = line.oemFile.value_or(settings.oemFile);
    return settings;
}

void ReportReading(const DateList &list, const std::string &path, Report &report)
{
    if (!list.MissingCodePage().empty())
        report.Say(MissingCodePageMessage(list.MissingCodePage()));
    for (const BadLine &bad : list.BadLines())
        report.Say(PrintableText(BadLineReport(path, bad)));
    if (const std::size_t more = list.BadLineCount() - list.BadLines().size(); more > 0)
        report.Say("Fehler in Datei " + path + ": " + MoreBadLinesText(more));
}

bool WriteList(const ScanWindow &window, const DateList &list, Output &output, bool colour)
{
    // Each entry's texts are made fit for the terminal once, not once per row.
    std::optional<DateList> printable;
    if (!list.IsPrintable())
        printable = list.Printable();
    const DateList &shown = printable ? *printable : list;
    ListSink sink(shown, output, colour);
    sink.Caption(RangeCaption(window));
    RunWindowScan(window, shown, sink);
    return sink.Finish();
}

bool WriteCalendar(const ScanWindow &window, const DateList &list, Output &output,
                   std::optional<int> alarmDays, Report &report)
{
    // The entries as read: the window's export names the same events by the same UIDs.
    ICalendarSink sink(list, output, alarmDays);
    RunWindowScan(window, list, sink);
    if (sink.EventCount() == 0)
        report.Say("Der Zeitraum enthält kein Jubiläum: der Kalender bleibt leer.");
    return sink.Finish();
}

} // namespace

int RunCommandLine(const QStringList &arguments, const QByteArrayList &rawArguments,
                   const QString &exePath, std::FILE *out, std::FILE *err)
{
    Report report(err);
    const auto parsed = ParseCommandLine(arguments, rawArguments);
    if (const auto *usage = std::get_if<UsageError>(&parsed)) {
        report.Say(usage->text);
        return report.Finish(kExitUsage);
    }
    const CommandLine &line = std::get<CommandLine>(parsed);
    if (line.command == CommandLine::Command::Help) {
        WriteLine(out, CommandLineHelp());
        return kExitOk;
    }
    if (line.command == CommandLine::Command::Version) {
        WriteLine(out, "festmark " + QCoreApplication::applicationVersion().toStdString());
        return kExitOk;
    }
    const bool ics = line.command == CommandLine::Command::Calendar;

    const Settings settings = SettingsFor(line, exePath, report);
    // The date list as messages name it: as given, not as the terminal's bytes may open it.
    const std::string path = PrintableText(
        QDir::toNativeSeparators(line.fileNamed.value_or(settings.filePath)).toStdString());
    const ScanWindow window =
        MakeScanWindow(line.today.value_or(LocalToday()), settings.startDays, settings.stopDays);

    if (window.clamped)
        report.Say(ClampedWindowMessage());

    StreamOutput standardOutput(out);
    std::optional<FileOutput> file;
    if (line.outputPath) {
        file.emplace(*line.outputPath, settings.filePath, line.outputNative);
        if (!file->Ready()) { // refused before anything is read, the date list above all
            report.Say(file->Failure());
            return report.Finish(kExitFailure);
        }
    }
    Output &output = file ? static_cast<Output &>(*file) : standardOutput;

    OpenError error = OpenError::None;
    const std::optional<DateList> list =
        ReadDateListFile(settings.filePath, settings.oemFile, &error);
    if (!list) {
        if (!ics) // the caption says which days the list would have covered
            standardOutput.Write(RangeCaption(window) + "\n");
        standardOutput.Finish();
        report.Say(OpenFailureMessage(path, error));
        return report.Finish(kExitFailure);
    }
    ReportReading(*list, path, report);
    const bool written = ics ? WriteCalendar(window, *list, output, line.alarmDays, report)
                             : WriteList(window, *list, output, ShowsColourCodes(out));
    if (!written) {
        report.Say(output.Failure());
        return report.Finish(kExitFailure);
    }
    return report.Finish(kExitOk);
}
