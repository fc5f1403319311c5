#include "transfer/CheckText.h"

#include "transfer/HalfWidth.h"
#include "transfer/TransferSteps.h"

#include <algorithm>

namespace hoxa::check_text {

std::string Fold(std::string_view s) { return ToHalfWidth(s); }

std::string Squeeze(std::string_view folded)
{
    std::string out;
    out.reserve(folded.size());
    for (const char c : folded)
        if (static_cast<unsigned char>(c) > 0x20) out.push_back(c);
    return out;
}

std::size_t FindWord(std::string_view text, std::string_view word, std::size_t from)
{
    if (word.empty()) return std::string_view::npos;
    const char first = word[0];
    for (std::size_t i = from; i + word.size() <= text.size(); i += CharLenAt(text, i))
        if (text[i] == first && text.compare(i, word.size(), word) == 0) return i;
    return std::string_view::npos;
}

// ---- numbers ------------------------------------------------------------------

std::vector<NumberRun> NumberRuns(std::string_view folded)
{
    std::vector<NumberRun> runs;
    bool inRun = false, inGroup = false;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        // A blank joins two digit groups too: 082 247 8813.
        const bool blankJoiner = c == ' ' && inGroup && i + 1 < folded.size() &&
                                 IsDigitCode(static_cast<unsigned char>(folded[i + 1]));
        const bool joiner = c == '-' || c == '(' || c == ')' || c == '.' || c == 0xB0 /* ｰ */ || blankJoiner;
        if (IsDigitCode(c)) {
            if (!inRun) runs.emplace_back();
            NumberRun& r = runs.back();
            if (!inGroup) ++r.groups;
            r.digits.push_back(static_cast<char>(c));
            if (r.groups == 1) ++r.firstGroup;
            inRun = inGroup = true;
        } else if (joiner && (inRun || c == '(')) {
            // An opening bracket may start a run: (03)1234-5678.
            if (!inRun && i + 1 < folded.size() && IsDigitCode(static_cast<unsigned char>(folded[i + 1]))) {
                runs.emplace_back();
                inRun = true;
            }
            inGroup = false;
        } else {
            inRun = inGroup = false;
        }
        i += len;
    }
    return runs;
}

bool IsTelNumber(const NumberRun& r) { return (r.digits.size() == 10 || r.digits.size() == 11) && r.digits[0] == '0'; }

bool IsServiceNumber(const NumberRun& r)
{
    // Ten digits: 080 followed by 0 is a mobile number of eleven.
    if (r.digits.size() != 10) return false;
    for (const std::string_view prefix : {"0120", "0800", "0570"})
        if (r.digits.rfind(prefix, 0) == 0) return true;
    return false;
}

bool IsZipNumber(const NumberRun& r)
{
    return r.digits.size() == 7 && (r.groups == 1 || (r.groups == 2 && r.firstGroup == 3));
}

std::string FirstTel(std::string_view folded)
{
    for (const auto& r : NumberRuns(folded))
        if (IsTelNumber(r)) return r.digits;
    return {};
}

std::string FirstZip(std::string_view folded)
{
    for (const auto& r : NumberRuns(folded))
        if (IsZipNumber(r)) return r.digits;
    return {};
}

bool HasDigit(std::string_view folded)
{
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i))
        if (IsDigitCode(static_cast<unsigned char>(folded[i]))) return true;
    return false;
}

// ---- word lists -----------------------------------------------------------------

const WordList& Prefectures()
{
    static const WordList names(PrefectureNames());
    return names;
}

const WordList& CityWords()
{
    static const WordList words{"市", "区", "町", "村", "郡"};
    return words;
}

const WordList& BuildingWords()
{
    static const WordList words{
        "ビル", "マンション", "ハイツ", "コーポ", "メゾン", "カーサ", "アパート", "ハイム", "レジデンス",
        "タワー", "ハウス", "ヒルズ", "パレス", "コート", "テラス", "プラザ", "ヴィラ", "シャトー",
        "ガーデン", "ホテル", "HOTEL", "Hotel", "荘", "棟", "館", "寮", "団地", "住宅", "号室", "号",
        "階", "気付", "様方", "方", "郵便局", "局留", "局止", "学校", "中学", "高校",
    };
    return words;
}

const WordList& NameBuildingWords()
{
    static const WordList words{"ビル", "マンション", "ハイツ", "コーポ", "メゾン", "アパート", "レジデンス", "号室"};
    return words;
}

const WordList& BuildingEndWords()
{
    static const WordList words{"ヒル", "ヒルズ", "タワー", "タワーズ", "コート", "テラス", "ハウス", "パレス",
                                "ヴィラ", "ハイム", "レジデンス", "マンション", "ハイツ", "コーポ", "アパート", "ビル"};
    return words;
}

const WordList& DepartmentWords()
{
    static const WordList words{"部", "課", "係", "室", "支店", "支社", "営業所", "事業所", "工場", "センター", "受付"};
    return words;
}

bool HasGoods(std::string_view folded)
{
    static const WordList words{"商品", "品名", "数量", "小計"};
    static const WordList units{"個", "本", "箱", "袋", "枚", "点", "kg", "g", "L", "ml", "円", "セット", "ケース", "パック"};
    if (words.In(folded)) return true;
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i)) {
        const bool digit = IsDigitCode(static_cast<unsigned char>(folded[i]));
        if (digit && i + 1 < folded.size() && units.StartOf(folded.substr(i + 1))) return true;
        // A sign of multiplication before a number: ×2, 1L×6.
        if (folded.compare(i, 2, "×") == 0 && i + 2 < folded.size() &&
            IsDigitCode(static_cast<unsigned char>(folded[i + 2])))
            return true;
    }
    return false;
}

