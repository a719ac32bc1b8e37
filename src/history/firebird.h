#pragma once
// A thin RAII layer over the Firebird 3 OO API: a connection, transactions and
// prepared statements with bound parameters. Messages are described by hand
// (IMetadataBuilder), so parameters and columns have the few plain types this
// program stores: 32-bit integers and texts (raw bytes in the connection's
// character set).
//
// Errors carry Firebird's own text; the caller decides what the user sees.

#include "data/result.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmar::history::fb {

struct ConnectParams {
    // A plain path opens the file through the embedded engine; "host:path" or
    // "host/port:path" goes to a Firebird server.
    std::string location;
    std::string user = "SYSDBA";
    std::string password;
    std::string charset = "SJIS_0208";
    int dialect = 3;
};

// True when the location names a server ("host:path"), false for a local path.
bool isServerLocation(std::string_view location);

class Connection;

// A transaction; rolled back on destruction unless committed.
class Transaction final {
  public:
    Transaction();
    ~Transaction();
    Transaction(Transaction&&) noexcept;
    Transaction& operator=(Transaction&&) noexcept;
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool active() const;
    Status commit();
    Status rollback();

    struct Impl;

  private:
    friend class Connection;
    friend class Statement;
    std::unique_ptr<Impl> impl_;
};

class Connection final {
  public:
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database.
    static Result<std::unique_ptr<Connection>> attach(const ConnectParams& params);
    // Creates a new database file (never over an existing one) with the
    // connection's character set as its default, and stays attached to it.
    static Result<std::unique_ptr<Connection>> create(const ConnectParams& params);

    // Detaches; an error is reported and the handle released all the same.
    Status detach();
    bool attached() const;

    Result<Transaction> begin(bool readOnly = false);
    // Runs one statement without parameters or results in its own committed
    // transaction (schema changes).
    Status executeImmediate(std::string_view sql);

    int dialect() const;

    struct Impl;

    // Only attach() and create() make connections.
    class Key {
        friend class Connection;
        Key() = default;
    };
    explicit Connection(Key);

  private:
    friend class Statement;
    std::unique_ptr<Impl> impl_;
};

// A prepared statement. Parameters are numbered from 0; a parameter that is
// not bound is NULL. Columns of a result row are numbered from 0.
class Statement final {
  public:
    Statement();
    ~Statement();
    Statement(Statement&&) noexcept;
    Statement& operator=(Statement&&) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    static Result<Statement> prepare(Connection& connection, Transaction& transaction,
                                     std::string_view sql);

    unsigned parameterCount() const;
    unsigned columnCount() const;

    void bindInt(unsigned index, int32_t value);
    void bindText(unsigned index, std::string bytes);
    void bindNull(unsigned index);
    void clearBindings();

    // Runs a statement that returns no rows.
    Status execute(Transaction& transaction);

    // Opens the result rows; fetch() moves to the next row (false after the
    // last). The cursor is closed by close(), by the next open() or on
    // destruction.
    Status open(Transaction& transaction);
    Result<bool> fetch();
    void close();

    bool isNull(unsigned column) const;
    // Integer columns as they are; a text column holding a number is read as
    // that number, any other text as 0.
    int64_t intAt(unsigned column) const;
    // Text columns as raw bytes (fixed-width texts keep their blanks); integer
    // columns in decimal.
    std::string textAt(unsigned column) const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

} // namespace velmar::history::fb
