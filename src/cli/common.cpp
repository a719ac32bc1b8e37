#include "cli/commands.h"

#include <cstdlib>
#include <ctime>
#include <iostream>

namespace velmar::cli {

namespace {
int g_exit = 0;
}

void setExitCode(int code) {
    g_exit = code;
}
int exitCode() {
    return g_exit;
}

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

Result<data::RaceDay> loadDay(const std::filesystem::path& home) {
    data::RaceDay day;
    auto loaded = data::loadRaceDay(home, day);
    if (!loaded)
        return loaded.error();
    if (!*loaded || day.raceCount == 0)
        return Error{"レースデータがありません: " + home.string()};
    return day;
}

engine::PredictOptions predictOptionsFor(const std::filesystem::path& home) {
    engine::PredictOptions options;
    options.home = home;
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    options.now = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec};
    return options;
}

} // namespace velmar::cli
