#include "journal/UploadFiles.h"

#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "journal/JournalText.h"

#include <cstdio>
#include <map>
#include <set>

namespace hoxa {

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;
using Row = std::map<std::string, std::string>;

std::string Get(const Row& row, const char* key)
{
    const auto it = row.find(key);
    return it == row.end() ? std::string() : it->second;
}

// The order file's rows as the upload needs them: a new row where rowKey comes
// again; the other keys carry over from the row before.  Item rows of one
// shipment repeat its rowKey: the shipment is uploaded once.
std::vector<Row> OrderRows(const Fields& fields, const std::string& rowKey)
{
    std::vector<Row> rows(1);
    for (const auto& [key, value] : fields) {
        if (key == rowKey && rows.back().count(rowKey)) rows.push_back(rows.back());
        rows.back()[key] = value;
    }
    std::set<std::string> seen;
    std::erase_if(rows, [&](const Row& r) { return !seen.insert(Get(r, rowKey.c_str())).second; });
    return rows;
}

// year, month, day of the ship date.
struct Day {
    int y = 0, m = 0, d = 0;
};

Day ShipDay(const JournalEntry& e)
{
    Day day;
    for (const std::string& text : {e.waybill.printDate ? e.waybill.dateText : std::string(),
                                    FormatLocalTime(e.printedAt, "%Y/%m/%d")})
        if (std::sscanf(text.c_str(), "%4d/%2d/%2d", &day.y, &day.m, &day.d) == 3) break;
    return day;
}

std::string DayText(Day day, const char* format)
{
    char text[16];
    std::snprintf(text, sizeof text, format, day.y, day.m, day.d);
    return text;
}

// One CSV line, every field quoted, CR LF.
std::string CsvLine(std::initializer_list<std::string> fields)
{
    std::string line;
    for (const std::string& f : fields) {
        if (!line.empty()) line += ',';
        line += '"';
        for (char c : f) line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line + "\r\n";
}

// One tab-separated line; tabs and line ends inside a field become blanks.
std::string TsvLine(std::initializer_list<std::string> fields)
{
    std::string line;
    for (const std::string& f : fields) {
        if (!line.empty()) line += '\t';
        for (char c : f) line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    }
    return line + "\n";
}

}  // namespace

UploadSet MakeUploadFiles(std::span<const JournalEntry> entries, const Courier& courier, std::string_view today)
{
    const std::string day(today);
    UploadFile rakuten{Marketplace::Rakuten, "hoxa_rakuten_" + day + ".csv",
                       CsvLine({"注文番号", "送付先ID", "発送明細ID", "お荷物伝票番号", "配送会社", "発送日"})};
    UploadFile amazon{Marketplace::Amazon, "hoxa_amazon_" + day + ".txt",
                      TsvLine({"order-id", "order-item-id", "quantity", "ship-date", "carrier-code",
                               "carrier-name", "tracking-number", "ship-method"})};
    UploadFile yahoo{Marketplace::Yahoo, "hoxa_yahoo_" + day + ".csv",
                     CsvLine({"OrderId", "ShipCompanyCode", "ShipInvoiceNumber1", "ShipDate", "ShipStatus"})};
    UploadFile plain{Marketplace::Other, "hoxa_orders_" + day + ".csv",
                     CsvLine({"注文番号", "発送日", "伝票番号", "お届け先"})};
    UploadSet set;
    for (const JournalEntry& e : entries) {
        const std::string& id = e.order.orderId;
        if (id.empty() || e.tracking.empty()) {
            ++set.skipped;
            continue;
        }
        const Day ship = ShipDay(e);
        switch (e.order.market) {
        case Marketplace::Rakuten:
            for (const Row& r : OrderRows(e.order.uploadFields, "発送明細ID"))
                rakuten.bytes += CsvLine({id, Get(r, "送付先ID"), Get(r, "発送明細ID"), e.tracking,
                                          std::string(courier.rakutenCode), DayText(ship, "%04d-%02d-%02d")});
            ++rakuten.entries;
            break;
        case Marketplace::Amazon:
            for (const Row& r : OrderRows(e.order.uploadFields, "order-item-id"))
                amazon.bytes += TsvLine({Cp932ToUtf8(id), Cp932ToUtf8(Get(r, "order-item-id")),
                                         Cp932ToUtf8(Get(r, "quantity")), DayText(ship, "%04d-%02d-%02d"),
                                         std::string(courier.amazonCode), Cp932ToUtf8(courier.amazonName),
                                         e.tracking, Cp932ToUtf8(courier.amazonMethod)});
            ++amazon.entries;
            break;
        case Marketplace::Yahoo:
            yahoo.bytes += CsvLine({id, std::string(courier.yahooCode), e.tracking, DayText(ship, "%04d%02d%02d"), "3"});
            ++yahoo.entries;
            break;
        default:
            plain.bytes += CsvLine({id, DayText(ship, "%04d/%02d/%02d"), e.tracking, e.waybill.custo1});
            ++plain.entries;
            break;
        }
    }
    for (UploadFile* f : {&rakuten, &amazon, &yahoo, &plain})
        if (f->entries) set.files.push_back(std::move(*f));
    return set;
}

std::string WriteUploadFiles(const std::string& dir, const UploadSet& set)
{
    for (const UploadFile& f : set.files) {
        const std::string path = PathIn(dir, f.fileName);
        if (const int err = ReplaceFileAtomically(path, f.bytes))
            return path + " に書き込めません (" + FileErrorText(err) + ")。";
    }
    return {};
}

std::string UploadSummary(const UploadSet& set)
{
    std::string text;
    for (const UploadFile& f : set.files)
        text += (text.empty() ? "" : "、") + f.fileName + " に " + std::to_string(f.entries) + " 件";
    text += "の発送を書きました。";
    if (set.skipped) text += "\n注文番号か伝票番号のない " + std::to_string(set.skipped) + " 件は書いていません。";
    return text;
}

}  // namespace hoxa
