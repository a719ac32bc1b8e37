// Gap data: the gap file's layout, the day-wide creation run with its history
// rows, the gap map and the bulk win/place lines.

#include "data/atomic_file.h"
#include "data/race_day.h"
#include "data/sjis.h"
#include "data/text.h"
#include "engine/prediction.h"
#include "history/gap_data.h"
#include "history/gap_map.h"
#include "history/history_store.h"
#include "history_fixture.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace velmar::history {
namespace {

namespace fs = std::filesystem;
using testing::TempHome;

data::RaceTexts textsOf(const std::string& venue, const std::string& raceNo,
                        const std::string& title) {
    data::RaceTexts t;
    t.venueLabel = venue;
    t.raceNoText = raceNo;
    t.shortTitle = title;
    return t;
}

TEST(GapLineWriter, VenueAndRaceFieldsOnlyOnTheirFirstLine) {
    struct Race {
        data::RaceTexts texts;
        std::array<std::string, 4> gaps;
    };
    const std::vector<Race> races = {
        {textsOf("東京", "01", "２歳新馬"), {}},
        // The venue's first gap horse is in its second race: the venue starts here.
        {textsOf("東京", "02", "２歳未勝利"), {" 3 アイウエオ"}},
        // Three gap horses in a race that is not the first of its venue.
        {textsOf("東京", "11", "ジャパンC G1"),
         {"12 カキクケコ", "15 サシスセソ", " 1 タチツテト"}},
        // Unused entries in between are passed over.
        {textsOf("東京", "12", "３歳上1勝"), {" 7 ナニヌネノ", "", " 9 ハヒフヘホ", ""}},
        {textsOf("中山", "01", "２歳未勝利"), {" 2 マミムメモ"}},
        // The same race number again right after: a race of its own.
        {textsOf("中山", "01", "障害未勝利"), {" 4 ヤユヨ"}},
        // Back to a venue seen before: its name again.
        {textsOf("東京", "09", "赤松賞,1勝"), {"10 ラリ,ルレロ"}},
    };
    GapLineWriter w;
    for (size_t i = 0; i < races.size(); ++i)
        w.addRace(races[i].texts, static_cast<int>(i), races[i].gaps);
    const std::vector<std::string> expected = {
        "東京, 2R ２歳未勝利, 3 アイウエオ,1",
        ",11R ジャパンC G1,12 カキクケコ,2",
        ",,15 サシスセソ,2",
        ",, 1 タチツテト,2",
        ",12R ３歳上1勝, 7 ナニヌネノ,3",
        ",, 9 ハヒフヘホ,3",
        "中山, 1R ２歳未勝利, 2 マミムメモ,4",
        ", 1R 障害未勝利, 4 ヤユヨ,5",
        // A comma inside a name must not add a field.
        "東京, 9R 赤松賞，1勝,10 ラリ，ルレロ,6",
    };
    EXPECT_EQ(w.lines(), expected);
    for (const auto& line : w.lines())
        EXPECT_EQ(data::splitFields(line, ',').size(), 4u) << line;
}

std::string raceLineOf(const std::string& date) {
    std::string line(777, ' ');
    line.replace(0, 2, "05");
    line.replace(12, 8, date);
    line.replace(20, 2, "02");
    return line;
}

TEST(GapFileName, FromTheFirstRaceDate) {
    data::RaceDay day;
    day.raceLines = {raceLineOf("20061224")};
    day.raceTexts = {data::addRace(day.raceLines[0])};
    day.raceCount = 1;
    auto name = gapFileName(day);
    ASSERT_TRUE(name.ok());
    EXPECT_EQ(*name, "061224.gap");
    EXPECT_EQ(*gapFilePath("/home/u/velmar", day), fs::path("/home/u/velmar/Gap/061224.gap"));
    EXPECT_EQ(gapDataQuestion(day),
              "2006年12月24日のGAPデータがありません。\r\nGAPデータを今すぐ作成しますか？");

    // A date that is not eight digits never becomes a file name.
    for (std::string bad : {"2006/12/", "        ", "../../x1"}) {
        day.raceLines = {raceLineOf(bad)};
        day.raceTexts = {data::addRace(day.raceLines[0])};
        EXPECT_FALSE(gapFileName(day).ok()) << bad;
        EXPECT_FALSE(gapFilePath("/h", day).ok()) << bad;
    }
    data::RaceDay empty;
    EXPECT_FALSE(gapFileName(empty).ok());
}

// A generated day in its own home, loaded as the program loads it.
class GeneratedDay : public ::testing::Test {
  protected:
    void load(int races, int runners, std::uint64_t seed = 7) {
        tools::GenOptions gen;
        gen.races = races;
        gen.runners = runners;
        gen.seed = seed;
        model = tools::generateRaceDay(gen);
        ASSERT_TRUE(tools::writeDayFiles(home.path(), model, tools::Generation::Vd2).ok());
        ASSERT_TRUE(tools::writeStandardData(home.path() / "Data", model, seed).ok());
        auto loaded = data::loadRaceDay(home.path(), day);
        ASSERT_TRUE(loaded.ok() && *loaded);
        options.home = home.path();
        options.now = {2026, 12, 13, 0};
        auto path = gapFilePath(home.path(), day);
        ASSERT_TRUE(path.ok());
        gapFile = *path;
    }

