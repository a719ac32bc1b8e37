#include "data/atomic_file.h"

#include "data/sjis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <random>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmar::data {

namespace fs = std::filesystem;

namespace {
std::string errnoText() {
    return std::strerror(errno);
}
} // namespace

Status writeFileAtomic(const fs::path& target, std::string_view bytes) {
    fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::random_device rd;
    fs::path tmp = dir / ("." + target.filename().string() + "." + std::to_string(rd()) + ".tmp");
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Error{"ファイルを書き込めません: " + target.string() + " (" + errnoText() + ")"};
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::string why = errnoText();
            ::close(fd);
            ::unlink(tmp.c_str());
            return Error{"ファイルを書き込めません: " + target.string() + " (" + why + ")"};
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        std::string why = errnoText();
        ::unlink(tmp.c_str());
        return Error{"ファイルを書き込めません: " + target.string() + " (" + why + ")"};
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        std::string why = errnoText();
        ::unlink(tmp.c_str());
        return Error{"ファイルを書き込めません: " + target.string() + " (" + why + ")"};
    }
    return okStatus();
}

std::string sjisLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += utf8ToSjis(l);
        out += "\r\n";
    }
    return out;
}

Result<std::string> readFile(const fs::path& path) {
    // Plain stdio: a stream would throw on a directory, and reading through
    // istreambuf_iterator is slow for the multi-megabyte horse file.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f)
        return Error{"ファイルを読み込めません: " + path.string()};
    std::string data;
    std::error_code ec;
    if (auto size = fs::file_size(path, ec); !ec)
        data.reserve(static_cast<size_t>(size));
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        data.append(buf, n);
    if (std::ferror(f.get()))
        return Error{"ファイルを読み込めません: " + path.string()};
    return data;
}

Result<MappedFile> MappedFile::open(const fs::path& path) {
    const Error failed{"ファイルを読み込めません: " + path.string()};
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed;
    }
    MappedFile m;
    if (st.st_size > 0) {
        void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                         MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p == MAP_FAILED) {
            ::close(fd);
            return failed;
        }
        m.data_ = p;
        m.size_ = static_cast<size_t>(st.st_size);
    }
    ::close(fd);
    return m;
}

MappedFile::MappedFile(MappedFile&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        if (data_)
            ::munmap(data_, size_);
        data_ = other.data_;
        size_ = other.size_;
        other.data_ = nullptr;
        other.size_ = 0;
    }
    return *this;
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(data_, size_);
}

std::vector<std::string> splitLines(std::string_view c) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '\n' || c[i] == '\r') {
            lines.emplace_back(c.substr(start, i - start));
            if (c[i] == '\r' && i + 1 < c.size() && c[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < c.size())
        lines.emplace_back(c.substr(start));
    return lines;
}

} // namespace velmar::data
