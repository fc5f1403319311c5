// The value rules of the numeric edit box that need no window: the filter that
// turns any incoming CP932 text into a value and the zero normalisation.  The
// address transfer uses the same two rules as its number test.
#pragma once

#include <string>
#include <string_view>

namespace hoxa {

// The settings that the two rules look at, with the box's defaults.
struct NumValueRules {
    int IntegerLength = 9;   // most integer digits, the minus sign not counted
    int DecimalLength = 3;   // most decimal digits; 0 forbids the point
    bool Minus = true;       // a leading minus sign may stand
    bool ZeroEnabled = false;  // leading zeros stay
};

// Turns any text into a value text: full-width digits, minus, point become ASCII,
// full-width commas vanish, the acceptable prefix is kept and bounded.
std::string FilterValue(std::string_view s, const NumValueRules& rules = {});

// Removes the leading zeros of the integer part (nothing when ZeroEnabled).
std::string NormalizeZeros(std::string_view s, const NumValueRules& rules = {});

}  // namespace hoxa
