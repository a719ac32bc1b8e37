#pragma once
// The day-wide run: predict every race of the loaded day in turn, let a
// per-race step collect its lines, then predict the remembered race again so
// the caller can show it as before. Windows, the progress dialog and its
// cancel button are the caller's; they meet the run through callbacks.
//
// The day exports (external index file, CSV day file, developer bulk bet
// file) are built on it. They write their file only after the run: a run that
// ends with an error writes nothing and leaves an earlier file as it was; a
// cancelled run writes the races finished before the cancel.

#include "data/race_day.h"
#include "data/result.h"
#include "engine/prediction.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmar::bets {

struct DayRunCallbacks {
    // Lets pending window events run (before each race).
    std::function<void()> processEvents;
    // True once the user asked to stop (read right after processEvents).
    std::function<bool()> abortRequested;
    // Gauge, 0..100.
    std::function<void(int percent)> progress;
};

// Runs right after race `race` was predicted.
using PerRaceStep = std::function<void(const engine::Prediction&, int race)>;

// Predicts race k; runDayExport uses engine::predictRace.
using RacePredictor = std::function<Result<engine::Prediction>(int k)>;

struct DayRunResult {
    bool cancelled = false;
    int racesDone = 0; // races predicted and stepped
    // The remembered race predicted again; none when no race was remembered
    // (rememberedRace outside the day).
    std::optional<engine::Prediction> remembered;
};

// The run over `raceCount` races with a given predictor: gauge 0, then per
// race: events, abort check, predict, step, gauge round((i + 1) / n * 100);
// 100 at the end unless cancelled; then the remembered race again. A race
// whose prediction fails stops the run with an error naming that race.
Result<DayRunResult> runDayRaces(int raceCount, int rememberedRace, const RacePredictor& predict,
                                 const PerRaceStep& step, const DayRunCallbacks& callbacks,
                                 const RacePredictor& predictRemembered = {});

// runDayRaces over the loaded day with engine::predictRace. The races of the
// run are predicted without history lookups (a day-wide run), the remembered
// race with `options` as given.
Result<DayRunResult> runDayExport(const data::RaceDay& day, int rememberedRace,
                                  const engine::PredictOptions& options, const PerRaceStep& step,
                                  const DayRunCallbacks& callbacks = {});

// File names offered for the day exports: "qv" + YYMMDD of the first race's
// raceDateText + ".idx" / ".csv" / ".kmi".
std::string dayFileStem(const data::RaceDay& day);
std::string indexFileName(const data::RaceDay& day);
std::string csvFileName(const data::RaceDay& day);
std::string bulkFileName(const data::RaceDay& day);

// Encodes the lines as CP932, CR LF after every line (the last too), and
// replaces the file atomically.
Status writeLinesFile(const std::filesystem::path& path, const std::vector<std::string>& lines);

// Lines collected by a day export, and the state of its run.
struct DayExport {
    std::vector<std::string> lines;
    DayRunResult run;
};

Result<DayExport> collectIndexFile(const data::RaceDay& day, int rememberedRace,
                                   const engine::PredictOptions& options,
                                   const DayRunCallbacks& callbacks = {});
Result<DayExport> collectCsvFile(const data::RaceDay& day, int rememberedRace,
                                 const engine::PredictOptions& options,
                                 const DayRunCallbacks& callbacks = {});
// Developer bulk bet file: the bet lines of every race with gap horses and the
// rank comment; races without bets add nothing.
Result<DayExport> collectBulkFile(const data::RaceDay& day, int rememberedRace,
                                  const engine::PredictOptions& options,
                                  const DayRunCallbacks& callbacks = {});

enum class DayExportKind { Index, Csv, Bulk };

// Collects and writes one day export. On an error of the run or of the write
// the target keeps its earlier content; the run's state is returned otherwise.
Result<DayRunResult> exportDayFile(DayExportKind kind, const std::filesystem::path& path,
                                   const data::RaceDay& day, int rememberedRace,
                                   const engine::PredictOptions& options,
                                   const DayRunCallbacks& callbacks = {});

// The bet file of one race: its bet lines without gap horses and comment.
std::vector<std::string> betFileLines(const data::RaceDay& day, int raceIndex,
                                      const engine::Prediction& prediction);

} // namespace velmar::bets
