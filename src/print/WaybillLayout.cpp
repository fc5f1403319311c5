#include "print/WaybillLayout.h"

#include "base/cp932.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace hoxa {

namespace {

// Layout positions are in units of 1/160 inch.
constexpr long double kUnitsPerInch = 160.0L;
// The resolution factor keeps four decimals of dots per unit as an integer.
constexpr long double kFactorScale = 10000.0L;

// One row of the layout table: position in 1/160 inch, face and size, and the
// caption the preview and the test sheet show where the item prints nothing.
struct Slot {
    int number;
    int x;
    int y;
    WaybillFace face;
    int points;
    const char* caption;
};

constexpr WaybillFace kMincho = WaybillFace::Mincho;
constexpr WaybillFace kLucida = WaybillFace::Lucida;

constexpr Slot kSlots[20] = {
    {1, 740, 180, kLucida, 9, "日付(月)"},
    {2, 820, 180, kLucida, 9, "日付(日)"},
    {3, 920, 250, kLucida, 14, "希望日(月)"},
    {4, 1020, 250, kLucida, 14, "希望日(日)"},
    {5, 1125, 252, kLucida, 10, "希望日(他)"},
    {6, 230, 30, kLucida, 10, "お届け先電話番号"},
    {7, 514, 30, kLucida, 8, "お届け先郵便番号"},
    {8, 602, 30, kLucida, 8, "お届け先郵便番号(下4桁)"},
    {9, 210, 90, kMincho, 10, "お届け先おところ１"},
    {10, 210, 150, kMincho, 10, "お届け先おところ２"},
    {11, 210, 250, kMincho, 10, "お届け先おなまえ"},
    {12, 720, 350, kMincho, 11, "品名１"},
    {13, 720, 380, kMincho, 11, "品名２"},
    {14, 720, 410, kMincho, 11, "品名３"},
    {15, 220, 294, kLucida, 10, "ご依頼主電話番号"},
    {16, 516, 294, kLucida, 8, "ご依頼主郵便番号"},
    {17, 602, 294, kLucida, 8, "ご依頼主郵便番号(下4桁)"},
    {18, 210, 335, kMincho, 10, "ご依頼主おところ１"},
    {19, 210, 385, kMincho, 10, "ご依頼主おところ２"},
    {20, 210, 440, kMincho, 10, "ご依頼主おなまえ"},
};

// Bytes [pos, pos + len) of s, moved to character boundaries: a character that
// starts before pos is left out, and so is one that would run past the end.
std::string CutChars(std::string_view s, std::size_t pos, std::size_t len)
{
    std::size_t i = 0;
    while (i < s.size() && i < pos) i += CharLenAt(s, i);
    const std::size_t begin = i;
    const std::size_t limit = pos + len;
    while (i < s.size()) {
        const std::size_t n = CharLenAt(s, i);
        if (i + n > limit) break;
        i += n;
    }
    return std::string(s.substr(begin, i - begin));
}

// Characters from..to (1-based, inclusive) of an ASCII date text; shorter texts
// give what is there.
std::string DatePart(std::string_view date, std::size_t from, std::size_t to)
{
    if (date.size() < from) return {};
    return std::string(date.substr(from - 1, to - from + 1));
}

std::int32_t MarginOf(const std::string& text)
{
    return text.empty() ? 0 : StrToInt(text);
}

}  // namespace

std::string_view FaceName(WaybillFace face) noexcept
{
    return face == WaybillFace::Mincho ? std::string_view("ＭＳ Ｐ明朝")
                                       : std::string_view("Lucida Sans Unicode");
}

std::string_view ItemCaption(int number) noexcept
{
    for (const Slot& s : kSlots)
        if (s.number == number) return s.caption;
    return {};
}

std::int32_t RoundHalfAway(long double x) noexcept
{
    constexpr auto lo = std::numeric_limits<std::int32_t>::min();
    constexpr auto hi = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(x)) return 0;
    const long double r = x >= 0 ? std::trunc(x + 0.5L) : std::trunc(x - 0.5L);
    if (r <= static_cast<long double>(lo)) return lo;
    if (r >= static_cast<long double>(hi)) return hi;
    return static_cast<std::int32_t>(r);
}

std::int64_t ResolutionFactor(std::int32_t dpi) noexcept
{
    const long double v = static_cast<long double>(dpi) / kUnitsPerInch * kFactorScale;
    const long double fl = std::floor(v);
    const long double frac = v - fl;
    auto n = static_cast<std::int64_t>(fl);
    if (frac > 0.5L || (frac == 0.5L && (n % 2 != 0))) ++n;
    return n;
}

std::int64_t UnitsToDots(std::int64_t factor, int units, std::int32_t margin) noexcept
{
    const long double v = static_cast<long double>(factor) * units / kFactorScale;
    return static_cast<std::int64_t>(RoundHalfAway(v)) + margin;
}

std::int64_t EffectiveResolution(std::int32_t deviceDpi, int scale) noexcept
{
    if (scale <= 0) scale = 100;
    return static_cast<std::int64_t>(deviceDpi) * 100 / scale;
}

std::string FormatWaybillDate(int year, int month, int day)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", year, month, day);
    return buf;
}

std::pair<std::string, std::string> SplitPostalCode(std::string_view zip)
{
    std::string first = CutChars(zip, 0, 3);
    std::size_t from = 4;  // byte 5, after the hyphen
    if (zip.size() > 3 && zip[3] >= '0' && zip[3] <= '9') from = 3;
    std::string second = zip.size() > from ? CutChars(zip, from, 4) : std::string();
    return {std::move(first), std::move(second)};
}

std::vector<WaybillItem> ComputeWaybillLayout(const WaybillRecord& rec)
{
    // Everything that can fail comes first, so that a bad text lists nothing.
    const std::int64_t fx = ResolutionFactor(StrToInt(rec.dpix));
    const std::int64_t fy = ResolutionFactor(StrToInt(rec.dpiy));
    const std::int32_t top = MarginOf(rec.prnTop);
    const std::int32_t left = MarginOf(rec.prnLeft);

    const auto [zip1, zip2] = SplitPostalCode(rec.zip);
    const auto [myZip1, myZip2] = SplitPostalCode(rec.myZip);

    const std::string* texts[20] = {};
    const std::string month = DatePart(rec.dateText, 6, 7);
    const std::string day = DatePart(rec.dateText, 9, 10);
    texts[0] = &month;
    texts[1] = &day;
    texts[2] = &rec.deDate1;
    texts[3] = &rec.deDate2;
    texts[4] = &rec.deDate3;
    texts[5] = &rec.tel;
    texts[6] = &zip1;
    texts[7] = &zip2;
    texts[8] = &rec.add1;
    texts[9] = &rec.add2;
    texts[10] = &rec.custo1;
    texts[11] = &rec.g1;
    texts[12] = &rec.g2;
    texts[13] = &rec.g3;
    texts[14] = &rec.myTel;
    texts[15] = &myZip1;
    texts[16] = &myZip2;
    texts[17] = &rec.myAdd1;
    texts[18] = &rec.myAdd2;
    texts[19] = &rec.my;

    std::vector<WaybillItem> items;
    items.reserve(20);
    for (int i = 0; i < 20; ++i) {
        const Slot& s = kSlots[i];
        if (s.number <= 2 && !rec.printDate) continue;
        if (s.number >= 15 && !rec.printSender) break;
        WaybillItem item;
        item.number = s.number;
        item.x = UnitsToDots(fx, s.x, left);
        item.y = UnitsToDots(fy, s.y, top);
        item.face = s.face;
        item.points = s.points;
        item.text = *texts[i];
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace hoxa
