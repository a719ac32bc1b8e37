// velmar-cli export: the files the desktop program's export commands write.

#include "bets/bet_file.h"
#include "bets/bet_text.h"
#include "bets/day_export.h"
#include "cli/commands.h"
#include "data/race_day.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <ctime>
#include <iostream>
#include <memory>

namespace velmar::cli {

namespace fs = std::filesystem;

namespace {

struct ExportArgs {
    std::string home;
    std::string out;
    int race = 0;
};

fs::path outPath(const std::string& out, const std::string& defaultName) {
    return out.empty() ? fs::path(defaultName) : fs::path(out);
}

void runDayExportCommand(bets::DayExportKind kind, const ExportArgs& args) {
    const fs::path home = resolveHome(args.home);
    auto day = loadDay(home);
    if (!day) {
        fail(day.error().message);
        return;
    }
    std::string name;
    switch (kind) {
    case bets::DayExportKind::Index:
        name = bets::indexFileName(*day);
        break;
    case bets::DayExportKind::Csv:
        name = bets::csvFileName(*day);
        break;
    case bets::DayExportKind::Bulk:
        name = bets::bulkFileName(*day);
        break;
    }
    const fs::path path = outPath(args.out, name);
    // The desktop program remembers the race it shows; the command line shows
    // none, so race 0 stands in (the file does not depend on it).
    auto run = bets::exportDayFile(kind, path, *day, 0, predictOptionsFor(home));
    if (!run) {
        fail(run.error().message);
        return;
    }
    std::cout << path.string() << std::endl;
}

void runBetFileCommand(const ExportArgs& args) {
    const fs::path home = resolveHome(args.home);
    auto day = loadDay(home);
    if (!day) {
        fail(day.error().message);
        return;
    }
    if (args.race < 0 || args.race >= day->raceCount) {
        fail("レース番号 " + std::to_string(args.race) + " はこの開催日にありません（0〜" +
             std::to_string(day->raceCount - 1) + "）。");
        return;
    }
    auto prediction = engine::predictRace(*day, args.race, predictOptionsFor(home));
    if (!prediction) {
        fail(prediction.error().message);
        return;
    }
    const fs::path path = outPath(args.out, bets::kBetFileName);
    auto written = bets::writeLinesFile(path, bets::betFileLines(*day, args.race, *prediction));
    if (!written) {
        fail(written.error().message);
        return;
    }
    std::cout << path.string() << std::endl;
}

} // namespace

void registerExportCommands(CLI::App& app) {
    CLI::App* exp = app.add_subcommand("export", "出力ファイル（外部指数・CSV・買い目）を書き出す");
    exp->require_subcommand(1);

    struct Day {
        const char* name;
        const char* description;
        bets::DayExportKind kind;
    };
    for (const Day& d : {
             Day{"idx", "CorvaneVantage用外部指数ファイル（全レース）", bets::DayExportKind::Index},
             Day{"csv", "CSVファイル（全レース）", bets::DayExportKind::Csv},
             Day{"bulk", "Brimfast!用買い目一括ファイル（全レース）", bets::DayExportKind::Bulk},
         }) {
        auto args = std::make_shared<ExportArgs>();
        CLI::App* sub = exp->add_subcommand(d.name, d.description);
        sub->add_option("--home", args->home, "Velmarのホームフォルダ");
        sub->add_option("--out", args->out,
                        "出力ファイル（省略時は既定の名前でカレントフォルダへ）");
        const bets::DayExportKind kind = d.kind;
        sub->callback([args, kind] { runDayExportCommand(kind, *args); });
    }

    auto args = std::make_shared<ExportArgs>();
    CLI::App* kmi = exp->add_subcommand("kmi", "CorvaneVantage用買い目ファイル（1レース）");
    kmi->add_option("--home", args->home, "Velmarのホームフォルダ");
    kmi->add_option("--race", args->race, "レース（0から数える順番）")->required();
    kmi->add_option("--out", args->out, "出力ファイル（省略時は kaime.kmi）");
    kmi->callback([args] { runBetFileCommand(*args); });
}

} // namespace velmar::cli
