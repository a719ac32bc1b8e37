// velmar-cli gapdata, export gapkmi, history: the day's gap data with its
// history rows, the bulk win/place bet file of the gap horses, and the stored
// history of one horse.

#include "bets/day_export.h"
#include "cli/commands.h"
#include "data/race_day.h"
#include "history/gap_data.h"
#include "history/gap_map.h"
#include "history/history_store.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <sstream>

namespace velmar::cli {

namespace fs = std::filesystem;

namespace {

struct HistoryArgs {
    std::string home;
    std::string db; // server location "host:path"; empty: Data/QV.FDB of the home
    std::string out;
    int horse = 0;
    bool force = false;
};

void addDbOption(CLI::App* cmd, HistoryArgs& args) {
    cmd->add_option("--db", args.db,
                    "履歴データベースのサーバー上の場所（例 server:/srv/velmar/QV.FDB）。"
                    "省略時は VELMAR_HISTORY_DB、それもなければホームの Data/QV.FDB");
}

history::HistoryLocation locationOf(const fs::path& home, const std::string& dbOption) {
    history::HistoryLocation l;
    l.home = home;
    l.server = dbOption;
    if (l.server.empty())
        if (const char* env = std::getenv("VELMAR_HISTORY_DB"); env && *env)
            l.server = env;
    if (const char* pw = std::getenv("VELMAR_HISTORY_PASSWORD"); pw && *pw)
        l.password = pw;
    return l;
}

// Creates the gap data into `gapFile` with the history of `location`. The
// history is optional, as in the desktop program: a refused connection is
// reported and the gap file is still made.
Result<history::GapDataResult> runCreate(const fs::path& home, const fs::path& gapFile,
                                         const data::RaceDay& day,
                                         const history::HistoryLocation& location) {
    history::HistoryStore store;
    if (Status s = store.connectHistory(location); !s)
        std::cerr << s.error().message << std::endl;
    // The command line shows no race afterwards, so none is predicted again.
    auto result = history::createGapData(day, gapFile, -1, predictOptionsFor(home), &store);
    if (store.connected())
        if (Status s = store.disconnectHistory(); !s)
            std::cerr << s.error().message << std::endl;
    return result;
}

void printCreated(const fs::path& gapFile, const history::GapDataResult& r) {
    std::cout << gapFile.string() << "\n"
              << "GAP馬 " << r.gapLines << " 頭、履歴 " << r.rowsStored << " 行を保存しました";
    if (r.rowsFailed > 0)
        std::cout << "（保存できなかった行 " << r.rowsFailed << "）";
    std::cout << std::endl;
}

void runGapData(const HistoryArgs& args) {
    const fs::path home = resolveHome(args.home);
    auto day = loadDay(home);
    if (!day) {
        fail(day.error().message);
        return;
    }
    auto gapFile = history::gapFilePath(home, *day);
    if (!gapFile) {
        fail(gapFile.error().message);
        return;
    }
    if (!data::oddsOfSameDay(*day)) {
        fail(history::kOddsNotSameDayMessage);
        return;
    }
    // The desktop command shows an existing file without computing it again.
    std::error_code ec;
    if (!args.force && fs::exists(*gapFile, ec)) {
        std::cout << gapFile->string() << "\n"
                  << "GAPデータは作成済みです（作り直すには --force）" << std::endl;
        return;
    }
    auto r = runCreate(home, *gapFile, *day, locationOf(home, args.db));
    if (!r) {
        fail(r.error().message);
        return;
    }
    printCreated(*gapFile, *r);
}

void runGapKmi(const HistoryArgs& args) {
    const fs::path home = resolveHome(args.home);
    auto day = loadDay(home);
    if (!day) {
        fail(day.error().message);
        return;
    }
    auto gapFile = history::gapFilePath(home, *day);
    if (!gapFile) {
        fail(gapFile.error().message);
        return;
    }
    std::error_code ec;
    if (!fs::exists(*gapFile, ec)) {
        // The first line of the desktop program's question, without the question.
        std::string q = history::gapDataQuestion(*day);
        fail(q.substr(0, q.find("\r\n")) + "（velmar-cli gapdata で作成できます）");
        return;
    }
    auto map = history::loadGapMap(*gapFile, *day);
    if (!map) {
        fail(map.error().message);
        return;
    }
    const history::GapBetLines bets = history::gapBetLines(*map);
    const fs::path out =
        args.out.empty() ? fs::path(history::gapBetFileName(*map)) : fs::path(args.out);
    if (Status s = bets::writeLinesFile(out, bets.lines); !s) {
        fail(s.error().message);
        return;
    }
    if (bets.skippedRows > 0) {
        std::ostringstream why;
        why << "買い目にしなかった行が " << bets.skippedRows << " 行あります";
        if (!bets.skippedVenues.empty()) {
            why << "（中央競馬以外の開催場: ";
            for (size_t i = 0; i < bets.skippedVenues.size(); ++i)
                why << (i ? "、" : "") << bets.skippedVenues[i];
            why << "）";
        }
        std::cerr << why.str() << std::endl;
    }
    std::cout << out.string() << std::endl;
}

void runHistory(const HistoryArgs& args) {
    const fs::path home = resolveHome(args.home);
    history::HistoryStore store;
    const auto location = locationOf(home, args.db);
    std::error_code ec;
    // Looking at the history never creates it.
    if (location.server.empty() && !fs::exists(history::historyDatabasePath(home), ec)) {
        fail(std::string(history::kConnectFailedMessage) + "\n" +
             "履歴データベースがありません: " + history::historyDatabasePath(home).string());
        return;
    }
    if (Status s = store.connectHistory(location); !s) {
        fail(s.error().message);
        return;
    }
    auto rows = store.fetchHorseHistory(args.horse);
    if (!rows) {
        fail(rows.error().message);
        (void)store.disconnectHistory();
        return;
    }
    std::cout << "YMD\tODDS\tO_RANK\tRATING\tR_RANK\n";
    for (const auto& r : *rows)
        std::cout << r.ymd << '\t' << r.odds << '\t' << r.oddsRank << '\t' << r.rating << '\t'
                  << r.ratingRank << '\n';
    std::cout.flush();
    if (Status s = store.disconnectHistory(); !s)
        fail(s.error().message);
}

} // namespace

Status createGapDataForImport(const fs::path& home, const fs::path& gapFile,
                              const data::RaceDay& day) {
    // Odds of another day: the import goes on without gap data, as it does in
    // the desktop program.
    if (!data::oddsOfSameDay(day))
        return okStatus();
    auto r = runCreate(home, gapFile, day, locationOf(home, {}));
    if (!r)
        return r.error();
    printCreated(gapFile, *r);
    return okStatus();
}

void registerHistoryCommands(CLI::App& app) {
    {
        auto args = std::make_shared<HistoryArgs>();
        CLI::App* cmd = app.add_subcommand(
            "gapdata", "開催日の単勝GAPデータを作成し、各レースの出走馬を履歴に保存する");
        cmd->add_option("--home", args->home, "Velmarのホームフォルダ");
        cmd->add_flag("--force", args->force, "GAPデータが作成済みでも作り直す");
        addDbOption(cmd, *args);
        cmd->callback([args] { runGapData(*args); });
    }
    {
        auto args = std::make_shared<HistoryArgs>();
        CLI::App* cmd =
            app.add_subcommand("history", "1頭の履歴（予想時のオッズと評価）を表示する");
        cmd->add_option("--home", args->home, "Velmarのホームフォルダ");
        cmd->add_option("--horse", args->horse, "馬コード")->required();
        addDbOption(cmd, *args);
        cmd->callback([args] { runHistory(*args); });
    }
    // "export gapkmi" joins the export group when it is there.
    CLI::App* exp = nullptr;
    try {
        exp = app.get_subcommand("export");
    } catch (const CLI::OptionNotFound&) {
        exp = app.add_subcommand("export", "出力ファイルを書き出す");
        exp->require_subcommand(1);
    }
    auto args = std::make_shared<HistoryArgs>();
    CLI::App* cmd =
        exp->add_subcommand("gapkmi", "単勝GAPホースの買い目ファイル（単勝・複勝）を一括出力");
    cmd->add_option("--home", args->home, "Velmarのホームフォルダ");
    cmd->add_option("--out", args->out, "出力ファイル（省略時は gapYYMMDD.kmi）");
    cmd->callback([args] { runGapKmi(*args); });
}

} // namespace velmar::cli
