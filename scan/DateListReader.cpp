#include "DateListReader.h"

#include "EntryLine.h"
#include "LineDecoder.h"
#include "VCard.h"

#include <utility>

DateListReader::DateListReader(CodePage codePage, const CodePages &pages)
    : m_decoder(codePage, pages)
{
}

DateListReader::~DateListReader() = default;

void DateListReader::Feed(QByteArrayView piece)
{
    if (m_atStart) {
        m_pending.append(piece.data(), piece.size());
        if (m_pending.size() >= 4)
            Start();
        return;
    }
    if (!m_unreadable.empty())
        return;
    if (m_utf16) { // Notepad's "Unicode": lines as UTF-8 from here on
        const QByteArray text = QString(m_utf16->decode(piece)).toUtf8();
        FeedBytes(text);
        return;
    }
    FeedBytes(piece);
}

void DateListReader::Start()
{
    // A byte-order mark says how the text is written; it is no part of the first line.
    m_atStart = false;
    QByteArray start = std::exchange(m_pending, QByteArray());
    if (start.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        start.startsWith(QByteArrayView("\0\0\xFE\xFF", 4))) {
        m_unreadable = "UTF-32";
        return;
    }
    if (start.startsWith("\xEF\xBB\xBF")) {
        start.remove(0, 3);
    } else if (start.startsWith("\xFF\xFE")) {
        m_utf16.emplace(QStringConverter::Utf16LE);
        start.remove(0, 2);
    } else if (start.startsWith("\xFE\xFF")) {
        m_utf16.emplace(QStringConverter::Utf16BE);
        start.remove(0, 2);
    }
    Feed(start);
}

void DateListReader::FeedBytes(QByteArrayView piece)
{
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
    if (m_atStart)
        Start(); // a file of fewer than four bytes
    // The last line may lack its line break.
    const QByteArrayView left = TakeLines(QByteArrayView(m_pending), true);
    if (!left.empty())
        TakeLine(left);
    m_pending.clear();
    if (m_cards)
        m_cards->Finish();
    ReportLeadingBlankLines(); // a file of blank lines only
    m_list.SetMissingCodePage(m_decoder.MissingCodePage());
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
    // LF, CR LF, and a lone CR (old Mac files) each end a line. The next LF is looked for
    // again only once it is passed: a file of lone CRs is not searched to its end every line.
    qsizetype newline = text.indexOf('\n');
    for (;;) {
        const qsizetype carriageReturn =
            text.first(newline < 0 ? text.size() : newline).indexOf('\r');
        const qsizetype end = carriageReturn >= 0 ? carriageReturn : newline;
        if (end < 0)
            break;
        qsizetype next = end + 1;
        if (text[end] == '\r') {
            if (next == text.size() && !atEnd)
                break; // LF or not: the next piece tells
            if (next < text.size() && text[next] == '\n')
                ++next;
        }
        TakeLine(text.first(end));
        text = text.sliced(next);
        if (newline >= 0) {
            newline -= next;
            if (newline < 0)
                newline = text.indexOf('\n');
        }
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
    if (m_utf16)
        m_line.assign(raw.data(), static_cast<std::size_t>(raw.size()));
    else
        m_decoder.Decode(raw, m_line);
    AddEntryLine(m_list, m_line, m_lineNumber);
}

void DateListReader::ReportLeadingBlankLines()
{
    for (int line = 1; line <= m_leadingBlankLines; ++line)
        m_list.AddBadLine(line, "", "leere Zeile");
    m_leadingBlankLines = 0;
}

DateList ParseDateList(QByteArrayView content, CodePage codePage)
{
    DateListReader reader(codePage);
    reader.Feed(content);
    return reader.Finish();
}
