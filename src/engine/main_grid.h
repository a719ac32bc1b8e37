#pragma once
// Cell texts (with markup), colours and borders of the main grid, the hidden
// sort table and the newsletter grid.

#include "data/horse_line.h"
#include "engine/prediction.h"

#include <array>
#include <string>
#include <string_view>

namespace velmar::engine {

// "枠" "馬" "馬　名" "3走前" "2走前" "前走" "R" "R順位" "O" "O順位" "QV" "印".
const std::array<std::string, kGridColumns>& gridHeaders();
// Header hints; empty for the columns without one.
const std::array<std::string, kGridColumns>& gridHeaderHints();
// "印" "枠" "馬" "馬　名" "斤量" "騎手" "展開パターン" "タイプ" "人気" "勝利P" "回収P" "合計P".
const std::array<std::string, kGridColumns>& htmlGridHeaders();

std::string frameCell(std::string_view frameNo);
std::string horseCell(int32_t horse);
// Sex and age, the blue linked horse name, weight and jockey.
std::string nameCell(std::string_view sexCode, int32_t age, int32_t horse,
                     std::string_view horseName, std::string_view weightText,
                     std::string_view jockeyName);
// Horse number of a row from its column-1 text: 27 characters for one digit,
// 28 for two; any other length reads as 0.
int32_t horseNumberOfCell(std::string_view cell);

// Class part of line 1 of a past-race cell.
std::string pastRaceClassText(const data::PastRace& race);
// The three-line past-race cell; surface and distance as stored in the runner
// record, `historyText` the history line (may be empty).
std::string pastRaceCell(const data::PastRace& race, int32_t surface, int32_t distance,
                         std::string_view historyText);

// Columns 6 to 10 (R, R順位, O, O順位, QV) of a runner.
std::array<std::string, 5> indexCells(const TBachu& runner);

struct CellColors {
    std::string background;
    std::string font;
};
// Bracket colours by the digit at character `digitAt` (1-based) of the cell.
CellColors frameColors(std::string_view cell, size_t digitAt = 23);
// Background of past race `index` (0 = most recent) of a runner.
std::string pastRaceBackground(const TBachu& runner, int index);

// Adds calendar months, the day clamped to the month's last day.
DateTime addMonths(const DateTime& d, int months);
// More than three months passed between a race on `d` and the next on `next`.
bool longBreak(const DateTime& d, const DateTime& next);

// The main grid's index cells (only with ratings and odds) and the matching
// columns of the hidden sort table; otherwise the sort table's rating and
// R rank columns hold "0".
void showIndexCells(Prediction& p);

// Fills the newsletter grid from the runners and the 印 column.
void fillHtmlGrid(Prediction& p, const std::vector<std::string>& frameNos);

} // namespace velmar::engine
