#pragma once
// Rewrites the ".vd3" generation of the day files into the ".vd2" layout the
// rest of the program reads. A ".vd3" race line and odds line carry one extra
// column at 74: it becomes JpnFlag (column 358) of the race line and is
// dropped from the odds line.

#include "data/result.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace velmar::data {

enum class Vd3Kind {
    Den1, // cnx_den1: [1-73] + [75-350] + [419-426] + [74] + [428-846]
    Den2, // cnx_den2: [1-255] + [257-694] + [728-742] + [844-876]
    Ods,  // cnx_ods:  [1-73] + [75-161] + " " + [162-1502]
    Uma,  // cnx_uma:  same layout, only renamed
};

// "cnx_den1" etc.: the file stem of a kind.
std::string_view vd3Stem(Vd3Kind kind);

// One line (without line end) in the ".vd2" layout. A piece beyond the end
// of a short line is empty (or what exists of it).
std::string convertVd3Line(Vd3Kind kind, std::string_view line);

// Whole file content: every line converted, each ended by CR LF.
std::string convertVd3Content(Vd3Kind kind, std::string_view content);

// Converts home/<stem>.vd3 into home/<stem>.vd2 (written atomically) and then
// deletes the ".vd3". False when there is no ".vd3" file; on any error the
// ".vd3" file is kept and the ".vd2" is not touched.
Result<bool> convertVd3File(const std::filesystem::path& home, Vd3Kind kind);

} // namespace velmar::data
