// The generator writes the day files straight from the column tables; the
// program's readers cut them by the same tables. Reading every generated field
// back through the readers checks both sides at once.

#include "support/temp_dir.h"
#include "tools/day_files.h"
#include "tools/race_day_generator.h"

#include "data/archive.h"
#include "data/atomic_file.h"
#include "data/codes.h"
#include "data/horse_line.h"
#include "data/import.h"
#include "data/race_day.h"
#include "data/race_line.h"
#include "data/sjis.h"
#include "data/text.h"
#include "data/vd3.h"
#include "engine/indices.h"
#include "engine/standard_data.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sys/wait.h>

namespace fs = std::filesystem;
using namespace velmar;
using namespace velmar::tools;

namespace {

using velmar::testing::TempDir;

// The default day: 36 races, fields of 8 to 18, shared by the read-only tests.
const RaceDay& defaultDay() {
    static const RaceDay day = generateRaceDay(GenOptions{});
    return day;
}

std::map<std::string, std::string> byName(const std::vector<DayFile>& files) {
    std::map<std::string, std::string> out;
    for (const auto& f : files)
        out[f.name] = f.bytes;
    return out;
}

std::vector<std::string> linesOf(const std::string& content) {
    return data::splitLines(content);
}

std::string pad(long long v, int width) {
    std::string s = std::to_string(v);
    return std::string(static_cast<size_t>(width) - s.size(), '0') + s;
}

} // namespace

TEST(GenLayout, EveryLineHasItsLayoutWidthAndEndsWithCrLf) {
    struct Case {
        Generation gen;
        const char* file;
        size_t width;
    };
    const Case cases[] = {
        {Generation::Vd2, "cnx_den1.vd2", 777}, {Generation::Vd2, "cnx_den2.vd2", 741},
        {Generation::Vd2, "cnx_uma.vd2", 4014}, {Generation::Vd2, "cnx_ods.vd2", 1502},
        {Generation::Vd3, "cnx_den1.vd3", 846}, {Generation::Vd3, "cnx_den2.vd3", 876},
        {Generation::Vd3, "cnx_uma.vd3", 4014}, {Generation::Vd3, "cnx_ods.vd3", 1502},
    };
    size_t runners = 0;
    for (const auto& r : defaultDay().races)
        runners += r.runners.size();
    for (const auto& c : cases) {
        auto files = byName(raceCardFiles(defaultDay(), c.gen));
        for (auto& [name, bytes] : byName(oddsFiles(defaultDay(), c.gen)))
            files[name] = bytes;
        ASSERT_TRUE(files.count(c.file)) << c.file;
        const std::string& content = files[c.file];
        ASSERT_GE(content.size(), 2u);
        EXPECT_EQ(content.substr(content.size() - 2), "\r\n") << c.file;
        const auto lines = linesOf(content);
        const bool perRunner = std::string(c.file).find("den2") != std::string::npos ||
                               std::string(c.file).find("uma") != std::string::npos;
        EXPECT_EQ(lines.size(), perRunner ? runners : defaultDay().races.size()) << c.file;
        for (size_t i = 0; i < lines.size(); ++i)
            ASSERT_EQ(lines[i].size(), c.width) << c.file << " line " << i + 1;
    }
}

