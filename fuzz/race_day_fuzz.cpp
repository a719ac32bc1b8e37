// Loads a race day from arbitrary bytes and reads every race, runner, horse
// and odds field the way the prediction does.
//
// Input: byte 0 says which of the four files exist (bits 0-3: races, entries,
// horses, odds); the rest is cut at 0x00 bytes into the four contents.

#include "data/codes.h"
#include "data/horse_line.h"
#include "data/race_day.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

using namespace velmar::data;

namespace {

void readHorse(std::string_view line) {
    HorseLine h{line};
    (void)h.horseNameText();
    (void)h.totalPrizeText();
    (void)h.runningStyleCountsText();
    (void)coatText(h.coatCode());
    (void)producerAreaText(h.producerAreaCode());
    for (int k = 1; k <= kPastRaceCount; ++k) {
        PastRace p = h.past(k);
        if (!p.inUse())
            continue;
        (void)p.date();
        (void)p.weightCarriedText();
        (void)p.raceTimeText();
        (void)p.marginShown();
        for (int c = 1; c <= 4; ++c)
            (void)cornerMark(p.corner(c));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const unsigned present = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view parts[4];
    for (auto& part : parts) {
        size_t cutAt = rest.find('\0');
        part = rest.substr(0, cutAt);
        rest = cutAt == std::string_view::npos ? std::string_view{} : rest.substr(cutAt + 1);
    }
    RaceDayFiles files;
    if (present & 1)
        files.races = parts[0];
    if (present & 2)
        files.entries = parts[1];
    if (present & 4)
        files.horses = parts[2];
    if (present & 8)
        files.odds = parts[3];

    RaceDay day;
    auto loaded = loadRaceDay(files, day);
    if (!loaded) {
        FUZZ_CHECK(!loaded.error().message.empty());
        FUZZ_CHECK(day.raceCount == 0 && day.raceLines.empty() && day.oddsLines.empty());
        return 0;
    }
    FUZZ_CHECK(*loaded == ((present & 7) == 7));
    FUZZ_CHECK(day.raceCount >= 0 && day.raceCount <= kMaxRaces);
    FUZZ_CHECK(day.entryLines.size() <= static_cast<size_t>(kMaxRunnerLines));
    FUZZ_CHECK(day.horseLines.size() <= static_cast<size_t>(kMaxRunnerLines));
    FUZZ_CHECK(day.oddsLines.size() <= static_cast<size_t>(kMaxOddsLines));
    FUZZ_CHECK(day.raceTexts.size() == static_cast<size_t>(day.raceCount));
    (void)oddsOfSameDay(day);

    for (int k = 0; k < day.raceCount; ++k) {
        (void)day.texts(k).menuCaption;
        for (int n = 0; n <= 19; ++n)
            if (auto odds = oddsOf(day, k, n))
                FUZZ_CHECK(odds->size() <= 5);
        auto range = runnerRange(day, k);
        if (!range) {
            FUZZ_CHECK(!range.error().message.empty());
            continue;
        }
        FUZZ_CHECK(range->count() >= 0);
        // Read at most what a race can have; the rest of a huge count is empty.
        for (int i = range->first; i <= range->last && i < range->first + 40; ++i) {
            EntryLine e{day.entryLine(i)};
            (void)e.horseNameText();
            (void)e.jockeyNameText();
            (void)sexText(e.sexCode());
            (void)e.ratingValue();
            readHorse(day.horseLine(i));
        }
    }
    return 0;
}
