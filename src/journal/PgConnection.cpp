#include "journal/PgConnection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace hoxa {

namespace {

using Clock = SqlConnection::Clock;

std::string Trimmed(const char* text)
{
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
    return s;
}

// A failed connection: the server's refusal (password, role, database, rights)
// or no server at all.
SqlFailure ConnectFailure(const std::string& message)
{
    for (const char* refusal : {"authentication", "password", "permission denied", "does not exist",
                                "pg_hba.conf", "too many connections", "not permitted"})
        if (message.find(refusal) != std::string::npos) return SqlFailure::Refused;
    return SqlFailure::Unreachable;
}

SqlFailure StatementFailure(const char* sqlState)
{
    const std::string s = sqlState ? sqlState : "";
    if (s == "23505") return SqlFailure::Conflict;
    if (s == "57014" || s == "55P03") return SqlFailure::Timeout;  // statement or lock time-out
    if (s == "53100") return SqlFailure::Full;
    if (s == "25006" || s.rfind("42501", 0) == 0) return SqlFailure::ReadOnly;
    if (s.rfind("08", 0) == 0 || s.rfind("57P", 0) == 0) return SqlFailure::Unreachable;
    if (s.rfind("28", 0) == 0) return SqlFailure::Refused;
    if (s.rfind("XX00", 0) == 0) return SqlFailure::Damaged;
    return SqlFailure::Other;
}

class PgRow : public SqlRow {
public:
    PgRow(const PGresult* r, int row) : r_(r), row_(row) {}
    bool IsNull(int c) const override { return PQgetisnull(r_, row_, c) != 0; }
    std::int64_t Int(int c) const override { return std::strtoll(PQgetvalue(r_, row_, c), nullptr, 10); }
    std::string Text(int c) const override
    {
        return std::string(PQgetvalue(r_, row_, c), static_cast<std::size_t>(PQgetlength(r_, row_, c)));
    }

private:
    const PGresult* r_;
    int row_;
};

struct ResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultFree>;

}  // namespace

PgConnection::PgConnection(const std::string& conninfo, std::chrono::milliseconds timeout) : timeout_(timeout)
{
    const std::string seconds = std::to_string(std::max<long long>(2, timeout.count() / 1000));
    const std::string ms = std::to_string(timeout.count());
    const std::string options = "-c statement_timeout=" + ms + " -c lock_timeout=" + ms +
                                " -c idle_in_transaction_session_timeout=60000";
    // The setting's string first (expanded by libpq), then what the program needs.
    const char* keys[] = {"dbname", "connect_timeout", "options", "client_encoding", "application_name",
                          "keepalives", "keepalives_idle", "keepalives_interval", "keepalives_count",
                          "tcp_user_timeout", nullptr};
    const char* values[] = {conninfo.c_str(), seconds.c_str(), options.c_str(), "UTF8", "hoxa",
                            "1", "5", "1", "3", ms.c_str(), nullptr};
    conn_ = PQconnectStartParams(keys, values, 1);
    if (!conn_) throw ESqlError(SqlFailure::Other, "out of memory");
    const auto until = Clock::now() + timeout_;
    PostgresPollingStatusType st = PGRES_POLLING_WRITING;
    while (PQstatus(conn_) != CONNECTION_BAD && st != PGRES_POLLING_OK && st != PGRES_POLLING_FAILED) {
        Wait(st == PGRES_POLLING_WRITING, until);
        st = PQconnectPoll(conn_);
    }
    if (PQstatus(conn_) != CONNECTION_OK) {
        const std::string message = Trimmed(PQerrorMessage(conn_));
        PQfinish(conn_);
        conn_ = nullptr;
        throw ESqlError(ConnectFailure(message), message);
    }
    PQsetnonblocking(conn_, 1);
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);  // "already exists, skipping"
}

PgConnection::~PgConnection()
{
    if (conn_) PQfinish(conn_);
}

bool PgConnection::Broken() const { return !conn_ || PQstatus(conn_) != CONNECTION_OK; }

