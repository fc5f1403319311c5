// Windows profile ("INI") files in CP932 with CR LF, read and written by the rules
// of the Windows profile-string functions, so that files written by either side
// read the same.  Every write replaces the file atomically.
#pragma once

#include <string>
#include <string_view>

namespace hoxa {

class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value of key in section, or def when the file, section or key is missing.
    // Names match case-insensitively, blanks and tabs at both ends ignored; blanks,
    // tabs and Ctrl-Z at both ends of the value are dropped, then one pair of
    // enclosing quotes; at most 2047 bytes.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // Integer reading: "0x..." hexadecimal, else decimal with an optional sign or
    // hexadecimal after "$"; a value that is not a number gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;

    // Writes one key; raises EIniFileException ("%s に書き込めません") on failure.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, long long value);

private:
    std::string path_;
};

}  // namespace hoxa
