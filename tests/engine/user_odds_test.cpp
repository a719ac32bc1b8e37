// User odds mode: typed ranks, the per-day file and the bet refresh.

#include "engine_fixtures.h"

#include "data/atomic_file.h"
#include "data/sjis.h"
#include "engine/user_odds.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    return data::sjisToUtf8(std::string(std::istreambuf_iterator<char>(f), {}));
}

RaceSpec race(const std::string& venue, const std::string& raceNo) {
    RaceSpec r = raceOf({"600", "590", "570", "560", "565", "540"},
                        {"00025", "00040", "00055", "00080", "00120", "00150"});
    r.venue = venue;
    r.raceNo = raceNo;
    return r;
}

} // namespace

TEST(UserOdds, CellsItemsAndRanks) {
    EXPECT_EQ(userOddsItems(3), (std::vector<std::string>{"", "1位", "2位", "3位"}));
    EXPECT_EQ(userOddsCell("12位"), "<BR><P Align=\"center\">12位</p>");
    EXPECT_EQ(userOddsCell(""), "");
    const std::pair<std::string, int32_t> cases[] = {
        {userOddsCell("12位"), 12},
        {userOddsCell("3位"), 3},
        {"<BR><P ALIGN=\"center\">5位</P>", 5},
        {"7位", 0},                             // no paragraph tag
        {"<BR><P Align=\"center\">x位</p>", 0}, // not a number
        {"<BR><P Align=\"center\">4</p>", 0},   // no 位
        {"", 0},
    };
    for (const auto& [cell, rank] : cases)
        EXPECT_EQ(userOddsRankOf(cell), rank) << cell;
}

TEST(UserOdds, IniSections) {
    using L = std::vector<std::string>;
    EXPECT_EQ(setIniValue({}, "中山11R", "OddsRank", "1,2"), (L{"[中山11R]", "OddsRank=1,2"}));
    EXPECT_EQ(setIniValue({"[中山11R]", "OddsRank=3,4", "", "[阪神01R]", "OddsRank=1"}, "中山11R",
                          "OddsRank", "1,2"),
              (L{"[中山11R]", "OddsRank=1,2", "", "[阪神01R]", "OddsRank=1"}));
    EXPECT_EQ(setIniValue({"[a]", "x=1", "", "[b]"}, "A", "oddsrank", "5"),
              (L{"[a]", "x=1", "oddsrank=5", "", "[b]"}));
    EXPECT_EQ(setIniValue({"[a]", "x=1"}, "b", "OddsRank", "5"),
              (L{"[a]", "x=1", "[b]", "OddsRank=5"}));
}

TEST(UserOdds, LastEntryStoresWritesAndRefreshesBets) {
    TempHome home;
    const data::RaceDay day = makeDay({race("05", "11"), race("09", "03")});
    auto predicted = predictRace(day, 0, PredictOptions{});
    ASSERT_TRUE(predicted.ok());
    Prediction p = *predicted;
    const auto marksBefore = p.markedHorses;
    const auto ods = home.path() / "UserOdds" / "20061224.ods";

    // Ranks typed in display order; two runners may share a rank.
    const char* typed[] = {"6位", "5位", "4位", "3位", "1位", "1位"};
    for (size_t row = 0; row + 1 < p.grid.rows.size(); ++row) {
        auto r = changeUserOdds(p, day, row, typed[row], home.path());
        ASSERT_TRUE(r.ok());
        EXPECT_FALSE(*r);
    }
    EXPECT_FALSE(std::filesystem::exists(ods));
    EXPECT_EQ(p.runners[0].oddsRank, 1);
    auto r = changeUserOdds(p, day, 5, typed[5], home.path());
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(*r);
    EXPECT_EQ(p.runners[0].oddsRank, 6);
    EXPECT_EQ(p.runners[5].oddsRank, 1);
    EXPECT_EQ(p.kurai[0][7], "6");
    EXPECT_EQ(p.kurai[4][7], "1");
    EXPECT_EQ(p.grid.rows[4].cells[6].text, "<BR><P Align=\"center\">1位</p>");
    // Indices and marks stay as predicted.
    EXPECT_EQ(p.markedHorses, marksBefore);
    EXPECT_TRUE(p.betPanel.shown);
    EXPECT_EQ(fileText(ods), "[中山11R]\r\nOddsRank=6,5,4,3,1,1\r\n");

    // Clearing one entry stores nothing; editing again overwrites the value,
    // and another race adds its own section.
    ASSERT_TRUE(changeUserOdds(p, day, 0, "", home.path()).ok());
    EXPECT_EQ(p.runners[0].oddsRank, 6);
    ASSERT_TRUE(changeUserOdds(p, day, 0, "2位", home.path()).ok());
    auto other = predictRace(day, 1, PredictOptions{});
    ASSERT_TRUE(other.ok());
    for (size_t row = 0; row < other->grid.rows.size(); ++row)
        ASSERT_TRUE(changeUserOdds(*other, day, row, "1位", home.path()).ok());
    EXPECT_EQ(fileText(ods),
              "[中山11R]\r\nOddsRank=2,5,4,3,1,1\r\n[函館03R]\r\nOddsRank=1,1,1,1,1,1\r\n");
}

TEST(UserOdds, FailedWriteKeepsTheOldFileAndReportsIt) {
    TempHome home;
    const data::RaceDay day = makeDay({race("05", "11")});
    auto p = predictRace(day, 0, PredictOptions{});
    ASSERT_TRUE(p.ok());
    // UserOdds is a file, so the folder cannot be made.
    std::ofstream(home.path() / "UserOdds") << "x";
    Result<bool> r = false;
    for (size_t row = 0; row < p->grid.rows.size(); ++row)
        r = changeUserOdds(*p, day, row, "1位", home.path());
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("UserOdds"), std::string::npos);
    EXPECT_EQ(p->runners[0].oddsRank, 1);
}
