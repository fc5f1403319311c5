#include "transfer/PostalCodes.h"

#include "base/AtomicFile.h"
#include "base/cp932.h"
#include "transfer/HalfWidth.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#ifndef HOXA_DATADIR
#define HOXA_DATADIR "/usr/local/share/hoxa-nivora"
#endif

namespace hoxa {

namespace {

constexpr std::string_view kMagic = "HOXA-POSTAL 1";
constexpr std::size_t kMaxFile = 64u << 20;  // far above the ~2.4 MB of the whole list

constexpr char kMissing[] = "郵便番号データ(postal-codes.dat)が見つからないため、住所の自動入力はできません";
constexpr char kDamaged[] = "郵便番号データ(postal-codes.dat)が壊れているため、住所の自動入力はできません";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::size_t> ToNumber(std::string_view s, int base = 10)
{
    std::size_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return v;
}

// CRC-32 (the one of zlib and Python's zlib.crc32), eight bytes a step.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables MakeCrcTables()
{
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t s = 1; s < 8; ++s)
        for (std::size_t i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

constexpr CrcTables kCrc = MakeCrcTables();

}  // namespace

std::uint32_t Crc32(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = s.size();
    std::uint32_t c = ~0u;
    const auto word = [](const unsigned char* q) {
        return std::uint32_t{q[0]} | std::uint32_t{q[1]} << 8 | std::uint32_t{q[2]} << 16 | std::uint32_t{q[3]} << 24;
    };
    for (; n >= 8; p += 8, n -= 8) {
        const std::uint32_t a = c ^ word(p);
        const std::uint32_t b = word(p + 4);
        c = kCrc[7][a & 0xFF] ^ kCrc[6][(a >> 8) & 0xFF] ^ kCrc[5][(a >> 16) & 0xFF] ^ kCrc[4][a >> 24] ^
            kCrc[3][b & 0xFF] ^ kCrc[2][(b >> 8) & 0xFF] ^ kCrc[1][(b >> 16) & 0xFF] ^ kCrc[0][b >> 24];
    }
    for (; n > 0; ++p, --n) c = kCrc[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return ~c;
}

namespace {

// Splits off the line that starts at pos (without its '\n'); false at the end
// or when the last line has no '\n'.
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line)
{
    if (pos >= text.size()) return false;
    const void* nl = std::memchr(text.data() + pos, '\n', text.size() - pos);
    if (!nl) return false;
    const std::size_t end = static_cast<const char*>(nl) - text.data();
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
}

// Text the converter writes: printable ASCII, half-width katakana and whole
// double-byte characters; no control bytes, no bytes CP932 leaves undefined.
bool IsCp932Text(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= 0x20 && b < 0x7F) ++i;
        else if (b >= 0xA1 && b <= 0xDF) ++i;
        else if (IsLeadByte(b) && i + 1 < s.size() && IsTrailByte(s[i + 1])) i += 2;
        else return false;
    }
    return true;
}

bool IsHeaderText(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

}  // namespace

std::optional<std::uint32_t> ParsePostalCode(std::string_view zip)
{
    char digits[7];
    std::size_t n = 0;
    for (std::size_t i = 0; i < zip.size(); ++i) {
        if (IsDigit(zip[i]) && n < 7) digits[n++] = zip[i];
        else if (!(zip[i] == '-' && i == 3 && n == 3)) return std::nullopt;
    }
    if (n != 7 || (zip.size() != 7 && zip.size() != 8)) return std::nullopt;
    std::uint32_t code = 0;
    for (char d : digits) code = code * 10 + static_cast<std::uint32_t>(d - '0');
    return code;
}

std::optional<std::uint32_t> ReadPostalCode(std::string_view typed)
{
    const std::string half = ToHalfWidth(typed);
    const std::string_view s = half;
    std::size_t i = 0;
    const auto blanks = [&] {
        while (i < s.size() && s[i] == ' ') ++i;
    };
    const auto digits = [&](std::size_t n, std::uint32_t& code) {
        for (; n > 0; --n, ++i) {
            if (i >= s.size() || !IsDigit(s[i])) return false;
            code = code * 10 + static_cast<std::uint32_t>(s[i] - '0');
        }
        return true;
    };
    blanks();
    if (s.substr(i, 2) == "〒") i += 2;
    blanks();
    std::uint32_t code = 0;
    if (!digits(3, code)) return std::nullopt;
    blanks();
    // A hyphen-minus, the long vowel mark (ｰ after the conversion), ‐ or ―.
    if (i < s.size() && (s[i] == '-' || s[i] == '\xB0')) ++i;
    else if (s.substr(i, 2) == "‐" || s.substr(i, 2) == "―") i += 2;
    blanks();
    if (!digits(4, code)) return std::nullopt;
    blanks();
    if (i != s.size()) return std::nullopt;
    return code;
}

std::string FormatPostalCode(std::uint32_t code)
{
    char buf[9];
    for (int i = 7; i >= 0; --i) {
        if (i == 3) {
            buf[i] = '-';
            continue;
        }
        buf[i] = static_cast<char>('0' + code % 10);
        code /= 10;
    }
    buf[8] = '\0';
    return buf;
}

// ------------------------------------------------------------------- the table

struct PostalCodeTable::Data {
    struct Record {
        std::uint32_t town;    // offset into file
        std::uint16_t area;    // index into areas
        std::uint8_t townLen;  // bytes
    };
    struct Area {
        std::uint32_t pref, city;  // offsets into file
        std::uint8_t prefLen, cityLen;
    };
    std::string file;                  // the whole file; every string points into it
    std::vector<std::uint32_t> codes;  // ascending
    std::vector<Record> records;       // parallel to codes
    std::vector<Area> areas;           // each (prefecture, city) pair once

