#include "base/Codec.h"

#include "base/errors.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <vector>

namespace hoxa {

namespace {

// One converter per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw EOSError(std::string("iconv_open(") + to + ", " + from + ") failed");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can; returns false at a sequence it cannot convert
    // (in points at it) and true when everything was converted.
    bool Run(char*& in, std::size_t& inLeft, std::string& out)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char buf[1024];
        while (inLeft > 0) {
            char* o = buf;
            std::size_t oLeft = sizeof buf;
            const std::size_t r = iconv(cd_, &in, &inLeft, &o, &oLeft);
            out.append(buf, static_cast<std::size_t>(o - buf));
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
        }
        return true;
    }

private:
    iconv_t cd_;
};

Converter& Decoder()
{
    thread_local Converter c("UTF-16LE", "CP932");
    return c;
}

Converter& Encoder()
{
    thread_local Converter c("CP932", "UTF-16LE");
    return c;
}

void AppendUnit(std::string& utf16le, char16_t u)
{
    utf16le.push_back(static_cast<char>(u & 0xFF));
    utf16le.push_back(static_cast<char>(u >> 8));
}

// Windows' own mapping of the single bytes that CP932 leaves undefined.
char16_t UndefinedByteToUnit(unsigned char b)
{
    switch (b) {
    case 0x80: return 0x0080;
    case 0xA0: return 0xF8F0;
    case 0xFD: return 0xF8F1;
    case 0xFE: return 0xF8F2;
    case 0xFF: return 0xF8F3;
    default: return 0xFFFD;
    }
}

int UnitToUndefinedByte(char16_t u)
{
    switch (u) {
    case 0x0080: return 0x80;
    case 0xF8F0: return 0xA0;
    case 0xF8F1: return 0xFD;
    case 0xF8F2: return 0xFE;
    case 0xF8F3: return 0xFF;
    default: return -1;
    }
}

// Characters of web pages that CP932 lacks but that stand for one it has: the
// typographic spaces of HTML (no-break, en, em, thin ...) are a space, the
// invisible ones (zero-width space and joiners, word joiner, byte-order mark)
// are nothing, and the non-breaking hyphen and the figure and en dashes are the
// hyphen ‐.  Everything else is itself.
constexpr int kDrop = -1;

int WebCharAs(char16_t u)
{
    if (u == 0x00A0 || (u >= 0x2000 && u <= 0x200A) || u == 0x202F || u == 0x205F) return 0x20;
    if ((u >= 0x200B && u <= 0x200D) || u == 0x2060 || u == 0xFEFF) return kDrop;
    if (u >= 0x2011 && u <= 0x2013) return 0x2010;
    return u;
}

}  // namespace

QString ToQString(std::string_view cp932)
{
    std::string in(cp932);
    std::string utf16;
    utf16.reserve(in.size() * 2);
    char* p = in.data();
    std::size_t left = in.size();
    while (!Decoder().Run(p, left, utf16)) {
        const unsigned char b = static_cast<unsigned char>(*p);
        // A lead byte whose trail is missing or invalid counts as one broken character.
        const bool pair = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && left >= 2 &&
                          static_cast<unsigned char>(p[1]) >= 0x40;
        AppendUnit(utf16, UndefinedByteToUnit(b));
        const std::size_t skip = pair ? 2 : 1;
        p += skip;
        left -= skip;
    }
    return QString(reinterpret_cast<const QChar*>(utf16.data()),
                   static_cast<qsizetype>(utf16.size() / 2));
}

std::string FromQString(const QString& text, bool* lost)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()) * 2);
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype n = text.size();
    std::u16string web;
    if (std::any_of(units, units + n, [](char16_t u) { return WebCharAs(u) != u; })) {
        web.reserve(static_cast<std::size_t>(n));
        for (qsizetype k = 0; k < n; ++k)
            if (const int u = WebCharAs(units[k]); u != kDrop) web.push_back(static_cast<char16_t>(u));
        units = web.data();
        n = static_cast<qsizetype>(web.size());
    }
    qsizetype i = 0;
    while (i < n) {
        // Hand the converter a run of characters up to the next one we map ourselves.
        qsizetype j = i;
        while (j < n && UnitToUndefinedByte(units[j]) < 0) ++j;
        if (j > i) {
            std::string in;
            in.reserve(static_cast<std::size_t>(j - i) * 2);
            for (qsizetype k = i; k < j; ++k) AppendUnit(in, units[k]);
            char* p = in.data();
            std::size_t left = in.size();
            while (!Encoder().Run(p, left, out)) {
                // Not in CP932: a whole surrogate pair or one unit becomes the geta mark.
                const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                                         (static_cast<unsigned char>(p[1]) << 8));
                std::size_t skip = 2;
                if (u >= 0xD800 && u <= 0xDBFF && left >= 4) {
                    const unsigned next = static_cast<unsigned char>(p[2]) |
                                          (static_cast<unsigned char>(p[3]) << 8);
                    if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
                }
                out.append(kGeta);
                if (lost) *lost = true;
                p += skip;
                left -= skip;
            }
        }
        if (j < n) {
            out.push_back(static_cast<char>(UnitToUndefinedByte(units[j])));
            ++j;
        }
        i = j;
    }
    return out;
}

std::string Cp932ToUtf8(std::string_view cp932)
{
    const QByteArray utf8 = ToQString(cp932).toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

std::string Utf8ToCp932(std::string_view utf8, bool* lost)
{
    return FromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), lost);
}

}  // namespace hoxa
