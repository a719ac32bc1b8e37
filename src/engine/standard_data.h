#pragma once
// Per-course reference values ("standard data"): Data/<venue><kind><distance>.dat,
// stored with the two halves of every byte exchanged.

#include "data/result.h"
#include "engine/prediction.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::engine {

struct StandardData {
    StandardValues values;             // every cell "0.0" unless read
    std::vector<std::string> messages; // shown on the way (malformed line)
};

// Exchanges the two 4-bit halves of every byte (its own inverse).
std::string swapNibbles(std::string_view bytes);

// File name of the course: jraVenueCode + kind (SO / S / D) + distance + ".dat";
// empty for a race kind without standard data (障 and unknown kinds).
std::string standardDataFileName(std::string_view venueLabel, std::string_view kind,
                                 std::string_view distanceText);

// Reads the tables from the unscrambled lines of a file named `fileName`.
// A line without exactly 18 fields (or missing) stops the reading with the
// message "<fileName>が不正です。処理を中止します。"; a count, or a value that
// must be scaled, that is not a number is an error.
Result<StandardData> parseStandardData(const std::vector<std::string>& lines,
                                       std::string_view fileName, int frontRunnerCount);

// The whole lookup: picks the file under home/Data (SO falls back to S), reads
// and unscrambles it. No file, or a race kind without data, leaves "0.0".
Result<StandardData> loadStandardData(const std::filesystem::path& home,
                                      std::string_view venueLabel, std::string_view raceKindLabel,
                                      int frontRunnerCount, std::string_view courseLayoutLabel,
                                      std::string_view distanceText);

} // namespace velmar::engine
