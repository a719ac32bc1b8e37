#include "views/detail_texts.h"

#include "data/codes.h"
#include "data/text.h"

#include <cstdio>

namespace velmar::views {

using namespace velmar::data;

std::string recordText(const std::array<int32_t, 4>& counts) {
    std::string out;
    for (int32_t c : counts) {
        out += padLeft(std::to_string(c), 3);
    }
    return out;
}

namespace {

std::array<int32_t, 4> sum(const std::array<int32_t, 4>& a, const std::array<int32_t, 4>& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2], a[3] + b[3]};
}

bool centralVenue(std::string_view first2) {
    static const char* const venues[] = {"札幌", "函館", "福島", "新潟", "東京",
                                         "中山", "中京", "京都", "阪神", "小倉"};
    for (const char* v : venues) {
        if (first2 == v) {
            return true;
        }
    }
    return false;
}

// The first n characters of a UTF-8 text.
std::string firstChars(const std::string& s, int n) {
    size_t i = 0;
    for (int c = 0; c < n && i < s.size(); ++c) {
        const auto lead = static_cast<unsigned char>(s[i]);
        i += lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    }
    return s.substr(0, std::min(i, s.size()));
}

// "34.5" from three raw digits "345"; "  . " when blank.
std::string furlongText(std::string_view raw) {
    return fieldText(raw, 1, 2) + "." + fieldText(raw, 3, 1);
}

} // namespace

DetailPastRow pastRow(const PastRace& race) {
    DetailPastRow row;
    row.used = true;
    auto& c = row.cells;
    const std::string_view date = race.raceDate();
    c[0] = venueName(race.venueCode()) + fieldText(date, 3, 2) + "/" + fieldText(date, 5, 2) + "/" +
           fieldText(date, 7, 2);
    c[1] = race.raceNameText();
    c[2] = classGradeText(race.classCode(), race.gradeCode());
    if (c[2] == "0万") {
        c[2].clear();
    }
    c[3] = raceKindText(race.jumpFlag(), race.surfaceCode()) + fieldText(race.distance(), 1, 4) +
           "M" + goingText(race.goingCode());
    c[4] = race.raceTimeText();
    if (c[4] == " .  . ") {
        c[4].clear();
    }
    c[5] = padLeft(std::to_string(race.runnerCountValue()), 2) + "頭";
    if (c[5] == " 0頭") {
        c[5].clear();
    }
    c[6] = padLeft(std::to_string(race.popularityValue()), 2) + "人";
    if (c[6] == "34人") {
        c[6] = "取消";
    } else if (c[6] == "35人") {
        c[6] = "除外";
    } else if (c[6] == " 0人") {
        c[6].clear();
    }
    c[7] = padLeft(std::to_string(race.finishPosValue()), 2) + "着";
    static const char* const abnormal[] = {"落馬", "失格", "中止", "取消", "除外"};
    if (race.finishPosValue() >= 31 && race.finishPosValue() <= 35) {
        c[7] = abnormal[race.finishPosValue() - 31];
    } else if (c[7] == " 0着") {
        c[7].clear();
    }
    c[8] = race.jockeyNameText();
    c[9] = race.weightCarriedText();
    if (c[9] == "  . ") {
        c[9].clear();
    }
    c[10] = paceText(race.paceCode());
    const std::string first = furlongText(race.first3F());
    if (first != "  . ") {
        c[10] += first + "-";
    }
    const std::string last = furlongText(race.last3F());
    if (last != "  . ") {
        c[10] += last;
    }
    c[11] = "<P ALIGN=\"right\">" + cornerMark(race.corner1()) + cornerMark(race.corner2()) +
            cornerMark(race.corner3()) + cornerMark(race.corner4()) +
            straightPosText(race.straightPos()) + "</P>";
    c[12] = fieldText(race.bodyWeight(), 1, 3) + "k";
    if (c[12] == "   k") {
        c[12].clear();
    }
    c[13] = padLeft(std::to_string(race.horseNoValue()), 2) + "番";
    if (c[13] == " 0番") {
        c[13].clear();
    }
    if (!c[4].empty()) {
        int m = race.marginValue();
        if (m == 998) {
            m = 0;
        }
        if (c[7] == " 1着") {
            m = -m;
        }
        c[14] = format01(m / 10.0);
    }
    c[15] = race.opponentNameText();

    if (!centralVenue(firstChars(c[0], 2))) {
        row.color = PastRowColor::OtherVenue;
    } else if (c[4].empty()) {
        row.color = PastRowColor::NoTime;
    }
    return row;
}

DetailTexts detailTexts(const HorseLine& h, std::string_view runnerHint) {
    DetailTexts t;
    t.seinen = std::string(runnerHint);
    t.umakigou = horseMarkText(h.horseMarkCode());
    t.santi = producerAreaText(h.producerAreaCode());
    t.seisansya = h.breederNameText();
    t.banusi = h.ownerNameText();
    t.chokyosi = h.trainerNameText() + centreText(h.trainerCentreCode());
    t.souSyokin = h.totalPrizeText();
    t.honSyokin = h.mainPrizeText();
    t.titi = h.sireNameText();
    t.haha = h.damNameText();
    t.hahaTiti = h.damSireNameText();
    t.hahaHaha = h.damDamNameText();
    t.kyakusitu = h.runningStyleCountsText();

    auto g = [&h](int group) { return h.statsGroup(group); };
    t.records[0] = recordText({h.careerFirstsValue(), h.careerSecondsValue(), h.careerThirdsValue(),
                               h.careerOthersValue()});
    t.records[1] = recordText(sum(g(2), g(3)));
    t.records[2] = recordText(sum(g(4), g(5)));
    t.records[3] = recordText(sum(g(10), g(11)));
    t.records[4] = recordText(sum(g(14), g(15)));
    t.records[5] = recordText(g(2));
    t.records[6] = recordText(g(3));
    t.records[7] = recordText(g(4));
    t.records[8] = recordText(g(5));
    t.records[9] = recordText(g(6));
    for (int i = 0; i < 8; ++i) {
        t.records[size_t(10 + i)] = recordText(g(20 + i));
        t.records[size_t(18 + i)] = recordText(g(28 + i));
    }
    for (int k = 1; k <= data::kPastRaceCount; ++k) {
        const PastRace race = h.past(k);
        if (race.inUse()) {
            t.rows[size_t(5 - k)] = pastRow(race);
        }
    }
    return t;
}

std::string runnerEntry(int horse, std::string_view horseName) {
    return padLeft(std::to_string(horse), 2) + " " + std::string(horseName);
}

} // namespace velmar::views
