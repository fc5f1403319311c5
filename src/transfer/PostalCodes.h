// Postal code to address, offline: Japan Post's list as converted by
// tools/postal/make_postal_data.py into postal-codes.dat, looked up by code.
// All texts are CP932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hoxa {

// The file's name, beside the program or in its installed data folder.
inline constexpr char kPostalDataFile[] = "postal-codes.dat";

struct PostalAddress {
    std::string prefecture;  // 東京都
    std::string city;        // 千代田区 (a county and its town: 八重山郡与那国町)
    std::string town;        // 千代田; empty where the code covers a whole city

    std::string Full() const { return prefecture + city + town; }
};

// The 7-digit number of a code written "1000001" or "100-0001" in half-width
// digits and nothing else; nullopt for any other text.
std::optional<std::uint32_t> ParsePostalCode(std::string_view zip);

// The code in a postal-code field as people write it: after the half-width
// conversion, an optional 〒, three digits, a hyphen, dash, long vowel mark or
// blank (or nothing) and four digits, blanks around them ("〒100-0001",
// "100ー0001", "100‐0001", "100 0001"); nullopt for any other text.
std::optional<std::uint32_t> ReadPostalCode(std::string_view typed);

// 1000001 -> "100-0001".
std::string FormatPostalCode(std::uint32_t code);

// CRC-32 as zlib computes it; the data file's header carries the body's.
std::uint32_t Crc32(std::string_view bytes);

enum class PostalDataStatus { Loaded, Missing, Damaged };

// The converted list in memory: a sorted array of codes, and per code the
// offset of its town and the index of its (prefecture, city) pair, all
// pointing into the file's text, held once.  Copies share the data.
class PostalCodeTable {
public:
    PostalCodeTable();  // Missing, empty

    // Never throws: a missing, unreadable or damaged file gives a table with
    // that status and no codes.
    static PostalCodeTable FromFile(const std::string& path);
    // The whole content of a data file.
    static PostalCodeTable FromBytes(std::string_view file);

    PostalDataStatus Status() const { return status_; }
    bool Loaded() const { return status_ == PostalDataStatus::Loaded; }
    // One line for the guidance panel when the table is not loaded; else empty.
    const std::string& Problem() const { return problem_; }
    // Package, version and data stamp from the file's header.
    const std::string& Source() const { return source_; }

    std::size_t Size() const;
    // Bytes the table holds on the heap.
    std::size_t MemoryBytes() const;

    std::optional<PostalAddress> Find(std::uint32_t code) const;

    // The codes with the same first three digits and the same prefecture and
    // city as `code` (itself among them) that have a town, with the town
    // pointing into the table; empty for an unknown code.
    std::vector<std::pair<std::uint32_t, std::string_view>> NeighbourTowns(std::uint32_t code) const;

private:
    struct Data;
    static PostalCodeTable FromBuffer(std::string&& file);
    static PostalCodeTable Parse(std::string&& file);
    static PostalCodeTable Failed(PostalDataStatus status, std::string why);

    PostalDataStatus status_ = PostalDataStatus::Missing;
    std::string problem_;
    std::string source_;
    std::shared_ptr<const Data> data_;
};

// The places the program looks for the data file, in this order: beside the
// program, in ../share/hoxa-nivora/ from there, in the installed data folder.
std::vector<std::string> PostalDataPlaces();

// The program's table, read on the first call from the first place that holds
// the file (or from the file named by UsePostalDataFile).
const PostalCodeTable& PostalCodes();
// Whether PostalCodes() has read its file yet.
bool PostalCodesLoaded();
// Use this file from now on (empty: the usual places); the table is read again
// on the next call of PostalCodes().  References to the old table end here.
void UsePostalDataFile(std::string path);

// The address of a code written as ParsePostalCode takes it; nullopt when the
// code is malformed or unknown, or the data is missing or damaged.
std::optional<PostalAddress> LookUpPostalCode(std::string_view zip);

// Whether an address begins with the prefecture and city of a postal code, or
// with the city alone (blanks between them are ignored, ケ and ヶ are one, a
// county's name may be left out: 与那国町 for 八重山郡与那国町, and a ward may
// have the name it had before a reorganisation: 浜松市中区 for 浜松市中央区),
// and then with its town where the list has one: the address must not go on
// with another town of the same city under a code of the same first three
// digits (世田谷区三軒茶屋 is not 154-0004 太子堂; kanji and Arabic numbers,
// ケ/ヶ/が and の/ノ are one, a leading 大字 or 字 is skipped).
// A code that covers several cities with nothing in common (335-0000: 蕨市 and
// 戸田市) has no city in the list; then only the prefecture is checked, and it
// must be written.  nullopt: the code is malformed or unknown, or there is no
// data.
std::optional<bool> AddressMatchesPostalCode(std::string_view zip, std::string_view address);

}  // namespace hoxa
