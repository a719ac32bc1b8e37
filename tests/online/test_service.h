#pragma once
// The loopback HTTPS test service (server.py), started per test and stopped
// with it: its certificates, ports and the wire it recorded.

#include "support/temp_dir.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velmar::online::test {

// A private temporary folder, removed at the end.
using TempDir = velmar::testing::TempDir;

class TestService {
  public:
    TestService();
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    int httpsPort() const { return https_; }
    int httpPort() const { return http_; }
    int proxyPort() const { return proxy_; }
    std::string caFile() const { return ca_; }
    std::string otherCaFile() const { return otherCa_; }
    // "127.0.0.1:PORT" of the HTTPS side.
    std::string host() const;
    std::string https(const std::string& path) const { return "https://" + host() + path; }
    std::string http(const std::string& path) const;

    // Files the service serves: /cat/NAME and the archives by name.
    void putCatalogue(const std::string& name, const std::string& bytes) const;
    void putFile(const std::string& name, const std::string& bytes) const;

    // Every request recorded so far, in order.
    std::vector<nlohmann::json> wire() const;
    std::vector<nlohmann::json> wireFor(const std::string& pathPart) const;
    void clearWire() const;

  private:
    TempDir dir_;
    pid_t pid_ = -1;
    int stdinFd_ = -1;
    int https_ = 0, http_ = 0, proxy_ = 0;
    std::string ca_, otherCa_, wirePath_;
};

} // namespace velmar::online::test
