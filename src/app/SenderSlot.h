// The ten sender slots my0.txt ... my9.txt: five CP932 lines with CR LF
// (postal code, address line 1, address line 2, name, telephone).
#pragma once

#include <array>
#include <string>

namespace hoxa {

using SenderLines = std::array<std::string, 5>;

// "my<k>.txt" in dir (k = 0..9).
std::string SlotPath(const std::string& dir, int k);

// Reads the first five lines (LF or CR LF; a lone CR is dropped; a short file
// reads as empty lines).  A missing file raises EInOutError("File not found"),
// another read failure EInOutError with the system's text.
SenderLines ReadSlot(const std::string& path);

// Writes the five lines through a temporary file in the same folder renamed over
// the slot file, so that a failed write leaves the old file; raises EInOutError.
void WriteSlot(const std::string& path, const SenderLines& lines);

}  // namespace hoxa
