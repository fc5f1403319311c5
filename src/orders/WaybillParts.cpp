#include "orders/WaybillParts.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"
#include "transfer/PostalCodes.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace hoxa {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool At(std::string_view s, std::size_t i, std::string_view word) { return s.compare(i, word.size(), word) == 0; }

bool AtAny(std::string_view s, std::size_t i, std::initializer_list<std::string_view> words)
{
    return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return At(s, i, w); });
}

bool IsBlankAt(std::string_view s, std::size_t i) { return s[i] == ' ' || At(s, i, "　"); }

bool IsDigitAt(std::string_view s, std::size_t i)
{
    return (s[i] >= '0' && s[i] <= '9') ||
           (s[i] == '\x82' && i + 1 < s.size() && s[i + 1] >= '\x4F' && s[i + 1] <= '\x58');  // ０-９
}

// Hyphens and what is typed for one, in either width.
bool IsHyphenAt(std::string_view s, std::size_t i)
{
    return s[i] == '-' || s[i] == '\xB0' /* ｰ */ || AtAny(s, i, {"－", "ー", "‐", "―"});
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Join(const std::vector<std::string>& parts, std::string_view glue)
{
    std::string out;
    for (const auto& p : parts) {
        if (p.empty()) continue;
        if (!out.empty()) out += glue;
        out += p;
    }
    return out;
}

// Postal code and telephone cells: tidy, half-width, one kind of hyphen, and
// without the apostrophe a spreadsheet writes before a number kept as text.
std::string NumberCell(std::string_view cell)
{
    std::string half = ToHalfWidth(TidyCell(cell));
    if (half.starts_with('\'')) half = TidyCell(std::string_view(half).substr(1));
    std::string out;
    for (std::size_t i = 0; i < half.size();) {
        const std::size_t len = CharLenAt(half, i);
        if (IsHyphenAt(half, i)) out.push_back('-');
        else out.append(half, i, len);
        i += len;
    }
    return out;
}

std::vector<std::string> NumberCells(const Cells& parts)
{
    std::vector<std::string> out;
    for (const auto p : parts)
        if (std::string s = NumberCell(p); !s.empty()) out.push_back(std::move(s));
    return out;
}

std::string ZeroPadded(std::string_view digits, std::size_t width)
{
    return std::string(width > digits.size() ? width - digits.size() : 0, '0') + std::string(digits);
}

// A Japanese number: ten digits, or eleven for mobile and IP telephones.
bool TelephoneLength(std::string_view t)
{
    std::string d;
    for (const char c : t)
        if (c >= '0' && c <= '9') d.push_back(c);
    return d.size() == 10 || (d.size() == 11 && d[0] == '0' && d[1] >= '5' && d[1] <= '9' && d[2] == '0');
}

// Prefectures in the order of their codes (JP-01 ... JP-47).
constexpr std::string_view kPrefectures[][2] = {
    {"hokkaido", "北海道"}, {"aomori", "青森県"},    {"iwate", "岩手県"},       {"miyagi", "宮城県"},
    {"akita", "秋田県"},    {"yamagata", "山形県"},  {"fukushima", "福島県"},   {"ibaraki", "茨城県"},
    {"tochigi", "栃木県"},  {"gunma", "群馬県"},     {"saitama", "埼玉県"},     {"chiba", "千葉県"},
    {"tokyo", "東京都"},    {"kanagawa", "神奈川県"}, {"niigata", "新潟県"},     {"toyama", "富山県"},
    {"ishikawa", "石川県"}, {"fukui", "福井県"},     {"yamanashi", "山梨県"},   {"nagano", "長野県"},
    {"gifu", "岐阜県"},     {"shizuoka", "静岡県"},  {"aichi", "愛知県"},       {"mie", "三重県"},
    {"shiga", "滋賀県"},    {"kyoto", "京都府"},     {"osaka", "大阪府"},       {"hyogo", "兵庫県"},
    {"nara", "奈良県"},     {"wakayama", "和歌山県"}, {"tottori", "鳥取県"},     {"shimane", "島根県"},
    {"okayama", "岡山県"},  {"hiroshima", "広島県"}, {"yamaguchi", "山口県"},   {"tokushima", "徳島県"},
    {"kagawa", "香川県"},   {"ehime", "愛媛県"},     {"kochi", "高知県"},       {"fukuoka", "福岡県"},
    {"saga", "佐賀県"},     {"nagasaki", "長崎県"},  {"kumamoto", "熊本県"},    {"oita", "大分県"},
    {"miyazaki", "宮崎県"}, {"kagoshima", "鹿児島県"}, {"okinawa", "沖縄県"},
};

// A prefecture written as its code (JP-13) or in Latin letters (Tokyo, Tokyo-to),
// in kanji; any other text as it is.
std::string PrefectureInKanji(std::string s)
{
    if (s.size() > 20 || !std::all_of(s.begin(), s.end(), [](char c) { return c > 0x20 && c < 0x7F; })) return s;
    std::string key;
    for (const char c : s) key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    if (key.size() == 5 && key.starts_with("jp-") && AllDigits(key.substr(3))) {
        const int code = std::stoi(key.substr(3));
        return code >= 1 && code <= 47 ? std::string(kPrefectures[code - 1][1]) : s;
    }
    for (const std::string_view suffix : {"-to", "-fu", "-ken"})
        if (key.ends_with(suffix)) key.resize(key.size() - suffix.size());
    for (const auto& p : kPrefectures)
        if (key == p[0]) return std::string(p[1]);
    return s;
}

// Where an address line too long for おところ① is best split: after the last
// place word (市区町村郡) or at the last blank within the line, else at the
// line's last character boundary.
std::size_t AddressCut(std::string_view s)
{
    std::size_t best = 0;
    for (std::size_t i = 0; i < s.size() && i <= kAddressLineBytes;) {
        const std::size_t len = CharLenAt(s, i);
        if (IsBlankAt(s, i)) best = i;
        else if (i + len <= kAddressLineBytes && AtAny(s, i, {"市", "区", "町", "村", "郡"})) best = i + len;
        i += len;
    }
    return best >= kAddressLineBytes / 4 ? best : CutAtBytes(s, kAddressLineBytes).size();
}

// The length of the word of an address that a line may end after (a place,
// block or street word: 市, 丁目, 番地, 通, 下る, 字 ...) at i; 0 for none.
std::size_t UnitWordAt(std::string_view s, std::size_t i)
{
    // Longer words first, so that 通り is not taken for 通.
    static constexpr std::string_view kWords[] = {"丁目", "番地", "通り", "上る", "上ル", "下る", "下ル", "入る", "入ル",
                                                  "市",   "区",   "郡",   "町",   "村",   "字",   "番",   "号",
                                                  "条",   "通"};
    for (const std::string_view w : kWords)
        if (At(s, i, w)) return w.size();
    return 0;
}

// The address split into two lines that both fit: at the last blank or end of
// a unit word that leaves both within kAddressLineBytes, else at the last
// character boundary that does; nullopt when no split fits.
std::optional<AddressLines> FittingSplit(std::string_view s)
{
    std::optional<AddressLines> word, any;
    std::size_t unitEnd = 0;  // where the last unit word ends
    for (std::size_t i = s.empty() ? 0 : CharLenAt(s, 0); i < s.size(); i += CharLenAt(s, i)) {
        AddressLines lines{TidyCell(s.substr(0, i)), TidyCell(s.substr(i))};
        if (lines.add1.size() > kAddressLineBytes) break;
        if (lines.add2.size() <= kAddressLineBytes) (i == unitEnd || IsBlankAt(s, i) ? word : any) = std::move(lines);
        if (i >= unitEnd) unitEnd = i + UnitWordAt(s, i);
    }
    return word ? word : any;
}

}  // namespace

