#pragma once
// Small race days and predictions built in code for the writer tests.

#include "data/race_day.h"
#include "data/race_texts.h"
#include "data/sjis.h"
#include "engine/bet_suggestions.h"
#include "engine/prediction.h"

#include <string>
#include <vector>

namespace velmar::bets::test {

// A race line of 777 blanks with the columns the writers read: venue (1-2),
// race number (11-12), date (13-20), weekday (21-22), runner count (337-338).
inline std::string raceLine(const std::string& venue, int raceNo, const std::string& date,
                            int runners) {
    std::string line(777, ' ');
    auto put = [&](int col, const std::string& text) { line.replace(col - 1, text.size(), text); };
    put(1, venue);
    put(3, "0000"); // meeting number and day
    put(7, "0302");
    put(11, (raceNo < 10 ? "0" : "") + std::to_string(raceNo));
    put(13, date);
    put(21, "02");
    put(337, (runners < 10 ? " " : "") + std::to_string(runners));
    return line;
}

inline data::RaceDay dayOf(const std::vector<std::string>& raceLines) {
    data::RaceDay day;
    day.raceLines = raceLines;
    for (const auto& l : raceLines)
        day.raceTexts.push_back(data::addRace(l));
    day.raceCount = static_cast<int>(raceLines.size());
    return day;
}

// A prediction with `runners` runner records ("ウマ1" ...), the marks, the
// pattern and the tickets the bet suggestions derive from them.
inline engine::Prediction predictionOf(int raceIndex, int raceNo, std::array<int32_t, 6> marks,
                                       int pattern, bool quinellaFlow = false,
                                       bool trifectaFlow = false, int runners = 16) {
    engine::Prediction p;
    p.raceIndex = raceIndex;
    p.raceNo = raceNo;
    for (int h = 1; h <= runners; ++h) {
        engine::TBachu r;
        r.horseName = "ウマ" + std::to_string(h);
        r.qvIndex = 40 + h;
        r.rating = 500 + h;
        r.oddsText = std::to_string(h) + ".5";
        p.runners.push_back(r);
    }
    p.racePattern = pattern;
    p.markedHorses = marks;
    p.quinellaFlow = quinellaFlow;
    p.trifectaFlow = trifectaFlow;
    p.tickets = engine::buildTicketLists(marks, pattern, quinellaFlow, trifectaFlow, raceNo);
    p.betPanel = engine::betPanel(marks, pattern, quinellaFlow, trifectaFlow, raceNo);
    return p;
}

} // namespace velmar::bets::test
