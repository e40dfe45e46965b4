#include "DateList.h"

#include "Calendar.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

// The texts start at the 12th character: date, then one separator character.
constexpr int kTextStart = 11;
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

bool ParseEntryDate(std::string_view line, int &day, int &month, int &year) noexcept
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
    return true;
}

bool IsExistingDate(int day, int month, int year) noexcept
{
    return day >= 1 && day <= DaysInMonth(year, month); // 0 days outside 1..12
}

void SplitEntryLine(std::string_view entryLine, std::string &nameText, std::string &suffixText)
{
    nameText.clear();
    suffixText.clear();
    const std::size_t start = Utf8Offset(entryLine, kTextStart);
    if (start == std::string_view::npos)
        return;
    const std::string_view text = entryLine.substr(start);
    const std::size_t hash = text.find('#');
    nameText.assign(text.substr(0, hash));
    if (hash != std::string_view::npos)
        suffixText.assign(text.substr(hash + 1));
}

namespace {

// Opening a converter costs far more than decoding a line, so a file's lines share them.
class LineDecoder {
public:
    explicit LineDecoder(int oemFile)
        : m_oem(oemFile != 0)
    {
    }

    std::string Decode(QByteArrayView bytes)
    {
        if (IsAscii(bytes))
            return std::string(bytes.data(), static_cast<std::size_t>(bytes.size()));
        QString text;
        if (m_oem) {
            text = m_cp850.decode(bytes);
        } else {
            // Files written on Linux are UTF-8, files from Windows are Windows-1252.
            m_utf8.resetState();
            text = m_utf8.decode(bytes);
            if (m_utf8.hasError())
                text = m_windows1252.decode(bytes);
        }
        const QByteArray utf8Text = text.toUtf8();
        return std::string(utf8Text.constData(), static_cast<std::size_t>(utf8Text.size()));
    }

private:
    bool m_oem;
    QStringDecoder m_utf8{QStringConverter::Utf8, QStringConverter::Flag::Stateless};
    QStringDecoder m_windows1252{"windows-1252", QStringConverter::Flag::Stateless};
    QStringDecoder m_cp850{"IBM850", QStringConverter::Flag::Stateless};
};

} // namespace

std::string DecodeLine(QByteArrayView bytes, int oemFile)
{
    return LineDecoder(oemFile).Decode(bytes);
}

DateList ParseDateList(QByteArrayView content, int oemFile)
{
    DateList list;
    LineDecoder decoder(oemFile);
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    int lineNumber = 0;
    while (!content.empty()) {
        ++lineNumber;
        const qsizetype newline = content.indexOf('\n');
        QByteArrayView raw = newline < 0 ? content : content.first(newline);
        content = newline < 0 ? QByteArrayView() : content.sliced(newline + 1);
        if (newline >= 0 && raw.endsWith('\r'))
            raw.chop(1);

        std::string line = decoder.Decode(raw);
        int day = 0;
        int month = 0;
        int year = 0;
        if (!ParseEntryDate(line, day, month, year) || !IsExistingDate(day, month, year)) {
            list.badLines.push_back({lineNumber, std::move(line)});
            continue;
        }
        Entry entry;
        entry.date.tm_mday = day;
        entry.date.tm_mon = month - 1;
        entry.date.tm_year = year - 1900;
        ComputeDayOfYear(entry.date);
        SplitEntryLine(line, entry.nameText, entry.suffixText);
        entry.lineNumber = lineNumber;
        list.entries.push_back(std::move(entry));
    }
    return list;
}

std::optional<DateList> ReadDateListFile(const QString &path, int oemFile)
{
    if (path.isEmpty())
        return std::nullopt;
    // Devices and pipes never end or block on open; only regular files are date lists.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileSize)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return ParseDateList(content, oemFile);
}
