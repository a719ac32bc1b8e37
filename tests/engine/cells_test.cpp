// Main-grid cell texts, colours and borders.

#include "engine_fixtures.h"

#include "data/horse_line.h"
#include "data/text.h"
#include "engine/main_grid.h"

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;

namespace {

// The cell of past race k built from a horse line holding `race` as block k.
std::string cellOf(const PastSpec& race, const std::string& history = "") {
    RunnerSpec s;
    s.past = {race};
    const std::string line = horseLine(s);
    const data::PastRace block = data::HorseLine{line}.past(1);
    const int surface = race.jump == "1"      ? 3
                        : race.surface == "1" ? 1
                        : race.surface == "0" ? 2
                                              : 0;
    return pastRaceCell(block, surface, data::intOf(race.distance), history);
}

} // namespace

TEST(Cells, FrameHorseAndNameCells) {
    EXPECT_EQ(frameCell("3"), "<BR><P ALIGN=\"center\">3</P>");
    EXPECT_EQ(horseCell(12), "<BR><P ALIGN=\"center\">12</P>");
    EXPECT_EQ(horseCell(12).size(), 28u);
    EXPECT_EQ(horseCell(7).size(), 27u);
    EXPECT_EQ(horseNumberOfCell(horseCell(12)), 12);
    EXPECT_EQ(horseNumberOfCell(horseCell(7)), 7);
    EXPECT_EQ(horseNumberOfCell("<BR><P ALIGN=\"center\">123</P>"), 0);
    EXPECT_EQ(nameCell("1", 4, 5, "ディープ", "55.0", "武豊"),
              "牝4歳<BR><font color=\"#0000FF\"><A HREF=\"5\">ディープ</A></font><BR>55.0 武豊");
    EXPECT_EQ(nameCell("9", 0, 1, "", "0.0", ""),
              "0歳<BR><font color=\"#0000FF\"><A HREF=\"1\"></A></font><BR>0.0 ");
}

