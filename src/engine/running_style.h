#pragma once
// The vocabulary the index engine's results are shown in (pattern names, mark
// symbols and weights) and the two per-runner judgements made from a horse's
// past races: running style and distance change.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmar::engine {

// 1 本命, 2 順当, 3 波乱, 4 大穴; empty for any other value.
std::string patternText(int32_t pattern);

// Symbol of mark position 1..6 (◎ ○ ▲ △ × ×); empty otherwise.
std::string markSymbol(int position);

// "10" for the horse at mark position 1 down to "5" at position 6, "0" for an
// unmarked horse (or horse number 0).
std::string markWeight(const std::array<int32_t, 6>& markedHorses, int32_t horse);

// Corner code -> position: 0 when not a number, 30-39 (abnormal ends) -> 0,
// 40 or more -> minus 40 (the data flags some positions by adding 40).
int normalizePosition(std::string_view code);

// Running style from the normalised fourth-corner positions of the two most
// recent races with a finishing code (0 where there is none).
std::string styleFromPositions(int a, int b);

// 別ﾄﾗｯｸ / 同距離 / 短縮 / 延長 / empty; surfaces are race-kind texts.
std::string distanceChangeText(int today, int past, std::string_view todaySurface,
                               std::string_view pastSurface);

// Opening colour tag of a style ("<font color=\"#FF3333\">" for 逃げ ...);
// empty for any other text.
std::string styleColorTag(std::string_view style);

// Style in its colour plus "・" plus the change; the change alone when there is
// no style; empty otherwise.
std::string styledText(std::string_view style, std::string_view change);

} // namespace velmar::engine
