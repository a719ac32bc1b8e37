// The desktop program's race change: a race predicted and shown in the main
// window (grid cells, colours, bet panel, status), with and without painting
// the grid, next to the prediction alone (the baseline of the same run); and
// the whole start of the window on a loaded day.

#include "app/main_window.h"
#include "app/window_settings.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <QApplication>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace velmar;

struct Day {
    QTemporaryDir dir;
    std::filesystem::path home;
    data::RaceDay day;

    Day() {
        home = std::filesystem::path(dir.path().toStdString());
        tools::GenOptions options; // 36 races of 8 to 18 runners
        const tools::RaceDay generated = tools::generateRaceDay(options);
        if (!tools::writeDayFiles(home, generated, tools::Generation::Vd2) ||
            !tools::writeStandardData(home / "Data", generated, 1)) {
            std::abort();
        }
        std::filesystem::create_directories(home / "Gap");
        if (!data::loadRaceDay(home, day)) {
            std::abort();
        }
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    }
};

Day& sampleDay() {
    static Day day;
    return day;
}

std::unique_ptr<app::TfrmQV> shownWindow() {
    app::MainWindowOptions options;
    options.home = sampleDay().home;
    options.connectHistory = false;
    auto w = std::make_unique<app::TfrmQV>(options);
    w->messageHook = [](const QString&) {};
    w->show();
    while (w->currentRace() < 0) {
        QApplication::processEvents();
    }
    return w;
}

engine::PredictOptions predictOptions() {
    engine::PredictOptions options;
    options.home = sampleDay().home;
    return options;
}

// Baseline: the prediction alone.
void BM_PredictOnly(benchmark::State& state) {
    const Day& d = sampleDay();
    const auto options = predictOptions();
    int k = 0;
    for (auto _ : state) {
        auto p = engine::predictRace(d.day, k, options);
        benchmark::DoNotOptimize(p);
        k = (k + 1) % d.day.raceCount;
    }
}
BENCHMARK(BM_PredictOnly)->Unit(benchmark::kMicrosecond);

// Prediction and the filled window (the next repaint draws it).
void BM_RaceChange(benchmark::State& state) {
    auto w = shownWindow();
    int k = 0;
    for (auto _ : state) {
        w->predictRace(k);
        k = (k + 1) % w->raceDay().raceCount;
    }
}
BENCHMARK(BM_RaceChange)->Unit(benchmark::kMicrosecond);

// The same, and every visible grid cell painted.
void BM_RaceChangePainted(benchmark::State& state) {
    auto w = shownWindow();
    QPixmap target(w->grid()->viewport()->size());
    int k = 0;
    for (auto _ : state) {
        w->predictRace(k);
        w->grid()->viewport()->render(&target);
        k = (k + 1) % w->raceDay().raceCount;
    }
}
BENCHMARK(BM_RaceChangePainted)->Unit(benchmark::kMicrosecond);

// Window created, shown, day loaded and race 0 on screen (no history).
void BM_WindowStartToFirstRace(benchmark::State& state) {
    sampleDay();
    for (auto _ : state) {
        auto w = shownWindow();
        w->grid()->viewport()->repaint();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowStartToFirstRace)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
