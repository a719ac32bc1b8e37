#include "data/race_texts.h"
#include "day_fixtures.h"

#include <gtest/gtest.h>

using namespace velmar::data;
using velmar::testing::raceLine;
using velmar::testing::RaceSpec;

TEST(RaceTexts, AllFieldsOfAGradeOneRace) {
    RaceSpec r;
    r.designation = "02";
    r.condition = "29";
    RaceTexts t = addRace(raceLine(r));
    EXPECT_EQ(t.raceDateText, "2006/12/24(日)");
    EXPECT_EQ(t.raceDateKey, "20061224");
    EXPECT_EQ(t.venueLabel, "中山");
    EXPECT_EQ(t.runnerCountText, "14");
    EXPECT_EQ(t.raceKindLabel, "芝");
    EXPECT_EQ(t.courseLayoutLabel, "外");
    EXPECT_EQ(t.distanceText, "2500");
    EXPECT_EQ(t.withheldFlag, "0");
    EXPECT_EQ(t.titleText1, "5回中山8日目11R　第51回　有馬記念 (G1)  発走15:25");
    EXPECT_EQ(t.titleText2,
              "2006年12月24日(日) サラ3歳以上オープン (特指)  国際 定量 芝右外A2500m 14頭");
    EXPECT_EQ(t.conditionNameText, "サラ3歳以上 オープン 定量 有馬記念 G1 ");
    EXPECT_EQ(t.shortTitle, "有馬記念(G1)");
    EXPECT_EQ(t.betWindowTitle, "中山11R サラ3歳以上 オープン 定量 有馬記念 G1 ");
    EXPECT_EQ(t.menuCaption, "中山11R サラ3歳以上 オープン 有馬記念 G1 ");
    EXPECT_EQ(t.classLabel, "オープン");
    EXPECT_EQ(t.raceNoText, "11");
}

TEST(RaceTexts, GradeRule) {
    struct Case {
        const char* grade;
        const char* jpn;
        const char* titleEnd; // end of titleText1's name part
        const char* menuEnd;  // end of menuCaption
        const char* shortTitle;
    };
    const Case cases[] = {
        {"0", "1", "Ｒ賞 (Jpn(G1))", "ロイヤル賞 Jpn(G1) ", "Ｒ賞(Jpn(G1))"},
        {"0", " ", "Ｒ賞 (G1)", "ロイヤル賞 G1 ", "Ｒ賞(G1)"},
        {"1", "1", "Ｒ賞 (Jpn(G2))", "ロイヤル賞 Jpn(G2) ", "Ｒ賞(Jpn(G2))"},
        {"2", "0", "Ｒ賞 (G3)", "ロイヤル賞 G3 ", "Ｒ賞(G3)"},
        // Jump grades stay out of every title; only the short title names them.
        {"3", " ", "Ｒ賞", "ロイヤル賞 ", "Ｒ賞(JG1)"},
        {"5", " ", "Ｒ賞", "ロイヤル賞 ", "Ｒ賞(JG3)"},
        {"3", "1", "Ｒ賞", "ロイヤル賞 ", "Ｒ賞(Jpn(JG1))"},
        {" ", "1", "Ｒ賞", "ロイヤル賞 ", "Ｒ賞"},
        {"9", " ", "Ｒ賞", "ロイヤル賞 ", "Ｒ賞"},
    };
    for (const auto& c : cases) {
        RaceSpec r;
        r.name = "ロイヤル賞";
        r.grade = c.grade;
        r.jpn = c.jpn;
        r.edition = "010";
        RaceTexts t = addRace(raceLine(r));
        std::string head = std::string("5回中山8日目11R　第10回　") + c.titleEnd + "  発走15:25";
        EXPECT_EQ(t.titleText1, head) << c.grade << c.jpn;
        EXPECT_EQ(t.menuCaption, std::string("中山11R サラ3歳以上 オープン ") + c.menuEnd)
            << c.grade << c.jpn;
        EXPECT_EQ(t.shortTitle, c.shortTitle) << c.grade << c.jpn;
        std::string suffix = std::string(c.menuEnd).substr(std::string("ロイヤル賞 ").size());
        EXPECT_EQ(t.conditionNameText, "サラ3歳以上 オープン 定量 Ｒ賞 " + suffix);
        EXPECT_EQ(t.betWindowTitle, "中山11R サラ3歳以上 オープン 定量 Ｒ賞 " + suffix);
    }
}

