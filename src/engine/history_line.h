#pragma once
// The history line of a past-race cell: how the system rated the horse and how
// popular it predicted it to be on the day of that race.

#include "engine/history_row.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmar::engine {

// Rank text: 1 to 4 in their colours, e.g. <FONT COLOR="#FF0000"> 1位</FONT>;
// any other rank padded to two characters + "位".
std::string historyRankText(int32_t rank);

// The line of the first row whose YMD equals the block's 8-character
// RaceDate; empty when no row matches.
std::string historyLine(const std::vector<HistoryRow>& rows, std::string_view raceDate8);

} // namespace velmar::engine
