#include "print/CupsSpooler.h"
#include "print/CupsKeywords.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <strings.h>
#include <unistd.h>

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "base/Codec.h"
#include "print/PrinterMessages.h"
#include "print/TPrinter.h"

// The PPD interface is what describes paper sources and printer resolutions of
// classic drivers; libcups marks it deprecated but still ships it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace hoxa {

namespace {

struct PrinterData {
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
};

struct Dest {
    std::string cupsName;  // UTF-8
    std::string name;      // CP932
    bool isDefault = false;
    int maxCopies = 0;     // upper bound of copies-supported, 0 when not said
    std::map<std::string, std::string> options;
};

}  // namespace

struct CupsSpooler::Impl {
    bool loaded = false;
    std::vector<Dest> dests;
    // What was read about each printer (by CP932 name), kept until Forget.
    std::map<std::string, PrinterData> cache;
    PrinterData unread;  // a printer that could not be asked: not kept

    // Reads the destination list.  False when the server could not be asked
    // (the previous list is kept then); a server without printers is no error.
    //
    // One CUPS-Get-Printers request for the few attributes used here (the
    // list libcups builds asks for every default of every printer and costs
    // several times more to read), then the default printer and the options
    // the user keeps in lpoptions, as libcups applies them: LPDEST or PRINTER,
    // else a Default line of lpoptions, else the server's default.
    bool LoadDests() {
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const wanted[] = {
            "printer-name", "printer-type", "device-uri", "printer-info", "printer-location",
            "printer-make-and-model", "printer-state", "printer-is-accepting-jobs", "copies-supported"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      static_cast<int>(std::size(wanted)), nullptr, wanted);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
        const ipp_status_t status = response ? ippGetStatusCode(response) : cupsLastError();
        if (!response || (status >= IPP_STATUS_REDIRECTION_OTHER_SITE && status != IPP_STATUS_ERROR_NOT_FOUND)) {
            ippDelete(response);
            if (!loaded) dests.clear();
            return false;
        }
        std::vector<Dest> list;
        Dest d;
        auto take = [&] {
            if (!d.cupsName.empty()) list.push_back(std::move(d));
            d = Dest{};
        };
        for (ipp_attribute_t* a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
            const char* name = ippGetName(a);
            if (!name) {  // the end of one printer's group
                take();
                continue;
            }
            if (ippGetGroupTag(a) != IPP_TAG_PRINTER) continue;
            if (std::strcmp(name, "printer-name") == 0) {
                d.cupsName = ippGetString(a, 0, nullptr) ? ippGetString(a, 0, nullptr) : "";
                d.name = Utf8ToCp932(d.cupsName.c_str());
            } else if (std::strcmp(name, "printer-type") == 0) {
                d.isDefault = (ippGetInteger(a, 0) & CUPS_PRINTER_DEFAULT) != 0;
            } else if (std::strcmp(name, "copies-supported") == 0) {
                ippGetRange(a, 0, &d.maxCopies);
            } else if (std::strcmp(name, "printer-state") == 0) {
                d.options[name] = std::to_string(ippGetInteger(a, 0));
            } else if (std::strcmp(name, "printer-is-accepting-jobs") == 0) {
                d.options[name] = ippGetBoolean(a, 0) ? "true" : "false";
            } else if (const char* value = ippGetString(a, 0, nullptr)) {
                d.options[name] = value;
            }
        }
        take();
        ippDelete(response);
        std::sort(list.begin(), list.end(),
                  [](const Dest& a, const Dest& b) { return strcasecmp(a.cupsName.c_str(), b.cupsName.c_str()) < 0; });
        ApplyUserDefaults(list);
        dests = std::move(list);
        loaded = true;
        return true;
    }

