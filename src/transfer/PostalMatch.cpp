// Whether an address belongs to a postal code: its prefecture, city and town
// against those the postal-code list gives for the code.
#include "transfer/PostalCodes.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"

#include <algorithm>
#include <array>
#include <string>

namespace hoxa {

namespace {

bool IsBlankAt(std::string_view s, std::size_t i)
{
    return static_cast<unsigned char>(s[i]) <= 0x20 ||
           (i + 1 < s.size() && s[i] == '\x81' && s[i + 1] == '\x40');  // full-width space
}

std::size_t SkipBlanks(std::string_view s, std::size_t i)
{
    while (i < s.size() && IsBlankAt(s, i)) i += CharLenAt(s, i);
    return i;
}

// ケ and ヶ are written for one another in place names.
std::string_view Folded(std::string_view ch) { return ch == "ヶ" ? std::string_view("ケ") : ch; }

// Where the address goes on after part, read from i on (blanks before each of
// part's characters skipped); npos when it does not go on with part.
std::size_t After(std::string_view address, std::size_t i, std::string_view part)
{
    for (std::size_t k = 0; k < part.size();) {
        const std::size_t n = CharLenAt(part, k);
        i = SkipBlanks(address, i);
        if (i >= address.size()) return std::string_view::npos;
        const std::size_t m = CharLenAt(address, i);
        if (Folded(address.substr(i, m)) != Folded(part.substr(k, n))) return std::string_view::npos;
        i += m;
        k += n;
    }
    return i;
}

// Wards that a reorganisation renamed or merged, with their present name; an
// address may still be written with the old one.
struct RenamedWard {
    std::string_view before, now;
};
constexpr std::array<RenamedWard, 7> kRenamedWards{{
    {"浜松市中区", "浜松市中央区"},
    {"浜松市東区", "浜松市中央区"},
    {"浜松市西区", "浜松市中央区"},
    {"浜松市南区", "浜松市中央区"},
    {"浜松市北区", "浜松市中央区"},
    {"浜松市北区", "浜松市浜名区"},
    {"浜松市浜北区", "浜松市浜名区"},
}};

// Where the address goes on after the city written in full, without its county
// (八重山郡与那国町 -> 与那国町), as a ward of a designated city on its own
// (福岡市博多区 -> 博多区), or by a ward's name before a reorganisation; npos
// when it does not begin with the city.
std::size_t AfterCity(std::string_view address, std::size_t i, std::string_view city)
{
    if (const std::size_t end = After(address, i, city); end != std::string_view::npos) return end;
    for (const RenamedWard& w : kRenamedWards)
        if (w.now == city)
            if (const std::size_t end = After(address, i, w.before); end != std::string_view::npos) return end;
    std::size_t cityEnd = std::string_view::npos, last = 0;
    for (std::size_t k = 0; k < city.size(); k += CharLenAt(city, k)) {
        if (city.substr(k, 2) == "郡" && k + 2 < city.size()) return After(address, i, city.substr(k + 2));
        if (city.substr(k, 2) == "市" && cityEnd == std::string_view::npos) cityEnd = k + 2;
        last = k;
    }
    const bool ward = cityEnd < city.size() && city.substr(last) == "区";
    return ward ? After(address, i, city.substr(cityEnd)) : std::string_view::npos;
}

// A city the list gives whole ends with the mark of its kind; anything else is
// a part several cities share, which says nothing about the city.
bool IsWholeCity(std::string_view city)
{
    if (city.size() < 2) return false;
    const std::string_view mark = city.substr(city.size() - 2);
    return mark == "市" || mark == "区" || mark == "町" || mark == "村" || mark == "郡";
}

// ---- towns

int KanjiDigit(std::string_view ch)
{
    static constexpr std::array<std::string_view, 10> kDigits{"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    for (std::size_t d = 0; d < kDigits.size(); ++d)
        if (ch == kDigits[d]) return static_cast<int>(d);
    return -1;
}

// A town or the rest of an address without its leading blanks and 大字 or 字.
std::string_view WithoutAza(std::string_view text)
{
    text = text.substr(SkipBlanks(text, 0));
    for (const std::string_view prefix : {"大字", "字"})
        if (text.substr(0, prefix.size()) == prefix) return text.substr(prefix.size());
    return text;
}

std::string_view Head(std::string_view text) { return text.empty() ? text : text.substr(0, CharLenAt(text, 0)); }

// A town as it is compared: without a leading 大字 or 字, half-width, numbers
// in kanji as Arabic numbers (十二 -> 12, 二十四 -> 24), ケ/ヶ/が/ガ as ｹ,
// の/ノ/之 as ﾉ, blanks dropped.
std::string TownKey(std::string_view text)
{
    const std::string half = ToHalfWidth(WithoutAza(text));
    const std::string_view s = half;
    std::string out;
    out.reserve(s.size());
    long number = -1, unit = 0;  // a number in kanji being read
    const auto flush = [&] {
        if (number < 0 && unit == 0) return;
        out += std::to_string(std::max(number, 0L) + unit);
        number = -1;
        unit = 0;
    };
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = CharLenAt(s, i);
        const std::string_view ch = s.substr(i, n);
        i += n;
        if (const int d = KanjiDigit(ch); d >= 0) {
            number = std::max(number, 0L) * 10 + d;
            continue;
        }
        if (ch == "十" || ch == "百") {
            unit += (number > 0 ? number : 1) * (ch == "十" ? 10 : 100);
            number = -1;
            continue;
        }
        flush();
        if (static_cast<unsigned char>(ch[0]) <= 0x20) continue;
        if (ch == "ヶ" || ch == "が" || ch == "ｹ") out += "ｹ";
        else if (ch == "ｶ" && s.substr(i, 1) == "ﾞ") {
            out += "ｹ";
            ++i;
        } else if (ch == "の" || ch == "ﾉ" || ch == "之") out += "ﾉ";
        else out += ch;
    }
    flush();
    return out;
}

// The town of a code against the rest of an address: false only when the
// rest goes on with another town of the same city and does not hold the
// code's own after it (京都市: 烏丸通七条上る東塩小路町 holds 東塩小路町).  A
// code without a town (以下に掲載がない場合) does not fit a town that has an
// ordinary code of its own; the codes of large offices (last four digits from
// 8000) do not count for that.
bool TownAgrees(const PostalCodeTable& table, std::uint32_t code, std::string_view town, std::string_view rest)
{
    const std::string key = TownKey(rest), own = TownKey(town);
    if (key.empty()) return true;
    // The longest town of the same city that the rest begins with; only towns
    // that begin with the rest's first character, or with a number, may.
    const std::string_view first = Head(WithoutAza(rest));
    std::string best;
    for (const auto& [other, otherTown] : table.NeighbourTowns(code)) {
        if (own.empty() && other % 10000 >= 8000) continue;
        const std::string_view head = Head(WithoutAza(otherTown));
        if (head != first && KanjiDigit(head) < 0 && head != "十") continue;
        const std::string k = TownKey(otherTown);
        if (k.size() > best.size() && key.rfind(k, 0) == 0) best = k;
    }
    // A building's code (its last four digits 6000 to 6999) names its town
    // first: 恵比寿恵比寿ガーデンプレイス１階.
    const bool building = code % 10000 / 1000 == 6 && own.rfind(best, 0) == 0;
    return best.empty() || best == own || (!own.empty() && (building || key.find(own, best.size()) != std::string::npos));
}

}  // namespace

std::optional<bool> AddressMatchesPostalCode(std::string_view zip, std::string_view address)
{
    const std::optional<std::uint32_t> code = ParsePostalCode(zip);
    if (!code) return std::nullopt;
    const PostalCodeTable& table = PostalCodes();
    const std::optional<PostalAddress> a = table.Find(*code);
    if (!a) return std::nullopt;
    const std::size_t start = SkipBlanks(address, 0);
    const std::size_t afterPref = After(address, start, a->prefecture);
    // A code shared by several cities has only the prefecture in common, or
    // their county, whose towns may be written without it.
    const bool county = a->city.size() >= 2 && a->city.substr(a->city.size() - 2) == "郡";
    if (!IsWholeCity(a->city) || (county && afterPref != std::string_view::npos))
        return afterPref != std::string_view::npos;
    std::size_t end = afterPref == std::string_view::npos ? afterPref : AfterCity(address, afterPref, a->city);
    if (end == std::string_view::npos) end = AfterCity(address, start, a->city);
    if (end == std::string_view::npos) return false;
    return TownAgrees(table, *code, a->town, address.substr(end));
}

}  // namespace hoxa
