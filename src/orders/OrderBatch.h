// The waybills of an order file: rows of one order (same order id and
// destination) make one waybill, in file order, each checked with the rules of
// the check after a transfer, plus text cut by a field's limit, 〓, and postal
// code against address.  The batch window lists them and prints them; its edits
// go through Edit, which converts and limits as the main window's fields do and
// checks the row again.  All texts are CP932.
#pragma once

#include "orders/OrderFile.h"
#include "orders/OrderFormats.h"
#include "orders/OrderRef.h"
#include "transfer/TransferCheck.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

struct WaybillRecord;

// The fields of a waybill that a batch row holds: the five destination fields
// in DestField order, then the goods lines.
enum class WaybillField : std::size_t { Zip, Add1, Add2, Custo1, Tel, G1, G2, G3 };
inline constexpr std::size_t kWaybillFields = 8;

// The caption of the field in the main window ("郵便番号" ... "品名３").
std::string_view WaybillFieldCaption(WaybillField f);

// The byte limit of the main window's field (0: none): postal code 16, name 80,
// goods lines 30.
std::size_t WaybillFieldLimit(WaybillField f);

// A text typed or pasted into a field, as the main window's field would hold
// it: postal code and telephone in half-width, cut at the field's limit.
std::string FieldInput(WaybillField f, std::string_view text);

// The reasons a batch adds to those of the check after a transfer.
namespace batch_reason {
inline constexpr std::string_view kCut = "欄に入りきらない分が切れています";
inline constexpr std::string_view kGeta = "使えない文字が〓になっています";
inline constexpr std::string_view kAdd1Long = "おところ①の文字数が多すぎます";
inline constexpr std::string_view kAdd2Long = "おところ②の文字数が多すぎます";
inline constexpr std::string_view kZipEmpty = "郵便番号がありません";
inline constexpr std::string_view kTelEmpty = "電話番号がありません";
inline constexpr std::string_view kNoDestination = "お届け先がありません";
inline constexpr std::string_view kQuantity = "個数を読み取れません";
}  // namespace batch_reason

// One waybill of the batch.
struct BatchRow {
    std::array<std::string, kWaybillFields> fields;
    OrderRef ref;
    std::size_t line = 0;  // the file's line where the waybill's first order row begins
    // Text a field's limit cut when the file was read (an edit of the field ends it).
    std::array<bool, kWaybillFields> cut{};
    // A goods line whose item (or one counted in its 他N点) has a quantity that
    // is no number; the line counts it as one (an edit of the line ends it).
    std::array<bool, kWaybillFields> unreadQuantity{};
    // Per field, the reasons to look at it, first found first; and the row's own.
    std::array<std::vector<std::string>, kWaybillFields> reasons;
    std::vector<std::string> rowReasons;

    const std::string& Field(WaybillField f) const { return fields[static_cast<std::size_t>(f)]; }
    const std::vector<std::string>& Reasons(WaybillField f) const { return reasons[static_cast<std::size_t>(f)]; }
    bool Marked() const;
    // Every reason once, the row's first, then the fields' in window order.
    std::vector<std::string> AllReasons() const;
    // The destination fields' reasons, as the check after a transfer marks them.
    CheckResult DestinationMarks() const;
    // The rest: the row's own reasons and the goods lines', each once.
    std::vector<std::string> OtherReasons() const;
};

// Finds the row's reasons anew from its fields.  `lookup` compares postal code
// and address (the main window's, AddressMatchesPostalCode).
void CheckRow(BatchRow& row, const ZipAddressLookup& lookup);

// The row's destination and goods lines into a waybill record; sender, dates
// and margins stay as the caller set them.
void FillWaybill(const BatchRow& row, WaybillRecord& record);

class OrderBatch {
public:
    OrderBatch() = default;
    // The waybills of the table's rows read through `format`; `sourceFile` is
    // the order file's name without its folder, kept in every OrderRef.
    OrderBatch(const OrderTable& table, const OrderFormat& format, std::string sourceFile,
               ZipAddressLookup lookup = {});

    std::size_t Size() const { return rows_.size(); }
    const BatchRow& Row(std::size_t i) const { return rows_[i]; }
    const std::vector<BatchRow>& Rows() const { return rows_; }
    std::size_t MarkedCount() const;

    // The clerk's edit of one field (FieldInput), then the row checked again.
    void Edit(std::size_t row, WaybillField field, std::string_view text);

private:
    std::vector<BatchRow> rows_;
    ZipAddressLookup lookup_;
};

}  // namespace hoxa
