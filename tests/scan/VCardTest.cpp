// Address books as date lists: cards as mail programs, phones and contact servers export
// them, and cards that are broken.
#include "DateList.h"
#include "DateListReader.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Entries(const DateList &list)
{
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::chrono::year_month_day date = list.Day(i).date;
        char day[40];
        std::snprintf(day, sizeof day, "%02u.%02u.", static_cast<unsigned>(date.day()),
                      static_cast<unsigned>(date.month()));
        const std::string year =
            list.IsYearless(i) ? "----" : std::to_string(static_cast<int>(date.year()));
        entries.push_back(day + year + " " + std::string(list.NameText(i)) + "#" +
                          std::string(list.SuffixText(i)));
    }
    return entries;
}

std::vector<std::string> BadLines(const DateList &list)
{
    std::vector<std::string> lines;
    for (const BadLine &bad : list.BadLines())
        lines.push_back(std::to_string(bad.lineNumber) + " (" + bad.reason + "): " + bad.text);
    return lines;
}

// Pieces as one string: GCC 12 warns falsely of "literal" + std::string at -O3 (mingw).
std::string Cat(std::initializer_list<std::string_view> pieces)
{
    std::string whole;
    for (const std::string_view piece : pieces)
        whole += piece;
    return whole;
}

DateList Read(const std::string &cards)
{
    return ParseDateList(QByteArrayView(cards.data(), static_cast<qsizetype>(cards.size())),
                         CodePage::Ansi);
}

using Lines = std::vector<std::string>;

struct VendorCase {
    const char *name;
    std::string cards;
    Lines entries;
    Lines badLines;
};

class VCardVendorTest : public testing::TestWithParam<VendorCase> {};

TEST_P(VCardVendorTest, ReadsEveryDayOfTheCardsAsTheVendorWritesThem)
{
    const VendorCase &c = GetParam();
    const DateList list = Read(c.cards);
    EXPECT_EQ(Entries(list), c.entries);
    EXPECT_EQ(BadLines(list), c.badLines);
}

const std::string kNoDates = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nur Telefon\r\nTEL:030 1234\r\n"
                             "END:VCARD\r\n";
const Lines kAnna = {"14.03.1976 Anna Berg wird # alt", "09.06.2001 Anna Berg: # verheiratet"};

