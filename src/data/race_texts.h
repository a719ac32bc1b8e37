#pragma once
// Display texts of one race, derived once from its race line when the day is
// loaded: titles, date texts, captions and labels used all over the program.
// All texts are UTF-8.

#include <string>
#include <string_view>

namespace velmar::data {

struct RaceTexts {
    std::string raceDateText;      // 2006/12/24(日)
    std::string raceDateKey;       // YYYYMMDD
    std::string venueLabel;        // venueName of the venue code
    std::string runnerCountText;   // runner count as it stands ("16")
    std::string raceKindLabel;     // 芝 / ダ / 障
    std::string courseLayoutLabel; // courseLayoutText
    std::string distanceText;      // four digits as they stand
    std::string withheldFlag;      // "1": no bet suggestions, no history rows
    std::string titleText1; // 5回中山8日目11R　第51回　有馬記念 (G1)  発走15:25
    std::string titleText2; // 2006年12月24日(日) サラ3歳以上オープン ... 芝右外A2500m 14頭
    std::string conditionNameText; // newsletter form
    std::string shortTitle;        // gap data form: name + grade or age/class
    std::string betWindowTitle;    // bet-detail window title
    std::string menuCaption;       // race menu item
    std::string classLabel;        // classText
    std::string raceNoText;        // race number as it stands ("11")
};

// Builds the texts of one race line (raw CP932 bytes). Pure; any line,
// however short or malformed, gives texts.
RaceTexts addRace(std::string_view raceLine);

// Race-name abbreviation: ロイヤル→Ｒ, ジュベナイルF→JF, チャンピオンS→CS,
// チャレンジ→C, レーシング→R, ステークス→S, トロフィー→T, カップ→C, ２歳→2歳,
// in this order, every occurrence. UTF-8 in and out.
std::string abbreviate(std::string_view name);

} // namespace velmar::data