TEST(GenLayout, RaceAndRunnerFieldsReadBackThroughTheReaders) {
    for (const auto& race : defaultDay().races) {
        const std::string line = raceLine(race);
        const data::RaceLine r{line};
        SCOPED_TRACE(race.raceKey());
        EXPECT_EQ(r.raceKey(), race.raceKey());
        EXPECT_EQ(r.venueCode(), race.venueCode);
        EXPECT_EQ(r.meetingNo(), pad(race.meetingNo, 2));
        EXPECT_EQ(r.meetingDay(), pad(race.meetingDay, 2));
        EXPECT_EQ(r.raceNoValue(), race.raceNo);
        EXPECT_EQ(r.raceDate(), race.date);
        EXPECT_EQ(r.weekdayCode(), race.weekdayCode);
        EXPECT_EQ(r.jumpFlag(), race.jump ? "1" : "0");
        EXPECT_EQ(r.editionNoValue(), race.editionNo);
        EXPECT_EQ(r.raceNameText(), race.raceName);
        EXPECT_EQ(r.gradeCode(), race.gradeCode);
        EXPECT_EQ(r.weightRuleCode(), race.weightRuleCode);
        EXPECT_EQ(r.conditionCode(), race.conditionCode);
        EXPECT_EQ(r.designationCode(), race.designationCode);
        EXPECT_EQ(r.breedAgeCode(), race.breedAgeCode);
        EXPECT_EQ(r.classCode(), race.classCode);
        EXPECT_EQ(r.surfaceCode(), race.surfaceCode);
        EXPECT_EQ(r.turnCode(), race.turnCode);
        EXPECT_EQ(r.courseLayoutCode(), race.courseLayoutCode);
        EXPECT_EQ(r.railCode(), race.railCode);
        EXPECT_EQ(r.distanceValue(), race.distance);
        EXPECT_EQ(r.withheldFlag(), race.withheld ? "1" : "0");
        EXPECT_EQ(r.postTime(), race.postTime);
        EXPECT_EQ(r.runnerCountValue(), static_cast<int>(race.runners.size()));
        EXPECT_EQ(r.jpnFlag(), race.jpnFlag ? "1" : "0");

        const std::string odds = oddsLine(race);
        const data::OddsLine o{odds};
        EXPECT_TRUE(data::sameRaceKey(line, odds));
        for (int n = 1; n <= 18; ++n) {
            const bool runs = n <= static_cast<int>(race.runners.size());
            EXPECT_EQ(o.winOdds(n),
                      runs ? race.runners[static_cast<size_t>(n - 1)].winOdds : "     ")
                << "horse " << n;
        }

        for (int i = 0; i < static_cast<int>(race.runners.size()); ++i) {
            const Runner& m = race.runners[static_cast<size_t>(i)];
            const std::string el = entryLine(race, i);
            const data::EntryLine e{el};
            EXPECT_EQ(e.frameNoValue(), m.frameNo);
            EXPECT_EQ(e.horseNameText(), m.horse.name);
            EXPECT_EQ(e.sexCode(), m.sexCode);
            EXPECT_EQ(e.ageValue(), m.age);
            EXPECT_EQ(e.weightCarriedValue(), m.weightCarried);
            EXPECT_EQ(e.jockeyNameText(), m.jockeyName);
            EXPECT_EQ(e.jockeyShortNameText(), m.jockeyShortName);
            EXPECT_EQ(e.ratingValue(), m.rating);
        }
    }
}

