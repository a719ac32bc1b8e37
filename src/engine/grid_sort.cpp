#include "engine/grid_sort.h"

#include "data/text.h"

#include <algorithm>

namespace velmar::engine {

std::string sortStatusText(int code) {
    switch (code) {
    case 2:
        return "斤量でソート";
    case 6:
        return "R指数でソート";
    case 7:
        return "R順位でソート";
    case 8:
        return "O指数でソート";
    case 9:
        return "O順位でソート";
    case 10:
        return "QV指数でソート";
    case 11:
        return "印でソート";
    case 66:
        return "レイティングでソート";
    case 88:
        return "オッズでソート";
    default:
        return {};
    }
}

int sortTableColumn(int code) {
    switch (code) {
    case 0:
    case 1:
        return 0;
    case 2:
        return 2;
    case 6:
        return 5;
    case 7:
        return 4;
    case 8:
        return 8;
    case 9:
        return 7;
    case 10:
        return 9;
    case 11:
        return 1;
    case 66:
        return 3;
    case 88:
        return 6;
    default:
        return -1;
    }
}

namespace {

struct Row {
    KuraiRow kurai;
    GridRow grid;
};

// Cells of the sort table are plain numbers (or empty, which counts as 0).
void stableSortColumn(std::vector<Row>& rows, int column, bool ascending) {
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        const double x = data::floatOf(a.kurai[column]);
        const double y = data::floatOf(b.kurai[column]);
        return ascending ? x < y : y < x;
    });
}

} // namespace

void applySort(Prediction& p, int code, bool ascending) {
    const int column = sortTableColumn(code);
    if (column < 0)
        return;
    p.grid.sortStatusText = sortStatusText(code);
    p.grid.sortAscending = ascending;

    // Pair every sort-table row with its grid row by horse number; a grid row
    // without a partner keeps its place.
    std::vector<Row> rows;
    rows.reserve(p.kurai.size());
    std::vector<GridRow> unmatched;
    std::vector<bool> used(p.grid.rows.size(), false);
    for (const KuraiRow& k : p.kurai) {
        Row r{k, {}};
        const int32_t h = data::intOf(k[0]);
        for (size_t g = 0; g < p.grid.rows.size(); ++g) {
            if (!used[g] && p.grid.rows[g].horse == h && h != 0) {
                r.grid = p.grid.rows[g];
                used[g] = true;
                break;
            }
        }
        rows.push_back(std::move(r));
    }

    if (code == 11) {
        stableSortColumn(rows, 9, ascending);
    } else if (code == 10) {
        stableSortColumn(rows, 3, ascending);
        stableSortColumn(rows, 6, true);
        ascending = false;
    }
    stableSortColumn(rows, column, ascending);

    for (size_t r = 0; r < rows.size(); ++r)
        p.kurai[r] = rows[r].kurai;
    // Grid rows follow the table; rows with no partner stay where they were.
    if (std::all_of(used.begin(), used.end(), [](bool u) { return u; }) &&
        rows.size() == p.grid.rows.size()) {
        for (size_t r = 0; r < rows.size(); ++r)
            p.grid.rows[r] = std::move(rows[r].grid);
    }
}

void reapplySort(Prediction& p, int sortCode) {
    if (sortCode == 1 || sortTableColumn(sortCode) < 0) {
        p.grid.sortMarkerColumn = 1;
        p.grid.sortAscending = true;
        return;
    }
    // The marker sits on the header that selects the code (66 on R, 88 on O).
    p.grid.sortMarkerColumn = sortCode == 66 ? 6 : sortCode == 88 ? 8 : sortCode;
    applySort(p, sortCode, sortCode == 0);
}

std::optional<HeaderClick> headerClick(int column, int code, bool favouritesRated) {
    const HeaderClick byHorse{1, true, 1};
    switch (column) {
    case 0:
        return code == 0 ? byHorse : HeaderClick{0, true, 0};
    case 1:
        return byHorse;
    case 2:
        return code == 2 ? byHorse : HeaderClick{2, false, 2};
    case 6:
        if (code == 66)
            return byHorse;
        return code == 6 ? HeaderClick{66, false, 6} : HeaderClick{6, false, 6};
    case 7:
        return code == 7 ? byHorse : HeaderClick{7, true, 7};
    case 8:
        if (code == 88)
            return byHorse;
        return code == 8 ? HeaderClick{88, true, 8} : HeaderClick{8, false, 8};
    case 9:
        return code == 9 ? byHorse : HeaderClick{9, true, 9};
    case 10:
        return code == 10 ? byHorse : HeaderClick{10, false, 10};
    case 11:
        if (!favouritesRated)
            return std::nullopt;
        return code == 11 ? byHorse : HeaderClick{11, false, 11};
    default:
        return std::nullopt;
    }
}

bool applyHeaderClick(Prediction& p, int column, int& sortCode) {
    const auto click = headerClick(column, sortCode, p.favouritesRated);
    if (!click)
        return false;
    applySort(p, click->code, click->ascending);
    p.grid.sortMarkerColumn = click->markerColumn;
    sortCode = click->code;
    return true;
}

std::optional<WindowSize> autoResizeWindow(int rowCount, bool showThreeRaces, bool autoResize) {
    if (!autoResize)
        return std::nullopt;
    return WindowSize{showThreeRaces ? 1175 : 947, rowCount * kGridRowHeight + 150,
                      showThreeRaces ? 228 : 0};
}

} // namespace velmar::engine