std::string TidyCell(std::string_view cell)
{
    std::string s;
    s.reserve(cell.size());
    std::size_t keep = 0;  // end of the last character that is no blank
    for (std::size_t i = 0; i < cell.size();) {
        const std::size_t len = CharLenAt(cell, i);
        const bool blank = static_cast<unsigned char>(cell[i]) <= 0x20 || At(cell, i, "　");
        if (!(blank && s.empty())) {
            if (static_cast<unsigned char>(cell[i]) < 0x20) s.push_back(' ');  // tabs, line breaks
            else s.append(cell, i, len);
            if (!blank) keep = s.size();
        }
        i += len;
    }
    s.resize(keep);
    return s;
}

std::string JoinPostalCode(const Cells& parts, const std::function<bool(std::string_view)>& confirm)
{
    std::vector<std::string> p = NumberCells(parts);
    for (auto& s : p)
        if (s.starts_with("〒")) s = TidyCell(s.substr(2));
    if (p.empty()) return {};
    const auto confirmed = [&](const std::string& zip) { return confirm && confirm(zip); };
    if (p.size() == 1) {
        const std::string& s = p[0];
        if (const auto code = ReadPostalCode(s)) return FormatPostalCode(*code);
        if (AllDigits(s) && (s.size() == 5 || s.size() == 6)) {
            const std::string digits = ZeroPadded(s, 7);
            const std::string zip = digits.substr(0, 3) + "-" + digits.substr(3);
            if (confirmed(zip)) return zip;
        }
        return s;
    }
    const std::string& a = p[0];
    const std::string& b = p[1];
    if (AllDigits(a) && AllDigits(b) && a.size() <= 3 && b.size() <= 4) {
        const std::string zip = ZeroPadded(a, 3) + "-" + ZeroPadded(b, 4);
        if ((a.size() == 3 && b.size() == 4) || confirmed(zip)) return zip;
    }
    return a + "-" + b;
}

