#pragma once
// Generator of realistic CNX race days for tests, benchmarks and the shipped
// sample. A day is first built as a model (plain values, UTF-8 texts) and then
// written as fixed-column CP932 lines straight from the column tables, so the
// program's readers are checked against an independent writer.
//
// Everything is deterministic from the seed: the same options give the same
// bytes on every machine (no std:: distributions, whose output differs
// between standard libraries).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmar::tools {

struct GenOptions {
    std::string date = "20261213"; // race day, YYYYMMDD
    int races = 36;                // races of the day, 12 per venue (at most 39)
    int runners = 0;               // 0: 8 to 18 per race; else every race has this many (1..18)
    std::uint64_t seed = 1;
};

// One of the five past-race blocks of a horse line. Codes are kept as the
// exact texts written into the line.
struct PastRace {
    std::string venueCode;  // 2
    std::string meetingNo;  // 2
    std::string meetingDay; // 2
    std::string raceDate;   // YYYYMMDD
    bool jump = false;
    std::string raceName;       // short form, at most 14 bytes; empty for an ordinary race
    std::string gradeCode;      // 1, " " for none
    std::string weightRuleCode; // 2
    std::string classCode;      // 5
    std::string surfaceCode;    // "1" turf, "0" dirt
    std::string courseLayoutCode;
    std::string railCode;
    int distance = 0;
    int runnerCount = 0;
    std::string paceCode;  // "0" H, "1" M, "2" S
    std::string goingCode; // "0".."3"
    int horseNo = 0;
    int weightCarried = 0; // tenths of a kilogram
    int bodyWeight = 0;
    std::string jockeyName;             // at most 8 bytes
    int popularity = 0;                 // 34 scratched, 35 excluded
    int finishPos = 0;                  // 31..35 abnormal, 0 no result
    std::string raceTime;               // 4 digits: m ss t
    int margin = 0;                     // tenths; 998 no margin
    std::string first3F;                // 3 digits
    std::string last3F;                 // 3 digits
    std::array<std::string, 4> corners; // 2 digits each, +40 and 31..35 codes included
    std::string straightPos;            // 1
    std::string opponentName;
};

struct Horse {
    int horseCode = 0; // 7 digits
    std::string name;  // katakana, at most 9 characters
    std::string coatCode;
    std::string producerAreaCode;
    std::string horseMarkCode;
    std::string sireName, damName, damSireName, damDamName;
    std::string ownerName;
    std::string breederName;
    std::string trainerName; // at most 8 bytes
    std::string trainerCentreCode;
    long long mainPrize = 0, prizeA = 0, prizeB = 0; // yen
    std::array<int, 4> career{};                     // firsts, seconds, thirds, others
    std::array<int, 144> stats{};                    // StatsBlock counters
    std::vector<PastRace> pastRaces;                 // most recent first, 0..5
};

struct Runner {
    int horseNo = 0;
    int frameNo = 0;
    std::string sexCode;
    int age = 0;
    int weightCarried = 0;       // tenths of a kilogram
    std::string jockeyName;      // at most 12 bytes
    std::string jockeyShortName; // at most 8 bytes
    int rating = 0;              // tenths; 0 no rating
    std::string winOdds;         // the 5 characters of the odds field
    Horse horse;
};

struct Race {
    std::string venueCode;
    int meetingNo = 0, meetingDay = 0, raceNo = 0;
    std::string date;        // YYYYMMDD
    std::string weekdayCode; // "01" Saturday .. "07" Friday
    bool jump = false;
    int editionNo = 0;
    std::string raceName; // at most 30 bytes
    std::string gradeCode = " ";
    bool jpnFlag = false;
    std::string weightRuleCode;
    std::string conditionCode = "  ";
    std::string designationCode = "  ";
    std::string breedAgeCode;
    std::string classCode;
    std::string surfaceCode, turnCode, courseLayoutCode, railCode;
    int distance = 0;
    bool withheld = false;
    std::string postTime; // 5 characters, e.g. "15:25"
    std::vector<Runner> runners;
    std::uint64_t fillerSeed = 0; // digits in columns the program does not read

    std::string raceKey() const; // columns 1-22 of the race line (ASCII)
};

struct RaceDay {
    std::string date;
    std::vector<Race> races;
};

// Builds the day. Options out of range are clamped (races 1..39, runners 0..18).
RaceDay generateRaceDay(const GenOptions& options);

// ".vd2" lines as raw CP932 bytes, without line ends.
std::string raceLine(const Race& race);             // 777 columns
std::string entryLine(const Race& race, int index); // 741 columns
std::string horseLine(const Race& race, int index); // 4014 columns
std::string oddsLine(const Race& race);             // 1502 columns, column 161 blank
std::string odds2Line(const Race& race);            // the ".vd3" generation's second odds file

constexpr int kRaceLineWidth = 777;
constexpr int kEntryLineWidth = 741;
constexpr int kHorseLineWidth = 4014;
constexpr int kOddsLineWidth = 1502;

// Weekday code of a YYYYMMDD date ("01" Saturday, "02" Sunday, "03" Monday ...).
std::string weekdayCodeOf(const std::string& date);

} // namespace velmar::tools
