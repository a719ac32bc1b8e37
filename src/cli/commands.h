#pragma once
// Command groups of velmar-cli. Each registers its subcommands; a command
// stores its exit status through setExitCode.

#include "data/race_day.h"
#include "data/result.h"
#include "engine/prediction.h"

#include <filesystem>
#include <string>

namespace CLI {
class App;
}

namespace velmar::cli {

void registerDataCommands(CLI::App& app);
void registerEngineCommands(CLI::App& app);
void registerExportCommands(CLI::App& app);
void registerImportCommands(CLI::App& app);
// gapdata, history, and "export gapkmi" (register after the export group).
void registerHistoryCommands(CLI::App& app);
void registerDownloadCommands(CLI::App& app);

// The import's gap-data step: creates the day's gap data and history rows
// into gapFile (nothing when the odds are of another day).
Status createGapDataForImport(const std::filesystem::path& home,
                              const std::filesystem::path& gapFile, const data::RaceDay& day);

// The Velmar home: --home, else VELMAR_HOME, else ~/.local/share/velmar.
std::filesystem::path resolveHome(const std::string& option);

// The race-day files of the home; an error when they are missing, unreadable
// or hold no race.
Result<data::RaceDay> loadDay(const std::filesystem::path& home);

// Prediction options of a command: the home's standard data and the local
// date and time as "now".
engine::PredictOptions predictOptionsFor(const std::filesystem::path& home);

void setExitCode(int code);
int exitCode();

// Prints a message (UTF-8) to stderr and sets a non-zero exit status.
void fail(const std::string& message, int code = 1);

} // namespace velmar::cli
