// Lines of the bet, index, CSV and bulk files, and how they reach the disk.

#include "bets/bet_file.h"
#include "bets/csv_file.h"
#include "bets/day_export.h"
#include "bets/index_file.h"

#include "bets_fixture.h"
#include "data/atomic_file.h"
#include "data/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace velmar::bets {
namespace {

namespace fs = std::filesystem;
using test::dayOf;
using test::predictionOf;
using test::raceLine;

std::size_t countType(const std::vector<std::string>& lines, char type) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.size() == 19 && l[12] == type; });
}

// Tokyo, 2009-06-07, races 1 to 12.
data::RaceDay tokyoDay() {
    std::vector<std::string> lines;
    for (int r = 1; r <= 12; ++r)
        lines.push_back(raceLine("04", r, "20090607", 16));
    return dayOf(lines);
}

TEST(BetFile, HonmeiAt11RGivesQuinellaTrioTrifectaLines) {
    const auto day = tokyoDay();
    const auto p = predictionOf(10, 11, {5, 12, 3, 7, 1, 15}, 1);
    std::vector<std::string> lines;
    appendBetLines(lines, day, 10, p, false, false);
    ASSERT_EQ(lines.size(), 34u);
    EXPECT_EQ(countType(lines, '3'), 6u);
    EXPECT_EQ(countType(lines, '6'), 4u);
    EXPECT_EQ(countType(lines, '7'), 24u);
    // Quinella 5-12, trio 3-5-12, trifecta 12-3-5 in the file's format.
    EXPECT_EQ(lines[0], "0420090607113051200");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0420090607116030512"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0420090607117120305"), lines.end());
    for (const auto& l : lines)
        EXPECT_EQ(l.size(), 19u) << l;
    EXPECT_EQ(betFileLines(day, 10, p), lines);
}

TEST(BetFile, EighthRaceWritesNoTrifectaEvenWithTrifectaEntries) {
    const auto day = tokyoDay();
    auto p = predictionOf(7, 8, {5, 12, 3, 7, 1, 15}, 1);
    // Whatever the list holds, a race before 9R has no trifecta lines.
    p.tickets.trifecta = engine::buildTicketLists(p.markedHorses, 1, false, false, 11).trifecta;
    std::vector<std::string> lines;
    appendBetLines(lines, day, 7, p, false, false);
    EXPECT_EQ(lines.size(), 10u);
    EXPECT_EQ(countType(lines, '7'), 0u);
    EXPECT_EQ(lines[0].substr(0, 12), "042009060708");
}

TEST(BetFile, NoBetsNoLinesAtAll) {
    const auto day = tokyoDay();
    const auto p = predictionOf(10, 11, {0, 0, 0, 0, 0, 0}, 2);
    std::vector<std::string> lines;
    appendBetLines(lines, day, 10, p, true, true);
    EXPECT_TRUE(lines.empty());

    // ◎ alone (one runner): no comment line, no gap tickets either.
    auto alone = predictionOf(10, 11, {1, 0, 0, 0, 0, 0}, 1, false, false, 1);
    alone.gapHorses[0] = " 1 ウマ1";
    appendBetLines(lines, day, 10, alone, true, true);
    EXPECT_TRUE(lines.empty());
}

TEST(BetFile, GapHorsesAndRankCommentOfTheBulkFile) {
    const auto day = tokyoDay();
    auto p = predictionOf(9, 10, {12, 3, 7, 1, 15, 9}, 1);
    p.gapHorses = {" 5 ウマ5", "", "11 ウマ11", ""}; // stops at the first empty entry
    std::vector<std::string> lines;
    appendBetLines(lines, day, 9, p, true, true);
    ASSERT_EQ(lines.size(), 37u); // 1 + 2 + 6 + 4 + 24
    EXPECT_EQ(lines[0], "'rank=12,3,7,1,15,9");
    EXPECT_EQ(lines[1], "0420090607100050000");
    EXPECT_EQ(lines[2], "0420090607101050000"); // place ticket on horse 5 ends in 1050000
    EXPECT_EQ(lines[3], "0420090607103031200");
}

TEST(BetFile, RankCommentStopsAtTheFirstEmptyMark) {
    EXPECT_EQ(rankComment({12, 3, 7, 1, 15, 9}), "'rank=12,3,7,1,15,9");
    EXPECT_EQ(rankComment({5, 2, 3, 0, 0, 0}), "'rank=5,2,3");
    EXPECT_EQ(rankComment({5, 2, 0, 4, 0, 0}), "'rank=5,2");
}

TEST(BetFile, ShortFieldWritesNoHorseZero) {
    const auto day = tokyoDay();
    const auto p = predictionOf(10, 11, {3, 1, 2, 4, 5, 0}, 2, true, true, 5);
    std::vector<std::string> lines;
    appendBetLines(lines, day, 10, p, false, false);
    EXPECT_EQ(lines.size(), 4u + 6u + 12u);
    for (const auto& l : lines) {
        const int horses = l[12] == '3' ? 2 : 3; // a quinella code ends in "00"
        for (int i = 0; i < horses; ++i) {
            EXPECT_NE(l.substr(13 + 2 * i, 2), "00") << l;
        }
    }
}

