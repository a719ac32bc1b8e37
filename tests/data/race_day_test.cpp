#include "data/atomic_file.h"
#include "data/horse_line.h"
#include "data/race_day.h"
#include "day_fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace velmar::data;
using velmar::testing::crlfJoin;
using velmar::testing::LineBuilder;
using velmar::testing::raceLine;
using velmar::testing::RaceSpec;
using velmar::testing::TempDir;

namespace {

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// A day of `races` races with `runners` runners each. Runner and horse lines
// carry "<race>-<horse>" so a test can tell which line it got; `tag` tells
// days apart.
struct DayFiles {
    std::vector<std::string> races, entries, horses, odds;
};

DayFiles makeDay(int races, int runners, const std::string& date = "20061224") {
    DayFiles d;
    for (int k = 0; k < races; ++k) {
        RaceSpec r;
        r.raceNo = twoDigits(k % 12 + 1);
        r.venue = k < 12 ? "05" : k < 24 ? "01" : "07";
        r.date = date;
        r.runners = twoDigits(runners);
        d.races.push_back(raceLine(r));
        for (int n = 1; n <= runners; ++n) {
            std::string tag = date + ":" + std::to_string(k) + "-" + std::to_string(n);
            d.entries.push_back(LineBuilder(741).put(33, tag));
            d.horses.push_back(LineBuilder(1064).put(8, tag));
        }
        LineBuilder odds(1502);
        odds.put(1, d.races.back().substr(0, 22));
        for (int n = 1; n <= runners; ++n)
            odds.put(winOddsColumn(n), "000" + twoDigits(n + 10));
        d.odds.push_back(odds);
    }
    return d;
}

void writeDay(const TempDir& dir, const DayFiles& d, bool withOdds = true) {
    dir.write(kRaceFileName, crlfJoin(d.races));
    dir.write(kEntryFileName, crlfJoin(d.entries));
    dir.write(kHorseFileName, crlfJoin(d.horses));
    if (withOdds)
        dir.write(kOddsFileName, crlfJoin(d.odds));
}

std::string entryTag(const RaceDay& day, int i) {
    return EntryLine{day.entryLine(i)}.horseNameText();
}

} // namespace

TEST(RaceDay, GroupsRunnersByRunnerCount) {
    TempDir dir;
    writeDay(dir, makeDay(12, 16));
    RaceDay day;
    auto loaded = loadRaceDay(dir.path(), day);
    ASSERT_TRUE(loaded) << loaded.error().message;
    EXPECT_TRUE(*loaded);
    EXPECT_EQ(day.raceCount, 12);
    EXPECT_EQ(day.entryLines.size(), 192u);
    EXPECT_EQ(day.horseLines.size(), 192u);

    auto r11 = runnerRange(day, 11);
    ASSERT_TRUE(r11);
    EXPECT_EQ(r11->first, 176);
    EXPECT_EQ(r11->last, 191);
    EXPECT_EQ(*firstRunner(day, 11), 176);
    EXPECT_EQ(*lastRunner(day, 11), 191);
    EXPECT_EQ(*firstRunner(day, 0), 0);
    EXPECT_EQ(entryTag(day, r11->first), "20061224:11-1");
    EXPECT_EQ(HorseLine{day.horseLine(r11->last)}.horseNameText(), "20061224:11-16");
    EXPECT_EQ(day.texts(11).raceNoText, "12");
    EXPECT_EQ(day.texts(12).raceNoText, "");
    EXPECT_FALSE(runnerRange(day, 12));
    EXPECT_FALSE(runnerRange(day, -1));
}

