// The day-wide run and the day exports over generated race days.

#include "bets/bet_file.h"
#include "bets/day_export.h"
#include "bets/index_file.h"

#include "data/atomic_file.h"
#include "data/race_day.h"
#include "data/sjis.h"
#include "data/text.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace velmar::bets {
namespace {

namespace fs = std::filesystem;

class DayExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        home_ = fs::temp_directory_path() /
                ("velmar-day-export-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(home_);
        fs::create_directories(home_);
        options_.home = home_;
        options_.now = {2026, 12, 13, 0};
    }
    void TearDown() override { fs::remove_all(home_); }

    // A generated day of `races` races with `runners` runners each (0: 8 to 18).
    data::RaceDay generate(int races, int runners, std::uint64_t seed = 1) {
        tools::GenOptions gen;
        gen.races = races;
        gen.runners = runners;
        gen.seed = seed;
        const tools::RaceDay model = tools::generateRaceDay(gen);
        EXPECT_TRUE(tools::writeDayFiles(home_, model, tools::Generation::Vd2).ok());
        EXPECT_TRUE(tools::writeStandardData(home_ / "Data", model, seed).ok());
        data::RaceDay day;
        auto loaded = data::loadRaceDay(home_, day);
        EXPECT_TRUE(loaded.ok() && loaded.value());
        return day;
    }

    std::string contentOf(const fs::path& p) {
        auto r = data::readFile(p);
        return r ? r.value() : std::string("<unreadable>");
    }

    fs::path home_;
    engine::PredictOptions options_;
};

TEST_F(DayExportTest, IndexFileOfThirtySixRacesOfSixteen) {
    const data::RaceDay day = generate(36, 16);
    std::vector<int> gauge;
    DayRunCallbacks callbacks;
    callbacks.progress = [&](int p) { gauge.push_back(p); };
    const fs::path path = home_ / indexFileName(day);
    auto run = exportDayFile(DayExportKind::Index, path, day, 0, options_, callbacks);
    ASSERT_TRUE(run.ok()) << run.error().message;
    EXPECT_FALSE(run->cancelled);
    EXPECT_EQ(run->racesDone, 36);

    const std::string bytes = contentOf(path);
    const auto lines = data::splitLines(bytes);
    ASSERT_EQ(lines.size(), 1u + 576u);
    EXPECT_EQ(lines[0], "QV");
    // Every line ends in CR LF, the last one too, and nothing else breaks lines.
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 577);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\r'), 577);

    // Race 11 (index 10) as its own prediction describes it.
    auto p = engine::predictRace(day, 10, options_);
    ASSERT_TRUE(p.ok());
    std::vector<std::string> expected;
    appendIndexLines(expected, day, 10, *p);
    for (int n = 0; n < 16; ++n)
        EXPECT_EQ(data::sjisToUtf8(lines[1 + 160 + n]), expected[n]);
    const auto fields = data::splitFields(data::sjisToUtf8(lines[1 + 160 + 4]), ',');
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[3], "5");
    EXPECT_EQ(fields[5], p->runners[4].qvIndex ? std::to_string(p->runners[4].qvIndex) : "");

    ASSERT_EQ(gauge.size(), 38u);
    EXPECT_EQ(gauge.front(), 0);
    EXPECT_EQ(gauge[1], 3); // round(1/36*100)
    EXPECT_EQ(gauge[36], 100);
    EXPECT_EQ(gauge.back(), 100);
}

TEST_F(DayExportTest, CancelAfterTheThirdRaceKeepsWhatWasCollected) {
    const data::RaceDay day = generate(36, 16);
    int events = 0;
    std::vector<int> gauge;
    DayRunCallbacks callbacks;
    callbacks.processEvents = [&] { ++events; };
    callbacks.abortRequested = [&] { return events > 3; };
    callbacks.progress = [&](int p) { gauge.push_back(p); };
    const fs::path path = home_ / "qv.idx";
    const int remembered = 20;
    auto run = exportDayFile(DayExportKind::Index, path, day, remembered, options_, callbacks);
    ASSERT_TRUE(run.ok()) << run.error().message;
    EXPECT_TRUE(run->cancelled);
    EXPECT_EQ(run->racesDone, 3);
    EXPECT_EQ(gauge, (std::vector<int>{0, 3, 6, 8}));

    const auto lines = data::splitLines(contentOf(path));
    ASSERT_EQ(lines.size(), 1u + 3u * 16u);
    EXPECT_EQ(lines.back().substr(0, 17), lines[1].substr(0, 12) + "03,16");

    // The remembered race is predicted again, exactly as on its own.
    ASSERT_TRUE(run->remembered.has_value());
    auto again = engine::predictRace(day, remembered, options_);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(run->remembered->raceIndex, remembered);
    EXPECT_EQ(*run->remembered, *again);
}

