// Ticket lists and bet panel texts of the bet suggestions.

#include "engine/bet_suggestions.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace velmar::engine {
namespace {

using Marks = std::array<int, 6>;

// With marks 1..6 a horse number is its mark position, so the expected codes
// can be written as the position triples of the ticket order ("123" -> 010203).
std::vector<std::string> positionCodes(const std::string& positions, bool quinella) {
    std::vector<std::string> out;
    std::istringstream in(positions);
    std::string p;
    while (in >> p) {
        std::string code;
        for (char c : p)
            code += std::string("0") + c;
        if (quinella)
            code += "00";
        out.push_back(code);
    }
    return out;
}

const char* const kQuinellaFlow = "12 13 14 15 16";
const char* const kQuinellaFormation = "12 13 14 15 16 23 24 25 26";
const char* const kQuinellaBox = "12 13 14 23 24 34";
const char* const kTrioFormation =
    "123 124 125 126 134 135 136 145 146 156 234 235 236 245 246 256";
const char* const kTrioFlow = "123 124 125 126 134 135 136 145 146 156";
const char* const kTrioBox = "123 124 134 234";
const char* const kTrifectaFlow = "123 124 125 126 132 134 135 136 142 143 145 146 152 153 154 "
                                  "156 162 163 164 165";
const char* const kTrifectaFormation =
    "123 124 125 126 132 134 135 136 142 143 145 146 152 153 154 156 162 163 164 165 "
    "213 214 215 216 231 234 235 236 241 243 245 246 251 253 254 256 261 263 264 265";
const char* const kTrifectaBox = "123 124 132 134 142 143 213 214 312 314 412 413 "
                                 "231 241 321 341 421 431 234 243 324 342 423 432";

struct OrderCase {
    const char* name;
    int pattern;
    bool quinellaFlow;
    bool trifectaFlow;
    const char* quinella;
    const char* trio;
    const char* trifecta;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.name;
}

class TicketOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(TicketOrder, ListsFollowTheFixedOrderOfMarkPositions) {
    const OrderCase& c = GetParam();
    const TicketLists lists =
        buildTicketLists({1, 2, 3, 4, 5, 6}, c.pattern, c.quinellaFlow, c.trifectaFlow, 11);
    EXPECT_EQ(lists.quinella, positionCodes(c.quinella, true));
    EXPECT_EQ(lists.trio, positionCodes(c.trio, false));
    EXPECT_EQ(lists.trifecta, positionCodes(c.trifecta, false));
}

INSTANTIATE_TEST_SUITE_P(
    Structures, TicketOrder,
    ::testing::Values(
        // Pattern 1 gives boxes whatever the flags say.
        OrderCase{"honmei", 1, true, true, kQuinellaBox, kTrioBox, kTrifectaBox},
        OrderCase{"juntou_flows", 2, true, true, kQuinellaFlow, kTrioFlow, kTrifectaFlow},
        OrderCase{"juntou_formations", 2, false, false, kQuinellaFormation, kTrioFlow,
                  kTrifectaFormation},
        OrderCase{"haran_quinella_flow", 3, true, false, kQuinellaFlow, kTrioFlow,
                  kTrifectaFormation},
        OrderCase{"haran_trifecta_flow", 3, false, true, kQuinellaFormation, kTrioFlow,
                  kTrifectaFlow},
        // Pattern 4 gives formations whatever the flags say.
        OrderCase{"ooana", 4, true, true, kQuinellaFormation, kTrioFormation, kTrifectaFormation}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TicketLists, CodesSortQuinellaAndTrioButKeepTrifectaFinishingOrder) {
    const TicketLists lists = buildTicketLists({12, 3, 7, 1, 15, 9}, 1, false, false, 11);
    EXPECT_EQ(lists.quinella, (std::vector<std::string>{"031200", "071200", "011200", "030700",
                                                        "010300", "010700"}));
    EXPECT_EQ(lists.trio, (std::vector<std::string>{"030712", "010312", "010712", "010307"}));
    ASSERT_EQ(lists.trifecta.size(), 24u);
    EXPECT_EQ(lists.trifecta[0], "120307");
    EXPECT_EQ(lists.trifecta[1], "120301");
    EXPECT_EQ(lists.trifecta[2], "120703");
    EXPECT_EQ(lists.trifecta[23], "010703"); // no ◎: △ ▲ ○ last
}

TEST(TicketLists, FormationsHoldDistinctCodes) {
    const TicketLists lists = buildTicketLists({12, 3, 7, 1, 15, 9}, 4, false, false, 12);
    EXPECT_EQ(std::set<std::string>(lists.quinella.begin(), lists.quinella.end()).size(), 9u);
    EXPECT_EQ(std::set<std::string>(lists.trio.begin(), lists.trio.end()).size(), 16u);
    EXPECT_EQ(std::set<std::string>(lists.trifecta.begin(), lists.trifecta.end()).size(), 40u);
}

TEST(TicketLists, TrifectaOnlyFromTheNinthRace) {
    EXPECT_FALSE(isTrifectaRace(1));
    EXPECT_FALSE(isTrifectaRace(8));
    EXPECT_TRUE(isTrifectaRace(9));
    EXPECT_TRUE(isTrifectaRace(12));

    const Marks marks{12, 3, 7, 1, 15, 9};
    const TicketLists r8 = buildTicketLists(marks, 2, false, true, 8);
    const TicketLists r9 = buildTicketLists(marks, 2, false, true, 9);
    EXPECT_EQ(r8.quinella, r9.quinella);
    EXPECT_EQ(r8.trio, r9.trio);
    // 8R keeps the length of the structure, with no ticket in it.
    EXPECT_EQ(r8.trifecta, std::vector<std::string>(20, "000000"));
    ASSERT_EQ(r9.trifecta.size(), 20u);
    EXPECT_EQ(r9.trifecta[0], "120307");
}

TEST(TicketLists, NoBetsWhenTheFirstMarkIsEmpty) {
    const TicketLists lists = buildTicketLists({0, 0, 0, 0, 0, 0}, 2, true, false, 11);
    EXPECT_EQ(lists.quinella, std::vector<std::string>(5, "000000"));
    EXPECT_EQ(lists.trio, std::vector<std::string>(10, "000000"));
    EXPECT_EQ(lists.trifecta, std::vector<std::string>(40, "000000"));
    EXPECT_FALSE(hasTickets(lists));

    const TicketLists unclassified = buildTicketLists({12, 3, 7, 1, 15, 9}, 0, false, false, 11);
    EXPECT_FALSE(hasTickets(unclassified));
    EXPECT_EQ(unclassified.trifecta, std::vector<std::string>{"000000"});
    EXPECT_TRUE(hasTickets(buildTicketLists({12, 3, 7, 1, 15, 9}, 1, false, false, 11)));

    // A one-runner race: ◎ alone forms no ticket, so the race has no bets.
    const TicketLists alone = buildTicketLists({4, 0, 0, 0, 0, 0}, 1, false, false, 11);
    EXPECT_EQ(alone.quinella, std::vector<std::string>(6, "000000"));
    EXPECT_FALSE(hasTickets(alone));
    EXPECT_FALSE(betPanel({4, 0, 0, 0, 0, 0}, 1, false, false, 11).shown);
}

// A race with fewer than six runners leaves the last marks at 0; no ticket may
// name horse "00".
struct ShortFieldCase {
    const char* name;
    Marks marks;
    int pattern;
    bool quinellaFlow;
    bool trifectaFlow;
    std::size_t quinella, trio, trifecta;
};

void PrintTo(const ShortFieldCase& c, std::ostream* os) {
    *os << c.name;
}

class ShortField : public ::testing::TestWithParam<ShortFieldCase> {};

TEST_P(ShortField, TicketsNamingNoHorseAreDropped) {
    const ShortFieldCase& c = GetParam();
    const TicketLists lists =
        buildTicketLists(c.marks, c.pattern, c.quinellaFlow, c.trifectaFlow, 11);
    EXPECT_EQ(lists.quinella.size(), c.quinella);
    EXPECT_EQ(lists.trio.size(), c.trio);
    EXPECT_EQ(lists.trifecta.size(), c.trifecta);
    for (const auto& code : lists.quinella) {
        EXPECT_NE(code.substr(0, 2), "00") << code;
        EXPECT_NE(code.substr(2, 2), "00") << code;
    }
    for (const auto* list : {&lists.trio, &lists.trifecta})
        for (const auto& code : *list)
            for (int i = 0; i < 3; ++i)
                EXPECT_NE(code.substr(2 * i, 2), "00") << code;
}

INSTANTIATE_TEST_SUITE_P(
    Runners, ShortField,
    ::testing::Values(
        // Five runners, flows: 4 of 5 quinella, 6 of 10 trio, 12 of 20 trifecta.
        ShortFieldCase{"five_flows", {3, 1, 2, 4, 5, 0}, 2, true, true, 4, 6, 12},
        // Five runners, formations: (1,6) and (2,6) go; trio 16 - 7; trifecta 40 - 16.
        ShortFieldCase{"five_formations", {3, 1, 2, 4, 5, 0}, 4, false, false, 7, 9, 24},
        // Three runners, boxes: 3 quinella, 1 trio, 6 trifecta.
        ShortFieldCase{"three_boxes", {2, 1, 3, 0, 0, 0}, 1, false, false, 3, 1, 6},
        // Two runners: one quinella, nothing else.
        ShortFieldCase{"two_boxes", {2, 1, 0, 0, 0, 0}, 1, false, false, 1, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BetPanel, TextsPerStructure) {
    const Marks marks{12, 3, 7, 1, 15, 9};
    struct Case {
        int pattern;
        bool quinellaFlow, trifectaFlow;
        BetPanelGroup quinella, trio, trifecta;
        int x1, x2;
    };
    const Case cases[] = {
        {1,
         true,
         true,
         {"馬連(ボックス) 計6点", "12－3－7－1", "", true},
         {"3連複(ボックス) 計4点", "12－3－7－1", "", true},
         {"3連単(ボックス) 計24点", "12－3－7－1", "", true},
         631,
         631},
        {2,
         true,
         true,
         {"馬連(流し) 計5点", " 軸　⇒12", "相手⇒3・7・1・15・9", true},
         {"3連複(流し) 計10点", " 軸　⇒12", "相手⇒3・7・1・15・9", true},
         {"3連単(1着軸流し) 計20点", " 軸　⇒12", "相手⇒3・7・1・15・9", true},
         631,
         631},
        {3,
         false,
         false,
         {"馬連(ﾌｫｰﾒｰｼｮﾝ) 計9点", " 軸　⇒12・3", "相手⇒12・3・7・1・15・9", true},
         {"3連複(流し) 計10点", " 軸　⇒12", "相手⇒3・7・1・15・9", true},
         {"3連単(ﾌｫｰﾒｰｼｮﾝ) 計40点", " 1着　⇒12・3", "2・3着⇒12・3・7・1・15・9", true},
         631,
         631},
        {4,
         true,
         true,
         {"馬連(ﾌｫｰﾒｰｼｮﾝ) 計9点", " 軸　⇒12・3", "相手⇒12・3・7・1・15・9", true},
         {"3連複(ﾌｫｰﾒｰｼｮﾝ) 計16点", " 1頭目　⇒12･3", "2･3頭目⇒12･3･7･1･15･9", true},
         {"3連単(ﾌｫｰﾒｰｼｮﾝ) 計40点", " 1着　⇒12・3", "2・3着⇒12・3・7・1・15・9", true},
         627,
         628},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        const BetPanel panel = betPanel(marks, c.pattern, c.quinellaFlow, c.trifectaFlow, 11);
        EXPECT_TRUE(panel.shown);
        EXPECT_EQ(panel.quinella, c.quinella);
        EXPECT_EQ(panel.trio, c.trio);
        EXPECT_EQ(panel.trifecta, c.trifecta);
        EXPECT_EQ(panel.trioLine1X, c.x1);
        EXPECT_EQ(panel.trioLine2X, c.x2);
    }
}

TEST(BetPanel, TrifectaHiddenBeforeTheNinthRaceAndNoPanelWithoutBets) {
    const Marks marks{12, 3, 7, 1, 15, 9};
    const BetPanel r8 = betPanel(marks, 2, false, false, 8);
    EXPECT_TRUE(r8.shown);
    EXPECT_TRUE(r8.quinella.visible);
    EXPECT_TRUE(r8.trio.visible);
    EXPECT_FALSE(r8.trifecta.visible);
    EXPECT_TRUE(betPanel(marks, 2, false, false, 9).trifecta.visible);

    EXPECT_EQ(betPanel({0, 0, 0, 0, 0, 0}, 2, false, false, 11), BetPanel{});
    EXPECT_EQ(betPanel(marks, 0, false, false, 11), BetPanel{});
}

TEST(BetPanel, ShortFieldCountsListedTicketsAndNamesOnlyMarkedHorses) {
    const BetPanel five = betPanel({3, 1, 2, 4, 5, 0}, 2, true, true, 11);
    EXPECT_EQ(five.quinella.title, "馬連(流し) 計4点");
    EXPECT_EQ(five.quinella.line2, "相手⇒1・2・4・5");
    EXPECT_EQ(five.trio.title, "3連複(流し) 計6点");
    EXPECT_EQ(five.trifecta.title, "3連単(1着軸流し) 計12点");

    const BetPanel three = betPanel({2, 1, 3, 0, 0, 0}, 1, false, false, 11);
    EXPECT_EQ(three.quinella.title, "馬連(ボックス) 計3点");
    EXPECT_EQ(three.quinella.line1, "2－1－3");
    EXPECT_EQ(three.trio.title, "3連複(ボックス) 計1点");
    EXPECT_EQ(three.trifecta.title, "3連単(ボックス) 計6点");
}

} // namespace
} // namespace velmar::engine
