// "発送CSV": the files a shop uploads to its marketplace to report what was
// shipped with which tracking number.
#pragma once

#include "journal/Couriers.h"
#include "journal/JournalEntry.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

struct UploadFile {
    Marketplace market = Marketplace::Other;  // Rakuten, Amazon, Yahoo; Other: the plain file
    std::string fileName;                     // "hoxa_rakuten_20241207.csv"
    std::string bytes;                        // the whole file, in the marketplace's encoding
    std::size_t entries = 0;
};

struct UploadSet {
    std::vector<UploadFile> files;  // one per marketplace met, Rakuten, Amazon, Yahoo, plain
    std::size_t skipped = 0;        // entries without an order id or a tracking number
};

// The upload files for the entries that have an order id and a tracking number:
//  - Rakuten RMS, CP932 CSV: 注文番号, 送付先ID, 発送明細ID, お荷物伝票番号, 配送会社,
//    発送日 (yyyy-MM-dd), a row per 発送明細ID the order file gave;
//  - Amazon, tab-separated UTF-8: order-id, order-item-id, quantity, ship-date
//    (yyyy-MM-dd), carrier-code, carrier-name, tracking-number, ship-method, a row
//    per order-item-id;
//  - Yahoo! Shopping, CP932 CSV: OrderId, ShipCompanyCode, ShipInvoiceNumber1,
//    ShipDate (yyyyMMdd), ShipStatus (3: shipped);
//  - every other source, CP932 CSV: 注文番号, 発送日, 伝票番号, お届け先.
// The ship date is the waybill's date, or the day it was printed when its date
// was left off.  today ("yyyyMMdd") names the files.
UploadSet MakeUploadFiles(std::span<const JournalEntry> entries, const Courier& courier,
                          std::string_view today);

// Writes the files into the folder dir, each replaced whole.  Returns an empty
// text, or the message for the first file that could not be written (CP932,
// naming its full path, ending in "。"); the files after it are not written.
std::string WriteUploadFiles(const std::string& dir, const UploadSet& set);

// What was written, for the clerk (CP932): one line per file with its name and
// number of waybills, and how many were left out.
std::string UploadSummary(const UploadSet& set);

}  // namespace hoxa