const WordList& NoteWords()
{
    static const WordList words{
        "お世話", "お願い", "ありがとう", "よろしく", "以下", "下記", "注文", "支払", "決済", "配送",
        "配達", "希望", "日時", "時間", "指定", "不在", "備考", "商品", "合計", "数量", "金額", "送料",
        "以上", "情報", "宅配", "依頼主", "※", "FAX", "Fax", "fax", "ファックス", "同じ", "お届け",
        // gifts and options of an order, and the shop's own lines
        "のし", "熨斗", "ギフト", "包装", "ラッピング", "メッセージ", "カード", "紙袋", "手提", "領収書",
        "明細", "納品書", "ニックネーム", "フリーダイヤル", "問い合わせ", "問合せ", "ご不明", "営業時間",
    };
    return words;
}

const WordList& AddressNoteWords()
{
    static const WordList words{
        "FAX", "Fax", "fax", "ファックス", "内線", "代表", "携帯", "自宅", "日中", "夜間", "不在", "注文",
        "支払", "希望", "指定", "※", "連絡", "番号", "お届け", "Shipping", "address",
    };
    return words;
}

const WordList& Honorifics()
{
    static const WordList words{"様", "さま", "サマ", "殿", "御中", "宛", "さん", "くん", "ちゃん"};
    return words;
}

const WordList& NameLabelWords()
{
    static const WordList words{
        "注文", "依頼", "情報", "届け", "送付", "発送", "配送", "購入", "送り主", "宛名", "担当", "受取",
        "フリガナ", "ふりがな", "Shipping", "Address", "address", "Name", "Phone", "お客",
        // the labels in kana, as old systems write them
        "オトドケ", "オナマエ", "ジュウショ", "デンワ", "ユウビン", "チュウモン",
    };
    return words;
}

const WordList& SentenceWords()
{
    static const WordList words{"。", "、", "お世話", "お願い", "下さい", "ください"};
    return words;
}

const WordList& CompanyWords()
{
    static const WordList words{"株式会社", "有限会社", "合同会社", "合資会社", "（株）", "（有）"};
    return words;
}

const WordList& CompanyMarks()
{
    static const WordList words{"（株）", "（有）", "（同）", "（社）", "（財）"};
    return words;
}

// ---- shapes -------------------------------------------------------------------

bool StartsWithPrefecture(std::string_view folded) { return Prefectures().StartOf(folded); }

bool StartsLikeAddress(std::string_view folded)
{
    if (StartsWithPrefecture(folded)) return true;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < folded.size() && chars < 8; ++chars) {
        const std::size_t len = CharLenAt(folded, i);
        if (chars > 0 && CityWords().StartOf(folded.substr(i))) return true;
        const unsigned c = CodeAt(folded, i, len);
        if (!IsKanjiCode(c) && !IsHiraganaCode(c) && !IsHalfKanaCode(c)) return false;
        i += len;
    }
    return false;
}

bool HasBuildingWord(std::string_view folded) { return BuildingWords().In(folded); }

bool HasPlace(std::string_view folded)
{
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i))
        if (const std::size_t len = Prefectures().MatchAt(folded, i))
            return CityWords().In(folded.substr(i + len));
    return false;
}

bool HasFloorOrRoom(std::string_view folded)
{
    static const WordList marks{"F", "階", "号", "番", "丁目"};
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i)) {
        if (!IsDigitCode(static_cast<unsigned char>(folded[i]))) continue;
        if (marks.StartOf(folded.substr(i + 1))) return true;
    }
    return false;
}

bool HasTwoPlaceWords(std::string_view folded)
{
    std::size_t lastPlace = std::string_view::npos, chars = 0;
    bool sawKanjiBefore = false;
    for (std::size_t i = 0; i < folded.size(); ++chars) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        if (!IsKanjiCode(c)) {
            lastPlace = std::string_view::npos;
            sawKanjiBefore = false;
        } else if (CityWords().StartOf(folded.substr(i, len))) {
            if (lastPlace != std::string_view::npos && chars > lastPlace + 1) return true;
            if (sawKanjiBefore) lastPlace = chars;
        } else {
            sawKanjiBefore = true;
        }
        i += len;
    }
    return false;
}

bool IsReadingLine(std::string_view folded)
{
    static const WordList labels{"フリガナ", "ふりがな", "カナ"};
    std::string s(folded);
    if (!s.empty()) s.erase(0, labels.MatchAt(s, 0));
    bool kana = false;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = CharLenAt(s, i);
        const unsigned c = CodeAt(s, i, len);
        if (IsHalfKanaCode(c) || IsKatakanaCode(c)) kana = true;
        else if (!(c == ' ' || c == '(' || c == ')' || c == ':')) return false;
        i += len;
    }
    return kana;
}

namespace {

// Only characters of one kind, and blanks; at least one of that kind.
template <typename Kind>
bool IsLineOf(std::string_view folded, Kind kind)
{
    bool any = false;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        if (kind(c)) any = true;
        else if (c != ' ') return false;
        i += len;
    }
    return any;
}

}  // namespace

bool IsHiraganaLine(std::string_view folded) { return IsLineOf(folded, IsHiraganaCode); }

bool IsLatinLine(std::string_view folded) { return IsLineOf(folded, IsLatinCode); }

std::size_t WordCount(std::string_view folded)
{
    std::size_t words = 0;
    bool in = false;
    for (const char c : folded) {
        const bool blank = c == ' ';
        if (!blank && !in) ++words;
        in = !blank;
    }
    return words;
}

bool IsOnlySigns(std::string_view folded)
{
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        if (IsWordCode(CodeAt(folded, i, len))) return false;
        i += len;
    }
    return true;
}

}  // namespace hoxa::check_text
