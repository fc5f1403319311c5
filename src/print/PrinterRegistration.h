// The printer registered for each paper feed and its print-position margins,
// kept in hoxa_q310.ini (one section per feed, named by the feed's text).
// No widgets here: the main window and the margin dialog pass in the texts of
// their controls and put the results back.
#pragma once

#include "print/FeedPaper.h"

#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

inline constexpr std::string_view kPrinterIniName = "hoxa_q310.ini";
inline constexpr std::string_view kKeyPrnName = "PrnName";
inline constexpr std::string_view kKeyPrnNoIndex = "PrnNoIndex";
inline constexpr std::string_view kKeyPrnTop = "hoxPrn_Top";
inline constexpr std::string_view kKeyPrnLeft = "hoxPrn_Left";
// Written by the printer registration only; the Windows program never reads them.
inline constexpr std::string_view kKeyPrnBin = "hoxPrn_Bin";
inline constexpr std::string_view kKeyPrnPaper = "hoxPrn_Paper";

// The two paper feeds of ComboBox_SEL; their texts name the sections.
inline constexpr std::string_view kFeedManual = "手差し";
inline constexpr std::string_view kFeedContinuous = "連続(４インチ)";

// Shown when a margin box holds a number the print could not use.
inline constexpr std::string_view kMarginNotInteger =
    "余白は整数(ドット数)で入力してください。小数点以下は登録できません。";

// One feed's section.  Texts as they stand in the file (or in the controls).
struct FeedRegistration {
    std::string prnName;     // for the record; used only to find a moved printer
    std::string prnNoIndex;  // visible index of the printer, decimal
    std::string top;         // top margin in printer dots
    std::string left;        // left margin in printer dots
    FeedPaper paper = {};    // hoxPrn_Bin, hoxPrn_Paper: empty when not kept
};

// dir (local file-system bytes) joined with hoxa_q310.ini.
std::string PrinterIniPath(std::string_view dir);

// Reads the feed's section; a missing file, section or key gives "0" for the
// index and the margins, and an empty name, source and paper.  A file refused
// for its size gives those too, and its message goes to *problem (else an
// empty text).
FeedRegistration ReadFeedRegistration(std::string_view dir, std::string_view feed, std::string* problem = nullptr);

// Writes the feed's section in the order PrnName (trimmed), PrnNoIndex,
// hoxPrn_Top, hoxPrn_Left, and with `withPaper` the source and paper
// (hoxPrn_Bin, hoxPrn_Paper) after them, as the printer registration does; the
// margin registration leaves those two alone.  One rewrite of the file (the
// bytes the key-by-key writes would leave), holding the folder's SaveLock;
// other sections and keys stay as they are.  Raises EIniFileException when the
// file cannot be written, EInOutError when another copy of the program kept the
// lock; the old file then stays whole.
void WriteFeedRegistration(std::string_view dir, std::string_view feed, const FeedRegistration& r,
                           bool withPaper = false);

// The registration's reading of an index text: its integer value, or 0 when the
// text is not an integer (so that a damaged file can be repaired by registering).
int IndexOrZero(std::string_view text);

// The index text to use for a stored registration, given the visible printer
// names in order.  When the stored index no longer names the printer stored as
// PrnName but a visible printer of that name exists, that printer's index is
// returned; otherwise the stored text unchanged (an index that is not an
// integer included, so that its error still shows).
std::string ResolvePrinterIndex(std::string_view storedIndex, std::string_view prnName,
                                const std::vector<std::string>& visibleNames);

// Whether a margin text may be registered: empty (printed as 0) or a decimal
// integer with an optional minus sign that fits 32 bits.  A decimal part, a
// trailing point or a lone minus sign would stop every later print.
bool IsRegistrableMargin(std::string_view text);

}  // namespace hoxa
