// Reading a shop's order file (a CSV or TSV export of a marketplace or cart):
// UTF-8 with or without BOM or CP932, told apart by content; comma or tab
// separation, told by the header line; RFC 4180 quoting; CR LF, LF or CR line
// ends; a header row.  The result is every cell as CP932 text.  A file that
// cannot be read raises EOrderFile with one Japanese message naming the line;
// nothing of it is kept.
#pragma once

#include "base/errors.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

// An order file that cannot be read; the message is for the user (CP932).
class EOrderFile : public Exception {
public:
    using Exception::Exception;
};

inline constexpr std::size_t kMaxOrderFileBytes = 50u * 1024 * 1024;
inline constexpr std::size_t kMaxOrderRows = 100000;

enum class OrderFileEncoding { Cp932, Utf8 };

// The cells of an order file: a header and its rows, each row as many cells as
// the header.  Rows whose cells are all blank (blank lines) are left out.  The
// cells are held back to back in one text, so that a large file stays small.
class OrderTable {
public:
    std::size_t Columns() const { return columns_; }
    std::size_t Rows() const { return lines_.size(); }
    // Column names as the header writes them, blanks at both ends removed.
    const std::vector<std::string>& Header() const { return header_; }
    std::string_view Cell(std::size_t row, std::size_t column) const;
    // The line of the file (1-based) where the row begins.
    std::size_t Line(std::size_t row) const { return lines_[row]; }

    OrderFileEncoding Encoding() const { return encoding_; }
    char Separator() const { return separator_; }

private:
    friend OrderTable ParseOrderFile(std::string_view bytes);

    std::vector<std::string> header_;
    std::size_t columns_ = 0;
    std::string text_;                 // the cells of all rows, back to back
    std::vector<std::uint32_t> ends_;  // where each cell ends in text_, row by row
    std::vector<std::uint32_t> lines_;
    OrderFileEncoding encoding_ = OrderFileEncoding::Cp932;
    char separator_ = ',';
};

// The whole content of an order file.
OrderTable ParseOrderFile(std::string_view bytes);

// Reads the file at path (local 8-bit bytes); also raises EOrderFile when the
// file cannot be opened or is larger than kMaxOrderFileBytes.
OrderTable ReadOrderFile(const std::string& path);

}  // namespace hoxa
