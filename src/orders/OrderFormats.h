// Which columns of an order file make which part of a waybill: the exports of
// the marketplaces and carts that small shops use are recognised by a few key
// columns of their header; any other header is mapped by the clerk, column by
// column (see ColumnMappingStore.h).
#pragma once

#include "orders/OrderRef.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hoxa {

// What a waybill takes from an order row.  Each is a column or a join of
// columns, joined as people write them: Zip halves with a hyphen, Address
// (prefecture, city, street) run together, Building parts with a blank, Name
// (family, given) with a blank, Tel parts with hyphens, Item parts (name,
// variation) with a blank.
enum class OrderField : std::size_t { OrderId, Zip, Address, Building, Name, Tel, Item, Quantity };
inline constexpr std::size_t kOrderFields = 8;

// The field's caption in the mapping step: "注文番号", "郵便番号", "おところ①",
// "おところ②", "おなまえ", "でんわ", "品名", "個数" (CP932).
std::string_view OrderFieldCaption(OrderField f);

struct ColumnMapping {
    // Per field, the columns (0-based) joined in this order; empty: not in the file.
    std::array<std::vector<std::size_t>, kOrderFields> columns;
    // Per field, the joins a known export offers, tried in turn for each row
    // (Rakuten's 送付先姓 and 送付先名, then 送付先氏名), each of their parts
    // the columns tried in turn (Amazon's ship-phone-number, then
    // buyer-phone-number); `columns` are the first of each part of the first
    // join.  Empty: `columns` alone.
    using Part = std::vector<std::size_t>;
    std::array<std::vector<std::vector<Part>>, kOrderFields> alternatives;

    std::vector<std::size_t>& operator[](OrderField f) { return columns[static_cast<std::size_t>(f)]; }
    const std::vector<std::size_t>& operator[](OrderField f) const { return columns[static_cast<std::size_t>(f)]; }
    // A waybill needs at least an address and a name.
    bool Usable() const { return !(*this)[OrderField::Address].empty() && !(*this)[OrderField::Name].empty(); }
    // The columns of the field for a row, where `filled` tells which of its
    // cells are not blank: of the first join the row fills, each part's first
    // filled column.  `columns` when the row fills none.
    std::vector<std::size_t> ColumnsFor(OrderField f, const std::function<bool(std::size_t column)>& filled) const;
    bool operator==(const ColumnMapping&) const = default;
};

struct OrderFormat {
    Marketplace market = Marketplace::Other;
    ColumnMapping mapping;
    // Columns the marketplace's upload file needs, under the upload's name
    // ("送付先ID", "order-item-id", ...), copied into OrderRef::uploadFields.
    std::vector<std::pair<std::string, std::size_t>> uploadColumns;
};

// The format of a known export, from its header (CP932 column names); nullopt
// for any other header.  Column names are compared in half-width, without
// blanks and separators (hyphens, underscores, colons, middle dots), Latin
// letters in either case.  The mapping is what the header has of the export's
// columns; it may lack some that a waybill needs (see Complete).
std::optional<OrderFormat> RecogniseOrderFormat(const std::vector<std::string>& header);

// Whether a known export's mapping found every column a waybill needs: an
// address, a name and a postal code.  Else the clerk completes it.
bool Complete(const ColumnMapping& mapping);

// The clerk's columns in place of the format's; a field the clerk left as it
// was keeps its alternatives.
void ChooseColumns(OrderFormat& format, const ColumnMapping& chosen);

}  // namespace hoxa
