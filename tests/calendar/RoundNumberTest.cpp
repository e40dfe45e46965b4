// Round numbers and repdigits: the listed cases, the bands, and symmetry of n and -n.
#include "RoundNumber.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

struct NumberCase {
    int n;
    bool expected;
};

std::string CaseName(int n)
{
    return n < 0 ? "minus" + std::to_string(-n) : std::to_string(n);
}

class RepdigitTest : public testing::TestWithParam<NumberCase> {};

TEST_P(RepdigitTest, ComparesAllDigits)
{
    EXPECT_EQ(IsRepdigit(GetParam().n), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RepdigitTest,
                         testing::Values(NumberCase{0, true}, NumberCase{7, true},
                                         NumberCase{22, true}, NumberCase{-333, true},
                                         NumberCase{9999999, true}, NumberCase{10, false},
                                         NumberCase{1000, false}, NumberCase{1000000, false},
                                         NumberCase{121, false}, NumberCase{-12, false}),
                         [](const auto &info) { return CaseName(info.param.n); });

class RoundNumberTest : public testing::TestWithParam<NumberCase> {};

TEST_P(RoundNumberTest, MatchesListedAnswer)
{
    EXPECT_EQ(IsRoundNumber(GetParam().n), GetParam().expected);
    EXPECT_EQ(IsRoundNumber(-GetParam().n), GetParam().expected);
}

std::vector<NumberCase> Listed(std::initializer_list<int> numbers, bool expected)
{
    std::vector<NumberCase> cases;
    for (int n : numbers)
        cases.push_back({n, expected});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(
    Round, RoundNumberTest,
    testing::ValuesIn(Listed(
        {0,    1,     12,    -12,   15,    22,    100,   111,     125,     190,  200,  225,  475,
         500,  550,   555,   950,   1000,  1100,  1250,  1900,    2000,    2250, 4750, 5000, 5500,
         9500, 10000, 12500, 19000, 20000, 22222, 27500, 1000000, 1111111, -15,  -100},
        true)),
    [](const auto &info) { return CaseName(info.param.n); });

INSTANTIATE_TEST_SUITE_P(NotRound, RoundNumberTest,
                         testing::ValuesIn(Listed({13,    14,    16,    21,    101,   105,
                                                   195,   205,   210,   366,   490,   525,
                                                   975,   1001,  1050,  1950,  2100,  5250,
                                                   10500, 21000, 31000, 49000, 51000, -13},
                                                  false)),
                         [](const auto &info) { return CaseName(info.param.n); });

TEST(RoundNumberBandsTest, RoundMagnitudesFrom13To200)
{
    const std::vector<int> expected{15,  20,  22,  25,  30,  33,  35,  40,  44,  45,  50,  55,  60,
                                    65,  66,  70,  75,  77,  80,  85,  88,  90,  95,  99,  100, 110,
                                    111, 120, 125, 130, 140, 150, 160, 170, 175, 180, 190, 200};
    std::vector<int> round;
    for (int n = 13; n <= 200; ++n) {
        if (IsRoundNumber(n))
            round.push_back(n);
    }
    EXPECT_EQ(round, expected);
}

struct BandCase {
    const char *name;
    int low, high; // magnitudes, both included
    std::vector<int> divisors;
    std::vector<int> repdigits;
};

class RoundNumberBandTest : public testing::TestWithParam<BandCase> {};

TEST_P(RoundNumberBandTest, RoundExactlyForDivisorsAndRepdigits)
{
    const BandCase &c = GetParam();
    for (int n = c.low; n <= c.high; ++n) {
        bool expected = false;
        for (int d : c.divisors)
            expected = expected || n % d == 0;
        for (int r : c.repdigits)
            expected = expected || n == r;
        ASSERT_EQ(IsRoundNumber(n), expected) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bands, RoundNumberBandTest,
    testing::Values(
        BandCase{"From13", 13, 99, {5}, {22, 33, 44, 55, 66, 77, 88, 99}},
        BandCase{"From100", 100, 199, {10, 25}, {111}},
        BandCase{"From200", 200, 499, {25}, {222, 333, 444}},
        BandCase{"From500", 500, 999, {50}, {555, 666, 777, 888, 999}},
        BandCase{"From1000", 1000, 1999, {100, 250}, {1111}},
        BandCase{"From2000", 2000, 4999, {250}, {2222, 3333, 4444}},
        BandCase{"From5000", 5000, 9999, {500}, {5555, 6666, 7777, 8888, 9999}},
        BandCase{"From10000", 10000, 19999, {1000, 2500}, {11111}},
        BandCase{"From20000", 20000, 4100000, {2500}, {22222,  33333,  44444,   55555,   66666,
                                                       77777,  88888,  99999,   111111,  222222,
                                                       333333, 444444, 555555,  666666,  777777,
                                                       888888, 999999, 1111111, 2222222, 3333333}}),
    [](const auto &info) { return info.param.name; });

TEST(RoundNumberSymmetryTest, SameAnswerForNAndMinusN)
{
    for (int n = 0; n <= 200000; ++n)
        ASSERT_EQ(IsRoundNumber(n), IsRoundNumber(-n)) << n;
}

TEST(RoundNumberDomainTest, ExtremesStayWithinTheData)
{
    EXPECT_FALSE(IsRepdigit(std::numeric_limits<int>::min()));
    EXPECT_TRUE(IsRepdigit(1111111111));
    EXPECT_TRUE(IsRoundNumber(2147482500)); // a multiple of 2500
    EXPECT_FALSE(IsRoundNumber(std::numeric_limits<int>::max()));
}

} // namespace

TEST(RoundNumbersUpToTest, ListsExactlyWhatTheRuleAccepts)
{
    constexpr int kMaximum = 4200000; // beyond any day count of a date list
    const std::vector<int> listed = RoundNumbersUpTo(kMaximum);
    std::vector<int> tested;
    for (int n = 0; n <= kMaximum; ++n) {
        if (IsRoundNumber(n))
            tested.push_back(n);
    }
    EXPECT_EQ(listed, tested);
    EXPECT_EQ(RoundNumbersUpTo(12), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}
