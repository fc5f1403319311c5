#include "orders/OrderFile.h"

#include "base/AtomicFile.h"
#include "base/Codec.h"
#include "base/cp932.h"

#include <algorithm>
#include <cerrno>

namespace hoxa {

namespace {

constexpr std::size_t npos = std::string_view::npos;

std::string LineText(std::size_t line) { return IntToStr(static_cast<long long>(line)) + " 行目"; }

// The line (1-based) that the byte at offset is on.
std::size_t LineAt(std::string_view s, std::size_t offset)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < s.size(); ++i)
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))) ++line;
    return line;
}

// Control bytes other than tab and line breaks do not occur in text.
std::size_t FirstBinaryByte(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F) return i;
    }
    return npos;
}

// Where the text stops being well-formed UTF-8 (npos if it never does);
// *high tells whether it has any byte above ASCII.
std::size_t FirstNonUtf8(std::string_view s, bool* high)
{
    *high = false;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        *high = true;
        std::size_t n = 0;
        unsigned min = 0;
        if (b >= 0xC2 && b <= 0xDF) n = 1, min = 0x80;
        else if (b >= 0xE0 && b <= 0xEF) n = 2, min = 0x800;
        else if (b >= 0xF0 && b <= 0xF4) n = 3, min = 0x10000;
        else return i;
        unsigned cp = b & (0x3F >> n);
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return i;
            const unsigned char c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        i += n + 1;
    }
    return npos;
}

// Where the text stops being CP932 (npos if it never does): a lead byte without
// its trail byte, or a single byte that CP932 leaves undefined.
std::size_t FirstNonCp932(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(b)) {
            if (i + 1 >= s.size() || !IsTrailByte(s[i + 1])) return i;
            ++i;
        } else if (b == 0x80 || b == 0xA0 || b >= 0xFD) {
            return i;
        }
    }
    return npos;
}

// UTF-8 to CP932 a piece at a time, so that a large file is never held as
// UTF-16 at once.  Pieces end at a character boundary.
std::string Utf8FileToCp932(std::string_view utf8)
{
    constexpr std::size_t kPiece = 1u << 20;
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t end = std::min(utf8.size(), i + kPiece);
        while (end < utf8.size() && end > i && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
        out += Utf8ToCp932(utf8.substr(i, end - i));
        i = end;
    }
    return out;
}

// Comma or tab: whichever the header line holds more of, outside quotes.
char SeparatorOf(std::string_view s)
{
    std::size_t commas = 0, tabs = 0;
    bool quoted = false;
    for (const char c : s) {
        if (c == '"') quoted = !quoted;
        else if (quoted) continue;
        else if (c == ',') ++commas;
        else if (c == '\t') ++tabs;
        else if (c == '\r' || c == '\n') break;
    }
    return tabs > commas ? '\t' : ',';
}

// RFC 4180 records of CP932 text.  A quote opens a quoted part only at the start
// of a cell; inside it, a doubled quote stands for one; what follows the closing
// quote up to the separator is kept as it is.
class RecordReader {
public:
    RecordReader(std::string_view s, char sep) : s_(s), sep_(sep) {}

    bool AtEnd() const { return i_ >= s_.size(); }
    std::size_t Line() const { return line_; }

    // Appends the cells of the next record to out, pushing each end; returns
    // their number.
    std::size_t Read(std::string& out, std::vector<std::uint32_t>& ends)
    {
        std::size_t cells = 0;
        for (;;) {
            if (i_ < s_.size() && s_[i_] == '"') Quoted(out);
            const std::size_t start = i_;
            while (i_ < s_.size() && s_[i_] != sep_ && s_[i_] != '\r' && s_[i_] != '\n') ++i_;
            out.append(s_.substr(start, i_ - start));
            ends.push_back(static_cast<std::uint32_t>(out.size()));
            ++cells;
            if (i_ < s_.size() && s_[i_] == sep_) {
                ++i_;
                continue;
            }
            if (i_ < s_.size()) SkipLineBreak();
            return cells;
        }
    }

private:
    void Quoted(std::string& out)
    {
        const std::size_t opened = line_;
        ++i_;
        for (;;) {
            const std::size_t q = s_.find('"', i_);
            if (q == npos)
                throw EOrderFile(LineText(opened) + "で始まる「\"」の囲みが閉じられていないため、ファイルを読み込めません。");
            for (std::size_t k = i_; k < q; ++k)
                if (s_[k] == '\n' || (s_[k] == '\r' && (k + 1 >= q || s_[k + 1] != '\n'))) ++line_;
            out.append(s_.substr(i_, q - i_));
            i_ = q + 1;
            if (i_ < s_.size() && s_[i_] == '"') {
                out.push_back('"');
                ++i_;
                continue;
            }
            return;
        }
    }