TEST(GenLayout, HorseFieldsAndPastRacesReadBackThroughTheReader) {
    for (const auto& race : defaultDay().races) {
        for (int i = 0; i < static_cast<int>(race.runners.size()); ++i) {
            const Horse& m = race.runners[static_cast<size_t>(i)].horse;
            const std::string line = horseLine(race, i);
            const data::HorseLine h{line};
            SCOPED_TRACE(race.raceKey() + " horse " + std::to_string(i + 1));
            EXPECT_EQ(h.horseCodeValue(), m.horseCode);
            EXPECT_EQ(h.horseNameText(), m.name);
            EXPECT_EQ(h.coatCode(), m.coatCode);
            EXPECT_EQ(h.producerAreaCode(), m.producerAreaCode);
            EXPECT_EQ(h.horseMarkCode(), m.horseMarkCode);
            EXPECT_EQ(h.sireNameText(), m.sireName);
            EXPECT_EQ(h.damNameText(), m.damName);
            EXPECT_EQ(h.damSireNameText(), m.damSireName);
            EXPECT_EQ(h.damDamNameText(), m.damDamName);
            EXPECT_EQ(h.ownerNameText(), m.ownerName);
            EXPECT_EQ(h.breederNameText(), m.breederName);
            EXPECT_EQ(h.trainerNameText(), m.trainerName);
            EXPECT_EQ(h.trainerCentreCode(), m.trainerCentreCode);
            EXPECT_EQ(h.mainPrizeValue(), m.mainPrize);
            EXPECT_EQ(h.totalPrizeValue(), m.prizeA + m.prizeB);
            EXPECT_EQ(h.careerFirstsValue(), m.career[0]);
            EXPECT_EQ(h.careerSecondsValue(), m.career[1]);
            EXPECT_EQ(h.careerThirdsValue(), m.career[2]);
            EXPECT_EQ(h.careerOthersValue(), m.career[3]);
            for (int c = 0; c < 144; ++c)
                ASSERT_EQ(h.statsCounter(c), m.stats[static_cast<size_t>(c)]) << "counter " << c;

            for (int k = 1; k <= 5; ++k) {
                const data::PastRace p = h.past(k);
                if (k > static_cast<int>(m.pastRaces.size())) {
                    EXPECT_FALSE(p.inUse()) << "block " << k;
                    EXPECT_FALSE(p.date().has_value());
                    continue;
                }
                const PastRace& q = m.pastRaces[static_cast<size_t>(k - 1)];
                SCOPED_TRACE("block " + std::to_string(k));
                EXPECT_EQ(p.inUse(), data::venueName(q.venueCode) != "----");
                EXPECT_EQ(p.venueCode(), q.venueCode);
                EXPECT_EQ(p.meetingNo(), q.meetingNo);
                EXPECT_EQ(p.meetingDay(), q.meetingDay);
                ASSERT_TRUE(p.date().has_value());
                EXPECT_EQ(pad(p.date()->year, 4) + pad(p.date()->month, 2) + pad(p.date()->day, 2),
                          q.raceDate);
                EXPECT_EQ(p.jumpFlag(), q.jump ? "1" : "0");
                EXPECT_EQ(p.raceNameText(), q.raceName);
                EXPECT_EQ(p.gradeCode(), q.gradeCode);
                EXPECT_EQ(p.weightRuleCode(), q.weightRuleCode);
                EXPECT_EQ(p.classCode(), q.classCode);
                EXPECT_EQ(p.surfaceCode(), q.surfaceCode);
                EXPECT_EQ(p.courseLayoutCode(), q.courseLayoutCode);
                EXPECT_EQ(p.railCode(), q.railCode);
                EXPECT_EQ(p.distanceValue(), q.distance);
                EXPECT_EQ(p.runnerCountValue(), q.runnerCount);
                EXPECT_EQ(p.paceCode(), q.paceCode);
                EXPECT_EQ(p.goingCode(), q.goingCode);
                EXPECT_EQ(p.horseNoValue(), q.horseNo);
                EXPECT_EQ(p.weightCarried(), pad(q.weightCarried, 3));
                EXPECT_EQ(p.bodyWeightValue(), q.bodyWeight);
                EXPECT_EQ(p.jockeyNameText(), q.jockeyName);
                EXPECT_EQ(p.popularityValue(), q.popularity);
                EXPECT_EQ(p.finishPosValue(), q.finishPos);
                EXPECT_EQ(p.raceTime(), q.raceTime);
                EXPECT_EQ(p.marginValue(), q.margin);
                EXPECT_EQ(p.first3F(), q.first3F);
                EXPECT_EQ(p.last3F(), q.last3F);
                for (int c = 1; c <= 4; ++c)
                    EXPECT_EQ(p.corner(c), q.corners[static_cast<size_t>(c - 1)]);
                EXPECT_EQ(p.straightPos(), q.straightPos);
                EXPECT_EQ(p.opponentNameText(), q.opponentName);
            }
        }
    }
}

