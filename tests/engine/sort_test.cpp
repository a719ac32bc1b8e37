// Sorting the main grid, the header-click rules and the window size.

#include "engine_fixtures.h"

#include "engine/grid_sort.h"
#include "engine/main_grid.h"

#include <gtest/gtest.h>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;

namespace {

Prediction example() {
    // Worked example with weights and a tie on QV 75 (horses 4 and 5).
    RaceSpec r = raceOf({"600", "590", "570", "560", "565", "540", "530", "520"},
                        {"00025", "00040", "00055", "00080", "00120", "00150", "00300", "00450"});
    const char* weights[] = {"540", "570", "550", "570", "560", "520", "580", "570"};
    for (size_t i = 0; i < r.runners.size(); ++i)
        r.runners[i].weight = weights[i];
    PredictOptions o;
    auto p = predictRace(makeDay({r}), 0, o);
    EXPECT_TRUE(p.ok());
    return *p;
}

std::vector<int32_t> order(const Prediction& p) {
    std::vector<int32_t> h;
    for (size_t r = 0; r < p.grid.rows.size(); ++r) {
        h.push_back(p.grid.rows[r].horse);
        EXPECT_EQ(p.kurai[r][0], std::to_string(p.grid.rows[r].horse));
        EXPECT_EQ(horseNumberOfCell(p.grid.rows[r].cells[1].text), p.grid.rows[r].horse);
    }
    return h;
}

using V = std::vector<int32_t>;

} // namespace

TEST(Sort, EveryCode) {
    struct Case {
        int code;
        bool ascending;
        V want;
        const char* status;
    };
    const Case cases[] = {
        {0, true, {1, 2, 3, 4, 5, 6, 7, 8}, ""},
        {2, false, {7, 2, 4, 8, 5, 3, 1, 6}, "斤量でソート"}, // equal weights keep horse order
        {6, false, {1, 2, 3, 5, 4, 6, 7, 8}, "R指数でソート"},
        {7, true, {1, 2, 3, 5, 4, 6, 7, 8}, "R順位でソート"},
        {8, false, {1, 2, 3, 4, 5, 6, 7, 8}, "O指数でソート"},
        {9, false, {8, 7, 6, 5, 4, 3, 2, 1}, "O順位でソート"},
        {10, false, {1, 2, 3, 4, 5, 6, 7, 8}, "QV指数でソート"},
        {11, false, {1, 2, 3, 4, 5, 6, 7, 8}, "印でソート"},
        {66, false, {1, 2, 3, 5, 4, 6, 7, 8}, "レイティングでソート"},
        {88, true, {1, 2, 3, 4, 5, 6, 7, 8}, "オッズでソート"},
        {88, false, {8, 7, 6, 5, 4, 3, 2, 1}, "オッズでソート"},
    };
    for (const Case& c : cases) {
        Prediction p = example();
        applySort(p, 9, true); // start from another order
        applySort(p, c.code, c.ascending);
        EXPECT_EQ(order(p), c.want) << c.code;
        EXPECT_EQ(p.grid.sortStatusText, c.status) << c.code;
        EXPECT_EQ(p.grid.sortAscending, c.ascending) << c.code;
    }
}

TEST(Sort, PreSortsBreakTies) {
    Prediction p = example();
    // Code 10: the rating pass comes first, the odds pass after it, so the
    // QV tie of horses 4 (odds 8.0) and 5 (odds 12.0, better rated) goes by odds.
    applySort(p, 10, false);
    EXPECT_EQ(order(p), (V{1, 2, 3, 4, 5, 6, 7, 8}));
    // Code 11: equal mark weights keep the order of the QV pre-sort, in the
    // direction of the click.
    p.kurai[3][1] = p.kurai[4][1] = "0"; // horses 4 and 5 unmarked
    p.kurai[3][9] = "74";                // horse 4 below horse 5 on QV
    applySort(p, 11, false);
    EXPECT_EQ(order(p), (V{1, 2, 3, 6, 5, 4, 7, 8}));
    applySort(p, 11, true);
    EXPECT_EQ(order(p), (V{8, 7, 4, 5, 6, 3, 2, 1}));
}

