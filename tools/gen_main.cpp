// velmar-gen: writes a generated CNX race day (files or archives) and the
// standard data files of its courses.

#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

using namespace velmar::tools;

namespace {

bool validDate(const std::string& d) {
    if (d.size() != 8)
        return false;
    for (char c : d)
        if (c < '0' || c > '9')
            return false;
    const int month = std::stoi(d.substr(4, 2));
    const int day = std::stoi(d.substr(6, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"CNX の開催日データ（サンプル）を生成します"};
    std::string out = ".";
    std::string genText = "vd2";
    std::string standardDir;
    bool archive = false;
    GenOptions opt;
    app.add_option("--out", out, "出力フォルダ");
    app.add_option("--date", opt.date, "開催日 YYYYMMDD")->capture_default_str();
    app.add_option("--races", opt.races, "レース数 (1-39、12レースごとに1場)")
        ->check(CLI::Range(1, 39))
        ->capture_default_str();
    app.add_option("--runners", opt.runners, "全レースの頭数 (0 は 8-18 頭で変化)")
        ->check(CLI::Range(0, 18))
        ->capture_default_str();
    app.add_option("--gen", genText, "世代 vd2 または vd3")
        ->check(CLI::IsMember({"vd2", "vd3"}))
        ->capture_default_str();
    app.add_option("--seed", opt.seed, "乱数の種")->capture_default_str();
    app.add_flag("--archive", archive, "LZH 書庫（出馬表と予想オッズ）にまとめる");
    app.add_option("--standard-data", standardDir, "基準データ (*.dat) の出力フォルダ");
    CLI11_PARSE(app, argc, argv);

    if (!validDate(opt.date)) {
        std::cerr << "日付が不正です: " << opt.date << " (YYYYMMDD)\n";
        return 2;
    }
    const Generation gen = genText == "vd3" ? Generation::Vd3 : Generation::Vd2;
    const RaceDay day = generateRaceDay(opt);

    if (archive) {
        auto paths = writeDayArchives(out, day, gen);
        if (!paths) {
            std::cerr << paths.error().message << "\n";
            return 1;
        }
        for (const auto& p : *paths)
            std::cout << p.string() << "\n";
    } else {
        if (auto st = writeDayFiles(out, day, gen); !st) {
            std::cerr << st.error().message << "\n";
            return 1;
        }
        std::cout << out << "\n";
    }
    if (!standardDir.empty()) {
        if (auto st = writeStandardData(standardDir, day, opt.seed); !st) {
            std::cerr << st.error().message << "\n";
            return 1;
        }
        std::cout << standardDir << "\n";
    }
    return 0;
}
