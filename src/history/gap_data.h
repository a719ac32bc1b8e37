#pragma once
// The day's gap data: one day-wide run that lists the gap horses of every race
// into the gap file (Gap/YYMMDD.gap) and stores every qualifying race's
// runners in the history. This run is the only writer of history rows.
//
// Gap file: CP932, CR LF after every line; each line has exactly four fields
// separated by ",": venue (first line of a venue only), race label (first line
// of a race only), gap-horse entry, race index.

#include "bets/day_export.h"
#include "data/race_day.h"
#include "data/result.h"
#include "engine/prediction.h"
#include "history/history_store.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velmar::history {

inline constexpr const char* kOddsNotSameDayMessage =
    "同日のオッズデータがありません。オッズデータを読み込んでから実行してください。";

// "YYYY年MM月DD日のGAPデータがありません。\r\nGAPデータを今すぐ作成しますか？"
// for the first race's date.
std::string gapDataQuestion(const data::RaceDay& day);

// YYMMDD + ".gap" of the first race's date. A day without a proper date (not
// eight digits) has no gap file: an error, never a strange file name.
Result<std::string> gapFileName(const data::RaceDay& day);
// home/Gap/YYMMDD.gap.
Result<std::filesystem::path> gapFilePath(const std::filesystem::path& home,
                                          const data::RaceDay& day);

// Race label of the gap file: race number right-aligned in two characters,
// "R ", the short title (" 1R 有馬記念").
std::string gapRaceLabel(const data::RaceTexts& texts);

// Builds the gap lines race by race. The last venue is kept across races, the
// last race number only within a race.
class GapLineWriter final {
  public:
    // Appends the lines of one predicted race.
    void addRace(const data::RaceTexts& texts, int raceIndex,
                 const std::array<std::string, 4>& gapHorses);
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    std::vector<std::string> lines_;
    std::string lastVenue_;
};

// True when the race's runners go into the history: ratings and odds were
// there, the race is not a newcomers' race (新馬) and not withheld.
bool qualifiesForHistory(const data::RaceTexts& texts, const engine::Prediction& prediction);

// The history rows of a predicted race, in horse-number order.
std::vector<StoredRunner> storedRunners(const engine::Prediction& prediction);

struct GapDataResult {
    // False: the loaded odds are not of the loaded day; nothing was run or
    // written (the caller shows kOddsNotSameDayMessage where it asked).
    bool oddsOfSameDay = false;
    bool cancelled = false;
    // The gap file was written (only a run that was not cancelled writes it).
    bool written = false;
    int gapLines = 0;
    int racesStored = 0; // races whose runners went to the history
    int rowsStored = 0;
    int rowsFailed = 0;
    bets::DayRunResult run;
};

// Creates the day's gap data into `gapFile` (its folder is created when
// missing). Runs like the day exports: every race predicted in turn with the
// progress callbacks, then the remembered race again. History rows are stored
// only when `store` is connected. A cancelled run writes no gap file, but the
// rows stored before the cancel stay. An error (a race that cannot be
// predicted, a file that cannot be written) leaves an earlier gap file as it
// was.
Result<GapDataResult> createGapData(const data::RaceDay& day, const std::filesystem::path& gapFile,
                                    int rememberedRace, const engine::PredictOptions& options,
                                    HistoryStore* store,
                                    const bets::DayRunCallbacks& callbacks = {});

} // namespace velmar::history
