#pragma once
// One stored history row of a horse: how the system rated it and how popular
// it was predicted to be on one race day.

#include "data/result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velmar::engine {

struct HistoryRow {
    int32_t ymd = 0;        // race date as the number YYYYMMDD
    std::string odds;       // odds text as shown: "/", "*", "-" or "3.5"
    int32_t oddsRank = 0;   // O rank
    int32_t rating = 0;     // rating in tenths, 0 = no rating
    int32_t ratingRank = 0; // R rank
};

// Supplies the stored rows of one horse, in the order the store returns them.
// An error means the lookup failed: the caller reports it once for that runner
// and builds the runner without history lines.
using HistorySupplier = std::function<Result<std::vector<HistoryRow>>(int32_t horseCode)>;

} // namespace velmar::engine
