#include "journal/JournalColumns.h"

#include "journal/JournalText.h"
#include "journal/Tracking.h"

#include <array>

namespace hoxa {

namespace {

constexpr std::array<std::string_view, kJournalColumnCount> kTitles = {
    "印刷日時", "状態", "おなまえ", "おところ", "でんわ", "品名", "注文ファイル", "注文番号", "伝票番号", "プリンタ", "端末",
};

// Non-empty texts joined by a full-width space.
std::string Joined(std::initializer_list<const std::string*> parts)
{
    std::string out;
    for (const std::string* p : parts)
        if (!p->empty()) out += (out.empty() ? "" : "\x81\x40") + *p;
    return out;
}

}  // namespace

std::string_view JournalColumnTitle(JournalColumn column)
{
    return kTitles.at(static_cast<std::size_t>(column));
}

std::string JournalCellText(const JournalEntry& e, JournalColumn column)
{
    const WaybillRecord& w = e.waybill;
    switch (column) {
    case JournalColumn::Time: return FormatLocalTime(e.printedAt, "%Y/%m/%d %H:%M");
    case JournalColumn::State:
        if (e.state == EntryState::Pending) return "送信中";
        return e.reprintOf.empty() ? "印刷済" : "再印刷";
    case JournalColumn::Name: return w.custo1;
    case JournalColumn::Address: return Joined({&w.zip, &w.add1, &w.add2});
    case JournalColumn::Telephone: return w.tel;
    case JournalColumn::Goods: return Joined({&w.g1, &w.g2, &w.g3});
    case JournalColumn::Source: return e.order.sourceFile.empty() ? "手入力" : e.order.sourceFile;
    case JournalColumn::OrderId: return e.order.orderId;
    case JournalColumn::Tracking: return FormatTrackingNumber(e.tracking);
    case JournalColumn::Printer: return e.printer;
    case JournalColumn::Station: return e.station;
    case JournalColumn::Count_: break;
    }
    return {};
}

}  // namespace hoxa
