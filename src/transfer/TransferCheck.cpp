#include "transfer/TransferCheck.h"

#include "base/cp932.h"
#include "transfer/CheckText.h"
#include "transfer/HalfWidth.h"
#include "transfer/TransferSteps.h"

#include <algorithm>
#include <initializer_list>

namespace hoxa {

namespace {

namespace why = check_reason;

using namespace check_text;

// ---- the result ---------------------------------------------------------------

class Marks {
public:
    explicit Marks(CheckResult& r) : r_(r) {}
    void Add(DestField f, std::string_view reason)
    {
        auto& list = r_.reasons[static_cast<std::size_t>(f)];
        if (std::find(list.begin(), list.end(), reason) == list.end()) list.emplace_back(reason);
    }
    // A pasted line that reached no field, named in the reason.
    void AddLine(DestField f, std::string_view line)
    {
        constexpr std::size_t kShown = 40;  // bytes of the line shown
        const std::string_view shown = CutAtBytes(line, kShown);
        Add(f, std::string(why::kLineUnused) + "：「" + std::string(shown) + (shown.size() < line.size() ? "…" : "") + "」");
    }

private:
    CheckResult& r_;
};

// ---- field rules --------------------------------------------------------------

std::size_t SkipBlanksFrom(std::string_view folded, std::size_t i)
{
    while (i < folded.size() && folded[i] == ' ') ++i;
    return i;
}

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
    const NumberRun run{digits, 1, digits.size()};
    if (other || !IsTelNumber(run)) marks.Add(DestField::Tel, why::kTelShape);
    else if (IsServiceNumber(run)) marks.Add(DestField::Tel, why::kTelShop);
}

// ます or です closing a word: a sentence (ますみ is a name).
bool HasSentenceEnding(std::string_view f)
{
    for (const std::string_view end : {"ます", "です"})
        for (std::size_t at = FindWord(f, end); at != std::string::npos; at = FindWord(f, end, at + end.size())) {
            const std::size_t next = at + end.size();
            if (next >= f.size() || !IsHiraganaCode(CodeAt(f, next, CharLenAt(f, next)))) return true;
        }
    return false;
}

// A building's name: a word that ends with a building word (サンライズヒル), or
// 方 of "care of" standing as a word of its own or after 様.
bool HasBuildingName(std::string_view f)
{
    for (std::size_t i = 0; i < f.size(); i += CharLenAt(f, i))
        if (const std::size_t len = BuildingEndWords().MatchAt(f, i)) {
            const std::size_t next = i + len;
            if (i > 0 && (next == f.size() || f[next] == ' ' || IsDigitCode(static_cast<unsigned char>(f[next]))))
                return true;
        }
    const std::string padded = " " + std::string(f) + " ";
    return FindWord(padded, " 方 ") != std::string::npos || FindWord(f, "様方") != std::string::npos;
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
    if (HasPlace(f) || HasTwoPlaceWords(f) || NameBuildingWords().In(f) || HasFloorOrRoom(f) || HasBuildingName(f))
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
    if (SentenceWords().In(f) || HasSentenceEnding(f)) marks.Add(DestField::Custo1, why::kNameSentence);
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

// The words of a note in an address line: those after its block number, or
// anywhere in a line that does not begin as an address (a place name such as
// 希望ケ丘 or 夜間瀬 holds note words before its number).
bool HasNoteAfterPlace(std::string_view text)
{
    std::size_t from = 0;
    if (StartsLikeAddress(Squeeze(text))) {
        while (from < text.size() && !IsDigitCode(static_cast<unsigned char>(text[from]))) from += CharLenAt(text, from);
    }
    return AddressNoteWords().In(text.substr(from));
}

// A department followed by a person: 物流課 今村 大輔.
bool StartsWithDepartment(std::string_view folded)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < folded.size() && chars < 8; ++chars) {
        const std::size_t len = CharLenAt(folded, i);
        const unsigned c = CodeAt(folded, i, len);
        if (!IsKanjiCode(c) && !IsKatakanaCode(c) && !IsHalfKanaCode(c)) return false;
        if (const std::size_t dep = chars > 0 ? DepartmentWords().MatchAt(folded, i) : 0) {
            const std::size_t rest = SkipBlanksFrom(folded, i + dep);
            return rest < folded.size() && (rest > i + dep || IsKanjiCode(CodeAt(folded, rest, CharLenAt(folded, rest))));
        }
        i += len;
    }
    return false;
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
        if (HasNoteAfterPlace(*text)) marks.Add(field, why::kAddrNote);
        if (HasGoods(*text)) marks.Add(field, why::kAddrGoods);
    }
    // A company (and its department) on おところ② above the person's name is
    // how many waybills are written; in the first line, or with no name, it
    // is the name out of place.
    if (CompanyWords().In(a1)) marks.Add(DestField::Add1, why::kAddrCompany);
    if (CompanyWords().In(a2) && Squeeze(Fold(d.custo1)).empty()) marks.Add(DestField::Add2, why::kAddrCompany);
    const bool companyLine = CompanyWords().In(a2) || DepartmentWords().In(a2);
    // An address broken over two lines at a hyphen keeps the hyphen.
    const std::string s1 = Squeeze(a1), s2 = Squeeze(a2);
    if ((!s1.empty() && s1.back() == '-') || (!s2.empty() && s2.front() == '-'))
        marks.Add(s1.empty() || s1.back() != '-' ? DestField::Add2 : DestField::Add1, why::kAddrCut);
    // A post office that holds the parcel needs no block number.
    static const WordList numberWords{"番", "号", "丁目", "郵便局", "局留", "局止", "留置"};
    if (!HasDigit(a1) && !HasDigit(a2) && !numberWords.In(a1 + a2))
        marks.Add(DestField::Add1, why::kAddrNoNumber);
    if (!HasDigit(a2) && !HasBuildingWord(a2) && StartsWithDepartment(a2))
        marks.Add(DestField::Add2, why::kAddr2Person);
    else if (!s2.empty() && !HasDigit(a2) && !HasBuildingWord(a2) && !companyLine && !StartsLikeAddress(s2))
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
    // 様 with a kanji after it other than 方 of "care of" (池田町様舞).
    for (std::size_t at = FindWord(line, "様"); at != std::string::npos; at = FindWord(line, "様", at + 2)) {
        const std::size_t next = at + 2;
        if (next + 1 < line.size() && IsKanjiCode(CodeAt(line, next, 2)) && line.compare(next, 2, "方") != 0) return true;
    }
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

