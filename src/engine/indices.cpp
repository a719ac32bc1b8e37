#include "engine/indices.h"

#include "data/text.h"
#include "engine/running_style.h"
#include "engine/tenths.h"

#include <algorithm>

namespace velmar::engine {

const PointsTable pointsNormal = {55, 53, 43, 40, 35, 32, 28, 26, 20,
                                  24, 18, 11, 14, 8,  10, 5,  5,  3};
const PointsTable pointsUpset = {55, 43, 40, 28, 53, 26, 35, 24, 20,
                                 32, 18, 11, 14, 8,  10, 5,  5,  3};
const PointsTable pointsLongshot = {20, 53, 43, 28, 55, 32, 40, 26, 24,
                                    35, 18, 11, 14, 8,  10, 5,  5,  3};

int32_t pointsAt(const PointsTable& table, int position) {
    return position >= 1 && position <= kPointsPositions ? table[position - 1] : 0;
}

std::string oddsKeyOf(std::string_view winOdds) {
    std::string_view t = data::trimmed(winOdds);
    if (t == "/")
        return "99999";
    if (t == "*")
        return "99998";
    if (t == "-")
        return "99997";
    return std::string(winOdds);
}

namespace {

using Rows = std::vector<RatingRow>;
// Row indices into the horse-ordered table, in the order of the working table.
using Order = std::vector<size_t>;

// The sort keys of a row as integers (a cell that is not a number counts as
// 0), read once: the cells never change while the orders are taken.
struct Keys {
    std::vector<int32_t> rating;
    std::vector<int32_t> odds;
    explicit Keys(const Rows& rows) {
        for (const RatingRow& r : rows) {
            rating.push_back(data::intOf(r.ratingCell));
            odds.push_back(data::intOf(r.oddsKey));
        }
    }
};

// The working table is reordered by successive stable single-column sorts,
// so ties fall back to the order the previous sorts left.
void stableSortBy(Order& order, const std::vector<int32_t>& key, bool ascending) {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return ascending ? key[a] < key[b] : key[b] < key[a];
    });
}

Order horseOrder(size_t n) {
    Order o(n);
    for (size_t i = 0; i < n; ++i)
        o[i] = i;
    return o; // rows are built in horse order
}

// rating descending, then odds key ascending, then horse ascending
Order ratingOrder(const Keys& k) {
    Order o = horseOrder(k.rating.size());
    stableSortBy(o, k.odds, true);
    stableSortBy(o, k.rating, false);
    return o;
}

// odds key ascending, then rating descending, then horse ascending
Order oddsOrder(const Keys& k) {
    Order o = horseOrder(k.rating.size());
    stableSortBy(o, k.rating, false);
    stableSortBy(o, k.odds, true);
    return o;
}

// QV descending, then the odds order
Order qvOrder(const Rows& rows, const Keys& k) {
    Order o = oddsOrder(k);
    std::vector<int32_t> qv;
    for (const RatingRow& r : rows)
        qv.push_back(r.qvIndex);
    stableSortBy(o, qv, false);
    return o;
}

std::vector<int32_t> horsesOf(const Rows& rows, const Order& o) {
    std::vector<int32_t> h;
    h.reserve(o.size());
    for (size_t i : o)
        h.push_back(rows[i].horse);
    return h;
}

// Position 1 gets rank 1; a later position shares the rank of the one before
// when its cell text is equal, otherwise takes its own position.
template <class Cell, class Set> void rankBy(Rows& rows, const Order& o, Cell cell, Set set) {
    int32_t rank = 0;
    for (size_t pos = 0; pos < o.size(); ++pos) {
        if (pos == 0 || cell(rows[o[pos]]) != cell(rows[o[pos - 1]]))
            rank = static_cast<int32_t>(pos + 1);
        set(rows[o[pos]], rank);
    }
}

void assignIndices(Rows& rows, const Keys& keys, const PointsTable& table) {
    Order o = oddsOrder(keys);
    for (size_t pos = 0; pos < o.size(); ++pos)
        rows[o[pos]].oIndex = pointsAt(table, static_cast<int>(pos + 1));
    o = ratingOrder(keys);
    for (size_t pos = 0; pos < o.size(); ++pos)
        rows[o[pos]].rIndex = pointsAt(table, static_cast<int>(pos + 1));
}

void sumIndices(Rows& rows) {
    for (RatingRow& r : rows)
        r.qvIndex = r.rIndex + r.oIndex;
}

std::string oddsTextOf(const std::string& key) {
    if (key == "99999")
        return "/";
    if (key == "99998")
        return "*";
    if (key == "99997")
        return "-";
    int32_t v = 0;
    if (data::tryIntOf(key, v))
        return tenthsText(v);
    return data::format01(data::floatOf(key) / 10.0);
}

} // namespace

