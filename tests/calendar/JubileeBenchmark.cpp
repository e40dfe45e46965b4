// The four detectors in the chain's order over many (scanned day, entry) pairs.
#include "Jubilee.h"
#include "TestDates.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

void BM_JubileeChain(benchmark::State &state)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pickDay(-40000, 20000); // days around 1970
    std::vector<tm> entries;
    for (int i = 0; i < 1000; ++i)
        entries.push_back(FromSysDays(std::chrono::sys_days{std::chrono::days{pickDay(random)}}));
    std::vector<tm> days;
    for (int i = 0; i < 100; ++i)
        days.push_back(FromSysDays(std::chrono::sys_days{std::chrono::days{20000 + i}}));

    long long hits = 0;
    for (auto _ : state) {
        for (const tm &day : days) {
            for (const tm &entry : entries) {
                hits += Chain(day, entry, "Anna wird ", " alt") ? 1 : 0;
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
