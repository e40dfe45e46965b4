// The list editor's file: lines not touched keep their bytes, new and changed lines take the
// file's code page and line end, characters the page lacks are refused, and another
// program's change is kept when the edits are carried over to it.
#include "ListDocument.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <functional>

namespace {

using Lines = std::vector<ListLine>;

ListLine Changed(const char *text)
{
    ListLine line;
    line.text = QString::fromUtf8(text);
    return line;
}

ListDocument Read(const QByteArray &bytes, CodePage page)
{
    auto document = ListDocument::FromBytes(bytes, page);
    EXPECT_TRUE(std::holds_alternative<ListDocument>(document))
        << std::get<QString>(document).toStdString();
    return std::get<ListDocument>(document);
}

struct WriteCase {
    const char *name;
    QByteArray file;
    CodePage page;
    std::function<void(Lines &)> edit;
    QByteArray written; // empty where `refused` is expected
    const char *refused = "";
};

class ListWriterTest : public testing::TestWithParam<WriteCase> {};

TEST_P(ListWriterTest, KeepsUntouchedBytesAndWritesTheRestInTheFilesOwnWay)
{
    const ListDocument document = Read(GetParam().file, GetParam().page);
    Lines lines = document.Lines();
    GetParam().edit(lines);
    const auto written = document.Write(lines);
    if (*GetParam().refused != '\0') {
        ASSERT_TRUE(std::holds_alternative<QString>(written));
        EXPECT_TRUE(std::get<QString>(written).contains(QString::fromUtf8(GetParam().refused)))
            << std::get<QString>(written).toStdString();
        return;
    }
    ASSERT_TRUE(std::holds_alternative<QByteArray>(written))
        << std::get<QString>(written).toStdString();
    EXPECT_EQ(std::get<QByteArray>(written).toHex(' '), GetParam().written.toHex(' '));
}

const auto kUntouched = [](Lines &) {
};
const auto kAddBernd = [](Lines &lines) {
    lines.push_back(Changed("15.03.2000 Jörg wird # alt"));
};

INSTANTIATE_TEST_SUITE_P(
    Cases, ListWriterTest,
    testing::Values(
        WriteCase{"UntouchedMixedEndsAndBadLinesKeepEveryByte",
                  QByteArray("14.03.1976 Anna \xe4 # alt\r\n\r\n31.02.2000 x\n1.3.1976 y\rz"),
                  CodePage::Ansi, kUntouched,
                  QByteArray("14.03.1976 Anna \xe4 # alt\r\n\r\n31.02.2000 x\n1.3.1976 y\rz")},
        WriteCase{"NewLineInUtf8WithLf", "14.03.1976 Anna wird # alt\n", CodePage::Ansi, kAddBernd,
                  "14.03.1976 Anna wird # alt\n15.03.2000 J\xc3\xb6rg wird # alt\n"},
        WriteCase{"NewLineInWindows1252WithCrLf", "14.03.1976 \xc4nne # alt\r\n", CodePage::Ansi,
                  kAddBernd, "14.03.1976 \xc4nne # alt\r\n15.03.2000 J\xf6rg wird # alt\r\n"},
        WriteCase{"NewLineInCp850WithCr", "14.03.1976 Anna # alt\r", CodePage::Oem, kAddBernd,
                  "14.03.1976 Anna # alt\r15.03.2000 J\x94rg wird # alt\r"},
        WriteCase{"NewLineAfterALastLineWithoutEnd", "a # b\r\n14.03.1976 Anna # alt",
                  CodePage::Ansi, kAddBernd,
                  "a # b\r\n14.03.1976 Anna # alt\r\n15.03.2000 J\xc3\xb6rg wird # alt\r\n"},
        WriteCase{"ChangedLineKeepsItsPlaceAndEnd", "a\r\nb\r\nc\r\n", CodePage::Ansi,
                  [](Lines &lines) {
                      lines[1].text = "24.12.2000 Heiligabend #";
                      lines[1].changed = true;
                  },
                  "a\r\n24.12.2000 Heiligabend #\r\nc\r\n"},
        WriteCase{"RemovedLineTakesItsEndAlong", "a\nb\nc", CodePage::Ansi,
                  [](Lines &lines) { lines.erase(lines.begin() + 1); }, "a\nc"},
        WriteCase{"Utf8MarkKept",
                  "\xef\xbb\xbf"
                  "a\n",
                  CodePage::Ansi, kAddBernd,
                  "\xef\xbb\xbf"
                  "a\n15.03.2000 J\xc3\xb6rg wird # alt\n"},
        WriteCase{"Utf16LittleEndianWithItsMark",
                  QByteArray("\xff\xfe"
                             "a\0\r\0\n\0",
                             8),
                  CodePage::Ansi, kAddBernd,
                  QByteArray("\xff\xfe"
                             "a\0\r\0\n\0",
                             8) +
                      QByteArray(reinterpret_cast<const char *>(
                                     QStringLiteral("15.03.2000 Jörg wird # alt\r\n").utf16()),
                                 2 * 28)},
        WriteCase{"EuroSignOutsideCp850Refused", "a\r\n", CodePage::Oem,
                  [](Lines &lines) { lines.push_back(Changed("01.01.2002 € # da")); }, "",
                  "„€“ in Zeile 2"},
        WriteCase{"OmegaOutsideWindows1252Refused", "14.03.1976 \xc4nne # alt\n", CodePage::Ansi,
                  [](Lines &lines) { lines.push_back(Changed("01.01.2002 Ω # da")); }, "",
                  "„Ω“ in Zeile 2"}),
    [](const testing::TestParamInfo<WriteCase> &info) { return std::string(info.param.name); });

struct FieldCase {
    const char *name;
    const char *line;
    EntryFields fields;
    const char *written; // LineOf(fields)
};

class EntryFieldsTest : public testing::TestWithParam<FieldCase> {};

TEST_P(EntryFieldsTest, SplitsAtTheCountAndWritesTenCharacterDates)
{
    EXPECT_EQ(FieldsOf(QString::fromUtf8(GetParam().line)), GetParam().fields);
    EXPECT_EQ(LineOf(GetParam().fields), QString::fromUtf8(GetParam().written));
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryFieldsTest,
                         testing::Values(FieldCase{"Entry",
                                                   "14.03.1976 Anna wird # alt",
                                                   {"14.03.1976", "Anna wird", "alt", true},
                                                   "14.03.1976 Anna wird # alt"},
                                         FieldCase{"ShortDate",
                                                   "1.3.1976 Björn wird # alt",
                                                   {"1.3.1976", "Björn wird", "alt", true},
                                                   "01.03.1976 Björn wird # alt"},
                                         FieldCase{"NoCount",
                                                   "24.12.2000 Heiligabend",
                                                   {"24.12.2000", "Heiligabend", "", false},
                                                   "24.12.2000 Heiligabend #"},
                                         FieldCase{"NothingAfterTheCount",
                                                   "14.03.1976 Anna: #",
                                                   {"14.03.1976", "Anna:", "", true},
                                                   "14.03.1976 Anna: #"},
                                         FieldCase{"BadDateKeptAsTyped",
                                                   "31.02.2000 Niemand # da",
                                                   {"31.02.2000", "Niemand", "da", true},
                                                   "31.02.2000 Niemand # da"}),
                         [](const testing::TestParamInfo<FieldCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(ListMergeTest, AnotherProgramsLinesAndOurEditsAreBothKept)
{
    const ListDocument base = Read("a # 1\nb # 2\nc # 3\n", CodePage::Ansi);
    Lines ours = base.Lines();
    ours[0].text = "a # eins";
    ours[0].changed = true;
    ours.erase(ours.begin() + 2); // c removed here
    ours.push_back(Changed("d # 4"));
    // Meanwhile another program added a line before b and changed c.
    const ListDocument newer = Read("a # 1\nx # 9\nb # 2\nc # drei\n", CodePage::Ansi);
    QStringList merged;
    for (const ListLine &line : base.Merge(ours, newer))
        merged += line.text;
    EXPECT_EQ(merged, (QStringList{"a # eins", "x # 9", "b # 2", "c # drei", "d # 4"}));
}

TEST(ListDocumentTest, AnAddressBookOrUtf32IsNotEditedHere)
{
    for (const QByteArray &bytes :
         {QByteArray("\r\nBEGIN:VCARD\r\nFN:Anna\r\nEND:VCARD\r\n"), QByteArray("\xff\xfe\0\0", 4)})
        EXPECT_TRUE(
            std::holds_alternative<QString>(ListDocument::FromBytes(bytes, CodePage::Ansi)));
}

} // namespace
