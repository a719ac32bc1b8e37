#pragma once
// A private Velmar home per test, removed afterwards, and small helpers for
// the Firebird tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace velmar::testing {

class TempHome {
  public:
    explicit TempHome(std::string_view name = "velmar-history") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempHome() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
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
