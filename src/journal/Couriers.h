// The couriers the journal knows: how their tracking numbers are checked and
// how each marketplace's upload file names them.  One row per courier; the
// setting [hoxa_Journal] Courier= picks the row by its key.
#pragma once

#include <span>
#include <string_view>

namespace hoxa {

enum class TrackingRule {
    SevenDR,   // 12 digits, the last the first eleven taken as a number modulo 7
    Digits12,  // 12 digits without a check digit
};

struct Courier {
    std::string_view key;           // the setting's value ("yamato")
    std::string_view name;          // CP932 ("ヤマト運輸"), also the plain upload's carrier
    TrackingRule rule;
    std::string_view rakutenCode;   // RMS 配送会社
    std::string_view amazonCode;    // carrier-code
    std::string_view amazonName;    // carrier-name (CP932)
    std::string_view amazonMethod;  // ship-method (CP932)
    std::string_view yahooCode;     // ShipCompanyCode
};

std::span<const Courier> Couriers();

// The courier of that key (letters compared without case); an empty or unknown
// key gives the first, ヤマト運輸.
const Courier& CourierByKey(std::string_view key);

}  // namespace hoxa