    engine::Prediction predict(int k) {
        auto p = engine::predictRace(day, k, options);
        EXPECT_TRUE(p.ok());
        return p.ok() ? *p : engine::Prediction{};
    }

    HistoryLocation location() const {
        HistoryLocation l;
        l.home = home.path();
        return l;
    }

    TempHome home{"velmar-gap"};
    tools::RaceDay model;
    data::RaceDay day;
    engine::PredictOptions options;
    fs::path gapFile;
};

TEST_F(GeneratedDay, CreatesTheGapFileAndStoresTheQualifyingRaces) {
    load(36, 0);
    HistoryStore store;
    ASSERT_TRUE(store.connectHistory(location()).ok());

    std::vector<int> gauge;
    bets::DayRunCallbacks cb;
    cb.progress = [&](int p) { gauge.push_back(p); };
    auto r = createGapData(day, gapFile, 5, options, &store, cb);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_TRUE(r->oddsOfSameDay);
    EXPECT_FALSE(r->cancelled);
    EXPECT_TRUE(r->written);
    ASSERT_TRUE(r->run.remembered.has_value());
    EXPECT_EQ(r->run.remembered->raceIndex, 5);
    EXPECT_EQ(gauge.front(), 0);
    EXPECT_EQ(gauge.back(), 100);

    // The file holds every gap horse of the day, race by race, in order.
    auto bytes = data::readFile(gapFile);
    ASSERT_TRUE(bytes.ok());
    const auto lines = data::splitLines(*bytes);
    ASSERT_FALSE(lines.empty()) << "the generated day has gap races";
    EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n");
    EXPECT_EQ(r->gapLines, static_cast<int>(lines.size()));
    std::vector<std::pair<int, std::string>> inFile, expected;
    for (const auto& raw : lines) {
        auto f = data::splitFields(data::sjisToUtf8(raw), ',');
        ASSERT_EQ(f.size(), 4u) << raw;
        inFile.emplace_back(data::intOf(f[3]), f[2]);
    }

    int stored = 0;
    int qualifying = 0;
    std::set<std::string> withheldOrNewcomer;
    for (int k = 0; k < day.raceCount; ++k) {
        const engine::Prediction p = predict(k);
        for (const auto& g : p.gapHorses)
            if (!g.empty())
                expected.emplace_back(k, g);
        const data::RaceTexts& t = day.texts(k);
        const bool qualifies =
            p.hasRatings && p.hasOdds && t.classLabel != "新馬" && t.withheldFlag != "1";
        if (t.classLabel == "新馬" || t.withheldFlag == "1")
            withheldOrNewcomer.insert(t.venueLabel + t.raceNoText);
        qualifying += qualifies;
        for (const auto& runner : p.runners) {
            auto rows = store.fetchHorseHistory(runner.horseCode);
            ASSERT_TRUE(rows.ok());
            std::vector<engine::HistoryRow> today;
            for (const auto& row : *rows)
                if (row.ymd == data::intOf(t.raceDateKey))
                    today.push_back(row);
            if (!qualifies) {
                EXPECT_TRUE(today.empty()) << "race " << k << " horse " << runner.horseCode;
                continue;
            }
            ASSERT_EQ(today.size(), 1u) << "race " << k << " horse " << runner.horseCode;
            EXPECT_EQ(today[0].odds, runner.oddsText);
            EXPECT_EQ(today[0].oddsRank, runner.oddsRank);
            EXPECT_EQ(today[0].rating, runner.rating);
            EXPECT_EQ(today[0].ratingRank, runner.ratingRank);
            ++stored;
        }
    }
    EXPECT_EQ(inFile, expected);
    EXPECT_EQ(r->rowsStored, stored);
    EXPECT_EQ(r->racesStored, qualifying);
    EXPECT_EQ(r->rowsFailed, 0);
    // The generated day has withheld and newcomer races, and others that qualify.
    EXPECT_FALSE(withheldOrNewcomer.empty());
    EXPECT_GT(qualifying, 0);
    EXPECT_LT(qualifying, day.raceCount);
}

TEST_F(GeneratedDay, ADayWithoutGapHorsesGivesAnEmptyFile) {
    // Four runners: a popularity rank can never lag five places.
    load(12, 4);
    auto r = createGapData(day, gapFile, 0, options, nullptr);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_TRUE(r->written);
    ASSERT_TRUE(fs::exists(gapFile));
    EXPECT_EQ(fs::file_size(gapFile), 0u);
    auto map = loadGapMap(gapFile, day);
    ASSERT_TRUE(map.ok());
    EXPECT_TRUE(map->rows.empty());
    EXPECT_EQ(map->windowHeight, 115);
}

TEST_F(GeneratedDay, ACancelledRunWritesNoFileButKeepsTheStoredRows) {
    load(36, 16);
    HistoryStore store;
    ASSERT_TRUE(store.connectHistory(location()).ok());
    int asked = 0;
    bets::DayRunCallbacks cb;
    cb.abortRequested = [&] { return ++asked > 8; }; // cancel before the ninth race
    auto r = createGapData(day, gapFile, 0, options, &store, cb);
    ASSERT_TRUE(r.ok()) << r.error().message;
    EXPECT_TRUE(r->cancelled);
    EXPECT_FALSE(r->written);
    EXPECT_EQ(r->run.racesDone, 8);
    EXPECT_FALSE(fs::exists(gapFile));
    EXPECT_GT(r->rowsStored, 0);

    // Rows of the races run before the cancel stay; later races have none.
    int found = 0;
    for (int k = 0; k < day.raceCount; ++k) {
        for (const auto& runner : predict(k).runners) {
            auto rows = store.fetchHorseHistory(runner.horseCode);
            ASSERT_TRUE(rows.ok());
            if (k >= 8) {
                EXPECT_TRUE(rows->empty()) << "race " << k;
            }
            found += static_cast<int>(rows->size());
        }
    }
    EXPECT_EQ(found, r->rowsStored);
}

TEST_F(GeneratedDay, OddsOfAnotherDayRunNothingAndWriteNothing) {
    load(12, 16);
    // The odds file of another day: its first line's key names another date.
    for (auto& line : day.oddsLines)
        line.replace(12, 8, "20261212");
    ASSERT_FALSE(data::oddsOfSameDay(day));
    HistoryStore store;
    ASSERT_TRUE(store.connectHistory(location()).ok());
    int progress = 0;
    bets::DayRunCallbacks cb;
    cb.progress = [&](int) { ++progress; };
    auto r = createGapData(day, gapFile, 0, options, &store, cb);
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r->oddsOfSameDay);
    EXPECT_FALSE(r->written);
    EXPECT_EQ(progress, 0);
    EXPECT_FALSE(fs::exists(gapFile));
    EXPECT_EQ(r->rowsStored, 0);
    for (const auto& runner : predict(0).runners) {
        auto rows = store.fetchHorseHistory(runner.horseCode);
        ASSERT_TRUE(rows.ok());
        EXPECT_TRUE(rows->empty());
    }
    EXPECT_STREQ(kOddsNotSameDayMessage,
                 "同日のオッズデータがありません。オッズデータを読み込んでから実行してください。");
}

