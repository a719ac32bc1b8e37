#pragma once
// What the detail window shows for one runner, as plain texts built from its
// horse line (no Qt, so tests and the window share one builder).

#include "data/horse_line.h"

#include <array>
#include <string>
#include <string_view>

namespace velmar::views {

enum class PastRowColor { Normal, OtherVenue, NoTime };

struct DetailPastRow {
    bool used = false;
    std::array<std::string, 16> cells; // columns 1 .. 16 of Grid2
    PastRowColor color = PastRowColor::Normal;
};

struct DetailTexts {
    std::string seinen, umakigou, santi, seisansya, banusi, chokyosi, souSyokin, honSyokin, titi,
        haha, hahaTiti, hahaHaha, kyakusitu;
    // lbl1 .. lbl10, then lbl1000 .. lbl2400, then lbl1000d .. lbl2400d.
    std::array<std::string, 26> records;
    // Row r (0 = "5走前" .. 4 = "1走前") shows past race 5 - r.
    std::array<DetailPastRow, 5> rows;
};

// Four counts, each padded to three columns ("  0  0  0  0").
std::string recordText(const std::array<int32_t, 4>& counts);
DetailPastRow pastRow(const data::PastRace& race);
DetailTexts detailTexts(const data::HorseLine& horse, std::string_view runnerHint);

// The combo entry of a runner: number padded to two columns, a blank, the name.
std::string runnerEntry(int horse, std::string_view horseName);

} // namespace velmar::views
