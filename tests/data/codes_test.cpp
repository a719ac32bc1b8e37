#include "data/codes.h"
#include "data/sjis.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace velmar::data;

namespace {

struct Case {
    const char* table;
    std::function<std::string(std::string_view)> lookup;
    const char* code;
    const char* text;
};

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

} // namespace

TEST(CodeTables, RowsAndDefaults) {
    const Case cases[] = {
        // Codes are compared as they stand: no trimming, no number conversion.
        {"venue", venueName, "05", "中山"},
        {"venue", venueName, "5", "----"},
        {"venue", venueName, " 5", "----"},
        {"venue", venueName, "48", "    "},
        {"venue", venueName, "49", "    "},
        {"venue", venueName, "81", "----"},
        {"venue", venueName, "51", "美浦南"},
        {"venue", venueName, "65", "UAE "},
        {"venue", venueName, "72", "ﾁﾘ  "},
        {"venue", venueName, "78", "ｽｲｽ "},
        {"venue", venueName, "80", "ﾏｶｵ "},
        {"venue", venueName, "99", "北海"},
        {"venue", venueName, "", "----"},
        {"weekday", weekdayText, "01", "(土)"},
        {"weekday", weekdayText, "07", "(金)"},
        {"weekday", weekdayText, "08", "(祝)"},
        {"weekday", weekdayText, " 1", "(祝)"},
        {"breedAge", breedAgeText, "3", "サラ3歳以上"},
        {"breedAge", breedAgeText, "C", "アラブ4歳"},
        {"breedAge", breedAgeText, "c", ""},
        {"turn", turnText, "2", "直"},
        {"layout", courseLayoutText, "3", "ﾀｽ"},
        {"layout", courseLayoutText, "7", ""},
        {"rail", railText, "5", "A2"},
        {"pace", paceText, "2", "S"},
        {"centre", centreText, "50", " (栗)"},
        {"centre", centreText, "53", ""},
        {"handicap", handicapMark, "02", "H"},
        {"handicap", handicapMark, " 2", ""},
        {"grade", gradeText, "0", "G1 "},
        {"grade", gradeText, "5", "JG3 "},
        {"grade", gradeText, " ", ""},
        {"weightRule", weightRuleText, "90", "規定"},
        {"weightRule", weightRuleText, "2", ""},
        {"sex", sexText, "2", "セン"},
        {"sex", sexText, "3", ""},
        {"coat", coatText, "14", "鹿毛"},
        {"coat", coatText, "19", "鹿毛"},
        {"coat", coatText, "13", "粕"},
        {"coat", coatText, "35", "黒鹿毛"},
        {"coat", coatText, "01", "栗毛"},
        {"horseMark", horseMarkText, "00", ""},
        {"horseMark", horseMarkText, "13", ""},
        {"horseMark", horseMarkText, "12", "(父)(市)(地)"},
        {"horseMark", horseMarkText, "27", "(父)[外]"},
        {"going", goingText, "3", "不"},
        {"going", goingText, "4", ""},
        {"straight", straightPosText, "0", "最内"},
        {"straight", straightPosText, "1", "内　 "},
        {"straight", straightPosText, "3", "外　"},
        {"straight", straightPosText, "5", "　　"},
        {"straight", straightPosText, " ", "　　"},
        {"producer", producerAreaText, "003", "浦河  "},
        {"producer", producerAreaText, "055", "森    "},
        {"producer", producerAreaText, "024", "長万部"},
        {"producer", producerAreaText, "228", "      "},
        {"producer", producerAreaText, "150", ""},
        {"producer", producerAreaText, "3", ""},
        {"condition", conditionText, "04", " (混)"},
        {"condition", conditionText, "40", " (国際)牡・牝"},
        {"condition", conditionText, "41", ""},
        {"condition", conditionText, "  ", ""},
        {"designation", designationText, "02", " (特指) "},
        {"designation", designationText, "04", " (指)"},
        {"designation", designationText, "05", ""},
        {"jraVenue", jraVenueCode, "函館", "09"},
        {"jraVenue", jraVenueCode, "大井", ""},
        {"class", classText, "00004", "オープン"},
        {"class", classText, "00001", "新馬"},
        {"class", classText, "05000", "500万"},
        {"class", classText, "10000", "1000万"},
        {"class", classText, "     ", "0万"},
        {"class", classText, "00005", "0万"},
        {"corner", cornerMark, "31", "落"},
        {"corner", cornerMark, "33", "止"},
        {"corner", cornerMark, "35", "除"},
        {"corner", cornerMark, "01", "①"},
        {"corner", cornerMark, "18", "⑱"},
        {"corner", cornerMark, "19", "  "},
        {"corner", cornerMark, "00", "  "},
        {"corner", cornerMark, "  ", "  "},
        {"corner", cornerMark, " ", "  "},
        {"corner", cornerMark, " 3", "  "},
        {"corner", cornerMark, "40", "　"},
        {"corner", cornerMark, "43", "<FONT COLOR=\"#999999\">③</FONT>"},
        {"corner", cornerMark, "58", "<FONT COLOR=\"#999999\">⑱</FONT>"},
        {"corner", cornerMark, "59", "  "},
        {"corner", cornerMark, "99", "  "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lookup(c.code), c.text) << c.table << " \"" << c.code << '"';
}

TEST(CodeTables, RaceKindAndClassGrade) {
    EXPECT_EQ(raceKindText("1", "1"), "障");
    EXPECT_EQ(raceKindText("0", "1"), "芝");
    EXPECT_EQ(raceKindText("0", "0"), "ダ");
    EXPECT_EQ(raceKindText(" ", "2"), "");
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(trackKindNumber(trackKindText(n)), n) << n;
    EXPECT_EQ(trackKindText(0), "");
    EXPECT_EQ(trackKindText(4), "");
    EXPECT_EQ(trackKindText(2), "ダ");
    EXPECT_EQ(trackKindNumber("芝 "), 0);

    struct GradeCase {
        const char* cls;
        const char* grade;
        const char* text;
    };
    const GradeCase cases[] = {
        {"00004", "0", "G1"},
        {"00004", "1", "G2"},
        {"00004", "3", "J.G1"},
        {"00004", "5", "J.G3"},
        {"00004", "6", "オープン"},
        {"00004", " ", "オープン"},
        {"00005", "1", "オープン，牝馬"},
        {"00000", " ", "未受"},
        {"00022", " ", "B2"},
        {"00044", "0", "D4"},
        {"00094", " ", "能力試験"},
        {"01000", "0", "100万"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classGradeText(c.cls, c.grade), c.text) << c.cls << " " << c.grade;
}

// Whole-table properties that catch a mistyped or missing row.
TEST(CodeTables, VenueTextsAreFourColumnsWide) {
    int known = 0;
    for (int n = 0; n <= 99; ++n) {
        std::string text = venueName(twoDigits(n));
        if (text == "----")
            continue;
        ++known;
        if (n == 51 || n == 52)
            EXPECT_EQ(sjisWidth(text), 6) << n;
        else
            EXPECT_EQ(sjisWidth(text), 4) << n << " " << text;
    }
    EXPECT_EQ(known, 84);
    for (int n = 0; n <= 9; ++n)
        EXPECT_EQ(jraVenueCode(venueName(twoDigits(n))), twoDigits(n));
}

TEST(CodeTables, ProducerAreasArePaddedToSixColumns) {
    int known = 0;
    for (int n = 0; n <= 999; ++n) {
        std::string code = (n < 100 ? (n < 10 ? "00" : "0") : "") + std::to_string(n);
        std::string text = producerAreaText(code);
        bool listed = n <= 112 || (n >= 200 && n <= 255);
        if (!listed) {
            EXPECT_EQ(text, "") << code;
            continue;
        }
        ++known;
        EXPECT_EQ(sjisWidth(text), 6) << code << " \"" << text << '"';
        if (n != 228) {
            EXPECT_NE(text.find_first_not_of(' '), std::string::npos) << code;
        }
    }
    EXPECT_EQ(known, 169);
}

TEST(CodeTables, ConditionAndHorseMarkRows) {
    for (int n = 0; n <= 40; ++n) {
        std::string text = conditionText(twoDigits(n));
        ASSERT_GE(text.size(), 2u) << n;
        EXPECT_EQ(text[0], ' ') << n;
    }
    int marks = 0;
    for (int n = 0; n <= 99; ++n)
        marks += !horseMarkText(twoDigits(n)).empty();
    EXPECT_EQ(marks, 25);
    int coats = 0;
    for (int n = 0; n <= 99; ++n)
        coats += coatText(twoDigits(n)) != "鹿毛" || n == 3 || n == 23 || n == 28 || n == 30;
    EXPECT_EQ(coats, 29);
}
