#include "journal/JournalRows.h"

#include "base/Codec.h"
#include "base/cp932.h"
#include "journal/Journal.h"
#include "transfer/HalfWidth.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <tuple>

namespace hoxa {

namespace {

// Migration n brings a journal of version n to n + 1; "{id}" stands for the
// store's self-numbering row id.  A step that starts with "{server}" runs on a
// server only; one that starts with "{server, if it can}" too, and where it
// cannot (an extension missing, no right to create it, a table too large to
// index within kOptionalStepMs) the journal does without it.  Never change a
// step once released: add one.
const std::vector<std::vector<const char*>> kMigrations = {
    {
        "CREATE TABLE entries ("
        " id {id}, uid TEXT NOT NULL UNIQUE, printed_at BIGINT NOT NULL, state INTEGER NOT NULL,"
        " station TEXT NOT NULL, printer TEXT NOT NULL, paper_feed INTEGER NOT NULL, job_id INTEGER NOT NULL,"
        " dest_zip TEXT NOT NULL, dest_add1 TEXT NOT NULL, dest_add2 TEXT NOT NULL, dest_name TEXT NOT NULL,"
        " dest_tel TEXT NOT NULL, sender_printed INTEGER NOT NULL, sender_zip TEXT NOT NULL,"
        " sender_add1 TEXT NOT NULL, sender_add2 TEXT NOT NULL, sender_name TEXT NOT NULL,"
        " sender_tel TEXT NOT NULL, goods1 TEXT NOT NULL, goods2 TEXT NOT NULL, goods3 TEXT NOT NULL,"
        " date_printed INTEGER NOT NULL, waybill_date TEXT NOT NULL, desired1 TEXT NOT NULL,"
        " desired2 TEXT NOT NULL, desired3 TEXT NOT NULL, margin_top INTEGER NOT NULL,"
        " margin_left INTEGER NOT NULL, dpi_x INTEGER NOT NULL, dpi_y INTEGER NOT NULL,"
        " market TEXT NOT NULL, source_file TEXT NOT NULL, order_id TEXT NOT NULL,"
        " upload_fields TEXT NOT NULL, batch TEXT NOT NULL, tracking TEXT NOT NULL,"
        " reprint_of TEXT NOT NULL, dest_key TEXT, order_key TEXT, order_claim TEXT,"
        " search TEXT NOT NULL)",
        // One entry per order holds the claim: a second station printing the
        // same order at the same moment fails here, not in a look beforehand.
        "CREATE UNIQUE INDEX entries_claim ON entries (order_claim) WHERE order_claim IS NOT NULL",
        // Newest first, and the search scans this index without the table.
        "CREATE INDEX entries_time ON entries (printed_at, id, search)",
        "CREATE INDEX entries_dest ON entries (dest_key, printed_at)",
        "CREATE INDEX entries_order ON entries (order_key)",
        "CREATE INDEX entries_tracking ON entries (tracking)",
        "CREATE INDEX entries_batch ON entries (batch) WHERE batch <> ''",
    },
    {
        // A server searches a narrow copy of the search texts, which its trigger
        // keeps: a search that reads every text reads a few megabytes, not the
        // whole table.  (A file's index of the time holds them already.)
        "{server}CREATE TABLE entry_search (id BIGINT PRIMARY KEY, printed_at BIGINT NOT NULL, search TEXT NOT NULL)",
        "{server}INSERT INTO entry_search (id, printed_at, search) SELECT id, printed_at, search FROM entries",
        "{server}CREATE INDEX entry_search_time ON entry_search (printed_at, id, search)",
        "{server}DROP INDEX entries_time",
        "{server}CREATE FUNCTION entry_search_keep() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
        " IF TG_OP = 'INSERT' THEN INSERT INTO entry_search VALUES (NEW.id, NEW.printed_at, NEW.search);"
        " ELSIF TG_OP = 'UPDATE' THEN"
        "  UPDATE entry_search SET printed_at = NEW.printed_at, search = NEW.search WHERE id = NEW.id;"
        " ELSE DELETE FROM entry_search WHERE id = OLD.id;"
        " END IF; RETURN NULL; END $$",
        "{server}CREATE TRIGGER entries_search AFTER INSERT OR DELETE OR UPDATE OF printed_at, search ON entries"
        " FOR EACH ROW EXECUTE FUNCTION entry_search_keep()",
        // Searches for three characters or more find their entries through the
        // trigrams of the search texts.  Only where the server's locale counts
        // Japanese as letters: elsewhere a Japanese text has no trigrams.
        "{server, if it can}DO $$ BEGIN"
        " CREATE EXTENSION IF NOT EXISTS pg_trgm;"
        " IF show_trgm(chr(26481) || chr(20140)) <> '{}' THEN"
        "  CREATE INDEX entry_search_trigrams ON entry_search USING gin (search gin_trgm_ops)"
        "  WITH (fastupdate = off);"
        " END IF;"
        " END $$",
    },
    {
        // The destination key compares postal code and telephone without their
        // hyphens: the keys the double-print question still looks at are made anew.
        "{destination keys}",
    },
};

constexpr int kOptionalStepMs = 2000;

// Makes the destination keys of the entries within the double-print window
// (and a day more) anew; older entries are never looked up by it again.
void RekeyRecentDestinations(SqlConnection& c)
{
    std::vector<std::pair<std::int64_t, std::string>> keys;
    c.Run("SELECT id, dest_zip, dest_name, dest_tel FROM entries WHERE printed_at >= $1",
          {NowMs() - kDoublePrintWindowMs - 24 * 3600 * 1000LL}, [&](const SqlRow& r) {
              WaybillRecord w;
              w.zip = Utf8ToCp932(r.Text(1));
              w.custo1 = Utf8ToCp932(r.Text(2));
              w.tel = Utf8ToCp932(r.Text(3));
              keys.emplace_back(r.Int(0), DestinationKey(w));
          });
    for (const auto& [id, key] : keys)
        c.Run("UPDATE entries SET dest_key = $1 WHERE id = $2",
              {key.empty() ? SqlParam(SqlNull{}) : SqlParam(key), id});
}

const std::array<std::pair<Marketplace, std::string_view>, 8> kMarketNames = {{
    {Marketplace::Other, "other"}, {Marketplace::Rakuten, "rakuten"}, {Marketplace::Amazon, "amazon"},
    {Marketplace::Yahoo, "yahoo"}, {Marketplace::Base, "base"}, {Marketplace::Stores, "stores"},
    {Marketplace::Shopify, "shopify"}, {Marketplace::EcCube, "eccube"},
}};

std::string U(std::string_view cp932) { return Cp932ToUtf8(cp932); }

std::int64_t Number(const std::string& text)
{
    std::int32_t v = 0;
    return TryStrToInt(text, v) ? v : 0;
}

// Half-width, without blanks; with dropHyphens also without hyphens and minus
// signs, ASCII letters small.
std::string Folded(std::string_view cp932, bool dropHyphens)
{
    const std::string half = ToHalfWidth(cp932);
    std::string out;
    out.reserve(half.size());
    for (std::size_t i = 0; i < half.size();) {
        const std::size_t n = CharLenAt(half, i);
        const std::string_view ch(half.data() + i, n);
        i += n;
        if (ch == " " || ch == "\t" || ch == "\x81\x40") continue;
        if (dropHyphens && (ch == "-" || ch == "\x81\x5D" || ch == "\x81\x7C")) continue;
        if (dropHyphens && n == 1 && ch[0] >= 'A' && ch[0] <= 'Z') out.push_back(static_cast<char>(ch[0] - 'A' + 'a'));
        else out.append(ch);
    }
    return out;
}

std::string UploadFieldsText(const OrderRef& o)
{
    QJsonArray pairs;
    for (const auto& [key, value] : o.uploadFields)
        pairs.append(QJsonArray{QString::fromUtf8(U(key)), QString::fromUtf8(U(value))});
    return QJsonDocument(pairs).toJson(QJsonDocument::Compact).toStdString();
}

std::vector<std::pair<std::string, std::string>> UploadFieldsFrom(const std::string& json)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& pair : QJsonDocument::fromJson(QByteArray::fromStdString(json)).array()) {
        const QJsonArray kv = pair.toArray();
        out.emplace_back(Utf8ToCp932(kv.at(0).toString().toStdString()),
                         Utf8ToCp932(kv.at(1).toString().toStdString()));
    }
    return out;
}

}  // namespace

