#include "base/cp932.h"

#include "base/errors.h"

#include <limits>

namespace hoxa {

std::string AssertionMessage(const char* unit, int line)
{
    return std::string("Assertion failure (") + unit + ", line " + std::to_string(line) + ")";
}

std::size_t CountChars(std::string_view s) noexcept
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLenAt(s, i)) ++n;
    return n;
}

std::string_view CutAtBytes(std::string_view s, std::size_t maxBytes) noexcept
{
    if (s.size() <= maxBytes) return s;
    std::size_t cut = 0;
    while (cut < maxBytes) {
        const std::size_t n = CharLenAt(s, cut);
        if (cut + n > maxBytes) break;
        cut += n;
    }
    return s.substr(0, cut);
}

namespace {
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }
}  // namespace

std::string Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlankOrControl(s[b])) ++b;
    while (e > b && IsBlankOrControl(s[e - 1])) --e;
    return std::string(s.substr(b, e - b));
}

std::string TrimLeft(std::string_view s)
{
    std::size_t b = 0;
    while (b < s.size() && IsBlankOrControl(s[b])) ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s)
{
    std::size_t e = s.size();
    while (e > 0 && IsBlankOrControl(s[e - 1])) --e;
    return std::string(s.substr(0, e));
}

int CountOccurrences(std::string_view text, std::string_view pattern)
{
    if (pattern.empty()) return 0;
    int count = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, pattern.size(), pattern) == 0) {
            ++count;
            i += pattern.size();
        } else {
            i += CharLenAt(text, i);
        }
    }
    return count;
}

std::string RemoveOccurrences(std::string_view text, std::string_view pattern)
{
    if (pattern.empty()) return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, pattern.size(), pattern) == 0) {
            i += pattern.size();
        } else {
            const std::size_t n = CharLenAt(text, i);
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

bool TryStrToInt(std::string_view s, std::int32_t& value) noexcept
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && s[i + 1] == 'x') {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    // Magnitude limit: 2^31 for a negative value, 2^31 - 1 otherwise.
    const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > limit) return false;
    }
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(v))
                     : static_cast<std::int32_t>(v);
    return true;
}

std::int32_t StrToInt(std::string_view s)
{
    std::int32_t v = 0;
    if (!TryStrToInt(s, v))
        throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

std::string IntToStr(long long v) { return std::to_string(v); }

}  // namespace hoxa
