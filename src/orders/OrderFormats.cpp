#include "orders/OrderFormats.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"

#include <algorithm>
#include <unordered_map>

namespace hoxa {

namespace {

using Names = std::vector<const char*>;  // one column under the names versions give it

// Where a field comes from: its parts in joining order; a part missing from
// the file is left out, a rule none of whose parts is there does not apply.
struct Rule {
    OrderField field;
    std::vector<Names> parts;
};

struct KnownExport {
    Marketplace market;
    std::vector<Names> keys;  // all must be there
    std::vector<Rule> rules;  // per field, the first rule that applies
    std::vector<std::pair<const char*, Names>> upload;
};

using F = OrderField;

// Shipping columns of the known exports, as versions spell them.
const std::vector<KnownExport>& KnownExports()
{
    static const std::vector<KnownExport> exports = {
        {Marketplace::Rakuten,
         {{"注文番号", "受注番号"}, {"送付先郵便番号1", "送付先郵便番号"}, {"送付先住所都道府県", "送付先都道府県"}},
         {{F::OrderId, {{"注文番号", "受注番号"}}},
          {F::Zip, {{"送付先郵便番号1", "送付先郵便番号"}, {"送付先郵便番号2"}}},
          {F::Address,
           {{"送付先住所都道府県", "送付先都道府県"},
            {"送付先住所郡市区", "送付先郡市区"},
            {"送付先住所それ以降の住所", "送付先それ以降の住所"}}},
          {F::Name, {{"送付先姓", "送付先名字"}, {"送付先名", "送付先名前"}}},
          {F::Name, {{"送付先氏名"}}},
          {F::Tel, {{"送付先電話番号1", "送付先電話番号"}, {"送付先電話番号2"}, {"送付先電話番号3"}}},
          {F::Item, {{"商品名"}}},
          {F::Quantity, {{"個数"}}}},
         {{"送付先ID", {"送付先ID"}}, {"発送明細ID", {"発送明細ID"}}}},
        {Marketplace::Amazon,
         {{"order-id"}, {"ship-postal-code"}},
         {{F::OrderId, {{"order-id"}}},
          {F::Zip, {{"ship-postal-code"}}},
          {F::Address, {{"ship-state"}, {"ship-city"}, {"ship-address-1"}}},
          {F::Building, {{"ship-address-2"}, {"ship-address-3"}}},
          {F::Name, {{"recipient-name"}}},
          {F::Tel, {{"ship-phone-number", "buyer-phone-number"}}},
          {F::Item, {{"product-name"}}},
          {F::Quantity, {{"quantity-purchased", "quantity"}}}},
         {{"order-item-id", {"order-item-id"}}, {"quantity", {"quantity-purchased", "quantity"}}}},
        {Marketplace::Yahoo,
         {{"OrderId"}, {"ShipZipCode"}},
         {{F::OrderId, {{"OrderId"}}},
          {F::Zip, {{"ShipZipCode"}}},
          {F::Address, {{"ShipPrefecture"}, {"ShipCity"}, {"ShipAddress1"}}},
          {F::Building, {{"ShipAddress2"}}},
          {F::Name, {{"ShipLastName"}, {"ShipFirstName"}}},
          {F::Name, {{"ShipName"}}},
          {F::Tel, {{"ShipPhoneNumber"}}},
          {F::Item, {{"ItemTitle", "Title"}}},
          {F::Quantity, {{"Quantity"}}}},
         {}},
        // BASE and STORES write the same shipping columns.
        {Marketplace::Base,
         {{"注文ID"}, {"郵便番号(配送先)"}},
         {{F::OrderId, {{"注文ID"}}},
          {F::Zip, {{"郵便番号(配送先)"}}},
          {F::Address, {{"都道府県(配送先)"}, {"住所(配送先)"}}},
          {F::Building, {{"住所2(配送先)"}}},
          {F::Name, {{"氏(配送先)"}, {"名(配送先)"}}},
          {F::Name, {{"氏名(配送先)"}}},
          {F::Tel, {{"電話番号(配送先)"}}},
          {F::Item, {{"商品名"}}},
          {F::Quantity, {{"数量"}}}},
         {}},
        {Marketplace::Shopify,
         {{"Name"}, {"Shipping Zip"}, {"Lineitem name"}},
         {{F::OrderId, {{"Name"}}},
          {F::Zip, {{"Shipping Zip"}}},
          {F::Address, {{"Shipping Province Name", "Shipping Province"}, {"Shipping City"}, {"Shipping Address1", "Shipping Street"}}},
          {F::Building, {{"Shipping Address2"}}},
          {F::Name, {{"Shipping Name"}}},
          {F::Tel, {{"Shipping Phone"}}},
          {F::Item, {{"Lineitem name"}}},
          {F::Quantity, {{"Lineitem quantity"}}}},
         {}},
        {Marketplace::EcCube,
         {{"注文ID", "注文番号"}, {"配送先_郵便番号", "配送先_郵便番号1"}},
         {{F::OrderId, {{"注文ID", "注文番号"}}},
          {F::Zip, {{"配送先_郵便番号", "配送先_郵便番号1"}, {"配送先_郵便番号2"}}},
          {F::Address, {{"配送先_都道府県"}, {"配送先_住所1"}, {"配送先_住所2"}}},
          {F::Name, {{"配送先_お名前(姓)", "配送先_姓"}, {"配送先_お名前(名)", "配送先_名"}}},
          {F::Tel, {{"配送先_電話番号", "配送先_電話番号1"}, {"配送先_電話番号2"}, {"配送先_電話番号3"}}},
          {F::Item, {{"商品名"}}},
          {F::Quantity, {{"数量"}}}},
         {}},
    };
    return exports;
}

// How column names are compared: half-width, without blanks and separators
// (- _ : ･, which the full-width ones become), Latin letters in lower case.
std::string ColumnKey(std::string_view name)
{
    const std::string half = ToHalfWidth(name);
    std::string key;
    for (std::size_t i = 0; i < half.size();) {
        const std::size_t len = CharLenAt(half, i);
        const char c = half[i];
        if (len == 2) key.append(half, i, 2);
        else if (c >= 'A' && c <= 'Z') key.push_back(static_cast<char>(c - 'A' + 'a'));
        else if (c != ' ' && c != '-' && c != '_' && c != ':' && c != '\xA5') key.push_back(c);
        i += len;
    }
    return key;
}

class HeaderIndex {
public:
    explicit HeaderIndex(const std::vector<std::string>& header)
    {
        for (std::size_t c = 0; c < header.size(); ++c) index_.emplace(ColumnKey(header[c]), c);  // first one kept
    }
    // The columns of the names the header has, in the order of the names.
    std::vector<std::size_t> FindAll(const Names& names) const
    {
        std::vector<std::size_t> found;
        for (const char* n : names)
            if (const auto it = index_.find(ColumnKey(n)); it != index_.end()) found.push_back(it->second);
        return found;
    }
    std::optional<std::size_t> Find(const Names& names) const
    {
        const auto found = FindAll(names);
        return found.empty() ? std::nullopt : std::optional<std::size_t>(found.front());
    }

private:
    std::unordered_map<std::string, std::size_t> index_;
};

}  // namespace

std::string_view OrderFieldCaption(OrderField f)
{
    static constexpr std::string_view captions[kOrderFields] = {"注文番号", "郵便番号", "おところ①", "おところ②",
                                                                 "おなまえ", "でんわ",   "品名",       "個数"};
    return captions[static_cast<std::size_t>(f)];
}

std::optional<OrderFormat> RecogniseOrderFormat(const std::vector<std::string>& header)
{
    const HeaderIndex index(header);
    for (const KnownExport& known : KnownExports()) {
        bool all = true;
        for (const Names& key : known.keys) all = all && index.Find(key).has_value();
        if (!all) continue;
        OrderFormat format;
        format.market = known.market;
        // Each rule that applies is a join of the field, its parts the columns
        // the header has of their names; the first rule's are the columns.
        for (const Rule& rule : known.rules) {
            std::vector<ColumnMapping::Part> join;
            for (const Names& part : rule.parts)
                if (auto columns = index.FindAll(part); !columns.empty()) join.push_back(std::move(columns));
            if (join.empty()) continue;
            auto& columns = format.mapping[rule.field];
            if (columns.empty())
                for (const auto& part : join) columns.push_back(part.front());
            format.mapping.alternatives[static_cast<std::size_t>(rule.field)].push_back(std::move(join));
        }
        for (const auto& [name, names] : known.upload)
            if (const auto c = index.Find(names)) format.uploadColumns.emplace_back(name, *c);
        return format;
    }
    return std::nullopt;
}

bool Complete(const ColumnMapping& mapping)
{
    return mapping.Usable() && !mapping[OrderField::Zip].empty();
}

void ChooseColumns(OrderFormat& format, const ColumnMapping& chosen)
{
    for (std::size_t f = 0; f < kOrderFields; ++f)
        if (chosen.columns[f] != format.mapping.columns[f]) format.mapping.alternatives[f] = chosen.alternatives[f];
    format.mapping.columns = chosen.columns;
}

std::vector<std::size_t> ColumnMapping::ColumnsFor(OrderField f, const std::function<bool(std::size_t)>& filled) const
{
    for (const auto& join : alternatives[static_cast<std::size_t>(f)]) {
        std::vector<std::size_t> columns;
        bool any = false;
        for (const Part& part : join) {
            const auto it = std::find_if(part.begin(), part.end(), filled);
            any = any || it != part.end();
            columns.push_back(it != part.end() ? *it : part.front());
        }
        if (any) return columns;
    }
    return (*this)[f];
}

}  // namespace hoxa
