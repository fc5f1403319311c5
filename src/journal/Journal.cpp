#include "journal/Journal.h"

#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "journal/JournalRows.h"
#include "journal/JournalText.h"
#include "journal/PgConnection.h"
#include "journal/SqliteConnection.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <random>
#include <set>
#include <unordered_map>

namespace hoxa {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

std::string NewJournalUid()
{
    static thread_local std::random_device rd;
    static const char* hex = "0123456789abcdef";
    std::string uid;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t v = rd();
        for (int j = 0; j < 8; ++j, v >>= 4) uid.push_back(hex[v & 15]);
    }
    return uid;
}

namespace {

// "$first, $first+1, ..." for n parameters.
std::string ParamList(std::size_t first, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += (i ? ", $" : "$") + std::to_string(first + i);
    return s;
}

}  // namespace

Journal::Journal(JournalPlace place, std::chrono::milliseconds timeout)
    : place_(std::move(place)), timeout_(timeout)
{
}

Journal::~Journal() = default;

std::string Journal::Store() const
{
    return OnServer() ? Utf8ToCp932(PgServerName(place_.server)) : std::string(kJournalFileName);
}

std::string Journal::StoreName() const { return OnServer() ? "サーバー " + Store() : Store(); }

std::string Journal::TakeNotice() { return std::exchange(notice_, {}); }

SqlConnection& Journal::Connection(Clock::time_point deadline)
{
    if (OnServer()) {
        auto* pg = static_cast<PgConnection*>(conn_.get());
        if (pg && !pg->Broken()) return *conn_;
        conn_.reset();
        if (PgHasPassword(place_.server))
            throw EJournal("[hoxa_Journal] Server= にパスワードを書かないでください。"
                           "パスワードは ~/.pgpass か環境変数 PGPASSWORD に置きます。");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        conn_ = std::make_unique<PgConnection>(place_.server, std::clamp(left, std::chrono::milliseconds(1), timeout_));
    } else {
        auto* lite = static_cast<SqliteConnection*>(conn_.get());
        if (lite && lite->StillAtPath()) return *conn_;
        conn_.reset();
        std::string aside;
        conn_ = SqliteConnection::Open(PathIn(place_.folder, kJournalFileName), static_cast<int>(timeout_.count()),
                                       &aside);
        if (!aside.empty()) notice_ = DamagedJournalNotice(kJournalFileName, aside);
    }
    conn_->SetDeadline(deadline);
    MigrateJournal(*conn_, Store());
    return *conn_;
}

void Journal::Do(const std::function<void(SqlConnection&)>& f)
{
    const auto deadline = Clock::now() + timeout_;
    for (int attempt = 0;; ++attempt) {
        const bool reused = conn_ != nullptr;
        try {
            SqlConnection& c = Connection(deadline);
            c.SetDeadline(deadline);
            f(c);
            return;
        } catch (const ESqlError& e) {
            bool again = false;
            if (e.Failure() == SqlFailure::Damaged && !OnServer() && conn_) {
                // Kept under another name; the next connection starts a new file.
                const std::string aside = static_cast<SqliteConnection&>(*conn_).SetAside();
                if (!aside.empty()) notice_ = DamagedJournalNotice(kJournalFileName, aside);
                again = true;
            } else if (e.Failure() == SqlFailure::Unreachable || e.Failure() == SqlFailure::Timeout) {
                // A server connection that sat idle may have been closed meanwhile.
                again = e.Failure() == SqlFailure::Unreachable && reused;
            }
            if (again) conn_.reset();
            if (!again || attempt > 0 || Clock::now() >= deadline)
                throw EJournal(JournalFailureMessage(e.Failure(), OnServer(), Store(), e.what()));
        }
    }
}

std::optional<EarlierPrint> Journal::FindEarlierPrint(const WaybillRecord& waybill, const OrderRef& order,
                                                      std::int64_t now)
{
    const std::pair<WaybillRecord, OrderRef> one(waybill, order);
    return FindEarlierPrints({&one, 1}, now).front();
}

