#include "ListMode.h"

#include "AddressBookCache.h"
#include "CommandLine.h"
#include "Console.h"
#include "JubileeFinder.h"
#include "LoginNote.h"
#include "Output.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>

#include <new>
#include <optional>
#include <string>
#include <variant>
#include <vector>

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
    settings.startDays = line.startDays.value_or(settings.startDays);
    settings.stopDays = line.stopDays.value_or(settings.stopDays);
    settings.codePage = line.codePage.value_or(settings.codePage);
    settings.leapDay = line.leapDay.value_or(settings.leapDay);
    return settings;
}

// The files of --file stand for the stored sources in this run; messages name them as given,
// not as the terminal's bytes may open them.
std::vector<Source> SourcesFor(const CommandLine &line, const Settings &settings)
{
    std::vector<Source> sources;
    if (line.filesOpened.isEmpty()) {
        for (const QString &path : SourcesOf(settings))
            sources.push_back(SourceAt(path));
    } else {
        for (qsizetype i = 0; i < line.filesOpened.size(); ++i)
            sources.push_back({line.filesOpened[i], SourceAt(line.filesNamed[i]).name});
    }
    for (Source &source : sources)
        source.name = PrintableText(source.name);
    return sources;
}

// Each address book on a server is brought up to date in its cache before the sources are
// read. False when one failed in a way the user must mend (the login, the certificate); a
// server that cannot be reached is only told, and its cache read.
bool SyncRemoteSources(const std::vector<Source> &sources, const CommandLine &line,
                       const RemoteAccess &remote, Report &report)
{
    constexpr int kDefaultTimeoutSeconds = 10;
    bool fine = true;
    for (const Source &source : sources) {
        if (!IsRemoteSource(source.path))
            continue;
        const auto fail = [&](const QString &why) {
            report.Say(source.name + ": " + PrintableText(why.toStdString()));
            fine = false;
        };
        if (const QString refusal = RemoteSourceRefusal(source.path); !refusal.isEmpty()) {
            fail(refusal);
            continue;
        }
        const QString user = RemoteSourceUser(source.path, line.user.value_or(QString()));
        if (user.isEmpty()) {
            fail(QStringLiteral("kein Benutzername: https://NAME@server/ oder --user NAME"));
            continue;
        }
        // The keyring first, then the environment (scripts, tests), then the user.
        std::optional<QString> password;
        if (remote.read)
            password = remote.read(PasswordKey(source.path, user));
        if (!password && qEnvironmentVariableIsSet("FESTMARK_PASSWORD"))
            password = qEnvironmentVariable("FESTMARK_PASSWORD");
        const bool typed = !password;
        if (typed)
            password = ReadSecretLine(QStringLiteral("Passwort für %1 bei %2: ")
                                          .arg(user, RemoteSourceUrl(source.path).host()));
        if (!password) {
            fail(QStringLiteral("kein Passwort: bitte FESTMARK_PASSWORD setzen oder festmark "
                                "im Terminal starten"));
            continue;
        }
        SyncOutcome outcome{SyncOutcome::Result::Unreachable,
                            QStringLiteral("nicht erreichbar (das Fenstermodul fehlt)")};
        if (remote.sync)
            outcome = remote.sync(source.path, user, *password,
                                  line.timeoutSeconds.value_or(kDefaultTimeoutSeconds) * 1000);
        if (outcome.result == SyncOutcome::Result::Updated) {
            // A typed password that worked is kept for the next time (and the calendar timer).
            if (typed && remote.store && !remote.store(PasswordKey(source.path, user), *password))
                report.Say("Kein Schlüsselbund erreichbar: das Passwort wird jedes Mal gefragt.");
            continue;
        }
        if (outcome.result != SyncOutcome::Result::Unreachable) {
            fail(outcome.message);
            continue;
        }
        // Only told: the cache stands in for the server.
        report.Say(source.name + ": Adressbuch " + PrintableText(outcome.message.toStdString()));
    }
    return fine;
}

} // namespace

int RunCommandLine(const QStringList &arguments, const QByteArrayList &rawArguments,
                   const QString &exePath, std::FILE *out, std::FILE *err,
                   const ShowLoginNote &showNote, const RemoteAccess &remote)
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
    const std::vector<Source> sources = SourcesFor(line, settings);
    const ScanWindow window =
        MakeScanWindow(line.today.value_or(LocalToday()), settings.startDays, settings.stopDays);

    if (window.clamped)
        report.Say(ClampedWindowMessage());

    JubileeFinder finder;
    finder.SetLeapDay(settings.leapDay);
    bool remoteFine = true;
    const auto read = [&] {
        remoteFine = SyncRemoteSources(sources, line, remote, report);
        finder.Read(sources, settings.codePage, {}, settings.hidden);
        for (const std::string &problem : ReportLines(finder.Reports()))
            report.Say(PrintableText(problem));
    };
    if (line.command == CommandLine::Command::Notify) {
        read();
        try {
            // Nothing to say on a quiet day; the note itself is the desktop's.
            const std::optional<LoginNote> note = LoginNoteOf(finder, window);
            int status = kExitOk;
            if (note) {
                std::string problem;
                status = showNote ? showNote(*note, exePath, problem) : kExitFailure;
                if (!showNote)
                    problem = "--notify braucht das Fenstermodul";
                if (!problem.empty())
                    report.Say(problem);
            }
            return report.Finish(finder.AllRead() && remoteFine ? status : kExitFailure);
        } catch (const std::bad_alloc &) {
            report.Say(TooManyRowsMessage());
            return report.Finish(kExitFailure);
        }
    }

    QStringList sourcePaths;
    for (const Source &source : sources)
        sourcePaths += source.path;
    StreamOutput standardOutput(out);
    std::optional<FileOutput> file;
    // "-" is standard output, as for every tool.
    if (line.outputPath && *line.outputPath != QLatin1String("-")) {
        file.emplace(*line.outputPath, sourcePaths, line.outputNative);
        if (!file->Ready()) { // refused before anything is read, the sources above all
            report.Say(file->Failure());
            return report.Finish(kExitFailure);
        }
    }
    Output &output = file ? static_cast<Output &>(*file) : standardOutput;

    read();
    // A calendar without a source's events would take them from the calendars that
    // subscribe to it: it is written only when every source was read.
    if (ics && !finder.AllRead()) {
        standardOutput.Finish();
        return report.Finish(kExitFailure);
    }
    std::size_t events = 0;
    bool written = false;
    try {
        written = ics ? finder.WriteCalendar(window, output, line.alarmDays, &events)
                      : finder.WriteList(window, output, ShowsColourCodes(out));
    } catch (const std::bad_alloc &) {
        // Said, not aborted; a calendar file is then left as it was.
        report.Say(TooManyRowsMessage());
        return report.Finish(kExitFailure);
    }
    if (!written) {
        report.Say(output.Failure());
        return report.Finish(kExitFailure);
    }
    if (ics && events == 0)
        report.Say("Der Zeitraum enthält kein Jubiläum: der Kalender bleibt leer.");
    return report.Finish(finder.AllRead() && remoteFine ? kExitOk : kExitFailure);
}
