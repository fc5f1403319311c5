// Where a waybill came from: the order of a shop's order file, as the batch
// reads it and the journal keeps it for the tracking-number upload.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace hoxa {

// The marketplaces and carts whose order exports are recognised by their header.
// Other: a file read through a column mapping, or a waybill typed by hand.
enum class Marketplace { Other, Rakuten, Amazon, Yahoo, Base, Stores, Shopify, EcCube };

struct OrderRef {
    Marketplace market = Marketplace::Other;
    std::string sourceFile;  // the order file's name without its folder (CP932); empty: typed by hand
    std::string orderId;     // CP932; empty when the file has none
    // Columns of the order file that the marketplace's upload file needs, under
    // the name the upload spells them ("送付先ID", "発送明細ID", "order-item-id",
    // "quantity"), one pair per order row in file order; a key may repeat.
    std::vector<std::pair<std::string, std::string>> uploadFields;

    bool operator==(const OrderRef&) const = default;
};

}  // namespace hoxa
