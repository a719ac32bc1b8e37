#include "test_service.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velmar::online::test {

namespace fs = std::filesystem;

TestService::TestService() {
    std::string script = VELMAR_ONLINE_SERVER;
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::close(in[0]);
        ::close(in[1]);
        ::close(out[0]);
        ::close(out[1]);
        std::string work = dir_.path().string();
        ::execlp("python3", "python3", script.c_str(), work.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    stdinFd_ = in[1];
    // The first line tells the ports; give up after 20 s.
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos) {
        pollfd p{out[0], POLLIN, 0};
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        deadline - std::chrono::steady_clock::now())
                                        .count());
        if (left <= 0 || ::poll(&p, 1, left) <= 0)
            break;
        char buf[512];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n <= 0)
            break;
        line.append(buf, static_cast<size_t>(n));
    }
    ::close(out[0]);
    if (line.find('\n') == std::string::npos)
        throw std::runtime_error("the test service did not start");
    auto info = nlohmann::json::parse(line.substr(0, line.find('\n')));
    https_ = info["https"];
    http_ = info["http"];
    proxy_ = info["proxy"];
    ca_ = info["ca"];
    otherCa_ = info["other_ca"];
    wirePath_ = info["wire"];
}

TestService::~TestService() {
    if (stdinFd_ >= 0)
        ::close(stdinFd_); // the service ends when its stdin closes
    if (pid_ > 0) {
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

std::string TestService::host() const {
    return "127.0.0.1:" + std::to_string(https_);
}

std::string TestService::http(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(http_) + path;
}

void TestService::putCatalogue(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_.path() / "cat" / name, std::ios::binary) << bytes;
}

void TestService::putFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_.path() / "files" / name, std::ios::binary) << bytes;
}

std::vector<nlohmann::json> TestService::wire() const {
    std::vector<nlohmann::json> out;
    std::ifstream in(wirePath_);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            out.push_back(nlohmann::json::parse(line));
    return out;
}

std::vector<nlohmann::json> TestService::wireFor(const std::string& part) const {
    std::vector<nlohmann::json> out;
    for (auto& j : wire())
        if (j["path"].get<std::string>().find(part) != std::string::npos)
            out.push_back(j);
    return out;
}

void TestService::clearWire() const {
    std::error_code ec;
    fs::remove(wirePath_, ec);
}

} // namespace velmar::online::test
