// predictRace of one 18-runner race (runner records, past-race cells, standard
// data, index engine, grid cells, bets, sort), with two baselines from the
// same run: loading the same one-race day from its file contents, and a plain
// copy of the race's lines.

#include "data/race_day.h"
#include "engine/prediction.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace velmar;

namespace {

struct Fixture {
    fs::path home;
    std::vector<tools::DayFile> files;
    data::RaceDay day;

    Fixture() {
        std::string templ = (fs::temp_directory_path() / "velmar-bench-engine-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        home = templ;
        tools::GenOptions o;
        o.races = 1;
        o.runners = 18;
        o.seed = 7;
        const tools::RaceDay generated = tools::generateRaceDay(o);
        files = tools::raceCardFiles(generated, tools::Generation::Vd2);
        for (auto& f : tools::oddsFiles(generated, tools::Generation::Vd2))
            files.push_back(f);
        if (!tools::writeStandardData(home / "Data", generated, 7))
            throw std::runtime_error("cannot write standard data");
        auto loaded = data::loadRaceDay(dayFiles(), day);
        if (!loaded || !*loaded)
            throw std::runtime_error("cannot load the day");
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(home, ec);
    }

    data::RaceDayFiles dayFiles() const {
        data::RaceDayFiles f;
        for (const tools::DayFile& d : files) {
            if (d.name == data::kRaceFileName)
                f.races = d.bytes;
            else if (d.name == data::kEntryFileName)
                f.entries = d.bytes;
            else if (d.name == data::kHorseFileName)
                f.horses = d.bytes;
            else if (d.name == data::kOddsFileName)
                f.odds = d.bytes;
        }
        return f;
    }
};

const Fixture& fixture() {
    static Fixture f;
    return f;
}

engine::PredictOptions options() {
    engine::PredictOptions o;
    o.home = fixture().home;
    o.now = {2026, 12, 13, 36000};
    return o;
}

void BM_PredictRace18(benchmark::State& state) {
    const Fixture& f = fixture();
    const engine::PredictOptions o = options();
    for (auto _ : state) {
        auto p = engine::predictRace(f.day, 0, o);
        if (!p) {
            state.SkipWithError(p.error().message.c_str());
            return;
        }
        benchmark::DoNotOptimize(p->grid.rows.data());
    }
}
BENCHMARK(BM_PredictRace18)->Unit(benchmark::kMicrosecond);

// The same with the developer newsletter grid and a sort by QV index.
void BM_PredictRace18Html(benchmark::State& state) {
    const Fixture& f = fixture();
    engine::PredictOptions o = options();
    o.htmlMode = true;
    o.sortCode = 10;
    for (auto _ : state) {
        auto p = engine::predictRace(f.day, 0, o);
        benchmark::DoNotOptimize(p->html.rows.data());
    }
}
BENCHMARK(BM_PredictRace18Html)->Unit(benchmark::kMicrosecond);

// Baseline: loadRaceDay of the same one-race day from the file contents.
void BM_LoadOneRaceDay(benchmark::State& state) {
    const Fixture& f = fixture();
    const data::RaceDayFiles files = f.dayFiles();
    for (auto _ : state) {
        data::RaceDay day;
        auto loaded = data::loadRaceDay(files, day);
        benchmark::DoNotOptimize(day.raceCount);
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadOneRaceDay)->Unit(benchmark::kMicrosecond);

// Baseline: a plain copy of the race's lines (race, 18 runner, 18 horse, odds).
void BM_CopyRaceLines(benchmark::State& state) {
    const Fixture& f = fixture();
    for (auto _ : state) {
        std::vector<std::string> lines;
        lines.reserve(38);
        lines.emplace_back(f.day.raceLine(0));
        for (int i = 0; i < 18; ++i) {
            lines.emplace_back(f.day.entryLine(i));
            lines.emplace_back(f.day.horseLine(i));
        }
        lines.emplace_back(f.day.oddsLine(0));
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_CopyRaceLines)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
