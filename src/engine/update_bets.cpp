#include "engine/update_bets.h"

#include "data/text.h"
#include "engine/running_style.h"

namespace velmar::engine {

bool betsAllowed(const Prediction& p, const data::RaceTexts& texts) {
    return !p.runners.empty() && p.runners[0].oddsRank != 0 && p.favouritesRated &&
           texts.classLabel != "新馬" && p.hasRatings && p.hasOdds && texts.withheldFlag != "1";
}

void updateBetSuggestions(Prediction& p, const data::RaceDay& day) {
    const data::RaceTexts& texts = day.texts(p.raceIndex);
    p.raceNo = data::intOf(texts.raceNoText);
    for (GridRow& row : p.grid.rows)
        row.cells[11].text.clear();
    if (!betsAllowed(p, texts)) {
        p.patternText.clear();
        p.markedHorses = {};
    } else {
        p.patternText = patternText(p.racePattern);
        for (GridRow& row : p.grid.rows) {
            for (int u = 0; u < 6; ++u) {
                if (p.markedHorses[u] == row.horse) {
                    row.cells[11].text = "<BR><P ALIGN=\"center\">" + markSymbol(u + 1) + "</P>";
                    break;
                }
            }
        }
    }
    p.betPanel = betPanel(p.markedHorses, p.racePattern, p.quinellaFlow, p.trifectaFlow, p.raceNo);
    p.tickets =
        buildTicketLists(p.markedHorses, p.racePattern, p.quinellaFlow, p.trifectaFlow, p.raceNo);
}

} // namespace velmar::engine
