#include "bets/bet_file.h"

#include "data/lines.h"
#include "data/sjis.h"
#include "data/text.h"
#include "engine/bet_suggestions.h"

namespace velmar::bets {

namespace {

// Venue code, race date and race number: the twelve characters every ticket
// line starts with.
std::string racePrefix(std::string_view raceLine) {
    return data::fieldText(raceLine, 1, 2) + data::fieldText(raceLine, 13, 8) +
           data::fieldText(raceLine, 11, 2);
}

void appendTickets(std::vector<std::string>& lines, const std::string& prefix, char type,
                   const std::vector<std::string>& codes) {
    for (const auto& code : codes) {
        // Entries of "000000" are not tickets (a race before 9R keeps its
        // trifecta list filled with them).
        if (code == engine::kNoTicket)
            continue;
        lines.push_back(prefix + type + code);
    }
}

} // namespace

std::string rankComment(const std::array<int32_t, 6>& marks) {
    std::string out = "'rank=";
    for (std::size_t i = 0; i < marks.size() && marks[i] != 0; ++i) {
        if (i > 0)
            out += ",";
        out += std::to_string(marks[i]);
    }
    return out;
}

void appendBetLines(std::vector<std::string>& lines, const data::RaceDay& day, int raceIndex,
                    const engine::Prediction& prediction, bool withGapHorses,
                    bool withRankComment) {
    if (prediction.markedHorses[0] == 0 || !engine::hasTickets(prediction.tickets))
        return;
    const std::string prefix = racePrefix(day.raceLine(raceIndex));
    if (withRankComment)
        lines.push_back(rankComment(prediction.markedHorses));
    if (withGapHorses) {
        for (const auto& gap : prediction.gapHorses) {
            if (gap.empty())
                break;
            const int horse = data::intOf(data::sjisLeft(gap, 2));
            if (horse <= 0)
                continue; // not a horse number: no ticket
            const std::string combination = data::zeroPad2(horse) + "0000";
            lines.push_back(prefix + "0" + combination);
            lines.push_back(prefix + "1" + combination);
        }
    }
    appendTickets(lines, prefix, '3', prediction.tickets.quinella);
    appendTickets(lines, prefix, '6', prediction.tickets.trio);
    if (engine::isTrifectaRace(prediction.raceNo))
        appendTickets(lines, prefix, '7', prediction.tickets.trifecta);
}

} // namespace velmar::bets