TEST_F(GeneratedDay, TheGapFileReadsBackIntoTheMapAndTheBetLines) {
    load(36, 18);
    auto r = createGapData(day, gapFile, 0, options, nullptr);
    ASSERT_TRUE(r.ok()) << r.error().message;
    ASSERT_GT(r->gapLines, 0);
    auto map = loadGapMap(gapFile, day);
    ASSERT_TRUE(map.ok());
    EXPECT_EQ(map->caption, "2026年12月13日の単勝GAPホースMAP");
    EXPECT_EQ(map->date, "20261213");
    EXPECT_EQ(static_cast<int>(map->rows.size()), r->gapLines);
    auto bets = gapBetLines(*map);
    EXPECT_EQ(bets.skippedRows, 0);
    ASSERT_EQ(static_cast<int>(bets.lines.size()), 2 * r->gapLines);
    // Each win/place pair names the race line's venue, date and race number.
    for (size_t i = 0; i < map->rows.size(); ++i) {
        const std::string& win = bets.lines[2 * i];
        const std::string& place = bets.lines[2 * i + 1];
        ASSERT_EQ(win.size(), 19u);
        EXPECT_EQ(win.substr(0, 12) + "1" + win.substr(13), place);
        EXPECT_EQ(win[12], '0');
        EXPECT_EQ(win.substr(15), "0000");
        int k = -1;
        // The race index is the link target of the horse cell.
        const std::string& cell = map->rows[i][2];
        auto at = cell.find("HREF=\"");
        ASSERT_NE(at, std::string::npos);
        k = data::intOf(cell.substr(at + 6, cell.find(',', at) - at - 6));
        const std::string& raceLine = day.raceLines[static_cast<size_t>(k)];
        EXPECT_EQ(win.substr(0, 2), raceLine.substr(0, 2));
        EXPECT_EQ(win.substr(2, 8), raceLine.substr(12, 8));
        EXPECT_EQ(win.substr(10, 2), raceLine.substr(10, 2));
    }
}

