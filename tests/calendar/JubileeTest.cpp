// The four detectors, their messages and the order of the chain.
#include "Jubilee.h"
#include "TestDates.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EntryText {
    const char *date;
    const char *name;
    const char *suffix;
};

constexpr EntryText kAnna{"14.03.1976", "Anna wird ", " alt"};
constexpr EntryText kHeiligabend{"24.12.2026", "Noch ", " bis Heiligabend"};
constexpr EntryText kLeapDay{"29.02.1980", "Tim wird ", " alt"};
constexpr EntryText kThirtyFirst{"31.01.2026", "Vertrag seit ", ""};
constexpr EntryText kNoHash{"10.05.2000", "Hochzeit Meier", ""};

struct ChainCase {
    const char *name;
    EntryText entry;
    const char *day;
    const char *expectedMessage; // "" for no row
    bool expectedYear;
};

class ChainTest : public testing::TestWithParam<ChainCase> {};

TEST_P(ChainTest, GivesMessageOfFirstDetectorThatFires)
{
    const ChainCase &c = GetParam();
    const ChainRow hit = Chain(Date(c.day), Date(c.entry.date), c.entry.name, c.entry.suffix);
    if (std::string(c.expectedMessage).empty()) {
        EXPECT_FALSE(hit) << hit.message;
        return;
    }
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit.message, c.expectedMessage);
    EXPECT_EQ(hit.yearJubilee, c.expectedYear);
}

INSTANTIATE_TEST_SUITE_P(
    Anna, ChainTest,
    testing::Values(
        ChainCase{"FiftyYears", kAnna, "14.03.2026", "Anna wird 50 Jahre alt!", true},
        ChainCase{"OneYear", kAnna, "14.03.1977", "Anna wird 1 Jahr alt!", true},
        ChainCase{"OneDay", kAnna, "15.03.1976", "Anna wird 1 Tag alt!", false},
        ChainCase{"OneWeek", kAnna, "21.03.1976", "Anna wird 1 Woche alt!", false},
        ChainCase{"TwelveDays", kAnna, "26.03.1976", "Anna wird 12 Tage alt!", false},
        ChainCase{"ThirteenDays", kAnna, "27.03.1976", "", false},
        ChainCase{"ThreeHundredSixtySixDays", kAnna, "15.03.1977", "", false},
        ChainCase{"ThirtyDays", kAnna, "13.04.1976", "Anna wird 30 Tage alt!", false},
        ChainCase{"OneMonth", kAnna, "14.04.1976", "Anna wird 1 Monat alt!", false},
        ChainCase{"TwoMonths", kAnna, "14.05.1976", "Anna wird 2 Monate alt!", false},
        ChainCase{"HundredDays", kAnna, "22.06.1976", "Anna wird 100 Tage alt!", false},
        ChainCase{"HundredWeeks", kAnna, "12.02.1978", "Anna wird 100 Wochen alt!", false},
        ChainCase{"TenThousandDays", kAnna, "31.07.2003", "Anna wird 10000 Tage alt!", false},
        ChainCase{"OwnDate", kAnna, "14.03.1976", "", false},
        ChainCase{"MinusOneDay", kAnna, "13.03.1976", "Anna wird -1 Tage alt!", false},
        ChainCase{"MinusOneWeek", kAnna, "07.03.1976", "Anna wird -1 Wochen alt!", false},
        ChainCase{"MinusThirteenDays", kAnna, "01.03.1976", "", false},
        ChainCase{"MinusOneMonth", kAnna, "14.02.1976", "Anna wird -1 Monate alt!", false},
        ChainCase{"MinusOneYear", kAnna, "14.03.1975", "Anna wird -1 Jahre alt!", true}),
    [](const auto &info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Edges, ChainTest,
    testing::Values(
        ChainCase{"ComingEvent", kHeiligabend, "14.12.2026", "Noch -10 Tage bis Heiligabend!",
                  false},
        ChainCase{"LeapDayYearJubilee", kLeapDay, "29.02.2024", "Tim wird 44 Jahre alt!", true},
        ChainCase{"LeapDayNoYearOn28February", kLeapDay, "28.02.2023", "", false},
        ChainCase{"LeapDayNoYearOn1March", kLeapDay, "01.03.2023", "", false},
        ChainCase{"LeapDayMonthOnThe29th", kLeapDay, "29.06.1988", "Tim wird 100 Monate alt!",
                  false},
        ChainCase{"ThirtyFirstTwoMonths", kThirtyFirst, "31.03.2026", "Vertrag seit 2 Monate!",
                  false},
        ChainCase{"ThirtyFirstFourWeeksInFebruary", kThirtyFirst, "28.02.2026",
                  "Vertrag seit 4 Wochen!", false},
        ChainCase{"WithoutHash", kNoHash, "10.05.2026", "Hochzeit Meier26 Jahre!", true}),
    [](const auto &info) { return info.param.name; });

// Counts reached by a number of days after an entry: which unit reports them.
struct OffsetCase {
    const char *name;
    const char *entry;
    int days;
    const char *expectedMessage;
};

class PrecedenceTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(PrecedenceTest, ReportsInTheFirstUnitThatFits)
{
    const OffsetCase &c = GetParam();
    const tm entry = Date(c.entry);
    const ChainRow hit = Chain(AddDays(entry, c.days), entry, "", "");
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit.message, c.expectedMessage);
    EXPECT_FALSE(hit.yearJubilee);
}

