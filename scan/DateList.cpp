#include "DateList.h"

#include "Calendar.h"
#include "CodePage.h"
#include "VCard.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <new>
#include <utility>

namespace {

// A date as the layout writes it, "DD.MM.YYYY".
constexpr std::size_t kDateLength = 10;
// A date list is a few kilobytes; this bound keeps a mistaken path from eating the memory.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

constexpr bool IsScanSpace(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr bool IsDigit(char c) noexcept
{
    return c >= '0' && c <= '9';
}

// One "%Nd" of the runtime's formatted scan: blanks skipped, then an optional sign and digits,
// at most width characters with the sign counted.
bool ScanNumber(std::string_view &rest, int width, int &value) noexcept
{
    std::size_t pos = 0;
    while (pos < rest.size() && IsScanSpace(rest[pos]))
        ++pos;
    int used = 0;
    bool negative = false;
    if (pos < rest.size() && (rest[pos] == '+' || rest[pos] == '-')) {
        negative = rest[pos] == '-';
        ++pos;
        ++used;
    }
    int digits = 0;
    int number = 0; // at most four digits
    while (pos < rest.size() && used < width && IsDigit(rest[pos])) {
        number = number * 10 + (rest[pos] - '0');
        ++pos;
        ++used;
        ++digits;
    }
    if (digits == 0)
        return false;
    value = negative ? -number : number;
    rest.remove_prefix(pos);
    return true;
}

bool ScanDot(std::string_view &rest) noexcept
{
    if (rest.empty() || rest.front() != '.')
        return false;
    rest.remove_prefix(1);
    return true;
}

// Bytes that may start a control character: C0, DEL, and 0xC2, which leads the C1 controls.
bool NeedsCare(char c) noexcept
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F || b == 0xC2;
}

bool IsAscii(QByteArrayView bytes) noexcept
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

bool ParseEntryDate(std::string_view line, int &day, int &month, int &year,
                    std::size_t *dateEnd) noexcept
{
    std::string_view rest = line;
    int d = 0;
    int m = 0;
    int y = 0;
    if (!ScanNumber(rest, 2, d) || !ScanDot(rest) || !ScanNumber(rest, 2, m) || !ScanDot(rest) ||
        !ScanNumber(rest, 4, y))
        return false;
    day = d;
    month = m;
    year = y;
    if (dateEnd != nullptr)
        *dateEnd = line.size() - rest.size();
    return true;
}

bool IsExistingDate(int day, int month, int year) noexcept
{
    return day >= 1 && day <= DaysInMonth(year, month); // 0 days outside 1..12
}

namespace {

// The texts follow the date as it is written (it ends at `dateEnd`) and one separator
// character: "1.3.1976 Anna" must not lose the start of "Anna". A date of ten characters puts
// them at the 12th.
void SplitTexts(std::string_view entryLine, std::size_t dateEnd, std::string_view &nameText,
                std::string_view &suffixText)
{
    nameText = {};
    suffixText = {};
    const std::size_t separator = Utf8Offset(entryLine.substr(dateEnd), 1);
    if (separator == std::string_view::npos)
        return;
    const std::string_view text = entryLine.substr(dateEnd + separator);
    const std::size_t hash = text.find('#');
    nameText = text.substr(0, hash);
    if (hash != std::string_view::npos)
        suffixText = text.substr(hash + 1);
}

} // namespace

void SplitEntryLine(std::string_view entryLine, std::string &nameText, std::string &suffixText)
{
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = kDateLength;
    ParseEntryDate(entryLine, day, month, year, &dateEnd);
    std::string_view name;
    std::string_view suffix;
    SplitTexts(entryLine, dateEnd, name, suffix);
    nameText.assign(name);
    suffixText.assign(suffix);
}

// Opening a converter costs far more than decoding a line, so a file's lines share them.
class LineDecoder {
public:
    LineDecoder(int oemFile, const CodePages &pages)
        : m_oem(oemFile != 0)
        , m_windows1252{CodePageDecoder::Page::Ansi, pages.ansi, std::nullopt}
        , m_cp850{CodePageDecoder::Page::Oem, pages.oem, std::nullopt}
    {
    }

    // The line as UTF-8, into `line`.
    void Decode(QByteArrayView bytes, std::string &line)
    {
        if (IsAscii(bytes)) {
            line.assign(bytes.data(), static_cast<std::size_t>(bytes.size()));
            return;
        }
        QString text;
        if (m_oem) {
            text = Use(m_cp850, bytes);
        } else {
            // Files written on Linux are UTF-8, files from Windows are Windows-1252.
            m_utf8.resetState();
            text = m_utf8.decode(bytes);
            if (m_utf8.hasError())
                text = Use(m_windows1252, bytes);
        }
        const QByteArray utf8Text = text.toUtf8();
        line.assign(utf8Text.constData(), static_cast<std::size_t>(utf8Text.size()));
    }

