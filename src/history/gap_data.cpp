#include "history/gap_data.h"

#include "data/atomic_file.h"
#include "data/text.h"

#include <algorithm>
#include <system_error>

namespace velmar::history {

namespace {

bool isDate8(std::string_view key) {
    return key.size() == 8 &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

Result<std::string> dateKey(const data::RaceDay& day) {
    if (day.raceCount <= 0)
        return Error{"開催日のレースデータがありません。"};
    const std::string& key = day.texts(0).raceDateKey;
    if (!isDate8(key))
        return Error{"開催日の日付が正しくありません（" + key + "）。"};
    return key;
}

// A field must not bring its own separator into the four-field line: an ASCII
// comma in a name would shift the fields and blank the row in the map.
std::string field(std::string_view text) {
    return data::replaceAll(std::string(text), ",", "，");
}

} // namespace

std::string gapDataQuestion(const data::RaceDay& day) {
    const std::string& d = day.texts(0).raceDateText; // YYYY/MM/DD(曜)
    auto part = [&](size_t pos, size_t n) { return pos < d.size() ? d.substr(pos, n) : ""; };
    return part(0, 4) + "年" + part(5, 2) + "月" + part(8, 2) +
           "日のGAPデータがありません。\r\nGAPデータを今すぐ作成しますか？";
}

Result<std::string> gapFileName(const data::RaceDay& day) {
    auto key = dateKey(day);
    if (!key)
        return key.error();
    return key->substr(2, 6) + ".gap";
}

Result<std::filesystem::path> gapFilePath(const std::filesystem::path& home,
                                          const data::RaceDay& day) {
    auto name = gapFileName(day);
    if (!name)
        return name.error();
    return home / "Gap" / *name;
}

std::string gapRaceLabel(const data::RaceTexts& texts) {
    return data::padLeft(data::plainNumber(texts.raceNoText), 2) + "R " + texts.shortTitle;
}

void GapLineWriter::addRace(const data::RaceTexts& texts, int raceIndex,
                            const std::array<std::string, 4>& gapHorses) {
    std::string lastRace; // emptied for every race
    const std::string index = std::to_string(raceIndex);
    for (const std::string& entry : gapHorses) {
        if (entry.empty())
            continue;
        std::string venue, label;
        if (texts.venueLabel != lastVenue_) {
            venue = field(texts.venueLabel);
            label = field(gapRaceLabel(texts));
            lastVenue_ = texts.venueLabel;
            lastRace = texts.raceNoText;
        } else if (texts.raceNoText != lastRace) {
            label = field(gapRaceLabel(texts));
            lastRace = texts.raceNoText;
        }
        lines_.push_back(venue + "," + label + "," + field(entry) + "," + index);
    }
}

bool qualifiesForHistory(const data::RaceTexts& texts, const engine::Prediction& prediction) {
    return prediction.hasRatings && prediction.hasOdds && texts.classLabel != "新馬" &&
           texts.withheldFlag != "1";
}

std::vector<StoredRunner> storedRunners(const engine::Prediction& prediction) {
    std::vector<StoredRunner> rows;
    rows.reserve(prediction.runners.size());
    for (const engine::TBachu& r : prediction.runners)
        rows.push_back({r.horseCode, r.oddsText, r.oddsRank, r.rating, r.ratingRank});
    return rows;
}

Result<GapDataResult> createGapData(const data::RaceDay& day, const std::filesystem::path& gapFile,
                                    int rememberedRace, const engine::PredictOptions& options,
                                    HistoryStore* store, const bets::DayRunCallbacks& callbacks) {
    GapDataResult result;
    if (!data::oddsOfSameDay(day))
        return result;
    result.oddsOfSameDay = true;

    GapLineWriter writer;
    const auto step = [&](const engine::Prediction& p, int race) {
        const data::RaceTexts& texts = day.texts(race);
        writer.addRace(texts, race, p.gapHorses);
        if (store && store->connected() && qualifiesForHistory(texts, p)) {
            // The race's date as the number YYYYMMDD (0 when it is not one).
            const int32_t ymd = data::intOf(texts.raceDateKey);
            const auto rows = storedRunners(p);
            StoreReport report = store->storeRaceHistory(ymd, rows);
            ++result.racesStored;
            result.rowsStored += report.stored;
            result.rowsFailed += report.failed;
        }
    };
    auto run = bets::runDayExport(day, rememberedRace, options, step, callbacks);
    if (!run)
        return run.error();
    result.run = std::move(run.value());
    result.cancelled = result.run.cancelled;
    result.gapLines = static_cast<int>(writer.lines().size());
    if (result.cancelled)
        return result;

    std::error_code ec;
    std::filesystem::create_directories(gapFile.parent_path(), ec);
    if (ec)
        return Error{"フォルダーを作成できません: " + gapFile.parent_path().string() + " (" +
                     ec.message() + ")"};
    if (Status s = data::writeFileAtomic(gapFile, data::sjisLines(writer.lines())); !s)
        return s.error();
    result.written = true;
    return result;
}

} // namespace velmar::history
