#pragma once
// Files the program writes are written whole to a temporary file in the same
// folder and renamed over the target, so a failed write never leaves a
// half-written file or destroys the earlier one.

#include "data/result.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::data {

Status writeFileAtomic(const std::filesystem::path& target, std::string_view bytes);

// Joins UTF-8 lines, each ended by CR LF, and encodes them as CP932.
std::string sjisLines(const std::vector<std::string>& lines);

// Reads a whole file; an error names the file.
Result<std::string> readFile(const std::filesystem::path& path);

// A file mapped read-only into memory: large day files are split into lines
// straight from the page cache instead of being copied into a buffer first.
class MappedFile final {
  public:
    static Result<MappedFile> open(const std::filesystem::path& path);
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }

  private:
    MappedFile() = default;
    void* data_ = nullptr;
    size_t size_ = 0;
};

// Splits file content into lines at LF, CR LF or CR (a final line break does not
// start another line).
std::vector<std::string> splitLines(std::string_view content);

} // namespace velmar::data
