#include "engine/history_line.h"

#include "data/text.h"
#include "engine/tenths.h"

namespace velmar::engine {

std::string historyRankText(int32_t rank) {
    static const char* const colors[] = {"#FF0000", "#FF6600", "#009900", "#0033FF"};
    std::string text = data::padLeft(std::to_string(rank), 2) + "位";
    if (rank >= 1 && rank <= 4)
        return std::string("<FONT COLOR=\"") + colors[rank - 1] + "\">" + text + "</FONT>";
    return text;
}

std::string historyLine(const std::vector<HistoryRow>& rows, std::string_view raceDate8) {
    for (const HistoryRow& row : rows) {
        if (std::to_string(row.ymd) != raceDate8)
            continue;
        std::string odds = row.odds;
        std::string ratingText = tenthsText(row.rating);
        if (odds == "/")
            odds = ratingText = "取消";
        else if (ratingText == "0.0")
            ratingText = "-";
        const std::string rRank = row.rating == 0 && row.ratingRank == 1
                                      ? std::string(" -位")
                                      : historyRankText(row.ratingRank);
        return data::padLeft("(" + ratingText + ")", 8) + " " + rRank +
               data::padLeft("(" + odds + ")", 9) + " " + historyRankText(row.oddsRank);
    }
    return {};
}

} // namespace velmar::engine
