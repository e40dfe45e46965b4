#pragma once

#include <QStringList>

#include <cstdio>

// festmark with arguments: --help, --version, or --list, the scan of the window printed to
// the terminal instead of the grid. Needs no display. Returns the exit status: 0 done, 1 the
// date list cannot be opened, 2 a usage error.
int RunCommandLine(const QStringList &arguments, const QString &exePath, std::FILE *out,
                   std::FILE *err);
