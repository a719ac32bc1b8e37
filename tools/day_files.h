#pragma once
// Writes a generated race day as the files and archives the data service
// publishes: the ".vd2" generation as is, the ".vd3" generation with the
// column maps applied in reverse (the import's forward conversion restores
// the ".vd2" lines byte for byte), and the standard data files of the day's
// courses.

#include "data/result.h"
#include "tools/race_day_generator.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::tools {

enum class Generation { Vd2, Vd3 };

struct DayFile {
    std::string name;  // file name, e.g. "cnx_den1.vd2"
    std::string bytes; // CP932 lines, each ended by CR LF
};

// ".vd3" lines from ".vd2" lines. Columns the ".vd2" layout drops are filled
// with digits from `fillerSeed`. `jpnFlag` is the race's flag, which the
// ".vd3" odds line carries at column 74.
std::string vd3RaceLine(std::string_view vd2Line, std::uint64_t fillerSeed);  // 846 columns
std::string vd3EntryLine(std::string_view vd2Line, std::uint64_t fillerSeed); // 876 columns
std::string vd3OddsLine(std::string_view vd2Line, char jpnFlag);              // 1502 columns

// Race card (cnx_den1, cnx_den2, cnx_uma) and odds files (cnx_ods, and
// cnx_ods2 for ".vd3") of the day.
std::vector<DayFile> raceCardFiles(const RaceDay& day, Generation gen);
std::vector<DayFile> oddsFiles(const RaceDay& day, Generation gen);

// Archive names the import pairs: "hz" + YYMMDD + ".lzh" with its companion
// "j" + YYMMDD + ".lzh"; for ".vd3" the six-character prefix "vd3_hz" with the
// companion "vd3_jb" + YYMMDD + ".lzh".
std::string raceCardArchiveName(const std::string& date, Generation gen);
std::string oddsArchiveName(const std::string& date, Generation gen);

// Writes the loose files into `dir` (created when missing).
Status writeDayFiles(const std::filesystem::path& dir, const RaceDay& day, Generation gen);
// Writes the race-card archive and its odds companion into `dir`; returns their paths.
Result<std::vector<std::filesystem::path>> writeDayArchives(const std::filesystem::path& dir,
                                                            const RaceDay& day, Generation gen);

// Standard data: every byte stored with its two 4-bit halves exchanged.
std::string nibbleSwap(std::string_view bytes);

// One file per flat course of the day (venue code + "S", "SO" or "D" +
// four-digit distance + ".dat"), already scrambled. Eight lines of 18
// fields; sample counts lie on both sides of the fallback threshold.
std::vector<DayFile> standardDataFiles(const RaceDay& day, std::uint64_t seed);
Status writeStandardData(const std::filesystem::path& dir, const RaceDay& day, std::uint64_t seed);

} // namespace velmar::tools
