#include "data/sjis.h"

#include <gtest/gtest.h>

using namespace velmar::data;

TEST(Sjis, RoundTripsThe932Extensions) {
    // Characters that plain Shift_JIS converters reject.
    const std::string text = "①Ⅰ～∥－￢髙 ｶﾀｶﾅ 東京";
    std::string bytes = utf8ToSjis(text);
    EXPECT_EQ(sjisToUtf8(bytes), text);
    EXPECT_EQ(static_cast<int>(bytes.size()), sjisWidth(text));
}

TEST(Sjis, InvalidBytesNeverFail) {
    EXPECT_EQ(sjisToUtf8(std::string("A\x81", 2)), "A\xEF\xBF\xBD");
    EXPECT_EQ(sjisToUtf8(std::string("\xFF" "B", 2)), "\xEF\xBF\xBD" "B");
    bool lossy = false;
    EXPECT_EQ(utf8ToSjis("a\xF0\x9F\x98\x80", &lossy), "a?");
    EXPECT_TRUE(lossy);
}

TEST(Sjis, WidthsAndCuts) {
    struct Case {
        std::string text;
        int bytes;
        std::string left;
    };
    const Case cases[] = {
        {"京都11", 4, "京都"}, {"京都11", 3, "京"}, {"ﾁﾘ  ", 2, "ﾁﾘ"},
        {"ab東", 3, "ab"},     {"", 5, ""},         {"UAE ", 4, "UAE "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sjisLeft(c.text, c.bytes), c.left) << c.text;
        EXPECT_EQ(sjisLeft(c.text, c.bytes) + sjisMid(c.text, c.bytes), c.text);
    }
    EXPECT_EQ(sjisWidth("ﾀｽ芝"), 4);
}
