// The steps of the address text transfer, each a pure function on CP932 text.
// TransferText (Transfer.h) runs them in order; they are public so that each
// can be checked on its own.
#pragma once

#include "transfer/Transfer.h"

#include <string>
#include <string_view>

namespace hoxa {

// ---- Line-level helpers -----------------------------------------------------

// Number of mail and web address marks ("@", ".com", ".jp", ".co", ".org", ".ne",
// ".net") in the text; marks that contain one another are each counted.
int CountMailMarks(std::string_view text);

// The lines worth transferring: of the first 16 lines, each trimmed, those that
// are not empty and hold no mail mark, in their order.
Lines CompactLines(const Lines& memoLines);

// Half-width and full-width spaces (and the control bytes Trim removes) cut from
// both ends, at character boundaries; blanks inside stay.
std::string TrimBlanks(std::string_view text);

// Byte length of the number at the start of the text, normalised as the numeric
// edit box does under its default settings.
int NumericLeadLength(std::string_view text);

// ---- Labels -----------------------------------------------------------------

// The 45 labels and honorifics, in the order they are removed.
const std::vector<std::string_view>& TransferLabels();

// One line cleaned of labels, honorific and outer blanks; a line that starts
// with a number of three or more significant characters comes back half-width.
std::string StripLabelsFromLine(std::string_view line);

// The first seven lines cleaned by StripLabelsFromLine, the seventh always
// half-width; always exactly seven lines (missing ones empty).
Lines StripLabels(const Lines& memoLines);

// ---- Postal code and telephone ----------------------------------------------

// The four kinds ClassifyZipTel gives.
inline constexpr std::string_view kKindZip = "〒";
inline constexpr std::string_view kKindTel = "TEL";
inline constexpr std::string_view kKindAddress = "ADD";
inline constexpr std::string_view kKindUndecided = "〒/電話番工判断";

// Whether the character at byte i is a digit or hyphen, half-width or full-width.
bool IsZipTelChar(std::string_view text, std::size_t i);

// The kind of a line judged by its shape alone: one of the four kinds above.
std::string_view ClassifyZipTel(std::string_view text);

// Seven lines where a postal code followed by more than six characters on the
// same line is split: the code stays, the rest moves to the first blank line
// after it (or is lost when there is none).  Anything behind the 88th byte of
// such a line is lost; the cut never halves a double-byte character.
Lines SplitZipLines(const Lines& sevenLines);

// ---- Prefecture, address, name ----------------------------------------------

// The 47 prefecture names.
const std::vector<std::string_view>& PrefectureNames();

// The text, trimmed, is exactly one prefecture name.
bool IsPrefecture(std::string_view text);

// The 57 signs of an address (digits, hyphens, address words).
const std::vector<std::string_view>& AddressPatterns();

// How many signs of an address the trimmed text holds.
int AddressScore(std::string_view text);

}  // namespace hoxa
