// A day's order file of 10,000 rows, read, grouped into waybills and checked:
// a Rakuten-style CP932 CSV of 60 columns and an Amazon-style UTF-8 TSV, with
// real postal codes and their addresses so that every postal-code check
// reaches the data.  The postal-code list is loaded before the timing (its
// first load is measured by bench_postal).
#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "base/cp932.h"
#include "orders/OrderBatch.h"
#include "transfer/PostalCodes.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kRows = 10000;

long StatusKiB(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string k;
    long value = 0;
    while (status >> k) {
        if (k == key) {
            status >> value;
            return value;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// From here on VmHWM (the peak resident memory) starts again at VmRSS.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Destination {
    std::string zip, prefecture, city, town;
};

// Real postal codes with their addresses, spread over the list.
std::vector<Destination> Destinations()
{
    hoxa::UsePostalDataFile(HOXA_POSTAL_DATA);
    std::vector<Destination> out;
    std::uint32_t x = 4711;
    while (out.size() < 500) {
        x = x * 1103515245u + 12345u;
        const std::string zip = hoxa::FormatPostalCode((x >> 8) % 10000000);
        if (const auto a = hoxa::LookUpPostalCode(zip); a && !a->town.empty() && a->town.size() < 16)
            out.push_back({zip, a->prefecture, a->city, a->town});
    }
    return out;
}

struct Row {
    std::string orderId, zip1, zip2, prefecture, city, street, family, given, tel1, tel2, tel3, item, quantity;
};

// Orders of one to three items; a third of the addresses with a building, some
// telephone numbers stripped of their leading 0 by a spreadsheet.
std::vector<Row> Rows()
{
    static const char* family[] = {"見本", "架空", "試験", "仮野", "例田", "模擬", "名無", "空山"};
    static const char* given[] = {"太郎", "花子", "一郎", "春香", "次郎", "夏美", "三郎", "秋子"};
    static const char* items[] = {"手作り石けん 無香料 100g", "木のスプーン", "国産はちみつ 500g 瓶入り", "今治タオル フェイス用 2枚組",
                                  "陶器の小皿", "革の名刺入れ ブラウン"};
    const std::vector<Destination> dest = Destinations();
    std::vector<Row> rows;
    std::uint32_t x = 99;
    for (std::size_t order = 0; rows.size() < kRows; ++order) {
        x = x * 1103515245u + 12345u;
        const Destination& d = dest[(x >> 8) % dest.size()];
        Row r;
        r.orderId = "100001-20240101-" + hoxa::IntToStr(static_cast<long long>(1000000 + order));
        r.zip1 = d.zip.substr(0, 3);
        r.zip2 = d.zip.substr(4);
        r.prefecture = d.prefecture;
        r.city = d.city;
        r.street = d.town + hoxa::IntToStr(order % 9 + 1) + "-" + hoxa::IntToStr(order % 17 + 1) + "-" +
                   hoxa::IntToStr(order % 5 + 1) + (order % 3 == 0 ? " 架空ハイツ" + hoxa::IntToStr(order % 500 + 101) : "");
        r.family = family[order % 8];
        r.given = given[(order / 8) % 8];
        r.tel1 = order % 7 == 0 ? "90" : "03";
        r.tel2 = hoxa::IntToStr(static_cast<long long>(1000 + order % 9000));
        r.tel3 = hoxa::IntToStr(static_cast<long long>(1000 + (order * 7) % 9000));
        const std::size_t n = 1 + (x >> 20) % 3;
        for (std::size_t k = 0; k < n && rows.size() < kRows; ++k) {
            r.item = items[(order + k) % 6];
            r.quantity = hoxa::IntToStr(static_cast<long long>(1 + k));
            rows.push_back(r);
        }
    }
    return rows;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// Rakuten-style: the shipping columns among 45 others, CP932, CR LF, every cell quoted.
std::string RakutenFile(const std::vector<Row>& rows)
{
    std::string f = "\"注文番号\",\"注文日時\"";
    for (int k = 0; k < 45; ++k) f += ",\"項目" + hoxa::IntToStr(k) + "\"";
    f += ",\"送付先郵便番号1\",\"送付先郵便番号2\",\"送付先住所都道府県\",\"送付先住所郡市区\",\"送付先住所それ以降の住所\","
         "\"送付先姓\",\"送付先名\",\"送付先電話番号1\",\"送付先電話番号2\",\"送付先電話番号3\",\"商品名\",\"個数\",\"送付先ID\"\r\n";
    for (const Row& r : rows) {
        f += Quoted(r.orderId) + ",\"2024-01-01 10:00:00\"";
        for (int k = 0; k < 45; ++k) f += k % 3 ? ",\"\"" : ",\"クレジットカード決済\"";
        for (const auto* c : {&r.zip1, &r.zip2, &r.prefecture, &r.city, &r.street, &r.family, &r.given, &r.tel1,
                              &r.tel2, &r.tel3, &r.item, &r.quantity})
            f += "," + Quoted(*c);
        f += ",\"1\"\r\n";
    }
    return f;
}

// Amazon-style: tab-separated UTF-8 of 30 columns, LF.
std::string AmazonFile(const std::vector<Row>& rows)
{
    std::string f = "order-id\torder-item-id\tpurchase-date\tbuyer-email\tbuyer-name\tbuyer-phone-number\tsku\t"
                    "product-name\tquantity-purchased\tcurrency\titem-price\titem-tax\tshipping-price\t"
                    "shipping-tax\tship-service-level\trecipient-name\tship-address-1\tship-address-2\t"
                    "ship-address-3\tship-city\tship-state\tship-postal-code\tship-country\tship-phone-number\t"
                    "delivery-start-date\tdelivery-end-date\tdelivery-time-zone\tdelivery-Instructions\t"
                    "sales-channel\tis-business-order\n";
    for (const Row& r : rows) {
        const std::string cells[] = {r.orderId, "12345678901234", "2024-01-01T10:00:00+09:00", "x@example.jp",
                                     r.family + " " + r.given, "", "SKU-1", r.item, r.quantity, "JPY", "1200", "0",
                                     "0", "0", "Standard", r.family + " " + r.given, r.street, "", "", r.city,
                                     r.prefecture, r.zip1 + "-" + r.zip2, "JP", r.tel1 + r.tel2 + r.tel3, "", "", "",
                                     "", "Amazon.co.jp", "false"};
        std::string line;
        for (const auto& c : cells) line += (line.empty() ? "" : "\t") + c;
        f += hoxa::Cp932ToUtf8(line) + "\n";
    }
    return f;
}

struct Files {
    QTemporaryDir dir;
    std::string rakuten, amazon;
    std::size_t rakutenBytes = 0, amazonBytes = 0;
    Files()
    {
        const std::vector<Row> rows = Rows();
        const std::string r = RakutenFile(rows), a = AmazonFile(rows);
        rakuten = dir.path().toStdString() + "/rakuten.csv";
        amazon = dir.path().toStdString() + "/amazon.txt";
        rakutenBytes = r.size();
        amazonBytes = a.size();
        hoxa::ReplaceFileAtomically(rakuten, r);
        hoxa::ReplaceFileAtomically(amazon, a);
        benchmark::DoNotOptimize(hoxa::LookUpPostalCode("100-0001"));  // the list loaded
    }
};

const Files& TheFiles()
{
    static const Files files;
    return files;
}

// What the batch window does on opening a file.
hoxa::OrderBatch Open(const std::string& path)
{
    const hoxa::OrderTable table = hoxa::ReadOrderFile(path);
    return hoxa::OrderBatch(table, *hoxa::RecogniseOrderFormat(table.Header()), "orders.csv", &hoxa::AddressMatchesPostalCode);
}

void Counters(benchmark::State& state, const hoxa::OrderBatch& batch, std::size_t bytes)
{
    state.counters["waybills"] = static_cast<double>(batch.Size());
    state.counters["marked"] = static_cast<double>(batch.MarkedCount());
    state.counters["file_KiB"] = static_cast<double>(bytes / 1024);
}

// First: the peak resident memory that opening the file adds, and what the
// batch keeps once the file's table has gone.
void BM_OrdersResidentMemory(benchmark::State& state)
{
    const Files& files = TheFiles();
    long before = 0, peak = 0, held = 0;
    hoxa::OrderBatch batch;
    for (auto _ : state) {
        ResetPeak();
        before = StatusKiB("VmRSS:");
        batch = Open(files.rakuten);
        peak = StatusKiB("VmHWM:");
        held = StatusKiB("VmRSS:");
    }
    state.counters["rss_peak_added_KiB"] = static_cast<double>(peak - before);
    state.counters["rss_held_KiB"] = static_cast<double>(held - before);
    Counters(state, batch, files.rakutenBytes);
}
BENCHMARK(BM_OrdersResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_OrdersReadOnly(benchmark::State& state)
{
    const Files& files = TheFiles();
    for (auto _ : state) benchmark::DoNotOptimize(hoxa::ReadOrderFile(files.rakuten));
    state.counters["file_KiB"] = static_cast<double>(files.rakutenBytes / 1024);
}
BENCHMARK(BM_OrdersReadOnly)->Unit(benchmark::kMillisecond);

// Arg 0: the Rakuten-style CP932 CSV; 1: the Amazon-style UTF-8 TSV.
void BM_OrdersOpen(benchmark::State& state)
{
    const Files& files = TheFiles();
    const bool utf8 = state.range(0) == 1;
    hoxa::OrderBatch batch;
    for (auto _ : state) batch = Open(utf8 ? files.amazon : files.rakuten);
    Counters(state, batch, utf8 ? files.amazonBytes : files.rakutenBytes);
}
BENCHMARK(BM_OrdersOpen)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
