#include "VCard.h"

#include "CodePage.h"
#include "EntryLine.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

bool StartsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// A content line's parts: [group.]NAME[;PARAM[=VALUE]...]:VALUE
struct ContentLine {
    QByteArray name;              // upper case, without its group
    QList<QByteArray> parameters; // upper case, as written ("CHARSET=UTF-8", "QUOTED-PRINTABLE")
    QByteArray value;

    QByteArray Parameter(QByteArrayView key) const
    {
        for (const QByteArray &parameter : parameters) {
            if (parameter.startsWith(key) && parameter.size() > key.size() &&
                parameter[key.size()] == '=')
                return parameter.mid(key.size() + 1);
        }
        return {};
    }
    bool Has(QByteArrayView bare) const
    {
        return std::any_of(parameters.begin(), parameters.end(),
                           [bare](const QByteArray &p) { return p == bare; });
    }
};

std::optional<ContentLine> Split(const QByteArray &line)
{
    // The value starts at the first colon outside a quoted parameter value.
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            colon = i;
    }
    if (colon < 0)
        return std::nullopt;
    ContentLine content;
    content.value = line.mid(colon + 1);
    QList<QByteArray> head;
    QByteArray part;
    quoted = false;
    for (const char c : line.first(colon)) {
        if (c == '"')
            quoted = !quoted;
        if (c == ';' && !quoted) {
            head.append(part);
            part.clear();
        } else {
            part += c;
        }
    }
    head.append(part);
    content.name = head.takeFirst().toUpper();
    if (const qsizetype dot = content.name.lastIndexOf('.'); dot >= 0)
        content.name = content.name.mid(dot + 1);
    for (QByteArray &parameter : head) {
        parameter = parameter.toUpper();
        parameter.replace('"', "");
    }
    content.parameters = head;
    return content;
}

