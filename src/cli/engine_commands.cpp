// velmar-cli predict: one race (or every race) of the loaded day, as the main
// window shows it, for the terminal or as JSON.

#include "bets/bet_text.h"
#include "cli/commands.h"
#include "data/race_day.h"
#include "data/text.h"
#include "engine/prediction.h"
#include "engine/running_style.h"
#include "history/history_store.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <ctime>
#include <iostream>
#include <memory>

namespace velmar::cli {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

struct PredictArgs {
    std::string home;
    int race = 0;
    bool json = false;
    bool all = false;
    int sortCode = 1;
};

// The runner order of the JSON: horse-number order, whatever the grid's sort.
const engine::GridRow* rowOf(const engine::Prediction& p, int32_t horse) {
    for (const engine::GridRow& r : p.grid.rows)
        if (r.horse == horse)
            return &r;
    return nullptr;
}

json predictionJson(const engine::Prediction& p, const data::RaceTexts& texts) {
    json runners = json::array(), cells = json::array(), colors = json::array();
    for (size_t i = 0; i < p.runners.size(); ++i) {
        const engine::TBachu& r = p.runners[i];
        const int32_t h = static_cast<int32_t>(i + 1);
        runners.push_back({{"horse", h},
                           {"name", r.horseName},
                           {"rating", r.rating},
                           {"ratingRank", r.ratingRank},
                           {"oddsRank", r.oddsRank},
                           {"oddsText", r.oddsText},
                           {"rIndex", r.rIndex},
                           {"oIndex", r.oIndex},
                           {"qvIndex", r.qvIndex},
                           {"runningStyle", r.runningStyle},
                           {"distanceChange", r.distanceChange}});
        json rowCells = json::array(), rowColors = json::array();
        if (const engine::GridRow* row = rowOf(p, h)) {
            for (const engine::GridCell& c : row->cells) {
                rowCells.push_back(c.text);
                rowColors.push_back(c.background);
            }
        }
        cells.push_back(rowCells);
        colors.push_back(rowColors);
    }
    json gaps = json::array();
    for (const std::string& g : p.gapHorses)
        if (!g.empty())
            gaps.push_back(g);
    auto tickets = [](const std::vector<std::string>& list) {
        json out = json::array();
        for (const std::string& t : list)
            if (t != engine::kNoTicket)
                out.push_back(t);
        return out;
    };
    return {{"race", p.raceIndex},
            {"pattern", p.racePattern},
            {"hasRatings", p.hasRatings},
            {"hasOdds", p.hasOdds},
            {"favouritesRated", p.favouritesRated},
            {"quinellaFlow", p.quinellaFlow},
            {"trifectaFlow", p.trifectaFlow},
            {"trioFlow", p.trioFlow},
            {"marks", p.markedHorses},
            {"gapHorses", gaps},
            {"runners", runners},
            {"tickets",
             {{"quinella", tickets(p.tickets.quinella)},
              {"trio", tickets(p.tickets.trio)},
              {"trifecta", tickets(p.tickets.trifecta)}}},
            {"betText", bets::betText(p, texts).lines},
            {"cells", cells},
            {"colors", colors}};
}

std::string markOf(const engine::Prediction& p, int32_t horse) {
    for (int u = 0; u < 6; ++u)
        if (p.markedHorses[u] == horse && horse != 0)
            return engine::markSymbol(u + 1);
    return "";
}

// The race as the user reads it in a terminal: titles, pattern, one line per
// runner in the grid's order, the bet panel.
void printTable(std::ostream& out, const engine::Prediction& p) {
    using data::padLeft;
    using data::padRight;
    out << p.titleText1 << "\n" << p.titleText2 << "\n";
    out << "パターン: " << (p.patternText.empty() ? std::string("-") : p.patternText) << "\n";
    out << padLeft("馬", 3) << " " << padRight("馬名", 20) << padLeft("Rate", 6)
        << padLeft("R順位", 6) << padLeft("R", 4) << padLeft("オッズ", 8) << padLeft("O順位", 6)
        << padLeft("O", 4) << padLeft("QV", 5) << padLeft("印", 4) << "  脚質  距離\n";
    for (const engine::GridRow& row : p.grid.rows) {
        if (row.horse < 1 || row.horse > static_cast<int32_t>(p.runners.size()))
            continue;
        const engine::TBachu& r = p.runners[row.horse - 1];
        const bool shown = p.hasRatings && p.hasOdds;
        const std::string rate = r.rating ? data::format01(r.rating / 10.0) : "-";
        out << padLeft(std::to_string(row.horse), 3) << " " << padRight(r.horseName, 20)
            << padLeft(rate, 6) << padLeft(std::to_string(r.ratingRank), 6)
            << padLeft(shown ? std::to_string(r.rIndex) : "", 4)
            << padLeft(r.oddsText == "/" ? "取消" : r.oddsText, 8)
            << padLeft(std::to_string(r.oddsRank), 6)
            << padLeft(shown ? std::to_string(r.oIndex) : "", 4)
            << padLeft(shown ? std::to_string(r.qvIndex) : "", 5)
            << padLeft(markOf(p, row.horse), 4) << "  " << padRight(r.runningStyle, 6)
            << r.distanceChange << "\n";
    }
    if (!p.betPanel.shown) {
        out << bets::kNoBetsText << "\n\n";
        return;
    }
    for (const engine::BetPanelGroup* g :
         {&p.betPanel.quinella, &p.betPanel.trio, &p.betPanel.trifecta}) {
        if (!g->visible)
            continue;
        out << g->title << "  " << g->line1;
        if (!g->line2.empty())
            out << "  " << g->line2;
        out << "\n";
    }
    for (const std::string& gap : p.gapHorses)
        if (!gap.empty())
            out << "GAP馬: " << gap << "\n";
    out << "\n";
}

void runPredict(const PredictArgs& args) {
    const fs::path home = resolveHome(args.home);
    auto loaded = loadDay(home);
    if (!loaded) {
        fail(loaded.error().message);
        return;
    }
    const data::RaceDay& day = *loaded;

    engine::PredictOptions options = predictOptionsFor(home);
    options.sortCode = args.sortCode;
    // The history only when the home already has one: predicting never creates it.
    auto store = std::make_unique<history::HistoryStore>();
    std::error_code ec;
    if (fs::exists(history::historyDatabasePath(home), ec)) {
        if (Status s = store->connectHistory({home, {}}); !s)
            std::cerr << s.error().message << std::endl;
        else
            options.history = store->supplier();
    }

    const int first = args.all ? 0 : args.race;
    const int last = args.all ? day.raceCount - 1 : args.race;
    for (int k = first; k <= last; ++k) {
        auto p = engine::predictRace(day, k, options);
        if (!p) {
            fail(p.error().message);
            break;
        }
        for (const std::string& m : p->messages)
            std::cerr << m << std::endl;
        if (args.json && !args.all)
            std::cout << predictionJson(*p, day.texts(k)).dump(2) << std::endl;
        else
            printTable(std::cout, *p);
    }
    if (store->connected())
        (void)store->disconnectHistory();
}

} // namespace

void registerEngineCommands(CLI::App& app) {
    auto args = std::make_shared<PredictArgs>();
    CLI::App* cmd = app.add_subcommand("predict", "レースを予想して表示する");
    cmd->add_option("--home", args->home, "Velmarのホームフォルダ");
    cmd->add_option("--race", args->race, "レース（0から数える）");
    cmd->add_flag("--json", args->json, "JSONで出力する");
    cmd->add_flag("--all", args->all, "その日の全レースを表で出力する");
    cmd->add_option("--sort", args->sortCode, "並び順のコード（1: 馬番）")
        ->check(CLI::IsMember({0, 1, 2, 6, 7, 8, 9, 10, 11, 66, 88}));
    cmd->callback([args] { runPredict(*args); });
}

} // namespace velmar::cli
