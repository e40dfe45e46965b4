#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>
#include <string>

// The terminal the list mode writes to.

// Windows starts a window program without a console: the list mode takes the console of the
// command prompt it was started from (where its output goes to no file or pipe), in UTF-8.
// On Linux a closed pipe becomes a write error to report instead of a silent death (SIGPIPE).
void PrepareConsole();

bool IsTerminal(std::FILE *stream); // a console or terminal, not a file or a pipe

// Whether to write colour codes: to a terminal that shows them (Windows: a console that
// understands them), unless NO_COLOR is set or TERM is "dumb".
bool ShowsColourCodes(std::FILE *stream);

// A file name from the command line: `parsed` as Qt's arguments have it, `bytes` as the
// terminal handed it over. Windows gives Qt the wide command line, so `parsed` is the name.
// Linux file names are bytes and need not be UTF-8, which a QString cannot carry: such a
// file is opened here and named by its descriptor (/proc/self/fd/N), so that it can still
// be read.
QString PathFromArgument(const QString &parsed, const QByteArray &bytes);

// Opens for writing an existing device or pipe named by bytes that are no UTF-8 (Linux; Qt
// names files by UTF-8 only). The descriptor, or -1 with errno set. Windows names every file
// in UTF-16 and never needs it.
int OpenNamedByBytes(const QByteArray &name);
// The replacement of a file named by such bytes, as QSaveFile makes one for other names: a
// new file beside the one it replaces (beside the target of a symbolic link), under a name
// that no file had, with the permissions of the file it replaces. The descriptor, or -1 with
// errno set; `temporary` and `target` are the names to rename from and to.
int OpenReplacementNamedByBytes(const QByteArray &name, QByteArray *temporary, QByteArray *target);

// What a system error number means, in German ("kein Platz mehr auf dem Datenträger").
std::string SystemErrorText(int error);

// The program's own file, also before any Qt application object exists; a program started
// by its bare name through PATH has no folder in argv[0].
QString ProgramFilePath();

// A password typed at the terminal: `prompt` on standard error, the typing not shown. None
// when standard input is no terminal or ends.
std::optional<QString> ReadSecretLine(const QString &prompt);