TEST(GenLayout, LoadedDayGroupsRunnersAndMatchesOddsByRaceKey) {
    TempDir home;
    ASSERT_TRUE(writeDayFiles(home.path(), defaultDay(), Generation::Vd2));
    data::RaceDay day;
    auto loaded = data::loadRaceDay(home.path(), day);
    ASSERT_TRUE(loaded) << loaded.error().message;
    ASSERT_TRUE(*loaded);
    const auto& races = defaultDay().races;
    ASSERT_EQ(day.raceCount, static_cast<int>(races.size()));
    EXPECT_TRUE(data::oddsOfSameDay(day));
    int first = 0;
    for (int k = 0; k < day.raceCount; ++k) {
        const Race& race = races[static_cast<size_t>(k)];
        const int n = static_cast<int>(race.runners.size());
        auto range = data::runnerRange(day, k);
        ASSERT_TRUE(range) << range.error().message;
        EXPECT_EQ(range->first, first);
        EXPECT_EQ(range->last, first + n - 1);
        EXPECT_TRUE(data::hasOdds(day, k));
        for (int h = 1; h <= n; ++h) {
            auto odds = data::oddsOf(day, k, h);
            ASSERT_TRUE(odds.has_value());
            EXPECT_EQ(*odds, race.runners[static_cast<size_t>(h - 1)].winOdds);
            // Line i of the runner and horse files describe the same horse.
            EXPECT_EQ(data::EntryLine{day.entryLine(first + h - 1)}.horseNameText(),
                      data::HorseLine{day.horseLine(first + h - 1)}.horseNameText());
        }
        first += n;
    }
}

TEST(GenLayout, RaceTextsOfTheNamedAndGradedRaces) {
    // The day's main races as the race list shows them.
    struct Case {
        int venue, raceNo;
        const char* shortTitle;
        const char* menuEnd;
    };
    const Case cases[] = {
        {0, 11, "カペラS(Jpn(G3))", "Jpn(G3) "},
        {0, 10, "中山大障害(JG1)", " "},
        {1, 11, "阪神ジュベナイルフィリーズ(G1)", "G1 "},
        {2, 11, "金鯱賞(G2)", "G2 "},
        {2, 9, "中京2歳S", " "},
    };
    for (const auto& c : cases) {
        const Race& race = defaultDay().races[static_cast<size_t>(c.venue * 12 + c.raceNo - 1)];
        const auto texts = data::addRace(raceLine(race));
        EXPECT_EQ(texts.shortTitle, c.shortTitle);
        const std::string menuEnd = c.menuEnd;
        ASSERT_GE(texts.menuCaption.size(), menuEnd.size());
        EXPECT_EQ(texts.menuCaption.substr(texts.menuCaption.size() - menuEnd.size()), menuEnd)
            << texts.menuCaption;
    }
}

TEST(GenVd3, ForwardConversionRestoresTheVd2LinesByteForByte) {
    const auto vd2 = byName(raceCardFiles(defaultDay(), Generation::Vd2));
    const auto vd3 = byName(raceCardFiles(defaultDay(), Generation::Vd3));
    const auto ods2 = byName(oddsFiles(defaultDay(), Generation::Vd2));
    const auto ods3 = byName(oddsFiles(defaultDay(), Generation::Vd3));
    EXPECT_EQ(data::convertVd3Content(data::Vd3Kind::Den1, vd3.at("cnx_den1.vd3")),
              vd2.at("cnx_den1.vd2"));
    EXPECT_EQ(data::convertVd3Content(data::Vd3Kind::Den2, vd3.at("cnx_den2.vd3")),
              vd2.at("cnx_den2.vd2"));
    EXPECT_EQ(data::convertVd3Content(data::Vd3Kind::Ods, ods3.at("cnx_ods.vd3")),
              ods2.at("cnx_ods.vd2"));
    EXPECT_EQ(vd3.at("cnx_uma.vd3"), vd2.at("cnx_uma.vd2"));
    EXPECT_TRUE(ods3.count("cnx_ods2.vd3"));

    // Where the moved fields sit in the ".vd3" lines.
    const auto races = linesOf(vd3.at("cnx_den1.vd3"));
    const auto odds = linesOf(ods3.at("cnx_ods.vd3"));
    for (size_t k = 0; k < races.size(); ++k) {
        const Race& race = defaultDay().races[k];
        EXPECT_EQ(races[k].substr(73, 1), race.jpnFlag ? "1" : "0");
        EXPECT_EQ(races[k].substr(72, 1), race.gradeCode);          // stays at 73
        EXPECT_EQ(races[k].substr(74, 2), race.weightRuleCode);     // 75-76
        EXPECT_EQ(odds[k].substr(161, 5), race.runners[0].winOdds); // horse 1 at 162
        EXPECT_EQ(odds[k].substr(0, 22), race.raceKey());
    }
    const auto entries = linesOf(vd3.at("cnx_den2.vd3"));
    size_t i = 0;
    for (const auto& race : defaultDay().races)
        for (const auto& r : race.runners)
            EXPECT_EQ(data::intOf(entries[i++].substr(739, 3)), r.rating); // 740-742
}

