// Race-day data path on a full day: 36 races of 18 runners (648 runner and
// horse lines, the largest day the service publishes), generated in-process.

#include "data/import.h"
#include "data/race_day.h"
#include "data/vd3.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;
using namespace velmar;

namespace {

tools::RaceDay fullDay() {
    tools::GenOptions o;
    o.races = 36;
    o.runners = 18;
    return tools::generateRaceDay(o);
}

// A scratch folder for the whole run, removed at exit.
class Scratch {
  public:
    Scratch() {
        std::string templ = (fs::temp_directory_path() / "velmar-bench-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = templ;
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

const fs::path& scratch() {
    static Scratch s;
    return s.path();
}

void BM_GenerateDay(benchmark::State& state) {
    for (auto _ : state) {
        auto day = fullDay();
        auto files = tools::raceCardFiles(day, tools::Generation::Vd2);
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_GenerateDay)->Unit(benchmark::kMillisecond);

// loadRaceDay over the four files in a home (read, split, race texts).
void BM_LoadRaceDay(benchmark::State& state) {
    const fs::path home = scratch() / "load";
    if (!fs::exists(home / "cnx_den1.vd2") &&
        !tools::writeDayFiles(home, fullDay(), tools::Generation::Vd2)) {
        state.SkipWithError("cannot write the day");
        return;
    }
    for (auto _ : state) {
        data::RaceDay day;
        auto loaded = data::loadRaceDay(home, day);
        if (!loaded || !*loaded) {
            state.SkipWithError("load failed");
            return;
        }
        benchmark::DoNotOptimize(day.raceCount);
    }
}
BENCHMARK(BM_LoadRaceDay)->Unit(benchmark::kMillisecond);

// The same from bytes already in memory: the parsing without the file system.
void BM_LoadRaceDayFromBytes(benchmark::State& state) {
    const auto card = tools::raceCardFiles(fullDay(), tools::Generation::Vd2);
    const auto odds = tools::oddsFiles(fullDay(), tools::Generation::Vd2);
    data::RaceDayFiles files;
    files.races = card[0].bytes;
    files.entries = card[1].bytes;
    files.horses = card[2].bytes;
    files.odds = odds[0].bytes;
    for (auto _ : state) {
        data::RaceDay day;
        auto loaded = data::loadRaceDay(files, day);
        benchmark::DoNotOptimize(loaded);
        benchmark::DoNotOptimize(day.raceCount);
    }
}
BENCHMARK(BM_LoadRaceDayFromBytes)->Unit(benchmark::kMillisecond);

// ".vd3" to ".vd2" conversion of the race card and runner files in memory.
void BM_ConvertVd3(benchmark::State& state) {
    const auto card = tools::raceCardFiles(fullDay(), tools::Generation::Vd3);
    for (auto _ : state) {
        auto den1 = data::convertVd3Content(data::Vd3Kind::Den1, card[0].bytes);
        auto den2 = data::convertVd3Content(data::Vd3Kind::Den2, card[1].bytes);
        benchmark::DoNotOptimize(den1);
        benchmark::DoNotOptimize(den2);
    }
}
BENCHMARK(BM_ConvertVd3)->Unit(benchmark::kMillisecond);

// importArchive of the day's race-card archive with its odds companion:
// check, extract both, convert (".vd3"), reload. Arg 0 = ".vd2", 1 = ".vd3".
void BM_ImportArchive(benchmark::State& state) {
    const auto gen = state.range(0) ? tools::Generation::Vd3 : tools::Generation::Vd2;
    const fs::path dir = scratch() / (state.range(0) ? "import3" : "import2");
    auto archives = tools::writeDayArchives(dir / "archives", fullDay(), gen);
    if (!archives) {
        state.SkipWithError("cannot write the archives");
        return;
    }
    const fs::path home = dir / "home";
    fs::create_directories(home);
    for (auto _ : state) {
        data::RaceDay day;
        auto result = data::importArchive(home, (*archives)[0], day);
        if (!result.ok()) {
            state.SkipWithError(result.message->c_str());
            return;
        }
        benchmark::DoNotOptimize(day.raceCount);
    }
}
BENCHMARK(BM_ImportArchive)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
