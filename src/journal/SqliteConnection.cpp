#include "journal/SqliteConnection.h"

#include "journal/Journal.h"
#include "journal/JournalText.h"

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace hoxa {

namespace {

// strpos(text, part): PostgreSQL's function, so that both stores take one SQL.
// The position is in bytes (only its being above 0 matters to the journal).
void StrPos(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* hay = static_cast<const char*>(sqlite3_value_blob(argv[0]));
    const auto* needle = static_cast<const char*>(sqlite3_value_blob(argv[1]));
    const int hn = sqlite3_value_bytes(argv[0]);
    const int nn = sqlite3_value_bytes(argv[1]);
    if (nn == 0) { sqlite3_result_int(ctx, 1); return; }
    if (!hay || !needle || nn > hn) { sqlite3_result_int(ctx, 0); return; }
    const char* at = static_cast<const char*>(memmem(hay, static_cast<std::size_t>(hn), needle, static_cast<std::size_t>(nn)));
    sqlite3_result_int(ctx, at ? static_cast<int>(at - hay) + 1 : 0);
}

SqlFailure Classify(int rc, int sysErrno)
{
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return SqlFailure::Busy;
    case SQLITE_FULL: return SqlFailure::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return SqlFailure::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return SqlFailure::Damaged;
    case SQLITE_CONSTRAINT: return SqlFailure::Conflict;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        if (sysErrno == ENOSPC || sysErrno == EDQUOT || sysErrno == EFBIG) return SqlFailure::Full;
        if (sysErrno == EACCES || sysErrno == EPERM || sysErrno == EROFS) return SqlFailure::ReadOnly;
        return SqlFailure::Io;
    default: return SqlFailure::Other;
    }
}

class SqliteRow : public SqlRow {
public:
    explicit SqliteRow(sqlite3_stmt* s) : s_(s) {}
    bool IsNull(int c) const override { return sqlite3_column_type(s_, c) == SQLITE_NULL; }
    std::int64_t Int(int c) const override { return sqlite3_column_int64(s_, c); }
    std::string Text(int c) const override
    {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s_, c));
        return t ? std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(s_, c))) : std::string();
    }

private:
    sqlite3_stmt* s_;
};

bool StatOf(const std::string& path, dev_t& dev, ino_t& ino)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    dev = st.st_dev;
    ino = st.st_ino;
    return true;
}

// Renames from to to unless to exists (link, then unlink the old name; a file
// system without hard links gets a plain rename after a look).
int RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::link(from.c_str(), to.c_str()) == 0) return ::unlink(from.c_str()) == 0 ? 0 : errno;
    if (errno == EEXIST || errno == ENOENT) return errno;
    if (::access(to.c_str(), F_OK) == 0) return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& path, int busyTimeoutMs) : path_(path), busyMs_(busyTimeoutMs)
{
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // No journal yet in a folder the user may not write to: SQLite tells only
    // that the file is not there.
    if ((rc & 0xFF) == SQLITE_CANTOPEN && ::access(path.c_str(), F_OK) != 0) {
        const std::string::size_type slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
        if (::access(folder.c_str(), W_OK) != 0) {
            const int why = errno;
            Close();
            throw ESqlError(SqlFailure::ReadOnly, std::strerror(why));
        }
    }
    if (rc != SQLITE_OK) {
        try { Fail(rc); } catch (...) { Close(); throw; }
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busyTimeoutMs);
    sqlite3_create_function(db_, "strpos", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                            nullptr, StrPos, nullptr, nullptr);
    StatOf(path_, dev_, ino_);
}

