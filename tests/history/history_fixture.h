#pragma once
// A private Velmar home per test, removed afterwards, and small helpers for
// the Firebird tests.

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace velmar::testing {

// A private Velmar home per test.
class TempHome : public TempDir {
  public:
    explicit TempHome(std::string_view name = "velmar-history") : TempDir(name) {}
};

inline void writeBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string readBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace velmar::testing
