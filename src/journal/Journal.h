// The journal of printed waybills: every waybill handed to CUPS, what it said,
// where it came from and its tracking number.  It lives in hoxa_journal.sqlite3
// in the working folder, or on a PostgreSQL server shared by several stations;
// both hold the same tables.
//
// Printing records in two steps around the hand-over: Prepare before the job is
// sent writes the entries as pending (so that a journal that cannot be written
// is known before a form is spent), Commit with the CUPS job id once CUPS has
// accepted the job, Abandon when it refused it.
//
// Every call ends within the time-out (5 s) or raises EJournal, whose message is
// the user's (Japanese, CP932, ending in "。").  A connection is made on first
// use and made again after a failure, so a journal can be constructed at any
// time.
#pragma once

#include "base/errors.h"
#include "journal/JournalEntry.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hoxa {

class SqlConnection;

inline constexpr const char* kJournalFileName = "hoxa_journal.sqlite3";
inline constexpr std::chrono::milliseconds kJournalTimeout{5000};
// A destination printed this long ago or later counts as printed.
inline constexpr std::int64_t kDoublePrintWindowMs = 14LL * 24 * 60 * 60 * 1000;

class EJournal : public Exception {
public:
    using Exception::Exception;
};

// Where the journal lives.
struct JournalPlace {
    std::string folder;  // the working folder (file-system bytes)
    std::string server;  // a libpq connection string; empty: the local file
};

struct JournalQuery {
    std::string text;        // CP932; part of a name, telephone, postal code, address,
                             // order id or tracking number; empty: every entry
    std::int64_t from = 0;   // printed at or after (ms since 1970); 0: no bound
    std::int64_t until = 0;  // printed before; 0: no bound
};

// The result of Prepare.  With conflicts nothing was written.
struct Recording {
    std::vector<JournalId> ids;  // the pending entries, in the order given
    // Entries whose order another entry has claimed meanwhile (another station
    // printed it): the index into the entries given, and that print.
    std::vector<std::pair<std::size_t, EarlierPrint>> conflicts;
    std::string notice;  // to show the user before printing (a damaged file set aside)
};

// An entry's place in the window's order, newest first: its time, then its id.
struct JournalMark {
    std::int64_t printedAt = 0;
    JournalId id = 0;
};

// The window's first look at a search: how many entries match and the first of
// them, both as they were at one moment.
struct JournalFirstPage {
    std::size_t count = 0;
    std::vector<JournalMark> rows;  // newest first
};

struct CopyCount {
    std::size_t copied = 0;   // entries new to the target
    std::size_t present = 0;  // entries the target held already
};

class Journal {
public:
    explicit Journal(JournalPlace place, std::chrono::milliseconds timeout = kJournalTimeout);
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    bool OnServer() const { return !place_.server.empty(); }
    // The store in use for the window's title (CP932): the file's name, or
    // "サーバー host:port/dbname".
    std::string StoreName() const;
    // A notice the user should read once (a damaged file set aside and a new one
    // started), then empty.
    std::string TakeNotice();

    // --- Double print ----------------------------------------------------------
    // The latest earlier print of an order with this order id (ever), or of this
    // destination (postal code, name and telephone alike after half-width
    // conversion without blanks) printed at now - 14 days or later.
    std::optional<EarlierPrint> FindEarlierPrint(const WaybillRecord& waybill, const OrderRef& order,
                                                 std::int64_t now);
    // The same for several waybills at once (a batch list), in their order.
    std::vector<std::optional<EarlierPrint>> FindEarlierPrints(
        std::span<const std::pair<WaybillRecord, OrderRef>> waybills, std::int64_t now);

    // --- Recording ---------------------------------------------------------------
    // Writes the entries as pending, giving each its id, uid and time (the time of
    // this call).  An entry with an order id and no reprintOf claims its order: if
    // another entry holds that claim, nothing is written and the conflicts are
    // returned; the caller asks the user and, on Yes, prepares again with
    // reprintOf set to the earlier print's uid.
    Recording Prepare(std::vector<JournalEntry>& entries);
    // CUPS accepted the job.
    void Commit(std::span<const JournalId> ids, int jobId);
    // The same, with the printer the job went to and the resolution it was
    // drawn at (both known only once it was sent).
    void Commit(std::span<const JournalId> ids, int jobId, std::string_view printer, int dpiX, int dpiY);
    // The job was not sent or CUPS refused it: the pending entries go.
    void Abandon(std::span<const JournalId> ids);

    // --- The journal window ------------------------------------------------------
    // The matching entries, newest first (the count is the size).
    std::vector<JournalId> Search(const JournalQuery& query);
    // The same a page at a time, as the window shows it: the count and the first
    // `limit` entries, then the next `limit` after the last one seen.  Entries
    // printed or removed meanwhile move no row before `after`.
    JournalFirstPage SearchFirst(const JournalQuery& query, std::size_t limit);
    std::vector<JournalMark> SearchAfter(const JournalQuery& query, const JournalMark& after, std::size_t limit);
    // The entries of these ids in this order; ids no longer there are left out.
    std::vector<JournalEntry> Load(std::span<const JournalId> ids);
    void Remove(std::span<const JournalId> ids);

    // --- Tracking numbers --------------------------------------------------------
    // The entries other than `except` that hold this number (CP932 digits).
    std::vector<JournalEntry> HoldersOfTracking(std::string_view number, JournalId except);
    // Sets (or with an empty number clears) an entry's tracking number.
    void SetTracking(JournalId id, std::string_view number);
    // A batch print's entries in print order.
    std::vector<JournalId> BatchEntries(std::string_view batch);

    // --- Several stations ---------------------------------------------------------
    // Copies every entry of this journal into target (the server) that target
    // does not hold yet (entries are known by their uid), so copying twice adds
    // nothing.  Copies lose their order claim: the copy is no print.
    CopyCount CopyInto(Journal& target);

private:
    // Runs f on the connection within the time-out, connecting (and creating or
    // updating the tables) first when needed; a stale server connection or a
    // damaged file is recovered from once.  ESqlError becomes EJournal.
    void Do(const std::function<void(SqlConnection&)>& f);
    SqlConnection& Connection(std::chrono::steady_clock::time_point deadline);
    // The file's name, or the server as "host:port/dbname" (CP932).
    std::string Store() const;

    JournalPlace place_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<SqlConnection> conn_;
    std::string notice_;
};

// A new uid: 32 hex digits (an entry's, a batch print's).
std::string NewJournalUid();

// The station name recorded in entries: the host name, and the X display when
// it is not the first (two copies on two displays of one computer differ).
std::string StationName();

// Milliseconds since 1970 of now, and of the start of a local calendar day.
std::int64_t NowMs();
std::int64_t LocalDayStartMs(int year, int month, int day);

}  // namespace hoxa
