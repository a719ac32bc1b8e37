#include "data/text.h"

#include <gtest/gtest.h>

using namespace velmar::data;

TEST(TextHelpers, IntOf) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {{"12", 12},  {"  7", 7},     {"-3", -3},         {"+4", 4},
                          {"12a", 0},  {"7 ", 0},      {"", 0},            {"   ", 0},
                          {"00", 0},   {"05", 5},      {"2147483647", 2147483647},
                          {"2147483648", 0}, {"-2147483648", -2147483647 - 1}, {"1.5", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(intOf(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextHelpers, Numbers) {
    EXPECT_EQ(plainNumber("07"), "7");
    EXPECT_EQ(plainNumber("  "), "0");
    EXPECT_EQ(plainNumber("00"), "0");
    EXPECT_EQ(zeroPad2(5), "05");
    EXPECT_EQ(zeroPad2(12), "12");
    EXPECT_EQ(blankPad2(5), " 5");
    EXPECT_EQ(zeroPad("7", 2), "07");
    EXPECT_EQ(floatOf(" 3.5 "), 3.5);
    EXPECT_EQ(floatOf("x"), 0.0);
    EXPECT_EQ(format01(57.0), "57.0");
    EXPECT_EQ(format01(0.5), "0.5");
    EXPECT_EQ(format01(-0.3), "-0.3");
    EXPECT_EQ(format01(0.0), "0.0");
}

TEST(TextHelpers, PaddingCountsShiftJisBytes) {
    EXPECT_EQ(padRight("5京都3", 8), "5京都3  ");
    EXPECT_EQ(padLeft("1", 2), " 1");
    EXPECT_EQ(padLeft("123", 2), "123");
    EXPECT_EQ(padRight("ﾁﾘ", 4), "ﾁﾘ  ");
    EXPECT_EQ(dropLast("1234567", 4), "123");
    EXPECT_EQ(dropLast("9999", 4), "");
    EXPECT_EQ(dropLast("12", 4), "");
}

TEST(TextHelpers, CircledAndPaths) {
    EXPECT_EQ(circledNumber(1), "①");
    EXPECT_EQ(circledNumber(18), "⑱");
    EXPECT_EQ(circledNumber(19), "");
    EXPECT_EQ(circledNumber(0), "");
    EXPECT_EQ(withBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(withBackslash("C:\\a\\"), "C:\\a\\");
}

TEST(TextHelpers, TrimKeepsFullWidthBlank) {
    EXPECT_EQ(trim(" \t x \r\n"), "x");
    EXPECT_EQ(trim("　x　"), "　x　");
}

TEST(TextHelpers, FieldOf) {
    struct Case {
        const char* sep;
        const char* line;
        int n;
        const char* field;
    };
    const Case cases[] = {
        {",", "300,200", 0, "300"}, {",", "300,200", 1, "200"},
        {",", "300,,200", 1, "200"}, {",", "300", 1, "300"},
        {",", " a , b ", 1, " b"},   {",", "a,b,c", 5, "c"},
        {"/", "x/y", 1, "y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldOf(c.sep, c.line, c.n), c.field) << c.line << " #" << c.n;
}

TEST(TextHelpers, SplitFields) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitFields("", ','), V{""});
    EXPECT_EQ(splitFields("a,", ','), (V{"a", ""}));
    EXPECT_EQ(splitFields(",,", ','), (V{"", "", ""}));
    EXPECT_EQ(splitFields("a,b", ','), (V{"a", "b"}));
}
