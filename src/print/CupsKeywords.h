// Texts and keywords of CUPS and PPD files as the printer layer reads them: texts
// in the program's CP932, resolution keywords, and numbering a driver's paper and
// source keywords with the Windows numbers where a standard one exists
// (CupsSpooler::StandardPaperNumber, ...).
#pragma once

#include "print/Spooler.h"

#include <cups/ppd.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace hoxa {

// CUPS speaks UTF-8; the program CP932.
std::string Utf8ToCp932(const char* text);
std::string Cp932ToUtf8(const std::string& text);

// The print server's own words for a failed request (CP932), empty when the
// request never reached the server.
std::string ServerReason(ipp_status_t status, const char* text);

// A PPD text in the PPD's own encoding, as CP932.
std::string PpdText(const ppd_file_t* ppd, const char* text);

// ASCII letters in lower case; other bytes unchanged.
std::string LowerAscii(std::string s);

// Parses "180dpi", "120x60dpi"; false for anything else.
bool ParseResolution(const char* keyword, Resolution& r);

// "180dpi", or "120x60dpi" for a resolution whose dots are not square.
std::string ResolutionKeyword(const Resolution& r);

// Numbers a list of keywords: the standard number where there is one (once),
// otherwise the next free number from `first`.
template <class Standard>
std::vector<std::uint16_t> Number(const std::vector<std::string>& keywords, Standard standard,
                                  std::uint16_t first) {
    std::vector<std::uint16_t> numbers;
    std::set<int> used;
    int next = first;
    for (const std::string& k : keywords) {
        int n = standard(k);
        if (n == 0 || used.count(n)) {
            while (used.count(next)) ++next;
            n = next++;
        }
        used.insert(n);
        numbers.push_back(static_cast<std::uint16_t>(n));
    }
    return numbers;
}

}  // namespace hoxa
