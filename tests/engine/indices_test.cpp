// The index engine: ranks, indices, pattern, gap horses, flags and marks.

#include "engine/indices.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace velmar::engine;

namespace {

Prediction runnersOf(const std::vector<int32_t>& ratings) {
    Prediction p;
    p.runners.resize(ratings.size());
    for (size_t i = 0; i < ratings.size(); ++i) {
        p.runners[i].rating = ratings[i];
        p.runners[i].horseName = "ホース" + std::to_string(i + 1);
    }
    return p;
}

Prediction computed(const std::vector<int32_t>& ratings,
                    const std::optional<std::vector<std::string>>& odds) {
    Prediction p = runnersOf(ratings);
    EXPECT_TRUE(computeIndices(p, odds, "中山11R").ok());
    return p;
}

template <class F> std::vector<int32_t> each(const Prediction& p, F f) {
    std::vector<int32_t> v;
    for (const TBachu& r : p.runners)
        v.push_back(f(r));
    return v;
}

std::vector<int32_t> ratingRanks(const Prediction& p) {
    return each(p, [](const TBachu& r) { return r.ratingRank; });
}
std::vector<int32_t> oddsRanks(const Prediction& p) {
    return each(p, [](const TBachu& r) { return r.oddsRank; });
}
std::vector<int32_t> rIndices(const Prediction& p) {
    return each(p, [](const TBachu& r) { return r.rIndex; });
}
std::vector<int32_t> oIndices(const Prediction& p) {
    return each(p, [](const TBachu& r) { return r.oIndex; });
}
std::vector<int32_t> qvIndices(const Prediction& p) {
    return each(p, [](const TBachu& r) { return r.qvIndex; });
}

using V = std::vector<int32_t>;
using Marks = std::array<int32_t, 6>;

} // namespace

