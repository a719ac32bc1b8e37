// predictRace over whole race days built in code.

#include "engine_fixtures.h"

#include "engine/grid_sort.h"
#include "engine/prediction.h"
#include "engine/standard_data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;

namespace {

RaceSpec workedExample() {
    return raceOf({"600", "590", "570", "560", "565", "540", "530", "520"},
                  {"00025", "00040", "00055", "00080", "00120", "00150", "00300", "00450"});
}

PredictOptions options() {
    PredictOptions o;
    o.now = DateTime{2006, 12, 24, 36000};
    return o;
}

Prediction predicted(const data::RaceDay& day, int k, const PredictOptions& o = options()) {
    auto p = predictRace(day, k, o);
    EXPECT_TRUE(p.ok()) << (p.ok() ? "" : p.error().message);
    return p.ok() ? *p : Prediction{};
}

std::vector<int32_t> rowHorses(const Prediction& p) {
    std::vector<int32_t> h;
    for (const GridRow& r : p.grid.rows)
        h.push_back(r.horse);
    return h;
}

const std::string open = "<BR><P ALIGN=\"center\">";

} // namespace

TEST(Predict, WorkedExampleFillsTheGrid) {
    const data::RaceDay day = makeDay({workedExample()});
    const Prediction p = predicted(day, 0);
    ASSERT_EQ(p.runners.size(), 8u);
    EXPECT_EQ(p.racePattern, 1);
    EXPECT_EQ(p.patternText, "本命");
    EXPECT_EQ(p.grid.headers[2], "馬　名");
    EXPECT_EQ(p.grid.headerHints[8], "O指数⇒オッズでソート");
    EXPECT_EQ(rowHorses(p), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    const GridRow& row4 = p.grid.rows[3];
    EXPECT_EQ(row4.cells[0].text, open + "2</P>");
    EXPECT_EQ(row4.cells[0].background, "#000000");
    EXPECT_EQ(row4.cells[1].text, open + "4</P>");
    EXPECT_EQ(row4.cells[2].text,
              "牡3歳<BR><font color=\"#0000FF\"><A HREF=\"4\">ホース4</A></font>"
              "<BR>57.0 武豊");
    EXPECT_EQ(row4.cells[6].text, open + "35</FONT><BR>(56.0)</P>");
    EXPECT_EQ(row4.cells[7].text, open + "5位</P>");
    EXPECT_EQ(row4.cells[8].text, open + "<FONT COLOR=\"#FF0000\"><B>40</B></FONT><BR>(8.0)</P>");
    EXPECT_EQ(row4.cells[10].text, open + "<FONT COLOR=\"#006699\"><B>75</B></FONT></P>");
    EXPECT_EQ(row4.cells[11].text, open + "△</P>");
    EXPECT_EQ(p.grid.rows[6].cells[11].text, "");
    EXPECT_EQ(p.kurai[3], (KuraiRow{"4", "7", "57.0", "560", "5", "35", "80", "4", "40", "75"}));
    EXPECT_EQ(p.tickets.quinella.front(), "010200");
    EXPECT_TRUE(p.betPanel.shown);
    EXPECT_EQ(p.runnerHintText[0], "牡3   鹿毛  ");
    EXPECT_EQ(p.titleText1, day.texts(0).titleText1);
    for (const TBachu& r : p.runners)
        EXPECT_EQ(r.raceDate, (DateTime{2006, 12, 24}));
}

TEST(Predict, PredictingTwiceGivesTheSameValue) {
    RaceSpec a = workedExample();
    RaceSpec b = raceOf({"550", "560", "0"}, {"00030", "    /", "00050"});
    b.raceNo = "12";
    const data::RaceDay day = makeDay({a, b});
    const Prediction first = predicted(day, 1);
    const Prediction other = predicted(day, 0);
    const Prediction again = predicted(day, 1);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first.firstRunner, 8);
    EXPECT_EQ(first.lastRunner, 10);
    EXPECT_EQ(first.runners.size(), 3u);
    EXPECT_NE(first, other);
}

TEST(Predict, RaceWithoutRunners) {
    RaceSpec empty;
    empty.runnerCount = "00";
    const data::RaceDay day = makeDay({empty, workedExample()});
    const Prediction p = predicted(day, 0);
    EXPECT_TRUE(p.runners.empty());
    EXPECT_TRUE(p.grid.rows.empty());
    EXPECT_EQ(p.racePattern, 0);
    EXPECT_EQ(p.markedHorses, (std::array<int32_t, 6>{}));
    EXPECT_FALSE(p.betPanel.shown);
    EXPECT_EQ(predicted(day, 1).firstRunner, 0);
}

