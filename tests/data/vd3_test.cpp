#include "data/race_day.h"
#include "data/vd3.h"
#include "day_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmar::data;
using velmar::testing::crlfJoin;
using velmar::testing::LineBuilder;
using velmar::testing::raceLine;
using velmar::testing::RaceSpec;
using velmar::testing::TempDir;

namespace {

// A line whose every column tells where it came from: printable bytes from a
// sequence that does not repeat within 94 * 94 columns, read in pairs.
std::string markedLine(int width) {
    std::string s(static_cast<size_t>(width), ' ');
    for (int i = 0; i < width; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>('!' + (i * 7 + i / 94) % 94);
    return s;
}

// Column of the ".vd3" line that ends up at `col` of the ".vd2" line, per
// range: {first output column, first input column, count}.
struct Move {
    int out, in, count;
};

// `inserted` counts output columns that come from no input column.
void expectMoves(Vd3Kind kind, int inWidth, int outWidth, std::initializer_list<Move> moves,
                 int inserted = 0) {
    std::string in = markedLine(inWidth);
    std::string out = convertVd3Line(kind, in);
    ASSERT_EQ(out.size(), static_cast<size_t>(outWidth));
    int covered = 0;
    for (const Move& m : moves) {
        for (int i = 0; i < m.count; ++i)
            ASSERT_EQ(out[static_cast<size_t>(m.out - 1 + i)],
                      in[static_cast<size_t>(m.in - 1 + i)])
                << "output column " << m.out + i << " should be input column " << m.in + i;
        covered += m.count;
    }
    EXPECT_EQ(covered + inserted, outWidth);
}

} // namespace

TEST(Vd3Conversion, ColumnMaps) {
    // Race line: the extra column 74 becomes JpnFlag at 358; 75..350 move one left.
    expectMoves(Vd3Kind::Den1, 846, 777,
                {{1, 1, 73}, {74, 75, 276}, {350, 419, 8}, {358, 74, 1}, {359, 428, 419}});
    expectMoves(Vd3Kind::Den2, 876, 741,
                {{1, 1, 255}, {256, 257, 438}, {694, 728, 15}, {709, 844, 33}});
    // Odds line: column 74 is dropped and a blank restores column 162.
    expectMoves(Vd3Kind::Ods, 1502, 1502, {{1, 1, 73}, {74, 75, 87}, {162, 162, 1341}}, 1);
    EXPECT_EQ(convertVd3Line(Vd3Kind::Ods, markedLine(1502))[160], ' ');
}

TEST(Vd3Conversion, FieldsLandWhereTheReadersLook) {
    // A ".vd3" race line: grade at 73, Jpn flag at 74, weight rule at 75-76.
    std::string vd3 = LineBuilder(846)
                          .put(1, "0520060508112006122402")
                          .put(29, "ジャパンダートダービー")
                          .put(73, "0")
                          .put(74, "1")
                          .put(75, "01")
                          .put(99, "3")
                          .put(101, "00004")
                          .put(333, "20:10")
                          .put(338, "13");
    RaceLine r{};
    std::string vd2 = convertVd3Line(Vd3Kind::Den1, vd3);
    r.line = vd2;
    EXPECT_EQ(r.gradeCode(), "0");
    EXPECT_EQ(r.weightRuleCode(), "01");
    EXPECT_EQ(r.jpnFlag(), "1");
    EXPECT_EQ(r.postTime(), "20:10");
    EXPECT_EQ(r.runnerCount(), "13");
    EXPECT_EQ(addRace(vd2).menuCaption,
              "中山11R サラ3歳以上 オープン ジャパンダートダービー Jpn(G1) ");

    std::string odds =
        LineBuilder(1502).put(1, "0520060508112006122402").put(74, "Z").put(162, "00035");
    std::string converted = convertVd3Line(Vd3Kind::Ods, odds);
    EXPECT_EQ(OddsLine{converted}.winOdds(1), "00035");
    EXPECT_EQ(OddsLine{converted}.raceKey(), "0520060508112006122402");
    EXPECT_EQ(converted.find('Z'), std::string::npos);
}

TEST(Vd3Conversion, ShortLinesGiveShortPieces) {
    std::string in = markedLine(80);
    std::string out = convertVd3Line(Vd3Kind::Den1, in);
    // [1-73] + [75-80] + nothing + [74] + nothing
    EXPECT_EQ(out, in.substr(0, 73) + in.substr(74, 6) + in.substr(73, 1));
    EXPECT_EQ(convertVd3Line(Vd3Kind::Den1, ""), "");
    EXPECT_EQ(convertVd3Line(Vd3Kind::Ods, ""), " ");
    EXPECT_EQ(convertVd3Line(Vd3Kind::Den2, "abc"), "abc");
    EXPECT_EQ(convertVd3Line(Vd3Kind::Uma, "abc"), "abc");
}

TEST(Vd3Conversion, FilesAreRewrittenAndTheOldOnesRemoved) {
    TempDir dir;
    std::string a = markedLine(846), b = markedLine(846).replace(73, 1, "1");
    dir.write("cnx_den1.vd3", a + "\r\n" + b + "\n");
    dir.write("cnx_den1.vd2", "old");
    dir.write("cnx_uma.vd3", "uma\r\nlines");

    auto r = convertVd3File(dir.path(), Vd3Kind::Den1);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_TRUE(*r);
    EXPECT_FALSE(dir.exists("cnx_den1.vd3"));
    EXPECT_EQ(dir.read("cnx_den1.vd2"), convertVd3Line(Vd3Kind::Den1, a) + "\r\n" +
                                            convertVd3Line(Vd3Kind::Den1, b) + "\r\n");

    ASSERT_TRUE(*convertVd3File(dir.path(), Vd3Kind::Uma));
    EXPECT_EQ(dir.read("cnx_uma.vd2"), "uma\r\nlines");
    EXPECT_FALSE(dir.exists("cnx_uma.vd3"));

    auto none = convertVd3File(dir.path(), Vd3Kind::Ods);
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);
    EXPECT_FALSE(dir.exists("cnx_ods.vd2"));
}

