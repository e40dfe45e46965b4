#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

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

// Opens for writing a file named by bytes that are no UTF-8 (Linux; Qt names files by UTF-8
// only): a new file that must not exist yet, or an existing device or pipe as it is. The
// descriptor, or -1 with errno set. Windows names every file in UTF-16 and never needs it.
int OpenNamedByBytes(const QByteArray &name, bool createNew);

// The program's own file, also before any Qt application object exists; a program started
// by its bare name through PATH has no folder in argv[0].
QString ProgramFilePath();
