#include "orders/OrderBatch.h"

#include "base/Codec.h"
#include "base/cp932.h"
#include "orders/WaybillParts.h"
#include "print/WaybillLayout.h"
#include "transfer/CheckText.h"
#include "transfer/HalfWidth.h"
#include "transfer/PostalCodes.h"

#include <algorithm>
#include <unordered_map>

namespace hoxa {

namespace {

namespace why = batch_reason;

std::size_t Index(WaybillField f) { return static_cast<std::size_t>(f); }

void AddReason(std::vector<std::string>& list, std::string_view reason)
{
    if (std::find(list.begin(), list.end(), reason) == list.end()) list.emplace_back(reason);
}

Cells CellsOf(const OrderTable& t, std::size_t row, const std::vector<std::size_t>& columns)
{
    Cells cells;
    cells.reserve(columns.size());
    for (const std::size_t c : columns) cells.push_back(t.Cell(row, c));
    return cells;
}

// Whether a cell holds more than blanks (either width) and line breaks.
bool Filled(std::string_view cell)
{
    for (std::size_t i = 0; i < cell.size(); i += CharLenAt(cell, i))
        if (static_cast<unsigned char>(cell[i]) > 0x20 && cell.compare(i, 2, "　") != 0) return true;
    return false;
}

// The cells a row gives a field: of the columns a known export offers for it,
// those the row fills (ColumnMapping::ColumnsFor).
Cells FieldCells(const OrderTable& t, std::size_t row, const ColumnMapping& m, OrderField f)
{
    return CellsOf(t, row, m.ColumnsFor(f, [&](std::size_t c) { return Filled(t.Cell(row, c)); }));
}

// A row's postal code, address lines, name and telephone as the waybill
// shows them (DestField order).
using Destination = std::array<std::string, kDestFields>;

Destination DestinationOf(const OrderTable& t, std::size_t row, const ColumnMapping& m, const ZipAddressLookup& lookup)
{
    const AddressLines address =
        JoinAddress(FieldCells(t, row, m, OrderField::Address), FieldCells(t, row, m, OrderField::Building));
    const std::string wholeAddress = address.add1 + address.add2;
    const auto known = [&](std::string_view zip) { return lookup && lookup(zip, wholeAddress).has_value(); };
    return {JoinPostalCode(FieldCells(t, row, m, OrderField::Zip), known), address.add1, address.add2,
            JoinName(FieldCells(t, row, m, OrderField::Name)), JoinTelephone(FieldCells(t, row, m, OrderField::Tel))};
}

// The rows of each waybill, in file order: rows of one order id whose
// destinations are the same, compared as fields are (half-width, without
// blanks), go together; a row of a known order without any destination
// (further items of the order, as some exports write them) goes with the
// order's first waybill; rows without an order id stand alone.
std::vector<std::vector<std::size_t>> GroupRows(const OrderTable& t, const ColumnMapping& m,
                                               const ZipAddressLookup& lookup)
{
    std::vector<std::vector<std::size_t>> groups;
    std::unordered_map<std::string, std::size_t> byKey, firstOfOrder;
    for (std::size_t r = 0; r < t.Rows(); ++r) {
        const std::string id = JoinName(FieldCells(t, r, m, OrderField::OrderId));
        if (!id.empty()) {
            std::string key = id + '\x1E';
            for (const std::string& field : DestinationOf(t, r, m, lookup))
                key.append(check_text::Squeeze(check_text::Fold(field))).push_back('\x1F');
            if (key.size() == id.size() + 1 + kDestFields) {  // no destination
                if (const auto it = firstOfOrder.find(id); it != firstOfOrder.end()) {
                    groups[it->second].push_back(r);
                    continue;
                }
            }
            if (const auto [it, added] = byKey.try_emplace(std::move(key), groups.size()); !added) {
                groups[it->second].push_back(r);
                continue;
            }
            firstOfOrder.try_emplace(id, groups.size());
        }
        groups.push_back({r});
    }
    return groups;
}

BatchRow MakeRow(const OrderTable& t, const OrderFormat& format, const std::vector<std::size_t>& rows,
                 const std::string& sourceFile, const ZipAddressLookup& lookup)
{
    const ColumnMapping& m = format.mapping;
    const std::size_t first = rows.front();
    BatchRow row;
    row.line = t.Line(first);
    auto& f = row.fields;
    Destination destination = DestinationOf(t, first, m, lookup);
    std::move(destination.begin(), destination.end(), f.begin());

    std::vector<GoodsItem> items;
    std::vector<std::size_t> unreadQuantity;  // the items whose quantity is no number
    for (const std::size_t r : rows) {
        GoodsItem item;
        item.name = JoinName(FieldCells(t, r, m, OrderField::Item));  // name and variation, joined like a name
        if (item.name.empty()) continue;
        if (const Cells quantity = FieldCells(t, r, m, OrderField::Quantity); !quantity.empty()) {
            const std::optional<long> n = ParseQuantity(quantity.front());
            if (!n) unreadQuantity.push_back(items.size());
            item.quantity = n.value_or(1);
        }
        items.push_back(std::move(item));
    }
    const GoodsLines goods = FillGoodsLines(items);
    for (std::size_t k = 0; k < kGoodsLines; ++k) {
        f[Index(WaybillField::G1) + k] = goods.lines[k];
        row.cut[Index(WaybillField::G1) + k] = goods.cut[k];
    }
    for (const std::size_t i : unreadQuantity)  // an item past the last line is counted on it
        row.unreadQuantity[Index(WaybillField::G1) + std::min(i, kGoodsLines - 1)] = true;
    for (std::size_t k = 0; k < kWaybillFields; ++k) {
        const std::size_t limit = WaybillFieldLimit(static_cast<WaybillField>(k));
        if (limit && f[k].size() > limit) {
            f[k] = std::string(CutAtBytes(f[k], limit));
            row.cut[k] = true;
        }
    }

    row.ref.market = format.market;
    row.ref.sourceFile = sourceFile;
    row.ref.orderId = JoinName(FieldCells(t, first, m, OrderField::OrderId));
    for (const std::size_t r : rows)
        for (const auto& [name, column] : format.uploadColumns)
            row.ref.uploadFields.emplace_back(name, TidyCell(t.Cell(r, column)));
    CheckRow(row, lookup);
    return row;
}

}  // namespace

std::string_view WaybillFieldCaption(WaybillField f)
{
    static constexpr std::string_view captions[kWaybillFields] = {"郵便番号", "おところ①", "おところ②", "おなまえ",
                                                                   "でんわ",   "品名１",     "品名２",     "品名３"};
    return captions[Index(f)];
}

std::size_t WaybillFieldLimit(WaybillField f)
{
    static constexpr std::size_t limits[kWaybillFields] = {16, 0, 0, 80, 0, kGoodsLineBytes, kGoodsLineBytes,
                                                           kGoodsLineBytes};
    return limits[Index(f)];
}

std::string FieldInput(WaybillField f, std::string_view text)
{
    std::string s = f == WaybillField::Zip || f == WaybillField::Tel ? ToHalfWidth(text) : std::string(text);
    // A code written any common way ("〒600ー8216", "600 8216") as the list shows codes.
    if (f == WaybillField::Zip)
        if (const auto code = ReadPostalCode(s)) s = FormatPostalCode(*code);
    const std::size_t limit = WaybillFieldLimit(f);
    return limit ? std::string(CutAtBytes(s, limit)) : s;
}

bool BatchRow::Marked() const
{
    return !rowReasons.empty() || std::any_of(reasons.begin(), reasons.end(), [](const auto& r) { return !r.empty(); });
}

std::vector<std::string> BatchRow::AllReasons() const
{
    std::vector<std::string> all;
    for (const auto& r : rowReasons) AddReason(all, r);
    for (const auto& list : reasons)
        for (const auto& r : list) AddReason(all, r);
    return all;
}

CheckResult BatchRow::DestinationMarks() const
{
    CheckResult marks;
    std::copy_n(reasons.begin(), kDestFields, marks.reasons.begin());
    return marks;
}

std::vector<std::string> BatchRow::OtherReasons() const
{
    std::vector<std::string> other;
    for (const auto& r : rowReasons) AddReason(other, r);
    for (std::size_t k = kDestFields; k < kWaybillFields; ++k)
        for (const auto& r : reasons[k]) AddReason(other, r);
    return other;
}

void CheckRow(BatchRow& row, const ZipAddressLookup& lookup)
{
    for (auto& list : row.reasons) list.clear();
    row.rowReasons.clear();
    const auto& f = row.fields;
    const DestinationFields destination{f[Index(WaybillField::Zip)], f[Index(WaybillField::Add1)],
                                        f[Index(WaybillField::Add2)], f[Index(WaybillField::Custo1)],
                                        f[Index(WaybillField::Tel)]};
    const auto reasons = [&](WaybillField w) -> std::vector<std::string>& { return row.reasons[Index(w)]; };
    if (std::all_of(f.begin(), f.begin() + kDestFields, [](const std::string& s) { return Trim(s).empty(); })) {
        row.rowReasons.emplace_back(why::kNoDestination);
    } else {
        // No pasted text: the rules on the fields alone.
        const CheckResult check = CheckTransfer(Lines{}, destination, lookup);
        for (std::size_t k = 0; k < kDestFields; ++k) row.reasons[k] = check.reasons[k];
        if (Trim(destination.zip).empty()) AddReason(reasons(WaybillField::Zip), why::kZipEmpty);
        if (Trim(destination.tel).empty()) AddReason(reasons(WaybillField::Tel), why::kTelEmpty);
    }
    if (destination.add1.size() > kAddressLineBytes) AddReason(reasons(WaybillField::Add1), why::kAdd1Long);
    if (destination.add2.size() > kAddressLineBytes) AddReason(reasons(WaybillField::Add2), why::kAdd2Long);
    for (std::size_t k = 0; k < kWaybillFields; ++k) {
        if (row.cut[k]) AddReason(row.reasons[k], why::kCut);
        if (row.unreadQuantity[k]) AddReason(row.reasons[k], why::kQuantity);
        if (CountOccurrences(f[k], kGeta) > 0) AddReason(row.reasons[k], why::kGeta);
    }
}

void FillWaybill(const BatchRow& row, WaybillRecord& record)
{
    record.zip = row.Field(WaybillField::Zip);
    record.add1 = row.Field(WaybillField::Add1);
    record.add2 = row.Field(WaybillField::Add2);
    record.custo1 = row.Field(WaybillField::Custo1);
    record.tel = row.Field(WaybillField::Tel);
    record.g1 = row.Field(WaybillField::G1);
    record.g2 = row.Field(WaybillField::G2);
    record.g3 = row.Field(WaybillField::G3);
}

OrderBatch::OrderBatch(const OrderTable& table, const OrderFormat& format, std::string sourceFile,
                       ZipAddressLookup lookup)
    : lookup_(std::move(lookup))
{
    const auto groups = GroupRows(table, format.mapping, lookup_);
    rows_.reserve(groups.size());
    for (const auto& rows : groups) rows_.push_back(MakeRow(table, format, rows, sourceFile, lookup_));
}

std::size_t OrderBatch::MarkedCount() const
{
    return static_cast<std::size_t>(std::count_if(rows_.begin(), rows_.end(), [](const BatchRow& r) { return r.Marked(); }));
}

void OrderBatch::Edit(std::size_t row, WaybillField field, std::string_view text)
{
    BatchRow& r = rows_.at(row);
    r.fields[Index(field)] = FieldInput(field, text);
    r.cut[Index(field)] = false;
    r.unreadQuantity[Index(field)] = false;
    CheckRow(r, lookup_);
}

}  // namespace hoxa