    // LPDEST / PRINTER, then the lpoptions files (system, then the user's):
    // "Dest name opt=value ..." adds options, "Default name ..." also makes
    // the printer the default.  Lines for instances (name/instance) are not
    // printers of their own and are left out.
    static void ApplyUserDefaults(std::vector<Dest>& list) {
        std::string chosen;
        for (const char* var : {"LPDEST", "PRINTER"}) {
            const char* v = std::getenv(var);
            if (v && *v && std::strcmp(v, "lp") != 0) {
                chosen = v;
                break;
            }
        }
        const bool fromEnvironment = !chosen.empty();
        std::vector<std::string> files;
        const char* root = std::getenv("CUPS_SERVERROOT");
        files.push_back(std::string(root && *root ? root : "/etc/cups") + "/lpoptions");
        if (const char* home = std::getenv("HOME"); home && *home) files.push_back(std::string(home) + "/.cups/lpoptions");
        for (const std::string& file : files) {
            cups_file_t* f = cupsFileOpen(file.c_str(), "r");
            if (!f) continue;
            char line[8192];
            int number = 0;
            char* rest = nullptr;
            while (cupsFileGetConf(f, line, sizeof line, &rest, &number)) {
                const bool isDefault = strcasecmp(line, "Default") == 0;
                if ((!isDefault && strcasecmp(line, "Dest") != 0) || !rest) continue;
                std::string dest(rest);
                const std::size_t end = dest.find_first_of(" \t");
                const std::string options = end == std::string::npos ? std::string() : dest.substr(end + 1);
                dest = dest.substr(0, end);
                if (dest.find('/') != std::string::npos) continue;
                auto it = std::find_if(list.begin(), list.end(), [&](const Dest& d) { return d.cupsName == dest; });
                if (it == list.end()) continue;
                if (isDefault && !fromEnvironment) chosen = dest;
                cups_option_t* parsed = nullptr;
                const int n = cupsParseOptions(options.c_str(), 0, &parsed);
                for (int i = 0; i < n; ++i) it->options[parsed[i].name] = parsed[i].value;
                cupsFreeOptions(n, parsed);
            }
            cupsFileClose(f);
        }
        if (chosen.empty()) return;
        if (std::none_of(list.begin(), list.end(), [&](const Dest& d) { return d.cupsName == chosen; })) return;
        for (Dest& d : list) d.isDefault = d.cupsName == chosen;
    }

    const Dest* Find(const std::string& name) {
        if (!loaded) LoadDests();
        for (const Dest& d : dests)
            if (d.name == name) return &d;
        return nullptr;
    }

    std::string CupsName(const std::string& name) {
        const Dest* d = Find(name);
        return d ? d->cupsName : Cp932ToUtf8(name);
    }

    PrinterData& Data(const std::string& name);
    void ReadPpd(ppd_file_t* ppd, PrinterData& data);
    void ReadIpp(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, PrinterData& data);
};

static int StandardPaper(const std::string& keyword) {
    const std::string base = keyword.substr(0, keyword.find('.'));
    return CupsSpooler::StandardPaperNumber(base);
}

static int StandardBin(const std::string& keyword) { return CupsSpooler::StandardBinNumber(keyword); }

