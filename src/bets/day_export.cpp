#include "bets/day_export.h"

#include "bets/bet_file.h"
#include "bets/csv_file.h"
#include "bets/index_file.h"
#include "data/atomic_file.h"

#include <cmath>

namespace velmar::bets {

namespace {

// "東京11R": how a message names a race of the day.
std::string raceLabel(const data::RaceDay& day, int k) {
    const data::RaceTexts& t = day.texts(k);
    if (t.venueLabel.empty() && t.raceNoText.empty())
        return "レース" + std::to_string(k + 1);
    return t.venueLabel + t.raceNoText + "R";
}

Error namingRace(const data::RaceDay& day, int k, const Error& e) {
    const std::string label = raceLabel(day, k);
    if (e.message.find(label) != std::string::npos)
        return e;
    return Error{label + ": " + e.message};
}

Result<DayExport> collect(const data::RaceDay& day, int rememberedRace,
                          const engine::PredictOptions& options, const DayRunCallbacks& callbacks,
                          std::vector<std::string> lines,
                          void (*append)(std::vector<std::string>&, const data::RaceDay&, int,
                                         const engine::Prediction&)) {
    DayExport out;
    out.lines = std::move(lines);
    auto run = runDayExport(
        day, rememberedRace, options,
        [&](const engine::Prediction& p, int race) { append(out.lines, day, race, p); }, callbacks);
    if (!run)
        return run.error();
    out.run = std::move(run.value());
    return out;
}

void appendBulkLines(std::vector<std::string>& lines, const data::RaceDay& day, int race,
                     const engine::Prediction& p) {
    appendBetLines(lines, day, race, p, true, true);
}

} // namespace

Result<DayRunResult> runDayRaces(int raceCount, int rememberedRace, const RacePredictor& predict,
                                 const PerRaceStep& step, const DayRunCallbacks& callbacks,
                                 const RacePredictor& predictRemembered) {
    DayRunResult result;
    if (callbacks.progress)
        callbacks.progress(0);
    for (int i = 0; i < raceCount; ++i) {
        if (callbacks.processEvents)
            callbacks.processEvents();
        if (callbacks.abortRequested && callbacks.abortRequested()) {
            result.cancelled = true;
            break;
        }
        auto prediction = predict(i);
        if (!prediction)
            return prediction.error();
        if (step)
            step(prediction.value(), i);
        ++result.racesDone;
        if (callbacks.progress)
            callbacks.progress(
                static_cast<int>(std::lround(100.0 * (i + 1) / static_cast<double>(raceCount))));
    }
    if (!result.cancelled && callbacks.progress)
        callbacks.progress(100);
    if (rememberedRace >= 0 && rememberedRace < raceCount) {
        auto again = (predictRemembered ? predictRemembered : predict)(rememberedRace);
        if (!again)
            return again.error();
        result.remembered = std::move(again.value());
    }
    return result;
}

Result<DayRunResult> runDayExport(const data::RaceDay& day, int rememberedRace,
                                  const engine::PredictOptions& options, const PerRaceStep& step,
                                  const DayRunCallbacks& callbacks) {
    // While the progress dialog is shown the prediction looks nothing up in
    // the history store; the race shown afterwards does again.
    engine::PredictOptions inRun = options;
    inRun.progressShown = true;
    const auto during = [&](int k) -> Result<engine::Prediction> {
        auto p = engine::predictRace(day, k, inRun);
        if (!p)
            return namingRace(day, k, p.error());
        return p;
    };
    const auto after = [&](int k) -> Result<engine::Prediction> {
        auto p = engine::predictRace(day, k, options);
        if (!p)
            return namingRace(day, k, p.error());
        return p;
    };
    return runDayRaces(day.raceCount, rememberedRace, during, step, callbacks, after);
}

std::string dayFileStem(const data::RaceDay& day) {
    // raceDateText is "YYYY/MM/DD(曜)": characters 3-4, 6-7 and 9-10.
    const std::string& d = day.texts(0).raceDateText;
    auto part = [&](std::size_t pos) { return pos < d.size() ? d.substr(pos, 2) : std::string(); };
    return "qv" + part(2) + part(5) + part(8);
}

std::string indexFileName(const data::RaceDay& day) {
    return dayFileStem(day) + ".idx";
}
std::string csvFileName(const data::RaceDay& day) {
    return dayFileStem(day) + ".csv";
}
std::string bulkFileName(const data::RaceDay& day) {
    return dayFileStem(day) + ".kmi";
}

Status writeLinesFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    return data::writeFileAtomic(path, data::sjisLines(lines));
}

Result<DayExport> collectIndexFile(const data::RaceDay& day, int rememberedRace,
                                   const engine::PredictOptions& options,
                                   const DayRunCallbacks& callbacks) {
    return collect(day, rememberedRace, options, callbacks, {kIndexFileHead}, appendIndexLines);
}

Result<DayExport> collectCsvFile(const data::RaceDay& day, int rememberedRace,
                                 const engine::PredictOptions& options,
                                 const DayRunCallbacks& callbacks) {
    return collect(day, rememberedRace, options, callbacks, {}, appendCsvLine);
}

Result<DayExport> collectBulkFile(const data::RaceDay& day, int rememberedRace,
                                  const engine::PredictOptions& options,
                                  const DayRunCallbacks& callbacks) {
    return collect(day, rememberedRace, options, callbacks, {}, appendBulkLines);
}

Result<DayRunResult> exportDayFile(DayExportKind kind, const std::filesystem::path& path,
                                   const data::RaceDay& day, int rememberedRace,
                                   const engine::PredictOptions& options,
                                   const DayRunCallbacks& callbacks) {
    Result<DayExport> collected = Error{};
    switch (kind) {
    case DayExportKind::Index:
        collected = collectIndexFile(day, rememberedRace, options, callbacks);
        break;
    case DayExportKind::Csv:
        collected = collectCsvFile(day, rememberedRace, options, callbacks);
        break;
    case DayExportKind::Bulk:
        collected = collectBulkFile(day, rememberedRace, options, callbacks);
        break;
    }
    if (!collected)
        return collected.error();
    if (auto written = writeLinesFile(path, collected->lines); !written)
        return written.error();
    return std::move(collected->run);
}

std::vector<std::string> betFileLines(const data::RaceDay& day, int raceIndex,
                                      const engine::Prediction& prediction) {
    std::vector<std::string> lines;
    appendBetLines(lines, day, raceIndex, prediction, false, false);
    return lines;
}

} // namespace velmar::bets
