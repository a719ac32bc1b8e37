#include "cli/commands.h"

#include <cstdlib>
#include <iostream>

namespace velmar::cli {

namespace {
int g_exit = 0;
}

void setExitCode(int code) { g_exit = code; }
int exitCode() { return g_exit; }

void fail(const std::string& message, int code) {
    std::cerr << message << std::endl;
    g_exit = code;
}

std::filesystem::path resolveHome(const std::string& option) {
    if (!option.empty())
        return std::filesystem::absolute(option);
    if (const char* env = std::getenv("VELMAR_HOME"); env && *env)
        return std::filesystem::absolute(env);
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data)
        return std::filesystem::path(data) / "velmar";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".local/share/velmar";
}

} // namespace velmar::cli