TEST(Indices, WorkedExampleOfEightRunners) {
    const Prediction p = computed({600, 590, 570, 560, 565, 540, 530, 520},
                                  std::vector<std::string>{"00025", "00040", "00055", "00080",
                                                           "00120", "00150", "00300", "00450"});
    EXPECT_EQ(ratingRanks(p), (V{1, 2, 3, 5, 4, 6, 7, 8}));
    EXPECT_EQ(oddsRanks(p), (V{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(p.racePattern, 1);
    EXPECT_EQ(oIndices(p), (V{55, 53, 43, 40, 35, 32, 28, 26}));
    EXPECT_EQ(rIndices(p), (V{55, 53, 43, 35, 40, 32, 28, 26}));
    EXPECT_EQ(qvIndices(p), (V{110, 106, 86, 75, 75, 64, 56, 52}));
    EXPECT_FALSE(p.quinellaFlow || p.trifectaFlow || p.trioFlow);
    // Horses 4 and 5 tie on 75: horse 4 has the lower odds key.
    EXPECT_EQ(p.markedHorses, (Marks{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(p.rating.qvOrder, (V{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(p.rating.ratingOrder, (V{1, 2, 3, 5, 4, 6, 7, 8}));
    EXPECT_TRUE(p.hasRatings && p.hasOdds && p.favouritesRated);
    EXPECT_EQ(p.runners[0].oddsText, "2.5");
    EXPECT_EQ(p.runners[7].oddsText, "45.0");
    EXPECT_EQ(p.rating.rows[4].mark, "×");
    EXPECT_EQ(p.gapHorses, (std::array<std::string, 4>{}));
}

TEST(Indices, EqualRatingsShareARankButNotAnIndex) {
    // Horses 2 and 3 are both 58.0; horse 3 has the lower odds key.
    const Prediction p = computed({600, 580, 580, 550},
                                  std::vector<std::string>{"00030", "00050", "00040", "00060"});
    EXPECT_EQ(ratingRanks(p), (V{1, 2, 2, 4}));
    EXPECT_EQ(p.rating.ratingOrder, (V{1, 3, 2, 4}));
    EXPECT_EQ(rIndices(p), (V{55, 43, 53, 40}));
}

TEST(Indices, OddsRankComparesTheRawTextOfTheOddsKey) {
    // "00035" and "   35" sort as the same number but are different texts.
    const Prediction p =
        computed({600, 590, 580}, std::vector<std::string>{"00035", "   35", "00035"});
    EXPECT_EQ(p.rating.oddsOrder, (V{1, 2, 3}));
    EXPECT_EQ(oddsRanks(p), (V{1, 2, 3}));
    EXPECT_EQ(p.runners[1].oddsText, "3.5");
}

TEST(Indices, ScratchedAndMarkedHorsesSortLastInTheirOwnOrder) {
    const Prediction p =
        computed({600, 590, 580, 570, 560},
                 std::vector<std::string>{"    /", "00030", "    -", "    *", "00050"});
    EXPECT_EQ(p.rating.oddsOrder, (V{2, 5, 3, 4, 1}));
    EXPECT_EQ(oddsRanks(p), (V{5, 1, 3, 4, 2}));
    EXPECT_EQ(p.runners[0].oddsText, "/");
    EXPECT_EQ(p.runners[2].oddsText, "-");
    EXPECT_EQ(p.runners[3].oddsText, "*");
    EXPECT_EQ(p.rating.rows[0].oddsKey, "99999");
}

TEST(Indices, InitialUpsetWithLowLeaderBecomesLongshotWithItsOwnTable) {
    // Favourites by rating (4, 5, 2, 6) and by odds (1, 2, 3, 4): six horses,
    // so 波乱; the best QV under the normal table is 96 (horse 2), so 大穴.
    const Prediction p = computed({560, 580, 550, 600, 590, 570, 540, 530},
                                  std::vector<std::string>{"00020", "00030", "00040", "00050",
                                                           "00060", "00070", "00080", "00090"});
    EXPECT_EQ(p.racePattern, 4);
    // Longshot table 20 53 43 28 55 32 40 26 by odds and by rating position.
    EXPECT_EQ(oIndices(p), (V{20, 53, 43, 28, 55, 32, 40, 26}));
    EXPECT_EQ(rIndices(p), (V{55, 43, 32, 20, 53, 28, 40, 26}));
    EXPECT_EQ(qvIndices(p), (V{75, 96, 75, 48, 108, 60, 80, 52}));
    // The QV leader (horse 5) goes unmarked; 1 and 3 tie, 1 has the lower odds.
    EXPECT_EQ(p.markedHorses, (Marks{2, 7, 1, 3, 6, 8}));
    EXPECT_FALSE(p.quinellaFlow); // 108 - 96 = 12 > 10
    EXPECT_TRUE(p.trifectaFlow);
    EXPECT_TRUE(p.trioFlow);
}

TEST(Indices, UpsetWithHighLeaderKeepsTheUpsetTable) {
    // Six favourites, but horse 1 is first by both: QV 110 under the normal table.
    const Prediction p = computed({600, 560, 550, 590, 580, 570, 540, 530},
                                  std::vector<std::string>{"00020", "00030", "00040", "00050",
                                                           "00060", "00070", "00080", "00090"});
    EXPECT_EQ(p.racePattern, 3);
    EXPECT_EQ(oIndices(p), (V{55, 43, 40, 28, 53, 26, 35, 24}));
    EXPECT_EQ(rIndices(p), (V{55, 53, 26, 43, 40, 28, 35, 24}));
    EXPECT_EQ(qvIndices(p), (V{110, 96, 66, 71, 93, 54, 70, 48}));
    EXPECT_FALSE(p.quinellaFlow); // 110 - 96 = 14 > 10
    EXPECT_TRUE(p.trioFlow);
    EXPECT_EQ(p.runners[0].qvIndex, 110);
    EXPECT_TRUE(p.trifectaFlow);
}

TEST(Indices, PatternFromTheFavouritesOdds) {
    struct Case {
        std::string favouriteOdds;
        int pattern;
    };
    for (const Case& c : {Case{"00029", 1}, Case{"00030", 2}, Case{"   45", 2}}) {
        const Prediction p =
            computed({600, 590, 580, 570, 560},
                     std::vector<std::string>{c.favouriteOdds, "00100", "00200", "00300", "00400"});
        EXPECT_EQ(p.racePattern, c.pattern) << c.favouriteOdds;
    }
}

TEST(Indices, FavouriteOddsThatAreNotANumberStopThePrediction) {
    Prediction p = runnersOf({600, 590, 580});
    const auto s = computeIndices(p, std::vector<std::string>{"0 25", "00100", "00200"}, "中山11R");
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find("中山11R"), std::string::npos);
    EXPECT_NE(s.error().message.find("1番"), std::string::npos);
    EXPECT_NE(s.error().message.find("WinOdds"), std::string::npos);
}

TEST(Indices, WithoutOddsEveryRunnerIsFirstAndNothingIsComputed) {
    const Prediction p = computed({600, 590, 580, 570, 560, 550, 540}, std::nullopt);
    EXPECT_EQ(p.racePattern, 0);
    EXPECT_FALSE(p.hasOdds);
    EXPECT_EQ(oddsRanks(p), (V{1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(qvIndices(p), (V{0, 0, 0, 0, 0, 0, 0}));
    for (const TBachu& r : p.runners)
        EXPECT_EQ(r.oddsText, "0.0");
    // The marks still go to the first six of the QV order (the gate clears them).
    EXPECT_EQ(p.markedHorses, (Marks{1, 2, 3, 4, 5, 6}));
}

TEST(Indices, WithoutRatingsThereIsNoPattern) {
    const Prediction p =
        computed({0, 0, 0, 0}, std::vector<std::string>{"00030", "00050", "00040", "00060"});
    EXPECT_FALSE(p.hasRatings);
    EXPECT_FALSE(p.favouritesRated);
    EXPECT_EQ(p.racePattern, 0);
    EXPECT_EQ(ratingRanks(p), (V{1, 1, 1, 1}));
    EXPECT_EQ(rIndices(p), (V{0, 0, 0, 0}));
}

TEST(Indices, FiveRunnersGetFiveMarks) {
    const Prediction p =
        computed({600, 590, 580, 570, 560},
                 std::vector<std::string>{"00020", "00030", "00040", "00050", "00060"});
    EXPECT_EQ(p.markedHorses, (Marks{1, 2, 3, 4, 5, 0}));
}

TEST(Indices, PositionsBeyondEighteenScoreNothing) {
    std::vector<int32_t> ratings;
    std::vector<std::string> odds;
    for (int h = 1; h <= 20; ++h) {
        ratings.push_back(700 - 5 * h);
        odds.push_back("00" + std::to_string(100 + 10 * h));
    }
    const Prediction p = computed(ratings, odds);
    ASSERT_EQ(p.runners.size(), 20u);
    EXPECT_EQ(p.runners[17].rIndex, 3);
    EXPECT_EQ(p.runners[18].rIndex, 0);
    EXPECT_EQ(p.runners[19].oIndex, 0);
    EXPECT_EQ(p.runners[19].qvIndex, 0);
    EXPECT_EQ(p.runners[19].ratingRank, 20);
    EXPECT_EQ(pointsAt(pointsNormal, 19), 0);
    EXPECT_EQ(pointsAt(pointsLongshot, 0), 0);
}

TEST(Indices, EmptyFieldHasNothing) {
    const Prediction p = computed({}, std::vector<std::string>{});
    EXPECT_FALSE(p.hasRatings);
    EXPECT_FALSE(p.hasOdds);
    EXPECT_EQ(p.racePattern, 0);
    EXPECT_EQ(p.markedHorses, (Marks{}));
}

namespace {

// n runners: odds keys 30, 40, ... (O rank = horse number), ratings falling
// with the horse number, except the overrides.
struct GapCase {
    const char* what;
    int runners;
    int base;                                     // rating of horse h is base - 5h
    std::vector<std::pair<int, int32_t>> ratings; // horse, rating
    std::vector<std::pair<int, std::string>> odds;
    std::array<std::string, 4> expected;
};

Prediction gapRace(const GapCase& c) {
    std::vector<int32_t> ratings;
    std::vector<std::string> odds;
    for (int h = 1; h <= c.runners; ++h) {
        ratings.push_back(c.base - 5 * h);
        const int key = 20 + 10 * h;
        odds.push_back(std::string(key < 100 ? "000" : "00") + std::to_string(key));
    }
    for (auto [h, r] : c.ratings)
        ratings[h - 1] = r;
    for (auto [h, o] : c.odds)
        odds[h - 1] = o;
    return computed(ratings, odds);
}

} // namespace

TEST(Indices, GapHorses) {
    const std::string h9 = " 9 ホース9", h10 = "10 ホース10", h11 = "11 ホース11";
    const std::vector<GapCase> cases = {
        {"one gap horse in 14", 14, 600, {{9, 597}}, {}, {h9, "", "", ""}},
        {"13 runners never", 13, 600, {{9, 597}}, {}, {}},
        {"gap below five ranks", 14, 600, {{5, 597}}, {}, {}},
        {"chain of three, the fourth left out",
         14,
         600,
         {{9, 597}, {10, 597}, {11, 597}, {12, 597}},
         {{9, "00100"}, {10, "00100"}, {11, "00100"}, {12, "00100"}},
         {h9, h10, h11, ""}},
        {"next differs in O rank: no chain",
         14,
         600,
         {{9, 597}, {10, 597}},
         {{9, "00100"}},
         {h9, "", "", ""}},
        {"an unrated runner stops it", 14, 600, {{9, 597}, {14, 0}}, {}, {}},
        {"top rating above 670", 14, 600, {{9, 597}, {1, 671}}, {}, {}},
        {"top rating 670", 14, 600, {{9, 597}, {1, 670}}, {}, {h9, "", "", ""}},
        {"top rating below 530", 14, 533, {{9, 529}}, {}, {}},
        {"top rating 530", 14, 533, {{9, 530}}, {}, {h9, "", "", ""}},
        {"best-rated runner's odds below 3.0", 14, 600, {{9, 597}, {1, 599}}, {{1, "00029"}}, {}},
    };
    for (const GapCase& c : cases) {
        const Prediction p = gapRace(c);
        EXPECT_EQ(p.gapHorses, c.expected) << c.what;
    }
}
