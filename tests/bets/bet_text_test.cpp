// The bet-detail text: headers, six tickets to a row, ticket texts.

#include "bets/bet_text.h"

#include "bets_fixture.h"

#include <gtest/gtest.h>

namespace velmar::bets {
namespace {

using test::predictionOf;

TEST(TicketText, NumbersRightAlignedInTwoJoinedByMinus) {
    EXPECT_EQ(ticketText("051200", true), " 5-12");
    EXPECT_EQ(ticketText("010312", false), " 1- 3-12");
    EXPECT_EQ(ticketText("120301", false), "12- 3- 1");
}

TEST(BetText, HonmeiExampleAt11R) {
    data::RaceTexts texts;
    texts.betWindowTitle = "東京11R サラ3歳以上 オープン 定量 安田記念 G1 ";
    const BetText text = betText(predictionOf(10, 11, {12, 3, 7, 1, 15, 9}, 1), texts);
    EXPECT_EQ(text.title, texts.betWindowTitle);
    const std::vector<std::string> expected{
        "[馬連] 計6点",
        " 3-12   7-12   1-12   3- 7   1- 3   1- 7",
        "",
        "[3連単] 計24点",
        "12- 3- 7  12- 3- 1  12- 7- 3  12- 7- 1  12- 1- 3  12- 1- 7",
        " 3-12- 7   3-12- 1   7-12- 3   7-12- 1   1-12- 3   1-12- 7",
        " 3- 7-12   3- 1-12   7- 3-12   7- 1-12   1- 3-12   1- 7-12",
        " 3- 7- 1   3- 1- 7   7- 3- 1   7- 1- 3   1- 3- 7   1- 7- 3",
    };
    EXPECT_EQ(text.lines, expected);
}

TEST(BetText, TrioBefore9RAndTrifectaFrom9R) {
    const std::array<int32_t, 6> marks{12, 3, 7, 1, 15, 9};
    const BetText r8 = betText(predictionOf(7, 8, marks, 2, true, true), {});
    ASSERT_EQ(r8.lines.size(), 6u);
    EXPECT_EQ(r8.lines[0], "[馬連] 計5点");
    EXPECT_EQ(r8.lines[1], " 3-12   7-12   1-12  12-15   9-12");
    EXPECT_EQ(r8.lines[3], "[3連複] 計10点");
    EXPECT_EQ(r8.lines[4], " 3- 7-12   1- 3-12   3-12-15   3- 9-12   1- 7-12   7-12-15");
    EXPECT_EQ(r8.lines[5], " 7- 9-12   1-12-15   1- 9-12   9-12-15");

    // A 20-ticket trifecta flow: three full rows and one of two.
    const BetText r9 = betText(predictionOf(8, 9, marks, 2, true, true), {});
    ASSERT_EQ(r9.lines.size(), 8u);
    EXPECT_EQ(r9.lines[3], "[3連単] 計20点");
    EXPECT_EQ(r9.lines[7], "12- 9- 1  12- 9-15");
}

TEST(BetText, FormationRowsAndNoBets) {
    const BetText r12 = betText(predictionOf(11, 12, {12, 3, 7, 1, 15, 9}, 4), {});
    // 9 quinella: a row of six and one of three; 40 trifecta: six rows and one of four.
    ASSERT_EQ(r12.lines.size(), 1u + 2u + 1u + 1u + 7u);
    EXPECT_EQ(r12.lines[2], " 1- 3   3-15   3- 9");
    EXPECT_EQ(r12.lines[4], "[3連単] 計40点");
    EXPECT_EQ(r12.lines[11], " 3- 9-12   3- 9- 7   3- 9- 1   3- 9-15");

    data::RaceTexts texts;
    texts.betWindowTitle = "東京05R サラ2歳 新馬";
    const BetText none = betText(predictionOf(4, 5, {0, 0, 0, 0, 0, 0}, 2), texts);
    EXPECT_EQ(none.title, texts.betWindowTitle);
    EXPECT_EQ(none.lines, std::vector<std::string>{"このレースの買い目はありません"});
}

TEST(BetText, ShortFieldCountsTheListedTickets) {
    const BetText text = betText(predictionOf(10, 11, {2, 1, 3, 0, 0, 0}, 1, false, false, 3), {});
    const std::vector<std::string> expected{
        "[馬連] 計3点",
        " 1- 2   2- 3   1- 3",
        "",
        "[3連単] 計6点",
        " 2- 1- 3   2- 3- 1   1- 2- 3   3- 2- 1   1- 3- 2   3- 1- 2",
    };
    EXPECT_EQ(text.lines, expected);
}

TEST(BetText, FileNameIsTheFirstSevenBytesOfTheTitle) {
    EXPECT_EQ(betTextFileName("京都11R サラ3歳以上"), "京都11R.txt");
    EXPECT_EQ(betTextFileName(""), ".txt");
    // A double-width character is never cut in half.
    EXPECT_EQ(betTextFileName("京都競馬場"), "京都競.txt");
}

} // namespace
} // namespace velmar::bets
