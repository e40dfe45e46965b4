#pragma once

#include "AddressBookCache.h"
#include "LoginNote.h"

#include <QByteArrayList>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

// Shows the login note (--notify) and waits for its answer: the exit status, and what went
// wrong in `problem`. The desktop's part: the window module gives it, the terminal has none.
using ShowLoginNote =
    std::function<int(const LoginNote &note, const QString &exePath, std::string &problem)>;

// What the window module holds for address books on servers, so that a date list alone
// loads neither Qt Network nor the keyring: the password the keyring keeps under a key, if
// any; keeping one (false when no keyring keeps it); reading a source's books from its
// server into its cache within a time limit.
struct RemoteAccess {
    std::function<std::optional<QString>(const QString &key)> read;
    std::function<bool(const QString &key, const QString &password)> store;
    std::function<SyncOutcome(const QString &source, const QString &user, const QString &password,
                              int timeoutMs)>
        sync;
};

// festmark with arguments: --help, --version, --list, the scan of the window printed to
// the terminal instead of the grid, --ics, the same as a calendar, or --notify, the same as
// one desktop notification. Needs no display. Returns the exit status: 0 done, 1 the
// date list cannot be opened, 2 a usage error.
// `rawArguments` are the same arguments as the bytes the terminal gave: a file name need not
// be UTF-8.
int RunCommandLine(const QStringList &arguments, const QByteArrayList &rawArguments,
                   const QString &exePath, std::FILE *out, std::FILE *err,
                   const ShowLoginNote &showNote = {}, const RemoteAccess &remote = {});
