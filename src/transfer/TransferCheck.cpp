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
