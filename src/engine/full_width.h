#pragma once
// Full-width conversion as the Shift-JIS world knows it: ASCII digits,
// letters, blank and punctuation become their JIS X 0208 counterparts,
// half-width katakana become full-width katakana (a following voiced or
// semi-voiced mark combining where a combined letter exists). UTF-8 in and out.

#include <string>
#include <string_view>

namespace velmar::engine {

std::string toFullWidth(std::string_view utf8);

} // namespace velmar::engine
