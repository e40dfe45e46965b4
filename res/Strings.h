#pragma once

#include <string_view>

// The program's string table: German texts by their resource id, UTF-8.

namespace ids {
constexpr int kDocumentString = 128; // window title
constexpr int kAppName = 57344;
constexpr int kYear = 61204;
constexpr int kYears = 61205;
constexpr int kMonth = 61206;
constexpr int kMonths = 61207;
constexpr int kWeek = 61208;
constexpr int kWeeks = 61209;
constexpr int kDay = 61210;
constexpr int kDays = 61211;
constexpr int kFeatures = 61212;
} // namespace ids

// The text of a string id; empty for an id the table does not hold.
std::string_view ResourceString(int id) noexcept;
