#include "print/CupsSpooler.h"
#include "print/CupsKeywords.h"
#include "print/CupsPrinterData.h"
#include "print/PaperSize.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <strings.h>
#include <unistd.h>

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include "base/Codec.h"
#include "print/PrinterMessages.h"
#include "print/TPrinter.h"

// The PPD interface is what describes paper sources and printer resolutions of
// classic drivers; libcups marks it deprecated but still ships it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace hoxa {

namespace {

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
    std::map<std::string, CupsPrinterData> cache;
    CupsPrinterData unread;  // a printer that could not be asked: not kept

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

    CupsPrinterData& Data(const std::string& name);
};

CupsPrinterData& CupsSpooler::Impl::Data(const std::string& name) {
    if (!loaded) LoadDests();
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    CupsPrinterData data;
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
    const CupsPrinterData& data = d_->Data(printer);
    if (data.papers.empty()) return std::nullopt;
    return data.papers;
}

std::optional<std::vector<BinEntry>> CupsSpooler::Bins(const std::string& printer) {
    const CupsPrinterData& data = d_->Data(printer);
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
    PageGeometry g = PaperGeometry(d_->Data(printer), mode);
    if ((mode.fields & DM_ORIENTATION) && mode.orientation == DMORIENT_LANDSCAPE) {
        const double bottom = g.height - g.top - g.printableHeight;
        g = PageGeometry{g.height, g.width, bottom, g.left, g.printableHeight, g.printableWidth};
    }
    return g;
}

std::optional<CustomPaperRange> CupsSpooler::CustomPaperSizes(const std::string& printer) {
    return d_->Data(printer).custom;
}

int CupsSpooler::SubmitJob(const std::string& printer, const std::string& title,
                           const std::string& pdfPath, const DevMode& mode) {
    const CupsPrinterData& data = d_->Data(printer);
    cups_option_t* options = nullptr;
    int n = 0;
    if (HasCustomPaper(mode) && data.custom) {
        // The custom size as CUPS reads it from a PPD that takes custom sizes.
        n = cupsAddOption("PageSize", CustomPaperText(mode.customPaper).c_str(), n, &options);
    } else if (mode.fields & DM_PAPERSIZE) {
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
