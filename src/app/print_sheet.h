#pragma once
// The printed race sheet: the title block above the main grid and the grid
// itself painted cell by cell on the printer (real text, not a picture).

#include "app/markup_grid.h"
#include "engine/prediction.h"

#include <QPrinter>

#include <string>
#include <vector>

namespace velmar::app {

// The title lines: title 1, title 2, an empty line and, for a race with bets,
// the pattern line, an empty line and three lines of the bet panel (quinella,
// trio and, when the race offers it, trifecta side by side in 32-byte
// columns). UTF-8, one entry per printed line.
std::vector<std::string> printTitleLines(const engine::Prediction& prediction);

// Prints the title lines and then the grid: fixed header row repeated on every
// page, columns shrunk to the page width when wider. False when the printer
// could not be started.
bool printRaceSheet(QPrinter& printer, const std::vector<std::string>& titleLines,
                    const MarkupGrid& grid);

} // namespace velmar::app
