#include "transfer/TransferCheck.h"

#include "base/cp932.h"
#include "transfer/HalfWidth.h"
#include "transfer/TransferSteps.h"

#include <algorithm>
#include <initializer_list>

namespace hoxa {

namespace {

namespace why = check_reason;

// Everything below looks at folded text: the half-width form of the text
// (full-width digits, Latin letters, signs, spaces and katakana become
// half-width), so that one word list serves both forms.  Word lists are written
// as they are usually typed and folded once (WordList).
std::string Fold(std::string_view s) { return ToHalfWidth(s); }

// Folded text without its blanks: how lines and fields are compared.
std::string Squeeze(std::string_view folded)
{
    std::string out;
    out.reserve(folded.size());
    for (const char c : folded)
        if (static_cast<unsigned char>(c) > 0x20) out.push_back(c);
    return out;
}

unsigned CodeAt(std::string_view s, std::size_t i, std::size_t len)
{
    const unsigned b0 = static_cast<unsigned char>(s[i]);
    return len == 2 ? b0 * 256u + static_cast<unsigned char>(s[i + 1]) : b0;
}

bool IsDigitCode(unsigned c) { return c >= '0' && c <= '9'; }
bool IsLatinCode(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsHalfKanaCode(unsigned c) { return c >= 0xA6 && c <= 0xDF; }
bool IsHiraganaCode(unsigned c) { return c >= 0x829F && c <= 0x82F1; }
bool IsKatakanaCode(unsigned c) { return (c >= 0x8340 && c <= 0x8396) || c == 0x815B; }
bool IsKanjiCode(unsigned c)
{
    return (c >= 0x889F && c <= 0x9FFC) || (c >= 0xE040 && c <= 0xEAA4) || (c >= 0xED40 && c <= 0xEEFC) ||
           (c >= 0xFA40 && c <= 0xFC4B) || c == 0x8158 /* 々 */ || c == 0x8396 /* ヶ */;
}
// A character that can be part of a word (a name, a place, a Latin word).
bool IsWordCode(unsigned c)
{
    return IsDigitCode(c) || IsLatinCode(c) || IsHalfKanaCode(c) || IsHiraganaCode(c) || IsKatakanaCode(c) ||
           IsKanjiCode(c) || (c >= 0x824F && c <= 0x829A) /* full-width digits and letters */;
}

// Where `word` occurs in `text`, starting at a character boundary; npos if not.
std::size_t FindWord(std::string_view text, std::string_view word, std::size_t from = 0)
{
    if (word.empty()) return std::string_view::npos;
    const char first = word[0];
    for (std::size_t i = from; i + word.size() <= text.size(); i += CharLenAt(text, i))
        if (text[i] == first && text.compare(i, word.size(), word) == 0) return i;
    return std::string_view::npos;
}

// A list of folded words, searched for all at once.  A word is compared only
// where the text's first two bytes could start it.
class WordList {
public:
    WordList(std::initializer_list<std::string_view> words)
    {
        for (const auto w : words) Add(Fold(w));
    }
    explicit WordList(const std::vector<std::string_view>& folded)
    {
        for (const auto w : folded) Add(std::string(w));
    }

    // The length of the word the text starts with at byte i, or 0.
    std::size_t MatchAt(std::string_view text, std::size_t i) const
    {
        const bool one = oneByte_[static_cast<unsigned char>(text[i])];
        if (!one && (i + 1 >= text.size() || !twoBytes_[Hash(text[i], text[i + 1])])) return 0;
        for (const auto& w : words_)
            if (text.compare(i, w.size(), w) == 0) return w.size();
        return 0;
    }
    bool In(std::string_view text) const
    {
        for (std::size_t i = 0; i < text.size(); i += CharLenAt(text, i))
            if (MatchAt(text, i)) return true;
        return false;
    }
    bool StartOf(std::string_view text) const { return !text.empty() && MatchAt(text, 0) != 0; }
    auto begin() const { return words_.begin(); }
    auto end() const { return words_.end(); }

private:
    static std::size_t Hash(char a, char b)
    {
        return (static_cast<unsigned char>(a) * 31u + static_cast<unsigned char>(b)) & 1023u;
    }
    void Add(std::string w)
    {
        if (w.size() == 1) oneByte_[static_cast<unsigned char>(w[0])] = true;
        else twoBytes_[Hash(w[0], w[1])] = true;
        words_.push_back(std::move(w));
    }

    std::vector<std::string> words_;
    std::array<bool, 256> oneByte_{};
    std::array<bool, 1024> twoBytes_{};
};

// ---- numbers ------------------------------------------------------------------

// The digit groups of a folded text: runs of digits joined by hyphens, brackets,
// dots or a long vowel mark typed for a hyphen.
struct NumberRun {
    std::string digits;
    std::size_t groups = 0;      // digit groups in the run
    std::size_t firstGroup = 0;  // digits of the first group
};

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

bool IsZipNumber(const NumberRun& r)
{
    return r.digits.size() == 7 && (r.groups == 1 || (r.groups == 2 && r.firstGroup == 3));
}

// The first telephone number, or postal code, in a folded text ("" if none).
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

// Building words that no person's or company's name holds (方 is in 緒方, 階
// in 二階堂, 館 in 館野).
const WordList& NameBuildingWords()
{
    static const WordList words{"ビル", "マンション", "ハイツ", "コーポ", "メゾン", "アパート", "レジデンス", "号室"};
    return words;
}

// Words of a note, an order or a greeting: a line holding one is no part of
// the destination.
const WordList& NoteWords()
{
    static const WordList words{
        "お世話", "お願い", "ありがとう", "よろしく", "以下", "下記", "注文", "支払", "決済", "配送",
        "配達", "希望", "日時", "時間", "指定", "不在", "備考", "商品", "合計", "数量", "金額", "送料",
        "以上", "情報", "宅配", "依頼主", "※", "FAX", "Fax", "fax", "ファックス", "同じ", "お届け",
    };
    return words;
}

// Words that do not belong in an address line.
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

// Headings and labels that the transfer does not remove.
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
    static const WordList words{"。", "、", "です", "ます", "お世話", "お願い", "下さい", "ください"};
    return words;
}

// A company: its name belongs with the recipient, not in the address.
const WordList& CompanyWords()
{
    static const WordList words{"株式会社", "有限会社", "合同会社", "合資会社", "（株）", "（有）"};
    return words;
}

// Company marks in brackets that a name may carry: (株), (有).
const WordList& CompanyMarks()
{
    static const WordList words{"（株）", "（有）", "（同）", "（社）", "（財）"};
    return words;
}

// ---- shapes -------------------------------------------------------------------

bool StartsWithPrefecture(std::string_view folded) { return Prefectures().StartOf(folded); }

// Begins with a place: a prefecture, or a city, ward, town, village or county
// name (kanji or kana followed by 市, 区, 町, 村 or 郡 within the first few
// characters).
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

// A prefecture followed by a city, ward, town or village somewhere behind it
// (a company such as 北海道物産 names a prefecture without being an address).
bool HasPlace(std::string_view folded)
{
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i))
        if (const std::size_t len = Prefectures().MatchAt(folded, i))
            return CityWords().In(folded.substr(i + len));
    return false;
}