TEST(RaceDay, RunnerCountIsConvertedStrictly) {
    DayFiles d = makeDay(4, 10);
    d.races[2].replace(336, 2, "1a");
    RaceDay day;
    std::string races = crlfJoin(d.races), entries = crlfJoin(d.entries),
                horses = crlfJoin(d.horses);
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{races, entries, horses, std::nullopt}, day));

    EXPECT_EQ(runnerRange(day, 1)->first, 10); // races before the bad one still work
    for (int k : {2, 3}) {
        auto r = runnerRange(day, k);
        ASSERT_FALSE(r) << k;
        const std::string& m = r.error().message;
        EXPECT_NE(m.find("出走頭数"), std::string::npos) << m;
        EXPECT_NE(m.find("「1a」"), std::string::npos) << m;
        EXPECT_NE(m.find("cnx_den1.vd2 の 3 行目"), std::string::npos) << m;
        EXPECT_NE(m.find("中山03R"), std::string::npos) << m;
    }
    // A blank or negative count is no count either.
    d.races[2].replace(336, 2, "  ");
    races = crlfJoin(d.races);
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{races, entries, horses, std::nullopt}, day));
    EXPECT_FALSE(runnerRange(day, 3));
    d.races[2].replace(336, 2, "-1");
    races = crlfJoin(d.races);
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{races, entries, horses, std::nullopt}, day));
    EXPECT_FALSE(runnerRange(day, 2));
}

TEST(RaceDay, OddsBelongToTheRaceWithTheSameKey) {
    DayFiles d = makeDay(3, 5);
    d.odds[1].replace(0, 22, std::string(d.odds[1].substr(0, 21)) + "9"); // weekday differs
    std::string races = crlfJoin(d.races), entries = crlfJoin(d.entries),
                horses = crlfJoin(d.horses), odds = crlfJoin(d.odds);
    RaceDay day;
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{races, entries, horses, odds}, day));
    EXPECT_TRUE(hasOdds(day, 0));
    EXPECT_EQ(oddsOf(day, 0, 1), std::optional<std::string_view>("00011"));
    EXPECT_EQ(oddsOf(day, 2, 5), std::optional<std::string_view>("00015"));
    EXPECT_FALSE(hasOdds(day, 1));
    EXPECT_EQ(oddsOf(day, 1, 1), std::nullopt);
    EXPECT_EQ(oddsOf(day, 3, 1), std::nullopt);
    EXPECT_TRUE(oddsOfSameDay(day));

    // Odds of another day: no race has odds.
    DayFiles other = makeDay(3, 5, "20061223");
    std::string otherOdds = crlfJoin(other.odds);
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{races, entries, horses, otherOdds}, day));
    EXPECT_FALSE(oddsOfSameDay(day));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(oddsOf(day, k, 1), std::nullopt) << k;

    // Lines too short to carry a key never match, even each other.
    std::string shortRaces = "05\r\n", shortOdds = "05\r\n";
    ASSERT_TRUE(loadRaceDay(RaceDayFiles{shortRaces, entries, horses, shortOdds}, day));
    EXPECT_FALSE(hasOdds(day, 0));
    EXPECT_FALSE(oddsOfSameDay(day));
}

TEST(RaceDay, MissingFilesKeepWhatWasThere) {
    TempDir dir;
    RaceDay day;
    // Nothing on disk: false, no error, nothing read.
    auto none = loadRaceDay(dir.path(), day);
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);
    EXPECT_EQ(day.raceCount, 0);

    writeDay(dir, makeDay(3, 4, "20061223"));
    ASSERT_TRUE(*loadRaceDay(dir.path(), day));
    const RaceDay first = day;

    // The next day arrives without its horse file: the three files stay those
    // of the first day, the odds are taken independently.
    DayFiles next = makeDay(2, 6, "20061224");
    std::filesystem::remove(dir.path() / kHorseFileName);
    dir.write(kRaceFileName, crlfJoin(next.races));
    dir.write(kEntryFileName, crlfJoin(next.entries));
    dir.write(kOddsFileName, crlfJoin(next.odds));
    auto partial = loadRaceDay(dir.path(), day);
    ASSERT_TRUE(partial);
    EXPECT_FALSE(*partial);
    EXPECT_EQ(day.raceCount, 3);
    EXPECT_EQ(day.raceLines, first.raceLines);
    EXPECT_EQ(day.entryLines, first.entryLines);
    EXPECT_EQ(day.horseLines, first.horseLines);
    EXPECT_EQ(day.texts(2).raceDateKey, "20061223");
    EXPECT_EQ(day.oddsLines, next.odds);

    // Complete day without an odds file: the odds lines stay as they were.
    std::filesystem::remove(dir.path() / kOddsFileName);
    DayFiles third = makeDay(1, 2, "20061230");
    writeDay(dir, third, false);
    ASSERT_TRUE(*loadRaceDay(dir.path(), day));
    EXPECT_EQ(day.raceCount, 1);
    EXPECT_EQ(day.raceLines, third.races);
    EXPECT_EQ(day.oddsLines, next.odds);
    EXPECT_EQ(day.texts(1).raceDateKey, ""); // texts of the earlier, longer day are gone
}

