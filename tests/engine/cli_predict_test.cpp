// velmar-cli predict prints what the core predicts.

#include "engine_fixtures.h"

#include "engine/prediction.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;
namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `velmar-cli predict --home HOME ARGS`; stderr goes to a file in `scratch`.
CliRun cli(const fs::path& scratch, const fs::path& home, const std::string& args) {
    const char* bin = std::getenv("VELMAR_BIN_DIR");
    const fs::path dir = bin ? fs::path(bin) : fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path err = scratch / "stderr.txt";
    const std::string cmd = (dir / "velmar-cli").string() + " predict --home " + home.string() +
                            " " + args + " 2>" + err.string();
    CliRun r;
    FILE* pipe = ::popen(cmd.c_str(), "r");
    if (!pipe)
        return r;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        r.out.append(buf.data(), n);
    const int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream e(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(e), {});
    return r;
}

void writeDay(const fs::path& home, const std::vector<RaceSpec>& races) {
    std::string den1, den2, uma, ods;
    for (const RaceSpec& r : races) {
        den1 += raceLine(r) + "\r\n";
        for (const RunnerSpec& s : r.runners) {
            den2 += entryLine(s) + "\r\n";
            uma += horseLine(s) + "\r\n";
        }
        ods += oddsLine(r) + "\r\n";
    }
    const std::pair<const char*, std::string*> files[] = {{"cnx_den1.vd2", &den1},
                                                          {"cnx_den2.vd2", &den2},
                                                          {"cnx_uma.vd2", &uma},
                                                          {"cnx_ods.vd2", &ods}};
    for (auto [name, bytes] : files)
        std::ofstream(home / name, std::ios::binary) << *bytes;
}

RaceSpec example() {
    RaceSpec r = raceOf({"600", "590", "570", "560", "565", "540", "530", "520"},
                        {"00025", "00040", "00055", "00080", "00120", "00150", "00300", "    /"});
    r.runners[0].past = {PastSpec{}};
    return r;
}

} // namespace

TEST(CliPredict, JsonIsThePrediction) {
    TempHome home;
    writeDay(home.path(), {example()});
    const CliRun run = cli(home.path(), home.path(), "--race 0 --json --sort 9");
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json j = nlohmann::json::parse(run.out);

    data::RaceDay day;
    ASSERT_TRUE(data::loadRaceDay(home.path(), day).ok());
    PredictOptions o;
    o.home = home.path();
    auto p = predictRace(day, 0, o);
    ASSERT_TRUE(p.ok());

    EXPECT_EQ(j["race"], 0);
    EXPECT_EQ(j["pattern"], p->racePattern);
    EXPECT_EQ(j["marks"], nlohmann::json(p->markedHorses));
    EXPECT_EQ(j["gapHorses"], nlohmann::json::array());
    ASSERT_EQ(j["runners"].size(), 8u);
    EXPECT_EQ(j["runners"][7]["oddsText"], "/");
    EXPECT_EQ(j["runners"][1]["name"], "ホース2");
    EXPECT_EQ(j["runners"][3]["rIndex"], p->runners[3].rIndex);
    // Runners and cells in horse-number order whatever the sort.
    for (int h = 1; h <= 8; ++h) {
        EXPECT_EQ(j["runners"][h - 1]["horse"], h);
        EXPECT_EQ(j["cells"][h - 1][1], "<BR><P ALIGN=\"center\">" + std::to_string(h) + "</P>");
    }
    EXPECT_EQ(j["cells"][0][5], p->runners[0].pastRaceCells[0]);
    EXPECT_EQ(j["colors"][0][5], "#D5E9F4");
    EXPECT_EQ(j["colors"][0][4], "#DDDDDD");
    std::vector<std::string> quinella;
    for (const std::string& t : p->tickets.quinella)
        if (t != "000000")
            quinella.push_back(t);
    EXPECT_EQ(j["tickets"]["quinella"], nlohmann::json(quinella));
    EXPECT_EQ(j["tickets"]["trifecta"].size(), 24u); // 11R, pattern 本命: the box
    EXPECT_FALSE(j["betText"].empty());
}

TEST(CliPredict, TablesAndErrors) {
    TempHome home;
    RaceSpec second = example();
    second.raceNo = "12";
    second.runners[4].weight = "5?0";
    writeDay(home.path(), {example(), second});
    CliRun run = cli(home.path(), home.path(), "--race 0");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("パターン: 本命"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("馬連(ボックス) 計6点"), std::string::npos);
    run = cli(home.path(), home.path(), "--all");
    EXPECT_NE(run.status, 0);
    EXPECT_NE(run.out.find("ホース8"), std::string::npos);
    EXPECT_NE(run.err.find("中山12R 5番"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("WeightCarried"), std::string::npos);
    run = cli(home.path(), home.path() / "missing", "--race 0");
    EXPECT_NE(run.status, 0);
    EXPECT_FALSE(run.err.empty());
}