// A floor or room number: a digit directly followed by F, 階, 号 or 番.
bool HasFloorOrRoom(std::string_view folded)
{
    static const WordList marks{"F", "階", "号", "番", "丁目"};
    for (std::size_t i = 0; i < folded.size(); i += CharLenAt(folded, i)) {
        if (!IsDigitCode(static_cast<unsigned char>(folded[i]))) continue;
        if (marks.StartOf(folded.substr(i + 1))) return true;
    }
    return false;
}

// Two place words (市区町村郡) in one run of kanji, with something between:
// 札幌市中央区, 羽島郡笠松町.  Names such as 木村 or 市村 hold only one, or two
// side by side.
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

// Only katakana (either width), blanks, brackets and a reading label: a line
// that gives how a name is read.
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

// No letter, digit, kana or kanji at all: a separator, a bracket pair, a mark.
bool IsOnlySigns(std::string_view folded)
{
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        if (IsWordCode(CodeAt(folded, i, len))) return false;
        i += len;
    }
    return true;
}

// ---- the result ---------------------------------------------------------------

class Marks {
public:
    explicit Marks(CheckResult& r) : r_(r) {}
    void Add(DestField f, std::string_view reason)
    {
        auto& list = r_.reasons[static_cast<std::size_t>(f)];
        if (std::find(list.begin(), list.end(), reason) == list.end()) list.emplace_back(reason);
    }

private:
    CheckResult& r_;
};

// ---- field rules --------------------------------------------------------------

void CheckZip(std::string_view zip, Marks& marks)
{
    if (zip.empty()) return;  // an empty code is judged against the pasted lines
    const bool shape = zip.size() == 8 && zip[3] == '-' &&
                       std::all_of(zip.begin(), zip.end(), [](char c) { return c == '-' || (c >= '0' && c <= '9'); }) &&
                       std::count(zip.begin(), zip.end(), '-') == 1;
    if (!shape) marks.Add(DestField::Zip, why::kZipShape);
}

