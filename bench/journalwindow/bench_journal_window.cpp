// What the journal adds to a print: the recorder's steps around one F11 page
// (the double-print look-up, Prepare before the hand-over, the record with the
// job's number after it) on a journal of 100,000 entries; and the journal
// window "印刷履歴" opened on it (the search, the list, its first page drawn).
// The PostgreSQL cases need the private server of tests/journal/with_postgres.sh.
#include "app/JournalUnit.h"
#include "journal/JournalRecorder.h"
#include "journal/journal_test_util.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <map>

using namespace hoxa;
using namespace hoxa::test;

namespace {

constexpr int kEntries = 100000;

class Yes : public PrintAsker {
public:
    bool Ask(std::string_view, DefaultAnswer) override { return true; }
};

// A journal of 100,000 entries per store, made once; null without a server.
Journal* Full(const std::string& kind)
{
    static std::map<std::string, std::pair<std::unique_ptr<FreshStore>, std::unique_ptr<Journal>>> made;
    auto& [store, journal] = made[kind];
    if (!journal && (kind == "sqlite" || PgAdmin())) {
        store = std::make_unique<FreshStore>(kind);
        journal = std::make_unique<Journal>(store->Place(), std::chrono::seconds(60));
        FillJournal(*journal, kEntries);
    }
    return journal.get();
}

void BM_RecordPrint(benchmark::State& state, const std::string& kind)
{
    Journal* journal = Full(kind);
    if (!journal) return state.SkipWithError("no server: run through tests/journal/with_postgres.sh");
    JournalRecorder recorder(*journal, [] { return 0; }, {});
    Yes asker;
    int n = kEntries;
    for (auto _ : state) {
        PrintPage page;
        page.record = SampleEntry(++n).waybill;  // a destination not printed before
        const PrintRequest request = PrintRequest::For(PrintOrigin::F11, {page}, "hoxa_dot");
        recorder.AskAboutEarlierPrints(request, "hoxa_dot", asker);
        if (!recorder.Prepare(request, "hoxa_dot", asker).problem.empty()) {
            state.SkipWithError("no record");
            break;
        }
        recorder.Record({n, "hoxa_dot", PrintOrigin::F11, request.pages});
    }
    state.counters["entries"] = static_cast<double>(journal->Search({}).size());
}

void BM_OpenWindow(benchmark::State& state, const std::string& kind)
{
    Journal* journal = Full(kind);
    if (!journal) return state.SkipWithError("no server: run through tests/journal/with_postgres.sh");
    JournalContext context;
    context.journal = journal;
    for (auto _ : state) {
        TForm_Journal window(nullptr, context, QSize(1000, 620));
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_RecordPrint, sqlite, std::string("sqlite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RecordPrint, postgres, std::string("postgres"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, sqlite, std::string("sqlite"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenWindow, postgres, std::string("postgres"))->Unit(benchmark::kMillisecond);
