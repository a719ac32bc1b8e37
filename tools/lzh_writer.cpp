#include "tools/lzh_writer.h"

#include "data/atomic_file.h"

#include <array>

namespace velmar::tools {

namespace {

constexpr std::uint16_t kUnixFile = 0100000;
constexpr std::uint16_t kUnixDirectory = 0040000;
constexpr std::uint16_t kUnixSymlink = 0120000;

void put8(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
}
void put16(std::string& out, unsigned v) {
    put8(out, v);
    put8(out, v >> 8);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void set16(std::string& out, std::size_t at, unsigned v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// One extended header: its size (type, data and the next size field) was
// written by the previous one, so a header is written as [size][type][data]
// and the chain ends with a zero size.
void putExtended(std::string& out, unsigned type, std::string_view data) {
    put16(out, static_cast<unsigned>(data.size() + 3));
    put8(out, type);
    out.append(data);
}

std::string entryHeader(const LzhEntry& e) {
    std::string dir;
    std::string file = e.name;
    if (e.splitDirectory) {
        auto slash = e.name.rfind('/');
        if (slash != std::string::npos) {
            dir = e.name.substr(0, slash + 1);
            file = e.name.substr(slash + 1);
        }
        // LHA separates folders with 0xFF in the directory header.
        for (char& c : dir)
            if (c == '/')
                c = static_cast<char>(0xFF);
    }
    if (e.kind == LzhEntryKind::Symlink)
        file += "|" + e.linkTarget;

    const bool isFile = e.kind == LzhEntryKind::File;
    const std::string_view data = isFile ? std::string_view(e.data) : std::string_view();
    std::uint16_t typeBits = isFile                              ? kUnixFile
                             : e.kind == LzhEntryKind::Directory ? kUnixDirectory
                                                                 : kUnixSymlink;

    std::string h;
    put16(h, 0); // header size, set below
    h.append(isFile ? e.method.substr(0, 5) : std::string("-lhd-"));
    h.resize(7, ' ');
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, e.originalSize.value_or(static_cast<std::uint32_t>(data.size())));
    put32(h, e.mtime);
    put8(h, 0x20); // reserved (MS-DOS archive attribute)
    put8(h, 2);    // header level
    put16(h, e.dataCrc.value_or(lzhCrc16(data)));
    put8(h, 'U'); // written on Unix

    putExtended(h, 0x00, std::string(2, '\0')); // header CRC, filled in below
    const std::size_t crcAt = h.size() - 2;
    putExtended(h, 0x01, file);
    if (!dir.empty())
        putExtended(h, 0x02, dir);
    std::string mode;
    std::uint16_t perm = e.unixMode & 07777;
    if (e.kind == LzhEntryKind::Directory)
        perm |= 0111; // a folder without search permission could not be filled
    put16(mode, static_cast<std::uint16_t>(typeBits | perm));
    putExtended(h, 0x50, mode);
    put16(h, 0); // no further extended header

    // A level 2 header whose size has a zero low byte would read as the end
    // marker: pad it by one byte, as LHA does.
    if ((h.size() & 0xFF) == 0)
        put8(h, 0);
    set16(h, 0, static_cast<unsigned>(h.size()));
    set16(h, crcAt, lzhCrc16(h));
    return h;
}

} // namespace

std::string lzhArchive(const std::vector<LzhEntry>& entries, const LzhOptions& options) {
    std::string out;
    for (const auto& e : entries) {
        out += entryHeader(e);
        if (e.kind == LzhEntryKind::File)
            out += e.data;
    }
    if (options.terminator)
        out.push_back('\0');
    return out;
}

Status writeLzhArchive(const std::filesystem::path& path, const std::vector<LzhEntry>& entries,
                       const LzhOptions& options) {
    return data::writeFileAtomic(path, lzhArchive(entries, options));
}

} // namespace velmar::tools
