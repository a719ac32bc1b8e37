#include "bets/bet_text.h"

#include "data/sjis.h"
#include "data/text.h"
#include "engine/bet_suggestions.h"

namespace velmar::bets {

namespace {

constexpr std::size_t kTicketsPerRow = 6;

void appendTickets(std::vector<std::string>& lines, const std::vector<std::string>& codes,
                   bool quinella) {
    std::string row;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i % kTicketsPerRow != 0)
            row += "  ";
        row += ticketText(codes[i], quinella);
        if (i % kTicketsPerRow == kTicketsPerRow - 1 || i + 1 == codes.size()) {
            lines.push_back(row);
            row.clear();
        }
    }
}

std::string header(const char* kind, std::size_t count) {
    return std::string(kind) + " 計" + std::to_string(count) + "点";
}

} // namespace

std::string ticketText(std::string_view code, bool quinella) {
    const std::size_t horses = quinella ? 2 : 3;
    std::string out;
    for (std::size_t i = 0; i < horses && 2 * i + 2 <= code.size(); ++i) {
        if (i > 0)
            out += "-";
        out += data::blankPad2(data::intOf(code.substr(2 * i, 2)));
    }
    return out;
}

BetText betText(const engine::Prediction& prediction, const data::RaceTexts& texts) {
    BetText text;
    text.title = texts.betWindowTitle;
    const engine::TicketLists& t = prediction.tickets;
    if (!engine::hasTickets(t)) {
        text.lines.push_back(kNoBetsText);
        return text;
    }
    text.lines.push_back(header("[馬連]", t.quinella.size()));
    appendTickets(text.lines, t.quinella, true);
    text.lines.emplace_back();
    if (engine::isTrifectaRace(prediction.raceNo)) {
        text.lines.push_back(header("[3連単]", t.trifecta.size()));
        appendTickets(text.lines, t.trifecta, false);
    } else {
        text.lines.push_back(header("[3連複]", t.trio.size()));
        appendTickets(text.lines, t.trio, false);
    }
    return text;
}

std::string betTextFileName(std::string_view title) {
    return data::sjisLeft(title, 7) + ".txt";
}

} // namespace velmar::bets
