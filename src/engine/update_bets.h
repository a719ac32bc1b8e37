#pragma once
// The bet gate, the 印 column and the bet panel of a predicted race.

#include "data/race_day.h"
#include "engine/prediction.h"

namespace velmar::engine {

// True when the race gets suggested bets: horse 1 has a popularity rank,
// the six favourites are rated, the race is not 新馬, it has ratings and
// odds, and its bets are not withheld.
bool betsAllowed(const Prediction& p, const data::RaceTexts& texts);

// Runs the gate. A race without bets loses its marks (and 印 symbols), the
// pattern indicator goes dark and the panel is hidden; otherwise the 印 column
// shows the marks and the panel the bets. Either way the ticket lists are
// rebuilt from the marks.
void updateBetSuggestions(Prediction& p, const data::RaceDay& day);

} // namespace velmar::engine
