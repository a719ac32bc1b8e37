#pragma once
// The gap horse map: a gap file turned into the three columns of the map
// window (venue, race link, horse link), and the win and place bet lines of
// every listed horse for the Vantage software.

#include "data/race_day.h"
#include "data/result.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace velmar::history {

inline constexpr const char* kGapMapDefaultCaption = "単勝ＧＡＰホースMAP";
inline constexpr const char* kGapMapButtonHint =
    "単勝GAPホースの買い目ファイルを一括出力(単勝・複勝)";
inline constexpr const char* kGapBetFileFilter =
    "CorvaneVantageシリーズ 買い目ファイル(*.kmi)|*.kmi";
inline constexpr std::array<const char*, 3> kGapMapHeaders = {"開催場", "レース名", "馬　名"};
inline constexpr std::array<int, 3> kGapMapColumnWidths = {60, 200, 180};
inline constexpr int kGapMapRowHeight = 18;
inline constexpr int kGapMapWidth = 456;

struct GapMap {
    std::string caption; // YYYY年MM月DD日の単勝GAPホースMAP
    std::string date;    // YYYYMMDD of the loaded day
    // One row per file line: the cell texts with their links. A line without
    // exactly four fields gives a row of three empty cells.
    std::vector<std::array<std::string, 3>> rows;
    std::filesystem::path file;
    int lineCount = 0;
    int windowHeight = 115; // 18 per file line + 115
};

// The map of one gap file, for the loaded day (the caption and the date come
// from its first race). An unreadable file is an error naming it.
Result<GapMap> loadGapMap(const std::filesystem::path& file, const data::RaceDay& day);

// The cells of one gap file line (UTF-8); none when it has not four fields.
bool gapMapRow(std::string_view line, std::array<std::string, 3>& cells);

// "gap" + YYMMDD + ".kmi".
std::string gapBetFileName(const GapMap& map);

struct GapBetLines {
    std::vector<std::string> lines; // win then place line per listed horse
    // Rows left out: a venue outside the ten central venues has no venue code,
    // and a row without a race or horse number has nothing to bet on.
    int skippedRows = 0;
    std::vector<std::string> skippedVenues; // each name once, in order
};

// The bet lines of every map row: venue code, map date, race number (two
// digits), "0" or "1", horse number (two digits), "0000". A blank venue or
// race cell takes the value of the nearest row above that has one.
GapBetLines gapBetLines(const GapMap& map);

} // namespace velmar::history