std::vector<std::optional<EarlierPrint>> Journal::FindEarlierPrints(
    std::span<const std::pair<WaybillRecord, OrderRef>> waybills, std::int64_t now)
{
    std::vector<std::optional<EarlierPrint>> out;
    Do([&](SqlConnection& c) {
        out.assign(waybills.size(), std::nullopt);
        for (std::size_t i = 0; i < waybills.size(); ++i) {
            std::optional<EarlierPrint>& best = out[i];
            const auto take = [&best](bool sameOrder) {
                return [&best, sameOrder](const SqlRow& r) {
                    EarlierPrint p{r.Int(0), r.Text(1), r.Int(2), sameOrder};
                    if (!best || p.printedAt > best->printedAt) best = std::move(p);
                };
            };
            if (const std::string key = OrderKey(waybills[i].second); !key.empty())
                c.Run("SELECT id, uid, printed_at FROM entries WHERE order_key = $1"
                      " ORDER BY printed_at DESC LIMIT 1", {key}, take(true));
            if (const std::string key = DestinationKey(waybills[i].first); !key.empty())
                c.Run("SELECT id, uid, printed_at FROM entries WHERE dest_key = $1 AND printed_at >= $2"
                      " ORDER BY printed_at DESC LIMIT 1", {key, now - kDoublePrintWindowMs}, take(false));
        }
    });
    return out;
}

Recording Journal::Prepare(std::vector<JournalEntry>& entries)
{
    const std::int64_t now = NowMs();
    for (JournalEntry& e : entries) {
        if (e.uid.empty()) e.uid = NewJournalUid();
        e.printedAt = now;
        e.state = EntryState::Pending;
        e.jobId = 0;
    }
    Recording rec;
    Do([&](SqlConnection& c) {
        // The claim holder of a conflict may be abandoned before it is looked
        // up: then the entries are tried again.
        for (int round = 0; round < 3; ++round) {
            rec.ids.clear();
            rec.conflicts.clear();
            std::set<std::string> claimed;  // several pages of one order: the first claims it
            bool conflict = false;
            try {
                SqlTransaction tx(c, true);
                for (const JournalEntry& e : entries) {
                    const std::string key = OrderKey(e.order);
                    const bool claim = e.reprintOf.empty() && !key.empty() && claimed.insert(key).second;
                    JournalId id = 0;
                    const auto getId = [&id](const SqlRow& r) { id = r.Int(0); };
                    c.Run(kEntryInsert, EntryParams(e, claim), getId);
                    // Already there: written by a try whose answer was lost.
                    if (id == 0) c.Run("SELECT id FROM entries WHERE uid = $1", {e.uid}, getId);
                    rec.ids.push_back(id);
                }
                tx.Commit();
                return;
            } catch (const ESqlError& err) {
                if (err.Failure() != SqlFailure::Conflict) throw;
                conflict = true;
            }
            rec.ids.clear();
            for (std::size_t i = 0; conflict && i < entries.size(); ++i) {
                const std::string key = OrderKey(entries[i].order);
                if (!entries[i].reprintOf.empty() || key.empty()) continue;
                c.Run("SELECT id, uid, printed_at FROM entries WHERE order_claim = $1", {key},
                      [&](const SqlRow& r) { rec.conflicts.push_back({i, {r.Int(0), r.Text(1), r.Int(2), true}}); });
            }
            if (!rec.conflicts.empty()) return;
        }
        throw ESqlError(SqlFailure::Busy, "order claims keep changing");
    });
    for (std::size_t i = 0; i < rec.ids.size(); ++i) entries[i].id = rec.ids[i];
    rec.notice = TakeNotice();
    return rec;
}

namespace {

// Runs sql once per chunk of ids: the chunk's ids are its parameters from
// $first on, "{ids}" stands for their list.
void ForChunks(SqlConnection& c, const std::string& sql, const SqlParams& before,
               std::span<const JournalId> ids, const RowCallback& onRow = {})
{
    constexpr std::size_t kChunk = 500;
    for (std::size_t at = 0; at < ids.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, ids.size() - at);
        SqlParams params = before;
        for (std::size_t i = 0; i < n; ++i) params.emplace_back(ids[at + i]);
        std::string text = sql;
        text.replace(text.find("{ids}"), 5, ParamList(before.size() + 1, n));
        c.Run(text, params, onRow);
    }
}

}  // namespace

void Journal::Commit(std::span<const JournalId> ids, int jobId)
{
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, true);
        // The entries and their claims are on the server's disk since Prepare;
        // this step need not wait for the disk: a server crash right after it
        // leaves them pending, which every lookup still counts as printed.
        if (c.IsServer()) c.Run("SET LOCAL synchronous_commit = off");
        ForChunks(c, "UPDATE entries SET state = 1, job_id = $1 WHERE id IN ({ids})", {std::int64_t(jobId)}, ids);
        tx.Commit();
    });
}

