#pragma once

#include "Calendar.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// The entries of a date list, in the order of the file's lines, held compactly: their dates
// in a small record each, their texts (UTF-8) one after the other in one buffer. Every line
// that is no entry is counted; the first ones are kept with their numbers and (the start of)
// their text.

struct BadLine {
    int lineNumber = 0;
    std::string text;   // UTF-8, as decoded; at most kBadLineTextKept characters
    std::string reason; // why it is no entry, in German; empty where the text says it
};

class DateList {
public:
    static constexpr std::size_t kBadLinesKept = 1000;
    static constexpr int kBadLineTextKept = 200; // characters

    // Entries, in the order of the file's lines
    std::size_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }
    CalendarDay Day(std::size_t entry) const noexcept; // its date and serial day
    int SerialDay(std::size_t entry) const noexcept { return m_entries[entry].serial; }
    std::string_view NameText(std::size_t entry) const noexcept;
    std::string_view SuffixText(std::size_t entry) const noexcept;
    std::size_t TextLength(std::size_t entry) const noexcept; // of both texts
    // A day that comes back every year without a count (a birthday without its year); its
    // date carries the leap year kYearlessYear.
    bool IsYearless(std::size_t entry) const noexcept { return m_entries[entry].yearless; }
    // A wedding day from an address book: its round years have names ("Silberhochzeit").
    bool IsWedding(std::size_t entry) const noexcept { return m_entries[entry].wedding; }
    // The days (serial, both included) on which the entry's rows are shown: a birthday of
    // somebody who died reads one way up to the death day and another way after it.
    struct ShownDays {
        int first = std::numeric_limits<int>::min();
        int last = std::numeric_limits<int>::max();
    };
    ShownDays Shown(std::size_t entry) const noexcept
    {
        return m_shown.empty() ? ShownDays{} : m_shown[entry];
    }
    static constexpr int kYearlessYear = 2000;

    // Several sources in one list: each source's entries follow the previous source's. The
    // first source has no key; every further one is known by its key (its path), so that
    // the same line in two sources still makes two entries of their own.
    void AppendSource(const DateList &source, std::string_view key);
    std::size_t SourceOf(std::size_t entry) const noexcept; // 0 for the first source
    std::string_view SourceKey(std::size_t source) const noexcept;

    // Lines that are no entry
    std::size_t BadLineCount() const noexcept { return m_badLineCount; }
    const std::vector<BadLine> &BadLines() const noexcept { return m_badLines; }

    // A code page the file needed and this Qt lacks (its lines were read as Latin-1).
    const std::string &MissingCodePage() const noexcept { return m_missingCodePage; }
    void SetMissingCodePage(std::string name) { m_missingCodePage = std::move(name); }

    // Building. The date must exist (see IsExistingDate).
    void Add(std::chrono::year_month_day date, std::string_view nameText,
             std::string_view suffixText);
    void AddYearless(std::chrono::month_day date, std::string_view nameText,
                     std::string_view suffixText);
    void AddBadLine(int lineNumber, std::string_view text, std::string_view reason = {});
    // Of the entry added last.
    void MarkWedding() noexcept { m_entries.back().wedding = 1; }
    void ShowOnly(ShownDays days);
    // The same list without the entries `keep` refuses (its bad lines and sources kept).
    DateList Filtered(const std::function<bool(std::size_t)> &keep) const;
    // Whether the texts are fit for a terminal as they are, and the same list with its texts
    // made fit (see AppendPrintable).
    bool IsPrintable() const noexcept;
    DateList Printable() const;

private:
    struct Packed {
        std::uint32_t textBegin;       // in m_texts
        std::uint32_t nameLength : 30; // the suffix runs to the next entry's text
        std::uint32_t yearless : 1;
        std::uint32_t wedding : 1;
        std::int32_t serial; // days since 01.01.1970
        std::int16_t year;
        std::uint8_t month; // 1..12
        std::uint8_t day;
    };
    static_assert(sizeof(Packed) == 16);

    void Append(Packed entry, std::string_view nameText, std::string_view suffixText);

    struct SourceStart {
        std::size_t firstEntry;
        std::string key;
    };

    std::vector<Packed> m_entries;
    std::vector<SourceStart> m_sources; // those after the first
    std::vector<ShownDays> m_shown;     // one per entry once any is not shown every day
    std::string m_texts;
    std::size_t m_badLineCount = 0;
    std::vector<BadLine> m_badLines;
    std::string m_missingCodePage;
};

// Byte offset after the first count characters of UTF-8 text; npos when it is shorter.
std::size_t Utf8Offset(std::string_view text, int count) noexcept;
// Text for a terminal: control characters (C0, DEL, C1) become U+FFFD, so that they can
// neither break tab-separated lines nor steer the terminal.
// A calendar's text may keep its TABs (RFC 5545 allows them); a terminal's may not.
enum class Tabs { Replaced, Kept };
void AppendPrintable(std::string &out, std::string_view text, Tabs tabs = Tabs::Replaced);
std::string PrintableText(std::string_view text);
