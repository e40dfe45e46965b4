#pragma once

#include <vector>

// Which counts of months, weeks and days are worth a row: 1 to 12, repdigits, and multiples
// of 5, 10, 25, ... below twenty times the divisor, multiples of 2500 at any size.
// n and -n always get the same answer.

bool IsRepdigit(int n) noexcept;    // all decimal digits of |n| alike
bool IsRoundNumber(int n) noexcept; // n is a round number

// Every n in [0, maximum] with IsRoundNumber(n), ascending, generated from the rule's parts
// instead of testing each n; maximum below 10,000,000.
std::vector<int> RoundNumbersUpTo(int maximum);
