#pragma once
// A generated race day written into a temporary home and loaded; the home is
// removed again when the benchmark program ends.

#include "data/race_day.h"
#include "engine/prediction.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace velmar::bench {

struct BenchDay {
    std::filesystem::path home;
    data::RaceDay day;
    engine::PredictOptions options;

    BenchDay(const std::string& tag, int races, int runners) {
        namespace fs = std::filesystem;
        std::string templ = (fs::temp_directory_path() / ("velmar-" + tag + "-XXXXXX")).string();
        if (!mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        home = templ;
        tools::GenOptions gen;
        gen.races = races;
        gen.runners = runners;
        const tools::RaceDay model = tools::generateRaceDay(gen);
        if (!tools::writeDayFiles(home, model, tools::Generation::Vd2).ok() ||
            !tools::writeStandardData(home / "Data", model, gen.seed).ok())
            throw std::runtime_error("cannot write the day");
        auto loaded = data::loadRaceDay(home, day);
        if (!loaded.ok() || !loaded.value())
            throw std::runtime_error("cannot load the day");
        options.home = home;
        options.now = {2026, 12, 13, 0};
    }
    ~BenchDay() {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
    BenchDay(const BenchDay&) = delete;
    BenchDay& operator=(const BenchDay&) = delete;
};

} // namespace velmar::bench
