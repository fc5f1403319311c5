// What the column-mapping step shows beside its choices: a sample value of
// each column of the file, and what a waybill field would take from the
// columns chosen for it, joined as the batch joins them.  CP932 texts.
#pragma once

#include "orders/OrderFile.h"
#include "orders/OrderFormats.h"

#include <cstddef>
#include <string>
#include <vector>

namespace hoxa {

// The first non-blank cell of the column (tidied, cut at `maxBytes` on a
// character boundary); empty when the column has none.
std::string ColumnSample(const OrderTable& table, std::size_t column, std::size_t maxBytes);

// The field as the first row that has any of `columns` filled makes it: postal
// code halves with a hyphen, address parts run together, name parts with a
// blank, telephone parts with hyphens, the quantity as a number.  Empty when
// no row has them filled or no column is chosen.
std::string FieldSample(const OrderTable& table, OrderField field, const std::vector<std::size_t>& columns);

}  // namespace hoxa
