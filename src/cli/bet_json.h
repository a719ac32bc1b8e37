#pragma once
// The bet-detail text of a predicted race as JSON, for `velmar-cli predict --json`.

#include "data/race_texts.h"
#include "engine/prediction.h"

#include <nlohmann/json.hpp>

namespace velmar::cli {

// {"title": betWindowTitle, "lines": [memo lines]}.
nlohmann::json betTextJson(const engine::Prediction& prediction, const data::RaceTexts& texts);

} // namespace velmar::cli