// A line that repeats the name in another script, how it is read: in
// hiragana or Latin letters beside a name in kanji, or in katakana with as many
// words (or labelled, or in brackets, or one short word such as ヤマダタロウ
// next to the name's line).  A longer katakana word (パークアクシス), or one away
// from the name (a shop's name after the address), is a building or a shop.
bool IsReadingOfName(std::string_view line, std::string_view name, bool besideName)
{
    const std::string sq = Squeeze(line);
    const bool bracketed = !sq.empty() && sq.front() == '(' && sq.back() == ')';
    if (bracketed) return true;
    if (!NameHasKanji(name)) return false;
    if (IsHiraganaLine(line)) return true;
    if (IsLatinLine(line) && WordCount(line) >= 2 && !IsLatinLine(name)) return true;
    if (!IsReadingLine(sq)) return false;
    static const WordList labels{"フリガナ", "ふりがな", "カナ"};
    const bool longWord = FindWord(sq, "\xB0") != std::string::npos || CountChars(sq) > 10;  // ｰ
    return labels.In(sq) || (WordCount(line) >= 2 && WordCount(line) == WordCount(name)) ||
           (WordCount(line) == 1 && !longWord && besideName);
}

// A line that reached no field: the field it should have gone to, if any.
// Its postal code and telephone number have been judged already.
void LostLine(std::string_view line, std::string_view folded, std::string_view name, bool besideName, Marks& marks)
{
    static const WordList extension{"内線", "ext", "Ext"};
    static const WordList country{"日本", "JAPAN", "Japan", "にほん", "にっぽん"};
    if (IsFaxLine(folded)) return;
    const bool numbers = !FirstTel(folded).empty() || !FirstZip(folded).empty();
    const std::string rest = numbers ? WithoutNumbers(folded) : std::string(folded);
    const std::string sq = Squeeze(rest);
    if (sq.empty() || IsOnlySigns(sq)) return;
    if (extension.StartOf(sq)) {
        marks.AddLine(DestField::Tel, line);
        return;
    }
    if (numbers && (TelWords().StartOf(sq) || sq == Fold("〒"))) return;
    if (NoteWords().In(rest) || (country.StartOf(sq) && country.MatchAt(sq, 0) == sq.size())) return;
    if (IsReadingOfName(rest, name, besideName)) return;
    // Part of the address if it has the marks of one, else of the name; a
    // katakana name that is no reading is a building or a shop.
    if (StartsWithPrefecture(sq) || HasTwoPlaceWords(sq) || (HasDigit(folded) && StartsLikeAddress(sq)))
        marks.AddLine(DestField::Add1, line);
    else if (HasDigit(folded) || HasBuildingWord(sq) || HasFloorOrRoom(folded) || IsReadingLine(sq))
        marks.AddLine(DestField::Add2, line);
    else
        marks.AddLine(DestField::Custo1, line);
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
            } else if (IsTelNumber(r) && !IsServiceNumber(r) && !telValid) {
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

DestField CheckResult::FirstField() const
{
    for (std::size_t f = 0; f < kDestFields; ++f)
        for (const auto& r : reasons[f])
            if (r != why::kZipAddress) return static_cast<DestField>(f);
    for (std::size_t f = 0; f < kDestFields; ++f)
        if (!reasons[f].empty()) return static_cast<DestField>(f);
    return DestField::Zip;
}

std::string CheckResult::FirstReason() const
{
    const auto& r = Reasons(FirstField());
    if (r.empty()) return {};
    const auto own = std::find_if(r.begin(), r.end(), [](const std::string& s) { return s != why::kZipAddress; });
    return own != r.end() ? *own : r.front();
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
    if (fields.zip.empty() && !result.Marked(DestField::Zip)) marks.Add(DestField::Zip, why::kZipEmpty);

    // Did each line reach a field?  A postal code may have been split from
    // the rest of its line.
    std::array<std::string, kDestFields> squeezed;
    for (std::size_t f = 0; f < kDestFields; ++f) squeezed[f] = Squeeze(Fold(fields.Get(static_cast<DestField>(f))));
    const auto reached = [&](std::string_view part) {
        for (const auto& s : squeezed)
            if (FindWord(s, part) != std::string::npos) return true;
        return false;
    };
    const std::string name = Fold(fields.custo1), nameSq = Squeeze(name);
    // The line the name came from.
    std::size_t nameLine = lines.size();
    for (std::size_t k = 0; k < lines.size() && !nameSq.empty(); ++k)
        if (FindWord(Squeeze(folded[k]), nameSq) != std::string::npos) {
            nameLine = k;
            break;
        }
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string sq = Squeeze(folded[k]);
        if (sq.empty() || IsOnlySigns(sq)) continue;
        bool arrived = reached(sq);
        if (!arrived && k < 7 && sq.size() > 8 && ClassifyZipTel(sq.substr(0, 8)) == kKindZip)
            arrived = reached(sq.substr(0, 8)) && reached(sq.substr(8));
        if (!arrived) {
            LostLine(lines[k], folded[k], name, k + 1 == nameLine || k == nameLine + 1, marks);
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
