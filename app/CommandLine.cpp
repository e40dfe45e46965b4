#include "CommandLine.h"

#include "Console.h"
#include "DateList.h"
#include "Settings.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

using Command = CommandLine::Command;

constexpr int kMaxAlarmDays = 365;
constexpr int kMaxTimeoutSeconds = 600;

void AddOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QString::fromUtf8(
        "Festmark erinnert an runde Jubiläen. Ohne Optionen öffnet es sein Fenster; mit --list "
        "schreibt es die Jubiläen des Zeitraums um heute ins Terminal, mit --ics als "
        "Kalenderdatei (iCalendar); mit --notify meldet es sie nur als Benachrichtigung auf dem "
        "Desktop. Die Ausgabe ist immer UTF-8, auch unter einer anderen "
        "Spracheinstellung (Locale)."));
    // Qt's own help option would offer --help-all with options the program does not take.
    parser.addOptions({
        {{"h", "help", "?"}, QString::fromUtf8("Diese Hilfe zeigen.")},
        {{"v", "version"}, QString::fromUtf8("Die Version zeigen.")},
        {"list", QString::fromUtf8("Jubiläen im Terminal auflisten.")},
        {"ics", QString::fromUtf8("Jubiläen als Kalenderdatei (iCalendar) ausgeben.")},
        {"notify", QString::fromUtf8("Jubiläen als Benachrichtigung melden („Anzeigen“ öffnet das "
                                     "Fenster); ohne Jubiläum nichts.")},
        {"output", QString::fromUtf8("Die Kalenderdatei hierhin schreiben statt ins Terminal."),
         "DATEI"},
        {"alarm",
         QString::fromUtf8("Jedes Ereignis mit einer Erinnerung um 9 Uhr, N Tage vorher (0: am "
                           "Tag selbst, bis 365)."),
         "N"},
        {"file",
         QString::fromUtf8("Diese Datumsliste oder dieses Adressbuch (vCard) lesen statt der "
                           "gespeicherten; mehrmals angegeben alle, in dieser Reihenfolge. Eine "
                           "Adresse https://NAME@server/ liest die Adressbücher des Kontos vom "
                           "Server (CardDAV)."),
         "PFAD"},
        {"user",
         QString::fromUtf8("Benutzername für Adressbücher auf Servern, deren Adresse keinen "
                           "nennt. Das Passwort kommt aus dem Schlüsselbund, sonst aus "
                           "FESTMARK_PASSWORD, sonst wird danach gefragt."),
         "NAME"},
        {"timeout",
         QString::fromUtf8("So viele Sekunden auf jeden Server warten (1 bis 600, sonst 10)."),
         "S"},
        {"back", QString::fromUtf8("So viele Tage zurück (0 bis 3652)."), "N"},
        {"ahead", QString::fromUtf8("So viele Tage voraus (0 bis 13149)."), "N"},
        {"date", QString::fromUtf8("Als wäre heute DATUM (TT.MM.JJJJ oder JJJJ-MM-TT)."), "DATUM"},
        {"oem", QString::fromUtf8("Datei in Codepage 850 (OEM).")},
        {"leap-day",
         QString::fromUtf8("Jahrestage eines 29.02. in Gemeinjahren: 29.02 (keiner), 28.02 "
                           "oder 01.03."),
         "TAG"},
        {"ansi", QString::fromUtf8("Datei in UTF-8 oder Windows-1252 (ANSI).")},
    });
}

int ParseDays(const QCommandLineParser &parser, const QString &name, int maximum)
{
    const QString text = parser.value(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    const std::string option = "--" + name.toStdString();
    if (!ok)
        throw UsageError{option + ": keine ganze Zahl: " + PrintableText(text.toStdString())};
    if (value < 0 || value > maximum)
        throw UsageError{option + ": erlaubt sind 0 bis " + std::to_string(maximum) + ", nicht " +
                         std::to_string(value)};
    return value;
}

// The values of a long option as given, in order: "--name VALUE" or "--name=VALUE".
QByteArrayList Values(const QByteArrayList &arguments, const QByteArray &name)
{
    QByteArrayList values;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--")
            break;
        if (arguments[i] == name && i + 1 < arguments.size())
            values += arguments[++i];
        else if (arguments[i].startsWith(name + '='))
            values += arguments[i].mid(name.size() + 1);
    }
    return values;
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
                         PrintableText(text.toStdString())};
    return date;
}

