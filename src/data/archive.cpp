#include "data/archive.h"

#include "data/shared_library.h"
#include "data/sjis.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <locale.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar::data {

namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------------------
// Small helpers

unsigned byteAt(const std::string& b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
}
unsigned le16(const std::string& b, std::size_t at) {
    return byteAt(b, at) | (byteAt(b, at + 1) << 8);
}
std::uint64_t le32(const std::string& b, std::size_t at) {
    return le16(b, at) | (static_cast<std::uint64_t>(le16(b, at + 2)) << 16);
}

bool isSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string errnoText(int err) {
    return std::strerror(err);
}

// A name as it may appear in a message: control characters (a hostile name can
// carry terminal escapes) shown as "?".
std::string printable(std::string_view utf8) {
    std::string out;
    for (char c : utf8) {
        auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F) ? '?' : c;
    }
    return out;
}

std::string displayName(std::string_view raw) {
    return printable(sjisToUtf8(raw));
}

// libarchive converts entry names only under a UTF-8 locale; the program may
// run under "C". The conversion locale is switched for this thread only.
class Utf8CtypeScope final {
  public:
    Utf8CtypeScope() {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            loc_ = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(nullptr));
            if (loc_ != static_cast<locale_t>(nullptr))
                break;
        }
        if (loc_ != static_cast<locale_t>(nullptr))
            old_ = uselocale(loc_);
    }
    ~Utf8CtypeScope() {
        if (loc_ != static_cast<locale_t>(nullptr)) {
            uselocale(old_);
            freelocale(loc_);
        }
    }
    Utf8CtypeScope(const Utf8CtypeScope&) = delete;
    Utf8CtypeScope& operator=(const Utf8CtypeScope&) = delete;

  private:
    locale_t loc_ = static_cast<locale_t>(nullptr);
    locale_t old_ = static_cast<locale_t>(nullptr);
};

// ---------------------------------------------------------------------------
// Our own walk over the header chain. It records each entry's method and data
// CRC (an independent check of what libarchive extracts) and repairs one
// quirk: Amiga LhA writes its protection bits into the MS-DOS attribute byte
// of level 1 and 2 headers, and libarchive refuses any value there but 0x20.

struct HeaderInfo {
    std::string method;
    std::uint16_t crc = 0;
};

struct HeaderWalk {
    std::vector<HeaderInfo> headers;
    bool complete = false; // reached the end marker or the end of the file cleanly
    // Index of a level 3 header claiming more bytes than the archive holds.
    // libarchive would try to allocate that much (up to 4 GB) before finding
    // out, so reading stops before it.
    std::optional<std::size_t> oversized;
};

constexpr std::uint64_t kMaxLevel3Header = 64 * 1024;

void fixAttributeLevel1(std::string& b, std::size_t pos) {
    unsigned old = byteAt(b, pos + 19);
    if (old == 0x20)
        return;
    // Level 0/1 headers carry an 8-bit sum of their bytes from offset 2.
    b[pos + 1] = static_cast<char>((byteAt(b, pos + 1) + 0x20 - old) & 0xFF);
    b[pos + 19] = 0x20;
}

void fixAttributeLevel2(std::string& b, std::size_t pos, std::size_t headerLen) {
    if (byteAt(b, pos + 19) == 0x20)
        return;
    // Find the header CRC (extended header 0x00); the fix is only made when
    // that CRC was right, so a damaged header stays damaged.
    std::optional<std::size_t> crcAt;
    std::size_t e = pos + 26;
    std::size_t size = le16(b, pos + 24);
    while (size != 0) {
        if (size < 3 || e + size > pos + headerLen)
            return;
        if (byteAt(b, e) == 0x00 && size >= 5)
            crcAt = e + 1;
        std::size_t next = e + size - 2;
        size = le16(b, next);
        e = next + 2;
    }
    std::string_view header(b.data() + pos, headerLen);
    auto crcWithout = [&](std::size_t at) {
        std::string copy(header);
        copy[at - pos] = copy[at - pos + 1] = '\0';
        return lzhCrc16(copy);
    };
    if (crcAt && crcWithout(*crcAt) != le16(b, *crcAt))
        return;
    b[pos + 19] = 0x20;
    if (crcAt) {
        std::uint16_t crc = crcWithout(*crcAt);
        b[*crcAt] = static_cast<char>(crc & 0xFF);
        b[*crcAt + 1] = static_cast<char>(crc >> 8);
    }
}

