#include "history/history_store.h"

#include "data/sjis.h"
#include "history/firebird.h"

#include <system_error>

namespace velmar::history {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kCreateTable = "CREATE TABLE QV_DB ("
                                     "UMACODE INTEGER, "
                                     "YMD INTEGER, "
                                     "ODDS VARCHAR(10), "
                                     "O_RANK INTEGER, "
                                     "RATING INTEGER, "
                                     "R_RANK INTEGER)";
// Every prediction looks rows up by horse; the table only grows.
constexpr const char* kCreateIndex = "CREATE INDEX QV_DB_UMACODE ON QV_DB (UMACODE)";
constexpr const char* kSelect =
    "SELECT YMD, ODDS, O_RANK, RATING, R_RANK FROM QV_DB WHERE UMACODE = ?";
constexpr const char* kInsert = "INSERT INTO QV_DB VALUES(?,?,?,?,?,?)";

bool contains(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Another process has the file open through its own embedded engine (or
// holds its lock).
bool isBusy(const std::string& dbError) {
    return contains(dbError, "already opened") || contains(dbError, "lock time-out") ||
           contains(dbError, "Lock time-out") || contains(dbError, "lock conflict") ||
           contains(dbError, "Device or resource busy");
}

// The server said the file does not exist (Linux and Windows servers).
bool isMissingFile(const std::string& dbError) {
    return contains(dbError, "No such file or directory") ||
           contains(dbError, "cannot find the file");
}

std::string trimRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

std::filesystem::path historyDatabasePath(const std::filesystem::path& home) {
    return home / "Data" / "QV.FDB";
}

struct HistoryStore::Impl {
    std::unique_ptr<fb::Connection> connection;
    // The lookup of a horse runs once per runner of every prediction: its
    // statement is prepared once and runs in one read-only read-committed
    // transaction, which sees every committed row and holds nothing back.
    fb::Transaction reader;
    fb::Statement select;
    bool selectReady = false;
    StoreTimings timings;
    std::string lastError;

    void dropReader() {
        select = fb::Statement();
        selectReady = false;
        if (reader.active())
            (void)reader.rollback();
    }

    Status prepareReader() {
        if (selectReady && reader.active())
            return okStatus();
        dropReader();
        auto t = connection->begin(true);
        if (!t)
            return t.error();
        reader = std::move(t.value());
        auto s = fb::Statement::prepare(*connection, reader, kSelect);
        if (!s) {
            dropReader();
            return s.error();
        }
        select = std::move(s.value());
        selectReady = true;
        return okStatus();
    }

    Error connectFailure(std::string dbError) {
        lastError = std::move(dbError);
        dropReader();
        connection.reset();
        std::string message = kConnectFailedMessage;
        if (isBusy(lastError))
            message += std::string("\n") + kDatabaseBusyMessage;
        return Error{message};
    }

    // Creates a new database with the history table; a half-made file is
    // removed again so that the next start does not find a broken history.
    Status createDatabase(const fb::ConnectParams& params, bool embedded) {
        auto created = fb::Connection::create(params);
        if (!created)
            return created.error();
        connection = std::move(created.value());
        Status table = connection->executeImmediate(kCreateTable);
        if (table.ok())
            table = connection->executeImmediate(kCreateIndex);
        if (!table.ok()) {
            (void)connection->detach();
            connection.reset();
            if (embedded) {
                std::error_code ec;
                std::filesystem::remove(params.location, ec);
            }
            return table.error();
        }
        return okStatus();
    }

    // The history table must be there with the columns the program reads.
    Status checkTable() {
        auto t = connection->begin(true);
        if (!t)
            return t.error();
        auto s = fb::Statement::prepare(*connection, *t, kSelect);
        if (!s)
            return s.error();
        return t->commit();
    }
};

HistoryStore::HistoryStore() : impl_(std::make_unique<Impl>()) {}
HistoryStore::~HistoryStore() = default;

Status HistoryStore::connectHistory(const HistoryLocation& location) {
    if (impl_->connection)
        (void)disconnectHistory();

    const bool embedded = location.server.empty();
    fb::ConnectParams params;
    params.user = kHistoryUser;
    params.password = location.password;
    params.charset = kHistoryCharset;
    params.dialect = 3;

    if (embedded) {
        auto path = historyDatabasePath(location.home);
        auto utf8 = path.u8string();
        params.location.assign(utf8.begin(), utf8.end());
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) {
            if (ec)
                return impl_->connectFailure(ec.message());
            std::filesystem::create_directories(path.parent_path(), ec);
            if (ec)
                return impl_->connectFailure(ec.message());
            if (Status s = impl_->createDatabase(params, true); !s.ok())
                return impl_->connectFailure(s.error().message);
            return okStatus();
        }
    } else {
        params.location = location.server;
    }

    auto attached = fb::Connection::attach(params);
    if (!attached) {
        std::string attachError = attached.error().message;
        if (embedded || !isMissingFile(attachError))
            return impl_->connectFailure(attachError);
        if (Status s = impl_->createDatabase(params, false); !s.ok())
            return impl_->connectFailure(attachError + "\n" + s.error().message);
        return okStatus();
    }
    impl_->connection = std::move(attached.value());
    if (Status s = impl_->checkTable(); !s.ok())
        return impl_->connectFailure(s.error().message);
    return okStatus();
}

Status HistoryStore::disconnectHistory() {
    if (!impl_->connection)
        return okStatus();
    impl_->select = fb::Statement();
    impl_->selectReady = false;
    Status s = impl_->reader.active() ? impl_->reader.commit() : okStatus();
    if (Status d = impl_->connection->detach(); s.ok())
        s = d;
    impl_->connection.reset();
    if (!s.ok()) {
        impl_->lastError = s.error().message;
        return Error{kDisconnectFailedMessage};
    }
    return okStatus();
}

bool HistoryStore::connected() const {
    return impl_->connection != nullptr;
}

Result<std::vector<engine::HistoryRow>> HistoryStore::fetchHorseHistory(int32_t horseCode) {
    if (!impl_->connection)
        return Error{kDataSetErrorMessage};
    auto fail = [this](const Error& e) -> Error {
        impl_->lastError = e.message;
        // Prepared again by the next lookup, which may then succeed.
        impl_->dropReader();
        return Error{kDataSetErrorMessage};
    };
    if (Status r = impl_->prepareReader(); !r.ok())
        return fail(r.error());
    fb::Statement& s = impl_->select;
    s.bindInt(0, horseCode);
    if (Status o = s.open(impl_->reader); !o.ok())
        return fail(o.error());
    std::vector<engine::HistoryRow> rows;
    for (;;) {
        auto more = s.fetch();
        if (!more)
            return fail(more.error());
        if (!*more)
            break;
        engine::HistoryRow row;
        row.ymd = static_cast<int32_t>(s.intAt(0));
        row.odds = trimRight(data::sjisToUtf8(s.textAt(1)));
        row.oddsRank = static_cast<int32_t>(s.intAt(2));
        row.rating = static_cast<int32_t>(s.intAt(3));
        row.ratingRank = static_cast<int32_t>(s.intAt(4));
        rows.push_back(std::move(row));
    }
    s.close();
    return rows;
}

StoreReport HistoryStore::storeRaceHistory(int32_t ymd, std::span<const StoredRunner> runners) {
    StoreReport report;
    if (!impl_->connection || runners.empty())
        return report;
    const auto started = Clock::now();
    auto finish = [&] {
        impl_->timings.total += Clock::now() - started;
        impl_->timings.rows += report.stored;
    };

    fb::Statement insert;
    {
        auto t = impl_->connection->begin();
        if (!t) {
            report.failed = static_cast<int>(runners.size());
            finish();
            return report;
        }
        auto s = fb::Statement::prepare(*impl_->connection, *t, kInsert);
        if (!s || !t->commit().ok()) {
            report.failed = static_cast<int>(runners.size());
            finish();
            return report;
        }
        insert = std::move(s.value());
    }

    for (const StoredRunner& r : runners) {
        auto t = impl_->connection->begin();
        if (!t) {
            ++report.failed;
            continue;
        }
        insert.bindInt(0, r.horseCode);
        insert.bindInt(1, ymd);
        insert.bindText(2, data::utf8ToSjis(r.oddsText));
        insert.bindInt(3, r.oddsRank);
        insert.bindInt(4, r.rating);
        insert.bindInt(5, r.ratingRank);
        // A refused row is skipped; its transaction is still ended.
        bool executed = insert.execute(*t).ok();
        const auto commitStarted = Clock::now();
        bool committed = t->commit().ok();
        impl_->timings.commits += Clock::now() - commitStarted;
        if (executed && committed)
            ++report.stored;
        else
            ++report.failed;
    }
    finish();
    return report;
}

engine::HistorySupplier HistoryStore::supplier() {
    if (!impl_->connection)
        return {};
    return [this](int32_t horseCode) { return fetchHorseHistory(horseCode); };
}

const StoreTimings& HistoryStore::timings() const {
    return impl_->timings;
}
void HistoryStore::resetTimings() {
    impl_->timings = {};
}
const std::string& HistoryStore::lastDatabaseError() const {
    return impl_->lastError;
}

} // namespace velmar::history