std::string_view MarketplaceName(Marketplace m)
{
    for (const auto& [market, name] : kMarketNames)
        if (market == m) return name;
    return "other";
}

Marketplace MarketplaceFromName(std::string_view name)
{
    for (const auto& [market, n] : kMarketNames)
        if (n == name) return market;
    return Marketplace::Other;
}

bool operator==(const JournalEntry& a, const JournalEntry& b)
{
    const auto tie = [](const JournalEntry& e) {
        const WaybillRecord& w = e.waybill;
        return std::tie(e.id, e.uid, e.printedAt, e.state, e.station, e.printer, e.paperFeed, e.jobId, w.zip,
                        w.add1, w.add2, w.custo1, w.tel, w.myZip, w.myAdd1, w.myAdd2, w.my, w.myTel,
                        w.printSender, w.g1, w.g2, w.g3, w.dateText, w.printDate, w.deDate1, w.deDate2,
                        w.deDate3, w.prnTop, w.prnLeft, w.dpix, w.dpiy, e.order, e.batch, e.tracking,
                        e.reprintOf);
    };
    return tie(a) == tie(b);
}

namespace {

// A step the journal can do without: rolled back alone when it fails, and given
// less time than a call has, so that a failure leaves time for the rest.
void RunIfServerCan(SqlConnection& c, const std::string& sql)
{
    if (!c.IsServer()) return;
    c.Run("SAVEPOINT optional_step");
    try {
        c.Run("SET LOCAL statement_timeout = " + std::to_string(kOptionalStepMs));
        c.Run(sql);
        c.Run("SET LOCAL statement_timeout TO DEFAULT");
        c.Run("RELEASE SAVEPOINT optional_step");
    } catch (const ESqlError& e) {
        if (e.Failure() == SqlFailure::Unreachable) throw;
        c.Run("ROLLBACK TO SAVEPOINT optional_step");
    }
}

}  // namespace

