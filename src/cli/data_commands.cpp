#include "cli/commands.h"

#include <CLI/CLI.hpp>

namespace velmar::cli {

void registerDataCommands(CLI::App& /*app*/) {}

} // namespace velmar::cli
