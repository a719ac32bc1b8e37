#include "data/race_texts.h"

#include "data/codes.h"
#include "data/lines.h"
#include "data/text.h"

namespace velmar::data {

std::string abbreviate(std::string_view name) {
    // Order matters: チャンピオンS must go before ステークス.
    static constexpr std::pair<std::string_view, std::string_view> kSteps[] = {
        {"ロイヤル", "Ｒ"},  {"ジュベナイルF", "JF"}, {"チャンピオンS", "CS"},
        {"チャレンジ", "C"}, {"レーシング", "R"},     {"ステークス", "S"},
        {"トロフィー", "T"}, {"カップ", "C"},         {"２歳", "2歳"},
    };
    std::string text(name);
    for (const auto& [from, to] : kSteps)
        text = replaceAll(std::move(text), from, to);
    return text;
}

namespace {

// The race-list form of the breed-and-age text in the short title.
std::string shortBreedAge(const std::string& text) {
    if (text == "サラ2歳")
        return "2歳";
    if (text == "サラ3歳")
        return "3歳";
    if (text == "サラ3歳以上")
        return "3歳上";
    if (text == "サラ4歳以上")
        return "4歳上";
    return text;
}

} // namespace

RaceTexts addRace(std::string_view line) {
    RaceTexts t;
    const std::string weekday = weekdayText(cut(line, 21, 2));
    const std::string year = fieldText(line, 13, 4);
    const std::string day = fieldText(line, 19, 2);
    t.raceDateText = year + "/" + fieldText(line, 17, 2) + "/" + day + weekday;
    t.raceDateKey = fieldText(line, 13, 8);
    t.venueLabel = venueName(cut(line, 1, 2));
    t.runnerCountText = fieldText(line, 337, 2);
    t.raceKindLabel = raceKindText(cut(line, 25, 1), cut(line, 105, 1));
    t.courseLayoutLabel = courseLayoutText(cut(line, 107, 1));
    t.distanceText = fieldText(line, 109, 4);
    t.withheldFlag = fieldText(line, 331, 1);
    t.raceNoText = fieldText(line, 11, 2);

    const std::string name = fieldTrimmed(line, 29, 30);
    const std::string shortName = abbreviate(name);
    const std::string breedAge = breedAgeText(cut(line, 98, 1));
    const std::string classLabel = classText(cut(line, 100, 5));
    const std::string weightRule = weightRuleText(cut(line, 74, 2));
    const bool jpn = cut(line, 358, 1) == "1";

    // Only the flat grades reach the titles; the jump grades show in the short
    // title alone.
    const std::string grade = gradeText(cut(line, 73, 1));
    std::string gradeSuffix;
    if (grade == "G1 " || grade == "G2 " || grade == "G3 ") {
        std::string g = trim(grade);
        gradeSuffix = (jpn ? "Jpn(" + g + ")" : g) + " ";
    }

    const std::string meetingText =
        plainNumber(cut(line, 7, 2)) + "回" + t.venueLabel + plainNumber(cut(line, 9, 2)) + "日目";
    std::string namePart;
    if (int edition = intOf(cut(line, 26, 3)); edition >= 1) {
        namePart = "　第" + std::to_string(edition) + "回　" + shortName;
        if (!gradeSuffix.empty())
            namePart += " (" + trim(gradeSuffix) + ")";
    } else if (!name.empty()) {
        namePart = "　" + shortName;
    }
    t.titleText1 = meetingText + plainNumber(cut(line, 11, 2)) + "R" + namePart + "  発走" +
                   fieldText(line, 332, 5);

    t.titleText2 = year + "年" + plainNumber(cut(line, 17, 2)) + "月" + day + "日" + weekday + " " +
                   breedAge + classLabel + designationText(cut(line, 96, 2)) +
                   conditionText(cut(line, 94, 2)) + " " + weightRule + " " + t.raceKindLabel +
                   turnText(cut(line, 106, 1)) + t.courseLayoutLabel + railText(cut(line, 108, 1)) +
                   t.distanceText + "m " + plainNumber(cut(line, 337, 2)) + "頭";

    t.conditionNameText =
        breedAge + " " + classLabel + " " + weightRule + " " + shortName + " " + gradeSuffix;
    const std::string raceHead = t.venueLabel + t.raceNoText + "R ";
    t.betWindowTitle = raceHead + breedAge + " " + classLabel + " " + weightRule + " " + shortName +
                       " " + gradeSuffix;
    t.menuCaption = raceHead + breedAge + " " + classLabel + " " + name + " " + gradeSuffix;
    t.classLabel = classLabel;

    if (!shortName.empty()) {
        t.shortTitle = shortName;
        if (!grade.empty()) {
            std::string g = trim(grade);
            t.shortTitle += jpn ? "(Jpn(" + g + "))" : "(" + g + ")";
        }
    } else {
        t.shortTitle = shortBreedAge(breedAge) + classLabel;
        if (classLabel.find("万") != std::string::npos)
            t.shortTitle += "下";
    }
    return t;
}

} // namespace velmar::data