INSTANTIATE_TEST_SUITE_P(
    Units, PrecedenceTest,
    testing::Values(OffsetCase{"MonthBeforeFourWeeks", "01.02.2026", 28, "1 Monat!"},
                    OffsetCase{"SevenDaysAreOneWeek", "02.02.2026", 7, "1 Woche!"},
                    OffsetCase{"FourteenDaysAreTwoWeeks", "02.02.2026", 14, "2 Wochen!"},
                    OffsetCase{"SeventyDaysAreTenWeeks", "02.02.2026", 70, "10 Wochen!"},
                    OffsetCase{"SevenHundredDays", "02.02.2026", 700, "100 Wochen!"},
                    OffsetCase{"SeventeenThousandFiveHundredDays", "02.02.1950", 17500,
                               "2500 Wochen!"},
                    OffsetCase{"OneDay", "02.02.2026", 1, "1 Tag!"},
                    OffsetCase{"TwelveDays", "02.02.2026", 12, "12 Tage!"},
                    OffsetCase{"TwentyTwoDays", "02.02.2026", 22, "22 Tage!"},
                    OffsetCase{"HundredDays", "02.02.2026", 100, "100 Tage!"},
                    OffsetCase{"TenThousandDays", "02.02.1990", 10000, "10000 Tage!"}),
    [](const auto &info) { return info.param.name; });

// Each detector on its own: -1 takes the plural, and a detector that does not fire leaves the
// message as it was.
using Detector = int (*)(const tm &, const tm &, JubileeMessage &, std::string_view,
                         std::string_view);

struct DetectorCase {
    const char *name;
    Detector detector;
    const char *day;   // for the entry 14.03.1976
    int expectedCount; // 0: does not fire
    const char *expectedMessage;
};

class DetectorTest : public testing::TestWithParam<DetectorCase> {};

TEST_P(DetectorTest, CountsAndWritesOnlyWhenFiring)
{
    const DetectorCase &c = GetParam();
    JubileeMessage message = "untouched";
    const int count = c.detector(Date(c.day), Date(kAnna.date), message, "A ", " z");
    EXPECT_EQ(count, c.expectedCount);
    EXPECT_EQ(message, c.expectedCount != 0 ? c.expectedMessage : "untouched");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DetectorTest,
    testing::Values(
        DetectorCase{"YearMinusOne", CheckYearJubilee, "14.03.1975", -1, "A -1 Jahre z!"},
        DetectorCase{"YearOtherDay", CheckYearJubilee, "15.03.2026", 0, ""},
        DetectorCase{"YearThirtySeven", CheckYearJubilee, "14.03.2013", 37, "A 37 Jahre z!"},
        DetectorCase{"MonthMinusOne", CheckMonthJubilee, "14.02.1976", -1, "A -1 Monate z!"},
        DetectorCase{"MonthNotRound", CheckMonthJubilee, "14.05.1977", 0, ""},
        DetectorCase{"MonthOtherDayOfMonth", CheckMonthJubilee, "15.04.1976", 0, ""},
        DetectorCase{"MonthTwelveIsAMonthJubilee", CheckMonthJubilee, "14.03.1977", 12,
                     "A 12 Monate z!"},
        DetectorCase{"WeekMinusOne", CheckWeekJubilee, "07.03.1976", -1, "A -1 Wochen z!"},
        DetectorCase{"WeekNotMultipleOfSeven", CheckWeekJubilee, "22.03.1976", 0, ""},
        DetectorCase{"DayMinusOne", CheckDayJubilee, "13.03.1976", -1, "A -1 Tage z!"},
        DetectorCase{"DayNotRound", CheckDayJubilee, "27.03.1976", 0, ""}),
    [](const auto &info) { return info.param.name; });

TEST(DetectorTest, CountZeroOnTheEntrysOwnDateIsNoJubileeInAnyUnit)
{
    const tm entry = Date(kAnna.date);
    JubileeMessage message;
    EXPECT_EQ(CheckYearJubilee(entry, entry, message, "", ""), 0);
    EXPECT_EQ(CheckMonthJubilee(entry, entry, message, "", ""), 0);
    EXPECT_EQ(CheckWeekJubilee(entry, entry, message, "", ""), 0);
    EXPECT_EQ(CheckDayJubilee(entry, entry, message, "", ""), 0);
}

TEST(ChainPropertyTest, EntryNeverGivesARowOnItsOwnDateOverCenturies)
{
    for (int year = 1800; year <= 2200; year += 7) {
        for (int month = 1; month <= 12; ++month) {
            const tm entry = Date(month == 2 ? 28 : 30 - month % 2, month, year);
            ASSERT_FALSE(Chain(entry, entry, "x", "y")) << year << "/" << month;
        }
    }
}

TEST(ChainPropertyTest, MessagesAreNeverCutShort)
{
    const std::string longName(1000, 'n');
    const std::string longSuffix(1000, 's');
    const ChainRow hit = Chain(Date("14.03.2026"), Date(kAnna.date), longName, longSuffix);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit.message, longName + "50 Jahre" + longSuffix + "!");
}

} // namespace
