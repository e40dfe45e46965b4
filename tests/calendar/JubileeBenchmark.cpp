// The chain over many (scanned day, entry) pairs, as the scan runs it.
#include "Jubilee.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

void BM_JubileeChain(benchmark::State &state)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pickDay(-40000, 20000); // days around 1970
    std::vector<CalendarDay> entries;
    for (int i = 0; i < 1000; ++i)
        entries.push_back(
            MakeCalendarDay(std::chrono::sys_days{std::chrono::days{pickDay(random)}}));
    std::vector<CalendarDay> days;
    for (int i = 0; i < 100; ++i)
        days.push_back(MakeCalendarDay(std::chrono::sys_days{std::chrono::days{20000 + i}}));

    long long hits = 0;
    for (auto _ : state) {
        for (const CalendarDay &day : days) {
            for (const CalendarDay &entry : entries) {
                hits += FindJubilee(day, entry) ? 1 : 0;
            }
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations() *
                            static_cast<long long>(days.size() * entries.size()));
    state.counters["ns_per_pair"] =
        benchmark::Counter(static_cast<double>(state.iterations() * days.size() * entries.size()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_JubileeChain)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
