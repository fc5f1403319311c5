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
// reads as empty lines; nothing after the fifth line is read; a leading UTF-8
// byte-order mark is skipped).  A line longer than 2047 bytes is cut there (never
// half a double-byte character), as the settings file would cut it, and the
// lines after it still come through: a damaged file gives five cut lines, never
// megabytes.  A missing file raises EInOutError("File not found"), another
// failure EInOutError with a plain text ("File access denied" for anything but a
// regular file, "Path not found", ...: see FileErrorText).
SenderLines ReadSlot(const std::string& path);

// Writes the five lines with ReplaceFileAtomically, so that a failed write leaves
// the old file, holding the folder's SaveLock; raises EInOutError (a read-only
// slot file: "File access denied"; the lock kept by another copy of the program).
// A CR or LF inside a line is written as a blank (it would shift the later lines).
void WriteSlot(const std::string& path, const SenderLines& lines);

}  // namespace hoxa
