// Destination and goods of a waybill from the cells of an order file: columns
// that the export splits are joined as people write them, within the limits of
// the main window's fields.  Pure functions on CP932 text.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hoxa {

using Cells = std::vector<std::string_view>;

// A cell as a field takes it: tabs and line breaks become blanks, blanks (also
// full-width ones) at both ends go.
std::string TidyCell(std::string_view cell);

// The postal code from one cell (as ReadPostalCode takes it: 100-0001,
// 100 0001, 〒1000001) or the two halves: half-width, written NNN-NNNN.  A code
// a spreadsheet stripped of its leading zeros (600042, 10010, or the halves 60
// and 42) gets them back when `confirm` accepts the result; a text of any other
// shape is returned as it is, for the check to mark.  Here and in the
// telephone, a spreadsheet's leading apostrophe ('0600042) is dropped.
std::string JoinPostalCode(const Cells& parts, const std::function<bool(std::string_view zip)>& confirm);

// The telephone number from one cell or its parts: half-width, the parts
// joined with hyphens (03-3401-2345); +81 becomes the leading 0, and a number
// stripped of its leading 0 (9012345678) gets it back when the result has the
// length of a Japanese number.
std::string JoinTelephone(const Cells& parts);

// Family and given name with one blank between.
std::string JoinName(const Cells& parts);

// おところ① and ② hold at most this many bytes each when they are filled from
// a file (the length above which the main window warns about おところ①).
inline constexpr std::size_t kAddressLineBytes = 40;

struct AddressLines {
    std::string add1, add2;
};

// Prefecture, city and street (run together; a part that repeats the one
// before it replaces it) and building parts (joined with blanks) as the two
// address lines: おところ② begins where a building or room part begins, and
// takes what does not fit into おところ①, split at a place word, a blank or
// at least a character boundary.  When that leaves either line longer than
// kAddressLineBytes, the whole is split where both fit: after a unit word
// (丁目, 番地, 号, 通, 下る, 町, 字 ...) or at a blank, else at any character
// boundary; only an address too long for any split keeps a long line.  A
// prefecture given as JP-13 or in Latin letters (Tokyo) is written in kanji.
AddressLines JoinAddress(const Cells& address, const Cells& building);

// Where the building or room part of an address begins (npos: none): after the
// block number, at a blank or where words begin again (1-2-3 青山ビル5F,
// 2番3号コーポ北).
std::size_t BuildingStart(std::string_view address);

inline constexpr std::size_t kGoodsLines = 3;
inline constexpr std::size_t kGoodsLineBytes = 30;

struct GoodsItem {
    std::string name;
    long quantity = 1;
};

struct GoodsLines {
    std::array<std::string, kGoodsLines> lines;
    std::array<bool, kGoodsLines> cut{};  // the line's item name did not fit whole
};

// One item a line ("名前×2" for more than one piece); with more items than
// lines, the last line ends in "他N点", N the pieces not shown.
GoodsLines FillGoodsLines(const std::vector<GoodsItem>& items);

// The quantity in a cell: a number (full-width digits too), with or without a
// unit (2個, ２点, 3 pcs); 1 for a blank cell; nullopt for a text that is no
// quantity, or none.
std::optional<long> ParseQuantity(std::string_view cell);

}  // namespace hoxa
