#pragma once
// "#0.0" of a value held in tenths (553 -> "55.3", -5 -> "-0.5"), without the
// detour through floating point: ratings, weights and odds are all tenths.

#include <cstdint>
#include <string>

namespace velmar::engine {

inline std::string tenthsText(int64_t tenths) {
    const bool negative = tenths < 0;
    const uint64_t v =
        negative ? uint64_t(0) - static_cast<uint64_t>(tenths) : static_cast<uint64_t>(tenths);
    std::string s = negative ? "-" : "";
    s += std::to_string(v / 10);
    s += '.';
    s += static_cast<char>('0' + v % 10);
    return s;
}

} // namespace velmar::engine