TEST(GenVd3, FileConversionInAHomeLeavesTheVd2Day) {
    TempDir home;
    ASSERT_TRUE(writeDayFiles(home.path(), defaultDay(), Generation::Vd3));
    for (auto kind : {data::Vd3Kind::Den1, data::Vd3Kind::Den2, data::Vd3Kind::Ods}) {
        auto converted = data::convertVd3File(home.path(), kind);
        ASSERT_TRUE(converted) << converted.error().message;
        EXPECT_TRUE(*converted);
    }
    const auto vd2 = byName(raceCardFiles(defaultDay(), Generation::Vd2));
    for (const char* name : {"cnx_den1.vd2", "cnx_den2.vd2"}) {
        auto bytes = data::readFile(home.path() / name);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(*bytes, vd2.at(name)) << name;
    }
    auto odds = data::readFile(home.path() / "cnx_ods.vd2");
    ASSERT_TRUE(odds);
    EXPECT_EQ(*odds, byName(oddsFiles(defaultDay(), Generation::Vd2)).at("cnx_ods.vd2"));
    EXPECT_FALSE(fs::exists(home.path() / "cnx_den1.vd3"));
}

TEST(GenDay, SameSeedSameBytesOtherSeedOtherDay) {
    GenOptions a;
    a.seed = 7;
    GenOptions b = a;
    b.seed = 8;
    const auto x = raceCardFiles(generateRaceDay(a), Generation::Vd2);
    const auto y = raceCardFiles(generateRaceDay(a), Generation::Vd2);
    const auto z = raceCardFiles(generateRaceDay(b), Generation::Vd2);
    ASSERT_EQ(x.size(), 3u);
    for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_EQ(x[i].bytes, y[i].bytes) << x[i].name;
        EXPECT_NE(x[i].bytes, z[i].bytes) << x[i].name;
    }
}

TEST(GenDay, RaceAndRunnerCountOptions) {
    struct Case {
        int races, runners;
        size_t venues, raceLines, runnerLines;
    };
    const Case cases[] = {
        {36, 18, 3, 36, 648},  {1, 8, 1, 1, 8},   {39, 18, 4, 39, 702},
        {100, 30, 4, 39, 702}, {13, 0, 2, 13, 0},
    };
    for (const auto& c : cases) {
        GenOptions o;
        o.races = c.races;
        o.runners = c.runners;
        const RaceDay day = generateRaceDay(o);
        ASSERT_EQ(day.races.size(), c.raceLines) << c.races;
        std::set<std::string> venues;
        size_t runners = 0;
        for (const auto& r : day.races) {
            venues.insert(r.venueCode);
            runners += r.runners.size();
            if (c.runners > 0)
                EXPECT_EQ(r.runners.size(), static_cast<size_t>(std::min(c.runners, 18)));
            else
                EXPECT_TRUE(r.runners.size() >= 8 && r.runners.size() <= 18);
        }
        EXPECT_EQ(venues.size(), c.venues);
        if (c.runnerLines) {
            EXPECT_EQ(runners, c.runnerLines);
        }
    }
}