std::string JoinTelephone(const Cells& parts)
{
    std::string t = Join(NumberCells(parts), "-");
    if (t.starts_with("+81")) {
        t.erase(0, 3);
        while (!t.empty() && (t[0] == ' ' || t[0] == '-')) t.erase(0, 1);
        if (t.starts_with("(0)")) t.erase(0, 3);
        if (!t.empty() && t[0] != '0') t.insert(0, "0");
        return t;
    }
    const bool plain = std::all_of(t.begin(), t.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '(' || c == ')' || c == ' ';
    });
    if (plain && !t.empty() && t[0] >= '1' && t[0] <= '9' && TelephoneLength("0" + t)) t.insert(0, "0");
    return t;
}

std::string JoinName(const Cells& parts)
{
    std::vector<std::string> names;
    for (const auto p : parts) names.push_back(TidyCell(p));
    return Join(names, " ");
}

std::size_t BuildingStart(std::string_view s)
{
    bool afterNumber = false;  // the last character ended a block number: its last digit, or 号
    for (std::size_t i = 0; i < s.size();) {
        if (IsDigitAt(s, i)) {
            // The block number: digit groups joined by hyphens.
            std::size_t groups = 1;
            for (;;) {
                if (i < s.size() && IsDigitAt(s, i)) {
                    i += CharLenAt(s, i);
                } else if (i < s.size() && IsHyphenAt(s, i) && i + CharLenAt(s, i) < s.size() &&
                           IsDigitAt(s, i + CharLenAt(s, i))) {
                    i += CharLenAt(s, i);
                    ++groups;
                } else {
                    break;
                }
            }
            afterNumber = true;
            if (i >= s.size()) return npos;
            if (At(s, i, "号")) {
                i += 2;
                if (i < s.size() && !IsBlankAt(s, i) && !IsDigitAt(s, i) && !IsHyphenAt(s, i)) return i;
            } else if (groups >= 2 && !IsBlankAt(s, i) && !IsHyphenAt(s, i) &&
                       !AtAny(s, i, {"丁", "番", "条", "線", "の", "地", "階", "F", "f"})) {
                return i;  // 1-2-3青山ビル
            }
            continue;
        }
        if (IsBlankAt(s, i)) {
            std::size_t j = i;
            while (j < s.size() && IsBlankAt(s, j)) j += CharLenAt(s, j);
            if (afterNumber && j < s.size()) return j;  // 1-2-3 青山ビル
            i = j;
            continue;
        }
        afterNumber = false;
        i += CharLenAt(s, i);
    }
    return npos;
}