HeaderWalk walkHeaders(std::string& b) {
    HeaderWalk w;
    std::size_t pos = 0;
    const std::size_t n = b.size();
    while (true) {
        if (pos == n || (pos < n && b[pos] == '\0')) {
            w.complete = true;
            return w;
        }
        if (pos + 26 > n)
            return w;
        if (b[pos + 2] != '-' || b[pos + 3] != 'l' || b[pos + 6] != '-')
            return w;
        HeaderInfo h;
        h.method = b.substr(pos + 2, 5);
        const std::uint64_t packed = le32(b, pos + 7);
        const unsigned level = byteAt(b, pos + 20);
        std::size_t headerLen = 0;
        switch (level) {
        case 0:
        case 1: {
            headerLen = byteAt(b, pos) + 2;
            std::size_t nameLen = byteAt(b, pos + 21);
            if (headerLen < 24 || pos + 24 + nameLen > n)
                return w;
            h.crc = static_cast<std::uint16_t>(le16(b, pos + 22 + nameLen));
            if (level == 1 && pos + headerLen <= n)
                fixAttributeLevel1(b, pos);
            break;
        }
        case 2:
            headerLen = le16(b, pos);
            h.crc = static_cast<std::uint16_t>(le16(b, pos + 21));
            if (headerLen < 26 || pos + headerLen > n)
                return w;
            fixAttributeLevel2(b, pos, headerLen);
            break;
        case 3:
            if (pos + 28 > n)
                return w;
            headerLen = le32(b, pos + 24);
            h.crc = static_cast<std::uint16_t>(le16(b, pos + 21));
            if (headerLen > kMaxLevel3Header || headerLen > n - pos) {
                w.oversized = w.headers.size();
                return w;
            }
            if (headerLen < 28)
                return w;
            break;
        default:
            return w;
        }
        w.headers.push_back(h);
        if (headerLen + packed > n - pos)
            return w; // truncated
        pos += headerLen + packed;
    }
}

// libarchive is opened on first use (see SharedLibrary), so commands that
// never open an archive do not pay for loading it and its compression and
// XML libraries.
struct ArchiveApi {
    decltype(&::archive_read_new) read_new = nullptr;
    decltype(&::archive_read_support_format_lha) read_support_format_lha = nullptr;
    decltype(&::archive_read_set_format_option) read_set_format_option = nullptr;
    decltype(&::archive_read_free) read_free = nullptr;
    decltype(&::archive_read_open) read_open = nullptr;
    decltype(&::archive_error_string) error_string = nullptr;
    decltype(&::archive_entry_pathname_w) entry_pathname_w = nullptr;
    decltype(&::archive_entry_symlink_w) entry_symlink_w = nullptr;
    decltype(&::archive_entry_hardlink) entry_hardlink = nullptr;
    decltype(&::archive_entry_filetype) entry_filetype = nullptr;
    decltype(&::archive_read_next_header) read_next_header = nullptr;
    decltype(&::archive_entry_size_is_set) entry_size_is_set = nullptr;
    decltype(&::archive_entry_size) entry_size = nullptr;
    decltype(&::archive_entry_symlink) entry_symlink = nullptr;
    decltype(&::archive_read_data_skip) read_data_skip = nullptr;
    decltype(&::archive_read_data) read_data = nullptr;
    bool ready = false;
    std::string error;
};

