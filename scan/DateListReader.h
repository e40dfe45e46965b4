#pragma once

#include "DateList.h"
#include "LineDecoder.h"

#include <QByteArray>
#include <QByteArrayView>

#include <QStringDecoder>

#include <memory>
#include <optional>
#include <string>

// Takes a file in pieces of any size and turns each complete line into an entry or a bad
// line, so that the file is never held whole. Lines end with LF, CR LF or CR. A file whose
// first line that is not blank is BEGIN:VCARD is an address book (see VCard.h).
class VCardReader;
class DateListReader {
public:
    explicit DateListReader(CodePage codePage, const CodePages &pages = {});
    ~DateListReader();

    void Feed(QByteArrayView piece);
    DateList Finish(); // the last line may lack its line break
    // An encoding the reader cannot read (UTF-32), told by the file's byte-order mark; empty
    // for a file that can be read. The list is then empty.
    const std::string &UnreadableEncoding() const noexcept { return m_unreadable; }

private:
    void Start(); // the first bytes, with a byte-order mark or without
    void FeedBytes(QByteArrayView piece);
    // Every complete line of `text`; what follows the last line end is returned.
    QByteArrayView TakeLines(QByteArrayView text, bool atEnd);
    static qsizetype LineEnd(QByteArrayView text); // the first LF or CR; -1 when none
    void TakeLine(QByteArrayView raw);
    void ReportLeadingBlankLines();

    enum class Format { Undecided, Dates, Cards };
    Format m_format = Format::Undecided;
    int m_leadingBlankLines = 0; // before the first line that says which format it is
    std::unique_ptr<VCardReader> m_cards;
    LineDecoder m_decoder;
    DateList m_list;
    QByteArray m_pending; // the start of a line whose end has not come yet
    bool m_atStart = true;
    int m_lineNumber = 0;
    std::string m_line;                    // reused for every line
    std::optional<QStringDecoder> m_utf16; // a file in UTF-16, told by its byte-order mark
    std::string m_unreadable;
};

// A whole date list or address book in memory.
DateList ParseDateList(QByteArrayView content, CodePage codePage);
