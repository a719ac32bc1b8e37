// velmar-cli: the same core as the desktop program, for scripts and tests.

#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    CLI::App app{"Velmar コマンドライン"};
    app.require_subcommand(1);
    velmar::cli::registerDataCommands(app);
    velmar::cli::registerEngineCommands(app);
    velmar::cli::registerExportCommands(app);
    velmar::cli::registerImportCommands(app);
    velmar::cli::registerHistoryCommands(app);
    velmar::cli::registerDownloadCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return velmar::cli::exitCode();
}
