// Standard data: unscrambling, file choice, line choice, the fallback rule and
// the malformed-line message.

#include "engine_fixtures.h"

#include "data/atomic_file.h"
#include "engine/standard_data.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmar;
using namespace velmar::engine;
using namespace velmar::enginetest;

namespace {

// 18 fields: four groups of (first, second, count) and the two fallbacks.
std::string fields(const std::array<std::string, 18>& f) {
    std::string s;
    for (size_t i = 0; i < f.size(); ++i)
        s += (i ? "," : "") + f[i];
    return s;
}

std::string rowLine(const std::string& tag) {
    return fields({tag + "1", "2.25", "30", "3", "4", "31", "5", "6", "99", "7", "8", "40", "9.5",
                   "10", "30", "11", "12", "35"});
}

void writeScrambled(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::filesystem::create_directories(file.parent_path());
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    std::ofstream(file, std::ios::binary) << swapNibbles(text);
}

std::vector<std::string> eightLines() {
    std::vector<std::string> lines;
    for (int i = 1; i <= 8; ++i)
        lines.push_back(rowLine(std::to_string(i)));
    return lines;
}

} // namespace

TEST(StandardData, NibbleSwap) {
    EXPECT_EQ(swapNibbles(std::string("\x12\x0d\x0a\xf0", 4)), std::string("\x21\xd0\xa0\x0f", 4));
    EXPECT_EQ(swapNibbles(swapNibbles("05S1600")), "05S1600");
}

TEST(StandardData, RowsComeFromLinesOneToFourOrFiveToEight) {
    TempHome home;
    writeScrambled(home.path() / "Data" / "05S1600.dat", eightLines());
    for (auto [front, firstLine] : {std::pair{0, "1"}, {2, "1"}, {3, "5"}, {7, "5"}}) {
        auto d = loadStandardData(home.path(), "中山", "芝", front, "内", "1600");
        ASSERT_TRUE(d.ok());
        EXPECT_TRUE(d->messages.empty());
        // Row 0 group 0: own count 30 > 29, so its own values.
        EXPECT_EQ(d->values[0][0][0], firstLine + std::string("1.0")) << front;
        EXPECT_EQ(d->values[1][0][0], "2.3") << front; // #0.0 of 2.25, half away from zero
    }
}

TEST(StandardData, FallbackRules) {
    // Group counts 30, 29, 5, 100; fallbacks: group 5 count 40, group 6 count 29.
    const std::vector<std::string> row = {
        fields({"1", "2", "30", "3", "4", "29", "5", "6", "5", "7", "8", "100", "9", "10", "40",
                "0.6", "2.9", "29"})};
    std::vector<std::string> lines(8, row[0]);
    auto d = parseStandardData(lines, "05D1200.dat", 0);
    ASSERT_TRUE(d.ok());
    const auto& first = d->values[0][0];
    const auto& second = d->values[1][0];
    EXPECT_EQ(first[0], "1.0");
    EXPECT_EQ(second[0], "2.0");
    EXPECT_EQ(first[1], "9.0"); // own count 29: the fallback group (count 40)
    EXPECT_EQ(second[1], "10.0");
    EXPECT_EQ(first[2], "9.0");
    EXPECT_EQ(first[3], "7.0");
    // Column 3 with a small own count and a small fallback: two thirds, floor 1.0.
    lines.assign(8, fields({"1", "2", "30", "3", "4", "29", "5", "6", "5", "7", "8", "3", "9", "10",
                            "40", "0.6", "2.9", "29"}));
    d = parseStandardData(lines, "05D1200.dat", 0);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->values[0][0][3], "1.0"); // 0.4
    EXPECT_EQ(d->values[1][0][3], "1.9"); // 1.933
}

TEST(StandardData, MalformedLineShowsTheMessageAndKeepsEarlierRows) {
    std::vector<std::string> lines = eightLines();
    lines[2] = "1,2,3"; // row 2 of the first block
    auto d = parseStandardData(lines, "05S1600.dat", 0);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->messages, (std::vector<std::string>{"05S1600.datが不正です。処理を中止します。"}));
    EXPECT_EQ(d->values[0][0][0], "11.0");
    EXPECT_EQ(d->values[0][1][0], "21.0");
    EXPECT_EQ(d->values[0][2][0], "0.0");
    EXPECT_EQ(d->values[0][3][3], "0.0");
    // Seven lines: nothing read, no message.
    lines = eightLines();
    lines.pop_back();
    d = parseStandardData(lines, "05S1600.dat", 0);
    ASSERT_TRUE(d.ok());
    EXPECT_TRUE(d->messages.empty());
    EXPECT_EQ(d->values[0][0][0], "0.0");
}

TEST(StandardData, CountsAndScaledValuesMustBeNumbers) {
    std::vector<std::string> lines = eightLines();
    lines[1] = fields({"1", "2", "3x", "3", "4", "31", "5", "6", "99", "7", "8", "40", "9", "10",
                       "30", "11", "12", "35"});
    auto d = parseStandardData(lines, "05S1600.dat", 0);
    ASSERT_FALSE(d.ok());
    EXPECT_NE(d.error().message.find("05S1600.dat"), std::string::npos);
    EXPECT_NE(d.error().message.find("2行目"), std::string::npos);
    EXPECT_NE(d.error().message.find("3x"), std::string::npos);
    lines = eightLines();
    lines[0] = fields({"1", "2", "3", "3", "4", "31", "5", "6", "99", "7", "8", "40", "abc", "10",
                       "3", "11", "12", "35"});
    d = parseStandardData(lines, "05S1600.dat", 0);
    ASSERT_FALSE(d.ok());
    EXPECT_NE(d.error().message.find("abc"), std::string::npos);
    // A value that is not scaled is read leniently.
    lines[0] = fields({"x", "2", "30", "3", "4", "31", "5", "6", "99", "7", "8", "40", "abc", "10",
                       "3", "11", "12", "35"});
    d = parseStandardData(lines, "05S1600.dat", 0);
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->values[0][0][0], "0.0");
}

TEST(StandardData, FileChoice) {
    TempHome home;
    writeScrambled(home.path() / "Data" / "04S2000.dat", eightLines());
    // Outer course without its own file: the inner file serves.
    auto d = loadStandardData(home.path(), "東京", "芝", 0, "外", "2000");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->values[0][0][0], "11.0");
    std::vector<std::string> outer = eightLines();
    outer[0] = rowLine("9");
    writeScrambled(home.path() / "Data" / "04SO2000.dat", outer);
    d = loadStandardData(home.path(), "東京", "芝", 0, "外", "2000");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d->values[0][0][0], "91.0");
    // Dirt, steeplechase and a missing file read nothing.
    for (auto kind : {"ダ", "障", ""}) {
        d = loadStandardData(home.path(), "東京", kind, 0, "外", "2000");
        ASSERT_TRUE(d.ok());
        EXPECT_EQ(d->values[0][0][0], "0.0") << kind;
        EXPECT_TRUE(d->messages.empty());
    }
    EXPECT_EQ(standardDataFileName("函館", "D", "1000"), "09D1000.dat");
}