TEST(Predict, StrictConversionsNameRaceHorseAndField) {
    RaceSpec bad = workedExample();
    bad.runners[2].weight = "5a0";
    bad.runners[2].name = "ワルイホース";
    auto p = predictRace(makeDay({bad}), 0, options());
    ASSERT_FALSE(p.ok());
    EXPECT_NE(p.error().message.find("中山11R"), std::string::npos) << p.error().message;
    EXPECT_NE(p.error().message.find("3番"), std::string::npos);
    EXPECT_NE(p.error().message.find("ワルイホース"), std::string::npos);
    EXPECT_NE(p.error().message.find("WeightCarried"), std::string::npos);
    EXPECT_NE(p.error().message.find("5a0"), std::string::npos);

    // A count that is not a number stops this race and every later one.
    RaceSpec first = workedExample();
    first.runnerCount = "0x";
    const data::RaceDay day = makeDay({first, workedExample()});
    for (int k : {0, 1}) {
        auto q = predictRace(day, k, options());
        ASSERT_FALSE(q.ok()) << k;
        EXPECT_NE(q.error().message.find("出走頭数「0x」"), std::string::npos) << q.error().message;
    }
    EXPECT_FALSE(predictRace(day, 2, options()).ok());
    EXPECT_FALSE(predictRace(day, -1, options()).ok());
}

TEST(Predict, ScratchedHorseShowsCancelledInBothIndexCells) {
    RaceSpec r = workedExample();
    r.runners[1].odds = "    /";
    const Prediction p = predicted(makeDay({r}), 0);
    EXPECT_EQ(p.runners[1].oddsText, "/");
    EXPECT_EQ(p.runners[1].oddsRank, 8);
    const GridRow& row = p.grid.rows[1];
    EXPECT_NE(row.cells[6].text.find("(取消)"), std::string::npos);
    EXPECT_NE(row.cells[8].text.find("(取消)"), std::string::npos);
    EXPECT_EQ(p.kurai[1][6], "99999");
}

TEST(Predict, RacesWithoutBets) {
    struct Case {
        const char* what;
        RaceSpec race;
        int pattern;
    };
    RaceSpec noOdds = workedExample();
    noOdds.withOdds = false;
    RaceSpec debut = workedExample();
    debut.classCode = "00001";
    RaceSpec withheld = workedExample();
    withheld.withheld = "1";
    RaceSpec unratedFavourite = workedExample();
    unratedFavourite.runners[5].rating = "000";
    const std::vector<Case> cases = {{"no odds", noOdds, 0},
                                     {"新馬", debut, 1},
                                     {"withheld", withheld, 1},
                                     {"unrated among the six favourites", unratedFavourite, 1}};
    for (const Case& c : cases) {
        const Prediction p = predicted(makeDay({c.race}), 0);
        EXPECT_EQ(p.racePattern, c.pattern) << c.what;
        EXPECT_EQ(p.patternText, "") << c.what;
        EXPECT_EQ(p.markedHorses, (std::array<int32_t, 6>{})) << c.what;
        EXPECT_FALSE(p.betPanel.shown) << c.what;
        for (const std::string& t : p.tickets.quinella)
            EXPECT_EQ(t, "000000") << c.what;
        for (const GridRow& row : p.grid.rows)
            EXPECT_EQ(row.cells[11].text, "") << c.what;
    }
    const Prediction p = predicted(makeDay({noOdds}), 0);
    for (const GridRow& row : p.grid.rows)
        for (int c = 6; c <= 10; ++c)
            EXPECT_EQ(row.cells[c].text, "");
    EXPECT_EQ(p.kurai[0], (KuraiRow{"1", "", "57.0", "0", "0", "", "", "", "", ""}));
    EXPECT_EQ(p.runners[4].oddsRank, 1);
    EXPECT_EQ(p.runners[4].oddsText, "0.0");
}

TEST(Predict, TwentyRunnersScoreNothingBeyondEighteen) {
    std::vector<std::string> ratings, odds;
    for (int h = 1; h <= 20; ++h) {
        ratings.push_back(std::to_string(700 - 5 * h));
        odds.push_back("00" + std::to_string(100 + 10 * h));
    }
    const Prediction p = predicted(makeDay({raceOf(ratings, odds)}), 0);
    ASSERT_EQ(p.grid.rows.size(), 20u);
    EXPECT_EQ(p.runners[19].qvIndex, 0);
    EXPECT_EQ(p.runners[17].qvIndex, 6);
    // Odds beyond horse 18 lie past column 251 and are read all the same.
    EXPECT_EQ(p.runners[19].oddsText, "30.0");
}

