#include "bets/csv_file.h"

#include "data/codes.h"
#include "data/lines.h"
#include "data/race_line.h"
#include "data/text.h"

namespace velmar::bets {

void appendCsvLine(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                   const engine::Prediction& prediction) {
    const std::string_view raceLine = day.raceLine(raceIndex);
    const data::RaceLine race{raceLine};
    const int count = race.runnerCountValue();
    std::string line = data::fieldText(raceLine, 13, 4) + "," + data::fieldText(raceLine, 17, 2) +
                       "," + data::fieldText(raceLine, 19, 2) + "," +
                       data::venueName(race.venueCode()) + "," + data::fieldText(raceLine, 11, 2) +
                       "," + std::to_string(count);
    // The prediction holds one record per runner of this count; a record that
    // is missing still gives its three fields, so every line has 6 + 3N fields.
    for (int k = 0; k < count; ++k) {
        const bool known = static_cast<std::size_t>(k) < prediction.runners.size();
        const engine::TBachu empty;
        const engine::TBachu& r = known ? prediction.runners[static_cast<std::size_t>(k)] : empty;
        line += "," + r.horseName + "," + r.oddsText + "," + data::format01(r.rating / 10.0);
    }
    lines.push_back(std::move(line));
}

} // namespace velmar::bets
