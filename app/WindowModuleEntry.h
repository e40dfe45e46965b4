#pragma once

// The seam between `festmark` and its window module: the entry's type and symbol, written
// once for both sides, so that a changed signature fails to compile instead of crashing.
extern "C" {
using FestmarkRunWindow = int(int *argc, char **argv);
}

inline constexpr char kRunWindowSymbol[] = "festmark_run_window";
// festmark --notify: the terminal's command with the desktop's notification, which the
// module holds so that the terminal's other commands load no D-Bus.
inline constexpr char kRunNotifySymbol[] = "festmark_run_notify";
