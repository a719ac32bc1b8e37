#pragma once
// The index engine: R and O ranks, R/O/QV indices, race pattern, gap horses,
// bet flags and marks, from two inputs only (each runner's rating and the
// race's predicted win odds).

#include "data/result.h"
#include "engine/prediction.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::engine {

inline constexpr int kPointsPositions = 18;
using PointsTable = std::array<int32_t, kPointsPositions>;

extern const PointsTable pointsNormal;   // 本命, 順当
extern const PointsTable pointsUpset;    // 波乱
extern const PointsTable pointsLongshot; // 大穴

// Points of a 1-based position; positions beyond the table (a field of more
// than 18 runners) score 0.
int32_t pointsAt(const PointsTable& table, int position);

// Odds key of one runner from its raw 5 odds bytes: "/" "*" "-" (trimmed)
// become "99999" "99998" "99997", anything else stays as it is.
std::string oddsKeyOf(std::string_view winOdds);

// Runs the index engine over p.runners (rating and horseName must be set).
// `winOdds` holds the raw odds bytes of horse 1..n when the race has a
// matching odds line, none otherwise. Fills p.rating, the ranks, indices and
// oddsText of every runner, and hasRatings, hasOdds, favouritesRated,
// racePattern, gapHorses, the three bet flags and markedHorses.
// The favourite's odds key, when it decides the pattern, must be an integer;
// otherwise the error names `raceLabel`, the horse and the field.
Status computeIndices(Prediction& p, const std::optional<std::vector<std::string>>& winOdds,
                      std::string_view raceLabel);

} // namespace velmar::engine
