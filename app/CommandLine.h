#pragma once

#include "CodePage.h"
#include "Jubilee.h"

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>
#include <string>
#include <variant>

// What the terminal asked for: a command and the values that change the stored settings for
// this run only.
struct CommandLine {
    enum class Command { Help, Version, List, Calendar, Notify };

    Command command = Command::List;
    QStringList filesNamed{};            // every --file as given, in order: the names messages use
    QStringList filesOpened{};           // ... and as they are opened (the terminal's bytes kept)
    std::optional<QString> outputPath{}; // --output
    QByteArray outputNative{};           // ... as the terminal's bytes, where they are no UTF-8
    std::optional<int> alarmDays{};      // --alarm
    std::optional<int> startDays{};      // --back
    std::optional<int> stopDays{};       // --ahead
    std::optional<std::chrono::year_month_day> today{}; // --date
    std::optional<CodePage> codePage{};                 // --oem, --ansi
    std::optional<LeapDay> leapDay{};                   // --leap-day
    std::optional<QString> user{};                      // --user: for address books on servers
    std::optional<int> timeoutSeconds{};                // --timeout: for each server

    bool operator==(const CommandLine &) const = default;
};

// Why the arguments make no command, in German, for "festmark: ...".
struct UsageError {
    std::string text;
};

// Reads the arguments and does nothing else. `rawArguments` are the same arguments as the
// terminal's bytes: a file name need not be UTF-8.
std::variant<CommandLine, UsageError> ParseCommandLine(const QStringList &arguments,
                                                       const QByteArrayList &rawArguments);

// The text of --help.
std::string CommandLineHelp();
