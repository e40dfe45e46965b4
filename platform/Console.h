#pragma once

#include <cstdio>

// The terminal the list mode writes to.

// Windows starts a window program without a console: the list mode takes the console of the
// command prompt it was started from (where its output goes to no file or pipe), in UTF-8.
// Elsewhere this does nothing.
void PrepareConsole();

bool IsTerminal(std::FILE *stream); // a console or terminal, not a file or a pipe

// Whether the terminal shows colour codes (Windows: only consoles that understand them).
bool ShowsColourCodes(std::FILE *stream);
