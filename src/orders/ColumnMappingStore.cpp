#include "orders/ColumnMappingStore.h"

#include "base/AtomicFile.h"
#include "base/Profile.h"
#include "base/SaveLock.h"
#include "base/cp932.h"
#include "transfer/PostalCodes.h"

namespace hoxa {

namespace {

std::string SectionOf(const std::vector<std::string>& header)
{
    std::string joined;
    for (const auto& name : header) joined.append(name).push_back('\t');
    static constexpr char hex[] = "0123456789ABCDEF";
    const std::uint32_t crc = Crc32(joined);
    std::string section = "columns_";
    for (int shift = 28; shift >= 0; shift -= 4) section.push_back(hex[(crc >> shift) & 0xF]);
    return section;
}

std::string HeaderText(const std::vector<std::string>& header)
{
    std::string text;
    for (const auto& name : header) {
        if (!text.empty()) text.push_back(',');
        text.append(name);
    }
    return std::string(CutAtBytes(text, kMaxProfileValueBytes));
}

constexpr char kHeaderKey[] = "見出し";

// "3+4" -> {2, 3}; nullopt for a column the header does not have or any other text.
std::optional<std::vector<std::size_t>> ParseColumns(std::string_view text, std::size_t columns)
{
    std::vector<std::size_t> out;
    while (!text.empty()) {
        const std::size_t plus = text.find('+');
        std::int32_t n = 0;
        if (!TryStrToInt(Trim(text.substr(0, plus)), n) || n < 1 || static_cast<std::size_t>(n) > columns)
            return std::nullopt;
        out.push_back(static_cast<std::size_t>(n - 1));
        if (plus == std::string_view::npos) break;
        text.remove_prefix(plus + 1);
    }
    return out;
}

}  // namespace

ColumnMappingStore ColumnMappingStore::InFolder(std::string_view dir)
{
    return ColumnMappingStore(PathIn(dir, kColumnMappingFile));
}

std::optional<ColumnMapping> ColumnMappingStore::Find(const std::vector<std::string>& header) const
{
    const ProfileReader file(path_);
    const std::string section = SectionOf(header);
    if (file.ReadString(section, kHeaderKey, "").empty()) return std::nullopt;
    ColumnMapping mapping;
    for (std::size_t f = 0; f < kOrderFields; ++f) {
        const std::string value = file.ReadString(section, OrderFieldCaption(static_cast<OrderField>(f)), "");
        auto columns = ParseColumns(value, header.size());
        if (!columns) return std::nullopt;
        mapping.columns[f] = std::move(*columns);
    }
    if (!mapping.Usable()) return std::nullopt;
    return mapping;
}

void ColumnMappingStore::Save(const std::vector<std::string>& header, const ColumnMapping& mapping)
{
    ProfileEntries entries{{std::string(kHeaderKey), HeaderText(header)}};
    for (std::size_t f = 0; f < kOrderFields; ++f) {
        std::string value;
        for (const std::size_t c : mapping.columns[f]) {
            if (!value.empty()) value.push_back('+');
            value += IntToStr(static_cast<long long>(c + 1));
        }
        entries.emplace_back(OrderFieldCaption(static_cast<OrderField>(f)), std::move(value));
    }
    const SaveLock lock(FolderOf(path_), path_);
    ProfileFile(path_).WriteStrings(SectionOf(header), entries);
}

std::optional<OrderFormat> FindOrderFormat(const OrderTable& table, const ColumnMappingStore& store, OrderFormat* draft)
{
    OrderFormat format = RecogniseOrderFormat(table.Header()).value_or(OrderFormat{});
    if (format.market != Marketplace::Other && Complete(format.mapping)) return format;
    if (const auto kept = store.Find(table.Header())) {
        ChooseColumns(format, *kept);
        return format;
    }
    if (draft) *draft = std::move(format);
    return std::nullopt;
}

}  // namespace hoxa