TEST(Cells, PastRaceCells) {
    struct Case {
        const char* what;
        PastSpec race;
        std::string history;
        std::string want;
    };
    PastSpec plain;
    PastSpec unfinished;
    unfinished.classCode = "00001";
    unfinished.finish = "00";
    unfinished.runners = "00";
    unfinished.time = "    ";
    unfinished.weightRule = "02";
    unfinished.weight = "550";
    unfinished.corners = {"  ", "  ", "  ", "  "};
    PastSpec graded;
    graded.name = "有馬記念";
    graded.classCode = "00004";
    graded.grade = "0";
    graded.finish = "34";
    graded.jockey = "ルメール";
    graded.corners = {"43", "44", "02", "31"};
    graded.surface = "0";
    graded.distance = "2000";
    PastSpec local = graded;
    local.venue = "10";
    PastSpec small;
    small.classCode = "00500";
    small.finish = "12";
    small.corners = {"40", "  ", "  ", "  "};
    const std::string gray = "<FONT COLOR=\"#999999\">";
    const std::vector<Case> cases = {
        {"plain", plain, "",
         "5中山2  11.26  500万      <B> 3着</B>/16頭<BR>"
         "芝1600m 1.34.5 武豊    57.0 ③③②②<BR>      "},
        {"no result", unfinished, "",
         "5中山2  11.26  新馬       --着/--頭<BR>"
         "芝1600m -.--.- 武豊   H55.0              <BR>      "},
        {"race name at a central venue", graded, "(x)",
         "5中山2  11.26  有馬記G1   34着/16頭<BR>"
         "ダ2000m 1.34.5 ルメー  57.0 " +
             gray + "③</FONT>" + gray + "④</FONT>②落<BR>      (x)"},
        {"race name elsewhere", local, "",
         "5大井2  11.26  有馬記     34着/16頭<BR>"
         "ダ2000m 1.34.5 ルメー  57.0 " +
             gray + "③</FONT>" + gray + "④</FONT>②落<BR>      "},
        {"small class number", small, "",
         "5中山2  11.26             12着/16頭<BR>"
         "芝1600m 1.34.5 武豊    57.0 　      <BR>      "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cellOf(c.race, c.history), c.want) << c.what;
}

TEST(Cells, IndexCells) {
    TBachu fav;
    fav.rating = 553;
    fav.ratingRank = 1;
    fav.rIndex = 55;
    fav.oddsRank = 5;
    fav.oIndex = 35;
    fav.oddsText = "12.0";
    fav.qvIndex = 90;
    EXPECT_EQ(indexCells(fav),
              (std::array<std::string, 5>{
                  "<BR><P ALIGN=\"center\"><FONT COLOR=\"#FF0000\"><B>55</B></FONT><BR>(55.3)</P>",
                  "<BR><P ALIGN=\"center\"><B>1位</B></P>",
                  "<BR><P ALIGN=\"center\">35<BR>(12.0)</P>", "<BR><P ALIGN=\"center\">5位</P>",
                  "<BR><P ALIGN=\"center\"><FONT COLOR=\"#006699\"><B>90</B></FONT></P>"}));
    TBachu scratched;
    scratched.rating = 540;
    scratched.ratingRank = 6;
    scratched.rIndex = 32;
    scratched.oddsRank = 8;
    scratched.oddsText = "/";
    const auto s = indexCells(scratched);
    EXPECT_EQ(s[0], "<BR><P ALIGN=\"center\">32</FONT><BR>(取消)</P>");
    EXPECT_EQ(s[2], "<BR><P ALIGN=\"center\">0<BR>(取消)</P>");
    TBachu unrated;
    unrated.ratingRank = 2;
    unrated.oddsRank = 3;
    unrated.oddsText = "3.0";
    const auto u = indexCells(unrated);
    EXPECT_EQ(u[0], "<BR><P ALIGN=\"center\"><FONT COLOR=\"#FF0000\"><B>0</B></FONT><BR>(-)</P>");
    EXPECT_EQ(u[2], "<BR><P ALIGN=\"center\"><FONT COLOR=\"#FF0000\"><B>0</B></FONT><BR>(3.0)</P>");
}

TEST(Cells, BracketAndPastRaceColours) {
    const std::pair<char, CellColors> frames[] = {
        {'1', {"#FFFFFF", "#000000"}}, {'2', {"#000000", "#FFFFFF"}}, {'3', {"#FF0000", "#FFFFFF"}},
        {'4', {"#0000FF", "#FFFFFF"}}, {'5', {"#FFFF00", "#000000"}}, {'6', {"#008000", "#FFFFFF"}},
        {'7', {"#FF9900", "#000000"}}, {'8', {"#FF66FF", "#000000"}}};
    for (auto [digit, want] : frames) {
        const CellColors c = frameColors(frameCell(std::string(1, digit)));
        EXPECT_EQ(c.background, want.background) << digit;
        EXPECT_EQ(c.font, want.font) << digit;
    }
    TBachu r;
    r.pastSurfaces = {1, 2, 0};
    r.pastRan = {true, true, true};
    r.pastFinishes = {1, 34, 2};
    EXPECT_EQ(pastRaceBackground(r, 0), "#FFD6D6");
    EXPECT_EQ(pastRaceBackground(r, 1), "#FFFFFF");
    EXPECT_EQ(pastRaceBackground(r, 2), "#DDDDDD"); // no surface: no race
    r.pastFinishes = {2, 3, 3};
    r.pastRan = {true, false, true};
    EXPECT_EQ(pastRaceBackground(r, 0), "#FFE3C5");
    EXPECT_EQ(pastRaceBackground(r, 1), "#DDDDDD");
    r.pastSurfaces[2] = 3;
    EXPECT_EQ(pastRaceBackground(r, 2), "#D5E9F4");
}

TEST(Cells, BreakOfMoreThanThreeCalendarMonths) {
    struct Case {
        DateTime d, next;
        bool border;
    };
    const Case cases[] = {
        {{2006, 10, 24}, {2006, 12, 24}, false}, // two months
        {{2006, 8, 24}, {2006, 12, 24}, true},   // four months
        {{2006, 9, 24}, {2006, 12, 24}, false},  // exactly three
        {{2006, 9, 23}, {2006, 12, 24}, true},
        {{2006, 11, 30}, {2007, 2, 28}, false}, // the day clamps to February's end
        {{2006, 11, 30}, {2007, 3, 1}, true},
        {{2006, 9, 24}, {2006, 12, 24, 3600}, true}, // "now" carries a time of day
    };
    for (const Case& c : cases)
        EXPECT_EQ(longBreak(c.d, c.next), c.border)
            << c.d.year << "-" << c.d.month << "-" << c.d.day;
    EXPECT_EQ(addMonths({2007, 11, 30}, 3), (DateTime{2008, 2, 29}));
}
