// Stores for the journal tests: a fresh local folder, or a fresh database on the
// private server of with_postgres.sh (absent without it).
#pragma once

#include "journal/Journal.h"
#include "journal/PgConnection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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
    JournalEntry e;
    e.station = "packing-1";
    e.printer = "hoxa_dot";
    e.paperFeed = 1;
    WaybillRecord& w = e.waybill;
    w.zip = "100-000" + std::to_string(n % 10);
    w.add1 = "東京都千代田区千代田" + std::to_string(n);
    w.add2 = "ハイツ１０１";
    w.custo1 = "山田　太郎" + std::to_string(n);
    w.tel = "03-1234-" + std::to_string(1000 + n);
    w.my = "ニボラ商店";
    w.myZip = "530-0001";
    w.g1 = "焼き菓子";
    w.dateText = "2024/12/07";
    w.deDate1 = "12";
    w.deDate2 = "9";
    w.prnTop = "-3";
    w.prnLeft = "5";
    w.dpix = w.dpiy = "180";
    e.order = {market, "orders.csv", "ORDER-" + std::to_string(n), {{"送付先ID", "1"}, {"発送明細ID", "7" + std::to_string(n)}}};
    return e;
}

}  // namespace hoxa::test
