// Reading the date list: the date parse, real dates, the text split, encodings and files.
#include "DateList.h"
#include "DateListFile.h"
#include "DateListReader.h"
#include "EntryLine.h"
#include "LineDecoder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

struct ParseCase {
    const char *name;
    const char *line;
    bool parses;
    int day, month, year;
};

class ParseEntryDateTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseEntryDateTest, ReadsLikeTheFormattedScan)
{
    const ParseCase &c = GetParam();
    int day = -7;
    int month = -7;
    int year = -7;
    ASSERT_EQ(ParseEntryDate(c.line, day, month, year), c.parses);
    if (c.parses) {
        EXPECT_EQ(day, c.day);
        EXPECT_EQ(month, c.month);
        EXPECT_EQ(year, c.year);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseEntryDateTest,
    testing::Values(ParseCase{"Full", "14.03.1976 Anna wird # alt", true, 14, 3, 1976},
                    ParseCase{"ShortNumbers", "1.3.1976 Anna", true, 1, 3, 1976},
                    ParseCase{"BlanksBeforeNumbers", " 1. 3.\t1976", true, 1, 3, 1976},
                    ParseCase{"LeadingZerosAreDecimal", "08.09.2008", true, 8, 9, 2008},
                    ParseCase{"TwoDigitYearAsWritten", "14.03.76 x", true, 14, 3, 76},
                    ParseCase{"NothingAfterYearLooked", "14.03.19761", true, 14, 3, 1976},
                    ParseCase{"SignCountsInWidth", "-1.+3.-999", true, -1, 3, -999},
                    ParseCase{"Empty", "", false, 0, 0, 0},
                    ParseCase{"Text", "Anna wird # alt", false, 0, 0, 0},
                    ParseCase{"Slashes", "14/03/1976", false, 0, 0, 0},
                    ParseCase{"DayTooWide", "140.3.1976", false, 0, 0, 0},
                    ParseCase{"BlankBeforeDot", "14 .03.1976", false, 0, 0, 0},
                    ParseCase{"SignWithoutDigits", "+.03.1976", false, 0, 0, 0},
                    ParseCase{"NoYear", "14.03.", false, 0, 0, 0},
                    ParseCase{"Blanks", "   ", false, 0, 0, 0}),
    [](const auto &info) { return info.param.name; });

struct ReasonCase {
    const char *name;
    const char *line;
    const char *reason; // empty: an entry
};

class BadLineReasonTest : public testing::TestWithParam<ReasonCase> {};

TEST_P(BadLineReasonTest, SaysWhyALineIsNoEntry)
{
    const ReasonCase &c = GetParam();
    const DateList list =
        ParseDateList(std::string("14.03.1976 A\n") + c.line + "\n", CodePage::Ansi);
    if (*c.reason == '\0') {
        EXPECT_EQ(list.size(), 2u);
        EXPECT_EQ(list.BadLineCount(), 0u);
        return;
    }
    ASSERT_EQ(list.BadLines().size(), 1u);
    EXPECT_EQ(list.BadLines()[0].lineNumber, 2);
    EXPECT_EQ(list.BadLines()[0].text, c.line);
    EXPECT_EQ(list.BadLines()[0].reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadLineReasonTest,
    testing::Values(ReasonCase{"Blank", " \t", "leere Zeile"},
                    ReasonCase{"Text", "Anna wird # alt", "kein gültiges Datum"},
                    ReasonCase{"NoSuchDay", "31.02.2000 X", "kein gültiges Datum"},
                    ReasonCase{"TwoDigitYear", "15.3.76 Anna", "Jahr vierstellig angeben"},
                    ReasonCase{"NegativeYear", "14.03.-001 Anna", "Jahr vierstellig angeben"},
                    ReasonCase{"SignedYear", "14.03.+976 Anna", "Jahr vierstellig angeben"},
                    ReasonCase{"YearZero", "14.03.0000 Anna", "kein Jahr 0"},
                    ReasonCase{"YearOne", "14.03.0001 Anna", ""},
                    ReasonCase{"ShortDayAndMonth", "1.3.1976 Anna", ""}),
    [](const auto &info) { return info.param.name; });

struct ExistingCase {
    const char *name;
    int day, month, year;
    bool exists;
};

class ExistingDateTest : public testing::TestWithParam<ExistingCase> {};

TEST_P(ExistingDateTest, AcceptsOnlyGregorianDates)
{
    const ExistingCase &c = GetParam();
    EXPECT_EQ(IsExistingDate(c.day, c.month, c.year), c.exists);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExistingDateTest,
                         testing::Values(ExistingCase{"ThirtyFirstFebruary", 31, 2, 2000, false},
                                         ExistingCase{"DayZero", 0, 5, 1990, false},
                                         ExistingCase{"MonthThirteen", 14, 13, 1976, false},
                                         ExistingCase{"MonthZero", 14, 0, 1976, false},
                                         ExistingCase{"LeapDayCommonYear", 29, 2, 1981, false},
                                         ExistingCase{"LeapDayLeapYear", 29, 2, 1980, true},
                                         ExistingCase{"LeapDay2000", 29, 2, 2000, true},
                                         ExistingCase{"LeapDay1900", 29, 2, 1900, false},
                                         ExistingCase{"ThirtyFirstApril", 31, 4, 2026, false},
                                         ExistingCase{"ThirtiethApril", 30, 4, 2026, true},
                                         ExistingCase{"NegativeDay", -1, 3, 1976, false},
                                         ExistingCase{"EarliestYear", 31, 12, -999, true}),
                         [](const auto &info) { return info.param.name; });

struct SplitCase {
    const char *name;
    const char *line;
    const char *nameText;
    const char *suffixText;
};

class SplitEntryLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitEntryLineTest, SplitsAtFirstHashAfterTheDateAndOneSeparator)
{
    const SplitCase &c = GetParam();
    DateList list;
    AddEntryLine(list, c.line, 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.NameText(0), c.nameText);
    EXPECT_EQ(list.SuffixText(0), c.suffixText);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitEntryLineTest,
    testing::Values(
        SplitCase{"Anna", "14.03.1976 Anna wird # alt", "Anna wird ", " alt"},
        SplitCase{"WithoutHash", "10.05.2000 Hochzeit Meier", "Hochzeit Meier", ""},
        SplitCase{"HashAsSeparatorDoesNotCount", "14.03.1976#Anna#", "Anna", ""},
        SplitCase{"FurtherHashInSuffix", "14.03.1976 A#b#c", "A", "b#c"},
        SplitCase{"ExactlyElevenCharacters", "14.03.1976 ", "", ""},
        SplitCase{"ShorterThanEleven", "1.1.2000", "", ""},
        SplitCase{"ShortDateKeepsTheWholeName", "1.3.1976 Björn wird # alt", "Björn wird ", " alt"},
        SplitCase{"BlanksBeforeTheNumbers", " 1. 3.1976 Anna", "Anna", ""},
        SplitCase{"YearDigitAsSeparator", "14.03.19761 Anna", " Anna", ""},
        SplitCase{"UmlautAsSeparator", "14.03.1976äAnna", "Anna", ""},
        SplitCase{"CarriageReturnIsOrdinary", "14.03.1976 A\rB#\r", "A\rB", "\r"},
        SplitCase{"UmlautAfterAShortDate", "1.3.1976 ä Anna", "ä Anna", ""},
        SplitCase{"UmlautsInTexts", "14.03.1976 Jörg wird # älter", "Jörg wird ", " älter"}),
    [](const auto &info) { return info.param.name; });

std::vector<std::string> Names(const DateList &list)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        names.push_back(std::string(list.NameText(i)) + "|" + std::string(list.SuffixText(i)));
    return names;
}

