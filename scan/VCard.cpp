#include "VCard.h"

#include "CodePage.h"
#include "EntryLine.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <limits>
#include <optional>

namespace {

std::chrono::month_day MonthDay(int month, int day)
{
    return std::chrono::month{static_cast<unsigned>(month)} /
           std::chrono::day{static_cast<unsigned>(day)};
}

bool StartsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

// A content line's parts: [group.]NAME[;PARAM[=VALUE]...]:VALUE
struct ContentLine {
    QByteArray group;             // upper case ("ITEM1" of Apple's "item1.X-ABDATE"), or empty
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
    // vCard 4.0's PREF=1, 3.0's TYPE=PREF and 2.1's bare PREF
    bool Preferred() const
    {
        return Parameter("PREF") == "1" || Has("PREF") ||
               std::any_of(parameters.begin(), parameters.end(), [](const QByteArray &p) {
                   return p.startsWith("TYPE=") && p.mid(5).split(',').contains("PREF");
               });
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
    if (const qsizetype dot = content.name.lastIndexOf('.'); dot >= 0) {
        content.group = content.name.first(dot);
        content.name = content.name.mid(dot + 1);
    }
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
    const QByteArray encoding = content.Parameter("ENCODING");
    if (encoding == "QUOTED-PRINTABLE" || content.Has("QUOTED-PRINTABLE"))
        bytes = QuotedPrintable(bytes);
    else if (encoding == "B" || encoding == "BASE64" || content.Has("BASE64"))
        bytes = QByteArray::fromBase64(bytes.trimmed()); // vCard 3.0's and 2.1's base64
    const QByteArray charset = content.Parameter("CHARSET");
    QString text;
    if (!charset.isEmpty() && charset != "UTF-8") {
        QStringDecoder decoder(charset.constData());
        text = decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = CodePageDecoder(CodePage::Ansi, "windows-1252").decode(bytes);
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

bool AllDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

// 1976-03-14 and 19760314, either with a time after "T"; --03-14 and --0314 have no year.
std::optional<CardDate> ParseCardDate(const std::string &value)
{
    std::string date = Trimmed(value.substr(0, value.find('T')));
    const bool yearless = date.rfind("--", 0) == 0;
    if (yearless)
        date.erase(0, 2);
    else if (date.size() == 10 && date[4] == '-' && date[7] == '-')
        date.erase(4, 1).erase(6, 1);
    if (yearless && date.size() == 5 && date[2] == '-')
        date.erase(2, 1);
    if (!AllDigits(date) || date.size() != (yearless ? 4U : 8U))
        return std::nullopt;
    const auto number = [&date](std::size_t at, std::size_t length) {
        return std::stoi(date.substr(at, length));
    };
    CardDate parsed;
    parsed.hasYear = !yearless;
    const std::size_t monthAt = yearless ? 0 : 4;
    parsed.year = yearless ? DateList::kYearlessYear : number(0, 4);
    parsed.month = number(monthAt, 2);
    parsed.day = number(monthAt + 2, 2);
    return parsed;
}

constexpr int kMaxNameCharacters = 1000;
constexpr qsizetype kMaxReadProperty = 64 * 1024; // bytes of a property that is read

// Apple's own labels are written "_$!<Anniversary>!$_"; a user's label as typed.
constexpr std::string_view kAppleAnniversary = "_$!<Anniversary>!$_";

bool IsAppleLabel(std::string_view label)
{
    return label.size() > 8 && label.substr(0, 4) == "_$!<" &&
           label.substr(label.size() - 4) == ">!$_";
}

} // namespace

// The properties a card's days are made of; the others are passed over unread.
static bool IsReadProperty(QByteArrayView name)
{
    static constexpr std::array<std::string_view, 15> kRead{"DEATHDATE",
                                                            "BEGIN",
                                                            "END",
                                                            "FN",
                                                            "N",
                                                            "ORG",
                                                            "KIND",
                                                            "BDAY",
                                                            "ANNIVERSARY",
                                                            "X-ANNIVERSARY",
                                                            "X-EVOLUTION-ANNIVERSARY",
                                                            "X-MS-ANNIVERSARY",
                                                            "X-KADDRESSBOOK-X-ANNIVERSARY",
                                                            "X-ABDATE",
                                                            "X-ABLABEL"};
    const std::string_view text(name.data(), static_cast<std::size_t>(name.size()));
    return std::find(kRead.begin(), kRead.end(), text) != kRead.end() ||
           text == "X-ADDRESSBOOKSERVER-KIND" || text == "X-ANDROID-CUSTOM";
}

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
    // after a quoted-printable line that ends in "=" (version 2.1's soft line break). Both are
    // decided from what the logical line holds so far, each byte looked at once.
    const bool folded = m_open && !raw.empty() && (raw.front() == ' ' || raw.front() == '\t');
    if (folded || (m_open && m_lastByte == '=' && QuotedPrintableSoFar())) {
        if (!folded && m_wanted)
            m_logical.chop(1); // the soft break's "="
        Append(folded ? raw.sliced(1) : raw);
        return;
    }
    if (m_open && m_wanted)
        Property(m_logical);
    m_logical.clear();
    m_open = !raw.empty(); // an empty line is no property, and nothing folds into it
    m_wanted = true;
    m_lastByte = '\0';
    m_colon = -1;
    m_searched = 0;
    m_headerKnown = false;
    m_quotedPrintable = false;
    m_logicalLine = lineNumber;
    Append(raw);
}

void VCardReader::Append(QByteArrayView part)
{
    if (!part.empty())
        m_lastByte = part.back();
    if (m_headerKnown) {
        // What is read is short (a date, a name, a label): past this, a value is only more
        // of what would be cut away.
        const qsizetype room = kMaxReadProperty - (m_logical.size() - m_colon);
        if (m_wanted && room > 0)
            m_logical.append(part.data(), std::min(part.size(), room));
        return;
    }
    // Until the colon: the property's name says whether it is read at all (a photo or a note
    // of many megabytes is neither copied nor decoded), its parameters whether it is
    // quoted-printable.
    m_logical.append(part.data(), part.size());
    const qsizetype colon = m_logical.indexOf(':', m_searched);
    m_searched = m_logical.size();
    if (colon < 0)
        return;
    m_colon = colon;
    m_headerKnown = true;
    const QByteArray head = m_logical.first(colon).toUpper();
    m_quotedPrintable = head.contains("QUOTED-PRINTABLE");
    QByteArrayView name =
        QByteArrayView(head).first(head.indexOf(';') < 0 ? head.size() : head.indexOf(';'));
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.sliced(dot + 1);
    m_wanted = IsReadProperty(name);
    if (!m_wanted)
        m_logical.clear();
    else if (m_logical.size() - m_colon > kMaxReadProperty)
        m_logical.truncate(m_colon + kMaxReadProperty);
}

bool VCardReader::QuotedPrintableSoFar() const
{
    return m_headerKnown && m_quotedPrintable;
}

void VCardReader::Finish()
{
    if (m_open && m_wanted)
        Property(m_logical);
    m_logical.clear();
    m_open = false;
    if (m_inCard)
        m_list.AddBadLine(m_card.beginLine, "Karte ohne END:VCARD");
    m_inCard = false;
}

VCardReader::Labelled &VCardReader::LabelledOfGroup(const QByteArray &group)
{
    // The date and its label are two lines of one group, in either order; a card may have
    // many groups, each found by its name at once.
    if (!group.isEmpty()) {
        if (const auto found = m_card.groups.constFind(group); found != m_card.groups.cend())
            return m_card.labelled[found.value()];
        m_card.groups.insert(group, m_card.labelled.size());
    }
    return m_card.labelled.emplace_back(Labelled{group, {}, {}});
}

void VCardReader::Property(const QByteArray &line)
{
    if (line.trimmed().isEmpty())
        return;
    const std::optional<ContentLine> content = Split(line);
    if (!content) {
        if (!m_inCard) // text outside the cards: garbage, or no address book at all
            m_list.AddBadLine(m_logicalLine, Text(ContentLine{{}, {}, {}, line}));
        return;
    }
    const QByteArray &name = content->name;
    const QByteArray value = content->value.trimmed().toUpper();
    if (name == "BEGIN" && value == "VCARD") {
        if (m_inCard)
            m_list.AddBadLine(m_card.beginLine, "Karte ohne END:VCARD");
        m_inCard = true;
        m_card = Card{};
        m_card.beginLine = m_logicalLine;
        return;
    }
    if (!m_inCard) { // a property outside the cards, a stray END:VCARD among them
        m_list.AddBadLine(m_logicalLine, Text(ContentLine{{}, {}, {}, line}),
                          "außerhalb einer Karte");
        return;
    }
    if (name == "END" && value == "VCARD") {
        EndCard();
        m_inCard = false;
        return;
    }
    // Apple marks a date without a year by a made-up year in X-APPLE-OMIT-YEAR.
    const QByteArray omitYear = content->Parameter("X-APPLE-OMIT-YEAR");
    const std::string text = Text(*content);
    const Date date{text, !omitYear.isEmpty() && content->value.startsWith(omitYear),
                    content->Preferred()};
    // A later alternative (vCard 4.0's ALTID) replaces the first only when it is preferred.
    const auto keep = [](std::optional<Date> &kept, const Date &candidate) {
        if (!kept || (candidate.preferred && !kept->preferred))
            kept = candidate;
    };
    if (name == "FN")
        m_card.formattedName = text;
    else if (name == "N")
        m_card.structuredName = text;
    else if (name == "ORG")
        m_card.organization = text;
    else if ((name == "KIND" || name == "X-ADDRESSBOOKSERVER-KIND") && value == "GROUP")
        m_card.isGroup = true;
    else if (name == "BDAY")
        keep(m_card.birthday, date);
    else if (name == "DEATHDATE")
        keep(m_card.death, date);
    else if (name == "ANNIVERSARY" || name == "X-ANNIVERSARY" ||
             name == "X-EVOLUTION-ANNIVERSARY" || name == "X-MS-ANNIVERSARY" ||
             name == "X-KADDRESSBOOK-X-ANNIVERSARY")
        keep(m_card.anniversary, date);
    else if (name == "X-ABDATE")
        LabelledOfGroup(content->group).date = date;
    else if (name == "X-ABLABEL" && !content->group.isEmpty())
        LabelledOfGroup(content->group).label = Trimmed(Unescaped(text, false).front());
    else if (name == "X-ANDROID-CUSTOM") {
        // vnd.android.cursor.item/contact_event;DATE;TYPE;LABEL;... with the type 1 for a
        // wedding day, 3 for a birthday, 0 for a label of the user's own and 2 for another day.
        const std::vector<std::string> parts = Unescaped(text, true);
        if (parts.size() < 3 || Trimmed(parts[0]) != "vnd.android.cursor.item/contact_event")
            return;
        const Date event{parts[1], false, false};
        const std::string type = Trimmed(parts[2]);
        if (type == "3")
            keep(m_card.birthday, event);
        else if (type == "1")
            keep(m_card.anniversary, event);
        else
            m_card.labelled.push_back(
                {{}, event, parts.size() > 3 && type == "0" ? Trimmed(parts[3]) : ""});
    }
}

void VCardReader::EndCard()
{
    if (m_card.isGroup)
        return; // a group of contacts has no days of its own
    std::string name = Trimmed(Unescaped(m_card.formattedName, false).front());
    if (name.empty() && !m_card.structuredName.empty()) {
        const std::vector<std::string> parts = Unescaped(m_card.structuredName, true);
        const std::string family = Trimmed(parts[0]);
        const std::string given = parts.size() > 1 ? Trimmed(parts[1]) : std::string();
        name = Trimmed(given + " " + family);
    }
    if (name.empty()) // a firm's card: its organisation, without the departments after ";"
        name = Trimmed(Unescaped(m_card.organization, true).front());
    // A name is a line of a list, not a book: each of the card's days keeps a copy.
    if (const std::size_t cut = Utf8Offset(name, kMaxNameCharacters); cut < name.size())
        name.erase(cut).append("…");

    // Apple's anniversary label makes a labelled date the wedding day.
    for (const Labelled &labelled : m_card.labelled) {
        if (labelled.label == kAppleAnniversary && !labelled.date.value.empty() &&
            !m_card.anniversary)
            m_card.anniversary = labelled.date;
    }
    const bool hasDates = m_card.birthday || m_card.anniversary || m_card.death ||
                          std::any_of(m_card.labelled.begin(), m_card.labelled.end(),
                                      [](const Labelled &l) { return !l.date.value.empty(); });
    if (!hasDates)
        return; // most contacts have no day to remember
    if (name.empty()) {
        m_list.AddBadLine(m_card.beginLine, "Karte ohne Namen (FN, N oder ORG)");
        return;
    }
    // Somebody who died: the birthday reads as one up to the death day, "wäre ... alt
    // geworden" after it, and the death day has rows of its own.
    std::optional<int> died;
    if (m_card.death) {
        const std::optional<CardDate> death = ParseCardDate(m_card.death->value);
        if (death && death->hasYear && !m_card.death->omitsYear && death->year != 0 &&
            IsExistingDate(death->day, death->month, death->year))
            died = static_cast<int>(std::chrono::sys_days{std::chrono::year{death->year} /
                                                          MonthDay(death->month, death->day)}
                                        .time_since_epoch()
                                        .count());
    }
    if (m_card.birthday) {
        const bool added = AddDate(name, *m_card.birthday, "Geburtstag", name + " wird ", " alt",
                                   name + " hat Geburtstag");
        if (added && died) {
            m_list.ShowOnly({std::numeric_limits<int>::min(), *died});
            if (!m_list.IsYearless(m_list.size() - 1) &&
                AddDate(name, *m_card.birthday, "Geburtstag", name + " wäre ", " alt geworden",
                        name + " hat Geburtstag"))
                m_list.ShowOnly({*died + 1, std::numeric_limits<int>::max()});
        }
    }
    // Counted from the death day on: no count-down to it.
    if (m_card.death &&
        AddDate(name, *m_card.death, "Todestag", "Todestag " + name + ": ", "",
                "Todestag " + name) &&
        died)
        m_list.ShowOnly({*died + 1, std::numeric_limits<int>::max()});
    if (m_card.anniversary && AddDate(name, *m_card.anniversary, "Hochzeitstag", name + ": ",
                                      " verheiratet", name + " hat Hochzeitstag"))
        m_list.MarkWedding();
    for (const Labelled &labelled : m_card.labelled) {
        if (labelled.date.value.empty() || labelled.label == kAppleAnniversary)
            continue;
        // Apple's other own labels ("_$!<Other>!$_") are no words for a user.
        const std::string label = labelled.label.empty() || IsAppleLabel(labelled.label)
                                      ? std::string("Jahrestag")
                                      : labelled.label;
        const std::string nameText = name + ": ";
        AddDate(name, labelled.date, label, nameText, " " + label, nameText + label);
    }
}

bool VCardReader::AddDate(const std::string &name, const Date &date, const std::string &what,
                          const std::string &nameText, const std::string &suffixText,
                          const std::string &yearlessText)
{
    const std::optional<CardDate> parsed = ParseCardDate(date.value);
    const std::string card = "Karte „" + name + "“: " + what + " " + date.value;
    const bool yearless = !parsed || !parsed->hasYear || date.omitsYear;
    const int year = yearless ? DateList::kYearlessYear : parsed->year;
    if (!parsed || !IsExistingDate(parsed->day, parsed->month, year)) {
        m_list.AddBadLine(m_card.beginLine, card, "kein gültiges Datum");
        return false;
    }
    if (year == 0) {
        m_list.AddBadLine(m_card.beginLine, card, "kein Jahr 0");
        return false;
    }
    if (yearless)
        m_list.AddYearless(MonthDay(parsed->month, parsed->day), yearlessText, "");
    else
        m_list.Add(std::chrono::year{year} / MonthDay(parsed->month, parsed->day), nameText,
                   suffixText);
    return true;
}
