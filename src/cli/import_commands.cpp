// Importing a CNX archive into the Velmar home.

#include "cli/commands.h"
#include "data/import.h"
#include "data/race_day.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace velmar::cli {

namespace {

void runImport(const std::string& archiveOption, const std::string& homeOption) {
    const std::filesystem::path home = resolveHome(homeOption);
    std::error_code ec;
    std::filesystem::create_directories(home / "Gap", ec);
    if (ec) {
        fail("ホームフォルダを作成できません: " + home.string() + " (" + ec.message() + ")");
        return;
    }
    data::RaceDay day;
    data::ImportHooks hooks;
    hooks.createGapData = [&home](const std::filesystem::path& gapFile, const data::RaceDay& d) {
        return createGapDataForImport(home, gapFile, d);
    };
    auto result = data::importArchive(home, std::filesystem::absolute(archiveOption), day, hooks);
    if (!result.ok()) {
        fail(*result.message);
        return;
    }
    std::cout << day.raceCount << " レースを取り込みました";
    if (result.companion)
        std::cout << "（予想オッズ: " << result.companion->filename().string() << "）";
    std::cout << std::endl;
}

} // namespace

void registerImportCommands(CLI::App& app) {
    auto archive = std::make_shared<std::string>();
    auto home = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand(
        "import", "CNX データの書庫ファイル (LZH) をホームフォルダに取り込みます");
    cmd->add_option("ARCHIVE", *archive, "書庫ファイル (.lzh)")->required();
    cmd->add_option("--home", *home, "Velmar のホームフォルダ（開催日データの置き場所）");
    cmd->callback([archive, home] { runImport(*archive, *home); });
}

} // namespace velmar::cli
