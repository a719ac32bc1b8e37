#pragma once
// User odds mode: popularity ranks typed into column 6 of the main grid
// replace the runners' O ranks once every runner has one; they are kept in a
// per-day INI file UserOdds/YYYYMMDD.ods and the bets are re-evaluated.

#include "data/race_day.h"
#include "data/result.h"
#include "engine/prediction.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::engine {

inline constexpr int kUserOddsColumn = 6;

// Drop-down items of the entry column: an empty item, then "1位" .. "<rows>位".
std::vector<std::string> userOddsItems(int dataRows);

// Cell text of a chosen item; empty for the empty item.
std::string userOddsCell(std::string_view item);

// The rank in an entry cell: the digits between the end of the opening
// paragraph tag and the first "位"; 0 without such a tag or number.
int32_t userOddsRankOf(std::string_view cell);

// File name (YYYYMMDD.ods) and section (venue + race number + "R") of a race.
std::string userOddsFileName(const data::RaceTexts& texts);
std::string userOddsSection(const data::RaceTexts& texts);

// Sets key=value in section of INI text (UTF-8 lines): the key's line is
// replaced, a missing key is added at the end of its section, a missing
// section is appended. Section and key names compare without case.
std::vector<std::string> setIniValue(std::vector<std::string> lines, std::string_view section,
                                     std::string_view key, std::string_view value);

// Writes OddsRank of the race (ranks in horse order, joined by ",") into
// home/UserOdds/<date>.ods, creating the folder; the file keeps its other
// sections and is replaced atomically.
Status writeUserOdds(const std::filesystem::path& home, const data::RaceTexts& texts,
                     const std::vector<int32_t>& ranks);

// The user chose `item` in the entry cell of grid row `row` (0-based data
// row). Once every row has a typed rank the ranks go to the runners and the sort
// table, the file is written and the bets re-evaluated; the result tells
// whether that happened.
Result<bool> changeUserOdds(Prediction& p, const data::RaceDay& day, size_t row,
                            std::string_view item, const std::filesystem::path& home);

} // namespace velmar::engine
