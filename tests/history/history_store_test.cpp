// The history store against real embedded Firebird databases, each created in
// the test's own folder.

#include "history/firebird.h"
#include "history/history_store.h"
#include "history_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <vector>

extern char** environ;

namespace velmar::history {
namespace {

using engine::HistoryRow;

// The programs take the character type from the environment (a UTF-8 locale),
// which is how the engine turns a Japanese folder name into the file name.
const bool localeFromEnvironment = std::setlocale(LC_ALL, "") != nullptr;

using testing::TempHome;

bool sameRows(const std::vector<HistoryRow>& a, const std::vector<HistoryRow>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].ymd != b[i].ymd || a[i].odds != b[i].odds || a[i].oddsRank != b[i].oddsRank ||
            a[i].rating != b[i].rating || a[i].ratingRank != b[i].ratingRank)
            return false;
    }
    return true;
}

HistoryRow rowOf(int32_t ymd, const StoredRunner& r) {
    return HistoryRow{ymd, r.oddsText, r.oddsRank, r.rating, r.ratingRank};
}

HistoryLocation embeddedAt(const std::filesystem::path& home) {
    HistoryLocation l;
    l.home = home;
    return l;
}

// A day's race: a scratched runner, unrated runners, the odds forms the
// program shows.
std::vector<StoredRunner> sampleRace() {
    return {
        {1010001, "3.5", 1, 553, 2},   {1010002, "/", 0, 0, 0},   {1010003, "12.0", 3, 601, 1},
        {1010004, "*", 4, 0, 5},       {1010005, "-", 5, 420, 4}, {1010006, "9999.9", 6, 0, 6},
        {1010007, "120.5", 2, 505, 3},
    };
}

class HistoryStoreTest : public ::testing::Test {
  protected:
    TempHome home;
    HistoryStore store;
};

TEST_F(HistoryStoreTest, CreatesDatabaseAndTableOnFirstUse) {
    // Home without Data/ yet, and a home whose name is Japanese.
    for (std::string sub : {"plain", "競馬データ"}) {
        SCOPED_TRACE(sub);
        auto dir = home.path() / sub;
        std::filesystem::create_directories(dir);
        HistoryStore s;
        ASSERT_TRUE(localeFromEnvironment);
        ASSERT_TRUE(s.connectHistory(embeddedAt(dir)).ok()) << s.lastDatabaseError();
        EXPECT_TRUE(s.connected());
        EXPECT_TRUE(std::filesystem::exists(historyDatabasePath(dir)));
        auto rows = s.fetchHorseHistory(12345);
        ASSERT_TRUE(rows.ok());
        EXPECT_TRUE(rows->empty());
        ASSERT_TRUE(s.disconnectHistory().ok());
        EXPECT_FALSE(s.connected());

        // The second start attaches to the file made by the first.
        auto before = std::filesystem::last_write_time(historyDatabasePath(dir));
        ASSERT_TRUE(s.connectHistory(embeddedAt(dir)).ok()) << s.lastDatabaseError();
        EXPECT_EQ(s.storeRaceHistory(20240101, sampleRace()).stored, 7);
        ASSERT_TRUE(s.disconnectHistory().ok());
        EXPECT_GE(std::filesystem::last_write_time(historyDatabasePath(dir)), before);
    }
}

TEST_F(HistoryStoreTest, StoresARaceAndReadsItBackAfterReopening) {
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    auto race = sampleRace();
    StoreReport report = store.storeRaceHistory(20240428, race);
    EXPECT_EQ(report.stored, 7);
    EXPECT_EQ(report.failed, 0);
    // A later day of two of the horses.
    std::vector<StoredRunner> later = {{1010003, "2.1", 1, 610, 1}, {1010001, "45.0", 9, 0, 1}};
    EXPECT_EQ(store.storeRaceHistory(20240512, later).stored, 2);
    ASSERT_TRUE(store.disconnectHistory().ok());

    HistoryStore again;
    ASSERT_TRUE(again.connectHistory(embeddedAt(home.path())).ok());
    for (const auto& r : race) {
        SCOPED_TRACE(r.horseCode);
        auto rows = again.fetchHorseHistory(r.horseCode);
        ASSERT_TRUE(rows.ok());
        std::vector<HistoryRow> expected = {rowOf(20240428, r)};
        for (const auto& l : later)
            if (l.horseCode == r.horseCode)
                expected.push_back(rowOf(20240512, l));
        EXPECT_TRUE(sameRows(*rows, expected));
    }
    auto none = again.fetchHorseHistory(999);
    ASSERT_TRUE(none.ok());
    EXPECT_TRUE(none->empty());
}

