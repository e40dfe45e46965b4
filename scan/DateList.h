#pragma once

#include <QByteArrayView>
#include <QString>

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The date list file: one entry per line, "DD.MM.YYYY <name text>#<suffix text>". Texts are
// held as UTF-8; every line that is no entry is kept as a bad line with its number.

struct Entry {
    tm date{};              // tm_mday, tm_mon, tm_year and tm_yday
    std::string nameText;   // printed before the count
    std::string suffixText; // printed after the unit word
    int lineNumber = 0;     // from 1
};

struct BadLine {
    int lineNumber = 0;
    std::string text; // UTF-8, as decoded
};

struct DateList {
    std::vector<Entry> entries; // in the order of the file's lines
    std::vector<BadLine> badLines;
};

// One line
bool ParseEntryDate(std::string_view line, int &day, int &month, int &year) noexcept;
bool IsExistingDate(int day, int month, int year) noexcept;
void SplitEntryLine(std::string_view entryLine, std::string &nameText, std::string &suffixText);
std::string DecodeLine(QByteArrayView bytes, int oemFile);
// Byte offset after the first count characters of UTF-8 text; npos when it is shorter.
std::size_t Utf8Offset(std::string_view text, int count) noexcept;

// A whole file
DateList ParseDateList(QByteArrayView content, int oemFile);
std::optional<DateList> ReadDateListFile(const QString &path, int oemFile); // none: cannot open
