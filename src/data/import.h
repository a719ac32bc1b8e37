#pragma once
// Importing a CNX archive into the Velmar home: check that it holds CNX data,
// extract it and its odds companion, bring ".vd3" files into the ".vd2"
// layout, reload the race day, make sure the day's gap data exist and show
// the first race.

#include "data/race_day.h"
#include "data/result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace velmar::data {

// Messages of the import (shown as they stand, "\r\n" line breaks).
inline constexpr const char* kNotCnxDataMessage =
    "指定した書庫ファイルにデータは含まれておりません。\r\n\r\n正しいCNXデータをご利用ください。";
inline constexpr const char* kExtractErrorHead = "データの展開でエラーが発生しました。\r\n";
inline constexpr const char* kExtractErrorTail = "\r\n\r\n開発元にお問い合わせください。";

struct ImportHooks {
    // The status-bar gauge: the extraction progress of the current archive
    // (0-100), set back to 0 at the end of every extraction.
    std::function<void(int percent)> progress;
    // Creates the day's gap data into `gapFile` (home/Gap/YYMMDD.gap of the
    // first race's date). Called only when that file does not exist; an error
    // ends the import with its message.
    std::function<Status(const std::filesystem::path& gapFile, const RaceDay& day)> createGapData;
    // Shows the first race of the new day (the program predicts race 0).
    std::function<void(const RaceDay& day)> showFirstRace;
    // Runs the gap map again when its window is open.
    std::function<void(const RaceDay& day)> refreshGapMap;
};

struct ImportResult {
    // Empty on success; otherwise the message to show. On failure the race
    // day passed in is exactly as it was.
    std::optional<std::string> message;
    // The extraction errors collected (CR LF + code + " : " + message each).
    std::string extractErrors;
    // The odds companion that was extracted with the archive, if any.
    std::optional<std::filesystem::path> companion;

    bool ok() const { return !message.has_value(); }
};

// The odds companion of an archive: "j" + characters 3-12 of its name, else
// "vd3_jb" + characters 7-16, in the archive's folder; the first that exists.
std::optional<std::filesystem::path> oddsCompanion(const std::filesystem::path& archive);

// home/Gap/YYMMDD.gap from a race date YYYYMMDD; none when the date is not
// eight digits (a corrupt date must not become a path).
std::optional<std::filesystem::path> gapFileOf(const std::filesystem::path& home,
                                               std::string_view raceDate);

// Imports `archive` into `home` (which must exist) and, on success, replaces
// `day` with the day now in the home.
//
// Unlike a plain extract-then-check, the archive and its companion are
// extracted as one: when either reports an error nothing of them is written,
// so a failed import never leaves a half-imported day in the home.
ImportResult importArchive(const std::filesystem::path& home, const std::filesystem::path& archive,
                           RaceDay& day, const ImportHooks& hooks = {});

} // namespace velmar::data
