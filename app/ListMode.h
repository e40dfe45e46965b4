#pragma once

#include <QStringList>

#include <cstdio>

// festmark --list: the scan of the window, printed to the terminal instead of the grid.
// Returns the exit status: 0 done, 1 the date list cannot be opened, 2 a usage error.
int RunListMode(const QStringList &arguments, const QString &exePath, std::FILE *out,
                std::FILE *err);

// Whether the command line asks for the list mode (checked before any application object).
bool IsListModeCommandLine(int argc, const char *const *argv);
