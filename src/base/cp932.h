// CP932 (Windows Shift-JIS) byte strings: character boundaries and the small
// text helpers that every layer uses.  All positions and lengths are in bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hoxa {

// Lead byte of a double-byte character: 0x81-0x9F, 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char b) noexcept
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
inline bool IsLeadByte(char c) noexcept { return IsLeadByte(static_cast<unsigned char>(c)); }

// Second byte of a double-byte character: 0x40-0x7E, 0x80-0xFC.
constexpr bool IsTrailByte(unsigned char b) noexcept
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
inline bool IsTrailByte(char c) noexcept { return IsTrailByte(static_cast<unsigned char>(c)); }

// Byte length of the character that starts at position i (0-based): 2 at a lead
// byte that has a byte after it, else 1.  i must be below s.size().
inline std::size_t CharLenAt(std::string_view s, std::size_t i) noexcept
{
    return (IsLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// Number of characters; a double-byte character counts as one.
std::size_t CountChars(std::string_view s) noexcept;

// The first bytes of s up to maxBytes, never half a double-byte character: a
// lead byte whose trail byte would fall beyond the limit goes as well.
std::string_view CutAtBytes(std::string_view s, std::size_t maxBytes) noexcept;

// Remove every byte of 0x20 or below from both ends / from the left / from the right.
// The full-width space (0x81 0x40) is not removed.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Count of non-overlapping occurrences of pattern that begin on a character
// boundary, scanning left to right (an empty pattern counts 0).
int CountOccurrences(std::string_view text, std::string_view pattern);

// text with every occurrence of pattern that CountOccurrences would count removed,
// in one left-to-right pass.
std::string RemoveOccurrences(std::string_view text, std::string_view pattern);

// Signed 32-bit conversion of a number held as text: leading blanks, an optional
// sign, decimal digits or hexadecimal after "$", "x", "X" or "0x".  Anything else,
// an empty text or a value out of range raises EConvertError with
// "'%s' is not a valid integer value".
std::int32_t StrToInt(std::string_view s);
bool TryStrToInt(std::string_view s, std::int32_t& value) noexcept;

// Decimal text of an integer ("-1", "0", "12").
std::string IntToStr(long long v);

}  // namespace hoxa