const ArchiveApi& la() {
    static const ArchiveApi api = [] {
        static SharedLibrary lib{"libarchive.so.13", "libarchive.so", "archive.dll",
                                 "libarchive.13.dylib"};
        ArchiveApi a;
        if (!lib.load()) {
            a.error = lib.error();
            return a;
        }
        a.ready = lib.symbol("archive_read_new", a.read_new) &&
                  lib.symbol("archive_read_support_format_lha", a.read_support_format_lha) &&
                  lib.symbol("archive_read_set_format_option", a.read_set_format_option) &&
                  lib.symbol("archive_read_free", a.read_free) &&
                  lib.symbol("archive_read_open", a.read_open) &&
                  lib.symbol("archive_error_string", a.error_string) &&
                  lib.symbol("archive_entry_pathname_w", a.entry_pathname_w) &&
                  lib.symbol("archive_entry_symlink_w", a.entry_symlink_w) &&
                  lib.symbol("archive_entry_hardlink", a.entry_hardlink) &&
                  lib.symbol("archive_entry_filetype", a.entry_filetype) &&
                  lib.symbol("archive_read_next_header", a.read_next_header) &&
                  lib.symbol("archive_entry_size_is_set", a.entry_size_is_set) &&
                  lib.symbol("archive_entry_size", a.entry_size) &&
                  lib.symbol("archive_entry_symlink", a.entry_symlink) &&
                  lib.symbol("archive_read_data_skip", a.read_data_skip) &&
                  lib.symbol("archive_read_data", a.read_data);
        if (!a.ready)
            a.error = "libarchive に必要な関数がありません";
        return a;
    }();
    return api;
}

// ---------------------------------------------------------------------------
// libarchive over an archive held in memory, handed out in small blocks so
// that the consumed share of the archive gives the progress.

class Reader final {
  public:
    explicit Reader(const std::string& bytes)
        : bytes_(bytes), a_(la().ready ? la().read_new() : nullptr) {
        if (!a_)
            return;
        la().read_support_format_lha(a_);
        // Names come back one character per stored byte; we decode CP932
        // ourselves, so a name libarchive cannot convert never stops reading.
        la().read_set_format_option(a_, "lha", "hdrcharset", "ISO-8859-1");
    }
    ~Reader() {
        if (a_)
            la().read_free(a_);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    bool open() {
        return a_ && la().read_open(a_, this, nullptr, &Reader::readBlock, nullptr) == ARCHIVE_OK;
    }
    archive* get() const { return a_; }
    std::string errorText() const {
        if (!a_)
            return la().error;
        const char* s = la().error_string(a_);
        return s ? s : "";
    }
    std::size_t handedOut() const { return offset_; }

  private:
    static la_ssize_t readBlock(archive*, void* self, const void** buffer) {
        auto* r = static_cast<Reader*>(self);
        constexpr std::size_t kBlock = 16 * 1024;
        std::size_t n = std::min(kBlock, r->bytes_.size() - r->offset_);
        *buffer = r->bytes_.data() + r->offset_;
        r->offset_ += n;
        return static_cast<la_ssize_t>(n);
    }

    const std::string& bytes_;
    archive* a_;
    std::size_t offset_ = 0;
};

// The stored bytes of the entry's name. libarchive turned every "\" into "/"
// after decoding, which also hits the second byte of a double-byte CP932
// character (表 is 0x95 0x5C); such a byte is put back.
std::optional<std::string> rawPathname(archive_entry* entry) {
    const wchar_t* w = la().entry_pathname_w(entry);
    if (!w)
        return std::nullopt;
    std::string raw;
    for (; *w; ++w) {
        if (static_cast<unsigned long>(*w) > 0xFF)
            return std::nullopt;
        raw.push_back(static_cast<char>(*w));
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (isSjisLead(static_cast<unsigned char>(raw[i])) && i + 1 < raw.size()) {
            if (raw[i + 1] == '/')
                raw[i + 1] = '\\';
            ++i;
        }
    }
    return raw;
}

std::string rawSymlink(archive_entry* entry) {
    const wchar_t* w = la().entry_symlink_w(entry);
    std::string raw;
    for (; w && *w; ++w)
        raw.push_back(static_cast<char>(*w & 0xFF));
    return raw;
}

struct ScannedEntry {
    ArchiveEntry entry;
    std::string linkTarget;
    bool nameReadable = true;
};

struct Scan {
    std::vector<ScannedEntry> entries;
    bool complete = true;
    std::string stopReason; // libarchive's text when reading stopped
};

Result<std::string> loadArchiveBytes(const fs::path& path) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    if (ec)
        return Error{"書庫ファイルを読み込めません: " + path.string() + " (" + ec.message() + ")"};
    if (size > static_cast<std::uintmax_t>(kMaxArchiveBytes))
        return Error{"書庫ファイルが大きすぎます: " + path.string()};
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        return Error{"書庫ファイルを読み込めません: " + path.string()};
    return bytes;
}

