// The journal's speed and size: recording one waybill (prepare and commit), a
// search over 100,000 entries (every matching id, and as the journal window
// shows it: the count and the rows in view), the journal window's first page of
// 100,000, and the file's bytes per entry.  The PostgreSQL cases need the
// private server:
//   tests/journal/with_postgres.sh build/bench/journal/bench_journal
#include "journal/JournalPager.h"
#include "journal/SqliteConnection.h"
#include "journal/journal_test_util.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <map>

using namespace hoxa;
using namespace hoxa::test;

namespace {

constexpr int kEntries = 100000;

bool Skip(benchmark::State& state, const std::string& kind)
{
    if (kind == "postgres" && !PgAdmin()) {
        state.SkipWithError("no server: run through tests/journal/with_postgres.sh");
        return true;
    }
    return false;
}

struct Made {
    std::unique_ptr<FreshStore> store;
    std::unique_ptr<Journal> journal;
};

// One journal of 100,000 entries per store, made once.
Made& Full(const std::string& kind)
{
    static std::map<std::string, Made> made;
    auto& [store, journal] = made[kind];
    if (!journal) {
        store = std::make_unique<FreshStore>(kind);
        journal = std::make_unique<Journal>(store->Place(), std::chrono::seconds(60));
        FillJournal(*journal, kEntries);
        if (kind == "postgres") PgConnection(store->Place().server, std::chrono::seconds(60)).Run("VACUUM ANALYZE");
    }
    return made[kind];
}

void BM_Record(benchmark::State& state, const std::string& kind)
{
    if (Skip(state, kind)) return;
    FreshStore store(kind);
    Journal journal(store.Place());
    int n = 0;
    for (auto _ : state) {
        std::vector<JournalEntry> e{SampleEntry(++n)};
        journal.Commit(journal.Prepare(e).ids, n);
    }
}

void BM_Search(benchmark::State& state, const std::string& kind, const std::string& text)
{
    if (Skip(state, kind)) return;
    Journal& journal = *Full(kind).journal;
    std::size_t found = 0;
    for (auto _ : state) found = journal.Search({text}).size();
    state.counters["found"] = static_cast<double>(found);
}

// The window's search: the count, and the entries of the rows in view.
void BM_WindowSearch(benchmark::State& state, const std::string& kind, const JournalQuery& query)
{
    if (Skip(state, kind)) return;
    Journal& journal = *Full(kind).journal;
    std::size_t found = 0;
    for (auto _ : state) {
        JournalPager pager(journal);
        pager.Search(query);
        found = pager.Count();
        for (std::size_t row = 0; row < std::min<std::size_t>(found, 40); ++row)
            benchmark::DoNotOptimize(pager.At(row));
    }
    state.counters["found"] = static_cast<double>(found);
}

// Searches that find one entry in ten thousand, a tenth, every entry, none.
const std::initializer_list<std::pair<const char*, JournalQuery>> kWindowSearches = {
    {"name", {"山田　太郎5123"}},
    {"part", {"千代田5"}},
    {"every", {"東京都"}},
    {"one_char_every", {"1"}},
    {"one_char_none", {"x"}},
    {"two_chars_none", {"愛子"}},
    {"empty", {""}},
    {"dates_every", {"", 1, std::int64_t(1) << 50}},
};

const bool kRegistered = [] {
    for (const char* kind : {"sqlite", "postgres"})
        for (const auto& [name, query] : kWindowSearches)
            benchmark::RegisterBenchmark((std::string("BM_WindowSearch/") + kind + "_" + name).c_str(),
                                         BM_WindowSearch, std::string(kind), query)
                ->Unit(benchmark::kMillisecond);
    return true;
}();

// The window opening: every id newest first, then the entries of its first page.
void BM_FirstPage(benchmark::State& state, const std::string& kind)
{
    if (Skip(state, kind)) return;
    Journal& journal = *Full(kind).journal;
    for (auto _ : state) {
        JournalPager pager(journal);
        pager.Search({});
        for (std::size_t row = 0; row < 40; ++row) benchmark::DoNotOptimize(pager.At(row));
    }
}

// The file and its write-ahead log.
void BM_FileBytesPerEntry(benchmark::State& state)
{
    const std::string file = Full("sqlite").store->File();
    std::uintmax_t bytes = std::filesystem::file_size(file);
    if (std::filesystem::exists(file + "-wal")) bytes += std::filesystem::file_size(file + "-wal");
    for (auto _ : state) benchmark::DoNotOptimize(bytes);
    state.counters["bytes_per_entry"] = static_cast<double>(bytes) / kEntries;
}

}  // namespace

BENCHMARK_CAPTURE(BM_Record, sqlite, std::string("sqlite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Record, postgres, std::string("postgres"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, sqlite_name, std::string("sqlite"), std::string("山田　太郎5123"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, sqlite_every, std::string("sqlite"), std::string("東京都"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, postgres_name, std::string("postgres"), std::string("山田　太郎5123"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, postgres_every, std::string("postgres"), std::string("東京都"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPage, sqlite, std::string("sqlite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FirstPage, postgres, std::string("postgres"))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileBytesPerEntry)->Iterations(1);