namespace {
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

void CupsSpooler::Impl::ReadPpd(ppd_file_t* ppd, PrinterData& data) {
    data.hasPpd = true;
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

void CupsSpooler::Impl::ReadIpp(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, PrinterData& data) {
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

PrinterData& CupsSpooler::Impl::Data(const std::string& name) {
    if (!loaded) LoadDests();
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    PrinterData data;
    const std::string cupsName = CupsName(name);
    const Dest* known = Find(name);
    bool reached = false;

    // A printer with a PPD: the PPD, marked with the queue's default options
    // from the destination list already read, and the copies it allows.
    if (const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, cupsName.c_str())) {
        const std::string path = file;
        ppd_file_t* ppd = ppdOpenFile(path.c_str());
        ::unlink(path.c_str());
        if (ppd) {
            ppdMarkDefaults(ppd);
            if (known) {
                cups_option_t* options = nullptr;
                int n = 0;
                for (const auto& [key, value] : known->options) n = cupsAddOption(key.c_str(), value.c_str(), n, &options);
                cupsMarkOptions(ppd, n, options);
                cupsFreeOptions(n, options);
            }
            ReadPpd(ppd, data);
            ppdClose(ppd);
            reached = true;
            data.maxCopies = known ? known->maxCopies : 0;
        }
    }
    // Without a PPD: what the printer says over IPP.
    if (!reached) {
        cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, cupsName.c_str(), nullptr);
        cups_dinfo_t* info = dest ? cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest) : nullptr;
        if (dest && info) {
            ReadIpp(CUPS_HTTP_DEFAULT, dest, info, data);
            if (ipp_attribute_t* a = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "copies")) {
                int upper = 0;
                ippGetRange(a, 0, &upper);
                data.maxCopies = upper;
            }
        }
        reached = dest != nullptr;
        if (info) cupsFreeDestInfo(info);
        if (dest) cupsFreeDests(1, dest);
    }
    data.defaults.deviceName = name;
    // A printer gone or a server away is asked again next time.
    if (!reached) return unread = std::move(data);
    return cache.emplace(name, std::move(data)).first->second;
}

// ---------------------------------------------------------------------------

CupsSpooler::CupsSpooler() : d_(std::make_unique<Impl>()) {}
CupsSpooler::~CupsSpooler() = default;

void CupsSpooler::Forget() { d_->cache.clear(); }

std::vector<PrinterEntry> CupsSpooler::EnumPrinters() {
    // Always ask again: this is how changes are noticed.
    if (!d_->LoadDests())
        throw EOSError("CUPS: " + Utf8ToCp932(cupsLastErrorString()));
    std::vector<PrinterEntry> list;
    for (const Dest& d : d_->dests) list.push_back(PrinterEntry{d.name, 0});
    return list;
}

std::string CupsSpooler::DefaultPrinter() {
    if (!d_->loaded) d_->LoadDests();
    for (const Dest& d : d_->dests)
        if (d.isDefault) return d.name;
    return {};
}

std::vector<std::string> CupsSpooler::EnumPorts() {
    // The ports come with the destination list: the one just read by
    // EnumPrinters (the change check asks for both in turn) is not read again.
    if (!d_->loaded && !d_->LoadDests())
        throw EOSError("CUPS: " + Utf8ToCp932(cupsLastErrorString()));
    std::vector<std::string> ports;
    for (const Dest& d : d_->dests) {
        auto it = d.options.find("device-uri");
        if (it != d.options.end()) ports.push_back(Utf8ToCp932(it->second.c_str()));
    }
    return ports;
}

std::optional<std::vector<PaperEntry>> CupsSpooler::Papers(const std::string& printer) {
    const PrinterData& data = d_->Data(printer);
    if (data.papers.empty()) return std::nullopt;
    return data.papers;
}

std::optional<std::vector<BinEntry>> CupsSpooler::Bins(const std::string& printer) {
    const PrinterData& data = d_->Data(printer);
    if (!data.hasBins || data.bins.empty()) return std::nullopt;
    return data.bins;
}

std::vector<Resolution> CupsSpooler::Resolutions(const std::string& printer) {
    return d_->Data(printer).resolutions;
}

int CupsSpooler::MaxCopies(const std::string& printer) { return d_->Data(printer).maxCopies; }

DevMode CupsSpooler::DefaultDevMode(const std::string& printer) { return d_->Data(printer).defaults; }

