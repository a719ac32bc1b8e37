#pragma once
// Suggested tickets of one race: which structure (flow, formation, box) each
// bet type takes, the ordered ticket lists, and the texts of the bet panel.
//
// Everything here is a pure function of the six marks, the race pattern, the
// two bet flags and the race number, so the prediction and every writer can
// call it without shared state.
//
// Ticket code: six ASCII digits, three two-digit horse numbers. Quinella:
// the two horses ascending then "00"; trio: three horses ascending; trifecta:
// first, second, third. "000000" is "no ticket".
//
// A race with fewer than six runners has marks of 0 at the end. A ticket
// that would name horse 0 is not a ticket: it is left out of the list, and
// the counts in the panel titles are the tickets actually listed; panel lines
// name only the non-zero marks.

#include <array>
#include <string>
#include <vector>

namespace velmar::engine {

inline constexpr const char* kNoTicket = "000000";

// A race offers trifecta tickets only from its ninth race on (9R to 12R).
bool isTrifectaRace(int raceNo);

enum class BetStructure { None, Flow, Formation, Box };

struct BetStructures {
    BetStructure quinella = BetStructure::None;
    BetStructure trio = BetStructure::None;
    BetStructure trifecta = BetStructure::None; // chosen even when the race offers no trifecta
};

// Pattern 1 本命: boxes. 2 順当 and 3 波乱: quinella flow when quinellaFlow,
// else formation; trio flow; trifecta first-place flow when trifectaFlow, else
// formation. 4 大穴: formations. Any other pattern: None for all three.
BetStructures betStructures(int pattern, bool quinellaFlow, bool trifectaFlow);

// Ticket lists of a race (quinellaTickets, trioTickets, trifectaTickets).
struct TicketLists {
    std::vector<std::string> quinella; // quinellaTickets (馬連)
    std::vector<std::string> trio;     // trioTickets (3連複)
    std::vector<std::string> trifecta; // trifectaTickets (3連単)
    bool operator==(const TicketLists&) const = default;
};

// The three ticket lists in their fixed order of mark positions.
//  - M1 (marks[0]) is 0, or M2 is 0 (a one-runner race): no bets; every list
//    has its structure's full length and holds "000000" only.
//  - A pattern outside 1..4: no bets; each list holds the single entry "000000".
//  - A race before 9R: the trifecta list has its length but holds "000000" only.
//  - Tickets that would name horse 0 are dropped (fewer than six runners).
TicketLists buildTicketLists(const std::array<int, 6>& marks, int pattern, bool quinellaFlow,
                             bool trifectaFlow, int raceNo);

// True when the lists describe a race with bets (the first quinella entry is
// a real ticket).
bool hasTickets(const TicketLists& lists);

// One bet type of the bet panel: the title label and its two line labels.
struct BetPanelGroup {
    std::string title;
    std::string line1;
    std::string line2;
    bool visible = false;
    bool operator==(const BetPanelGroup&) const = default;
};

// Texts and layout of the bet panel of the main window.
struct BetPanel {
    bool shown = false;     // false: the whole panel is hidden (no bets)
    BetPanelGroup quinella; // lblKai0 (title), lblKai1, lblKai2
    BetPanelGroup trio;     // lblKai5, lblKai6, lblKai7
    BetPanelGroup trifecta; // lblKai10, lblKai11, lblKai12; texts set even when hidden
    int trioLine1X = 631;   // x of lblKai6 / lblKai7: 627 / 628 in pattern 大穴
    int trioLine2X = 631;
    bool operator==(const BetPanel&) const = default;
};

// The bet panel for a race; hidden when M1 or M2 is 0 or the pattern is outside 1..4.
BetPanel betPanel(const std::array<int, 6>& marks, int pattern, bool quinellaFlow,
                  bool trifectaFlow, int raceNo);

} // namespace velmar::engine
