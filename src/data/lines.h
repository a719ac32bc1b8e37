#pragma once
// Fixed-column access to the raw CP932 lines of the race-day files.
//
// Columns are 1-based byte columns; a full-width character takes two. A line
// shorter than a field yields the bytes that exist, possibly none, so no line
// is ever rejected for its length.

#include <cstdint>
#include <string>
#include <string_view>

namespace velmar::data {

// Bytes `col` .. `col + width - 1` of the line (1-based), clipped to the line.
// A column below 1 or a negative width yields nothing.
std::string_view cut(std::string_view line, int col, int width);

// The field decoded to UTF-8, blanks kept.
std::string fieldText(std::string_view line, int col, int width);

// The field decoded to UTF-8 with leading and trailing codes <= 0x20 removed
// (a full-width blank stays).
std::string fieldTrimmed(std::string_view line, int col, int width);

// The field read leniently as an integer (intOf: 0 when it is not a number).
int32_t fieldInt(std::string_view line, int col, int width);

} // namespace velmar::data