PrinterDetails CupsSpooler::Details(const std::string& printer) {
    PrinterDetails details;
    const Dest* d = d_->Find(printer);
    if (!d) return details;
    auto opt = [&](const char* key) -> std::string {
        auto it = d->options.find(key);
        return it == d->options.end() ? std::string() : Utf8ToCp932(it->second.c_str());
    };
    details.driver = opt("printer-make-and-model");
    details.port = opt("device-uri");
    details.location = opt("printer-location");
    const std::string state = opt("printer-state");
    if (state == "3") details.status = "待機中";
    else if (state == "4") details.status = "印刷中";
    else if (state == "5") details.status = "停止";
    if (opt("printer-is-accepting-jobs") == "false") {
        details.status += details.status.empty() ? "" : " ";
        details.status += "ジョブを受け付けていません";
    }
    return details;
}

PageGeometry CupsSpooler::Geometry(const std::string& printer, const DevMode& mode) {
    const PrinterData& data = d_->Data(printer);
    PageGeometry g;
    bool found = false;
    for (std::size_t i = 0; i < data.papers.size(); ++i) {
        if ((mode.fields & DM_PAPERSIZE) && data.papers[i].number == static_cast<std::uint16_t>(mode.paperSize)) {
            g = data.paperGeometry[i];
            found = g.width > 0 && g.height > 0;
            break;
        }
    }
    if (!found) {
        // A4 without margins when the printer says nothing about its paper.
        g = PageGeometry{595.0, 842.0, 0, 0, 595.0, 842.0};
    }
    if ((mode.fields & DM_ORIENTATION) && mode.orientation == DMORIENT_LANDSCAPE) {
        const double bottom = g.height - g.top - g.printableHeight;
        g = PageGeometry{g.height, g.width, bottom, g.left, g.printableHeight, g.printableWidth};
    }
    return g;
}

int CupsSpooler::SubmitJob(const std::string& printer, const std::string& title,
                           const std::string& pdfPath, const DevMode& mode) {
    const PrinterData& data = d_->Data(printer);
    cups_option_t* options = nullptr;
    int n = 0;
    if (mode.fields & DM_PAPERSIZE) {
        for (std::size_t i = 0; i < data.papers.size(); ++i)
            if (data.papers[i].number == static_cast<std::uint16_t>(mode.paperSize))
                n = cupsAddOption("media", data.paperKeywords[i].c_str(), n, &options);
    }
    if (mode.fields & DM_DEFAULTSOURCE) {
        for (std::size_t i = 0; i < data.bins.size(); ++i)
            if (data.bins[i].number == static_cast<std::uint16_t>(mode.defaultSource))
                n = cupsAddOption(data.hasPpd ? "InputSlot" : "media-source",
                                  data.binKeywords[i].c_str(), n, &options);
    }
    if ((mode.fields & DM_PRINTQUALITY) && mode.printQuality > 0) {
        Resolution r{mode.printQuality,
                     (mode.fields & DM_YRESOLUTION) && mode.yResolution > 0 ? mode.yResolution : mode.printQuality};
        n = cupsAddOption(data.hasPpd ? "Resolution" : "printer-resolution",
                          ResolutionKeyword(r).c_str(), n, &options);
    }
    if ((mode.fields & DM_COPIES) && mode.copies > 1)
        n = cupsAddIntegerOption("copies", mode.copies, n, &options);

    const std::string cupsName = d_->CupsName(printer);
    const std::string cupsTitle = Cp932ToUtf8(title);
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, cupsName.c_str(), pdfPath.c_str(),
                                   cupsTitle.c_str(), n, options);
    cupsFreeOptions(n, options);
    if (job > 0) return job;
    // Say why in our words: ask the server what became of the printer.
    const std::string said = ServerReason(cupsLastError(), cupsLastErrorString());
    PrinterStatus status = Status(printer);
    if (status.reason.empty()) status.reason = said;
    const std::string trouble = PrinterTroubleMessage(printer, status);
    throw EPrinter(trouble.empty() ? SendFailedMessage(printer, said) : trouble);
}

std::string CupsSpooler::QueueName(const std::string& printer) { return d_->CupsName(printer); }

}  // namespace hoxa