AddressLines JoinAddress(const Cells& address, const Cells& building)
{
    std::string main, last;
    for (const auto cell : address) {
        const std::string part = PrefectureInKanji(TidyCell(cell));
        if (part.empty()) continue;
        if (!main.empty() && part.starts_with(main)) main = part;
        else if (!last.empty() && part.starts_with(last)) main.replace(main.size() - last.size(), last.size(), part);
        else main += part;
        last = part;
    }
    std::vector<std::string> rest;
    for (const auto cell : building) rest.push_back(TidyCell(cell));
    const std::string whole = Join({main, Join(rest, " ")}, " ");
    if (const std::size_t b = BuildingStart(main); b != npos) {
        rest.insert(rest.begin(), TidyCell(std::string_view(main).substr(b)));
        main = TidyCell(std::string_view(main).substr(0, b));
    }
    if (main.size() > kAddressLineBytes) {
        const std::size_t cut = AddressCut(main);
        rest.insert(rest.begin(), TidyCell(std::string_view(main).substr(cut)));
        main = TidyCell(std::string_view(main).substr(0, cut));
    }
    AddressLines lines{main, Join(rest, " ")};
    if (lines.add1.size() > kAddressLineBytes || lines.add2.size() > kAddressLineBytes)
        if (auto fitting = FittingSplit(whole)) lines = std::move(*fitting);
    return lines;
}

std::optional<long> ParseQuantity(std::string_view cell)
{
    const std::string s = ToHalfWidth(TidyCell(cell));
    if (s.empty()) return 1;
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
    std::string unit = TidyCell(std::string_view(s).substr(digits));
    for (std::size_t i = 0; i < unit.size(); i += CharLenAt(unit, i))
        if (unit[i] >= 'A' && unit[i] <= 'Z') unit[i] = static_cast<char>(unit[i] - 'A' + 'a');
    static constexpr std::string_view kUnits[] = {"",   "個", "点", "本", "枚",  "箱",  "袋",     "冊",  "組",
                                                  "着", "足", "台", "缶", "ｾｯﾄ", "pcs", "pc", "piece", "pieces"};
    if (digits == 0 || digits > 6 || std::find(std::begin(kUnits), std::end(kUnits), unit) == std::end(kUnits))
        return std::nullopt;
    const long n = std::stol(s.substr(0, digits));
    return n > 0 ? std::optional<long>(n) : std::nullopt;
}

GoodsLines FillGoodsLines(const std::vector<GoodsItem>& items)
{
    GoodsLines g;
    const std::size_t shown = std::min(items.size(), kGoodsLines);
    for (std::size_t k = 0; k < shown; ++k) {
        std::string tail = items[k].quantity > 1 ? "×" + IntToStr(items[k].quantity) : "";
        if (k + 1 == kGoodsLines && items.size() > kGoodsLines) {
            long more = 0;
            for (std::size_t r = kGoodsLines; r < items.size(); ++r) more += items[r].quantity;
            tail += " 他" + IntToStr(more) + "点";
        }
        const std::string& name = items[k].name;
        const std::string_view kept = CutAtBytes(name, kGoodsLineBytes > tail.size() ? kGoodsLineBytes - tail.size() : 0);
        g.cut[k] = kept.size() < name.size();
        g.lines[k] = std::string(kept) + tail;
    }
    return g;
}

}  // namespace hoxa