    void SkipLineBreak()
    {
        if (s_[i_] == '\r' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++i_;
        ++i_;
        ++line_;
    }

    std::string_view s_;
    char sep_;
    std::size_t i_ = 0;
    std::size_t line_ = 1;
};

// The cells of a record that holds nothing but blanks and line breaks.
bool Blank(std::string_view cells)
{
    return std::all_of(cells.begin(), cells.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

std::string OpenError(int err)
{
    switch (err) {
    case ENOENT: return "注文ファイルが見つかりません。";
    case EACCES: return "注文ファイルを読む権限がありません。";
    case EISDIR: return "選ばれたものはフォルダーで、注文ファイルではありません。";
    default: return "注文ファイルを読み込めません（" + FileErrorText(err) + "）。";
    }
}

}  // namespace

std::string_view OrderTable::Cell(std::size_t row, std::size_t column) const
{
    const std::size_t k = row * columns_ + column;
    const std::size_t begin = k == 0 ? 0 : ends_[k - 1];
    return std::string_view(text_).substr(begin, ends_[k] - begin);
}

OrderTable ParseOrderFile(std::string_view bytes)
{
    if (bytes.size() > kMaxOrderFileBytes)
        throw EOrderFile("注文ファイルが 50 MB を超えているため読み込めません。");
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        throw EOrderFile("UTF-16 で保存されたファイルは読み込めません。UTF-8 かシフトJIS で保存してください。");
    OrderTable t;
    const bool bom = bytes.starts_with("\xEF\xBB\xBF");
    if (bom) bytes.remove_prefix(3);
    while (!bytes.empty() && bytes.back() == '\x1A') bytes.remove_suffix(1);  // an old end-of-file mark

    if (const std::size_t at = FirstBinaryByte(bytes); at != npos)
        throw EOrderFile(LineText(LineAt(bytes, at)) + "に文字ではないデータがあるため、注文ファイルとして読み込めません。");
    bool high = false;
    const std::size_t nonUtf8 = FirstNonUtf8(bytes, &high);
    std::string converted;
    std::string_view text = bytes;
    if (bom || (nonUtf8 == npos && high)) {
        t.encoding_ = OrderFileEncoding::Utf8;
        converted = Utf8FileToCp932(bytes);
        text = converted;
    } else if (const std::size_t at = FirstNonCp932(bytes); at != npos) {
        // Named where the reading that went further fails: a UTF-8 file with
        // one stray byte fails as CP932 much earlier than there.
        throw EOrderFile(LineText(LineAt(bytes, std::max(at, nonUtf8))) +
                         "に UTF-8 でもシフトJIS でもない文字があるため、ファイルを読み込めません。");
    }

    t.separator_ = SeparatorOf(text);
    RecordReader reader(text, t.separator_);
    // The header: the first record that is not blank.
    {
        std::string cells;
        std::vector<std::uint32_t> ends;
        while (!reader.AtEnd() && Blank(cells)) {
            cells.clear();
            ends.clear();
            reader.Read(cells, ends);
        }
        if (Blank(cells)) throw EOrderFile("注文ファイルに見出しの行がありません。");
        std::uint32_t begin = 0;
        for (const std::uint32_t end : ends) {
            t.header_.push_back(Trim(std::string_view(cells).substr(begin, end - begin)));
            begin = end;
        }
        t.columns_ = ends.size();
    }
    t.text_.reserve(text.size());
    while (!reader.AtEnd()) {
        const std::size_t line = reader.Line();
        const std::size_t textBefore = t.text_.size(), endsBefore = t.ends_.size();
        const std::size_t cells = reader.Read(t.text_, t.ends_);
        if (Blank(std::string_view(t.text_).substr(textBefore))) {  // a blank line, or separators and blanks only
            t.text_.resize(textBefore);  // else its blanks would begin the next row's first cell
            t.ends_.resize(endsBefore);
            continue;
        }
        if (cells != t.columns_)
            throw EOrderFile(LineText(line) + "の項目の数が " + IntToStr(static_cast<long long>(cells)) +
                             " で、見出しの " + IntToStr(static_cast<long long>(t.columns_)) +
                             " と合わないため、ファイルを読み込めません。");
        if (t.lines_.size() == kMaxOrderRows)
            throw EOrderFile(LineText(line) + "で注文の行が 100,000 行を超えるため、ファイルを読み込めません。");
        t.lines_.push_back(static_cast<std::uint32_t>(line));
    }
    t.text_.shrink_to_fit();
    return t;
}

OrderTable ReadOrderFile(const std::string& path)
{
    std::string bytes;
    if (const int err = ReadFileBytes(path, bytes, kMaxOrderFileBytes + 1)) throw EOrderFile(OpenError(err));
    return ParseOrderFile(bytes);
}

}  // namespace hoxa
