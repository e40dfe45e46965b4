#include "ListDocument.h"

#include "EntryLine.h"
#include "LineDecoder.h"
#include "Scan.h"
#include "VCard.h"

#include <QHash>
#include <QStringEncoder>

#include <map>
#include <optional>
#include <string>

namespace {

#ifdef _WIN32
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\r\n");
#else
const QByteArray kDefaultLineEnd = QByteArrayLiteral("\n");
#endif

// A line end in units of `width` bytes (2 for UTF-16): where the next line begins, and the
// end's length; -1 when no unit of the rest is LF or CR.
struct Split {
    qsizetype end = -1;
    qsizetype length = 0;
};

Split NextLineEnd(const QByteArray &bytes, qsizetype from, int width, bool bigEndian)
{
    const auto unit = [&](qsizetype at) -> int {
        if (width == 1)
            return static_cast<unsigned char>(bytes[at]);
        const auto low = static_cast<unsigned char>(bytes[at + (bigEndian ? 1 : 0)]);
        const auto high = static_cast<unsigned char>(bytes[at + (bigEndian ? 0 : 1)]);
        return high << 8 | low;
    };
    for (qsizetype at = from; at + width <= bytes.size(); at += width) {
        const int c = unit(at);
        if (c == '\n')
            return {at, width};
        if (c == '\r') {
            const bool crlf = at + 2 * width <= bytes.size() && unit(at + width) == '\n';
            return {at, crlf ? 2 * width : width};
        }
    }
    return {};
}

} // namespace

EntryFields FieldsOf(const QString &line)
{
    const std::string text = line.toStdString();
    std::size_t dateEnd = EntryDateEnd(text);
    if (dateEnd == std::string::npos) // no date: up to the first blank
        dateEnd = std::min(text.find_first_of(" \t"), text.size());
    EntryFields fields;
    fields.date = QString::fromUtf8(text.data(), static_cast<qsizetype>(dateEnd));
    const std::size_t separator = Utf8Offset(std::string_view(text).substr(dateEnd), 1);
    if (separator == std::string::npos) {
        fields.hasCount = false;
        return fields;
    }
    const QString rest = QString::fromStdString(text.substr(dateEnd + separator));
    const qsizetype hash = rest.indexOf(QLatin1Char('#'));
    fields.hasCount = hash >= 0;
    fields.before = hash < 0 ? rest : rest.left(hash);
    if (hash >= 0) {
        // The blanks around '#' belong to the line's form, not to the texts.
        if (fields.before.endsWith(QLatin1Char(' ')))
            fields.before.chop(1);
        fields.after = rest.mid(hash + 1);
        if (fields.after.startsWith(QLatin1Char(' ')))
            fields.after.remove(0, 1);
    }
    return fields;
}

QString LineOf(const EntryFields &fields)
{
    QString date = fields.date.trimmed();
    int day = 0;
    int month = 0;
    int year = 0;
    std::size_t dateEnd = 0;
    const std::string dateText = date.toStdString();
    if (ParseEntryDate(dateText, day, month, year, &dateEnd) && dateEnd == dateText.size() &&
        EntryLineProblem(dateText) == nullptr)
        date = QStringLiteral("%1.%2.%3")
                   .arg(day, 2, 10, QLatin1Char('0'))
                   .arg(month, 2, 10, QLatin1Char('0'))
                   .arg(year, 4, 10, QLatin1Char('0'));
    QString line = date;
    if (!fields.before.isEmpty())
        line += QLatin1Char(' ') + fields.before;
    // The count's place is written also where the line had none: its count stood at the end.
    line += QLatin1String(" #");
    if (!fields.after.isEmpty())
        line += QLatin1Char(' ') + fields.after;
    return line;
}

QString EntryProblem(const QString &line)
{
    const char *problem = EntryLineProblem(line.toStdString());
    return problem == nullptr ? QString() : QString::fromUtf8(problem);
}

