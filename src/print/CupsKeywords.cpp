#include "print/CupsKeywords.h"

#include "print/CupsSpooler.h"

#include "base/Codec.h"

#include <QString>

#include <cstdio>
#include <cstring>
#include <map>

namespace hoxa {

std::string Utf8ToCp932(const char* text) { return FromQString(QString::fromUtf8(text ? text : "")); }
std::string Cp932ToUtf8(const std::string& text) { return ToQString(text).toUtf8().toStdString(); }

// libcups reports a request that never reached the server (no connection, a
// local file error) as an internal error or as an unavailable service with the
// C library's text; that text is not the server's reason.
std::string ServerReason(ipp_status_t status, const char* text) {
    const bool fromServer = (status >= IPP_STATUS_ERROR_BAD_REQUEST && status < IPP_STATUS_ERROR_INTERNAL) ||
                            (status > IPP_STATUS_ERROR_INTERNAL && status <= 0x05FF &&
                             status != IPP_STATUS_ERROR_SERVICE_UNAVAILABLE);
    return fromServer && text ? Utf8ToCp932(text) : std::string();
}

std::string PpdText(const ppd_file_t* ppd, const char* text) {
    if (!text) return {};
    const std::string enc = LowerAscii(ppd && ppd->lang_encoding ? ppd->lang_encoding : "");
    if (enc == "utf-8" || enc == "utf8") return FromQString(QString::fromUtf8(text));
    if (enc == "jis83-rksj") return text;  // Shift-JIS already
    return FromQString(QString::fromLatin1(text));
}

std::string LowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool ParseResolution(const char* keyword, Resolution& r) {
    int x = 0, y = 0;
    char tail[8] = {};
    if (std::sscanf(keyword, "%dx%d%7s", &x, &y, tail) == 3 && std::strcmp(tail, "dpi") == 0) {
    } else if (std::sscanf(keyword, "%d%7s", &x, tail) == 2 && std::strcmp(tail, "dpi") == 0) {
        y = x;
    } else {
        return false;
    }
    if (x <= 0 || y <= 0 || x > 32767 || y > 32767) return false;
    r = Resolution{x, y};
    return true;
}

std::string ResolutionKeyword(const Resolution& r) {
    return r.x == r.y ? std::to_string(r.x) + "dpi"
                      : std::to_string(r.x) + "x" + std::to_string(r.y) + "dpi";
}

int CupsSpooler::StandardPaperNumber(const std::string& name) {
    static const std::map<std::string, int> table = {
        {"letter", 1}, {"lettersmall", 2}, {"tabloid", 3}, {"ledger", 4}, {"legal", 5},
        {"statement", 6}, {"executive", 7}, {"a3", 8}, {"a4", 9}, {"a4small", 10},
        {"a5", 11}, {"b4", 12}, {"b5", 13}, {"folio", 14}, {"quarto", 15}, {"10x14", 16},
        {"11x17", 17}, {"note", 18}, {"env9", 19}, {"env10", 20}, {"env11", 21},
        {"env12", 22}, {"env14", 23}, {"envdl", 27}, {"envc5", 28}, {"envc3", 29},
        {"envc4", 30}, {"envc6", 31}, {"envc65", 32}, {"envisob4", 33}, {"envisob5", 34},
        {"envisob6", 35}, {"envitalian", 36}, {"envmonarch", 37}, {"envpersonal", 38},
        {"fanfoldus", 39}, {"fanfoldgerman", 40}, {"fanfoldgermanlegal", 41},
        {"isob4", 42}, {"postcard", 43}, {"9x11", 44}, {"10x11", 45}, {"15x11", 46},
        {"envinvite", 47}, {"letterextra", 50}, {"legalextra", 51}, {"tabloidextra", 52},
        {"a4extra", 53}, {"a3extra", 63}, {"a5extra", 64}, {"isob5extra", 65}, {"a2", 66},
        {"doublepostcard", 69}, {"a6", 70}, {"envkaku2", 71}, {"envkaku3", 72},
        {"envchou3", 73}, {"envchou4", 74}, {"b6", 88}, {"12x11", 90}, {"envyou4", 91},
    };
    auto it = table.find(LowerAscii(name));
    return it == table.end() ? 0 : it->second;
}

int CupsSpooler::StandardBinNumber(const std::string& keyword) {
    static const std::map<std::string, int> table = {
        {"upper", 1}, {"top", 1}, {"lower", 2}, {"bottom", 2}, {"middle", 3},
        {"manual", 4}, {"manualfeed", 4}, {"envelope", 5}, {"manualenvelope", 6},
        {"envmanual", 6}, {"auto", 7}, {"autoselect", 7}, {"tractor", 8},
        {"smallformat", 9}, {"largeformat", 10}, {"largecapacity", 11},
        {"large-capacity", 11}, {"cassette", 14}, {"formsource", 15},
    };
    auto it = table.find(LowerAscii(keyword));
    return it == table.end() ? 0 : it->second;
}

}  // namespace hoxa
