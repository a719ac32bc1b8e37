// Imports arbitrary bytes as a CNX archive into a fresh home. Whatever the
// bytes, the import must not write outside the home, must leave no links or
// temporaries behind, and a failed import must leave the home and the loaded
// day exactly as they were.

#include "data/archive.h"
#include "data/import.h"
#include "data/race_day.h"
#include "fuzz_check.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace velmar::data;

namespace {

// Relative path -> content ("<dir>" for folders, "<link>" for links).
std::map<std::string, std::string> treeOf(const fs::path& root) {
    std::map<std::string, std::string> items;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const auto st = it->symlink_status();
        std::string rel = it->path().lexically_relative(root).generic_string();
        if (fs::is_symlink(st)) {
            items[rel] = "<link>";
        } else if (fs::is_directory(st)) {
            items[rel] = "<dir>";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            items[rel] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return items;
}

const fs::path& workDir() {
    static const fs::path dir = [] {
        fs::path d =
            fs::temp_directory_path() / ("velmar-fuzz-archive-" + std::to_string(getpid()));
        fs::remove_all(d);
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path work = workDir() / "run";
    // Registered after workDir() exists, so it runs before the path is destroyed.
    static const bool cleanup = [] {
        return std::atexit([] {
                   std::error_code ec;
                   fs::remove_all(workDir(), ec);
               }) == 0;
    }();
    (void)cleanup;
    fs::remove_all(work);
    const fs::path home = work / "home";
    fs::create_directories(home / "Gap");
    {
        std::ofstream(home / "cnx_uma.vd2", std::ios::binary) << "earlier horses\r\n";
        std::ofstream(work / "hz261213.lzh", std::ios::binary)
            .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto before = treeOf(work);

    (void)listArchive(work / "hz261213.lzh");

    RaceDay day;
    day.raceLines = {"kept"};
    day.raceCount = 1;
    ImportHooks hooks;
    int shown = 0;
    hooks.showFirstRace = [&shown](const RaceDay&) { ++shown; };
    ImportResult r = importArchive(home, work / "hz261213.lzh", day, hooks);

    const auto after = treeOf(work);
    for (const auto& [rel, content] : after) {
        // Nothing beside the home, no links, no temporaries left over.
        FUZZ_CHECK(rel == "hz261213.lzh" || rel == "home" || rel.starts_with("home/"));
        FUZZ_CHECK(content != "<link>");
        FUZZ_CHECK(rel.find(".velmar-extract-") == std::string::npos);
    }
    if (!r.ok()) {
        // Refused or failed while extracting: the home is as it was. (A
        // failure after extraction, e.g. a day beyond the capacities, keeps
        // the extracted files, but never the loaded day.)
        if (*r.message == kNotCnxDataMessage || r.message->starts_with(kExtractErrorHead))
            FUZZ_CHECK(after == before);
        FUZZ_CHECK(day.raceLines == std::vector<std::string>{"kept"});
        FUZZ_CHECK(shown == 0);
        FUZZ_CHECK(!r.message->empty());
    } else {
        FUZZ_CHECK(shown == (day.raceCount > 0 ? 1 : 0));
    }
    fs::remove_all(work);
    return 0;
}
