#pragma once
// The prediction of one race as a value: the runner records, the index
// engine's results, the main grid with every cell text, colour and border,
// the hidden sort table, the ticket lists and the bet panel. predictRace builds
// it from the loaded race day; the windows and exports only read it.

#include "data/race_day.h"
#include "data/result.h"
#include "engine/bet_suggestions.h"
#include "engine/history_row.h"

#include <array>
#include <compare>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmar::engine {

// A calendar date with a time of day; the dates of the data carry time 0.
struct DateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int secondOfDay = 0; // 0 .. 86399
    auto operator<=>(const DateTime&) const = default;
};

// Runner record: one per runner of the race, index = horse number - 1.
struct TBachu {
    std::array<std::string, 3> pastRaceCells; // index 0 = most recent race
    std::array<int32_t, 3> pastSurfaces{};    // 1 芝, 2 ダ, 3 障, 0 other
    std::array<int32_t, 3> pastDistances{};   // metres
    std::array<bool, 3> pastRan{};            // the race has a finishing code above 0
    std::array<int32_t, 3> pastFinishes{};    // 1, 2, ...; 31-35 abnormal ends
    DateTime raceDate;                        // date of the race predicted
    std::array<DateTime, 3> pastDates;        // "now" when the block has no date
    int32_t horseCode = 0;
    int32_t rating = 0;     // tenths, 0 = no rating
    int32_t ratingRank = 0; // R順位, 1 = best
    double winPoints = 0;   // never computed; kept for the pace map and newsletter
    double returnPoints = 0;
    double totalPoints = 0;
    std::string runningStyle;   // 逃げ / 先行 / 差し / 追込 or empty
    std::string distanceChange; // 延長 / 短縮 / 同距離 / 別ﾄﾗｯｸ or empty
    std::string typeGrade;      // never set
    int32_t oddsRank = 0;       // O順位, 1 = best
    std::string oddsText;       // "/", "*", "-" or "#0.0"
    std::string weightText;     // weight carried "#0.0"
    std::string jockeyText;     // short jockey name
    int32_t rIndex = 0;
    int32_t oIndex = 0;
    int32_t qvIndex = 0;
    std::string horseName;

    bool operator==(const TBachu&) const = default;
};

// Working table of the index engine, one row per runner in horse order.
struct RatingRow {
    int32_t horse = 0;
    std::string ratingCell; // rating as an integer text ("0" = no rating)
    int32_t ratingRank = 0;
    int32_t rIndex = 0;
    std::string oddsKey; // 5 raw bytes of the odds, "99999"/"99998"/"99997", or empty
    int32_t oddsRank = 0;
    int32_t oIndex = 0;
    int32_t qvIndex = 0;
    std::string mark; // ◎ ○ ▲ △ × × of the marked rows
    bool operator==(const RatingRow&) const = default;
};

struct RatingTable {
    std::vector<RatingRow> rows;      // horse order
    std::vector<int32_t> ratingOrder; // horse numbers, best first
    std::vector<int32_t> oddsOrder;
    std::vector<int32_t> qvOrder;
    bool operator==(const RatingTable&) const = default;
};

inline constexpr int kGridColumns = 12;
inline constexpr int kGridHeaderHeight = 18;
inline constexpr int kGridRowHeight = 41;
inline constexpr const char* kBreakBorderColor = "#C0C0C0";

struct GridCell {
    std::string text;                   // with cell markup
    std::string background = "#FFFFFF"; // "#RRGGBB"
    std::string fontColor = "#000000";
    int rightBorderWidth = 0;     // 2 where more than three months passed before the next race
    std::string rightBorderColor; // kBreakBorderColor when drawn
    bool operator==(const GridCell&) const = default;
};

struct GridRow {
    int32_t horse = 0; // horse number of the row (also readable from column 1)
    std::array<GridCell, kGridColumns> cells;
    bool operator==(const GridRow&) const = default;
};

// Grid1: header texts and hints, data rows in display order (after the sort).
struct MainGrid {
    std::array<std::string, kGridColumns> headers;
    std::array<std::string, kGridColumns> headerHints;
    std::vector<GridRow> rows;
    int sortMarkerColumn = 1;
    bool sortAscending = true;
    std::string sortStatusText; // status bar panel text of the sort
    bool operator==(const MainGrid&) const = default;
};

inline constexpr int kKuraiColumns = 10;
// grdKurai: plain values, same row order as the main grid; the sort source.
using KuraiRow = std::array<std::string, kKuraiColumns>;

// grdHtml: the newsletter layout of developer HTML mode, horse order.
struct HtmlGrid {
    std::array<std::string, kGridColumns> headers;
    std::vector<std::array<GridCell, kGridColumns>> rows;
    bool operator==(const HtmlGrid&) const = default;
};

// standardValues[v][r][g]: v = 0 first value, 1 second value; row r, group g.
using StandardValues = std::array<std::array<std::array<std::string, 4>, 4>, 2>;

// TicketLists and BetPanel: see bet_suggestions.h.

struct Prediction {
    int raceIndex = -1; // k
    int raceNo = 0;     // raceNoText as an integer
    int firstRunner = 0;
    int lastRunner = -1;
    std::vector<TBachu> runners;
    std::vector<std::string> runnerHintText; // per runner: sex+age (6 bytes) + coat (6 bytes)
    int frontRunnerCount = 0;
    StandardValues standardValues;

    bool hasRatings = false;
    bool hasOdds = false;
    bool favouritesRated = false;
    int32_t racePattern = 0; // 0 none, 1 本命, 2 順当, 3 波乱, 4 大穴
    std::array<int32_t, 6> markedHorses{};
    std::array<std::string, 4> gapHorses;
    bool quinellaFlow = false;
    bool trifectaFlow = false;
    bool trioFlow = false;
    RatingTable rating; // grdRating

    MainGrid grid;               // Grid1
    std::vector<KuraiRow> kurai; // grdKurai, same row order as grid.rows
    HtmlGrid html;               // grdHtml, only in developer HTML mode
    std::string titleText1;
    std::string titleText2;
    std::string patternText; // shown by the pattern indicator; empty when no bets

    TicketLists tickets;
    BetPanel betPanel;

    // Messages the prediction showed on its way (standard data, history
    // lookups), in order; the prediction itself completed.
    std::vector<std::string> messages;

    bool operator==(const Prediction&) const = default;
};

struct PredictOptions {
    int sortCode = 1;            // current sort (see grid_sort.h)
    bool showThreeRaces = false; // column 3 (3走前) shown
    bool htmlMode = false;       // developer HTML mode: fill grdHtml
    HistorySupplier history;     // empty when the history store is not connected
    bool progressShown = false;  // a day-wide run: no history lookups
    DateTime now;                // stands in for a past race without a date
    std::filesystem::path home;  // Velmar home (Data/ holds the standard data)
};

// Predicts race k (0-based) of the day. A field that must be a number and is
// not (RunnerCount of race k or an earlier race, WeightCarried, the favourite's
// odds, standard-data counts) gives an error naming race, horse and field.
Result<Prediction> predictRace(const data::RaceDay& day, int k, const PredictOptions& options);

} // namespace velmar::engine