void Journal::Commit(std::span<const JournalId> ids, int jobId, std::string_view printer, int dpiX, int dpiY)
{
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, true);
        if (c.IsServer()) c.Run("SET LOCAL synchronous_commit = off");  // as above
        ForChunks(c, "UPDATE entries SET state = 1, job_id = $1, printer = $2, dpi_x = $3, dpi_y = $4 WHERE id IN ({ids})",
                  {std::int64_t(jobId), Cp932ToUtf8(printer), std::int64_t(dpiX), std::int64_t(dpiY)}, ids);
        tx.Commit();
    });
}

void Journal::Abandon(std::span<const JournalId> ids)
{
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, true);
        ForChunks(c, "DELETE FROM entries WHERE state = 0 AND id IN ({ids})", {}, ids);
        tx.Commit();
    });
}

namespace {

// The entries a query matches: "FROM ... WHERE ..." and its parameters.  A
// server reads its narrow copy of the search texts, a file the index of the
// time, which holds them.
struct Matching {
    std::string from;
    SqlParams params;

    Matching(const JournalQuery& q, const SqlConnection& c)
        : from(c.IsServer() ? " FROM entry_search" : " FROM entries")
    {
        if (SearchPattern p = SearchPatternOf(q.text); !p.like.empty()) {
            // A server's trigram index serves LIKE; strpos() never takes it, for
            // a pattern without trigrams would make the server read it whole.
            if (c.IsServer() && p.trigrams) Add("search LIKE $ ESCAPE '!'", {std::move(p.like)});
            else Add("0 < strpos(search, $)", {std::move(p.text)});
        }
        if (q.from) Add("printed_at >= $", {q.from});
        if (q.until) Add("printed_at < $", {q.until});
    }
    // condition with a "$" for each of its values.
    void Add(std::string condition, std::initializer_list<SqlParam> values)
    {
        auto value = values.begin();
        for (auto at = condition.find('$'); at != std::string::npos; at = condition.find('$', at + 1)) {
            params.push_back(*value++);
            condition.insert(at + 1, std::to_string(params.size()));
        }
        from += (conditions_++ ? " AND " : " WHERE ") + condition;
    }

private:
    int conditions_ = 0;
};

constexpr const char* kNewestFirst = " ORDER BY printed_at DESC, id DESC";

// Up to limit matching entries after `after` (from the newest without one),
// read along the index of the time, which the store leaves once it has them.
std::vector<JournalMark> MatchingRows(SqlConnection& c, Matching m, const JournalMark* after, std::size_t limit)
{
    if (after) m.Add("(printed_at, id) < ($, $)", {after->printedAt, after->id});
    m.params.emplace_back(static_cast<std::int64_t>(limit));
    std::vector<JournalMark> rows;
    c.Run("SELECT printed_at, id" + m.from + kNewestFirst + " LIMIT $" + std::to_string(m.params.size()), m.params,
          [&rows](const SqlRow& r) { rows.push_back({r.Int(0), r.Int(1)}); });
    return rows;
}

}  // namespace

std::vector<JournalId> Journal::Search(const JournalQuery& q)
{
    std::vector<JournalId> ids;
    Do([&](SqlConnection& c) {
        ids.clear();
        const Matching m(q, c);
        c.Run("SELECT id" + m.from + kNewestFirst, m.params, [&ids](const SqlRow& r) { ids.push_back(r.Int(0)); });
    });
    return ids;
}

JournalFirstPage Journal::SearchFirst(const JournalQuery& q, std::size_t limit)
{
    JournalFirstPage page;
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, false);
        // The rows and the count as of one moment.
        if (c.IsServer()) c.Run("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ");
        const Matching m(q, c);
        page.rows = MatchingRows(c, m, nullptr, limit);
        page.count = page.rows.size();
        // Fewer than asked for are all there are: the count needs no second look.
        if (page.count >= limit)
            c.Run("SELECT count(*)" + m.from, m.params,
                  [&page](const SqlRow& r) { page.count = static_cast<std::size_t>(r.Int(0)); });
        tx.Commit();
    });
    return page;
}

