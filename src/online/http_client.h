#pragma once
// The HTTP client profile every download step uses: one libcurl handle per
// request, so no cookie, connection or authentication state passes from one
// request to the next.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace velmar::online {

// Proxy settings of the session; held in memory only, never written to disk.
struct ProxySettings {
    std::string ProxyAddress;
    int ProxyPort = 0;
    std::string ProxyUser;
    std::string ProxyPassword;
};

struct HttpSettings {
    ProxySettings proxy;
    // CA bundle to verify servers against; empty means the system store.
    std::string caFile;
    long connectTimeoutSeconds = 30;
    // A transfer that moves no byte for this long is given up.
    long stallTimeoutSeconds = 60;
};

// Transfer progress, sending and receiving alike, plus a hook that lets the
// caller's windows repaint while a request runs.
struct TransferEvents {
    std::function<void(int64_t total)> workBegin; // total 0: size unknown
    std::function<void(int64_t count)> work;
    std::function<void()> workEnd;
    std::function<void()> processEvents;
};

enum class FailureKind {
    None,
    HttpStatus,  // the server answered with a status of 400 or more
    Certificate, // the server's certificate could not be verified
    CaFile,      // the configured CA file could not be used
    Connection,  // name lookup, connect, TLS, proxy, timeout, broken transfer
    LocalFile,   // the destination could not be written
};

struct TransferFailure {
    FailureKind kind = FailureKind::None;
    long httpStatus = 0;
    std::string detail; // libcurl's or the system's description
};

// The provider whose requests go out as HTTP/1.0 (POST for files).
inline constexpr const char* kNifty = "@nifty";
inline constexpr const char* kBiglobe = "BIGLOBE";

class TmodHttp {
  public:
    explicit TmodHttp(HttpSettings settings = {}, TransferEvents events = {});

    void setSettings(HttpSettings settings) { settings_ = std::move(settings); }
    const HttpSettings& settings() const { return settings_; }
    void setEvents(TransferEvents events) { events_ = std::move(events); }

    // Fetches the address into the destination file. The body goes to a
    // temporary file in the destination folder that replaces the destination
    // only when the whole transfer succeeded, so a failure never leaves a
    // partial file nor destroys an earlier good one.
    bool FetchToFile(const std::string& provider, const std::string& userId,
                     const std::string& password, const std::string& url,
                     const std::filesystem::path& destination);

    // The page text (Shift-JIS pages are decoded), or the status code of a
    // refused request as decimal text; "0" when no response came at all
    // (see lastFailure()).
    std::string RequestSignInPage(const std::string& provider, const std::string& userId,
                                  const std::string& password, const std::string& url);

    // Why the last request failed (kind None after a success).
    const TransferFailure& lastFailure() const { return failure_; }

  private:
    HttpSettings settings_;
    TransferEvents events_;
    TransferFailure failure_;
};

// A short Japanese explanation of a failure for messages; empty for None.
std::string failureText(const TransferFailure& failure);

} // namespace velmar::online