void CheckTel(std::string_view tel, Marks& marks)
{
    if (tel.empty()) return;
    const std::string folded = Fold(tel);
    std::string digits;
    bool other = false;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        if (IsDigitCode(c)) digits.push_back(static_cast<char>(c));
        else if (!(c == '-' || c == '(' || c == ')' || c == ' ')) other = true;
        i += len;
    }
    if (other || !IsTelNumber({digits, 1, digits.size()})) marks.Add(DestField::Tel, why::kTelShape);
}

void CheckName(std::string_view name, Marks& marks)
{
    const std::string f = Fold(name);
    if (Squeeze(f).empty()) {
        marks.Add(DestField::Custo1, why::kNameEmpty);
        return;
    }
    if (HasDigit(f)) marks.Add(DestField::Custo1, why::kNameDigits);
    if (FindWord(f, "@") != std::string::npos)  // the full-width ＠ folds to @
        marks.Add(DestField::Custo1, why::kNameMail);
    if (HasPlace(f) || HasTwoPlaceWords(f) || NameBuildingWords().In(f) || HasFloorOrRoom(f))
        marks.Add(DestField::Custo1, why::kNameAddress);
    // An honorific at the end of the name or of one of its words.
    for (const auto& h : Honorifics()) {
        for (std::size_t at = FindWord(f, h); at != std::string::npos; at = FindWord(f, h, at + h.size())) {
            const std::size_t end = at + h.size();
            if (end == f.size() || f[end] == ' ' || f[end] == '(' || f[end] == ')' ||
                Honorifics().StartOf(f.substr(end))) {
                marks.Add(DestField::Custo1, why::kNameHonorific);
                break;
            }
        }
    }
    if (NameLabelWords().In(f)) marks.Add(DestField::Custo1, why::kNameLabel);
    if (SentenceWords().In(f)) marks.Add(DestField::Custo1, why::kNameSentence);
    // Signs: anything but word characters, blanks and the middle dot or long
    // vowel mark between words; company marks such as (株) are allowed.
    std::string s = f;
    for (const auto& m : CompanyMarks())
        for (std::size_t at = FindWord(s, m); at != std::string::npos; at = FindWord(s, m)) s.erase(at, m.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = CharLenAt(s, i);
        const unsigned c = CodeAt(s, i, len);
        const bool inner = (c == 0xA5 /* ･ */ || c == '.' || c == '&' || c == '\'') && i > 0 && i + len < s.size();
        if (!IsWordCode(c) && c != ' ' && !inner) {
            marks.Add(DestField::Custo1, why::kNameSign);
            break;
        }
        i += len;
    }
}

void CheckAddress(const DestinationFields& d, Marks& marks)
{
    const std::string a1 = Fold(d.add1), a2 = Fold(d.add2);
    if (Squeeze(a1).empty() && Squeeze(a2).empty()) {
        marks.Add(DestField::Add1, why::kAddrEmpty);
        return;
    }
    if (!Squeeze(a1).empty() && !StartsLikeAddress(Squeeze(a1))) marks.Add(DestField::Add1, why::kAddrStart);
    for (const auto& [field, text] : {std::pair{DestField::Add1, &a1}, std::pair{DestField::Add2, &a2}}) {
        for (const auto& r : NumberRuns(*text)) {
            if (IsTelNumber(r)) marks.Add(field, why::kAddrTel);
            else if (IsZipNumber(r)) marks.Add(field, why::kAddrZip);
        }
        if (FindWord(*text, "〒") != std::string::npos) marks.Add(field, why::kAddrZip);
        if (AddressNoteWords().In(*text)) marks.Add(field, why::kAddrNote);
        if (CompanyWords().In(*text)) marks.Add(field, why::kAddrCompany);
    }
    // An address broken over two lines at a hyphen keeps the hyphen.
    const std::string s1 = Squeeze(a1), s2 = Squeeze(a2);
    if ((!s1.empty() && s1.back() == '-') || (!s2.empty() && s2.front() == '-'))
        marks.Add(s1.empty() || s1.back() != '-' ? DestField::Add2 : DestField::Add1, why::kAddrCut);
    static const WordList numberWords{"番", "号", "丁目"};
    if (!HasDigit(a1) && !HasDigit(a2) && !numberWords.In(a1 + a2))
        marks.Add(DestField::Add1, why::kAddrNoNumber);
    if (!Squeeze(a2).empty() && !HasDigit(a2) && !HasBuildingWord(a2) && !StartsLikeAddress(Squeeze(a2)))
        marks.Add(DestField::Add2, why::kAddr2NotAddress);
}