void MigrateJournal(SqlConnection& c, const std::string& storeName, int target)
{
    const auto readVersion = [&c] {
        int version = 0;
        c.Run("SELECT value FROM journal_meta WHERE key = 'schema_version'", {},
              [&](const SqlRow& r) { version = static_cast<int>(Number(r.Text(0))); });
        return version;
    };
    // The usual case, without the write lock: the tables are there.
    try {
        if (readVersion() == target) return;
    } catch (const ESqlError& e) {
        if (e.Failure() != SqlFailure::Other) throw;  // no table yet
    }
    SqlTransaction tx(c, true);
    c.LockSchema();
    c.Run("CREATE TABLE IF NOT EXISTS journal_meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
    const int version = readVersion();
    if (version > target)
        throw EJournal("印刷履歴 " + storeName + " は新しい版の hoxa で作られています (版 " + IntToStr(version) +
                       ")。この hoxa では記録できません。");
    for (int v = version; v < target; ++v) {
        for (std::string sql : kMigrations[static_cast<std::size_t>(v)]) {
            if (const auto at = sql.find("{id}"); at != std::string::npos) sql.replace(at, 4, c.RowIdType());
            const auto tagged = [&sql](std::string_view tag) {
                if (sql.rfind(tag, 0) != 0) return false;
                sql.erase(0, tag.size());
                return true;
            };
            if (tagged("{destination keys}")) RekeyRecentDestinations(c);
            else if (tagged("{server, if it can}")) RunIfServerCan(c, sql);
            else if (!tagged("{server}") || c.IsServer()) c.Run(sql);
        }
    }
    c.Run("DELETE FROM journal_meta WHERE key = 'schema_version'");
    c.Run("INSERT INTO journal_meta (key, value) VALUES ('schema_version', $1)", {std::to_string(target)});
    tx.Commit();
}

const char* const kEntrySelect =
    "id, uid, printed_at, state, station, printer, paper_feed, job_id,"
    " dest_zip, dest_add1, dest_add2, dest_name, dest_tel,"
    " sender_printed, sender_zip, sender_add1, sender_add2, sender_name, sender_tel,"
    " goods1, goods2, goods3, date_printed, waybill_date, desired1, desired2, desired3,"
    " margin_top, margin_left, dpi_x, dpi_y,"
    " market, source_file, order_id, upload_fields, batch, tracking, reprint_of";

const char* const kEntryInsert =
    "INSERT INTO entries (uid, printed_at, state, station, printer, paper_feed, job_id,"
    " dest_zip, dest_add1, dest_add2, dest_name, dest_tel,"
    " sender_printed, sender_zip, sender_add1, sender_add2, sender_name, sender_tel,"
    " goods1, goods2, goods3, date_printed, waybill_date, desired1, desired2, desired3,"
    " margin_top, margin_left, dpi_x, dpi_y,"
    " market, source_file, order_id, upload_fields, batch, tracking, reprint_of,"
    " dest_key, order_key, order_claim, search)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16, $17, $18, $19, $20,"
    " $21, $22, $23, $24, $25, $26, $27, $28, $29, $30, $31, $32, $33, $34, $35, $36, $37, $38, $39, $40,"
    " $41) ON CONFLICT (uid) DO NOTHING RETURNING id";

SqlParams EntryParams(const JournalEntry& e, bool claimOrder)
{
    const WaybillRecord& w = e.waybill;
    const std::string destKey = DestinationKey(w);
    const std::string orderKey = OrderKey(e.order);
    const auto orNull = [](const std::string& s) { return s.empty() ? SqlParam(SqlNull{}) : SqlParam(s); };
    return {
        e.uid, e.printedAt, std::int64_t(e.state), U(e.station), U(e.printer),
        std::int64_t(e.paperFeed), std::int64_t(e.jobId),
        U(w.zip), U(w.add1), U(w.add2), U(w.custo1), U(w.tel),
        std::int64_t(w.printSender), U(w.myZip), U(w.myAdd1), U(w.myAdd2), U(w.my), U(w.myTel),
        U(w.g1), U(w.g2), U(w.g3), std::int64_t(w.printDate), U(w.dateText),
        U(w.deDate1), U(w.deDate2), U(w.deDate3),
        Number(w.prnTop), Number(w.prnLeft), Number(w.dpix), Number(w.dpiy),
        std::string(MarketplaceName(e.order.market)), U(e.order.sourceFile), U(e.order.orderId),
        UploadFieldsText(e.order), e.batch, U(e.tracking), e.reprintOf,
        orNull(destKey), orNull(orderKey), claimOrder ? orNull(orderKey) : SqlParam(SqlNull{}),
        SearchText(e),
    };
}

JournalEntry EntryFromRow(const SqlRow& r)
{
    int c = 0;
    const auto text = [&] { return Utf8ToCp932(r.Text(c++)); };
    const auto raw = [&] { return r.Text(c++); };
    const auto num = [&] { return r.Int(c++); };
    JournalEntry e;
    e.id = num();
    e.uid = raw();
    e.printedAt = num();
    e.state = num() == 1 ? EntryState::Printed : EntryState::Pending;
    e.station = text();
    e.printer = text();
    e.paperFeed = static_cast<int>(num());
    e.jobId = static_cast<int>(num());
    WaybillRecord& w = e.waybill;
    for (std::string* s : {&w.zip, &w.add1, &w.add2, &w.custo1, &w.tel}) *s = text();
    w.printSender = num() != 0;
    for (std::string* s : {&w.myZip, &w.myAdd1, &w.myAdd2, &w.my, &w.myTel, &w.g1, &w.g2, &w.g3}) *s = text();
    w.printDate = num() != 0;
    for (std::string* s : {&w.dateText, &w.deDate1, &w.deDate2, &w.deDate3}) *s = text();
    for (std::string* s : {&w.prnTop, &w.prnLeft, &w.dpix, &w.dpiy}) *s = IntToStr(num());
    e.order.market = MarketplaceFromName(raw());
    e.order.sourceFile = text();
    e.order.orderId = text();
    e.order.uploadFields = UploadFieldsFrom(raw());
    e.batch = raw();
    e.tracking = text();
    e.reprintOf = raw();
    return e;
}

std::string DestinationKey(const WaybillRecord& w)
{
    const std::string zip = Folded(w.zip, true), name = Folded(w.custo1, false), tel = Folded(w.tel, true);
    if (zip.empty() && name.empty() && tel.empty()) return {};
    return U(zip + "\n" + name + "\n" + tel);
}

std::string OrderKey(const OrderRef& o)
{
    const std::string id = Trim(o.orderId);
    return id.empty() ? std::string() : std::string(MarketplaceName(o.market)) + ":" + U(id);
}

namespace {

// Whether a server's trigrams take a character as part of a word: ASCII letters
// and digits, kana, kanji, Greek and Cyrillic, and the marks that belong to
// words ("々〆〇ー").  Where it is not sure, no (a search then reads the table).
bool WordChar(std::string_view ch)
{
    const auto b0 = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 1)
        return (b0 >= '0' && b0 <= '9') || (b0 >= 'a' && b0 <= 'z') || (b0 >= 'A' && b0 <= 'Z') ||
               (b0 >= 0xA6 && b0 <= 0xDF);
    const auto b1 = static_cast<unsigned char>(ch[1]);
    return (b0 == 0x81 && b1 >= 0x58 && b1 <= 0x5B) || b0 == 0x82 || b0 == 0x83 || (b0 == 0x84 && b1 < 0x9F) ||
           (b0 >= 0x88 && b0 <= 0x9F) || (b0 >= 0xE0 && b0 <= 0xEA);
}

}  // namespace

SearchPattern SearchPatternOf(std::string_view cp932)
{
    const std::string folded = Folded(cp932, true);
    SearchPattern p;
    if (folded.empty()) return p;
    int run = 0;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t n = CharLenAt(folded, i);
        run = WordChar(std::string_view(folded).substr(i, n)) ? run + 1 : 0;
        p.trigrams = p.trigrams || run >= 3;
        i += n;
    }
    p.text = U(folded);
    p.like = "%";
    for (const char ch : p.text) {
        if (ch == '!' || ch == '%' || ch == '_') p.like += '!';
        p.like += ch;
    }
    p.like += '%';
    return p;
}

std::string SearchText(const JournalEntry& e)
{
    const WaybillRecord& w = e.waybill;
    // The two address lines as one: the user does not know where they split.
    std::string all;
    for (const std::string& s : {w.zip, w.add1 + w.add2, w.custo1, w.tel, e.order.orderId, e.tracking}) {
        all += Folded(s, true);
        all += '\n';
    }
    return U(all);
}

}  // namespace hoxa
