#include "RoundNumber.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace {

struct Band {
    long long divisor;
    long long bound; // exclusive magnitude bound
};

// Each bound is twenty times its divisor; multiples of 2500 have no bound at all.
constexpr std::array<Band, 8> kBands{{{5, 100},
                                      {10, 200},
                                      {25, 500},
                                      {50, 1000},
                                      {100, 2000},
                                      {250, 5000},
                                      {500, 10000},
                                      {1000, 20000}}};
constexpr long long kUnboundedDivisor = 2500;

constexpr long long Magnitude(int n) noexcept
{
    return n < 0 ? -static_cast<long long>(n) : n; // fits for INT_MIN too
}

} // namespace

bool IsRepdigit(int n) noexcept
{
    long long rest = Magnitude(n);
    const long long digit = rest % 10; // [0, 9]
    for (rest /= 10; rest > 0; rest /= 10) {
        if (rest % 10 != digit)
            return false;
    }
    return true;
}

bool IsRoundNumber(int n) noexcept
{
    const long long m = Magnitude(n);
    if (m <= 12)
        return true;
    // Every divisor below is a multiple of 5: anything else can only be a repdigit.
    if (m % 5 != 0)
        return IsRepdigit(n);
    if (IsRepdigit(n))
        return true;
    for (const Band &band : kBands) {
        if (m < band.bound && m % band.divisor == 0)
            return true;
    }
    return m % kUnboundedDivisor == 0;
}

std::vector<int> RoundNumbersUpTo(int maximum)
{
    std::vector<int> numbers;
    const auto add = [&numbers, maximum](long long n) {
        if (n <= maximum)
            numbers.push_back(static_cast<int>(n));
    };
    for (int n = 0; n <= 12; ++n)
        add(n);
    for (long long repunit = 11; repunit <= 1111111; repunit = repunit * 10 + 1) {
        for (int digit = 1; digit <= 9; ++digit)
            add(repunit * digit);
    }
    for (const Band &band : kBands) {
        for (long long n = band.divisor; n < band.bound && n <= maximum; n += band.divisor)
            add(n);
    }
    for (long long n = kUnboundedDivisor; n <= maximum; n += kUnboundedDivisor)
        add(n);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}