TEST(ParseDateListTest, AnnasLineGivesTheEntry)
{
    const DateList list = ParseDateList("14.03.1976 Anna wird # alt\n", CodePage::Ansi);
    ASSERT_EQ(list.size(), 1u);
    using namespace std::chrono;
    EXPECT_EQ(list.Day(0).date, 1976y / March / 14);
    EXPECT_EQ(list.Day(0).serial, sys_days{1976y / March / 14});
    EXPECT_EQ(list.NameText(0), "Anna wird ");
    EXPECT_EQ(list.SuffixText(0), " alt");
    EXPECT_EQ(list.BadLineCount(), 0u);
}

TEST(ParseDateListTest, CrLfAndLfGiveTheSameEntries)
{
    const DateList lf = ParseDateList("14.03.1976 Anna\n10.05.2000 Meier\n", CodePage::Ansi);
    const DateList crlf = ParseDateList("14.03.1976 Anna\r\n10.05.2000 Meier\r\n", CodePage::Ansi);
    EXPECT_EQ(Names(lf), Names(crlf));
    EXPECT_EQ(Names(lf), (std::vector<std::string>{"Anna|", "Meier|"}));
}

TEST(ParseDateListTest, LastLineWithoutLineBreakIsReadWhole)
{
    EXPECT_EQ(Names(ParseDateList("01.01.2000 X\n14.03.1976 Anna", CodePage::Ansi)),
              (std::vector<std::string>{"X|", "Anna|"}));
}