TEST(GapMap, CellsLinksAndMalformedLines) {
    TempHome home{"velmar-gapmap"};
    const fs::path file = home.path() / "Gap" / "061224.gap";
    const std::vector<std::string> lines = {
        "中山,11R 有馬記念 G1, 5 ディープインパクト,10",
        ",,12 ポップロック,10",
        ",12R ハッピーエンドC,13 ダイワ,11",
        "too,many,fields,here,!",
        "阪神, 1R ２歳未勝利, 8 メイショウ,12",
        "",
    };
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(data::writeFileAtomic(file, data::sjisLines(lines)).ok());
    data::RaceDay day;
    day.raceLines = {raceLineOf("20061224")};
    day.raceTexts = {data::addRace(day.raceLines[0])};
    day.raceCount = 1;

    auto map = loadGapMap(file, day);
    ASSERT_TRUE(map.ok()) << map.error().message;
    EXPECT_EQ(map->caption, "2006年12月24日の単勝GAPホースMAP");
    EXPECT_EQ(map->date, "20061224");
    EXPECT_EQ(map->lineCount, 6);
    EXPECT_EQ(map->windowHeight, 18 * 6 + 115);
    using Row = std::array<std::string, 3>;
    const std::vector<Row> expected = {
        {"中山", "11R <A HREF=\"10\">有馬記念 G1</A>",
         " 5 <A HREF=\"10,5\">ディープインパクト</A>"},
        {" ", " ", "12 <A HREF=\"10,12\">ポップロック</A>"},
        {" ", "12R <A HREF=\"11\">ハッピーエンドC</A>", "13 <A HREF=\"11,13\">ダイワ</A>"},
        {"", "", ""},
        {"阪神", " 1R <A HREF=\"12\">２歳未勝利</A>", " 8 <A HREF=\"12,8\">メイショウ</A>"},
        {"", "", ""},
    };
    EXPECT_EQ(map->rows, expected);
    EXPECT_EQ(gapBetFileName(*map), "gap061224.kmi");

    EXPECT_FALSE(loadGapMap(home.path() / "Gap" / "missing.gap", day).ok());
}

TEST(GapBetLines, BlanksInheritAndOtherVenuesAreSkipped) {
    GapMap map;
    map.date = "20061224";
    map.rows = {
        {"中山", "11R <A HREF=\"10\">有馬記念</A>", " 5 <A HREF=\"10,5\">A</A>"},
        // Second gap horse of the race: venue and race from the row above.
        {" ", " ", "12 <A HREF=\"10,12\">B</A>"},
        {" ", "12R <A HREF=\"11\">C</A>", " 3 <A HREF=\"11,3\">C</A>"},
        // A venue outside the ten central venues has no code.
        {"大井", " 9R <A HREF=\"12\">D</A>", " 1 <A HREF=\"12,1\">D</A>"},
        {" ", " ", " 2 <A HREF=\"12,2\">E</A>"},
        // A malformed line of the file: nothing to bet on.
        {"", "", ""},
        {"東京", " 1R <A HREF=\"13\">F</A>", "16 <A HREF=\"13,16\">F</A>"},
    };
    auto out = gapBetLines(map);
    const std::vector<std::string> expected = {
        "0520061224110050000", "0520061224111050000", "0520061224110120000", "0520061224111120000",
        "0520061224120030000", "0520061224121030000", "0420061224010160000", "0420061224011160000",
    };
    EXPECT_EQ(out.lines, expected);
    EXPECT_EQ(out.skippedRows, 3);
    EXPECT_EQ(out.skippedVenues, std::vector<std::string>{"大井"});
}

} // namespace
} // namespace velmar::history
