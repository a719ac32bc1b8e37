#pragma once
// Listing and extracting LZH archives (libarchive underneath).
//
// Extraction is all-or-nothing and confined to the target folder:
// - every entry is checked before anything is written; an archive holding an
//   absolute name, a ".." component, a link or device entry, an unsupported
//   method, two entries that need the same name as a file and as a folder, or
//   more data than a race day can hold is refused whole;
// - every file is extracted to a temporary file in a private folder inside
//   the target and its CRC is checked; only when all entries came out intact
//   are they renamed into place (in archive order, so of two entries with the
//   same name the later one wins). A damaged, truncated or unsupported
//   archive therefore never leaves a half-written or partial day behind.
// - entries in sub-folders are extracted into the same sub-folders of the
//   target (never above it); permissions and times from the archive are not
//   applied, so every extracted file is an ordinary readable file.
//
// Folders are separated by "/" or, as MS-DOS archivers write them, by a
// backslash that is not the second byte of a CP932 character.
// Entry names are read as the bytes stored in the archive (CP932 on the
// service's archives) and decoded here; file names on disk are UTF-8 when the
// stored bytes are valid CP932, else the stored bytes.

#include "data/result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar::data {

enum class ArchiveEntryKind { File, Directory, Link, Other };

struct ArchiveEntry {
    std::string rawName; // stored bytes, folders separated by "/"
    std::string name;    // UTF-8 (CP932 decoded), for messages and file names
    ArchiveEntryKind kind = ArchiveEntryKind::File;
    std::optional<std::int64_t> size; // original size of a file entry when known
};

struct ArchiveListing {
    std::vector<ArchiveEntry> entries;
    // False when reading stopped at a damaged header: `entries` holds what
    // came before it.
    bool complete = true;
};

// Lists the entries. An error when the file cannot be read or is not an LZH
// archive at all.
Result<ArchiveListing> listArchive(const std::filesystem::path& archive);

// Error codes reported during extraction (the number shown before " : ").
enum ArchiveErrorCode : int {
    kArchiveOpenError = 1,         // the archive cannot be read or is not an archive
    kArchiveDamaged = 2,           // damaged or truncated archive
    kArchiveCrcError = 3,          // data CRC mismatch
    kArchiveUnsupportedMethod = 4, // compression method not supported
    kArchiveUnsafeName = 5,        // absolute name, "..", control characters, name clash
    kArchiveLinkEntry = 6,         // symbolic/hard link or special file
    kArchiveWriteError = 7,        // the target folder cannot be written
    kArchiveTooLarge = 8,          // more data than an archive of race data can hold
};

// Extraction callbacks; any may be empty.
struct ExtractHooks {
    std::function<void(int percent)> progress; // 0-100 over the whole archive
    std::function<void()> finished;            // once, at the end (also after errors)
    std::function<void(int code, const std::string& message)> error;
};

// Limits that keep a hostile archive from filling the disk: the archive file
// itself and the sum of its extracted entries.
inline constexpr std::int64_t kMaxArchiveBytes = 256LL << 20;
inline constexpr std::int64_t kMaxExtractedBytes = 512LL << 20;

// Extracts every entry into `target` (an existing folder), replacing files of
// the same name. True when every entry was extracted; otherwise nothing was
// written and each problem went to `hooks.error`.
bool extractArchive(const std::filesystem::path& archive, const std::filesystem::path& target,
                    const ExtractHooks& hooks = {});

// Several archives as one: each is checked and extracted to temporaries in
// turn (progress 0-100 and `finished` per archive, errors of all of them),
// and only when all succeeded are their files moved into `target`, in the
// order given (a later archive's file replaces an earlier one of the same
// name). A failure in any of them writes nothing.
bool extractArchives(const std::vector<std::filesystem::path>& archives,
                     const std::filesystem::path& target, const ExtractHooks& hooks = {});

// CRC-16 of LZH archives (polynomial 0xA001, reflected), over headers and data.
std::uint16_t lzhCrc16(std::string_view bytes, std::uint16_t crc = 0);

} // namespace velmar::data
