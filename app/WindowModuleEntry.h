#pragma once

// The seam between `festmark` and its window module: the entry's type and symbol, written
// once for both sides, so that a changed signature fails to compile instead of crashing.
extern "C" {
using FestmarkRunWindow = int(int *argc, char **argv);
}

inline constexpr char kRunWindowSymbol[] = "festmark_run_window";
