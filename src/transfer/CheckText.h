// The text helpers of the check after a transfer: folding, character classes,
// word lists, the digit groups of a line and the shapes of address, building and
// note words.  Shared by the check's rules (TransferCheck.cpp) only.
#pragma once

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp932.h"

namespace hoxa::check_text {

// Everything below looks at folded text: the half-width form of the text
// (full-width digits, Latin letters, signs, spaces and katakana become
// half-width), so that one word list serves both forms.  Word lists are written
// as they are usually typed and folded once (WordList).
std::string Fold(std::string_view s);

// Folded text without its blanks: how lines and fields are compared.
std::string Squeeze(std::string_view folded);

inline unsigned CodeAt(std::string_view s, std::size_t i, std::size_t len)
{
    const unsigned b0 = static_cast<unsigned char>(s[i]);
    return len == 2 ? b0 * 256u + static_cast<unsigned char>(s[i + 1]) : b0;
}

inline bool IsDigitCode(unsigned c) { return c >= '0' && c <= '9'; }
inline bool IsLatinCode(unsigned c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsHalfKanaCode(unsigned c) { return c >= 0xA6 && c <= 0xDF; }
inline bool IsHiraganaCode(unsigned c) { return c >= 0x829F && c <= 0x82F1; }
inline bool IsKatakanaCode(unsigned c) { return (c >= 0x8340 && c <= 0x8396) || c == 0x815B; }
inline bool IsKanjiCode(unsigned c)
{
    return (c >= 0x889F && c <= 0x9FFC) || (c >= 0xE040 && c <= 0xEAA4) || (c >= 0xED40 && c <= 0xEEFC) ||
           (c >= 0xFA40 && c <= 0xFC4B) || c == 0x8158 /* 々 */ || c == 0x8396 /* ヶ */;
}
// A character that can be part of a word (a name, a place, a Latin word).
inline bool IsWordCode(unsigned c)
{
    return IsDigitCode(c) || IsLatinCode(c) || IsHalfKanaCode(c) || IsHiraganaCode(c) || IsKatakanaCode(c) ||
           IsKanjiCode(c) || (c >= 0x824F && c <= 0x829A) /* full-width digits and letters */;
}

// Where `word` occurs in `text`, starting at a character boundary; npos if not.
std::size_t FindWord(std::string_view text, std::string_view word, std::size_t from = 0);

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

std::vector<NumberRun> NumberRuns(std::string_view folded);

bool IsTelNumber(const NumberRun& r);

// A number that reaches a shop or a service rather than a person: free dial
// (0120, 0800) and navi dial (0570).
bool IsServiceNumber(const NumberRun& r);

bool IsZipNumber(const NumberRun& r);

// The first telephone number, or postal code, in a folded text ("" if none).
std::string FirstTel(std::string_view folded);

std::string FirstZip(std::string_view folded);

bool HasDigit(std::string_view folded);

// ---- word lists -----------------------------------------------------------------

const WordList& Prefectures();

const WordList& CityWords();

const WordList& BuildingWords();

// Building words that no person's or company's name holds (方 is in 緒方, 階
// in 二階堂, 館 in 館野).
const WordList& NameBuildingWords();

// Words that end a building's name (サンライズヒル, 六本木タワー, ルミエールコート).
const WordList& BuildingEndWords();

// A department or section of a company: 営業部, 物流課, 札幌支店.
const WordList& DepartmentWords();

// Goods and their quantities: 商品, ×2, 6本, 5kg.
bool HasGoods(std::string_view folded);

// Words of a note, an order or a greeting: a line holding one is no part of
// the destination.
const WordList& NoteWords();

// Words that do not belong in an address line.
const WordList& AddressNoteWords();

const WordList& Honorifics();

// Headings and labels that the transfer does not remove.
const WordList& NameLabelWords();

const WordList& SentenceWords();

// A company: its name belongs with the recipient, not in the address.
const WordList& CompanyWords();

// Company marks in brackets that a name may carry: (株), (有).
const WordList& CompanyMarks();

// ---- shapes -------------------------------------------------------------------

bool StartsWithPrefecture(std::string_view folded);

// Begins with a place: a prefecture, or a city, ward, town, village or county
// name (kanji or kana followed by 市, 区, 町, 村 or 郡 within the first few
// characters).
bool StartsLikeAddress(std::string_view folded);

bool HasBuildingWord(std::string_view folded);

// A prefecture followed by a city, ward, town or village somewhere behind it
// (a company such as 北海道物産 names a prefecture without being an address).
bool HasPlace(std::string_view folded);

// A floor or room number: a digit directly followed by F, 階, 号 or 番.
bool HasFloorOrRoom(std::string_view folded);

// Two place words (市区町村郡) in one run of kanji, with something between:
// 札幌市中央区, 羽島郡笠松町.  Names such as 木村 or 市村 hold only one, or two
// side by side.
bool HasTwoPlaceWords(std::string_view folded);

// Only katakana (either width), blanks, brackets and a reading label: a line
// that gives how a name is read.
bool IsReadingLine(std::string_view folded);

// Only hiragana, or only Latin letters, in words separated by blanks.
bool IsHiraganaLine(std::string_view folded);
bool IsLatinLine(std::string_view folded);

// The number of words separated by blanks.
std::size_t WordCount(std::string_view folded);

// No letter, digit, kana or kanji at all: a separator, a bracket pair, a mark.
bool IsOnlySigns(std::string_view folded);

}  // namespace hoxa::check_text
