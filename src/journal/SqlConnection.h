// One connection to the database that holds the journal: the local SQLite file
// or a PostgreSQL server.  The journal speaks one SQL to both: parameters are
// written $1, $2 ..., texts are UTF-8, and SQLite knows strpos() as PostgreSQL
// does.  Every failure raises ESqlError with the kind the journal's messages
// tell apart.
#pragma once

#include "base/errors.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hoxa {

enum class SqlFailure {
    Busy,         // locked by another copy longer than the time-out
    Full,         // the disk (or the server's) is full
    ReadOnly,     // the file or the database may not be written
    Damaged,      // the file is no database or a damaged one
    Unreachable,  // no connection to the server, or it broke
    Refused,      // the server refused the connection (password, rights)
    Timeout,      // the server did not answer in time
    Conflict,     // a unique key is held by another row
    Io,           // any other error of the file system
    Other,
};

// detail: the library's own text (English, ASCII or UTF-8).
class ESqlError : public Exception {
public:
    ESqlError(SqlFailure failure, const std::string& detail) : Exception(detail), failure_(failure) {}
    SqlFailure Failure() const { return failure_; }

private:
    SqlFailure failure_;
};

struct SqlNull {};
using SqlParam = std::variant<SqlNull, std::int64_t, std::string>;
using SqlParams = std::vector<SqlParam>;

// One row of a result, valid only inside the row callback.
class SqlRow {
public:
    virtual ~SqlRow() = default;
    virtual bool IsNull(int column) const = 0;
    virtual std::int64_t Int(int column) const = 0;  // 0 for NULL
    virtual std::string Text(int column) const = 0;  // empty for NULL
};

using RowCallback = std::function<void(const SqlRow&)>;

class SqlConnection {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SqlConnection() = default;

    virtual bool IsServer() const = 0;

    // Runs one statement, calling onRow for every row it returns.
    virtual void Run(std::string_view sql, const SqlParams& params = {},
                     const RowCallback& onRow = {}) = 0;

    // A transaction that will write: SQLite takes the write lock at once (so that
    // a busy wait happens here and nowhere later), PostgreSQL just begins.
    virtual void BeginWrite() = 0;
    // Serialises schema changes of several stations connecting at once.
    virtual void LockSchema() = 0;

    // Every call from now on ends by this moment, or raises Timeout (server) or
    // Busy (file).  Time-outs shorter than the remaining time still apply.
    void SetDeadline(Clock::time_point deadline) { deadline_ = deadline; }

    // The SQL type of the row number that numbers itself ("INTEGER PRIMARY KEY"
    // in SQLite, an identity column in PostgreSQL).
    virtual std::string_view RowIdType() const = 0;

protected:
    Clock::time_point deadline_ = Clock::time_point::max();
};

// Rolls back unless committed.
class SqlTransaction {
public:
    SqlTransaction(SqlConnection& c, bool write) : c_(c)
    {
        if (write) c_.BeginWrite(); else c_.Run("BEGIN");
    }
    ~SqlTransaction()
    {
        if (open_) try { c_.Run("ROLLBACK"); } catch (...) {}
    }
    void Commit() { c_.Run("COMMIT"); open_ = false; }
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

private:
    SqlConnection& c_;
    bool open_ = true;
};

}  // namespace hoxa
