#include "base/Profile.h"

#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "base/cp932.h"
#include "base/errors.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace hoxa {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Section and key names: blanks and tabs at both ends do not count; ASCII letters
// match regardless of case, but only outside double-byte characters (the trail
// byte of ア is 'A', that of ヂ is 'a': they are different characters).
bool NamesEqual(std::string_view a, std::string_view b)
{
    a = TrimBlanks(a);
    b = TrimBlanks(b);
    if (a.size() != b.size()) return false;
    std::size_t i = 0;
    while (i < a.size()) {
        const std::size_t na = CharLenAt(a, i);
        if (na != CharLenAt(b, i)) return false;
        if (na == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
        i += na;
    }
    return true;
}

// One line of the file: [begin, end) is its text, [end, next) its line break
// (CR LF, LF or a lone CR; empty for a last line without one).
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
};

std::vector<Line> SplitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        Line l;
        l.begin = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        l.end = i;
        if (i < text.size()) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') i += 2;
            else ++i;
        }
        l.next = i;
        lines.push_back(l);
    }
    return lines;
}

enum class Kind { Blank, Section, Key, Other };

struct Classified {
    Kind kind = Kind::Other;
    std::string_view name;     // section or key name as spelled (untrimmed for keys)
    std::size_t valuePos = 0;  // keys: offset of the value within the line
};

Classified Classify(std::string_view line)
{
    Classified c;
    std::size_t p = 0;
    while (p < line.size() && IsBlank(line[p])) ++p;
    if (p == line.size()) {
        c.kind = Kind::Blank;
        return c;
    }
    if (line[p] == '[') {
        // The closing bracket is searched character by character: 0x5D is also
        // the trail byte of double-byte characters such as ゾ.
        for (std::size_t i = p + 1; i < line.size(); i += CharLenAt(line, i)) {
            if (line[i] == ']') {
                c.kind = Kind::Section;
                c.name = line.substr(p + 1, i - p - 1);
                return c;
            }
        }
    }
    for (std::size_t i = p; i < line.size(); i += CharLenAt(line, i)) {
        if (line[i] == '=') {
            c.kind = Kind::Key;
            c.name = line.substr(p, i - p);
            c.valuePos = i + 1;
            return c;
        }
    }
    return c;
}

// Where a section and a key stand in the file.  Only the first section of a name
// is searched, and the first key of a name in it wins.
struct Location {
    bool sectionFound = false;
    std::size_t lastLine = 0;  // last non-blank line of the section (its header at least)
    bool keyFound = false;
    std::size_t keyLine = 0;
    std::size_t valuePos = 0;  // offset in the file of the key's value
};

}  // namespace

// One line of a file with what it holds.
struct ProfileLine {
    Line at;
    Classified c;
};

namespace {

std::vector<ProfileLine> Parse(std::string_view text)
{
    std::vector<ProfileLine> parsed;
    for (const Line& l : SplitLines(text)) parsed.push_back({l, Classify(text.substr(l.begin, l.end - l.begin))});
    return parsed;
}

Location Locate(const std::vector<ProfileLine>& lines, std::string_view section, std::string_view key)
{
    Location loc;
    bool inSection = false;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const Classified& c = lines[n].c;
        if (c.kind == Kind::Section) {
            if (inSection) break;
            if (NamesEqual(c.name, section)) {
                inSection = true;
                loc.sectionFound = true;
                loc.lastLine = n;
            }
            continue;
        }
        if (!inSection) continue;
        if (c.kind != Kind::Blank) loc.lastLine = n;
        if (c.kind == Kind::Key && !loc.keyFound && NamesEqual(c.name, key)) {
            loc.keyFound = true;
            loc.keyLine = n;
            loc.valuePos = lines[n].at.begin + c.valuePos;
        }
    }
    return loc;
}

bool IsValueTrim(char c) { return c == ' ' || c == '\t' || c == '\x1A'; }

std::string CleanValue(std::string_view v)
{
    while (!v.empty() && IsValueTrim(v.front())) v.remove_prefix(1);
    while (!v.empty() && IsValueTrim(v.back())) v.remove_suffix(1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v.remove_prefix(1);
        v.remove_suffix(1);
    }
    return std::string(CutAtBytes(v, kMaxProfileValueBytes));
}

// A CR or LF inside a name or value would start a new line in the file (and could
// plant keys of its own); it is written as a blank instead.
std::string OneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

