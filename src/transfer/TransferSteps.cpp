#include "transfer/TransferSteps.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"
#include "base/NumericText.h"

#include <algorithm>

namespace hoxa {

namespace {

constexpr std::size_t kMaxCompactLines = 16;
constexpr std::size_t kWorkingLines = 7;

// A postal code is split from the rest of its line after this many bytes, and
// the rest is kept up to this byte of the line.
constexpr std::size_t kZipHeadBytes = 8;
constexpr std::size_t kZipLineBytes = 88;
// The rest must have more characters than this to be moved.
constexpr std::size_t kZipTailMinChars = 6;

constexpr std::string_view kFullWidthSpace = "\x81\x40";

bool IsBlankChar(std::string_view s, std::size_t i, std::size_t len)
{
    return (len == 1 && s[i] == ' ') || (len == 2 && s.substr(i, 2) == kFullWidthSpace);
}

}  // namespace

// ---- Line-level helpers -----------------------------------------------------

int CountMailMarks(std::string_view text)
{
    static constexpr std::string_view kMarks[] = {"@", ".com", ".jp", ".co", ".org", ".ne", ".net"};
    int n = 0;
    for (const auto mark : kMarks) n += CountOccurrences(text, mark);
    return n;
}

Lines CompactLines(const Lines& memoLines)
{
    Lines out;
    const std::size_t count = std::min(memoLines.size(), kMaxCompactLines);
    for (std::size_t i = 0; i < count; ++i) {
        std::string line = Trim(memoLines[i]);
        if (line.empty() || CountMailMarks(line) > 0) continue;
        out.push_back(std::move(line));
    }
    return out;
}

std::string TrimBlanks(std::string_view text)
{
    const std::string t = Trim(text);
    const std::string_view s = t;
    std::size_t begin = 0;
    while (begin < s.size()) {
        const std::size_t len = CharLenAt(s, begin);
        if (!IsBlankChar(s, begin, len)) break;
        begin += len;
    }
    // The end is found at character boundaries: the last non-blank character
    // seen while walking forward from the first kept one.
    std::size_t end = begin;
    for (std::size_t i = begin; i < s.size();) {
        const std::size_t len = CharLenAt(s, i);
        if (!IsBlankChar(s, i, len)) end = i + len;
        i += len;
    }
    return std::string(s.substr(begin, end - begin));
}

int NumericLeadLength(std::string_view text)
{
    return static_cast<int>(NormalizeZeros(FilterValue(text)).size());
}

// ---- Labels -----------------------------------------------------------------

const std::vector<std::string_view>& TransferLabels()
{
    // Longer labels come before the labels they contain, so that they go whole.
    static const std::vector<std::string_view> labels = {
        "：", ":", "様", "〒", "郵便番号", "ゆうびんばんごう", "℡", "TEL", "Tel", "tel",
        "Ｔｅｌ", "ｔｅｌ", "ＴＥＬ", "お電話番号", "電話番号",
        "お電話", "電話", "おでんわ", "でんわ", "おなまえ", "お名前", "御名前", "名前",
        "御氏名", "ご氏名", "氏名", "おところ１", "おところ２", "おところ1", "おところ2",
        "おところ", "ところ", "都道府県", "ご住所", "住所１", "住所２", "住所1", "住所2",
        "住所", "ご送付先", "送付先", "お送り先", "送り先", "お届け先", "届け先",
    };
    return labels;
}

std::string StripLabelsFromLine(std::string_view line)
{
    std::string s = Trim(line);
    for (const auto label : TransferLabels()) {
        // The line is already trimmed at the left: a label whose bytes do not
        // occur at all changes nothing.
        if (s.find(label) == std::string::npos) continue;
        s = TrimLeft(RemoveOccurrences(s, label));
    }
    s = TrimBlanks(s);
    if (NumericLeadLength(s) >= 3) s = ToHalfWidth(s);
    return s;
}

Lines StripLabels(const Lines& memoLines)
{
    Lines out(kWorkingLines);
    for (std::size_t k = 0; k < kWorkingLines; ++k)
        if (k < memoLines.size()) out[k] = StripLabelsFromLine(memoLines[k]);
    out[kWorkingLines - 1] = ToHalfWidth(out[kWorkingLines - 1]);
    return out;
}

// ---- Postal code and telephone ----------------------------------------------

bool IsZipTelChar(std::string_view text, std::size_t i)
{
    const std::size_t len = CharLenAt(text, i);
    if (len == 1) return (text[i] >= '0' && text[i] <= '9') || text[i] == '-';
    const unsigned code = static_cast<unsigned char>(text[i]) * 256u + static_cast<unsigned char>(text[i + 1]);
    return (code >= 0x824F && code <= 0x8258) || code == 0x817C;  // ０-９, －
}

std::string_view ClassifyZipTel(std::string_view text)
{
    const std::string t = Trim(text);
    const std::string_view s = t;
    std::size_t n = 0, c = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLenAt(s, i)) {
        ++n;
        if (IsZipTelChar(s, i)) ++c;
    }
    const std::size_t d = n - c;
    if (n == 8 && d == 0) return kKindZip;
    if (n > 10 && d <= 1) return kKindTel;
    if (n > 10 && d >= 3) return kKindAddress;
    return kKindUndecided;
}

