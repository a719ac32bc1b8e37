#pragma once
// The race day in memory: the raw lines of the four day files, the display
// texts of every race, and the rules that tie the files together (runner
// grouping, odds of a race).

#include "data/race_line.h"
#include "data/race_texts.h"
#include "data/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::data {

inline constexpr int kMaxRaces = 39;
inline constexpr int kMaxRunnerLines = 1000;
inline constexpr int kMaxOddsLines = 39;

inline constexpr const char* kRaceFileName = "cnx_den1.vd2";
inline constexpr const char* kEntryFileName = "cnx_den2.vd2";
inline constexpr const char* kHorseFileName = "cnx_uma.vd2";
inline constexpr const char* kOddsFileName = "cnx_ods.vd2";

struct RaceDay {
    // Raw CP932 lines without line ends, in file order.
    std::vector<std::string> raceLines;
    std::vector<std::string> entryLines;
    std::vector<std::string> horseLines;
    std::vector<std::string> oddsLines;
    // Display texts of race k, built from raceLines[k].
    std::vector<RaceTexts> raceTexts;
    int raceCount = 0;

    // Empty views / texts for an index beyond the lines read, so a day whose
    // runner or horse files are short reads the missing lines as empty.
    std::string_view raceLine(int k) const;
    std::string_view entryLine(int i) const;
    std::string_view horseLine(int i) const;
    std::string_view oddsLine(int k) const;
    const RaceTexts& texts(int k) const;
};

// Runner range of race k: first = sum of RunnerCount over races 0..k-1,
// last = first + RunnerCount(k) - 1. The counts are converted strictly: a
// count that is not a number (or negative), or a race index outside the day,
// gives an error that names the race and the field.
struct RunnerRange {
    int first = 0;
    int last = -1;
    int count() const { return last - first + 1; }
};
Result<RunnerRange> runnerRange(const RaceDay& day, int k);
Result<int> firstRunner(const RaceDay& day, int k);
Result<int> lastRunner(const RaceDay& day, int k);

// True when the odds line of race k carries the race's key.
bool hasOdds(const RaceDay& day, int k);
// Raw 5 bytes of the win odds of horse number n in race k; none when the odds
// line's key does not match the race's.
std::optional<std::string_view> oddsOf(const RaceDay& day, int k, int horseNo);
// True when the loaded odds are of the loaded day (first odds line's key equals
// the first race line's key).
bool oddsOfSameDay(const RaceDay& day);

// The contents of the four files of a day; a file that does not exist is none.
struct RaceDayFiles {
    std::optional<std::string_view> races;   // cnx_den1.vd2
    std::optional<std::string_view> entries; // cnx_den2.vd2
    std::optional<std::string_view> horses;  // cnx_uma.vd2
    std::optional<std::string_view> odds;    // cnx_ods.vd2
};

// Reads a day from file contents into `day`:
// - race, runner and horse files all present: their lines replace the day's
//   race, runner and horse lines, every race gets its texts, and the result is
//   true; when one of them is missing none of the three changes and the result
//   is false.
// - independently, when the odds file is present its lines replace the odds
//   lines; otherwise the odds lines stay as they were.
// A day beyond the capacities (39 races, 1000 runner or horse lines, 39 odds
// lines) is refused with an error and `day` stays exactly as it was.
Result<bool> loadRaceDay(const RaceDayFiles& files, RaceDay& day);

// The same over the files of the Velmar home. A file that exists but cannot be
// read gives an error and leaves `day` as it was.
Result<bool> loadRaceDay(const std::filesystem::path& home, RaceDay& day);

// For listings: like loadRaceDay over the home, with the same result, rules
// and capacity checks, but the runner and horse files are only counted, not
// kept (entryLines and horseLines come back empty) and the odds file is left
// alone.
Result<bool> loadRaceList(const std::filesystem::path& home, RaceDay& day);

// Number of lines of a file as loadRaceDay splits them (LF, CR LF or CR; a
// final line break starts no further line), read in small pieces.
Result<size_t> countFileLines(const std::filesystem::path& path);

} // namespace velmar::data