[[noreturn]] void ThrowNotWritable(const std::string& path)
{
    throw EIniFileException(ShownPath(path) + " に書き込めません");
}

// The text of a profile file for reading or rewriting, without a leading
// byte-order mark.  Returns 0, ENOENT for a missing file, EFBIG for one over
// kMaxProfileFileBytes, or another errno value (anything but a regular file).
int ReadProfileText(const std::string& path, std::string& text)
{
    if (const int err = ReadFileBytes(path, text, kMaxProfileFileBytes + 1)) return err;
    if (text.size() > kMaxProfileFileBytes) {
        text.clear();
        return EFBIG;
    }
    if (std::string_view(text).substr(0, kUtf8Bom.size()) == kUtf8Bom) text.erase(0, kUtf8Bom.size());
    return 0;
}

// Writes one key into text as WriteString writes it into the file; false when
// the text stays as it is.
bool SetKey(std::string& text, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string sec = OneLine(TrimBlanks(section));
    const std::string name = OneLine(TrimBlanks(key));
    const std::string val = OneLine(value);

    const std::vector<ProfileLine> lines = Parse(text);
    const Location loc = Locate(lines, sec, name);
    std::string out;
    if (loc.keyFound) {
        const Line& l = lines[loc.keyLine].at;
        const std::string_view old = std::string_view(text).substr(loc.valuePos, l.end - loc.valuePos);
        // The same value again: the file is left as it is, not even rewritten.
        if (old == val || TrimBlanks(old) == val) return false;
        out.reserve(text.size() + val.size());
        out.append(text, 0, loc.valuePos);
        out.append(val);
        out.append(text, l.end, std::string::npos);
    } else if (loc.sectionFound) {
        // After the section's last non-blank line, so that blank lines that part it
        // from the next section stay where they are.
        const Line& l = lines[loc.lastLine].at;
        out.reserve(text.size() + name.size() + val.size() + 5);
        out.append(text, 0, l.next);
        if (l.next == l.end) out.append("\r\n");  // the last line of the file had no line break
        out.append(name).append("=").append(val).append("\r\n");
        out.append(text, l.next, std::string::npos);
    } else {
        out = text;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
        out.append("[").append(sec).append("]\r\n");
        out.append(name).append("=").append(val).append("\r\n");
    }
    text = std::move(out);
    return true;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view def) const
{
    return ProfileReader(path_).ReadString(section, key, def);
}

int ProfileFile::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    return ProfileReader(path_).ReadInteger(section, key, def);
}

std::string ShownPath(const std::string& path)
{
    std::string shown = path;
    try {
        shown = std::filesystem::absolute(path).lexically_normal().string();
    } catch (...) {
        // keep the path as given
    }
    return FromQString(QFile::decodeName(QByteArray::fromStdString(shown)));
}

ProfileReader::ProfileReader(const std::string& path)
{
    const int err = ReadProfileText(path, text_);
    if (err == EFBIG)
        problem_ = ShownPath(path) + " は 1 MB を超えるため読み込みませんでした。既定の値を使います。";
    if (err == 0) lines_ = Parse(text_);
}

ProfileReader::~ProfileReader() = default;

std::string ProfileReader::ReadString(std::string_view section, std::string_view key,
                                      std::string_view def) const
{
    const Location loc = Locate(lines_, section, key);
    if (!loc.keyFound) return std::string(def);
    const Line& l = lines_[loc.keyLine].at;
    return CleanValue(std::string_view(text_).substr(loc.valuePos, l.end - loc.valuePos));
}

int ProfileReader::ReadInteger(std::string_view section, std::string_view key, int def) const
{
    std::string s = ReadString(section, key, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    std::int32_t v = 0;
    return TryStrToInt(s, v) ? v : def;
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    WriteStrings(section, {{std::string(key), std::string(value)}});
}

void ProfileFile::WriteStrings(std::string_view section, const ProfileEntries& entries)
{
    RecoverFile(path_);
    std::string text;
    const int readErr = ReadProfileText(path_, text);
    // A file that exists but cannot be read (or is too large to be) is never
    // replaced by a fresh one.
    if (readErr != 0 && readErr != ENOENT) ThrowNotWritable(path_);
    bool changed = false;
    for (const auto& [key, value] : entries) changed = SetKey(text, section, key, value) || changed;
    if (changed && ReplaceFileAtomically(path_, text) != 0) ThrowNotWritable(path_);
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, long long value)
{
    WriteString(section, key, IntToStr(value));
}

}  // namespace hoxa
