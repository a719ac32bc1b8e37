#pragma once
// Lines of the CSV day file: per race "YYYY,MM,DD,venue,race,N" and, per
// runner in horse order, name, odds text and rating ("#0.0"). No header, no
// quoting.

#include "data/race_day.h"
#include "engine/prediction.h"

#include <string>
#include <vector>

namespace velmar::bets {

// Appends the line of race `raceIndex` from its prediction.
void appendCsvLine(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                   const engine::Prediction& prediction);

} // namespace velmar::bets
