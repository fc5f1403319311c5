// The one crossing between CP932 byte strings and the QString of widgets.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace hoxa {

// CP932 bytes to text.  Bytes that CP932 leaves undefined (0x80, 0xA0, 0xFD-0xFF)
// come back as the private-use characters Windows uses for them, so that they
// survive a round trip; a broken double-byte character shows as U+FFFD.
QString ToQString(std::string_view cp932);

// Text to CP932 bytes.  A character that CP932 cannot hold becomes 〓 (0x81 0xAC);
// *lost (when given) is set to true if that happened, else left untouched.
// The JIS-style forms that input methods produce (U+301C, U+2212, ...) land on
// their CP932 counterparts.  What web pages put in for layout becomes what it
// shows: the no-break and other typographic spaces (U+00A0, U+2000-U+200A,
// U+202F, U+205F) a space, the zero-width characters (U+200B-U+200D, U+2060,
// U+FEFF) nothing, the non-breaking hyphen and the figure and en dashes
// (U+2011-U+2013) the hyphen ‐.  The full-width space U+3000 stays itself.
std::string FromQString(const QString& text, bool* lost = nullptr);

// CP932 bytes to UTF-8 and back, for files and databases that hold UTF-8 (order
// exports, the journal).  Same rules as ToQString / FromQString.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8, bool* lost = nullptr);

// The geta mark 〓 that stands for a character CP932 cannot hold.
inline constexpr std::string_view kGeta = "\x81\xAC";

}  // namespace hoxa