TEST_F(HistoryStoreTest, SameHorseAndDateTwiceKeepsBothAndTheFirstComesFirst) {
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    StoredRunner first{777, "4.2", 2, 530, 1};
    StoredRunner second{777, "8.8", 5, 480, 3};
    EXPECT_EQ(store.storeRaceHistory(20240101, std::vector{first}).stored, 1);
    EXPECT_EQ(store.storeRaceHistory(20240101, std::vector{second}).stored, 1);
    auto rows = store.fetchHorseHistory(777);
    ASSERT_TRUE(rows.ok());
    EXPECT_TRUE(sameRows(*rows, {rowOf(20240101, first), rowOf(20240101, second)}));
}

TEST_F(HistoryStoreTest, ARefusedRowDoesNotStopTheOthers) {
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    // An odds text far beyond the column's size: the third row is refused.
    std::vector<StoredRunner> race = {{1, "3.5", 1, 500, 1},
                                      {2, "4.5", 2, 490, 2},
                                      {3, std::string(40, '9'), 3, 480, 3},
                                      {4, "6.5", 4, 470, 4}};
    StoreReport report = store.storeRaceHistory(20240303, race);
    EXPECT_EQ(report.stored, 3);
    EXPECT_EQ(report.failed, 1);
    for (int32_t code : {1, 2, 4}) {
        auto rows = store.fetchHorseHistory(code);
        ASSERT_TRUE(rows.ok());
        ASSERT_EQ(rows->size(), 1u) << code;
        EXPECT_EQ((*rows)[0].oddsRank, code);
    }
    auto refused = store.fetchHorseHistory(3);
    ASSERT_TRUE(refused.ok());
    EXPECT_TRUE(refused->empty());
}

TEST_F(HistoryStoreTest, FilesThatAreNotAHistoryDatabaseAreRefusedAndLeftAlone) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", ""},
        {"text file", "This is not a database.\r\n"},
        {"random bytes", std::string(16384, '\x5a')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome h;
        testing::writeBytes(historyDatabasePath(h.path()), c.bytes);
        HistoryStore s;
        Status st = s.connectHistory(embeddedAt(h.path()));
        ASSERT_FALSE(st.ok());
        EXPECT_EQ(st.error().message, kConnectFailedMessage);
        EXPECT_FALSE(s.connected());
        EXPECT_FALSE(s.lastDatabaseError().empty());
        // Never created over, never changed.
        EXPECT_EQ(testing::readBytes(historyDatabasePath(h.path())), c.bytes);
        // A disconnected store stores and supplies nothing.
        EXPECT_EQ(s.storeRaceHistory(20240101, sampleRace()).stored, 0);
        EXPECT_FALSE(static_cast<bool>(s.supplier()));
        EXPECT_TRUE(s.disconnectHistory().ok());
    }
}

TEST_F(HistoryStoreTest, AFirebirdDatabaseWithoutTheHistoryTableIsRefused) {
    auto path = historyDatabasePath(home.path());
    std::filesystem::create_directories(path.parent_path());
    {
        fb::ConnectParams p;
        p.location = path.string();
        auto c = fb::Connection::create(p);
        ASSERT_TRUE(c.ok()) << c.error().message;
        ASSERT_TRUE((*c)->executeImmediate("CREATE TABLE OTHER (A INTEGER)").ok());
        ASSERT_TRUE((*c)->detach().ok());
    }
    Status st = store.connectHistory(embeddedAt(home.path()));
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, kConnectFailedMessage);
    EXPECT_FALSE(store.connected());
}

TEST_F(HistoryStoreTest, AQueryErrorIsADataSetErrorAndStoringStaysSilent) {
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    ASSERT_EQ(store.storeRaceHistory(20240101, sampleRace()).stored, 7);
    {
        // Someone removes the table while the program runs.
        fb::ConnectParams p;
        p.location = historyDatabasePath(home.path()).string();
        auto c = fb::Connection::attach(p);
        ASSERT_TRUE(c.ok()) << c.error().message;
        Status dropped = (*c)->executeImmediate("DROP TABLE QV_DB");
        ASSERT_TRUE(dropped.ok()) << dropped.error().message;
    }
    auto rows = store.fetchHorseHistory(1010001);
    ASSERT_FALSE(rows.ok());
    EXPECT_EQ(rows.error().message, kDataSetErrorMessage);
    EXPECT_FALSE(store.lastDatabaseError().empty());

    auto supplier = store.supplier();
    ASSERT_TRUE(static_cast<bool>(supplier));
    auto viaSupplier = supplier(1010001);
    ASSERT_FALSE(viaSupplier.ok());
    EXPECT_EQ(viaSupplier.error().message, kDataSetErrorMessage);

    StoreReport report = store.storeRaceHistory(20240102, sampleRace());
    EXPECT_EQ(report.stored, 0);
    EXPECT_EQ(report.failed, 7);

    {
        // The table is back: the next lookup works again on the same connection.
        fb::ConnectParams p;
        p.location = historyDatabasePath(home.path()).string();
        auto c = fb::Connection::attach(p);
        ASSERT_TRUE(c.ok()) << c.error().message;
        ASSERT_TRUE((*c)->executeImmediate("CREATE TABLE QV_DB (UMACODE INTEGER, YMD INTEGER, "
                                           "ODDS VARCHAR(10), O_RANK INTEGER, RATING INTEGER, "
                                           "R_RANK INTEGER)")
                        .ok());
    }
    EXPECT_EQ(store.storeRaceHistory(20240103, sampleRace()).stored, 7);
    auto back = store.fetchHorseHistory(1010001);
    ASSERT_TRUE(back.ok()) << store.lastDatabaseError();
    EXPECT_TRUE(sameRows(*back, {rowOf(20240103, sampleRace()[0])}));
    EXPECT_TRUE(store.disconnectHistory().ok());
}