TEST(IndexFile, OneLinePerRunnerWithEmptyQvWhenZero) {
    const auto day = tokyoDay();
    auto p = predictionOf(10, 11, {12, 3, 7, 1, 15, 9}, 1);
    p.runners[4].horseName = "ディープ,インパクト"; // written unchanged, no quoting
    p.runners[4].qvIndex = 104;
    p.runners[6].qvIndex = 0;
    std::vector<std::string> lines{kIndexFileHead};
    appendIndexLines(lines, day, 10, p);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[0], "QV");
    EXPECT_EQ(lines[1], "04,20090607,11,1,ウマ1,41");
    EXPECT_EQ(lines[5], "04,20090607,11,5,ディープ,インパクト,104");
    EXPECT_EQ(lines[7], "04,20090607,11,7,ウマ7,");
    EXPECT_EQ(lines[16], "04,20090607,11,16,ウマ16,56");
}

TEST(CsvFile, RaceFieldsThenThreeFieldsPerRunner) {
    const auto day = tokyoDay();
    auto p = predictionOf(10, 11, {12, 3, 7, 1, 15, 9}, 1);
    p.runners[0].oddsText = "/";
    p.runners[0].rating = 0;
    p.runners[1].rating = 612;
    p.runners[2].rating = 5;
    std::vector<std::string> lines;
    appendCsvLine(lines, day, 10, p);
    ASSERT_EQ(lines.size(), 1u);
    const auto fields = data::splitFields(lines[0], ',');
    ASSERT_EQ(fields.size(), 54u);
    EXPECT_EQ(std::vector<std::string>(fields.begin(), fields.begin() + 6),
              (std::vector<std::string>{"2009", "06", "07", "東京", "11", "16"}));
    EXPECT_EQ(std::vector<std::string>(fields.begin() + 6, fields.begin() + 12),
              (std::vector<std::string>{"ウマ1", "/", "0.0", "ウマ2", "2.5", "61.2"}));
    EXPECT_EQ(fields[14], "0.5");
    EXPECT_EQ(fields[51], "ウマ16");
    EXPECT_EQ(fields[53], "51.6");
}

TEST(CsvFile, FieldCountFollowsTheRunnerCountOfTheRaceLine) {
    const auto day = dayOf({raceLine("05", 1, "20091227", 9)});
    std::vector<std::string> lines;
    appendCsvLine(lines, day, 0, predictionOf(0, 1, {1, 2, 3, 4, 5, 6}, 1, false, false, 9));
    const auto fields = data::splitFields(lines[0], ',');
    EXPECT_EQ(fields.size(), 6u + 27u);
    EXPECT_EQ(fields[3], "中山");
    EXPECT_EQ(fields[5], "9");
}

TEST(DayFileNames, QvAndTheDateOfTheFirstRace) {
    const auto day = dayOf({raceLine("04", 1, "20090607", 16), raceLine("08", 1, "20090608", 16)});
    EXPECT_EQ(indexFileName(day), "qv090607.idx");
    EXPECT_EQ(csvFileName(day), "qv090607.csv");
    EXPECT_EQ(bulkFileName(day), "qv090607.kmi");
    EXPECT_EQ(std::string(kBetFileName), "kaime.kmi");
}

class WriteFile : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velmar-bets-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    static std::string contentOf(const fs::path& p) {
        auto r = data::readFile(p);
        return r ? r.value() : std::string("<unreadable>");
    }
    fs::path dir_;
};

TEST_F(WriteFile, Cp932WithCrLfAfterEveryLineIncludingTheLast) {
    const fs::path target = dir_ / "qv090607.idx";
    ASSERT_TRUE(writeLinesFile(target, {"QV", "04,20090607,11,1,アイ,104", ""}).ok());
    EXPECT_EQ(contentOf(target),
              std::string("QV\r\n04,20090607,11,1,\x83\x41\x83\x43,104\r\n\r\n"));

    // No lines (a bulk file without bets): an empty file.
    ASSERT_TRUE(writeLinesFile(target, {}).ok());
    EXPECT_EQ(contentOf(target), "");
}

TEST_F(WriteFile, FailedWriteKeepsTheEarlierFile) {
    const fs::path target = dir_ / "kaime.kmi";
    ASSERT_TRUE(writeLinesFile(target, {"0420090607113051200"}).ok());
    const std::string before = contentOf(target);

    // The file size limit makes the write itself fail, whoever runs the test.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto result = writeLinesFile(target, std::vector<std::string>(50, "0420090607113051200"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error().message.find("kaime.kmi"), std::string::npos);
    EXPECT_EQ(contentOf(target), before);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(WriteFile, MissingFolderIsAnErrorNotACrash) {
    const auto result = writeLinesFile(dir_ / "no-such-folder" / "qv.idx", {"QV"});
    EXPECT_FALSE(result.ok());
}

} // namespace
} // namespace velmar::bets
