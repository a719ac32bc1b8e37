#include "data/codes.h"

#include "data/text.h"

#include <array>
#include <utility>

namespace velmar::data {
namespace {

using Row = std::pair<std::string_view, std::string_view>;

template <size_t N>
std::string lookup(const Row (&table)[N], std::string_view code, std::string_view fallback = {}) {
    for (const auto& [c, text] : table)
        if (c == code)
            return std::string(text);
    return std::string(fallback);
}

constexpr Row kVenues[] = {
    {"00", "京都"}, {"01", "阪神"},   {"02", "中京"},   {"03", "小倉"}, {"04", "東京"},
    {"05", "中山"}, {"06", "福島"},   {"07", "新潟"},   {"08", "札幌"}, {"09", "函館"},
    {"10", "大井"}, {"11", "川崎"},   {"12", "船橋"},   {"13", "浦和"}, {"14", "岩見"},
    {"15", "旭川"}, {"16", "帯広"},   {"17", "野田"},   {"18", "北見"}, {"19", "笠松"},
    {"20", "金沢"}, {"21", "荒尾"},   {"22", "宇都"},   {"23", "佐賀"}, {"24", "中津"},
    {"25", "高崎"}, {"26", "高知"},   {"27", "足利"},   {"28", "上山"}, {"29", "水沢"},
    {"30", "三条"}, {"31", "紀井"},   {"32", "益田"},   {"33", "盛岡"}, {"34", "名古"},
    {"35", "札地"}, {"36", "函地"},   {"37", "園田"},   {"38", "福山"}, {"39", "姫路"},
    {"40", "中地"}, {"41", "新地"},   {"42", "門別"},   {"43", "弥富"}, {"44", "小林"},
    {"45", "西脇"}, {"46", "境町"},   {"47", "小向"},   {"48", "    "}, {"49", "    "},
    {"50", "栗東"}, {"51", "美浦南"}, {"52", "美浦北"}, {"53", "白井"}, {"54", "道営"},
    {"55", "岩手"}, {"56", "岩見"},   {"57", "旭川"},   {"58", "帯広"}, {"59", "北見"},
    {"60", "香港"}, {"61", "米国"},   {"62", "英国"},   {"63", "仏国"}, {"64", "愛国"},
    {"65", "UAE "}, {"66", "加国"},   {"67", "伊国"},   {"68", "独国"}, {"69", "豪州"},
    {"70", "西独"}, {"71", "新国"},   {"72", "ﾁﾘ  "},   {"73", "亜国"}, {"74", "伯国"},
    {"75", "ｼﾝｶﾞ"}, {"76", "瑞典"},   {"77", "ｽﾍﾟｲ"},   {"78", "ｽｲｽ "}, {"79", "ﾍﾞﾙｷ"},
    {"80", "ﾏｶｵ "}, {"90", "兵庫"},   {"91", "栃木"},   {"99", "北海"},
};

constexpr Row kWeekdays[] = {
    {"01", "(土)"}, {"02", "(日)"}, {"03", "(月)"}, {"04", "(火)"},
    {"05", "(水)"}, {"06", "(木)"}, {"07", "(金)"},
};

constexpr Row kBreedAges[] = {
    {"0", "サラ障害"},        {"1", "サラ2歳"},       {"2", "サラ3歳"},
    {"3", "サラ3歳以上"},     {"4", "サラ4歳以上"},   {"5", "アラブ2歳"},
    {"6", "アラブ3歳"},       {"7", "アラブ3歳以上"}, {"8", "サラ障害3歳以上"},
    {"9", "サラ障害4歳以上"}, {"A", "アラブ4歳以上"}, {"B", "サラ4歳"},
    {"C", "アラブ4歳"},
};

constexpr Row kTurns[] = {{"0", "右"}, {"1", "左"}, {"2", "直"}};

constexpr Row kCourseLayouts[] = {
    {"0", "内"},   {"1", "外"},  {"2", "外内"}, {"3", "ﾀｽ"},
    {"4", "大障"}, {"5", "内2"}, {"6", "内外"},
};

constexpr Row kRails[] = {
    {"0", "A"}, {"1", "B"}, {"2", "C"}, {"3", "D"}, {"4", "A1"}, {"5", "A2"}, {"6", "E"},
};

constexpr Row kPaces[] = {{"0", "H"}, {"1", "M"}, {"2", "S"}};

constexpr Row kCentres[] = {{"50", " (栗)"}, {"51", " (南)"}, {"52", " (北)"}};

constexpr Row kGrades[] = {
    {"0", "G1 "}, {"1", "G2 "}, {"2", "G3 "}, {"3", "JG1 "}, {"4", "JG2 "}, {"5", "JG3 "},
};

constexpr Row kWeightRules[] = {
    {"02", "ハンデ"}, {"00", "別定"}, {"01", "馬齢"}, {"03", "定量"}, {"90", "規定"},
};

constexpr Row kSexes[] = {{"0", "牡"}, {"1", "牝"}, {"2", "セン"}};

constexpr Row kGoings[] = {{"0", "良"}, {"1", "稍"}, {"2", "重"}, {"3", "不"}};

constexpr Row kStraightPositions[] = {
    {"0", "最内"}, {"1", "内　 "}, {"2", "中　 "}, {"3", "外　"}, {"4", "大外"},
};

constexpr Row kDesignations[] = {
    {"01", " (指定)"},
    {"02", " (特指) "},
    {"03", " [指定]"},
    {"04", " (指)"},
};

constexpr Row kJraVenues[] = {
    {"京都", "00"}, {"阪神", "01"}, {"中京", "02"}, {"小倉", "03"}, {"東京", "04"},
    {"中山", "05"}, {"福島", "06"}, {"新潟", "07"}, {"札幌", "08"}, {"函館", "09"},
};

constexpr Row kCoats[] = {
    {"01", "栗毛"},   {"02", "栃栗毛"}, {"03", "鹿毛"},   {"04", "黒鹿毛"}, {"05", "青鹿毛"},
    {"06", "青毛"},   {"07", "芦毛"},   {"08", "栗粕毛"}, {"09", "鹿粕毛"}, {"10", "青粕毛"},
    {"11", "白毛"},   {"12", "芦鹿毛"}, {"13", "粕"},     {"20", "黒鹿毛"}, {"21", "芦毛"},
    {"22", "芦毛"},   {"23", "鹿毛"},   {"24", "黒鹿毛"}, {"25", "芦毛"},   {"26", "芦毛"},
    {"27", "芦毛"},   {"28", "鹿毛"},   {"29", "芦毛"},   {"30", "鹿毛"},   {"31", "黒鹿毛"},
    {"32", "黒鹿毛"}, {"33", "黒鹿毛"}, {"34", "黒鹿毛"}, {"35", "黒鹿毛"},
};

constexpr Row kHorseMarks[] = {
    {"01", "(抽)"},         {"02", "[抽]"},     {"03", "(父)"},         {"04", "(市)"},
    {"05", "(地)"},         {"06", "(外)"},     {"07", "(父)(抽)"},     {"08", "(父)(市)"},
    {"09", "(父)(地)"},     {"10", "(市)(地)"}, {"11", "(外)(地)"},     {"12", "(父)(市)(地)"},
    {"15", "(招)"},         {"16", "(招)(外)"}, {"17", "(招)(父)"},     {"18", "(招)(市)"},
    {"19", "(招)(父)(市)"}, {"20", "(父)(外)"}, {"21", "[地]"},         {"22", "(外)(地)"},
    {"23", "(父)[地]"},     {"24", "(市)[地]"}, {"25", "(父)(市)[地]"}, {"26", "[外]"},
    {"27", "(父)[外]"},
};

constexpr Row kConditions[] = {
    {"00", "勝入"},
    {"01", "九州産馬"},
    {"02", "内国"},
    {"03", "牝"},
    {"04", "(混)"},
    {"05", "(父)"},
    {"06", "(抽)"},
    {"07", "(市)(抽)"},
    {"08", "(混勝入)"},
    {"09", "[抽]"},
    {"10", "(混牝)"},
    {"11", "(市)"},
    {"12", "(招)"},
    {"13", "(混)(指)"},
    {"14", "(抽)勝入"},
    {"15", "(抽)関西配布馬"},
    {"16", "(抽)関東配布馬"},
    {"17", "[抽]関西配布馬"},
    {"18", "[抽]関東配布馬"},
    {"19", "(市)(抽)関西配布馬"},
    {"20", "(市)(抽)関東配布馬"},
    {"21", "(指)"},
    {"22", "芦毛"},
    {"23", "栗毛"},
    {"24", "牡"},
    {"25", "交流"},
    {"26", "千葉産"},
    {"27", "(混)牡せん馬"},
    {"28", "牡せん馬"},
    {"29", "国際"},
    {"30", "(指定)"},
    {"31", "(特指)"},
    {"32", "[指定]"},
    {"33", "牡・牝"},
    {"34", "ＪＲＡ認定"},
    {"35", "牝馬(国際)"},
    {"36", "芦・白"},
    {"37", "黒鹿毛"},
    {"38", "(混)牡・牝"},
    {"39", "ＪＲＡ指定"},
    {"40", "(国際)牡・牝"},
};

// Unpadded; producerAreaText pads to six columns.
constexpr Row kProducerAreas[] = {
    {"000", "北檜山"}, {"001", "えりも"}, {"002", "様似"},   {"003", "浦河"},   {"004", "三石"},
    {"005", "静内"},   {"006", "新冠"},   {"007", "門別"},   {"008", "平取"},   {"009", "鵡川"},
    {"010", "早来"},   {"011", "白老"},   {"012", "室蘭"},   {"013", "伊達"},   {"014", "虻田"},
    {"015", "幕別"},   {"016", "厚真"},   {"017", "網走"},   {"018", "池田"},   {"019", "有珠"},
    {"020", "浦幌"},   {"021", "恵庭"},   {"022", "江別"},   {"023", "追別"},   {"024", "長万部"},
    {"025", "音更"},   {"026", "音別"},   {"027", "帯広"},   {"028", "河西"},   {"029", "釧路"},
    {"030", "栗山"},   {"031", "小清水"}, {"032", "札幌"},   {"033", "鹿追"},   {"034", "清水"},
    {"035", "標茶"},   {"036", "白糠"},   {"037", "新得"},   {"038", "大樹"},   {"039", "鷹栖"},
    {"040", "千歳"},   {"041", "忠類"},   {"042", "士幌"},   {"043", "弟子屈"}, {"044", "苫小牧"},
    {"045", "豊浦"},   {"046", "豊頃"},   {"047", "根室"},   {"048", "登別"},   {"049", "函館"},
    {"050", "浜中"},   {"051", "広尾"},   {"052", "深川"},   {"053", "穂別"},   {"054", "本別"},
    {"055", "森"},     {"056", "八雲"},   {"057", "青森"},   {"058", "岩手"},   {"059", "宮城"},
    {"060", "山形"},   {"061", "福島"},   {"062", "栃木"},   {"063", "群馬"},   {"064", "埼玉"},
    {"065", "茨城"},   {"066", "千葉"},   {"067", "長野"},   {"068", "京都"},   {"069", "高知"},
    {"070", "宮崎"},   {"071", "鹿児島"}, {"072", "熊本"},   {"073", "米国"},   {"074", "英国"},
    {"075", "愛国"},   {"076", "仏国"},   {"077", "伊国"},   {"078", "独国"},   {"079", "カナダ"},
    {"080", "新国"},   {"081", "豪州"},   {"082", "洞爺"},   {"083", "七飯"},   {"084", "上ノ国"},
    {"085", "亜国"},   {"086", "白国"},   {"087", "瑞国"},   {"088", "壮瞥"},   {"089", "砂原"},
    {"090", "足寄"},   {"091", "別海"},   {"092", "東京"},   {"093", "神奈川"}, {"094", "兵庫"},
    {"095", "佐賀"},   {"096", "日高"},   {"097", "南郷"},   {"098", "更別"},   {"099", "チリ"},
    {"100", "遠別"},   {"101", "芽室"},   {"102", "中標津"}, {"103", "山梨"},   {"104", "伯国"},
    {"105", "今金"},   {"106", "厚岸"},   {"107", "東久留"}, {"108", "標津"},   {"109", "大分"},
    {"110", "静岡"},   {"111", "由仁"},   {"112", "木古内"}, {"200", "アルジ"}, {"201", "墺国"},
    {"202", "バルバ"}, {"203", "ブルガ"}, {"204", "コロン"}, {"205", "キュー"}, {"206", "キプロ"},
    {"207", "チェコ"}, {"208", "丁国"},   {"209", "東独国"}, {"210", "エクア"}, {"211", "埃国"},
    {"212", "希国"},   {"213", "蘭国"},   {"214", "香港"},   {"215", "洪国"},   {"216", "印度"},
    {"217", "インド"}, {"218", "イラン"}, {"219", "イスラ"}, {"220", "ジャマ"}, {"221", "日本"},
    {"222", "ケニア"}, {"223", "レバノ"}, {"224", "リベア"}, {"225", "ルクセ"}, {"226", "マレー"},
    {"227", "マルタ"}, {"228", ""},       {"229", "モーリ"}, {"230", "メキシ"}, {"231", "モロコ"},
    {"232", "ノルウ"}, {"233", "パキス"}, {"234", "パナマ"}, {"235", "秘国"},   {"236", "比国"},
    {"237", "波国"},   {"238", "葡国"},   {"239", "プエル"}, {"240", "羅国"},   {"241", "シンガ"},
    {"242", "南阿国"}, {"243", "ソ連"},   {"244", "西国"},   {"245", "スリラ"}, {"246", "スーダ"},
    {"247", "スイス"}, {"248", "トリニ"}, {"249", "チュニ"}, {"250", "土国"},   {"251", "ウルグ"},
    {"252", "ペネズ"}, {"253", "ユーゴ"}, {"254", "ジンバ"}, {"255", "ロシア"},
};

constexpr Row kClasses[] = {
    {"00001", "新馬"},
    {"00002", "未出走"},
    {"00003", "未勝利"},
    {"00004", "オープン"},
};

constexpr Row kClassGrades[] = {
    {"00000", "未受"},     {"00001", "新馬"},
    {"00002", "未出走"},   {"00003", "未勝利"},
    {"00004", "オープン"}, {"00005", "オープン，牝馬"},
    {"00006", "指定馬"},   {"00007", "勝入オープン"},
    {"00008", "牝馬"},     {"00009", "オーブン，牝馬，アラブ混合"},
    {"00010", "A"},        {"00011", "A1"},
    {"00012", "A2"},       {"00013", "A3"},
    {"00014", "A4"},       {"00020", "B"},
    {"00021", "B1"},       {"00022", "B2"},
    {"00023", "B3"},       {"00024", "B4"},
    {"00030", "C"},        {"00031", "C1"},
    {"00032", "C2"},       {"00033", "C3"},
    {"00034", "C4"},       {"00040", "D"},
    {"00041", "D1"},       {"00042", "D2"},
    {"00043", "D3"},       {"00044", "D4"},
    {"00093", "調教試験"}, {"00094", "能力試験"},
};

constexpr Row kCornerMarks[] = {
    {"31", "落"}, {"32", "失"}, {"33", "止"}, {"34", "消"}, {"35", "除"},
};

// Any other class code: its first four characters as an integer plus "万".
std::string prizeClass(std::string_view code) {
    return std::to_string(intOf(code.substr(0, 4))) + "万";
}

// "01" .. "18" exactly (two digits) -> 1 .. 18, else 0.
int positionOf(std::string_view code) {
    if (code.size() != 2 || code[0] < '0' || code[0] > '9' || code[1] < '0' || code[1] > '9')
        return 0;
    int n = (code[0] - '0') * 10 + (code[1] - '0');
    return n >= 1 && n <= 18 ? n : 0;
}

} // namespace

std::string venueName(std::string_view code) {
    return lookup(kVenues, code, "----");
}

std::string jraVenueCode(std::string_view venueText) {
    return lookup(kJraVenues, venueText);
}

std::string weekdayText(std::string_view code) {
    return lookup(kWeekdays, code, "(祝)");
}

std::string breedAgeText(std::string_view code) {
    return lookup(kBreedAges, code);
}

std::string turnText(std::string_view code) {
    return lookup(kTurns, code);
}

std::string courseLayoutText(std::string_view code) {
    return lookup(kCourseLayouts, code);
}

std::string railText(std::string_view code) {
    return lookup(kRails, code);
}

std::string paceText(std::string_view code) {
    return lookup(kPaces, code);
}

std::string centreText(std::string_view code) {
    return lookup(kCentres, code);
}

std::string handicapMark(std::string_view code) {
    return code == "02" ? "H" : "";
}

std::string raceKindText(std::string_view jumpFlag, std::string_view surfaceCode) {
    if (jumpFlag == "1")
        return "障";
    if (surfaceCode == "1")
        return "芝";
    if (surfaceCode == "0")
        return "ダ";
    return {};
}

int trackKindNumber(std::string_view text) {
    if (text == "芝")
        return 1;
    if (text == "ダ")
        return 2;
    if (text == "障")
        return 3;
    return 0;
}

std::string trackKindText(int number) {
    switch (number) {
    case 1:
        return "芝";
    case 2:
        return "ダ";
    case 3:
        return "障";
    default:
        return {};
    }
}

std::string gradeText(std::string_view code) {
    return lookup(kGrades, code);
}

std::string weightRuleText(std::string_view code) {
    return lookup(kWeightRules, code);
}

std::string sexText(std::string_view code) {
    return lookup(kSexes, code);
}

std::string coatText(std::string_view code) {
    return lookup(kCoats, code, "鹿毛");
}

std::string horseMarkText(std::string_view code) {
    return lookup(kHorseMarks, code);
}

std::string goingText(std::string_view code) {
    return lookup(kGoings, code);
}

std::string classText(std::string_view code) {
    for (const auto& [c, text] : kClasses)
        if (c == code)
            return std::string(text);
    return prizeClass(code);
}

std::string classGradeText(std::string_view classCode, std::string_view gradeCode) {
    std::string text;
    bool found = false;
    for (const auto& [c, t] : kClassGrades)
        if (c == classCode) {
            text = std::string(t);
            found = true;
            break;
        }
    if (!found)
        text = prizeClass(classCode);
    if (text == "オープン") {
        static constexpr Row kOpenGrades[] = {
            {"0", "G1"}, {"1", "G2"}, {"2", "G3"}, {"3", "J.G1"}, {"4", "J.G2"}, {"5", "J.G3"},
        };
        for (const auto& [g, t] : kOpenGrades)
            if (g == gradeCode)
                return std::string(t);
    }
    return text;
}

std::string cornerMark(std::string_view code) {
    for (const auto& [c, text] : kCornerMarks)
        if (c == code)
            return std::string(text);
    int v = intOf(code);
    if (v < 40) {
        int n = positionOf(code);
        return n ? circledNumber(n) : "  ";
    }
    std::string shifted = zeroPad(std::to_string(v - 40), 2);
    if (shifted == "00")
        return "　";
    if (int n = positionOf(shifted))
        return "<FONT COLOR=\"#999999\">" + circledNumber(n) + "</FONT>";
    return "  ";
}

std::string straightPosText(std::string_view code) {
    return lookup(kStraightPositions, code, "　　");
}

std::string producerAreaText(std::string_view code) {
    for (const auto& [c, text] : kProducerAreas)
        if (c == code)
            return padRight(text, 6);
    return {};
}

std::string conditionText(std::string_view code) {
    std::string text = lookup(kConditions, code);
    return text.empty() ? text : " " + text;
}

std::string designationText(std::string_view code) {
    return lookup(kDesignations, code);
}

} // namespace velmar::data