QString NextJubilee(const QString &line, std::chrono::sys_days today, LeapDay leapDay)
{
    DateList entry;
    AddEntryLine(entry, line.toStdString(), 1);
    if (entry.size() != 1)
        return {};
    // The first row from today on; a 29 February's year comes within four years, every
    // other entry's within one.
    constexpr int kDaysAhead = 4 * 366;
    class First : public ScanSink {
    public:
        explicit First(const DateList &list)
            : m_list(list)
        {
        }
        void RowsFound(std::span<const ScanHit> rows) override
        {
            if (!text.empty() || rows.empty())
                return;
            text = DateText(std::chrono::sys_days{std::chrono::days{rows.front().day}}) + ": ";
            AppendRowMessage(text, m_list, rows.front());
        }
        std::string text;

    private:
        const DateList &m_list;
    } first(entry);
    const ScanWindow window = MakeScanWindow(std::chrono::year_month_day{today}, 0, kDaysAhead);
    RunWindowScan(window, entry, first, leapDay);
    return QString::fromStdString(first.text);
}

std::variant<ListDocument, QString> ListDocument::FromBytes(const QByteArray &bytes,
                                                            CodePage codePage)
{
    ListDocument document;
    document.m_bytes = bytes;
    document.m_codePage = codePage;
    qsizetype start = 0;
    int width = 1;
    bool bigEndian = false;
    std::optional<QStringDecoder> utf16;
    if (bytes.startsWith(QByteArrayView("\xFF\xFE\0\0", 4)) ||
        bytes.startsWith(QByteArrayView("\0\0\xFE\xFF", 4)))
        return QStringLiteral("Die Liste ist in UTF-32 gespeichert; Festmark liest und schreibt "
                              "UTF-8, UTF-16 und die Codepages von Windows.");
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        start = 3;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        start = 2;
        width = 2;
        bigEndian = bytes.startsWith("\xFE\xFF");
        document.m_encoding = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        utf16.emplace(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                      QStringConverter::Flag::Stateless);
    }
    document.m_mark = bytes.left(start);
    if (width == 1) {
        // ANSI writes UTF-8 where the file is UTF-8 (plain ASCII is), else the ANSI page.
        document.m_encoding =
            codePage == CodePage::Ansi && QByteArrayView(bytes).sliced(start).isValidUtf8()
                ? Encoding::Utf8
                : Encoding::Page;
    }

    LineDecoder decoder(codePage, CodePages{});
    std::string decoded;
    bool firstText = true;
    for (qsizetype at = start; at < bytes.size();) {
        const Split split = NextLineEnd(bytes, at, width, bigEndian);
        const qsizetype end = split.end < 0 ? bytes.size() : split.end;
        ListLine line;
        line.raw = bytes.mid(at, end - at);
        line.end = split.end < 0 ? QByteArray() : bytes.mid(split.end, split.length);
        line.changed = false;
        line.origin = static_cast<int>(document.m_lines.size());
        if (utf16) {
            line.text = utf16->decode(line.raw);
            decoded = line.text.toStdString();
        } else {
            decoder.Decode(line.raw, decoded);
            line.text = QString::fromStdString(decoded);
        }
        if (firstText && !line.text.trimmed().isEmpty()) {
            firstText = false;
            if (IsVCardBegin(line.text.toUtf8()))
                return QStringLiteral("Die Datei ist ein Adressbuch (vCard); ihre Einträge "
                                      "ändern Sie in Ihrem Adressbuchprogramm.");
        }
        line.wasBad = EntryLineProblem(decoded) != nullptr;
        if (document.m_lineEnd.isEmpty())
            document.m_lineEnd = line.end;
        document.m_lines.push_back(std::move(line));
        at = split.end < 0 ? bytes.size() : split.end + split.length;
    }
    if (document.m_lineEnd.isEmpty()) {
        document.m_lineEnd = kDefaultLineEnd;
        if (width == 2)
            document.m_lineEnd = bigEndian ? QByteArray("\0\n", 2) : QByteArray("\n\0", 2);
    }
    return document;
}

QString ListDocument::EncodingName() const
{
    switch (m_encoding) {
    case Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
        return QStringLiteral("UTF-16");
    case Encoding::Page:
        break;
    }
    return m_codePage == CodePage::Oem ? QStringLiteral("Codepage 850 (OEM)")
                                       : QStringLiteral("Windows-1252 (ANSI)");
}

