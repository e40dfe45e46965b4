#pragma once

#include <cstdio>

// The terminal the list mode writes to.
bool IsTerminal(std::FILE *stream); // a console or terminal, not a file or a pipe
