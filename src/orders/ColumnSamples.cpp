#include "orders/ColumnSamples.h"

#include "base/cp932.h"
#include "orders/WaybillParts.h"

#include <algorithm>

namespace hoxa {

std::string ColumnSample(const OrderTable& table, std::size_t column, std::size_t maxBytes)
{
    for (std::size_t r = 0; r < table.Rows(); ++r) {
        const std::string cell = TidyCell(table.Cell(r, column));
        if (!cell.empty()) return std::string(CutAtBytes(cell, maxBytes));
    }
    return {};
}

std::string FieldSample(const OrderTable& table, OrderField field, const std::vector<std::size_t>& columns)
{
    for (std::size_t r = 0; r < table.Rows(); ++r) {
        Cells cells;
        for (const std::size_t c : columns) cells.push_back(table.Cell(r, c));
        if (std::all_of(cells.begin(), cells.end(), [](std::string_view c) { return TidyCell(c).empty(); })) continue;
        switch (field) {
        case OrderField::Zip:
            return JoinPostalCode(cells, [](std::string_view) { return false; });
        case OrderField::Address: {
            const AddressLines lines = JoinAddress(cells, {});
            return lines.add2.empty() ? lines.add1 : lines.add1 + " / " + lines.add2;
        }
        case OrderField::Tel:
            return JoinTelephone(cells);
        case OrderField::Quantity: {
            const std::optional<long> n = ParseQuantity(cells.front());
            return n ? IntToStr(static_cast<long long>(*n)) : TidyCell(cells.front());
        }
        default:  // order id, building, name and item: parts with a blank between
            return JoinName(cells);
        }
    }
    return {};
}

}  // namespace hoxa
