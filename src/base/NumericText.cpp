#include "base/NumericText.h"

#include "base/cp932.h"

namespace hoxa {

namespace {

// Stage 1: full-width digits, minus and point become ASCII, the full-width comma
// is dropped; any other double-byte character, or a broken one, ends the text.
std::string FullWidthToAscii(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (!IsLeadByte(b)) {
            out.push_back(s[i]);
            ++i;
            continue;
        }
        if (i + 1 >= s.size() || !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) break;
        const unsigned code = b * 256u + static_cast<unsigned char>(s[i + 1]);
        if (code >= 0x824F && code <= 0x8258) out.push_back(static_cast<char>(code - 0x821F));
        else if (code == 0x817C) out.push_back('-');
        else if (code == 0x8144) out.push_back('.');
        else if (code == 0x8143) { /* full-width comma: dropped */ }
        else break;
        i += 2;
    }
    return out;
}

}  // namespace

std::string FilterValue(std::string_view s, const NumValueRules& rules)
{
    const std::string wide = FullWidthToAscii(s);

    // Stage 2: the acceptable prefix.
    std::string r;
    bool havePoint = false;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char c = wide[i];
        if (c == ',') continue;
        if (c == '.') {
            if (rules.DecimalLength == 0 || havePoint) break;
            havePoint = true;
        } else if (c == '-') {
            if (!rules.Minus || i != 0) break;
        } else if (c < '0' || c > '9') {
            break;
        }
        r.push_back(c);
    }
    if (r.empty()) return r;

    // Stage 3: the bounds.
    const long minus = r.find('-') != std::string::npos ? 1 : 0;
    std::size_t p = r.find('.');
    if (p != std::string::npos && r.size() - p - 1 > static_cast<std::size_t>(rules.DecimalLength))
        r.resize(p + 1 + rules.DecimalLength);
    p = r.find('.');
    const long integerDigits =
        (p == std::string::npos ? static_cast<long>(r.size()) : static_cast<long>(p)) - minus;
    if (integerDigits > rules.IntegerLength) r.clear();
    return r;
}

std::string NormalizeZeros(std::string_view s, const NumValueRules& rules)
{
    if (rules.ZeroEnabled) return std::string(s);
    std::string sign;
    if (!s.empty() && s.front() == '-') {
        sign = "-";
        s.remove_prefix(1);
    }
    const std::size_t point = s.find('.');
    const std::size_t intEnd = point == std::string_view::npos ? s.size() : point;
    std::size_t zeros = 0;
    while (zeros < intEnd && s[zeros] == '0') ++zeros;
    std::string rest(s.substr(zeros));
    if (zeros > 0 && rest.empty()) rest = "0";
    if (!rest.empty() && rest.front() == '.') rest.insert(rest.begin(), '0');
    return sign + rest;
}

}  // namespace hoxa
