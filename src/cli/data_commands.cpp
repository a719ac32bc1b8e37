// Commands over the loaded race day.

#include "cli/commands.h"
#include "data/race_day.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

namespace velmar::cli {

namespace {

// One line per race: index, menu caption, the two title lines. Written in one
// piece with stdio: this is the path scripts call for every day.
void printRaces(const std::string& homeOption) {
    const std::filesystem::path home = resolveHome(homeOption);
    data::RaceDay day;
    auto loaded = data::loadRaceList(home, day);
    if (!loaded) {
        fail(loaded.error().message);
        return;
    }
    if (!*loaded) {
        fail("レースデータがありません（" + home.string() + " に " + data::kRaceFileName + "、" +
             data::kEntryFileName + "、" + data::kHorseFileName + " が揃っていません）。");
        return;
    }
    std::string out;
    out.reserve(static_cast<size_t>(day.raceCount) * 256);
    for (int k = 0; k < day.raceCount; ++k) {
        const data::RaceTexts& t = day.texts(k);
        out += std::to_string(k);
        out += '\t';
        out += t.menuCaption;
        out += '\t';
        out += t.titleText1;
        out += '\t';
        out += t.titleText2;
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

} // namespace

void registerDataCommands(CLI::App& app) {
    auto home = std::make_shared<std::string>();
    CLI::App* races = app.add_subcommand(
        "races", "開催日のレース一覧（番号、メニュー表示、タイトル2行）を表示します");
    races->add_option("--home", *home, "Velmar のホームフォルダ（開催日データの置き場所）");
    races->callback([home] { printRaces(*home); });
}

} // namespace velmar::cli
