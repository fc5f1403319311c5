// Half-width conversion of CP932 text: full-width Latin letters, digits, signs,
// the full-width space and katakana become their half-width forms.
#pragma once

#include <string>
#include <string_view>

namespace hoxa {

// Texts of any length; the result never has more bytes than the input.
std::string ToHalfWidth(std::string_view s);

}  // namespace hoxa