TEST(Predict, PastRacesGiveStyleChangeColoursAndBorders) {
    RaceSpec r = workedExample();
    PastSpec latest; // 2006-11-26: under a month before the race
    latest.finish = "34";
    latest.corners = {"  ", "  ", "  ", "32"};
    latest.distance = "1800";
    PastSpec second;
    second.date = "20060801"; // almost four months before the latest
    second.finish = "01";
    second.corners = {"  ", "  ", "  ", "44"};
    PastSpec third;
    third.date = "20060701";
    third.finish = "02";
    third.corners = {"  ", "  ", "  ", "12"};
    r.runners[0].past = {latest, second, third};
    PastSpec undated;
    undated.date = "2006 1 1";
    undated.finish = "05";
    undated.corners = {"  ", "  ", "  ", "05"};
    PastSpec none;
    none.venue = "81"; // "----": no race
    none.finish = "00";
    none.surface = " ";
    r.runners[1].past = {undated, none};
    const Prediction p = predicted(makeDay({r}), 0);
    const TBachu& h1 = p.runners[0];
    // The abnormal end still counts as run: its corner 32 leaves the slot open,
    // 44 gives 4 and 12 the second position: B then D.
    EXPECT_EQ(h1.runningStyle, "差し");
    EXPECT_EQ(h1.distanceChange, "短縮");
    EXPECT_EQ(h1.pastRan, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(h1.pastFinishes, (std::array<int32_t, 3>{34, 1, 2}));
    const GridRow& row = p.grid.rows[0];
    EXPECT_EQ(row.cells[5].background, "#FFFFFF");
    EXPECT_EQ(row.cells[4].background, "#FFD6D6");
    EXPECT_EQ(row.cells[3].background, "#FFE3C5");
    EXPECT_EQ(row.cells[5].rightBorderWidth, 0); // 2006-11-26 to 2006-12-24
    EXPECT_EQ(row.cells[4].rightBorderWidth, 2); // 2006-08-01 to 2006-11-26
    EXPECT_EQ(row.cells[4].rightBorderColor, "#C0C0C0");
    EXPECT_EQ(row.cells[3].rightBorderWidth, 0); // one month
    EXPECT_NE(row.cells[5].text.find("34着"), std::string::npos);

    const TBachu& h2 = p.runners[1];
    EXPECT_EQ(h2.pastDates[0], options().now);
    EXPECT_EQ(h2.runningStyle, "差し");
    EXPECT_EQ(p.grid.rows[1].cells[4].text, "");
    EXPECT_EQ(p.grid.rows[1].cells[4].background, "#DDDDDD");
    EXPECT_EQ(p.runners[2].runningStyle, "");
    EXPECT_EQ(p.runners[2].distanceChange, "");
}

TEST(Predict, HistoryLinesAndLookupFailures) {
    RaceSpec r = raceOf({"600", "590", "580"}, {"00030", "00040", "00050"});
    for (auto& s : r.runners)
        s.past = {PastSpec{}};
    const data::RaceDay day = makeDay({r});
    PredictOptions o = options();
    std::vector<int32_t> asked;
    o.history = [&](int32_t code) -> Result<std::vector<HistoryRow>> {
        asked.push_back(code);
        if (code == 2000001)
            return Error{"query failed"};
        return std::vector<HistoryRow>{{20061126, "3.5", 2, 553, 1}};
    };
    Prediction p = predicted(day, 0, o);
    EXPECT_EQ(asked, (std::vector<int32_t>{2000000, 2000001, 2000002}));
    EXPECT_EQ(p.messages, (std::vector<std::string>{"DataSet Error..."}));
    const std::string line = "      " +
                             std::string("  (55.3) <FONT COLOR=\"#FF0000\"> 1位</FONT>") +
                             "    (3.5) <FONT COLOR=\"#FF6600\"> 2位</FONT>";
    auto lastLine = [](const std::string& cell) { return cell.substr(cell.rfind("<BR>") + 4); };
    EXPECT_EQ(lastLine(p.runners[0].pastRaceCells[0]), line);
    EXPECT_EQ(lastLine(p.runners[1].pastRaceCells[0]), "      ");
    // A day-wide run does not ask.
    asked.clear();
    o.progressShown = true;
    p = predicted(day, 0, o);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(lastLine(p.runners[0].pastRaceCells[0]), "      ");
}

TEST(Predict, StandardDataMessageAndFrontRunners) {
    TempHome home;
    std::filesystem::create_directories(home.path() / "Data");
    std::ofstream(home.path() / "Data" / "05S1600.dat", std::ios::binary)
        << swapNibbles("a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n");
    RaceSpec r = workedExample();
    PastSpec front;
    front.corners = {"01", "01", "01", "01"};
    for (int i = 0; i < 3; ++i)
        r.runners[i].past = {front};
    PredictOptions o = options();
    o.home = home.path();
    const Prediction p = predicted(makeDay({r}), 0, o);
    EXPECT_EQ(p.frontRunnerCount, 3);
    EXPECT_EQ(p.messages, (std::vector<std::string>{"05S1600.datが不正です。処理を中止します。"}));
    EXPECT_EQ(p.standardValues[0][0][0], "0.0");
}

TEST(Predict, CurrentSortIsReappliedDescending) {
    const data::RaceDay day = makeDay({workedExample()});
    PredictOptions o = options();
    o.sortCode = 7;
    Prediction p = predicted(day, 0, o);
    EXPECT_EQ(rowHorses(p), (std::vector<int32_t>{8, 7, 6, 4, 5, 3, 2, 1}));
    EXPECT_EQ(p.grid.sortMarkerColumn, 7);
    EXPECT_FALSE(p.grid.sortAscending);
    EXPECT_EQ(p.grid.sortStatusText, "R順位でソート");
    for (size_t r = 0; r < p.kurai.size(); ++r)
        EXPECT_EQ(p.kurai[r][0], std::to_string(p.grid.rows[r].horse));
    o.sortCode = 0;
    p = predicted(day, 0, o);
    EXPECT_EQ(p.grid.sortMarkerColumn, 0);
    EXPECT_TRUE(p.grid.sortAscending);
    o.sortCode = 88;
    p = predicted(day, 0, o);
    EXPECT_EQ(p.grid.sortMarkerColumn, 8);
    EXPECT_EQ(rowHorses(p), (std::vector<int32_t>{8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST(Predict, DeveloperHtmlGrid) {
    RaceSpec r = workedExample();
    PastSpec p1;
    p1.corners = {"01", "01", "01", "01"};
    p1.distance = "1400";
    r.runners[0].past = {p1};
    PredictOptions o = options();
    o.htmlMode = true;
    const Prediction p = predicted(makeDay({r}), 0, o);
    ASSERT_EQ(p.html.rows.size(), 8u);
    const auto& h1 = p.html.rows[0];
    EXPECT_EQ(h1[0].text, "<P ALIGN=\"center\">◎</P>");
    EXPECT_EQ(h1[1].text, "<P ALIGN=\"center\">1</P>");
    EXPECT_EQ(h1[2].text, "<P ALIGN=\"right\">1</P>");
    EXPECT_EQ(h1[3].text, "ホース1");
    EXPECT_EQ(h1[4].text, "<P ALIGN=\"center\">57.0</P>");
    EXPECT_EQ(h1[5].text, "武");
    EXPECT_EQ(h1[6].text, "<font color=\"#FF3333\">逃げ</font>・延長");
    EXPECT_EQ(h1[8].text, "<P ALIGN=\"right\">1位</P>");
    EXPECT_EQ(h1[6].background, "#FFFFFF");
    EXPECT_EQ(p.html.rows[7][0].text, "");
    EXPECT_EQ(p.html.rows[7][6].background, "#DDDDDD");
    EXPECT_EQ(p.html.rows[7][7].background, "#DDDDDD");
    EXPECT_EQ(p.html.rows[2][1].background, "#000000");
    EXPECT_TRUE(predicted(makeDay({r}), 0).html.rows.empty());
}

TEST(Predict, DamagedLinesNeverCrash) {
    // Short, long and random horse and odds lines: every prediction either
    // completes or reports an error, reading nothing outside the lines.
    std::mt19937 rng(12345);
    auto randomBytes = [&](size_t n) {
        std::string s(n, ' ');
        for (char& c : s)
            c = static_cast<char>(rng() % 256);
        return s;
    };
    for (int round = 0; round < 40; ++round) {
        RaceSpec r = workedExample();
        r.runners[round % 8].past = {PastSpec{}, PastSpec{}, PastSpec{}};
        data::RaceDay day = makeDay({r});
        for (size_t i = 0; i < day.horseLines.size(); ++i) {
            const size_t keep = rng() % (day.horseLines[i].size() + 1);
            day.horseLines[i] = day.horseLines[i].substr(0, keep) + randomBytes(rng() % 700);
        }
        const size_t keep = rng() % 300;
        day.oddsLines[0] = day.oddsLines[0].substr(0, keep) + randomBytes(rng() % 40);
        auto p = predictRace(day, 0, options());
        if (p.ok()) {
            EXPECT_EQ(p->runners.size(), 8u);
        } else {
            EXPECT_FALSE(p.error().message.empty());
        }
    }
}
