#pragma once

#include "JubileeFinder.h"
#include "Scan.h"

#include <optional>
#include <string>

// What the quiet note at login says of the window's rows: a title, and one line per row,
// today's first ("heute, Jahrestag: Anna wird 50 Jahre alt!"), the rest by day
// ("11.12.2026: ..."), the rows past the first few counted. A source that could not be read
// cleanly is mentioned, so that a broken list is not kept quiet.
struct LoginNote {
    std::string title;
    std::string body;
};

// None when the window holds no row and every source was read cleanly: nothing to say.
std::optional<LoginNote> LoginNoteOf(const JubileeFinder &finder, const ScanWindow &window);
