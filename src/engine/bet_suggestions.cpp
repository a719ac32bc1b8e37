#include "engine/bet_suggestions.h"

#include "data/text.h"

#include <algorithm>
#include <span>

namespace velmar::engine {

namespace {

// Orders of mark positions (1 = ◎ … 6 = the second ×), as the panel counts them.
constexpr std::array<std::array<int, 2>, 5> kQuinellaFlow{{{1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}}};
constexpr std::array<std::array<int, 2>, 9> kQuinellaFormation{
    {{1, 2}, {1, 3}, {1, 4}, {1, 5}, {1, 6}, {2, 3}, {2, 4}, {2, 5}, {2, 6}}};
constexpr std::array<std::array<int, 2>, 6> kQuinellaBox{
    {{1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}};

constexpr std::array<std::array<int, 3>, 16> kTrioFormation{{{1, 2, 3},
                                                             {1, 2, 4},
                                                             {1, 2, 5},
                                                             {1, 2, 6},
                                                             {1, 3, 4},
                                                             {1, 3, 5},
                                                             {1, 3, 6},
                                                             {1, 4, 5},
                                                             {1, 4, 6},
                                                             {1, 5, 6},
                                                             {2, 3, 4},
                                                             {2, 3, 5},
                                                             {2, 3, 6},
                                                             {2, 4, 5},
                                                             {2, 4, 6},
                                                             {2, 5, 6}}};
// The flow is the first ten of the formation (every trio with ◎).
constexpr std::size_t kTrioFlowCount = 10;
constexpr std::array<std::array<int, 3>, 4> kTrioBox{{{1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 4}}};

// First-place flow from ◎, then the same with ○ first (the formation).
constexpr std::array<std::array<int, 3>, 40> kTrifectaFormation{{
    {1, 2, 3}, {1, 2, 4}, {1, 2, 5}, {1, 2, 6}, {1, 3, 2}, {1, 3, 4}, {1, 3, 5}, {1, 3, 6},
    {1, 4, 2}, {1, 4, 3}, {1, 4, 5}, {1, 4, 6}, {1, 5, 2}, {1, 5, 3}, {1, 5, 4}, {1, 5, 6},
    {1, 6, 2}, {1, 6, 3}, {1, 6, 4}, {1, 6, 5}, {2, 1, 3}, {2, 1, 4}, {2, 1, 5}, {2, 1, 6},
    {2, 3, 1}, {2, 3, 4}, {2, 3, 5}, {2, 3, 6}, {2, 4, 1}, {2, 4, 3}, {2, 4, 5}, {2, 4, 6},
    {2, 5, 1}, {2, 5, 3}, {2, 5, 4}, {2, 5, 6}, {2, 6, 1}, {2, 6, 3}, {2, 6, 4}, {2, 6, 5},
}};
constexpr std::size_t kTrifectaFlowCount = 20;
// Grouped by where ◎ finishes: first, second, third, not at all.
constexpr std::array<std::array<int, 3>, 24> kTrifectaBox{{
    {1, 2, 3}, {1, 2, 4}, {1, 3, 2}, {1, 3, 4}, {1, 4, 2}, {1, 4, 3}, {2, 1, 3}, {2, 1, 4},
    {3, 1, 2}, {3, 1, 4}, {4, 1, 2}, {4, 1, 3}, {2, 3, 1}, {2, 4, 1}, {3, 2, 1}, {3, 4, 1},
    {4, 2, 1}, {4, 3, 1}, {2, 3, 4}, {2, 4, 3}, {3, 2, 4}, {3, 4, 2}, {4, 2, 3}, {4, 3, 2},
}};

template <std::size_t N> using Orders = std::span<const std::array<int, N>>;

Orders<2> quinellaOrders(BetStructure s) {
    switch (s) {
    case BetStructure::Flow:
        return kQuinellaFlow;
    case BetStructure::Formation:
        return kQuinellaFormation;
    case BetStructure::Box:
        return kQuinellaBox;
    case BetStructure::None:
        break;
    }
    return {};
}

Orders<3> trioOrders(BetStructure s) {
    switch (s) {
    case BetStructure::Flow:
        return Orders<3>(kTrioFormation).first(kTrioFlowCount);
    case BetStructure::Formation:
        return kTrioFormation;
    case BetStructure::Box:
        return kTrioBox;
    case BetStructure::None:
        break;
    }
    return {};
}

Orders<3> trifectaOrders(BetStructure s) {
    switch (s) {
    case BetStructure::Flow:
        return Orders<3>(kTrifectaFormation).first(kTrifectaFlowCount);
    case BetStructure::Formation:
        return kTrifectaFormation;
    case BetStructure::Box:
        return kTrifectaBox;
    case BetStructure::None:
        break;
    }
    return {};
}

std::string code(int a, int b, int c) {
    return data::zeroPad2(a) + data::zeroPad2(b) + data::zeroPad2(c);
}

// Horse numbers of the positions; false when one of them is unmarked (0).
template <std::size_t N>
bool horsesOf(const std::array<int, 6>& marks, const std::array<int, N>& positions,
              std::array<int, N>& horses) {
    for (std::size_t i = 0; i < N; ++i) {
        horses[i] = marks[positions[i] - 1];
        if (horses[i] <= 0)
            return false;
    }
    return true;
}

std::vector<std::string> quinellaCodes(const std::array<int, 6>& marks, Orders<2> orders) {
    std::vector<std::string> out;
    for (const auto& o : orders) {
        std::array<int, 2> h{};
        if (!horsesOf(marks, o, h))
            continue;
        std::sort(h.begin(), h.end());
        out.push_back(code(h[0], h[1], 0));
    }
    return out;
}

std::vector<std::string> trioCodes(const std::array<int, 6>& marks, Orders<3> orders) {
    std::vector<std::string> out;
    for (const auto& o : orders) {
        std::array<int, 3> h{};
        if (!horsesOf(marks, o, h))
            continue;
        std::sort(h.begin(), h.end());
        out.push_back(code(h[0], h[1], h[2]));
    }
    return out;
}

std::vector<std::string> trifectaCodes(const std::array<int, 6>& marks, Orders<3> orders) {
    std::vector<std::string> out;
    for (const auto& o : orders) {
        std::array<int, 3> h{};
        if (horsesOf(marks, o, h))
            out.push_back(code(h[0], h[1], h[2])); // finishing order kept
    }
    return out;
}

bool patternHasBets(int pattern) {
    return pattern >= 1 && pattern <= 4;
}

// The marks at positions from..to (1-based) that name a horse, joined by sep.
std::string joinMarks(const std::array<int, 6>& marks, int from, int to, const char* sep) {
    std::string out;
    for (int p = from; p <= to; ++p) {
        const int h = marks[p - 1];
        if (h <= 0)
            continue;
        if (!out.empty())
            out += sep;
        out += std::to_string(h);
    }
    return out;
}

std::string countTitle(const char* head, std::size_t n) {
    return std::string(head) + " 計" + std::to_string(n) + "点";
}

} // namespace

bool isTrifectaRace(int raceNo) {
    return raceNo > 8;
}

BetStructures betStructures(int pattern, bool quinellaFlow, bool trifectaFlow) {
    using S = BetStructure;
    switch (pattern) {
    case 1:
        return {S::Box, S::Box, S::Box};
    case 2:
    case 3:
        return {quinellaFlow ? S::Flow : S::Formation, S::Flow,
                trifectaFlow ? S::Flow : S::Formation};
    case 4:
        return {S::Formation, S::Formation, S::Formation};
    default:
        return {};
    }
}

TicketLists buildTicketLists(const std::array<int, 6>& marks, int pattern, bool quinellaFlow,
                             bool trifectaFlow, int raceNo) {
    TicketLists lists;
    if (!patternHasBets(pattern)) {
        lists.quinella.assign(1, kNoTicket);
        lists.trio.assign(1, kNoTicket);
        lists.trifecta.assign(1, kNoTicket);
        return lists;
    }
    const BetStructures s = betStructures(pattern, quinellaFlow, trifectaFlow);
    // Without ◎ there are no bets; with ◎ alone (a one-runner race) no ticket
    // can be formed, which is no bets as well.
    if (marks[0] <= 0 || marks[1] <= 0) {
        lists.quinella.assign(quinellaOrders(s.quinella).size(), kNoTicket);
        lists.trio.assign(trioOrders(s.trio).size(), kNoTicket);
        lists.trifecta.assign(trifectaOrders(s.trifecta).size(), kNoTicket);
        return lists;
    }
    lists.quinella = quinellaCodes(marks, quinellaOrders(s.quinella));
    lists.trio = trioCodes(marks, trioOrders(s.trio));
    lists.trifecta = trifectaCodes(marks, trifectaOrders(s.trifecta));
    if (!isTrifectaRace(raceNo))
        std::fill(lists.trifecta.begin(), lists.trifecta.end(), kNoTicket);
    return lists;
}

bool hasTickets(const TicketLists& lists) {
    return !lists.quinella.empty() && lists.quinella.front() != kNoTicket;
}

BetPanel betPanel(const std::array<int, 6>& marks, int pattern, bool quinellaFlow,
                  bool trifectaFlow, int raceNo) {
    BetPanel panel;
    if (marks[0] <= 0 || marks[1] <= 0 || !patternHasBets(pattern))
        return panel;
    panel.shown = true;
    panel.quinella.visible = true;
    panel.trio.visible = true;
    const BetStructures s = betStructures(pattern, quinellaFlow, trifectaFlow);
    // Counts in the titles are the tickets actually listed (fewer with fewer runners).
    const auto nQuinella = quinellaCodes(marks, quinellaOrders(s.quinella)).size();
    const auto nTrio = trioCodes(marks, trioOrders(s.trio)).size();
    const auto nTrifecta = trifectaCodes(marks, trifectaOrders(s.trifecta)).size();
    const std::string m1 = std::to_string(marks[0]);

    switch (s.quinella) {
    case BetStructure::Flow:
        panel.quinella.title = countTitle("馬連(流し)", nQuinella);
        panel.quinella.line1 = " 軸　⇒" + m1;
        panel.quinella.line2 = "相手⇒" + joinMarks(marks, 2, 6, "・");
        break;
    case BetStructure::Formation:
        panel.quinella.title = countTitle("馬連(ﾌｫｰﾒｰｼｮﾝ)", nQuinella);
        panel.quinella.line1 = " 軸　⇒" + joinMarks(marks, 1, 2, "・");
        panel.quinella.line2 = "相手⇒" + joinMarks(marks, 1, 6, "・");
        break;
    case BetStructure::Box:
        panel.quinella.title = countTitle("馬連(ボックス)", nQuinella);
        panel.quinella.line1 = joinMarks(marks, 1, 4, "－");
        break;
    case BetStructure::None:
        break;
    }

    switch (s.trio) {
    case BetStructure::Flow:
        panel.trio.title = countTitle("3連複(流し)", nTrio);
        panel.trio.line1 = " 軸　⇒" + m1;
        panel.trio.line2 = "相手⇒" + joinMarks(marks, 2, 6, "・");
        break;
    case BetStructure::Formation:
        panel.trio.title = countTitle("3連複(ﾌｫｰﾒｰｼｮﾝ)", nTrio);
        panel.trio.line1 = " 1頭目　⇒" + joinMarks(marks, 1, 2, "･");
        panel.trio.line2 = "2･3頭目⇒" + joinMarks(marks, 1, 6, "･");
        break;
    case BetStructure::Box:
        panel.trio.title = countTitle("3連複(ボックス)", nTrio);
        panel.trio.line1 = joinMarks(marks, 1, 4, "－");
        break;
    case BetStructure::None:
        break;
    }

    switch (s.trifecta) {
    case BetStructure::Flow:
        panel.trifecta.title = countTitle("3連単(1着軸流し)", nTrifecta);
        panel.trifecta.line1 = " 軸　⇒" + m1;
        panel.trifecta.line2 = "相手⇒" + joinMarks(marks, 2, 6, "・");
        break;
    case BetStructure::Formation:
        panel.trifecta.title = countTitle("3連単(ﾌｫｰﾒｰｼｮﾝ)", nTrifecta);
        panel.trifecta.line1 = " 1着　⇒" + joinMarks(marks, 1, 2, "・");
        panel.trifecta.line2 = "2・3着⇒" + joinMarks(marks, 1, 6, "・");
        break;
    case BetStructure::Box:
        panel.trifecta.title = countTitle("3連単(ボックス)", nTrifecta);
        panel.trifecta.line1 = joinMarks(marks, 1, 4, "－");
        break;
    case BetStructure::None:
        break;
    }

    if (pattern == 4) {
        panel.trioLine1X = 627;
        panel.trioLine2X = 628;
    }
    panel.trifecta.visible = isTrifectaRace(raceNo);
    return panel;
}

} // namespace velmar::engine