TEST(RaceTexts, TitleNamePart) {
    struct Case {
        const char* edition;
        const char* name;
        const char* grade;
        const char* title1;
    };
    const Case cases[] = {
        {"000", "", " ", "5回中山8日目11R  発走15:25"},
        {"   ", "", "0", "5回中山8日目11R  発走15:25"},
        {"000", "若竹賞", " ", "5回中山8日目11R　若竹賞  発走15:25"},
        {"-01", "若竹賞", "0", "5回中山8日目11R　若竹賞  発走15:25"},
        {"003", "若竹賞", " ", "5回中山8日目11R　第3回　若竹賞  発走15:25"},
        {"003", "", " ", "5回中山8日目11R　第3回　  発走15:25"},
        {"12a", "カップ戦", " ", "5回中山8日目11R　C戦  発走15:25"},
    };
    for (const auto& c : cases) {
        RaceSpec r;
        r.edition = c.edition;
        r.name = c.name;
        r.grade = c.grade;
        EXPECT_EQ(addRace(raceLine(r)).titleText1, c.title1) << c.edition << " " << c.name;
    }
}

TEST(RaceTexts, TitleText2Forms) {
    RaceSpec r;
    r.date = "20060903";
    r.weekday = "01";
    r.breedAge = "1";
    r.classCode = "00001";
    r.weightRule = "01";
    r.surface = "0";
    r.turn = "1";
    r.layout = " ";
    r.rail = " ";
    r.distance = "1200";
    r.runners = "08";
    // Month loses its leading zero, the day keeps it; unknown codes add nothing.
    EXPECT_EQ(addRace(raceLine(r)).titleText2, "2006年9月03日(土) サラ2歳新馬 馬齢 ダ左1200m 8頭");

    r.jump = "1";
    r.surface = "1";
    r.layout = "4";
    r.distance = "3570";
    r.weekday = "09";
    EXPECT_EQ(addRace(raceLine(r)).titleText2,
              "2006年9月03日(祝) サラ2歳新馬 馬齢 障左大障3570m 8頭");
}

TEST(RaceTexts, Abbreviate) {
    struct Case {
        const char* name;
        const char* abbreviated;
    };
    const Case cases[] = {
        {"ロイヤルカップ", "ＲC"},
        {"阪神ジュベナイルF", "阪神JF"},
        {"阪神ジュベナイルフィリーズ", "阪神ジュベナイルフィリーズ"},
        {"ジャパンカップダート", "ジャパンCダート"},
        // チャンピオンS goes first: written out, the name keeps neither word whole.
        {"朝日チャンピオンステークス", "朝日チャンピオンS"},
        {"朝日チャンピオンS", "朝日CS"},
        {"京都２歳ステークス", "京都2歳S"},
        {"中日新聞杯チャレンジカップ", "中日新聞杯CC"},
        {"レーシングプログラムトロフィー", "RプログラムT"},
        {"ステークスステークス", "SS"},
        {"すてーくす", "すてーくす"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(abbreviate(c.name), c.abbreviated) << c.name;
}

TEST(RaceTexts, ShortTitleWithoutName) {
    struct Case {
        const char* breedAge;
        const char* cls;
        const char* shortTitle;
    };
    const Case cases[] = {
        {"3", "05000", "3歳上500万下"},
        {"1", "00001", "2歳新馬"},
        {"2", "00003", "3歳未勝利"},
        {"4", "16000", "4歳上1600万下"},
        {"8", "00004", "サラ障害3歳以上オープン"},
        {"Z", "     ", "0万下"},
    };
    for (const auto& c : cases) {
        RaceSpec r;
        r.name = "";
        r.edition = "000";
        r.breedAge = c.breedAge;
        r.classCode = c.cls;
        r.grade = "0"; // a grade without a name does not show here
        EXPECT_EQ(addRace(raceLine(r)).shortTitle, c.shortTitle) << c.breedAge << c.cls;
    }
}

TEST(RaceTexts, AnyLineGivesTexts) {
    RaceTexts t = addRace("");
    EXPECT_EQ(t.venueLabel, "----");
    EXPECT_EQ(t.titleText1, "0回----0日目0R  発走");
    EXPECT_EQ(t.raceDateText, "//(祝)");
    RaceTexts cut = addRace(raceLine(RaceSpec{}).substr(0, 40));
    EXPECT_EQ(cut.titleText1.find("有馬記念") != std::string::npos, true);
    EXPECT_EQ(cut.runnerCountText, "");
}
