// predictRace: from the lines of one race to the filled prediction.

#include "data/codes.h"
#include "data/horse_line.h"
#include "data/race_line.h"
#include "data/sjis.h"
#include "data/text.h"
#include "engine/grid_sort.h"
#include "engine/history_line.h"
#include "engine/indices.h"
#include "engine/main_grid.h"
#include "engine/prediction.h"
#include "engine/running_style.h"
#include "engine/standard_data.h"
#include "engine/tenths.h"
#include "engine/update_bets.h"

#include <chrono>

namespace velmar::engine {

namespace {

std::optional<DateTime> validDate(int y, int m, int d) {
    using namespace std::chrono;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(m)},
                             day{static_cast<unsigned>(d)}};
    if (m < 1 || m > 12 || d < 1 || !ymd.ok())
        return std::nullopt;
    return DateTime{y, m, d, 0};
}

// Date of the race predicted, from its date text "2006/12/24(日)".
DateTime raceDateOf(std::string_view text) {
    auto part = [&](size_t at, size_t len) {
        return at < text.size() ? data::intOf(text.substr(at, len)) : 0;
    };
    return DateTime{part(0, 4), part(5, 2), part(8, 2), 0};
}

struct RunnerContext {
    const data::RaceTexts& texts;
    const PredictOptions& options;
    std::vector<std::string>& messages;
};

TBachu buildRunnerRecord(const data::HorseLine& horse, const RunnerContext& ctx) {
    TBachu r;
    r.horseName = horse.horseNameText();
    r.horseCode = horse.horseCodeValue();

    std::optional<std::vector<HistoryRow>> history;
    if (ctx.options.history && !ctx.options.progressShown) {
        auto rows = ctx.options.history(r.horseCode);
        if (rows)
            history = std::move(*rows);
        else
            ctx.messages.push_back("DataSet Error...");
    }

    const int today = data::intOf(ctx.texts.distanceText);
    int first = 0, second = 0;
    for (int k = 1; k <= data::kPastRaceCount; ++k) {
        const data::PastRace race = horse.past(k);
        if (race.finishPosValue() <= 0)
            continue;
        const int pos = normalizePosition(race.corner4());
        if (first == 0)
            first = pos;
        else if (second == 0)
            second = pos;
        if (r.distanceChange.empty())
            r.distanceChange =
                distanceChangeText(today, race.distanceValue(), ctx.texts.raceKindLabel,
                                   data::raceKindText(race.jumpFlag(), race.surfaceCode()));
        if (k <= 3)
            r.pastRan[k - 1] = true;
    }

    for (int b = 0; b < 3; ++b) {
        const data::PastRace race = horse.past(b + 1);
        r.pastFinishes[b] = race.finishPosValue();
        r.pastSurfaces[b] =
            data::trackKindNumber(data::raceKindText(race.jumpFlag(), race.surfaceCode()));
        r.pastDistances[b] = race.distanceValue();
        const auto date = race.date();
        const auto valid = date ? validDate(date->year, date->month, date->day) : std::nullopt;
        r.pastDates[b] = valid ? *valid : ctx.options.now;
        if (data::sjisLeft(data::venueName(race.venueCode()), 4) != "----") {
            const std::string line =
                history ? historyLine(*history, race.raceDate()) : std::string();
            r.pastRaceCells[b] = pastRaceCell(race, r.pastSurfaces[b], r.pastDistances[b], line);
        }
    }

    r.raceDate = raceDateOf(ctx.texts.raceDateText);
    r.runningStyle = styleFromPositions(first, second);
    return r;
}

std::string raceLabelOf(const data::RaceTexts& texts) {
    return texts.venueLabel + texts.raceNoText + "R";
}

} // namespace

