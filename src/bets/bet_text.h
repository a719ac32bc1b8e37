#pragma once
// The bet-detail text of a race: every suggested ticket as plain text, read
// by the bet-detail window, its save command and `velmar-cli predict`.

#include "data/race_texts.h"
#include "engine/prediction.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmar::bets {

inline constexpr const char* kNoBetsText = "このレースの買い目はありません";

struct BetText {
    std::string title;              // status panel: the race's betWindowTitle
    std::vector<std::string> lines; // memo lines, UTF-8
};

// A ticket code as text: each horse number right-aligned in two characters,
// joined by "-"; the "00" that ends a quinella code is left out
// ("051200" -> " 5-12", "120301" -> "12- 3- 1").
std::string ticketText(std::string_view code, bool quinella);

// Quinella tickets, then the trifecta tickets from 9R on, else the trio
// tickets; six tickets to a row separated by two blanks. A race without bets
// gives the single line "このレースの買い目はありません".
BetText betText(const engine::Prediction& prediction, const data::RaceTexts& texts);

// Default file name of a saved bet text: the first seven CP932 bytes of the
// status text, then ".txt" (京都11R.txt).
std::string betTextFileName(std::string_view title);

} // namespace velmar::bets
