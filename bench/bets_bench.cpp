// Day exports on a full day: 36 races of 16 runners, generated in-process.
// BM_PredictDay is the floor (every race predicted, nothing collected);
// the index file adds collecting the lines, encoding and the atomic write.

#include "bets/day_export.h"
#include "data/race_day.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include "bench_day.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace velmar;

namespace {

struct Day : bench::BenchDay {
    Day() : BenchDay("bets-bench", 36, 16) {}
};

Day& fullDay() {
    static Day d;
    return d;
}

void BM_PredictDay(benchmark::State& state) {
    Day& d = fullDay();
    for (auto _ : state) {
        for (int k = 0; k < d.day.raceCount; ++k) {
            auto p = engine::predictRace(d.day, k, d.options);
            benchmark::DoNotOptimize(p);
        }
    }
}
BENCHMARK(BM_PredictDay)->Unit(benchmark::kMillisecond);

void BM_IndexFileDay(benchmark::State& state) {
    Day& d = fullDay();
    const fs::path out = d.home / bets::indexFileName(d.day);
    for (auto _ : state) {
        auto run = bets::exportDayFile(bets::DayExportKind::Index, out, d.day, 0, d.options);
        if (!run.ok())
            state.SkipWithError(run.error().message.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_IndexFileDay)->Unit(benchmark::kMillisecond);

void BM_CsvFileDay(benchmark::State& state) {
    Day& d = fullDay();
    const fs::path out = d.home / bets::csvFileName(d.day);
    for (auto _ : state) {
        auto run = bets::exportDayFile(bets::DayExportKind::Csv, out, d.day, 0, d.options);
        if (!run.ok())
            state.SkipWithError(run.error().message.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_CsvFileDay)->Unit(benchmark::kMillisecond);

void BM_BulkFileDay(benchmark::State& state) {
    Day& d = fullDay();
    const fs::path out = d.home / bets::bulkFileName(d.day);
    for (auto _ : state) {
        auto run = bets::exportDayFile(bets::DayExportKind::Bulk, out, d.day, 0, d.options);
        if (!run.ok())
            state.SkipWithError(run.error().message.c_str());
        benchmark::DoNotOptimize(run);
    }
}
BENCHMARK(BM_BulkFileDay)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