// ---- the pasted lines -------------------------------------------------------

// Words that hold 様 without being an honorific: the transfer removes the 様
// from them as well (様似町 becomes 似町).
const WordList& WordsWithSama()
{
    static const WordList words{"様似", "様式", "様方", "様子", "様相", "様々", "模様", "仕様", "同様", "多様", "お客様"};
    return words;
}

bool IsFullWidthLatin(unsigned c) { return c >= 0x8260 && c <= 0x829A && !(c > 0x8279 && c < 0x8281); }

// A label removed from inside a word: 様似町 loses its 様, Hotel its tel.
bool LabelInsideWord(std::string_view line)
{
    if (WordsWithSama().In(line)) return true;
    for (const std::string_view tel : {"TEL", "Tel", "tel", "Ｔｅｌ", "ｔｅｌ", "ＴＥＬ"}) {
        std::size_t prev = std::string_view::npos;  // start of the character before
        for (std::size_t i = 0; i < line.size();) {
            const std::size_t len = CharLenAt(line, i);
            if (line.compare(i, tel.size(), tel) == 0) {
                const std::size_t next = i + tel.size();
                const auto latin = [&](std::size_t at) {
                    const unsigned c = CodeAt(line, at, CharLenAt(line, at));
                    return IsLatinCode(c) || IsFullWidthLatin(c);
                };
                if ((prev != std::string_view::npos && latin(prev)) || (next < line.size() && latin(next)))
                    return true;
            }
            prev = i;
            i += len;
        }
    }
    return false;
}

// The name field holds kanji, hiragana or Latin letters: a katakana line that
// reached no field is then how the name is read.
bool NameHasKanji(std::string_view name)
{
    const std::string f = Fold(name);
    for (std::size_t i = 0; i < f.size();) {
        const std::size_t len = CharLenAt(f, i);
        const unsigned c = CodeAt(f, i, len);
        if (IsKanjiCode(c) || IsHiraganaCode(c) || IsLatinCode(c)) return true;
        i += len;
    }
    return false;
}

// The text of a line without its numbers (digits and what joins them).
std::string WithoutNumbers(std::string_view folded)
{
    std::string out;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        const bool joiner = c == '-' || c == '(' || c == ')' || c == '.' || c == 0xB0 || c == ' ';
        if (!IsDigitCode(c) && !joiner) out.append(folded.substr(i, len));
        i += len;
    }
    return out;
}

bool IsFaxLine(std::string_view folded)
{
    static const WordList words{"FAX", "Fax", "fax", "ファックス", "ファクス"};
    return words.In(folded);
}

// Words that tell which telephone number a line gives.
const WordList& TelWords()
{
    static const WordList words{"携帯", "自宅", "勤務先", "会社", "日中", "夜間", "連絡先", "代表", "直通"};
    return words;
}

// A line that reached no field: the field it should have gone to, if any.
// Its postal code and telephone number have been judged already.
void LostLine(std::string_view folded, bool nameHasKanji, Marks& marks)
{
    static const WordList extension{"内線", "ext", "Ext"};
    if (IsFaxLine(folded)) return;
    const bool numbers = !FirstTel(folded).empty() || !FirstZip(folded).empty();
    const std::string rest = numbers ? WithoutNumbers(folded) : std::string(folded);
    const std::string sq = Squeeze(rest);
    if (sq.empty() || IsOnlySigns(sq)) return;
    if (extension.StartOf(sq)) {
        marks.Add(DestField::Tel, why::kLineUnused);
        return;
    }
    if (numbers && (TelWords().StartOf(sq) || sq == Fold("〒"))) return;
    if (NoteWords().In(rest)) return;
    if (IsReadingLine(sq) && nameHasKanji) return;
    // Part of the address if it has the marks of one, else part of the name.
    if (StartsWithPrefecture(sq) || HasTwoPlaceWords(sq) || (HasDigit(folded) && StartsLikeAddress(sq)))
        marks.Add(DestField::Add1, why::kLineUnused);
    else if (HasDigit(folded) || HasBuildingWord(sq) || HasFloorOrRoom(folded))
        marks.Add(DestField::Add2, why::kLineUnused);
    else
        marks.Add(DestField::Custo1, why::kLineUnused);
}