Lines SplitZipLines(const Lines& sevenLines)
{
    Lines lines(kWorkingLines);
    for (std::size_t k = 0; k < kWorkingLines && k < sevenLines.size(); ++k)
        lines[k] = Trim(sevenLines[k]);

    for (std::size_t k = 0; k < kWorkingLines; ++k) {
        const std::string_view line = lines[k];
        if (line.size() <= kZipHeadBytes) continue;  // no rest to split off
        const std::string_view head = line.substr(0, kZipHeadBytes);
        if (ClassifyZipTel(head) != kKindZip) continue;
        // A postal-code head is eight single-byte characters, so the rest starts
        // on a character boundary; it ends before byte 89, or before the last
        // character that would reach past it.
        std::size_t end = kZipHeadBytes, chars = 0;
        while (end < line.size()) {
            const std::size_t len = CharLenAt(line, end);
            if (end + len > kZipLineBytes) break;
            end += len;
            ++chars;
        }
        if (chars <= kZipTailMinChars) continue;
        std::string tail(line.substr(kZipHeadBytes, end - kZipHeadBytes));
        lines[k].resize(kZipHeadBytes);
        for (std::size_t j = k + 1; j < kWorkingLines; ++j) {
            if (Trim(lines[j]).empty()) {
                lines[j] = std::move(tail);
                break;
            }
        }
    }
    return lines;
}

// ---- Prefecture, address, name ----------------------------------------------

const std::vector<std::string_view>& PrefectureNames()
{
    static const std::vector<std::string_view> names = {
        "北海道", "青森県", "岩手県", "宮城県", "秋田県", "山形県", "福島県", "茨城県",
        "栃木県", "群馬県", "埼玉県", "千葉県", "東京都", "神奈川県", "新潟県", "富山県",
        "石川県", "福井県", "山梨県", "長野県", "岐阜県", "静岡県", "愛知県", "三重県",
        "滋賀県", "京都府", "大阪府", "兵庫県", "奈良県", "和歌山県", "鳥取県", "島根県",
        "岡山県", "広島県", "山口県", "徳島県", "香川県", "愛媛県", "高知県", "福岡県",
        "佐賀県", "長崎県", "熊本県", "大分県", "宮崎県", "鹿児島県", "沖縄県",
    };
    return names;
}

bool IsPrefecture(std::string_view text)
{
    const std::string t = Trim(text);
    const auto& names = PrefectureNames();
    return std::find(names.begin(), names.end(), std::string_view(t)) != names.end();
}

const std::vector<std::string_view>& AddressPatterns()
{
    static const std::vector<std::string_view> patterns = {
        "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "-",
        "０", "１", "２", "３", "４", "５", "６", "７", "８", "９", "－",
        "北海道", "都", "県", "府", "市", "区", "町", "村", "字", "番地", "丁目", "階", "号",
        "F", "Ｆ", "郵便局", "局留", "局止", "ビル", "ﾋﾞﾙ", "メゾン", "ﾒｿﾞﾝ", "マンション",
        "ﾏﾝｼｮﾝ", "ハイツ", "ﾊｲﾂ", "コーポ", "ｺｰﾎﾟ", "カーサ", "ｶｰｻ", "小学校", "中学",
        "中学校", "高校", "高等学校",
    };
    return patterns;
}

int AddressScore(std::string_view text)
{
    const std::string t = Trim(text);
    int score = 0;
    for (const auto pattern : AddressPatterns()) score += CountOccurrences(t, pattern);
    return score;
}

}  // namespace hoxa