TEST_F(HistoryStoreTest, SupplierReturnsTheStoredRowsOfAHorse) {
    EXPECT_FALSE(static_cast<bool>(store.supplier()));
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    ASSERT_EQ(store.storeRaceHistory(20240101, sampleRace()).stored, 7);
    auto supplier = store.supplier();
    ASSERT_TRUE(static_cast<bool>(supplier));
    auto rows = supplier(1010002);
    ASSERT_TRUE(rows.ok());
    EXPECT_TRUE(sameRows(*rows, {rowOf(20240101, sampleRace()[1])}));
}

TEST_F(HistoryStoreTest, CommitTimeIsMeasuredPerRow) {
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    (void)store.storeRaceHistory(20240101, sampleRace());
    EXPECT_EQ(store.timings().rows, 7);
    EXPECT_GT(store.timings().commits.count(), 0);
    EXPECT_LE(store.timings().commits, store.timings().total);
    store.resetTimings();
    EXPECT_EQ(store.timings().rows, 0);
}

// Another program (here isql) holds the file through its own embedded engine.
class DatabaseHolder {
  public:
    explicit DatabaseHolder(const std::filesystem::path& db) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_adddup2(&fa, out[1], 2);
        posix_spawn_file_actions_addclose(&fa, in[1]);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        std::string path = db.string();
        std::vector<char*> argv = {const_cast<char*>("isql-fb"), const_cast<char*>("-user"),
                                   const_cast<char*>("SYSDBA"), path.data(), nullptr};
        int rc = posix_spawnp(&pid_, "isql-fb", &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        close(in[0]);
        close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        if (rc != 0) {
            pid_ = -1;
            return;
        }
        // Wait until isql answers a query, so the file is really open.
        const std::string query = "SELECT COUNT(*) FROM QV_DB;\n";
        if (write(toChild_, query.data(), query.size()) < 0)
            return;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fromChild_, POLLIN, 0};
            if (poll(&p, 1, 200) > 0) {
                char buf[512];
                ssize_t n = read(fromChild_, buf, sizeof buf);
                if (n <= 0)
                    break;
                output_.append(buf, static_cast<size_t>(n));
                if (output_.find("COUNT") != std::string::npos &&
                    output_.find("=====") != std::string::npos) {
                    ready_ = true;
                    // Let the count line itself arrive.
                    usleep(100000);
                    break;
                }
            }
        }
    }
    ~DatabaseHolder() {
        if (toChild_ >= 0)
            close(toChild_);
        if (pid_ > 0) {
            int status = 0;
            for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
                usleep(50000);
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
        }
        if (fromChild_ >= 0)
            close(fromChild_);
    }
    bool ready() const { return ready_; }
    const std::string& output() const { return output_; }

  private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    bool ready_ = false;
    std::string output_;
};

TEST_F(HistoryStoreTest, ADatabaseHeldByAnotherProgramGivesAClearMessage) {
    if (access("/usr/bin/isql-fb", X_OK) != 0)
        GTEST_SKIP() << "isql-fb (firebird3.0-utils) is not installed: no second program to "
                        "hold the database";
    ASSERT_TRUE(store.connectHistory(embeddedAt(home.path())).ok());
    ASSERT_TRUE(store.disconnectHistory().ok());

    DatabaseHolder holder(historyDatabasePath(home.path()));
    ASSERT_TRUE(holder.ready()) << holder.output();

    Status st = store.connectHistory(embeddedAt(home.path()));
    ASSERT_FALSE(st.ok());
    EXPECT_EQ(st.error().message, std::string(kConnectFailedMessage) + "\n" + kDatabaseBusyMessage)
        << store.lastDatabaseError();
    EXPECT_FALSE(store.connected());
}

TEST(FirebirdLocation, ServerLocationsAreTellApartFromPaths) {
    struct Case {
        const char* location;
        bool server;
    };
    const Case cases[] = {
        {"/home/user/velmar/Data/QV.FDB", false}, {"Data/QV.FDB", false},
        {"C:\\Velmar\\DATA\\QV.FDB", false},      {"/odd:dir/QV.FDB", false},
        {"localhost:/srv/velmar/QV.FDB", true},   {"server/3051:/srv/velmar/QV.FDB", true},
        {"pc01:C:\\Velmar\\DATA\\QV.FDB", true},  {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fb::isServerLocation(c.location), c.server) << c.location;
}

} // namespace
} // namespace velmar::history
