// What the CUPS spooler reads about one printer: its papers, paper sources,
// resolutions, custom page sizes and default settings, from its PPD or, without
// one, from its IPP attributes.
#pragma once

#include "print/Spooler.h"

#include <cups/cups.h>
#include <cups/ppd.h>

#include <optional>
#include <string>
#include <vector>

namespace hoxa {

struct CupsPrinterData {
    bool hasPpd = false;
    std::vector<PaperEntry> papers;
    std::vector<std::string> paperKeywords;   // PPD PageSize keyword or PWG media name
    std::vector<PageGeometry> paperGeometry;  // portrait, points
    bool hasBins = false;
    std::vector<BinEntry> bins;
    std::vector<std::string> binKeywords;     // InputSlot keyword or media-source value
    std::vector<Resolution> resolutions;
    int maxCopies = 0;
    DevMode defaults;
    // The PPD's custom page size: its range and the margins (left, bottom,
    // right, top) the driver cannot print on, in points.
    std::optional<CustomPaperRange> custom;
    double customMargins[4] = {0, 0, 0, 0};
};

// Reads a PPD marked with the queue's defaults.
void ReadPpd(ppd_file_t* ppd, CupsPrinterData& data);
// Reads what a printer without a PPD says over IPP.
void ReadIpp(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, CupsPrinterData& data);

// The page of a device mode's paper or custom size, portrait (A4 without
// margins when the printer says nothing about it).
PageGeometry PaperGeometry(const CupsPrinterData& data, const DevMode& mode);

}  // namespace hoxa