ArchiveEntryKind kindOf(archive_entry* e) {
    if (la().entry_hardlink(e) != nullptr)
        return ArchiveEntryKind::Link;
    switch (la().entry_filetype(e)) {
    case AE_IFREG:
        return ArchiveEntryKind::File;
    case AE_IFDIR:
        return ArchiveEntryKind::Directory;
    case AE_IFLNK:
        return ArchiveEntryKind::Link;
    default:
        return ArchiveEntryKind::Other;
    }
}

// Reads every header (skipping the data). An error when libarchive does not
// take the bytes for an LZH archive at all.
Result<Scan> scanArchive(const std::string& bytes, const fs::path& path, const HeaderWalk& walk) {
    Reader r(bytes);
    if (!r.open())
        return Error{"LZH 書庫ファイルではありません: " + path.string()};
    Scan scan;
    archive_entry* e = nullptr;
    while (true) {
        if (walk.oversized && scan.entries.size() == *walk.oversized) {
            scan.complete = false;
            scan.stopReason = "ヘッダーの大きさが正しくありません";
            break;
        }
        int rc = la().read_next_header(r.get(), &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN) {
            scan.complete = false;
            scan.stopReason = r.errorText();
            break;
        }
        ScannedEntry s;
        auto raw = rawPathname(e);
        s.nameReadable = raw.has_value();
        s.entry.rawName = raw.value_or("");
        s.entry.name = sjisToUtf8(s.entry.rawName);
        s.entry.kind = kindOf(e);
        if (s.entry.kind == ArchiveEntryKind::File && la().entry_size_is_set(e))
            s.entry.size = la().entry_size(e);
        if (la().entry_symlink(e) != nullptr || la().entry_symlink_w(e) != nullptr)
            s.linkTarget = rawSymlink(e);
        scan.entries.push_back(std::move(s));
        if (la().read_data_skip(r.get()) < ARCHIVE_WARN) {
            scan.complete = false;
            scan.stopReason = r.errorText();
            break;
        }
    }
    return scan;
}

// ---------------------------------------------------------------------------
// Extraction

class Reporter {
  public:
    explicit Reporter(const ExtractHooks& hooks) : hooks_(hooks) {}
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

    void error(int code, const std::string& message) {
        failed_ = true;
        if (hooks_.error)
            hooks_.error(code, message);
    }
    void progress(std::size_t done, std::size_t total) {
        int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        percent = std::clamp(percent, 0, 100);
        if (percent != last_ && hooks_.progress) {
            last_ = percent;
            hooks_.progress(percent);
        }
    }
    bool failed() const { return failed_; }
    void finished() {
        last_ = -1;
        if (hooks_.finished)
            hooks_.finished();
    }

  private:
    const ExtractHooks& hooks_;
    bool failed_ = false;
    int last_ = -1;
};

// Where an entry goes below the target: folder components decoded one by one.
struct Destination {
    std::vector<std::string> parts; // file-system names, at least one for a file
};