TEST(GenDay, TheDayCarriesTheCasesTheProgramMustHandle) {
    const auto& day = defaultDay();
    EXPECT_EQ(day.races.front().weekdayCode, "02"); // 2026-12-13 is a Sunday
    bool withheld = false, debut = false, jump = false, jpnGraded = false, plainGraded = false,
         noRatings = false, someZero = false, edition = false, big = false;
    std::set<std::string> marks, corners;
    std::set<int> finishes;
    bool margin998 = false, blankPadded = false, zeroPadded = false;
    std::set<size_t> pastCounts;
    for (const auto& r : day.races) {
        withheld |= r.withheld;
        debut |= r.classCode == "00001";
        jump |= r.jump;
        const bool graded = r.gradeCode >= "0" && r.gradeCode <= "2";
        jpnGraded |= graded && r.jpnFlag;
        plainGraded |= graded && !r.jpnFlag;
        edition |= r.editionNo > 0 && !r.raceName.empty();
        big |= r.runners.size() >= 14;
        int zeros = 0;
        for (const auto& x : r.runners) {
            zeros += x.rating == 0;
            const std::string t = data::trim(x.winOdds);
            if (t == "/" || t == "*" || t == "-")
                marks.insert(t);
            else if (x.winOdds[0] == ' ')
                blankPadded = true;
            else
                zeroPadded = true;
            pastCounts.insert(x.horse.pastRaces.size());
            for (const auto& p : x.horse.pastRaces) {
                finishes.insert(p.finishPos);
                margin998 |= p.margin == 998;
                for (const auto& c : p.corners)
                    corners.insert(c);
            }
        }
        noRatings |= zeros == static_cast<int>(r.runners.size());
        someZero |= zeros > 0 && zeros < static_cast<int>(r.runners.size());
    }
    EXPECT_TRUE(withheld && debut && jump && jpnGraded && plainGraded && noRatings && someZero &&
                edition && big);
    EXPECT_EQ(marks, (std::set<std::string>{"*", "-", "/"}));
    EXPECT_TRUE(blankPadded && zeroPadded);
    EXPECT_TRUE(margin998);
    EXPECT_TRUE(pastCounts.count(0) && pastCounts.count(5));
    for (int code : {31, 32, 33, 34, 35})
        EXPECT_TRUE(finishes.count(code)) << code;
    bool grey = false, abnormalCorner = false;
    for (const auto& c : corners) {
        const int v = data::intOf(c);
        grey |= v > 40 && v <= 58;
        abnormalCorner |= v >= 31 && v <= 35;
    }
    EXPECT_TRUE(grey && abnormalCorner);
}

TEST(GenDay, TheIndexEngineFindsGapHorsesAndRatinglessRaces) {
    int gapRaces = 0, unrated = 0;
    for (const auto& race : defaultDay().races) {
        engine::Prediction p;
        std::vector<std::string> odds;
        for (const auto& r : race.runners) {
            engine::TBachu b;
            b.rating = r.rating;
            b.horseName = r.horse.name;
            p.runners.push_back(b);
            odds.push_back(r.winOdds);
        }
        auto st = engine::computeIndices(p, odds, race.raceKey());
        ASSERT_TRUE(st) << st.error().message;
        gapRaces += !p.gapHorses[0].empty();
        unrated += !p.hasRatings;
        if (!p.gapHorses[0].empty()) {
            EXPECT_GE(race.runners.size(), 14u);
            EXPECT_GE(p.racePattern, 1);
        }
    }
    EXPECT_GE(gapRaces, 3);
    EXPECT_EQ(unrated, 1);
}

TEST(GenStandardData, NibbleSwapIsItsOwnInverseAndMatchesTheReader) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(nibbleSwap(nibbleSwap(all)), all);
    EXPECT_EQ(nibbleSwap(all), engine::swapNibbles(all));
    EXPECT_EQ(nibbleSwap("\x12\x0D\x0A\xFF"), "\x21\xD0\xA0\xFF");
}

