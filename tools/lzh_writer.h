#pragma once
// A small LZH archive writer: level 2 headers, entries stored as they are
// (-lh0-), header CRC and data CRC-16. The sample-day generator uses it to
// package CNX files; tests use it to build archives a real archiver would
// never produce (names with "..", absolute paths, links, damaged data).

#include "data/archive.h"
#include "data/result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::tools {

enum class LzhEntryKind {
    File,      // a regular file; `data` is its content
    Directory, // "-lhd-", no data
    Symlink,   // "-lhd-" with a Unix link mode; the name is stored as "name|target"
};

struct LzhEntry {
    // Path inside the archive as raw bytes (CP932 allowed), folders separated by
    // "/". Stored verbatim: nothing is cleaned, so "../x" and "/etc/x" stay as given.
    std::string name;
    std::string data; // content of a file entry (raw bytes)
    LzhEntryKind kind = LzhEntryKind::File;
    std::string linkTarget; // Symlink only

    // The folder part of `name` goes into the directory header (0x02), the rest
    // into the file-name header (0x01), as archivers do. When false the whole
    // `name`, slashes included, goes into the file-name header.
    bool splitDirectory = true;

    // Method identifier written into the header. The data is always written as
    // given, so any method other than "-lh0-" (e.g. "-lh1-", "-lz5-") makes an
    // entry whose data a reader has to refuse or fail to decode.
    std::string method = "-lh0-";

    std::uint32_t mtime = 1700000000; // Unix time of the entry
    std::uint16_t unixMode = 0644;    // permission bits written in the Unix header (0x50)

    // Faults for tests: a data CRC other than the real one; a size field other
    // than the data's length.
    std::optional<std::uint16_t> dataCrc;
    std::optional<std::uint32_t> originalSize;
};

struct LzhOptions {
    bool terminator = true; // end the archive with the 0x00 end marker
};

// CRC-16 as LHA computes it (polynomial 0xA001, reflected, initial value 0).
using data::lzhCrc16;

// The archive as bytes. Cut the result to make a truncated archive.
std::string lzhArchive(const std::vector<LzhEntry>& entries, const LzhOptions& options = {});

// Writes the archive to `path` (atomically).
Status writeLzhArchive(const std::filesystem::path& path, const std::vector<LzhEntry>& entries,
                       const LzhOptions& options = {});

} // namespace velmar::tools