bool validCp932(std::string_view raw) {
    return sjisToUtf8(raw).find("\xEF\xBF\xBD") == std::string::npos;
}

// Checks a stored name; nothing is written for an archive with a name that
// fails here. An empty result means "the target folder itself".
Result<Destination> destinationOf(const std::string& raw) {
    const std::string shown = displayName(raw);
    if (!raw.empty() && (raw[0] == '/' || raw[0] == '\\'))
        return Error{"絶対パスの項目は展開できません: " + shown};
    if (raw.size() >= 2 && raw[1] == ':' && std::isalpha(static_cast<unsigned char>(raw[0])))
        return Error{"絶対パスの項目は展開できません: " + shown};
    Destination d;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= raw.size(); ++i) {
        bool end = i == raw.size();
        if (!end && isSjisLead(static_cast<unsigned char>(raw[i])) && i + 1 < raw.size()) {
            ++i;
            continue;
        }
        // A backslash at a character boundary is the MS-DOS folder separator.
        if (!end && raw[i] != '/' && raw[i] != '\\')
            continue;
        std::string part = raw.substr(start, i - start);
        start = i + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return Error{"上位のフォルダーを指す項目は展開できません: " + shown};
        for (unsigned char c : part)
            if (c < 0x20 || c == 0x7F)
                return Error{"ファイル名に使えない文字を含む項目は展開できません: " + shown};
        d.parts.push_back(validCp932(part) ? sjisToUtf8(part) : part);
    }
    return d;
}

fs::path joined(const fs::path& base, const std::vector<std::string>& parts, std::size_t count) {
    fs::path p = base;
    for (std::size_t i = 0; i < count; ++i)
        p /= parts[i];
    return p;
}

std::string relativeKey(const std::vector<std::string>& parts, std::size_t count) {
    std::string k;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            k += '/';
        k += parts[i];
    }
    return k;
}

bool supportedMethod(const std::string& m) {
    return m == "-lh0-" || m == "-lh5-" || m == "-lh6-" || m == "-lh7-" || m == "-lhd-";
}

int classify(const std::string& libarchiveText) {
    if (libarchiveText.find("CRC") != std::string::npos)
        return kArchiveCrcError;
    if (libarchiveText.find("Unsupported") != std::string::npos ||
        libarchiveText.find("unsupported") != std::string::npos)
        return kArchiveUnsupportedMethod;
    return kArchiveDamaged;
}

std::string libarchiveMessage(int code, const std::string& name, const std::string& detail) {
    std::string text;
    switch (code) {
    case kArchiveCrcError:
        text = "CRC エラーが発生しました: " + name;
        break;
    case kArchiveUnsupportedMethod:
        text = "未対応の圧縮形式です: " + name;
        break;
    default:
        text = "書庫ファイルが壊れています: " + name;
        break;
    }
    if (!detail.empty())
        text += " (" + detail + ")";
    return text;
}