void PgConnection::Lost(SqlFailure failure, const std::string& detail)
{
    // A connection that timed out may still have a statement running: it is
    // dropped, and the server ends the statement when it sees the socket close.
    if (conn_) PQfinish(conn_);
    conn_ = nullptr;
    throw ESqlError(failure, detail);
}

void PgConnection::Wait(bool write, Clock::time_point until)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0) Lost(SqlFailure::Timeout, "no answer within the time-out");
        pollfd p {PQsocket(conn_), static_cast<short>(write ? POLLOUT : POLLIN), 0};
        if (p.fd < 0) Lost(SqlFailure::Unreachable, Trimmed(PQerrorMessage(conn_)));
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (n > 0) return;
        if (n < 0 && errno != EINTR) Lost(SqlFailure::Unreachable, std::strerror(errno));
    }
}

void PgConnection::Run(std::string_view sql, const SqlParams& params, const RowCallback& onRow)
{
    if (Broken()) Lost(SqlFailure::Unreachable, conn_ ? Trimmed(PQerrorMessage(conn_)) : "no connection");
    const auto until = std::min(deadline_, Clock::now() + timeout_);
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size(), nullptr);
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (const auto* n = std::get_if<std::int64_t>(&params[i])) texts[i] = std::to_string(*n);
        else if (const auto* t = std::get_if<std::string>(&params[i])) texts[i] = *t;
        else continue;
        values[i] = texts[i].c_str();
    }
    const std::string text(sql);
    if (!PQsendQueryParams(conn_, text.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                           nullptr, nullptr, 0))
        Lost(SqlFailure::Unreachable, Trimmed(PQerrorMessage(conn_)));
    for (int f; (f = PQflush(conn_)) != 0;) {
        if (f < 0) Lost(SqlFailure::Unreachable, Trimmed(PQerrorMessage(conn_)));
        Wait(true, until);
    }
    Result failed;
    for (;;) {
        while (PQisBusy(conn_)) {
            Wait(false, until);
            if (!PQconsumeInput(conn_)) Lost(SqlFailure::Unreachable, Trimmed(PQerrorMessage(conn_)));
        }
        Result r(PQgetResult(conn_));
        if (!r) break;
        const ExecStatusType st = PQresultStatus(r.get());
        if (st == PGRES_TUPLES_OK) {
            if (onRow && !failed)
                for (int i = 0, n = PQntuples(r.get()); i < n; ++i) onRow(PgRow(r.get(), i));
        } else if (st != PGRES_COMMAND_OK && !failed) {
            failed = std::move(r);
        }
    }
    if (failed) {
        const SqlFailure f = StatementFailure(PQresultErrorField(failed.get(), PG_DIAG_SQLSTATE));
        const std::string detail = Trimmed(PQresultErrorMessage(failed.get()));
        if (f == SqlFailure::Unreachable || PQstatus(conn_) != CONNECTION_OK) Lost(SqlFailure::Unreachable, detail);
        throw ESqlError(f, detail);
    }
}

std::string PgServerName(const std::string& conninfo)
{
    char* err = nullptr;
    PQconninfoOption* opts = PQconninfoParse(conninfo.c_str(), &err);
    if (!opts) {
        PQfreemem(err);
        return conninfo;
    }
    std::string host, port, db;
    for (PQconninfoOption* o = opts; o->keyword; ++o) {
        if (!o->val) continue;
        const std::string k = o->keyword;
        if (k == "host" || (k == "hostaddr" && host.empty())) host = o->val;
        else if (k == "port") port = o->val;
        else if (k == "dbname") db = o->val;
    }
    PQconninfoFree(opts);
    if (host.empty()) host = "localhost";
    return host + (port.empty() ? "" : ":" + port) + (db.empty() ? "" : "/" + db);
}

bool PgHasPassword(const std::string& conninfo)
{
    char* err = nullptr;
    PQconninfoOption* opts = PQconninfoParse(conninfo.c_str(), &err);
    if (!opts) {
        PQfreemem(err);
        return false;
    }
    bool has = false;
    for (PQconninfoOption* o = opts; o->keyword; ++o)
        if (std::strcmp(o->keyword, "password") == 0 && o->val && *o->val) has = true;
    PQconninfoFree(opts);
    return has;
}

}  // namespace hoxa