TEST(Vd3Conversion, FailedWriteKeepsTheVd3File) {
    TempDir dir;
    dir.write("cnx_den2.vd3", markedLine(876) + "\r\n");
    std::filesystem::create_directory(dir.path() / "cnx_den2.vd2");
    auto r = convertVd3File(dir.path(), Vd3Kind::Den2);
    ASSERT_FALSE(r);
    EXPECT_FALSE(r.error().message.empty());
    EXPECT_EQ(dir.read("cnx_den2.vd3"), markedLine(876) + "\r\n");
}

TEST(Vd3Conversion, ConvertedDayLoads) {
    TempDir dir;
    RaceSpec spec;
    spec.runners = "02";
    std::string vd2Race = raceLine(spec);
    // Back to the ".vd3" layout: insert the Jpn flag at 74, move 350..357 out to 419..426.
    std::string vd3Race = vd2Race.substr(0, 73) + "1" + vd2Race.substr(73, 276) +
                          std::string(68, ' ') + vd2Race.substr(349, 8) + " " + vd2Race.substr(358);
    ASSERT_EQ(convertVd3Line(Vd3Kind::Den1, vd3Race).substr(0, 357), vd2Race.substr(0, 357));
    dir.write("cnx_den1.vd3", crlfJoin({vd3Race}));
    dir.write("cnx_den2.vd3", crlfJoin({std::string(876, ' '), std::string(876, ' ')}));
    dir.write("cnx_uma.vd3", crlfJoin({"a", "b"}));
    for (Vd3Kind k : {Vd3Kind::Den1, Vd3Kind::Den2, Vd3Kind::Uma, Vd3Kind::Ods})
        ASSERT_TRUE(convertVd3File(dir.path(), k));
    RaceDay day;
    ASSERT_TRUE(*loadRaceDay(dir.path(), day));
    EXPECT_EQ(day.texts(0).shortTitle, "有馬記念(Jpn(G1))");
    EXPECT_EQ(day.entryLine(1).size(), 741u);
    EXPECT_EQ(*lastRunner(day, 0), 1);
}