QByteArray QuotedPrintable(QByteArrayView text)
{
    QByteArray decoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            decoded += static_cast<char>(QByteArray(text.data() + i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The value as UTF-8: quoted-printable and CHARSET of version 2.1, UTF-8 otherwise (where it
// is no UTF-8 after all, the Windows code page of the mail programs that write such cards).
std::string Text(const ContentLine &content)
{
    QByteArray bytes = content.value;
    if (content.Parameter("ENCODING") == "QUOTED-PRINTABLE" || content.Has("QUOTED-PRINTABLE"))
        bytes = QuotedPrintable(bytes);
    const QByteArray charset = content.Parameter("CHARSET");
    QString text;
    if (!charset.isEmpty() && charset != "UTF-8") {
        QStringDecoder decoder(charset.constData());
        text = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = CodePageDecoder(CodePageDecoder::Page::Ansi, "windows-1252").decode(bytes);
    }
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// Text values escape \, ; , and line breaks; N separates its parts by unescaped semicolons.
std::vector<std::string> Unescaped(const std::string &value, bool splitParts)
{
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            parts.back() += next == 'n' || next == 'N' ? ' ' : next;
        } else if (c == ';' && splitParts) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string Trimmed(std::string text)
{
    const auto blank = [](unsigned char c) {
        return std::isspace(c) != 0;
    };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

struct CardDate {
    int day = 0, month = 0, year = 0;
    bool hasYear = false;
};

// 1976-03-14, 19760314, either with a time after "T"; --0314 and --03-14 have no year.
std::optional<CardDate> ParseCardDate(std::string value)
{
    value = Trimmed(value.substr(0, value.find('T')));
    std::string digits;
    for (const char c : value) {
        if (c != '-')
            digits += c;
        if (!std::isdigit(static_cast<unsigned char>(c)) && c != '-')
            return std::nullopt;
    }
    CardDate date;
    if (value.rfind("--", 0) == 0 && digits.size() == 4) {
        date.month = std::stoi(digits.substr(0, 2));
        date.day = std::stoi(digits.substr(2, 2));
        return date;
    }
    if (digits.size() != 8)
        return std::nullopt;
    date.year = std::stoi(digits.substr(0, 4));
    date.month = std::stoi(digits.substr(4, 2));
    date.day = std::stoi(digits.substr(6, 2));
    date.hasYear = true;
    return date;
}

} // namespace

bool IsVCardBegin(QByteArrayView line)
{
    return StartsWithNoCase(line, "BEGIN:VCARD");
}

VCardReader::VCardReader(DateList &list)
    : m_list(list)
{
}

void VCardReader::Line(QByteArrayView raw, int lineNumber)
{
    // A line that starts with a blank continues the one before (folding); so does the line
    // after a quoted-printable line that ends in "=" (version 2.1's soft line break).
    if (!m_logical.isEmpty() && !raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) {
        m_logical.append(raw.sliced(1).data(), raw.size() - 1);
        return;
    }
    if (m_logical.endsWith('=') && m_logical.toUpper().contains("QUOTED-PRINTABLE")) {
        m_logical.chop(1);
        m_logical.append(raw.data(), raw.size());
        return;
    }
    if (!m_logical.isEmpty())
        Property(m_logical);
    m_logical = raw.toByteArray();
    m_logicalLine = lineNumber;
}

void VCardReader::Finish()
{
    if (!m_logical.isEmpty())
        Property(m_logical);
    m_logical.clear();
    if (m_inCard)
        m_list.AddBadLine(m_card.beginLine, "Karte ohne END:VCARD");
    m_inCard = false;
}

void VCardReader::Property(const QByteArray &line)
{
    if (line.trimmed().isEmpty())
        return;
    const std::optional<ContentLine> content = Split(line);
    if (!content) {
        if (!m_inCard) // text outside the cards: garbage, or no address book at all
            m_list.AddBadLine(m_logicalLine, Text(ContentLine{{}, {}, line}));
        return;
    }
    const QByteArray value = content->value.trimmed().toUpper();
    if (content->name == "BEGIN" && value == "VCARD") {
        if (m_inCard)
            m_list.AddBadLine(m_card.beginLine, "Karte ohne END:VCARD");
        m_inCard = true;
        m_card = Card{};
        m_card.beginLine = m_logicalLine;
        return;
    }
    if (!m_inCard) {
        m_list.AddBadLine(m_logicalLine, Text(*content));
        return;
    }
    if (content->name == "END" && value == "VCARD") {
        EndCard();
        m_inCard = false;
        return;
    }
    // Apple marks a birthday without a year by a made-up year in X-APPLE-OMIT-YEAR.
    const QByteArray omitYear = content->Parameter("X-APPLE-OMIT-YEAR");
    const bool omits = !omitYear.isEmpty() && content->value.startsWith(omitYear);
    if (content->name == "FN")
        m_card.formattedName = Text(*content);
    else if (content->name == "N")
        m_card.structuredName = Text(*content);
    else if (content->name == "BDAY") {
        m_card.birthday = Text(*content);
        m_card.birthdayOmitsYear = omits;
    } else if (content->name == "ANNIVERSARY" || content->name == "X-ANNIVERSARY" ||
               content->name == "X-EVOLUTION-ANNIVERSARY") {
        m_card.anniversary = Text(*content);
        m_card.anniversaryOmitsYear = omits;
    }
}

void VCardReader::EndCard()
{
    std::string name = Trimmed(Unescaped(m_card.formattedName, false).front());
    if (name.empty() && !m_card.structuredName.empty()) {
        const std::vector<std::string> parts = Unescaped(m_card.structuredName, true);
        const std::string family = Trimmed(parts[0]);
        const std::string given = parts.size() > 1 ? Trimmed(parts[1]) : std::string();
        name = Trimmed(given + " " + family);
    }
    if (name.empty()) {
        m_list.AddBadLine(m_card.beginLine, "Karte ohne Namen (FN oder N)");
        return;
    }
    if (m_card.birthday.empty() && m_card.anniversary.empty()) {
        m_list.AddBadLine(m_card.beginLine,
                          "Karte „" + name + "“ ohne Geburtstag oder Hochzeitstag");
        return;
    }
    if (!m_card.birthday.empty())
        AddDate(name, m_card.birthday, m_card.birthdayOmitsYear, "Geburtstag", " wird ", " alt");
    if (!m_card.anniversary.empty())
        AddDate(name, m_card.anniversary, m_card.anniversaryOmitsYear, "Hochzeitstag", ": ",
                " verheiratet");
}

void VCardReader::AddDate(const std::string &name, const std::string &value, bool omitsYear,
                          const char *what, const char *nameText, const char *suffixText)
{
    const std::optional<CardDate> date = ParseCardDate(value);
    const std::string card = "Karte „" + name + "“: ";
    if (!date ||
        (date->hasYear && !omitsYear && !IsExistingDate(date->day, date->month, date->year)))
        m_list.AddBadLine(m_card.beginLine, card + what + " ist kein Datum (" + value + ")");
    else if (!date->hasYear || omitsYear)
        m_list.AddBadLine(m_card.beginLine, card + what + " ohne Jahr (" + value + ")");
    else
        m_list.Add(date->day, date->month, date->year, name + nameText, suffixText);
}