TEST(GenStandardData, FilesFollowTheLayoutAndTheLookupUsesThem) {
    const auto files = standardDataFiles(defaultDay(), 1);
    std::set<std::string> names;
    bool above = false, below = false;
    for (const auto& f : files) {
        names.insert(f.name);
        const auto lines = linesOf(nibbleSwap(f.bytes));
        ASSERT_GT(lines.size(), 7u) << f.name;
        for (const auto& l : lines) {
            const auto fields = data::splitFields(l, ',');
            ASSERT_EQ(fields.size(), 18u) << f.name << ": " << l;
            for (int g = 0; g < 6; ++g) {
                int32_t count = 0;
                ASSERT_TRUE(data::tryIntOf(fields[static_cast<size_t>(3 * g + 2)], count));
                (count > 29 ? above : below) = true;
            }
        }
    }
    EXPECT_TRUE(above && below);

    TempDir home;
    ASSERT_TRUE(writeStandardData(home.path() / "Data", defaultDay(), 1));
    bool fellBackToS = false;
    for (const auto& race : defaultDay().races) {
        const auto texts = data::addRace(raceLine(race));
        if (race.jump)
            continue; // steeplechases have no standard data
        const std::string kind =
            race.surfaceCode == "0" ? "D" : (race.courseLayoutCode == "1" ? "SO" : "S");
        const std::string name = race.venueCode + kind + pad(race.distance, 4) + ".dat";
        fellBackToS |= kind == "SO" && !names.count(name);
        EXPECT_TRUE(
            names.count(name) ||
            (kind == "SO" && names.count(race.venueCode + "S" + pad(race.distance, 4) + ".dat")))
            << name;
        for (int front : {0, 3}) {
            auto sd = engine::loadStandardData(home.path(), texts.venueLabel, texts.raceKindLabel,
                                               front, texts.courseLayoutLabel, texts.distanceText);
            ASSERT_TRUE(sd) << sd.error().message;
            EXPECT_TRUE(sd->messages.empty());
            // Row 3 is thin: every sample count is below 30, so columns 0-2
            // come from the fall-back group (1.2 and 0.9) times two thirds,
            // both below 1 and shown as 1.0.
            for (int g = 0; g < 3; ++g) {
                EXPECT_EQ(sd->values[0][3][static_cast<size_t>(g)], "1.0") << name;
                EXPECT_EQ(sd->values[1][3][static_cast<size_t>(g)], "1.0") << name;
            }
            EXPECT_NE(sd->values[0][1][0], "0.0") << name; // count 30: its own value
        }
    }
    EXPECT_TRUE(fellBackToS);
}

TEST(GenArchive, ArchivesListAndExtractToTheDayFiles) {
    for (Generation gen : {Generation::Vd2, Generation::Vd3}) {
        TempDir dir;
        auto paths = writeDayArchives(dir.path(), defaultDay(), gen);
        ASSERT_TRUE(paths) << paths.error().message;
        ASSERT_EQ(paths->size(), 2u);
        EXPECT_EQ((*paths)[0].filename(),
                  gen == Generation::Vd2 ? "hz261213.lzh" : "vd3_hz261213.lzh");
        EXPECT_EQ((*paths)[1].filename(),
                  gen == Generation::Vd2 ? "j261213.lzh" : "vd3_jb261213.lzh");
        auto expected = byName(raceCardFiles(defaultDay(), gen));
        for (auto& [name, bytes] : byName(oddsFiles(defaultDay(), gen)))
            expected[name] = bytes;
        const fs::path out = dir.path() / "out";
        fs::create_directories(out);
        std::vector<std::string> errors;
        data::ExtractHooks hooks;
        hooks.error = [&](int, const std::string& m) { errors.push_back(m); };
        ASSERT_TRUE(data::extractArchives(*paths, out, hooks));
        EXPECT_TRUE(errors.empty());
        for (const auto& [name, bytes] : expected) {
            auto got = data::readFile(out / name);
            ASSERT_TRUE(got) << name;
            EXPECT_EQ(*got, bytes) << name;
        }
    }
}

