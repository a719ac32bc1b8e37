#pragma once
// View of one line of the horse file (cnx_uma): profile, connections, prize
// money, career statistics and the last five races as fixed 590-byte blocks.
// Same naming as race_line.h: `field()` raw CP932 bytes, `fieldValue()`
// lenient integer, `fieldText()` UTF-8 trimmed. Views must not outlive the line.

#include "data/lines.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmar::data {

struct RaceDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const RaceDate&) const = default;
};

inline constexpr int kPastRaceCount = 5;
inline constexpr int kPastRaceWidth = 590;
inline constexpr int kPastRaceColumn = 1065; // first column of block 1

// "15万円": the amount without its last four digits, "0万円" below 10,000 yen
// (and for a negative amount).
std::string prizeText(int64_t yen);

// One past-race block; `block` is the block's bytes (shorter or empty when the
// line ends early). Offsets are counted from 1 within the block.
struct PastRace {
    std::string_view block;

    std::string_view venueCode() const { return cut(block, 1, 2); }
    std::string_view meetingNo() const { return cut(block, 7, 2); }
    std::string_view meetingDay() const { return cut(block, 9, 2); }
    std::string_view raceDate() const { return cut(block, 13, 8); }
    std::string_view jumpFlag() const { return cut(block, 26, 1); }
    std::string_view raceName() const { return cut(block, 60, 14); }
    std::string_view gradeCode() const { return cut(block, 74, 1); }
    std::string_view weightRuleCode() const { return cut(block, 75, 2); }
    std::string_view classCode() const { return cut(block, 101, 5); }
    std::string_view surfaceCode() const { return cut(block, 116, 1); }
    std::string_view courseLayoutCode() const { return cut(block, 118, 1); }
    std::string_view railCode() const { return cut(block, 119, 1); }
    std::string_view distance() const { return cut(block, 120, 4); }
    std::string_view runnerCount() const { return cut(block, 124, 2); }
    std::string_view paceCode() const { return cut(block, 128, 1); }
    std::string_view goingCode() const { return cut(block, 130, 1); }
    std::string_view horseNo() const { return cut(block, 153, 2); }
    std::string_view weightCarried() const { return cut(block, 243, 3); }
    std::string_view bodyWeight() const { return cut(block, 246, 3); }
    std::string_view jockeyName() const { return cut(block, 292, 8); }
    std::string_view popularity() const { return cut(block, 360, 2); }
    std::string_view finishPos() const { return cut(block, 367, 2); }
    std::string_view raceTime() const { return cut(block, 375, 4); }
    std::string_view margin() const { return cut(block, 382, 3); }
    std::string_view first3F() const { return cut(block, 385, 3); }
    std::string_view last3F() const { return cut(block, 388, 3); }
    std::string_view corner1() const { return cut(block, 391, 2); }
    std::string_view corner2() const { return cut(block, 393, 2); }
    std::string_view corner3() const { return cut(block, 395, 2); }
    std::string_view corner4() const { return cut(block, 397, 2); }
    // Corner c = 1..4; empty otherwise.
    std::string_view corner(int c) const {
        return c >= 1 && c <= 4 ? cut(block, 391 + 2 * (c - 1), 2) : std::string_view{};
    }
    std::string_view straightPos() const { return cut(block, 399, 1); }
    std::string_view opponentName() const { return cut(block, 517, 30); }

    int32_t meetingNoValue() const { return fieldInt(block, 7, 2); }
    int32_t meetingDayValue() const { return fieldInt(block, 9, 2); }
    int32_t distanceValue() const { return fieldInt(block, 120, 4); }
    int32_t runnerCountValue() const { return fieldInt(block, 124, 2); }
    int32_t horseNoValue() const { return fieldInt(block, 153, 2); }
    int32_t bodyWeightValue() const { return fieldInt(block, 246, 3); }
    int32_t popularityValue() const { return fieldInt(block, 360, 2); }
    int32_t finishPosValue() const { return fieldInt(block, 367, 2); }
    int32_t marginValue() const { return fieldInt(block, 382, 3); }
    std::string raceNameText() const { return fieldTrimmed(block, 60, 14); }
    std::string jockeyNameText() const { return fieldTrimmed(block, 292, 8); }
    std::string opponentNameText() const { return fieldTrimmed(block, 517, 30); }

