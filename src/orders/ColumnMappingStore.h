// The column mappings the clerk made for order files of unknown shape, kept per
// header in hoxa_columns.ini in the working folder (CP932, CR LF, written as the
// program's other profile files are), so that the next file of that shape
// opens directly.  One section per header, named by a checksum of the header:
//
//   [columns_1A2B3C4D]
//   見出し=受付番号,お届け先〒,住所,建物,氏名,TEL,品名,数
//   注文番号=1
//   おところ①=3
//   おところ②=4
//   ...
//
// Columns are numbered from 1; a join of columns is written 3+4.
#pragma once

#include "orders/OrderFile.h"
#include "orders/OrderFormats.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

inline constexpr char kColumnMappingFile[] = "hoxa_columns.ini";

class ColumnMappingStore {
public:
    // path: the file (local 8-bit bytes); see InFolder.
    explicit ColumnMappingStore(std::string path) : path_(std::move(path)) {}
    static ColumnMappingStore InFolder(std::string_view dir);

    const std::string& Path() const { return path_; }

    // The mapping kept for this header; nullopt when there is none, or it names
    // a column the header does not have, or it is not usable.
    std::optional<ColumnMapping> Find(const std::vector<std::string>& header) const;

    // Keeps the mapping for this header (replacing one kept before); raises
    // EIniFileException when the file cannot be written.
    void Save(const std::vector<std::string>& header, const ColumnMapping& mapping);

private:
    std::string path_;
};

// The format of an order file: a known export whose columns are complete,
// else the mapping kept for its header (the export's, completed by the clerk,
// or Marketplace::Other); nullopt: the clerk maps its columns, starting from
// *draft (what a known export's columns gave; else nothing is chosen).
std::optional<OrderFormat> FindOrderFormat(const OrderTable& table, const ColumnMappingStore& store,
                                           OrderFormat* draft = nullptr);

}  // namespace hoxa