TEST(RaceDay, ShortRunnerFilesReadAsEmpty) {
    DayFiles d = makeDay(2, 3);
    d.entries.resize(4);
    d.horses.resize(2);
    std::string races = crlfJoin(d.races), entries = crlfJoin(d.entries),
                horses = crlfJoin(d.horses);
    RaceDay day;
    // A longer earlier day must not leak into the short one.
    DayFiles big = makeDay(3, 10, "20061001");
    std::string bigRaces = crlfJoin(big.races), bigEntries = crlfJoin(big.entries),
                bigHorses = crlfJoin(big.horses);
    ASSERT_TRUE(*loadRaceDay(RaceDayFiles{bigRaces, bigEntries, bigHorses, std::nullopt}, day));
    ASSERT_TRUE(*loadRaceDay(RaceDayFiles{races, entries, horses, std::nullopt}, day));

    auto r1 = runnerRange(day, 1);
    ASSERT_TRUE(r1);
    EXPECT_EQ(r1->first, 3);
    EXPECT_EQ(r1->last, 5);
    EXPECT_EQ(entryTag(day, 3), "20061224:1-1");
    EXPECT_EQ(day.entryLine(4), "");
    EXPECT_EQ(day.entryLine(5), "");
    EXPECT_EQ(day.horseLine(3), "");
    EXPECT_EQ(day.entryLine(-1), "");
    HorseLine missing{day.horseLine(5)};
    EXPECT_EQ(missing.horseNameText(), "");
    EXPECT_FALSE(missing.past(1).inUse());
}

TEST(RaceDay, OverCapacityIsRefusedAndTheDayStays) {
    TempDir dir;
    writeDay(dir, makeDay(2, 3));
    RaceDay day;
    ASSERT_TRUE(*loadRaceDay(dir.path(), day));
    const RaceDay before = day;

    struct Case {
        const char* what;
        DayFiles files;
        const char* file;
    };
    DayFiles manyRaces = makeDay(40, 1);
    manyRaces.odds.resize(2);
    DayFiles manyRunners = makeDay(2, 3);
    manyRunners.entries.resize(1001, "x");
    DayFiles manyHorses = makeDay(2, 3);
    manyHorses.horses.resize(1001, "x");
    DayFiles manyOdds = makeDay(2, 3);
    manyOdds.odds.resize(40, "x");
    const Case cases[] = {
        {"races", manyRaces, "cnx_den1.vd2"},
        {"runners", manyRunners, "cnx_den2.vd2"},
        {"horses", manyHorses, "cnx_uma.vd2"},
        {"odds", manyOdds, "cnx_ods.vd2"},
    };
    for (const auto& c : cases) {
        writeDay(dir, c.files);
        auto r = loadRaceDay(dir.path(), day);
        ASSERT_FALSE(r) << c.what;
        EXPECT_NE(r.error().message.find(c.file), std::string::npos) << r.error().message;
        EXPECT_NE(r.error().message.find("上限"), std::string::npos) << r.error().message;
        EXPECT_EQ(day.raceCount, before.raceCount) << c.what;
        EXPECT_EQ(day.raceLines, before.raceLines) << c.what;
        EXPECT_EQ(day.entryLines, before.entryLines) << c.what;
        EXPECT_EQ(day.horseLines, before.horseLines) << c.what;
        EXPECT_EQ(day.oddsLines, before.oddsLines) << c.what;
        EXPECT_EQ(day.raceTexts.size(), before.raceTexts.size()) << c.what;
    }

    // Exactly at the limits is a normal day.
    DayFiles full = makeDay(39, 25);
    full.entries.resize(1000, "x");
    full.horses.resize(1000, "x");
    writeDay(dir, full);
    auto r = loadRaceDay(dir.path(), day);
    ASSERT_TRUE(r) << r.error().message;
    EXPECT_EQ(day.raceCount, 39);
    EXPECT_EQ(*lastRunner(day, 38), 974);
}

