#pragma once
// Lines of the external index file (".idx"): "QV", then per runner of every
// race "venue,YYYYMMDD,race,horse,name,qv" (qv empty when 0).

#include "data/race_day.h"
#include "engine/prediction.h"

#include <string>
#include <vector>

namespace velmar::bets {

inline constexpr const char* kIndexFileHead = "QV";

// Appends one line per runner of race `raceIndex`, horse 1 first, from its
// prediction. The name is written as it stands (no quoting).
void appendIndexLines(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                      const engine::Prediction& prediction);

} // namespace velmar::bets
