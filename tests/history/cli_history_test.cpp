// velmar-cli gapdata / history / export gapkmi / import, run as the user runs
// them, on generated days in the test's own home.

#include "data/atomic_file.h"
#include "data/race_day.h"
#include "data/sjis.h"
#include "engine/history_line.h"
#include "history/gap_data.h"
#include "history/gap_map.h"
#include "history/history_store.h"
#include "history_fixture.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>

namespace velmar::history {
namespace {

namespace fs = std::filesystem;
using testing::TempHome;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CliHistory : public ::testing::Test {
  protected:
    void SetUp() override {
        tools::GenOptions gen;
        gen.races = 12;
        gen.runners = 16;
        gen.seed = 11;
        model = tools::generateRaceDay(gen);
        ASSERT_TRUE(tools::writeDayFiles(home.path(), model, tools::Generation::Vd2).ok());
        ASSERT_TRUE(tools::writeStandardData(home.path() / "Data", model, 11).ok());
        reload();
    }

    void reload() {
        day = {};
        auto loaded = data::loadRaceDay(home.path(), day);
        ASSERT_TRUE(loaded.ok() && *loaded);
    }

    CliRun cli(const std::string& args) { return cliAt(home.path(), args); }

    CliRun cliAt(const fs::path& at, const std::string& args, const std::string& envPrefix = {}) {
        const char* bin = std::getenv("VELMAR_BIN_DIR");
        const fs::path dir = bin ? fs::path(bin) : fs::read_symlink("/proc/self/exe").parent_path();
        const fs::path err = home.path() / "stderr.txt";
        const std::string cmd = envPrefix + (dir / "velmar-cli").string() + " " + args +
                                " --home '" + at.string() + "' 2>'" + err.string() + "'";
        CliRun r;
        FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe)
            return r;
        std::array<char, 4096> buf{};
        size_t n = 0;
        while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
            r.out.append(buf.data(), n);
        const int st = ::pclose(pipe);
        r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        r.err = testing::readBytes(err);
        return r;
    }

    fs::path gapFile() { return *gapFilePath(home.path(), day); }

    // Horses with stored rows, read with the store itself (then closed, so the
    // next command can open the file).
    std::vector<std::pair<int32_t, std::vector<engine::HistoryRow>>> storedHorses() {
        std::vector<std::pair<int32_t, std::vector<engine::HistoryRow>>> out;
        HistoryStore store;
        HistoryLocation l;
        l.home = home.path();
        EXPECT_TRUE(store.connectHistory(l).ok());
        for (const auto& race : model.races)
            for (const auto& r : race.runners) {
                auto rows = store.fetchHorseHistory(r.horse.horseCode);
                EXPECT_TRUE(rows.ok());
                if (rows.ok() && !rows->empty())
                    out.emplace_back(r.horse.horseCode, *rows);
            }
        EXPECT_TRUE(store.disconnectHistory().ok());
        return out;
    }

    TempHome home{"velmar-cli-history"};
    tools::RaceDay model;
    data::RaceDay day;
};

TEST_F(CliHistory, GapDataThenPredictShowsTheStoredDayUnderThePastRace) {
    CliRun made = cli("gapdata");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(gapFile().string()), std::string::npos) << made.out;
    ASSERT_TRUE(fs::exists(gapFile()));
    const auto stored = storedHorses();
    ASSERT_FALSE(stored.empty());
    int total = 0;
    for (const auto& s : stored)
        total += static_cast<int>(s.second.size());
    EXPECT_NE(made.out.find("履歴 " + std::to_string(total) + " 行"), std::string::npos)
        << made.out;

    // Asking again shows the existing file and stores nothing twice.
    CliRun again = cli("gapdata");
    ASSERT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("作成済み"), std::string::npos);
    EXPECT_EQ(storedHorses().size(), stored.size());

    // history prints the rows of one horse.
    const auto& [code, rows] = stored.front();
    CliRun shown = cli("history --horse " + std::to_string(code));
    ASSERT_EQ(shown.status, 0) << shown.err;
    const std::string expectedRow = std::to_string(rows[0].ymd) + "\t" + rows[0].odds + "\t" +
                                    std::to_string(rows[0].oddsRank) + "\t" +
                                    std::to_string(rows[0].rating) + "\t" +
                                    std::to_string(rows[0].ratingRank) + "\n";
    EXPECT_NE(shown.out.find(expectedRow), std::string::npos) << shown.out;

    // A later day: the stored horse's most recent race is the day just
    // stored. Its past-race cell then carries the history line of that day.
    int raceIndex = -1;
    int horseNo = 0;
    for (size_t k = 0; k < model.races.size() && raceIndex < 0; ++k)
        for (size_t i = 0; i < model.races[k].runners.size(); ++i)
            if (model.races[k].runners[i].horse.horseCode == code) {
                raceIndex = static_cast<int>(k);
                horseNo = static_cast<int>(i) + 1;
            }
    ASSERT_GE(raceIndex, 0);
    {
        auto bytes = data::readFile(home.path() / data::kHorseFileName);
        ASSERT_TRUE(bytes.ok());
        auto lines = data::splitLines(*bytes);
        int first = 0;
        for (int k = 0; k < raceIndex; ++k)
            first += static_cast<int>(model.races[static_cast<size_t>(k)].runners.size());
        std::string& line = lines[static_cast<size_t>(first + horseNo - 1)];
        // Block 1 starts at column 1065; its race date is at offset 13.
        line.replace(1065 - 1 + 12, 8, model.date);
        std::string out;
        for (const auto& l : lines)
            out += l + "\r\n";
        ASSERT_TRUE(data::writeFileAtomic(home.path() / data::kHorseFileName, out).ok());
    }
    CliRun predicted = cli("predict --json --race " + std::to_string(raceIndex));
    ASSERT_EQ(predicted.status, 0) << predicted.err;
    auto j = nlohmann::json::parse(predicted.out);
    const std::string cell = j["cells"][horseNo - 1][5];
    const std::string line = engine::historyLine(rows, model.date);
    ASSERT_FALSE(line.empty());
    EXPECT_NE(cell.find("      " + line), std::string::npos) << cell;
    // Horses never stored have no history line.
    for (size_t h = 0; h < j["cells"].size(); ++h) {
        if (static_cast<int>(h) == horseNo - 1)
            continue;
        const std::string other = j["cells"][h][5];
        EXPECT_EQ(other.find("位"), std::string::npos) << other;
    }
}

