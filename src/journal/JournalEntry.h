// One waybill handed to CUPS, as the journal keeps it.
#pragma once

#include "orders/OrderRef.h"
#include "print/WaybillLayout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hoxa {

// The store's own number of an entry (a server numbers every station's entries).
using JournalId = std::int64_t;

enum class EntryState {
    Pending = 0,  // recorded before the job was sent; CUPS's answer not (yet) known
    Printed = 1,  // CUPS accepted the job
};

struct JournalEntry {
    JournalId id = 0;          // set when recorded
    std::string uid;           // 32 hex digits, the same in every store; set when recorded
    std::int64_t printedAt = 0;  // milliseconds since 1970 (UTC); set when recorded
    EntryState state = EntryState::Pending;
    std::string station;       // the computer (and display) that printed; CP932
    std::string printer;       // the printer's name as the program shows it; CP932
    int paperFeed = 0;         // 0 手差し, 1 連続(４インチ)
    int jobId = 0;             // CUPS job id, 0 while pending
    WaybillRecord waybill;     // every text as printed, the margins and resolution too
    OrderRef order;            // where it came from: a batch file's order, or typed by hand
    std::string batch;         // one uid shared by the entries of one batch print; empty: single
    std::string tracking;      // 伝票番号, 12 digits; empty until entered
    std::string reprintOf;     // uid of the entry this one prints again; empty: a first print
};

// Every field alike, the waybill's texts included.
bool operator==(const JournalEntry& a, const JournalEntry& b);

// What the journal knows of an earlier print of the same waybill.
struct EarlierPrint {
    JournalId id = 0;
    std::string uid;
    std::int64_t printedAt = 0;
    bool sameOrder = false;  // the same order id (else the same destination)
};

// The marketplace as the journal stores it ("rakuten", "amazon", ...), and back
// (an unknown name is Other).
std::string_view MarketplaceName(Marketplace m);
Marketplace MarketplaceFromName(std::string_view name);

}  // namespace hoxa
