#pragma once
// Lines of the Vantage bet file (".kmi"): one ticket per line, 19 ASCII
// characters: venue code, race date YYYYMMDD, race number, bet type code
// ("0" win, "1" place, "3" quinella, "6" trio, "7" trifecta) and the six-digit
// combination. The developer bulk file adds a comment line per race.

#include "data/race_day.h"
#include "engine/prediction.h"

#include <string>
#include <vector>

namespace velmar::bets {

inline constexpr const char* kBetFileName = "kaime.kmi";

// "'rank=" and the marks in mark order joined by ",", up to the first 0.
std::string rankComment(const std::array<int32_t, 6>& marks);

// Appends the lines of race `raceIndex` from its prediction: nothing when the
// race has no bets (M1 is 0, or no ticket could be formed); else the comment line
// (withRankComment), a win and a place line per gap horse (withGapHorses), the quinella, the trio
// and, from 9R on, the trifecta lines.
void appendBetLines(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                    const engine::Prediction& prediction, bool withGapHorses, bool withRankComment);

} // namespace velmar::bets