Result<Prediction> predictRace(const data::RaceDay& day, int k, const PredictOptions& options) {
    if (k < 0 || k >= day.raceCount)
        return Error{"レース番号 " + std::to_string(k) + " はこの開催日にありません（全" +
                     std::to_string(day.raceCount) + "レース）。"};
    auto range = data::runnerRange(day, k);
    if (!range)
        return range.error();

    const data::RaceTexts& texts = day.texts(k);
    const std::string raceLabel = raceLabelOf(texts);
    const int n = range->count();

    Prediction p;
    p.raceIndex = k;
    p.raceNo = data::intOf(texts.raceNoText);
    p.firstRunner = range->first;
    p.lastRunner = range->last;
    p.titleText1 = texts.titleText1;
    p.titleText2 = texts.titleText2;
    p.runners.resize(n);
    p.runnerHintText.resize(n);
    p.grid.headers = gridHeaders();
    p.grid.headerHints = gridHeaderHints();
    p.grid.rows.resize(n);
    p.kurai.assign(n, KuraiRow{});

    std::vector<std::string> frameNos(n);
    const RunnerContext ctx{texts, options, p.messages};
    for (int j = 0; j < n; ++j) {
        const int i = range->first + j;
        const int32_t h = j + 1;
        const data::EntryLine entry{day.entryLine(i)};
        const data::HorseLine horse{day.horseLine(i)};
        TBachu& r = p.runners[j];
        r = buildRunnerRecord(horse, ctx);

        int32_t weight = 0;
        if (!data::tryIntOf(entry.weightCarried(), weight))
            return Error{raceLabel + " " + std::to_string(h) + "番 " + entry.horseNameText() +
                         ": 斤量（WeightCarried）「" + data::sjisToUtf8(entry.weightCarried()) +
                         "」が数値ではありません。処理を中止します。"};
        r.weightText = tenthsText(weight);
        r.jockeyText = entry.jockeyShortNameText();
        if (r.runningStyle == "逃げ")
            ++p.frontRunnerCount;

        GridRow& row = p.grid.rows[j];
        row.horse = h;
        frameNos[j] = data::sjisToUtf8(entry.frameNo());
        row.cells[0].text = frameCell(frameNos[j]);
        row.cells[1].text = horseCell(h);
        row.cells[2].text = nameCell(entry.sexCode(), entry.ageValue(), h, entry.horseNameText(),
                                     r.weightText, entry.jockeyNameText());
        r.rating = entry.ratingValue();
        p.runnerHintText[j] =
            data::padRight(data::sexText(entry.sexCode()) + std::to_string(entry.ageValue()), 6) +
            data::padRight(data::coatText(horse.coatCode()), 6);
    }

    // Past-race columns, their backgrounds and the long-break borders.
    for (int j = 0; j < n; ++j) {
        const TBachu& r = p.runners[j];
        GridRow& row = p.grid.rows[j];
        const CellColors frame = frameColors(row.cells[0].text);
        row.cells[0].background = frame.background;
        row.cells[0].fontColor = frame.font;
        for (int c = 3; c <= 5; ++c) {
            const int index = 5 - c;
            GridCell& cell = row.cells[c];
            cell.text = r.pastRaceCells[index];
            cell.background = pastRaceBackground(r, index);
            const DateTime& next = index == 0 ? r.raceDate : r.pastDates[index - 1];
            if (longBreak(r.pastDates[index], next)) {
                cell.rightBorderWidth = 2;
                cell.rightBorderColor = kBreakBorderColor;
            }
        }
    }

    auto standard =
        loadStandardData(options.home, texts.venueLabel, texts.raceKindLabel, p.frontRunnerCount,
                         texts.courseLayoutLabel, texts.distanceText);
    if (!standard)
        return Error{raceLabel + " 標準データ: " + standard.error().message};
    p.standardValues = standard->values;
    p.messages.insert(p.messages.end(), standard->messages.begin(), standard->messages.end());

    for (int j = 0; j < n; ++j) {
        p.kurai[j][0] = std::to_string(j + 1);
        p.kurai[j][2] = p.runners[j].weightText;
    }

    std::optional<std::vector<std::string>> winOdds;
    if (data::hasOdds(day, k)) {
        winOdds.emplace();
        for (int h = 1; h <= n; ++h) {
            auto odds = data::oddsOf(day, k, h);
            winOdds->push_back(odds ? std::string(*odds) : std::string());
        }
    }
    if (Status s = computeIndices(p, winOdds, raceLabel); !s)
        return s.error();
    showIndexCells(p);
    p.patternText = patternText(p.racePattern);

    updateBetSuggestions(p, day);
    if (options.htmlMode)
        fillHtmlGrid(p, frameNos);
    reapplySort(p, options.sortCode);
    return p;
}

} // namespace velmar::engine
