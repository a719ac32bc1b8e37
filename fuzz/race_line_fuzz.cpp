// One race line through the race-list builder and every line view, one runner
// line and one odds line through theirs.

#include "data/codes.h"
#include "data/race_line.h"
#include "data/race_texts.h"
#include "data/sjis.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

using namespace velmar::data;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    RaceTexts t = addRace(line);
    FUZZ_CHECK(t.titleText1.find("発走") != std::string::npos);
    FUZZ_CHECK(!t.venueLabel.empty());
    (void)abbreviate(sjisToUtf8(line));

    RaceLine r{line};
    FUZZ_CHECK(r.raceKey().size() <= static_cast<size_t>(kRaceKeyWidth));
    (void)classGradeText(r.classCode(), r.gradeCode());
    (void)r.distanceValue();

    EntryLine e{line};
    (void)e.horseNameText();
    (void)e.jockeyShortNameText();
    (void)e.ratingValue();

    OddsLine o{line};
    for (int n = -1; n <= 19; ++n)
        FUZZ_CHECK(o.winOdds(n).size() <= 5);
    (void)sameRaceKey(line, line);
    return 0;
}
