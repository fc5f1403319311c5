// The journal's local store: an SQLite file in write-ahead-log mode, shared by
// every copy of the program started in the same folder.
#pragma once

#include "journal/SqlConnection.h"

#include <sys/types.h>

#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace hoxa {

class SqliteConnection : public SqlConnection {
public:
    // Opens or creates the file (path in the file system's bytes).  A lock held by
    // another copy is waited for up to busyTimeoutMs per statement.  A file that
    // turns out damaged is set aside (see SetAside) and a new one started; its new
    // name is then put into *setAsideAs.
    static std::unique_ptr<SqliteConnection> Open(const std::string& path, int busyTimeoutMs,
                                                  std::string* setAsideAs);
    ~SqliteConnection() override;

    bool IsServer() const override { return false; }
    void Run(std::string_view sql, const SqlParams& params = {}, const RowCallback& onRow = {}) override;
    void BeginWrite() override { Run("BEGIN IMMEDIATE"); }
    void LockSchema() override {}
    std::string_view RowIdType() const override { return "INTEGER PRIMARY KEY"; }

    // False once the file at the path is no longer the one this connection has
    // open (another copy set it aside and started a new one).
    bool StillAtPath() const;

    // Closes the damaged file and moves it (with its -wal and -shm files) aside to
    // "<stem>.damaged-YYYYMMDD-HHMMSS[-n]<ext>" in its folder, never over an
    // existing file.  Returns the new name without the folder, or an empty text
    // when another copy has moved it already.  Raises ESqlError (Io) when the
    // rename fails.  The connection is unusable afterwards.
    std::string SetAside();

private:
    SqliteConnection(const std::string& path, int busyTimeoutMs);
    void Configure();
    sqlite3_stmt* Statement(std::string_view sql);
    [[noreturn]] void Fail(int rc) const;
    void Close();

    std::string path_;
    int busyMs_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

}  // namespace hoxa
