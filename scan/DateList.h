#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The date list file: one entry per line, "DD.MM.YYYY <name text>#<suffix text>". Entries
// are held compactly: their dates in a small record each, their texts (UTF-8) one after the
// other in one buffer. Every line that is no entry is counted; the first ones are kept with
// their numbers and (the start of) their text.

struct BadLine {
    int lineNumber = 0;
    std::string text; // UTF-8, as decoded; at most kBadLineTextKept characters
};

class DateList {
public:
    static constexpr std::size_t kBadLinesKept = 1000;
    static constexpr int kBadLineTextKept = 200; // characters

    // Entries, in the order of the file's lines
    std::size_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }
    tm Date(std::size_t entry) const noexcept; // tm_mday, tm_mon, tm_year and tm_yday
    int SerialDay(std::size_t entry) const noexcept { return m_entries[entry].serial; }
    std::string_view NameText(std::size_t entry) const noexcept;
    std::string_view SuffixText(std::size_t entry) const noexcept;

    // Lines that are no entry
    std::size_t BadLineCount() const noexcept { return m_badLineCount; }
    const std::vector<BadLine> &BadLines() const noexcept { return m_badLines; }

    // A code page the file needed and this Qt lacks (its lines were read as Latin-1).
    const std::string &MissingCodePage() const noexcept { return m_missingCodePage; }
    void SetMissingCodePage(std::string name) { m_missingCodePage = std::move(name); }

    // Building. The date must exist (see IsExistingDate).
    void Add(int day, int month, int year, std::string_view nameText, std::string_view suffixText);
    void AddBadLine(int lineNumber, std::string_view text);
    // Whether the texts are fit for a terminal as they are, and the same list with its texts
    // made fit (see AppendPrintable).
    bool IsPrintable() const noexcept;
    DateList Printable() const;

private:
    struct Packed {
        std::uint32_t textBegin;  // in m_texts
        std::uint32_t nameLength; // the suffix runs to the next entry's text
        std::int32_t serial;      // days since 01.01.1970
        std::int16_t year;
        std::uint8_t month; // 1..12
        std::uint8_t day;
    };
    static_assert(sizeof(Packed) == 16);

    void Append(Packed entry, std::string_view nameText, std::string_view suffixText);

    std::vector<Packed> m_entries;
    std::string m_texts;
    std::size_t m_badLineCount = 0;
    std::vector<BadLine> m_badLines;
    std::string m_missingCodePage;
};

// One line
// The runtime's "%2d.%2d.%4d"; `dateEnd`, if given, gets the offset after the year.
bool ParseEntryDate(std::string_view line, int &day, int &month, int &year,
                    std::size_t *dateEnd = nullptr) noexcept;
bool IsExistingDate(int day, int month, int year) noexcept;
void SplitEntryLine(std::string_view entryLine, std::string &nameText, std::string &suffixText);
std::string DecodeLine(QByteArrayView bytes, int oemFile);
// Byte offset after the first count characters of UTF-8 text; npos when it is shorter.
std::size_t Utf8Offset(std::string_view text, int count) noexcept;
// Text for a terminal: control characters (C0, DEL, C1) become U+FFFD, so that they can
// neither break tab-separated lines nor steer the terminal.
void AppendPrintable(std::string &out, std::string_view text);

// The code pages behind "ANSI" and "OEM", by their names in Qt.
struct CodePages {
    const char *ansi = "windows-1252";
    const char *oem = "IBM850";
};

// Takes a file in pieces of any size and turns each complete line into an entry or a bad
// line, so that the file is never held whole. Lines end with LF, CR LF or CR. A file whose first
// line that is not blank is BEGIN:VCARD is an address book (see VCard.h).
class LineDecoder;
class VCardReader;
class DateListReader {
public:
    explicit DateListReader(int oemFile, const CodePages &pages = {});
    ~DateListReader();

    void Feed(QByteArrayView piece);
    DateList Finish(); // the last line may lack its line break

private:
    // Every complete line of `text`; what follows the last line end is returned.
    QByteArrayView TakeLines(QByteArrayView text, bool atEnd);
    static qsizetype LineEnd(QByteArrayView text); // the first LF or CR; -1 when none
    void TakeLine(QByteArrayView raw);
    void ReportLeadingBlankLines();

    enum class Format { Undecided, Dates, Cards };
    Format m_format = Format::Undecided;
    int m_leadingBlankLines = 0; // before the first line that says which format it is
    std::unique_ptr<VCardReader> m_cards;
    std::unique_ptr<LineDecoder> m_decoder;
    DateList m_list;
    QByteArray m_pending; // the start of a line whose end has not come yet
    bool m_atStart = true;
    int m_lineNumber = 0;
    std::string m_line; // reused for every line
};

// A whole file. Only regular files up to 1 GiB are date lists: a device or a pipe could block
// or never end.
enum class OpenError {
    None,
    NoPath,       // the path is empty
    NotFound,     // nothing at the path
    Folder,       // a folder
    NotAFile,     // a device, a pipe, a socket
    TooLarge,     // over 1 GiB
    NoPermission, // not the user's to read
    ReadFailed,   // opened, but reading failed
    OutOfMemory,  // its entries would not fit the free memory
};
DateList ParseDateList(QByteArrayView content, int oemFile);
// None when the file cannot be read; then `error` (if given) says why.
// `eachChunk`, when given, is called after every piece read, so that a caller can show that
// a big file is being read.
std::optional<DateList> ReadDateListFile(const QString &path, int oemFile,
                                         OpenError *error = nullptr,
                                         const std::function<void()> &eachChunk = {});
std::string OpenErrorText(OpenError error); // German, e.g. "Datei nicht gefunden"