Status computeIndices(Prediction& p, const std::optional<std::vector<std::string>>& winOdds,
                      std::string_view raceLabel) {
    const size_t n = p.runners.size();
    p.racePattern = 0;
    p.hasRatings = false;
    p.hasOdds = false;
    p.favouritesRated = false;
    p.quinellaFlow = p.trifectaFlow = p.trioFlow = false;
    p.markedHorses = {};
    p.gapHorses = {};
    for (TBachu& r : p.runners) {
        r.ratingRank = r.oddsRank = 0;
        r.rIndex = r.oIndex = r.qvIndex = 0;
        r.oddsText.clear();
    }

    Rows rows(n);
    for (size_t i = 0; i < n; ++i) {
        rows[i].horse = static_cast<int32_t>(i + 1);
        rows[i].ratingCell = std::to_string(p.runners[i].rating);
        if (winOdds && i < winOdds->size())
            rows[i].oddsKey = oddsKeyOf((*winOdds)[i]);
    }

    const Keys keys(rows);

    // Rating order: R ranks. An empty field has no ratings.
    Order o = ratingOrder(keys);
    p.hasRatings = n > 0 && data::trimmed(rows[o[0]].ratingCell) != "0";
    const int32_t topRating = n > 0 ? data::intOf(rows[o[0]].ratingCell) : 0;
    rankBy(
        rows, o, [](const RatingRow& r) -> const std::string& { return r.ratingCell; },
        [](RatingRow& r, int32_t rank) { r.ratingRank = rank; });

    // Odds order: O ranks, odds texts.
    o = oddsOrder(keys);
    p.hasOdds = n > 0 && !data::trimmed(rows[o[0]].oddsKey).empty();
    p.favouritesRated = true;
    for (size_t pos = 0; pos < 6 && pos < n; ++pos)
        if (rows[o[pos]].ratingCell == "0")
            p.favouritesRated = false;
    const bool anyUnrated = std::any_of(rows.begin(), rows.end(),
                                        [](const RatingRow& r) { return r.ratingCell == "0"; });
    rankBy(
        rows, o, [](const RatingRow& r) -> const std::string& { return r.oddsKey; },
        [](RatingRow& r, int32_t rank) { r.oddsRank = rank; });

    // Favourites: the best four by rating, then the best four by odds.
    std::vector<int32_t> favourites;
    for (size_t i : o)
        if (rows[i].ratingRank <= 4)
            favourites.push_back(rows[i].horse);
    for (size_t i : o)
        if (rows[i].oddsRank <= 4 &&
            std::find(favourites.begin(), favourites.end(), rows[i].horse) == favourites.end())
            favourites.push_back(rows[i].horse);

    if (p.hasRatings && p.hasOdds) {
        if (favourites.size() > 5) {
            p.racePattern = 3;
        } else {
            const RatingRow& fav = rows[o[0]];
            int32_t key = 0;
            if (!data::tryIntOf(fav.oddsKey, key))
                return Error{std::string(raceLabel) + " " + std::to_string(fav.horse) +
                             "番の単勝オッズ（WinOdds）「" + fav.oddsKey +
                             "」が数値ではありません。処理を中止します。"};
            p.racePattern = key >= 30 ? 2 : 1;
        }
    }

    if (p.racePattern >= 1 && p.racePattern <= 3)
        assignIndices(rows, keys, pointsNormal);

    // Gap horses: popularity lags the rating by five ranks or more.
    o = ratingOrder(keys);
    if (p.racePattern >= 1 && p.racePattern <= 3 && n >= 14 && keys.odds[o[0]] >= 30 &&
        !anyUnrated && topRating >= 530 && topRating <= 670) {
        auto sameRanks = [&](size_t a, size_t b) {
            return rows[a].oddsRank == rows[b].oddsRank && rows[a].ratingRank == rows[b].ratingRank;
        };
        auto gapText = [&](size_t i) {
            return data::blankPad2(rows[i].horse) + " " + p.runners[i].horseName;
        };
        for (size_t t = 0; t < n; ++t) {
            if (rows[o[t]].oddsRank - rows[o[t]].ratingRank < 5)
                continue;
            p.gapHorses[0] = gapText(o[t]);
            if (t + 1 < n && sameRanks(o[t + 1], o[t])) {
                p.gapHorses[1] = gapText(o[t + 1]);
                if (t + 2 < n && sameRanks(o[t + 2], o[t]))
                    p.gapHorses[2] = gapText(o[t + 2]);
            }
            break;
        }
    }

    sumIndices(rows);
    o = qvOrder(rows, keys);

    // 大穴 when even the best QV index is low; 波乱 takes its own table.
    const bool longshot = n > 0 && rows[o[0]].qvIndex <= 98 && p.hasRatings && p.hasOdds;
    if (longshot || p.racePattern == 3) {
        if (longshot)
            p.racePattern = 4;
        assignIndices(rows, keys, longshot ? pointsLongshot : pointsUpset);
        sumIndices(rows);
        o = qvOrder(rows, keys);
    }

    if (p.racePattern != 1) {
        const int32_t qv1 = n > 0 ? rows[o[0]].qvIndex : 0;
        const int32_t qv2 = n > 1 ? rows[o[1]].qvIndex : 0;
        p.quinellaFlow = qv1 >= 106 && qv1 - qv2 <= 10;
        p.trifectaFlow = qv1 >= 108 && qv1 <= 110;
        p.trioFlow = qv1 >= 108 && qv1 - qv2 >= 12;
    }

    // Marks in QV order; in a 大穴 race the QV leader goes unmarked.
    const size_t skip = p.racePattern == 4 ? 1 : 0;
    for (size_t u = 0; u < 6; ++u) {
        size_t pos = u + skip;
        if (pos < n) {
            p.markedHorses[u] = rows[o[pos]].horse;
            rows[o[pos]].mark = markSymbol(static_cast<int>(u + 1));
        }
    }

    for (size_t i = 0; i < n; ++i) {
        TBachu& r = p.runners[i];
        r.ratingRank = rows[i].ratingRank;
        r.oddsRank = rows[i].oddsRank;
        r.oddsText = oddsTextOf(rows[i].oddsKey);
        r.rIndex = rows[i].rIndex;
        r.oIndex = rows[i].oIndex;
        r.qvIndex = rows[i].qvIndex;
    }
    p.rating.ratingOrder = horsesOf(rows, ratingOrder(keys));
    p.rating.oddsOrder = horsesOf(rows, oddsOrder(keys));
    p.rating.qvOrder = horsesOf(rows, o);
    p.rating.rows = std::move(rows);
    return okStatus();
}

} // namespace velmar::engine