// The postal codes and telephone numbers anywhere in the paste, against the two
// fields.
void CheckNumbersOfPaste(const std::vector<std::string>& foldedLines, const DestinationFields& fields, Marks& marks,
                         bool zipValid, bool telValid)
{
    const std::string zip = FirstZip(Fold(fields.zip));
    for (const auto& line : foldedLines) {
        if (IsFaxLine(line)) continue;
        for (const auto& r : NumberRuns(line)) {
            if (IsZipNumber(r)) {
                if (!zipValid) marks.Add(DestField::Zip, why::kZipMissing);
                else if (r.digits != zip) marks.Add(DestField::Zip, why::kZipSeveral);
            } else if (IsTelNumber(r) && !telValid) {
                marks.Add(DestField::Tel, why::kTelMissing);
            }
        }
    }
}

}  // namespace

const std::string& DestinationFields::Get(DestField f) const
{
    switch (f) {
    case DestField::Zip: return zip;
    case DestField::Add1: return add1;
    case DestField::Add2: return add2;
    case DestField::Custo1: return custo1;
    case DestField::Tel: break;
    }
    return tel;
}

bool CheckResult::AnyMarked() const
{
    return std::any_of(reasons.begin(), reasons.end(), [](const auto& r) { return !r.empty(); });
}

std::string CheckResult::FirstReason() const
{
    for (const auto& r : reasons)
        if (!r.empty()) return r.front();
    return {};
}

CheckResult CheckTransfer(const Lines& pasted, const DestinationFields& fields, const ZipAddressLookup& lookup)
{
    CheckResult result;
    Marks marks(result);
    // A paste of blanks only fills nothing: nothing to look at but empty fields.
    const bool nothing = Squeeze(Fold(fields.zip + fields.add1 + fields.add2 + fields.custo1 + fields.tel)).empty();
    const bool pastedNothing = std::all_of(pasted.begin(), pasted.end(), [](const std::string& l) {
        return Squeeze(Fold(l)).empty() || CountMailMarks(l) > 0;
    });
    if (nothing && pastedNothing) return result;

    CheckZip(fields.zip, marks);
    CheckTel(fields.tel, marks);
    const bool zipValid = !fields.zip.empty() && !result.Marked(DestField::Zip);
    const bool telValid = !fields.tel.empty() && !result.Marked(DestField::Tel);
    CheckName(fields.custo1, marks);
    CheckAddress(fields, marks);
    // An empty address is marked as such; there is nothing to compare.
    const std::string address = fields.add1 + fields.add2;
    if (lookup && zipValid && !Trim(address).empty()) {
        const std::optional<bool> match = lookup(fields.zip, address);
        if (match.has_value() && !*match) {
            marks.Add(DestField::Zip, why::kZipAddress);
            marks.Add(DestField::Add1, why::kZipAddress);
        }
    }

    // The pasted lines that are no mail or web address, as the transfer
    // cleans them, folded; the transfer reads the first seven.
    std::vector<std::string> lines;
    for (const auto& raw : pasted) {
        const std::string line = Trim(raw);
        if (line.empty() || CountMailMarks(line) > 0) continue;
        lines.push_back(line);
    }
    std::vector<std::string> folded;
    folded.reserve(lines.size());
    for (const auto& line : lines) folded.push_back(Fold(StripLabelsFromLine(line)));
    CheckNumbersOfPaste(folded, fields, marks, zipValid, telValid);

    // Did each line reach a field?  A postal code may have been split from
    // the rest of its line.
    std::array<std::string, kDestFields> squeezed;
    for (std::size_t f = 0; f < kDestFields; ++f) squeezed[f] = Squeeze(Fold(fields.Get(static_cast<DestField>(f))));
    const auto reached = [&](std::string_view part) {
        for (const auto& s : squeezed)
            if (FindWord(s, part) != std::string::npos) return true;
        return false;
    };
    const bool nameHasKanji = NameHasKanji(fields.custo1);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string sq = Squeeze(folded[k]);
        if (sq.empty() || IsOnlySigns(sq)) continue;
        bool arrived = reached(sq);
        if (!arrived && k < 7 && sq.size() > 8 && ClassifyZipTel(sq.substr(0, 8)) == kKindZip)
            arrived = reached(sq.substr(0, 8)) && reached(sq.substr(8));
        if (!arrived) {
            LostLine(folded[k], nameHasKanji, marks);
            continue;
        }
        // The field that holds what is left of a word the transfer cut.
        if (LabelInsideWord(lines[k]))
            for (std::size_t f = 0; f < kDestFields; ++f)
                if (!squeezed[f].empty() &&
                    (FindWord(squeezed[f], sq) != std::string::npos || FindWord(sq, squeezed[f]) != std::string::npos))
                    marks.Add(static_cast<DestField>(f), why::kLabelInWord);
    }
    return result;
}

}  // namespace hoxa