TEST_F(CliHistory, GapKmiWritesWinAndPlaceLinesOfTheGapFile) {
    CliRun missing = cli("export gapkmi --out '" + (home.path() / "g.kmi").string() + "'");
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("日のGAPデータがありません。"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(home.path() / "g.kmi"));

    ASSERT_EQ(cli("gapdata").status, 0);
    CliRun written = cli("export gapkmi --out '" + (home.path() / "g.kmi").string() + "'");
    ASSERT_EQ(written.status, 0) << written.err;
    auto bytes = data::readFile(home.path() / "g.kmi");
    ASSERT_TRUE(bytes.ok());
    auto gap = data::readFile(gapFile());
    ASSERT_TRUE(gap.ok());
    const auto gapLines = data::splitLines(*gap);
    const auto kmiLines = data::splitLines(*bytes);
    ASSERT_FALSE(gapLines.empty());
    EXPECT_EQ(kmiLines.size(), 2 * gapLines.size());
    for (const auto& l : kmiLines) {
        EXPECT_EQ(l.size(), 19u);
        EXPECT_EQ(l.substr(2, 8), model.date);
    }
    EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n");
}

TEST_F(CliHistory, OddsOfAnotherDayAreRefusedAndNothingIsWritten) {
    auto bytes = data::readFile(home.path() / data::kOddsFileName);
    ASSERT_TRUE(bytes.ok());
    auto lines = data::splitLines(*bytes);
    std::string out;
    for (auto& l : lines) {
        l.replace(12, 8, "20200101");
        out += l + "\r\n";
    }
    ASSERT_TRUE(data::writeFileAtomic(home.path() / data::kOddsFileName, out).ok());
    reload();
    CliRun r = cli("gapdata");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(kOddsNotSameDayMessage), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(gapFile()));
    EXPECT_FALSE(fs::exists(historyDatabasePath(home.path())));
}

TEST_F(CliHistory, ADatabaseHeldByTheDesktopProgramIsNamedAndTheGapFileStillMade) {
    HistoryStore desktop; // this process stands in for the desktop program
    HistoryLocation l;
    l.home = home.path();
    ASSERT_TRUE(desktop.connectHistory(l).ok());
    CliRun r = cli("gapdata");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(kConnectFailedMessage), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(kDatabaseBusyMessage), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(gapFile()));
    EXPECT_NE(r.out.find("履歴 0 行"), std::string::npos) << r.out;

    CliRun h = cli("history --horse 1");
    EXPECT_NE(h.status, 0);
    EXPECT_NE(h.err.find(kDatabaseBusyMessage), std::string::npos) << h.err;
}

TEST_F(CliHistory, ImportCreatesTheDaysGapDataWhenMissing) {
    TempHome archives{"velmar-cli-archives"};
    auto paths = tools::writeDayArchives(archives.path(), model, tools::Generation::Vd2);
    ASSERT_TRUE(paths.ok());
    TempHome fresh{"velmar-cli-import"};
    fs::copy(home.path() / "Data", fresh.path() / "Data");
    CliRun r = cliAt(fresh.path(), "import '" + paths->front().string() + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path gap = *gapFilePath(fresh.path(), day);
    EXPECT_TRUE(fs::exists(gap));
    EXPECT_NE(r.out.find(gap.string()), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(historyDatabasePath(fresh.path())));
}

TEST_F(CliHistory, AJapaneseHomeWorksWithoutAUtf8Locale) {
    const fs::path jp = home.path() / "競馬データ";
    ASSERT_TRUE(tools::writeDayFiles(jp, model, tools::Generation::Vd2).ok());
    ASSERT_TRUE(tools::writeStandardData(jp / "Data", model, 11).ok());
    // As under cron: no LANG, no LC_ALL.
    CliRun r = cliAt(jp, "gapdata", "env -u LC_ALL -u LANG -u LC_CTYPE ");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(fs::exists(historyDatabasePath(jp)));
    EXPECT_EQ(r.out.find("履歴 0 行"), std::string::npos) << r.out;
}

} // namespace
} // namespace velmar::history
