#pragma once
// Views of the fixed-column lines of the race-card (cnx_den1), runner
// (cnx_den2) and odds (cnx_ods) files. A view holds a string_view of the raw
// CP932 line and must not outlive it.
//
// Naming: `field()` is the raw field as cut from the line (CP932 bytes, blanks
// kept; codes are ASCII and go straight into the code tables), `fieldValue()`
// the field read leniently as an integer, `fieldText()` decoded to UTF-8 and
// trimmed.

#include "data/lines.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmar::data {

// Columns 1-22 of a race or odds line: venue, meeting, day, race number, date
// and weekday.
inline constexpr int kRaceKeyWidth = 22;

// True when both lines carry a complete race key (22 bytes) and the keys are
// equal byte for byte.
bool sameRaceKey(std::string_view a, std::string_view b);

struct RaceLine {
    std::string_view line;

    std::string_view raceKey() const { return cut(line, 1, 22); }
    std::string_view venueCode() const { return cut(line, 1, 2); }
    std::string_view meetingNo() const { return cut(line, 7, 2); }
    std::string_view meetingDay() const { return cut(line, 9, 2); }
    std::string_view raceNo() const { return cut(line, 11, 2); }
    std::string_view raceDate() const { return cut(line, 13, 8); }
    std::string_view weekdayCode() const { return cut(line, 21, 2); }
    std::string_view jumpFlag() const { return cut(line, 25, 1); }
    std::string_view editionNo() const { return cut(line, 26, 3); }
    std::string_view raceName() const { return cut(line, 29, 30); }
    std::string_view gradeCode() const { return cut(line, 73, 1); }
    std::string_view weightRuleCode() const { return cut(line, 74, 2); }
    std::string_view conditionCode() const { return cut(line, 94, 2); }
    std::string_view designationCode() const { return cut(line, 96, 2); }
    std::string_view breedAgeCode() const { return cut(line, 98, 1); }
    std::string_view classCode() const { return cut(line, 100, 5); }
    std::string_view surfaceCode() const { return cut(line, 105, 1); }
    std::string_view turnCode() const { return cut(line, 106, 1); }
    std::string_view courseLayoutCode() const { return cut(line, 107, 1); }
    std::string_view railCode() const { return cut(line, 108, 1); }
    std::string_view distance() const { return cut(line, 109, 4); }
    std::string_view withheldFlag() const { return cut(line, 331, 1); }
    std::string_view postTime() const { return cut(line, 332, 5); }
    std::string_view runnerCount() const { return cut(line, 337, 2); }
    std::string_view jpnFlag() const { return cut(line, 358, 1); }

    int32_t raceNoValue() const { return fieldInt(line, 11, 2); }
    int32_t editionNoValue() const { return fieldInt(line, 26, 3); }
    int32_t distanceValue() const { return fieldInt(line, 109, 4); }
    // Lenient; the runner grouping converts the count strictly (race_day.h).
    int32_t runnerCountValue() const { return fieldInt(line, 337, 2); }
    std::string raceNameText() const { return fieldTrimmed(line, 29, 30); }
};

struct EntryLine {
    std::string_view line;

    std::string_view frameNo() const { return cut(line, 23, 1); }
    std::string_view horseName() const { return cut(line, 33, 18); }
    std::string_view sexCode() const { return cut(line, 65, 1); }
    std::string_view age() const { return cut(line, 66, 2); }
    std::string_view weightCarried() const { return cut(line, 149, 3); }
    std::string_view jockeyName() const { return cut(line, 157, 12); }
    std::string_view jockeyShortName() const { return cut(line, 189, 8); }
    std::string_view rating() const { return cut(line, 706, 3); }

    int32_t frameNoValue() const { return fieldInt(line, 23, 1); }
    int32_t ageValue() const { return fieldInt(line, 66, 2); }
    int32_t weightCarriedValue() const { return fieldInt(line, 149, 3); }
    int32_t ratingValue() const { return fieldInt(line, 706, 3); }
    std::string horseNameText() const { return fieldTrimmed(line, 33, 18); }
    std::string jockeyNameText() const { return fieldTrimmed(line, 157, 12); }
    std::string jockeyShortNameText() const { return fieldTrimmed(line, 189, 8); }
};

// Column of the first byte of the win odds of horse number n (1-based).
inline constexpr int winOddsColumn(int horseNo) {
    return 162 + 5 * (horseNo - 1);
}

struct OddsLine {
    std::string_view line;

    std::string_view raceKey() const { return cut(line, 1, 22); }
    // Raw 5 bytes of horse number n (zeros or blanks in front, or a mark such
    // as "/", "*", "-"); empty for n < 1 or beyond the line.
    std::string_view winOdds(int horseNo) const {
        return horseNo < 1 ? std::string_view{} : cut(line, winOddsColumn(horseNo), 5);
    }
};

} // namespace velmar::data
