// One horse line through every accessor of the horse view and its five
// past-race blocks.

#include "data/codes.h"
#include "data/horse_line.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string_view>

using namespace velmar::data;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    HorseLine h{line};
    (void)h.horseCodeValue();
    (void)h.horseNameText();
    (void)h.sireNameText();
    (void)h.damNameText();
    (void)h.damSireNameText();
    (void)h.damDamNameText();
    (void)h.ownerNameText();
    (void)h.breederNameText();
    (void)h.trainerNameText();
    (void)centreText(h.trainerCentreCode());
    (void)horseMarkText(h.horseMarkCode());
    (void)coatText(h.coatCode());
    FUZZ_CHECK(producerAreaText(h.producerAreaCode()).size() <= 18);
    FUZZ_CHECK(h.mainPrizeText().ends_with("万円"));
    FUZZ_CHECK(h.totalPrizeText().ends_with("万円"));
    (void)h.careerFirstsValue();
    (void)h.runningStyleCountsText();
    for (int g = -1; g <= 36; ++g)
        (void)h.statsGroup(g);
    for (int k = 0; k <= 6; ++k) {
        PastRace p = h.past(k);
        FUZZ_CHECK(p.block.size() <= static_cast<size_t>(kPastRaceWidth));
        (void)p.inUse();
        if (auto d = p.date())
            FUZZ_CHECK(d->month >= 0 && d->month <= 99 && d->day >= 0 && d->day <= 99);
        (void)p.weightCarriedText();
        (void)p.raceTimeText();
        (void)p.marginShown();
        (void)p.raceNameText();
        (void)p.jockeyNameText();
        (void)p.opponentNameText();
        (void)classGradeText(p.classCode(), p.gradeCode());
        (void)raceKindText(p.jumpFlag(), p.surfaceCode());
        (void)paceText(p.paceCode());
        (void)goingText(p.goingCode());
        (void)straightPosText(p.straightPos());
        for (int c = 0; c <= 5; ++c)
            (void)cornerMark(p.corner(c));
    }
    return 0;
}