    const std::string &MissingCodePage() const noexcept { return m_missing; }

private:
    // Opened only when a line needs it: opening a converter costs more than a small file.
    struct CodePage {
        CodePageDecoder::Page page;
        std::string name;
        std::optional<CodePageDecoder> decoder;
    };

    // A Qt built without ICU lacks these code pages: Latin-1 then keeps the text readable
    // (its letters are the same, its punctuation and box characters differ), and the user is
    // told once.
    QString Use(CodePage &page, QByteArrayView bytes)
    {
        if (!page.decoder)
            page.decoder.emplace(page.page, page.name.c_str());
        if (page.decoder->isValid())
            return page.decoder->decode(bytes);
        if (m_missing.empty())
            m_missing = page.name;
        return QString::fromLatin1(bytes);
    }

    bool m_oem;
    QStringDecoder m_utf8{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    CodePage m_windows1252;
    CodePage m_cp850;
    std::string m_missing;
};

DateListReader::DateListReader(int oemFile, const CodePages &pages)
    : m_decoder(std::make_unique<LineDecoder>(oemFile, pages))
{
}

DateListReader::~DateListReader() = default;

void DateListReader::Feed(QByteArrayView piece)
{
    if (m_atStart) {
        // A byte-order mark says UTF-8; it is no part of the first line.
        m_pending.append(piece.data(), piece.size());
        if (m_pending.size() < 3)
            return;
        if (m_pending.startsWith("\xEF\xBB\xBF"))
            m_pending.remove(0, 3);
        m_atStart = false;
        const QByteArray start = std::exchange(m_pending, QByteArray());
        Feed(start);
        return;
    }
    // A line that began in an earlier piece ends in this one, or later.
    if (!m_pending.isEmpty()) {
        qsizetype end = LineEnd(piece);
        if (end < 0) {
            m_pending.append(piece.data(), piece.size());
            return;
        }
        if (piece[end] == '\r' && end + 1 < piece.size() && piece[end + 1] == '\n')
            ++end;
        m_pending.append(piece.data(), end + 1);
        const QByteArray left = TakeLines(QByteArrayView(m_pending), false).toByteArray();
        m_pending = left; // a carriage return at the very end waits for the next byte
        piece = piece.sliced(end + 1);
    }
    const QByteArrayView left = TakeLines(piece, false);
    m_pending.append(left.data(), left.size());
}

DateList DateListReader::Finish()
{
    // The last line may lack its line break.
    const QByteArrayView left = TakeLines(QByteArrayView(m_pending), true);
    if (!left.empty())
        TakeLine(left);
    m_pending.clear();
    if (m_cards)
        m_cards->Finish();
    ReportLeadingBlankLines(); // a file of blank lines only
    m_list.SetMissingCodePage(m_decoder->MissingCodePage());
    return std::move(m_list);
}

qsizetype DateListReader::LineEnd(QByteArrayView text)
{
    const qsizetype newline = text.indexOf('\n');
    const qsizetype carriageReturn = text.first(newline < 0 ? text.size() : newline).indexOf('\r');
    return carriageReturn >= 0 ? carriageReturn : newline;
}

QByteArrayView DateListReader::TakeLines(QByteArrayView text, bool atEnd)
{
    // LF, CR LF, and a lone CR (old Mac files) each end a line.
    for (qsizetype end = LineEnd(text); end >= 0; end = LineEnd(text)) {
        qsizetype next = end + 1;
        if (text[end] == '\r') {
            if (next == text.size() && !atEnd)
                break; // LF or not: the next piece tells
            if (next < text.size() && text[next] == '\n')
                ++next;
        }
        TakeLine(text.first(end));
        text = text.sliced(next);
    }
    return text;
}

void DateListReader::TakeLine(QByteArrayView raw)
{
    ++m_lineNumber;
    // An address book export is told by its first line that is not blank.
    if (m_format == Format::Undecided) {
        if (raw.trimmed().isEmpty()) {
            ++m_leadingBlankLines;
            return;
        }
        if (IsVCardBegin(raw)) {
            m_format = Format::Cards;
            m_cards = std::make_unique<VCardReader>(m_list);
            m_leadingBlankLines = 0; // nothing amiss in an address book
        } else {
            m_format = Format::Dates;
            ReportLeadingBlankLines();
        }
    }
    if (m_format == Format::Cards) {
        m_cards->Line(raw, m_lineNumber);
        return;
    }
    m_decoder->Decode(raw, m_line);
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = 0;
    if (!ParseEntryDate(m_line, day, month, year, &dateEnd) || !IsExistingDate(day, month, year)) {
        m_list.AddBadLine(m_lineNumber, m_line);
        return;
    }
    std::string_view name;
    std::string_view suffix;
    SplitTexts(m_line, dateEnd, name, suffix);
    m_list.Add(day, month, year, name, suffix);
}

void DateListReader::ReportLeadingBlankLines()
{
    for (int line = 1; line <= m_leadingBlankLines; ++line)
        m_list.AddBadLine(line, "");
    m_leadingBlankLines = 0;
}

namespace {

// The file is read in pieces of this size and never held whole.
constexpr qint64 kChunkSize = qint64(1) << 20;

} // namespace

tm DateList::Date(std::size_t entry) const noexcept
{
    const Packed &p = m_entries[entry];
    tm date{};
    date.tm_mday = p.day;
    date.tm_mon = p.month - 1;
    date.tm_year = p.year - 1900;
    ComputeDayOfYear(date);
    return date;
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

void DateList::Add(int day, int month, int year, std::string_view nameText,
                   std::string_view suffixText)
{
    tm date{};
    date.tm_mday = day;
    date.tm_mon = month - 1;
    date.tm_year = year - 1900;
    ComputeDayOfYear(date);
    Append({0, 0, static_cast<std::int32_t>(::SerialDay(date)), static_cast<std::int16_t>(year),
            static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)},
           nameText, suffixText);
}

void DateList::Append(Packed entry, std::string_view nameText, std::string_view suffixText)
{
    entry.textBegin = static_cast<std::uint32_t>(m_texts.size());
    entry.nameLength = static_cast<std::uint32_t>(nameText.size());
    m_texts.append(nameText).append(suffixText);
    m_entries.push_back(entry);
}

void DateList::AddBadLine(int lineNumber, std::string_view text)
{
    ++m_badLineCount;
    if (m_badLines.size() >= kBadLinesKept)
        return;
    const std::size_t kept = Utf8Offset(text, kBadLineTextKept);
    m_badLines.push_back({lineNumber, std::string(text.substr(0, kept))});
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
    printable.m_badLineCount = m_badLineCount;
    printable.m_badLines = m_badLines;
    printable.m_missingCodePage = m_missingCodePage;
    return printable;
}

bool DateList::IsPrintable() const noexcept
{
    return std::none_of(m_texts.begin(), m_texts.end(), NeedsCare);
}

void AppendPrintable(std::string &out, std::string_view text)
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
        if (c < 0x20 || c == 0x7F || c1) {
            out += "\xEF\xBF\xBD";
            i += c1 ? 1 : 0;
        } else {
            out += static_cast<char>(c);
        }
    }
}

