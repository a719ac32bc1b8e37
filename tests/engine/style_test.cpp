// Running style, distance change, pattern and mark texts, full-width
// conversion and the history line.

#include "engine/full_width.h"
#include "engine/history_line.h"
#include "engine/running_style.h"

#include <gtest/gtest.h>

using namespace velmar::engine;

TEST(RunningStyle, NormalisedPositions) {
    const std::pair<const char*, int> cases[] = {{"05", 5},  {"12", 12}, {"29", 29}, {"30", 0},
                                                 {"32", 0},  {"39", 0},  {"40", 0},  {"44", 4},
                                                 {"58", 18}, {"  ", 0},  {"x1", 0},  {"00", 0}};
    for (auto [code, want] : cases)
        EXPECT_EQ(normalizePosition(code), want) << code;
}

TEST(RunningStyle, FromTwoPositions) {
    struct Case {
        int a, b;
        const char* style;
    };
    const Case cases[] = {{5, 12, "追込"},
                          {2, 7, "先行"},
                          {1, 2, "逃げ"},
                          {2, 3, "逃げ"},
                          {1, 9, "先行"},
                          {3, 1, "逃げ"},
                          {4, 4, "先行"},
                          {3, 6, "差し"},
                          {4, 10, "差し"},
                          {6, 2, "先行"},
                          {8, 4, "差し"},
                          {5, 8, "差し"},
                          {7, 18, "追込"},
                          {12, 1, "先行"},
                          {10, 3, "差し"},
                          {9, 5, "追込"},
                          {15, 16, "追込"},
                          // Only one position: its class alone.
                          {4, 0, "先行"},
                          {1, 0, "逃げ"},
                          {6, 0, "差し"},
                          {9, 0, "追込"},
                          {0, 0, ""},
                          {0, 3, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(styleFromPositions(c.a, c.b), c.style) << c.a << "," << c.b;
}

TEST(RunningStyle, DistanceChange) {
    struct Case {
        int today, past;
        const char *todaySurface, *pastSurface, *want;
    };
    const Case cases[] = {{1600, 1800, "芝", "芝", "短縮"},   {1600, 1600, "芝", "ダ", "別ﾄﾗｯｸ"},
                          {1600, 1600, "芝", "芝", "同距離"}, {1600, 1400, "ダ", "ダ", "延長"},
                          {1600, 1400, "芝", "", ""},         {1600, 1400, "", "", "延長"},
                          {3000, 3000, "障", "芝", "別ﾄﾗｯｸ"}};
    for (const Case& c : cases)
        EXPECT_EQ(distanceChangeText(c.today, c.past, c.todaySurface, c.pastSurface), c.want);
}

TEST(RunningStyle, StyledTextAndVocabulary) {
    EXPECT_EQ(styledText("逃げ", "延長"), "<font color=\"#FF3333\">逃げ</font>・延長");
    EXPECT_EQ(styledText("追込", "同距離"), "<font color=\"#339900\">追込</font>・同距離");
    EXPECT_EQ(styledText("", "短縮"), "短縮");
    EXPECT_EQ(styledText("先行", ""), "");
    EXPECT_EQ(styledText("速い", "延長"), "延長");
    EXPECT_EQ(patternText(0), "");
    EXPECT_EQ(patternText(3), "波乱");
    EXPECT_EQ(patternText(5), "");
    const std::array<int32_t, 6> marks{7, 3, 0, 12, 1, 9};
    EXPECT_EQ(markWeight(marks, 7), "10");
    EXPECT_EQ(markWeight(marks, 12), "7");
    EXPECT_EQ(markWeight(marks, 9), "5");
    EXPECT_EQ(markWeight(marks, 4), "0");
    EXPECT_EQ(markWeight(marks, 0), "0");
}

TEST(FullWidth, ConvertsAsCodePage932Does) {
    const std::pair<const char*, const char*> cases[] = {
        {"ABz09", "ＡＢｚ０９"},
        {"ﾍﾞｯﾄﾞ", "ベッド"},
        {"ﾊﾟﾋﾟﾌﾟ", "パピプ"},
        {"ｳﾞｧ", "ヴァ"},
        {"ｱﾞｲﾟ", "ア゛イ゜"},
        {"ﾞ", "゛"},
        {"別ﾄﾗｯｸ", "別トラック"},
        {"ｶﾞｷﾞｸﾞｹﾞｺﾞﾂﾞﾃﾞﾄﾞ", "ガギグゲゴヅデド"},
        {"ｯﾞ", "ッ゛"},
        {"｡｢｣､･ｰ", "。「」、・ー"},
        {" !\"#$%&'()*+,-./", "　！”＃＄％＆’（）＊＋，－．／"},
        {":;<=>?@[\\]^_`{|}~", "：；＜＝＞？＠「￥」＾＿‘｛｜｝￣"},
        {"漢字かな①", "漢字かな①"},
        {"a\tb", "ａ\tｂ"},
    };
    for (auto [in, want] : cases)
        EXPECT_EQ(toFullWidth(in), want) << in;
}

TEST(HistoryLine, FormsOfARow) {
    const std::vector<HistoryRow> rows = {
        {20061126, "3.5", 2, 553, 1},
        {20061126, "9.9", 9, 100, 9}, // a second row of the same date
                                      // is never used
        {20061001, "/", 18, 540, 5},
        {20060901, "12.0", 7, 0, 1},
        {20060801, "45.5", 12, 512, 11},
    };
    EXPECT_EQ(historyLine(rows, "20061126"),
              "  (55.3) <FONT COLOR=\"#FF0000\"> 1位</FONT>    (3.5) "
              "<FONT COLOR=\"#FF6600\"> 2位</FONT>");
    EXPECT_EQ(historyLine(rows, "20061001"), "  (取消)  5位   (取消) 18位");
    EXPECT_EQ(historyLine(rows, "20060901"), "     (-)  -位   (12.0)  7位");
    EXPECT_EQ(historyLine(rows, "20060801"), "  (51.2) 11位   (45.5) 12位");
    EXPECT_EQ(historyLine(rows, "20050101"), "");
    EXPECT_EQ(historyLine(rows, "2006112 "), "");
    EXPECT_EQ(historyRankText(3), "<FONT COLOR=\"#009900\"> 3位</FONT>");
    EXPECT_EQ(historyRankText(4), "<FONT COLOR=\"#0033FF\"> 4位</FONT>");
}
