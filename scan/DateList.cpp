#include "DateList.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <new>
#include <utility>

namespace {

// Bytes that may start a control character: C0, DEL, and 0xC2, which leads the C1 controls.
bool NeedsCare(char c) noexcept
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F || b == 0xC2;
}

} // namespace

std::size_t Utf8Offset(std::string_view text, int count) noexcept
{
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const bool leadByte = (static_cast<unsigned char>(text[pos]) & 0xC0) != 0x80;
        if (leadByte && count-- == 0)
            return pos;
    }
    return count == 0 ? text.size() : std::string_view::npos;
}

CalendarDay DateList::Day(std::size_t entry) const noexcept
{
    using namespace std::chrono;
    const Packed &p = m_entries[entry];
    return {year{p.year} / month{p.month} / day{p.day}, sys_days{days{p.serial}}};
}

std::string_view DateList::NameText(std::size_t entry) const noexcept
{
    const Packed &p = m_entries[entry];
    return std::string_view(m_texts).substr(p.textBegin, p.nameLength);
}

std::string_view DateList::SuffixText(std::size_t entry) const noexcept
{
    const Packed &p = m_entries[entry];
    const std::size_t end =
        entry + 1 < m_entries.size() ? m_entries[entry + 1].textBegin : m_texts.size();
    const std::size_t begin = std::size_t{p.textBegin} + p.nameLength;
    return std::string_view(m_texts).substr(begin, end - begin);
}

void DateList::Add(std::chrono::year_month_day date, std::string_view nameText,
                   std::string_view suffixText)
{
    using namespace std::chrono;
    // The serial day is counted here, once; the scan reads it for every day.
    const sys_days serial{date};
    Append({0, 0, 0, 0, static_cast<std::int32_t>(serial.time_since_epoch().count()),
            static_cast<std::int16_t>(static_cast<int>(date.year())),
            static_cast<std::uint8_t>(unsigned{date.month()}),
            static_cast<std::uint8_t>(unsigned{date.day()})},
           nameText, suffixText);
}

void DateList::AddYearless(std::chrono::month_day date, std::string_view nameText,
                           std::string_view suffixText)
{
    Add(std::chrono::year{kYearlessYear} / date, nameText, suffixText);
    m_entries.back().yearless = 1;
}

void DateList::Append(Packed entry, std::string_view nameText, std::string_view suffixText)
{
    // The texts' offsets are 32 bits, a name's length 30: a list past them does not fit.
    if (m_texts.size() + nameText.size() + suffixText.size() >
            std::numeric_limits<std::uint32_t>::max() ||
        nameText.size() > 0x3FFFFFFFU)
        throw std::bad_alloc();
    entry.textBegin = static_cast<std::uint32_t>(m_texts.size());
    entry.nameLength = static_cast<std::uint32_t>(nameText.size()) & 0x3FFFFFFFU;
    m_texts.append(nameText).append(suffixText);
    m_entries.push_back(entry);
    if (!m_shown.empty())
        m_shown.emplace_back();
}

std::size_t DateList::TextLength(std::size_t entry) const noexcept
{
    const std::size_t end =
        entry + 1 < m_entries.size() ? m_entries[entry + 1].textBegin : m_texts.size();
    return end - m_entries[entry].textBegin;
}

void DateList::ShowOnly(ShownDays days)
{
    if (m_shown.empty())
        m_shown.resize(m_entries.size());
    m_shown.back() = days;
}

void DateList::AppendSource(const DateList &source, std::string_view key)
{
    if (!source.m_shown.empty() || !m_shown.empty()) {
        m_shown.resize(m_entries.size());
        if (source.m_shown.empty())
            m_shown.resize(m_entries.size() + source.m_entries.size());
        else
            m_shown.insert(m_shown.end(), source.m_shown.begin(), source.m_shown.end());
    }
    if (m_texts.size() + source.m_texts.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc(); // the texts' offsets would wrap
    m_sources.push_back({m_entries.size(), std::string(key)});
    const auto shift = static_cast<std::uint32_t>(m_texts.size());
    m_entries.reserve(m_entries.size() + source.m_entries.size());
    for (Packed entry : source.m_entries) {
        entry.textBegin += shift;
        m_entries.push_back(entry);
    }
    m_texts += source.m_texts;
}

std::size_t DateList::SourceOf(std::size_t entry) const noexcept
{
    const auto after = std::upper_bound(
        m_sources.begin(), m_sources.end(), entry,
        [](std::size_t index, const SourceStart &start) { return index < start.firstEntry; });
    return static_cast<std::size_t>(after - m_sources.begin());
}

std::string_view DateList::SourceKey(std::size_t source) const noexcept
{
    return source == 0 ? std::string_view() : std::string_view(m_sources[source - 1].key);
}

void DateList::AddBadLine(int lineNumber, std::string_view text, std::string_view reason)
{
    ++m_badLineCount;
    if (m_badLines.size() >= kBadLinesKept)
        return;
    const std::size_t kept = Utf8Offset(text, kBadLineTextKept);
    m_badLines.push_back({lineNumber, std::string(text.substr(0, kept)), std::string(reason)});
}

DateList DateList::Printable() const
{
    DateList printable;
    printable.m_entries.reserve(m_entries.size());
    printable.m_texts.reserve(m_texts.size());
    std::string name;
    std::string suffix;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        name.clear();
        suffix.clear();
        AppendPrintable(name, NameText(i));
        AppendPrintable(suffix, SuffixText(i));
        printable.Append(m_entries[i], name, suffix);
    }
    printable.m_sources = m_sources;
    printable.m_shown = m_shown;
    printable.m_badLineCount = m_badLineCount;
    printable.m_badLines = m_badLines;
    printable.m_missingCodePage = m_missingCodePage;
    return printable;
}

DateList DateList::Filtered(const std::function<bool(std::size_t)> &keep) const
{
    DateList kept;
    kept.m_badLineCount = m_badLineCount;
    kept.m_badLines = m_badLines;
    kept.m_missingCodePage = m_missingCodePage;
    std::size_t source = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        while (source < m_sources.size() && m_sources[source].firstEntry <= i)
            kept.m_sources.push_back({kept.m_entries.size(), m_sources[source++].key});
        if (!keep(i))
            continue;
        kept.Append(m_entries[i], NameText(i), SuffixText(i));
        if (!m_shown.empty())
            kept.ShowOnly(m_shown[i]);
    }
    for (; source < m_sources.size(); ++source)
        kept.m_sources.push_back({kept.m_entries.size(), m_sources[source].key});
    return kept;
}

bool DateList::IsPrintable() const noexcept
{
    return std::none_of(m_texts.begin(), m_texts.end(), NeedsCare);
}

void AppendPrintable(std::string &out, std::string_view text, Tabs tabs)
{
    if (std::none_of(text.begin(), text.end(), NeedsCare)) {
        out.append(text);
        return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 = c == 0xC2 && i + 1 < text.size() &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if ((c < 0x20 && !(c == '\t' && tabs == Tabs::Kept)) || c == 0x7F || c1) {
            out += "\xEF\xBF\xBD";
            i += c1 ? 1 : 0;
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string PrintableText(std::string_view text)
{
    std::string result;
    AppendPrintable(result, text);
    return result;
}