TEST(ParseDateListTest, BadLinesAreKeptWithTheirNumbersAndTheRestIsRead)
{
    const DateList list = ParseDateList("14.03.1976 Anna\n\nkein Datum\n31.02.2000 X\n"
                                        "00.05.1990 Y\n14.13.1976 Z\n29.02.1981 W\n"
                                        "29.02.1980 Jörg\n",
                                        CodePage::Ansi);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Anna|", "Jörg|"}));
    ASSERT_EQ(list.BadLineCount(), 6u);
    ASSERT_EQ(list.BadLines().size(), 6u);
    EXPECT_EQ(list.BadLines()[0].lineNumber, 2);
    EXPECT_EQ(list.BadLines()[0].text, "");
    EXPECT_EQ(list.BadLines()[1].lineNumber, 3);
    EXPECT_EQ(list.BadLines()[1].text, "kein Datum");
    EXPECT_EQ(list.BadLines()[5].lineNumber, 7);
}

TEST(ParseDateListTest, PiecesOfAnySizeGiveTheSameList)
{
    // LF, CR LF and an old Mac file's lone CR all end lines, wherever a piece ends.
    const std::string content = "\xEF\xBB\xBF"
                                "14.03.1976 Anna wird # alt\r\n\nkein Datum\r01.01.2000 Mac\r"
                                "29.02.1980 J\xC3\xB6rg # \xC3\xA4lter\n10.05.2000 Meier";
    const DateList whole =
        ParseDateList(QByteArrayView(content.data(), content.size()), CodePage::Ansi);
    ASSERT_EQ(Names(whole),
              (std::vector<std::string>{"Anna wird | alt", "Mac|", "Jörg | älter", "Meier|"}));
    for (std::size_t piece = 1; piece <= 8; ++piece) {
        DateListReader reader(CodePage::Ansi);
        for (std::size_t at = 0; at < content.size(); at += piece)
            reader.Feed(QByteArrayView(
                content.data() + at, static_cast<qsizetype>(std::min(piece, content.size() - at))));
        const DateList list = reader.Finish();
        EXPECT_EQ(Names(list), Names(whole)) << "pieces of " << piece;
        ASSERT_EQ(list.BadLineCount(), 2u) << "pieces of " << piece;
        EXPECT_EQ(list.BadLines()[1].lineNumber, 3);
        EXPECT_EQ(list.BadLines()[1].text, "kein Datum");
    }
    EXPECT_EQ(Names(ParseDateList("14.03.1976 Anna\r10.05.2000 Meier\r", CodePage::Ansi)),
              (std::vector<std::string>{"Anna|", "Meier|"}));
}

TEST(ParseDateListTest, ByteOrderMarkIsSkipped)
{
    const DateList list = ParseDateList("\xEF\xBB\xBF"
                                        "14.03.1976 Anna\n",
                                        CodePage::Ansi);
    EXPECT_EQ(Names(list), std::vector<std::string>{"Anna|"});
    EXPECT_EQ(list.BadLineCount(), 0u);
}

TEST(ParseDateListTest, LongLineIsOneEntryWithItsWholeText)
{
    const std::string name(109, 'n');
    const DateList list = ParseDateList("14.03.1976 " + name + "#end\n", CodePage::Ansi);
    EXPECT_EQ(Names(list), std::vector<std::string>{name + "|end"});
    EXPECT_EQ(list.BadLineCount(), 0u);
}

TEST(ParseDateListTest, EmptyContentGivesNothing)
{
    const DateList list = ParseDateList("", CodePage::Ansi);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.BadLineCount(), 0u);
}

TEST(ParseDateListTest, BinaryGarbageGivesBadLinesOnly)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    const DateList list =
        ParseDateList(QByteArrayView(garbage.data(), garbage.size()), CodePage::Ansi);
    EXPECT_TRUE(list.empty());
    EXPECT_GT(list.BadLineCount(), 0u);
    const std::string nuls(100, '\0');
    const DateList nulList = ParseDateList(QByteArrayView(nuls.data(), nuls.size()), CodePage::Oem);
    EXPECT_TRUE(nulList.empty());
    ASSERT_EQ(nulList.BadLines().size(), 1u);
    EXPECT_EQ(nulList.BadLines()[0].text.size(), 100u);
}