INSTANTIATE_TEST_SUITE_P(
    Vendors, VCardVendorTest,
    testing::Values(
        VendorCase{"GoogleContacts",
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\n"
                   "BDAY:1976-03-14\r\nitem1.X-ABDATE:2001-06-09\r\n"
                   "item1.X-ABLabel:_$!<Anniversary>!$_\r\nitem2.X-ABDATE:2019-08-15\r\n"
                   "item2.X-ABLabel:Kennengelernt\r\nEND:VCARD\r\n" +
                       kNoDates +
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bea\r\nBDAY:--03-14\r\nEND:VCARD\r\n",
                   {kAnna[0], kAnna[1], "15.08.2019 Anna Berg: # Kennengelernt",
                    "14.03.---- Bea hat Geburtstag#"},
                   {}},
        VendorCase{"AppleContacts",
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//macOS 14.0//EN\r\n"
                   "N:Berg;Anna;;;\r\nFN:Anna Berg\r\nBDAY;VALUE=date:1976-03-14\r\n"
                   "item1.X-ABLabel:_$!<Anniversary>!$_\r\n"
                   "item1.X-ABDATE;type=pref:2001-06-09\r\nitem2.X-ABDATE:1999-01-01\r\n"
                   "item2.X-ABLabel:_$!<Other>!$_\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nN:;;;;\r\nFN:\r\nORG:Schulz & Söhne;Vertrieb\r\n"
                   "X-ABShowAs:COMPANY\r\nitem1.X-ABDATE:1976-05-01\r\n"
                   "item1.X-ABLabel:Gründung\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Carl\r\n"
                   "BDAY;X-APPLE-OMIT-YEAR=1604:1604-08-01\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Familie\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"
                   "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:1\r\nEND:VCARD\r\n",
                   {kAnna[0], kAnna[1], "01.01.1999 Anna Berg: # Jahrestag",
                    "01.05.1976 Schulz & Söhne: # Gründung", "01.08.---- Carl hat Geburtstag#"},
                   {}},
        VendorCase{"Outlook",
                   "BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=de:Berg;Anna\r\nFN:Anna Berg\r\n"
                   "BDAY:19760314\r\nX-MS-ANNIVERSARY:20010609\r\nEND:VCARD\r\n" +
                       kNoDates,
                   kAnna,
                   {}},
        VendorCase{"Thunderbird",
                   "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\n"
                   "BDAY;VALUE=DATE:19760314\r\nANNIVERSARY;VALUE=DATE:20010609\r\nEND:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Bea\r\nBDAY;VALUE=DATE:--0314\r\n"
                   "END:VCARD\r\n"
                   "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:group\r\nFN:Verein\r\n"
                   "MEMBER:urn:uuid:1\r\nEND:VCARD\r\n",
                   {kAnna[0], kAnna[1], "14.03.---- Bea hat Geburtstag#"},
                   {}},
        VendorCase{"Evolution",
                   "begin:vcard\nversion:3.0\nfn:Anna Berg\nbday:1976-03-14\n"
                   "x-evolution-anniversary:2001-06-09\nend:vcard\n",
                   kAnna,
                   {}},
        VendorCase{"KAddressBook",
                   "BEGIN:VCARD\nVERSION:3.0\nFN:Anna Berg\nBDAY:1976-03-14T00:00:00\n"
                   "X-KADDRESSBOOK-X-Anniversary:2001-06-09\nEND:VCARD\n",
                   kAnna,
                   {}},
        VendorCase{
            "Android",
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Berg;Anna;;;\r\nFN:Anna Berg\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;1976-03-14;3;;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/contact_event;2001-06-09;1;;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/"
            "contact_event;2010-09-01;0;Einschulung;;;;;;;;;;;;\r\n"
            "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Anni;1;;;;;;;;;;;;;\r\n"
            "END:VCARD\r\n",
            {kAnna[0], kAnna[1], "01.09.2010 Anna Berg: # Einschulung"},
            {}},
        VendorCase{"Nextcloud",
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Sabre//Sabre VObject 4.5.0//EN\r\n"
                   "UID:1\r\nFN:Anna Berg\r\nN:Berg;Anna;;;\r\nBDAY;VALUE=DATE:1976-03-14\r\n"
                   "X-ANNIVERSARY:2001-06-09\r\nEND:VCARD\r\n" +
                       kNoDates,
                   kAnna,
                   {}},
        // Outlook's 2.1: quoted-printable in Windows-1252, broken by a soft line break.
        VendorCase{"QuotedPrintable",
                   "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:"
                   "M=FCller;J=\n=F6rg\nNOTE:quoted-printable=\nBDAY:19800315\nEND:VCARD\n",
                   {"15.03.1980 Jörg Müller wird # alt"},
                   {}},
        // vCard 4.0's alternatives of one birthday: the preferred one, else the first.
        VendorCase{"Alternatives",
                   "BEGIN:VCARD\nVERSION:4.0\nFN:Anna Berg\nBDAY;ALTID=1:19760314\n"
                   "BDAY;ALTID=1;LANGUAGE=de:19770101\nEND:VCARD\n"
                   "BEGIN:VCARD\nVERSION:4.0\nFN:Bea\nBDAY;ALTID=1:19770101\n"
                   "BDAY;ALTID=1;PREF=1:19800202\nEND:VCARD\n",
                   {kAnna[0], "02.02.1980 Bea wird # alt"},
                   {}},
        VendorCase{"Broken",
                   "BEGIN:VCARD\nVERSION:3.0\nN:;;;;\nBDAY:1976-03-14\nEND:VCARD\n"
                   "BEGIN:VCARD\nFN:Falsch\nBDAY:1976-02-30\nANNIVERSARY:0000-03-14\nEND:VCARD\n"
                   "BEGIN:VCARD\nFN:Negativ\nBDAY:-0010-03-14\nEND:VCARD\n"
                   "BEGIN:VCARD\nFN:Abgeschnitten\nBDAY:1976-03-14\n\x01\x02\xff",
                   {},
                   {"1 (): Karte ohne Namen (FN, N oder ORG)",
                    "6 (kein gültiges Datum): Karte „Falsch“: Geburtstag 1976-02-30",
                    "6 (kein Jahr 0): Karte „Falsch“: Hochzeitstag 0000-03-14",
                    "11 (kein gültiges Datum): Karte „Negativ“: Geburtstag -0010-03-14",
                    "15 (): Karte ohne END:VCARD"}},
        // Soft line breaks after parameters folded over lines; a value the reader passes
        // over (a note, a photo) never gives a day, whatever its lines look like.
        VendorCase{"LongHeadsAndUnreadValues",
                   Cat({"BEGIN:VCARD\r\nVERSION:2.1\r\nFN;X-A=", std::string(3000, 'a'), "\r\n ",
                        std::string(3000, 'b'),
                        ";ENCODING=QUOTED-PRINTABLE:J=\r\n=F6rg\r\n"
                        "NOTE;ENCODING=QUOTED-PRINTABLE:Geburtstag=\r\nBDAY:19990101\r\n"
                        "PHOTO;ENCODING=b;TYPE=JPEG:QkRBWToxOTk5\r\n BDAY:19990101\r\n"
                        "BDAY:19800315\r\nEND:VCARD\r\n"}),
                   {"15.03.1980 Jörg wird # alt"},
                   {}},
        VendorCase{"ManyGroupsEachWithItsOwnLabel",
                   [] {
                       std::string card = "BEGIN:VCARD\nFN:Verein\n";
                       for (int i = 1; i <= 400; ++i) {
                           const std::string group = Cat({"item", std::to_string(i)});
                           const std::string date =
                               Cat({group, ".X-ABDATE:2001-01-", i % 28 < 9 ? "0" : "",
                                    std::to_string(i % 28 + 1), "\n"});
                           const std::string label =
                               Cat({group, ".X-ABLabel:Tag ", std::to_string(i), "\n"});
                           card += i % 2 == 0 ? date + label : label + date;
                       }
                       return card + "END:VCARD\n";
                   }(),
                   [] {
                       Lines entries;
                       for (int i = 1; i <= 400; ++i) {
                           const int day = i % 28 + 1;
                           entries.push_back(Cat({day < 10 ? "0" : "", std::to_string(day),
                                                  ".01.2001 Verein: # Tag ", std::to_string(i)}));
                       }
                       return entries;
                   }(),
                   {}},
        // vCard 3.0's base64 name; a stray END:VCARD is named as the line it is.
        VendorCase{"Base64NameAndAStrayEnd",
                   "BEGIN:VCARD\r\nVERSION:3.0\r\nFN;ENCODING=b:SsO2cmc=\r\n"
                   "BDAY:1980-03-15\r\nEND:VCARD\r\nEND:VCARD\r\n",
                   {"15.03.1980 Jörg wird # alt"},
                   {"6 (außerhalb einer Karte): END:VCARD"}},
        // A name is cut after 1000 characters: each of its days keeps a copy.
        VendorCase{
            "HugeName",
            Cat({"BEGIN:VCARD\nFN:", std::string(5000, 'x'), "\nBDAY:19800315\nEND:VCARD\n"}),
            {Cat({"15.03.1980 ", std::string(1000, 'x'), "… wird # alt"})},
            {}}),
    [](const auto &info) { return info.param.name; });

TEST(VCardTest, AnAddressBookOfContactsMostlyWithoutDaysGivesNoError)
{
    std::string cards;
    for (int i = 0; i < 200; ++i) {
        cards += Cat({"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kontakt ", std::to_string(i), "\r\nEMAIL:k",
                      std::to_string(i), "@example.org\r\n"});
        if (i % 10 == 0)
            cards += Cat({"BDAY:19", std::to_string(50 + i / 10), "-03-14\r\n"});
        cards += "END:VCARD\r\n";
    }
    const DateList list = Read(cards);
    EXPECT_EQ(list.size(), 20u);
    EXPECT_EQ(list.BadLineCount(), 0u);
}

} // namespace