std::string DecodeLine(QByteArrayView bytes, int oemFile)
{
    std::string line;
    LineDecoder(oemFile, CodePages{}).Decode(bytes, line);
    return line;
}

DateList ParseDateList(QByteArrayView content, int oemFile)
{
    DateListReader reader(oemFile);
    reader.Feed(content);
    return reader.Finish();
}

std::optional<DateList> ReadDateListFile(const QString &path, int oemFile, OpenError *error,
                                         const std::function<void()> &eachChunk)
{
    const auto fail = [error](OpenError why) {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    if (path.isEmpty())
        return fail(OpenError::NoPath);
    const QFileInfo info(path);
    if (!info.exists())
        return fail(OpenError::NotFound);
    if (info.isDir())
        return fail(OpenError::Folder);
    if (!info.isFile())
        return fail(OpenError::NotAFile);
    if (info.size() > kMaxFileSize)
        return fail(OpenError::TooLarge);
    if (!info.isReadable())
        return fail(OpenError::NoPermission);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(OpenError::ReadFailed);
    // A file under the size limit can still hold more entries than the memory: it is refused
    // rather than ending the program.
    try {
        DateListReader reader(oemFile);
        QByteArray chunk(kChunkSize, Qt::Uninitialized);
        for (;;) {
            const qint64 got = file.read(chunk.data(), kChunkSize);
            if (got < 0)
                return fail(OpenError::ReadFailed);
            if (got == 0)
                break;
            reader.Feed(QByteArrayView(chunk.constData(), got));
            if (eachChunk)
                eachChunk();
        }
        if (error != nullptr)
            *error = OpenError::None;
        return reader.Finish();
    } catch (const std::bad_alloc &) {
        return fail(OpenError::OutOfMemory);
    }
}

std::string OpenErrorText(OpenError error)
{
    switch (error) {
    case OpenError::None:
        return {};
    case OpenError::NoPath:
        return "kein Dateiname angegeben";
    case OpenError::NotFound:
        return "Datei nicht gefunden";
    case OpenError::Folder:
        return "das ist ein Ordner, keine Datei";
    case OpenError::NotAFile:
        return "keine gewöhnliche Datei";
    case OpenError::TooLarge:
        return "Datei zu groß (mehr als 1 GiB)";
    case OpenError::NoPermission:
        return "keine Berechtigung zum Lesen";
    case OpenError::ReadFailed:
        return "Lesefehler";
    case OpenError::OutOfMemory:
        return "zu groß für den freien Speicher";
    }
    return {};
}