TEST_F(DayExportTest, MalformedRaceStopsTheRunNamingItAndKeepsTheEarlierFile) {
    data::RaceDay day = generate(12, 10);
    day.raceLines[4].replace(336, 2, "1x"); // RunnerCount of the fifth race
    const fs::path path = home_ / "qv.csv";
    ASSERT_TRUE(writeLinesFile(path, {"earlier"}).ok());
    const std::string before = contentOf(path);

    std::vector<int> stepped;
    auto run = runDayExport(day, 0, options_,
                            [&](const engine::Prediction&, int race) { stepped.push_back(race); });
    ASSERT_FALSE(run.ok());
    const std::string label = day.texts(4).venueLabel + day.texts(4).raceNoText + "R";
    EXPECT_NE(run.error().message.find(label), std::string::npos) << run.error().message;
    EXPECT_EQ(stepped, (std::vector<int>{0, 1, 2, 3}));

    for (DayExportKind kind : {DayExportKind::Index, DayExportKind::Csv, DayExportKind::Bulk}) {
        auto failed = exportDayFile(kind, path, day, 0, options_);
        EXPECT_FALSE(failed.ok());
        EXPECT_EQ(contentOf(path), before);
    }
}

TEST_F(DayExportTest, CsvLinesOfEveryRace) {
    const data::RaceDay day = generate(24, 0, 7);
    auto collected = collectCsvFile(day, 3, options_);
    ASSERT_TRUE(collected.ok()) << collected.error().message;
    ASSERT_EQ(collected->lines.size(), 24u);
    for (int k = 0; k < 24; ++k) {
        const int n = data::intOf(day.texts(k).runnerCountText);
        const auto fields = data::splitFields(collected->lines[k], ',');
        EXPECT_EQ(fields.size(), static_cast<std::size_t>(6 + 3 * n)) << collected->lines[k];
        EXPECT_EQ(fields[4], day.texts(k).raceNoText);
        EXPECT_EQ(fields[3], day.texts(k).venueLabel);
    }
}

TEST_F(DayExportTest, BulkFileHoldsEveryRaceWithBetsInOrder) {
    const data::RaceDay day = generate(36, 0, 3);
    auto collected = collectBulkFile(day, 0, options_);
    ASSERT_TRUE(collected.ok()) << collected.error().message;
    std::vector<std::string> expected;
    int withBets = 0;
    for (int k = 0; k < day.raceCount; ++k) {
        auto p = engine::predictRace(day, k, options_);
        ASSERT_TRUE(p.ok());
        withBets += p->markedHorses[0] != 0;
        appendBetLines(expected, day, k, *p, true, true);
    }
    EXPECT_GT(withBets, 0);
    EXPECT_EQ(collected->lines, expected);
    const auto comments = std::count_if(collected->lines.begin(), collected->lines.end(),
                                        [](const std::string& l) { return l[0] == '\''; });
    EXPECT_EQ(comments, withBets);
}

TEST_F(DayExportTest, BulkFileOfADayWithoutBetsIsEmpty) {
    data::RaceDay day = generate(12, 12);
    // Every race withheld: no race passes the bet gate.
    for (int k = 0; k < day.raceCount; ++k) {
        day.raceLines[k][330] = '1';
        day.raceTexts[k] = data::addRace(day.raceLines[k]);
    }
    const fs::path path = home_ / "qv.kmi";
    ASSERT_TRUE(writeLinesFile(path, {"earlier"}).ok());
    auto run = exportDayFile(DayExportKind::Bulk, path, day, 0, options_);
    ASSERT_TRUE(run.ok()) << run.error().message;
    EXPECT_EQ(contentOf(path), "");
}

} // namespace
} // namespace velmar::bets
