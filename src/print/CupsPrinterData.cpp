#include "print/CupsPrinterData.h"

#include "print/CupsKeywords.h"
#include "print/CupsSpooler.h"
#include "print/PaperSize.h"

#include <algorithm>
#include <cstring>
#include <iterator>

// The PPD interface is what describes paper sources and printer resolutions of
// classic drivers; libcups marks it deprecated but still ships it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace hoxa {

namespace {

int StandardPaper(const std::string& keyword) {
    const std::string base = keyword.substr(0, keyword.find('.'));
    return CupsSpooler::StandardPaperNumber(base);
}

int StandardBin(const std::string& keyword) { return CupsSpooler::StandardBinNumber(keyword); }

// The device-mode fields every printer has, and its default resolution when known.
void StartDefaults(DevMode& m, Resolution def)
{
    m.fields = DM_ORIENTATION | DM_COPIES;
    if (def.x > 0) {
        m.fields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        m.printQuality = static_cast<std::int16_t>(def.x);
        m.yResolution = static_cast<std::int16_t>(def.y);
    }
}
}  // namespace

void ReadPpd(ppd_file_t* ppd, CupsPrinterData& data) {
    data.hasPpd = true;
    if (ppd->variable_sizes) {
        data.custom = CustomPaperRange{ppd->custom_min[0], ppd->custom_min[1], ppd->custom_max[0], ppd->custom_max[1]};
        std::copy(std::begin(ppd->custom_margins), std::end(ppd->custom_margins), std::begin(data.customMargins));
    }
    if (ppd_option_t* o = ppdFindOption(ppd, "PageSize")) {
        for (int i = 0; i < o->num_choices; ++i) {
            const ppd_choice_t& c = o->choices[i];
            if (std::strcmp(c.choice, "Custom") == 0) continue;  // the variable-size entry
            data.paperKeywords.push_back(c.choice);
            PaperEntry e;
            e.name = PpdText(ppd, c.text[0] ? c.text : c.choice);
            data.papers.push_back(e);
            PageGeometry g;
            if (ppd_size_t* s = ppdPageSize(ppd, c.choice)) {
                g.width = s->width;
                g.height = s->length;
                g.left = s->left;
                g.top = s->length - s->top;
                g.printableWidth = s->right - s->left;
                g.printableHeight = s->top - s->bottom;
            }
            data.paperGeometry.push_back(g);
        }
        const auto numbers = Number(data.paperKeywords, StandardPaper, DMPAPER_USER);
        for (std::size_t i = 0; i < numbers.size(); ++i) data.papers[i].number = numbers[i];
    }
    if (ppd_option_t* o = ppdFindOption(ppd, "InputSlot")) {
        data.hasBins = true;
        for (int i = 0; i < o->num_choices; ++i) {
            data.binKeywords.push_back(o->choices[i].choice);
            BinEntry e;
            e.name = PpdText(ppd, o->choices[i].text[0] ? o->choices[i].text : o->choices[i].choice);
            data.bins.push_back(e);
        }
        const auto numbers = Number(data.binKeywords, StandardBin, DMBIN_USER);
        for (std::size_t i = 0; i < numbers.size(); ++i) data.bins[i].number = numbers[i];
    }
    Resolution def{};
    if (ppd_option_t* o = ppdFindOption(ppd, "Resolution")) {
        for (int i = 0; i < o->num_choices; ++i) {
            Resolution r;
            if (ParseResolution(o->choices[i].choice, r)) data.resolutions.push_back(r);
        }
        if (ppd_choice_t* m = ppdFindMarkedChoice(ppd, "Resolution")) ParseResolution(m->choice, def);
    }
    if (def.x == 0) {
        if (ppd_attr_t* a = ppdFindAttr(ppd, "DefaultResolution", nullptr); a && a->value)
            ParseResolution(a->value, def);
    }
    if (data.resolutions.empty() && def.x > 0) data.resolutions.push_back(def);
    if (def.x == 0 && !data.resolutions.empty()) def = data.resolutions.front();

    DevMode& m = data.defaults;
    StartDefaults(m, def);
    if (!data.papers.empty()) {
        m.fields |= DM_PAPERSIZE;
        m.paperSize = static_cast<std::int16_t>(data.papers.front().number);
        if (ppd_choice_t* c = ppdFindMarkedChoice(ppd, "PageSize")) {
            for (std::size_t i = 0; i < data.paperKeywords.size(); ++i)
                if (data.paperKeywords[i] == c->choice) m.paperSize = static_cast<std::int16_t>(data.papers[i].number);
        }
    }
    if (data.hasBins) {
        m.fields |= DM_DEFAULTSOURCE;
        if (!data.bins.empty()) m.defaultSource = static_cast<std::int16_t>(data.bins.front().number);
        if (ppd_choice_t* c = ppdFindMarkedChoice(ppd, "InputSlot")) {
            for (std::size_t i = 0; i < data.binKeywords.size(); ++i)
                if (data.binKeywords[i] == c->choice) m.defaultSource = static_cast<std::int16_t>(data.bins[i].number);
        }
    }
}

