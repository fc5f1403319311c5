// The address text transfer: from the lines pasted into the paste area to the
// five destination fields.  Pure functions on CP932 lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

using Lines = std::vector<std::string>;

// The lines of a multi-line box's text: split at CR LF, LF or a lone CR; a NUL ends
// the text; an empty last line after a final line break is not a line.
Lines SplitMemoLines(std::string_view text);

// The text of a multi-line box holding these lines: every line followed by CR LF,
// so that SplitMemoLines gives the same lines back, empty last lines included.
std::string JoinMemoLines(const Lines& lines);

struct TransferResult {
    bool empty = false;    // "転送テキストがありません": nothing to transfer, fields untouched
    Lines memo;            // the paste area's new lines (compacted, or the cleaned seven)
    std::string zip, add1, add2, custo1, tel;  // the destination fields (when !empty)
};

// The whole transfer of the paste area's lines.
TransferResult TransferText(const Lines& memoLines);

}  // namespace hoxa