    // The block holds a race: its venue code has a venue text other than "----".
    bool inUse() const;
    // Year, month and day; none when RaceDate is short, contains a blank or
    // is not all digits.
    std::optional<RaceDate> date() const;
    // "H" for weight rule "02", then "55" "." "0" from WeightCarried: H55.0.
    std::string weightCarriedText() const;
    // "1.34.5" from RaceTime "1345".
    std::string raceTimeText() const;
    // Margin in seconds (Margin / 10), negated when the horse finished first;
    // 998 (no margin) comes out as 99.8 and is the reader's to show.
    double marginShown() const;
};

struct HorseLine {
    std::string_view line;

    std::string_view horseCode() const { return cut(line, 1, 7); }
    std::string_view horseName() const { return cut(line, 8, 30); }
    std::string_view coatCode() const { return cut(line, 86, 2); }
    std::string_view producerAreaCode() const { return cut(line, 90, 3); }
    std::string_view horseMarkCode() const { return cut(line, 93, 2); }
    std::string_view sireName() const { return cut(line, 105, 34); }
    std::string_view damName() const { return cut(line, 146, 34); }
    std::string_view damSireName() const { return cut(line, 187, 34); }
    std::string_view damDamName() const { return cut(line, 228, 34); }
    std::string_view ownerName() const { return cut(line, 344, 40); }
    std::string_view breederName() const { return cut(line, 464, 20); }
    std::string_view trainerName() const { return cut(line, 526, 8); }
    std::string_view trainerCentreCode() const { return cut(line, 534, 2); }
    std::string_view mainPrize() const { return cut(line, 570, 10); }
    std::string_view prizeA() const { return cut(line, 580, 10); }
    std::string_view prizeB() const { return cut(line, 610, 10); }
    std::string_view careerFirsts() const { return cut(line, 633, 3); }
    std::string_view careerSeconds() const { return cut(line, 636, 3); }
    std::string_view careerThirds() const { return cut(line, 639, 3); }
    std::string_view careerOthers() const { return cut(line, 642, 3); }
    std::string_view statsBlock() const { return cut(line, 657, 288); }

    int32_t horseCodeValue() const { return fieldInt(line, 1, 7); }
    int32_t careerFirstsValue() const { return fieldInt(line, 633, 3); }
    int32_t careerSecondsValue() const { return fieldInt(line, 636, 3); }
    int32_t careerThirdsValue() const { return fieldInt(line, 639, 3); }
    int32_t careerOthersValue() const { return fieldInt(line, 642, 3); }
    // Prize amounts in yen, read leniently (0 when not a number).
    int64_t mainPrizeValue() const;
    int64_t totalPrizeValue() const; // PrizeA + PrizeB

    std::string horseNameText() const { return fieldTrimmed(line, 8, 30); }
    std::string sireNameText() const { return fieldTrimmed(line, 105, 34); }
    std::string damNameText() const { return fieldTrimmed(line, 146, 34); }
    std::string damSireNameText() const { return fieldTrimmed(line, 187, 34); }
    std::string damDamNameText() const { return fieldTrimmed(line, 228, 34); }
    std::string ownerNameText() const { return fieldTrimmed(line, 344, 40); }
    std::string breederNameText() const { return fieldTrimmed(line, 464, 20); }
    std::string trainerNameText() const { return fieldTrimmed(line, 526, 8); }

    std::string mainPrizeText() const { return prizeText(mainPrizeValue()); }
    std::string totalPrizeText() const { return prizeText(totalPrizeValue()); }

    // StatsBlock counter c (0..143) at columns 657 + 2c; 0 outside the range.
    int32_t statsCounter(int c) const;
    // Group g (0..35): counters 4g .. 4g + 3.
    std::array<int32_t, 4> statsGroup(int g) const;
    // Group 1 as "逃n 先n 差n 追n".
    std::string runningStyleCountsText() const;

    // Past race k = 1 (most recent) .. 5; an empty block for other k.
    PastRace past(int k) const;
};

} // namespace velmar::data