TEST(GenImport, BothGenerationsImportToTheSameVd2Day) {
    // The ".vd3" day goes through the import's forward conversion and must
    // come out as the ".vd2" day, with nothing of the ".vd3" files left.
    const auto vd2 = byName(raceCardFiles(defaultDay(), Generation::Vd2));
    const auto ods = byName(oddsFiles(defaultDay(), Generation::Vd2));
    for (Generation gen : {Generation::Vd2, Generation::Vd3}) {
        TempDir dir;
        auto paths = writeDayArchives(dir.path() / "archives", defaultDay(), gen);
        ASSERT_TRUE(paths) << paths.error().message;
        const fs::path home = dir.path() / "home";
        fs::create_directories(home);
        data::RaceDay day;
        const auto result = data::importArchive(home, (*paths)[0], day);
        ASSERT_TRUE(result.ok()) << *result.message;
        ASSERT_TRUE(result.companion.has_value());
        EXPECT_EQ(*result.companion, (*paths)[1]);
        for (const auto& e : fs::directory_iterator(home))
            EXPECT_NE(e.path().extension(), ".vd3") << e.path();
        for (const auto& [name, bytes] : vd2) {
            auto got = data::readFile(home / name);
            ASSERT_TRUE(got) << name;
            EXPECT_EQ(*got, bytes) << name;
        }
        auto odds = data::readFile(home / "cnx_ods.vd2");
        ASSERT_TRUE(odds);
        EXPECT_EQ(*odds, ods.at("cnx_ods.vd2"));
        ASSERT_EQ(day.raceCount, static_cast<int>(defaultDay().races.size()));
        for (int k = 0; k < day.raceCount; ++k)
            EXPECT_EQ(data::RaceLine{day.raceLine(k)}.jpnFlag(),
                      defaultDay().races[static_cast<size_t>(k)].jpnFlag ? "1" : "0");
    }
}

TEST(GenSample, ShippedSampleIsWhatTheGeneratorMakes) {
    // samples/ must be regenerated whenever the generator changes.
    const char* src = std::getenv("VELMAR_SOURCE_DIR");
    ASSERT_NE(src, nullptr);
    const fs::path samples = fs::path(src) / "samples";
    TempDir out;
    ASSERT_TRUE(
        data::extractArchives({samples / "hz261213.lzh", samples / "j261213.lzh"}, out.path()));
    GenOptions o;
    o.date = "20261213";
    o.seed = 1;
    const RaceDay day = generateRaceDay(o);
    auto expected = byName(raceCardFiles(day, Generation::Vd2));
    for (auto& [name, bytes] : byName(oddsFiles(day, Generation::Vd2)))
        expected[name] = bytes;
    for (const auto& [name, bytes] : expected) {
        auto got = data::readFile(out.path() / name);
        ASSERT_TRUE(got) << name;
        EXPECT_EQ(*got, bytes) << name;
    }
    size_t shipped = 0;
    for (const auto& e : fs::directory_iterator(samples / "Data"))
        shipped += e.path().extension() == ".dat";
    const auto files = standardDataFiles(day, 1);
    EXPECT_EQ(shipped, files.size());
    for (const auto& f : files) {
        auto got = data::readFile(samples / "Data" / f.name);
        ASSERT_TRUE(got) << f.name;
        EXPECT_EQ(*got, f.bytes) << f.name;
    }
}

TEST(GenCli, WritesArchivesAndRefusesABadDate) {
    const char* bin = std::getenv("VELMAR_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    const std::string gen = (fs::path(bin) / "velmar-gen").string();
    TempDir dir;
    const std::string out = (dir.path() / "day").string();
    const std::string ok = gen + " --out '" + out + "' --date 20270105 --races 3 --gen vd3 " +
                           "--archive --standard-data '" + out + "/Data' > /dev/null";
    ASSERT_EQ(std::system(ok.c_str()), 0);
    EXPECT_TRUE(fs::exists(dir.path() / "day" / "vd3_hz270105.lzh"));
    EXPECT_TRUE(fs::exists(dir.path() / "day" / "vd3_jb270105.lzh"));
    EXPECT_FALSE(fs::is_empty(dir.path() / "day" / "Data"));
    for (const char* bad : {"--date 2027010", "--date 20271301", "--races 0", "--gen vd4"}) {
        const std::string cmd = gen + " --out '" + out + "' " + bad + " > /dev/null 2>&1";
        const int st = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(st) && WEXITSTATUS(st) != 0) << bad;
    }
}