void ReadIpp(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, CupsPrinterData& data) {
    const int count = cupsGetDestMediaCount(http, dest, info, 0);
    for (int i = 0; i < count; ++i) {
        cups_size_t size;
        if (!cupsGetDestMediaByIndex(http, dest, info, i, 0, &size)) continue;
        const pwg_media_t* pwg = pwgMediaForPWG(size.media);
        data.paperKeywords.push_back(size.media);
        PaperEntry e;
        e.name = (pwg && pwg->ppd) ? pwg->ppd : size.media;
        data.papers.push_back(e);
        PageGeometry g;
        const double k = 72.0 / 2540.0;
        g.width = size.width * k;
        g.height = size.length * k;
        g.left = size.left * k;
        g.top = size.top * k;
        g.printableWidth = (size.width - size.left - size.right) * k;
        g.printableHeight = (size.length - size.top - size.bottom) * k;
        data.paperGeometry.push_back(g);
    }
    std::vector<std::string> ppdNames;
    for (const std::string& media : data.paperKeywords) {
        const pwg_media_t* pwg = pwgMediaForPWG(media.c_str());
        ppdNames.push_back(pwg && pwg->ppd ? pwg->ppd : "");
    }
    const auto numbers = Number(ppdNames, StandardPaper, DMPAPER_USER);
    for (std::size_t i = 0; i < numbers.size(); ++i) data.papers[i].number = numbers[i];

    if (ipp_attribute_t* a = cupsFindDestSupported(http, dest, info, "media-source")) {
        data.hasBins = true;
        for (int i = 0; i < ippGetCount(a); ++i) {
            const char* v = ippGetString(a, i, nullptr);
            if (!v) continue;
            data.binKeywords.push_back(v);
            data.bins.push_back(BinEntry{0, v});
        }
        const auto binNumbers = Number(data.binKeywords, StandardBin, DMBIN_USER);
        for (std::size_t i = 0; i < binNumbers.size(); ++i) data.bins[i].number = binNumbers[i];
    }
    if (ipp_attribute_t* a = cupsFindDestSupported(http, dest, info, "printer-resolution")) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            int y = 0;
            ipp_res_t units;
            const int x = ippGetResolution(a, i, &y, &units);
            if (units == IPP_RES_PER_INCH && x > 0 && y > 0 && x <= 32767 && y <= 32767)
                data.resolutions.push_back(Resolution{x, y});
        }
    }
    Resolution def = data.resolutions.empty() ? Resolution{} : data.resolutions.front();
    if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "printer-resolution")) {
        int y = 0;
        ipp_res_t units;
        const int x = ippGetResolution(a, 0, &y, &units);
        if (units == IPP_RES_PER_INCH && x > 0 && y > 0 && x <= 32767 && y <= 32767) def = Resolution{x, y};
    }

    DevMode& m = data.defaults;
    StartDefaults(m, def);
    if (!data.papers.empty()) {
        m.fields |= DM_PAPERSIZE;
        m.paperSize = static_cast<std::int16_t>(data.papers.front().number);
        cups_size_t size;
        if (cupsGetDestMediaDefault(http, dest, info, 0, &size)) {
            for (std::size_t i = 0; i < data.paperKeywords.size(); ++i)
                if (data.paperKeywords[i] == size.media) m.paperSize = static_cast<std::int16_t>(data.papers[i].number);
        }
    }
    if (data.hasBins) {
        m.fields |= DM_DEFAULTSOURCE;
        if (!data.bins.empty()) m.defaultSource = static_cast<std::int16_t>(data.bins.front().number);
        if (ipp_attribute_t* a = cupsFindDestDefault(http, dest, info, "media-source")) {
            const char* v = ippGetString(a, 0, nullptr);
            for (std::size_t i = 0; v && i < data.binKeywords.size(); ++i)
                if (data.binKeywords[i] == v) m.defaultSource = static_cast<std::int16_t>(data.bins[i].number);
        }
    }
}

PageGeometry PaperGeometry(const CupsPrinterData& data, const DevMode& mode) {
    if (HasCustomPaper(mode) && data.custom) {
        const double* m = data.customMargins;
        const double width = WidthPoints(mode.customPaper), length = LengthPoints(mode.customPaper);
        return PageGeometry{width, length, m[0], m[3], width - m[0] - m[2], length - m[1] - m[3]};
    }
    if (mode.fields & DM_PAPERSIZE) {
        for (std::size_t i = 0; i < data.papers.size(); ++i) {
            if (data.papers[i].number != static_cast<std::uint16_t>(mode.paperSize)) continue;
            const PageGeometry& g = data.paperGeometry[i];
            if (g.width > 0 && g.height > 0) return g;
            break;
        }
    }
    return PageGeometry{595.0, 842.0, 0, 0, 595.0, 842.0};
}

}  // namespace hoxa