struct EncodingCase {
    const char *name;
    const char *bytes;
    CodePage codePage;
    const char *expected; // UTF-8
};

class DecodeLineTest : public testing::TestWithParam<EncodingCase> {};

TEST_P(DecodeLineTest, ShowsUmlautsOfEveryFile)
{
    std::string line = "old";
    LineDecoder(GetParam().codePage, CodePages{}).Decode(GetParam().bytes, line);
    EXPECT_EQ(line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeLineTest,
    testing::Values(EncodingCase{"AsciiUnchanged", "14.03.1976 Anna", CodePage::Ansi,
                                 "14.03.1976 Anna"},
                    EncodingCase{"Utf8", "J\xC3\xB6rg \xC3\x9F", CodePage::Ansi, "Jörg ß"},
                    EncodingCase{"Windows1252", "J\xF6rg \xDF \x80", CodePage::Ansi, "Jörg ß €"},
                    EncodingCase{"Oem850", "J\x94rg \xE1 \x84\x81", CodePage::Oem, "Jörg ß äü"},
                    EncodingCase{"OemBytesAsAnsi", "\x84", CodePage::Ansi, "„"}),
    [](const auto &info) { return info.param.name; });

TEST(CodePageTest, ThisQtHasBothCodePagesAndAMissingOneReadsAsLatin1)
{
#ifndef _WIN32
    EXPECT_TRUE(QStringDecoder("windows-1252").isValid());
    EXPECT_TRUE(QStringDecoder("IBM850").isValid());
#endif
    EXPECT_EQ(ParseDateList("14.03.1976 J\xF6rg\n", CodePage::Ansi).MissingCodePage(), "");

    DateListReader reader(CodePage::Ansi, CodePages{"no-such-code-page", "IBM850"});
    reader.Feed("14.03.1976 J\xF6rg \x80\n");
    const DateList list = reader.Finish();
#ifdef _WIN32
    // Windows decodes with the user's own code pages: Qt's names are never asked.
    EXPECT_EQ(Names(list), std::vector<std::string>{"Jörg €|"});
    EXPECT_EQ(list.MissingCodePage(), "");
#else
    EXPECT_EQ(Names(list), std::vector<std::string>{"Jörg \xC2\x80|"});
    EXPECT_EQ(list.MissingCodePage(), "no-such-code-page");
#endif
}

class DateListFileTest : public testing::Test {
protected:
    QString Write(const QString &name, const QByteArray &content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(DateListFileTest, ReadsAFileAtAPathWithSpacesAndUmlauts)
{
    const QString path = Write(QString::fromUtf8("Meine Jubiläen ü.txt"), "14.03.1976 Anna\n");
    const auto list = ReadDateListFile(path, CodePage::Ansi);
    ASSERT_TRUE(list);
    EXPECT_EQ(Names(*list), std::vector<std::string>{"Anna|"});
}

// Notepad's "Unicode" is UTF-16 with a byte-order mark; a file is read in pieces of any size.
struct EncodedCase {
    const char *name;
    QStringConverter::Encoding encoding;
    bool read; // else refused, with nothing of it taken
};

class EncodedFileTest : public DateListFileTest, public testing::WithParamInterface<EncodedCase> {};

TEST_P(EncodedFileTest, UnicodeFilesAreReadAsTheirTextOrRefused)
{
    const QString text = QString::fromUtf8("14.03.1976 Jörg wird # alt\r\n"
                                           "kein Datum\r\n01.05.2000 Zoë 😀 # dabei");
    QStringEncoder encode(GetParam().encoding, QStringEncoder::Flag::WriteBom);
    const QByteArray bytes = encode(text);
    for (const CodePage page : {CodePage::Ansi, CodePage::Oem}) {
        OpenError error = OpenError::None;
        const auto list = ReadDateListFile(Write("u.txt", bytes), page, &error);
        if (!GetParam().read) {
            EXPECT_FALSE(list);
            EXPECT_EQ(error, OpenError::Encoding);
            EXPECT_EQ(OpenErrorText(error), "in UTF-32 geschrieben, das Festmark nicht liest; "
                                            "bitte als UTF-8 oder ANSI speichern");
            continue;
        }
        ASSERT_TRUE(list);
        EXPECT_EQ(Names(*list), (std::vector<std::string>{"Jörg wird | alt", "Zoë 😀 | dabei"}));
        ASSERT_EQ(list->BadLineCount(), 1u);
        EXPECT_EQ(list->BadLines()[0].lineNumber, 2);
        EXPECT_EQ(list->BadLines()[0].text, "kein Datum");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodedFileTest,
    testing::Values(EncodedCase{"Utf16LittleEndian", QStringConverter::Utf16LE, true},
                    EncodedCase{"Utf16BigEndian", QStringConverter::Utf16BE, true},
                    EncodedCase{"Utf32LittleEndian", QStringConverter::Utf32LE, false},
                    EncodedCase{"Utf32BigEndian", QStringConverter::Utf32BE, false}),
    [](const auto &info) { return info.param.name; });

TEST_F(DateListFileTest, EmptyFileIsAnEmptyList)
{
    const auto list = ReadDateListFile(Write("empty.txt", ""), CodePage::Ansi);
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->empty());
    EXPECT_EQ(list->BadLineCount(), 0u);
}

TEST_F(DateListFileTest, WhatIsNoReadableFileCannotBeOpenedAndSaysWhy)
{
    const auto errorFor = [](const QString &path) {
        OpenError error = OpenError::None;
        EXPECT_FALSE(ReadDateListFile(path, CodePage::Ansi, &error)) << path.toStdString();
        return error;
    };
    EXPECT_EQ(errorFor(m_dir.filePath("missing.txt")), OpenError::NotFound);
    EXPECT_EQ(errorFor(m_dir.path()), OpenError::Folder);
    EXPECT_EQ(errorFor(QString()), OpenError::NoPath);
#ifdef _WIN32
    // Windows' devices are refused before a byte is read: the console would wait for the
    // keyboard. Qt sees either no file or no regular file behind their names.
    for (const char *device : {"NUL", "CON"}) {
        const OpenError error = errorFor(device);
        EXPECT_TRUE(error == OpenError::NotFound || error == OpenError::NotAFile) << device;
    }
#else
    EXPECT_EQ(errorFor("/dev/zero"), OpenError::NotAFile); // would never end
#endif
    EXPECT_EQ(OpenErrorText(OpenError::NotFound), "Datei nicht gefunden");
}

TEST_F(DateListFileTest, FileWithoutReadPermissionCannotBeOpened)
{
    const QString path = Write("secret.txt", "14.03.1976 Anna\n");
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    if (QFile(path).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "running with rights that read any file; the list mode test covers it";
    EXPECT_FALSE(ReadDateListFile(path, CodePage::Ansi));
}

class SlowDateListFileTest : public DateListFileTest {};

TEST_F(SlowDateListFileTest, LargeFilesAreReadWhole)
{
    QByteArray big;
    const QByteArray line = "14.03.1976 Anna wird # alt\nkein Datum\n";
    big.reserve(50 * 1024 * 1024 + line.size());
    while (big.size() < 50 * 1024 * 1024)
        big += line;
    const qsizetype pairs = big.size() / line.size();
    int pieces = 0; // a caller hears of the reading as it goes, once a MiB
    const auto list =
        ReadDateListFile(Write("big.txt", big), CodePage::Ansi, nullptr, [&pieces] { ++pieces; });
    ASSERT_TRUE(list);
    EXPECT_EQ(pieces, (big.size() + 1024 * 1024 - 1) / (1024 * 1024));
    EXPECT_EQ(static_cast<qsizetype>(list->size()), pairs);
    EXPECT_EQ(static_cast<qsizetype>(list->BadLineCount()), pairs);
    ASSERT_EQ(list->BadLines().size(), DateList::kBadLinesKept); // the first ones, with text
    EXPECT_EQ(list->BadLines().back().lineNumber, 2 * static_cast<int>(DateList::kBadLinesKept));

    const QByteArray longLine = "14.03.1976 " + QByteArray(1024 * 1024, 'x') + "# alt";
    const auto one = ReadDateListFile(Write("long.txt", longLine), CodePage::Ansi);
    ASSERT_TRUE(one);
    ASSERT_EQ(one->size(), 1u);
    EXPECT_EQ(one->NameText(0).size(), 1024u * 1024u);
}

} // namespace
