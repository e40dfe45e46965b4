// Address books as date lists: cards as mail programs, phones and contact servers export
// them, and cards that are broken.
#include "DateList.h"
#include "DateListReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Entries(const DateList &list)
{
    std::vector<std::string> entries;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::chrono::year_month_day date = list.Day(i).date;
        char day[40];
        std::snprintf(day, sizeof day, "%02u.%02u.%04d ", static_cast<unsigned>(date.day()),
                      static_cast<unsigned>(date.month()), static_cast<int>(date.year()));
        entries.push_back(day + std::string(list.NameText(i)) + "#" +
                          std::string(list.SuffixText(i)));
    }
    return entries;
}

std::vector<std::string> BadLines(const DateList &list)
{
    std::vector<std::string> lines;
    for (const BadLine &bad : list.BadLines())
        lines.push_back(std::to_string(bad.lineNumber) + ": " + bad.text);
    return lines;
}

DateList Read(const std::string &cards)
{
    return ParseDateList(QByteArrayView(cards.data(), static_cast<qsizetype>(cards.size())), 0);
}

TEST(VCardTest, ExportsOfAllVersionsGiveBirthdaysAndWeddingDaysInCardOrder)
{
    const DateList list = Read(
        "\xEF\xBB\xBF\r\n"
        // A contact server (vCard 4.0, as Nextcloud and Thunderbird write it).
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Doe\\, John\r\nBDAY;VALUE=DATE:19850401\r\n"
        "ANNIVERSARY:20100612\r\nEND:VCARD\r\n"
        // A phone or Apple's Contacts (3.0): a folded name, a date with a time.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Apple Inc.//iOS 17.0//EN\r\nN:Meier;Bernd;;;\r\n"
        "FN:Bernd Mei\r\n er\r\nitem1.BDAY;VALUE=date:1990-05-10T00:00:00Z\r\nEND:VCARD\r\n"
        // Google's export: no FN, only N.
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Schulz;Clara;;;\r\nBDAY:2001-02-28\r\nEND:VCARD\r\n"
        // Outlook's 2.1: quoted-printable in Windows-1252, broken by a soft line break.
        "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:M=FCller;J=\n"
        "=F6rg\nBDAY:19800315\nEND:VCARD\n"
        // Evolution's own name for the wedding day.
        "begin:vcard\nversion:3.0\nfn:Eva Wolf\nx-evolution-anniversary:2005-09-09\nend:vcard\n");
    EXPECT_EQ(Entries(list), (std::vector<std::string>{
                                 "01.04.1985 Doe, John wird # alt",
                                 "12.06.2010 Doe, John: # verheiratet",
                                 "10.05.1990 Bernd Meier wird # alt",
                                 "28.02.2001 Clara Schulz wird # alt",
                                 "15.03.1980 Jörg Müller wird # alt",
                                 "09.09.2005 Eva Wolf: # verheiratet",
                             }));
    EXPECT_EQ(list.BadLineCount(), 0u);
}

TEST(VCardTest, BrokenCardsAreReportedAtTheirBeginLine)
{
    const DateList list = Read("BEGIN:VCARD\nVERSION:4.0\nFN:Ohne Jahr\nBDAY:--0314\nEND:VCARD\n"
                               "BEGIN:VCARD\nVERSION:3.0\nN:;;;;\nBDAY:1976-03-14\nEND:VCARD\n"
                               "BEGIN:VCARD\nVERSION:3.0\nFN:Ohne Datum\nEND:VCARD\n"
                               "BEGIN:VCARD\nVERSION:3.0\nFN:Apple\nBDAY;X-APPLE-OMIT-YEAR=1604:"
                               "1604-08-01\nEND:VCARD\n"
                               "BEGIN:VCARD\nFN:Falsch\nBDAY:1976-02-30\nEND:VCARD\n"
                               "BEGIN:VCARD\nFN:Abgeschnitten\nBDAY:1976-03-14\n\x01\x02\xff");
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(BadLines(list), (std::vector<std::string>{
                                  "1: Karte „Ohne Jahr“: Geburtstag ohne Jahr (--0314)",
                                  "6: Karte ohne Namen (FN oder N)",
                                  "11: Karte „Ohne Datum“ ohne Geburtstag oder Hochzeitstag",
                                  "15: Karte „Apple“: Geburtstag ohne Jahr (1604-08-01)",
                                  "20: Karte „Falsch“: Geburtstag ist kein Datum (1976-02-30)",
                                  "24: Karte ohne END:VCARD",
                              }));
}

} // namespace