TEST(RaceDay, UnreadableFileIsAnErrorAndTheDayStays) {
    TempDir dir;
    writeDay(dir, makeDay(2, 3));
    RaceDay day;
    ASSERT_TRUE(*loadRaceDay(dir.path(), day));
    const RaceDay before = day;
    writeDay(dir, makeDay(3, 3, "20070101"));
    std::filesystem::remove(dir.path() / kHorseFileName);
    std::filesystem::create_directory(dir.path() / kHorseFileName);
    auto r = loadRaceDay(dir.path(), day);
    ASSERT_FALSE(r);
    EXPECT_NE(r.error().message.find("cnx_uma.vd2"), std::string::npos) << r.error().message;
    EXPECT_EQ(day.raceLines, before.raceLines);
    EXPECT_EQ(day.oddsLines, before.oddsLines);
}

TEST(RaceDay, LineEndsAndEmptyFiles) {
    RaceDay day;
    std::string races =
        raceLine(RaceSpec{}) + "\n" + raceLine(RaceSpec{}) + "\r" + raceLine(RaceSpec{});
    ASSERT_TRUE(*loadRaceDay(RaceDayFiles{races, "", "", std::nullopt}, day));
    EXPECT_EQ(day.raceCount, 3);
    EXPECT_EQ(day.raceLines[2].size(), 777u);
    ASSERT_TRUE(*loadRaceDay(RaceDayFiles{"", "", "", ""}, day));
    EXPECT_EQ(day.raceCount, 0);
    EXPECT_TRUE(day.oddsLines.empty());
    EXPECT_FALSE(runnerRange(day, 0));
}

TEST(RaceDay, CountFileLinesSplitsLikeTheLoader) {
    TempDir dir;
    // CR LF straddling the 32 KiB read boundary must count once.
    std::string straddle = std::string(32767, 'a') + "\r\n" + "b";
    const std::string cases[] = {
        "", "a", "a\r\n", "a\r\nb", "a\rb\nc\r\n", "\r\n\r\n", "\n\r", "a\n\nb\r\r", straddle,
    };
    for (const auto& content : cases) {
        dir.write("f", content);
        auto n = countFileLines(dir.path() / "f");
        ASSERT_TRUE(n);
        EXPECT_EQ(*n, splitLines(content).size()) << content.substr(0, 20);
    }
    EXPECT_FALSE(countFileLines(dir.path() / "missing"));
}

TEST(RaceDay, RaceListMatchesTheFullLoad) {
    TempDir dir;
    RaceDay list, full;
    auto none = loadRaceList(dir.path(), list);
    ASSERT_TRUE(none);
    EXPECT_FALSE(*none);

    writeDay(dir, makeDay(5, 7));
    ASSERT_TRUE(*loadRaceList(dir.path(), list));
    ASSERT_TRUE(*loadRaceDay(dir.path(), full));
    EXPECT_EQ(list.raceCount, full.raceCount);
    EXPECT_EQ(list.raceLines, full.raceLines);
    for (int k = 0; k < full.raceCount; ++k)
        EXPECT_EQ(list.texts(k).menuCaption, full.texts(k).menuCaption);
    EXPECT_TRUE(list.entryLines.empty());

    DayFiles tooMany = makeDay(2, 3);
    tooMany.horses.resize(1001, "x");
    writeDay(dir, tooMany);
    auto refused = loadRaceList(dir.path(), list);
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("cnx_uma.vd2"), std::string::npos);
    EXPECT_EQ(list.raceCount, 5);
}
