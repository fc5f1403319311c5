// Stores for the journal tests: a fresh local folder, or a fresh database on the
// private server of with_postgres.sh (absent without it).
#pragma once

#include "journal/Journal.h"
#include "journal/PgConnection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace hoxa::test {

inline const char* PgAdmin() { return std::getenv("HOXA_PG_ADMIN"); }

// A new, empty place for a journal of kind "sqlite" or "postgres".
class FreshStore {
public:
    explicit FreshStore(const std::string& kind)
    {
        static int n = 0;
        const std::string name = "hoxa_journal_" + std::to_string(::getpid()) + "_" + std::to_string(++n);
        folder_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::create_directories(folder_);
        place_.folder = folder_.string();
        if (kind == "postgres") {
            PgConnection(PgAdmin(), std::chrono::seconds(5)).Run("CREATE DATABASE " + name);
            place_.server = std::string(PgAdmin()).replace(std::string(PgAdmin()).find("dbname=postgres"), 15,
                                                           "dbname=" + name);
        }
    }
    ~FreshStore() { std::filesystem::remove_all(folder_); }
    const JournalPlace& Place() const { return place_; }
    std::string File() const { return (folder_ / kJournalFileName).string(); }

private:
    std::filesystem::path folder_;
    JournalPlace place_;
};

// A waybill as a batch of order n would print it.
inline JournalEntry SampleEntry(int n, Marketplace market = Marketplace::Rakuten)
{
    const std::string s = std::to_string(n);
    JournalEntry e;
    e.station = "packing-1";
    e.printer = "hoxa_dot";
    e.paperFeed = 1;
    e.waybill = {"100-000" + std::to_string(n % 10), "東京都千代田区千代田" + s, "ハイツ１０１", "山田　太郎" + s,
                 "03-1234-" + std::to_string(1000 + n), "530-0001", "大阪府大阪市北区梅田", "", "ニボラ商店",
                 "06-0000-0000", true, "焼き菓子", "", "", "2024/12/07", true, "12", "9", "", "-3", "5", "180", "180"};
    e.order = {market, "orders.csv", "ORDER-" + s, {{"送付先ID", "1"}, {"発送明細ID", "7" + s}}};
    return e;
}

// Records sample entries 0 ... count - 1, a thousand to a job.
inline void FillJournal(Journal& journal, int count)
{
    for (int at = 0; at < count; at += 1000) {
        std::vector<JournalEntry> es;
        for (int n = at; n < std::min(count, at + 1000); ++n) es.push_back(SampleEntry(n));
        journal.Commit(journal.Prepare(es).ids, at + 1);
    }
}

}  // namespace hoxa::test
