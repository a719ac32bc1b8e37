#include "data/horse_line.h"
#include "data/lines.h"
#include "data/race_line.h"
#include "day_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace velmar::data;
using velmar::testing::LineBuilder;

TEST(FieldCutting, ByteColumnsAndShortLines) {
    struct Case {
        std::string_view line;
        int col, width;
        std::string_view cut;
    };
    const Case cases[] = {
        {"abcdef", 1, 2, "ab"}, {"abcdef", 5, 2, "ef"}, {"abcdef", 5, 9, "ef"},
        {"abcdef", 6, 1, "f"},  {"abcdef", 7, 1, ""},   {"abcdef", 99, 3, ""},
        {"abcdef", 0, 3, ""},   {"abcdef", -4, 9, ""},  {"abcdef", 2, 0, ""},
        {"abcdef", 2, -1, ""},  {"", 1, 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cut(c.line, c.col, c.width), c.cut) << c.line << " " << c.col << "," << c.width;
}

TEST(FieldCutting, FullWidthTextOccupiesTwoColumns) {
    // ディープ at 8 (8 bytes), then ASCII right behind it.
    std::string line = LineBuilder(40).put(8, "ディープ").put(16, "X").put(20, "　Ａ ").str();
    EXPECT_EQ(fieldText(line, 8, 8), "ディープ");
    EXPECT_EQ(fieldText(line, 10, 4), "ィー");
    EXPECT_EQ(fieldText(line, 16, 1), "X");
    EXPECT_EQ(fieldText(line, 8, 9), "ディープX");
    EXPECT_EQ(fieldTrimmed(line, 1, 30), "ディープX   　Ａ");
    EXPECT_EQ(fieldText(line, 20, 5), "　Ａ ");
    // Cutting through a double-byte character must not crash or swallow ASCII.
    std::string half = fieldText(line, 9, 8);
    EXPECT_EQ(half.substr(half.size() - 1), "X");
    EXPECT_EQ(fieldInt("  12 0", 1, 4), 12);
    EXPECT_EQ(fieldInt("  12 0", 1, 5), 0);
}

TEST(LineViews, RaceEntryAndOddsFields) {
    std::string race = LineBuilder(777)
                           .put(1, "0520060508112006122402")
                           .put(26, "051")
                           .put(29, "有馬記念")
                           .put(73, "0")
                           .put(74, "03")
                           .put(337, "14")
                           .put(358, "1");
    RaceLine r{race};
    EXPECT_EQ(r.venueCode(), "05");
    EXPECT_EQ(r.raceNo(), "11");
    EXPECT_EQ(r.raceDate(), "20061224");
    EXPECT_EQ(r.weekdayCode(), "02");
    EXPECT_EQ(r.editionNoValue(), 51);
    EXPECT_EQ(r.raceNameText(), "有馬記念");
    EXPECT_EQ(r.gradeCode(), "0");
    EXPECT_EQ(r.weightRuleCode(), "03");
    EXPECT_EQ(r.runnerCountValue(), 14);
    EXPECT_EQ(r.jpnFlag(), "1");

    std::string entry = LineBuilder(741)
                            .put(23, "3")
                            .put(33, "ディープインパクト")
                            .put(65, "0")
                            .put(66, "04")
                            .put(149, "570")
                            .put(157, "武豊")
                            .put(189, "武")
                            .put(706, "553");
    EntryLine e{entry};
    EXPECT_EQ(e.frameNoValue(), 3);
    EXPECT_EQ(e.horseNameText(), "ディープインパクト");
    EXPECT_EQ(e.sexCode(), "0");
    EXPECT_EQ(e.ageValue(), 4);
    EXPECT_EQ(e.weightCarriedValue(), 570);
    EXPECT_EQ(e.jockeyNameText(), "武豊");
    EXPECT_EQ(e.jockeyShortNameText(), "武");
    EXPECT_EQ(e.ratingValue(), 553);
    EXPECT_EQ(EntryLine{"short"}.ratingValue(), 0);

    std::string odds = LineBuilder(1502).put(162, "00035").put(167, "   35").put(247, "    /");
    OddsLine o{odds};
    EXPECT_EQ(o.winOdds(1), "00035");
    EXPECT_EQ(o.winOdds(2), "   35");
    EXPECT_EQ(o.winOdds(18), "    /");
    EXPECT_EQ(o.winOdds(0), "");
    EXPECT_EQ(OddsLine{odds.substr(0, 164)}.winOdds(1), "000");
}

namespace {

// A past-race block with the fields of a won race.
std::string pastBlock(std::string_view venue) {
    return LineBuilder(590)
        .put(1, venue)
        .put(7, "05")
        .put(9, "08")
        .put(13, "20061224")
        .put(26, "0")
        .put(60, "有馬記念")
        .put(74, "0")
        .put(75, "02")
        .put(101, "00004")
        .put(116, "1")
        .put(118, "1")
        .put(119, "5")
        .put(120, "2500")
        .put(124, "14")
        .put(128, "1")
        .put(130, "0")
        .put(153, "04")
        .put(243, "550")
        .put(246, "438")
        .put(292, "武豊")
        .put(360, "01")
        .put(367, "01")
        .put(375, "2318")
        .put(382, "005")
        .put(385, "363")
        .put(388, "338")
        .put(391, "09")
        .put(393, "09")
        .put(395, "45")
        .put(397, "03")
        .put(399, "4")
        .put(517, "ポップロック");
}

} // namespace

TEST(HorseLineView, HeaderFields) {
    LineBuilder b(4014);
    b.put(1, "2002100")
        .put(8, "ディープインパクト")
        .put(86, "03")
        .put(90, "005")
        .put(93, "00")
        .put(105, "サンデーサイレンス")
        .put(146, "ウインドインハーヘア")
        .put(187, "アルザオ")
        .put(228, "バーグクレア")
        .put(344, "金子真人ホールディングス")
        .put(464, "ノーザンファーム")
        .put(526, "池江泰郎")
        .put(534, "50")
        .put(570, "0000149999")
        .put(580, "9999999999")
        .put(610, "0000000001")
        .put(633, "012")
        .put(636, "001")
        .put(639, "000")
        .put(642, "001")
        .put(665, "03020100")
        .put(937, "12345678");
    std::string line = b;
    HorseLine h{line};
    EXPECT_EQ(h.horseCodeValue(), 2002100);
    EXPECT_EQ(h.horseNameText(), "ディープインパクト");
    EXPECT_EQ(h.coatCode(), "03");
    EXPECT_EQ(h.producerAreaCode(), "005");
    EXPECT_EQ(h.horseMarkCode(), "00");
    EXPECT_EQ(h.sireNameText(), "サンデーサイレンス");
    EXPECT_EQ(h.damNameText(), "ウインドインハーヘア");
    EXPECT_EQ(h.damSireNameText(), "アルザオ");
    EXPECT_EQ(h.damDamNameText(), "バーグクレア");
    EXPECT_EQ(h.ownerNameText(), "金子真人ホールディングス");
    EXPECT_EQ(h.breederNameText(), "ノーザンファーム");
    EXPECT_EQ(h.trainerNameText(), "池江泰郎");
    EXPECT_EQ(h.trainerCentreCode(), "50");
    EXPECT_EQ(h.mainPrizeText(), "14万円");
    // Ten digits exceed 32 bits; the total must not wrap.
    EXPECT_EQ(h.totalPrizeValue(), 10000000000);
    EXPECT_EQ(h.totalPrizeText(), "1000000万円");
    EXPECT_EQ(h.careerFirstsValue(), 12);
    EXPECT_EQ(h.careerSecondsValue(), 1);
    EXPECT_EQ(h.careerThirdsValue(), 0);
    EXPECT_EQ(h.careerOthersValue(), 1);
    EXPECT_EQ(h.runningStyleCountsText(), "逃3 先2 差1 追0");
    EXPECT_EQ(h.statsCounter(4), 3);
    EXPECT_EQ(h.statsCounter(143), 78);
    EXPECT_EQ(h.statsCounter(144), 0);
    EXPECT_EQ(h.statsCounter(-1), 0);
    EXPECT_EQ(h.statsGroup(35), (std::array<int32_t, 4>{12, 34, 56, 78}));
    EXPECT_EQ(h.statsGroup(36), (std::array<int32_t, 4>{0, 0, 0, 0}));
}

TEST(HorseLineView, PastRaceBlocks) {
    // Block 1 raced, block 2 at venue "48" (four blanks, still a venue), block 3
    // carries a code outside the venue table, blocks 4 and 5 are missing.
    std::string line = std::string(1064, ' ') + pastBlock("05") + pastBlock("48") + pastBlock("81");
    HorseLine h{line};
    PastRace p = h.past(1);
    EXPECT_TRUE(p.inUse());
    EXPECT_TRUE(h.past(2).inUse());
    EXPECT_FALSE(h.past(3).inUse());
    EXPECT_FALSE(h.past(4).inUse());
    EXPECT_TRUE(h.past(4).block.empty());
    EXPECT_TRUE(h.past(0).block.empty());
    EXPECT_TRUE(h.past(6).block.empty());
    EXPECT_EQ(h.past(2).block.data(), line.data() + 1654);

    EXPECT_EQ(p.meetingNoValue(), 5);
    EXPECT_EQ(p.meetingDayValue(), 8);
    EXPECT_EQ(p.date(), (RaceDate{2006, 12, 24}));
    EXPECT_EQ(p.jumpFlag(), "0");
    EXPECT_EQ(p.raceNameText(), "有馬記念");
    EXPECT_EQ(p.gradeCode(), "0");
    EXPECT_EQ(p.classCode(), "00004");
    EXPECT_EQ(p.surfaceCode(), "1");
    EXPECT_EQ(p.courseLayoutCode(), "1");
    EXPECT_EQ(p.railCode(), "5");
    EXPECT_EQ(p.distanceValue(), 2500);
    EXPECT_EQ(p.runnerCountValue(), 14);
    EXPECT_EQ(p.paceCode(), "1");
    EXPECT_EQ(p.goingCode(), "0");
    EXPECT_EQ(p.horseNoValue(), 4);
    EXPECT_EQ(p.weightCarriedText(), "H55.0");
    EXPECT_EQ(p.bodyWeightValue(), 438);
    EXPECT_EQ(p.jockeyNameText(), "武豊");
    EXPECT_EQ(p.popularityValue(), 1);
    EXPECT_EQ(p.finishPosValue(), 1);
    EXPECT_EQ(p.raceTimeText(), "2.31.8");
    EXPECT_EQ(p.marginShown(), -0.5);
    EXPECT_EQ(p.first3F(), "363");
    EXPECT_EQ(p.last3F(), "338");
    EXPECT_EQ(p.corner1(), "09");
    EXPECT_EQ(p.corner(3), "45");
    EXPECT_EQ(p.corner4(), "03");
    EXPECT_EQ(p.corner(5), "");
    EXPECT_EQ(p.straightPos(), "4");
    EXPECT_EQ(p.opponentNameText(), "ポップロック");
}

TEST(HorseLineView, DerivedValues) {
    struct MarginCase {
        const char* finish;
        const char* margin;
        double shown;
    };
    const MarginCase margins[] = {
        {"01", "003", -0.3}, {"02", "003", 0.3}, {"01", "000", 0.0},
        {"05", "998", 99.8}, {"  ", "   ", 0.0}, {"01", "01x", 0.0},
    };
    for (const auto& c : margins) {
        std::string block = LineBuilder(590).put(367, c.finish).put(382, c.margin);
        double shown = PastRace{block}.marginShown();
        EXPECT_EQ(shown, c.shown) << c.finish << " " << c.margin;
        EXPECT_FALSE(std::signbit(shown) && shown == 0.0) << "negative zero";
    }

    struct DateCase {
        const char* raw;
        std::optional<RaceDate> date;
    };
    const DateCase dates[] = {
        {"20061203", RaceDate{2006, 12, 3}}, {"        ", std::nullopt}, {"2006 203", std::nullopt},
        {"2006120", std::nullopt},           {"2006-2-3", std::nullopt},
    };
    for (const auto& c : dates) {
        std::string block = LineBuilder(20).put(13, c.raw);
        if (std::string_view(c.raw).size() < 8)
            block.resize(12 + std::string_view(c.raw).size());
        EXPECT_EQ(PastRace{block}.date(), c.date) << '"' << c.raw << '"';
    }

    std::string plain = LineBuilder(590).put(75, "01").put(243, "570").put(375, "1345");
    EXPECT_EQ(PastRace{plain}.weightCarriedText(), "57.0");
    EXPECT_EQ(PastRace{plain}.raceTimeText(), "1.34.5");

    EXPECT_EQ(prizeText(9999), "0万円");
    EXPECT_EQ(prizeText(10000), "1万円");
    EXPECT_EQ(prizeText(150000), "15万円");
    EXPECT_EQ(prizeText(0), "0万円");
    EXPECT_EQ(prizeText(-50000), "0万円");
}

TEST(HorseLineView, ShortLineReadsAsEmpty) {
    std::string line = LineBuilder(100).put(8, "ウマ");
    HorseLine h{line};
    EXPECT_EQ(h.horseNameText(), "ウマ");
    EXPECT_EQ(h.totalPrizeText(), "0万円");
    EXPECT_EQ(h.runningStyleCountsText(), "逃0 先0 差0 追0");
    for (int k = 1; k <= 5; ++k) {
        EXPECT_FALSE(h.past(k).inUse());
        EXPECT_FALSE(h.past(k).date());
        EXPECT_EQ(h.past(k).raceTimeText(), "..");
    }
    HorseLine none{};
    EXPECT_EQ(none.horseCodeValue(), 0);
    EXPECT_FALSE(none.past(1).inUse());
}
