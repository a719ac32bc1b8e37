#include "data/horse_line.h"

#include "data/codes.h"
#include "data/text.h"

namespace velmar::data {

namespace {

// Lenient 64-bit form of intOf for the ten-digit prize fields, which can
// exceed 32 bits: leading blanks and a sign, then digits only; 0 otherwise.
int64_t int64Of(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    bool neg = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        neg = t[i++] == '-';
    if (i == t.size() || t.size() - i > 18)
        return 0;
    int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return 0;
        v = v * 10 + (t[i] - '0');
    }
    return neg ? -v : v;
}

bool allDigits(std::string_view t) {
    for (char c : t)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

std::string prizeText(int64_t yen) {
    return std::to_string(yen >= 10000 ? yen / 10000 : 0) + "万円";
}

bool PastRace::inUse() const {
    return venueName(venueCode()) != "----";
}

std::optional<RaceDate> PastRace::date() const {
    std::string_view d = raceDate();
    if (d.size() != 8 || !allDigits(d))
        return std::nullopt;
    return RaceDate{intOf(d.substr(0, 4)), intOf(d.substr(4, 2)), intOf(d.substr(6, 2))};
}

std::string PastRace::weightCarriedText() const {
    return handicapMark(weightRuleCode()) + fieldText(block, 243, 2) + "." +
           fieldText(block, 245, 1);
}

std::string PastRace::raceTimeText() const {
    return fieldText(block, 375, 1) + "." + fieldText(block, 376, 2) + "." +
           fieldText(block, 378, 1);
}

double PastRace::marginShown() const {
    int32_t m = marginValue();
    if (m == 0)
        return 0.0; // never "-0.0" for a dead heat
    double v = m / 10.0;
    return finishPosValue() == 1 ? -v : v;
}

int64_t HorseLine::mainPrizeValue() const {
    return int64Of(mainPrize());
}

int64_t HorseLine::totalPrizeValue() const {
    return int64Of(prizeA()) + int64Of(prizeB());
}

int32_t HorseLine::statsCounter(int c) const {
    if (c < 0 || c >= 144)
        return 0;
    return fieldInt(line, 657 + 2 * c, 2);
}

std::array<int32_t, 4> HorseLine::statsGroup(int g) const {
    if (g < 0 || g >= 36)
        return {0, 0, 0, 0};
    return {statsCounter(4 * g), statsCounter(4 * g + 1), statsCounter(4 * g + 2),
            statsCounter(4 * g + 3)};
}

std::string HorseLine::runningStyleCountsText() const {
    auto n = statsGroup(1);
    return "逃" + std::to_string(n[0]) + " 先" + std::to_string(n[1]) + " 差" +
           std::to_string(n[2]) + " 追" + std::to_string(n[3]);
}

PastRace HorseLine::past(int k) const {
    if (k < 1 || k > kPastRaceCount)
        return PastRace{};
    return PastRace{cut(line, kPastRaceColumn + kPastRaceWidth * (k - 1), kPastRaceWidth)};
}

} // namespace velmar::data
