// Windows profile ("INI") files in CP932 with CR LF, read and written by the rules
// of the Windows profile-string functions, so that files written by either side
// read the same.  Every write replaces the file through ReplaceFileAtomically.
// A file is read whole and at most once per reading or write: one over 1 MB (no
// settings file comes near it) is refused, and a leading UTF-8 byte-order mark,
// which editors add, is skipped (and never written).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hoxa {

// Longest value ReadString hands out, in bytes.
inline constexpr std::size_t kMaxProfileValueBytes = 2047;
// Largest file read or rewritten.
inline constexpr std::size_t kMaxProfileFileBytes = std::size_t{1} << 20;
// The UTF-8 byte-order mark some editors put at the head of a text file.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The path as messages show it: absolute, in CP932.
std::string ShownPath(const std::string& path);

// Keys and values written together into one section, in this order.
using ProfileEntries = std::vector<std::pair<std::string, std::string>>;

// path is a file-system path (local 8-bit bytes, not CP932); sections, keys and
// values are CP932.  Every call reads the file afresh: nothing is cached.  A file
// that is not a regular file (a FIFO, a device) reads as missing and is never
// written.
class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value of key in section, or def when the file, section or key is missing.
    // Names match case-insensitively, blanks and tabs at both ends ignored; blanks,
    // tabs and Ctrl-Z at both ends of the value are dropped, then one pair of
    // enclosing quotes; at most 2047 bytes (never half a double-byte character).
    // Lines end at CR LF, LF or a lone CR; lines without "=" are never keys, a
    // "[" line without "]" is no section; only the first section of a name counts.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // Integer reading: "0x..." hexadecimal, else decimal with an optional sign or
    // hexadecimal after "$"; a value that is not a number gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Writes one key; raises EIniFileException ("%s に書き込めません", the full path
    // for %s) on failure, a file this process may not write included, the file
    // then unchanged.  An existing key gets the new
    // value in place (its spelling kept); a new key goes after the last non-blank
    // line of its section; a new section is added at the end of the file.  The
    // same value again leaves the file untouched.  CR and LF in names and values
    // are written as blanks.  Lines the write does not touch keep their bytes.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);

    // Writes several keys of one section with one rewrite of the file: the bytes
    // the WriteString calls for them in this order would leave, or, when one of
    // them fails, the old file whole.  Leftovers of a killed write of this file
    // are cleared first (RecoverFile), so hold the folder's SaveLock.
    void WriteStrings(std::string_view section, const ProfileEntries& entries);

private:
    std::string path_;
};

struct ProfileLine;  // (Profile.cpp)

// One reading of a profile file for several keys read together (the settings at
// start-up, a paper feed's section): the file is read once, and every answer is
// the one ProfileFile gives for the file as it was then.
class ProfileReader {
public:
    explicit ProfileReader(const std::string& path);
    ~ProfileReader();
    ProfileReader(const ProfileReader&) = delete;
    ProfileReader& operator=(const ProfileReader&) = delete;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Why the file was not read although it is there: a message for the user
    // (a file over 1 MB), or empty.  Every key then has its default.
    const std::string& Problem() const { return problem_; }

private:
    std::string text_;
    std::vector<ProfileLine> lines_;  // the file's lines, classified once
    std::string problem_;
};

}  // namespace hoxa
