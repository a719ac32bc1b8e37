#pragma once
// The local history of the program's own predictions: for each horse and race
// date the odds text, odds rank, rating and rating rank that were shown. Kept
// in the Firebird database Data/QV.FDB of the Velmar home (embedded engine),
// or on a Firebird server when several PCs share one history.

#include "data/result.h"
#include "engine/history_row.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace velmar::history {

inline constexpr const char* kConnectFailedMessage = "データベースの接続に失敗しました。";
inline constexpr const char* kDisconnectFailedMessage = "データベースの終了に失敗しました。";
inline constexpr const char* kDataSetErrorMessage = "DataSet Error...";
// Added to the connect message when another program holds the database file.
inline constexpr const char* kDatabaseBusyMessage =
    "データベースは他のプログラム（起動中のVelmar）が使用しています。"
    "Velmarを終了してから、もう一度実行してください。";

inline constexpr const char* kHistoryUser = "SYSDBA";
inline constexpr const char* kHistoryPassword = "plumtrees";
inline constexpr const char* kHistoryCharset = "SJIS_0208";

// Data/QV.FDB under the Velmar home.
std::filesystem::path historyDatabasePath(const std::filesystem::path& home);

// Where the history lives: the file under the home, reached through the
// embedded engine, unless a server location ("host:path") is set.
struct HistoryLocation {
    std::filesystem::path home;
    std::string server; // empty: embedded
    std::string password = kHistoryPassword;
};

// One runner of a predicted race, as its history row is stored.
struct StoredRunner {
    int32_t horseCode = 0;
    std::string oddsText; // UTF-8 (ASCII in practice): "/", "*", "-", "3.5"
    int32_t oddsRank = 0;
    int32_t rating = 0; // tenths, 0 = no rating
    int32_t ratingRank = 0;
};

struct StoreReport {
    int stored = 0; // rows written and committed
    int failed = 0; // rows refused (a duplicate key, a text too long ...), skipped silently
};

// Time spent in the database while storing, for measurements.
struct StoreTimings {
    std::chrono::nanoseconds total{0};
    std::chrono::nanoseconds commits{0};
    int64_t rows = 0;
};

class HistoryStore final {
  public:
    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the history. An embedded file that does not exist yet is created
    // with its table. Any failure, a file that is not a database, or a
    // database without the history table gives kConnectFailedMessage (with
    // kDatabaseBusyMessage after it when another program holds the file), and
    // the store stays disconnected.
    Status connectHistory(const HistoryLocation& location);
    // Closes the history; a failure gives kDisconnectFailedMessage. Does
    // nothing when not connected.
    Status disconnectHistory();
    bool connected() const; // historyConnected

    // The stored rows of one horse in the order the database returns them. A
    // failing query gives kDataSetErrorMessage.
    Result<std::vector<engine::HistoryRow>> fetchHorseHistory(int32_t horseCode);

    // One row per runner, in the given (horse-number) order, each in its own
    // committed transaction. A refused row is skipped silently and never stops
    // the others. Nothing happens when not connected.
    StoreReport storeRaceHistory(int32_t ymd, std::span<const StoredRunner> runners);

    // A supplier for the prediction: empty when not connected. It refers to
    // this store and is valid while the store lives and stays connected.
    engine::HistorySupplier supplier();

    const StoreTimings& timings() const;
    void resetTimings();

    // The database's own text of the last connect or query failure, for
    // diagnostics (the user sees the fixed messages above).
    const std::string& lastDatabaseError() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace velmar::history
