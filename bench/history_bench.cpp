// The history store on a full day: creating the gap data of 36 races of 18
// runners (every qualifying race's runners stored, one committed transaction
// per row), and predicting an 18-runner race with a history lookup per runner.
// Counters show how much of the time the commits take.
//
// Run with FIREBIRD_LOCK set to a writable folder.

#include "data/race_day.h"
#include "engine/prediction.h"
#include "history/gap_data.h"
#include "history/history_store.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include "bench_day.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace velmar;

namespace {

struct Day : bench::BenchDay {
    Day() : BenchDay("history-bench", 36, 18) {}
    history::HistoryLocation location() const {
        history::HistoryLocation l;
        l.home = home;
        return l;
    }
};

Day& fullDay() {
    static Day d;
    return d;
}

double seconds(std::chrono::nanoseconds ns) {
    return std::chrono::duration<double>(ns).count();
}

// The whole creation run: 36 races predicted, gap lines collected, the gap
// file written, and the runners of every qualifying race stored.
void BM_CreateGapDataWithHistory(benchmark::State& state) {
    Day& d = fullDay();
    history::HistoryStore store;
    if (!store.connectHistory(d.location()).ok()) {
        state.SkipWithError("cannot open the history");
        return;
    }
    const fs::path gap = d.home / "Gap" / "bench.gap";
    double wall = 0, commits = 0, inStore = 0;
    int64_t rows = 0;
    for (auto _ : state) {
        store.resetTimings();
        auto started = std::chrono::steady_clock::now();
        auto r = history::createGapData(d.day, gap, 0, d.options, &store);
        wall += seconds(std::chrono::steady_clock::now() - started);
        if (!r.ok() || !r->written) {
            state.SkipWithError("gap data not created");
            break;
        }
        commits += seconds(store.timings().commits);
        inStore += seconds(store.timings().total);
        rows += store.timings().rows;
    }
    state.counters["rows"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kAvgIterations);
    state.counters["commit_share"] = wall > 0 ? commits / wall : 0;
    state.counters["store_share"] = wall > 0 ? inStore / wall : 0;
    state.counters["ms_per_commit"] = rows > 0 ? 1000 * commits / static_cast<double>(rows) : 0;
    (void)store.disconnectHistory();
}
BENCHMARK(BM_CreateGapDataWithHistory)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same run without a history: the floor the history adds to.
void BM_CreateGapDataWithoutHistory(benchmark::State& state) {
    Day& d = fullDay();
    const fs::path gap = d.home / "Gap" / "bench-nohistory.gap";
    for (auto _ : state) {
        auto r = history::createGapData(d.day, gap, 0, d.options, nullptr);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_CreateGapDataWithoutHistory)->Unit(benchmark::kMillisecond);

// Predicting race 10 (18 runners) with one history lookup per runner, against
// the same prediction without a history. The store holds the whole day.
void predictRace(benchmark::State& state, bool withHistory) {
    Day& d = fullDay();
    history::HistoryStore store;
    if (!store.connectHistory(d.location()).ok()) {
        state.SkipWithError("cannot open the history");
        return;
    }
    engine::PredictOptions options = d.options;
    if (withHistory) {
        // Make sure the day is stored (the gap-data benchmark may not have run).
        (void)history::createGapData(d.day, d.home / "Gap" / "bench-predict.gap", 0, d.options,
                                     &store);
        options.history = store.supplier();
    }
    for (auto _ : state) {
        auto p = engine::predictRace(d.day, 10, options);
        benchmark::DoNotOptimize(p);
    }
    (void)store.disconnectHistory();
}

void BM_PredictRaceWithHistory(benchmark::State& state) {
    predictRace(state, true);
}
void BM_PredictRaceWithoutHistory(benchmark::State& state) {
    predictRace(state, false);
}
BENCHMARK(BM_PredictRaceWithHistory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PredictRaceWithoutHistory)->Unit(benchmark::kMicrosecond);

// One race stored: 18 rows, each its own committed transaction.
void BM_StoreRace(benchmark::State& state) {
    Day& d = fullDay();
    history::HistoryStore store;
    if (!store.connectHistory(d.location()).ok()) {
        state.SkipWithError("cannot open the history");
        return;
    }
    auto p = engine::predictRace(d.day, 10, d.options);
    if (!p.ok()) {
        state.SkipWithError("cannot predict");
        return;
    }
    const auto rows = history::storedRunners(*p);
    store.resetTimings();
    for (auto _ : state) {
        auto r = store.storeRaceHistory(20261213, rows);
        benchmark::DoNotOptimize(r);
    }
    const auto& t = store.timings();
    state.counters["commit_share"] =
        seconds(t.total) > 0 ? seconds(t.commits) / seconds(t.total) : 0;
    state.counters["ms_per_commit"] =
        t.rows > 0 ? 1000 * seconds(t.commits) / static_cast<double>(t.rows) : 0;
    (void)store.disconnectHistory();
}
BENCHMARK(BM_StoreRace)->Unit(benchmark::kMillisecond)->Iterations(5);

// One lookup of a horse with rows.
void BM_FetchHorseHistory(benchmark::State& state) {
    Day& d = fullDay();
    history::HistoryStore store;
    if (!store.connectHistory(d.location()).ok()) {
        state.SkipWithError("cannot open the history");
        return;
    }
    auto p = engine::predictRace(d.day, 10, d.options);
    if (!p.ok() || p->runners.empty()) {
        state.SkipWithError("cannot predict");
        return;
    }
    const int32_t code = p->runners.front().horseCode;
    for (auto _ : state) {
        auto rows = store.fetchHorseHistory(code);
        benchmark::DoNotOptimize(rows);
    }
    (void)store.disconnectHistory();
}
BENCHMARK(BM_FetchHorseHistory)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
