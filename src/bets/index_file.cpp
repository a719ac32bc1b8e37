#include "bets/index_file.h"

#include "data/lines.h"

namespace velmar::bets {

void appendIndexLines(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                      const engine::Prediction& prediction) {
    const std::string_view raceLine = day.raceLine(raceIndex);
    const std::string prefix = data::fieldText(raceLine, 1, 2) + "," +
                               data::fieldText(raceLine, 13, 8) + "," +
                               data::fieldText(raceLine, 11, 2) + ",";
    for (std::size_t j = 0; j < prediction.runners.size(); ++j) {
        const engine::TBachu& r = prediction.runners[j];
        std::string line = prefix + std::to_string(j + 1) + "," + r.horseName + ",";
        if (r.qvIndex != 0)
            line += std::to_string(r.qvIndex);
        lines.push_back(std::move(line));
    }
}

} // namespace velmar::bets
