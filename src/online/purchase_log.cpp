#include "online/purchase_log.h"

#include "data/sjis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velmar::online {

namespace fs = std::filesystem;

std::string purchaseLogLine(const std::tm& when, const std::string& fileName,
                            const std::string& price, const std::string& account) {
    char stamp[80];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d:%02d", when.tm_year + 1900,
                  when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return std::string(stamp) + "    " + fileName + "    " + price + "円" + "    " + account;
}

std::string purchaseAccount(const std::string& userId, const std::string& provider) {
    return userId + (provider == "BIGLOBE" ? "@BIGLOBE" : "@nifty");
}

Status AppendPurchaseLog(const fs::path& logFile, const std::string& line) {
    std::error_code ec;
    if (fs::exists(logFile, ec)) {
        // The read-only attribute: no write permission for anyone.
        fs::perms p = fs::status(logFile, ec).permissions();
        if (!ec && (p & (fs::perms::owner_write | fs::perms::group_write |
                         fs::perms::others_write)) == fs::perms::none)
            return okStatus();
    }
    std::string bytes = data::utf8ToSjis(line) + "\r\n";
    int fd = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return Error{"購入記録を書き込めません: " + logFile.string() + " (" + std::strerror(errno) +
                     ")"};
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            std::string why = std::strerror(errno);
            ::close(fd);
            return Error{"購入記録を書き込めません: " + logFile.string() + " (" + why + ")"};
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0)
        return Error{"購入記録を書き込めません: " + logFile.string() + " (" + std::strerror(errno) +
                     ")"};
    return okStatus();
}

} // namespace velmar::online
