#pragma once
// Helpers shared by the archive and import tests: a private temporary folder
// and a snapshot of a folder tree to prove that nothing changed.

#include "support/temp_dir.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

namespace velmar::testing {

inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void spit(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every item below `root` (links not followed): relative path -> content for
// files, "<dir>" for folders, "-> target" for links.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> items;
    if (!fs::exists(fs::symlink_status(root)))
        return items;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const auto rel = it->path().lexically_relative(root).generic_string();
        const auto st = it->symlink_status();
        if (fs::is_symlink(st))
            items[rel] = "-> " + fs::read_symlink(it->path()).string();
        else if (fs::is_directory(st))
            items[rel] = "<dir>";
        else
            items[rel] = slurp(it->path());
    }
    return items;
}

} // namespace velmar::testing
