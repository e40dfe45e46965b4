#pragma once

#include "DateList.h"

#include <cstddef>
#include <string_view>

// One line of a date list, decoded: "DD.MM.YYYY <name text>#<suffix text>".

// The runtime's "%2d.%2d.%4d"; `dateEnd`, if given, gets the offset after the year.
bool ParseEntryDate(std::string_view line, int &day, int &month, int &year,
                    std::size_t *dateEnd = nullptr) noexcept;
bool IsExistingDate(int day, int month, int year) noexcept;
// The line as an entry of the list, or as a bad line with its reason when it has no existing
// date with a four-digit year from 0001 on. The texts
// follow the date as it is written and one separator character, and split at the first '#'.
void AddEntryLine(DateList &list, std::string_view line, int lineNumber);
// Why the line (UTF-8) is no entry, as the reports say it; null for an entry.
const char *EntryLineProblem(std::string_view line) noexcept;
// Where the date as it is written ends, and the texts before and after the first '#' begin;
// npos where the line has no date.
std::size_t EntryDateEnd(std::string_view line) noexcept;