// A private folder for the temporaries, removed whatever happens.
class Staging final {
  public:
    explicit Staging(const fs::path& target) {
        std::string pattern = (target / ".velmar-extract-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            dir_ = pattern;
        else
            err_ = errno;
    }
    ~Staging() {
        if (!dir_.empty()) {
            std::error_code ec;
            fs::remove_all(dir_, ec);
        }
    }
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    bool ok() const { return !dir_.empty(); }
    int error() const { return err_; }
    fs::path file(std::size_t index) const { return dir_ / std::to_string(index); }

  private:
    fs::path dir_;
    int err_ = 0;
};

struct Planned {
    std::size_t index; // entry index in the archive
    Destination dest;
    bool isFile;
};

// Writes one entry's data to its temporary; false after reporting a problem.
bool extractData(Reader& r, std::size_t archiveSize, const ScannedEntry& s, const fs::path& temp,
                 std::optional<std::uint16_t> expectedCrc, std::int64_t& total, Reporter& report) {
    const std::string shown = displayName(s.entry.rawName);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        report.error(kArchiveWriteError,
                     "ファイルを書き込めません: " + temp.string() + " (" + errnoText(errno) + ")");
        return false;
    }
    std::array<char, 64 * 1024> buf{};
    std::uint16_t crc = 0;
    std::int64_t written = 0;
    bool ok = true;
    while (ok) {
        la_ssize_t n = la().read_data(r.get(), buf.data(), buf.size());
        if (n == 0)
            break;
        if (n < 0) {
            std::string detail = r.errorText();
            report.error(classify(detail), libarchiveMessage(classify(detail), shown, detail));
            ok = false;
            break;
        }
        total += n;
        written += n;
        if (total > kMaxExtractedBytes) {
            report.error(kArchiveTooLarge, "展開後のデータが大きすぎます: " + shown);
            ok = false;
            break;
        }
        crc = lzhCrc16(std::string_view(buf.data(), static_cast<std::size_t>(n)), crc);
        for (la_ssize_t done = 0; done < n;) {
            ssize_t w = ::write(fd, buf.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0) {
                report.error(kArchiveWriteError,
                             "ファイルを書き込めません: " + shown + " (" + errnoText(errno) + ")");
                ok = false;
                break;
            }
            done += w;
        }
        report.progress(r.handedOut(), archiveSize);
    }
    if (ok && s.entry.size && written != *s.entry.size) {
        report.error(kArchiveDamaged, "書庫ファイルが壊れています: " + shown);
        ok = false;
    }
    if (ok && expectedCrc && crc != *expectedCrc) {
        report.error(kArchiveCrcError, "CRC エラーが発生しました: " + shown);
        ok = false;
    }
    if (::fsync(fd) != 0 && ok) {
        report.error(kArchiveWriteError,
                     "ファイルを書き込めません: " + shown + " (" + errnoText(errno) + ")");
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        report.error(kArchiveWriteError,
                     "ファイルを書き込めません: " + shown + " (" + errnoText(errno) + ")");
        ok = false;
    }
    return ok;
}

} // namespace

Result<ArchiveListing> listArchive(const fs::path& archive) {
    auto bytes = loadArchiveBytes(archive);
    if (!bytes)
        return bytes.error();
    const HeaderWalk walk = walkHeaders(*bytes);
    Utf8CtypeScope ctype;
    auto scan = scanArchive(*bytes, archive, walk);
    if (!scan)
        return scan.error();
    ArchiveListing listing;
    listing.complete = scan->complete;
    for (auto& s : scan->entries)
        listing.entries.push_back(std::move(s.entry));
    return listing;
}

