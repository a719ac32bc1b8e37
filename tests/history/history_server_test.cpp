// The history store through a Firebird server on the loopback address: the
// test starts the server binary itself as the firebird user, stores and reads
// through "localhost:/abs/path", and stops the server again.

#include "history/history_store.h"
#include "history_fixture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>
#include <vector>

extern char** environ;

namespace velmar::history {
namespace {

constexpr const char* kServerBinary = "/usr/sbin/firebird";
constexpr const char* kPasswordFile = "/etc/firebird/3.0/SYSDBA.password";
constexpr int kPort = 3050;

bool portAccepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

std::string sysdbaPassword() {
    std::ifstream in(kPasswordFile);
    std::string line;
    std::regex re(R"re(^ISC_PASSWORD="?([^"]*)"?\s*$)re");
    while (std::getline(in, line)) {
        std::smatch m;
        if (std::regex_match(line, m, re))
            return m[1];
    }
    return {};
}

// The server process, stopped when the guard goes.
class FirebirdServer {
  public:
    // Empty when started; otherwise why it could not be.
    std::string start(const std::filesystem::path& lockDir, const std::filesystem::path& log) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string_view(*e).rfind("FIREBIRD_LOCK=", 0) != 0)
                env.emplace_back(*e);
        env.push_back("FIREBIRD_LOCK=" + lockDir.string());
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        std::vector<std::string> args = {"setpriv", "--reuid=firebird", "--regid=firebird",
                                         "--init-groups", kServerBinary};
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        int rc = posix_spawnp(&pid_, "setpriv", &fa, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&fa);
        if (rc != 0) {
            pid_ = -1;
            return "setpriv could not be run";
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return "the server ended at once: " + testing::readBytes(log);
            }
            if (portAccepts(kPort))
                return {};
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "the server did not listen on 127.0.0.1:3050 within 15 s: " +
               testing::readBytes(log);
    }

    ~FirebirdServer() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            if (waitpid(pid_, &status, WNOHANG) == pid_)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }

  private:
    pid_t pid_ = -1;
};

TEST(HistoryServer, StoresAndReadsThroughALoopbackServer) {
    if (geteuid() != 0)
        GTEST_SKIP() << "the server is started as the firebird user, which needs root";
    if (access(kServerBinary, X_OK) != 0)
        GTEST_SKIP() << kServerBinary << " is missing (package firebird3.0-server)";
    passwd* fbUser = getpwnam("firebird");
    if (!fbUser)
        GTEST_SKIP() << "there is no firebird user";
    std::string password = sysdbaPassword();
    if (password.empty())
        GTEST_SKIP() << "no SYSDBA password in " << kPasswordFile;

    testing::TempHome dir("velmar-history-server");
    auto lockDir = dir.path() / "lock";
    std::filesystem::create_directories(lockDir);
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    ASSERT_EQ(chown(dir.path().c_str(), fbUser->pw_uid, fbUser->pw_gid), 0);
    ASSERT_EQ(chown(lockDir.c_str(), fbUser->pw_uid, fbUser->pw_gid), 0);

    // A Firebird service already listening (a machine where the package's
    // service runs) serves the test as well as one of our own.
    FirebirdServer server;
    const bool ownServer = !portAccepts(kPort);
    if (ownServer) {
        std::string why = server.start(lockDir, dir.path() / "server.log");
        if (!why.empty())
            GTEST_SKIP() << "the Firebird server could not be started: " << why;
    }

    HistoryLocation location;
    location.server = "localhost:" + (dir.path() / "QV.FDB").string();
    location.password = password;

    const std::vector<StoredRunner> race = {
        {2020101, "3.5", 1, 553, 2}, {2020102, "/", 0, 0, 0}, {2020103, "18.4", 2, 612, 1}};
    {
        HistoryStore store;
        // The file does not exist yet: the server creates it.
        Status c = store.connectHistory(location);
        if (!ownServer && !c.ok())
            GTEST_SKIP() << "127.0.0.1:3050 is taken by a server that refuses us: "
                         << store.lastDatabaseError();
        ASSERT_TRUE(c.ok()) << store.lastDatabaseError();
        EXPECT_TRUE(std::filesystem::exists(dir.path() / "QV.FDB"));
        StoreReport report = store.storeRaceHistory(20240616, race);
        EXPECT_EQ(report.stored, 3);
        EXPECT_EQ(report.failed, 0);
        ASSERT_TRUE(store.disconnectHistory().ok());
    }
    {
        HistoryStore store;
        ASSERT_TRUE(store.connectHistory(location).ok()) << store.lastDatabaseError();
        for (const auto& r : race) {
            auto rows = store.fetchHorseHistory(r.horseCode);
            ASSERT_TRUE(rows.ok());
            ASSERT_EQ(rows->size(), 1u);
            EXPECT_EQ((*rows)[0].ymd, 20240616);
            EXPECT_EQ((*rows)[0].odds, r.oddsText);
            EXPECT_EQ((*rows)[0].oddsRank, r.oddsRank);
            EXPECT_EQ((*rows)[0].rating, r.rating);
            EXPECT_EQ((*rows)[0].ratingRank, r.ratingRank);
        }
        ASSERT_TRUE(store.disconnectHistory().ok());
    }
    {
        // A wrong password is a refused connection, and creates nothing.
        HistoryLocation wrong = location;
        wrong.password = "not-" + password;
        wrong.server = "localhost:" + (dir.path() / "OTHER.FDB").string();
        HistoryStore store;
        Status c = store.connectHistory(wrong);
        ASSERT_FALSE(c.ok());
        EXPECT_EQ(c.error().message, kConnectFailedMessage);
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "OTHER.FDB"));
    }
}

} // namespace
} // namespace velmar::history