void SqliteConnection::Configure()
{
    // The write-ahead log lets readers go on while a copy writes, and a process
    // killed at any moment loses no committed transaction.  NORMAL syncs at
    // checkpoints only: what the log holds survives a killed program; a power
    // cut may lose the last prints but never damages the file.  Two copies
    // switching a new file at once would wait for each other: SQLite refuses
    // one at once rather than wait, so it tries again within the time-out.
    for (const auto until = Clock::now() + std::chrono::milliseconds(busyMs_);;) {
        try {
            Run("PRAGMA journal_mode=WAL");
            break;
        } catch (const ESqlError& e) {
            if (e.Failure() != SqlFailure::Busy || Clock::now() >= until) throw;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Run("PRAGMA synchronous=NORMAL");
}

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, int busyTimeoutMs,
                                                         std::string* setAsideAs)
{
    std::unique_ptr<SqliteConnection> c(new SqliteConnection(path, busyTimeoutMs));
    try {
        c->Configure();
        return c;
    } catch (const ESqlError& e) {
        if (e.Failure() != SqlFailure::Damaged) throw;
    }
    const std::string aside = c->SetAside();
    if (setAsideAs) *setAsideAs = aside;
    c.reset(new SqliteConnection(path, busyTimeoutMs));
    c->Configure();
    return c;
}

SqliteConnection::~SqliteConnection() { Close(); }

void SqliteConnection::Close()
{
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    statements_.clear();
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void SqliteConnection::Fail(int rc) const
{
    const int sys = db_ ? sqlite3_system_errno(db_) : 0;
    std::string detail = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    if (sys != 0 && (rc & 0xFF) != SQLITE_BUSY) detail += std::string(" (") + std::strerror(sys) + ")";
    throw ESqlError(Classify(rc, sys), detail);
}

sqlite3_stmt* SqliteConnection::Statement(std::string_view sql)
{
    std::string key(sql);
    auto it = statements_.find(key);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v3(db_, key.data(), static_cast<int>(key.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK) Fail(rc);
    statements_.emplace(std::move(key), stmt);
    return stmt;
}

void SqliteConnection::Run(std::string_view sql, const SqlParams& params, const RowCallback& onRow)
{
    if (!db_) throw ESqlError(SqlFailure::Io, "the journal file is closed");
    int busyMs = busyMs_;
    if (deadline_ != Clock::time_point::max()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
        busyMs = static_cast<int>(std::clamp<long long>(left, 1, busyMs_));
    }
    sqlite3_busy_timeout(db_, busyMs);
    sqlite3_stmt* stmt = Statement(sql);
    struct Reset {
        sqlite3_stmt* s;
        ~Reset() { sqlite3_reset(s); sqlite3_clear_bindings(s); }
    } reset{stmt};
    for (std::size_t i = 0; i < params.size(); ++i) {
        const std::string name = "$" + std::to_string(i + 1);
        const int at = sqlite3_bind_parameter_index(stmt, name.c_str());
        if (at == 0) continue;
        int rc = SQLITE_OK;
        if (const auto* n = std::get_if<std::int64_t>(&params[i]))
            rc = sqlite3_bind_int64(stmt, at, *n);
        else if (const auto* t = std::get_if<std::string>(&params[i]))
            rc = sqlite3_bind_text(stmt, at, t->data(), static_cast<int>(t->size()), SQLITE_STATIC);
        if (rc != SQLITE_OK) Fail(rc);
    }
    const SqliteRow row(stmt);
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) return;
        if (rc != SQLITE_ROW) Fail(rc);
        if (onRow) onRow(row);
    }
}

bool SqliteConnection::StillAtPath() const
{
    dev_t dev;
    ino_t ino;
    return StatOf(path_, dev, ino) && dev == dev_ && ino == ino_;
}

std::string SqliteConnection::SetAside()
{
    const bool ours = StillAtPath();
    Close();
    if (!ours) return {};
    const auto slash = path_.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
    const std::string name = path_.substr(dir.size());
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    const std::string stamp = FormatLocalTime(NowMs(), "%Y%m%d-%H%M%S");
    for (int n = 1; n < 1000; ++n) {
        const std::string target = stem + ".damaged-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ext;
        const int err = RenameNoReplace(path_, dir + target);
        if (err == EEXIST) continue;
        if (err == ENOENT) return {};
        if (err != 0) throw ESqlError(SqlFailure::Io, std::string("rename: ") + std::strerror(err));
        for (const char* side : {"-wal", "-shm"})
            if (::access((path_ + side).c_str(), F_OK) == 0) RenameNoReplace(path_ + side, dir + target + side);
        return target;
    }
    throw ESqlError(SqlFailure::Io, "rename: no free name");
}

}  // namespace hoxa