namespace {

// One archive checked and extracted into its temporaries, ready to be moved.
struct Prepared {
    std::unique_ptr<Staging> staging;
    std::vector<Planned> plan;
};

std::optional<Prepared> prepareArchive(const fs::path& archive, const fs::path& target,
                                       Reporter& report) {
    auto bytes = loadArchiveBytes(archive);
    if (!bytes) {
        report.error(kArchiveOpenError, bytes.error().message);
        return std::nullopt;
    }
    const HeaderWalk walk = walkHeaders(*bytes);

    // First pass: every name and kind, before anything is written.
    auto scan = scanArchive(*bytes, archive, walk);
    if (!scan) {
        report.error(kArchiveOpenError, scan.error().message);
        return std::nullopt;
    }
    // Our header walk and libarchive agree on the entries: the methods and
    // CRCs it recorded belong to them.
    const bool walkMatches = walk.complete && walk.headers.size() == scan->entries.size();

    Prepared prepared;
    std::vector<Planned>& plan = prepared.plan;
    std::set<std::string> fileKeys;
    std::set<std::string> folderKeys;
    std::int64_t declared = 0;
    bool refused = false;
    auto refuse = [&](int code, const std::string& message) {
        refused = true;
        report.error(code, message);
    };
    for (std::size_t i = 0; i < scan->entries.size(); ++i) {
        const ScannedEntry& s = scan->entries[i];
        const std::string shown = displayName(s.entry.rawName);
        if (s.entry.kind == ArchiveEntryKind::Link) {
            refuse(kArchiveLinkEntry,
                   "リンクの項目は展開できません: " + shown +
                       (s.linkTarget.empty() ? std::string() : " -> " + displayName(s.linkTarget)));
            continue;
        }
        if (s.entry.kind == ArchiveEntryKind::Other) {
            refuse(kArchiveLinkEntry, "特殊なファイルの項目は展開できません: " + shown);
            continue;
        }
        if (!s.nameReadable) {
            refuse(kArchiveUnsafeName, "読めない名前の項目があります");
            continue;
        }
        auto dest = destinationOf(s.entry.rawName);
        if (!dest) {
            refuse(kArchiveUnsafeName, dest.error().message);
            continue;
        }
        if (walkMatches && !supportedMethod(walk.headers[i].method)) {
            refuse(kArchiveUnsupportedMethod, "未対応の圧縮形式です: " + shown + " (" +
                                                  printable(walk.headers[i].method) + ")");
            continue;
        }
        const bool isFile = s.entry.kind == ArchiveEntryKind::File;
        if (isFile && dest->parts.empty()) {
            refuse(kArchiveUnsafeName, "名前のないファイルの項目は展開できません");
            continue;
        }
        if (dest->parts.empty())
            continue; // a folder entry for the target itself
        const std::size_t folders = isFile ? dest->parts.size() - 1 : dest->parts.size();
        for (std::size_t k = 1; k <= folders; ++k)
            folderKeys.insert(relativeKey(dest->parts, k));
        if (isFile) {
            fileKeys.insert(relativeKey(dest->parts, dest->parts.size()));
            declared += s.entry.size.value_or(0);
        }
        plan.push_back({i, std::move(*dest), isFile});
    }
    for (const auto& k : fileKeys)
        if (folderKeys.count(k))
            refuse(kArchiveUnsafeName,
                   "ファイルとフォルダーに同じ名前が使われています: " + printable(k));
    if (declared > kMaxExtractedBytes)
        refuse(kArchiveTooLarge, "展開後のデータが大きすぎます: " + archive.filename().string());
    if (!scan->complete)
        refuse(classify(scan->stopReason),
               libarchiveMessage(classify(scan->stopReason), archive.filename().string(),
                                 scan->stopReason));
    if (refused)
        return std::nullopt;

    // Second pass: data into temporaries, each checked.
    prepared.staging = std::make_unique<Staging>(target);
    if (!prepared.staging->ok()) {
        report.error(kArchiveWriteError, "展開先に書き込めません: " + target.string() + " (" +
                                             errnoText(prepared.staging->error()) + ")");
        return std::nullopt;
    }
    Reader r(*bytes);
    if (!r.open()) {
        report.error(kArchiveOpenError, "LZH 書庫ファイルではありません: " + archive.string());
        return std::nullopt;
    }
    report.progress(0, 1);
    std::int64_t total = 0;
    archive_entry* e = nullptr;
    std::size_t next = 0;
    for (std::size_t i = 0; i < scan->entries.size(); ++i) {
        int rc = la().read_next_header(r.get(), &e);
        if (rc < ARCHIVE_WARN || rc == ARCHIVE_EOF) {
            std::string detail = r.errorText();
            report.error(kArchiveDamaged,
                         libarchiveMessage(kArchiveDamaged, archive.filename().string(), detail));
            return std::nullopt;
        }
        const bool planned = next < plan.size() && plan[next].index == i;
        if (planned && plan[next].isFile) {
            std::optional<std::uint16_t> crc;
            if (walkMatches)
                crc = walk.headers[i].crc;
            if (!extractData(r, bytes->size(), scan->entries[i], prepared.staging->file(i), crc,
                             total, report))
                return std::nullopt;
        } else if (la().read_data_skip(r.get()) < ARCHIVE_WARN) {
            std::string detail = r.errorText();
            report.error(classify(detail),
                         libarchiveMessage(classify(detail), archive.filename().string(), detail));
            return std::nullopt;
        }
        if (planned)
            ++next;
        report.progress(r.handedOut(), bytes->size());
    }
    report.progress(1, 1);
    return prepared;
}

// Moves prepared archives into the target, in order. Every place is checked
// first (a file where a folder is needed, a link standing in for a folder, a
// folder where a file goes), so a refusal moves nothing.
bool commitPrepared(std::vector<Prepared>& all, const fs::path& target, Reporter& report) {
    for (const auto& prepared : all) {
        for (const auto& p : prepared.plan) {
            const std::size_t folders = p.isFile ? p.dest.parts.size() - 1 : p.dest.parts.size();
            for (std::size_t k = 1; k <= folders; ++k) {
                std::error_code ec;
                auto st = fs::symlink_status(joined(target, p.dest.parts, k), ec);
                if (fs::exists(st) && !fs::is_directory(st)) {
                    report.error(kArchiveWriteError,
                                 "フォルダーを作成できません (同じ名前のファイルがあります): " +
                                     printable(relativeKey(p.dest.parts, k)));
                    return false;
                }
            }
            if (p.isFile) {
                std::error_code ec;
                auto st = fs::symlink_status(joined(target, p.dest.parts, p.dest.parts.size()), ec);
                if (fs::is_directory(st)) {
                    report.error(kArchiveWriteError,
                                 "ファイルを書き込めません (同じ名前のフォルダーがあります): " +
                                     printable(relativeKey(p.dest.parts, p.dest.parts.size())));
                    return false;
                }
            }
        }
    }
    for (const auto& prepared : all) {
        for (const auto& p : prepared.plan) {
            const std::size_t folders = p.isFile ? p.dest.parts.size() - 1 : p.dest.parts.size();
            for (std::size_t k = 1; k <= folders; ++k) {
                std::error_code ec;
                fs::create_directory(joined(target, p.dest.parts, k), ec);
                if (ec) {
                    report.error(kArchiveWriteError, "フォルダーを作成できません: " +
                                                         printable(relativeKey(p.dest.parts, k)) +
                                                         " (" + ec.message() + ")");
                    return false;
                }
            }
            if (p.isFile) {
                fs::path to = joined(target, p.dest.parts, p.dest.parts.size());
                if (::rename(prepared.staging->file(p.index).c_str(), to.c_str()) != 0) {
                    report.error(kArchiveWriteError,
                                 "ファイルを書き込めません: " + printable(to.string()) + " (" +
                                     errnoText(errno) + ")");
                    return false;
                }
            }
        }
    }
    return true;
}

} // namespace

bool extractArchives(const std::vector<fs::path>& archives, const fs::path& target,
                     const ExtractHooks& hooks) {
    Reporter report(hooks);
    Utf8CtypeScope ctype;
    std::vector<Prepared> all;
    for (const auto& archive : archives) {
        auto prepared = prepareArchive(archive, target, report);
        if (prepared)
            all.push_back(std::move(*prepared));
        report.finished();
    }
    if (report.failed())
        return false; // the temporaries go with `all`
    return commitPrepared(all, target, report);
}

bool extractArchive(const fs::path& archive, const fs::path& target, const ExtractHooks& hooks) {
    return extractArchives({archive}, target, hooks);
}

std::uint16_t lzhCrc16(std::string_view bytes, std::uint16_t crc) {
    static const std::array<std::uint16_t, 256> table = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
            t[i] = static_cast<std::uint16_t>(c);
        }
        return t;
    }();
    for (unsigned char b : bytes)
        crc = static_cast<std::uint16_t>(table[(crc ^ b) & 0xFF] ^ (crc >> 8));
    return crc;
}

} // namespace velmar::data