    std::string_view Text(std::uint32_t offset, std::size_t len) const { return std::string_view(file).substr(offset, len); }
};

PostalCodeTable::PostalCodeTable() : problem_(kMissing) {}

PostalCodeTable PostalCodeTable::Failed(PostalDataStatus status, std::string why)
{
    PostalCodeTable t;
    t.status_ = status;
    t.problem_ = status == PostalDataStatus::Missing ? kMissing : kDamaged;
    t.source_ = std::move(why);
    return t;
}

PostalCodeTable PostalCodeTable::FromFile(const std::string& path)
{
    // Only a regular file is read, without waiting on it (a FIFO would block).
    std::string bytes;
    const int err = ReadFileBytes(path, bytes, kMaxFile + 1);
    if (err != 0)
        return Failed(err == ENOENT ? PostalDataStatus::Missing : PostalDataStatus::Damaged,
                      path + (err == ENOENT ? ": not found" : ": cannot be opened"));
    if (bytes.size() > kMaxFile) return Failed(PostalDataStatus::Damaged, path + ": cannot be read");
    return FromBuffer(std::move(bytes));
}

PostalCodeTable PostalCodeTable::FromBytes(std::string_view file) { return FromBuffer(std::string(file)); }

PostalCodeTable PostalCodeTable::FromBuffer(std::string&& bytes)
{
    // Everything below is bounded by the file's size; whatever else fails
    // (memory) still gives a damaged table, never an exception.
    try {
        return Parse(std::move(bytes));
    } catch (const std::exception& e) {
        return Failed(PostalDataStatus::Damaged, e.what());
    }
}

PostalCodeTable PostalCodeTable::Parse(std::string&& bytes)
{
    const auto damaged = [](const char* why) { return Failed(PostalDataStatus::Damaged, why); };
    // Offsets into the file are 32 bits.
    if (bytes.size() > kMaxFile) return damaged("larger than any postal-code data file");
    auto data = std::make_shared<Data>();
    data->file = std::move(bytes);
    const std::string_view file = data->file;

    // Header: "key value" lines up to an empty line.
    std::size_t pos = 0;
    std::string_view line;
    if (!NextLine(file, pos, line) || line != kMagic) return damaged("not a postal-code data file");
    std::string package, stamp;
    std::optional<std::size_t> records, bodyLen, bodyCrc;
    while (true) {
        if (!NextLine(file, pos, line)) return damaged("header cut short");
        if (line.empty()) break;
        if (!IsHeaderText(line)) return damaged("header not ASCII text");
        const std::size_t sp = line.find(' ');
        const std::string_view key = line.substr(0, sp);
        const std::string_view value = sp == std::string_view::npos ? std::string_view() : line.substr(sp + 1);
        if (key == "package") package = value;
        else if (key == "data") stamp = value;
        else if (key == "records") records = ToNumber(value);
        else if (key == "body") {
            const std::size_t sp2 = value.find(' ');
            if (sp2 == std::string_view::npos) return damaged("bad body line");
            bodyLen = ToNumber(value.substr(0, sp2));
            bodyCrc = ToNumber(value.substr(sp2 + 1), 16);
        }
    }
    if (!records || !bodyLen || !bodyCrc) return damaged("header incomplete");
    if (file.size() - pos != *bodyLen) return damaged("body cut short or too long");
    if (Crc32(file.substr(pos)) != *bodyCrc) return damaged("body changed (CRC-32)");
    // Each code takes a line of at least eight bytes.
    if (*records > *bodyLen / 8) return damaged("record count larger than the body");

    // Body: "=prefecture\tcity" lines and "code[\ttown]" lines, codes ascending.
    data->codes.reserve(*records);
    data->records.reserve(*records);
    std::unordered_map<std::string_view, std::uint16_t> areaIndex;
    std::size_t area = SIZE_MAX;
    while (pos < file.size()) {
        const std::size_t start = pos;
        if (!NextLine(file, pos, line)) return damaged("last line not ended");
        if (!line.empty() && line[0] == '=') {
            const std::string_view pair = line.substr(1);
            const std::size_t tab = pair.find('\t');
            if (tab == std::string_view::npos || tab > 255 || pair.size() - tab - 1 > 255 ||
                pair.find('\t', tab + 1) != std::string_view::npos || !IsCp932Text(pair.substr(0, tab)) ||
                !IsCp932Text(pair.substr(tab + 1)))
                return damaged("bad area line");
            if (data->areas.size() > UINT16_MAX) return damaged("too many areas");
            const auto [it, added] = areaIndex.try_emplace(pair, static_cast<std::uint16_t>(data->areas.size()));
            if (added) {
                const auto offset = static_cast<std::uint32_t>(start + 1);
                data->areas.push_back({offset, static_cast<std::uint32_t>(offset + tab + 1),
                                       static_cast<std::uint8_t>(tab),
                                       static_cast<std::uint8_t>(pair.size() - tab - 1)});
            }
            area = it->second;
            continue;
        }
        if (line.size() < 7 || !std::all_of(line.begin(), line.begin() + 7, IsDigit)) return damaged("bad code line");
        const std::uint32_t code = *ParsePostalCode(line.substr(0, 7));
        std::size_t townLen = 0;
        if (line.size() > 7) {
            townLen = line.size() - 8;
            if (line[7] != '\t' || townLen == 0 || townLen > 255 || !IsCp932Text(line.substr(8)))
                return damaged("bad code line");
        }
        if (area == SIZE_MAX) return damaged("code before any area");
        if (!data->codes.empty() && code <= data->codes.back()) return damaged("codes out of order");
        data->codes.push_back(code);
        data->records.push_back({static_cast<std::uint32_t>(start + 8), static_cast<std::uint16_t>(area),
                                 static_cast<std::uint8_t>(townLen)});
    }
    if (data->codes.size() != *records) return damaged("record count differs from the header");

    PostalCodeTable t;
    t.status_ = PostalDataStatus::Loaded;
    t.problem_.clear();
    t.source_ = package + " (" + stamp + ")";
    t.data_ = std::move(data);
    return t;
}

std::size_t PostalCodeTable::Size() const { return data_ ? data_->codes.size() : 0; }

std::size_t PostalCodeTable::MemoryBytes() const
{
    if (!data_) return 0;
    return data_->file.capacity() + data_->codes.capacity() * sizeof(std::uint32_t) +
           data_->records.capacity() * sizeof(Data::Record) + data_->areas.capacity() * sizeof(Data::Area);
}

std::optional<PostalAddress> PostalCodeTable::Find(std::uint32_t code) const
{
    if (!data_) return std::nullopt;
    const auto& codes = data_->codes;
    const auto it = std::lower_bound(codes.begin(), codes.end(), code);
    if (it == codes.end() || *it != code) return std::nullopt;
    const Data::Record& r = data_->records[static_cast<std::size_t>(it - codes.begin())];
    const Data::Area& a = data_->areas[r.area];
    return PostalAddress{std::string(data_->Text(a.pref, a.prefLen)), std::string(data_->Text(a.city, a.cityLen)),
                         std::string(data_->Text(r.town, r.townLen))};
}

std::vector<std::pair<std::uint32_t, std::string_view>> PostalCodeTable::NeighbourTowns(std::uint32_t code) const
{
    std::vector<std::pair<std::uint32_t, std::string_view>> towns;
    if (!data_) return towns;
    const auto& codes = data_->codes;
    const auto self = std::lower_bound(codes.begin(), codes.end(), code);
    if (self == codes.end() || *self != code) return towns;
    const std::uint16_t area = data_->records[static_cast<std::size_t>(self - codes.begin())].area;
    const std::uint32_t block = code / 10000 * 10000;
    for (auto it = std::lower_bound(codes.begin(), codes.end(), block); it != codes.end() && *it < block + 10000; ++it) {
        const Data::Record& r = data_->records[static_cast<std::size_t>(it - codes.begin())];
        if (r.area == area && r.townLen > 0) towns.emplace_back(*it, data_->Text(r.town, r.townLen));
    }
    return towns;
}

// ------------------------------------------------------- the program's table

namespace {

struct ProgramTable {
    std::mutex mutex;
    std::string path;  // set by UsePostalDataFile; empty: the usual places
    std::optional<PostalCodeTable> table;
};

ProgramTable& Program()
{
    static ProgramTable p;
    return p;
}

std::string ProgramDir()
{
    if (QCoreApplication::instance()) return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace

std::vector<std::string> PostalDataPlaces()
{
    std::vector<std::string> places;
    const std::string dir = ProgramDir();
    if (!dir.empty()) {
        places.push_back(dir + "/" + kPostalDataFile);
        places.push_back(dir + "/../share/hoxa-nivora/" + kPostalDataFile);
    }
    // The install prefix as the build knew it, in the file system's bytes.
    places.push_back(std::string(reinterpret_cast<const char*>(u8"" HOXA_DATADIR)) + "/" + kPostalDataFile);
    return places;
}

const PostalCodeTable& PostalCodes()
{
    ProgramTable& p = Program();
    std::lock_guard lock(p.mutex);
    if (!p.table) {
        std::string path = p.path;
        if (path.empty()) {
            const std::vector<std::string> places = PostalDataPlaces();
            const auto found = std::find_if(places.begin(), places.end(),
                                            [](const std::string& s) { return QFile::exists(QFile::decodeName(s.c_str())); });
            path = found != places.end() ? *found : places.front();
        }
        p.table = PostalCodeTable::FromFile(path);
    }
    return *p.table;
}

bool PostalCodesLoaded()
{
    ProgramTable& p = Program();
    std::lock_guard lock(p.mutex);
    return p.table.has_value();
}

void UsePostalDataFile(std::string path)
{
    ProgramTable& p = Program();
    std::lock_guard lock(p.mutex);
    p.path = std::move(path);
    p.table.reset();
}

std::optional<PostalAddress> LookUpPostalCode(std::string_view zip)
{
    const std::optional<std::uint32_t> code = ParsePostalCode(zip);
    if (!code) return std::nullopt;
    return PostalCodes().Find(*code);
}

}  // namespace hoxa
