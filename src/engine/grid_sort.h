#pragma once
// Sorting of the main grid through the hidden sort table, the header-click
// rules and the window size after a prediction.

#include "engine/prediction.h"

#include <optional>
#include <string>

namespace velmar::engine {

// Status text of a sort code ("" for 0 and 1) and the sort table column it
// sorts by; column -1 for a code that is not a sort code.
std::string sortStatusText(int code);
int sortTableColumn(int code);

// Sorts the hidden table by the code's column (with the pre-sorts of codes 10
// and 11; stable, numbers compared as numbers) and puts the main grid rows in
// the same order. An unknown code changes nothing.
void applySort(Prediction& p, int code, bool ascending);

// Re-applies the current sort after a prediction: code 1 keeps horse order
// with the marker on column 1 ascending; any other code sorts ascending for
// 0 and descending otherwise.
void reapplySort(Prediction& p, int sortCode);

struct HeaderClick {
    int code = 1;
    bool ascending = true;
    int markerColumn = 1;
    bool operator==(const HeaderClick&) const = default;
};

// The new sort of a click on header column `column` under `currentCode`;
// none when the click does nothing (past-race columns, 印 without rated
// favourites).
std::optional<HeaderClick> headerClick(int column, int currentCode, bool favouritesRated);

// A header click on the grid: applies the new sort (marker, direction, rows)
// and stores its code in `sortCode`; false when the click does nothing.
bool applyHeaderClick(Prediction& p, int column, int& sortCode);

struct WindowSize {
    int width = 0;
    int height = 0;
    int column3Width = 0;
    bool operator==(const WindowSize&) const = default;
};

// The window size after a prediction; none when auto-resize is off.
// `rowCount` counts the header row.
std::optional<WindowSize> autoResizeWindow(int rowCount, bool showThreeRaces, bool autoResize);

} // namespace velmar::engine