std::vector<JournalMark> Journal::SearchAfter(const JournalQuery& q, const JournalMark& after, std::size_t limit)
{
    std::vector<JournalMark> rows;
    Do([&](SqlConnection& c) { rows = MatchingRows(c, Matching(q, c), &after, limit); });
    return rows;
}

std::vector<JournalEntry> Journal::Load(std::span<const JournalId> ids)
{
    std::unordered_map<JournalId, JournalEntry> found;
    Do([&](SqlConnection& c) {
        found.clear();
        ForChunks(c, std::string("SELECT ") + kEntrySelect + " FROM entries WHERE id IN ({ids})", {}, ids,
                  [&found](const SqlRow& r) {
                      JournalEntry e = EntryFromRow(r);
                      found.emplace(e.id, std::move(e));
                  });
    });
    std::vector<JournalEntry> out;
    out.reserve(ids.size());
    for (JournalId id : ids)
        if (auto it = found.find(id); it != found.end()) out.push_back(std::move(it->second));
    return out;
}

void Journal::Remove(std::span<const JournalId> ids)
{
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, true);
        ForChunks(c, "DELETE FROM entries WHERE id IN ({ids})", {}, ids);
        tx.Commit();
    });
}

std::vector<JournalEntry> Journal::HoldersOfTracking(std::string_view number, JournalId except)
{
    std::vector<JournalEntry> out;
    Do([&](SqlConnection& c) {
        out.clear();
        c.Run(std::string("SELECT ") + kEntrySelect +
                  " FROM entries WHERE tracking = $1 AND id <> $2 ORDER BY printed_at DESC",
              {Cp932ToUtf8(number), except}, [&out](const SqlRow& r) { out.push_back(EntryFromRow(r)); });
    });
    return out;
}

void Journal::SetTracking(JournalId id, std::string_view number)
{
    Do([&](SqlConnection& c) {
        SqlTransaction tx(c, true);
        std::optional<JournalEntry> e;
        c.Run(std::string("SELECT ") + kEntrySelect + " FROM entries WHERE id = $1", {id},
              [&e](const SqlRow& r) { e = EntryFromRow(r); });
        if (!e) throw EJournal("この印刷履歴は削除されています。");
        e->tracking = std::string(number);
        c.Run("UPDATE entries SET tracking = $1, search = $2 WHERE id = $3",
              {Cp932ToUtf8(number), SearchText(*e), id});
        tx.Commit();
    });
}

std::vector<JournalId> Journal::BatchEntries(std::string_view batch)
{
    std::vector<JournalId> ids;
    Do([&](SqlConnection& c) {
        ids.clear();
        c.Run("SELECT id FROM entries WHERE batch = $1 AND batch <> '' ORDER BY printed_at, id",
              {std::string(batch)}, [&ids](const SqlRow& r) { ids.push_back(r.Int(0)); });
    });
    return ids;
}

CopyCount Journal::CopyInto(Journal& target)
{
    std::vector<JournalId> ids = Search({});
    std::reverse(ids.begin(), ids.end());  // oldest first, as they were printed
    CopyCount count;
    constexpr std::size_t kChunk = 200;
    for (std::size_t at = 0; at < ids.size(); at += kChunk) {
        const std::vector<JournalEntry> entries =
            Load(std::span<const JournalId>(ids).subspan(at, std::min(kChunk, ids.size() - at)));
        CopyCount chunk;
        target.Do([&](SqlConnection& c) {
            chunk = {};
            SqlTransaction tx(c, true);
            for (const JournalEntry& e : entries) {
                bool added = false;
                c.Run(kEntryInsert, EntryParams(e, false), [&added](const SqlRow&) { added = true; });
                ++(added ? chunk.copied : chunk.present);
            }
            tx.Commit();
        });
        count.copied += chunk.copied;
        count.present += chunk.present;
    }
    return count;
}

std::string StationName()
{
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0 || !*host) std::snprintf(host, sizeof host, "hoxa");
    std::string name = host;
    const char* display = std::getenv("DISPLAY");
    if (display && *display && std::string_view(display) != ":0" && std::string_view(display) != ":0.0")
        name += std::string(" ") + display;
    return name;
}

std::int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
}

std::int64_t LocalDayStartMs(int year, int month, int day)
{
    std::tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm)) * 1000;
}

}  // namespace hoxa