TEST(Sort, AnUnknownCodeChangesNothing) {
    Prediction p = example();
    applySort(p, 9, false);
    const Prediction before = p;
    applySort(p, 5, true);
    EXPECT_EQ(p, before);
}

TEST(Sort, HeaderClicks) {
    struct Case {
        int column, current;
        bool rated;
        std::optional<HeaderClick> want;
    };
    const HeaderClick byHorse{1, true, 1};
    const Case cases[] = {
        {0, 0, true, byHorse},
        {0, 7, true, HeaderClick{0, true, 0}},
        {1, 9, true, byHorse},
        {2, 2, true, byHorse},
        {2, 1, true, HeaderClick{2, false, 2}},
        {6, 66, true, byHorse},
        {6, 6, true, HeaderClick{66, false, 6}},
        {6, 1, true, HeaderClick{6, false, 6}},
        {7, 7, true, byHorse},
        {7, 10, true, HeaderClick{7, true, 7}},
        {8, 88, true, byHorse},
        {8, 8, true, HeaderClick{88, true, 8}},
        {8, 66, true, HeaderClick{8, false, 8}},
        {9, 9, true, byHorse},
        {9, 1, true, HeaderClick{9, true, 9}},
        {10, 10, true, byHorse},
        {10, 1, true, HeaderClick{10, false, 10}},
        {11, 11, true, byHorse},
        {11, 1, true, HeaderClick{11, false, 11}},
        {11, 1, false, std::nullopt},
        {3, 1, true, std::nullopt},
        {4, 1, true, std::nullopt},
        {5, 1, true, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(headerClick(c.column, c.current, c.rated), c.want)
            << c.column << "/" << c.current;
}

TEST(Sort, OColumnClickedThreeTimes) {
    Prediction p = example();
    int code = 1;
    const V expected[] = {
        {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}};
    const int codes[] = {8, 88, 1};
    const bool directions[] = {false, true, true};
    for (int click = 0; click < 3; ++click) {
        auto c = headerClick(8, code, p.favouritesRated);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->code, codes[click]);
        EXPECT_EQ(c->ascending, directions[click]);
        code = c->code;
        applySort(p, c->code, c->ascending);
        EXPECT_EQ(order(p), expected[click]);
    }
    // The click as the grid applies it: 印 needs rated favourites.
    int sortCode = 1;
    ASSERT_TRUE(applyHeaderClick(p, 9, sortCode));
    EXPECT_EQ(sortCode, 9);
    EXPECT_EQ(p.grid.sortMarkerColumn, 9);
    EXPECT_TRUE(p.grid.sortAscending);
    EXPECT_EQ(p.grid.sortStatusText, "O順位でソート");
    EXPECT_FALSE(applyHeaderClick(p, 4, sortCode));
    EXPECT_EQ(sortCode, 9);
    p.favouritesRated = false;
    EXPECT_FALSE(applyHeaderClick(p, 11, sortCode));
    ASSERT_TRUE(applyHeaderClick(p, 9, sortCode));
    EXPECT_EQ(sortCode, 1);
    EXPECT_EQ(p.grid.sortMarkerColumn, 1);
    // A scratched horse has O index 0 and odds key 99999: last both ways.
    RaceSpec r = raceOf({"600", "590", "570"}, {"    /", "00040", "00030"});
    auto q = predictRace(makeDay({r}), 0, PredictOptions{});
    ASSERT_TRUE(q.ok());
    applySort(*q, 8, false);
    EXPECT_EQ(order(*q), (V{3, 2, 1}));
    applySort(*q, 88, true);
    EXPECT_EQ(order(*q), (V{3, 2, 1}));
    applySort(*q, 1, true);
    EXPECT_EQ(order(*q), (V{1, 2, 3}));
}

TEST(Sort, WindowSize) {
    EXPECT_EQ(autoResizeWindow(9, false, true), (WindowSize{947, 9 * 41 + 150, 0}));
    EXPECT_EQ(autoResizeWindow(19, true, true), (WindowSize{1175, 19 * 41 + 150, 228}));
    EXPECT_EQ(autoResizeWindow(19, true, false), std::nullopt);
}
