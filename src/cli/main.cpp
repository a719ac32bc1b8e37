// velmar-cli: the same core as the desktop program, for scripts and tests.

#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <cstring>
#include <iostream>
#include <langinfo.h>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // Paths are UTF-8 and the database engine converts file names with the
    // locale's character type: without a UTF-8 one (no LANG, as under cron)
    // a Japanese folder name could not be opened.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
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