std::variant<QByteArray, QString> ListDocument::Write(const std::vector<ListLine> &lines) const
{
    std::optional<CodePageEncoder> page;
    if (m_encoding == Encoding::Page) {
        const CodePages names;
        page.emplace(m_codePage, m_codePage == CodePage::Oem ? names.oem : names.ansi);
        if (!page->isValid())
            return QStringLiteral("Diesem Programm fehlt die Codepage %1: die Liste wird nicht "
                                  "gespeichert.")
                .arg(EncodingName());
    }
    QStringEncoder utf16(m_encoding == Encoding::Utf16Be ? QStringConverter::Utf16BE
                                                         : QStringConverter::Utf16LE,
                         QStringConverter::Flag::Stateless);
    QByteArray file = m_mark;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ListLine &line = lines[i];
        QByteArray end = line.end;
        if (!line.changed) {
            file += line.raw;
        } else {
            switch (m_encoding) {
            case Encoding::Utf8:
                file += line.text.toUtf8();
                break;
            case Encoding::Utf16Le:
            case Encoding::Utf16Be:
                file += QByteArray(utf16.encode(line.text));
                break;
            case Encoding::Page: {
                QString lacking;
                const std::optional<QByteArray> bytes = page->encode(line.text, &lacking);
                if (!bytes)
                    return QStringLiteral("Das Zeichen „%1“ in Zeile %2 lässt sich in %3 nicht "
                                          "speichern; die Liste bleibt, wie sie war.")
                        .arg(lacking)
                        .arg(i + 1)
                        .arg(EncodingName());
                file += *bytes;
                break;
            }
            }
            if (end.isEmpty())
                end = m_lineEnd;
        }
        // A line that no longer ends the file needs an end.
        if (end.isEmpty() && i + 1 < lines.size())
            end = m_lineEnd;
        file += end;
    }
    return file;
}

std::vector<ListLine> ListDocument::Merge(const std::vector<ListLine> &ours,
                                          const ListDocument &newer) const
{
    // Each line read is found again in the newer file by its bytes, in order.
    QHash<QByteArray, std::vector<int>> places;
    for (int i = static_cast<int>(newer.m_lines.size()) - 1; i >= 0; --i)
        places[newer.m_lines[static_cast<std::size_t>(i)].raw +
               newer.m_lines[static_cast<std::size_t>(i)].end]
            .push_back(i);
    std::vector<int> found(m_lines.size(), -1);
    int after = -1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        auto place = places.find(m_lines[i].raw + m_lines[i].end);
        if (place == places.end())
            continue;
        std::vector<int> &at = place.value(); // the last is the first in the file
        while (!at.empty() && at.back() <= after)
            at.pop_back();
        if (!at.empty()) {
            found[i] = after = at.back();
            at.pop_back();
        }
    }

    const std::size_t count = newer.m_lines.size();
    std::vector<bool> removed(count, false);
    std::vector<std::optional<ListLine>> replaced(count);
    std::map<int, std::vector<ListLine>> inserted; // after a newer line; -1 before all
    std::vector<bool> kept(m_lines.size(), false);
    int anchor = -1;
    for (const ListLine &line : ours) {
        const int newerAt = line.origin >= 0 ? found[static_cast<std::size_t>(line.origin)] : -1;
        if (line.origin >= 0)
            kept[static_cast<std::size_t>(line.origin)] = true;
        if (newerAt >= 0) {
            anchor = newerAt;
            if (line.changed)
                replaced[static_cast<std::size_t>(newerAt)] = line;
        } else if (line.changed || line.origin < 0) {
            // New here, or changed here where the other side changed or removed it too.
            ListLine mine = line;
            mine.origin = -1;
            mine.changed = true;
            inserted[anchor].push_back(mine);
        }
    }
    // Lines added after the last one both sides share go to the end, after the other side's
    // new lines too.
    if (const auto tail = inserted.find(anchor);
        tail != inserted.end() && anchor != static_cast<int>(count) - 1) {
        std::vector<ListLine> lines = std::move(tail->second);
        inserted.erase(tail);
        std::vector<ListLine> &end = inserted[static_cast<int>(count) - 1];
        end.insert(end.end(), lines.begin(), lines.end());
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (!kept[i] && found[i] >= 0) // removed here
            removed[static_cast<std::size_t>(found[i])] = true;

    std::vector<ListLine> merged;
    const auto insertAfter = [&](int at) {
        if (const auto lines = inserted.find(at); lines != inserted.end())
            merged.insert(merged.end(), lines->second.begin(), lines->second.end());
    };
    insertAfter(-1);
    for (std::size_t i = 0; i < count; ++i) {
        if (replaced[i]) {
            ListLine mine = *replaced[i];
            mine.origin = static_cast<int>(i);
            merged.push_back(mine);
        } else if (!removed[i]) {
            merged.push_back(newer.m_lines[i]);
        }
        insertAfter(static_cast<int>(i));
    }
    return merged;
}