CommandLine Parse(const QStringList &arguments, const QByteArrayList &rawArguments)
{
    QCommandLineParser parser;
    AddOptions(parser);
    if (!parser.parse(arguments))
        throw UsageError{parser.errorText().toStdString()};
    CommandLine line;
    if (parser.isSet("help")) {
        line.command = Command::Help;
        return line;
    }
    if (parser.isSet("version")) {
        line.command = Command::Version;
        return line;
    }
    if (!parser.positionalArguments().isEmpty())
        throw UsageError{"unbekanntes Argument: " +
                         PrintableText(parser.positionalArguments().first().toStdString())};
    const bool list = parser.isSet("list");
    const bool ics = parser.isSet("ics");
    const bool notify = parser.isSet("notify");
    if (!list && !ics && !notify)
        throw UsageError{"diese Optionen gelten nur mit --list, --ics oder --notify; ohne "
                         "Optionen öffnet festmark sein Fenster"};
    if (int(list) + int(ics) + int(notify) > 1)
        throw UsageError{"--list, --ics und --notify schließen einander aus"};
    if (parser.isSet("output") && !ics)
        throw UsageError{"--output gilt nur mit --ics"};
    if (parser.isSet("alarm") && !ics)
        throw UsageError{"--alarm gilt nur mit --ics"};
    if (parser.isSet("oem") && parser.isSet("ansi"))
        throw UsageError{"--oem und --ansi schließen einander aus"};

    line.command = ics ? Command::Calendar : notify ? Command::Notify : Command::List;
    line.filesNamed = parser.values("file");
    const QByteArrayList fileBytes = Values(rawArguments, "--file");
    for (qsizetype i = 0; i < line.filesNamed.size(); ++i)
        line.filesOpened += PathFromArgument(line.filesNamed[i], fileBytes.value(i));
    if (parser.isSet("output")) {
        line.outputPath = parser.value("output");
#ifndef _WIN32 // the file may not exist yet: its name's bytes are kept, not a handle on it
        const QByteArrayList given = Values(rawArguments, "--output");
        if (const QByteArray bytes = given.isEmpty() ? QByteArray() : given.last();
            !bytes.isEmpty() && bytes != line.outputPath->toUtf8())
            line.outputNative = bytes;
#endif
    }
    if (parser.isSet("alarm"))
        line.alarmDays = ParseDays(parser, "alarm", kMaxAlarmDays);
    if (parser.isSet("back"))
        line.startDays = ParseDays(parser, "back", kMaxStartDays);
    if (parser.isSet("ahead"))
        line.stopDays = ParseDays(parser, "ahead", kMaxStopDays);
    if (parser.isSet("date"))
        line.today = ParseToday(parser.value("date"));
    if (parser.isSet("leap-day")) {
        line.leapDay = LeapDayFrom(parser.value("leap-day"));
        if (!line.leapDay)
            throw UsageError{"--leap-day: erlaubt sind 29.02, 28.02 und 01.03, nicht " +
                             PrintableText(parser.value("leap-day").toStdString())};
    }
    if (parser.isSet("user"))
        line.user = parser.value("user");
    if (parser.isSet("timeout")) {
        line.timeoutSeconds = ParseDays(parser, "timeout", kMaxTimeoutSeconds);
        if (*line.timeoutSeconds == 0)
            throw UsageError{"--timeout: erlaubt sind 1 bis 600, nicht 0"};
    }
    if (parser.isSet("oem"))
        line.codePage = CodePage::Oem;
    if (parser.isSet("ansi"))
        line.codePage = CodePage::Ansi;
    return line;
}

} // namespace

std::variant<CommandLine, UsageError> ParseCommandLine(const QStringList &arguments,
                                                       const QByteArrayList &rawArguments)
{
    try {
        return Parse(arguments, rawArguments);
    } catch (const UsageError &error) {
        return error;
    }
}

std::string CommandLineHelp()
{
    QCommandLineParser parser;
    AddOptions(parser);
    return parser.helpText().toStdString();
}
